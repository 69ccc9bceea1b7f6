#include "DC_Base_Dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "Datafile_MapTypes.h"
#include "GraphicsEngine.h"
#include "Gui_Test_Support.h"
#include "Render_Device_Headless.h"
#include "Test_Support.h"

namespace {

// A dialog that writes the answers it gets to the journal.
class TAnswering_Dialog : public TDC_Dlg_BaseDialog {
public:
  explicit TAnswering_Dialog(TJournal& journal) : f_journal(journal) {}
  void m_On_Edit_Answer(std::int32_t tag, std::uint8_t result, const std::string& edit_text) override {
    f_journal.push_back("edit " + std::to_string(tag) + " " + std::to_string(result) + " " + edit_text);
  }
  void m_On_Question_Answer(std::int32_t tag, std::uint8_t result) override {
    f_journal.push_back("question " + std::to_string(tag) + " " + std::to_string(result));
  }
  TJournal& f_journal;
};

// The dialog fills a 1024 x 768 screen; a message box is centred at
// (312, 284): button 1 at (616, 460), button 2 at (525, 460).
class Dialog_Test : public TGui_Fixture {
protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    f_dialog.m_Set_Bounds("Setup", 0, 0, 1024, 768, false);
    f_dialog.m_Set_Visible(true);
    f_below = std::make_unique<TProbe>(f_journal);
    f_below->Place("Below", 0, 0, 1024, 768);
    f_dialog.Add_Child_Control(f_below.get());
    f_journal.clear();
  }
  void TearDown() override {
    f_below.reset();
    TGui_Fixture::TearDown();
  }
  void Click(std::int32_t x, std::int32_t y) {
    f_dialog.m_Mouse_Down(MB_LEFT, 0, x, y);
    f_dialog.MouseUp(MB_LEFT, 0, x, y, false);
  }
  bool Key(std::uint16_t key, TShift_State shift = 0) { return f_dialog.m_Key_Down(key, shift); }
  TJournal Answers() {
    TJournal out;
    for (const auto& e : f_journal)
      if (e.rfind("question", 0) == 0 || e.rfind("edit", 0) == 0) out.push_back(e);
    f_journal.clear();
    return out;
  }

  TAnswering_Dialog f_dialog{f_journal};
  std::unique_ptr<TProbe> f_below;
};

TEST_F(Dialog_Test, Question_Answers_By_Button_And_Key) {
  struct {
    int how;  // 0 OK button, 1 Cancel button, 2 Enter, 3 Escape
    const char* answer;
  } cases[] = {{0, "question 7 5"}, {1, "question 7 0"}, {2, "question 7 5"}, {3, "question 7 0"}};
  for (const auto& k : cases) {
    f_dialog.m_Show_Question("Quit?", "Really?", 7, 5);
    TDC_Dlg_Message* box = f_dialog.m_Message_Dialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->m_Name(), "Dlg Message");
    EXPECT_EQ(box->m_X(), 312);
    EXPECT_EQ(box->m_Y(), 284);
    EXPECT_EQ(box->m_Layer(), 1);
    EXPECT_TRUE(box->m_Modal());
    EXPECT_EQ(box->m_Button_1().m_Caption(), "Cancel");
    EXPECT_EQ(box->m_Button_2().m_Caption(), "OK");
    EXPECT_TRUE(box->m_Button_2().m_Visible());
    // The layer-0 content below gets nothing while the box is open.
    Click(10, 10);
    EXPECT_TRUE(Entries(f_journal, "Below down").empty());
    f_journal.clear();
    if (k.how == 0) Click(530, 465);
    if (k.how == 1) Click(620, 465);
    if (k.how == 2) {
      EXPECT_TRUE(Key(VK_RETURN));
    }
    if (k.how == 3) {
      EXPECT_TRUE(Key(VK_ESCAPE));
    }
    EXPECT_EQ(Answers(), TJournal{k.answer}) << k.how;
    EXPECT_EQ(f_dialog.m_Message_Dialog(), nullptr);
    EXPECT_EQ(f_dialog.m_Child_Count(), 1);
  }
}

// The game setup hands itself to the map-type loader: the loader's errors
// open as the dialog's own list dialog, modal over its other children.
TEST_F(Dialog_Test, Loader_Errors_Open_As_Its_List_Dialog) {
  TTemp_Dir dir;
  const std::string file = dir.design() + "MapTypes.txt";
  EXPECT_FALSE(Datafile_MapTypes_Load(file, &f_dialog));
  Datafile_MapTypes_Free();
  TDC_Dlg_List* list = f_dialog.m_List_Dialog();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->m_Name(), "Dlg List");
  EXPECT_TRUE(f_dialog.m_Has_Modal_Child());
  ASSERT_EQ(list->m_List().m_Get_Row_Count(), 1);
  EXPECT_EQ(list->m_List().m_Get_Row_Text(1), "Unable to load data file: \"" + file + "\".");
  std::uint16_t escape = 27;
  EXPECT_TRUE(f_dialog.m_Key_Down(escape, 0));
  EXPECT_EQ(f_dialog.m_List_Dialog(), nullptr);
}

TEST_F(Dialog_Test, Sounds_Of_Opening_And_Closing) {
  f_dialog.m_Show_Info_Message("Info", "Saved.", 3);
  Key(VK_RETURN);  // Enter closes also a mode-0 box (its button 2 is hidden)
  EXPECT_EQ(Entries(f_journal, "sound"), (TJournal{"sound 15 -2000", "sound 16 -2000"}));
  EXPECT_EQ(f_dialog.m_Message_Dialog(), nullptr);
  EXPECT_TRUE(Answers().empty());  // mode 0 reports nothing
}

TEST_F(Dialog_Test, Questions_Are_Not_Queued_But_Messages_Are) {
  f_dialog.m_Show_Info_Message("First", "one", 1);
  TDC_Dlg_Message* first = f_dialog.m_Message_Dialog();
  f_dialog.m_Show_Question("Second", "two", 2, 1);
  EXPECT_EQ(f_dialog.m_Message_Dialog(), first);
  EXPECT_EQ(f_dialog.m_Queued_Messages(), 0u);
  f_dialog.m_Show_Message("Third", "three", TMessage_Box_Mode::Ok_Cancel, 9, 4);
  f_dialog.m_Show_Message("Fourth", "four", TMessage_Box_Mode::Yes_No, 8, 3);
  EXPECT_EQ(f_dialog.m_Queued_Messages(), 2u);
  Key(VK_ESCAPE);
  ASSERT_NE(f_dialog.m_Message_Dialog(), nullptr);
  EXPECT_EQ(f_dialog.m_Message_Dialog()->m_Button_1().m_Caption(), "Cancel");
  EXPECT_EQ(f_dialog.m_Message_Dialog()->m_Get_Tag(), 0);
  Key(VK_RETURN);  // the third: mode 1, OK value 9
  EXPECT_EQ(Answers(), TJournal{"question 0 9"});
  ASSERT_NE(f_dialog.m_Message_Dialog(), nullptr);
  EXPECT_EQ(f_dialog.m_Message_Dialog()->m_Button_2().m_Caption(), "Yes");
  EXPECT_EQ(f_dialog.m_Message_Dialog()->m_Button_1().m_Caption(), "No");
  Key(VK_ESCAPE);
  EXPECT_EQ(f_dialog.m_Message_Dialog(), nullptr);
  EXPECT_EQ(f_dialog.m_Queued_Messages(), 0u);
}

TEST_F(Dialog_Test, Edit_Box_Text_Reaches_The_Answer_Also_On_Cancel) {
  f_dialog.m_Show_Edit_Question("Name", "Your name:", "Name", "Al", 4, 1, 6, false);
  TDC_Dlg_Message* box = f_dialog.m_Message_Dialog();
  ASSERT_NE(box, nullptr);
  ASSERT_NE(box->m_Edit_Box(), nullptr);
  EXPECT_EQ(box->m_Edit_Box()->m_Name(), "TDC_Dlg_Message.f_edit_box");
  EXPECT_EQ(box->m_Edit_Box()->m_X(), 338);
  EXPECT_EQ(box->m_Edit_Box()->m_Y(), 353);
  EXPECT_TRUE(box->m_Edit_Box()->m_Focused());
  Key('X', SS_SHIFT);
  Key(VK_ESCAPE);
  EXPECT_EQ(Answers(), TJournal{"edit 4 6 AlX"});
}

TEST_F(Dialog_Test, Title_Bar_Drags_The_Box_And_The_Text_Does_Not) {
  f_dialog.m_Show_Info_Message("Info", "text", 0);
  TDC_Dlg_Message* box = f_dialog.m_Message_Dialog();
  f_dialog.m_Mouse_Down(MB_LEFT, 0, 312 + 100, 284 + 40);  // the text area
  EXPECT_FALSE(box->m_Dragging());
  f_dialog.MouseUp(MB_LEFT, 0, 312 + 100, 284 + 40, false);
  f_dialog.m_Mouse_Down(MB_LEFT, 0, 312 + 100, 284 + 10);  // the title bar
  EXPECT_TRUE(box->m_Dragging());
  Mouse(312 + 150, 284 + 60);
  f_dialog.m_Render(0.0);
  EXPECT_EQ(box->m_X(), 362);
  EXPECT_EQ(box->m_Y(), 334);
  EXPECT_EQ(box->m_Button_1().m_X(), 362 + 304);
  f_dialog.MouseUp(MB_LEFT, 0, 462, 344, false);
  EXPECT_FALSE(box->m_Dragging());
}

TEST_F(Dialog_Test, Message_Drawing) {
  f_dialog.m_Show_Info_Message("Title", "Body", 0);
  f_dialog.m_Message_Dialog()->f_lines = {"one", "two"};
  f_journal.clear();
  f_dialog.m_Message_Dialog()->m_Draw(0.0);
  EXPECT_EQ(Entries(f_journal, "text"), (TJournal{"text 321,289 FF000000 Title", "text 320,288 FFFFFFFF Title",
                                                  "text 319,313 FFFFFFFF one", "text 319,327 FFFFFFFF two"}));
  f_dialog.m_Message_Dialog()->f_lines.clear();
  f_journal.clear();
  f_dialog.m_Message_Dialog()->m_Draw(0.0);
  EXPECT_EQ(Entries(f_journal, "wrapped"), TJournal{"wrapped 319,313 386 14 142 FFFFFFFF Body"});
}

TEST_F(Dialog_Test, List_Dialog_Scrolls_Selects_And_Closes_On_Escape) {
  std::vector<std::string> rows;
  for (int i = 1; i <= 200; ++i) rows.push_back("Line " + std::to_string(i));
  f_dialog.m_Show_List(rows, "Log", "All lines");
  TDC_Dlg_List* list = f_dialog.m_List_Dialog();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->m_Name(), "Dlg List");
  EXPECT_EQ(list->m_X(), 312);
  EXPECT_EQ(list->m_Y(), 84);
  EXPECT_EQ(list->m_List().m_Name(), "TDC_Dlg_List.List");
  EXPECT_EQ(list->m_List().m_X(), 322);
  EXPECT_EQ(list->m_List().m_Y(), 159);
  EXPECT_EQ(list->m_Close_Button().m_X(), 616);
  EXPECT_EQ(list->m_List().m_Get_Row_Count(), 200);
  EXPECT_EQ(list->m_List().m_Get_Row_Height(1), 12);
  EXPECT_TRUE(list->m_List().m_Button_Down().m_Enabled());
  EXPECT_TRUE(f_dialog.m_Mouse_Wheel(0, -1, 400, 300));
  EXPECT_EQ(list->m_List().m_First_Row(), 4);
  // No hover highlight; a click selects with the "Select Item" sound.
  Mouse(400, 165);
  f_dialog.m_Render(0.0);
  EXPECT_EQ(list->m_List().m_Highlighted_Row(), 0);
  f_journal.clear();
  Click(400, 165);
  EXPECT_EQ(list->m_List().m_Get_Selected_Index(), 4);
  EXPECT_EQ(Entries(f_journal, "sound"), TJournal{"sound 14 -2000"});
  f_dialog.m_Show_List(rows, "Again", "");  // one list dialog at a time
  EXPECT_EQ(f_dialog.m_List_Dialog(), list);
  f_journal.clear();
  EXPECT_TRUE(Key(VK_ESCAPE));
  EXPECT_EQ(f_dialog.m_List_Dialog(), nullptr);
  EXPECT_EQ(Entries(f_journal, "sound"), TJournal{"sound 16 -2000"});
  // The Close button does the same.
  f_dialog.m_Show_List(rows, "Log", "");
  Click(620, 665);
  EXPECT_EQ(f_dialog.m_List_Dialog(), nullptr);
}

TEST_F(Dialog_Test, Progress_Bar_Width_And_Closing) {
  TDevice_Params params;
  params.Width = 1024;
  params.Height = 768;
  auto device = std::make_unique<TRender_Device_Headless>(params);
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  f_dialog.m_Open_Progress();
  TDC_Dlg_Progress* progress = f_dialog.m_Progress_Dialog();
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(G_Progress_Dialog_Shown);
  EXPECT_EQ(progress->m_Name(), "Dlg Progress");
  EXPECT_EQ(progress->m_X(), 312);
  EXPECT_EQ(progress->m_Y(), 337);
  struct {
    std::int32_t percent, width;
  } cases[] = {{0, 0}, {50, 196}, {99, 388}, {-5, 0}, {150, 392}};
  for (const auto& k : cases) {
    progress->m_Set_Percent(k.percent);
    EXPECT_EQ(progress->m_Bar_Width(), k.width) << k.percent;
  }
  progress->m_Set_Percent(50);
  progress->m_Set_Caption("Saving");
  f_journal.clear();
  device->Clear_Draw_Records();
  progress->m_Draw(0.0);
  const auto surface = TRender_Device_Base::BACK_BUFFER_SURFACE;
  EXPECT_EQ(device->Pixel(surface, 316, 363), G_Make_Color(0, 0, 200));
  EXPECT_EQ(device->Pixel(surface, 511, 404), G_Make_Color(0, 0, 200));
  EXPECT_EQ(device->Pixel(surface, 512, 404), 0xFF000000u);
  EXPECT_EQ(device->Pixel(surface, 316, 405), 0xFF000000u);
  EXPECT_EQ(Entries(f_journal, "text"), (TJournal{"text 321,342 FF000000 Saving", "text 320,341 FFFFFFFF Saving"}));
  // 100 closes it at the next kill pass.
  progress->m_Set_Percent(100);
  EXPECT_TRUE(progress->m_Killed());
  f_dialog.m_Kill_Any_Dead_Controls();
  EXPECT_EQ(f_dialog.m_Progress_Dialog(), nullptr);
  EXPECT_FALSE(G_Progress_Dialog_Shown);
  f_dialog.m_Open_Progress();
  f_dialog.m_Close_Progress();
  EXPECT_EQ(f_dialog.m_Progress_Dialog(), nullptr);
  EXPECT_EQ(f_dialog.m_Child_Count(), 1);
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
}

}  // namespace
