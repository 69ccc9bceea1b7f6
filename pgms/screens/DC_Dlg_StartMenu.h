// The start menu: the full-screen menu with which the game begins and to
// which it returns. The first time in a run it shows the maker's logo and
// the publisher's logo one after the other, then fades the menu in; a key or
// a press skips that at once. Six text buttons on three pages (main, single
// player, multiplayer) lead to a final choice, which is stored as the result
// before the menu closes; the main screen opens the follow-up. While the
// menu is open the title music plays.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "DC_Base_DisplayClass.h"
#include "DC_Base_TextButton.h"

// The menu's final choice, which the main screen follows up (None while the
// menu is open).
enum class TStart_Menu_Result : std::int32_t {
  None = 0,
  New_Game = 1,
  Load_Game = 2,
  Resume_Game = 3,
  Quit = 6,
  Hot_Seat = 7,
  Host = 8,
  Join = 9,
  Network_Load = 10,
};

// The intro's phases: the maker's logo, the publisher's, then the menu.
enum class TStart_Menu_Phase : std::uint8_t { First_Logo = 0, Second_Logo = 1, Menu = 2 };

// Where the intro stands: the phase, the time in it, the menu's fade value
// and the brightness of the two logos (0 .. 1).
struct TStart_Menu_Intro {
  TStart_Menu_Phase phase = TStart_Menu_Phase::First_Logo;
  float time = 0.0f;
  float fade = 0.0f;
  float first_logo = 0.0f, second_logo = 0.0f;
};

// Advances the intro by `elapsed` seconds; true when this step entered the
// menu phase (the buttons are to be shown). The first logo fades in from
// 0.5 to 3 s and out from 3 to 4 s, the second fades in over 0 to 3 s and
// out from 3 to 4 s, then the menu fades in over 3 s.
bool Start_Menu_Advance(TStart_Menu_Intro& intro, float elapsed);

// The menu's pages.
enum class TStart_Menu_Page : std::int32_t { Main = 0, Single_Player = 1, Multiplayer = 2 };

// Caption of button n (1..6) on a page; empty for a button without a choice.
std::string Start_Menu_Caption(TStart_Menu_Page page, std::int32_t button);

// Whether a run of the program has reached the menu once (the intro then
// no longer shows). Tests may clear it.
extern bool Start_Menu_Intro_Shown;

class TDC_Dlg_StartMenu : public TDisplay_Class {
public:
  TDC_Dlg_StartMenu();
  ~TDC_Dlg_StartMenu() override;

  std::int32_t m_Get_Width() override { return 1024; }
  std::int32_t m_Get_Height() override { return 768; }
  bool m_Reload_Images() override;
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_On_Timer(float elapsed) override;
  void m_Draw(double elapsed) override;
  void m_Draw_After_Children(double elapsed) override;
  void m_On_Reposition() override;

  // A press or a key during the intro shows the menu at once; a key is then
  // taken. Once the menu stands, keys are left to the controls over it.
  // Shows the menu at once, fully faded in, with its buttons.
  void m_Skip_Intro();
  // The buttons' click handler.
  void m_Button_Click(const std::string& name);

  TStart_Menu_Result m_Result() const { return f_result; }
  TStart_Menu_Page m_Page() const { return f_page; }
  const TStart_Menu_Intro& m_Intro() const { return f_intro; }
  bool m_Credits_On() const { return f_credits; }
  float m_Credits_Position() const { return f_credits_y; }
  TDC_Text_Button& m_Button(std::int32_t n) { return f_buttons[std::size_t(n - 1)]; }
  // The credit lines, from the top.
  static const std::vector<std::string>& m_Credit_Lines();

private:
  void m_Load_Images();
  void m_Release_Images();
  void m_Set_Page(TStart_Menu_Page page);
  void m_Close(TStart_Menu_Result result);

  std::int32_t f_background = 0, f_first_logo = 0, f_second_logo = 0;
  std::int32_t f_logo_w[2] = {0, 0}, f_logo_h[2] = {0, 0}, f_logo_x[2] = {0, 0}, f_logo_y[2] = {0, 0};
  std::array<TDC_Text_Button, 6> f_buttons;
  TStart_Menu_Page f_page = TStart_Menu_Page::Main;
  TStart_Menu_Result f_result = TStart_Menu_Result::None;
  TStart_Menu_Intro f_intro;
  bool f_credits = false;
  float f_credits_y = 0.0f;
};

// Makes the start menu known to the main screen as "Dlg Start Menu".
void Start_Menu_Install();
