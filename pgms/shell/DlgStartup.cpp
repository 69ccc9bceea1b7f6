#include "DlgStartup.h"

#include <cstdio>

#include "Datafile_MainFonts.h"
#include "Debug_Log.h"
#include "DlgDisplaySettings.h"
#include "FrmMain.h"
#include "Global.h"
#include "Input_Script.h"
#include "Native_Path.h"
#include "Path.h"
#include "Platform_Input.h"

namespace {

const char* const CAPTIONS[7] = {"", "Play", "Graphics Setup", "Manual", "History", "Website", "Quit"};
// The manual and the history of versions ship in the game folder. The game
// has no web site of its own: "Website" leads to the manual's front page.
const char* const MANUAL_PAGE = "manual\\index.html";
const char* const HISTORY_FILE = "history.txt";

constexpr std::uint32_t MAGENTA = 0xFFFF00FFu;

void Load_Picture(const std::string& path, TImage& image, std::int32_t width, std::int32_t height) {
  std::string error;
  if (Image_Read_File(path, image, &error)) return;
  Debug_Log_Write("TDlg_Startup - " + path + ": " + error);
  image.Set_Size(width, height, 0xFF000000u);
}

}  // namespace

void Picture_Magenta_To_Black(TImage& image) {
  for (std::uint32_t& p : image.pixels)
    if ((p & 0xFFFFFFu) == (MAGENTA & 0xFFFFFFu)) p = 0xFF000000u;
}

void Picture_Copy_Keyed(TImage& target, std::int32_t x, std::int32_t y, const TImage& source, std::int32_t sx,
                        std::int32_t sy, std::int32_t w, std::int32_t h) {
  for (std::int32_t row = 0; row < h; ++row) {
    const std::int32_t ty = y + row, fy = sy + row;
    if (ty < 0 || ty >= target.height || fy < 0 || fy >= source.height) continue;
    for (std::int32_t col = 0; col < w; ++col) {
      const std::int32_t tx = x + col, fx = sx + col;
      if (tx < 0 || tx >= target.width || fx < 0 || fx >= source.width) continue;
      const std::uint32_t p = source.Pixel(fx, fy);
      if ((p & 0xFFFFFFu) != (MAGENTA & 0xFFFFFFu)) target.Set_Pixel(tx, ty, p | 0xFF000000u);
    }
  }
}

TDlg_Startup::TDlg_Startup() {
  Load_Picture(Path_Settings ? Path_Settings->m_Get_Dlg_Start_Bmp() : std::string(), f_background, 580, 262);
  Load_Picture(Path_Settings ? Path_Settings->m_Get_Buttons_2_Bmp() : std::string(), f_buttons, 168, 160);
  Picture_Magenta_To_Black(f_background);
  f_canvas.Set_Handle(&f_background);
  G_Canvas_Set_Font(&f_canvas, 2);
  G_Canvas_Set_Font_Color(&f_canvas, 0x000000);
  G_Canvas_Text_Out(&f_canvas, 11, 239, "Version: 1.09");
  G_Canvas_Set_Font_Color(&f_canvas, 0xC0C0C0);
  G_Canvas_Text_Out(&f_canvas, 10, 238, "Version: 1.09");
  f_canvas.Set_Handle(nullptr);
  f_open_document = [](const std::string& where) { Platform_Open_Document(where); };
  f_show_display_settings = [] {
    TDlg_DisplaySettings settings;
    TLauncher_Frames none;
    Display_Settings_Show(settings, none);
  };
}

bool TDlg_Startup::m_In_Panel(std::int32_t x, std::int32_t y) const {
  return x >= STARTUP_PANEL_X && x < STARTUP_PANEL_X + STARTUP_PANEL_WIDTH && y >= STARTUP_PANEL_Y &&
         y < STARTUP_PANEL_Y + STARTUP_PANEL_HEIGHT;
}

std::int32_t TDlg_Startup::m_Button_At(std::int32_t px, std::int32_t py) const {
  const std::int32_t left = (STARTUP_PANEL_WIDTH - STARTUP_BUTTON_WIDTH) / 2;
  for (std::int32_t i = 1; i <= 6; ++i) {
    const std::int32_t top = (i - 1) * 41;
    if (px >= left && px <= left + STARTUP_BUTTON_WIDTH && py >= top && py <= top + STARTUP_BUTTON_HEIGHT) return i;
  }
  return 0;
}

bool TDlg_Startup::m_Mouse_Move(std::int32_t x, std::int32_t y) {
  bool changed = false;
  const bool panel = m_In_Panel(x, y);
  const std::int32_t under = panel ? m_Button_At(x - STARTUP_PANEL_X, y - STARTUP_PANEL_Y) : 0;
  for (std::int32_t i = 1; i <= 6; ++i) {
    std::int32_t state = f_state[i];
    if (!panel) state = 0;
    else if (f_state[i] != 2) state = i == under ? 1 : 0;
    changed = changed || state != f_state[i];
    f_state[i] = state;
  }
  return panel || changed;
}

bool TDlg_Startup::m_Mouse_Down(std::int32_t x, std::int32_t y) {
  if (!m_In_Panel(x, y)) return false;
  const std::int32_t under = m_Button_At(x - STARTUP_PANEL_X, y - STARTUP_PANEL_Y);
  for (std::int32_t i = 1; i <= 6; ++i) f_state[i] = i == under ? 2 : 0;
  return true;
}

bool TDlg_Startup::m_Mouse_Up(std::int32_t x, std::int32_t y) {
  if (!m_In_Panel(x, y)) return false;
  const std::int32_t under = m_Button_At(x - STARTUP_PANEL_X, y - STARTUP_PANEL_Y);
  const bool activate = under != 0 && f_state[under] == 2;
  for (std::int32_t i = 1; i <= 6; ++i) f_state[i] = 0;
  if (activate) m_Activate(under);
  return true;
}

void TDlg_Startup::m_Activate(std::int32_t button) {
  if (button < 1 || button > 6) return;
  f_result = TLauncher_Button(button);
  switch (f_result) {
    case TLauncher_Button::Play:
    case TLauncher_Button::Quit:
      f_closed = true;
      break;
    case TLauncher_Button::Display_Settings:
      if (f_show_display_settings) f_show_display_settings();
      break;
    case TLauncher_Button::Manual:
    case TLauncher_Button::Maker_Pages:
      if (f_open_document) f_open_document(Native_Path(Program_Folder + MANUAL_PAGE));
      break;
    case TLauncher_Button::History:
      if (f_open_document) f_open_document(Native_Path(Program_Folder + HISTORY_FILE));
      break;
    case TLauncher_Button::None:
      break;
  }
}

const TImage& TDlg_Startup::m_Paint() {
  f_screen = f_background;
  const std::int32_t left = STARTUP_PANEL_X + (STARTUP_PANEL_WIDTH - STARTUP_BUTTON_WIDTH) / 2;
  f_canvas.Set_Handle(&f_screen);
  G_Canvas_Set_Font(&f_canvas, 1);
  for (std::int32_t i = 1; i <= 6; ++i) {
    const std::int32_t top = STARTUP_PANEL_Y + (i - 1) * 41;
    Picture_Copy_Keyed(f_screen, left, top, f_buttons, 0, STARTUP_BUTTON_HEIGHT * f_state[i], STARTUP_BUTTON_WIDTH,
                       STARTUP_BUTTON_HEIGHT);
    const std::int32_t w = G_Canvas_Text_Width(&f_canvas, CAPTIONS[i]);
    const std::int32_t h = G_Canvas_Text_Height(&f_canvas, CAPTIONS[i]);
    std::int32_t x = left + (STARTUP_BUTTON_WIDTH - w) / 2, y = top + (STARTUP_BUTTON_HEIGHT - h) / 2;
    if (f_state[i] == 2) {
      x += 2;
      y += 2;
    }
    G_Canvas_Set_Font_Color(&f_canvas, 0x000000);
    G_Canvas_Text_Out(&f_canvas, x + 1, y + 1, CAPTIONS[i]);
    G_Canvas_Set_Font_Color(&f_canvas, 0xFFFFFF);
    G_Canvas_Text_Out(&f_canvas, x, y, CAPTIONS[i]);
  }
  f_canvas.Set_Handle(nullptr);
  return f_screen;
}

void Launcher_Frame(TLauncher_Frames& frames, const TImage& picture) {
  ++frames.frame;
  if (!frames.script) return;
  for (const TScript_Step& s : frames.script->m_Take_Due(frames.frame)) {
    if (Input_Script_Inject(s)) continue;
    if (s.verb == "quit") {
      frames.quit = true;
    } else if (s.verb == "screenshot") {
      if (!Image_Write_BMP_24(Design_Path(s.rest), picture))
        std::fprintf(stderr, "globarch: the screenshot %s could not be written\n", s.rest.c_str());
    }
  }
}

TLauncher_Button Game_Init_Show_Launcher(const TShell_Options&, TLauncher_Frames& frames) {
  TDlg_Startup launcher;
  launcher.f_show_display_settings = [&frames] {
    TDlg_DisplaySettings settings;
    Display_Settings_Show(settings, frames);
  };
  TPicture_Window window("Globarch", launcher.m_Width(), launcher.m_Height());
  if (!window.m_Open()) {
    // Without a window there is nothing to choose: play.
    Debug_Log_Write("TDlg_Startup - no window: the game starts at once");
    return TLauncher_Button::Play;
  }
  while (!launcher.m_Closed()) {
    const TImage& picture = launcher.m_Paint();
    window.m_Show(picture);
    Launcher_Frame(frames, picture);
    if (frames.quit) {
      // A script's "quit" ends the program as the "Quit" button does.
      frames.quit = false;
      return TLauncher_Button::Quit;
    }
    TInput_Event e;
    while (!launcher.m_Closed() && Platform_Poll_Event(e)) {
      const std::uint32_t target = Platform_Last_Event_Window();
      if (target != 0 && target != window.m_Window_Id()) continue;
      switch (e.kind) {
        case TInput_Kind::Close: launcher.m_Close(); break;
        case TInput_Kind::Mouse_Move: launcher.m_Mouse_Move(e.x, e.y); break;
        case TInput_Kind::Mouse_Down: if (e.button == 0) launcher.m_Mouse_Down(e.x, e.y); break;
        case TInput_Kind::Mouse_Up: if (e.button == 0) launcher.m_Mouse_Up(e.x, e.y); break;
        default: break;
      }
    }
    Platform_Sleep_Ms(16);
  }
  return launcher.m_Result();
}
