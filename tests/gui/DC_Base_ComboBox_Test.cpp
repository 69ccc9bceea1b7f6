#include "DC_Base_ComboBox.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "DC_Base_ButtonToggle.h"
#include "DC_Base_List.h"
#include "Gui_Test_Support.h"

namespace {

// A combo box "Choice" at (100, 100), 200 x 20, with three items; the list
// opens at (100, 120), 200 x 150. A control "Below" added after it covers
// the list's area.
class Combo_Test : public TGui_Fixture {
protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    f_root.Place("Root", 0, 0, 1000, 700);
    f_combo.m_Set_Name_And_Bounds("Choice", 100, 100, 200, 20);
    f_combo.m_Set_Visible(true);
    f_root.Add_Child_Control(&f_combo);
    f_below = &f_root.Own("Below", 100, 125, 200, 100);
    for (const char* item : {"Red", "Green", "Blue"}) f_combo.m_Add_Item(item, std::string("k") + item);
    f_combo.OnChange = [this](const std::string& n) { f_journal.push_back("change " + n); };
    f_combo.OnDropDown = [this](const std::string& n, bool open) {
      f_journal.push_back("drop " + n + (open ? " open" : " closed"));
    };
    f_journal.clear();
  }
  void Click(std::int32_t x, std::int32_t y) {
    f_root.m_Mouse_Down(MB_LEFT, 0, x, y);
    f_root.MouseUp(MB_LEFT, 0, x, y, false);
  }
  TJournal Events() {
    TJournal out;
    for (const auto& e : f_journal)
      if (e.rfind("change", 0) == 0 || e.rfind("drop", 0) == 0 || e.rfind("Below down", 0) == 0) out.push_back(e);
    f_journal.clear();
    return out;
  }

  TProbe f_root{f_journal};
  TDC_Combobox f_combo;
  TProbe* f_below = nullptr;
};

TEST_F(Combo_Test, Children_Follow_The_Box) {
  EXPECT_EQ(f_combo.m_Edit_Box().m_Name(), "Combobox Editbox - Choice");
  EXPECT_EQ(f_combo.m_Drop_Button().m_Name(), "Combobox Button - Choice");
  EXPECT_EQ(f_combo.m_List().m_Name(), "Combobox List - Choice");
  EXPECT_EQ(f_combo.m_Edit_Box().m_Width(), 176);
  EXPECT_EQ(f_combo.m_Drop_Button().m_X(), 278);
  EXPECT_EQ(f_combo.m_List().m_Y(), 120);
  EXPECT_EQ(f_combo.m_List().m_Height(), 150);
  EXPECT_FALSE(f_combo.m_List().m_Visible());
  EXPECT_EQ(f_combo.m_Get_Item_Count(), 3);
  EXPECT_EQ(f_combo.m_List().m_Get_Row_Height(1), 14);
  EXPECT_FALSE(f_combo.m_Can_Focus());
  f_combo.m_Set_Help_Ref(1, 2, 3, "h", 4);
  f_combo.m_Set_Shadow_Color(0, 0, 0);
}

TEST_F(Combo_Test, Open_List_Is_Drawn_Above_And_Takes_The_Clicks) {
  Click(285, 110);  // the drop button
  EXPECT_EQ(Events(), TJournal{"drop Choice open"});
  EXPECT_TRUE(f_combo.m_List().m_Visible());
  EXPECT_EQ(f_combo.m_Layer(), 1);
  f_journal.clear();
  f_root.m_Render(0.0);
  // The list's rows (drawn with the combo box on layer 1) come after the sibling.
  const auto below = std::find(f_journal.begin(), f_journal.end(), "Below draw");
  const auto row = std::find_if(f_journal.begin(), f_journal.end(),
                                [](const std::string& e) { return e.find(" Red") != std::string::npos; });
  ASSERT_NE(below, f_journal.end());
  ASSERT_NE(row, f_journal.end());
  EXPECT_LT(below, row);
  f_journal.clear();
  Click(150, 150);  // 120 + 14 + 14 = 148: the third row
  EXPECT_EQ(Events(), (TJournal{"drop Choice closed", "change Choice"}));
  EXPECT_EQ(f_combo.m_Get_Selected_Index(), 3);
  EXPECT_EQ(f_combo.m_Get_Text(), "Blue");
  EXPECT_EQ(f_combo.m_Get_Selected_Key(), "kBlue");
  EXPECT_EQ(f_combo.m_Layer(), 0);
  // Closed again: the sibling gets the press.
  Click(150, 150);
  EXPECT_EQ(Events(), TJournal{"Below down 150,150"});
}

// Choosing from the open list must not reach what lies under it: neither a
// list row, nor a toggle, nor any other control there sees a click.
TEST_F(Combo_Test, Open_List_Shields_The_Controls_Under_It_From_The_Release) {
  TDC_List under;
  under.m_Set_Name_And_Bounds("Under", 100, 140, 200, 80);
  under.m_Set_Visible(true);
  under.m_Add_Row("Under 1", "u1", 20);
  f_root.Add_Child_Control(&under);
  TDC_Button_Toggle toggle;
  toggle.m_Set_Style(4, 40, 20, 0, 0);
  toggle.m_Set_Frames(5, 6);
  toggle.m_Set_Position("Toggle", 130, 140);
  toggle.m_Set_Visible(true);
  f_root.Add_Child_Control(&toggle);
  Click(285, 110);
  f_journal.clear();
  Click(150, 150);  // the third row of the open list
  EXPECT_EQ(f_combo.m_Get_Text(), "Blue");
  EXPECT_EQ(under.m_Get_Selected_Index(), 0);
  EXPECT_FALSE(toggle.m_Is_On());
  EXPECT_EQ(Entries(f_journal, "Below up"), TJournal{"Below up elsewhere"});
  // One sound: the list's own "Select Item".
  EXPECT_EQ(Entries(f_journal, "sound"), TJournal{"sound 14 -2000"});
  // Closed, the same click reaches them.
  Click(150, 150);
  EXPECT_EQ(under.m_Get_Selected_Index(), 1);
  EXPECT_TRUE(toggle.m_Is_On());
  f_root.Remove_Child_Control(&toggle);
  f_root.Remove_Child_Control(&under);
}

TEST_F(Combo_Test, Release_Elsewhere_Closes_Without_A_Choice) {
  f_combo.m_Select_Item(1);
  Click(285, 110);
  Events();
  Click(800, 600);
  EXPECT_EQ(Events(), TJournal{"drop Choice closed"});
  EXPECT_FALSE(f_combo.m_List().m_Visible());
  EXPECT_EQ(f_combo.m_Get_Text(), "Red");
  EXPECT_EQ(f_combo.m_Get_Selected_Index(), 1);
  // The button closes it too.
  Click(285, 110);
  Click(285, 110);
  EXPECT_EQ(Events(), (TJournal{"drop Choice open", "drop Choice closed"}));
}

TEST_F(Combo_Test, Select_Clear_And_Contains) {
  f_combo.m_Select_Item(2);
  EXPECT_EQ(f_combo.m_Get_Text(), "Green");
  EXPECT_EQ(f_combo.m_List().m_Get_Selected_Index(), 2);
  f_combo.m_Select_Item(0);
  EXPECT_EQ(f_combo.m_Get_Text(), "");
  EXPECT_EQ(f_combo.m_Get_Selected_Index(), 0);
  EXPECT_TRUE(f_combo.m_Contains_Text("Blue"));
  EXPECT_FALSE(f_combo.m_Contains_Text("blue"));
  f_combo.m_Select_Item(3);
  f_combo.m_Clear();
  EXPECT_EQ(f_combo.m_Get_Item_Count(), 0);
  EXPECT_EQ(f_combo.m_Get_Text(), "");
  EXPECT_EQ(f_combo.m_Get_Selected_Index(), 3);
  EXPECT_EQ(f_combo.m_Get_Selected_Key(), "");
  EXPECT_EQ(f_combo.m_Get_Item_Key(1), "");
}

TEST_F(Combo_Test, Owner_Drawn_Box) {
  f_combo.m_Hide_Edit();
  f_combo.m_Select_Item(2);
  f_combo.OnDrawBox = [this](const std::string& n, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                             std::int32_t selected) {
    f_journal.push_back("box " + n + " " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) +
                        "x" + std::to_string(h) + " " + std::to_string(selected));
  };
  f_journal.clear();
  f_root.m_Render(0.0);
  EXPECT_EQ(Entries(f_journal, "box"), TJournal{"box Choice 100,100 178x20 2"});
  EXPECT_TRUE(Entries(f_journal, "text").empty());
}

}  // namespace
