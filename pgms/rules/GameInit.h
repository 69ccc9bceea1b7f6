// Program start: the global objects of the game, the data files loaded at
// start-up, the start banner of the debug log, and the one-line report that
// globarch prints until its window exists.
//
// Order of a start: Global_Init, Game_Init_Create_Globals,
// Game_Init_Write_Banner, Game_Init_Load_Map_Data, Game_Init_Load_Rule_Files,
// Game_Init_Report, and at
// the end Game_Init_Free_Globals. Game_Init_Start runs the whole sequence
// but the freeing. None of it needs a window: the tools that play or make
// games without one start the same way as the game does.
#pragma once

#include <string>
#include <vector>

// One data file or setting loaded at start-up, for the report.
struct TStartup_Load {
  std::string name;  // "user settings", "map types", ...
  bool ok = true;    // false when the load reported errors
};

// The loads of the current start, in order.
const std::vector<TStartup_Load>& Game_Init_Loads();

// Creates every global object with its defaults, sets the game type to
// folder "standard" named "Standard", then loads the user settings, the base
// game settings, the machine options, the debug settings and the help texts,
// in that order. True when every load went without errors (each loader
// reports its own errors).
bool Game_Init_Create_Globals();
// Frees the global objects; the debug settings (writing out the fast-log
// buffer) and the help texts last.
void Game_Init_Free_Globals();
// Reloads the user settings, the base game settings and the help texts from
// the paths of the active game type (after the game type changed).
void Game_Init_Reload_Data();
// Loads the map types and terrain tiles of the active game type (the
// terrain tiles with a check of their basic tile pictures).
bool Game_Init_Load_Map_Data();
// Loads the unit types and the technology areas of the active game type, in
// that order, into new global lists (each loader shows its own errors).
bool Game_Init_Load_Rule_Files();
// Frees the unit-type and technology lists.
void Game_Init_Free_Rule_Files();

// The full path of the running program file.
std::string Game_Init_Program_File();
// The two banner lines, when "Generate Game Debug Log" is on.
void Game_Init_Write_Banner();

// The one-line report of the start: game type, what loaded and with how
// many errors, and where the debug log is.
std::string Game_Init_Report();

// Global_Init, the globals, the banner, the map data and the rule files;
// returns the report line.
std::string Game_Init_Start();

