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

#include "GameInit.h"
#include "Selfplay.h"

namespace {
int Usage() {
  std::fprintf(stderr,
               "usage: globarch-selfplay --seed S --players N [--map-type NAME] [--dates D] [--neutral] "
               "[--out DIR]\n");
  return SELFPLAY_BAD_OPTIONS;
}

// A whole decimal number in `text`, within `low`..`high`.
bool Parse_Number(const char* text, long long low, long long high, long long& value) {
  if (!text || !*text) return false;
  char* end = nullptr;
  value = std::strtoll(text, &end, 10);
  return *end == '\0' && value >= low && value <= high;
}
}  // namespace

int main(int argc, char** argv) {
  TSelfplay_Options options;
  bool have_seed = false, have_players = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    long long n = 0;
    if (a == "--neutral") {
      options.neutral = true;
      continue;
    }
    if (!v) return Usage();
    ++i;
    if (a == "--seed" && Parse_Number(v, 0, 0xFFFFFFFFLL, n)) {
      options.seed = std::uint32_t(n);
      have_seed = true;
    } else if (a == "--players" && Parse_Number(v, 2, 8, n)) {
      options.players = std::int32_t(n);
      have_players = true;
    } else if (a == "--dates" && Parse_Number(v, 1, 100000, n)) {
      options.dates = std::int32_t(n);
    } else if (a == "--map-type") {
      options.map_type = v;
    } else if (a == "--out") {
      options.out_dir = v;
    } else {
      return Usage();
    }
  }
  if (!have_seed || !have_players) return Usage();

  Game_Init_Start();
  const TSelfplay_Result result = Selfplay_Run(options, [](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  });
  if (result.code == SELFPLAY_STALLED)
    std::fprintf(stderr, "globarch-selfplay: stalled: %s\n", result.reason.c_str());
  else if (result.code != SELFPLAY_DONE)
    std::fprintf(stderr, "globarch-selfplay: %s\n", result.reason.c_str());
  Game_Init_Free_Globals();
  return result.code;
}
