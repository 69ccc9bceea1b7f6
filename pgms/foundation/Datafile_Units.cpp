#include "Datafile_Units.h"

#include <limits>

#include "Errors.h"
#include "Global.h"
#include "Io.h"

TUnit_Type_List* Unit_Type_List = nullptr;

namespace {
const char* const Movement_Type_Names[] = {"", "Air", "Land", "Sea Surface", "Undersea", "Space"};
const char* const Image_Type_Names[] = {"", "Standard", "Top Down", "Side"};
const char* const Ranged_Fire_Region_Type_Names[] = {"", "Air", "Land", "Sea", "Space"};
const char* const Combat_Effect_Type_Names[] = {"", "Attack"};
const char* const Effect_Facing_Names[] = {"", "Any", "Left", "Right"};
const char* const Special_Ability_Type_Names[] = {"",
                                                  "Territory Money Modifier",
                                                  "Unit Cost Modifier",
                                                  "Combat Defense Modifier",
                                                  "Combat Attack Modifier",
                                                  "Unit Destroyed on Bombard",
                                                  "Unit Can Bombard With No Movement",
                                                  "Bombard Only Unit Family"};

template <std::size_t N>
std::string Name_Of(const char* const (&names)[N], std::int64_t value) {
  return value >= 1 && value < std::int64_t(N) ? names[value] : std::string();
}

template <std::size_t N>
std::uint16_t Value_Of(const char* const (&names)[N], const std::string& name) {
  for (std::size_t v = 1; v < N; ++v) {
    if (Text_Compare(name, names[v]) == 0) return static_cast<std::uint16_t>(v);
  }
  return 0;
}

bool Valid_Movement_Type(std::int64_t movement_type) {
  return movement_type >= 1 && movement_type <= UNIT_MOVEMENT_TYPE_COUNT;
}
}  // namespace

std::string Unit_Movement_Type_Name(std::int64_t value) { return Name_Of(Movement_Type_Names, value); }
std::uint8_t Unit_Movement_Type_From_Name(const std::string& name) {
  return static_cast<std::uint8_t>(Value_Of(Movement_Type_Names, name));
}
std::string Unit_Image_Type_Name(std::int64_t value) { return Name_Of(Image_Type_Names, value); }
std::uint8_t Unit_Image_Type_From_Name(const std::string& name) {
  return static_cast<std::uint8_t>(Value_Of(Image_Type_Names, name));
}
std::string Unit_Ranged_Fire_Region_Type_Name(std::int64_t value) {
  return Name_Of(Ranged_Fire_Region_Type_Names, value);
}
std::uint8_t Unit_Ranged_Fire_Region_Type_From_Name(const std::string& name) {
  return static_cast<std::uint8_t>(Value_Of(Ranged_Fire_Region_Type_Names, name));
}
std::string Unit_Combat_Effect_Type_Name(std::int64_t value) { return Name_Of(Combat_Effect_Type_Names, value); }
std::uint8_t Unit_Combat_Effect_Type_From_Name(const std::string& name) {
  return static_cast<std::uint8_t>(Value_Of(Combat_Effect_Type_Names, name));
}
std::string Unit_Effect_Facing_Name(std::int64_t value) { return Name_Of(Effect_Facing_Names, value); }
std::uint8_t Unit_Effect_Facing_From_Name(const std::string& name) {
  return static_cast<std::uint8_t>(Value_Of(Effect_Facing_Names, name));
}
std::string Unit_Special_Ability_Type_Name(std::int64_t value) { return Name_Of(Special_Ability_Type_Names, value); }
std::uint16_t Unit_Special_Ability_Type_From_Name(const std::string& name) {
  return Value_Of(Special_Ability_Type_Names, name);
}

bool Unit_Movement_Type_Allowed(std::int64_t region_kind, std::int64_t movement_type) {
  if (region_kind == 1) {
    return movement_type == UNIT_MOVEMENT_AIR || movement_type == UNIT_MOVEMENT_LAND ||
           movement_type == UNIT_MOVEMENT_SPACE;
  }
  if (region_kind == 2) {
    return movement_type == UNIT_MOVEMENT_AIR || movement_type == UNIT_MOVEMENT_SEA_SURFACE ||
           movement_type == UNIT_MOVEMENT_UNDERSEA || movement_type == UNIT_MOVEMENT_SPACE;
  }
  return false;
}

// ---------------------------------------------------------------- TUnit_Type

std::int32_t TUnit_Type::m_Get_Combat_Damage_Modifier(std::int64_t movement_type) const {
  if (!Valid_Movement_Type(movement_type)) throw ERangeError();
  return f_combat_damage_percent[static_cast<std::size_t>(movement_type)];
}

std::int32_t TUnit_Type::m_Get_Ranged_Damage_Modifier(std::int64_t movement_type) const {
  if (!Valid_Movement_Type(movement_type)) throw ERangeError();
  return f_ranged_fire_damage_percent[static_cast<std::size_t>(movement_type)];
}

bool TUnit_Type::m_Can_Attack_Target_Type(std::int64_t movement_type) const {
  return Valid_Movement_Type(movement_type) && m_Get_Combat_Damage_Modifier(movement_type) > 0;
}

bool TUnit_Type::m_Can_Attack_Unit_Type(std::int64_t unit_type_index) const {
  const TUnit_Type* other = Unit_Type_List ? Unit_Type_List->m_Get_Item(unit_type_index) : nullptr;
  return other && m_Can_Attack_Target_Type(other->f_combat_movement_type);
}

bool TUnit_Type::m_Can_Move_In_Region_Kind(std::int64_t region_kind) const {
  return Unit_Movement_Type_Allowed(region_kind, f_movement_type);
}

std::uint16_t TUnit_Type::m_Get_Special_Ability_Type(std::int64_t i) const {
  if (i < 1 || i > m_Get_Special_Ability_Count()) return 0;
  return f_special_abilities[static_cast<std::size_t>(i - 1)].type;
}

std::int32_t TUnit_Type::m_Get_Special_Ability_Amount(std::int64_t i) const {
  if (i < 1 || i > m_Get_Special_Ability_Count()) return 0;
  return f_special_abilities[static_cast<std::size_t>(i - 1)].amount;
}

std::string TUnit_Type::m_Get_Special_Ability_Description(std::int64_t i) const {
  if (i < 1 || i > m_Get_Special_Ability_Count()) return std::string();
  return f_special_abilities[static_cast<std::size_t>(i - 1)].description;
}

std::int32_t TUnit_Type::m_Get_Special_Ability_Total(std::int64_t ability_type) const {
  std::int32_t total = 0;
  for (const Unit_Special_Ability& a : f_special_abilities) {
    if (a.type == ability_type) total = Checked_Add(total, a.amount);
  }
  return total;
}

bool TUnit_Type::m_Has_Special_Ability(std::int64_t ability_type) const {
  for (const Unit_Special_Ability& a : f_special_abilities) {
    if (a.type == ability_type) return true;
  }
  return false;
}

std::string TUnit_Type::m_Get_Transport_Type_Name(std::int64_t i) const {
  if (i < 1 || i > m_Get_Transport_Type_Count()) return std::string();
  return f_transporting_types[static_cast<std::size_t>(i - 1)].name;
}

std::int32_t TUnit_Type::m_Get_Transport_Space(const std::string& name) const {
  for (const Unit_Transport_Entry& e : f_transporting_types) {
    if (e.space != 0 && Text_Compare(e.name, name) == 0) return e.space;
  }
  return 0;
}

bool TUnit_Type::m_Has_Transport_Space(std::int64_t space) const {
  for (const Unit_Transport_Entry& e : f_transporting_types) {
    if (space >= e.space) return true;
  }
  return false;
}

std::string TUnit_Type::m_Get_Combat_Effect(std::int64_t effect_type, std::int64_t target_movement_type,
                                            bool right_facing) const {
  const std::uint8_t facing = right_facing ? UNIT_EFFECT_FACING_RIGHT : UNIT_EFFECT_FACING_LEFT;
  const std::string target = Unit_Movement_Type_Name(target_movement_type);
  for (const Unit_Combat_Effect& e : f_combat_effects) {
    if (e.type != effect_type) continue;
    if (e.facing != UNIT_EFFECT_FACING_ANY && e.facing != facing) continue;
    if (Text_Compare(e.target_type, target) == 0) return e.effect_name;
  }
  return std::string();
}

std::string TUnit_Type::m_Get_Cost_Text() const { return "$" + Format_Money(f_cost); }

std::string TUnit_Type::m_Get_Supply_Cost_Text() const { return "$" + Format_Money_Single(f_supply_cost); }

std::string TUnit_Type::m_Get_Movement_Text() const {
  return Int_To_Text(f_movement_amount) + " (" + Unit_Movement_Type_Name(f_movement_type) + ")";
}

std::string TUnit_Type::m_Get_Combat_Movement_Text() const {
  return Int_To_Text(f_combat_movement_amount) + " (" + Unit_Movement_Type_Name(f_combat_movement_type) + ")";
}

std::string TUnit_Type::m_Get_Sight_Range_Text() const { return Int_To_Text(f_sight_range); }

std::string TUnit_Type::m_Get_Hit_Points_Text() const { return Int_To_Text(f_hit_points); }

std::string TUnit_Type::m_Get_Initiative_Text() const { return Int_To_Text(f_initiative); }

std::string TUnit_Type::m_Get_Attack_Range_Text() const {
  return f_combat_attack_range == 0 ? "None" : Int_To_Text(f_combat_attack_range);
}

std::string TUnit_Type::m_Get_Combat_Damage_Text() const {
  if (f_combat_damage_min == 0 && f_combat_damage_max == 0) return "None";
  return Int_To_Text(f_combat_damage_min) + " - " + Int_To_Text(f_combat_damage_max);
}

std::string TUnit_Type::m_Get_Ranged_Fire_Text() const {
  if (f_ranged_fire_range == 0) return "None";
  return Int_To_Text(f_ranged_fire_range) + " (" + Unit_Ranged_Fire_Region_Type_Name(f_ranged_fire_region_type) +
         ")";
}

std::string TUnit_Type::m_Get_Ranged_Damage_Text() const {
  if (f_ranged_fire_damage_min == 0 && f_ranged_fire_damage_max == 0) return "None";
  return Int_To_Text(f_ranged_fire_damage_min) + " - " + Int_To_Text(f_ranged_fire_damage_max);
}

std::string TUnit_Type::m_Get_Transported_Fight_Text() const {
  return f_transported_units_participate_in_combat ? "Yes" : "No";
}

std::string TUnit_Type::m_Get_Transport_Types_Text() const {
  if (f_transporting_types.empty()) return "None";
  std::string text;
  for (const Unit_Transport_Entry& e : f_transporting_types) {
    if (!text.empty()) text += ", ";
    text += e.name + "(" + Int_To_Text(e.space) + ")";
  }
  return text;
}

std::string TUnit_Type::m_Get_Transport_Capacity_Text() const {
  return f_transporting_capacity == 0 ? "None" : Int_To_Text(f_transporting_capacity);
}

// ---------------------------------------------------------------- TUnit_Type_List

TUnit_Type* TUnit_Type_List::m_Get_Item(std::int64_t index) const {
  if (index < 1 || index > m_Count()) return nullptr;
  return f_items[static_cast<std::size_t>(index - 1)].get();
}

std::int32_t TUnit_Type_List::m_Add(std::unique_ptr<TUnit_Type> type) {
  std::uint16_t index = Checked_Cast<std::uint16_t>(f_items.size() + 1);
  type->f_index = index;
  f_items.push_back(std::move(type));
  return index;
}

std::int32_t TUnit_Type_List::m_Find_By_Internal_Name(const std::string& name) const {
  for (std::size_t i = 0; i < f_items.size(); ++i) {
    if (Text_Compare(f_items[i]->f_internal_name, name) == 0) return static_cast<std::int32_t>(i + 1);
  }
  return 0;
}

std::uint16_t TUnit_Type_List::m_Get_Family_Id(std::int64_t index) const {
  const TUnit_Type* type = m_Get_Item(index);
  return type ? type->f_unit_family_id : 0;
}

std::uint16_t TUnit_Type_List::m_Get_Family_Id_By_Name(const std::string& name) const {
  for (const auto& type : f_items) {
    if (type->f_unit_family_id != 0 && Text_Compare(type->f_unit_family, name) == 0) return type->f_unit_family_id;
  }
  return 0;
}

// ---------------------------------------------------------------- loader

namespace {
// Reads the fields of one record in order; every key is required.
class TUnit_Record_Reader {
public:
  TUnit_Record_Reader(TData_File_Loader& loader, const TData_File_Callbacks& callbacks)
      : f_loader(loader), f_callbacks(callbacks) {}

  bool Get(const std::string& key) { return f_loader.m_Get_Field(key, f_value, true); }
  const std::string& Value() const { return f_value; }

  void Text(const std::string& key, std::string& field) {
    if (Get(key)) field = f_value;
  }
  void Integer(const std::string& key, std::int32_t& field) {
    if (Get(key)) field = Datafile_Value_To_Integer(f_value);
  }
  // A field of 8 or 16 bits: a number it cannot hold is reported and
  // clamped, and the rest of the file still loads.
  template <typename T>
  void Bounded(const std::string& key, T& field) {
    if (Get(key)) {
      field = static_cast<T>(Datafile_Value_To_Bounded(f_value, key, 0, std::numeric_limits<T>::max(), f_callbacks));
    }
  }
  void Boolean(const std::string& key, bool& field) {
    if (Get(key)) field = Datafile_Value_To_Boolean(f_value);
  }
  void Single(const std::string& key, float& field) {
    if (Get(key)) field = Datafile_Value_To_Single(f_value);
  }
  // An enumerated value; a name outside the table is reported and gives 0.
  template <typename T>
  void Enumerated(const std::string& key, T& field, T (*from_name)(const std::string&)) {
    if (!Get(key)) return;
    field = from_name(f_value);
    if (field == 0) f_loader.m_Report_Unknown_Value(f_value, key);
  }
  // The number of entries of a list: 0 or less reads none; a count beyond
  // what the record's fields can hold is reported and bounded by them.
  std::int64_t Count(const std::string& key) {
    if (!Get(key)) return 0;
    return Datafile_Bounded_List_Count(f_value, key, f_callbacks);
  }
  // Step of the percent tables: the entry is stored when the movement type
  // was recognised and the percent is 0 or more (-1 when missing).
  void Percents(const std::string& count_key, const std::string& prefix, std::array<std::int32_t, 6>& table) {
    std::int64_t n = Count(count_key);
    for (std::int64_t i = 1; i <= n; ++i) {
      const std::string p = prefix + Int_To_Text(i);
      std::uint8_t movement_type = 0;
      Enumerated(p + " Target Type", movement_type, &Unit_Movement_Type_From_Name);
      std::int32_t percent = -1;
      Integer(p + " Modifier Pct", percent);
      if (movement_type != 0 && percent >= 0) table[movement_type] = percent;
    }
  }

private:
  TData_File_Loader& f_loader;
  const TData_File_Callbacks& f_callbacks;
  std::string f_value;
};
}  // namespace

void TUnit_Type_Data_File_Loader::m_Load_Record(std::int32_t) {
  auto t = std::make_unique<TUnit_Type>();
  TData_File_Callbacks callbacks;
  m_Get_Callbacks(callbacks);
  TUnit_Record_Reader r(*this, callbacks);

  // Until its internal name is read the record is known by its number.
  m_Set_Record_Name("");
  r.Text("Display Name", t->f_display_name);
  r.Text("Internal Name", t->f_internal_name);
  m_Set_Record_Name(t->f_internal_name);
  r.Text("Group", t->f_group);
  r.Text("Unit Family", t->f_unit_family);
  r.Bounded("Unit Family ID", t->f_unit_family_id);
  r.Text("Target Type", t->f_target_type);
  r.Text("Description", t->f_description);
  r.Text("Portrait Filename", t->f_portrait_filename);
  r.Text("Portrait Small Filename", t->f_portrait_small_filename);
  r.Text("Image Filename", t->f_image_filename);
  r.Enumerated("Image Type", t->f_image_type, &Unit_Image_Type_From_Name);
  r.Bounded("Square Size Width", t->f_square_size_width);
  r.Bounded("Square Size Height", t->f_square_size_height);
  r.Integer("Cost", t->f_cost);
  r.Bounded("Purchase In Region With Unit Family ID", t->f_purchase_with_family_id);
  r.Bounded("Purchase In Region Near Unit Family ID", t->f_purchase_near_family_id);
  r.Single("Supply Cost", t->f_supply_cost);
  r.Integer("Maximum Per Region", t->f_maximum_per_region);
  r.Enumerated("Movement Type", t->f_movement_type, &Unit_Movement_Type_From_Name);
  r.Integer("Movement Amount", t->f_movement_amount);
  r.Text("Movement Sound Effect", t->f_movement_sound_effect);
  r.Enumerated("Combat Movement Type", t->f_combat_movement_type, &Unit_Movement_Type_From_Name);
  r.Bounded("Combat Movement Amount", t->f_combat_movement_amount);
  r.Text("Combat Movement Sound Effect", t->f_combat_movement_sound_effect);
  r.Integer("Sight Range", t->f_sight_range);
  r.Integer("Hit Points", t->f_hit_points);
  r.Integer("Initiative", t->f_initiative);
  r.Integer("Attack Rating", t->f_attack_rating);
  r.Integer("Defense Rating", t->f_defense_rating);
  r.Boolean("Takes Part In Combat", t->f_takes_part_in_combat);
  r.Integer("Combat Attack Range", t->f_combat_attack_range);
  r.Percents("Number of Combat Damages", "Combat Damage ", t->f_combat_damage_percent);
  r.Integer("Combat Damage Amount Min", t->f_combat_damage_min);
  r.Integer("Combat Damage Amount Max", t->f_combat_damage_max);

  std::int64_t n = r.Count("Number of Combat Effects");
  for (std::int64_t i = 1; i <= n; ++i) {
    const std::string p = "Combat Effect " + Int_To_Text(i);
    Unit_Combat_Effect e;
    r.Enumerated(p + " Type", e.type, &Unit_Combat_Effect_Type_From_Name);
    r.Text(p + " Target Type", e.target_type);
    r.Enumerated(p + " Facing", e.facing, &Unit_Effect_Facing_From_Name);
    r.Text(p + " Effect Name", e.effect_name);
    if (e.type != 0 && e.facing != 0 && !e.target_type.empty() && !e.effect_name.empty()) {
      t->f_combat_effects.push_back(e);
    }
  }

  r.Integer("Ranged Fire Range", t->f_ranged_fire_range);
  r.Enumerated("Ranged Fire Region Type", t->f_ranged_fire_region_type, &Unit_Ranged_Fire_Region_Type_From_Name);
  r.Integer("Ranged Fire Damage Amount Min", t->f_ranged_fire_damage_min);
  r.Integer("Ranged Fire Damage Amount Max", t->f_ranged_fire_damage_max);
  r.Integer("Ranged Fire Region Value Dmg Amt Min", t->f_ranged_fire_region_value_damage_min);
  r.Integer("Ranged Fire Region Value Dmg Amt Max", t->f_ranged_fire_region_value_damage_max);
  r.Text("Ranged Fire Effect", t->f_ranged_fire_effect);
  r.Percents("Number of Ranged Fire Damages", "Ranged Fire Damage ", t->f_ranged_fire_damage_percent);

  r.Integer("Transporting Capacity", t->f_transporting_capacity);
  r.Boolean("Transported Units Participate In Combat", t->f_transported_units_participate_in_combat);
  if (t->f_transporting_capacity > 0) {
    n = r.Count("Number Of Transporting Types");
    for (std::int64_t i = 1; i <= n; ++i) {
      const std::string p = "Transporting Type " + Int_To_Text(i);
      Unit_Transport_Entry e;
      r.Text(p + " Name", e.name);
      r.Integer(p + " Space", e.space);
      if (!e.name.empty()) t->f_transporting_types.push_back(e);
    }
  }

  n = r.Count("Number Of Special Abilities");
  for (std::int64_t i = 1; i <= n; ++i) {
    const std::string p = "Special Ability " + Int_To_Text(i);
    Unit_Special_Ability a;
    r.Enumerated(p + " Type", a.type, &Unit_Special_Ability_Type_From_Name);
    r.Text(p + " Description", a.description);
    r.Integer(p + " Amount", a.amount);
    if (a.type != 0) t->f_special_abilities.push_back(a);
  }

  t->f_requirements.m_Load(callbacks, true);
  f_list.m_Add(std::move(t));
}

bool Datafile_Units_Load(const std::string& file_name, TList_Dialog_Owner* owner) {
  Datafile_Units_Free();
  Unit_Type_List = new TUnit_Type_List();
  TUnit_Type_Data_File_Loader loader(file_name, *Unit_Type_List);
  loader.m_Load();
  if (loader.m_Get_Errors().empty()) return true;
  Report_Datafile_Error(loader.m_Get_Errors(), "Unit Types Datafile", file_name, owner);
  return false;
}

bool Datafile_Units_Free() {
  if (!Unit_Type_List) return false;
  delete Unit_Type_List;
  Unit_Type_List = nullptr;
  return true;
}
