#include <gtest/gtest.h>

#include "DC_Base_DisplayClass.h"
#include "GraphicsEngine.h"
#include "Gui_Test_Support.h"

namespace {

// A screen with a layer-0 button, a layer-1 panel holding a button, and
// room for a modal dialog.
class Dispatch_Test : public TGui_Fixture {
protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    f_root.Place("Root", 0, 0, 1000, 700);
    f_low = &f_root.Own("Low", 10, 10, 100, 100);
    f_panel = &f_root.Own("Panel", 200, 200, 300, 300, DC_KIND_WINDOW);
    f_panel_button = &f_panel->Own("PanelButton", 220, 220, 50, 20);
    f_journal.clear();
  }
  TProbe& Add_Modal() {
    TProbe& dialog = f_root.Own("Dialog", 600, 10, 100, 100, DC_KIND_WINDOW, true);
    f_journal.clear();
    return dialog;
  }
  TJournal Input() {
    TJournal out;
    for (const auto& e : f_journal)
      if (e.find(" draw") == std::string::npos && e.find(" timer") == std::string::npos) out.push_back(e);
    f_journal.clear();
    return out;
  }

  TProbe f_root{f_journal};
  TProbe* f_low = nullptr;
  TProbe* f_panel = nullptr;
  TProbe* f_panel_button = nullptr;
};

TEST_F(Dispatch_Test, Press_Goes_To_The_Child_Under_The_Cursor) {
  struct {
    std::int32_t x, y;
    const char* who;
  } cases[] = {{50, 50, "Low down 50,50"},
               {230, 225, "PanelButton down 230,225"},
               {400, 400, "Panel down 400,400"},
               {900, 650, "Root down 900,650"}};
  for (const auto& k : cases) {
    EXPECT_TRUE(f_root.m_Mouse_Down(MB_LEFT, 0, k.x, k.y));
    EXPECT_EQ(Input(), TJournal{k.who});
    f_root.MouseUp(MB_LEFT, 0, k.x, k.y, false);
    f_journal.clear();
  }
  EXPECT_FALSE(f_root.m_Mouse_Down(MB_LEFT, 0, 2000, 2000));
}

TEST_F(Dispatch_Test, Overlapping_Children_Both_Get_The_Press_Last_Added_First) {
  f_root.Own("Over", 50, 50, 100, 100);
  f_journal.clear();
  EXPECT_TRUE(f_root.m_Mouse_Down(MB_LEFT, 0, 60, 60));
  EXPECT_EQ(Input(), (TJournal{"Over down 60,60", "Low down 60,60"}));
  EXPECT_TRUE(f_low->m_Pressed());
}

TEST_F(Dispatch_Test, Layer_1_Handling_Keeps_The_Press_From_Layer_0) {
  TProbe& under = f_root.Own("Under", 200, 200, 50, 50);  // layer 0, below the panel
  f_journal.clear();
  f_root.m_Mouse_Down(MB_LEFT, 0, 210, 210);
  EXPECT_EQ(Input(), TJournal{"Panel down 210,210"});
  EXPECT_FALSE(under.m_Pressed());
}

TEST_F(Dispatch_Test, Modal_Dialog_Blocks_Layer_0_But_Not_Layer_1) {
  TProbe& dialog = Add_Modal();
  EXPECT_TRUE(f_root.m_Has_Modal_Child());
  // Press: the modal child only.
  EXPECT_FALSE(f_root.m_Mouse_Down(MB_LEFT, 0, 50, 50));
  EXPECT_TRUE(f_root.m_Mouse_Down(MB_LEFT, 0, 650, 50));
  EXPECT_EQ(Input(), TJournal{"Dialog down 650,50"});
  // Release: every enabled control, the blocked layer-0 child "elsewhere".
  f_root.MouseUp(MB_LEFT, 0, 50, 50, false);
  EXPECT_EQ(Input(), (TJournal{"Root up elsewhere", "Low up elsewhere", "Panel up elsewhere",
                               "PanelButton up elsewhere", "Dialog up elsewhere"}));
  // Double click and keys still reach layer 1.
  EXPECT_TRUE(f_root.m_Double_Click(230, 225));
  f_root.m_Double_Click(50, 50);
  EXPECT_EQ(Input(), TJournal{"PanelButton double"});
  std::uint16_t key = 65;
  f_root.m_Key_Down(key, 0);
  EXPECT_EQ(Input(), (TJournal{"Panel key 65", "PanelButton key 65", "Dialog key 65"}));
  // Hover: no hover for a layer-0 child or for the root while the dialog is up.
  Mouse(50, 50);
  f_root.m_Render(0.0);
  EXPECT_FALSE(f_low->m_Hovered());
  EXPECT_FALSE(f_root.m_Hovered());
  Mouse(650, 50);
  f_root.m_Render(0.0);
  EXPECT_TRUE(dialog.m_Hovered());
}

TEST_F(Dispatch_Test, Release_Reaches_Every_Enabled_Control_Even_Hidden) {
  f_low->m_Set_Visible(false);
  f_panel_button->m_Set_Enabled(false);
  f_journal.clear();
  EXPECT_FALSE(f_root.MouseUp(MB_LEFT, 0, 5000, 5000, false));
  EXPECT_EQ(Input(), (TJournal{"Root up elsewhere", "Low up elsewhere", "Panel up elsewhere"}));
  // Over a child the parent's own release is "elsewhere" and the child's is not.
  f_low->m_Set_Visible(true);
  f_root.MouseUp(MB_LEFT, 0, 50, 50, false);
  EXPECT_EQ(Input(), (TJournal{"Root up elsewhere", "Low up here", "Panel up elsewhere"}));
}

TEST_F(Dispatch_Test, Wheel_Reaches_The_Innermost_And_Reports_The_Hit) {
  EXPECT_TRUE(f_root.m_Mouse_Wheel(0, -2, 230, 225));
  EXPECT_EQ(Input(), TJournal{"PanelButton wheel -2"});
  EXPECT_FALSE(f_root.m_Mouse_Wheel(0, 1, 5000, 5000));
  f_panel->f_no_wheel_to_children = true;
  EXPECT_TRUE(f_root.m_Mouse_Wheel(0, 3, 230, 225));
  EXPECT_EQ(Input(), TJournal{"Panel wheel 3"});
}

TEST_F(Dispatch_Test, Double_Click_Goes_To_Every_Hit_Child) {
  f_root.Own("Over", 50, 50, 100, 100);
  f_journal.clear();
  EXPECT_TRUE(f_root.m_Double_Click(60, 60));
  EXPECT_EQ(Input(), (TJournal{"Over double", "Low double"}));
  EXPECT_FALSE(f_root.m_Double_Click(-1, 60));
  EXPECT_TRUE(f_root.m_Double_Click(900, 600));
  EXPECT_EQ(Input(), TJournal{"Root double"});
}

TEST_F(Dispatch_Test, Key_Handled_By_The_Parent_Is_Not_Offered_Below) {
  std::uint16_t key = 13;
  f_root.f_handles_key = true;
  EXPECT_TRUE(f_root.m_Key_Down(key, 0));
  EXPECT_EQ(Input(), TJournal{"Root key 13"});
  f_root.f_handles_key = false;
  f_panel_button->f_handles_key = true;
  EXPECT_TRUE(f_root.m_Key_Down(key, 0));
  EXPECT_EQ(Input(), (TJournal{"Root key 13", "Low key 13", "Panel key 13", "PanelButton key 13"}));
}

TEST_F(Dispatch_Test, Drawing_Order_Layers_And_Hover) {
  f_root.Own("Hidden", 0, 0, 5, 5).m_Set_Visible(false);
  f_root.Own("Late", 0, 0, 5, 5);
  Mouse(230, 225);
  f_journal.clear();
  f_root.m_Render(0.0);
  EXPECT_EQ(f_journal, (TJournal{"Root draw hovered", "Low draw", "Late draw", "Panel draw hovered",
                                 "PanelButton draw hovered"}));
}

TEST_F(Dispatch_Test, Hover_Position_Is_Read_Back) {
  Mouse(230, 225);
  f_root.m_Render(0.0);
  EXPECT_TRUE(f_root.m_Hovered());
  EXPECT_EQ(f_root.m_Hover_X(), 230);
  EXPECT_EQ(f_root.m_Hover_Y(), 225);
  Mouse(5000, 5000);
  f_root.m_Render(0.0);
  EXPECT_FALSE(f_root.m_Hovered());
  EXPECT_EQ(f_root.m_Hover_X(), 0);
  EXPECT_EQ(f_root.m_Hover_Y(), 0);
}

TEST_F(Dispatch_Test, Timer_Pass_Errors_Are_Swallowed_And_Close_After_Timer) {
  f_low->Own("LowChild", 10, 10, 5, 5);
  f_low->f_timer_throws = true;
  f_journal.clear();
  f_root.TimerFired(0.1f);
  // The error ends the failing control's pass: its child misses this frame.
  EXPECT_EQ(f_journal, (TJournal{"Root timer", "Low timer", "Panel timer", "PanelButton timer"}));
  f_low->f_timer_throws = false;
  f_panel->f_close_in_timer = true;
  f_journal.clear();
  f_root.TimerFired(0.1f);
  // The panel marked itself at the end of its own pass, and the root's kill
  // pass that ends the root's timer pass freed it.
  EXPECT_EQ(Entries(f_journal, "Root child"), TJournal{"Root child killed Panel"});
  EXPECT_EQ(f_root.m_Child_Count(), 1);
}

TEST_F(Dispatch_Test, A_Control_Closing_Itself_On_A_Press_Is_Gone_Before_Return) {
  struct TCloser : TProbe {
    using TProbe::TProbe;
    void m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) override { Set_Kill_Object(true); }
  };
  auto closer = std::make_unique<TCloser>(f_journal);
  closer->Place("Closer", 600, 600, 10, 10);
  f_root.Add_Child_Control(closer.get());
  f_root.f_owned.emplace_back(std::move(closer));
  f_journal.clear();
  EXPECT_TRUE(f_root.m_Mouse_Down(MB_LEFT, 0, 605, 605));
  EXPECT_EQ(f_journal, (TJournal{"Root child killed Closer", "Closer destroyed"}));
  EXPECT_EQ(f_root.m_Child_Count(), 2);
}

TEST_F(Dispatch_Test, Help_Is_Reported_For_The_Topmost_Control) {
  TJournal help;
  f_root.m_Set_Help_Handler([&](const std::string& name, const std::string& parent, std::int32_t r1, std::int32_t,
                                std::int32_t r3, const std::string& text, std::int32_t, std::int32_t x,
                                std::int32_t y, std::int32_t w, std::int32_t h) {
    help.push_back(name + "/" + parent + " " + std::to_string(r1) + " " + std::to_string(r3) + " " + text + " " +
                   std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" +
                   std::to_string(h));
  });
  f_panel->m_Set_Help_Ref(1, 0, 5, "panel", 0);
  f_panel_button->m_Set_Help_Ref(2, 0, 7, "button", 0);
  f_panel->m_Add_Help_Area(3, 0, 9, "corner", 0, 250, 250, 20, 20);
  Mouse(230, 225);
  f_root.m_Render(0.0);
  EXPECT_EQ(help, TJournal{"PanelButton/Panel 2 7 button 220,220 50x20"});
  help.clear();
  Mouse(460, 460);
  f_root.m_Render(0.0);
  EXPECT_EQ(help, (TJournal{"Panel/Root 1 5 panel 200,200 300x300", "Panel/Root 3 9 corner 450,450 20x20"}));
  // A handler given to a parent reaches children added later.
  TProbe& late = f_panel->Own("Late", 300, 300, 10, 10);
  late.m_Set_Help_Ref(4, 0, 1, "late", 0);
  help.clear();
  Mouse(305, 305);
  f_root.m_Render(0.0);
  EXPECT_EQ(help, TJournal{"Late/Panel 4 1 late 300,300 10x10"});
}

TEST_F(Dispatch_Test, Dragging_Moves_The_Window_Within_The_Screen) {
  f_panel->m_Set_Drag_Area(0, 0, 300, 20);
  // Over the drag area the pointer becomes the move pointer, and back.
  Mouse(300, 205);
  f_root.m_Render(0.0);
  EXPECT_EQ(G_Mouse_Pointer_Kind, TMouse_Pointer::Move);
  Mouse(300, 400);
  f_root.m_Render(0.0);
  EXPECT_EQ(G_Mouse_Pointer_Kind, TMouse_Pointer::Normal);
  // A press on a child inside the drag area does not begin a drag.
  f_root.m_Mouse_Down(MB_LEFT, 0, 230, 225);
  EXPECT_FALSE(f_panel->m_Dragging());
  f_root.MouseUp(MB_LEFT, 0, 230, 225, false);
  f_root.m_Mouse_Down(MB_LEFT, 0, 300, 205);
  ASSERT_TRUE(f_panel->m_Dragging());
  Mouse(1000, 300);  // past the right edge: flush with it
  f_root.m_Render(0.0);
  EXPECT_EQ(f_panel->m_X(), 724);
  EXPECT_EQ(f_panel->m_Y(), 295);
  Mouse(1030, 300);  // off the screen: the drag ends
  f_root.m_Render(0.0);
  EXPECT_FALSE(f_panel->m_Dragging());
  f_root.m_Mouse_Down(MB_LEFT, 0, 800, 300);
  EXPECT_TRUE(f_panel->m_Dragging());
  f_root.MouseUp(MB_LEFT, 0, 800, 300, false);
  EXPECT_FALSE(f_panel->m_Dragging());
}

}  // namespace
