// The game options of the running game: the per-machine options that take
// effect at once (frame counter, info bar, help texts, music, sound,
// autosave frequency, unit movement speed) as thirteen toggles, and "Save
// Map", which stores the running world map, without owners and units, as a
// stored map under a name. Closing writes the options to the registry.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "DC_Base_ButtonToggle.h"
#include "DC_Base_DisplayClass.h"
#include "DC_Base_TextButton.h"
#include "DC_Dlg_Message.h"
#include "SoundEngine_Music_Base.h"

class TMachine_Options;

constexpr std::int32_t GAME_OPTIONS_TOGGLES = 13;
using TGame_Option_Toggles = std::array<bool, GAME_OPTIONS_TOGGLES>;  // toggle j at [j - 1]

// The toggles that show the options: 1..5 the five switches, 6..9 the
// autosave choice (0, 1, 2, 5 turns; another value shows none), 10..13 the
// unit movement speed (1..4).
TGame_Option_Toggles Game_Options_Toggles(const TMachine_Options& options);
// Stores the toggles into the options: the five switches; autosave 0, 1, 2
// or 5 after the one of 6..9 that is on (0 when none); speed 2, else 1..4
// after the one of 10..13 that is on.
void Game_Options_Store(const TGame_Option_Toggles& toggles, TMachine_Options& options);

// What closing with a changed "Play Music" does (the music front unless a
// test puts its own).
extern void (*Game_Options_Start_Music)(TMusic_Category category);
extern void (*Game_Options_Fade_Music)(bool switch_pending);

class TDC_Dlg_Game_Options : public TDisplay_Class {
 public:
  TDC_Dlg_Game_Options();
  ~TDC_Dlg_Game_Options() override;

  std::int32_t m_Get_Width() override { return 600; }
  std::int32_t m_Get_Height() override { return 600; }
  bool m_Reload_Images() override;
  void m_On_Child_Killed(const std::string& child_name) override;
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  // Shows the machine options on the toggles.
  void m_Show_Options();
  // Stores the toggles, writes the registry, switches the music, closes.
  void m_Close();
  void m_Ask_Map_Name();
  TDC_Button_Toggle& m_Toggle(std::int32_t j) { return f_option_toggles.at(std::size_t(j - 1)); }
  TDC_Text_Button& m_Button(std::int32_t n) { return f_buttons.at(std::size_t(n - 1)); }
  TDC_Dlg_Message* m_Message() const { return f_message.get(); }
  TGame_Option_Toggles m_Toggles() const;

 private:
  void m_On_Button(const std::string& name);
  void m_On_Toggle(std::int32_t j);
  void m_Message_Box(const std::string& caption, const std::string& text);

  std::int32_t f_background = 0;
  std::array<TDC_Text_Button, 2> f_buttons;
  std::array<TDC_Button_Toggle, GAME_OPTIONS_TOGGLES> f_option_toggles;
  std::unique_ptr<TDC_Dlg_Message> f_message;
  bool f_music_was_on = false;
};
