// The game menu of the running game: a column of six large buttons (New
// Game, Load Game, Save Game, Options, Quit Game, Close). A click stores the
// button's number as the choice and closes the menu; the main screen reads
// the choice when the menu is killed and opens what follows. Escape is
// Close.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "DC_Base_DisplayClass.h"
#include "DC_Base_TextButton.h"

// The menu's choices (the button numbers); None until a button is pressed.
enum class TGame_Menu_Choice : std::int32_t {
  None = 0,
  New_Game = 1,
  Load_Game = 2,
  Save_Game = 3,
  Options = 4,
  Quit = 5,
  Close = 6,
};

class TDC_Dlg_GameMenu : public TDisplay_Class {
 public:
  TDC_Dlg_GameMenu();
  ~TDC_Dlg_GameMenu() override;

  std::int32_t m_Get_Width() override { return 178; }
  std::int32_t m_Get_Height() override { return 300; }
  bool m_Reload_Images() override;
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  TGame_Menu_Choice m_Get_Choice() const { return f_choice; }
  TDC_Text_Button& m_Button(std::int32_t n) { return f_buttons.at(std::size_t(n - 1)); }
  TDC_Text_Button& m_Button(TGame_Menu_Choice choice) { return m_Button(std::int32_t(choice)); }

 private:
  void m_On_Button(const std::string& name);

  std::int32_t f_background = 0;
  std::array<TDC_Text_Button, 6> f_buttons;
  TGame_Menu_Choice f_choice = TGame_Menu_Choice::None;
};

// Makes the dialogs of the running game known to the main screen by display
// name: "Dlg Game Menu", "Dlg Load Game", "Dlg Save Game", "Dlg Game
// Options", "Dlg Game Over" and "Dlg Combat Options". Called once when the
// main window is prepared.
void Game_Menu_Dialogs_Install();
