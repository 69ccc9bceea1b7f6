#include "MapRegion.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Empire.h"
#include "Errors.h"
#include "MapClass.h"
#include "World_Unit_Facts.h"

namespace {
// A unit type's block of squares; a size of 0 counts as one square.
std::int32_t Block_Width(const TUnit_Type& t) { return std::max<std::int32_t>(1, t.f_square_size_width); }
std::int32_t Block_Height(const TUnit_Type& t) { return std::max<std::int32_t>(1, t.f_square_size_height); }

// The (unit type, owner) of every stack shown on a square, sorted.
std::vector<std::pair<std::uint16_t, std::uint8_t>> Shown_Stacks(const std::vector<TMap_Region_Square>& squares) {
  std::vector<std::pair<std::uint16_t, std::uint8_t>> shown;
  for (const TMap_Region_Square& s : squares)
    if (s.shown && s.state == SQUARE_STACK) shown.emplace_back(s.unit_type, s.owner);
  std::sort(shown.begin(), shown.end());
  shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
  return shown;
}

// Whether a square's corners lie within a range that no map leaves, so that
// sums and differences of its coordinates fit 32 bits.
bool Square_On_Map(const TMap_Region_Square& s) {
  constexpr std::int32_t limit = std::int32_t(1) << 29;
  for (std::int32_t v : {s.left, s.top, s.right, s.bottom})
    if (v < -limit || v > limit) return false;
  return true;
}

// The pixel height of a block of squares of the square's size, its width,
// and its y from the bottom of the map (pixel height - (top + height)).
void Block_Geometry(const TMap_Region_Square& s, std::int32_t w, std::int32_t h, std::int32_t pixel_height,
                    std::int32_t& height, std::int32_t& width, std::int32_t& y) {
  width = Checked_Mul(Checked_Sub(s.right, s.left), w);
  height = Checked_Mul(Checked_Sub(s.bottom, s.top), h);
  y = Checked_Sub(pixel_height, Checked_Add(s.top, height));
}

// Whether a point measured from the bottom of the map lies in the square.
bool Square_Holds(const TMap_Region_Square& s, std::int32_t pixel_height, float x, float y) {
  const double from_bottom_low = double(pixel_height) - s.bottom, from_bottom_high = double(pixel_height) - s.top;
  return double(s.left) <= x && x <= double(s.right) && from_bottom_low <= y && y <= from_bottom_high;
}
}  // namespace

TMap_Region::TMap_Region(TMap& map) : f_map(&map) {}

void TMap_Region::m_Clear() {
  TMap* map = f_map;
  std::int32_t id = f_id;
  *this = TMap_Region(*map);
  f_id = id;
}

void TMap_Region::m_Init(std::int32_t id, TColor color) {
  f_id = id;
  f_color = color;
}

void TMap_Region::m_Set_Bounds(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  f_bounds_left = left;
  f_bounds_top = top;
  f_bounds_right = right;
  f_bounds_bottom = bottom;
}

void TMap_Region::m_Get_Bounds(std::int32_t& left, std::int32_t& top, std::int32_t& right,
                               std::int32_t& bottom) const {
  left = f_bounds_left;
  top = f_bounds_top;
  right = f_bounds_right;
  bottom = f_bounds_bottom;
}

void TMap_Region::m_Assign(const TMap_Region& other) {
  Map_Shape_Changed();
  if (&other == this) return;
  TMap* map = f_map;
  *this = TMap_Region(*map);
  f_id = other.f_id;
  f_kind = other.f_kind;
  f_name = other.f_name;
  f_label_text = other.f_label_text;
  f_color = other.f_color;
  f_owner = other.f_owner;
  f_value = other.f_value;
  f_subdivisions = other.f_subdivisions;
  f_connections = other.f_connections;
  f_rects = other.f_rects;
  f_rebuilt = other.f_rebuilt;
  f_squares = other.f_squares;
  f_grid_columns = other.f_grid_columns;
  f_grid_rows = other.f_grid_rows;
  f_grid = other.f_grid;
  f_label = other.f_label;
  f_bounds_left = other.f_bounds_left;
  f_bounds_top = other.f_bounds_top;
  f_bounds_right = other.f_bounds_right;
  f_bounds_bottom = other.f_bounds_bottom;
  f_click_row_count = other.f_click_row_count;
  f_click_span_capacity = other.f_click_span_capacity;
  f_click_spans = other.f_click_spans;
  f_click_row_ends = other.f_click_row_ends;
  f_units = other.f_units;
  f_unplaced = other.f_unplaced;
}

void TMap_Region::m_Reset() {
  f_owner = 0;
  f_rebuilt = false;
  for (TMap_Region_Square& s : f_squares)
    if (s.state == SQUARE_FREE || s.state == SQUARE_STACK) {
      s.state = SQUARE_FREE;
      s.unit_type = 0;
      s.owner = 0;
      s.shown = false;
      s.stack_count = 0;
    }
  f_units.clear();
  f_unplaced = false;
}

// ---------------------------------------------------------------------------
// Owner

void TMap_Region::m_Set_Owner(std::uint8_t new_owner) {
  if (f_kind != REGION_LAND && new_owner != 0) return;
  std::uint8_t old_owner = f_owner;
  f_owner = new_owner;

  TEmpire* gainer = Empire_Get(new_owner);
  bool relayout = false;
  // Setting a unit's owner touches no region's unit list.
  for (std::int32_t id : f_units) {
    if (!f_map->m_Valid_Unit_Id(id)) continue;
    const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
    if (u.owner == new_owner) continue;
    // The stack of an ownerless unit keeps owner 0 below: it is laid out anew.
    if (u.owner == 0) relayout = true;
    if (gainer) gainer->m_Count_Unit_Captured(u.unit_type, 1);
    if (TEmpire* loser = Empire_Get(u.owner)) loser->m_Count_Unit_Lost(u.unit_type, 1);
    f_map->m_Set_Unit_Owner(id, new_owner);
  }

  for (TMap_Region_Square& s : f_squares)
    if (s.owner != 0) s.owner = new_owner;
  // Stacks of one unit type that belonged to different owners are now one
  // owner's: lay the stacks out again so that each type has one stack.
  for (std::size_t i = 0; i < f_squares.size() && !relayout; ++i) {
    if (!f_squares[i].shown) continue;
    for (std::size_t j = i + 1; j < f_squares.size(); ++j)
      if (f_squares[j].shown && f_squares[j].unit_type == f_squares[i].unit_type &&
          f_squares[j].owner == f_squares[i].owner) {
        relayout = true;
        break;
      }
  }
  if (relayout) m_Relayout_Stacks();

  if (TEmpire* e = Empire_Get(old_owner)) e->m_Update_Income();
  if (new_owner != old_owner)
    if (gainer) gainer->m_Update_Income();
}

// ---------------------------------------------------------------------------
// Connections

namespace {
std::uint64_t Shape_Version = 1;
}

std::uint64_t Map_Shape_Version() { return Shape_Version; }
void Map_Shape_Changed() { ++Shape_Version; }

void TMap_Region::m_Add_Connection(std::int32_t id) {
  if (m_Is_Connected_To(id)) return;
  Map_Shape_Changed();
  if (f_connections.size() == f_connections.capacity()) f_connections.reserve(f_connections.size() + 20);
  f_connections.push_back(id);
}


bool TMap_Region::m_Is_Connected_To(std::int32_t id) const {
  return std::find(f_connections.begin(), f_connections.end(), id) != f_connections.end();
}

// ---------------------------------------------------------------------------
// Units

bool TMap_Region::m_Add_Unit(std::int32_t id) {
  if (!m_Place_Unit_In_Square(id)) return false;
  m_Insert_Unit_Id(id);
  return true;
}

bool TMap_Region::m_Admit_Unit(std::int32_t id) {
  if (m_Has_Unit_Id(id)) {
    if (!f_map->m_Valid_Unit_Id(id)) return false;
    const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
    return m_Has_Shown_Stack(u.unit_type, u.owner);
  }
  // Placed before it is listed: a split of the squares lays out the listed
  // units again, and this one must not be counted twice.
  const bool placed = m_Place_Unit_In_Square(id);
  m_Insert_Unit_Id(id);
  if (!placed) {
    f_unplaced = true;
  } else if (f_unplaced) {
    // Units of its stack that had no square are counted on the new one.
    const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
    m_Recount_Stack(u.unit_type, u.owner);
  }
  return placed;
}

bool TMap_Region::m_Has_Shown_Stack(std::uint16_t unit_type, std::uint8_t owner) const {
  for (const TMap_Region_Square& s : f_squares)
    if (s.shown && s.state == SQUARE_STACK && s.unit_type == unit_type && s.owner == owner) return true;
  return false;
}

bool TMap_Region::m_Has_Unplaced_Units() const {
  const auto shown = Shown_Stacks(f_squares);
  for (std::int32_t id : f_units) {
    if (!f_map->m_Valid_Unit_Id(id)) continue;
    const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
    if (!std::binary_search(shown.begin(), shown.end(), std::make_pair(u.unit_type, u.owner))) return true;
  }
  return false;
}

std::vector<TMap_Region::TUnplaced_Stack> TMap_Region::m_Unplaced_Stacks() const {
  std::vector<TUnplaced_Stack> missing;
  if (!f_unplaced) return missing;
  const auto shown = Shown_Stacks(f_squares);
  for (std::int32_t id : f_units) {
    if (!f_map->m_Valid_Unit_Id(id)) continue;
    const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
    if (std::binary_search(shown.begin(), shown.end(), std::make_pair(u.unit_type, u.owner))) continue;
    auto it = std::find_if(missing.begin(), missing.end(), [&](const TUnplaced_Stack& m) {
      return m.unit_type == u.unit_type && m.owner == u.owner;
    });
    if (it != missing.end())
      it->count = Checked_Add(it->count, 1);
    else
      missing.push_back({u.unit_type, u.owner, 1});
  }
  return missing;
}

void TMap_Region::m_Place_Unplaced_Units() {
  // The stacks without a square, each with the number of its listed units,
  // in list order; each gets one block where there is room (the squares are
  // not split for them: the next unit that needs room splits them).
  const std::vector<TUnplaced_Stack> missing = m_Unplaced_Stacks();
  f_unplaced = false;
  for (const TUnplaced_Stack& m : missing) {
    const TUnit_Type* t = World_Unit_Type(m.unit_type);
    const std::int32_t first = t && !f_squares.empty() ? m_Find_Free_Block(Block_Width(*t), Block_Height(*t)) : 0;
    if (first > 0)
      m_Occupy_Block(first, Block_Width(*t), m.count, m.owner, m.unit_type, Block_Height(*t));
    else
      f_unplaced = true;
  }
}

void TMap_Region::m_Recount_Stack(std::uint16_t unit_type, std::uint8_t owner) {
  TMap_Region_Square* shown = nullptr;
  for (TMap_Region_Square& s : f_squares)
    if (s.shown && s.state == SQUARE_STACK && s.unit_type == unit_type && s.owner == owner) shown = &s;
  if (!shown) return;
  std::int32_t n = 0;
  for (std::int32_t id : f_units)
    if (f_map->m_Valid_Unit_Id(id)) {
      const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
      if (u.unit_type == unit_type && u.owner == owner) ++n;
    }
  shown->stack_count = n;
}

void TMap_Region::m_Insert_Unit_Id(std::int32_t id) {
  if (f_units.size() == f_units.capacity()) f_units.reserve(f_units.size() + 20);
  if (f_map->m_Valid_Unit_Id(id)) {
    const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
    for (std::size_t i = 0; i < f_units.size(); ++i) {
      std::int32_t other = f_units[i];
      if (!f_map->m_Valid_Unit_Id(other)) continue;
      const TMap_Unit_Record& o = f_map->m_Unit_Ref(other);
      if (o.unit_type == u.unit_type && o.owner == u.owner) {
        f_units.insert(f_units.begin() + std::ptrdiff_t(i), id);
        return;
      }
    }
  }
  f_units.push_back(id);
}

bool TMap_Region::m_Remove_Unit(std::int32_t id) {
  auto it = std::find(f_units.begin(), f_units.end(), id);
  if (it == f_units.end()) return false;
  f_units.erase(it);
  if (f_map->m_Valid_Unit_Id(id)) {
    const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
    const std::uint16_t unit_type = u.unit_type;
    const std::uint8_t owner = u.owner;
    m_Release_Stack(unit_type, owner);
    // A stack that went may leave room for a unit that had none.
    if (f_unplaced && !m_Has_Shown_Stack(unit_type, owner)) m_Place_Unplaced_Units();
  }
  return true;
}

void TMap_Region::m_Release_Stack(std::uint16_t unit_type, std::uint8_t owner) {
  TMap_Region_Square* shown = nullptr;
  for (TMap_Region_Square& s : f_squares)
    if (s.shown && s.state == SQUARE_STACK && s.unit_type == unit_type && s.owner == owner) shown = &s;
  if (!shown) return;
  std::int32_t before = shown->stack_count;
  shown->stack_count = before - 1;
  if (before < 2)
    for (TMap_Region_Square& s : f_squares)
      if (s.state == SQUARE_STACK && s.unit_type == unit_type && s.owner == owner) s = {s.left, s.top, s.right, s.bottom};
}

void TMap_Region::m_Clear_Stack_Squares() {
  for (TMap_Region_Square& s : f_squares)
    if (s.state == SQUARE_STACK) s = {s.left, s.top, s.right, s.bottom};
}

void TMap_Region::m_Clear_Units() {
  m_Clear_Stack_Squares();
  f_units.clear();
  f_unplaced = false;
}

void TMap_Region::m_Relayout_Stacks() {
  m_Clear_Stack_Squares();
  // Placing may split the squares, which lays the stacks out again itself.
  std::vector<std::int32_t> ids = f_units;
  bool unplaced = false;
  for (std::int32_t id : ids)
    if (!m_Place_Unit_In_Square(id)) unplaced = true;
  f_unplaced = unplaced;
}

std::int32_t TMap_Region::m_Get_Unit_Id(std::int64_t i) const {
  if (i < 1 || i > std::int64_t(f_units.size())) return 0;
  return f_units[std::size_t(i - 1)];
}

bool TMap_Region::m_Has_Unit_Id(std::int32_t id) const {
  return std::find(f_units.begin(), f_units.end(), id) != f_units.end();
}

std::vector<std::int32_t> TMap_Region::m_List_Units_Of_Type(std::uint16_t unit_type, std::uint8_t owner) const {
  std::vector<std::int32_t> ids;
  for (std::int32_t id : f_units) {
    if (id <= 0 || !f_map->m_Valid_Unit_Id(id)) continue;
    const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
    if (u.unit_type == unit_type && u.owner == owner) ids.push_back(id);
  }
  return ids;
}

// ---------------------------------------------------------------------------
// Rectangles and click zones

bool TMap_Region::m_Point_In_Click_Zones(std::int32_t x, std::int32_t y) const {
  std::int64_t row = std::int64_t(y) - f_bounds_top;
  std::int64_t offset = std::int64_t(x) - f_bounds_left;
  for (const TClick_Zone_Span& s : m_Get_Click_Zone_Row(row))
    if (s.x1 <= offset && offset <= s.x2) return true;
  return false;
}

void TMap_Region::m_Add_Rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  for (const TRegion_Rect& r : f_rects)
    if (r.left == left && r.top == top) return;
  if (f_rects.size() == f_rects.capacity()) f_rects.reserve(f_rects.size() + 20);
  f_rects.push_back({left, top, right, bottom});
}

bool TMap_Region::m_Has_Rect(const TRegion_Rect& rect) const {
  return std::find(f_rects.begin(), f_rects.end(), rect) != f_rects.end();
}

void TMap_Region::m_Add_Click_Zone_Span(std::int32_t row, std::uint16_t x1, std::uint16_t x2) {
  if (row < 1 || row > 65535) throw ERangeError();
  // Rows not kept yet are added empty, ending where the last kept ends.
  const std::uint32_t total = f_click_row_ends.empty() ? 0 : f_click_row_ends.back();
  if (std::size_t(row) > f_click_row_ends.size()) f_click_row_ends.resize(std::size_t(row), total);
  f_click_row_count = std::uint16_t(row);
  // The span goes at the end of its row (the end of the block while the
  // rows are made in order); the rows after it end one later.
  const std::size_t at = f_click_row_ends[std::size_t(row - 1)];
  f_click_spans.insert(f_click_spans.begin() + std::ptrdiff_t(at), TClick_Zone_Span{x1, x2});
  for (std::size_t r = std::size_t(row - 1); r < f_click_row_ends.size(); ++r) ++f_click_row_ends[r];
  const std::size_t in_row = m_Get_Click_Zone_Row(row).size();
  f_click_span_capacity =
      std::max<std::uint16_t>({f_click_span_capacity, std::uint16_t(1), Checked_Cast<std::uint16_t>(in_row)});
}

std::span<const TClick_Zone_Span> TMap_Region::m_Get_Click_Zone_Row(std::int64_t row) const {
  if (row < 1 || row > f_click_row_count || std::size_t(row) > f_click_row_ends.size()) return {};
  const std::size_t end = f_click_row_ends[std::size_t(row - 1)];
  const std::size_t start = row == 1 ? 0 : f_click_row_ends[std::size_t(row - 2)];
  return std::span<const TClick_Zone_Span>(f_click_spans).subspan(start, end - start);
}

// ---------------------------------------------------------------------------
// Unit questions

std::uint8_t TMap_Region::m_Get_Foreign_Unit_Owner() const {
  for (std::int32_t id : f_units) {
    if (!f_map->m_Valid_Unit_Id(id)) continue;
    std::uint8_t o = f_map->m_Unit_Ref(id).owner;
    if (o != 0 && o != f_owner) return o;
  }
  return 0;
}

void TMap_Region::m_Get_Unit_Owners(std::uint8_t& first, std::uint8_t& second) const {
  first = 0;
  second = 0;
  for (std::int32_t id : f_units) {
    if (!f_map->m_Valid_Unit_Id(id)) continue;
    std::uint8_t o = f_map->m_Unit_Ref(id).owner;
    if (o == 0) continue;
    if (first == 0) {
      first = o;
    } else if (o != first) {
      second = o;
      return;
    }
  }
}

namespace {
template <typename Fn>
void For_Each_Unit(const TMap& map, const std::vector<std::int32_t>& ids, Fn fn) {
  for (std::int32_t id : ids) {
    if (!map.m_Valid_Unit_Id(id)) continue;
    const TMap_Unit_Record& u = map.m_Unit_Ref(id);
    if (u.id <= 0) continue;
    fn(u, World_Unit_Type(u.unit_type));
  }
}
}  // namespace

bool TMap_Region::m_Has_Opposing_Combat_Units() const {
  std::uint8_t seen = 0;
  bool opposing = false;
  For_Each_Unit(*f_map, f_units, [&](const TMap_Unit_Record& u, const TUnit_Type* t) {
    if (u.owner == 0 || !t || !t->f_takes_part_in_combat) return;
    if (seen == 0)
      seen = u.owner;
    else if (u.owner != seen)
      opposing = true;
  });
  return opposing;
}

bool TMap_Region::m_Has_Combat_Units() const {
  bool found = false;
  For_Each_Unit(*f_map, f_units, [&](const TMap_Unit_Record& u, const TUnit_Type* t) {
    if (u.owner != 0 && t && t->f_takes_part_in_combat) found = true;
  });
  return found;
}

bool TMap_Region::m_Has_Foreign_Combat_Units(std::uint8_t owner) const {
  bool found = false;
  For_Each_Unit(*f_map, f_units, [&](const TMap_Unit_Record& u, const TUnit_Type* t) {
    if (u.owner != 0 && u.owner != owner && t && t->f_takes_part_in_combat) found = true;
  });
  return found;
}

bool TMap_Region::m_Has_Unit_Family(std::uint8_t owner, std::uint16_t family_id, bool also_neighbours) const {
  if (m_Count_Units_Of_Family(owner, family_id) > 0) return true;
  if (!also_neighbours) return false;
  for (std::int32_t c : f_connections)
    if (const TMap_Region* n = f_map->m_Get_Region(c))
      if (n->m_Count_Units_Of_Family(owner, family_id) > 0) return true;
  return false;
}

std::int32_t TMap_Region::m_Count_Units_Of_Family(std::uint8_t owner, std::uint16_t family_id) const {
  std::int32_t n = 0;
  For_Each_Unit(*f_map, f_units, [&](const TMap_Unit_Record& u, const TUnit_Type* t) {
    if (u.owner == owner && t && t->f_unit_family_id == family_id) ++n;
  });
  return n;
}

std::int32_t TMap_Region::m_Count_Units_Of_Type(std::uint8_t owner, std::uint16_t unit_type) const {
  std::int32_t n = 0;
  For_Each_Unit(*f_map, f_units, [&](const TMap_Unit_Record& u, const TUnit_Type*) {
    if (u.owner == owner && u.unit_type == unit_type) ++n;
  });
  return n;
}

void TMap_Region::m_Count_Units_By_Movement_Type(std::int32_t (&counts)[6]) const {
  for (std::int32_t& c : counts) c = 0;
  For_Each_Unit(*f_map, f_units, [&](const TMap_Unit_Record& u, const TUnit_Type* t) {
    if (u.owner == 0 || !t) return;
    if (t->f_movement_type < 1 || t->f_movement_type > 5) throw ERangeError();
    ++counts[t->f_movement_type];
  });
}

std::int32_t TMap_Region::m_Get_Territory_Money_Modifier() const {
  std::int32_t total = 0;
  For_Each_Unit(*f_map, f_units, [&](const TMap_Unit_Record& u, const TUnit_Type* t) {
    if (u.owner == f_owner && t) total = Checked_Add(total, t->m_Get_Special_Ability_Total(UNIT_ABILITY_TERRITORY_MONEY_MODIFIER));
  });
  return total;
}

std::int32_t TMap_Region::m_Get_Unit_Cost_Modifier(std::uint8_t owner) const {
  bool found = false;
  std::int32_t best = 0;
  For_Each_Unit(*f_map, f_units, [&](const TMap_Unit_Record& u, const TUnit_Type* t) {
    if (u.owner != owner || !t) return;
    for (const Unit_Special_Ability& a : t->f_special_abilities)
      if (a.type == UNIT_ABILITY_UNIT_COST_MODIFIER && (!found || a.amount > best)) {
        best = a.amount;
        found = true;
      }
  });
  return best;
}

std::int32_t TMap_Region::m_Get_Near_Unit_Cost_Modifier(std::uint8_t owner) const {
  bool found = false;
  std::int32_t best = 0;
  for (std::int32_t c : f_connections) {
    const TMap_Region* n = f_map->m_Get_Region(c);
    if (!n || n->f_kind != REGION_LAND || n->f_owner != owner) continue;
    std::int32_t m = n->m_Get_Unit_Cost_Modifier(owner);
    if (!found || m > best) {
      best = m;
      found = true;
    }
  }
  return best;
}

// ---------------------------------------------------------------------------
// Squares and stacks

std::int32_t TMap_Region::m_Get_Grid_Cell(std::int32_t column, std::int32_t row) const {
  if (column < 0 || row < 0 || column >= f_grid_columns || row >= f_grid_rows) return 0;
  return f_grid[std::size_t(column) * std::size_t(f_grid_rows) + std::size_t(row)];
}

std::int32_t TMap_Region::m_Grid_Square(std::int32_t column, std::int32_t row) const {
  const std::int32_t sq = m_Get_Grid_Cell(column, row);
  return sq >= 1 && sq <= std::int32_t(f_squares.size()) ? sq : 0;
}

void TMap_Region::m_Set_Grid_Cell(std::int32_t column, std::int32_t row, std::int32_t square) {
  // A square outside the grid (rectangles of another size than the grid's)
  // is left out rather than written past the grid.
  if (column < 0 || row < 0 || column >= f_grid_columns || row >= f_grid_rows) return;
  f_grid[std::size_t(column) * std::size_t(f_grid_rows) + std::size_t(row)] = square;
}

void TMap_Region::m_Get_Square(std::int64_t i, TMap_Region_Square& square) const {
  if (i < 1 || i > std::int64_t(f_squares.size())) return;
  square = f_squares[std::size_t(i - 1)];
}

bool TMap_Region::m_Place_Unit_In_Square(std::int32_t id) {
  if (!f_map->m_Valid_Unit_Id(id)) return false;
  const TMap_Unit_Record u = f_map->m_Unit_Ref(id);
  TMap_Region_Square* shown = nullptr;
  for (TMap_Region_Square& s : f_squares)
    if (s.shown && s.unit_type == u.unit_type && s.owner == u.owner) shown = &s;
  if (shown) {
    shown->stack_count = Checked_Add(shown->stack_count, 1);
    return true;
  }
  const TUnit_Type* t = World_Unit_Type(u.unit_type);
  if (f_squares.empty() || !t) return false;
  std::int32_t w = Block_Width(*t), h = Block_Height(*t);
  for (;;) {
    std::int32_t first = m_Find_Free_Block(w, h);
    if (first > 0) {
      m_Occupy_Block(first, w, 1, u.owner, u.unit_type, h);
      return true;
    }
    if (!m_Subdivide_Squares()) return false;
    // The split laid the listed units out again: a listed unit is counted
    // on its stack already if it found room; a unit not yet listed shares
    // the stack that a listed unit of its type and owner got.
    const bool listed = m_Has_Unit_Id(id);
    for (TMap_Region_Square& s : f_squares)
      if (s.shown && s.unit_type == u.unit_type && s.owner == u.owner) {
        if (!listed) s.stack_count = Checked_Add(s.stack_count, 1);
        return true;
      }
  }
}

bool TMap_Region::m_Block_Free(std::int32_t column, std::int32_t row, std::int32_t w, std::int32_t h) const {
  if (column < 0 || row < 0 || std::int64_t(column) + w > f_grid_columns || std::int64_t(row) + h > f_grid_rows)
    return false;
  for (std::int32_t c = column; c < column + w; ++c)
    for (std::int32_t r = row; r < row + h; ++r) {
      std::int32_t sq = m_Get_Grid_Cell(c, r);
      if (sq < 1 || sq > std::int32_t(f_squares.size()) || m_Square(sq).state != SQUARE_FREE) return false;
    }
  return true;
}

std::int32_t TMap_Region::m_Find_Free_Block(std::int32_t w, std::int32_t h) const {
  const std::int32_t c = f_label.label_column, r = f_label.label_row;
  const std::int32_t limit = std::max(f_grid_columns, f_grid_rows);
  // Growing windows around the label cell; the inner cells of a window were
  // all refused at the smaller radius, so only its border is tried, in the
  // window's row-by-row order.
  for (std::int32_t d = 0; d < limit; ++d) {
    for (std::int64_t row = std::int64_t(r) - d; row <= std::int64_t(r) + d; ++row) {
      if (row < 0 || row >= f_grid_rows) continue;
      bool edge_row = row == std::int64_t(r) - d || row == std::int64_t(r) + d;
      std::int64_t step = edge_row ? 1 : 2 * std::int64_t(d);
      if (step == 0) step = 1;
      for (std::int64_t col = std::int64_t(c) - d; col <= std::int64_t(c) + d; col += step) {
        if (col < 0 || col >= f_grid_columns) continue;
        std::int32_t sq = m_Get_Grid_Cell(std::int32_t(col), std::int32_t(row));
        if (sq > 0 && m_Block_Free(std::int32_t(col), std::int32_t(row), w, h)) return sq;
      }
    }
  }
  return 0;
}

void TMap_Region::m_Occupy_Block(std::int32_t first_square, std::int32_t w, std::int32_t count,
                                 std::uint8_t owner, std::uint16_t unit_type, std::int32_t h) {
  if (w > 255 || h > 255 || first_square < 1 || first_square > std::int32_t(f_squares.size())) return;
  // The square's cell in the grid.
  std::int32_t column = -1, row = -1;
  for (std::int32_t cc = 0; cc < f_grid_columns && column < 0; ++cc)
    for (std::int32_t rr = 0; rr < f_grid_rows; ++rr)
      if (m_Get_Grid_Cell(cc, rr) == first_square) {
        column = cc;
        row = rr;
        break;
      }
  TMap_Region_Square& first = m_Square(first_square);
  first.state = SQUARE_STACK;
  first.unit_type = unit_type;
  first.owner = owner;
  first.shown = true;
  first.stack_count = count;
  if (column < 0) return;
  for (std::int32_t cc = column; cc < column + w; ++cc)
    for (std::int32_t rr = row; rr < row + h; ++rr) {
      std::int32_t sq = m_Grid_Square(cc, rr);
      if (sq < 1 || sq == first_square) continue;
      TMap_Region_Square& s = m_Square(sq);
      s.state = SQUARE_STACK;
      s.unit_type = unit_type;
      s.owner = owner;
      s.shown = false;
      s.stack_count = 0;
    }
}

bool TMap_Region::m_Subdivide_Squares() {
  if (f_squares.empty() || f_subdivisions >= Max_Region_Subdivisions) return false;
  // A bound on the squares and grid cells (a region of a saved map may be
  // hostile); real regions stay far below it.
  constexpr std::int64_t max_cells = std::int64_t(1) << 20;
  if (std::int64_t(f_squares.size()) * 4 > max_cells ||
      std::int64_t(f_grid_columns) * f_grid_rows * 4 > max_cells)
    return false;
  // Halving stops before a square would be narrower or lower than a pixel;
  // squares of a saved map that lie far outside any map are not split.
  for (const TMap_Region_Square& s : f_squares) {
    if (!Square_On_Map(s)) return false;
    if ((s.right - s.left) / 2 < 1 || (s.bottom - s.top) / 2 < 1) return false;
  }
  ++f_subdivisions;
  f_rebuilt = true;
  f_label.lower_marker_square = 0;
  f_label.upper_marker_square = 0;

  const TMap_Region_Square& first_old = f_squares.front();
  const std::int32_t half_w = (first_old.right - first_old.left) / 2;
  const std::int32_t half_h = (first_old.bottom - first_old.top) / 2;
  const std::int32_t old_label = f_label.label_square;

  std::vector<TMap_Region_Square> fresh;
  fresh.reserve(f_squares.size() * 4);
  std::int32_t smallest_left = 999999, smallest_top = 999999;
  for (std::size_t i = 0; i < f_squares.size(); ++i) {
    const TMap_Region_Square& s = f_squares[i];
    const std::int32_t l = s.left, t = s.top, r = s.right, b = s.bottom;
    const std::int32_t hw = (r - l) / 2, hh = (b - t) / 2;
    const TRegion_Rect quarters[4] = {
        {l, t, l + hw, t + hh}, {l + hw, t, r, t + hh}, {l, t + hh, l + hw, b}, {l + hw, t + hh, r, b}};
    const bool keeps = s.state == SQUARE_LABEL || s.state == SQUARE_LOWER_MARKER || s.state == SQUARE_UPPER_MARKER;
    for (int q = 0; q < 4; ++q) {
      TMap_Region_Square n;
      n.left = quarters[q].left;
      n.top = quarters[q].top;
      n.right = quarters[q].right;
      n.bottom = quarters[q].bottom;
      if (keeps) n.state = s.state;
      fresh.push_back(n);
      const std::int32_t index = std::int32_t(fresh.size());
      if (q == 0) {
        if (s.state == SQUARE_LOWER_MARKER && f_label.lower_marker_square == 0) f_label.lower_marker_square = index;
        if (s.state == SQUARE_UPPER_MARKER && f_label.upper_marker_square == 0) f_label.upper_marker_square = index;
        if (std::int32_t(i + 1) == old_label) f_label.label_square = index;
      }
      smallest_left = std::min(smallest_left, n.left);
      smallest_top = std::min(smallest_top, n.top);
    }
  }
  f_squares = std::move(fresh);
  if (f_label.label_square >= 1 && f_label.label_square <= std::int32_t(f_squares.size())) {
    const TMap_Region_Square& ls = m_Square(f_label.label_square);
    f_label.label_x = ls.left + (ls.right - ls.left) / 2;
    f_label.label_y = ls.top + (ls.bottom - ls.top) / 2;
  }

  f_grid_columns = Checked_Mul(f_grid_columns, 2);
  f_grid_rows = Checked_Mul(f_grid_rows, 2);
  f_grid.assign(std::size_t(f_grid_columns) * std::size_t(f_grid_rows), 0);
  for (std::size_t i = 0; i < f_squares.size(); ++i) {
    const TMap_Region_Square& s = f_squares[i];
    const std::int32_t column = (s.left - smallest_left) / half_w;
    const std::int32_t row = (s.top - smallest_top) / half_h;
    m_Set_Grid_Cell(column, row, std::int32_t(i + 1));
    if (std::int32_t(i + 1) == f_label.label_square) {
      f_label.label_column = column;
      f_label.label_row = row;
    }
  }

  // Every stack is laid out again, in list order.
  std::vector<std::int32_t> ids = f_units;
  for (std::int32_t id : ids) m_Place_Unit_In_Square(id);
  return true;
}

// ---------------------------------------------------------------------------
// Stack geometry

bool TMap_Region::m_Get_Stack_Draw_Rect(std::uint16_t unit_type, std::uint8_t owner, TColor& color,
                                       std::int32_t& height, std::int32_t& width, std::int32_t& y,
                                       std::int32_t& x) const {
  const TUnit_Type* t = World_Unit_Type(unit_type);
  if (!t) return false;
  for (const TMap_Region_Square& s : f_squares) {
    if (s.state != SQUARE_STACK || !s.shown || s.unit_type != unit_type || s.owner != owner) continue;
    const TEmpire* e = owner != 0 ? Empire_Get(owner) : nullptr;
    color = e ? e->m_Get_Second_Color() : 0;
    Block_Geometry(s, Block_Width(*t), Block_Height(*t), f_map->m_Get_Pixel_Height(), height, width, y);
    x = s.left;
    return true;
  }
  return false;
}

bool TMap_Region::m_Get_Stack_Position(std::uint16_t unit_type, std::uint8_t owner, std::int32_t& height,
                                       std::int32_t& width, std::int32_t& y, std::int32_t& x) const {
  const TUnit_Type* t = World_Unit_Type(unit_type);
  if (!t) return false;
  const TMap_Region_Square* square = nullptr;
  for (const TMap_Region_Square& s : f_squares)
    if (s.shown && s.unit_type == unit_type && s.owner == owner) square = &s;
  if (!square) {
    std::int32_t free = m_Find_Free_Block(Block_Width(*t), Block_Height(*t));
    if (free > 0) square = &m_Square(free);
  }
  const std::int32_t ph = f_map->m_Get_Pixel_Height();
  if (square) {
    Block_Geometry(*square, Block_Width(*t), Block_Height(*t), ph, height, width, y);
    x = square->left;
    return true;
  }
  TMap_Region_Square label_size;
  if (f_label.label_square >= 1 && f_label.label_square <= std::int32_t(f_squares.size()))
    label_size = m_Square(f_label.label_square);
  Block_Geometry(label_size, Block_Width(*t), Block_Height(*t), ph, height, width, y);
  x = f_label.label_x;
  y = Checked_Sub(ph, f_label.label_y);
  return true;
}

bool TMap_Region::m_Get_Stack_Unit_At(std::int32_t pixel_height, std::int32_t& unit_id, bool& in_square, float x,
                                      float y) const {
  for (const TMap_Region_Square& s : f_squares) {
    if (!Square_Holds(s, pixel_height, x, y)) continue;
    in_square = true;
    if (s.unit_type == 0) return false;
    for (std::int32_t id : f_units) {
      if (id <= 0 || !f_map->m_Valid_Unit_Id(id)) continue;
      const TMap_Unit_Record& u = f_map->m_Unit_Ref(id);
      if (u.unit_type == s.unit_type && u.owner == s.owner) {
        unit_id = id;
        return true;
      }
    }
    return false;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Building the squares

void TMap_Region::m_Build_Square_Grid() {
  f_label = {};
  f_grid_columns = 0;
  f_grid_rows = 0;
  f_grid.clear();
  if (f_rects.empty()) return;

  std::int32_t L = 999999, T = 999999, R = 0, B = 0;
  for (const TRegion_Rect& r : f_rects) {
    L = std::min(L, r.left);
    T = std::min(T, r.top);
    R = std::max(R, r.right);
    B = std::max(B, r.bottom);
  }
  f_label.centre_x = L + (R - L) / 2;
  f_label.centre_y = T + (B - T) / 2;

  f_squares.clear();
  f_squares.reserve(f_rects.size());
  for (const TRegion_Rect& r : f_rects) {
    TMap_Region_Square s;
    s.left = r.left;
    s.top = r.top;
    s.right = r.right;
    s.bottom = r.bottom;
    f_squares.push_back(s);
  }

  const std::int32_t P = Region_Square_Pixels;
  f_grid_columns = std::max<std::int32_t>(0, (R - P - L) / P + 1);
  f_grid_rows = std::max<std::int32_t>(0, (B - P - T) / P + 1);
  f_grid.assign(std::size_t(f_grid_columns) * std::size_t(f_grid_rows), 0);
  for (std::size_t i = 0; i < f_squares.size(); ++i)
    m_Set_Grid_Cell((f_squares[i].left - L) / P, (f_squares[i].top - T) / P, std::int32_t(i + 1));

  // The label square: the cell nearest the centre that has the largest
  // block of squares around it, the block widening and heightening in turn.
  auto cell_has_block = [&](std::int32_t c, std::int32_t r, std::int32_t hc, std::int32_t hr) {
    for (std::int32_t cc = c - hc; cc <= c + hc; ++cc)
      for (std::int32_t rr = r - hr; rr <= r + hr; ++rr)
        if (m_Get_Grid_Cell(cc, rr) == 0) return false;
    return true;
  };
  std::int32_t hc = 0, hr = 0;
  bool first_pass_found = false;
  for (std::int32_t pass = 1;; ++pass) {
    if (pass % 2 == 1)
      ++hc;
    else
      ++hr;
    float best = 1e10f;
    std::int32_t found_square = 0, found_c = 0, found_r = 0;
    for (std::int32_t c = 0; c < f_grid_columns; ++c)
      for (std::int32_t r = 0; r < f_grid_rows; ++r) {
        std::int32_t sq = m_Get_Grid_Cell(c, r);
        if (sq == 0 || !cell_has_block(c, r, hc, hr)) continue;
        const float dx = float(c * P + L + P / 2 - f_label.centre_x);
        const float dy = float(r * P + T + P / 2 - f_label.centre_y);
        const float d = std::sqrt(dx * dx + dy * dy);
        if (d < best) {
          best = d;
          found_square = sq;
          found_c = c;
          found_r = r;
        }
      }
    if (found_square == 0) break;
    if (pass == 1) first_pass_found = true;
    f_label.label_square = found_square;
    f_label.label_column = found_c;
    f_label.label_row = found_r;
  }

  if (!first_pass_found) {
    // No three cells side by side: the square whose centre is nearest the
    // region's centre, located by its grid cell.
    float best = 1e8f;
    for (std::size_t i = 0; i < f_squares.size(); ++i) {
      const TMap_Region_Square& s = f_squares[i];
      const std::int32_t cx = s.left + (s.right - s.left) / 2, cy = s.top + (s.bottom - s.top) / 2;
      const float dx = float(cx - f_label.centre_x), dy = float(cy - f_label.centre_y);
      const float d = std::sqrt(dx * dx + dy * dy);
      if (d < best) {
        best = d;
        f_label.label_square = std::int32_t(i + 1);
        f_label.label_column = (s.left - L) / P;
        f_label.label_row = (s.top - T) / P;
      }
    }
  }

  if (f_label.label_square > 0) {
    const TMap_Region_Square& ls = m_Square(f_label.label_square);
    f_label.label_x = ls.left + (ls.right - ls.left) / 2;
    f_label.label_y = ls.top + (ls.bottom - ls.top) / 2;
  }
}

bool TMap_Region::m_Reserve_Label_Squares(std::int32_t text_width, std::int32_t text_height, std::int32_t& x,
                                          std::int32_t& y, std::int32_t picture_width,
                                          std::int32_t picture_height) {
  if (f_squares.empty()) return false;
  if (f_kind == REGION_LAND) {
    if (f_label.label_square < 1 || f_label.label_square > std::int32_t(f_squares.size())) return false;
    const TMap_Region_Square& ls = m_Square(f_label.label_square);
    x = ls.left + Region_Square_Pixels / 2 - text_width / 2;
    y = ls.top + Region_Square_Pixels / 2 - text_height / 2;
  } else {
    const TMap_Region_Square* corner = &f_squares.front();
    for (const TMap_Region_Square& s : f_squares)
      if (s.bottom > corner->bottom || (s.bottom == corner->bottom && s.right > corner->right)) corner = &s;
    x = corner->right;
    y = corner->bottom;
    if (x + 6 > picture_width) x -= 6;
    if (y + 6 > picture_height) y -= 6;
    x -= text_width;
    y -= text_height;
  }
  const std::int64_t x2 = std::int64_t(x) + text_width, y2 = std::int64_t(y) + text_height;
  for (TMap_Region_Square& s : f_squares)
    if (s.left <= x2 && s.right >= x && s.top <= y2 && s.bottom >= y) s.state = SQUARE_LABEL;
  return true;
}

bool TMap_Region::m_Pick_Marker_Square(bool lower) {
  if (f_kind != REGION_LAND || f_squares.empty()) return false;
  if (f_label.label_square < 1 || f_label.label_square > std::int32_t(f_squares.size())) return false;
  const TMap_Region_Square& ls = m_Square(f_label.label_square);
  std::vector<std::uint8_t> marked(f_grid.size(), 0);
  for (std::int32_t c = 0; c < f_grid_columns; ++c)
    for (std::int32_t r = 0; r < f_grid_rows; ++r) {
      std::int32_t sq = m_Grid_Square(c, r);
      if (sq == 0 || m_Square(sq).state != SQUARE_LABEL) continue;
      for (std::int32_t cc = c - 1; cc <= c + 1; ++cc)
        for (std::int32_t rr = r - 1; rr <= r + 1; ++rr) {
          std::int32_t n = m_Grid_Square(cc, rr);
          if (n == 0) continue;
          const TMap_Region_Square& s = m_Square(n);
          if (s.state != SQUARE_FREE) continue;
          if (s.left == ls.left || s.right == ls.right || s.top == ls.top || s.bottom == ls.bottom)
            marked[std::size_t(cc) * std::size_t(f_grid_rows) + std::size_t(rr)] = 1;
        }
    }
  std::int32_t picked = 0;
  std::int32_t best = lower ? -1 : 999999;
  for (std::int32_t c = 0; c < f_grid_columns; ++c)
    for (std::int32_t r = 0; r < f_grid_rows; ++r) {
      if (!marked[std::size_t(c) * std::size_t(f_grid_rows) + std::size_t(r)]) continue;
      std::int32_t sq = m_Grid_Square(c, r);
      std::int32_t bottom = m_Square(sq).bottom;
      if (lower ? bottom > best : bottom < best) {
        best = bottom;
        picked = sq;
      }
    }
  if (picked == 0) return false;
  m_Square(picked).state = lower ? SQUARE_LOWER_MARKER : SQUARE_UPPER_MARKER;
  (lower ? f_label.lower_marker_square : f_label.upper_marker_square) = picked;
  return true;
}

bool TMap_Region::m_Pick_Lower_Marker_Square() { return m_Pick_Marker_Square(true); }
bool TMap_Region::m_Pick_Upper_Marker_Square() { return m_Pick_Marker_Square(false); }
