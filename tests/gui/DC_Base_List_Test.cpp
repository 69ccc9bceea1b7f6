#include "DC_Base_List.h"

#include <gtest/gtest.h>

#include <memory>

#include "Datafile_UserSettings.h"
#include "GraphicsEngine.h"
#include "Gui_Test_Support.h"
#include "Render_Device_Headless.h"

namespace {

// A list at (100, 50), 200 x 200, in a root control; the scroll column is
// x 278..300. Events go to the journal.
class List_Test : public TGui_Fixture {
protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    f_root.Place("Root", 0, 0, 1000, 700);
    f_list.m_Set_Name_And_Bounds("L", 100, 50, 200, 200);
    f_list.m_Set_Visible(true);
    f_root.Add_Child_Control(&f_list);
    f_list.OnSelect = [this](const std::string& n, std::int32_t row, const std::string& text, const std::string& key) {
      f_journal.push_back("select " + n + " " + std::to_string(row) + " " + text + " " + key);
    };
    f_journal.clear();
  }
  // Rows "Row 1".."Row n" with keys "k1".., each 20 pixels high.
  void Fill(int n) {
    for (int i = 1; i <= n; ++i) f_list.m_Add_Row("Row " + std::to_string(i), "k" + std::to_string(i), 20);
  }
  void Click(std::int32_t x, std::int32_t y, TMouse_Button b = MB_LEFT) {
    f_root.m_Mouse_Down(b, 0, x, y);
    f_root.MouseUp(b, 0, x, y, false);
  }
  TJournal Events() {
    TJournal out;
    for (const auto& e : f_journal)
      if (e.rfind("Root ", 0) != 0) out.push_back(e);
    f_journal.clear();
    return out;
  }

  TProbe f_root{f_journal};
  TDC_List f_list;
};

TEST_F(List_Test, Empty_List) {
  EXPECT_TRUE(f_root.m_Mouse_Wheel(0, -1, 150, 100));  // the dispatcher reports the hit
  EXPECT_FALSE(f_list.m_On_Mouse_Wheel(0, -1, 150, 100));
  Click(150, 60);
  EXPECT_TRUE(Events().empty());
  EXPECT_FALSE(f_list.m_Button_Up().m_Enabled());
  EXPECT_FALSE(f_list.m_Button_Down().m_Enabled());
  EXPECT_FALSE(f_list.m_Thumb().m_Enabled());
  EXPECT_EQ(f_list.m_Get_Selected_Text(), "");
  EXPECT_EQ(f_list.m_Get_Visible_Rows(), 0);
}

TEST_F(List_Test, Click_Selects_With_Sound_And_Selection_Survives_Clear) {
  Fill(5);
  Click(150, 95);  // row 3: 90..110
  EXPECT_EQ(Events(), (TJournal{"sound 14 -2000", "select L 3 Row 3 k3"}));
  EXPECT_EQ(f_list.m_Get_Selected_Key(), "k3");
  f_list.m_Clear();
  f_list.m_Add_Row("a", "", 20);
  f_list.m_Add_Row("b", "", 20);
  EXPECT_EQ(f_list.m_Get_Selected_Index(), 3);
  EXPECT_EQ(f_list.m_Get_Selected_Text(), "");
  EXPECT_EQ(f_list.m_Get_Row_Key(0), "");
  EXPECT_EQ(f_list.m_Get_Row_Key(3), "");
}

TEST_F(List_Test, Plain_Rows_Are_Never_Highlighted_Or_Selected) {
  f_list.m_Add_Row_Plain("Heading", "h", 20);
  Fill(2);
  Mouse(150, 55);
  f_root.m_Render(0.0);
  EXPECT_EQ(f_list.m_Hovered_Row(), 1);
  EXPECT_EQ(f_list.m_Highlighted_Row(), 0);
  f_journal.clear();
  Click(150, 55);
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(f_list.m_Get_Selected_Index(), 0);
  Mouse(150, 75);
  f_root.m_Render(0.0);
  EXPECT_EQ(f_list.m_Highlighted_Row(), 2);
}

TEST_F(List_Test, Wheel_And_Buttons_Scroll_Within_The_Rows) {
  Fill(20);
  EXPECT_EQ(f_list.m_Get_Visible_Rows(), 10);
  EXPECT_FALSE(f_list.m_Button_Up().m_Enabled());
  EXPECT_TRUE(f_list.m_Button_Down().m_Enabled());
  f_list.m_Scroll_To_Row(9);
  EXPECT_EQ(f_list.m_First_Row(), 9);
  Gui_Wheel_Scroll_Lines = 3;
  EXPECT_TRUE(f_root.m_Mouse_Wheel(0, -1, 290, 100));  // over the thumb: still the list's
  EXPECT_EQ(f_list.m_First_Row(), 11);
  EXPECT_FALSE(f_list.m_Button_Down().m_Enabled());
  EXPECT_TRUE(f_list.m_On_Mouse_Wheel(0, 1, 150, 100));
  EXPECT_EQ(f_list.m_First_Row(), 8);
  Click(290, 55);  // the up button
  EXPECT_EQ(f_list.m_First_Row(), 7);
  Click(290, 245);  // the down button
  EXPECT_EQ(f_list.m_First_Row(), 8);
  f_list.m_Scroll_To_End();
  EXPECT_EQ(f_list.m_First_Row(), 11);
  f_list.m_Scroll_To_Row(-5);
  EXPECT_EQ(f_list.m_First_Row(), 1);
}

TEST_F(List_Test, Scroll_Column_Pages_And_The_Thumb_Follows) {
  Fill(40);
  // span 30, track 132: the thumb starts at y + 23.
  EXPECT_EQ(f_list.m_Thumb().m_Y(), 73);
  Click(290, 200);  // below the thumb: one page down
  EXPECT_EQ(f_list.m_First_Row(), 11);
  EXPECT_EQ(f_list.m_Thumb().m_Y(), 73 + 44);  // 132 / 30 * 10 = 44
  Click(290, 80);  // above the thumb: one page up
  EXPECT_EQ(f_list.m_First_Row(), 1);
  // Dragging the thumb to the middle of the track.
  f_root.m_Mouse_Down(MB_LEFT, 0, 290, 80);
  ASSERT_TRUE(f_list.m_Thumb().m_Pressed());
  Mouse(290, 73 + 66 + 11);
  f_root.m_Render(0.0);
  EXPECT_EQ(f_list.m_Thumb().m_Y(), 139);
  EXPECT_EQ(f_list.m_First_Row(), 16);  // 1 + round(66 / 4.4)
  Mouse(290, 1000);  // outside the list: no drag
  f_root.m_Render(0.0);
  EXPECT_EQ(f_list.m_First_Row(), 16);
  Mouse(290, 240);
  f_root.m_Render(0.0);
  EXPECT_EQ(f_list.m_Thumb().m_Y(), 73 + 131);
  EXPECT_EQ(f_list.m_First_Row(), 31);
  f_root.MouseUp(MB_LEFT, 0, 290, 240, false);
  EXPECT_FALSE(f_list.m_Thumb().m_Pressed());
}

// The main window reports every release with the flag clear: whether the
// press was on the list is the list's own concern.
TEST_F(List_Test, Only_A_Release_Ending_A_Press_On_The_List_Selects) {
  Fill(5);
  struct {
    const char* what;
    std::int32_t press_x, press_y;  // -1: no press
    std::int32_t selected;
  } cases[] = {
      {"press elsewhere, release on row 1", 900, 600, 0},
      {"release on row 1 without a press", -1, -1, 0},
      {"press on row 3, release on row 1", 150, 95, 1},
      {"press in the scroll column, release on row 1", 290, 150, 1},
  };
  for (const auto& k : cases) {
    f_list.m_Clear_Selection();
    f_journal.clear();
    if (k.press_x >= 0) f_root.m_Mouse_Down(MB_LEFT, 0, k.press_x, k.press_y);
    f_root.MouseUp(MB_LEFT, 0, 150, 55, false);
    EXPECT_EQ(f_list.m_Get_Selected_Index(), k.selected) << k.what;
    EXPECT_EQ(Entries(f_journal, "sound").size(), k.selected ? 1u : 0u) << k.what;
  }
}

TEST_F(List_Test, Release_After_A_Press_Elsewhere_Or_Off_The_List_Does_Nothing) {
  Fill(5);
  f_list.OnMouseUp = [this](TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool e) {
    f_journal.push_back(std::string("up ") + (e ? "elsewhere" : "here"));
  };
  f_root.m_Mouse_Down(MB_LEFT, 0, 900, 600);
  f_root.MouseUp(MB_LEFT, 0, 150, 55, true);
  f_root.MouseUp(MB_LEFT, 0, 900, 600, false);
  EXPECT_TRUE(Events().empty());
  EXPECT_EQ(f_list.m_Get_Selected_Index(), 0);
  Click(150, 55);
  EXPECT_EQ(Events(), (TJournal{"sound 14 -2000", "select L 1 Row 1 k1", "up here"}));
}

TEST_F(List_Test, Right_Click_Double_Click_Click_Anywhere_And_Owner_Click) {
  Fill(3);
  f_list.OnRightClick = [this](const std::string&, std::int32_t row, const std::string& text, const std::string&) {
    f_journal.push_back("right " + std::to_string(row) + " " + text);
  };
  f_list.OnDoubleClick = [this](const std::string&, std::int32_t row, const std::string& text, const std::string&) {
    f_journal.push_back("double " + std::to_string(row) + " " + text);
  };
  Click(150, 75, MB_RIGHT);
  EXPECT_EQ(Events(), (TJournal{"sound 14 -2000", "right 2 Row 2"}));
  Click(150, 200, MB_RIGHT);  // no row there
  EXPECT_TRUE(Events().empty());
  f_root.m_Double_Click(150, 95);
  EXPECT_EQ(Events(), TJournal{"double 3 Row 3"});
  EXPECT_EQ(f_list.m_Get_Selected_Index(), 0);
  f_list.OnClickAnywhere = [this](const std::string&, std::int32_t row, const std::string& text,
                                  const std::string& key) {
    f_journal.push_back("anywhere " + std::to_string(row) + " '" + text + "' '" + key + "'");
  };
  Click(150, 55);
  Click(150, 200);
  EXPECT_EQ(Events(), (TJournal{"anywhere 1 'Row 1' 'k1'", "anywhere 0 '' ''"}));
  f_list.OnClickAnywhere = nullptr;
  f_list.OnOwnerClick = [this](const std::string&, std::int32_t row, const std::string&, const std::string&,
                               TMouse_Button b, TShift_State, std::int32_t, std::int32_t, std::int32_t top,
                               std::int32_t bottom) {
    f_journal.push_back("owner " + std::to_string(row) + " " + std::to_string(b) + " " + std::to_string(top) + ".." +
                        std::to_string(bottom));
  };
  Click(150, 75);
  Click(150, 95, MB_RIGHT);
  EXPECT_EQ(Events(), (TJournal{"sound 14 -2000", "owner 2 0 70..90", "sound 14 -2000", "owner 3 1 90..110"}));
}

TEST_F(List_Test, Drawing_Rows_Selection_Shadow_And_Clipping) {
  TDevice_Params params;
  params.Width = 320;
  params.Height = 260;
  auto device = std::make_unique<TRender_Device_Headless>(params);
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  Fill(3);
  f_list.m_Select_Row(2);
  f_list.m_Set_Shadow_Color(0, 0, 0);
  Mouse(150, 95);
  f_journal.clear();
  f_root.m_Render(0.0);
  char sel[16], normal[16];
  std::snprintf(sel, sizeof sel, "%08X", User_Settings.m_Get_Selected_Text_Color());
  std::snprintf(normal, sizeof normal, "%08X", User_Settings.m_Get_Normal_Text_Color());
  EXPECT_EQ(Entries(f_journal, "text"),
            (TJournal{"text 105,51 FF000000 Row 1", std::string("text 104,50 ") + normal + " Row 1",
                      "text 105,71 FF000000 Row 2", std::string("text 104,70 ") + sel + " Row 2",
                      "text 105,91 FF000000 Row 3", std::string("text 104,90 ") + normal + " Row 3"}));
  const auto surface = TRender_Device_Base::BACK_BUFFER_SURFACE;
  EXPECT_EQ(device->Pixel(surface, 150, 60), User_Settings.m_Get_List_Background_Color());
  EXPECT_EQ(device->Pixel(surface, 150, 100), User_Settings.m_Get_Mouse_Over_Highlight_Color());
  EXPECT_EQ(device->Pixel(surface, 277, 100), User_Settings.m_Get_Mouse_Over_Highlight_Color());
  EXPECT_EQ(device->Pixel(surface, 150, 110), User_Settings.m_Get_List_Background_Color());
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
  // A row taller than the list still shows, clipped; owner drawing gets the clip.
  f_list.m_Clear();
  f_list.m_Add_Row("Tall", "t", 500);
  f_list.OnOwnerDraw = [this](const std::string&, std::int32_t row, std::int32_t x, std::int32_t top,
                              std::int32_t w, std::int32_t h, bool, bool, const std::string& text,
                              const std::string&) {
    f_journal.push_back("owner " + std::to_string(row) + " " + std::to_string(x) + "," + std::to_string(top) + " " +
                        std::to_string(w) + "x" + std::to_string(h) + " " + text);
  };
  f_journal.clear();
  f_root.m_Render(0.0);
  EXPECT_EQ(Entries(f_journal, "owner"), TJournal{"owner 1 100,50 178x200 Tall"});
}

TEST_F(List_Test, A_Partly_Visible_Last_Row_Is_Not_Drawn_Below_The_List) {
  // 200 pixels hold six rows of 30; the seventh would start at 230 and run
  // past the bottom, the eighth would start below it.
  for (int i = 1; i <= 8; ++i) f_list.m_Add_Row("Row " + std::to_string(i), "", 30);
  EXPECT_EQ(f_list.m_Get_Visible_Rows(), 6);
  f_journal.clear();
  f_list.m_Render(0.0);
  const TJournal drawn = Entries(f_journal, "text");
  ASSERT_EQ(drawn.size(), 6u);
  EXPECT_NE(drawn.back().find("Row 6"), std::string::npos);
  // Rows of exactly the list's share: ten rows of 20 fill it, the eleventh
  // starting at the bottom edge stays hidden.
  f_list.m_Clear();
  Fill(11);
  f_journal.clear();
  f_list.m_Render(0.0);
  EXPECT_EQ(Entries(f_journal, "text").size(), 10u);
  // Scrolled to the end, the last rows are drawn and nothing after them.
  f_list.m_Scroll_To_End();
  f_journal.clear();
  f_list.m_Render(0.0);
  const TJournal end = Entries(f_journal, "text");
  ASSERT_EQ(end.size(), 10u);
  EXPECT_NE(end.front().find("Row 2"), std::string::npos);
  EXPECT_NE(end.back().find("Row 11"), std::string::npos);
}

TEST_F(List_Test, Wrapped_Rows_Measure_And_Draw_Within_The_Width) {
  // 178 - 4 = 174 pixels: 24 characters a line in the fake font.
  f_list.f_word_wrap = true;
  // 25 characters: one line of 178 pixels, but two of the 174 they are drawn in.
  f_list.m_Add_Row(std::string(25, 'x'), "", 0);
  f_list.m_Add_Row_Wrapped(std::string(30, 'y'), "", 0, 15);  // 24 a line: 2 lines of 15
  f_list.f_fixed_row_height = 17;
  f_list.m_Add_Row("z", "", 0);
  EXPECT_EQ(f_list.m_Get_Row_Height(1), 24);
  EXPECT_EQ(f_list.m_Get_Row_Line_Height(1), 12);
  EXPECT_EQ(f_list.m_Get_Row_Height(2), 30);
  EXPECT_EQ(f_list.m_Get_Row_Height(3), 17);
  EXPECT_EQ(f_list.m_Get_Row_Line_Height(3), 17);
  f_journal.clear();
  f_list.m_Render(0.0);
  char normal[16];
  std::snprintf(normal, sizeof normal, "%08X", User_Settings.m_Get_Normal_Text_Color());
  const TJournal drawn = Entries(f_journal, "wrapped");
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[1], std::string("wrapped 104,74 174 15 30 ") + normal + " " + std::string(30, 'y'));
}

TEST_F(List_Test, Auto_Scrollbar_Shows_The_Column_Only_When_Needed) {
  f_list.m_Set_Auto_Scrollbar(true);
  Fill(3);
  EXPECT_FALSE(f_list.m_Thumb().m_Visible());
  EXPECT_EQ(f_list.m_Get_Client_Width(), 200);
  Fill(10);
  EXPECT_TRUE(f_list.m_Button_Up().m_Visible());
  EXPECT_EQ(f_list.m_Get_Client_Width(), 178);
}

TEST_F(List_Test, Delete_And_Sort_Keep_Row_Data_Together) {
  f_list.m_Add_Row("banana", "b", 20);
  f_list.m_Add_Row_Plain("Apple", "a", 25);
  f_list.m_Add_Row("cherry", "c", 30);
  f_list.m_Add_Row("date", "d", 35);
  f_list.m_Select_Row(2);
  f_list.m_Delete_Row(4);
  f_list.m_Delete_Row(9);
  EXPECT_EQ(f_list.m_Get_Row_Count(), 3);
  TDC_List_Sort_Rows(f_list);
  EXPECT_EQ(f_list.m_Get_Row_Text(1), "Apple");
  EXPECT_EQ(f_list.m_Get_Row_Key(1), "a");
  EXPECT_EQ(f_list.m_Get_Row_Height(1), 25);
  EXPECT_FALSE(f_list.m_Get_Row_Selectable(1));
  EXPECT_EQ(f_list.m_Get_Row_Text(2), "banana");
  EXPECT_TRUE(f_list.m_Get_Row_Selectable(2));
  EXPECT_EQ(f_list.m_Get_Row_Key(3), "c");
  EXPECT_EQ(f_list.m_Get_Selected_Index(), 2);
}

TEST_F(List_Test, A_List_At_The_Top_Of_The_Screen_Has_Clickable_Rows) {
  f_list.m_Set_Name_And_Bounds("L", 100, 0, 200, 200);
  Fill(2);
  Click(150, 5);
  EXPECT_EQ(f_list.m_Get_Selected_Index(), 1);
}

}  // namespace
