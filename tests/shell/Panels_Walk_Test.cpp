// The purchases, the log, the statistics and a battle with its dialogs,
// played by hand in the game window through the input script. A hot-seat
// game of two humans made from a fixed seed is loaded with -loadgame; the
// first player buys tanks and a research step, attacks a region of the
// second player held only by units that do not fight, closes the battle's
// begin dialog, sees the battle end in the end dialog, reads the battle's
// report in the log and ends the turn; the second player ends his turn; the
// first finds the tanks placed and the research result in the log and opens
// the statistics. After one more round the autosave shows the results.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "Datafile_Units.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Global.h"
#include "MapClass.h"
#include "MachineOptions.h"
#include "MapRegion.h"
#include "Path.h"
#include "Walk_Support.h"

namespace {

const TMap_Region* Region(std::int32_t id) { return G_Map->m_Get_Region(id); }

struct TPanels_Plan {
  std::int32_t buy_region = 0;          // where the tanks are bought
  std::int32_t tank = 0, from = 0;      // the attacking tank and its region
  std::int32_t target = 0;              // the second player's region it attacks
  std::int32_t tanks_before = 0;        // tanks of the first player in the buy region
};

class Panels_Walk_Test : public Walk_Fixture {
protected:
  std::string Shot(const std::string& name) const override { return (f_work.path() / (name + ".bmp")).string(); }

  bool Make_Game(std::uint32_t seed, TPanels_Plan& plan) {
    TGame_Session_Setup setup;
    setup.seed = seed;
    setup.map_type = "Tiny";
    setup.computer = {false, false};
    setup.game_kind = TGame_Kind::Hot_Seat;
    const bool ok = Open_Walk_Game(setup) && Find_Plan(plan);
    if (TEmpire* e = Empire_Get(1)) e->m_Set_Treasury(100000);
    // The new date is saved: the checks after the walk read that save.
    if (Machine_Options) {
      Machine_Options->f_autosave_turns = 1;
      Machine_Options->m_Save();
    }
    return Close_Walk_Game(ok, "Panels");
  }

  bool Find_Plan(TPanels_Plan& p) {
    const std::uint16_t tank = Type_Named("Light Tank");
    TEmpire* first = Empire_Get(1);
    if (!tank || !first) return false;
    const std::int32_t n = G_Map->m_Get_Region_Count();
    for (std::int32_t a = 1; a <= n && !p.tank; ++a) {
      const TMap_Region* r = Region(a);
      if (!r || r->m_Get_Type() != REGION_LAND || r->m_Get_Owner() != 1 || Units_Of(a, 1, tank).empty()) continue;
      for (std::int32_t c = 1; c <= r->m_Get_Connection_Count() && !p.tank; ++c) {
        const std::int32_t e = r->m_Get_Connection(c);
        const TMap_Region* t = Region(e);
        if (!t || t->m_Get_Type() != REGION_LAND || t->m_Get_Owner() != 2) continue;
        p.tank = Units_Of(a, 1, tank).front();
        p.from = a;
        p.target = e;
      }
    }
    if (!p.tank) return false;
    // The target keeps one rifle infantry of the second player (placed when
    // there is none) and nothing else that fights.
    const std::uint16_t infantry = Type_Named("Rifle Infantry");
    bool kept = false;
    for (std::int32_t id : Units_Of(p.target, 2, 0)) {
      TMap_Unit_Record u;
      G_Map->m_Get_Unit(id, u);
      const TUnit_Type* type = Unit_Type_List->m_Get_Item(u.unit_type);
      if (type && !type->f_takes_part_in_combat) continue;
      if (!kept && u.unit_type == infantry) {
        kept = true;
        continue;
      }
      if (TMap_Region* r = G_Map->m_Get_Region(p.target)) r->m_Remove_Unit(id);
      G_Map->m_Delete_Unit(id);
    }
    if (!kept) {
      const std::int32_t id = G_Map->m_Add_Unit(p.target, infantry, 2, 1, 0);
      if (TMap_Region* r = G_Map->m_Get_Region(p.target)) r->m_Add_Unit(id);
    }
    for (std::int32_t r = 1; r <= n && !p.buy_region; ++r)
      if (r != p.from && first->m_Can_Place_Unit_At(r, tank, 1)) p.buy_region = r;
    p.tanks_before = std::int32_t(Units_Of(p.buy_region, 1, tank).size());
    return p.buy_region != 0;
  }
};

}  // namespace

TEST_F(Panels_Walk_Test, PurchasesABattleWithItsDialogsTheLogAndTheStatistics) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  TPanels_Plan p;
  ASSERT_TRUE(Make_Game(11, p));
  std::ostringstream s;
  std::int32_t f = 10;
  auto at = [&](std::int32_t gap) {
    f += gap;
    return std::to_string(f) + " ";
  };
  auto shot = [&](const char* name) { s << at(3) << "screenshot " << Shot(name) << "\n"; };
  // Clicks stand 12 frames (0.6 s) apart: two releases within half a
  // second make a double click.
  // "Next Player": the first player's turn.
  s << at(0) << "key Escape\n";
  // The purchases: three tanks in the buy region, then a research step.
  s << at(5) << "centre " << p.buy_region << "\n";
  s << at(5) << "key F2\n";
  shot("01_purchases");
  s << at(12) << "click 790 248\n";  // "Light Tank", the fifth row of the units
  s << at(12) << "clickregion " << p.buy_region << "\n";
  s << at(12) << "click 886 576\n";  // the right arrow: 2
  s << at(12) << "click 886 576\n";  // 3
  s << at(12) << "click 792 602\n";  // "Add Item"
  shot("02_tanks_added");
  s << at(12) << "click 1009 148\n";  // the type chooser opens
  shot("03_type_chooser");
  s << at(12) << "click 900 228\n";  // "Technology"
  shot("04_technology");
  s << at(12) << "click 792 602\n";  // "Add Item": the first cost entry
  shot("05_research_added");
  s << at(12) << "click 976 602\n";  // "Close"
  // The attack: the tank into the second player's region.
  s << at(12) << "centre " << p.from << "\n";
  s << at(5) << "clickunit " << p.tank << "\n";
  s << at(12) << "key A\n";
  s << at(3) << "moveregion " << p.target << "\n";
  s << at(10) << "clickregion " << p.target << "\n";
  s << at(80) << "moveregion " << p.target << "\n";
  shot("06_combat_region");
  s << at(12) << "clickregion " << p.target << "\n";
  shot("07_combat_begin");
  s << at(12) << "click 862 671\n";  // "Close" of the begin dialog
  // The battle screen: the tank starts in column 1 of row 5, the infantry
  // stands in column 14. Cells are 66 pixels from (48, 53); the tank goes
  // four columns a turn; the infantry's turns are ended with the third
  // battle button.
  const auto cell = [](int column) { return std::to_string(48 + 66 * (column - 1) + 33) + " 352"; };
  s << at(20) << "screenshot " << Shot("08_battle") << "\n";
  for (int column : {5, 9, 13}) {
    s << at(20) << "click " << cell(column) << "\n";
    s << at(40) << "click 546 22\n";
    s << at(1) << "move 512 400\n";  // away from the edge, where the view pans
  }
  s << at(20) << "screenshot " << Shot("08_battle_near") << "\n";
  for (int i = 0; i < 4; ++i) {
    s << at(5) << "click " << cell(14) << "\n";
    s << at(40) << "click 546 22\n";
    s << at(1) << "move 512 400\n";
    s << at(20) << "screenshot " << Shot("08_battle_attack_" + std::to_string(i)) << "\n";
  }
  s << at(20) << "screenshot " << Shot("08_combat_end") << "\n";
  s << at(12) << "click 862 671\n";  // "Close" of the end dialog
  s << at(12) << "key F4\n";
  shot("09_log_battle");
  s << at(2) << "key Escape\n";
  // End of the first player's turn, then of the second's.
  s << at(5) << "key F12\n";
  s << at(60) << "screenshot " << Shot("10_next_player") << "\n";
  s << at(2) << "key Escape\n";
  s << at(5) << "key F12\n";
  // The new date is saved over some frames, then the first player's turn begins.
  for (int i = 0; i < 6; ++i) s << at(50) << "screenshot " << Shot("11_saving_" + std::to_string(i)) << "\n";
  s << at(10) << "screenshot " << Shot("11_first_again") << "\n";
  s << at(2) << "key Escape\n";
  s << at(5) << "centre " << p.buy_region << "\n";
  shot("12_tanks_placed");
  s << at(3) << "key F4\n";
  shot("13_log_research");
  s << at(2) << "key Escape\n";
  s << at(5) << "key F3\n";
  shot("14_statistics");
  s << at(2) << "key Escape\n";
  // One more round, so that the save of the next date holds the turn.
  s << at(12) << "key F12\n";
  s << at(60) << "screenshot " << Shot("15_second_round") << "\n";
  s << at(2) << "key Escape\n";
  s << at(12) << "key F12\n";
  s << at(80) << "screenshot " << Shot("16_second_date") << "\n";
  s << at(2) << "key Escape\n";
  s << at(300) << "quit\n";
  ASSERT_EQ(Run(s.str(), {"-windowed", "-width:1024", "-height:768", "-constantframetime:0.05", "-loadgame:Panels"}),
            0);
  if (const char* dir = std::getenv("GLOBARCH_SCREENSHOT_DIR"))
    for (const auto& entry : std::filesystem::directory_iterator(f_work.path()))
      if (entry.path().extension() == ".bmp")
        std::filesystem::copy_file(entry.path(), std::filesystem::path(dir) / ("walk_" + entry.path().filename().string()),
                                   std::filesystem::copy_options::overwrite_existing);
  // The battle's turn-order strip ends with a whole entry: the columns after
  // the last entry that fits (fourteen of 32 pixels, to x 1018) show the
  // strip's own plain colour, as below the entries.
  {
    const TImage battle = Read("08_battle");
    ASSERT_EQ(battle.width, 1024);
    const TColor strip = battle.Pixel(1021, 40) & 0xFFFFFFu;
    auto not_strip = [&](std::int32_t left, std::int32_t right) {
      std::int32_t n = 0;
      for (std::int32_t y = 2; y < 30; ++y)
        for (std::int32_t x = left; x < right; ++x) n += (battle.Pixel(x, y) & 0xFFFFFFu) != strip;
      return n;
    };
    EXPECT_EQ(not_strip(1019, 1024), 0);
    EXPECT_GT(not_strip(990, 1016), 100);  // the last whole entry is there
    // The first entry (the tank whose turn it is) shows the yellow highlight
    // over its icon; the tank's next entry, the third, does not.
    auto green = [&](std::int32_t left) {
      std::int64_t sum = 0;
      for (std::int32_t y = 4; y < 28; ++y)
        for (std::int32_t x = left + 4; x < left + 28; ++x) sum += (battle.Pixel(x, y) >> 8) & 255;
      return sum / (24 * 24);
    };
    EXPECT_GT(green(570), green(570 + 64) + 40);
  }
  // The save of the date after holds what the first player's turn did (the
  // purchases are delivered after the save of the first new date).
  Global_Init();
  Game_Init_Create_Globals();
  Game_Init_Load_Map_Data();
  Game_Init_Load_Rule_Files();
  G_Map = new TMap();
  TLoad_Result code = TLoad_Result::Game;
  ASSERT_TRUE(Game_Session_Load("Autosave2", code));
  const std::uint16_t tank = Type_Named("Light Tank");
  EXPECT_EQ(std::int32_t(Units_Of(p.buy_region, 1, tank).size()), p.tanks_before + 3);
  EXPECT_EQ(Region(p.target)->m_Get_Owner(), 1);
  bool research = false, battle = false, bought = false;
  for (std::int32_t i = 1; i <= G_Event_Log->m_Get_Count(); ++i) {
    const TEvent_Log_Item* item = G_Event_Log->m_Get_Item(i);
    research |= item->f_kind == EVENT_RESEARCH && item->f_player == 1;
    battle |= item->f_kind == EVENT_COMBAT && item->f_player == 1 && item->m_Value(3) == p.target;
    bought |= item->f_kind == EVENT_PURCHASE && item->f_player == 1;
  }
  EXPECT_TRUE(research);
  EXPECT_TRUE(battle);
  EXPECT_TRUE(bought);
  delete G_Map;
  G_Map = nullptr;
  Game_Init_Free_Globals();
}
