#include "Path.h"

#include "Errors.h"
#include "Global.h"
#include "Io.h"
#include "MachineOptions.h"
#include "Text_Encoding.h"

TPath_Settings* Path_Settings = nullptr;

namespace {
const std::string kData = "data\\";
const std::string kUi = "images\\ui\\";

std::string Documents_Dir() {
  if (Machine_Options && !Machine_Options->f_use_my_documents_dir.empty())
    return Machine_Options->f_use_my_documents_dir;
  return "";
}
}  // namespace

std::string TPath_Settings::m_Get_Game_Type_Dir() const {
  return Program_Folder + "gametypes\\" + f_game_type_folder + "\\";
}

std::string TPath_Settings::m_Resolve_File(const std::string& folder, const std::string& file) const {
  if (f_game_type_set && !f_game_type_folder.empty()) {
    std::string override_path = m_Get_Game_Type_Dir() + folder + file;
    if (File_Exists(override_path)) return override_path;
  }
  return Program_Folder + folder + file;
}

std::string TPath_Settings::m_Resolve_Dir(const std::string& folder) const {
  if (f_game_type_set && !f_game_type_folder.empty()) {
    std::string override_path = m_Get_Game_Type_Dir() + folder;
    if (Directory_Exists(override_path)) return override_path;
  }
  return Program_Folder + folder;
}

std::string TPath_Settings::m_Resolve_User_Dir(const std::string& folder) const {
  std::string documents = Documents_Dir();
  if (!documents.empty()) return documents + folder;
  return User_Folder + folder;
}

void TPath_Settings::m_Set_Game_Type(const std::string& folder, const std::string& name) {
  f_game_type_folder = folder;
  f_game_type_name = name;
  f_game_type_set = true;
}

std::string TPath_Settings::m_Get_Free_Temp_File() const {
  std::string dir = m_Get_Temp_Dir();
  for (std::int32_t n = 1;; n = Checked_Add(n, 1)) {
    std::string path = dir + "temp_" + Int_To_Text(n) + ".dat";
    if (!File_Exists(path) && !Directory_Exists(path)) return path;
  }
}

std::string TPath_Settings::m_Get_MainFonts_File() const { return m_Resolve_File(kData, "MainFonts.txt"); }
std::string TPath_Settings::m_Get_UserSettings_File() const {
  return m_Resolve_User_Dir("userdata\\") + "UserSettings.txt";
}
std::string TPath_Settings::m_Get_DebugSettings_File() const {
  return m_Resolve_User_Dir("userdata\\") + "DebugSettings.txt";
}
std::string TPath_Settings::m_Get_GameSettings_File() const { return m_Resolve_File(kData, "GameSettings.txt"); }
std::string TPath_Settings::m_Get_Terrain_Tiles_File() const { return m_Resolve_File(kData, "Terrain_Tiles.txt"); }
std::string TPath_Settings::m_Get_RegionNames_File() const { return m_Resolve_File(kData, "RegionNames.txt"); }
std::string TPath_Settings::m_Get_Units_File() const { return m_Resolve_File(kData, "Units.txt"); }
std::string TPath_Settings::m_Get_Technology_File() const { return m_Resolve_File(kData, "Technology.txt"); }
std::string TPath_Settings::m_Get_MapTypes_File() const { return m_Resolve_File(kData, "MapTypes.txt"); }
std::string TPath_Settings::m_Get_NationNames_File() const { return m_Resolve_File(kData, "NationNames.txt"); }
std::string TPath_Settings::m_Get_PlayerNames_File() const { return m_Resolve_File(kData, "PlayerNames.txt"); }
std::string TPath_Settings::m_Get_SoundEffects_File() const { return m_Resolve_File(kData, "SoundEffects.txt"); }
std::string TPath_Settings::m_Get_Effects_File() const { return m_Resolve_File(kData, "Effects.txt"); }
std::string TPath_Settings::m_Get_HelpText_File() const { return m_Resolve_File(kData, "HelpText.txt"); }

std::string TPath_Settings::m_Get_Buttons_Bmp() const { return m_Resolve_File(kUi, "Buttons.bmp"); }
std::string TPath_Settings::m_Get_Buttons_2_Bmp() const { return m_Resolve_File(kUi, "Buttons_2.bmp"); }
std::string TPath_Settings::m_Get_Buttons_3_Bmp() const { return m_Resolve_File(kUi, "Buttons_3.bmp"); }
std::string TPath_Settings::m_Get_Buttons_4_Bmp() const { return m_Resolve_File(kUi, "Buttons_4.bmp"); }
std::string TPath_Settings::m_Get_Cursors_Bmp() const { return m_Resolve_File(kUi, "Cursors.bmp"); }
std::string TPath_Settings::m_Get_Flags_Bmp() const { return m_Resolve_File("images\\flags\\", "Flags.bmp"); }
std::string TPath_Settings::m_Get_Misc_Bmp() const { return m_Resolve_File(kUi, "Misc.bmp"); }
std::string TPath_Settings::m_Get_Map_Values_Bmp() const { return m_Resolve_File(kUi, "Map_Values.bmp"); }
std::string TPath_Settings::m_Get_MoveArrow_Bmp() const { return m_Resolve_File(kUi, "MoveArrow.bmp"); }
std::string TPath_Settings::m_Get_CombatFlag_Bmp() const { return m_Resolve_File(kUi, "CombatFlag.bmp"); }
std::string TPath_Settings::m_Get_Combat_Begin_Bmp() const { return m_Resolve_File(kUi, "Combat_Begin.bmp"); }
std::string TPath_Settings::m_Get_Combat_Victory_Bmp() const { return m_Resolve_File(kUi, "Combat_Victory.bmp"); }
std::string TPath_Settings::m_Get_Combat_Defeat_Bmp() const { return m_Resolve_File(kUi, "Combat_Defeat.bmp"); }
std::string TPath_Settings::m_Get_Bmp_Kestrune_Bmp() const { return m_Resolve_File(kUi, "Bmp_Kestrune.bmp"); }
std::string TPath_Settings::m_Get_Bmp_Publisher_Bmp() const { return m_Resolve_File(kUi, "Bmp_Publisher.bmp"); }
std::string TPath_Settings::m_Get_SelectionBox_Bmp() const { return m_Resolve_File(kUi, "SelectionBox.bmp"); }
std::string TPath_Settings::m_Get_Dlg_Start_Bmp() const { return m_Resolve_File(kUi, "Dlg_Start.bmp"); }
std::string TPath_Settings::m_Get_Dlg_GraphicsSetup_Bmp() const {
  return m_Resolve_File(kUi, "Dlg_GraphicsSetup.bmp");
}
std::string TPath_Settings::m_Get_Dlg_CombatBegin_Bmp() const { return m_Resolve_File(kUi, "Dlg_CombatBegin.bmp"); }
std::string TPath_Settings::m_Get_Dlg_CombatEnd_Bmp() const { return m_Resolve_File(kUi, "Dlg_CombatEnd.bmp"); }
std::string TPath_Settings::m_Get_Dlg_CombatOptions_Bmp() const {
  return m_Resolve_File(kUi, "Dlg_CombatOptions.bmp");
}
std::string TPath_Settings::m_Get_Dlg_GameMenu_Bmp() const { return m_Resolve_File(kUi, "Dlg_GameMenu.bmp"); }
std::string TPath_Settings::m_Get_Dlg_GameOptions_Bmp() const { return m_Resolve_File(kUi, "Dlg_GameOptions.bmp"); }
std::string TPath_Settings::m_Get_Dlg_EndGame_Bmp() const { return m_Resolve_File(kUi, "Dlg_EndGame.bmp"); }
std::string TPath_Settings::m_Get_Dlg_Intro_Bmp() const { return m_Resolve_File(kUi, "Dlg_Intro.bmp"); }
std::string TPath_Settings::m_Get_Dlg_LoadSaveGame_Bmp() const {
  return m_Resolve_File(kUi, "Dlg_LoadSaveGame.bmp");
}
std::string TPath_Settings::m_Get_Dlg_Purchases_List_Bmp() const {
  return m_Resolve_File(kUi, "Dlg_Purchases_List.bmp");
}
std::string TPath_Settings::m_Get_Dlg_Purchases_Items_Bmp() const {
  return m_Resolve_File(kUi, "Dlg_Purchases_Items.bmp");
}
std::string TPath_Settings::m_Get_Dlg_Statistics_Bmp() const { return m_Resolve_File(kUi, "Dlg_Statistics.bmp"); }
std::string TPath_Settings::m_Get_Dlg_GameSetup_Bmp() const { return m_Resolve_File(kUi, "Dlg_GameSetup.bmp"); }
std::string TPath_Settings::m_Get_Dlg_Progress_Bmp() const { return m_Resolve_File(kUi, "Dlg_Progress.bmp"); }
std::string TPath_Settings::m_Get_Dlg_Log_Bmp() const { return m_Resolve_File(kUi, "Dlg_Log.bmp"); }
std::string TPath_Settings::m_Get_Dlg_Message_Bmp() const { return m_Resolve_File(kUi, "Dlg_Message.bmp"); }
std::string TPath_Settings::m_Get_Dlg_Login_Bmp() const { return m_Resolve_File(kUi, "Dlg_Login.bmp"); }
std::string TPath_Settings::m_Get_Dlg_List_Bmp() const { return m_Resolve_File(kUi, "Dlg_List.bmp"); }

std::string TPath_Settings::m_Get_OverviewMap_Bmp() const { return m_Get_Currentmap_Dir() + "OverviewMap.bmp"; }
std::string TPath_Settings::m_Get_Map_Section_File(std::int32_t n) const {
  return m_Get_Currentmap_Dir() + "MapSection" + Int_To_Text_Padded(n, 0, 3) + ".jpg";
}
std::string TPath_Settings::m_Get_Region_Section_File(std::int32_t n) const {
  return m_Get_Currentmap_Dir() + "RegionSection" + Int_To_Text_Padded(n, 0, 3) + ".bmp";
}

std::string TPath_Settings::m_Get_Images_File(const std::string& name) const {
  return m_Resolve_File("images\\", name);
}
std::string TPath_Settings::m_Get_Map_Image_File(const std::string& name) const {
  return m_Resolve_File("images\\map\\", name);
}
std::string TPath_Settings::m_Get_Tile_Image_File(const std::string& name) const {
  return m_Resolve_File("images\\tiles\\", name);
}
std::string TPath_Settings::m_Get_Basic_Tile_Image_File(const std::string& name) const {
  return m_Resolve_File("images\\basictiles\\", name);
}
std::string TPath_Settings::m_Get_Unit_Image_File(const std::string& name) const {
  return m_Resolve_File("images\\units\\", name);
}
std::string TPath_Settings::m_Get_Effect_Image_File(const std::string& name) const {
  return m_Resolve_File("images\\effects\\", name);
}
std::string TPath_Settings::m_Get_Sound_File(const std::string& name) const { return m_Resolve_File("sounds\\", name); }
std::string TPath_Settings::m_Get_Music_File(const std::string& name) const { return m_Resolve_File("music\\", name); }

std::string TPath_Settings::m_Get_Maps_Dir() const { return m_Resolve_User_Dir("maps\\"); }
std::string TPath_Settings::m_Get_Savegames_Dir() const { return m_Resolve_User_Dir("savegames\\"); }
std::string TPath_Settings::m_Get_Currentmap_Dir() const { return m_Resolve_User_Dir("currentmap\\"); }
std::string TPath_Settings::m_Get_Gametypes_Dir() const {
  std::string documents = Documents_Dir();
  if (!documents.empty()) return documents + "gametypes\\";
  return m_Resolve_Dir("gametypes\\");
}
std::string TPath_Settings::m_Get_Temp_Dir() const { return m_Resolve_User_Dir("temp\\"); }

// ---------------------------------------------------------------------------
// Names that become path components

const char* const Path_Reserved_Suffixes[3] = {".saving", ".old", ".loading"};

namespace {
// The number of characters of a UTF-8 text (its bytes that begin one).
std::int32_t Character_Count(const std::string& text) {
  std::int32_t n = 0;
  for (char c : text)
    if ((std::uint8_t(c) & 0xC0) != 0x80) ++n;
  return n;
}

// C0 controls, DEL and the C1 controls (U+0080..U+009F, in UTF-8 the bytes
// C2 80..C2 9F).
bool Has_Control_Character(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::uint8_t c = std::uint8_t(text[i]);
    if (c < 32 || c == 127) return true;
    if (c == 0xC2 && i + 1 < text.size() && std::uint8_t(text[i + 1]) >= 0x80 && std::uint8_t(text[i + 1]) <= 0x9F)
      return true;
  }
  return false;
}

bool Ends_With_Ignoring_Case(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && Text_Compare(text.substr(text.size() - tail.size()), tail) == 0;
}
}  // namespace

std::string Path_Name_Problem(const std::string& name, const std::string& kind) {
  const std::string a = "A " + kind;
  const std::string trimmed = Text_Trim(name);
  if (trimmed.empty()) return a + " needs a name.";
  if (trimmed == "." || name.find("..") != std::string::npos) return a + " name cannot be \".\" or contain \"..\".";
  if (name.find_first_of("\\/:") != std::string::npos) return a + " name cannot contain \\, / or :.";
  if (Has_Control_Character(name)) return a + " name cannot contain control characters.";
  if (!Is_Valid_Utf8(name)) return a + " name must be UTF-8 text.";
  for (const char* suffix : Path_Reserved_Suffixes)
    if (Ends_With_Ignoring_Case(name, suffix))
      return a + " name cannot end in \".saving\", \".old\" or \".loading\": the game keeps those names for itself.";
  if (Character_Count(name) > Path_Name_Max_Length)
    return a + " name can have at most " + Int_To_Text(Path_Name_Max_Length) + " characters.";
  return "";
}

std::string Path_Join_Folder(const std::string& parent, const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find_first_of(std::string("\\/\0", 3)) != std::string::npos)
    return "";
  return parent + name + "\\";
}

bool Path_Is_Plain(const std::string& path) {
  if (path.empty()) return false;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part == "." || part == "..") return false;
    // Empty only before the root's separator or after the trailing one.
    if (part.empty() && start != 0 && end != path.size()) return false;
    start = end + 1;
  }
  return true;
}
