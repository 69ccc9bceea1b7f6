#include "Game_Session.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "Datafile_BaseGameSettings.h"
#include "Debug_Log.h"
#include "Empire.h"
#include "Errors.h"
#include "GameFolder.h"
#include "GameSettings.h"
#include "Game_Command_Post.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "Io.h"
#include "Lost_Player.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_Combat.h"
#include "MasterActionTimer_EndTurn.h"
#include "MasterActionTimer_MapActions.h"
#include "SteppedTask.h"

namespace {
// The world map the session made when the program had none.
TMap* session_map = nullptr;

// Colours of the players in their order, and the neutral empire's.
const TColor Player_Colours[8] = {Make_Color(200, 40, 40),  Make_Color(40, 80, 210),  Make_Color(40, 170, 60),
                                  Make_Color(220, 200, 40), Make_Color(150, 60, 190), Make_Color(230, 130, 30),
                                  Make_Color(40, 190, 190), Make_Color(120, 120, 120)};
const TColor Neutral_Colour = Make_Color(90, 90, 90);

std::int32_t By_Level(std::uint8_t level, std::int32_t low, std::int32_t medium, std::int32_t high) {
  return level == 1 ? low : level == 3 ? high : medium;
}

void Prepare_Empires(const TGame_Session_Setup& setup) {
  const std::int32_t players = std::int32_t(setup.computer.size());
  const std::int32_t count = players + (setup.neutral_empire ? 1 : 0);
  G_Empire_List->m_Create_Empires(count);
  for (std::int32_t n = 1; n <= count; ++n) {
    TEmpire& e = *G_Empire_List->m_Get_Empire(n);
    const bool neutral = n > players;
    e.m_Set_Neutral(neutral);
    e.m_Set_Computer_Controlled(neutral || setup.computer[std::size_t(n - 1)]);
    e.m_Set_Nation_Name(neutral ? std::string("Neutral") : "Nation " + Int_To_Text(n));
    e.m_Set_Player_Name(neutral ? std::string("Neutral") : "Player " + Int_To_Text(n));
    e.m_Set_Color(neutral ? Neutral_Colour : Player_Colours[(n - 1) % 8]);
    e.m_Set_Second_Color(e.m_Get_Color());
    e.m_Set_Color_Index(std::uint8_t(n));
    e.m_Set_Flag_Index(std::uint8_t(n));
    e.m_Init_Tech_Levels(1);
    const TBase_Game_Settings& b = Base_Game_Settings;
    e.m_Set_Treasury(neutral ? By_Level(setup.neutral_money_level, b.f_neutral_starting_money_low,
                                        b.f_neutral_starting_money_medium, b.f_neutral_starting_money_high)
                             : By_Level(setup.starting_money_level, b.f_starting_money_low, b.f_starting_money_medium,
                                        b.f_starting_money_high));
  }
  Game_Settings.f_player_count = std::uint16_t(players);
  Game_Settings.m_Set_Player_Matrix_Size(std::uint8_t(count));
}

bool Run_Save(const std::string& directory) {
  std::int32_t result = 0;
  bool ok = Main_Save_Game_Stepped(directory, true, false, result, 1);
  for (std::int32_t step = 1; ok && step <= 100; ++step) ok = Main_Save_Game_Stepped(directory, false, false, result, step);
  Main_Save_Game_Stepped(directory, false, true, result, ok ? 100 : 0);
  return ok;
}

bool Run_Load(const std::string& directory, TLoad_Result& result_code) {
  bool ok = Main_Load_Game_Stepped(directory, true, false, result_code, 0, 1);
  for (std::int32_t step = 1; ok && step <= 100; ++step)
    ok = Main_Load_Game_Stepped(directory, false, false, result_code, 0, step);
  Main_Load_Game_Stepped(directory, false, true, result_code, 0, 100);
  return ok;
}

bool Seen(std::int32_t a, std::int32_t b) {
  return Map_Timer_World.m_Local_Empire_Knows_Region(a) || Map_Timer_World.m_Local_Empire_Knows_Region(b);
}

// The ids as the timer's list; the first unit's record.
TLongintList Id_List(const std::vector<std::int32_t>& ids, TMap_Unit_Record& first) {
  TLongintList list;
  for (std::int32_t id : ids) list.m_Add(id);
  first = TMap_Unit_Record{};
  if (G_Map && !ids.empty()) G_Map->m_Get_Unit(ids.front(), first);
  return list;
}
}  // namespace

void Game_Install_Rules() {
  if (!Master_Action_Timer) return;
  Map_Actions.m_Install(*Master_Action_Timer);
  End_Turn_Actions.m_Install(*Master_Action_Timer);
  Combat_Actions.m_Install(*Master_Action_Timer);
  Master_Action_Timer->m_Set_World(&Map_Timer_World);
  Lost_Player_Install();
  Game_Command_Install_Check();
}

bool Game_Session_New_Game(const TGame_Session_Setup& setup) {
  if (!G_Empire_List || !Master_Action_Timer || setup.computer.empty() || setup.computer.size() > 8) return false;
  if (!G_Map) G_Map = session_map = new TMap();
  Game_Install_Rules();
  try {
    Random_Set_Seed(setup.seed);
    Game_Settings.f_game_kind = static_cast<std::uint8_t>(setup.game_kind);
    Game_Settings.f_nation_size_level = setup.nation_size_level;
    Game_Settings.f_starting_forces_level = setup.starting_forces_level;
    Game_Settings.f_starting_money_level = setup.starting_money_level;
    Game_Settings.f_neutral_money_level = setup.neutral_money_level;
    Game_Settings.f_neutral_empire = setup.neutral_empire;
    Game_Settings.f_setup_option_1 = setup.contiguous_start;
    Game_Settings.f_fog_of_war = setup.fog_of_war;
    Game_Settings.f_autosave_slot = 0;
    Game_Settings.f_autosave_pending = false;
    Prepare_Empires(setup);
    G_Map->m_Set_Generated(setup.stored_map.empty());
    G_Map->m_Set_Map_Type_Name(setup.map_type);
    G_Map->m_Set_Stored_Map_Name(setup.stored_map);
    for (std::int32_t step = 1; step <= 100; ++step) Main_New_Game_Stepped(step, nullptr);
    Game_Session_Prepare_New_World();
  } catch (const std::exception& e) {
    Show_Message("Error", std::string("The new game could not be created: ") + e.what());
    return false;
  }
  return true;
}

TVector Game_Session_Fit_View(const TVector& eye, float map_width, float map_height, std::int32_t screen_width,
                            std::int32_t screen_height) {
  if (screen_width <= 0 || screen_height <= 0) return eye;
  // Half the ground the view covers: the vertical field of view at the
  // eye's distance above the map, and that times the screen's aspect across.
  const float half_height = std::abs(eye.z) * std::tan(G_PICK_FIELD_OF_VIEW / 2.0f);
  const float half_width = half_height * float(screen_width) / float(screen_height);
  auto fit = [](float centre, float half, float size) {
    if (size <= 2.0f * half) return size / 2.0f;
    return std::clamp(centre, half, size - half);
  };
  return TVector{fit(eye.x, half_width, std::max(0.0f, map_width)),
                 fit(eye.y, half_height, std::max(0.0f, map_height)), eye.z};
}

void Game_Session_Place_Cameras() {
  if (!G_Map || !G_Empire_List) return;
  const float map_height = float(G_Map->m_Get_Pixel_Height());
  const TVector up{0.0f, 1.0f, 0.0f};
  TVector first_eye{float(G_Map->m_Get_Pixel_Width()) / 2, map_height / 2, GAME_SESSION_CAMERA_HEIGHT};
  bool first_set = false;
  for (std::int32_t n = 1; n <= G_Empire_List->m_Get_Count(); ++n) {
    TEmpire& e = *G_Empire_List->m_Get_Empire(n);
    double sum_x = 0, sum_y = 0;
    std::int64_t count = 0;
    for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count(); ++r) {
      const TMap_Region* region = G_Map->m_Get_Region(r);
      if (!region || region->m_Get_Owner() != n) continue;
      std::int32_t left = 0, top = 0, right = 0, bottom = 0;
      region->m_Get_Bounds(left, top, right, bottom);
      sum_x += (double(left) + double(right)) / 2;
      sum_y += (double(top) + double(bottom)) / 2;
      ++count;
    }
    if (count == 0) continue;
    // Map y runs down; the world's y runs up from the map's bottom edge.
    // The opening view shows as much of the world as it can, no dark border
    // beside a nation that lies at the map's edge.
    const TVector eye = Game_Session_Fit_View(
        TVector{float(sum_x / double(count)), map_height - float(sum_y / double(count)), GAME_SESSION_CAMERA_HEIGHT},
        float(G_Map->m_Get_Pixel_Width()), map_height, G_Screen_Width, G_Screen_Height);
    e.m_Set_Camera(eye, TVector{eye.x, eye.y, 0.0f}, up);
    if (!first_set && !e.m_Get_Computer_Controlled() && !e.m_Get_Neutral()) {
      first_eye = eye;
      first_set = true;
    }
  }
  Game_Settings.f_camera_eye = first_eye;
  Game_Settings.f_camera_look_at = TVector{first_eye.x, first_eye.y, 0.0f};
  Game_Settings.f_camera_up = up;
}

void Game_Session_Prepare_New_World() {
  if (!G_Empire_List || !G_Map) return;
  // Every new game opens here, from the command line or the setup dialog:
  // each nation's view over its own regions.
  Game_Session_Place_Cameras();
  for (std::int32_t n = 1; n <= G_Empire_List->m_Get_Count(); ++n) {
    TEmpire& e = *G_Empire_List->m_Get_Empire(n);
    e.m_Resize_Known_Regions(G_Map->m_Get_Region_Count());
    if (Game_Settings.f_fog_of_war)
      e.m_Update_Known_Regions();
    else
      e.m_Set_All_Regions_Known(true);
    e.m_Update_Income();
    e.m_Update_Upkeep();
  }
}

void Game_Session_Frame(float dt) {
  if (Master_Action_Timer) Master_Action_Timer->m_Update_Timer(dt);
  Stepped_Task_Step(dt);
}

std::int32_t Game_Session_Run_Until_Idle(float dt, std::int32_t max_frames) {
  std::int32_t frames = 0;
  while (frames < max_frames && Master_Action_Timer &&
         (Master_Action_Timer->m_Record_Count() > 0 || Stepped_Task_Running)) {
    Game_Session_Frame(dt);
    ++frames;
  }
  return frames;
}

std::int32_t Game_Session_End_Turn() {
  if (!Master_Action_Timer || Master_Action_Timer->m_Has_Action_Type(ACTION_END_TURN)) return 0;
  return Game_Command_Post(TCommand_End_Turn{Game_Settings.f_turn_empire}).last_action;
}

bool Game_Session_Game_Over() { return End_Turn_Actions.m_Game_Over(); }

bool Game_Session_Save_To(const std::string& directory) { return !directory.empty() && Run_Save(directory); }

bool Game_Session_Load_From(const std::string& directory, TLoad_Result& result_code) {
  result_code = TLoad_Result::Game;
  if (directory.empty()) return false;
  if (!G_Map) G_Map = session_map = new TMap();
  Game_Install_Rules();
  return Run_Load(directory, result_code);
}

bool Game_Session_Save(const std::string& name) { return Game_Session_Save_To(Save_Game_Directory(name)); }

bool Game_Session_Load(const std::string& name, TLoad_Result& result_code) {
  return Game_Session_Load_From(Save_Game_Directory(name), result_code);
}

std::int32_t Game_Session_Order_Move(const std::vector<std::int32_t>& unit_ids, const std::vector<std::int32_t>& path) {
  TMap_Unit_Record first;
  Id_List(unit_ids, first);
  if (!Master_Action_Timer || first.id == 0 || path.empty()) return 0;
  return Game_Command_Post(TCommand_Move{first.region, path, first.unit_type, first.owner, unit_ids}, TCommand_Origin::Player,
                           {0, Seen(first.region, path.back())})
      .last_action;
}

std::int32_t Game_Session_Order_Bombard(const std::vector<std::int32_t>& unit_ids, std::int32_t target_region) {
  TMap_Unit_Record first;
  const TLongintList ids = Id_List(unit_ids, first);
  if (!Master_Action_Timer || first.id == 0) return 0;
  const TBombard_Damage_Result damage = TMap_Actions::m_Calc_Bombard_Damage(ids, ids.m_Count(), target_region);
  return Game_Command_Post(TCommand_Bombard{first.region, target_region, first.unit_type, first.owner, unit_ids,
                                            damage.region_damage, damage.records},
                           TCommand_Origin::Player, {0, Seen(first.region, target_region)})
      .last_action;
}

std::int32_t Game_Session_Order_Load(std::int32_t transport_id, std::int32_t unit_id) {
  TMap_Unit_Record unit;
  Id_List({unit_id}, unit);
  if (!Master_Action_Timer || unit.id == 0) return 0;
  return Game_Command_Post(TCommand_Load{unit.region, unit.owner, transport_id, unit_id}).last_action;
}

std::int32_t Game_Session_Order_Unload(std::int32_t transport_id, std::int32_t unit_id, std::int32_t target_region) {
  TMap_Unit_Record transport;
  Id_List({transport_id}, transport);
  if (!Master_Action_Timer || transport.id == 0) return 0;
  return Game_Command_Post(TCommand_Unload{target_region, transport.owner, transport_id, unit_id, true}).last_action;
}

std::int32_t Game_Session_Order_Decommission(const std::vector<std::int32_t>& unit_ids) {
  TMap_Unit_Record first;
  Id_List(unit_ids, first);
  if (!Master_Action_Timer || first.id == 0) return 0;
  return Game_Command_Post(TCommand_Decommission{first.region, first.owner, unit_ids}, TCommand_Origin::Player,
                           {0, Map_Timer_World.m_Local_Empire_Knows_Region(first.region)})
      .last_action;
}
