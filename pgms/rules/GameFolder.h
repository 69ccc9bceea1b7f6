// The game folder: the running game always lives in the current-game folder
// (currentmap\). Saving writes its six files there and copies the folder
// into a save directory; loading copies a save directory back and reads the
// six files; a new game is built there, generated from a map type or copied
// from a stored map. Each of the three is a stepped job of steps 1 to 100,
// one step per frame; the begin and end calls run no step.
//
// A save is assembled in a folder beside the save directory and takes its
// place only when complete, so a failed save never destroys the previous
// save of that name. A load reads all six files before it changes anything:
// a file that cannot be read stops the load with its message and leaves the
// running game as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TList_Dialog_Owner;

// The six files of a game, in the order in which they are written.
extern const char* const Game_Folder_Files[6];

// One step of the save into `target_directory` (ends with "\"). The result
// code is always 0. False stops the job.
bool Main_Save_Game_Stepped(const std::string& target_directory, bool is_first, bool is_last,
                            std::int32_t& result_code, std::int32_t step);
// What a load found, known after its step 96.
enum class TLoad_Result : std::int32_t {
  Game = 0,              // a game to play on
  End_Turn_Resumes = 1,  // an autosave made during an end of turn: the end of turn resumes
  Hosted_Game = 2,       // a hosted network game (the host's lobby opens it again)
};

// One step of the load from `source_directory`. Extra 1: the files already
// lie in the current-game folder and nothing is copied. The first step sets
// `result` to TLoad_Result::Game, step 96 to what the load found.
bool Main_Load_Game_Stepped(const std::string& source_directory, bool is_first, bool is_last,
                            TLoad_Result& result, std::int32_t extra, std::int32_t step);
// One step of building a new game in the current-game folder from the map's
// generate flag, map type name or stored-map name and the empires prepared
// by the game setup. Always true.
bool Main_New_Game_Stepped(std::int32_t step, TList_Dialog_Owner* setup_dialog);

// Folder helpers. Paths end with "\".
bool Delete_Directory_Files(const std::string& directory);
bool Copy_Directory_Files(const std::string& source, const std::string& target);
bool List_Directory_Files(const std::string& directory, std::vector<std::string>& list, bool names_only);
bool List_Game_Types(std::vector<std::string>& display_names, std::vector<std::string>& folder_names,
                     TList_Dialog_Owner* dialog);
// Stored maps lie in the user's maps\ and in the maps\ shipped with the
// game (under Program_Folder); a user's map hides a shipped one whose name
// differs at most in case. The list holds each name once, in name order.
bool List_Stored_Maps(std::vector<std::string>& names, std::vector<std::string>& folder_names);
// The folder (ends with "\") of the stored map of that name, matched
// ignoring case, the user's first; empty when there is none or the name is
// not a valid folder name.
std::string Stored_Map_Directory(const std::string& name);
// Replaces the current-game folder's files with those of the stored map,
// from wherever it lies; false (with the reason shown) when it is missing.
bool Copy_Stored_Map_To_Current(const std::string& name);
bool Store_Current_Map(const std::string& name);
// Stores the running world map under maps\<name>\: the current-game
// folder's files and a CurrentMap.map without owners or units, none of the
// game's own five files. False with the caption and text of the reason; a
// half-made stored map is removed. The game options dialog offers it as
// "Save Map"; the stored-map generator makes the shipped maps with it.
bool Save_Map(const std::string& name, std::string& caption, std::string& text);

// Whether a name can name a folder of its own in savegames\ or in maps\ of
// the user (Path_Name_Problem: not empty or blank, UTF-8, no control character, no
// path separator or drive colon, not ".", no "..", none of the suffixes the
// safe save and the load keep for themselves, at most 60 characters). A
// refused name gets the reason in `message`, naming the kind of thing
// ("save", "map").
bool Folder_Name_Valid(const std::string& name, const std::string& kind, std::string& message);
bool Save_Name_Valid(const std::string& name, std::string& message);
// savegames\ + name + "\" for a valid name; empty (and the reason shown
// under "Error") otherwise.
std::string Save_Game_Directory(const std::string& name);
// The machine options' last save directory when it is a save's folder
// directly inside savegames\ with a name a save may have; empty otherwise
// (a registry value pointing anywhere else is not loaded from).
std::string Last_Save_Directory();
