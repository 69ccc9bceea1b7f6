// Unit types: every kind of unit an empire can own (names, pictures, price,
// movement, sight, battle values, ranged fire, transport, special abilities
// and the requirements for buying it), read from the game type's Units.txt
// into one process-wide list. Everything else addresses a unit type by its
// 1-based index in this list, 0 meaning none.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"
#include "Datafile_Requirements.h"

// Unit_Movement_Type (movement type, combat movement type, and the index of
// the two damage percent tables).
enum : std::uint8_t {
  UNIT_MOVEMENT_AIR = 1,
  UNIT_MOVEMENT_LAND = 2,
  UNIT_MOVEMENT_SEA_SURFACE = 3,
  UNIT_MOVEMENT_UNDERSEA = 4,
  UNIT_MOVEMENT_SPACE = 5,
};
constexpr std::int32_t UNIT_MOVEMENT_TYPE_COUNT = 5;

// Unit_Image_Type: how the battle turns a piece's picture.
enum : std::uint8_t {
  UNIT_IMAGE_STANDARD = 1,
  UNIT_IMAGE_TOP_DOWN = 2,
  UNIT_IMAGE_SIDE = 3,
};

// Unit_Ranged_Fire_Region_Type
enum : std::uint8_t {
  UNIT_RANGED_FIRE_AIR = 1,
  UNIT_RANGED_FIRE_LAND = 2,
  UNIT_RANGED_FIRE_SEA = 3,
  UNIT_RANGED_FIRE_SPACE = 4,
};

// Unit_Combat_Effect_Type
enum : std::uint8_t { UNIT_COMBAT_EFFECT_ATTACK = 1 };

// Unit_Effect_Facing
enum : std::uint8_t {
  UNIT_EFFECT_FACING_ANY = 1,
  UNIT_EFFECT_FACING_LEFT = 2,
  UNIT_EFFECT_FACING_RIGHT = 3,
};

// Unit_Special_Ability_Type
enum : std::uint16_t {
  UNIT_ABILITY_TERRITORY_MONEY_MODIFIER = 1,
  UNIT_ABILITY_UNIT_COST_MODIFIER = 2,
  UNIT_ABILITY_COMBAT_DEFENSE_MODIFIER = 3,
  UNIT_ABILITY_COMBAT_ATTACK_MODIFIER = 4,
  UNIT_ABILITY_UNIT_DESTROYED_ON_BOMBARD = 5,
  UNIT_ABILITY_CAN_BOMBARD_WITH_NO_MOVEMENT = 6,
  UNIT_ABILITY_BOMBARD_ONLY_UNIT_FAMILY = 7,
};

// The names of the enumerations ("Sea Surface", "Top Down", ...); a value
// outside its table gives an empty name. The _From_Name look-ups compare
// ignoring case and give 0 for a name outside the table.
std::string Unit_Movement_Type_Name(std::int64_t value);
std::uint8_t Unit_Movement_Type_From_Name(const std::string& name);
std::string Unit_Image_Type_Name(std::int64_t value);
std::uint8_t Unit_Image_Type_From_Name(const std::string& name);
std::string Unit_Ranged_Fire_Region_Type_Name(std::int64_t value);
std::uint8_t Unit_Ranged_Fire_Region_Type_From_Name(const std::string& name);
std::string Unit_Combat_Effect_Type_Name(std::int64_t value);
std::uint8_t Unit_Combat_Effect_Type_From_Name(const std::string& name);
std::string Unit_Effect_Facing_Name(std::int64_t value);
std::uint8_t Unit_Effect_Facing_From_Name(const std::string& name);
std::string Unit_Special_Ability_Type_Name(std::int64_t value);
std::uint16_t Unit_Special_Ability_Type_From_Name(const std::string& name);

// Whether a unit of the movement type may be in a region of the kind: land
// (1) allows air, land and space; ocean (2) air, sea surface, undersea and
// space; any other kind nothing.
bool Unit_Movement_Type_Allowed(std::int64_t region_kind, std::int64_t movement_type);

struct Unit_Combat_Effect {
  std::uint8_t type = 0;     // Unit_Combat_Effect_Type
  std::string target_type;   // a Unit_Movement_Type name
  std::uint8_t facing = 0;   // Unit_Effect_Facing
  std::string effect_name;   // a visual effect
};

struct Unit_Transport_Entry {
  std::string name;        // the unit family carried
  std::int32_t space = 0;  // the capacity one such unit takes
};

struct Unit_Special_Ability {
  std::uint16_t type = 0;  // Unit_Special_Ability_Type
  std::string description;
  std::int32_t amount = 0;
};

class TUnit_Type : public TFormula_Object {
public:
  TUnit_Type() : f_requirements(REQUIREMENTS_SLOT_UNIT_TYPE, this) {}
  TUnit_Type(const TUnit_Type&) = delete;
  TUnit_Type& operator=(const TUnit_Type&) = delete;

  std::uint16_t f_index = 0;  // 1-based position in the list, set when added
  std::string f_display_name;
  std::string f_internal_name;
  std::string f_group;
  std::string f_unit_family;
  std::uint16_t f_unit_family_id = 0;
  std::string f_target_type;
  std::string f_description;
  std::string f_portrait_filename;
  std::string f_portrait_small_filename;
  std::string f_image_filename;
  std::uint8_t f_image_type = 0;  // Unit_Image_Type
  std::uint8_t f_square_size_width = 0;   // half battle cells
  std::uint8_t f_square_size_height = 0;
  std::int32_t f_cost = 0;
  std::uint16_t f_purchase_with_family_id = 0;
  std::uint16_t f_purchase_near_family_id = 0;
  float f_supply_cost = 0;
  std::int32_t f_maximum_per_region = 0;
  std::uint8_t f_movement_type = 0;  // Unit_Movement_Type
  std::int32_t f_movement_amount = 0;
  std::string f_movement_sound_effect;
  std::uint8_t f_combat_movement_type = 0;
  std::uint8_t f_combat_movement_amount = 0;  // battle-grid steps
  std::string f_combat_movement_sound_effect;
  std::int32_t f_sight_range = 0;
  std::int32_t f_hit_points = 0;
  std::int32_t f_initiative = 0;
  std::int32_t f_attack_rating = 0;
  std::int32_t f_defense_rating = 0;
  bool f_takes_part_in_combat = true;
  std::int32_t f_combat_attack_range = 0;
  std::int32_t f_combat_damage_min = 0;
  std::int32_t f_combat_damage_max = 0;
  // Percent by target movement type, in [1]..[5].
  std::array<std::int32_t, 6> f_combat_damage_percent{};
  std::vector<Unit_Combat_Effect> f_combat_effects;
  std::int32_t f_ranged_fire_range = 0;
  std::uint8_t f_ranged_fire_region_type = 0;  // Unit_Ranged_Fire_Region_Type
  std::int32_t f_ranged_fire_damage_min = 0;
  std::int32_t f_ranged_fire_damage_max = 0;
  std::int32_t f_ranged_fire_region_value_damage_min = 0;
  std::int32_t f_ranged_fire_region_value_damage_max = 0;
  std::string f_ranged_fire_effect;
  std::array<std::int32_t, 6> f_ranged_fire_damage_percent{};
  std::int32_t f_transporting_capacity = 0;
  bool f_transported_units_participate_in_combat = false;
  std::vector<Unit_Transport_Entry> f_transporting_types;
  std::vector<Unit_Special_Ability> f_special_abilities;
  TRequirements f_requirements;

  // The percent against movement type 1..5; ERangeError outside.
  std::int32_t m_Get_Combat_Damage_Modifier(std::int64_t movement_type) const;
  std::int32_t m_Get_Ranged_Damage_Modifier(std::int64_t movement_type) const;
  // Whether the combat damage percent against the movement type is above 0
  // (false outside 1..5).
  bool m_Can_Attack_Target_Type(std::int64_t movement_type) const;
  // Whether the type at the index of the current list exists and its combat
  // movement type can be attacked.
  bool m_Can_Attack_Unit_Type(std::int64_t unit_type_index) const;
  bool m_Can_Move_In_Region_Kind(std::int64_t region_kind) const;

  std::int32_t m_Get_Special_Ability_Count() const { return static_cast<std::int32_t>(f_special_abilities.size()); }
  // Entry i (1-based); 0 or empty outside 1..count.
  std::uint16_t m_Get_Special_Ability_Type(std::int64_t i) const;
  std::int32_t m_Get_Special_Ability_Amount(std::int64_t i) const;
  std::string m_Get_Special_Ability_Description(std::int64_t i) const;
  // The sum of the amounts of the entries of the type; EIntOverflow when it
  // does not fit.
  std::int32_t m_Get_Special_Ability_Total(std::int64_t ability_type) const;
  bool m_Has_Special_Ability(std::int64_t ability_type) const;

  std::int32_t m_Get_Transport_Type_Count() const { return static_cast<std::int32_t>(f_transporting_types.size()); }
  // Name of transporting entry i (1-based); empty outside 1..count.
  std::string m_Get_Transport_Type_Name(std::int64_t i) const;
  // The space of the first entry for the name (ignoring case) whose space
  // is not 0; 0 when the type is not carried.
  std::int32_t m_Get_Transport_Space(const std::string& name) const;
  // Whether the space is at least the space of some transporting entry.
  bool m_Has_Transport_Space(std::int64_t space) const;

  std::int32_t m_Get_Combat_Effect_Count() const { return static_cast<std::int32_t>(f_combat_effects.size()); }
  // The effect name of the first combat effect of the type, against the
  // target movement type, facing any way or the way asked; empty when none.
  std::string m_Get_Combat_Effect(std::int64_t effect_type, std::int64_t target_movement_type,
                                  bool right_facing) const;

  // Display texts.
  std::string m_Get_Cost_Text() const;
  std::string m_Get_Supply_Cost_Text() const;
  std::string m_Get_Movement_Text() const;
  std::string m_Get_Combat_Movement_Text() const;
  std::string m_Get_Sight_Range_Text() const;
  std::string m_Get_Hit_Points_Text() const;
  std::string m_Get_Initiative_Text() const;
  std::string m_Get_Attack_Range_Text() const;
  std::string m_Get_Combat_Damage_Text() const;
  std::string m_Get_Ranged_Fire_Text() const;
  std::string m_Get_Ranged_Damage_Text() const;
  std::string m_Get_Transported_Fight_Text() const;
  std::string m_Get_Transport_Types_Text() const;
  std::string m_Get_Transport_Capacity_Text() const;
};

class TUnit_Type_List {
public:
  std::int32_t m_Count() const { return static_cast<std::int32_t>(f_items.size()); }
  // The type at a 1-based index; none outside 1..count.
  TUnit_Type* m_Get_Item(std::int64_t index) const;
  // Appends the type, stores its index in it and returns the new count. A
  // list holds at most 65535 types (ERangeError beyond).
  std::int32_t m_Add(std::unique_ptr<TUnit_Type> type);
  // The index of the first type whose internal name equals the name
  // ignoring case; 0 when none.
  std::int32_t m_Find_By_Internal_Name(const std::string& name) const;
  // The unit family id of the type at the index; 0 when out of range.
  std::uint16_t m_Get_Family_Id(std::int64_t index) const;
  // The family id of the first type whose unit family equals the name
  // ignoring case and whose family id is not 0; 0 when none.
  std::uint16_t m_Get_Family_Id_By_Name(const std::string& name) const;

private:
  std::vector<std::unique_ptr<TUnit_Type>> f_items;
};

class TUnit_Type_Data_File_Loader : public TData_File_Loader {
public:
  TUnit_Type_Data_File_Loader(const std::string& file_name, TUnit_Type_List& list)
      : TData_File_Loader(file_name), f_list(list) {}

protected:
  void m_Load_Record(std::int32_t record_number) override;

private:
  TUnit_Type_List& f_list;
};

// The current unit types; none before the first load.
extern TUnit_Type_List* Unit_Type_List;

// Replaces the current list by the types of the file. True when the file
// loaded without a problem; otherwise the error lines are reported under
// "Unit Types Datafile" (to the owner dialog when one is given) and the
// types read stay loaded.
bool Datafile_Units_Load(const std::string& file_name, TList_Dialog_Owner* owner);
// Frees the current list; true when there was one.
bool Datafile_Units_Free();
