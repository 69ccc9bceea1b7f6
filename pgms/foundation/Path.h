// The one place where the full paths of the game's files and folders are
// formed.
//
// Game files (data\, images\, sounds\, music\) are read from the asset tree
// under Program_Folder; when a game type is set and its folder under
// gametypes\ holds a file or folder at the same relative path, that one is
// taken instead (looked up anew on every call). The writable folders
// (userdata\, currentmap\, maps\, savegames\, temp\) lie under User_Folder,
// or under the machine options' "Use My Documents Dir" when that is set.
//
// One global instance, Path_Settings, is created at start-up by
// Game_Init_Create_Globals; the shell then sets the game type ("standard",
// "Standard").
#pragma once

#include <cstdint>
#include <string>

class TPath_Settings {
public:
  std::string m_Get_Game_Type_Dir() const;
  // Program_Folder + folder + file, or the game type's copy when it exists.
  std::string m_Resolve_File(const std::string& folder, const std::string& file) const;
  // Program_Folder + folder, or the game type's copy when it exists.
  std::string m_Resolve_Dir(const std::string& folder) const;
  // A writable folder: "Use My Documents Dir" + folder when the machine
  // options exist and name one, else User_Folder + folder.
  std::string m_Resolve_User_Dir(const std::string& folder) const;

  void m_Set_Game_Type(const std::string& folder, const std::string& name);
  bool m_Game_Type_Set() const { return f_game_type_set; }
  std::string m_Get_Game_Type_Folder() const { return f_game_type_folder; }
  std::string m_Get_Game_Type_Name() const { return f_game_type_name; }

  // The first temp\temp_<n>.dat (n = 1, 2, ...) that does not exist; the
  // file is not created.
  std::string m_Get_Free_Temp_File() const;

  std::string m_Get_Dir_Separator() const { return "\\"; }
  std::string m_Get_All_Files_Mask() const { return "*.*"; }
  std::string m_Get_Current_Dir_Entry() const { return "."; }
  std::string m_Get_Parent_Dir_Entry() const { return ".."; }

  // Data files.
  std::string m_Get_MainFonts_File() const;
  // The user's own files, in the user folder's userdata\.
  std::string m_Get_UserSettings_File() const;
  std::string m_Get_DebugSettings_File() const;
  std::string m_Get_GameSettings_File() const;
  std::string m_Get_Terrain_Tiles_File() const;
  std::string m_Get_RegionNames_File() const;
  std::string m_Get_Units_File() const;
  std::string m_Get_Technology_File() const;
  std::string m_Get_MapTypes_File() const;
  std::string m_Get_NationNames_File() const;
  std::string m_Get_PlayerNames_File() const;
  std::string m_Get_SoundEffects_File() const;
  std::string m_Get_Effects_File() const;
  std::string m_Get_HelpText_File() const;

  // Interface images (images\ui\, flags in images\flags\).
  std::string m_Get_Buttons_Bmp() const;
  std::string m_Get_Buttons_2_Bmp() const;
  std::string m_Get_Buttons_3_Bmp() const;
  std::string m_Get_Buttons_4_Bmp() const;
  std::string m_Get_Cursors_Bmp() const;
  std::string m_Get_Flags_Bmp() const;
  std::string m_Get_Misc_Bmp() const;
  std::string m_Get_Map_Values_Bmp() const;
  std::string m_Get_MoveArrow_Bmp() const;
  std::string m_Get_CombatFlag_Bmp() const;
  std::string m_Get_Combat_Begin_Bmp() const;
  std::string m_Get_Combat_Victory_Bmp() const;
  std::string m_Get_Combat_Defeat_Bmp() const;
  std::string m_Get_Bmp_Kestrune_Bmp() const;
  std::string m_Get_Bmp_Publisher_Bmp() const;
  std::string m_Get_SelectionBox_Bmp() const;
  std::string m_Get_Dlg_Start_Bmp() const;
  std::string m_Get_Dlg_GraphicsSetup_Bmp() const;
  std::string m_Get_Dlg_CombatBegin_Bmp() const;
  std::string m_Get_Dlg_CombatEnd_Bmp() const;
  std::string m_Get_Dlg_CombatOptions_Bmp() const;
  std::string m_Get_Dlg_GameMenu_Bmp() const;
  std::string m_Get_Dlg_GameOptions_Bmp() const;
  std::string m_Get_Dlg_EndGame_Bmp() const;
  std::string m_Get_Dlg_Intro_Bmp() const;
  std::string m_Get_Dlg_LoadSaveGame_Bmp() const;
  std::string m_Get_Dlg_Purchases_List_Bmp() const;
  std::string m_Get_Dlg_Purchases_Items_Bmp() const;
  std::string m_Get_Dlg_Statistics_Bmp() const;
  std::string m_Get_Dlg_GameSetup_Bmp() const;
  std::string m_Get_Dlg_Progress_Bmp() const;
  std::string m_Get_Dlg_Log_Bmp() const;
  std::string m_Get_Dlg_Message_Bmp() const;
  std::string m_Get_Dlg_Login_Bmp() const;
  std::string m_Get_Dlg_List_Bmp() const;

  // Pictures of the current map, in the current-map folder.
  std::string m_Get_OverviewMap_Bmp() const;
  // "MapSection" + n with at least three digits + ".jpg".
  std::string m_Get_Map_Section_File(std::int32_t n) const;
  // "RegionSection" + n with at least three digits + ".bmp".
  std::string m_Get_Region_Section_File(std::int32_t n) const;

  // Named files in a folder of the asset tree.
  std::string m_Get_Images_File(const std::string& name) const;
  std::string m_Get_Map_Image_File(const std::string& name) const;
  std::string m_Get_Tile_Image_File(const std::string& name) const;
  std::string m_Get_Basic_Tile_Image_File(const std::string& name) const;
  std::string m_Get_Unit_Image_File(const std::string& name) const;
  std::string m_Get_Effect_Image_File(const std::string& name) const;
  std::string m_Get_Sound_File(const std::string& name) const;
  std::string m_Get_Music_File(const std::string& name) const;

  // Folders, each with its trailing "\".
  std::string m_Get_Maps_Dir() const;
  std::string m_Get_Savegames_Dir() const;
  std::string m_Get_Currentmap_Dir() const;
  // The game types lie in the asset tree.
  std::string m_Get_Gametypes_Dir() const;
  std::string m_Get_Temp_Dir() const;

private:
  bool f_game_type_set = false;
  std::string f_game_type_folder;
  std::string f_game_type_name;
};

// The global path settings; null until Game_Init_Create_Globals.
extern TPath_Settings* Path_Settings;

// Names that become one component of a path: a save's folder (typed in the
// save dialog, an autosave, a network game's name, the name a loaded save
// names for its host's saves), a stored map's folder.
//
// The safe save assembles a save beside its folder and moves the old one
// aside there; a load assembles beside the current-game folder. Names that
// end in these suffixes (in any letter case, as folders are matched) are the
// game's own and never a player's.
extern const char* const Path_Reserved_Suffixes[3];  // ".saving", ".old", ".loading"
// The longest name, in characters: a name of 60 characters fits the save
// dialog's field and the setup's game name field, and even in 4-byte
// characters plus the longest suffix stays within the 255 bytes a Linux
// file name may have.
constexpr std::int32_t Path_Name_Max_Length = 60;

// Why `name` cannot be such a component, as a text for the player naming the
// kind of thing ("save", "map"); empty when it can. Refused, in this order:
// an empty or blank name, "." or any "..", "\", "/" or ":", control
// characters, text that is not UTF-8, a reserved suffix, more than
// Path_Name_Max_Length characters. A trailing dot or blank is kept: on
// Linux it names a folder of its own, which meets no other.
std::string Path_Name_Problem(const std::string& name, const std::string& kind);

// The second, cheap guard where folders are formed: `parent` + `name` + "\"
// when `name` is one plain component (not empty, ".", "..", without "\",
// "/" or a NUL), so that the result lies inside `parent`; empty otherwise.
std::string Path_Join_Folder(const std::string& parent, const std::string& name);

// Whether a path (in the game's form) names no "." or ".." component and no
// empty one between two separators: such a path cannot climb out of any
// folder it passes through. The root's leading and a trailing separator are
// allowed; an empty path is not plain.
bool Path_Is_Plain(const std::string& path);
