#include "DC_Base_EditText.h"

#include <gtest/gtest.h>

#include <memory>

#include "Datafile_UserSettings.h"
#include "GraphicsEngine.h"
#include "Gui_Test_Support.h"
#include "Render_Device_Headless.h"

namespace {

std::uint32_t fake_now = 0;
std::uint32_t Fake_Now() { return fake_now; }

// Characters are 7 x 12 in the fake font. Boxes are 100 x 20 at (10, 10):
// 85 pixels available, 12 characters fit.
class Edit_Test : public TGui_Fixture {
protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    fake_now = 1000;
    Set_Gui_Tick_Source(&Fake_Now);
    f_root.Place("Root", 0, 0, 1000, 700);
    for (int i = 0; i < 3; ++i) {
      f_edits[i] = std::make_unique<TDC_EditText>();
      f_edits[i]->m_Set_Position("Edit" + std::to_string(i + 1), 10, 10 + 30 * i, 100, 20);
      f_edits[i]->m_Set_Visible(true);
      f_edits[i]->OnChange = [this](const std::string& n) { f_journal.push_back("change " + n); };
      f_root.Add_Child_Control(f_edits[i].get());
    }
    f_journal.clear();
  }
  void TearDown() override {
    Set_Gui_Tick_Source(nullptr);
    TGui_Fixture::TearDown();
  }
  // Types a key at the root; answers whether it was handled.
  bool Key(std::uint16_t key, TShift_State shift = 0) { return f_root.m_Key_Down(key, shift); }
  void Type(const std::string& letters) {
    for (char c : letters) {
      const bool upper = c >= 'A' && c <= 'Z';
      Key(std::uint16_t(upper ? c : (c >= 'a' && c <= 'z') ? c - 32 : c), upper ? SS_SHIFT : 0);
    }
  }
  TDC_EditText& E(int i) { return *f_edits[i - 1]; }

  TProbe f_root{f_journal};
  std::unique_ptr<TDC_EditText> f_edits[3];
};

TEST_F(Edit_Test, Typing_And_Editing_Keys) {
  E(1).m_Set_Focus();
  Type("Ab1");
  EXPECT_EQ(E(1).m_Text(), "Ab1");
  EXPECT_TRUE(E(1).f_changed);
  EXPECT_EQ(Entries(f_journal, "change"), (TJournal{"change Edit1", "change Edit1", "change Edit1"}));
  struct {
    std::uint16_t key;
    bool handled;
    const char* text;
    std::int32_t caret;
    bool change;
  } steps[] = {
      {VK_LEFT, false, "Ab1", 2, true},    {VK_HOME, false, "Ab1", 0, true},  {VK_BACK, false, "Ab1", 0, false},
      {VK_DELETE, true, "b1", 0, true},    {VK_END, false, "b1", 2, true},    {VK_DELETE, false, "b1", 2, false},
      {VK_RIGHT, false, "b1", 2, true},    {VK_BACK, true, "b", 1, true},     {VK_HOME, false, "b", 0, true},
      {'Z', true, "zb", 1, true},          {VK_SPACE, true, "z b", 2, true},  {20, false, "z b", 2, false},
  };
  for (const auto& s : steps) {
    f_journal.clear();
    EXPECT_EQ(Key(s.key), s.handled) << s.key;
    EXPECT_EQ(E(1).m_Text(), s.text) << s.key;
    EXPECT_EQ(E(1).m_Caret_Position(), s.caret) << s.key;
    EXPECT_EQ(Entries(f_journal, "change").size(), s.change ? 1u : 0u) << s.key;
  }
  EXPECT_EQ(E(2).m_Text(), "");
}

TEST_F(Edit_Test, Unfocused_Disabled_Or_Read_Only_Boxes_Ignore_Keys) {
  EXPECT_FALSE(Key('A'));
  E(1).m_Set_Focus();
  E(1).f_editable = false;
  EXPECT_FALSE(Key('A'));
  E(1).f_editable = true;
  E(1).m_Set_Enabled(false);
  EXPECT_FALSE(Key('A'));
  EXPECT_EQ(E(1).m_Text(), "");
  EXPECT_TRUE(Entries(f_journal, "change").empty());
}

TEST_F(Edit_Test, Maximum_Length_And_Digits_Only) {
  E(1).m_Set_Focus();
  E(1).f_maximum_length = 8;
  Type("12345678");
  EXPECT_FALSE(Key('9'));
  EXPECT_EQ(E(1).m_Text(), "12345678");
  E(2).m_Set_Focus();
  E(2).f_digits_only = true;
  EXPECT_FALSE(Key('A'));
  EXPECT_TRUE(Key('7'));
  EXPECT_EQ(E(2).m_Text(), "7");
}

TEST_F(Edit_Test, Tab_Moves_The_Focus_And_Wraps) {
  E(2).f_not_focusable = true;
  E(1).m_Set_Focus();
  EXPECT_TRUE(Key(VK_TAB));
  EXPECT_FALSE(E(1).m_Focused());
  EXPECT_FALSE(E(2).m_Focused());
  EXPECT_TRUE(E(3).m_Focused());
  EXPECT_TRUE(Key(VK_TAB));  // the last one: back to the first
  EXPECT_TRUE(E(1).m_Focused());
  EXPECT_FALSE(E(3).m_Focused());
  // A press takes the focus.
  E(2).f_not_focusable = false;
  E(2).OnMouseDown = [this](const std::string& n) { f_journal.push_back("down " + n); };
  f_journal.clear();
  f_root.m_Mouse_Down(MB_LEFT, 0, 20, 45);
  EXPECT_EQ(Entries(f_journal, "down"), TJournal{"down Edit2"});
  EXPECT_TRUE(E(2).m_Focused());
  EXPECT_FALSE(E(1).m_Focused());
}

TEST_F(Edit_Test, Layout_Shows_The_Tail_Of_A_Long_Text) {
  struct {
    std::string text;
    bool password, centred;
    std::string display;
    std::int32_t text_x, caret_offset;
  } cases[] = {
      {"abc", false, false, "abc", 15, 21},
      {"abc", false, true, "abc", 15 + 42 - 10, 21},
      {"abcdefghijklmn", false, false, "bcdefghijklmn", 15, 98},  // 13 characters: one over
      {"abcdefghijklmn", true, false, "bcdefghijklmn", 15, 98},
      {"\xc3\xa9t\xc3\xa9", false, false, "\xc3\xa9t\xc3\xa9", 15, 35},  // caret after 3 characters, 5 bytes
  };
  for (const auto& k : cases) {
    TDC_EditText e;
    e.f_password = k.password;
    e.f_centred = k.centred;
    e.m_Set_Position("E", 10, 10, 100, 20);
    e.m_Set_Text(k.text);
    EXPECT_EQ(e.m_Display_Text(), k.display) << k.text;
    EXPECT_EQ(e.m_Masked_Text(), std::string(Utf8_Length(k.display), '*')) << k.text;
    EXPECT_EQ(e.m_Text_X(), k.text_x) << k.text;
    EXPECT_EQ(e.m_Text_Y(), 10 + 10 - 6 - 1) << k.text;
    EXPECT_EQ(e.m_Caret_Offset(), k.caret_offset) << k.text;
  }
}

TEST_F(Edit_Test, Drawing_Text_Shadow_And_Blinking_Caret) {
  TDevice_Params params;
  params.Width = 160;
  params.Height = 64;
  auto device = std::make_unique<TRender_Device_Headless>(params);
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  E(1).m_Set_Text("Hi");
  E(1).m_Set_Shadow_Color(0, 0, 0);
  E(1).m_Set_Focus();
  f_journal.clear();
  E(1).m_Render(0.0);  // the caret is not shown yet
  EXPECT_EQ(f_journal, (TJournal{"text 16,14 FF000000 Hi", "text 15,13 FFFFFFFF Hi"}));
  const auto surface = TRender_Device_Base::BACK_BUFFER_SURFACE;
  EXPECT_EQ(device->Pixel(surface, 28, 20), 0xFF000000u);
  fake_now += 501;
  E(1).m_Render(0.0);  // flips the blink phase
  EXPECT_TRUE(E(1).m_Caret_Shown());
  E(1).m_Render(0.0);
  // The caret: 2 pixels wide at x + 14 + 4 = 28, from y + 2 for 15 pixels.
  EXPECT_EQ(device->Pixel(surface, 28, 12), 0xFFFFFFFFu);
  EXPECT_EQ(device->Pixel(surface, 29, 26), 0xFFFFFFFFu);
  EXPECT_EQ(device->Pixel(surface, 30, 20), 0xFF000000u);
  EXPECT_EQ(device->Pixel(surface, 28, 27), 0xFF000000u);
  // Disabled: the disabled colour and no caret.
  E(1).m_Set_Enabled(false);
  f_journal.clear();
  device->Clear_Draw_Records();
  device->Set_Recording(true);
  E(1).m_Render(0.0);
  char disabled[16];
  std::snprintf(disabled, sizeof disabled, "%08X", User_Settings.m_Get_Disabled_Text_Color());
  EXPECT_EQ(f_journal, (TJournal{"text 16,14 FF000000 Hi", std::string("text 15,13 ") + disabled + " Hi"}));
  EXPECT_TRUE(device->Draw_Records().empty());
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
}

}  // namespace
