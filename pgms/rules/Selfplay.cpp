#include "Selfplay.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "Combat.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Global.h"
#include "MapClass.h"
#include "MapRegion.h"
#include "MasterActionTimer.h"
#include "Native_Path.h"

namespace {
constexpr float Frame_Seconds = 0.05f;

std::string Standings(const std::string& head, std::int32_t players) {
  std::string line = head;
  for (std::int32_t p = 1; p <= players; ++p) {
    const TEmpire* e = Empire_Get(p);
    if (!e) continue;
    line += "  P" + std::to_string(p) + " regions=" + std::to_string(e->m_Count_Owned_Regions()) +
            " units=" + std::to_string(G_Map->m_Count_Player_Units(std::uint8_t(p))) +
            " money=" + std::to_string(e->m_Get_Treasury());
  }
  return line;
}

// The nations (not the neutral empire) still holding a region or a unit;
// the last of them in `last`.
std::int32_t Nations_Left(std::int32_t players, std::int32_t& last) {
  std::array<std::int32_t, 256> regions{};
  for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i)
    if (const TMap_Region* r = G_Map->m_Get_Region(i)) ++regions[r->m_Get_Owner()];
  std::int32_t n = 0;
  for (std::int32_t p = 1; p <= players; ++p) {
    const TEmpire* e = Empire_Get(p);
    if (!e || e->m_Get_Eliminated()) continue;
    if (regions[std::size_t(p)] > 0 || G_Map->m_Count_Player_Units(std::uint8_t(p)) > 0) {
      ++n;
      last = p;
    }
  }
  return n;
}

// Adds the event-log entries of one date to the totals.
void Count_Events(std::int32_t date, std::array<std::int64_t, 11>& events) {
  if (!G_Event_Log) return;
  for (std::int32_t i = 1; i <= G_Event_Log->m_Get_Count(); ++i) {
    const TEvent_Log_Item* item = G_Event_Log->m_Get_Item(i);
    if (item && item->f_date == date && item->f_kind < events.size()) ++events[item->f_kind];
  }
}

std::string Event_Line(const std::array<std::int64_t, 11>& events) {
  return "Events: purchases=" + std::to_string(events[EVENT_PURCHASE]) +
         " movements=" + std::to_string(events[EVENT_MOVEMENT]) + " battles=" + std::to_string(events[EVENT_COMBAT]) +
         " captures=" + std::to_string(events[EVENT_REGION_CAPTURED]) +
         " bombardments=" + std::to_string(events[EVENT_BOMBARDMENT]) +
         " research=" + std::to_string(events[EVENT_RESEARCH]);
}
}  // namespace

TSelfplay_Result Selfplay_Run(const TSelfplay_Options& options, const std::function<void(const std::string&)>& line) {
  TSelfplay_Result result;
  const auto say = [&](const std::string& text) {
    if (line) line(text);
  };
  if (options.players < 2 || options.players > 8 || options.dates < 1) {
    result.code = SELFPLAY_BAD_OPTIONS;
    result.reason = "between 2 and 8 players and at least one date";
    return result;
  }
  TGame_Session_Setup setup;
  setup.seed = options.seed;
  setup.map_type = options.map_type;
  setup.neutral_empire = options.neutral;
  setup.computer.assign(std::size_t(options.players), true);
  if (!Game_Session_New_Game(setup) || !G_Map || !Master_Action_Timer) {
    result.code = SELFPLAY_FAILED;
    result.reason = "the new game could not be made";
    return result;
  }
  const std::int32_t players = options.players;
  say("Map: " + std::to_string(G_Map->m_Get_Region_Count()) + " regions, " + std::to_string(G_Map->m_Get_Unit_Count()) +
      " units");

  try {
    const std::int32_t first_date = Game_Settings.f_game_date;
    std::int32_t shown_date = first_date;
    std::int64_t frames_this_date = 0, frames_this_battle = 0;
    std::uint8_t checked_turn = 0;
    say(Standings("Date " + Tenths_To_Text(shown_date), players));
    Game_Session_End_Turn();
    while (true) {
      Game_Session_Frame(Frame_Seconds);
      ++result.frames;
      ++frames_this_date;
      frames_this_battle = Combat_Is_Active() ? frames_this_battle + 1 : 0;
      if (Game_Settings.f_game_date != shown_date) {
        Count_Events(shown_date, result.events);
        shown_date = Game_Settings.f_game_date;
        frames_this_date = 0;
        result.dates_played = shown_date - first_date;
        say(Standings("Date " + Tenths_To_Text(shown_date), players));
        if (result.dates_played >= options.dates) break;
      }
      // Nations fall in the turns of others: a look at every hand-over of
      // the turn is enough.
      if (Game_Settings.f_turn_empire != checked_turn) {
        checked_turn = Game_Settings.f_turn_empire;
        std::int32_t last = 0;
        if (Nations_Left(players, last) <= 1) {
          result.winner = last;
          break;
        }
      }
      if (Game_Session_Game_Over()) {
        // The end of turn found one empire left (or none) before the next
        // hand-over.
        std::int32_t last = 0;
        if (Nations_Left(players, last) == 1) result.winner = last;
        break;
      }
      if (frames_this_battle > options.max_frames_per_battle) {
        result.code = SELFPLAY_STALLED;
        result.reason = "the battle in region " + std::to_string(Combat_Get_Region()) + " did not end";
        break;
      }
      if (frames_this_date > options.max_frames_per_date) {
        result.code = SELFPLAY_STALLED;
        result.reason = "the end of turn of player " + std::to_string(Game_Settings.f_turn_empire) + " did not end";
        break;
      }
      // A turn that has ended without a new End Turn (nobody left to
      // play) gets one, so that an all-computer game goes on.
      Game_Session_End_Turn();
    }
    Count_Events(shown_date, result.events);
    if (result.dates_played < options.dates || result.winner != 0) {
      say(Standings("End " + Tenths_To_Text(Game_Settings.f_game_date), players));
    }
    if (result.winner != 0)
      say("Winner: player " + std::to_string(result.winner) + " at date " + Tenths_To_Text(Game_Settings.f_game_date));
    say(Event_Line(result.events));
  } catch (const std::exception& e) {
    result.code = SELFPLAY_FAILED;
    result.reason = e.what();
  }
  if (!options.out_dir.empty()) {
    // Saves are written only to plain paths (no "." or ".."): the folder
    // given is made absolute and normal first.
    std::error_code ec;
    std::filesystem::path out = std::filesystem::absolute(options.out_dir, ec);
    if (ec) out = options.out_dir;
    std::string dir = Design_Path(out.lexically_normal().string());
    if (dir.empty() || dir.back() != '\\') dir += '\\';
    if (!Game_Session_Save_To(dir) && result.code == SELFPLAY_DONE) {
      result.code = SELFPLAY_FAILED;
      result.reason = "the game could not be saved in " + options.out_dir;
    }
  }
  return result;
}
