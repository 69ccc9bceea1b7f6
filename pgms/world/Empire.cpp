#include "Empire.h"

#include <algorithm>
#include <cmath>

#include "Datafile_BaseGameSettings.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Io.h"
#include "Io_Fields.h"
#include "Io_Tagged.h"
#include "MapClass.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

TEmpire_List* G_Empire_List = nullptr;

namespace {
// A real truncated towards zero into 32 bits; a value beyond is an error.
std::int32_t Trunc_To_Int32(double v) {
  double t = std::trunc(v);
  if (!(t >= -2147483648.0 && t <= 2147483647.0)) throw ERangeError();
  return std::int32_t(t);
}

bool Same_Text_Ignoring_Case(const std::string& a, const std::string& b) { return Text_Compare(a, b) == 0; }

TEmpire_Statistics Unset_Statistics() {
  TEmpire_Statistics s;
  s.values[0] = -1;
  return s;
}

template <class F, class Statistics>
void Statistics_Fields(F& f, Statistics& s) {
  for (auto& v : s.values) f.Integer(v);
}
}  // namespace

TEmpire* Empire_Get(std::int64_t n) { return G_Empire_List ? G_Empire_List->m_Get_Empire(n) : nullptr; }

// ---------------------------------------------------------------------------
// TEmpire

TEmpire::TEmpire() { m_Clear(); }

void TEmpire::m_Clear() {
  f_number = 0;
  f_nation_name.clear();
  f_player_name.clear();
  f_color = f_second_color = 0;
  f_computer_controlled = false;
  f_color_index = f_flag_index = 0;
  f_neutral = f_eliminated = false;
  f_treasury = f_income = f_upkeep = f_previous_upkeep = 0;
  f_purchases.clear();
  f_lowest = Unset_Statistics();
  f_highest = Unset_Statistics();
  f_counters.clear();
  f_tech_levels.clear();
  f_known.clear();
  f_camera_eye = {-4250, 1536, 3072};
  f_camera_look_at = {0, 1536, 3072};
  f_camera_up = {0, 1, 0};
  f_reserved_flag = false;
  f_reserved_number = 0;
}

void TEmpire::m_Set_Eliminated(bool b) {
  if (!f_neutral) f_eliminated = b;
}

// Money ---------------------------------------------------------------------

void TEmpire::m_Update_Income() {
  std::int32_t sum = 0;
  if (G_Map) {
    const std::int32_t per_value = Base_Game_Settings.f_money_per_territory_value;
    for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i) {
      const TMap_Region* r = G_Map->m_Get_Region(i);
      if (!r || r->m_Get_Owner() != f_number) continue;
      const std::int32_t base = Checked_Mul(r->m_Get_Value(), per_value);
      const double factor = double(r->m_Get_Territory_Money_Modifier() + 100.0) / 100.0;
      sum = Checked_Add(sum, Trunc_To_Int32(double(base) * factor));
    }
  }
  if (f_neutral) sum = Trunc_To_Int32(double(sum) * double(Base_Game_Settings.f_neutral_empire_money_modifier));
  f_income = sum;
}

void TEmpire::m_Update_Upkeep() {
  // The sum of the supply costs, taken up to the next whole number from a
  // fraction of 0.1 on.
  const double sum = G_Map ? G_Map->m_Sum_Unit_Type_Value(f_number) : 0.0;
  f_upkeep = Trunc_To_Int32(sum + 0.9);
}

// Purchases -----------------------------------------------------------------

void TEmpire::m_Add_Purchase(const TEmpire_Purchase& entry) {
  if (f_purchases.size() >= 65535) throw EIntOverflow();
  f_purchases.push_back(entry);
}

void TEmpire::m_Get_Purchase(std::int64_t i, TEmpire_Purchase& entry) const {
  if (i < 1 || i > std::int64_t(f_purchases.size()))
    entry = TEmpire_Purchase{};
  else
    entry = f_purchases[std::size_t(i - 1)];
}

bool TEmpire::m_Delete_Purchase(std::int64_t i) {
  if (i < 1 || i > std::int64_t(f_purchases.size())) return false;
  f_purchases.erase(f_purchases.begin() + std::ptrdiff_t(i - 1));
  return true;
}

bool TEmpire::m_Can_Place_Unit_At(std::int32_t region, std::int64_t unit_type, std::int32_t amount) const {
  const TMap_Region* r = G_Map ? G_Map->m_Get_Region(region) : nullptr;
  const TUnit_Type* t = World_Unit_Type(unit_type);
  if (!r || !t) return false;
  switch (t->f_movement_type) {
    case UNIT_MOVEMENT_AIR:
    case UNIT_MOVEMENT_LAND:
    case UNIT_MOVEMENT_SPACE:
      if (r->m_Get_Type() != REGION_LAND || r->m_Get_Owner() != f_number) return false;
      break;
    case UNIT_MOVEMENT_SEA_SURFACE:
    case UNIT_MOVEMENT_UNDERSEA: {
      if (r->m_Get_Type() != REGION_OCEAN || f_neutral) return false;
      std::uint8_t first, second;
      r->m_Get_Unit_Owners(first, second);
      if ((first != 0 && first != f_number) || (second != 0 && second != f_number)) return false;
      break;
    }
    default:
      return false;
  }
  if (t->f_purchase_with_family_id != 0) {
    if (!r->m_Has_Unit_Family(f_number, t->f_purchase_with_family_id, false)) return false;
  } else if (t->f_purchase_near_family_id != 0) {
    if (!r->m_Has_Unit_Family(f_number, t->f_purchase_near_family_id, true)) return false;
  }
  if (t->f_maximum_per_region > 0) {
    const std::int64_t there = r->m_Count_Units_Of_Type(f_number, std::uint16_t(unit_type));
    if (there + amount > t->f_maximum_per_region) return false;
  }
  return true;
}

bool TEmpire::m_Can_Place_Unit_Anywhere(std::int64_t unit_type) const {
  if (!G_Map) return false;
  for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i)
    if (m_Can_Place_Unit_At(i, unit_type, 1)) return true;
  return false;
}

bool TEmpire::m_Is_Purchase_Valid(const TEmpire_Purchase& entry) const {
  if (entry.amount == 0) return false;
  switch (entry.kind) {
    case PURCHASE_UNIT:
      return entry.id >= 0 && entry.id <= 65535 && m_Can_Place_Unit_At(entry.region, entry.id, entry.amount);
    case PURCHASE_RESEARCH: {
      const TTech_Area* a = World_Tech_Area(entry.id);
      return a && std::int64_t(a->f_maximum_level) >= std::int64_t(m_Get_Tech_Level(entry.id)) + 1;
    }
    default:
      return true;
  }
}

void TEmpire::m_Remove_Invalid_Purchases() {
  std::size_t i = 0;
  while (i < f_purchases.size())
    if (m_Is_Purchase_Valid(f_purchases[i]))
      ++i;
    else
      f_purchases.erase(f_purchases.begin() + std::ptrdiff_t(i));
}

std::int32_t TEmpire::m_Count_Queued_Of_Type_At(std::int32_t region, std::int64_t unit_type) const {
  std::int32_t n = 0;
  for (const TEmpire_Purchase& p : f_purchases)
    if (p.kind == PURCHASE_UNIT && p.region == region && p.id == unit_type) ++n;
  return n;
}

std::int32_t TEmpire::m_Count_Queued_Of_Family_At(std::int32_t region, std::uint16_t family_id) const {
  std::int32_t n = 0;
  for (const TEmpire_Purchase& p : f_purchases) {
    if (p.kind != PURCHASE_UNIT || p.region != region) continue;
    const TUnit_Type* t = World_Unit_Type(p.id);
    if (t && t->f_unit_family_id == family_id) ++n;
  }
  return n;
}

// Counters ------------------------------------------------------------------

TEmpire_Unit_Type_Counters& TEmpire::m_Counter(std::int64_t unit_type) {
  if (unit_type > 65525) throw ERangeError();
  if (unit_type > std::int64_t(f_counters.size())) f_counters.resize(std::size_t(unit_type + 10));
  return f_counters[std::size_t(unit_type - 1)];
}

void TEmpire::m_Get_Unit_Type_Counters(std::int64_t unit_type, TEmpire_Unit_Type_Counters& counters) {
  counters = unit_type >= 1 ? m_Counter(unit_type) : TEmpire_Unit_Type_Counters{};
}

void TEmpire::m_Count_Unit_Bought(std::int64_t unit_type, std::int32_t n) {
  if (f_neutral || unit_type < 1) return;
  TEmpire_Unit_Type_Counters& c = m_Counter(unit_type);
  c.bought = Checked_Add(c.bought, n);
  c.current = Checked_Add(c.current, n);
}

void TEmpire::m_Count_Unit_Destroyed(std::int64_t unit_type, std::int32_t n) {
  if (f_neutral || unit_type < 1) return;
  TEmpire_Unit_Type_Counters& c = m_Counter(unit_type);
  c.current = Checked_Sub(c.current, n);
  c.destroyed = Checked_Add(c.destroyed, n);
}

void TEmpire::m_Count_Unit_Captured(std::int64_t unit_type, std::int32_t n) {
  if (f_neutral || unit_type < 1) return;
  TEmpire_Unit_Type_Counters& c = m_Counter(unit_type);
  c.current = Checked_Add(c.current, n);
  c.captured = Checked_Add(c.captured, n);
}

void TEmpire::m_Count_Unit_Lost(std::int64_t unit_type, std::int32_t n) {
  if (f_neutral || unit_type < 1) return;
  TEmpire_Unit_Type_Counters& c = m_Counter(unit_type);
  c.current = Checked_Sub(c.current, n);
  c.lost = Checked_Add(c.lost, n);
}

void TEmpire::m_Set_Statistics(const TEmpire_Statistics& lowest, const TEmpire_Statistics& highest) {
  f_lowest = lowest;
  f_highest = highest;
}

// Technology ----------------------------------------------------------------

void TEmpire::m_Init_Tech_Levels(std::int32_t mode) {
  const std::size_t n = std::size_t(World_Tech_Area_Count());
  if (n >= 65536) throw ERangeError();
  f_tech_levels.resize(n, 0);
  for (std::size_t i = 1; i <= n; ++i) {
    const TTech_Area* a = World_Tech_Area(std::int64_t(i));
    if (!a) continue;
    std::int32_t& level = f_tech_levels[i - 1];
    if (mode == 1)
      level = a->f_start_level;
    else if (mode == 2)
      level = Checked_Cast<std::int32_t>(a->f_start_level + (std::int64_t(a->f_maximum_level) - a->f_start_level) / 2);
    else if (mode == 3)
      level = a->f_maximum_level;
  }
}

std::int32_t TEmpire::m_Get_Tech_Level(std::int64_t area) const {
  if (area < 1 || area > std::int64_t(f_tech_levels.size())) return 0;
  return f_tech_levels[std::size_t(area - 1)];
}

void TEmpire::m_Set_Tech_Level(std::int64_t area, std::int32_t level) {
  if (area < 1 || area > std::int64_t(f_tech_levels.size())) return;
  f_tech_levels[std::size_t(area - 1)] = level;
}

std::int32_t TEmpire::m_Get_Tech_Level_By_Area_Name(std::uint8_t kind, const std::string& text) const {
  for (std::int32_t i = 1; i <= World_Tech_Area_Count(); ++i) {
    const TTech_Area* a = World_Tech_Area(i);
    if (a && Same_Text_Ignoring_Case(a->m_Get_Name(kind), text)) return m_Get_Tech_Level(i);
  }
  return 0;
}

void TEmpire::m_Get_Unlocked_Unit_Types(std::vector<std::string>& names, std::int64_t area) {
  names.clear();
  // Requirements are checked for the empire at level 1, as the purchase
  // list checks them.
  auto check = [&](const TUnit_Type& t) { return t.f_requirements.m_Check(this, 1); };
  const std::int32_t count = World_Unit_Type_Count();
  std::vector<bool> before;
  before.reserve(std::size_t(count));
  for (std::int32_t i = 1; i <= count; ++i) before.push_back(check(*World_Unit_Type(i)));
  const std::int32_t level = m_Get_Tech_Level(area);
  m_Set_Tech_Level(area, Checked_Add(level, 1));
  try {
    for (std::int32_t i = 1; i <= count; ++i)
      if (!before[std::size_t(i - 1)] && check(*World_Unit_Type(i))) names.push_back(World_Unit_Type(i)->f_display_name);
  } catch (...) {
    m_Set_Tech_Level(area, level);
    throw;
  }
  m_Set_Tech_Level(area, level);
}

// Fog of war ----------------------------------------------------------------

bool TEmpire::m_Is_Region_Known(std::int64_t region) const {
  if (!Game_Settings.f_fog_of_war) return true;
  if (region < 1 || region > std::int64_t(f_known.size())) return false;
  return f_known[std::size_t(region - 1)];
}

void TEmpire::m_Set_Region_Known(std::int64_t region, bool value) {
  if (!Game_Settings.f_fog_of_war) return;
  if (region < 1 || region > std::int64_t(f_known.size())) return;
  f_known[std::size_t(region - 1)] = value;
}

void TEmpire::m_Set_All_Regions_Known(bool value) {
  if (!Game_Settings.f_fog_of_war) return;
  std::fill(f_known.begin(), f_known.end(), value);
}

void TEmpire::m_Resize_Known_Regions(std::int64_t n) {
  if (!Game_Settings.f_fog_of_war) return;
  if (n < 0 || n > 65535) throw ERangeError();
  f_known.assign(std::size_t(n), false);
}

bool TEmpire::m_Knows_Region_Of(std::uint8_t empire) const {
  if (!Game_Settings.f_fog_of_war) return true;
  if (f_known.empty() || !G_Map) return false;
  for (std::size_t i = 1; i <= f_known.size(); ++i) {
    if (!f_known[i - 1]) continue;
    const TMap_Region* r = G_Map->m_Get_Region(std::int64_t(i));
    if (r && r->m_Get_Owner() == empire) return true;
  }
  return false;
}

void TEmpire::m_Update_Known_Regions() {
  if (!Game_Settings.f_fog_of_war || !G_Map) return;
  if (std::int64_t(f_known.size()) != G_Map->m_Get_Region_Count()) m_Resize_Known_Regions(G_Map->m_Get_Region_Count());
  m_Set_All_Regions_Known(false);
  G_Map->m_Mark_Known_Regions(f_number);
}

// Camera --------------------------------------------------------------------

void TEmpire::m_Set_Camera(const TVector& eye, const TVector& look_at, const TVector& up) {
  f_camera_eye = eye;
  f_camera_look_at = look_at;
  f_camera_up = up;
}

void TEmpire::m_Reset_Camera() {
  m_Set_Camera(Game_Settings.f_camera_eye, Game_Settings.f_camera_look_at, Game_Settings.f_camera_up);
}

void TEmpire::m_Apply_Camera() const {
  if (World_Main_Screen_Link().m_Exists())
    World_Main_Screen_Link().m_Set_Camera(f_camera_eye, f_camera_look_at, true, f_camera_up);
}

std::int32_t TEmpire::m_Count_Owned_Regions() const {
  std::int32_t n = 0;
  if (!G_Map) return 0;
  for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i)
    if (const TMap_Region* r = G_Map->m_Get_Region(i))
      if (r->m_Get_Owner() == f_number) ++n;
  return n;
}

// Empires.dat ---------------------------------------------------------------

template <class F, class Self>
void TEmpire::m_Fields(F& f, Self& self) {
  f.Byte(self.f_number);
  f.String(self.f_nation_name, self.f_player_name);
  f.Color_RGBA(self.f_color, self.f_second_color);
  f.Boolean(self.f_computer_controlled);
  f.Byte(self.f_color_index, self.f_flag_index);
  f.Boolean(self.f_neutral, self.f_eliminated);
  f.Integer(self.f_treasury, self.f_income);
  // An eliminated empire keeps only its name and colours.
  if (self.f_eliminated) return;

  // Each count is a word, so no count asks for more than 65535 entries.
  f.Word_Count(self.f_purchases);
  for (auto& p : self.f_purchases) {
    f.Byte(p.kind);
    f.Integer(p.id);
    f.Word(p.amount);
    f.Integer(p.region, p.cost);
  }
  Statistics_Fields(f, self.f_lowest);
  Statistics_Fields(f, self.f_highest);
  f.Word_Count(self.f_counters);
  for (auto& c : self.f_counters) {
    f.Integer(c.bought, c.current, c.destroyed, c.captured, c.lost);
  }
  f.Word_Count(self.f_tech_levels);
  for (auto& level : self.f_tech_levels) f.Integer(level);
  f.Word_Count(self.f_known);
  for (auto&& known : self.f_known) f.Boolean(known);
  f.Vector(self.f_camera_eye, self.f_camera_look_at, self.f_camera_up);
  f.Boolean(self.f_reserved_flag);
  f.Integer(self.f_reserved_number);
}

void TEmpire::m_Save(TIo_Writer& w) const {
  TIo_Field_Writer f(w);
  m_Fields(f, *this);
}

void TEmpire::m_Load(TIo_Reader& r) {
  m_Clear();
  TIo_Field_Reader f(r);
  m_Fields(f, *this);
}

// ---------------------------------------------------------------------------
// TEmpire_List

TEmpire* TEmpire_List::m_Get_Empire(std::int64_t n) const {
  if (n < 1 || n > std::int64_t(f_empires.size())) return nullptr;
  return f_empires[std::size_t(n - 1)].get();
}

std::int32_t TEmpire_List::m_Add(std::unique_ptr<TEmpire> empire) {
  if (f_empires.size() >= std::size_t(Max_Empires)) throw ERangeError("At most 9 empires can take part in a game");
  f_empires.push_back(std::move(empire));
  const std::int32_t count = std::int32_t(f_empires.size());
  f_empires.back()->m_Set_Number(std::uint8_t(count));
  return count;
}

void TEmpire_List::m_Create_Empires(std::int32_t n) {
  if (n > Max_Empires) throw ERangeError("At most 9 empires can take part in a game");
  m_Clear();
  for (std::int32_t i = 1; i <= n; ++i) {
    f_empires.push_back(std::make_unique<TEmpire>());
    f_empires.back()->m_Set_Number(std::uint8_t(i));
  }
}

bool TEmpire_List::m_Is_Neutral(std::int64_t n) const {
  const TEmpire* e = m_Get_Empire(n);
  return e && e->m_Get_Neutral();
}

bool TEmpire_List::m_All_Computer_Controlled() const {
  for (const auto& e : f_empires)
    if (!e->m_Get_Eliminated() && !e->m_Get_Computer_Controlled()) return false;
  return true;
}

std::uint8_t TEmpire_List::m_Get_Winner() const {
  if (!G_Map) return 0;
  std::uint8_t alive = 0;
  std::int32_t alive_count = 0;
  for (std::size_t i = 1; i <= f_empires.size() && alive_count < 2; ++i) {
    const TEmpire& e = *f_empires[i - 1];
    if (e.m_Count_Owned_Regions() > 0 || G_Map->m_Count_Player_Units(std::uint8_t(i)) > 0) {
      alive = std::uint8_t(i);
      ++alive_count;
    }
  }
  return alive_count == 1 ? alive : 0;
}

void TEmpire_List::m_Write(TIo_Writer& w) const {
  Io_Write_Byte(w, std::uint8_t(f_empires.size()));
  for (const auto& e : f_empires) e->m_Save(w);
}

void TEmpire_List::m_Read(TIo_Reader& r) {
  m_Clear();
  const std::uint8_t count = Io_Read_Byte(r);
  if (count > Max_Empires) throw ERangeError("At most 9 empires can take part in a game");
  for (std::uint8_t i = 0; i < count; ++i) {
    auto e = std::make_unique<TEmpire>();
    e->m_Load(r);
    f_empires.push_back(std::move(e));
  }
}

bool TEmpire_List::m_Save_To_File(const std::string& file_name) const {
  return Io_Save_To_File(file_name, [&](TIo_Writer& w) { m_Write(w); });
}

bool TEmpire_List::m_Load_From_File(const std::string& file_name) {
  // The running game keeps its empires unless the whole file was read.
  TEmpire_List fresh;
  if (!Io_Load_From_File(file_name, [&](TIo_Reader& r) { fresh.m_Read(r); })) return false;
  m_Take_From(fresh);
  return true;
}

// ---------------------------------------------------------------------------
// Statistics

void Empire_Compute_Statistics(std::uint8_t empire, TEmpire_Statistics& record) {
  record = TEmpire_Statistics{};
  if (!G_Map) return;
  std::int64_t land = 0, owned = 0, land_value = 0, owned_value = 0;
  for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i) {
    const TMap_Region* r = G_Map->m_Get_Region(i);
    if (!r || r->m_Get_Type() != REGION_LAND) continue;
    ++land;
    land_value += r->m_Get_Value();
    if (r->m_Get_Owner() == empire) {
      ++owned;
      owned_value += r->m_Get_Value();
    }
  }
  auto& v = record.values;
  v[0] = land > 0 ? Checked_Cast<std::int32_t>(owned * 100 / land) : 0;
  v[1] = Checked_Cast<std::int32_t>(owned);
  v[2] = Checked_Cast<std::int32_t>(owned_value);
  v[3] = land_value != 0 ? Checked_Cast<std::int32_t>(owned_value * 100 / land_value) : 0;
  for (std::int32_t id : G_Map->m_Get_Unit_Ids_Of(empire)) {
    const TMap_Unit_Record& rec = G_Map->m_Unit_Ref(id);
    const TUnit_Type* t = World_Unit_Type(rec.unit_type);
    if (!t) continue;
    v[4] = Checked_Add(v[4], t->f_cost);
    if (Same_Text_Ignoring_Case(t->f_group, "Land Units") || Same_Text_Ignoring_Case(t->f_group, "Non-Moving Land Units"))
      v[5] = Checked_Add(v[5], t->f_cost);
    if (Same_Text_Ignoring_Case(t->f_group, "Air Units") || Same_Text_Ignoring_Case(t->f_group, "Space Units"))
      v[6] = Checked_Add(v[6], t->f_cost);
    if (Same_Text_Ignoring_Case(t->f_group, "Ocean Units")) v[7] = Checked_Add(v[7], t->f_cost);
    if (Same_Text_Ignoring_Case(t->f_internal_name, "City")) ++v[8];
  }
}

void Empire_Update_Statistics(std::uint8_t empire) {
  TEmpire* e = Empire_Get(empire);
  if (!e || e->m_Get_Neutral()) return;
  TEmpire_Statistics current;
  Empire_Compute_Statistics(empire, current);
  TEmpire_Statistics lowest = e->m_Get_Lowest_Statistics(), highest = e->m_Get_Highest_Statistics();
  if (lowest.values[0] == -1 || highest.values[0] == -1) {
    lowest = highest = current;
  } else {
    for (std::size_t i = 0; i < current.values.size(); ++i) {
      highest.values[i] = std::max(highest.values[i], current.values[i]);
      lowest.values[i] = std::min(lowest.values[i], current.values[i]);
    }
  }
  e->m_Set_Statistics(lowest, highest);
}

void Empire_Update_All_Statistics() {
  if (!G_Empire_List) return;
  for (std::int32_t n = 1; n <= G_Empire_List->m_Get_Count(); ++n) Empire_Update_Statistics(std::uint8_t(n));
}

void Empire_Get_Statistics(std::uint8_t empire, TEmpire_Statistics& current, TEmpire_Statistics& lowest,
                           TEmpire_Statistics& highest) {
  Empire_Compute_Statistics(empire, current);
  const TEmpire* e = Empire_Get(empire);
  lowest = e ? e->m_Get_Lowest_Statistics() : Unset_Statistics();
  highest = e ? e->m_Get_Highest_Statistics() : Unset_Statistics();
}

void Empire_Get_Summary_Table(TEmpire_Summary_Table& table) {
  if (!G_Empire_List) return;
  table.count = 0;
  for (std::int32_t n = 1; n <= G_Empire_List->m_Get_Count(); ++n) {
    const TEmpire* e = G_Empire_List->m_Get_Empire(n);
    if (e->m_Get_Neutral()) continue;
    ++table.count;
    TEmpire_Summary_Row& row = table.rows[std::size_t(n - 1)];
    row = TEmpire_Summary_Row{};
    row.treasury = e->m_Get_Treasury();
    for (std::int32_t a = 1; a <= e->m_Get_Tech_Level_Count(); ++a)
      row.tech_levels = Checked_Add(row.tech_levels, e->m_Get_Tech_Level(a));
    if (!G_Map) continue;
    for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i) {
      const TMap_Region* r = G_Map->m_Get_Region(i);
      if (!r || r->m_Get_Owner() != n) continue;
      ++row.regions;
      row.region_value = Checked_Add(row.region_value, r->m_Get_Value());
    }
  }
  if (!G_Map) return;
  for (std::int32_t id = 1; id <= G_Map->m_Get_Unit_Count(); ++id) {
    const TMap_Unit_Record& u = G_Map->m_Unit_Ref(id);
    if (u.id <= 0 || u.owner == 0) continue;
    if (u.owner > Max_Empires) throw ERangeError();
    TEmpire_Summary_Row& row = table.rows[std::size_t(u.owner - 1)];
    ++row.units;
    if (const TUnit_Type* t = World_Unit_Type(u.unit_type)) row.unit_value = Checked_Add(row.unit_value, t->f_cost);
  }
}
