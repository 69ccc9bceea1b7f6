#include "DC_Main_Chat.h"

#include <gtest/gtest.h>

#include "GameSettings.h"
#include "Gui_Test_Support.h"
#include "Multiplayer_GameActions.h"
#include "Multiplayer_Types.h"

namespace {

struct TChat_Links : TMP_Game_Links {
  std::vector<std::string> to_all, to_host, shown;
  void m_Send_To_All(const std::string& text) override { to_all.push_back(text); }
  void m_Send_To_Host(const std::string& text) override { to_host.push_back(text); }
  void m_Show_Chat_Line(const std::string& text) override { shown.push_back(text); }
};

// The panel at (10, 500), 400 x 200, in a game of the given kind.
class Chat_Test : public TGui_Fixture {
protected:
  void SetUp() override {
    TGui_Fixture::SetUp();
    Game_Settings.m_Reset();
    Set_MP_Game_Links(&f_links);
    f_root.Place("Root", 0, 0, 1024, 768);
    f_chat.m_Set_Bounds("Chat", 10, 500, 400, 200, false);
    f_chat.m_Set_Visible(true);
    f_root.Add_Child_Control(&f_chat);
  }
  void TearDown() override {
    Set_MP_Game_Links(nullptr);
    Game_Settings.m_Reset();
    MP_Clear_Login_Texts();
    TGui_Fixture::TearDown();
  }
  void Type_And_Enter(const std::string& text) {
    f_chat.m_Edit().m_Set_Text(text);
    std::uint16_t key = VK_RETURN;
    f_root.m_Key_Down(key, 0);
  }

  TChat_Links f_links;
  TProbe f_root{f_journal};
  TDC_Main_Chat f_chat;
};

}  // namespace

TEST_F(Chat_Test, ChildrenAreLaidOutInThePanel) {
  EXPECT_EQ(f_chat.m_List().m_Name(), "Control List Chat");
  EXPECT_EQ(f_chat.m_List().m_Height(), 178);
  EXPECT_EQ(f_chat.m_Edit().m_Name(), "Control Edit Text");
  EXPECT_EQ(f_chat.m_Edit().m_Y(), 678);
}

TEST_F(Chat_Test, The501stLineRemovesTheOldestAndTheListShowsItsEnd) {
  for (int i = 1; i <= 501; ++i) f_chat.m_Add_Line("line " + std::to_string(i));
  EXPECT_EQ(f_chat.m_List().m_Get_Row_Count(), 500);
  EXPECT_EQ(f_chat.m_List().m_Get_Row_Text(1), "line 2");
  EXPECT_GT(f_chat.m_List().m_First_Row(), 1);
  f_chat.m_Set_Lines({"a", "b"});
  EXPECT_EQ(f_chat.m_List().m_Get_Row_Count(), 2);
}

TEST_F(Chat_Test, EnterSendsByGameKind) {
  struct TCase {
    std::uint8_t kind;
    std::size_t to_all, to_host;
    const char* shown;
  } cases[] = {{1, 0, 0, ""}, {2, 0, 0, ""}, {3, 1, 0, "Hostname: hi"}, {4, 0, 1, ""}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.kind));
    f_links = TChat_Links();
    Game_Settings.f_game_kind = c.kind;
    Game_Settings.m_Player(1).f_player_name = "Hostname";
    MP_Login_Player_Name = "Joiner";
    Type_And_Enter("hi");
    EXPECT_EQ(f_links.to_all.size(), c.to_all);
    EXPECT_EQ(f_links.to_host.size(), c.to_host);
    EXPECT_EQ(f_links.shown.empty() ? std::string() : f_links.shown[0], c.shown);
    EXPECT_EQ(f_chat.m_Edit().m_Text(), "");
    EXPECT_TRUE(f_chat.m_Visible());
  }
  // The joined machine's line carries its login name; it is shown only
  // when the host sends it back.
  EXPECT_EQ(f_links.to_host[0], MP_Encode_Byte(1) + MP_Encode_String("Joiner") + MP_Encode_String("hi"));
}

TEST_F(Chat_Test, EnterOnAnEmptyLineHidesThePanelAndSendsNothing) {
  Game_Settings.f_game_kind = 3;
  Type_And_Enter("");
  EXPECT_FALSE(f_chat.m_Visible());
  EXPECT_TRUE(f_links.to_all.empty());
}
