#include "GameInit.h"

#include <filesystem>

#include "Datafile_BaseGameSettings.h"
#include "Datafile_DebugSettings.h"
#include "Datafile_EffectEmitters.h"
#include "Datafile_Formula_List.h"
#include "Datafile_HelpText.h"
#include "Datafile_MainFonts.h"
#include "Datafile_MapTypes.h"
#include "Datafile_Tech.h"
#include "Datafile_TerrainTiles.h"
#include "Datafile_Units.h"
#include "Datafile_UserSettings.h"
#include "Debug_Log.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine_ParticleList.h"
#include "Io.h"
#include "MachineOptions.h"
#include "MasterActionTimer.h"
#include "AI_Main.h"
#include "Game_Session.h"
#include "Combat_Program_Links.h"
#include "MessageLog.h"
#include "Native_Path.h"
#include "Path.h"

namespace {
std::vector<TStartup_Load> loads;

bool Note(const std::string& name, bool ok) {
  for (TStartup_Load& l : loads) {
    if (l.name == name) {
      l.ok = ok;
      return ok;
    }
  }
  loads.push_back({name, ok});
  return ok;
}

bool Load_Help_Text() { return Load_Help_Text_File(Path_Settings->m_Get_HelpText_File()); }
}  // namespace

const std::vector<TStartup_Load>& Game_Init_Loads() { return loads; }

bool Game_Init_Create_Globals() {
  loads.clear();
  delete Path_Settings;
  Path_Settings = new TPath_Settings();
  Main_Fonts_Create();
  User_Settings = TUser_Settings();
  Base_Game_Settings.m_Reset();
  Game_Settings.m_Reset();
  delete Machine_Options;
  Machine_Options = new TMachine_Options();
  delete G_Message_Log;
  G_Message_Log = new TMessage_Log();
  Event_Log_Create();
  Formula_List_Create();
  delete G_Empire_List;
  G_Empire_List = new TEmpire_List();
  delete Master_Action_Timer;
  Master_Action_Timer = new TMaster_Action_Timer();
  Game_Install_Rules();
  Combat_Program_Links_Install();
  AI_Initialize();
  AI_Install_Turn_Hook();
  G_Create_Particle_Systems();
  Help_Text_Create();

  Path_Settings->m_Set_Game_Type("standard", "Standard");
  bool ok = Note("main fonts", Load_Main_Fonts() == 1);
  ok = Note("user settings", Load_User_Settings(nullptr)) && ok;
  ok = Note("game settings", Load_Base_Game_Settings(nullptr)) && ok;
  ok = Note("machine options", Machine_Options->m_Load()) && ok;
  ok = Note("debug settings", Load_Debug_Settings()) && ok;
  ok = Note("help texts", Load_Help_Text()) && ok;
  return ok;
}

void Game_Init_Free_Globals() {
  AI_Finalize();
  delete G_Message_Log;
  G_Message_Log = nullptr;
  Event_Log_Free();
  Formula_List_Free();
  delete Machine_Options;
  Machine_Options = nullptr;
  Base_Game_Settings.m_Reset();
  Game_Settings.m_Reset();
  User_Settings = TUser_Settings();
  delete G_Empire_List;
  G_Empire_List = nullptr;
  delete Master_Action_Timer;
  Master_Action_Timer = nullptr;
  Combat_Program_Links_Remove();
  G_Free_Particle_Systems();
  Datafile_MapTypes_Free();
  Datafile_TerrainTiles_Free();
  Game_Init_Free_Rule_Files();
  Effects_Free();
  delete Path_Settings;
  Path_Settings = nullptr;
  Free_Debug_Settings();
  Help_Text_Free();
  Main_Fonts_Free();
}

void Game_Init_Reload_Data() {
  Note("user settings", Load_User_Settings(nullptr));
  Note("game settings", Load_Base_Game_Settings(nullptr));
  Note("help texts", Load_Help_Text());
}

bool Game_Init_Load_Map_Data() {
  bool ok = Note("map types", Datafile_MapTypes_Load(Path_Settings->m_Get_MapTypes_File(), nullptr));
  return Note("terrain tiles",
              Datafile_TerrainTiles_Load_Checked(Path_Settings->m_Get_Terrain_Tiles_File(), nullptr)) &&
         ok;
}

bool Game_Init_Load_Rule_Files() {
  bool ok = Note("unit types", Datafile_Units_Load(Path_Settings->m_Get_Units_File(), nullptr));
  ok = Note("technology areas", Datafile_Tech_Load(Path_Settings->m_Get_Technology_File(), nullptr)) && ok;
  // An effects file that cannot be read leaves the game without effects.
  bool effects = false;
  try {
    effects = Effects_Load_Data_File(Path_Settings->m_Get_Effects_File(), nullptr);
  } catch (const EGlobarch_Error& e) {
    Effects_Free();
    Debug_Log_Write("Game_Init_Load_Rule_Files - " + std::string(e.what()));
  }
  return Note("effects", effects) && ok;
}

void Game_Init_Free_Rule_Files() {
  Datafile_Units_Free();
  Datafile_Tech_Free();
  Effects_Free();
}

std::string Game_Init_Program_File() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("globarch") : exe.string();
}

void Game_Init_Write_Banner() {
  if (Debug_Settings && Debug_Settings->f_generate_game_debug_log) Debug_Log_Write_Banner(Game_Init_Program_File());
}

std::string Game_Init_Report() {
  std::string line = "Globarch 1.09: game type ";
  line += Path_Settings ? Path_Settings->m_Get_Game_Type_Name() : std::string("none");
  std::string loaded, failed;
  for (const TStartup_Load& l : loads) {
    std::string item = l.name;
    if (l.name == "map types" && Map_Type_List) item = Int_To_Text(Map_Type_List->m_Count()) + " map types";
    if (l.name == "terrain tiles" && Terrain_Tile_List)
      item = Int_To_Text(Terrain_Tile_List->m_Count()) + " terrain tiles";
    if (l.name == "unit types" && Unit_Type_List) item = Int_To_Text(Unit_Type_List->m_Count()) + " unit types";
    if (l.name == "technology areas" && Tech_Area_List)
      item = Int_To_Text(Tech_Area_List->m_Count()) + " technology areas";
    if (l.name == "main fonts" && Main_Fonts) item = Int_To_Text(Main_Fonts->m_Count()) + " main fonts";
    if (l.name == "effects" && Effect_List) item = Int_To_Text(Effect_List->m_Count()) + " effects";
    std::string& to = l.ok ? loaded : failed;
    to += (to.empty() ? "" : ", ") + item;
  }
  line += "; loaded " + (loaded.empty() ? std::string("nothing") : loaded);
  if (!failed.empty()) line += "; with errors: " + failed;
  line += "; debug log " + Native_Path(Debug_Log_File_Name());
  return line;
}

std::string Game_Init_Start() {
  Global_Init();
  Game_Init_Create_Globals();
  Game_Init_Write_Banner();
  Game_Init_Load_Map_Data();
  Game_Init_Load_Rule_Files();
  return Game_Init_Report();
}
