#include "DlgDisplaySettings.h"

#include <algorithm>

#include "Datafile_MainFonts.h"
#include "Debug_Log.h"
#include "DlgStartup.h"
#include "GraphicsEngine.h"
#include "MachineOptions.h"
#include "Path.h"
#include "Platform_Input.h"

namespace {

struct TPlace {
  std::int32_t x, y, w, h;
};
// Controls 1..7: "Close", adapter arrow, "Windowed", resolution arrow,
// "Vsync", "Antialiasing", "Display Settings Use Game Cursor".
constexpr TPlace PLACES[8] = {{0, 0, 0, 0},       {305, 276, 90, 22}, {357, 35, 22, 22},  {149, 61, 22, 22},
                              {357, 87, 22, 22},  {149, 113, 22, 22}, {149, 139, 22, 22}, {149, 165, 22, 22}};
constexpr std::int32_t SCROLL_UP = 8, SCROLL_MIDDLE = 9, SCROLL_DOWN = 10;

// The atlas column of a control kind and of the scroll parts.
std::int32_t Atlas_X(TDS_Kind kind) {
  switch (kind) {
    case TDS_Kind::Push: return 264;
    case TDS_Kind::Arrow: return 44;
    case TDS_Kind::Checked: return 132;
    case TDS_Kind::Unchecked: return 154;
    default: return 0;
  }
}

// The atlas row of a state.
std::int32_t Atlas_Y(TDS_State state) { return 22 * std::int32_t(state); }

const char* const WINDOWED_SIZES[7] = {"1024 x 768",  "1280 x 768",  "1280 x 1024", "1600 x 1024",
                                       "1600 x 1200", "1920 x 1024", "1920 x 1200"};
constexpr std::int32_t WINDOWED_W[7] = {1024, 1280, 1280, 1600, 1600, 1920, 1920};
constexpr std::int32_t WINDOWED_H[7] = {768, 768, 1024, 1024, 1200, 1024, 1200};

bool Within(const TPlace& p, std::int32_t x, std::int32_t y) {
  return x >= p.x && x <= p.x + p.w && y >= p.y && y <= p.y + p.h;
}

void Load_Picture(const std::string& path, TImage& image, std::int32_t width, std::int32_t height) {
  std::string error;
  if (Image_Read_File(path, image, &error)) return;
  Debug_Log_Write("TDlg_DisplaySettings - " + path + ": " + error);
  image.Set_Size(width, height, 0xFF000000u);
}

void Fill(TImage& image, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::uint32_t argb) {
  for (std::int32_t yy = std::max(0, y); yy < std::min(image.height, y + h); ++yy)
    for (std::int32_t xx = std::max(0, x); xx < std::min(image.width, x + w); ++xx) image.Set_Pixel(xx, yy, argb);
}

void Frame(TImage& image, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::uint32_t argb) {
  Fill(image, x, y, w, 1, argb);
  Fill(image, x, y + h - 1, w, 1, argb);
  Fill(image, x, y, 1, h, argb);
  Fill(image, x + w - 1, y, 1, h, argb);
}

}  // namespace

void Display_Settings_Windowed_Sizes(std::int32_t desktop_width, std::int32_t desktop_height,
                                     std::vector<std::string>& names, std::vector<std::int32_t>& widths,
                                     std::vector<std::int32_t>& heights) {
  names.clear();
  widths.clear();
  heights.clear();
  for (int i = 0; i < 7; ++i) {
    if (desktop_width >= WINDOWED_W[i] && desktop_height > WINDOWED_H[i]) {
      names.push_back(WINDOWED_SIZES[i]);
      widths.push_back(WINDOWED_W[i]);
      heights.push_back(WINDOWED_H[i]);
    }
  }
}

TDlg_DisplaySettings::TDlg_DisplaySettings() {
  if (Machine_Options) Machine_Options->m_Load();
  Load_Picture(Path_Settings ? Path_Settings->m_Get_Dlg_GraphicsSetup_Bmp() : std::string(), f_background, 400, 310);
  Picture_Magenta_To_Black(f_background);
  Load_Picture(Path_Settings ? Path_Settings->m_Get_Buttons_Bmp() : std::string(), f_controls, 354, 88);
  f_kind[1] = TDS_Kind::Push;
  f_kind[2] = f_kind[4] = TDS_Kind::Arrow;
  m_Apply_Windowed();
  if (!Platform_Desktop_Size(f_desktop_width, f_desktop_height)) {
    f_desktop_width = 1024;
    f_desktop_height = 768;
  }
  if (!G_Get_Adapter_List(f_adapter_names, f_adapter_ordinals) || f_adapter_names.empty()) {
    Platform_Message_Box("Error", "Error: No Compatible Devices");
  } else if (Machine_Options && Machine_Options->f_adapter_text.empty()) {
    Machine_Options->f_adapter_text = f_adapter_names[0];
    Machine_Options->f_adapter_ordinal = f_adapter_ordinals[0];
  }
  if (Machine_Options && Machine_Options->f_video_mode_text.empty()) {
    Machine_Options->f_video_mode_text = "1024 x 768";
    Machine_Options->f_resolution_width = 1024;
    Machine_Options->f_resolution_height = 768;
  }
}

TDlg_DisplaySettings::~TDlg_DisplaySettings() {
  if (Machine_Options) Machine_Options->m_Save();
}

void TDlg_DisplaySettings::m_Apply_Windowed() {
  TMachine_Options* o = Machine_Options;
  if (!o) return;
  // In full screen the game draws its own pointer, whatever was chosen.
  if (!o->f_windowed) {
    o->f_display_settings_use_game_cursor = true;
    f_state[7] = TDS_State::Disabled;
  } else if (f_state[7] == TDS_State::Disabled && f_list == TDS_List::None) {
    f_state[7] = TDS_State::Normal;
  }
}

std::int32_t TDlg_DisplaySettings::m_Control_At(std::int32_t x, std::int32_t y) const {
  if (f_list != TDS_List::None) {
    const std::int32_t right = f_box_x + f_box_w;
    if (Within(TPlace{right - 22, f_box_y, 22, 22}, x, y)) return SCROLL_UP;
    if (Within(TPlace{right - 22, f_box_y + f_box_h - 22, 22, 22}, x, y)) return SCROLL_DOWN;
  }
  for (std::int32_t i = 1; i <= 7; ++i)
    if (Within(PLACES[i], x, y)) return i;
  return 0;
}

bool TDlg_DisplaySettings::m_In_Rows(std::int32_t x, std::int32_t y) const {
  return x >= f_box_x && x < f_box_x + f_box_w - 22 && y >= f_box_y && y < f_box_y + f_box_h;
}

void TDlg_DisplaySettings::m_Mouse_Move(std::int32_t x, std::int32_t y) {
  const std::int32_t under = m_Control_At(x, y);
  if (f_list != TDS_List::None) {
    for (std::int32_t c : {SCROLL_UP, SCROLL_DOWN})
      if (f_state[c] != TDS_State::Disabled && f_state[c] != TDS_State::Pressed)
        f_state[c] = c == under ? TDS_State::Hovered : TDS_State::Normal;
    f_hover_row = 0;
    if (m_In_Rows(x, y)) {
      const std::int32_t row = (y - f_box_y) / DS_ROW_HEIGHT + 1;
      if (row <= DS_ROWS && f_scroll + row <= m_List_Count()) f_hover_row = row;
    }
    return;
  }
  for (std::int32_t i = 1; i <= 7; ++i)
    if (f_state[i] != TDS_State::Disabled && f_state[i] != TDS_State::Pressed)
      f_state[i] = i == under ? TDS_State::Hovered : TDS_State::Normal;
}

void TDlg_DisplaySettings::m_Mouse_Down(std::int32_t x, std::int32_t y) {
  const std::int32_t under = m_Control_At(x, y);
  if (f_list != TDS_List::None) {
    if ((under == SCROLL_UP || under == SCROLL_DOWN) && f_state[under] != TDS_State::Disabled)
      f_state[under] = TDS_State::Pressed;
    return;
  }
  if (under != 0 && f_state[under] != TDS_State::Disabled) f_state[under] = TDS_State::Pressed;
}

void TDlg_DisplaySettings::m_Mouse_Up(std::int32_t x, std::int32_t y) {
  const std::int32_t under = m_Control_At(x, y);
  if (f_list != TDS_List::None) {
    if (under == SCROLL_UP || under == SCROLL_DOWN) {
      if (f_state[under] == TDS_State::Pressed) {
        f_state[under] = TDS_State::Normal;
        f_scroll += under == SCROLL_UP ? -1 : 1;
        m_Update_Scroll_Arrows();
      }
      return;
    }
    for (std::int32_t c : {SCROLL_UP, SCROLL_DOWN})
      if (f_state[c] == TDS_State::Pressed) f_state[c] = TDS_State::Normal;
    if (m_In_Rows(x, y) && f_hover_row != 0) m_Select(f_scroll + f_hover_row);
    m_Close_List();
    return;
  }
  if (under != 0 && f_state[under] == TDS_State::Pressed) m_Activate(under);
  for (std::int32_t i = 1; i <= 7; ++i)
    if (f_state[i] != TDS_State::Disabled) f_state[i] = TDS_State::Normal;
}

void TDlg_DisplaySettings::m_Activate(std::int32_t control) {
  if (control < 1 || control > 7 || f_state[control] == TDS_State::Disabled || !Machine_Options) return;
  TMachine_Options& o = *Machine_Options;
  switch (control) {
    case 1: f_closed = true; break;
    case 2: f_list == TDS_List::Adapters ? m_Close_List() : m_Open(TDS_List::Adapters); break;
    case 4: f_list == TDS_List::Resolutions ? m_Close_List() : m_Open(TDS_List::Resolutions); break;
    case 3:
      o.f_windowed = !o.f_windowed;
      o.f_video_mode_text = "1024 x 768";
      o.f_resolution_width = 1024;
      o.f_resolution_height = 768;
      m_Apply_Windowed();
      break;
    case 5: o.f_vsync = !o.f_vsync; break;
    case 6: o.f_antialiasing = !o.f_antialiasing; break;
    case 7: o.f_display_settings_use_game_cursor = !o.f_display_settings_use_game_cursor; break;
  }
}

void TDlg_DisplaySettings::m_Open(TDS_List list) {
  for (std::int32_t i = 1; i <= 7; ++i) f_state[i] = TDS_State::Disabled;
  f_list = list;
  f_box_x = 149;
  f_box_y = list == TDS_List::Adapters ? 57 : 109;
  f_box_w = 230;
  f_box_h = 176;
  f_scroll = 0;
  f_hover_row = 0;
  f_item_names.clear();
  f_item_widths.clear();
  f_item_heights.clear();
  f_item_ordinals.clear();
  if (list == TDS_List::Adapters) {
    f_item_names = f_adapter_names;
    f_item_ordinals = f_adapter_ordinals;
  } else if (Machine_Options && Machine_Options->f_windowed) {
    Display_Settings_Windowed_Sizes(f_desktop_width, f_desktop_height, f_item_names, f_item_widths, f_item_heights);
  } else {
    G_Get_Display_Mode_List(Machine_Options ? Machine_Options->f_adapter_ordinal : 0, f_item_names, f_item_widths,
                            f_item_heights);
  }
  if (m_List_Count() <= DS_ROWS) {
    f_state[SCROLL_UP] = f_state[SCROLL_DOWN] = TDS_State::Disabled;
  } else {
    f_state[SCROLL_UP] = TDS_State::Disabled;
    f_state[SCROLL_DOWN] = TDS_State::Normal;
  }
}

void TDlg_DisplaySettings::m_Close_List() {
  f_list = TDS_List::None;
  f_hover_row = 0;
  for (std::int32_t i = 1; i <= 7; ++i) f_state[i] = TDS_State::Normal;
  m_Apply_Windowed();
}

void TDlg_DisplaySettings::m_Update_Scroll_Arrows() {
  const std::int32_t last = std::max(0, m_List_Count() - DS_ROWS);
  f_scroll = std::clamp(f_scroll, 0, last);
  f_state[SCROLL_UP] = f_scroll == 0 ? TDS_State::Disabled : TDS_State::Normal;
  f_state[SCROLL_DOWN] = f_scroll + DS_ROWS >= m_List_Count() ? TDS_State::Disabled : TDS_State::Normal;
}

void TDlg_DisplaySettings::m_Select(std::int32_t item) {
  if (!Machine_Options || item < 1 || item > m_List_Count()) return;
  const std::size_t i = std::size_t(item - 1);
  if (f_list == TDS_List::Adapters) {
    Machine_Options->f_adapter_text = f_item_names[i];
    Machine_Options->f_adapter_ordinal = f_item_ordinals[i];
  } else {
    Machine_Options->f_video_mode_text = f_item_names[i];
    Machine_Options->f_resolution_width = f_item_widths[i];
    Machine_Options->f_resolution_height = f_item_heights[i];
  }
}

const TImage& TDlg_DisplaySettings::m_Paint() {
  f_screen = f_background;
  f_canvas.Set_Handle(&f_screen);
  G_Canvas_Set_Font(&f_canvas, 2);
  if (Machine_Options) {
    G_Canvas_Text_Out(&f_canvas, 154, 40, Machine_Options->f_adapter_text);
    G_Canvas_Text_Out(&f_canvas, 154, 92, Machine_Options->f_video_mode_text);
    f_kind[3] = Machine_Options->f_windowed ? TDS_Kind::Checked : TDS_Kind::Unchecked;
    f_kind[5] = Machine_Options->f_vsync ? TDS_Kind::Checked : TDS_Kind::Unchecked;
    f_kind[6] = Machine_Options->f_antialiasing ? TDS_Kind::Checked : TDS_Kind::Unchecked;
    f_kind[7] = Machine_Options->f_display_settings_use_game_cursor ? TDS_Kind::Checked : TDS_Kind::Unchecked;
  }
  for (std::int32_t i = 1; i <= 7; ++i) {
    const TPlace& p = PLACES[i];
    Picture_Copy_Keyed(f_screen, p.x, p.y, f_controls, Atlas_X(f_kind[i]), Atlas_Y(f_state[i]), p.w, p.h);
  }
  {
    const std::string caption = "Close";
    const TPlace& p = PLACES[1];
    std::int32_t x = p.x + (p.w - G_Canvas_Text_Width(&f_canvas, caption)) / 2;
    std::int32_t y = p.y + (p.h - G_Canvas_Text_Height(&f_canvas, caption)) / 2;
    if (f_state[1] == TDS_State::Pressed) {
      x += 2;
      y += 2;
    }
    if (f_state[1] == TDS_State::Disabled) G_Canvas_Set_Font_Color(&f_canvas, 0x808080);
    G_Canvas_Text_Out(&f_canvas, x, y, caption);
    G_Canvas_Set_Font(&f_canvas, 2);
  }
  if (f_list != TDS_List::None) {
    Fill(f_screen, f_box_x, f_box_y, f_box_w, f_box_h, 0xFF323232u);
    Frame(f_screen, f_box_x, f_box_y, f_box_w, f_box_h, 0xFF000000u);
    const std::int32_t right = f_box_x + f_box_w, bottom = f_box_y + f_box_h;
    Fill(f_screen, right - 22, f_box_y, 1, f_box_h, 0xFF000000u);
    for (std::int32_t row = 1; row <= DS_ROWS && f_scroll + row <= m_List_Count(); ++row) {
      const std::int32_t top = f_box_y + (row - 1) * DS_ROW_HEIGHT;
      if (row == f_hover_row) Fill(f_screen, f_box_x, top, f_box_w - 22, DS_ROW_HEIGHT, 0xFF0000C8u);
      G_Canvas_Text_Out(&f_canvas, f_box_x + 2, top, f_item_names[std::size_t(f_scroll + row - 1)]);
    }
    Picture_Copy_Keyed(f_screen, right - 22, f_box_y, f_controls, 66, Atlas_Y(f_state[SCROLL_UP]), 22, 22);
    if (m_List_Count() > DS_ROWS)
      Picture_Copy_Keyed(f_screen, right - 22, f_box_y + 24, f_controls, 220, Atlas_Y(f_state[SCROLL_MIDDLE]), 22, 22);
    Picture_Copy_Keyed(f_screen, right - 22, bottom - 22, f_controls, 44, Atlas_Y(f_state[SCROLL_DOWN]), 22, 22);
  }
  f_canvas.Set_Handle(nullptr);
  return f_screen;
}

void Display_Settings_Show(TDlg_DisplaySettings& settings, TLauncher_Frames& frames) {
  TPicture_Window window("Globarch", settings.m_Width(), settings.m_Height());
  if (!window.m_Open()) return;
  while (!settings.m_Closed()) {
    const TImage& picture = settings.m_Paint();
    window.m_Show(picture);
    Launcher_Frame(frames, picture);
    if (frames.quit) {
      // The script's "quit" closes this window first, then the launcher.
      settings.m_Close();
      break;
    }
    TInput_Event e;
    while (!settings.m_Closed() && Platform_Poll_Event(e)) {
      const std::uint32_t target = Platform_Last_Event_Window();
      if (target != 0 && target != window.m_Window_Id()) continue;
      switch (e.kind) {
        case TInput_Kind::Close: settings.m_Close(); break;
        case TInput_Kind::Mouse_Move: settings.m_Mouse_Move(e.x, e.y); break;
        case TInput_Kind::Mouse_Down: if (e.button == 0) settings.m_Mouse_Down(e.x, e.y); break;
        case TInput_Kind::Mouse_Up: if (e.button == 0) settings.m_Mouse_Up(e.x, e.y); break;
        default: break;
      }
    }
    Platform_Sleep_Ms(16);
  }
}
