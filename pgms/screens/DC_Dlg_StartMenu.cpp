#include "DC_Dlg_StartMenu.h"

#include <algorithm>
#include <vector>

#include "DC_Base_EditText.h"
#include "DC_Dlg_List.h"
#include "DC_Main.h"
#include "Errors.h"
#include "GameFolder.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MachineOptions.h"
#include "Path.h"
#include "SoundEngine_Music_Base.h"

bool Start_Menu_Intro_Shown = false;

namespace {

constexpr std::int32_t Button_Width = 168, Button_Height = 40;

const char* const Captions[3][6] = {
    {"Single Player Game", "Multiplayer Game", "", "", "Credits", "Quit"},
    {"New Game", "Load Game", "Resume Game", "", "", "Back"},
    {"Hotseat", "Host A Game", "Join A Game", "Load Game", "", "Back"},
};

// Help entries (group 3) of the buttons on each page; 0 for none.
constexpr std::int32_t Help_Entries[3][6] = {{1, 2, 0, 0, 3, 4}, {5, 6, 7, 0, 0, 8}, {9, 10, 11, 12, 0, 13}};

std::string Button_Name(std::int32_t n) { return "STARTMENU_CONTROL_BUTTON_" + Int_To_Text(n); }

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// A logo's brightness at time t of its phase.
float Logo_Brightness(TStart_Menu_Phase phase, float t) {
  if (t > 3.0f) return Clamp01(1.0f - (t - 3.0f));
  return Clamp01(phase == TStart_Menu_Phase::First_Logo ? (t - 0.5f) / 2.5f : t / 3.0f);
}

// Whether a resume has a save game to go back to.
bool Last_Save_Exists() {
  const std::string dir = Last_Save_Directory();
  return !dir.empty() && Directory_Exists(dir);
}

TColor Grey_Level(float level) {
  const auto v = std::uint8_t(Clamp01(level) * 255.0f + 0.5f);
  return Make_Color(v, v, v, v);
}

}  // namespace

bool Start_Menu_Advance(TStart_Menu_Intro& intro, float elapsed) {
  intro.time += elapsed;
  switch (intro.phase) {
    case TStart_Menu_Phase::First_Logo:
      intro.first_logo = Logo_Brightness(TStart_Menu_Phase::First_Logo, intro.time);
      if (intro.time > 4.0f) {
        intro.time = 0.0f;
        intro.fade = 0.0f;
        intro.phase = TStart_Menu_Phase::Second_Logo;
      }
      return false;
    case TStart_Menu_Phase::Second_Logo:
      intro.second_logo = Logo_Brightness(TStart_Menu_Phase::Second_Logo, intro.time);
      if (intro.time > 4.0f) {
        intro.time = 0.0f;
        intro.fade = 0.0f;
        intro.phase = TStart_Menu_Phase::Menu;
        return true;
      }
      return false;
    default:
      // The fade stops once complete; the time is then held. A frame that
      // steps over the end of the fade still ends it: a fade left just short
      // of 1 would keep the black overlay up for good.
      if (intro.time <= 3.0f) {
        intro.fade = std::min(1.0f, intro.time / 3.0f);
      } else {
        intro.time = 5.0f;
        intro.fade = 1.0f;
      }
      return false;
  }
}

std::string Start_Menu_Caption(TStart_Menu_Page page, std::int32_t button) {
  const auto p = std::int32_t(page);
  if (p < 0 || p > 2 || button < 1 || button > 6) throw ERangeError();
  return Captions[p][button - 1];
}

const std::vector<std::string>& TDC_Dlg_StartMenu::m_Credit_Lines() {
  static const std::vector<std::string> lines = {
      "GLOBARCH",
      "",
      "Design and Programming",
      "The Globarch Team",
      "",
      "World Generation",
      "Regions, Coasts and Oceans",
      "",
      "Computer Players",
      "Generals of the Machine",
      "",
      "Pictures and Sounds",
      "Made by Our Own Tools",
      "",
      "Testing",
      "Everyone Who Lost a Nation",
      "",
      "",
      "Thank you for playing!",
  };
  return lines;
}

TDC_Dlg_StartMenu::TDC_Dlg_StartMenu() : TDisplay_Class(DC_KIND_WINDOW) {
  for (std::int32_t n = 1; n <= 6; ++n) {
    TDC_Text_Button& b = f_buttons[std::size_t(n - 1)];
    b.m_Set_Style(3, Button_Width, Button_Height, 0, n);
    b.m_Set_Font(1);
    b.m_Set_Shadow();
    b.m_Set_Position(Button_Name(n), 0, 0);
    b.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Button_Click(name); };
    b.m_Set_Visible(true);
    Add_Child_Control(&b);
  }
  m_Set_Page(TStart_Menu_Page::Main);
  m_Load_Images();
  f_intro = TStart_Menu_Intro();
  for (TDC_Text_Button& b : f_buttons) b.m_Set_Visible(false);
  if (Start_Menu_Intro_Shown) m_Skip_Intro();
  // The title songs play while the menu is open.
  Sound_Music_Start_Music(TMusic_Category::Title);
}

TDC_Dlg_StartMenu::~TDC_Dlg_StartMenu() {
  m_Release_Images();
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
}

void TDC_Dlg_StartMenu::m_Load_Images() {
  if (Path_Settings) {
    f_background = Gui_Load_Background(Path_Settings->m_Get_Dlg_Intro_Bmp());
    f_first_logo = Gui_Load_Background(Path_Settings->m_Get_Bmp_Kestrune_Bmp());
    f_second_logo = Gui_Load_Background(Path_Settings->m_Get_Bmp_Publisher_Bmp());
  }
  const std::int32_t logos[2] = {f_first_logo, f_second_logo};
  for (int i = 0; i < 2; ++i) {
    f_logo_w[i] = g_tg_texture_list && logos[i] ? g_tg_texture_list->m_Get_Image_Width(logos[i]) : 0;
    f_logo_h[i] = g_tg_texture_list && logos[i] ? g_tg_texture_list->m_Get_Image_Height(logos[i]) : 0;
    f_logo_x[i] = G_Screen_Width / 2 - f_logo_w[i] / 2;
    f_logo_y[i] = G_Screen_Height / 2 - f_logo_h[i] / 2;
  }
}

void TDC_Dlg_StartMenu::m_Release_Images() {
  Gui_Release_Background(f_background);
  Gui_Release_Background(f_first_logo);
  Gui_Release_Background(f_second_logo);
}

bool TDC_Dlg_StartMenu::m_Reload_Images() {
  const bool ok = TDisplay_Class::m_Reload_Images();
  m_Release_Images();
  m_Load_Images();
  return ok;
}

void TDC_Dlg_StartMenu::m_On_Reposition() {
  const std::int32_t x = G_Screen_Width / 2 - 507, y = G_Screen_Height - 82;
  for (std::int32_t n = 1; n <= 6; ++n)
    f_buttons[std::size_t(n - 1)].m_Set_Position(Button_Name(n), Checked_Add(x, 169 * (n - 1)), y);
}

void TDC_Dlg_StartMenu::m_Skip_Intro() {
  f_intro.phase = TStart_Menu_Phase::Menu;
  f_intro.time = 5.0f;
  f_intro.fade = 1.0f;
  for (TDC_Text_Button& b : f_buttons) b.m_Set_Visible(true);
  Start_Menu_Intro_Shown = true;
}

void TDC_Dlg_StartMenu::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) {
  if (f_intro.phase != TStart_Menu_Phase::Menu || f_intro.fade < 1.0f) m_Skip_Intro();
}

bool TDC_Dlg_StartMenu::m_On_Key_Down(std::uint16_t&, TShift_State) {
  // A key during the intro only skips it. Once the menu stands, keys go on
  // to what lies over it (a message box closes with its Esc).
  if (f_intro.phase == TStart_Menu_Phase::Menu && f_intro.fade >= 1.0f) return false;
  m_Skip_Intro();
  return true;
}

void TDC_Dlg_StartMenu::m_On_Timer(float elapsed) {
  if (Start_Menu_Advance(f_intro, elapsed))
    for (TDC_Text_Button& b : f_buttons) b.m_Set_Visible(true);
  if (f_intro.phase == TStart_Menu_Phase::Menu) Start_Menu_Intro_Shown = true;
}

void TDC_Dlg_StartMenu::m_Set_Page(TStart_Menu_Page page) {
  f_page = page;
  for (std::int32_t n = 1; n <= 6; ++n) {
    TDC_Text_Button& b = f_buttons[std::size_t(n - 1)];
    const std::string caption = Start_Menu_Caption(page, n);
    b.m_Set_Text(caption);
    bool enabled = !caption.empty();
    // A resume needs a save game to go back to.
    if (page == TStart_Menu_Page::Single_Player && n == 3) enabled = enabled && Last_Save_Exists();
    b.m_Set_Enabled(enabled);
    b.m_Set_Help_Ref(1, 3, Help_Entries[std::size_t(page)][n - 1], "", 0);
  }
}

void TDC_Dlg_StartMenu::m_Close(TStart_Menu_Result result) {
  f_result = result;
  Set_Kill_Object(true);
}

void TDC_Dlg_StartMenu::m_Button_Click(const std::string& name) {
  std::int32_t n = 0;
  for (std::int32_t i = 1; i <= 6; ++i)
    if (Text_Compare(name, Button_Name(i)) == 0) n = i;
  if (n == 0 || f_result != TStart_Menu_Result::None) return;
  switch (f_page) {
    case TStart_Menu_Page::Main:
      if (n == 1) f_page = TStart_Menu_Page::Single_Player;
      if (n == 2) f_page = TStart_Menu_Page::Multiplayer;
      if (n == 5) {
        f_credits = !f_credits;
        if (f_credits) f_credits_y = 0.86f * float(G_Screen_Height);
      }
      if (n == 6) m_Close(TStart_Menu_Result::Quit);
      break;
    case TStart_Menu_Page::Single_Player:
      if (n == 1) m_Close(TStart_Menu_Result::New_Game);
      if (n == 2) m_Close(TStart_Menu_Result::Load_Game);
      if (n == 3) m_Close(TStart_Menu_Result::Resume_Game);
      if (n == 6) f_page = TStart_Menu_Page::Main;
      break;
    default:
      if (n == 1) m_Close(TStart_Menu_Result::Hot_Seat);
      if (n == 2) m_Close(TStart_Menu_Result::Host);
      if (n == 3) m_Close(TStart_Menu_Result::Join);
      if (n == 4) m_Close(TStart_Menu_Result::Network_Load);
      if (n == 6) f_page = TStart_Menu_Page::Main;
      break;
  }
  m_Set_Page(f_page);
}

void TDC_Dlg_StartMenu::m_Draw(double elapsed) {
  if (!g_tg_texture_list) return;
  const std::int32_t w = G_Screen_Width, h = G_Screen_Height;
  if (f_intro.phase == TStart_Menu_Phase::First_Logo || f_intro.phase == TStart_Menu_Phase::Second_Logo) {
    const int i = f_intro.phase == TStart_Menu_Phase::First_Logo ? 0 : 1;
    const float level = i == 0 ? f_intro.first_logo : f_intro.second_logo;
    g_tg_texture_list->m_Draw_All_Blend(
        TRect{f_logo_x[i], f_logo_y[i], f_logo_x[i] + f_logo_w[i], f_logo_y[i] + f_logo_h[i]},
        i == 0 ? f_first_logo : f_second_logo, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, Grey_Level(level));
  } else {
    g_tg_texture_list->m_Draw_All(TRect{0, 0, w, h}, f_background, true);
  }
  if (!f_credits) return;
  f_credits_y -= 20.0f * float(elapsed);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(1);
  const std::int32_t centre = w - 150;
  const float top = 0.15f * float(h), bottom = 0.85f * float(h);
  // Lines follow each other 12 pixels apart, or a line's height when the
  // font is taller, so that they never overlap.
  std::int32_t line_w = 0, line_h = 0;
  font.m_Get_Text_Extents("Ag", line_w, line_h);
  const float step = float(std::max(12, line_h + 2));
  float y = f_credits_y;
  for (const std::string& line : m_Credit_Lines()) {
    if (!line.empty() && y >= top && y <= bottom) {
      std::int32_t tw = 0, th = 0;
      font.m_Get_Text_Extents(line, tw, th);
      font.m_Draw_Text(centre - tw / 2, std::int32_t(y), line);
    }
    y += step;
  }
}

void TDC_Dlg_StartMenu::m_Draw_After_Children(double) {
  if (f_intro.phase != TStart_Menu_Phase::Menu || f_intro.fade >= 1.0f) return;
  // The rectangle's blend multiplies the screen by the colour's alpha, so an
  // alpha equal to the fade value brings the menu up from black (0) to its
  // full brightness (1).
  const auto alpha = std::uint8_t(std::clamp(f_intro.fade, 0.0f, 1.0f) * 255.0f + 0.5f);
  G_Draw_2D_Color_Part(Make_Color(0, 0, 0, alpha), TRect{0, 0, G_Screen_Width, G_Screen_Height}, false, true);
}

void Start_Menu_Install() {
  DC_Main_Register_Dialog("Dlg Start Menu",
                          {[](std::int32_t, std::int32_t) { return std::make_unique<TDC_Dlg_StartMenu>(); },
                           [](TDisplay_Class& dialog) {
                             TDC_Main_Dialog_Outcome outcome;
                             if (auto* menu = dynamic_cast<TDC_Dlg_StartMenu*>(&dialog))
                               outcome.result = std::int32_t(menu->m_Result());
                             return outcome;
                           }});
}
