// The game setup in a game at one machine: its starting choices, the rows
// by mode, the checks of the player table, the name pools, the empires
// built from the rows in use, the flag pictures of the flag choices and the
// new-game job.
#include "DC_Dlg_GameSetup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

#include "Datafile_BaseGameSettings.h"
#include "Datafile_MapTypes.h"
#include "Game_Session.h"
#include "Empire.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "Gui_Links.h"
#include "Image_Files.h"
#include "Io.h"
#include "Setup_Screens_Fixture.h"

namespace {

class Game_Setup_Test : public Setup_Screens_Fixture {
protected:
  std::unique_ptr<TDC_Dlg_GameSetup> Open(std::uint8_t mode) {
    auto d = std::make_unique<TDC_Dlg_GameSetup>();
    d->m_Set_Position_Centered("Dlg Game Setup", true);
    d->m_Set_Visible(true);
    d->m_Set_Mode(mode, false);
    return d;
  }
  static void Use(TDC_Dlg_GameSetup& d, std::int32_t row, bool on) {
    d.m_Use_Player(row).m_Set_On(on);
    d.m_Update_Rows();
  }
};

// Records the flag cells the flag choices draw.
struct TFlag_Recorder : TGui_Display_Link {
  std::vector<std::pair<std::int32_t, std::int32_t>> cells;  // (row, column)
  void m_Draw_Grid_Icon(std::int32_t, std::int32_t, std::int32_t row, std::int32_t column) override {
    cells.emplace_back(row, column);
  }
};

TGame_Setup_Row Row(const char* nation, const char* player, std::int32_t flag, std::int32_t colour,
                    bool used = true) {
  TGame_Setup_Row r;
  r.used = used;
  r.nation = nation;
  r.player = player;
  r.flag = flag;
  r.colour = colour;
  return r;
}

}  // namespace

TEST(Game_Setup_Rules, TheChecksStopAtTheFirstFailureOfTheRowsInUse) {
  struct TCase {
    const char* what;
    std::vector<TGame_Setup_Row> rows;
    std::string error;
  } cases[] = {
      {"two good rows", {Row("Arden", "Ann", 1, 1), Row("Brel", "Bob", 2, 2)}, ""},
      {"no nation name", {Row("Arden", "Ann", 1, 1), Row("  ", "Bob", 2, 2)}, "Player 2 must have a nation name."},
      {"no player name", {Row("Arden", "", 1, 1), Row("Brel", "Bob", 2, 2)}, "Player 1 must have a player name."},
      {"no flag", {Row("Arden", "Ann", 0, 1), Row("Brel", "Bob", 2, 2)}, "Player 1 must have a flag."},
      {"no colour", {Row("Arden", "Ann", 1, 0), Row("Brel", "Bob", 2, 2)}, "Player 1 must have a color."},
      {"nations differing in case",
       {Row("Arden", "Ann", 1, 1), Row("ARDEN ", "Bob", 2, 2)},
       "Two players cannot have the same nation name."},
      {"same player name",
       {Row("Arden", "Ann", 1, 1), Row("Brel", " ann", 2, 2)},
       "Two players cannot have the same player name."},
      {"same flag", {Row("Arden", "Ann", 3, 1), Row("Brel", "Bob", 3, 2)}, "Two players cannot have the same flag."},
      {"same colour", {Row("Arden", "Ann", 1, 4), Row("Brel", "Bob", 2, 4)}, "Two players cannot have the same color."},
      {"a row not in use takes no part",
       {Row("Arden", "Ann", 1, 1, false), Row("Arden", "Ann", 1, 1), Row("", "", 0, 0, false), Row("Cor", "Cy", 2, 2)},
       ""},
      {"one player only", {Row("Arden", "Ann", 1, 1), Row("Brel", "Bob", 2, 2, false)},
       "At least two players must take part in the game."},
      {"no player", {Row("", "", 0, 0, false)}, "At least two players must take part in the game."},
      {"the first failing row is named",
       {Row("Arden", "Ann", 1, 1), Row("", "", 0, 0, false), Row("Cor", "", 3, 3), Row("", "", 4, 4)},
       "Player 3 must have a player name."},
  };
  for (const TCase& c : cases) EXPECT_EQ(Game_Setup_Validate(c.rows), c.error) << c.what;
}

TEST(Game_Setup_Rules, TheRowsInUseAreCompactedInOrder) {
  struct TCase {
    std::vector<bool> used;
    std::vector<std::int32_t> rows;
  } cases[] = {
      {{true, true, false, true}, {1, 2, 4}},
      {{true, false, false, false, false, false, false, true}, {1, 8}},
      {{false, true, true}, {2, 3}},
      {{false, false}, {}},
  };
  for (const TCase& c : cases) {
    std::vector<TGame_Setup_Row> rows;
    for (bool u : c.used) rows.push_back(Row("n", "p", 1, 1, u));
    EXPECT_EQ(Game_Setup_Used_Rows(rows), c.rows);
  }
  std::vector<TGame_Setup_Row> rows{Row("a", "a", 1, 1), Row("b", "b", 2, 2), Row("c", "c", 3, 3, false)};
  rows[1].computer = true;
  EXPECT_EQ(Game_Setup_Description(rows), "1 Human, 1 Computer");
}

TEST(Game_Setup_Rules, ANamePoolThatRunsOutMakesNamesFromItsPrefix) {
  TGame_Setup_Name_Pool pool("Nation ");
  pool.m_Set({"Arden", "Brel"});
  std::set<std::string> drawn;
  for (std::int32_t row = 1; row <= 4; ++row) drawn.insert(pool.m_Draw(row));
  EXPECT_EQ(drawn, (std::set<std::string>{"Arden", "Brel", "Nation 3", "Nation 4"}));
  EXPECT_EQ(pool.m_Count(), 0u);
  EXPECT_EQ(pool.m_Draw(9), "Nation 9");
  // A file that does not exist gives an empty pool; a file's blank lines are skipped.
  TTemp_Dir dir;
  TGame_Setup_Name_Pool players("Player ");
  players.m_Load(dir.design() + "missing.txt");
  EXPECT_EQ(players.m_Count(), 0u);
  EXPECT_EQ(players.m_Draw(2), "Player 2");
  Write_File(dir.path() / "names.txt", "  Ann Voss \r\n\r\n   \nBob\n");
  players.m_Load(dir.design() + "names.txt");
  EXPECT_EQ(players.m_Count(), 2u);
  drawn.clear();
  for (int i = 0; i < 2; ++i) drawn.insert(players.m_Draw(1));
  EXPECT_EQ(drawn, (std::set<std::string>{"Ann Voss", "Bob"}));
}

TEST_F(Game_Setup_Test, TheDialogOpensWithEightDistinctRowsAndTheStandardChoices) {
  auto d = Open(GAME_SETUP_HOTSEAT);
  EXPECT_EQ(d->m_Title(), "Game Setup");
  EXPECT_EQ(d->m_Combobox(1).m_Get_Text(), "Standard");
  EXPECT_EQ(Text_Compare(d->m_Combobox(3).m_Get_Text(), Base_Game_Settings.f_default_map_type), 0);
  EXPECT_FALSE(d->m_Combobox(2).m_Enabled());
  EXPECT_TRUE(d->m_Combobox(3).m_Enabled());
  const bool on[19] = {false, false, true, true, true, true, true, true, false, false,
                       false, true, false, true, false, false, true, false, false};
  for (std::int32_t n = 1; n <= 18; ++n) EXPECT_EQ(d->m_Option(n), on[n]) << n;
  EXPECT_EQ(Game_Setup_Validate(d->m_Rows()), "");
  std::set<std::string> nations;
  for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) {
    EXPECT_TRUE(d->m_Use_Player(n).m_Is_On());
    EXPECT_EQ(d->m_Comp_Control(n).m_Is_On(), n > 1);
    EXPECT_EQ(d->m_Color_Combo(n).m_Get_Selected_Index(), n);
    EXPECT_EQ(d->m_Flag_Combo(n).m_Get_Selected_Index(), n);
    EXPECT_EQ(d->m_Color_Combo(n).m_Get_Item_Count(), Base_Game_Settings.m_Player_Color_Count());
    EXPECT_EQ(d->m_Flag_Combo(n).m_Get_Item_Count(), Base_Game_Settings.f_player_flags_per_color);
    nations.insert(d->m_Nation_Edit(n).m_Text());
    // Laid out on the rows of the background.
    EXPECT_EQ(d->m_Nation_Edit(n).m_Y(), d->m_Y() + 208 + 32 * (n - 1));
  }
  EXPECT_EQ(nations.size(), 8u);
  // The network controls are hidden at one machine.
  EXPECT_FALSE(d->m_IP_Edit().m_Visible());
  EXPECT_FALSE(d->m_Chat_List().m_Visible());
}

TEST_F(Game_Setup_Test, TheRowsFollowTheModeAndTheUseToggles) {
  auto single = Open(GAME_SETUP_SINGLE_PLAYER);
  EXPECT_FALSE(single->m_Comp_Control(1).m_Is_On());
  EXPECT_FALSE(single->m_Use_Player(1).m_Enabled());
  EXPECT_FALSE(single->m_Use_Player(2).m_Enabled());
  EXPECT_TRUE(single->m_Use_Player(3).m_Enabled());
  for (std::int32_t n = 1; n <= GAME_SETUP_ROWS; ++n) EXPECT_FALSE(single->m_Comp_Control(n).m_Enabled());
  Use(*single, 5, false);
  EXPECT_FALSE(single->m_Nation_Edit(5).m_Enabled());
  EXPECT_FALSE(single->m_Color_Combo(5).m_Enabled());
  EXPECT_TRUE(single->m_Nation_Edit(4).m_Enabled());

  auto hotseat = Open(GAME_SETUP_HOTSEAT);
  Use(*hotseat, 3, false);
  EXPECT_TRUE(hotseat->m_Use_Player(1).m_Enabled());
  EXPECT_TRUE(hotseat->m_Comp_Control(2).m_Enabled());
  for (TDisplay_Class* c : std::initializer_list<TDisplay_Class*>{
           &hotseat->m_Color_Combo(3), &hotseat->m_Flag_Combo(3), &hotseat->m_Nation_Edit(3),
           &hotseat->m_Player_Edit(3), &hotseat->m_Comp_Control(3)})
    EXPECT_FALSE(c->m_Enabled()) << c->m_Name();
  Use(*hotseat, 3, true);
  EXPECT_TRUE(hotseat->m_Player_Edit(3).m_Enabled());
}

TEST_F(Game_Setup_Test, TheOptionButtonsActAsPairsGroupsAndCheckBoxes) {
  auto d = Open(GAME_SETUP_HOTSEAT);
  d->m_Option_Click("Option button 1");
  EXPECT_TRUE(d->m_Option(1));
  EXPECT_FALSE(d->m_Option(2));
  EXPECT_TRUE(d->m_Combobox(2).m_Enabled());
  EXPECT_FALSE(d->m_Combobox(3).m_Enabled());
  d->m_Option_Click("option BUTTON 4");
  EXPECT_FALSE(d->m_Option(4));
  d->m_Option_Click("Option button 4");
  EXPECT_TRUE(d->m_Option(4));
  d->m_Option_Click("Option button 15");
  EXPECT_EQ((std::vector<bool>{d->m_Option(13), d->m_Option(14), d->m_Option(15)}),
            (std::vector<bool>{false, false, true}));
  EXPECT_TRUE(d->m_Option(16));  // another group keeps its choice
  EXPECT_EQ(d->m_Option_Button(15).m_Image(), 8);
  EXPECT_EQ(d->m_Option_Button(13).m_Image(), 9);
  EXPECT_EQ(d->m_Option_Button(4).m_Image(), 6);
}

TEST_F(Game_Setup_Test, TheEmpiresAreBuiltFromTheRowsInUseInTheirOrder) {
  auto d = Open(GAME_SETUP_HOTSEAT);
  for (std::int32_t n = 3; n <= GAME_SETUP_ROWS; ++n) Use(*d, n, n == 4);
  d->m_Comp_Control(1).m_Set_On(false);
  d->m_Comp_Control(2).m_Set_On(true);
  d->m_Comp_Control(4).m_Set_On(false);
  d->m_Color_Combo(4).m_Select_Item(7);
  d->m_Flag_Combo(4).m_Select_Item(5);
  d->m_Option_Click("Option button 5");  // no neutral empire
  d->m_Option_Click("Option button 17");
  const std::string nation4 = d->m_Nation_Edit(4).m_Text(), player4 = d->m_Player_Edit(4).m_Text();
  d->m_Button_Click("GAMESETUP_CONTROL_BUTTON_OK");
  ASSERT_TRUE(d->m_Creating());
  ASSERT_NE(G_Empire_List, nullptr);
  ASSERT_EQ(G_Empire_List->m_Get_Count(), 3);
  for (std::int32_t k = 1; k <= 3; ++k) EXPECT_EQ(G_Empire_List->m_Get_Empire(k)->m_Get_Number(), k);
  const TEmpire& third = *G_Empire_List->m_Get_Empire(3);
  EXPECT_EQ(third.m_Get_Nation_Name(), nation4);
  EXPECT_EQ(third.m_Get_Player_Name(), player4);
  EXPECT_EQ(third.m_Get_Color_Index(), 7);
  EXPECT_EQ(third.m_Get_Flag_Index(), 5);
  EXPECT_EQ(third.m_Get_Color(), Base_Game_Settings.m_Get_Player_Color(7).f_standard);
  EXPECT_EQ(third.m_Get_Second_Color(), Base_Game_Settings.m_Get_Player_Color(7).f_bright);
  EXPECT_FALSE(third.m_Get_Computer_Controlled());
  EXPECT_TRUE(G_Empire_List->m_Get_Empire(2)->m_Get_Computer_Controlled());
  EXPECT_EQ(third.m_Get_Treasury(), Base_Game_Settings.f_starting_money_medium);
  EXPECT_EQ(Game_Settings.f_description, "2 Human, 1 Computer");
  EXPECT_EQ(Game_Settings.f_player_count, 3);
  EXPECT_EQ(Game_Settings.f_relations.m_Count(), 3);
  EXPECT_FALSE(Game_Settings.f_neutral_empire);
  EXPECT_EQ(Game_Settings.f_starting_money_level, 2);
  EXPECT_TRUE(f_map->m_Get_Generated());
}

TEST_F(Game_Setup_Test, ANeutralEmpireFollowsThePlayers) {
  auto d = Open(GAME_SETUP_SINGLE_PLAYER);
  for (std::int32_t n = 4; n <= GAME_SETUP_ROWS; ++n) Use(*d, n, false);
  d->m_Button_Click("GAMESETUP_CONTROL_BUTTON_OK");
  ASSERT_EQ(G_Empire_List->m_Get_Count(), 4);
  const TEmpire& neutral = *G_Empire_List->m_Get_Empire(4);
  EXPECT_EQ(neutral.m_Get_Nation_Name(), "Neutral Empire");
  EXPECT_EQ(neutral.m_Get_Player_Name(), "General Neutral");
  EXPECT_TRUE(neutral.m_Get_Neutral());
  EXPECT_TRUE(neutral.m_Get_Computer_Controlled());
  EXPECT_EQ(neutral.m_Get_Treasury(), Base_Game_Settings.f_neutral_starting_money_low);
  EXPECT_EQ(Game_Settings.f_description, "1 Human, 2 Computer");
}

TEST_F(Game_Setup_Test, AFailedCheckShowsTheReasonAndStartsNothing) {
  auto d = Open(GAME_SETUP_HOTSEAT);
  d->m_Nation_Edit(2).m_Set_Text(" " + Text_Upper_Case(d->m_Nation_Edit(1).m_Text()));
  d->m_Button_Click("GAMESETUP_CONTROL_BUTTON_OK");
  EXPECT_FALSE(d->m_Creating());
  EXPECT_EQ(d->m_Result(), TGame_Setup_Result::Open);
  ASSERT_NE(d->m_Message_Dialog(), nullptr);
  EXPECT_EQ(d->m_Message_Dialog()->m_Get_Title(), "Error");
  EXPECT_EQ(d->m_Message_Dialog()->m_Get_Text(), "Two players cannot have the same nation name.");
  EXPECT_FALSE(Stepped_Task_Running);
}

TEST_F(Game_Setup_Test, EscapeCancelsInEveryMode) {
  for (std::uint8_t mode : {GAME_SETUP_SINGLE_PLAYER, GAME_SETUP_HOTSEAT, GAME_SETUP_HOST, GAME_SETUP_JOIN}) {
    auto d = Open(mode);
    std::uint16_t key = VK_ESCAPE;
    EXPECT_TRUE(d->m_On_Key_Down(key, 0));
    EXPECT_EQ(d->m_Result(), TGame_Setup_Result::Cancelled);
    EXPECT_TRUE(d->m_Killed());
  }
}

TEST_F(Game_Setup_Test, EscapeWithAListOpenClosesOnlyTheList) {
  auto d = Open(GAME_SETUP_SINGLE_PLAYER);
  for (TDC_Combobox* combo : {&d->m_Combobox(3), &d->m_Flag_Combo(2)}) {
    combo->m_Drop_Button().OnClick(combo->m_Drop_Button().m_Name(), MB_LEFT, 0);
    ASSERT_TRUE(combo->m_List_Open());
    std::uint16_t key = VK_ESCAPE;
    EXPECT_TRUE(d->m_On_Key_Down(key, 0));
    EXPECT_FALSE(combo->m_List_Open());
    EXPECT_EQ(d->m_Result(), TGame_Setup_Result::Open);
    EXPECT_FALSE(d->m_Killed());
  }
  // The next Esc cancels the setup.
  std::uint16_t key = VK_ESCAPE;
  EXPECT_TRUE(d->m_On_Key_Down(key, 0));
  EXPECT_EQ(d->m_Result(), TGame_Setup_Result::Cancelled);
}

TEST_F(Game_Setup_Test, TheFlagChoicesDrawTheRowOfTheirColourAndTheColumnOfTheFlag) {
  TFlag_Recorder recorder;
  Set_Gui_Display_Link(&recorder);
  auto d = Open(GAME_SETUP_HOTSEAT);
  d->m_Color_Combo(2).m_Select_Item(6);
  d->m_Flag_Combo(2).m_Select_Item(3);
  d->m_Flag_Combo(2).m_Render(0.0);
  ASSERT_FALSE(recorder.cells.empty());
  EXPECT_EQ(recorder.cells.front(), std::make_pair(6, 3));
  // The open list shows every flag of the row's colour.
  recorder.cells.clear();
  d->m_Flag_Combo(2).m_Drop_Button().OnClick("", MB_LEFT, 0);
  d->m_Flag_Combo(2).m_Render(0.0);
  ASSERT_GE(recorder.cells.size(), 3u);
  for (const auto& cell : recorder.cells) EXPECT_EQ(cell.first, 6);
  Set_Gui_Display_Link(nullptr);
}

TEST_F(Game_Setup_Test, TheNewGameJobBuildsTheWorldAndClosesTheDialog) {
  auto d = Open(GAME_SETUP_SINGLE_PLAYER);
  for (std::int32_t n = 4; n <= GAME_SETUP_ROWS; ++n) Use(*d, n, false);
  d->m_Option_Click("Option button 6");  // no fog of war: every region is known
  d->m_Combobox(3).m_Select_Item(1);  // the smallest map type
  ASSERT_EQ(d->m_Combobox(3).m_Get_Text(), "Tiny");
  d->m_Button_Click("GAMESETUP_CONTROL_BUTTON_OK");
  ASSERT_TRUE(Stepped_Task_Running);
  ASSERT_NE(d->m_Progress_Dialog(), nullptr);
  for (int frame = 0; frame < 200 && Stepped_Task_Running; ++frame) Stepped_Task_Step(0.02f);
  EXPECT_FALSE(Stepped_Task_Running);
  EXPECT_EQ(d->m_Progress_Dialog(), nullptr);
  EXPECT_EQ(d->m_Result(), TGame_Setup_Result::Game_Made);
  EXPECT_TRUE(d->m_Killed());
  ASSERT_GT(f_map->m_Get_Region_Count(), 0);
  EXPECT_EQ(Game_Settings.f_turn_empire, 1);
  EXPECT_EQ(Game_Settings.f_game_kind, GAME_SETUP_SINGLE_PLAYER);
  EXPECT_EQ(f_map->m_Get_Map_Type_Name(), "Tiny");
  for (std::int32_t k = 1; k <= G_Empire_List->m_Get_Count(); ++k) {
    const TEmpire& e = *G_Empire_List->m_Get_Empire(k);
    EXPECT_TRUE(e.m_Is_Region_Known(1)) << k;
    std::int32_t owned = 0;
    for (std::int32_t r = 1; r <= f_map->m_Get_Region_Count(); ++r)
      if (f_map->m_Get_Region(r) && f_map->m_Get_Region(r)->m_Get_Owner() == k) ++owned;
    if (!e.m_Get_Neutral()) EXPECT_GT(owned, 0) << "empire " << k;
  }
  // The view starts over the human player's nation, each empire's camera over its own.
  const TEmpire& human = *G_Empire_List->m_Get_Empire(1);
  EXPECT_EQ(Game_Settings.f_camera_eye.x, human.m_Get_Camera_Eye().x);
  EXPECT_EQ(Game_Settings.f_camera_eye.y, human.m_Get_Camera_Eye().y);
  EXPECT_EQ(Game_Settings.f_camera_eye.z, GAME_SESSION_CAMERA_HEIGHT);
  EXPECT_NE(human.m_Get_Camera_Eye().x, G_Empire_List->m_Get_Empire(2)->m_Get_Camera_Eye().x);
}

// Straight down from 1800 above the map, a 1024 x 768 screen covers about
// 1988 x 1491 of the map: the view's eye sits at least half that from each
// edge of a larger map, and in the middle of a smaller one.
TEST(Game_Session_Fit_View, KeepsTheViewOnTheMap) {
  const float half_h = 1800.0f * std::tan(G_PICK_FIELD_OF_VIEW / 2.0f), half_w = half_h * 1024.0f / 768.0f;
  struct TCase {
    float x, y, map_w, map_h, want_x, want_y;
  } cases[] = {
      {3000, 2000, 6144, 4096, 3000, 2000},                       // inside: unchanged
      {100, 100, 6144, 4096, half_w, half_h},                     // top-left corner of the world
      {6100, 4090, 6144, 4096, 6144 - half_w, 4096 - half_h},     // the opposite corner
      {300, 1100, 2048, 1280, half_w, 640},                       // map lower than the view
      {1700, 200, 1024, 4096, 512, half_h},                       // map narrower than the view
      {-50, 9000, 0, 0, 0, 0},                                    // no map: its (empty) middle
  };
  for (const TCase& c : cases) {
    const TVector eye = Game_Session_Fit_View({c.x, c.y, -1800.0f}, c.map_w, c.map_h, 1024, 768);
    EXPECT_NEAR(eye.x, c.want_x, 0.01f) << c.x << "," << c.y;
    EXPECT_NEAR(eye.y, c.want_y, 0.01f) << c.x << "," << c.y;
    EXPECT_EQ(eye.z, -1800.0f);
  }
  // Without a screen size the eye stays where it was asked to be.
  const TVector kept = Game_Session_Fit_View({100, 100, -1800.0f}, 6144, 4096, 0, 0);
  EXPECT_EQ(kept.x, 100.0f);
  EXPECT_EQ(kept.y, 100.0f);
}

// On the smallest map the opening view of every nation with land shows the world and
// no dark border beside it: the whole width's worth of map across, and the
// map's middle up and down (it is lower than the view).
TEST_F(Game_Setup_Test, TheOpeningViewOfASmallWorldStaysOnTheMap) {
  struct TScreen_Size {
    std::int32_t w = G_Screen_Width, h = G_Screen_Height;
    TScreen_Size() { G_Screen_Width = 1024, G_Screen_Height = 768; }
    ~TScreen_Size() { G_Screen_Width = w, G_Screen_Height = h; }
  } screen;
  auto d = Open(GAME_SETUP_SINGLE_PLAYER);
  for (std::int32_t n = 4; n <= GAME_SETUP_ROWS; ++n) Use(*d, n, false);
  d->m_Combobox(3).m_Select_Item(1);
  ASSERT_EQ(d->m_Combobox(3).m_Get_Text(), "Tiny");
  d->m_Button_Click("GAMESETUP_CONTROL_BUTTON_OK");
  for (int frame = 0; frame < 200 && Stepped_Task_Running; ++frame) Stepped_Task_Step(0.02f);
  ASSERT_EQ(d->m_Result(), TGame_Setup_Result::Game_Made);
  const float map_w = float(f_map->m_Get_Pixel_Width()), map_h = float(f_map->m_Get_Pixel_Height());
  const float half_h = -GAME_SESSION_CAMERA_HEIGHT * std::tan(G_PICK_FIELD_OF_VIEW / 2.0f);
  const float half_w = half_h * 1024.0f / 768.0f;
  ASSERT_GT(map_w, 2 * half_w);
  ASSERT_LT(map_h, 2 * half_h);
  for (std::int32_t k = 1; k <= G_Empire_List->m_Get_Count(); ++k) {
    bool owns = false;
    for (std::int32_t r = 1; r <= f_map->m_Get_Region_Count() && !owns; ++r)
      owns = f_map->m_Get_Region(r) && f_map->m_Get_Region(r)->m_Get_Owner() == k;
    if (!owns) continue;  // a nation without land keeps the default view
    const TVector eye = G_Empire_List->m_Get_Empire(k)->m_Get_Camera_Eye();
    EXPECT_GE(eye.x, half_w - 0.01f) << "empire " << k;
    EXPECT_LE(eye.x, map_w - half_w + 0.01f) << "empire " << k;
    EXPECT_NEAR(eye.y, map_h / 2, 0.01f) << "empire " << k;
  }
  EXPECT_EQ(Game_Settings.f_camera_eye.x, G_Empire_List->m_Get_Empire(1)->m_Get_Camera_Eye().x);
  EXPECT_NEAR(Game_Settings.f_camera_eye.y, map_h / 2, 0.01f);
}

TEST_F(Game_Setup_Test, ChangingTheGameTypeReloadsTheDataAndRefillsTheMapLists) {
  auto d = Open(GAME_SETUP_HOTSEAT);
  ASSERT_NE(Map_Type_List, nullptr);
  const std::int32_t types = Map_Type_List->m_Count();
  d->m_Combobox(3).m_Clear();
  Base_Game_Settings.f_starting_money_low = -1;
  d->m_Combobox(1).m_Select_Item(1);
  d->m_Combobox_Changed("COMBOBOX 1");
  EXPECT_NE(Base_Game_Settings.f_starting_money_low, -1);  // the settings file was read again
  EXPECT_EQ(d->m_Combobox(3).m_Get_Item_Count(), types);
  EXPECT_EQ(Text_Compare(d->m_Combobox(3).m_Get_Text(), Base_Game_Settings.f_default_map_type), 0);
  // Other combo boxes change nothing.
  d->m_Combobox(3).m_Clear();
  d->m_Combobox_Changed("Combobox 3");
  EXPECT_EQ(d->m_Combobox(3).m_Get_Item_Count(), 0);
}

TEST_F(Game_Setup_Test, ALoadedGameResumedAsHostShowsItsSettingsAndNations) {
  G_Empire_List->m_Create_Empires(4);
  const char* nations[4] = {"Arden", "Brel", "Cor", "Neutral Empire"};
  for (std::int32_t n = 1; n <= 4; ++n) {
    TEmpire& e = *G_Empire_List->m_Get_Empire(n);
    e.m_Set_Nation_Name(nations[n - 1]);
    e.m_Set_Player_Name(std::string("P") + nations[n - 1]);
    e.m_Set_Computer_Controlled(n >= 3);
    e.m_Set_Neutral(n == 4);
  }
  Game_Settings.f_player_count = 2;
  Game_Settings.m_Player(1).f_nation_name = "Arden";
  Game_Settings.m_Player(1).f_player_name = "Ann";
  Game_Settings.m_Player(2).f_nation_name = "Brel";
  Game_Settings.m_Player(2).f_player_name = "Bob";
  Game_Settings.m_Player(2).f_connected = 1;
  Game_Settings.f_fog_of_war = false;
  Game_Settings.f_neutral_empire = true;
  Game_Settings.f_nation_size_level = 3;
  Game_Settings.f_starting_money_level = 2;
  Game_Settings.m_Set_Technology_Level(2);
  Game_Settings.f_setup_game_type_name = "Standard";
  Game_Settings.f_setup_map_text = "Old World";
  auto d = std::make_unique<TDC_Dlg_GameSetup>();
  d->m_Set_Position_Centered("Dlg Game Setup", true);
  d->m_Set_Mode(GAME_SETUP_HOST, true);
  EXPECT_EQ(d->m_Title(), "Host A Game");
  EXPECT_EQ(d->m_OK().m_Caption(), "Connect");
  EXPECT_EQ(d->m_Combobox(2).m_Get_Text(), "Old World");
  EXPECT_FALSE(d->m_Combobox(2).m_Enabled());
  EXPECT_FALSE(d->m_Option(6));
  EXPECT_TRUE(d->m_Option(5));
  EXPECT_TRUE(d->m_Option(12));
  EXPECT_FALSE(d->m_Option(11));
  EXPECT_TRUE(d->m_Option(17));
  EXPECT_FALSE(d->m_Option_Button(17).m_Enabled());
  // The technology chosen when the game was set up, not the start level.
  EXPECT_FALSE(d->m_Option(7));
  EXPECT_TRUE(d->m_Option(8));
  EXPECT_FALSE(d->m_Option(9));
  EXPECT_TRUE(d->m_IP_Edit().m_Visible());
  EXPECT_FALSE(d->m_Game_Name_Edit().m_Enabled());
  // Human slots: the host's row in use, the others waiting for their players.
  EXPECT_EQ(d->m_Nation_Edit(1).m_Text(), "Arden");
  EXPECT_EQ(d->m_Player_Edit(2).m_Text(), "Bob");
  EXPECT_TRUE(d->m_Use_Player(1).m_Is_On());
  EXPECT_FALSE(d->m_Use_Player(2).m_Is_On());
  EXPECT_EQ(Game_Settings.m_Player(2).f_connected, 0);
  // The computer player's row; the neutral empire has none.
  EXPECT_TRUE(d->m_Use_Player(3).m_Is_On());
  EXPECT_TRUE(d->m_Comp_Control(3).m_Is_On());
  EXPECT_EQ(d->m_Nation_Edit(3).m_Text(), "Cor");
  EXPECT_FALSE(d->m_Use_Player(4).m_Is_On());
  EXPECT_EQ(d->m_Nation_Edit(4).m_Text(), "");
}

// At one machine the network area shows the plain background: the network
// labels printed on the picture are covered by the picture itself, with no
// flat block and no text left; a hosted game keeps them.
TEST_F(Game_Setup_Test, AtOneMachineTheNetworkAreaShowsThePlainBackground) {
  TImage picture;
  ASSERT_TRUE(Image_Read_File((Source_Dir() / "images/ui/Dlg_GameSetup.bmp").string(), picture));
  ASSERT_EQ(picture.width, 1024);
  ASSERT_EQ(picture.height, 768);
  auto text_like = [](TColor c) { return ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255) > 330; };
  auto count_text = [&](auto&& at, const TGame_Setup_Label_Cover& c, std::int32_t x0, std::int32_t y0) {
    std::int32_t n = 0;
    for (std::int32_t y = c.top; y < c.bottom; ++y)
      for (std::int32_t x = c.left; x < c.right; ++x) n += text_like(at(x0 + x, y0 + y));
    return n;
  };
  auto in_picture = [&](std::int32_t x, std::int32_t y) { return picture.pixels[std::size_t(y) * 1024 + std::size_t(x)]; };
  ASSERT_EQ(Game_Setup_Network_Label_Covers().size(), 5u);
  for (const TGame_Setup_Label_Cover& c : Game_Setup_Network_Label_Covers()) {
    // Each cover lies on a label of the picture, and takes a plain stretch.
    EXPECT_GT(count_text(in_picture, c, 0, 0), 10) << c.left << "," << c.top;
    EXPECT_EQ(count_text(in_picture, c, c.shift, 0), 0) << c.left << "," << c.top;
  }
  const struct {
    std::uint8_t mode;
    bool labels;
  } cases[] = {{GAME_SETUP_SINGLE_PLAYER, false}, {GAME_SETUP_HOTSEAT, false}, {GAME_SETUP_HOST, true}};
  for (const auto& k : cases) {
    auto d = Open(k.mode);
    f_device->BeginScene();
    G_Main_Clear(0xFF000000u);
    d->m_Render(0.0);
    f_device->EndScene();
    auto shown = [&](std::int32_t x, std::int32_t y) {
      return f_device->Pixel(f_device->Get_BackBuffer_Surface(), std::uint32_t(x), std::uint32_t(y)) & 0xFFFFFFu;
    };
    for (const TGame_Setup_Label_Cover& c : Game_Setup_Network_Label_Covers()) {
      const std::int32_t text = count_text(shown, c, d->m_X(), d->m_Y());
      EXPECT_EQ(text > 10, k.labels) << int(k.mode) << ": " << c.left << "," << c.top << " " << text;
      if (!k.labels) EXPECT_EQ(text, 0) << int(k.mode) << ": " << c.left << "," << c.top;
    }
    if (k.labels) continue;
    // The chat column, the status strip and the game name's place look like
    // the picture there: no flat grey, the picture's own shades.
    const TRect areas[] = {{780, 60, 1010, 700}, {420, 640, 700, 720}, {540, 50, 700, 80}};
    for (const TRect& a : areas) {
      std::int64_t flat = 0, far = 0, n = 0;
      for (std::int32_t y = a.Top; y < a.Bottom; y += 3)
        for (std::int32_t x = a.Left; x < a.Right; x += 3) {
          const TColor p = shown(d->m_X() + x, d->m_Y() + y), q = in_picture(x, y);
          flat += p == (Make_Color(34, 34, 34) & 0xFFFFFFu);
          std::int32_t diff = 0;
          for (int s : {0, 8, 16}) diff += std::abs(std::int32_t((p >> s) & 255) - std::int32_t((q >> s) & 255));
          far += diff > 12;
          ++n;
        }
      EXPECT_EQ(flat, 0) << int(k.mode);
      EXPECT_LT(far, n / 20) << int(k.mode) << ": " << a.Left << "," << a.Top;
    }
  }
}
