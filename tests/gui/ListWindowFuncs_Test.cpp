#include "ListWindowFuncs.h"

#include <gtest/gtest.h>

#include <memory>

#include "Datafile_UserSettings.h"
#include "Empire.h"
#include "Errors.h"
#include "Gui_Test_Support.h"

namespace {

class List_Window_Test : public TGui_Fixture {
protected:
  void TearDown() override {
    List_Window_Reset_Sort_Keys();
    TGui_Fixture::TearDown();
  }
  static std::string Keys(const TList_Window_Sort_Keys& keys) {
    std::string s;
    for (const auto& k : keys) s += std::to_string(k.f_column) + (k.f_ascending ? "+" : "-") + " ";
    return s;
  }
};

TEST_F(List_Window_Test, Push_Sort_Key_Without_Defaults) {
  TList_Window_Sort_Keys keys;
  List_Window_Clear_Sort_Keys(keys);
  for (int c : {1, 2, 3, 4}) List_Window_Push_Sort_Key(keys, c, true);
  EXPECT_EQ(Keys(keys), "4+ 3+ 2+ 1+ 0+ ");
  // The column at entry 3 moves to entry 1 with its new direction, no duplicate.
  List_Window_Push_Sort_Key(keys, 2, false);
  EXPECT_EQ(Keys(keys), "2- 4+ 3+ 0+ 1+ ");
  List_Window_Push_Sort_Key(keys, 5, true);
  List_Window_Push_Sort_Key(keys, 6, true);
  EXPECT_EQ(Keys(keys), "6+ 5+ 2- 4+ 3+ ");
}

TEST_F(List_Window_Test, Defaults_Stay_At_The_End) {
  const TList_Window_Sort_Key defaults[2] = {{9, true}, {8, false}};
  List_Window_Set_Default_Sort_Keys(defaults, 2);
  EXPECT_EQ(List_Window_Default_Sort_Key_Count(), 2);
  TList_Window_Sort_Keys keys;
  List_Window_Clear_Sort_Keys(keys);
  List_Window_Push_Sort_Key(keys, 1, true);
  EXPECT_EQ(Keys(keys), "1+ 9+ 8- 0+ 0+ ");
  for (int c : {2, 3, 4, 5}) {
    List_Window_Push_Sort_Key(keys, c, false);
    EXPECT_EQ(keys[3].f_column, 9);
    EXPECT_EQ(keys[4].f_column, 8);
  }
  EXPECT_EQ(Keys(keys), "5- 4- 3- 9+ 8- ");
  List_Window_Reset_Sort_Keys();
  EXPECT_EQ(List_Window_Default_Sort_Key_Count(), 0);
}

TEST_F(List_Window_Test, Sort_By_Texts_Numbers_And_Several_Keys) {
  TList_Window_Grid grid;
  // Column 1 texts, column 2 numbers written as texts.
  const char* names[] = {"beta", "Alpha", "alpha", "Gamma"};
  const float values[] = {10, 9, 100, 9};
  for (int r = 1; r <= 4; ++r) {
    List_Window_Set_Cell(grid, r, 1, names[r - 1], 0, 0, TList_Cell_Kind::Text, 0);
    List_Window_Set_Cell(grid, r, 2, std::to_string(int(values[r - 1])), 80, 0, TList_Cell_Kind::Text, 0);
    List_Window_Set_Cell_Sort_Value(grid, r, 2, values[r - 1]);
  }
  TList_Window_Row_Order order{0, 1, 2, 3, 4};
  TList_Window_Sort_Keys keys;
  List_Window_Clear_Sort_Keys(keys);
  List_Window_Push_Sort_Key(keys, 2, true);  // 9 before 10 although "9" sorts after "10"
  List_Window_Sort_Rows(grid, order, 4, keys);
  EXPECT_EQ(grid[2][std::size_t(order[3])].f_sort_value, 10.0f);
  EXPECT_EQ(order[4], 3);
  // Texts descending, then numbers ascending: ties of "alpha" broken by the value.
  List_Window_Clear_Sort_Keys(keys);
  List_Window_Push_Sort_Key(keys, 2, true);
  List_Window_Push_Sort_Key(keys, 1, false);
  List_Window_Sort_Rows(grid, order, 4, keys);
  EXPECT_EQ(order, (TList_Window_Row_Order{0, 4, 1, 2, 3}));
  // One row: not sorted.
  TList_Window_Row_Order one{0, 1};
  List_Window_Sort_Rows(grid, one, 1, keys);
  EXPECT_EQ(one, (TList_Window_Row_Order{0, 1}));
  EXPECT_THROW(List_Window_Set_Cell(grid, 0, 1, "", 0, 0, TList_Cell_Kind::Text, 0), EListError);
  // A numeric cell set again as text sorts as text.
  List_Window_Set_Cell(grid, 1, 2, "10", 80, 0, TList_Cell_Kind::Text, 0);
  EXPECT_FALSE(List_Window_Get_Cell(grid, 1, 2)->f_numeric);
}

TEST_F(List_Window_Test, Headers_Hover_And_Click) {
  TList_Window_Headers headers;
  List_Window_Set_Header(headers, 1, "Name", 0, true, 1, true);
  List_Window_Set_Header(headers, 2, "Flag", 100, false, 2, false);
  EXPECT_EQ(headers[1].f_text_width, 28);
  EXPECT_EQ(headers[1].f_text_height, 12);
  std::int32_t hovered = -1;
  f_journal.clear();
  List_Window_Draw_Headers(headers, 2, 10, 20, true, hovered, true, 38, 32);  // inclusive corner of "Name"
  EXPECT_EQ(hovered, 1);
  char selected[16];
  std::snprintf(selected, sizeof selected, "%08X", User_Settings.m_Get_Selected_Text_Color());
  EXPECT_EQ(f_journal, (TJournal{"text 11,21 FF000000 Name", std::string("text 10,20 ") + selected + " Name",
                                 "text 111,21 FF000000 Flag", "text 110,20 FF000002 Flag"}));
  // A hovered header that is not sortable is not highlighted and its click does nothing.
  List_Window_Draw_Headers(headers, 2, 10, 20, true, hovered, true, 115, 25);
  EXPECT_EQ(hovered, 0);
  TList_Window_Sort_Keys keys;
  List_Window_Clear_Sort_Keys(keys);
  EXPECT_FALSE(List_Window_Header_Click(headers, 10, 20, 2, keys, 115, 25));
  EXPECT_FALSE(List_Window_Header_Click(headers, 10, 20, 1, keys, 39, 25));
  EXPECT_FALSE(List_Window_Header_Click(headers, 10, 20, 0, keys, 15, 25));
  EXPECT_TRUE(List_Window_Header_Click(headers, 10, 20, 1, keys, 15, 25));
  EXPECT_EQ(keys[0].f_column, 1);
  EXPECT_TRUE(keys[0].f_ascending);
}

TEST_F(List_Window_Test, Draw_Row_Texts_Flags_And_Skipped_Columns) {
  TEmpire_List* saved = G_Empire_List;
  TEmpire_List empires;
  empires.m_Create_Empires(2);
  empires.m_Get_Empire(2)->m_Set_Color_Index(5);
  empires.m_Get_Empire(2)->m_Set_Flag_Index(7);
  G_Empire_List = &empires;
  TList_Window_Grid grid;
  List_Window_Set_Cell(grid, 1, 1, "Group", 0, 0, TList_Cell_Kind::Text, 0);
  List_Window_Set_Cell(grid, 1, 2, "Red", 50, 0, TList_Cell_Kind::Text, 0);
  List_Window_Set_Cell(grid, 1, 3, "", 90, 2, TList_Cell_Kind::Empire_Flag, 0);
  List_Window_Set_Cell(grid, 1, 4, "", 120, 0, TList_Cell_Kind::Empire_Flag, 0);  // no empire: nothing
  f_journal.clear();
  List_Window_Draw_Row(grid, 4, 1, 1, 1, false, true, 10, 30, 1);
  char selected[16];
  std::snprintf(selected, sizeof selected, "%08X", User_Settings.m_Get_Selected_Text_Color());
  EXPECT_EQ(f_journal, (TJournal{"text 61,31 FF000000 Red", std::string("text 60,30 ") + selected + " Red",
                                 "flag 100,30 row 5 column 7"}));
  f_journal.clear();
  List_Window_Draw_Row(grid, 4, 1, 0, 0, false, false, 10, 30, 2);  // beyond the row count
  EXPECT_TRUE(f_journal.empty());
  G_Empire_List = saved;
}

}  // namespace
