#include "GameFolder.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <memory>
#include <system_error>

#include "Datafile_BaseGameSettings.h"
#include "Datafile_TerrainTiles.h"
#include "Datafile_Units.h"
#include "Debug_Log.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine_EmitterEvents.h"
#include "GraphicsEngine_ParticleList.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "Lobby_Game_Link.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_EndTurn.h"
#include "MessageLog.h"
#include "Native_Path.h"
#include "Path.h"

namespace fs = std::filesystem;

const char* const Game_Folder_Files[6] = {"GameSettings.dat", "CurrentMap.map",  "Empires.dat",
                                          "EventLog.dat",     "MessageLog.dat", "MasterActionTimer.dat"};

namespace {
const char* const Game_Version = "1.09";
constexpr std::uint8_t Section_Texture_Group = 3;
constexpr std::uint8_t Region_Texture_Group = 4;

// The work list of the save and load jobs and how many of its entries one
// step handles.
std::vector<std::string> work;
std::int32_t files_per_step = 0;

std::string Current_Dir() { return Path_Settings ? Path_Settings->m_Get_Currentmap_Dir() : std::string(); }

// A folder path without its trailing "\".
std::string Without_Slash(const std::string& dir) {
  return !dir.empty() && dir.back() == '\\' ? dir.substr(0, dir.size() - 1) : dir;
}
// Whether a save may be assembled beside a target folder and the old one
// moved aside there: a plain path (no "." or "..") with a last folder of its
// own, so that the folders named after it stay where it lies.
bool Target_Allowed(const std::string& dir) { return Path_Is_Plain(dir) && !Without_Slash(dir).empty(); }
// The folder beside a save directory in which the save is assembled.
std::string Staging_Dir(const std::string& target) { return Without_Slash(target) + ".saving\\"; }
// The folder beside the current-game folder into which a load copies.
std::string Loading_Dir() { return Without_Slash(Current_Dir()) + ".loading\\"; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Deletes the first `files_per_step` entries of the work list.
bool Delete_Work_Files() {
  for (std::int32_t k = 0; k < files_per_step && !work.empty(); ++k) {
    const std::string file = work.front();
    work.erase(work.begin());
    if (!File_Delete(file)) {
      Show_Message("Error", "Unable to delete files from " + Quoted(file) + ".");
      return false;
    }
  }
  return true;
}

// The six game files are rewritten in place by every save, so a save or a
// load copies them. Every other file of a game folder is a picture, and
// pictures are only ever written as new files in place of old ones (see
// the picture writers), never into them: a save or a load shares them with
// the folder they come from through a hard link where the file system
// allows it, and copies them where it does not.
bool Is_Game_File(const std::string& name) {
  for (const char* f : Game_Folder_Files)
    if (Text_Compare(name, f) == 0) return true;
  return false;
}

bool Link_Or_Copy(const std::string& from_dir, const std::string& to_dir, const std::string& name) {
  if (!Is_Game_File(name)) {
    const fs::path from = Native_Path(from_dir + name), to = Native_Path(to_dir + name);
    std::error_code ec;
    fs::remove(to, ec);
    ec.clear();
    fs::create_hard_link(from, to, ec);
    if (!ec) return true;
  }
  return File_Copy(from_dir + name, to_dir + name, false);
}

// Copies (or links, see above) the first `files_per_step` names of the work
// list from one folder into another.
bool Copy_Work_Files(const std::string& from_dir, const std::string& to_dir) {
  for (std::int32_t k = 0; k < files_per_step && !work.empty(); ++k) {
    const std::string name = work.front();
    work.erase(work.begin());
    if (!Link_Or_Copy(from_dir, to_dir, name)) {
      Show_Message("Error", "Unable to copy file from " + Quoted(from_dir + name) + " to " + Quoted(to_dir + name) + ".");
      return false;
    }
  }
  return true;
}

// Lists a folder's files into the work list and spreads them over `steps`
// steps.
void List_Work(const std::string& dir, bool names_only, std::int32_t divisor) {
  work.clear();
  List_Directory_Files(dir, work, names_only);
  files_per_step = std::int32_t(work.size()) / divisor + 1;
}

// Puts the complete folder `from` in the place of `to`: the old folder is
// moved aside first and removed only once the new one stands.
bool Replace_Directory(const std::string& from, const std::string& to) {
  // The old folder goes aside beside it, under its own name plus ".old":
  // both must stay in the folder that holds the save.
  if (!Target_Allowed(from) || !Target_Allowed(to)) return false;
  const fs::path source = Native_Path(Without_Slash(from)), target = Native_Path(Without_Slash(to));
  const fs::path aside = fs::path(target.string() + ".old");
  std::error_code ec;
  fs::remove_all(aside, ec);
  const bool had_target = fs::exists(target, ec);
  if (had_target) {
    fs::rename(target, aside, ec);
    if (ec) return false;
  }
  fs::rename(source, target, ec);
  if (ec) {
    std::error_code back;
    if (had_target) fs::rename(aside, target, back);
    return false;
  }
  fs::remove_all(aside, ec);
  return true;
}

// The map and the empires of the folder being loaded, as the check read
// them: the load takes them instead of reading their files a second time.
struct TLoaded_Game {
  std::unique_ptr<TMap> map;
  std::unique_ptr<TEmpire_List> empires;
};
TLoaded_Game loaded_game;

// Reads the six files of a folder into scratch objects: true when every one
// of them reads (each failure shows its own message). The map and the
// empires are kept for the load.
bool Game_Files_Readable(const std::string& dir) {
  loaded_game = {};
  TGame_Settings settings;
  if (!settings.m_Load_From_File(dir + Game_Folder_Files[0])) return false;
  auto map = std::make_unique<TMap>();
  if (!map->m_Load_From_File(dir + Game_Folder_Files[1], false, settings.f_version)) return false;
  auto empires = std::make_unique<TEmpire_List>();
  if (!empires->m_Load_From_File(dir + Game_Folder_Files[2])) return false;
  TEvent_Log events;
  if (!events.m_Load_From_File(dir + Game_Folder_Files[3])) return false;
  TMessage_Log messages;
  if (!messages.m_Load_From_File(dir + Game_Folder_Files[4])) return false;
  TMaster_Action_Timer timer;
  if (!timer.m_Load_From_File(dir + Game_Folder_Files[5])) return false;
  loaded_game = {std::move(map), std::move(empires)};
  return true;
}

// Moves the files of the loading folder into the current-game folder, which
// loses what it held.
bool Take_Loaded_Files() {
  const std::string current = Current_Dir();
  if (!Delete_Directory_Files(current)) return false;
  std::vector<std::string> names;
  List_Directory_Files(Loading_Dir(), names, true);
  for (const std::string& name : names) {
    std::error_code ec;
    fs::rename(Native_Path(Loading_Dir() + name), Native_Path(current + name), ec);
    if (ec && !File_Copy(Loading_Dir() + name, current + name, false)) {
      Show_Message("Error", "Unable to copy file from " + Quoted(Loading_Dir() + name) + " to " +
                                Quoted(current + name) + ".");
      return false;
    }
  }
  std::error_code ec;
  fs::remove_all(Native_Path(Without_Slash(Loading_Dir())), ec);
  return true;
}

// The game type of a loaded game: the data files are read again when it
// differs from the active one or the rules are not loaded.
void Activate_Game_Type() {
  if (!Path_Settings) return;
  if (Game_Settings.f_game_type_folder.empty()) Game_Settings.f_game_type_folder = "Standard";
  if (g_tg_emitter_events) g_tg_emitter_events->m_Clear();
  if (g_tg_particle_list) g_tg_particle_list->m_Reset();
  const bool same = Path_Settings->m_Game_Type_Set() &&
                    Text_Compare(Path_Settings->m_Get_Game_Type_Folder(), Game_Settings.f_game_type_folder) == 0;
  if (same && Unit_Type_List) return;
  Path_Settings->m_Set_Game_Type(Game_Settings.f_game_type_folder, Game_Settings.f_game_type_name);
  Game_Init_Reload_Data();
  Game_Init_Free_Rule_Files();
  Game_Init_Load_Rule_Files();
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  char text[40];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d", t.tm_mon + 1, t.tm_mday, t.tm_year % 100);
  return text;
}
}  // namespace

// ---------------------------------------------------------------------------
// Folder helpers

bool List_Directory_Files(const std::string& directory, std::vector<std::string>& list, bool names_only) {
  std::error_code ec;
  std::vector<std::string> names;
  fs::directory_iterator it(Native_Path(directory), ec);
  if (ec) return false;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return false;
    names.push_back(it->path().filename().string());
  }
  // Listed in name order, so that every machine works in the same order.
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) list.push_back(names_only ? n : directory + n);
  return true;
}

bool Delete_Directory_Files(const std::string& directory) {
  std::vector<std::string> names;
  // Only a folder named without "." or ".." is emptied: the path says where
  // the files lie, and nothing above it is touched.
  bool ok = Path_Is_Plain(directory) && Directory_Exists(directory) && List_Directory_Files(directory, names, true);
  for (const std::string& n : names) {
    std::error_code ec;
    fs::remove_all(Native_Path(directory + n), ec);
    if (ec) ok = false;
  }
  if (!ok) Show_Message("Error", "Unable to delete files from " + Quoted(directory) + ".");
  return ok;
}

bool Copy_Directory_Files(const std::string& source, const std::string& target) {
  std::vector<std::string> names;
  bool ok = List_Directory_Files(source, names, true);
  for (std::size_t i = 0; ok && i < names.size(); ++i) ok = File_Copy(source + names[i], target + names[i], false);
  if (!ok) Show_Message("Error", "Unable to copy files from " + Quoted(source) + " to " + Quoted(target) + ".");
  return ok;
}

bool List_Game_Types(std::vector<std::string>& display_names, std::vector<std::string>& folder_names,
                     TList_Dialog_Owner* dialog) {
  display_names.clear();
  folder_names.clear();
  if (!Path_Settings) return true;
  const std::string dir = Path_Settings->m_Get_Gametypes_Dir();
  std::vector<std::string> names;
  List_Directory_Files(dir, names, true);
  for (const std::string& name : names) {
    if (Text_Compare(name, "Standard") != 0 || !Directory_Exists(dir + name)) continue;
    TBase_Game_Settings scratch;
    if (Load_Base_Game_Settings_File(dir + name + "\\data\\GameSettings.txt", scratch, true, dialog)) {
      display_names.push_back(scratch.f_game_type_name);
      folder_names.push_back(name);
    }
  }
  return true;
}

namespace {
// The folders that hold stored maps, the one that wins first: the user's own
// maps\ and the maps\ shipped with the game.
std::vector<std::string> Stored_Map_Dirs() {
  std::vector<std::string> dirs;
  if (!Path_Settings) return dirs;
  dirs.push_back(Path_Settings->m_Get_Maps_Dir());
  const std::string shipped = Path_Settings->m_Resolve_Dir("maps\\");
  if (Text_Compare(Native_Path(shipped), Native_Path(dirs.front())) != 0) dirs.push_back(shipped);
  return dirs;
}
}  // namespace

bool List_Stored_Maps(std::vector<std::string>& names, std::vector<std::string>& folder_names) {
  names.clear();
  folder_names.clear();
  std::vector<std::string> found;
  for (const std::string& dir : Stored_Map_Dirs()) {
    std::vector<std::string> entries;
    List_Directory_Files(dir, entries, true);
    for (const std::string& n : entries) {
      // A folder whose name could not be chosen is no map to offer.
      if (!Path_Name_Problem(n, "map").empty() || !Directory_Exists(dir + n)) continue;
      // A map of the same name (in any case) found earlier hides this one.
      const bool hidden = std::any_of(found.begin(), found.end(),
                                      [&](const std::string& f) { return Text_Compare(f, n) == 0; });
      if (!hidden) found.push_back(n);
    }
  }
  std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
    const int c = Text_Compare(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  names = found;
  folder_names = found;
  return true;
}

std::string Stored_Map_Directory(const std::string& name) {
  std::string message;
  if (!Folder_Name_Valid(name, "map", message)) return "";
  for (const std::string& dir : Stored_Map_Dirs()) {
    std::vector<std::string> entries;
    List_Directory_Files(dir, entries, true);
    for (const std::string& n : entries)
      if (Text_Compare(n, name) == 0 && Directory_Exists(dir + n)) return dir + n + "\\";
  }
  return "";
}

bool Copy_Stored_Map_To_Current(const std::string& name) {
  if (!Path_Settings) return false;
  const std::string source = Stored_Map_Directory(name);
  if (source.empty()) {
    Show_Message("Error", "The map " + Quoted(name) + " was not found.");
    return false;
  }
  if (!Delete_Directory_Files(Current_Dir())) return false;
  return Copy_Directory_Files(source, Current_Dir());
}

bool Store_Current_Map(const std::string& name) {
  if (!Path_Settings || !Path_Name_Problem(name, "map").empty()) return false;
  const std::string dir = Path_Join_Folder(Path_Settings->m_Get_Maps_Dir(), name);
  if (dir.empty() || !Directory_Create_All(dir)) return false;
  return Copy_Directory_Files(Current_Dir(), dir);
}

bool Save_Map(const std::string& name, std::string& caption, std::string& text) {
  caption = "Error";
  if (!Folder_Name_Valid(name, "map", text)) return false;
  if (!Path_Settings || !G_Map) {
    text = "There is no map to save.";
    return false;
  }
  const std::string dir = Path_Settings->m_Get_Maps_Dir() + name + "\\";
  if (Directory_Exists(dir)) {
    text = "Map name already in use.";
    return false;
  }
  // The copy and the map's own routines report their file errors
  // themselves.
  caption.clear();
  text.clear();
  bool ok = Store_Current_Map(name);
  if (ok) {
    for (const char* f : {"Empires.dat", "EventLog.dat", "GameSettings.dat", "MasterActionTimer.dat", "MessageLog.dat"})
      File_Delete(dir + f);
    auto copy = std::make_unique<TMap>();
    ok = copy->m_Assign(*G_Map) && copy->m_Reset_Game_State() &&
         copy->m_Save_To_File(dir + "CurrentMap.map", false, "1.09");
  }
  if (!ok) {
    // No half-made stored map is left behind to be offered for new games.
    Delete_Directory_Files(dir);
    Directory_Remove(dir);
    return false;
  }
  caption = "Map Saved";
  text = "Map saved successfully.";
  return true;
}

bool Folder_Name_Valid(const std::string& name, const std::string& kind, std::string& message) {
  message = Path_Name_Problem(name, kind);
  return message.empty();
}

bool Save_Name_Valid(const std::string& name, std::string& message) { return Folder_Name_Valid(name, "save", message); }

std::string Save_Game_Directory(const std::string& name) {
  std::string message;
  if (!Save_Name_Valid(name, message)) {
    Show_Message("Error", message);
    return "";
  }
  return Path_Settings ? Path_Join_Folder(Path_Settings->m_Get_Savegames_Dir(), name) : std::string();
}

std::string Last_Save_Directory() {
  if (!Path_Settings || !Machine_Options) return "";
  const std::string dir = Machine_Options->f_last_savegame_dir;
  const std::string savegames = Path_Settings->m_Get_Savegames_Dir();
  // savegames\ + a name a save may have + "\", nothing else.
  if (dir.size() <= savegames.size() + 1 || dir.back() != '\\' ||
      Text_Compare(dir.substr(0, savegames.size()), savegames) != 0)
    return "";
  const std::string name = dir.substr(savegames.size(), dir.size() - savegames.size() - 1);
  if (!Path_Name_Problem(name, "save").empty()) return "";
  return Path_Join_Folder(dir.substr(0, savegames.size()), name);
}

// ---------------------------------------------------------------------------
// Save

bool Main_Save_Game_Stepped(const std::string& target_directory, bool is_first, bool is_last,
                            std::int32_t& result_code, std::int32_t step) {
  result_code = 0;
  if (is_first || is_last) {
    work.clear();
    files_per_step = 0;
    // A save that stopped half-way leaves no assembly folder behind.
    if (is_last && step < 100 && Target_Allowed(target_directory)) {
      std::error_code ec;
      fs::remove_all(Native_Path(Without_Slash(Staging_Dir(target_directory))), ec);
    }
    return true;
  }
  if (target_directory.empty() || !Path_Settings) return false;
  // The staging folder and the old save's aside folder are named after the
  // target and lie beside it: a target that climbs out of its folder (a
  // name with "..") is refused before anything is written.
  if (!Target_Allowed(target_directory)) {
    Show_Message("Error",
                 "Unable to save the game to " + Quoted(target_directory) + ": the folder name is not allowed.");
    return false;
  }
  const std::string current = Current_Dir();
  const std::string staging = Staging_Dir(target_directory);
  // A file of the game that cannot be written stops the save: the save
  // directory keeps what it held.
  switch (step) {
    case 5:
      if (Machine_Options) {
        Machine_Options->f_last_savegame_dir = target_directory;
        Machine_Options->m_Save_Last_Savegame_Dir();
      }
      return true;
    case 10:
      Game_Settings.f_version = Game_Version;
      return Game_Settings.m_Save_To_File(current + Game_Folder_Files[0]);
    case 14: return G_Map && G_Map->m_Save_To_File(current + Game_Folder_Files[1], false, Game_Version);
    case 20: return G_Empire_List && G_Empire_List->m_Save_To_File(current + Game_Folder_Files[2]);
    case 25: return G_Event_Log && G_Event_Log->m_Save_To_File(current + Game_Folder_Files[3]);
    case 28: return G_Message_Log && G_Message_Log->m_Save_To_File(current + Game_Folder_Files[4]);
    case 29: return Master_Action_Timer && Master_Action_Timer->m_Save_To_File(current + Game_Folder_Files[5]);
    case 30:
      if (Directory_Exists(staging)) {
        List_Work(staging, false, 28);
      } else if (!Directory_Create_All(staging)) {
        Show_Message("Error", "Unable to copy files from " + Quoted(current) + " to " + Quoted(target_directory) + ".");
        return false;
      }
      return true;
    case 60: List_Work(current, true, 38); return true;
    case 100:
      if (!Replace_Directory(staging, target_directory)) {
        Show_Message("Error", "Unable to copy files from " + Quoted(current) + " to " + Quoted(target_directory) + ".");
        return false;
      }
      return true;
    default:
      if (step >= 31 && step <= 59) return Delete_Work_Files();
      if (step >= 61 && step <= 99) return Copy_Work_Files(current, staging);
      return true;
  }
}

// ---------------------------------------------------------------------------
// Load

bool Main_Load_Game_Stepped(const std::string& source_directory, bool is_first, bool is_last,
                            TLoad_Result& result, std::int32_t extra, std::int32_t step) {
  if (is_first || is_last) {
    if (is_first) result = TLoad_Result::Game;
    work.clear();
    files_per_step = 0;
    loaded_game = {};
    if (is_last) {
      std::error_code ec;
      fs::remove_all(Native_Path(Without_Slash(Loading_Dir())), ec);
    }
    return true;
  }
  if (!Path_Settings) return false;
  const std::string current = Current_Dir();
  const bool copy = extra != 1;
  switch (step) {
    case 2:
      if (!copy) return true;
      if (!Directory_Exists(source_directory)) {
        Show_Message("Error", "Unable to copy files from " + Quoted(source_directory) + " to " + Quoted(current) + ".");
        return false;
      }
      if (Directory_Exists(Loading_Dir())) List_Work(Loading_Dir(), false, 36);
      else Directory_Create_All(Loading_Dir());
      return true;
    case 40:
      if (copy) List_Work(source_directory, true, 28);
      return true;
    case 70: {
      // Nothing of the running game changes until all six files have read.
      if (!Game_Files_Readable(copy ? Loading_Dir() : current)) return false;
      if (copy && !Take_Loaded_Files()) return false;
      Game_Settings.m_Load_From_File(current + Game_Folder_Files[0]);
      Activate_Game_Type();
      return true;
    }
    case 72:
      if (!G_Map) return false;
      if (loaded_game.map) {
        G_Map->m_Take_Map(*loaded_game.map);
        loaded_game.map.reset();
        return true;
      }
      return G_Map->m_Load_From_File(current + Game_Folder_Files[1], false, Game_Settings.f_version);
    case 74:
      if (!G_Empire_List) return false;
      if (loaded_game.empires) {
        G_Empire_List->m_Take_From(*loaded_game.empires);
        loaded_game.empires.reset();
        return true;
      }
      return G_Empire_List->m_Load_From_File(current + Game_Folder_Files[2]);
    case 75: return G_Event_Log && G_Event_Log->m_Load_From_File(current + Game_Folder_Files[3]);
    case 77: return G_Message_Log && G_Message_Log->m_Load_From_File(current + Game_Folder_Files[4]);
    case 78:
      End_Turn_Actions.m_Reset();
      return Master_Action_Timer && Master_Action_Timer->m_Load_From_File(current + Game_Folder_Files[5]);
    case 79:
      if (g_tg_texture_list) g_tg_texture_list->m_Unload_Group(Section_Texture_Group);
      return true;
    case 81:
      if (g_tg_texture_list) g_tg_texture_list->m_Unload_Group(Region_Texture_Group);
      return true;
    case 84:
      if (G_Map) G_Map->m_Load_Section_Textures();
      return true;
    case 85:
      if (G_Map) G_Map->m_Load_Region_Textures();
      return true;
    case 90:
      if (G_Map) G_Map->m_Load_Unit_Textures();
      return true;
    case 94:
      if (G_Empire_List)
        for (std::int32_t n = 1; n <= G_Empire_List->m_Get_Count(); ++n)
          if (TEmpire* e = G_Empire_List->m_Get_Empire(n)) {
            e->m_Update_Known_Regions();
            e->m_Update_Income();
            e->m_Update_Upkeep();
          }
      return true;
    case 96:
      Game_Settings.f_local_empire = 1;
      if (Game_Kind() == TGame_Kind::Hot_Seat) Game_Settings.f_local_empire = Game_Settings.f_turn_empire;
      if (Game_Kind() == TGame_Kind::Host) {
        if (Master_Action_Timer) Master_Action_Timer->m_Clear();
        result = TLoad_Result::Hosted_Game;
      } else if (Game_Settings.f_autosave_pending) {
        // An autosave made by an end of turn (after it advanced the date)
        // holds that end of turn: it goes on from the first player's
        // updates, in a hot-seat game too. Run again from where the save
        // was started, it would advance the date a second time.
        if (TEmpire* e = Empire_Get(Game_Settings.f_turn_empire)) e->m_Update_Known_Regions();
        World_Main_Screen_Link().Map_Ownership_Changed();
        if (Master_Action_Timer) Master_Action_Timer->m_Resume_End_Turn_After_Load();
        result = TLoad_Result::End_Turn_Resumes;
      }
      return true;
    default:
      if (copy && step >= 3 && step <= 39) return Delete_Work_Files();
      if (copy && step >= 41 && step <= 69) return Copy_Work_Files(source_directory, Loading_Dir());
      return true;
  }
}

// ---------------------------------------------------------------------------
// New game

bool Main_New_Game_Stepped(std::int32_t step, TList_Dialog_Owner* setup_dialog) {
  const bool generate = G_Map && G_Map->m_Get_Generated();
  const std::string current = Current_Dir();
  switch (step) {
    case 1:
      Game_Settings.f_game_date = Base_Game_Settings.f_starting_game_date;
      Game_Settings.f_turn_empire = 1;
      Game_Settings.f_local_empire = 1;
      Game_Settings.m_Set_Flag_Size(Base_Game_Settings.f_player_flag_width, Base_Game_Settings.f_player_flag_height);
      if (Path_Settings)
        Game_Settings.m_Set_Names(Path_Settings->m_Get_Game_Type_Name(), Path_Settings->m_Get_Game_Type_Folder(),
                                  Today(), Game_Version);
      break;
    case 2:
      if (G_Event_Log) G_Event_Log->m_Clear();
      // A new game starts with no action of an earlier game pending.
      if (Master_Action_Timer) Master_Action_Timer->m_Clear();
      End_Turn_Actions.m_Reset();
      break;
    case 3:
      if (G_Message_Log) G_Message_Log->m_Clear();
      break;
    case 4:
      if (Directory_Exists(current)) Delete_Directory_Files(current);
      else Directory_Create_All(current);
      break;
    case 60:
      if (generate && G_Map) G_Map->m_Save_To_File(current + Game_Folder_Files[1], false, Game_Version);
      break;
    case 64:
      if (generate) Datafile_TerrainTiles_Free();
      break;
    case 68:
      if (generate && G_Map) G_Map->m_Clear_Generation_Data();
      break;
    case 72:
      if (!generate && G_Map) Copy_Stored_Map_To_Current(G_Map->m_Get_Stored_Map_Name());
      break;
    case 76:
      if (!generate && G_Map) G_Map->m_Load_From_File(current + Game_Folder_Files[1], false, Game_Settings.f_version);
      break;
    case 78:
      if (!generate && G_Map) G_Map->m_Reset_Game_State();
      break;
    case 80:
      if (G_Map) G_Map->m_Load_Section_Textures();
      break;
    case 85:
      if (G_Map) G_Map->m_Load_Region_Textures();
      break;
    case 90:
      if (G_Map) G_Map->m_Load_Unit_Textures();
      break;
    case 95:
      if (G_Map) G_Map->m_Distribute_Start();
      break;
    case 96: Empire_Update_All_Statistics(); break;
    default:
      if (!generate || !G_Map) break;
      if (step == 5 && Path_Settings) {
        Datafile_TerrainTiles_Load(Path_Settings->m_Get_Terrain_Tiles_File(), setup_dialog);
      } else if (step == 10) {
        G_Map->m_Select_Map_Type();
      } else if (step >= 14 && step <= 36 && step % 2 == 0) {
        G_Map->m_Generate_Terrain((step - 14) / 2 + 1);
      } else if (step == 38 || step == 40 || step == 42) {
        G_Map->m_Generate_Regions((step - 38) / 2 + 1);
      } else if (step >= 44 && step <= 59) {
        switch (step - 43) {
          case 1: G_Map->m_Create_Base_Ocean(); break;
          case 2: G_Map->m_Create_Work_Bitmaps(); break;
          case 3: G_Map->m_Create_Land_Water(); break;
          case 4: G_Map->m_Create_Pixel_Arrays(); break;
          case 5: G_Map->m_Create_Step_5(); break;
          case 6: G_Map->m_Paint_Cells(); break;
          case 7: G_Map->m_Create_Section_Arrays(); break;
          case 8: G_Map->m_Create_Step_8(); break;
          case 9: G_Map->m_Create_Region_Connections(); break;
          case 10: G_Map->m_Create_Region_Squares(); break;
          case 11: G_Map->m_Create_Overlay(); break;
          case 12: G_Map->m_Paint_Sections(); break;
          case 13: G_Map->m_Create_Region_Labels(); break;
          case 14: G_Map->m_Create_Terrain_Map(false); break;
          case 15: G_Map->m_Create_Region_Sections(); break;
          case 16: G_Map->m_Free_Work_Bitmaps(); break;
          default: break;
        }
      }
      break;
  }
  return true;
}

// --- What the network lobby asks of the game --------------------------------

namespace {

class TGame_Folder_Lobby_Link final : public TLobby_Game_Link {
public:
  constexpr TGame_Folder_Lobby_Link() = default;
  std::int32_t m_Empire_Count() const override { return G_Empire_List ? G_Empire_List->m_Get_Count() : 0; }
  bool m_Empire(std::int32_t n, TLobby_Empire_Row& row) const override {
    const TEmpire* e = G_Empire_List ? G_Empire_List->m_Get_Empire(n) : nullptr;
    if (!e) return false;
    row.nation_name = e->m_Get_Nation_Name();
    row.player_name = e->m_Get_Player_Name();
    row.computer = e->m_Get_Computer_Controlled();
    row.neutral = e->m_Get_Neutral();
    return true;
  }
  void m_Set_Computer_Controlled(std::int32_t n, bool computer) override {
    if (G_Empire_List)
      if (TEmpire* e = G_Empire_List->m_Get_Empire(n)) e->m_Set_Computer_Controlled(computer);
  }
  bool m_Has_Map() const override { return G_Map != nullptr; }
  bool m_Write_Game_Files(const std::string& directory, bool map_only) override {
    // The map goes out in the map file's own version (the joined machine
    // reads it against the stored map it copied).
    if (!G_Map || !G_Map->m_Save_To_File(directory + Game_Folder_Files[1], false, Map_File_Version)) return false;
    if (map_only) return true;
    return Game_Settings.m_Save_To_File(directory + Game_Folder_Files[0]) && G_Empire_List &&
           G_Empire_List->m_Save_To_File(directory + Game_Folder_Files[2]) && G_Event_Log &&
           G_Event_Log->m_Save_To_File(directory + Game_Folder_Files[3]) && G_Message_Log &&
           G_Message_Log->m_Save_To_File(directory + Game_Folder_Files[4]) && Master_Action_Timer &&
           Master_Action_Timer->m_Save_To_File(directory + Game_Folder_Files[5]);
  }
  std::vector<std::string> m_Game_Folder_Files() const override {
    return std::vector<std::string>(std::begin(Game_Folder_Files), std::end(Game_Folder_Files));
  }
  bool m_Has_Stored_Map(const std::string& name) const override { return !Stored_Map_Directory(name).empty(); }
  bool m_Replace_With_Stored_Map(const std::string& directory, const std::string& stored_map_name) override {
    return Delete_Directory_Files(directory) && Copy_Stored_Map_To_Current(stored_map_name);
  }
  bool m_Load_Step(const std::string& directory, bool first, bool last, TLoad_Result& result,
                   std::int32_t step) override {
    return Main_Load_Game_Stepped(directory, first, last, result, 1, step);
  }
  void m_Clear_Action_Timer() override {
    if (Master_Action_Timer) Master_Action_Timer->m_Clear();
  }
};

constinit TGame_Folder_Lobby_Link g_lobby_link;
// Installed at static start-up: every program that can load a game has the
// game folder, so its lobby reaches the game.
[[maybe_unused]] const bool Lobby_Link_Installed = (Set_Lobby_Game_Link(&g_lobby_link), true);

}  // namespace
