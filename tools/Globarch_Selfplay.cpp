// globarch-selfplay: plays a new game in which every nation is a computer
// player, without a window, to a winner or a date limit. Prints one line per
// game date (each player's regions, units and money), leaves the saved game
// in the output folder, and stops with exit code 2 and the reason when the
// game stalls: one battle, or one end of turn, running past a bound.
//
//   globarch-selfplay --seed S --players N [--map-type NAME] [--dates D]
//                     [--neutral] [--out DIR]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Combat.h"
#include "Empire.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Global.h"
#include "MapClass.h"
#include "Native_Path.h"

namespace {
// Frames of 50 ms without a new date, and frames of one battle, before the
// run counts as stalled.
constexpr long Max_Frames_Per_Date = 400000;
constexpr long Max_Frames_Per_Battle = 100000;

int Usage() {
  std::fprintf(stderr,
               "usage: globarch-selfplay --seed S --players N [--map-type NAME] [--dates D] [--neutral] "
               "[--out DIR]\n");
  return 1;
}

void Print_Date_Line(std::int32_t players) {
  std::string line = "Date " + Tenths_To_Text(Game_Settings.f_game_date);
  for (std::int32_t p = 1; p <= players; ++p) {
    const TEmpire* e = Empire_Get(p);
    if (!e) continue;
    line += "  P" + std::to_string(p) + " regions=" + std::to_string(e->m_Count_Owned_Regions()) +
            " units=" + std::to_string(G_Map->m_Count_Player_Units(std::uint8_t(p))) +
            " money=" + std::to_string(e->m_Get_Treasury());
  }
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// The players still holding a region; the last one is `last`.
std::int32_t Players_Left(std::int32_t players, std::int32_t& last) {
  std::int32_t n = 0;
  for (std::int32_t p = 1; p <= players; ++p)
    if (const TEmpire* e = Empire_Get(p); e && e->m_Count_Owned_Regions() > 0) {
      ++n;
      last = p;
    }
  return n;
}
}  // namespace

int main(int argc, char** argv) {
  TGame_Session_Setup setup;
  std::int32_t players = 0, dates = 100;
  bool have_seed = false;
  std::string out;
  setup.neutral_empire = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    if (a == "--seed" && (v = next())) {
      setup.seed = std::uint32_t(std::strtoul(v, nullptr, 10));
      have_seed = true;
    } else if (a == "--players" && (v = next())) {
      players = std::atoi(v);
    } else if (a == "--map-type" && (v = next())) {
      setup.map_type = v;
    } else if (a == "--dates" && (v = next())) {
      dates = std::atoi(v);
    } else if (a == "--neutral") {
      setup.neutral_empire = true;
    } else if (a == "--out" && (v = next())) {
      out = v;
    } else {
      return Usage();
    }
  }
  if (!have_seed || players < 2 || players > 8 || dates < 1) return Usage();
  setup.computer.assign(std::size_t(players), true);

  Game_Init_Start();
  if (!Game_Session_New_Game(setup)) {
    std::fprintf(stderr, "globarch-selfplay: the new game could not be made\n");
    return 3;
  }
  std::printf("Map: %d regions, %d units\n", G_Map->m_Get_Region_Count(), G_Map->m_Get_Unit_Count());
  const std::int32_t first_date = Game_Settings.f_game_date;
  std::int32_t shown_date = first_date;
  long frames_this_date = 0, frames_this_battle = 0;
  std::int32_t winner = 0;
  int code = 0;
  std::string reason;
  Print_Date_Line(players);
  Game_Session_End_Turn();
  while (true) {
    Game_Session_Frame(0.05f);
    ++frames_this_date;
    frames_this_battle = Combat_Is_Active() ? frames_this_battle + 1 : 0;
    if (Game_Settings.f_game_date != shown_date) {
      shown_date = Game_Settings.f_game_date;
      frames_this_date = 0;
      Print_Date_Line(players);
      if (shown_date - first_date >= dates) break;
    }
    if (Players_Left(players, winner) <= 1) break;
    if (Game_Session_Game_Over()) break;
    if (frames_this_battle > Max_Frames_Per_Battle) {
      reason = "the battle in region " + std::to_string(Combat_Get_Region()) + " did not end";
      code = 2;
      break;
    }
    if (frames_this_date > Max_Frames_Per_Date) {
      reason = "the end of turn of player " + std::to_string(Game_Settings.f_turn_empire) + " did not end";
      code = 2;
      break;
    }
    // A turn that has ended without a new End Turn (nobody left to play)
    // gets one, so that an all-computer game goes on.
    Game_Session_End_Turn();
  }
  if (Players_Left(players, winner) == 1)
    std::printf("Winner: player %d at date %s\n", winner, Tenths_To_Text(Game_Settings.f_game_date).c_str());
  if (!out.empty()) {
    std::string dir = Design_Path(out);
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    if (!Game_Session_Save_To(dir)) {
      std::fprintf(stderr, "globarch-selfplay: the game could not be saved in %s\n", out.c_str());
      if (code == 0) code = 3;
    }
  }
  if (code == 2) std::fprintf(stderr, "globarch-selfplay: stalled: %s\n", reason.c_str());
  Game_Init_Free_Globals();
  return code;
}
