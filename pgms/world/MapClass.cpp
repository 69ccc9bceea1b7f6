#include "MapClass.h"

#include <algorithm>

#include "Empire.h"
#include "Errors.h"
#include "GameSettings.h"
#include "World_Links.h"
#include "World_Unit_Facts.h"

TMap* G_Map = nullptr;

namespace {
// A sorted list of ids kept as a set: each id once, in rising order.
void Sorted_Insert(std::vector<std::int32_t>& ids, std::int32_t id) {
  if (ids.empty() || ids.back() < id) {
    ids.push_back(id);
    return;
  }
  const auto at = std::lower_bound(ids.begin(), ids.end(), id);
  if (*at != id) ids.insert(at, id);
}

void Sorted_Erase(std::vector<std::int32_t>& ids, std::int32_t id) {
  const auto at = std::lower_bound(ids.begin(), ids.end(), id);
  if (at != ids.end() && *at == id) ids.erase(at);
}
}  // namespace

TMap::TMap() { f_units.resize(1); }

TMap::~TMap() = default;

void TMap::m_Clear() {
  Map_Shape_Changed();
  f_view_memos.clear();
  f_regions.clear();
  f_region_count = 0;
  f_pixel_width = f_pixel_height = f_section_width = f_section_height = 0;
  f_unit_count = f_unit_capacity = 0;
  f_units.assign(1, TMap_Unit_Record{});
  f_free_units.clear();
  for (auto& s : f_owner_units) s.clear();
  for (auto& c : f_owner_type_counts) c.clear();
  f_cargo_lists.clear();
  f_free_cargo_lists.clear();
  f_cargo_transport.clear();
  f_cargo_home.clear();
  f_combat_regions.clear();
  f_region_textures.clear();
  f_unit_type_textures.clear();
  f_section_count = 0;
  f_section_textures.clear();
  f_section_loaded.clear();
  f_selection_box_texture = 0;
  f_new_sections.clear();
  f_new_masks.clear();
  f_search_marks.clear();
  f_search_flags.clear();
}

bool TMap::m_Assign(const TMap& other) {
  if (&other == this) return true;
  m_Clear();
  f_version = other.f_version;
  m_Set_Region_Count(other.f_region_count);
  for (std::int32_t i = 1; i <= other.f_region_count; ++i)
    if (const TMap_Region* r = other.m_Get_Region(i)) m_New_Region(i).m_Assign(*r);
  f_pixel_width = other.f_pixel_width;
  f_pixel_height = other.f_pixel_height;
  f_section_width = other.f_section_width;
  f_section_height = other.f_section_height;
  f_unit_count = other.f_unit_count;
  f_unit_capacity = other.f_unit_count;
  f_units.assign(other.f_units.begin(), other.f_units.begin() + std::ptrdiff_t(other.f_unit_count) + 1);
  f_cargo_lists = other.f_cargo_lists;
  f_combat_regions = other.f_combat_regions;
  m_Rebuild_Unit_Indexes();
  return true;
}

bool TMap::m_Reset_Game_State() {
  for (std::int32_t i = 1; i <= f_region_count; ++i)
    if (TMap_Region* r = m_Get_Region(i)) r->m_Reset();
  f_unit_count = f_unit_capacity = 0;
  f_units.assign(1, TMap_Unit_Record{});
  f_cargo_lists.clear();
  f_combat_regions.clear();
  m_Rebuild_Unit_Indexes();
  return true;
}

void TMap::m_Set_Pixel_Size(std::int32_t width, std::int32_t height) {
  f_pixel_width = width;
  f_pixel_height = height;
}

void TMap::m_Set_Section_Size(std::int32_t width, std::int32_t height) {
  f_section_width = width;
  f_section_height = height;
}

// ---------------------------------------------------------------------------
// Regions

void TMap::m_Set_Region_Count(std::int32_t n) {
  if (n < 0) throw ERangeError();
  Map_Shape_Changed();
  f_regions.resize(std::size_t(n) + 1);
  f_region_count = n;
}

TMap_Region& TMap::m_New_Region(std::int32_t id) {
  if (id < 1 || id > f_region_count) throw ERangeError();
  Map_Shape_Changed();
  f_regions[std::size_t(id)] = std::make_unique<TMap_Region>(*this);
  f_regions[std::size_t(id)]->f_id = id;
  return *f_regions[std::size_t(id)];
}

std::string TMap::m_Get_Region_Name(std::int64_t i) const {
  const TMap_Region* r = m_Get_Region(i);
  return r ? r->m_Get_Name() : std::string();
}

std::int32_t TMap::m_Get_Region_At(std::int32_t x, std::int32_t y) const {
  for (std::int32_t i = f_region_count; i >= 1; --i)
    if (const TMap_Region* r = m_Get_Region(i))
      if (r->m_Point_In_Click_Zones(x, y)) return i;
  return 0;
}

bool TMap::m_Get_Unit_At_Point(float x, float y, std::int32_t& unit_id) const {
  for (std::int32_t i = 1; i <= f_region_count; ++i) {
    const TMap_Region* r = m_Get_Region(i);
    if (!r || !r->m_Get_Visible()) continue;
    std::int32_t left, top, right, bottom;
    r->m_Get_Bounds(left, top, right, bottom);
    if (!(double(left) <= x && x <= double(right) && double(f_pixel_height) - bottom <= y &&
          y <= double(f_pixel_height) - top))
      continue;
    bool in_square = false;
    bool found = r->m_Get_Stack_Unit_At(f_pixel_height, unit_id, in_square, x, y);
    if (in_square) return found;
  }
  return false;
}

bool TMap::m_Owns_Region_Or_Neighbour(std::int32_t region, std::uint8_t player) const {
  const TMap_Region* r = m_Get_Region(region);
  if (!r) return false;
  if (r->m_Get_Owner() == player) return true;
  for (std::int32_t c : r->f_connections)
    if (const TMap_Region* n = m_Get_Region(c))
      if (n->m_Get_Owner() == player) return true;
  return false;
}

std::int32_t TMap::m_Get_Region_Texture(std::int64_t i) const {
  if (i < 1 || i > std::int64_t(f_region_textures.size())) return 0;
  return f_region_textures[std::size_t(i - 1)];
}

std::int32_t TMap::m_Get_Unit_Type_Texture(std::int64_t t) const {
  if (t < 1 || t > std::int64_t(f_unit_type_textures.size())) return 0;
  return f_unit_type_textures[std::size_t(t - 1)][0];
}

std::int32_t TMap::m_Get_Unit_Type_Icon(std::int64_t t) const {
  if (t < 1 || t > std::int64_t(f_unit_type_textures.size())) return 0;
  return f_unit_type_textures[std::size_t(t - 1)][1];
}

// ---------------------------------------------------------------------------
// Unit table and its indexes

void TMap::m_Rebuild_Unit_Indexes() {
  f_free_units.clear();
  for (auto& s : f_owner_units) s.clear();
  for (auto& c : f_owner_type_counts) c.clear();
  // Ids come in rising order: each goes in at the end of its list, which
  // keeps the rebuild linear in the units.
  for (std::int32_t id = 1; id <= f_unit_count; ++id) {
    if (f_units[std::size_t(id)].id == 0)
      f_free_units.push_back(id);
    else
      m_Index_Record(id);
  }
  f_free_cargo_lists.clear();
  f_cargo_transport.assign(f_cargo_lists.size(), 0);
  f_cargo_home.assign(std::size_t(f_unit_count) + 1, 0);
  for (std::size_t k = 0; k < f_cargo_lists.size(); ++k) {
    const TMap_Cargo_List& l = f_cargo_lists[k];
    if (l.count == 0) f_free_cargo_lists.insert(f_free_cargo_lists.end(), std::int32_t(k + 1));
    for (std::int32_t i = 1; i <= l.count; ++i)
      if (m_Valid_Unit_Id(l.ids[std::size_t(i)])) f_cargo_home[std::size_t(l.ids[std::size_t(i)])] = std::int32_t(k + 1);
  }
  for (std::int32_t id = 1; id <= f_unit_count; ++id) {
    std::uint16_t list = f_units[std::size_t(id)].cargo_list;
    if (list >= 1 && list <= f_cargo_lists.size() && f_units[std::size_t(id)].id != 0)
      f_cargo_transport[list - 1] = id;
  }
}

void TMap::m_Set_Record_Cargo_List(std::int32_t id, std::uint16_t list) {
  TMap_Unit_Record& u = m_Unit(id);
  if (u.cargo_list >= 1 && u.cargo_list <= f_cargo_lists.size() && f_cargo_transport[u.cargo_list - 1] == id)
    f_cargo_transport[u.cargo_list - 1] = 0;
  u.cargo_list = list;
  if (list >= 1 && list <= f_cargo_lists.size()) f_cargo_transport[list - 1] = id;
}

void TMap::m_Index_Record(std::int32_t id) {
  const TMap_Unit_Record& u = m_Unit(id);
  // New records mostly have the highest id: tried at the end first.
  Sorted_Insert(f_owner_units[u.owner], id);
  std::vector<std::int32_t>& counts = f_owner_type_counts[u.owner];
  if (counts.size() <= u.unit_type) counts.resize(std::size_t(u.unit_type) + 1, 0);
  ++counts[u.unit_type];
}

void TMap::m_Unindex_Record(std::int32_t id) {
  const TMap_Unit_Record& u = m_Unit(id);
  Sorted_Erase(f_owner_units[u.owner], id);
  --f_owner_type_counts[u.owner][u.unit_type];
}

void TMap::m_Set_Record_Owner(std::int32_t id, std::uint8_t owner) {
  TMap_Unit_Record& u = m_Unit(id);
  if (u.id != 0) m_Unindex_Record(id);
  u.owner = owner;
  if (u.id != 0) m_Index_Record(id);
}

void TMap::m_Free_Slot(std::int32_t id) {
  TMap_Unit_Record& u = m_Unit(id);
  if (u.id != 0) m_Unindex_Record(id);
  if (u.cargo_list != 0) m_Set_Record_Cargo_List(id, 0);
  u = TMap_Unit_Record{};
  Sorted_Insert(f_free_units, id);
}

void TMap::m_Update_Upkeep_Of(std::uint8_t owner) {
  if (owner == 0) return;
  if (TEmpire* e = Empire_Get(owner)) e->m_Update_Upkeep();
}

std::int32_t TMap::m_Add_Unit(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner, std::uint8_t moves,
                              std::uint16_t cargo_list) {
  std::int32_t id;
  if (!f_free_units.empty()) {
    id = f_free_units.back();
    f_free_units.pop_back();
  } else {
    id = Checked_Add(f_unit_count, 1);
    if (id > f_unit_capacity) {
      f_unit_capacity = Checked_Add(id, 100);
      f_units.resize(std::size_t(f_unit_capacity) + 1);
    }
    f_unit_count = id;
    f_cargo_home.resize(std::size_t(f_unit_count) + 1, 0);
  }
  TMap_Unit_Record& u = m_Unit(id);
  u = TMap_Unit_Record{};
  u.id = id;
  u.region = region;
  u.unit_type = unit_type;
  u.owner = owner;
  u.moves = moves;
  m_Index_Record(id);
  m_Set_Record_Cargo_List(id, cargo_list);
  if (owner != 0)
    if (TEmpire* e = Empire_Get(owner)) {
      e->m_Count_Unit_Bought(unit_type, 1);
      e->m_Update_Upkeep();
    }
  return id;
}

bool TMap::m_Delete_Unit(std::int64_t id) {
  if (!m_Valid_Unit_Id(id)) return false;
  const std::int32_t uid = std::int32_t(id);
  const TMap_Unit_Record u = m_Unit(id);
  if (u.owner != 0)
    if (TEmpire* e = Empire_Get(u.owner)) e->m_Count_Unit_Destroyed(u.unit_type, 1);

  // The units it carries go with it, in list order.
  if (u.cargo_list >= 1 && u.cargo_list <= f_cargo_lists.size()) {
    const TMap_Cargo_List carried = f_cargo_lists[u.cargo_list - 1];
    m_Free_Cargo_List(u.cargo_list);
    m_Set_Record_Cargo_List(uid, 0);
    for (std::int32_t i = 1; i <= carried.count; ++i) m_Delete_Unit(carried.ids[std::size_t(i)]);
  }
  // A carried unit leaves its transport's list, so that the transport does
  // not stay full and a reused slot never shows up as cargo.
  if (std::int32_t home = f_cargo_home[std::size_t(uid)]; home != 0) {
    bool empty = false;
    m_Remove_From_Cargo_List(home, uid, empty);
    if (empty) {
      std::int32_t transport = f_cargo_transport[std::size_t(home - 1)];
      if (transport != 0) m_Set_Record_Cargo_List(transport, 0);
    }
  }
  if (TMap_Region* r = m_Get_Region(u.region)) r->m_Remove_Unit(uid);
  m_Free_Slot(uid);
  m_Update_Upkeep_Of(u.owner);
  return true;
}

void TMap::m_Set_Unit_Moves(std::int64_t id, std::uint8_t moves) {
  if (m_Valid_Unit_Id(id)) m_Unit(id).moves = moves;
}

void TMap::m_Dec_Unit_Moves(std::int64_t id) {
  if (m_Valid_Unit_Id(id) && m_Unit(id).moves > 0) --m_Unit(id).moves;
}

void TMap::m_Set_Unit_Damage(std::int64_t id, std::int32_t damage) {
  if (m_Valid_Unit_Id(id)) m_Unit(id).damage = damage;
}

std::int32_t TMap::m_Get_Unit_Damage(std::int64_t id) const {
  return m_Valid_Unit_Id(id) ? f_units[std::size_t(id)].damage : 0;
}

void TMap::m_Set_Unit_Region(std::int64_t id, std::int32_t region) {
  if (m_Valid_Unit_Id(id)) m_Unit(id).region = region;
}

void TMap::m_Set_Unit_Owner(std::int64_t id, std::uint8_t owner) {
  if (!m_Valid_Unit_Id(id)) return;
  std::uint8_t old_owner = m_Unit(id).owner;
  m_Set_Record_Owner(std::int32_t(id), owner);
  m_Update_Upkeep_Of(old_owner);
  if (owner != old_owner) m_Update_Upkeep_Of(owner);
}

void TMap::m_Reset_Player_Moves(std::uint8_t player) {
  for (std::int32_t id : f_owner_units[player]) {
    TMap_Unit_Record& u = m_Unit(id);
    const TUnit_Type* t = World_Unit_Type(u.unit_type);
    if (!t) continue;
    u.moves = Checked_Cast<std::uint8_t>(t->f_movement_amount);
    u.damage = 0;
  }
}

void TMap::m_Get_Player_Units(std::uint8_t player, bool only_with_moves, std::vector<std::int32_t>& regions,
                              std::vector<std::uint16_t>& unit_types) const {
  regions.clear();
  unit_types.clear();
  for (std::int32_t id : f_owner_units[player]) {
    const TMap_Unit_Record& u = f_units[std::size_t(id)];
    if (u.region <= 0 || (only_with_moves && u.moves == 0)) continue;
    if (regions.size() == regions.capacity()) {
      regions.reserve(regions.size() + 100);
      unit_types.reserve(unit_types.size() + 100);
    }
    regions.push_back(u.region);
    unit_types.push_back(u.unit_type);
  }
}

void TMap::m_Set_Unit_Table_Size(std::int32_t n) {
  if (n < 0) throw ERangeError();
  f_unit_count = f_unit_capacity = n;
  f_units.assign(std::size_t(n) + 1, TMap_Unit_Record{});
  m_Rebuild_Unit_Indexes();
}

void TMap::m_Put_Unit(std::int32_t id, const TMap_Unit_Record& record) {
  if (!m_Valid_Unit_Id(id)) throw ERangeError();
  // Whole records arrive one by one from a file; the indexes follow each.
  TMap_Unit_Record& u = m_Unit(id);
  if (u.id != 0) m_Unindex_Record(id);
  if (u.cargo_list != 0) m_Set_Record_Cargo_List(id, 0);
  Sorted_Erase(f_free_units, id);
  u = record;
  u.cargo_list = 0;
  if (u.id == 0)
    Sorted_Insert(f_free_units, id);
  else
    m_Index_Record(id);
  m_Set_Record_Cargo_List(id, record.cargo_list);
}

// ---------------------------------------------------------------------------
// Per-player summaries

std::int32_t TMap::m_Count_Player_Units(std::uint8_t player) const {
  std::int32_t n = 0;
  for (std::int32_t id : f_owner_units[player])
    if (f_units[std::size_t(id)].region > 0) ++n;
  return n;
}

bool TMap::m_Player_Present(std::uint8_t player) const {
  for (std::int32_t i = 1; i <= f_region_count; ++i)
    if (const TMap_Region* r = m_Get_Region(i))
      if (r->m_Get_Owner() == player) return true;
  return m_Count_Player_Units(player) > 0;
}

bool TMap::m_Any_Unit_With_Moves(std::uint8_t player) const {
  for (std::int32_t id : f_owner_units[player]) {
    const TMap_Unit_Record& u = f_units[std::size_t(id)];
    if (u.region > 0 && u.moves > 0) return true;
  }
  return false;
}

double TMap::m_Sum_Unit_Type_Value(std::uint8_t player) const {
  // Summed by unit type from the owner's counts, so that upkeep, which is
  // recomputed whenever a unit comes, goes or changes sides, never walks the
  // owner's units.
  double sum = 0;
  const std::vector<std::int32_t>& counts = f_owner_type_counts[player];
  for (std::size_t type = 1; type < counts.size(); ++type)
    if (counts[type] > 0)
      if (const TUnit_Type* t = World_Unit_Type(std::int64_t(type))) sum += double(counts[type]) * t->f_supply_cost;
  return sum;
}

bool TMap::m_Has_Air_Units_Over_Foreign_Regions(std::uint8_t player) const {
  for (std::int32_t id : f_owner_units[player]) {
    const TMap_Unit_Record& u = f_units[std::size_t(id)];
    if (u.moves == 0) continue;
    const TMap_Region* r = m_Get_Region(u.region);
    if (!r || r->m_Get_Owner() == player) continue;
    const TUnit_Type* t = World_Unit_Type(u.unit_type);
    if (t && t->f_movement_type == UNIT_MOVEMENT_AIR) return true;
  }
  return false;
}

void TMap::m_Find_Next_Air_Unit_Over_Foreign_Region(std::uint8_t player, std::int32_t after_id,
                                                    TMap_Unit_Record& record) const {
  record = TMap_Unit_Record{};
  const std::vector<std::int32_t>& ids = f_owner_units[player];
  for (auto it = std::upper_bound(ids.begin(), ids.end(), after_id); it != ids.end(); ++it) {
    const TMap_Unit_Record& u = f_units[std::size_t(*it)];
    const TMap_Region* r = m_Get_Region(u.region);
    if (!r || r->m_Get_Owner() == player) continue;
    const TUnit_Type* t = World_Unit_Type(u.unit_type);
    if (t && t->f_movement_type == UNIT_MOVEMENT_AIR) {
      record = u;
      return;
    }
  }
}

std::int32_t TMap::m_Count_Combat_Regions_Of(std::uint8_t player) const {
  std::int32_t n = 0;
  for (std::int32_t id : f_combat_regions) {
    const TMap_Region* r = m_Get_Region(id);
    if (!r) continue;
    std::uint8_t first, second;
    r->m_Get_Unit_Owners(first, second);
    if (first == player || second == player) ++n;
  }
  return n;
}

std::int32_t TMap::m_Count_Family_Units_In_Range(std::uint8_t player, std::int32_t region, std::uint16_t family_id,
                                                 std::int32_t steps) {
  std::vector<std::int32_t> regions;
  m_Get_Regions_In_Range(region, steps, regions, 0);
  std::int32_t n = 0;
  for (std::int32_t id : regions)
    if (const TMap_Region* r = m_Get_Region(id)) n += r->m_Count_Units_Of_Family(player, family_id);
  return n;
}

void TMap::m_Mark_Known_Regions(std::uint8_t player) {
  TEmpire* e = Empire_Get(player);
  if (!e) return;
  for (std::int32_t i = 1; i <= f_region_count; ++i)
    if (const TMap_Region* r = m_Get_Region(i))
      if (r->m_Get_Owner() == player) e->m_Set_Region_Known(i, true);
  // The walk from a region lists level by level, so the regions a shorter
  // sight range sees are among those of a longer one: one walk per region,
  // with the longest sight range standing there, sees them all.
  const std::size_t n = std::size_t(f_region_count) + 1;
  std::vector<std::int32_t> sight(n, 0);
  for (std::int32_t id : f_owner_units[player]) {
    const TMap_Unit_Record& u = f_units[std::size_t(id)];
    if (u.region <= 0) continue;
    const TUnit_Type* t = World_Unit_Type(u.unit_type);
    if (!t) continue;
    e->m_Set_Region_Known(u.region, true);
    if (u.region <= f_region_count) sight[std::size_t(u.region)] = std::max(sight[std::size_t(u.region)], t->f_sight_range);
  }
  // The walks of the last marking are kept as a count per region of the
  // walks that reach it: only where the sight range standing in a region
  // changed since (a move changes two) is that region's walk taken back
  // and the new one added. The same regions come out as from a walk from
  // every region.
  if (f_view_memos.size() <= player) f_view_memos.resize(std::size_t(player) + 1);
  TView_Memo& memo = f_view_memos[player];
  if (memo.shape != Map_Shape_Version() || memo.sight.size() != n) {
    memo.shape = Map_Shape_Version();
    memo.sight.assign(n, 0);
    memo.cover.assign(n, 0);
  }
  std::vector<std::int32_t> seen;
  for (std::int32_t region = 1; region <= f_region_count; ++region) {
    std::int32_t& before = memo.sight[std::size_t(region)];
    const std::int32_t now = sight[std::size_t(region)];
    if (before == now) continue;
    if (before > 0) {
      m_Get_Regions_In_Range(region, before, seen, 0);
      for (std::int32_t r : seen) --memo.cover[std::size_t(r)];
    }
    if (now > 0) {
      m_Get_Regions_In_Range(region, now, seen, 0);
      for (std::int32_t r : seen) ++memo.cover[std::size_t(r)];
    }
    before = now;
  }
  for (std::int32_t r = 1; r <= f_region_count; ++r)
    if (memo.cover[std::size_t(r)] > 0) e->m_Set_Region_Known(r, true);
}

void TMap::m_Update_Known_After_Landing(std::int32_t unit, std::int32_t region, std::uint8_t lost_owner) {
  if (!Game_Settings.f_fog_of_war) return;
  TEmpire* e = Empire_Get(Game_Settings.f_turn_empire);
  if (!e) return;
  // Losing a region can hide regions only its ownership showed: only then
  // is everything the empire knows worked out again.
  if (lost_owner == Game_Settings.f_turn_empire || e->m_Get_Known_Region_Count() != f_region_count) {
    e->m_Update_Known_Regions();
    return;
  }
  // Otherwise the landed unit only adds what it sees from where it stands.
  const TMap_Unit_Record& u = f_units[std::size_t(unit)];
  if (u.owner != Game_Settings.f_turn_empire) return;
  e->m_Set_Region_Known(region, true);
  const TUnit_Type* t = World_Unit_Type(u.unit_type);
  if (!t || t->f_sight_range <= 0) return;
  std::vector<std::int32_t> seen;
  m_Get_Regions_In_Range(region, t->f_sight_range, seen, 0);
  for (std::int32_t r : seen) e->m_Set_Region_Known(r, true);
}

// ---------------------------------------------------------------------------
// Cargo lists

std::int32_t TMap::m_Add_To_Cargo_List(std::int64_t list, std::int32_t id) {
  if (list >= 1 && list <= std::int64_t(f_cargo_lists.size())) {
    TMap_Cargo_List& l = f_cargo_lists[std::size_t(list - 1)];
    if (l.count >= Max_Cargo_Units) return 0;
    if (l.count == 0) f_free_cargo_lists.erase(std::int32_t(list));
    l.ids[++l.count] = id;
    if (m_Valid_Unit_Id(id)) f_cargo_home[std::size_t(id)] = std::int32_t(list);
    return std::int32_t(list);
  }
  std::int32_t index;
  if (!f_free_cargo_lists.empty()) {
    index = *f_free_cargo_lists.begin();
    f_free_cargo_lists.erase(f_free_cargo_lists.begin());
  } else {
    // A transport names its list in 16 bits.
    if (f_cargo_lists.size() >= 65535) throw EIntOverflow();
    if (f_cargo_lists.size() == f_cargo_lists.capacity()) f_cargo_lists.reserve(f_cargo_lists.size() + 50);
    f_cargo_lists.emplace_back();
    f_cargo_transport.push_back(0);
    index = std::int32_t(f_cargo_lists.size());
  }
  TMap_Cargo_List& l = f_cargo_lists[std::size_t(index - 1)];
  l.count = 1;
  l.ids[1] = id;
  if (m_Valid_Unit_Id(id)) f_cargo_home[std::size_t(id)] = index;
  return index;
}

bool TMap::m_Remove_From_Cargo_List(std::int64_t list, std::int32_t id, bool& empty) {
  if (list < 1 || list > std::int64_t(f_cargo_lists.size())) {
    empty = true;
    return false;
  }
  TMap_Cargo_List& l = f_cargo_lists[std::size_t(list - 1)];
  bool found = false;
  for (std::int32_t i = 1; i <= l.count; ++i)
    if (l.ids[std::size_t(i)] == id) {
      for (std::int32_t j = i; j < l.count; ++j) l.ids[std::size_t(j)] = l.ids[std::size_t(j + 1)];
      l.ids[l.count] = 0;
      --l.count;
      found = true;
      if (m_Valid_Unit_Id(id) && f_cargo_home[std::size_t(id)] == list) f_cargo_home[std::size_t(id)] = 0;
      if (l.count == 0) f_free_cargo_lists.insert(std::int32_t(list));
      break;
    }
  empty = l.count == 0;
  return found;
}

bool TMap::m_Free_Cargo_List(std::int64_t list) {
  if (list < 1 || list > std::int64_t(f_cargo_lists.size())) return false;
  TMap_Cargo_List& l = f_cargo_lists[std::size_t(list - 1)];
  for (std::int32_t i = 1; i <= l.count; ++i) {
    std::int32_t id = l.ids[std::size_t(i)];
    if (m_Valid_Unit_Id(id) && f_cargo_home[std::size_t(id)] == list) f_cargo_home[std::size_t(id)] = 0;
    l.ids[std::size_t(i)] = 0;
  }
  l.count = 0;
  f_free_cargo_lists.insert(std::int32_t(list));
  return true;
}

std::int32_t TMap::m_Get_Cargo_Count(std::int64_t list) const {
  if (list < 1 || list > std::int64_t(f_cargo_lists.size())) return 0;
  return f_cargo_lists[std::size_t(list - 1)].count;
}

std::int32_t TMap::m_Get_Cargo_Unit(std::int64_t list, std::int64_t i) const {
  if (list < 1 || list > std::int64_t(f_cargo_lists.size())) return 0;
  const TMap_Cargo_List& l = f_cargo_lists[std::size_t(list - 1)];
  if (i < 1 || i > l.count) return 0;
  return l.ids[std::size_t(i)];
}

std::int32_t TMap::m_Get_Carrier(std::int64_t unit) const {
  if (!m_Valid_Unit_Id(unit)) return 0;
  std::int32_t home = f_cargo_home[std::size_t(unit)];
  return home == 0 ? 0 : f_cargo_transport[std::size_t(home - 1)];
}

void TMap::m_Set_Cargo_List_Count(std::int32_t n) {
  if (n < 0 || n > 65535) throw ERangeError();
  f_cargo_lists.assign(std::size_t(n), TMap_Cargo_List{});
  m_Rebuild_Unit_Indexes();
}

void TMap::m_Put_Cargo_List(std::int32_t list, const std::vector<std::int32_t>& ids) {
  if (list < 1 || list > std::int32_t(f_cargo_lists.size()) || ids.size() > std::size_t(Max_Cargo_Units))
    throw ERangeError();
  m_Free_Cargo_List(list);
  for (std::int32_t id : ids) m_Add_To_Cargo_List(list, id);
}

std::int32_t TMap::m_Get_Unit_Cargo_Size(std::int64_t unit, std::int64_t transport) const {
  if (!m_Valid_Unit_Id(unit) || !m_Valid_Unit_Id(transport)) return Cargo_Size_Never_Fits;
  const TMap_Unit_Record& u = f_units[std::size_t(unit)];
  const TMap_Unit_Record& tr = f_units[std::size_t(transport)];
  if (u.cargo_list != 0) return Cargo_Size_Never_Fits;
  const TUnit_Type* ut = World_Unit_Type(u.unit_type);
  const TUnit_Type* tt = World_Unit_Type(tr.unit_type);
  if (!ut || !tt) return Cargo_Size_Never_Fits;
  std::int32_t space = tt->m_Get_Transport_Space(ut->f_unit_family);
  return space != 0 ? space : Cargo_Size_Never_Fits;
}

std::int32_t TMap::m_Get_Cargo_Load(std::int64_t transport) const {
  if (!m_Valid_Unit_Id(transport)) return 0;
  std::uint16_t list = f_units[std::size_t(transport)].cargo_list;
  if (list < 1 || list > f_cargo_lists.size()) return 0;
  const TMap_Cargo_List& l = f_cargo_lists[list - 1];
  std::int32_t load = 0;
  for (std::int32_t i = 1; i <= l.count; ++i)
    if (m_Valid_Unit_Id(l.ids[std::size_t(i)]))
      load = Checked_Add(load, m_Get_Unit_Cargo_Size(l.ids[std::size_t(i)], transport));
  return load;
}

bool TMap::m_Add_Unit_To_Cargo(std::int64_t transport, std::int64_t unit, bool check_only, bool take_from_region) {
  // A unit never carries itself.
  if (!m_Valid_Unit_Id(transport) || !m_Valid_Unit_Id(unit) || transport == unit) return false;
  const TMap_Unit_Record& tr = f_units[std::size_t(transport)];
  const TMap_Unit_Record& u = f_units[std::size_t(unit)];
  if (tr.region < 1 || tr.region > f_region_count) return false;
  if (take_from_region && (u.region < 1 || u.region > f_region_count)) return false;
  // A unit in a cargo list is never listed in a second one.
  if (f_cargo_home[std::size_t(unit)] != 0) return false;
  const TUnit_Type* ut = World_Unit_Type(u.unit_type);
  const TUnit_Type* tt = World_Unit_Type(tr.unit_type);
  if (!ut || !tt) return false;
  std::int64_t load = std::int64_t(m_Get_Cargo_Load(transport)) + m_Get_Unit_Cargo_Size(unit, transport);
  if (load > tt->f_transporting_capacity) return false;
  // A full list would lose the transport's whole cargo.
  if (m_Get_Cargo_Count(tr.cargo_list) >= Max_Cargo_Units) return false;
  if (check_only) return true;

  const std::int32_t uid = std::int32_t(unit), tid = std::int32_t(transport);
  if (take_from_region) {
    TMap_Region* r = m_Get_Region(u.region);
    if (!r || !r->m_Remove_Unit(uid)) return false;
  }
  m_Unit(uid).region = 0;
  std::int32_t list = m_Add_To_Cargo_List(m_Unit(tid).cargo_list, uid);
  m_Set_Record_Cargo_List(tid, Checked_Cast<std::uint16_t>(list));
  m_Unit(tid).moves = 0;
  return true;
}

bool TMap::m_Remove_Unit_From_Cargo(std::int64_t transport, std::int64_t unit, bool check_only, bool clear_moves,
                                    std::int32_t target_region, bool place) {
  if (!m_Valid_Unit_Id(transport) || !m_Valid_Unit_Id(unit)) return false;
  const std::int32_t uid = std::int32_t(unit), tid = std::int32_t(transport);
  const TMap_Unit_Record tr = m_Unit(tid);
  if (tr.region < 1 || tr.region > f_region_count || tr.cargo_list == 0) return false;
  if (m_Unit(uid).region != 0) return false;
  const std::int32_t target_id = target_region > 0 ? target_region : tr.region;
  TMap_Region* target = m_Get_Region(target_id);
  const TUnit_Type* ut = World_Unit_Type(m_Unit(uid).unit_type);
  if (!target || !ut) return false;
  if (place && !ut->m_Can_Move_In_Region_Kind(target->m_Get_Type())) return false;
  if (check_only) return true;

  bool empty = false;
  bool result = m_Remove_From_Cargo_List(tr.cargo_list, uid, empty);
  if (!result) return false;
  if (place) {
    // The unit stands in the target from now on, listed there whether or
    // not its stack finds a square (it gets one when a square comes free).
    m_Unit(uid).region = target_id;
    target->m_Admit_Unit(uid);
    std::uint8_t lost_owner = 0;  // the owner the target was taken from
    if (ut->f_movement_type == UNIT_MOVEMENT_LAND) {
      const std::uint8_t new_owner = tr.owner;
      if (target->m_Has_Opposing_Combat_Units()) {
        m_Add_Combat_Region(target_id);
      } else if (target->m_Get_Owner() != new_owner && !target->m_Has_Foreign_Combat_Units(new_owner)) {
        // A unit that takes no part in combat cannot take a region that
        // enemy combat units hold.
        const std::uint8_t old_owner = target->m_Get_Owner();
        if (old_owner != 0)
          World_Event_Log_Link().m_Add_Region_Captured(Game_Settings.f_game_date, old_owner, new_owner, target_id);
        target->m_Set_Owner(new_owner);
        lost_owner = old_owner;
      }
      m_Update_Known_After_Landing(uid, target_id, lost_owner);
      if (World_Main_Screen_Link().m_Exists()) World_Main_Screen_Link().Map_Ownership_Changed();
    }
  }
  if (empty) m_Set_Record_Cargo_List(tid, 0);
  if (clear_moves) m_Unit(uid).moves = 0;
  return true;
}

// ---------------------------------------------------------------------------
// Combat regions

void TMap::m_Add_Combat_Region(std::int32_t region) {
  if (m_Is_Combat_Region(region)) return;
  for (auto it = f_combat_regions.rbegin(); it != f_combat_regions.rend(); ++it)
    if (*it == 0) {
      *it = region;
      return;
    }
  if (f_combat_regions.size() == f_combat_regions.capacity()) f_combat_regions.reserve(f_combat_regions.size() + 10);
  f_combat_regions.push_back(region);
}

void TMap::m_Remove_Combat_Region(std::int32_t region) {
  auto it = std::find(f_combat_regions.begin(), f_combat_regions.end(), region);
  if (it != f_combat_regions.end()) f_combat_regions.erase(it);
}

std::int32_t TMap::m_Get_Combat_Region(std::int64_t i) const {
  if (i < 1 || i > std::int64_t(f_combat_regions.size())) return 0;
  return f_combat_regions[std::size_t(i - 1)];
}

bool TMap::m_Is_Combat_Region(std::int32_t region) const {
  return std::find(f_combat_regions.begin(), f_combat_regions.end(), region) != f_combat_regions.end();
}

void TMap::m_Set_Combat_Regions(std::vector<std::int32_t> regions) { f_combat_regions = std::move(regions); }

// ---------------------------------------------------------------------------
// Queries over the connections

void TMap::m_Ensure_Search_Arrays() {
  const std::size_t n = std::size_t(f_region_count) + 1;
  if (f_search_marks.size() != n) {
    f_search_marks.assign(n, 0);
    f_search_flags.assign(n, 0);
  }
}

void TMap::m_Get_Regions_In_Range(std::int32_t from, std::int32_t steps, std::vector<std::int32_t>& regions,
                                  std::uint8_t region_kind) {
  regions.clear();
  if (from < 1 || from > f_region_count || steps <= 0) return;
  m_Ensure_Search_Arrays();
  std::fill(f_search_marks.begin(), f_search_marks.end(), 0);
  constexpr std::size_t limit = 500;
  f_search_marks[std::size_t(from)] = 1;
  regions.push_back(from);
  // Level by level; each level's regions are taken in id order (the
  // regions marked by the level before, sorted), their connections in
  // stored order.
  std::vector<std::int32_t> level{from}, next;
  for (std::int32_t j = 0; j < steps; ++j) {
    bool productive = false;
    next.clear();
    for (std::int32_t i : level) {
      const TMap_Region* r = m_Get_Region(i);
      if (!r) continue;
      for (std::int32_t c : r->f_connections) {
        const TMap_Region* n = m_Get_Region(c);
        if (!n || f_search_marks[std::size_t(c)] != 0) continue;
        if (region_kind != 0 && n->m_Get_Type() != region_kind) continue;
        f_search_marks[std::size_t(c)] = j + 2;
        next.push_back(c);
        if (regions.size() < limit) {
          regions.push_back(c);
          productive = true;
        }
      }
    }
    if (!productive) break;
    std::sort(next.begin(), next.end());
    level.swap(next);
  }
}
