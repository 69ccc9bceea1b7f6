// Computer players at work: a whole game between 8 computer players on a
// map of about 200 regions, timed as a whole, and each computer player turn
// timed on its own (the thinking of the player's turn steps, without the
// actions its orders start). Prints the turn times (median, mean, 95th
// percentile, longest with the player's unit count then) and the time of
// the whole game without and with the making of the new world.
//
//   Selfplay_Bench [dates] [map type] [seed]   (defaults: 100 Medium 2)
//
// Run from the source tree or with GLOBARCH_HOME; the game is made in a
// scratch user folder unless GLOBARCH_USER_DIR names one.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "AI_Main.h"
#include "GameInit.h"
#include "MapClass.h"
#include "MasterActionTimer_EndTurn.h"
#include "Selfplay.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

struct TTurn {
  double ms = 0;
  std::uint8_t player = 0;
  std::int32_t units = 0;
};
}  // namespace

int main(int argc, char** argv) {
  const int dates = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  const std::string map_type = argc > 2 ? argv[2] : "Medium";
  const std::uint32_t seed = argc > 3 ? std::uint32_t(std::strtoul(argv[3], nullptr, 10)) : 2;
  fs::path scratch;
  if (!std::getenv("GLOBARCH_USER_DIR")) {
    scratch = fs::temp_directory_path() / ("globarch_selfplay_bench_" + std::to_string(seed));
    fs::create_directories(scratch);
    setenv("GLOBARCH_USER_DIR", scratch.c_str(), 1);
  }
  Game_Init_Start();

  // The computer player's step, timed: one turn runs from its first step
  // to the step that ends it.
  std::vector<TTurn> turns;
  double current = 0;
  std::map<std::uint16_t, double> by_step;
  std::size_t most_pairs = 0, most_assets = 0, most_tasks = 0;
  Set_AI_Turn_Step([&](std::uint8_t player, std::uint16_t& step, float) {
    const std::uint16_t this_step = step;
    const Clock::time_point start = Clock::now();
    const bool more = Execute_AI_Main(player, step);
    const double ms = Millis(Clock::now() - start);
    current += ms;
    by_step[this_step] += ms;
    if (AI.assignments.size() > most_pairs) {
      most_pairs = AI.assignments.size();
      most_assets = AI.assets.size();
      most_tasks = AI.tasks.size();
    }
    if (!more) {
      turns.push_back({current, player, G_Map ? G_Map->m_Count_Player_Units(player) : 0});
      current = 0;
    }
    return more;
  });

  TSelfplay_Options options;
  options.seed = seed;
  options.players = 8;
  options.map_type = map_type;
  options.dates = dates;
  std::int32_t regions = 0;
  Clock::time_point play_start{};
  const Clock::time_point start = Clock::now();
  const TSelfplay_Result result = Selfplay_Run(options, [&](const std::string& line) {
    if (line.rfind("Map: ", 0) == 0) {
      regions = G_Map ? G_Map->m_Get_Region_Count() : 0;
      play_start = Clock::now();
    }
    if (line.rfind("Winner", 0) == 0 || line.rfind("Events", 0) == 0) std::printf("%s\n", line.c_str());
  });
  const Clock::time_point end = Clock::now();
  Game_Init_Free_Globals();
  if (!scratch.empty()) fs::remove_all(scratch);
  if (result.code != SELFPLAY_DONE) {
    std::fprintf(stderr, "Selfplay_Bench: %s\n", result.reason.c_str());
    return 1;
  }
  if (turns.empty()) {
    std::fprintf(stderr, "Selfplay_Bench: no computer player turn was played\n");
    return 1;
  }

  std::vector<TTurn> sorted = turns;
  std::sort(sorted.begin(), sorted.end(), [](const TTurn& a, const TTurn& b) { return a.ms < b.ms; });
  double total = 0;
  for (const TTurn& t : turns) total += t.ms;
  const TTurn& longest = sorted.back();
  std::printf("Map type %s, seed %u: %d regions, 8 players, %d dates played, %lld frames\n", map_type.c_str(), seed,
              regions, result.dates_played, static_cast<long long>(result.frames));
  std::printf("Largest planning pass: %zu assets, %zu tasks, %zu pairs\n", most_assets, most_tasks, most_pairs);
  std::printf(
      "Computer player turns: %zu; median %.3f ms, mean %.3f ms, 95th percentile %.3f ms, longest "
      "%.3f ms "
      "(player %d with %d units)\n",
      turns.size(), sorted[sorted.size() / 2].ms, total / double(turns.size()), sorted[sorted.size() * 95 / 100].ms,
      longest.ms, longest.player, longest.units);
  std::string steps = "Time by turn step:";
  for (const auto& [step, ms] : by_step)
    if (ms >= total / 100) steps += " " + std::to_string(step) + "=" + std::to_string(std::lround(ms)) + "ms";
  std::printf("%s\n", steps.c_str());
  std::printf("Whole game: %.0f ms of play (%.0f ms in computer player turns), %.0f ms with the new world\n",
              Millis(end - play_start), total, Millis(end - start));
  return 0;
}
