// A game without a window: start a new game from a seed and a setup, run
// the action timer until nothing is left to do, give orders as the main
// screen's order code gives them, end turns, save and load. The computer
// player, self-play runs and the screens drive the game through it.
//
// The session works on the program's global objects (game settings, world
// map, empires, logs, action timer); Game_Init_Create_Globals creates them,
// and Game_Session_New_Game creates the world map when there is none yet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "GameFolder.h"
#include "GameSettings.h"
#include "Lists_LongIntList.h"
#include "Vector_Types.h"

// Plugs every action kind's step machine and the timer's view of the world
// map into the game's action timer. Start-up calls it once the timer exists.
void Game_Install_Rules();

struct TGame_Session_Setup {
  std::uint32_t seed = 1;
  // Empty: the first map type.
  std::string map_type;
  // Not empty: the world is the stored map of that name instead of one
  // generated from the map type.
  std::string stored_map;
  // One entry per player: true for a computer player.
  std::vector<bool> computer{false, true};
  bool neutral_empire = true;
  // Single player or hot seat; a network game's host starts its game as
  // the host.
  TGame_Kind game_kind = TGame_Kind::Single_Player;
  std::uint8_t nation_size_level = 2;
  std::uint8_t starting_forces_level = 2;
  std::uint8_t starting_money_level = 2;
  std::uint8_t neutral_money_level = 2;
  bool contiguous_start = true;
  bool fog_of_war = true;
};

// A new generated game in the current-game folder, with its pictures. False
// (with the reason shown) when it could not be made.
bool Game_Session_New_Game(const TGame_Session_Setup& setup);

// The height of the view over a nation at the start of a game.
constexpr float GAME_SESSION_CAMERA_HEIGHT = -1800.0f;

// Points each empire's camera at the middle of its regions, and the view of
// the game at the first human player's nation (the middle of the map when
// there is none). Each view is then kept on the map (Game_Session_Fit_View).
void Game_Session_Place_Cameras();

// The eye of a straight-down view, moved as little as it takes for the view
// to show no space beyond the map's edges when the screen is screen_width x
// screen_height pixels: along an axis where the map is narrower than the
// view, the map's middle. The height stays; without a screen size the eye
// is returned as it is.
TVector Game_Session_Fit_View(const TVector& eye, float map_width, float map_height, std::int32_t screen_width,
                              std::int32_t screen_height);

// What follows the building of a new world, wherever the game was set up:
// every empire knows its regions (all of them without fog of war), has its
// income and upkeep and its opening view (Game_Session_Place_Cameras).
void Game_Session_Prepare_New_World();

// One frame: the action timer, then the running stepped job (autosaves).
void Game_Session_Frame(float dt);
// Frames until the action table is empty and no stepped job runs, at most
// `max_frames`; the number of frames run.
std::int32_t Game_Session_Run_Until_Idle(float dt = 0.05f, std::int32_t max_frames = 1000000);
// Ends the current player's turn: an End Turn action unless one is pending
// (its id, or 0).
std::int32_t Game_Session_End_Turn();
// Whether the end of turn found nobody left who can take a turn.
bool Game_Session_Game_Over();

// Saves into savegames\<name>\ / loads from it; false with the reason shown
// for a bad name or a failed job. A failed load leaves the running game as
// it was. `result` as Main_Load_Game_Stepped gives it.
bool Game_Session_Save(const std::string& name);
bool Game_Session_Load(const std::string& name, TLoad_Result& result);
// The same with a full save directory (ends with "\").
bool Game_Session_Save_To(const std::string& directory);
bool Game_Session_Load_From(const std::string& directory, TLoad_Result& result);

// Orders, as the main screen adds them. Each returns the id of the last
// action it added (the one to wait for), 0 when none was added.
// A move of units of one type and owner along `path` (the regions after the
// source, the last one the destination): a chain of legs.
std::int32_t Game_Session_Order_Move(const std::vector<std::int32_t>& unit_ids, const std::vector<std::int32_t>& path);
std::int32_t Game_Session_Order_Bombard(const std::vector<std::int32_t>& unit_ids, std::int32_t target_region);
std::int32_t Game_Session_Order_Load(std::int32_t transport_id, std::int32_t unit_id);
std::int32_t Game_Session_Order_Unload(std::int32_t transport_id, std::int32_t unit_id, std::int32_t target_region);
std::int32_t Game_Session_Order_Decommission(const std::vector<std::int32_t>& unit_ids);
