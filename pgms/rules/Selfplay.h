// Whole games between computer players without a window: a new game in
// which every nation is a computer player, played frame by frame to a
// winner or a date limit, with one line per game date and a watchdog that
// ends a run that stalls. globarch-selfplay, its tests and its benchmark
// drive it; the program's globals must exist (Game_Init_Create_Globals and
// the data files, or Game_Init_Start).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

struct TSelfplay_Options {
  std::uint32_t seed = 1;
  std::int32_t players = 2;  // 2..8
  // Empty: the first map type.
  std::string map_type;
  // Game dates to play (tenths of a year) when no winner comes first.
  std::int32_t dates = 100;
  bool neutral = false;
  // The folder the game is saved in at the end; empty: not saved.
  std::string out_dir;
  // Frames of 50 ms without a new date, and frames of one battle, before
  // the run counts as stalled.
  std::int64_t max_frames_per_date = 400000;
  std::int64_t max_frames_per_battle = 100000;
};

enum : int {
  SELFPLAY_DONE = 0,
  SELFPLAY_BAD_OPTIONS = 1,
  SELFPLAY_STALLED = 2,
  SELFPLAY_FAILED = 3,
};

struct TSelfplay_Result {
  int code = SELFPLAY_DONE;
  // Why the run stalled or failed.
  std::string reason;
  // The only nation left, 0 when the date limit came first.
  std::int32_t winner = 0;
  std::int32_t dates_played = 0;
  std::int64_t frames = 0;
  // Event-log entries of the whole game by kind (index = entry kind).
  std::array<std::int64_t, 11> events{};
};

// Plays the game; every line (the map, each date, the winner, the events)
// goes to `line`. The result's code says how the run ended.
TSelfplay_Result Selfplay_Run(const TSelfplay_Options& options, const std::function<void(const std::string&)>& line);
