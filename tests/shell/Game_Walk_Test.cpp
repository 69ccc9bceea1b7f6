// Turns played by hand in the game window, through the input script: a
// game made from a fixed seed, with a troop transport and a missile launcher
// added for the walk and saved, is loaded with -loadgame. In the first turn
// the human player moves a tank two regions along its drawn path, loads
// infantry onto the transport (loading ends the transport's moves for the
// turn), fires the launcher, decommissions a fighter and ends the turn; the
// computer player takes its turn and fights a battle on the battle screen,
// where a click moves the human's piece. In the second turn the transport
// sails, lands the infantry on the enemy coast through the transport panel,
// and the human begins the battle there with the region's "Begin
// Combat..." button; the battle ends on the map and the computer plays
// again. The screenshots show each result.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "Datafile_Units.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Global.h"
#include "Image_Files.h"
#include "MapClass.h"
#include "MapRegion.h"
#include "Native_Path.h"
#include "Walk_Support.h"

#include <map>

namespace {

const TMap_Region* Region(std::int32_t id) { return G_Map->m_Get_Region(id); }

std::vector<std::int32_t> Neighbours(std::int32_t id) {
  std::vector<std::int32_t> out;
  if (const TMap_Region* r = Region(id))
    for (std::int32_t c = 1; c <= r->m_Get_Connection_Count(); ++c)
      if (Region(r->m_Get_Connection(c))) out.push_back(r->m_Get_Connection(c));
  return out;
}

bool Land(std::int32_t id) { return Region(id) && Region(id)->m_Get_Type() == REGION_LAND; }
bool Sea(std::int32_t id) { return Region(id) && Region(id)->m_Get_Type() != REGION_LAND; }
std::uint8_t Owner(std::int32_t id) { return Region(id) ? Region(id)->m_Get_Owner() : 0; }
bool Adjacent(std::int32_t a, std::int32_t b) {
  const std::vector<std::int32_t> n = Neighbours(a);
  return std::find(n.begin(), n.end(), b) != n.end();
}

std::int32_t Place(std::int32_t region, std::uint16_t type, std::uint8_t owner) {
  const std::uint8_t moves = std::uint8_t(Unit_Type_List->m_Get_Item(type)->f_movement_amount);
  const std::int32_t id = G_Map->m_Add_Unit(region, type, owner, moves, 0);
  TMap_Region* r = G_Map->m_Get_Region(region);
  if (!r || !r->m_Add_Unit(id)) {
    G_Map->m_Delete_Unit(id);
    return 0;
  }
  return id;
}

// The pixels of the rectangle that are nearly white.
std::int32_t Bright(const TImage& image, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
  std::int32_t n = 0;
  for (std::int32_t y = y0; y < y1 && y < image.height; ++y)
    for (std::int32_t x = x0; x < x1 && x < image.width; ++x) {
      const std::uint32_t p = image.Pixel(x, y);
      n += ((p >> 16) & 0xFF) > 230 && ((p >> 8) & 0xFF) > 230 && (p & 0xFF) > 230;
    }
  return n;
}

// The mean difference of the colour channels over the rectangle.
double Mean_Difference(const TImage& a, const TImage& b, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                       std::int32_t y1) {
  double sum = 0;
  std::int64_t n = 0;
  for (std::int32_t y = y0; y < y1 && y < a.height && y < b.height; ++y)
    for (std::int32_t x = x0; x < x1 && x < a.width && x < b.width; ++x) {
      const std::uint32_t p = a.Pixel(x, y), q = b.Pixel(x, y);
      for (int shift : {0, 8, 16}) sum += std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF));
      n += 3;
    }
  return n ? sum / double(n) : 0.0;
}

// What the walk uses, found on the generated world.
struct TWalk_Plan {
  std::int32_t tank = 0, tank_from = 0, tank_via = 0, tank_to = 0;
  std::int32_t coast = 0, infantry = 0;  // the army's region and the unit that goes aboard
  std::int32_t sea_from = 0, sea_to = 0, ship = 0;
  std::int32_t enemy_coast = 0;
  std::int32_t launcher = 0, launcher_region = 0, bombard_target = 0;
  std::int32_t decommissioned = 0, decommission_region = 0;
};

class Game_Walk_Test : public Walk_Fixture {
protected:
  std::string Shot(const std::string& name) const override { return (f_work.path() / (name + ".bmp")).string(); }

  // The game of the walk: generated, changed for the walk, saved as "Walk".
  bool Make_Game(std::uint32_t seed, TWalk_Plan& plan) {
    TGame_Session_Setup setup;
    setup.seed = seed;
    setup.map_type = "Tiny";
    setup.computer = {false, true};
    const bool ok = Open_Walk_Game(setup) && Find_Plan(plan);
    return Close_Walk_Game(ok, "Walk");
  }

  bool Find_Plan(TWalk_Plan& p) {
    const std::uint16_t tank = Type_Named("Light Tank"), infantry = Type_Named("Rifle Infantry"),
                        ship = Type_Named("Troop Transport"), launcher = Type_Named("Mobile Missile Launcher");
    const std::int32_t n = G_Map->m_Get_Region_Count();
    // A tank with two moves and two own regions in a row ahead of it.
    for (std::int32_t a = 1; a <= n && !p.tank; ++a) {
      if (!Land(a) || Owner(a) != 1 || Units_Of(a, 1, tank).empty()) continue;
      for (std::int32_t b : Neighbours(a))
        for (std::int32_t c : Neighbours(b))
          if (!p.tank && c != a && Land(b) && Land(c) && Owner(b) == 1 && Owner(c) == 1 && !Adjacent(a, c)) {
            p.tank = Units_Of(a, 1, tank).front();
            p.tank_from = a;
            p.tank_via = b;
            p.tank_to = c;
          }
    }
    // An own coast with infantry, its sea, a second sea and a foreign coast
    // with defenders beyond it.
    for (std::int32_t r = 1; r <= n && !p.coast; ++r) {
      if (!Land(r) || Owner(r) != 1 || Units_Of(r, 1, infantry).empty() || r == p.tank_from) continue;
      for (std::int32_t s1 : Neighbours(r))
        for (std::int32_t s2 : Neighbours(s1))
          for (std::int32_t e : Neighbours(s2))
            if (!p.coast && Sea(s1) && Sea(s2) && s2 != s1 && Land(e) && Owner(e) != 1 && !Adjacent(s1, e) &&
                !Units_Of(e, Owner(e), 0).empty()) {
              p.coast = r;
              p.infantry = Units_Of(r, 1, infantry).front();
              p.sea_from = s1;
              p.sea_to = s2;
              p.enemy_coast = e;
            }
    }
    if (!p.tank || !p.coast) return false;
    p.ship = Place(p.sea_from, ship, 1);
    // The launcher stands on an own region within its range of a foreign
    // region other than the landing coast.
    for (std::int32_t r = 1; r <= n && !p.launcher; ++r) {
      if (!Land(r) || Owner(r) != 1 || r == p.tank_from || r == p.coast) continue;
      for (std::int32_t e : Neighbours(r))
        if (!p.launcher && Land(e) && Owner(e) != 1 && e != p.enemy_coast) {
          p.launcher_region = r;
          p.bombard_target = e;
          p.launcher = Place(r, launcher, 1);
        }
    }
    // A jet fighter of the player is decommissioned.
    const std::uint16_t jet = Type_Named("Jet Fighter");
    for (std::int32_t r = 1; r <= n && !p.decommissioned; ++r)
      if (Owner(r) == 1 && !Units_Of(r, 1, jet).empty()) {
        p.decommissioned = Units_Of(r, 1, jet).front();
        p.decommission_region = r;
      }
    return p.ship && p.launcher && p.decommissioned;
  }
};

}  // namespace

TEST_F(Game_Walk_Test, AHumanTurnOfOrdersAndTheComputersTurnAfterIt) {
  TWalk_Display display;
  if (!display.m_Ok()) GTEST_SKIP() << "no display and no Xvfb";
  TWalk_Plan p;
  ASSERT_TRUE(Make_Game(7, p));
  std::ostringstream s;
  std::int32_t f = 10;
  auto at = [&](std::int32_t gap) { f += gap; return std::to_string(f) + " "; };
  s << at(0) << "centre " << p.tank_from << "\n";
  s << at(5) << "screenshot " << Shot("01_start") << "\n";
  s << at(5) << "clickunit " << p.tank << "\n";
  s << at(5) << "key M\n";
  s << at(5) << "moveregion " << p.tank_to << "\n";
  s << at(10) << "screenshot " << Shot("02_path") << "\n";
  s << at(2) << "clickregion " << p.tank_to << "\n";
  s << at(40) << "screenshot " << Shot("03_moved") << "\n";
  s << at(5) << "key Escape\n";
  s << at(2) << "centre " << p.sea_from << "\n";
  s << at(3) << "clickunit " << p.ship << "\n";
  s << at(5) << "key T\n";
  s << at(10) << "screenshot " << Shot("04_panel") << "\n";
  s << at(2) << "click 552 199\n";
  s << at(40) << "screenshot " << Shot("05_loaded") << "\n";
  s << at(2) << "click 531 591\n";
  s << at(3) << "click 223 166\n";
  s << at(3) << "key Escape\n";
  s << at(2) << "centre " << p.launcher_region << "\n";
  s << at(3) << "clickunit " << p.launcher << "\n";
  s << at(3) << "key B\n";
  s << at(3) << "moveregion " << p.bombard_target << "\n";
  s << at(5) << "screenshot " << Shot("06_bombard_target") << "\n";
  s << at(2) << "clickregion " << p.bombard_target << "\n";
  s << at(40) << "screenshot " << Shot("07_bombard") << "\n";
  s << at(50) << "screenshot " << Shot("08_bombarded") << "\n";
  s << at(3) << "key Escape\n";
  s << at(2) << "centre " << p.decommission_region << "\n";
  s << at(3) << "clickunit " << p.decommissioned << "\n";
  s << at(3) << "key D\n";
  s << at(5) << "screenshot " << Shot("09_decommission") << "\n";
  s << at(2) << "click 570 470\n";
  s << at(60) << "screenshot " << Shot("10_decommissioned") << "\n";
  s << at(2) << "key F12\n";
  s << at(20) << "screenshot " << Shot("11_computer_turn") << "\n";
  s << at(200) << "screenshot " << Shot("12_second_turn") << "\n";
  // The battle opens with its begin dialog; "Close" starts the battle.
  s << at(750) << "click 862 671\n";
  s << at(20) << "screenshot " << Shot("13_battle") << "\n";
  s << at(2) << "click 943 283\n";
  s << at(60) << "screenshot " << Shot("14_battle_move") << "\n";
  for (int i = 0; i < 60; ++i) s << at(20) << "key E\n";
  s << at(100) << "click 862 671\n";  // "Close" of the end dialog
  s << at(20) << "screenshot " << Shot("15_after_battle") << "\n";
  s << at(750) << "screenshot " << Shot("16_second_turn") << "\n";
  s << at(2) << "key Escape\n";
  s << at(2) << "centre " << p.sea_from << "\n";
  s << at(3) << "clickunit " << p.ship << "\n";
  s << at(3) << "key M\n";
  s << at(2) << "centre " << p.sea_to << "\n";
  s << at(3) << "moveregion " << p.sea_to << "\n";
  s << at(5) << "screenshot " << Shot("17_sail_path") << "\n";
  s << at(2) << "clickregion " << p.sea_to << "\n";
  s << at(50) << "screenshot " << Shot("18_sailed") << "\n";
  s << at(2) << "centre " << p.sea_to << "\n";
  s << at(5) << "screenshot " << Shot("19_ship") << "\n";
  s << at(3) << "clickunit " << p.ship << "\n";
  s << at(3) << "key L\n";
  s << at(5) << "screenshot " << Shot("20_land_mode") << "\n";
  s << at(2) << "clickregion " << p.enemy_coast << "\n";
  s << at(10) << "screenshot " << Shot("21_land_panel") << "\n";
  s << at(2) << "click 315 199\n";
  s << at(60) << "screenshot " << Shot("22_landed") << "\n";
  s << at(2) << "click 531 591\n";
  s << at(3) << "key Escape\n";
  s << at(2) << "centre " << p.enemy_coast << "\n";
  s << at(3) << "moveregion " << p.enemy_coast << "\n";
  s << at(5) << "screenshot " << Shot("23_combat_button") << "\n";
  s << at(2) << "clickregion " << p.enemy_coast << "\n";
  s << at(30) << "click 862 671\n";  // "Close" of the begin dialog
  s << at(20) << "screenshot " << Shot("24_human_battle") << "\n";
  for (int i = 0; i < 60; ++i) s << at(20) << "key E\n";
  s << at(100) << "click 862 671\n";  // "Close" of the end dialog
  s << at(20) << "screenshot " << Shot("25_after_human_battle") << "\n";
  s << at(2) << "key F12\n";
  s << at(20) << "screenshot " << Shot("26_computer_turn") << "\n";
  s << at(5) << "quit\n";
  ASSERT_EQ(Run(s.str(), {"-windowed", "-width:1024", "-height:768", "-constantframetime:0.1", "-loadgame:Walk"}), 0);

  std::map<std::string, TImage> shot;
  for (const char* n : {"01_start", "02_path", "03_moved", "04_panel", "05_loaded", "06_bombard_target", "07_bombard",
                        "08_bombarded", "09_decommission", "10_decommissioned", "11_computer_turn", "12_second_turn",
                        "13_battle", "14_battle_move", "15_after_battle", "16_second_turn", "17_sail_path",
                        "18_sailed", "19_ship", "20_land_mode", "21_land_panel", "22_landed", "23_combat_button", "24_human_battle",
                        "25_after_human_battle", "26_computer_turn"}) {
    ASSERT_TRUE(Image_Read_File(Design_Path(Shot(n)), shot[n])) << n;
    if (const char* dir = std::getenv("GLOBARCH_SCREENSHOT_DIR"))
      Write_File(std::string(dir) + "/walk_" + n + ".bmp", Read_File(Shot(n)));
  }
  // The move: the order prompt over the map and the path's arrows; the
  // tank's stack leaves its region.
  EXPECT_GT(Bright(shot["02_path"], 380, 48, 650, 72), 100);
  EXPECT_EQ(Bright(shot["01_start"], 380, 48, 650, 72), 0);
  EXPECT_GT(Mean_Difference(shot["01_start"], shot["02_path"], 280, 130, 1024, 768), 5.0);
  EXPECT_GT(Mean_Difference(shot["02_path"], shot["03_moved"], 280, 130, 1024, 768), 1.0);
  // The transport panel with the units that may go aboard, then the cargo
  // under the transport.
  EXPECT_GT(Mean_Difference(shot["03_moved"], shot["04_panel"], 280, 130, 1024, 600), 10.0);
  EXPECT_GT(Mean_Difference(shot["04_panel"], shot["05_loaded"], 280, 180, 360, 220), 5.0);
  // The bombardment: its prompt, its effect, the map after it.
  EXPECT_GT(Bright(shot["06_bombard_target"], 380, 48, 650, 72), 100);
  EXPECT_GT(Mean_Difference(shot["06_bombard_target"], shot["07_bombard"], 280, 130, 1024, 768), 1.0);
  // The decommission question, then the unit gone.
  EXPECT_GT(Bright(shot["09_decommission"], 315, 288, 710, 310), 100);
  EXPECT_LT(Bright(shot["10_decommissioned"], 315, 288, 710, 310) * 4, Bright(shot["09_decommission"], 315, 288, 710, 310));
  // The end of the turn: the computer player takes its turn ("Player 2
  // taking turn..."), fights a battle on the battle screen, where a click
  // moves the human's piece, and the human's turn comes back with the next
  // date and the map.
  EXPECT_GT(Bright(shot["11_computer_turn"], 412, 95, 612, 125), 100);
  EXPECT_GT(Mean_Difference(shot["12_second_turn"], shot["13_battle"], 0, 0, 1024, 768), 10.0);
  EXPECT_GT(Mean_Difference(shot["13_battle"], shot["14_battle_move"], 900, 250, 980, 390), 5.0);
  EXPECT_GT(Mean_Difference(shot["01_start"], shot["16_second_turn"], 185, 0, 258, 20), 1.0);
  EXPECT_EQ(Bright(shot["16_second_turn"], 412, 95, 612, 125), 0);
  // The transport sails with its arrow, lands the infantry on the enemy
  // coast through the transport panel, and the human begins the battle
  // there with the region's "Begin Combat..." button: the battle screen,
  // then the map again and the computer's next turn.
  EXPECT_GT(Bright(shot["17_sail_path"], 380, 48, 650, 72), 100);
  EXPECT_GT(Bright(shot["20_land_mode"], 380, 48, 650, 72), 100);
  EXPECT_GT(Mean_Difference(shot["20_land_mode"], shot["21_land_panel"], 280, 130, 1024, 600), 10.0);
  EXPECT_GT(Mean_Difference(shot["21_land_panel"], shot["22_landed"], 535, 168, 600, 200), 1.0);
  EXPECT_GT(Mean_Difference(shot["23_combat_button"], shot["24_human_battle"], 0, 0, 1024, 768), 10.0);
  EXPECT_GT(Mean_Difference(shot["24_human_battle"], shot["25_after_human_battle"], 0, 0, 1024, 768), 10.0);
  EXPECT_GT(Bright(shot["26_computer_turn"], 412, 95, 612, 125), 100);
}
