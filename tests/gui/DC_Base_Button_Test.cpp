#include "DC_Base_Button.h"

#include <gtest/gtest.h>

#include <memory>

#include "DC_Base_ButtonToggle.h"
#include "DC_Base_TextButton.h"
#include "Datafile_UserSettings.h"
#include "GraphicsEngine.h"
#include "Gui_Test_Support.h"
#include "Render_Device_Headless.h"

namespace {

// A screen with two buttons A (10,10 40x20) and B (100,10 40x20), a
// headless device to draw on, and clicks written to the journal.
class Button_Test : public TGui_Fixture {
protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    TDevice_Params params;
    params.Width = 160;
    params.Height = 64;
    f_device = std::make_unique<TRender_Device_Headless>(params);
    Render_Device_Set_Current(f_device.get());
    G_Init_GraphicsEngine();
    f_root.Place("Root", 0, 0, 1000, 700);
    Setup(f_a, "A", 10);
    Setup(f_b, "B", 100);
    f_journal.clear();
  }
  void TearDown() override {
    G_Shutdown_GraphicsEngine();
    Render_Device_Set_Current(nullptr);
    f_device.reset();
    TGui_Fixture::TearDown();
  }
  void Setup(TDC_Button& b, const std::string& name, std::int32_t x) {
    b.m_Set_Style(1, 40, 20, 3, 77);
    b.m_Set_Position(name, x, 10);
    b.m_Set_Visible(true);
    b.OnClick = [this](const std::string& n, TMouse_Button button, TShift_State shift) {
      f_journal.push_back("click " + n + " " + std::to_string(button) + " " + std::to_string(shift));
    };
    f_root.Add_Child_Control(&b);
  }
  void Press(std::int32_t x, std::int32_t y) { f_root.m_Mouse_Down(MB_LEFT, SS_LEFT, x, y); }
  void Release(std::int32_t x, std::int32_t y) { f_root.MouseUp(MB_LEFT, SS_LEFT, x, y, false); }
  // The journal without the root's own entries, emptied.
  TJournal Take() {
    TJournal out;
    for (const auto& e : f_journal)
      if (e.rfind("Root ", 0) != 0) out.push_back(e);
    f_journal.clear();
    return out;
  }

  std::unique_ptr<TRender_Device_Headless> f_device;
  TProbe f_root{f_journal};
  TDC_Button f_a, f_b;
};

TEST_F(Button_Test, Click_Needs_Press_And_Release_On_The_Same_Button) {
  struct {
    std::int32_t px, py, rx, ry;
    bool a_enabled;
    TJournal expected;
  } cases[] = {
      {20, 15, 30, 20, true, {"sound 10 -2000", "click A 0 8"}},  // on A, released on A
      {20, 15, 200, 200, true, {}},                                // moved off
      {20, 15, 110, 15, true, {}},                                 // released over B
      {110, 15, 20, 15, true, {}},                                 // pressed on B, released over A
      {20, 15, 20, 15, false, {}},                                 // disabled
      {50, 30, 50, 30, true, {"sound 10 -2000", "click A 0 8"}},   // the inclusive corner
  };
  for (const auto& k : cases) {
    f_a.m_Set_Enabled(k.a_enabled);
    Press(k.px, k.py);
    EXPECT_EQ(f_a.m_Armed(), k.a_enabled && k.px < 60);
    Release(k.rx, k.ry);
    EXPECT_FALSE(f_a.m_Armed());
    EXPECT_EQ(Take(), k.expected) << k.px << "," << k.py << " -> " << k.rx << "," << k.ry;
  }
}

TEST_F(Button_Test, Auto_Repeat_While_Held) {
  f_a.f_auto_repeat = true;
  Press(20, 15);
  TJournal at;
  for (int step = 1; step <= 100; ++step) {
    f_root.TimerFired(0.01f);
    for (const auto& e : Take())
      if (e.rfind("click", 0) == 0) at.push_back(std::to_string(step) + " " + e);
  }
  EXPECT_EQ(at, (TJournal{"31 click A 0 0", "62 click A 0 0", "93 click A 0 0"}));
  Release(20, 15);
  EXPECT_EQ(Take(), (TJournal{"sound 10 -2000", "click A 0 8"}));
  f_root.TimerFired(1.0f);  // released: no more repeats
  EXPECT_TRUE(Take().empty());
}

TEST_F(Button_Test, Frame_State_Follows_The_Button) {
  f_b.m_Set_Visible(false);
  struct {
    std::int32_t mouse_x;
    bool press, enabled, no_disabled_look, no_pressed_look;
    const char* frame;
  } cases[] = {
      {500, false, true, false, false, "frame 10,10 image 3 style 1 normal"},
      {20, false, true, false, false, "frame 10,10 image 3 style 1 hovered"},
      {20, true, true, false, false, "frame 10,10 image 3 style 1 pressed"},
      {20, true, true, false, true, "frame 10,10 image 3 style 1 hovered"},
      {20, false, false, false, false, "frame 10,10 image 3 style 1 disabled"},
      {20, false, false, true, false, "frame 10,10 image 3 style 1 normal"},
  };
  for (const auto& k : cases) {
    f_a.m_Set_Enabled(k.enabled);
    f_a.f_no_disabled_look = k.no_disabled_look;
    f_a.f_no_pressed_look = k.no_pressed_look;
    if (k.press) Press(k.mouse_x, 15);
    Mouse(k.mouse_x, 15);
    f_journal.clear();
    f_root.m_Render(0.0);
    EXPECT_EQ(Entries(Take(), "frame"), TJournal{k.frame});
    Release(k.mouse_x, 15);
    f_journal.clear();
  }
  f_a.f_no_frame = true;
  f_root.m_Render(0.0);
  EXPECT_TRUE(Entries(Take(), "frame").empty());
}

TEST_F(Button_Test, Owner_Draw_Over_A_Filled_Background) {
  f_b.m_Set_Visible(false);
  f_a.f_custom_draw_first = true;
  f_a.f_custom_draw = [this](const std::string& name, std::int32_t tag, std::int32_t x, std::int32_t y,
                             std::int32_t w, std::int32_t h, bool hovered, bool pressed, bool disabled) {
    f_journal.push_back("custom " + name + " " + std::to_string(tag) + " " + std::to_string(x) + "," +
                        std::to_string(y) + " " + std::to_string(w) + "x" + std::to_string(h) + " " +
                        std::to_string(hovered) + std::to_string(pressed) + std::to_string(disabled));
  };
  f_device->Set_Recording(true);
  Mouse(500, 500);
  f_root.m_Render(0.0);
  EXPECT_EQ(Take(), (TJournal{"custom A 77 10,10 40x20 000", "frame 10,10 image 3 style 1 normal"}));
  // The background fills (12,12)-(48,28) in the button background colour.
  const auto surface = TRender_Device_Base::BACK_BUFFER_SURFACE;
  EXPECT_EQ(f_device->Pixel(surface, 12, 12), User_Settings.m_Get_Button_Background_Color());
  EXPECT_EQ(f_device->Pixel(surface, 48, 28), User_Settings.m_Get_Button_Background_Color());
  EXPECT_EQ(f_device->Pixel(surface, 49, 28), 0xFF000000u);
  EXPECT_EQ(f_device->Pixel(surface, 11, 12), 0xFF000000u);
  EXPECT_EQ(f_device->Draw_Records().size(), 1u);
  // Hovered: the highlight colour.
  Mouse(20, 15);
  f_root.m_Render(0.0);
  EXPECT_EQ(f_device->Pixel(surface, 30, 20), User_Settings.m_Get_Mouse_Over_Highlight_Color());
  // Drawn after the frame: no fill.
  f_a.f_custom_draw_first = false;
  f_device->Clear_Draw_Records();
  Take();
  f_root.m_Render(0.0);
  EXPECT_EQ(Take(), (TJournal{"frame 10,10 image 3 style 1 hovered", "custom A 77 10,10 40x20 100"}));
  EXPECT_TRUE(f_device->Draw_Records().empty());
}

// A window closed by its own Close button: the click only marks it, and the
// owner frees it in the kill pass after the release has been dispatched
// (the dispatch still walks the window and its button after OnClick).
TEST_F(Button_Test, A_Window_Closed_By_Its_Button_Is_Freed_By_The_Kill_Pass) {
  struct TWindow : TDisplay_Class {
    explicit TWindow(TJournal& journal) : TDisplay_Class(DC_KIND_WINDOW), f_journal(journal) {
      f_close.m_Set_Style(1, 40, 20, 0, 0);
      f_close.m_Set_Position("Close", 400, 400);
      f_close.m_Set_Visible(true);
      f_close.OnClick = [this](const std::string&, TMouse_Button, TShift_State) { Set_Kill_Object(true); };
      Add_Child_Control(&f_close);
    }
    ~TWindow() override { f_journal.push_back("window freed"); }
    TJournal& f_journal;
    TDC_Button f_close;
  };
  struct TOwner : TProbe {
    using TProbe::TProbe;
    void m_On_Child_Killed(const std::string& name) override {
      f_journal.push_back("closing " + name + (f_window && f_window->m_Killed() ? " marked" : ""));
      if (f_window && name == f_window->m_Name()) f_window.reset();
    }
    std::unique_ptr<TWindow> f_window;
  };
  TOwner owner(f_journal);
  owner.Place("Owner", 0, 0, 1000, 700);
  owner.f_window = std::make_unique<TWindow>(f_journal);
  owner.f_window->m_Set_Bounds("Window", 350, 350, 200, 200, false);
  owner.f_window->m_Set_Visible(true);
  owner.Add_Child_Control(owner.f_window.get());
  f_journal.clear();
  owner.m_Mouse_Down(MB_LEFT, 0, 410, 410);
  owner.MouseUp(MB_LEFT, 0, 410, 410, false);
  EXPECT_EQ(Entries(f_journal, "clos"), TJournal{"closing Window marked"});
  EXPECT_EQ(Entries(f_journal, "window"), TJournal{"window freed"});
  EXPECT_EQ(owner.f_window, nullptr);
  EXPECT_EQ(owner.m_Child_Count(), 0);
}

class Text_Button_Test : public TGui_Fixture {};

TEST_F(Text_Button_Test, Caption_Layout) {
  // Characters are 7 x 12: "Hello" is 35 x 12.
  struct {
    bool left, right;
    std::int32_t x_offset, y_offset, caption_x, caption_y;
  } cases[] = {
      {false, false, 0, 0, 100 + 45 - 17 + 1, 50 + 11 - 6 - 1},
      {false, false, 3, -2, 100 + 45 + 3 - 17 + 1, 50 + 11 - 2 - 6 - 1},
      {true, false, 4, 0, 104, 50 + 11 - 6},
      {false, true, 4, 1, 100 + 90 - 4 - 35, 50 + 11 + 1 - 6},
  };
  for (const auto& k : cases) {
    TDC_Text_Button b;
    b.m_Set_Style(2, 90, 22, 0, 0);
    b.f_align_left = k.left;
    b.f_align_right = k.right;
    b.f_x_offset = k.x_offset;
    b.f_y_offset = k.y_offset;
    b.m_Set_Text("Hello");
    b.m_Set_Position("T", 100, 50);
    EXPECT_EQ(b.m_Caption_X(), k.caption_x);
    EXPECT_EQ(b.m_Caption_Y(), k.caption_y);
  }
}

TEST_F(Text_Button_Test, Same_Text_Is_Not_Laid_Out_Again) {
  TDC_Text_Button b;
  b.m_Set_Style(2, 90, 22, 0, 0);
  b.m_Set_Position("T", 0, 0);
  b.m_Set_Text("OK");
  const std::int32_t x = b.m_Caption_X();
  b.f_x_offset = 10;
  b.m_Set_Text("OK");
  EXPECT_EQ(b.m_Caption_X(), x);
  b.m_Set_Text("Ok");
  EXPECT_EQ(b.m_Caption_X(), x + 10);
}

TEST_F(Text_Button_Test, Caption_Drawing) {
  TProbe root(f_journal);
  root.Place("Root", 0, 0, 1000, 700);
  TDC_Text_Button b;
  b.m_Set_Style(2, 90, 22, 0, 0);
  b.m_Set_Font(5);
  b.f_align_left = true;
  b.m_Set_Text("Go");
  b.m_Set_Position("Go", 10, 10);
  b.m_Set_Visible(true);
  root.Add_Child_Control(&b);
  // Font 5 draws in the fake link's colour FF000005.
  f_journal.clear();
  b.m_Render(0.0);
  EXPECT_EQ(Entries(f_journal, "text"), TJournal{"text 10,15 FF000005 Go"});
  root.m_Mouse_Down(MB_LEFT, 0, 20, 20);
  f_journal.clear();
  b.m_Render(0.0);
  EXPECT_EQ(Entries(f_journal, "text"), TJournal{"text 12,17 FF000005 Go"});
  root.MouseUp(MB_LEFT, 0, 20, 20, false);
  b.m_Set_Shadow();
  b.m_Set_Enabled(false);
  f_journal.clear();
  b.m_Render(0.0);
  char disabled[16];
  std::snprintf(disabled, sizeof disabled, "%08X", User_Settings.m_Get_Disabled_Text_Color());
  EXPECT_EQ(Entries(f_journal, "text"),
            (TJournal{"text 11,16 FF000000 Go", std::string("text 10,15 ") + disabled + " Go"}));
  b.f_no_disabled_look = true;
  f_journal.clear();
  b.m_Render(0.0);
  EXPECT_EQ(Entries(f_journal, "text"), (TJournal{"text 11,16 FF000000 Go", "text 10,15 FFFFFFFF Go"}));
}

// Two toggles side by side as the options of a radio group: A at (0, 0) and
// B at (50, 0), 40 x 40 each.
TEST_F(Text_Button_Test, Toggle_Flips_Only_On_A_Click_With_One_Sound) {
  TProbe root(f_journal);
  root.Place("Root", 0, 0, 1000, 700);
  TDC_Button_Toggle a, b;
  int clicks = 0;
  for (TDC_Button_Toggle* t : {&a, &b}) {
    t->m_Set_Style(4, 40, 40, 0, 0);
    t->m_Set_Frames(5, 6);
    t->m_Set_Visible(true);
    t->OnClick = [&](const std::string&, TMouse_Button, TShift_State) { ++clicks; };
    root.Add_Child_Control(t);
  }
  a.m_Set_Position("A", 0, 0);
  b.m_Set_Position("B", 50, 0);
  EXPECT_EQ(a.m_Image(), 6);
  EXPECT_FALSE(a.m_Is_On());
  struct {
    const char* what;
    std::int32_t press_x, release_x;  // both at y 20; -1: no press
    bool a_on, b_on;
    int clicks, sounds;
  } cases[] = {
      {"press and release on A", 20, 20, true, false, 1, 1},
      {"release on A without a press", -1, 20, true, false, 0, 0},
      {"press elsewhere, release on B", 500, 70, true, false, 0, 0},
      {"press on A, release on B", 20, 70, true, false, 0, 0},
      {"press on A, release off it", 20, 300, true, false, 0, 0},
      {"press and release on B", 70, 70, true, true, 1, 1},
      {"press and release on A again", 20, 20, false, true, 1, 1},
  };
  for (const auto& k : cases) {
    f_journal.clear();
    clicks = 0;
    if (k.press_x >= 0) root.m_Mouse_Down(MB_LEFT, 0, k.press_x, 20);
    root.MouseUp(MB_LEFT, 0, k.release_x, 20, false);
    EXPECT_EQ(a.m_Is_On(), k.a_on) << k.what;
    EXPECT_EQ(b.m_Is_On(), k.b_on) << k.what;
    EXPECT_EQ(clicks, k.clicks) << k.what;
    EXPECT_EQ(Entries(f_journal, "sound").size(), std::size_t(k.sounds)) << k.what;
  }
  // Without OnClick a click still flips it and sounds once.
  a.OnClick = nullptr;
  f_journal.clear();
  root.m_Mouse_Down(MB_LEFT, 0, 20, 20);
  root.MouseUp(MB_LEFT, 0, 20, 20, false);
  EXPECT_TRUE(a.m_Is_On());
  EXPECT_EQ(Entries(f_journal, "sound"), (TJournal{"sound 10 -2000"}));
  a.m_Set_On(false);
  EXPECT_EQ(a.m_Image(), 6);
}

}  // namespace
