// The picture that ends a game: it names the nation that has conquered the
// world and tells the player of this machine whether they won. Closed by
// its Close button or Escape; the main screen decides what follows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DC_Base_DisplayClass.h"
#include "DC_Base_TextButton.h"
#include "SoundEngine_Music_Base.h"

// The closing sentence for a winner (0: no single winner) as seen by the
// local player: "The <nation> has conquered the world." followed by " You
// are victorious!" on the winner's machine and " You have been defeated."
// elsewhere; without a winner "You have been defeated.".
std::string Game_Over_Text(std::uint8_t winner, const std::string& nation_name, std::uint8_t local_player);

// The words of a text on lines no wider than `width` in the current font
// (a single word wider than that keeps a line of its own).
std::vector<std::string> Game_Over_Lines(const std::string& text, std::int32_t width);

// What the game over's opening does to the music (the music front unless a
// test puts its own).
extern void (*Game_Over_Start_Music)(TMusic_Category category);

class TDC_Dlg_GameOver : public TDisplay_Class {
 public:
  TDC_Dlg_GameOver();
  ~TDC_Dlg_GameOver() override;

  std::int32_t m_Get_Width() override { return 800; }
  std::int32_t m_Get_Height() override { return 600; }
  bool m_Reload_Images() override;
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  const std::string& m_Text() const { return f_text; }
  TDC_Text_Button& m_Close_Button() { return f_close_button; }

 private:
  std::int32_t f_background = 0;
  TDC_Text_Button f_close_button;
  std::string f_text;
  std::int32_t f_text_width = 0, f_text_height = 0;
};
