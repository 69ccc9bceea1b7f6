// Controls and links that record what the toolkit does to them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "DC_Base_DisplayClass.h"
#include "Gui_Links.h"

// A shared journal of events, one text per entry.
using TJournal = std::vector<std::string>;

// A control that writes its events to a journal, as "<name> <event>".
class TProbe : public TDisplay_Class {
public:
  TProbe(TJournal& journal, std::int32_t kind = DC_KIND_CONTROL) : TDisplay_Class(kind), f_journal(journal) {}
  ~TProbe() override { f_journal.push_back(f_name + " destroyed"); }

  // Bounds, name and visibility in one step.
  TProbe& Place(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                bool modal = false) {
    m_Set_Bounds(name, x, y, w, h, modal);
    m_Set_Visible(true);
    return *this;
  }

  void m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t x, std::int32_t y) override {
    f_journal.push_back(f_name + " down " + std::to_string(x) + "," + std::to_string(y));
  }
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool elsewhere) override {
    f_journal.push_back(f_name + (elsewhere ? " up elsewhere" : " up here"));
  }
  void m_On_Double_Click(std::int32_t, std::int32_t) override { f_journal.push_back(f_name + " double"); }
  bool m_On_Mouse_Wheel(TShift_State, std::int16_t notches, std::int32_t, std::int32_t) override {
    f_journal.push_back(f_name + " wheel " + std::to_string(notches));
    return f_handles_wheel;
  }
  bool m_On_Key_Down(std::uint16_t& key, TShift_State) override {
    f_journal.push_back(f_name + " key " + std::to_string(key));
    return f_handles_key;
  }
  void m_Draw(double) override { f_journal.push_back(f_name + " draw" + (f_hovered ? " hovered" : "")); }
  void m_On_Timer(float) override {
    f_journal.push_back(f_name + " timer");
    if (f_timer_throws) throw std::runtime_error("timer");
    if (f_close_in_timer) f_kill_after_timer = true;
  }
  void m_On_Child_Killed(const std::string& child_name) override {
    f_journal.push_back(f_name + " child killed " + child_name);
    for (auto& owned : f_owned)
      if (owned && owned->m_Name() == child_name) owned.reset();
  }
  void m_On_Reposition() override { f_journal.push_back(f_name + " reposition"); }
  void m_On_Enabled_Changed() override { f_journal.push_back(f_name + " enabled " + (f_enabled ? "1" : "0")); }
  void m_Set_Focus() override {
    f_focused = true;
    m_Unfocus_Others();
  }
  void m_Lose_Focus() override { f_focused = false; }
  bool m_Can_Focus() override { return f_focusable && f_enabled && f_visible; }
  std::int32_t m_Get_Width() override { return f_natural_w; }
  std::int32_t m_Get_Height() override { return f_natural_h; }

  // Makes a child that this probe owns and frees when it is killed.
  TProbe& Own(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
              std::int32_t kind = DC_KIND_CONTROL, bool modal = false) {
    f_owned.push_back(std::make_unique<TProbe>(f_journal, kind));
    TProbe& child = *f_owned.back();
    child.Place(name, x, y, w, h, modal);
    Add_Child_Control(&child);
    return child;
  }

  TJournal& f_journal;
  std::vector<std::unique_ptr<TProbe>> f_owned;
  bool f_handles_wheel = false;
  bool f_handles_key = false;
  bool f_timer_throws = false;
  bool f_close_in_timer = false;
  bool f_focused = false;
  bool f_focusable = false;
  std::int32_t f_natural_w = 0, f_natural_h = 0;
  using TDisplay_Class::f_kill_after_timer;
  using TDisplay_Class::f_no_wheel_to_children;
};

// Journals whose entries start with a prefix.
inline TJournal Entries(const TJournal& journal, const std::string& prefix) {
  TJournal out;
  for (const auto& e : journal)
    if (e.rfind(prefix, 0) == 0) out.push_back(e);
  return out;
}

// A font layer in which every character is 7 x 12 pixels, that journals the
// texts drawn ("text <x>,<y> <colour hex> <text>") and types the letters,
// digits and space of a plain US keyboard.
class TFake_Text_Link : public TGui_Text_Link {
public:
  explicit TFake_Text_Link(TJournal& journal) : f_journal(journal) {}
  void m_Set_Font(std::int32_t font) override {
    f_font = font;
    f_color = 0xFF000000u | std::uint32_t(font);
  }
  void m_Draw_Text(std::int32_t x, std::int32_t y, const std::string& text) override {
    char colour[16];
    std::snprintf(colour, sizeof colour, "%08X", f_color);
    f_journal.push_back("text " + std::to_string(x) + "," + std::to_string(y) + " " + colour + " " + text);
  }
  void m_Set_Color(TColor color) override { f_color = color; }
  TColor m_Get_Color() override { return f_color; }
  void m_Draw_Text_Shadowed(std::int32_t x, std::int32_t y, const std::string& text) override {
    const TColor colour = f_color;
    f_color = 0xFF000000u;
    m_Draw_Text(x + 1, y + 1, text);
    f_color = colour;
    m_Draw_Text(x, y, text);
  }
  void m_Get_Text_Extents(const std::string& text, std::int32_t& width, std::int32_t& height) override {
    width = std::int32_t(text.size()) * 7;
    height = 12;
  }
  // Wrapped: width / 7 characters a line, at least one line.
  std::int32_t m_Get_Wrapped_Text_Height(std::int32_t, std::int32_t, std::int32_t width, std::int32_t line_height,
                                         const std::string& text, std::int32_t maximum_height) override {
    const std::int32_t per_line = std::max(1, width / 7);
    const std::int32_t lines = std::max<std::int32_t>(1, (std::int32_t(text.size()) + per_line - 1) / per_line);
    return std::min(lines * line_height, maximum_height);
  }
  void m_Draw_Text_Wrapped(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t line_height,
                           const std::string& text, std::int32_t maximum_height) override {
    char colour[16];
    std::snprintf(colour, sizeof colour, "%08X", f_color);
    f_journal.push_back("wrapped " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + " " +
                        std::to_string(line_height) + " " + std::to_string(maximum_height) + " " + colour + " " +
                        text);
  }
  std::string m_Key_Code_To_Text(std::uint16_t key, TShift_State shift) override {
    if (key == 32) return " ";
    if (key >= 48 && key <= 57) return std::string(1, char(key));
    if (key >= 65 && key <= 90) return std::string(1, (shift & SS_SHIFT) ? char(key) : char(key + 32));
    return std::string();
  }
  std::int32_t Font() const { return f_font; }

  TJournal& f_journal;
};

// Button frames journalled as "frame <x>,<y> image <i> style <s> <state>".
class TFake_Display_Link : public TGui_Display_Link {
public:
  explicit TFake_Display_Link(TJournal& journal) : f_journal(journal) {}
  void m_Draw_Button_Frame(std::int32_t x, std::int32_t y, std::int32_t image, std::int32_t style, bool hovered,
                           bool pressed, bool disabled) override {
    const char* state = disabled ? "disabled" : pressed ? "pressed" : hovered ? "hovered" : "normal";
    f_journal.push_back("frame " + std::to_string(x) + "," + std::to_string(y) + " image " + std::to_string(image) +
                        " style " + std::to_string(style) + " " + state);
  }
  void m_Draw_Grid_Icon(std::int32_t x, std::int32_t y, std::int32_t row, std::int32_t column) override {
    f_journal.push_back("flag " + std::to_string(x) + "," + std::to_string(y) + " row " + std::to_string(row) +
                        " column " + std::to_string(column));
  }
  TJournal& f_journal;
};

// Sounds journalled as "sound <id> <volume>".
class TFake_Sound_Link : public TGui_Sound_Link {
public:
  explicit TFake_Sound_Link(TJournal& journal) : f_journal(journal) {}
  void m_Play_UI_Sound(std::int32_t id, std::int32_t volume) override {
    f_journal.push_back("sound " + std::to_string(id) + " " + std::to_string(volume));
  }
  TJournal& f_journal;
};

// Installs the fake links over a 1024 x 768 screen with the mouse at 0, 0.
class TGui_Fixture : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  void Mouse(std::int32_t x, std::int32_t y);

  TJournal f_journal;
  TFake_Text_Link f_text{f_journal};
  TFake_Display_Link f_display{f_journal};
  TFake_Sound_Link f_sound{f_journal};
  std::int32_t f_saved_w = 0, f_saved_h = 0;
};
