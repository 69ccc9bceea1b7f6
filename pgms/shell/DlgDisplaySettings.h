// The display settings: a borderless window opened from the launcher that
// edits the display options of the machine options (adapter, windowed,
// resolution, vsync, antialiasing, the game's own pointer) with three check
// boxes, two drop-down lists and a "Close" button, all painted from the
// controls atlas onto the background picture. The options are saved when
// the window goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Image_Files.h"
#include "Window_Canvas.h"

struct TLauncher_Frames;

// Control kinds (which pick the column of the controls atlas) and states
// (the row of the atlas: the state's number times 22 pixels).
enum class TDS_Kind : std::int32_t { Push = 0, Arrow = 2, Checked = 6, Unchecked = 7 };
enum class TDS_State : std::int32_t { Normal = 0, Hovered = 1, Pressed = 2, Disabled = 3 };
constexpr std::int32_t DS_ROWS = 11;  // rows an open list shows
constexpr std::int32_t DS_ROW_HEIGHT = 14;

// The list that is open: none, the adapters or the resolutions.
enum class TDS_List { None, Adapters, Resolutions };

// The windowed sizes offered on a desktop of that size: the fixed sizes no
// wider than the desktop and lower than it (room for the window's caption),
// so a 1280 x 1024 desktop offers 1024 x 768 and 1280 x 768.
void Display_Settings_Windowed_Sizes(std::int32_t desktop_width, std::int32_t desktop_height,
                                     std::vector<std::string>& names, std::vector<std::int32_t>& widths,
                                     std::vector<std::int32_t>& heights);

class TDlg_DisplaySettings {
public:
  // Reads the machine options again, loads the pictures and sets up the
  // controls (a message box when there is no adapter).
  TDlg_DisplaySettings();
  // Writes every machine option.
  ~TDlg_DisplaySettings();
  TDlg_DisplaySettings(const TDlg_DisplaySettings&) = delete;
  TDlg_DisplaySettings& operator=(const TDlg_DisplaySettings&) = delete;

  std::int32_t m_Width() const { return f_background.width; }
  std::int32_t m_Height() const { return f_background.height; }
  bool m_Closed() const { return f_closed; }
  void m_Close() { f_closed = true; }

  // Controls 1..7 and the scroll parts 8 (up), 9 (middle), 10 (down).
  TDS_State m_State(std::int32_t control) const { return f_state[control]; }
  TDS_Kind m_Kind(std::int32_t control) const { return f_kind[control]; }
  // The control (1..7, or 8 and 10 while a list is open) under a window
  // point, 0 when none (edges inclusive).
  std::int32_t m_Control_At(std::int32_t x, std::int32_t y) const;
  TDS_List m_Open_List() const { return f_list; }
  std::int32_t m_List_Count() const { return std::int32_t(f_item_names.size()); }
  const std::vector<std::string>& m_List_Items() const { return f_item_names; }
  std::int32_t m_Scroll() const { return f_scroll; }
  std::int32_t m_Hover_Row() const { return f_hover_row; }

  void m_Mouse_Move(std::int32_t x, std::int32_t y);
  void m_Mouse_Down(std::int32_t x, std::int32_t y);
  void m_Mouse_Up(std::int32_t x, std::int32_t y);
  void m_Activate(std::int32_t control);

  const TImage& m_Paint();

  // The desktop's size for the windowed sizes (the platform's by default).
  std::int32_t f_desktop_width = 0, f_desktop_height = 0;

private:
  void m_Apply_Windowed();
  void m_Open(TDS_List list);
  void m_Close_List();
  void m_Update_Scroll_Arrows();
  void m_Select(std::int32_t item);
  bool m_In_Rows(std::int32_t x, std::int32_t y) const;

  TImage f_background, f_controls, f_screen;
  TWindow_Canvas f_canvas;
  TDS_State f_state[11] = {};
  TDS_Kind f_kind[11] = {};
  bool f_closed = false;
  TDS_List f_list = TDS_List::None;
  std::int32_t f_box_x = 0, f_box_y = 0, f_box_w = 0, f_box_h = 0;
  std::int32_t f_scroll = 0, f_hover_row = 0;
  std::vector<std::string> f_adapter_names;
  std::vector<std::uint32_t> f_adapter_ordinals;
  std::vector<std::string> f_item_names;
  std::vector<std::int32_t> f_item_widths, f_item_heights;
  std::vector<std::uint32_t> f_item_ordinals;
};

// Shows the window until its "Close" button (or the window's close) and
// plays the script's frames meanwhile.
void Display_Settings_Show(TDlg_DisplaySettings& settings, TLauncher_Frames& frames);
