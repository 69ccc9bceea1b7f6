#include "DC_Base_DisplayClass.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Debug_Log.h"
#include "Errors.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "Gui_Test_Support.h"
#include "Test_Support.h"

using Tree_Test = TGui_Fixture;

TEST_F(Tree_Test, Construction_Defaults_And_Ids) {
  DisplayClass_Set_Id_Counter(0);
  TProbe a(f_journal), b(f_journal, DC_KIND_WINDOW);
  EXPECT_EQ(a.m_Id(), 1u);
  EXPECT_EQ(b.m_Id(), 2u);
  EXPECT_FALSE(a.m_Visible());
  EXPECT_TRUE(a.m_Enabled());
  EXPECT_EQ(a.m_Layer(), 0);
  EXPECT_EQ(a.m_Child_Count(), 0);
  EXPECT_EQ(a.m_Parent(), nullptr);
  EXPECT_EQ(b.m_Kind(), DC_KIND_WINDOW);
  // The counter starts again at 1 once it has passed 3,999,999,999.
  DisplayClass_Set_Id_Counter(3999999999u);
  EXPECT_EQ(DisplayClass_Next_Id(), 4000000000u);
  EXPECT_EQ(DisplayClass_Next_Id(), 1u);
}

TEST_F(Tree_Test, Add_Puts_Windows_On_Layer_1_And_Delete_Shrinks) {
  TProbe root(f_journal);
  root.Place("Root", 0, 0, 100, 100);
  TProbe& button = root.Own("Button", 0, 0, 10, 10);
  TProbe& panel = root.Own("Panel", 0, 0, 10, 10, DC_KIND_WINDOW);
  EXPECT_EQ(button.m_Layer(), 0);
  EXPECT_EQ(panel.m_Layer(), 1);
  EXPECT_EQ(panel.m_Parent(), &root);
  ASSERT_EQ(root.m_Child_Count(), 2);
  EXPECT_EQ(root.m_Child(1), &button);
  EXPECT_EQ(root.m_Child(2), &panel);
  root.m_Delete_Child_Control(0);  // outside: ignored
  root.m_Delete_Child_Control(3);
  EXPECT_EQ(root.m_Child_Count(), 2);
  root.Remove_Child_Control(&button);
  EXPECT_EQ(root.m_Child_Count(), 1);
  EXPECT_EQ(root.m_Child(1), &panel);
  EXPECT_EQ(button.m_Parent(), nullptr);
  root.m_Delete_Child_Control(1);
  EXPECT_EQ(root.m_Child_Count(), 0);
  EXPECT_EQ(root.m_Child(1), nullptr);
}

TEST_F(Tree_Test, Modal_Child_Sets_State_Up_The_Chain_And_Takes_Focus) {
  TProbe root(f_journal);
  root.Place("Root", 0, 0, 500, 500);
  TProbe& panel = root.Own("Panel", 0, 0, 400, 400, DC_KIND_WINDOW);
  TProbe& edit = panel.Own("Edit", 0, 0, 50, 20);
  edit.f_focusable = true;
  edit.m_Set_Focus();
  ASSERT_TRUE(edit.f_focused);
  {
    TProbe dialog(f_journal, DC_KIND_WINDOW);
    dialog.Place("Dialog", 10, 10, 100, 100, true);
    panel.Add_Child_Control(&dialog);
    EXPECT_EQ(dialog.m_Layer(), 1);
    EXPECT_TRUE(panel.m_Has_Modal_Child());
    EXPECT_EQ(panel.m_Modal_Child_Id(), dialog.m_Id());
    EXPECT_TRUE(root.m_Has_Modal_Child());
    EXPECT_EQ(root.m_Modal_Child_Id(), panel.m_Id());
    EXPECT_FALSE(edit.f_focused);
  }
  // The dialog's destruction took it off the list and cleared the state.
  EXPECT_EQ(panel.m_Child_Count(), 1);
  EXPECT_FALSE(panel.m_Has_Modal_Child());
  EXPECT_FALSE(root.m_Has_Modal_Child());
  EXPECT_EQ(root.m_Modal_Child_Id(), 0u);
}

TEST_F(Tree_Test, Kill_Pass_Tells_The_Parent_Each_Name_In_Order_And_Removes_The_Dead) {
  TProbe root(f_journal);
  root.Place("Root", 0, 0, 500, 500);
  root.Own("A", 0, 0, 10, 10).Set_Kill_Object(true);
  root.Own("B", 0, 0, 10, 10);
  root.Own("C", 0, 0, 10, 10).Set_Kill_Object(true);
  // A child marked killed that its parent does not free is still taken off the list.
  TProbe loose(f_journal);
  loose.Place("Loose", 0, 0, 10, 10);
  root.Add_Child_Control(&loose);
  loose.Set_Kill_Object(true);
  f_journal.clear();
  root.m_Kill_Any_Dead_Controls();
  EXPECT_EQ(f_journal, (TJournal{"Root child killed A", "A destroyed", "Root child killed C", "C destroyed",
                                 "Root child killed Loose"}));
  ASSERT_EQ(root.m_Child_Count(), 1);
  EXPECT_EQ(root.m_Child(1)->m_Name(), "B");
  EXPECT_EQ(loose.m_Parent(), nullptr);
}

TEST_F(Tree_Test, Children_Outliving_Their_Parent_Do_Not_Reach_Back) {
  auto child = std::make_unique<TProbe>(f_journal);
  {
    TProbe parent(f_journal);
    parent.Place("Parent", 0, 0, 10, 10);
    child->Place("Child", 0, 0, 5, 5);
    parent.Add_Child_Control(child.get());
  }
  EXPECT_EQ(child->m_Parent(), nullptr);
  child.reset();  // must not touch the freed parent
}

TEST_F(Tree_Test, Geometry_Setters_And_Reposition) {
  TProbe root(f_journal);
  root.f_natural_w = 1100;
  root.f_natural_h = 300;
  root.Own("Child", 1, 2, 3, 4);
  f_journal.clear();
  root.m_Set_Position_Centered("Wide", true);
  // Wider than the screen: a negative x.
  EXPECT_EQ(root.m_X(), -38);
  EXPECT_EQ(root.m_Y(), 234);
  EXPECT_EQ(root.m_Width(), 1100);
  EXPECT_TRUE(root.m_Modal());
  EXPECT_EQ(root.m_Name(), "Wide");
  EXPECT_EQ(f_journal, (TJournal{"Wide reposition", "Child reposition"}));
  root.f_natural_w = 15;
  root.m_Set_Position("Small", 7, 9, false);
  EXPECT_EQ(root.m_X(), 7);
  EXPECT_EQ(root.m_Width(), 15);
  EXPECT_EQ(root.m_Height(), 300);
  EXPECT_FALSE(root.m_Modal());
  // Positions that overflow raise an error instead of wrapping.
  root.m_Set_Bounds("Far", 2147483600, 0, 100, 10, false);
  root.m_Set_Visible(true);
  EXPECT_THROW(root.m_Hit_Test(2147483647, 0), EIntOverflow);
}

TEST_F(Tree_Test, Hit_Test_Is_Inclusive_And_Needs_Visibility) {
  TProbe c(f_journal);
  c.m_Set_Bounds("C", 10, 20, 30, 40, false);
  EXPECT_FALSE(c.m_Hit_Test(10, 20));  // never shown
  c.m_Set_Visible(true);
  struct {
    std::int32_t x, y;
    bool hit;
  } cases[] = {{10, 20, true}, {40, 60, true}, {41, 60, false}, {40, 61, false}, {9, 30, false}, {25, 19, false}};
  for (const auto& k : cases) EXPECT_EQ(c.m_Hit_Test(k.x, k.y), k.hit) << k.x << "," << k.y;
}

TEST_F(Tree_Test, Enabled_Goes_Down_The_Subtree_Children_First) {
  TProbe root(f_journal);
  root.Place("Root", 0, 0, 10, 10);
  TProbe& panel = root.Own("Panel", 0, 0, 10, 10, DC_KIND_WINDOW);
  panel.Own("Button", 0, 0, 10, 10);
  f_journal.clear();
  root.m_Set_Enabled(false);
  EXPECT_EQ(f_journal, (TJournal{"Button enabled 0", "Panel enabled 0", "Root enabled 0"}));
  EXPECT_FALSE(panel.m_Child(1)->m_Enabled());
}

TEST_F(Tree_Test, Focus_Next_Wraps_And_Skips_The_Unfocusable) {
  TProbe root(f_journal);
  root.Place("Root", 0, 0, 500, 500);
  TProbe& a = root.Own("A", 0, 0, 10, 10);
  TProbe& b = root.Own("B", 0, 0, 10, 10);
  TProbe& c = root.Own("C", 0, 0, 10, 10);
  a.f_focusable = c.f_focusable = true;
  c.m_Set_Focus();
  c.m_Focus_Next();  // from the last: wraps past the unfocusable B's place to A
  EXPECT_TRUE(a.f_focused);
  EXPECT_FALSE(c.f_focused);
  EXPECT_FALSE(b.f_focused);
  c.m_Set_Enabled(false);
  a.m_Focus_Next();  // no other focusable, enabled sibling: nothing happens
  EXPECT_TRUE(a.f_focused);
  EXPECT_FALSE(c.f_focused);
}

TEST_F(Tree_Test, Help_Areas_Grow_By_Ten) {
  TProbe c(f_journal);
  for (int i = 0; i < 12; ++i) c.m_Add_Help_Area(1, 2, 3, "t", 4, 0, 0, 5, 5);
  EXPECT_EQ(c.m_Help_Area_Count(), 12);
  c.m_Clear_Help_Areas();
  EXPECT_EQ(c.m_Help_Area_Count(), 0);
}

TEST_F(Tree_Test, Reload_Stops_At_The_First_Failure) {
  struct TFailing : TProbe {
    using TProbe::TProbe;
    bool m_Reload_Images() override {
      f_journal.push_back(f_name + " reload");
      return f_name != "B";
    }
  };
  TFailing root(f_journal), a(f_journal), b(f_journal), c(f_journal);
  root.Place("Root", 0, 0, 1, 1);
  a.Place("A", 0, 0, 1, 1);
  b.Place("B", 0, 0, 1, 1);
  c.Place("C", 0, 0, 1, 1);
  root.Add_Child_Control(&a);
  root.Add_Child_Control(&b);
  root.Add_Child_Control(&c);
  f_journal.clear();
  EXPECT_FALSE(root.Reload_All_Images());
  EXPECT_EQ(f_journal, (TJournal{"Root reload", "A reload", "B reload"}));
}

TEST_F(Tree_Test, Log_Lines_While_The_Section_Is_On) {
  TTemp_Dir dir;
  std::filesystem::create_directories(dir.path() / "Backup");
  const std::string saved_user = User_Folder;
  User_Folder = dir.design();
  Debug_Sections[DEBUG_DISPLAY_CLASS] = true;
  {
    TProbe parent(f_journal);
    parent.Place("Dlg Message", 0, 0, 10, 10);
    TProbe child(f_journal);
    child.Place("OK", 0, 0, 1, 1);
    parent.Add_Child_Control(&child);
    child.Set_Kill_Object(true);
    parent.m_Kill_Any_Dead_Controls();
  }
  Debug_Sections[DEBUG_DISPLAY_CLASS] = false;
  User_Folder = saved_user;
  const std::string log = Read_File(dir.path() / "Backup" / "Globarch_Log.txt");
  TJournal lines;
  std::size_t pos = 0;
  while (pos < log.size()) {
    std::size_t end = log.find('\n', pos);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(pos, end - pos);
    lines.push_back(line.substr(line.find(' ', 18) + 1));
    pos = end + 1;
  }
  EXPECT_EQ(lines, (TJournal{" - Create", "Dlg Message - Reposition", "Dlg Message - m_Kill_Any_Dead_Controls",
                             " - Create", "OK - Reposition", "OK - m_Kill_Any_Dead_Controls",
                             "Dlg Message - Add_Child_Control(OK)", "OK - Set_Kill_Object",
                             "Dlg Message - m_Kill_Any_Dead_Controls", "Dlg Message - m_Delete_Child_Control(1)",
                             "OK - Destroy", "Dlg Message - Destroy"}));
}

TEST(Gui_Links_Test, Default_Text_Link_Uses_The_Main_Fonts) {
  // Typing goes through the font layer's US keyboard table.
  EXPECT_EQ(Gui_Text_Link().m_Key_Code_To_Text(65, SS_SHIFT), "A");
  EXPECT_EQ(Gui_Text_Link().m_Key_Code_To_Text(65, 0), "a");
  Gui_Text_Link().m_Set_Color(0xFF102030u);
  EXPECT_EQ(Gui_Text_Link().m_Get_Color(), 0xFF102030u);
}
