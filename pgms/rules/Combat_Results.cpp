// The end of a battle: its entry in the event log, the removal of the
// destroyed units from the map (carried units first), the change of the
// region's owner, the return of the main screen to the map, the mirror of
// a result received from another machine, and a whole battle fought
// without drawing.
#include "Combat.h"
#include "Combat_Internal.h"
#include "Empire.h"
#include "EventLog.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_Combat.h"
#include "Screen_Mode.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

using namespace combat_detail;

namespace {

// Frames after which a battle fought without drawing is stopped; the
// combat-time limit ends every battle long before.
constexpr std::int64_t Resolve_Frame_Limit = 50'000'000;
// Seconds per frame of a battle fought without drawing.
constexpr float Resolve_Frame_Time = 0.05f;

std::vector<TCombat_Starting_Unit> Starting_Records() {
  return std::vector<TCombat_Starting_Unit>(G_Combat.starting.begin(),
                                            G_Combat.starting.begin() + G_Combat.starting_count);
}

// The carrier in the region that carries a unit of the owner and type
// among the units that fight from their carrier; the carried unit is the
// last such one in the carrier's list.
bool Find_Fighting_Cargo(const TMap_Region& region, std::uint8_t owner, std::uint16_t unit_type,
                         std::int32_t& carrier, std::int32_t& cargo, std::uint16_t& list) {
  for (std::int32_t i = 1; i <= region.m_Get_Unit_Count(); ++i) {
    TMap_Unit_Record unit;
    G_Map->m_Get_Unit(region.m_Get_Unit_Id(i), unit);
    const TUnit_Type* type = World_Unit_Type(unit.unit_type);
    if (unit.cargo_list == 0 || !type || !type->f_transported_units_participate_in_combat) continue;
    for (std::int32_t k = G_Map->m_Get_Cargo_Count(unit.cargo_list); k >= 1; --k) {
      TMap_Unit_Record carried;
      G_Map->m_Get_Unit(G_Map->m_Get_Cargo_Unit(unit.cargo_list, k), carried);
      if (carried.id != 0 && carried.owner == owner && carried.unit_type == unit_type) {
        carrier = unit.id;
        cargo = carried.id;
        list = unit.cargo_list;
        return true;
      }
    }
  }
  return false;
}

std::int32_t Find_Standing_Unit(const TMap_Region& region, std::uint8_t owner, std::uint16_t unit_type) {
  for (std::int32_t i = 1; i <= region.m_Get_Unit_Count(); ++i) {
    TMap_Unit_Record unit;
    G_Map->m_Get_Unit(region.m_Get_Unit_Id(i), unit);
    if (unit.id != 0 && unit.owner == owner && unit.unit_type == unit_type) return unit.id;
  }
  return 0;
}

// A destroyed carrier takes the units it carries with it: those that
// fought from it are counted as destroyed in the battle's tally.
void Count_Cargo_Going_Down(std::int32_t carrier_id) {
  TMap_Unit_Record carrier;
  G_Map->m_Get_Unit(carrier_id, carrier);
  const TUnit_Type* type = World_Unit_Type(carrier.unit_type);
  if (carrier.cargo_list == 0 || !type || !type->f_transported_units_participate_in_combat) return;
  for (std::int32_t k = 1; k <= G_Map->m_Get_Cargo_Count(carrier.cargo_list); ++k) {
    TMap_Unit_Record carried;
    G_Map->m_Get_Unit(G_Map->m_Get_Cargo_Unit(carrier.cargo_list, k), carried);
    for (std::int32_t i = 0; i < G_Combat.starting_count; ++i) {
      TCombat_Starting_Unit& r = G_Combat.starting[std::size_t(i)];
      if (r.owner == carried.owner && r.unit_type == carried.unit_type && r.starting_count > r.destroyed_count) {
        ++r.destroyed_count;
        break;
      }
    }
  }
}

void Remove_Destroyed_Units(TMap_Region& region) {
  std::vector<TCombat_Starting_Unit> records = Starting_Records();
  for (TCombat_Starting_Unit& r : records) {
    while (r.destroyed_count >= 1) {
      std::int32_t carrier = 0, cargo = 0;
      std::uint16_t list = 0;
      if (!Find_Fighting_Cargo(region, r.owner, r.unit_type, carrier, cargo, list)) break;
      G_Map->m_Delete_Unit(cargo);
      bool empty = false;
      G_Map->m_Remove_From_Cargo_List(list, cargo, empty);
      if (Network_Game()) Combat_Links().m_Send_End_Delete_Unit(cargo, carrier);
      --r.destroyed_count;
    }
  }
  for (TCombat_Starting_Unit& r : records) {
    while (r.destroyed_count >= 1) {
      std::int32_t id = Find_Standing_Unit(region, r.owner, r.unit_type);
      if (id == 0) break;
      Count_Cargo_Going_Down(id);
      G_Map->m_Delete_Unit(id);
      if (Network_Game()) Combat_Links().m_Send_End_Delete_Unit(id, 0);
      --r.destroyed_count;
    }
  }
}

void Update_Known_Regions(std::uint8_t player) {
  if (TEmpire* e = Empire_Get(player)) e->m_Update_Known_Regions();
}

void Restore_Camera() {
  World_Main_Screen_Link().m_Set_Camera(G_Combat.saved_eye, G_Combat.saved_look_at, true, G_Combat.saved_up);
}

void Reset_Battle() {
  G_Combat.region = 0;
  G_Combat.combat_time = 0;
  G_Combat.combat_time_text.clear();
  G_Combat.attacker = 0;
  G_Combat.defender = 0;
  G_Combat.winner = 0;
  G_Combat.auto_resolve = 0;
  G_Combat.early_close_begin = 0;
  G_Combat.early_close_end = 0;
}

// Changes of ownership are logged with the politics section.
void Log_Owner_Change(std::int32_t region, std::uint8_t owner) {
  if (Debug_Sections[DEBUG_POLITICS])
    Debug_Log_Write("Combat Region " + Int_To_Text(region) + " set to owner " + Int_To_Text(owner));
}

}  // namespace

void Combat_Results() {
  Log("Combat_Results - Start");
  if (G_Combat.auto_resolve)
    Combat_Links().m_Completed();
  else
    Combat_Links().m_Open_End_Dialog();
  Log("Combat_Results - End");
}

void Combat_Completed() {
  Log("Combat_Completed - Start");
  Log("Combat_Completed");
  std::uint8_t new_owner = 0;
  if (G_Combat.complete_here) {
    // The destroyed units leave the map first, so that the tally in the
    // log also holds the fighters that went down with their carrier.
    TMap_Region* region = G_Map ? G_Map->m_Get_Region(G_Combat.region) : nullptr;
    if (region) Remove_Destroyed_Units(*region);
    // Land pieces fighting from ships never take an ocean region.
    const bool takes_region =
        G_Combat.attacker_has_land_piece != 0 && (!region || region->m_Get_Type() == REGION_LAND);
    const std::vector<TCombat_Starting_Unit> records = Starting_Records();
    if (G_Event_Log) {
      std::vector<TEvent_Log_Combat_Row> rows;
      for (const TCombat_Starting_Unit& r : records)
        rows.push_back(TEvent_Log_Combat_Row{r.unit_type, r.owner, r.starting_count, r.destroyed_count});
      G_Event_Log->m_Add_Combat(Game_Settings.f_game_date, G_Combat.attacker, rows, takes_region, G_Combat.region, G_Combat.prior_owner,
                                G_Combat.winner, G_Combat.defender);
      if (Network_Game())
        Combat_Links().m_Send_End_Add_Log(Game_Settings.f_game_date, G_Combat.attacker, records, takes_region, G_Combat.region,
                                          G_Combat.prior_owner, G_Combat.winner, G_Combat.defender);
    }
    if (region) {
      if (G_Combat.winner == G_Combat.attacker && takes_region) {
        region->m_Set_Owner(G_Combat.winner);
        new_owner = G_Combat.winner;
        Log_Owner_Change(G_Combat.region, G_Combat.winner);
      }
      G_Map->m_Remove_Combat_Region(G_Combat.region);
      Update_Known_Regions(G_Combat.attacker);
      Update_Known_Regions(G_Combat.defender);
      World_Main_Screen_Link().Map_Ownership_Changed();
      if (Network_Game())
        Combat_Links().m_Send_End_Results(new_owner, G_Combat.region, G_Combat.attacker, G_Combat.defender);
    }
  }

  if (G_Combat.background_texture != 0 && g_tg_texture_list)
    g_tg_texture_list->m_Unload_Texture(G_Combat.background_texture);
  G_Combat.background_texture = 0;
  G_Combat.starting_count = 0;

  if (!G_Combat.auto_resolve && World_Main_Screen_Link().m_Exists()) {
    if (Game_Kind() != TGame_Kind::Hot_Seat) {
      Combat_Links().m_Set_Screen_Mode(TScreen_Mode::Map);
      Restore_Camera();
      Combat_Links().m_Clear_Info_Box();
    } else {
      Combat_Links().m_Clear_Info_Box();
      Combat_Links().m_Set_Screen_Mode(TScreen_Mode::Handover);
      TEmpire* e = Empire_Get(Game_Settings.f_turn_empire);
      if (e && !e->m_Get_Computer_Controlled()) {
        Combat_Links().m_Set_Screen_Mode(TScreen_Mode::Map);
        Restore_Camera();
      }
    }
    Combat_Links().m_Show_Turn_Status();
  }
  Reset_Battle();
  Log("Combat_Completed - End");
}

void Combat_Results_Remote(std::uint8_t new_owner, std::int32_t region_id, std::uint8_t first_empire,
                           std::uint8_t second_empire) {
  TMap_Region* region = G_Map ? G_Map->m_Get_Region(region_id) : nullptr;
  if (!region) return;
  if (new_owner != 0) {
    region->m_Set_Owner(new_owner);
    Log_Owner_Change(region_id, new_owner);
  }
  G_Map->m_Remove_Combat_Region(region_id);
  Update_Known_Regions(first_empire);
  Update_Known_Regions(second_empire);
  World_Main_Screen_Link().Map_Ownership_Changed();
  Reset_Battle();
}

bool Combat_Resolve(std::int32_t region_id) {
  TMaster_Action_Timer timer;
  TCombat_Actions actions;
  actions.m_Install(timer);
  TMaster_Action_Timer* const saved = Combat_Action_Timer() == Master_Action_Timer ? nullptr : Combat_Action_Timer();
  struct TRestore {
    TMaster_Action_Timer* saved;
    ~TRestore() { Combat_Set_Action_Timer(saved); }
  } restore{saved};
  Combat_Set_Action_Timer(&timer);

  Combat_Begin(region_id, true, false);
  for (std::int64_t frame = 0; frame < Resolve_Frame_Limit; ++frame) {
    if (!Combat_Is_Active() || timer.m_Record_Count() == 0) break;
    timer.m_Update_Timer(Resolve_Frame_Time);
  }
  if (!Combat_Is_Active()) return true;
  // Nothing is left to carry the battle on: the defender holds.
  G_Combat.winner = G_Combat.defender;
  Combat_Results();
  return false;
}
