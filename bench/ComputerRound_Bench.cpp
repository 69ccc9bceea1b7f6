// Computer turns as the player waits for them: a single-player game with
// three computer players, where the human ends the turn at once, played
// round after round through the action timer at 60 frames a second (or
// ROUND_BENCH_FPS). For
// each "Unit Movement Speed" it prints the frames from the human's end of
// turn to the start of the human's next turn (the mean of the rounds and
// the longest) and where they went: frames with a unit moving in sight,
// frames of a battle, frames of a pause between players, and the rest (the
// computer thinking, moves out of sight, the hand-over's bookkeeping).
//
//   ComputerRound_Bench [rounds] [map type] [seed ...]   (defaults: 5 Small 1 2 3)
//
// Run from the source tree or with GLOBARCH_HOME; the games are made in a
// scratch user folder unless GLOBARCH_USER_DIR names one.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Combat.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "MachineOptions.h"
#include "MasterActionTimer.h"

namespace {
namespace fs = std::filesystem;
// 60 frames a second unless ROUND_BENCH_FPS names another rate.
float Frame_Seconds = 1.0f / 60.0f;

struct TRound_Figures {
  std::int64_t frames = 0, moving = 0, battle = 0, pause = 0, other = 0;
  double cpu_ms = 0;
};

// What the frame showed, judged from the action table before the frame ran.
void Count_Frame(TRound_Figures& f) {
  ++f.frames;
  if (Combat_Is_Active()) {
    ++f.battle;
    return;
  }
  bool moving = false, pause = false;
  for (std::int32_t i = 1; i <= Master_Action_Timer->m_Record_Count(); ++i) {
    const TAction_Record& r = Master_Action_Timer->m_Get_Record(i);
    if (!r.active) continue;
    if (r.kind == ACTION_MOVE_UNIT && r.move.seen) moving = true;
    if ((r.kind == ACTION_LOAD_UNIT || r.kind == ACTION_UNLOAD_UNIT) && r.load.seen) moving = true;
    if (r.kind == ACTION_BOMBARD_UNIT && r.bombard.seen) moving = true;
    if (r.kind == ACTION_DECOMMISSION_UNITS && r.decommission.seen) moving = true;
    if (r.kind == ACTION_END_TURN && r.delay > 0) pause = true;
  }
  if (moving)
    ++f.moving;
  else if (pause)
    ++f.pause;
  else {
    ++f.other;
    if (std::getenv("ROUND_BENCH_TRACE")) {
      std::string kinds;
      for (std::int32_t i = 1; i <= Master_Action_Timer->m_Record_Count(); ++i) {
        const TAction_Record& r = Master_Action_Timer->m_Get_Record(i);
        kinds += " " + std::to_string(r.kind) + "/" + std::to_string(r.step) + "/" + std::to_string(r.sub_step) +
                 (r.active ? "a" : "w");
      }
      std::fprintf(stderr, "other frame:%s\n", kinds.c_str());
    }
  }
}

// One round: the human ends the turn; frames run until the human's next
// turn has started (no End Turn left and the turn back at player 1).
bool Play_Round(TRound_Figures& f) {
  Game_Session_End_Turn();
  const auto start = std::chrono::steady_clock::now();
  for (std::int64_t n = 0; n < 200000; ++n) {
    Count_Frame(f);
    Game_Session_Frame(Frame_Seconds);
    if (Game_Session_Game_Over()) return false;
    if (Game_Settings.f_turn_empire == 1 && !Master_Action_Timer->m_Has_Action_Type(ACTION_END_TURN) &&
        !Combat_Is_Active()) {
      f.cpu_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      return true;
    }
  }
  return false;
}
}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  if (const char* fps = std::getenv("ROUND_BENCH_FPS"))
    if (std::atoi(fps) > 0) Frame_Seconds = 1.0f / float(std::atoi(fps));
  const std::string map_type = argc > 2 ? argv[2] : "Small";
  std::vector<std::uint32_t> seeds;
  for (int i = 3; i < argc; ++i) seeds.push_back(std::uint32_t(std::strtoul(argv[i], nullptr, 10)));
  if (seeds.empty()) seeds = {1, 2, 3};
  fs::path scratch;
  if (!std::getenv("GLOBARCH_USER_DIR")) {
    scratch = fs::temp_directory_path() / "globarch_computer_round_bench";
    fs::create_directories(scratch);
    setenv("GLOBARCH_USER_DIR", scratch.c_str(), 1);
  }
  Game_Init_Start();
  std::printf("Map type %s, 1 human and 3 computer players, %d rounds a seed, %.0f frames a second\n",
              map_type.c_str(), rounds, 1.0f / Frame_Seconds);
  int status = 0;
  for (std::uint8_t speed = 1; speed <= 4; ++speed) {
    Machine_Options->f_unit_movement_speed = speed;
    TRound_Figures total;
    std::int64_t longest = 0, played = 0;
    double cpu = 0;
    for (std::uint32_t seed : seeds) {
      TGame_Session_Setup setup;
      setup.seed = seed;
      setup.map_type = map_type;
      setup.computer = {false, true, true, true};
      if (!Game_Session_New_Game(setup)) {
        std::fprintf(stderr, "ComputerRound_Bench: no new game for seed %u\n", seed);
        status = 1;
        continue;
      }
      for (int r = 0; r < rounds; ++r) {
        TRound_Figures f;
        if (!Play_Round(f)) break;
        total.frames += f.frames;
        total.moving += f.moving;
        total.battle += f.battle;
        total.pause += f.pause;
        total.other += f.other;
        cpu += f.cpu_ms;
        longest = std::max(longest, f.frames);
        ++played;
      }
    }
    if (played == 0) continue;
    const double n = double(played);
    std::printf(
        "Unit speed %d: %lld rounds, %.0f frames a round (%.1f s), longest %lld; in sight moving %.0f, "
        "battle %.0f, pause %.0f, other %.0f; CPU %.0f ms a round\n",
        speed, static_cast<long long>(played), double(total.frames) / n, double(total.frames) / n * Frame_Seconds,
        static_cast<long long>(longest), double(total.moving) / n, double(total.battle) / n,
        double(total.pause) / n, double(total.other) / n, cpu / n);
  }
  Game_Init_Free_Globals();
  if (!scratch.empty()) fs::remove_all(scratch);
  return status;
}
