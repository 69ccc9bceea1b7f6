#include "DC_Dlg_Login.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Gui_Test_Support.h"

namespace {

// The login box at (312, 284) on a 1024 x 768 screen, set up as a joining
// machine's lobby sets it up.
class Login_Test : public TGui_Fixture {
protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    f_root.Place("Root", 0, 0, 1024, 768);
    f_login = std::make_unique<TDC_Dlg_Login>();
    f_login->m_Set_Bounds("Dlg Login", 312, 284, 400, 200, true);
    f_login->m_Setup("Login", "Please enter the player name, nation name, and password you would like to use for this game.",
                     "", "", "", "Player Name", "Nation Name", "Password");
    f_login->m_Set_Visible(true);
    f_root.Add_Child_Control(f_login.get());
  }
  void TearDown() override {
    f_login.reset();
    TGui_Fixture::TearDown();
  }
  void Click(std::int32_t x, std::int32_t y) {
    f_root.m_Mouse_Down(MB_LEFT, 0, x, y);
    f_root.MouseUp(MB_LEFT, 0, x, y, false);
  }

  TProbe f_root{f_journal};
  std::unique_ptr<TDC_Dlg_Login> f_login;
};

}  // namespace

TEST_F(Login_Test, ButtonsAndKeysGiveTheResult) {
  struct TCase {
    const char* name;
    std::uint16_t key;      // 0: click instead
    std::int32_t x, y;      // the click
    TLogin_Result result;
  } cases[] = {
      {"Esc", VK_ESCAPE, 0, 0, TLogin_Result::Cancelled},
      {"Enter", VK_RETURN, 0, 0, TLogin_Result::Ok},
      {"Cancel", 0, 312 + 304 + 5, 284 + 176 + 5, TLogin_Result::Cancelled},
      {"OK", 0, 312 + 213 + 5, 284 + 176 + 5, TLogin_Result::Ok},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    f_login->f_result = TLogin_Result::None;
    if (c.key != 0) {
      std::uint16_t key = c.key;
      f_root.m_Key_Down(key, 0);
    } else {
      Click(c.x, c.y);
    }
    EXPECT_EQ(f_login->f_result, c.result);
    EXPECT_TRUE(f_login->m_Killed());
    TearDown();
  }
  SetUp();
}

TEST_F(Login_Test, ChoosingAPlayerFillsItsNationAndBecomesTheFirstValue) {
  f_login->m_Set_Choices({"Ann", "Bob"}, {"Avalon", "Borduria"});
  EXPECT_FALSE(f_login->m_Edit(1).m_Visible());
  EXPECT_FALSE(f_login->m_Edit(2).m_Enabled());
  // Open the list by its button, then pick the second row.
  TDC_Combobox& combo = f_login->m_Choices();
  Click(combo.m_Drop_Button().m_X() + 2, combo.m_Drop_Button().m_Y() + 2);
  ASSERT_TRUE(combo.m_List().m_Visible());
  std::int32_t top = 0, line = 0, bottom = 0;
  ASSERT_TRUE(combo.m_List().m_Get_Row_Rect(2, top, line, bottom));
  Click(combo.m_List().m_X() + 10, top + 2);
  EXPECT_EQ(f_login->m_Edit(2).m_Text(), "Borduria");
  f_login->m_Edit(3).m_Set_Text("secret");
  EXPECT_EQ(f_login->m_Get_Values(), (std::vector<std::string>{"Bob", "Borduria", "secret"}));
}

TEST_F(Login_Test, LayoutAndDrawing) {
  EXPECT_EQ(f_login->m_Edit(1).m_X(), 312 + 134);
  EXPECT_EQ(f_login->m_Edit(3).m_Y(), 284 + 143);
  EXPECT_EQ(f_login->m_Choices().m_Y(), 284 + 78);
  f_journal.clear();
  f_login->m_Draw(0);
  auto has = [&](const std::string& prefix) {
    return std::any_of(f_journal.begin(), f_journal.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
  };
  EXPECT_TRUE(has("text 321,289")) << "title shadow";
  EXPECT_TRUE(has("text 320,288")) << "title";
  EXPECT_TRUE(has("wrapped 319,313 386"));
  EXPECT_TRUE(has("text 338,366 ") );
}

// The title and the labels are white on their shadow whatever colour the
// text drawn before the box left set.
TEST_F(Login_Test, TitleAndLabelsAreWhiteWhateverWasDrawnBefore) {
  Gui_Text_Link().m_Set_Color(0xFF606060u);
  f_journal.clear();
  f_login->m_Draw(0);
  auto has = [&](const std::string& entry) {
    return std::find(f_journal.begin(), f_journal.end(), entry) != f_journal.end();
  };
  EXPECT_TRUE(has("text 321,289 FF000000 Login"));
  EXPECT_TRUE(has("text 320,288 FFFFFFFF Login"));
  EXPECT_TRUE(has("text 338,366 FFFFFFFF Player Name"));
  EXPECT_TRUE(has("text 338,430 FFFFFFFF Password"));
}

TEST_F(Login_Test, PasswordShowsOnlyStarsButGivesWhatWasTyped) {
  f_login->m_Edit(3).m_Set_Text("secret");
  f_journal.clear();
  f_root.m_Render(0);
  bool stars = false;
  for (const std::string& e : f_journal) {
    EXPECT_EQ(e.find("secret"), std::string::npos) << e;
    if (e.find("******") != std::string::npos) stars = true;
  }
  EXPECT_TRUE(stars);
  EXPECT_EQ(f_login->m_Get_Values()[2], "secret");
  EXPECT_EQ(f_login->m_Edit(1).m_Masked_Text(), "");
}
