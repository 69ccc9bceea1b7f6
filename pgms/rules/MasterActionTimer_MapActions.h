// The action kinds that change the world map: Move Unit (legs of a chain,
// turning to their heading), Bombard Unit, Load Unit, Unload Unit and
// Decommission Units, and the bombardment damage that the order code rolls
// before it adds a Bombard Unit action. Also the timer's view of the world
// map (TMap_Timer_World), which the adders read squares and regions from.
#pragma once

#include <cstdint>
#include <vector>

#include "BombardDamageList.h"
#include "MasterActionTimer.h"

// The speed factor of the map animations from "Unit Movement Speed": 1 ->
// 0.5, 2 -> 1, 3 -> 2, 4 -> 3; a value outside 1..4 moves at the default.
float Unit_Movement_Speed_Factor();

// What a bombardment does, rolled before its action is added.
struct TBombard_Damage_Result {
  std::int32_t region_damage = 0;
  std::vector<TBombard_Damage_Record> records;
};

class TMap_Actions : public TAction_Executor {
public:
  void m_Install(TMaster_Action_Timer& timer);
  void m_Execute(TMaster_Action_Timer& timer, std::int32_t index, float dt) override;
  // A Bombard Unit ended by its time limit still deals its damage.
  void m_Time_Limit_Reached(TMaster_Action_Timer& timer, std::int32_t index) override;

  void m_Execute_Move_Unit(TMaster_Action_Timer& timer, std::int32_t index, float dt);
  void m_Execute_Bombard_Unit(TMaster_Action_Timer& timer, std::int32_t index, float dt);
  // Load Unit and Unload Unit share their step machine.
  void m_Execute_Load_Unit(TMaster_Action_Timer& timer, std::int32_t index, float dt);
  void m_Execute_Unload_Unit(TMaster_Action_Timer& timer, std::int32_t index, float dt);
  void m_Execute_Decommission_Units(TMaster_Action_Timer& timer, std::int32_t index, float dt);

  // The damage of the attacking units (positions 1..count of the list) on
  // the units standing in the target region.
  static TBombard_Damage_Result m_Calc_Bombard_Damage(const TLongintList& unit_ids, std::int32_t unit_count,
                                                      std::int32_t target_region);

private:
  void m_Apply_Bombard(TMaster_Action_Timer& timer, TAction_Record& r);
  void m_Turn(float& heading, float target, float dt, bool& turning) const;
};

extern TMap_Actions Map_Actions;

// The action timer's view of the game's world map, empires and settings.
class TMap_Timer_World : public TAction_Timer_World {
public:
  bool m_Get_Unit(std::int32_t unit_id, TAction_Unit_Info& unit) const override;
  bool m_Get_Stack_Square(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner, TAction_Rect& square,
                          TColor& colour) const override;
  bool m_Get_Stack_Position(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner,
                            TAction_Rect& square) const override;
  bool m_Get_Region_Centre(std::int32_t region, float& x, float& y) const override;
  bool m_Local_Empire_Knows_Region(std::int32_t region) const override;
  TColor m_Get_Empire_Colour(std::uint8_t owner) const override;
  std::int32_t m_Get_Ranged_Fire_Effect(std::uint16_t unit_type) const override;
  void m_End_Turn_Resumed() override;
  // Single-player and hot-seat games.
  bool m_Hand_Over_Runs_Ahead() const override;
};

extern TMap_Timer_World Map_Timer_World;
