// World generation of the world map: the terrain grid grown from a map type
// and fitted with terrain tiles, its classification into land and water,
// and the regions cut out of it with their colours and names.
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Errors.h"
#include "Global.h"
#include "Io.h"
#include "MapClass.h"
#include "Native_Path.h"
#include "Path.h"
#include "Text_Encoding.h"

namespace {
// Neighbour positions 1..8: above, above right, right, below right, below,
// below left, left, above left (y grows downwards).
constexpr std::int32_t Neighbour_Dx[9] = {0, 0, 1, 1, 1, 0, -1, -1, -1};
constexpr std::int32_t Neighbour_Dy[9] = {0, -1, -1, 0, 1, 1, 1, 0, -1};

std::int32_t Cell_Code(std::int32_t x, std::int32_t y) { return y * 10000 + x; }

std::string Three_Digits(std::int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.3d", n);
  return buf;
}
}  // namespace

// ---------------------------------------------------------------------------
// Map type and grid.

void TMap::m_Select_Map_Type() {
  m_Clear();
  f_map_type.reset();
  // An empty name (a new game with default settings) and an unknown name
  // both take the first map type; without one the world would stay empty.
  if (Map_Type_List) {
    const TMap_Type* found = nullptr;
    for (std::uint16_t i = 1; !f_map_type_name.empty() && i <= Map_Type_List->m_Count(); ++i) {
      const TMap_Type* t = Map_Type_List->m_Get_Item(i);
      if (t && Text_Compare(t->f_name, f_map_type_name) == 0) found = t;
    }
    if (!found) found = Map_Type_List->m_Get_Item(1);
    if (found) f_map_type = std::make_shared<const TMap_Type>(*found);
  }
  m_Set_Grid_Size();
  m_Find_Base_Tiles();
}

void TMap::m_Set_Grid_Size() {
  f_grid_w = Default_Terrain_Width;
  f_grid_h = Default_Terrain_Height;
  if (f_map_type) {
    f_grid_w = f_map_type->f_map_width;
    f_grid_h = f_map_type->f_map_height;
  }
}

void TMap::m_Find_Base_Tiles() {
  f_base_land_tile = f_base_ocean_tile = 0;
  if (!Terrain_Tile_List) return;
  for (std::uint16_t i = Terrain_Tile_List->m_Count(); i >= 1; --i) {
    const std::uint16_t type = Terrain_Tile_List->m_Get_Item(i)->f_terrain_type;
    if (type == TERRAIN_TILE_BASE_LAND) f_base_land_tile = i;
    if (type == TERRAIN_TILE_BASE_OCEAN) f_base_ocean_tile = i;
  }
}

std::size_t TMap::m_Cell_Index(std::int32_t x, std::int32_t y) const {
  if (!m_In_Grid(x, y) || f_terrain.empty()) throw ERangeError("Terrain cell outside the grid");
  return std::size_t(x) * std::size_t(f_grid_h + 1) + std::size_t(y);
}

TTerrain_Cell TMap::m_Get_Terrain_Cell(std::int32_t x, std::int32_t y) const {
  if (!m_In_Grid(x, y) || f_terrain.empty()) return {};
  return f_terrain[m_Cell_Index(x, y)];
}

std::uint16_t TMap::m_Get_Work_Region(std::int32_t x, std::int32_t y) const {
  if (!m_In_Grid(x, y) || f_work_region.empty()) return 0;
  return f_work_region[m_Cell_Index(x, y)];
}

std::uint16_t TMap::m_Get_Work_Kind(std::int32_t x, std::int32_t y) const {
  if (!m_In_Grid(x, y) || f_work_kind.empty()) return 0;
  return f_work_kind[m_Cell_Index(x, y)];
}

std::uint16_t TMap::m_Get_Work_Tile(std::int32_t x, std::int32_t y) const {
  if (!m_In_Grid(x, y) || f_work_tile.empty()) return 0;
  return f_work_tile[m_Cell_Index(x, y)];
}

std::uint8_t TMap::m_Get_Region_Kind_Entry(std::int32_t region) const {
  if (region < 0 || std::size_t(region) >= f_region_kinds.size()) return 0;
  return f_region_kinds[std::size_t(region)];
}

void TMap::m_Clear_Generation_Data() {
  f_terrain.clear();
  f_work_region.clear();
  f_work_kind.clear();
  f_work_tile.clear();
  f_frontier.clear();
  f_region_kinds.clear();
  f_grid_w = f_grid_h = 0;
}

std::uint16_t TMap::m_Tile_Type(std::int32_t tile) const {
  if (!Terrain_Tile_List || tile < 1 || tile > Terrain_Tile_List->m_Count()) return 0;
  return Terrain_Tile_List->m_Get_Item(std::uint16_t(tile))->f_terrain_type;
}

void TMap::m_Set_Land(std::int32_t x, std::int32_t y) {
  TTerrain_Cell& c = m_Cell(x, y);
  c.tile = f_base_land_tile;
  c.cell_class = TERRAIN_CLASS_LAND;
  c.mark = 0;
}

void TMap::m_Set_Water(std::int32_t x, std::int32_t y) {
  TTerrain_Cell& c = m_Cell(x, y);
  c.tile = f_base_ocean_tile;
  c.cell_class = TERRAIN_CLASS_WATER;
  c.mark = 0;
}

void TMap::m_Flip(std::int32_t x, std::int32_t y) {
  if (m_Cell(x, y).cell_class == TERRAIN_CLASS_LAND)
    m_Set_Water(x, y);
  else
    m_Set_Land(x, y);
}

void TMap::m_Frontier_Add(std::int32_t x, std::int32_t y) {
  if (f_frontier.size() == f_frontier.capacity()) f_frontier.reserve(f_frontier.size() + 200);
  f_frontier.push_back({x, y});
}

void TMap::m_Frontier_Remove(std::int32_t i) {
  if (i < 1 || std::size_t(i) > f_frontier.size()) throw EListError("Invalid Index");
  f_frontier.erase(f_frontier.begin() + (i - 1));
}

// ---------------------------------------------------------------------------
// Terrain steps.

void TMap::m_Generate_Terrain(std::int32_t step) {
  switch (step) {
    case 1: m_Terrain_Seed(); break;
    case 2: m_Terrain_Grow(); break;
    case 3: m_Terrain_Thicken(); break;
    case 4: m_Terrain_Smooth(); break;
    case 6: m_Terrain_Trim_Edges(); break;
    case 8: m_Terrain_Clean_Straits(); break;
    case 9: m_Terrain_Fit_Tiles(); break;
    case 10: m_Terrain_Mountains(); break;
    default: break;
  }
}

void TMap::m_Terrain_Seed() {
  if (f_grid_w < 0 || f_grid_h < 0 || f_grid_w > Max_Terrain_Size || f_grid_h > Max_Terrain_Size)
    throw ERangeError("Map size " + Int_To_Text(f_grid_w) + " x " + Int_To_Text(f_grid_h) +
                      " is outside 0.." + Int_To_Text(Max_Terrain_Size));
  const std::size_t n = std::size_t(f_grid_w + 1) * std::size_t(f_grid_h + 1);
  f_terrain.assign(n, TTerrain_Cell{});
  f_work_region.assign(n, 0);
  f_work_kind.assign(n, 0);
  f_work_tile.assign(n, 0);
  f_frontier.clear();
  f_frontier.reserve(200);
  const std::int32_t seeds = f_map_type ? f_map_type->f_starting_land : 0;
  for (std::int32_t i = 1; i <= seeds; ++i) {
    const std::int32_t x = Random_Range(6, f_grid_w - 7);
    const std::int32_t y = Random_Range(6, f_grid_h - 7);
    // A grid too small for the seed margin holds no seed.
    if (!m_In_Grid(x, y)) continue;
    m_Set_Land(x, y);
    m_Frontier_Add(x, y);
  }
}

namespace {
// The frontier of the growth step: entries are appended and removed by
// their 1-based position among the entries left, order kept, in
// logarithmic time (a Fenwick tree over the live flags of all entries).
class TGrowth_Frontier {
public:
  explicit TGrowth_Frontier(std::size_t capacity) : f_tree(capacity + 1, 0) { f_items.reserve(capacity); }
  std::int32_t m_Count() const { return f_count; }
  void m_Add(std::int32_t x, std::int32_t y) {
    if (f_items.size() + 1 >= f_tree.size()) throw EListError("Invalid Index");
    f_items.push_back({x, y});
    m_Update(f_items.size(), 1);
    ++f_count;
  }
  // Removes the i-th entry left (1-based) and gives it.
  std::pair<std::int32_t, std::int32_t> m_Take(std::int32_t i) {
    if (i < 1 || i > f_count) throw EListError("Invalid Index");
    std::size_t pos = 0;
    std::int32_t rest = i;
    std::size_t step = 1;
    while (step * 2 < f_tree.size()) step *= 2;
    for (; step > 0; step /= 2)
      if (pos + step < f_tree.size() && f_tree[pos + step] < rest) {
        pos += step;
        rest -= f_tree[pos];
      }
    ++pos;  // the 1-based slot of the entry
    m_Update(pos, -1);
    --f_count;
    return f_items[pos - 1];
  }

private:
  void m_Update(std::size_t pos, std::int32_t delta) {
    for (; pos < f_tree.size(); pos += pos & (~pos + 1)) f_tree[pos] += delta;
  }
  std::vector<std::pair<std::int32_t, std::int32_t>> f_items;
  std::vector<std::int32_t> f_tree;
  std::int32_t f_count = 0;
};
}  // namespace

void TMap::m_Terrain_Grow() {
  if (f_terrain.empty()) return;
  const std::int32_t radius = f_map_type ? f_map_type->f_expand_radius : 0;
  const std::int32_t chance_h = f_map_type ? f_map_type->f_land_chance_horizontal : 0;
  const std::int32_t chance_v = f_map_type ? f_map_type->f_land_chance_vertical : 0;
  const std::int32_t W = f_grid_w, H = f_grid_h;
  // Every cell joins the frontier at most once after the seeds: it must be
  // undecided to join and is decided when it does.
  TGrowth_Frontier frontier(f_frontier.size() + f_terrain.size());
  for (const TGrid_Point& p : f_frontier) frontier.m_Add(p.x, p.y);
  f_frontier.clear();
  while (frontier.m_Count() > 0) {
    const std::int32_t i = Random_Range(1, frontier.m_Count());
    const auto [px, py] = frontier.m_Take(i);
    const std::uint8_t from_class = m_Cell(px, py).cell_class;
    for (std::int32_t dx = -radius; dx <= radius; ++dx)
      for (std::int32_t dy = -radius; dy <= radius; ++dy) {
        if ((dx == 0) == (dy == 0)) continue;  // the arms of the cross only
        const std::int32_t nx = px + dx, ny = py + dy;
        if (!m_In_Grid(nx, ny) || m_Cell(nx, ny).cell_class != TERRAIN_CLASS_UNDECIDED) continue;
        if (from_class == TERRAIN_CLASS_LAND) {
          std::int32_t chance = dx != 0 ? chance_h : chance_v;
          if (nx < 5 || nx >= W - 5 || ny < 5 || ny >= H - 5)
            chance = 0;
          else if (nx == 6 || nx == W - 6 || ny == 6 || ny == H - 6)
            chance /= 10;
          else if (nx < 9 || nx >= W - 8 || ny < 9 || ny >= H - 8)
            chance /= 5;
          const std::int32_t r = Random_Range(1, 100);
          if (chance < r)
            m_Set_Water(nx, ny);
          else
            m_Set_Land(nx, ny);
        } else {
          m_Set_Water(nx, ny);
        }
        frontier.m_Add(nx, ny);
      }
  }
}

void TMap::m_Terrain_Thicken() {
  if (f_terrain.empty()) return;
  const std::int32_t W = f_grid_w, H = f_grid_h;
  const std::int32_t G = f_map_type ? f_map_type->f_glob_land_radius : 0;
  if (G > 0) {
    for (std::int32_t x = 2; x <= W - 1; ++x)
      for (std::int32_t y = 2; y <= H - 1; ++y)
        if (m_Cell(x, y).cell_class == TERRAIN_CLASS_LAND) m_Frontier_Add(x, y);
    // The square of radius G holds every smaller one.
    for (const TGrid_Point& p : f_frontier)
      for (std::int32_t x = std::max(p.x - G, 5); x <= std::min(p.x + G, W - 6); ++x)
        for (std::int32_t y = std::max(p.y - G, 5); y <= std::min(p.y + G, H - 6); ++y) m_Set_Land(x, y);
  }
  for (std::int32_t x = 0; x <= W; ++x) {
    m_Set_Water(x, 0);
    m_Set_Water(x, H);
  }
  for (std::int32_t y = 0; y <= H; ++y) {
    m_Set_Water(0, y);
    m_Set_Water(W, y);
  }
}

void TMap::m_Terrain_Smooth() {
  if (f_terrain.empty()) return;
  const std::int32_t W = f_grid_w, H = f_grid_h;
  bool changed = true;
  for (std::int32_t pass = 1; pass <= 31 && changed; ++pass) {
    changed = false;
    for (std::int32_t x = 2; x <= W - 1; ++x)
      for (std::int32_t y = 2; y <= H - 1; ++y) {
        const std::uint8_t own = m_Cell(x, y).cell_class;
        if (own == TERRAIN_CLASS_UNDECIDED) continue;
        std::int32_t n = 0, same = 0;
        for (std::int32_t p = 1; p <= 8; ++p) {
          const std::int32_t nx = x + Neighbour_Dx[p], ny = y + Neighbour_Dy[p];
          if (nx < 2 || nx > W - 1 || ny < 2 || ny > H - 1) continue;
          ++n;
          if (m_Cell(nx, ny).cell_class == own) ++same;
        }
        if ((n == 3 && same < 1) || (n == 5 && same < 2) || (n == 8 && same < 3)) {
          m_Flip(x, y);
          changed = true;
        }
      }
  }
}

void TMap::m_Terrain_Trim_Line(bool row, std::int32_t fixed, std::int32_t from, std::int32_t to) {
  auto cls = [&](std::int32_t i) { return row ? m_Cell(i, fixed).cell_class : m_Cell(fixed, i).cell_class; };
  std::int32_t start = -1;
  for (std::int32_t i = from; i <= to; ++i) {
    const std::uint8_t c = cls(i);
    if (c == TERRAIN_CLASS_LAND && start < 0) start = i;
    if (c != TERRAIN_CLASS_WATER || start < 0) continue;
    const std::int32_t end = i - 1;
    const std::int32_t u = end - start;
    if (u > 7) {
      const std::int32_t b = u / 4 - 1;
      for (std::int32_t k = start; k <= end; ++k)
        if (k <= start + b || k >= end - b) {
          if (row)
            m_Set_Water(k, fixed);
          else
            m_Set_Water(fixed, k);
        }
    }
    start = -1;
  }
}

void TMap::m_Terrain_Trim_Edges() {
  if (f_terrain.empty() || f_grid_w < 3 || f_grid_h < 3) return;
  const std::int32_t W = f_grid_w, H = f_grid_h;
  m_Terrain_Trim_Line(true, 2, 2, W - 1);
  m_Terrain_Trim_Line(true, H - 1, 2, W - 1);
  m_Terrain_Trim_Line(false, 2, 2, H - 1);
  m_Terrain_Trim_Line(false, W - 1, 2, H - 1);
}

void TMap::m_Terrain_Clean_Straits() {
  if (f_terrain.empty()) return;
  const std::int32_t W = f_grid_w, H = f_grid_h;
  auto C = [&](std::int32_t x, std::int32_t y) { return m_Cell(x, y).cell_class; };
  auto land = [&](std::int32_t x, std::int32_t y) { return C(x, y) == TERRAIN_CLASS_LAND; };
  auto water = [&](std::int32_t x, std::int32_t y) { return C(x, y) == TERRAIN_CLASS_WATER; };
  bool changed = true;
  for (std::int32_t pass = 1; pass <= 31 && changed; ++pass) {
    changed = false;
    for (std::int32_t x = 2; x <= W - 1; ++x)
      for (std::int32_t y = 2; y <= H - 1; ++y) {
        if (!water(x, y)) continue;
        bool marked = (land(x + 1, y - 1) && land(x - 1, y + 1) && water(x + 1, y + 1) && water(x - 1, y - 1)) ||
                      (land(x + 1, y + 1) && land(x - 1, y - 1) && water(x + 1, y - 1) && water(x - 1, y + 1));
        if (!marked && water(x, y - 1) && water(x, y + 1)) {
          const bool left = land(x - 1, y - 1) || land(x - 1, y) || land(x - 1, y + 1);
          const bool right = land(x + 1, y - 1) || land(x + 1, y) || land(x + 1, y + 1);
          marked = left && right;
        }
        if (!marked && water(x - 1, y) && water(x + 1, y)) {
          const bool above = land(x - 1, y - 1) || land(x, y - 1) || land(x + 1, y - 1);
          const bool below = land(x - 1, y + 1) || land(x, y + 1) || land(x + 1, y + 1);
          marked = above && below;
        }
        if (marked) {
          for (std::int32_t bx = std::max(x - 1, 2); bx <= std::min(x + 1, W - 1); ++bx)
            for (std::int32_t by = std::max(y - 1, 2); by <= std::min(y + 1, H - 1); ++by) m_Set_Water(bx, by);
          changed = true;
        } else if (land(x - 1, y) && land(x + 1, y)) {
          if (Random_Range(1, 2) == 1)
            m_Set_Water(x + 1, y);
          else
            m_Set_Water(x - 1, y);
        } else if (land(x, y - 1) && land(x, y + 1)) {
          if (Random_Range(1, 2) == 1)
            m_Set_Water(x, y + 1);
          else
            m_Set_Water(x, y - 1);
        }
      }
  }
}

void TMap::m_Terrain_Fit_Tiles() {
  if (f_terrain.empty() || !Terrain_Tile_List) return;
  const TTerrain_Tile_List& tiles = *Terrain_Tile_List;
  std::vector<std::int32_t> candidates;
  for (std::int32_t x = 0; x <= f_grid_w; ++x)
    for (std::int32_t y = 0; y <= f_grid_h; ++y) {
      std::uint16_t base[9] = {}, specific[9] = {};
      bool all_inside = true;
      for (std::int32_t p = 1; p <= 8; ++p) {
        const std::int32_t nx = x + Neighbour_Dx[p], ny = y + Neighbour_Dy[p];
        if (!m_In_Grid(nx, ny)) {
          all_inside = false;
          continue;
        }
        const std::int32_t t = m_Cell(nx, ny).tile;
        if (t < 1 || t > tiles.m_Count()) continue;
        const TTerrain_Tile& nb = *tiles.m_Get_Item(std::uint16_t(t));
        const std::int32_t opposite = p > 4 ? p - 4 : p + 4;
        base[p] = nb.m_Get_Base_Connection(opposite);
        specific[p] = nb.m_Get_Specific_Connection(opposite);
      }
      const std::uint8_t own = m_Cell(x, y).cell_class;
      candidates.clear();
      std::int64_t sum = 0;
      for (std::uint16_t i = 1; i <= tiles.m_Count(); ++i) {
        const TTerrain_Tile& t = *tiles.m_Get_Item(i);
        switch (t.f_terrain_type) {
          case TERRAIN_TILE_LAND:
          case TERRAIN_TILE_OCEAN: break;
          case TERRAIN_TILE_SHORE_BORDER:
            if (own != TERRAIN_CLASS_LAND) continue;
            break;
          case TERRAIN_TILE_OCEAN_BORDER:
            if (own != TERRAIN_CLASS_WATER || !all_inside) continue;
            break;
          default: continue;
        }
        bool match = true;
        for (std::int32_t p = 1; p <= 8 && match; ++p) {
          const std::uint16_t cb = t.m_Get_Base_Connection(p), cs = t.m_Get_Specific_Connection(p);
          match = (cb == 0 || base[p] == 0 || cb == base[p]) && (cs == 0 || specific[p] == 0 || cs == specific[p]);
        }
        if (!match) continue;
        candidates.push_back(i);
        sum += t.f_weight;
      }
      if (candidates.empty()) continue;
      // The sum of at most 65535 weights of at most 65535 fits 32 bits.
      const std::int32_t r = Random_Range(1, std::int32_t(sum));
      std::int32_t chosen = 0;
      std::int64_t running = 0;
      for (std::int32_t c : candidates) {
        running += tiles.m_Get_Item(std::uint16_t(c))->f_weight;
        if (running >= r) {
          chosen = c;
          break;
        }
      }
      if (chosen == 0) chosen = candidates[std::size_t(Random_Range(1, std::int32_t(candidates.size())) - 1)];
      TTerrain_Cell& cell = m_Cell(x, y);
      cell.tile = chosen;
      cell.mark = 0;
    }
  // The frontier held the candidates of the last cell: empty it so that no
  // later step reads them as cells.
  f_frontier.clear();
}

void TMap::m_Terrain_Mountains() {
  if (f_terrain.empty() || !Terrain_Tile_List) return;
  const std::int32_t W = f_grid_w, H = f_grid_h;
  std::vector<std::int32_t> mountains;
  for (std::uint16_t i = 1; i <= Terrain_Tile_List->m_Count() && mountains.size() < 20; ++i)
    if (Terrain_Tile_List->m_Get_Item(i)->f_terrain_type == TERRAIN_TILE_MOUNTAINS) mountains.push_back(i);
  if (mountains.empty()) return;
  auto plain_land = [&](std::int32_t x, std::int32_t y) {
    const std::uint16_t t = m_Tile_Type(m_Cell(x, y).tile);
    return t == TERRAIN_TILE_LAND || t == TERRAIN_TILE_BASE_LAND;
  };
  auto random_mountain = [&]() {
    return mountains[std::size_t(Random_Range(1, std::int32_t(mountains.size())) - 1)];
  };
  auto put_mountain = [&](std::int32_t x, std::int32_t y) {
    TTerrain_Cell& c = m_Cell(x, y);
    c.tile = random_mountain();
    c.cell_class = TERRAIN_CLASS_LAND;
    c.mark = 0;
  };

  f_frontier.clear();
  for (std::int32_t x = 2; x <= W - 1; ++x)
    for (std::int32_t y = 2; y <= H - 1; ++y) {
      if (m_Cell(x, y).cell_class != TERRAIN_CLASS_LAND) continue;
      bool ok = true;
      for (std::int32_t bx = std::max(x - 2, 2); ok && bx <= std::min(x + 2, W - 1); ++bx)
        for (std::int32_t by = std::max(y - 2, 2); ok && by <= std::min(y + 2, H - 1); ++by)
          ok = plain_land(bx, by);
      if (ok) m_Frontier_Add(x, y);
    }

  std::int32_t n = Random_Range(20, 30);
  n = std::min({n, std::int32_t(f_frontier.size()), 100});
  std::vector<TGrid_Point> seeds;
  for (std::int32_t k = 1; k <= n; ++k) {
    const std::int32_t i = Random_Range(1, std::int32_t(f_frontier.size()));
    const TGrid_Point p = f_frontier[std::size_t(i - 1)];
    m_Frontier_Remove(i);
    bool keep = true;
    for (const TGrid_Point& s : seeds)
      if (Distance_Int(p.x, p.y, s.x, s.y) < 20.0f) keep = false;
    if (keep) seeds.push_back(p);
  }

  f_frontier.clear();
  static constexpr std::int32_t Step_Chance[7] = {0, 50, 50, 25, 25, 10, 10};
  static constexpr std::int32_t Step_Sign[7] = {0, 1, -1, 1, -1, 1, -1};
  for (const TGrid_Point& s : seeds) {
    put_mountain(s.x, s.y);
    m_Frontier_Add(s.x, s.y);
    const std::int32_t d = Random_Range(1, 6);
    const std::int32_t px = Step_Chance[d], sy = Step_Sign[d];
    struct TWalker {
      std::int32_t x, y, sign;
      bool stopped;
    } walkers[2] = {{s.x, s.y, 1, false}, {s.x, s.y, -1, false}};
    for (;;) {
      bool stepped = false;
      for (TWalker& w : walkers) {
        std::int32_t nx = w.x, ny = w.y;
        if (px < Random_Range(1, 100))
          ny += sy * w.sign;
        else
          nx += w.sign;
        if (w.stopped || nx < 1 || nx > W || ny < 1 || ny > H) continue;
        if (m_Cell(nx, ny).cell_class != TERRAIN_CLASS_LAND) continue;
        if (m_Tile_Type(m_Cell(nx, ny).tile) == TERRAIN_TILE_MOUNTAINS) continue;
        w.x = nx;
        w.y = ny;
        put_mountain(nx, ny);
        m_Frontier_Add(nx, ny);
        stepped = true;
      }
      for (TWalker& w : walkers)
        if (Random_Range(1, 10) == 1) w.stopped = true;
      if (!stepped) break;
    }
  }

  const std::size_t placed = f_frontier.size();
  for (std::size_t k = 0; k < placed; ++k) {
    const TGrid_Point p = f_frontier[k];
    for (std::int32_t bx = std::max(p.x - 1, 2); bx <= std::min(p.x + 1, W - 1); ++bx)
      for (std::int32_t by = std::max(p.y - 1, 2); by <= std::min(p.y + 1, H - 1); ++by)
        if (plain_land(bx, by) && Random_Range(1, 3) == 1) put_mountain(bx, by);
  }
}

// ---------------------------------------------------------------------------
// Land and water, regions.

void TMap::m_Generate_Regions(std::int32_t kind) {
  switch (kind) {
    case 1: m_Classify_Land_Water(); break;
    case 2: m_Create_Regions(); break;
    case 3: m_Create_Region_Objects(); break;
    default: break;
  }
}

void TMap::m_Classify_Land_Water() {
  f_region_counter = 0;
  const std::size_t n = f_terrain.size();
  f_work_region.assign(n, 0);
  f_work_kind.assign(n, 0);
  f_work_tile.assign(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const std::int32_t tile = f_terrain[i].tile;
    f_work_tile[i] = std::uint16_t(tile);  // tile indices are 16-bit
    switch (m_Tile_Type(tile)) {
      case TERRAIN_TILE_BASE_LAND:
      case TERRAIN_TILE_LAND: f_work_kind[i] = REGION_LAND; break;
      case TERRAIN_TILE_BASE_OCEAN:
      case TERRAIN_TILE_OCEAN: f_work_kind[i] = REGION_OCEAN; break;
      default: break;
    }
  }
}

std::uint16_t TMap::m_New_Work_Region() {
  if (f_region_counter >= 65535) throw ERangeError("More than 65535 regions in the generated world");
  return std::uint16_t(++f_region_counter);
}

void TMap::m_Seed_Regions(std::vector<std::int32_t>& candidates, std::int32_t amount) {
  std::int32_t made = 0, tries = 0;
  do {
    ++tries;
    const std::int32_t count = std::int32_t(candidates.size());
    const std::int32_t i = Random_Range(1, count);
    // An empty list spends its tries like a drawn entry 0.
    if (count == 0 || candidates[std::size_t(i - 1)] == 0) continue;
    const std::int32_t code = candidates[std::size_t(i - 1)];
    const std::int32_t cx = code % 10000, cy = code / 10000;
    f_work_region[m_Cell_Index(cx, cy)] = m_New_Work_Region();
    ++made;
    std::size_t kept = 0;
    for (std::size_t k = 0; k < candidates.size(); ++k) {
      const std::int32_t c = candidates[k];
      if (c == 0 || k == std::size_t(i - 1)) continue;
      if (std::abs(c % 10000 - cx) <= 3 && std::abs(c / 10000 - cy) <= 3) continue;
      candidates[kept++] = c;
    }
    candidates.resize(kept);
  } while (made <= amount && tries < 501);
}

namespace {
constexpr std::int32_t Side_Dx[4] = {-1, 0, 1, 0};  // left, up, right, down
constexpr std::int32_t Side_Dy[4] = {0, -1, 0, 1};
}  // namespace

bool TMap::m_Open_Neighbour(std::size_t cell, std::int32_t side) const {
  const std::int32_t x = std::int32_t(cell / std::size_t(f_grid_h + 1));
  const std::int32_t y = std::int32_t(cell % std::size_t(f_grid_h + 1));
  const std::int32_t nx = x + Side_Dx[side], ny = y + Side_Dy[side];
  if (!m_In_Grid(nx, ny)) return false;
  const std::size_t j = m_Cell_Index(nx, ny);
  return f_work_region[j] == 0 && f_work_kind[j] == f_work_kind[cell];
}

bool TMap::m_Grow_Regions_Once() {
  if (f_work_region.empty()) return false;
  std::vector<std::size_t> active;
  for (std::size_t i = 0; i < f_work_region.size(); ++i)
    if (f_work_region[i] != 0) active.push_back(i);
  return m_Grow_Regions_From(active);
}

// One growth round over the cells of `active` (in scan order), which must
// hold every cell that has a region and a neighbour it can grow into. On
// return `active` holds, in scan order, the cells that can still grow.
bool TMap::m_Grow_Regions_From(std::vector<std::size_t>& active) {
  const std::size_t column = std::size_t(f_grid_h + 1);
  std::vector<std::size_t> growing;
  growing.reserve(std::max<std::size_t>(active.size(), 5000));
  for (std::size_t i : active)
    for (std::int32_t s = 0; s < 4; ++s)
      if (m_Open_Neighbour(i, s)) {
        growing.push_back(i);
        break;
      }
  const std::int32_t n = std::int32_t(growing.size());
  std::vector<std::size_t> shuffled;
  shuffled.reserve(growing.size());
  std::vector<bool> taken(growing.size() + 1, false);
  for (std::int32_t k = 0; k < n; ++k) {
    std::int32_t a = Random_Range(1, n);
    while (taken[std::size_t(a)]) a = a == n ? 1 : a + 1;
    taken[std::size_t(a)] = true;
    shuffled.push_back(growing[std::size_t(a - 1)]);
  }
  std::vector<std::size_t> reached;
  for (std::size_t i : shuffled)
    for (std::int32_t s = 0; s < 4; ++s) {
      if (!m_Open_Neighbour(i, s)) continue;
      const std::size_t j = std::size_t(std::int64_t(i) + std::int64_t(Side_Dx[s]) * std::int64_t(column) + Side_Dy[s]);
      f_work_region[j] = f_work_region[i];
      reached.push_back(j);
    }
  growing.insert(growing.end(), reached.begin(), reached.end());
  std::sort(growing.begin(), growing.end());
  active = std::move(growing);
  return !reached.empty();
}

void TMap::m_Grow_Regions_Fully(std::vector<std::size_t>& active) {
  for (std::int32_t round = 1; round <= 101; ++round)
    if (!m_Grow_Regions_From(active)) break;
}

bool TMap::m_Merge_Regions_Round() {
  const std::int32_t W = f_grid_w, H = f_grid_h;
  // The cells of every region; a merge hands its list on to the partner.
  std::vector<std::vector<std::int32_t>> cells(std::size_t(f_region_counter) + 1);
  for (std::int32_t x = 0; x <= W; ++x)
    for (std::int32_t y = 0; y <= H; ++y) cells[f_work_region[m_Cell_Index(x, y)]].push_back(Cell_Code(x, y));
  auto region_at = [&](std::int32_t x, std::int32_t y) -> std::int32_t {
    return m_In_Grid(x, y) ? f_work_region[m_Cell_Index(x, y)] : -1;
  };
  bool merged = false;
  for (std::int32_t r = 1; r <= f_region_counter; ++r) {
    std::vector<std::int32_t>& own = cells[std::size_t(r)];
    if (own.empty()) continue;
    std::int32_t min_x = W, max_x = 0, min_y = H, max_y = 0;
    const std::uint16_t kind = f_work_kind[m_Cell_Index(own.front() % 10000, own.front() / 10000)];
    std::int32_t partner = 0;
    for (std::int32_t code : own) {
      const std::int32_t x = code % 10000, y = code / 10000;
      min_x = std::min(min_x, x);
      max_x = std::max(max_x, x);
      min_y = std::min(min_y, y);
      max_y = std::max(max_y, y);
      for (std::int32_t s = 0; s < 4; ++s) {
        const std::int32_t nx = x + Side_Dx[s], ny = y + Side_Dy[s];
        const std::int32_t other = region_at(nx, ny);
        if (other <= 0 || other == r || f_work_kind[m_Cell_Index(nx, ny)] != kind) continue;
        if (partner == 0 || Random_Range(1, 4) == 1) partner = other;
      }
    }
    const std::int32_t count = std::int32_t(own.size());
    bool small = count <= (kind == REGION_OCEAN ? 12 : 8) || max_x - min_x < 2 || max_y - min_y <= 1;
    if (!small) {
      // Regions of shore, border and mountain cells count like land.
      const std::int32_t divisor = kind == REGION_OCEAN ? 4 : 2;
      std::int32_t score = 0;
      for (std::int32_t y = min_y; y <= max_y; ++y) {
        std::int32_t run = 0;
        for (std::int32_t x = min_x - 1; x <= max_x + 1; ++x) {
          if (region_at(x, y) != r) continue;
          bool inner = true;
          for (std::int32_t s = 0; s < 4 && inner; ++s) {
            const std::int32_t v = region_at(x + Side_Dx[s], y + Side_Dy[s]);
            inner = v < 0 || v == r;
          }
          if (inner) {
            ++run;
          } else {
            score += run / divisor;
            run = 0;
          }
        }
        score += run / divisor;
      }
      small = score < 4;
    }
    if (!small || partner == 0) continue;
    for (std::int32_t code : own) f_work_region[m_Cell_Index(code % 10000, code / 10000)] = std::uint16_t(partner);
    std::vector<std::int32_t>& to = cells[std::size_t(partner)];
    to.insert(to.end(), own.begin(), own.end());
    own.clear();
    merged = true;
  }
  return merged;
}

void TMap::m_Create_Regions() {
  if (f_work_region.empty()) return;
  const std::int32_t W = f_grid_w, H = f_grid_h;
  std::vector<std::int32_t> candidates[3];
  candidates[1].reserve(3000);
  candidates[2].reserve(3000);
  for (std::int32_t y = 0; y <= H; ++y)
    for (std::int32_t x = 0; x <= W; ++x) {
      const std::uint16_t kind = f_work_kind[m_Cell_Index(x, y)];
      if (kind != REGION_LAND && kind != REGION_OCEAN) continue;
      bool ok = true;
      for (std::int32_t bx = std::max(x - 2, 0); ok && bx <= std::min(x + 2, W); ++bx)
        for (std::int32_t by = std::max(y - 2, 0); ok && by <= std::min(y + 2, H); ++by)
          ok = f_work_kind[m_Cell_Index(bx, by)] == kind;
      if (ok) candidates[kind].push_back(Cell_Code(x, y));
    }
  m_Seed_Regions(candidates[1], f_map_type ? f_map_type->f_base_land_region_amount : Default_Land_Region_Amount);
  m_Seed_Regions(candidates[2], f_map_type ? f_map_type->f_base_ocean_region_amount : Default_Ocean_Region_Amount);
  std::vector<std::size_t> active;
  for (std::size_t i = 0; i < f_work_region.size(); ++i)
    if (f_work_region[i] != 0) active.push_back(i);
  m_Grow_Regions_Fully(active);

  // Cells not reached form regions of their own; cells before the last one
  // found all have a region already.
  std::size_t next = 0;
  for (;;) {
    const std::size_t total = f_work_region.size();
    while (next < total && f_work_region[next] != 0) ++next;
    if (next == total) break;
    f_work_region[next] = m_New_Work_Region();
    active.insert(std::upper_bound(active.begin(), active.end(), next), next);
    m_Grow_Regions_Fully(active);
  }

  for (std::int32_t round = 1; round <= 51; ++round)
    if (!m_Merge_Regions_Round()) break;

  // Dense numbering in the order of the old ids.
  std::vector<std::int32_t> used(std::size_t(f_region_counter) + 1, 0);
  for (std::uint16_t r : f_work_region) used[r] = 1;
  std::vector<std::uint16_t> new_id(used.size(), 0);
  std::int32_t count = 0;
  for (std::size_t r = 1; r < used.size(); ++r)
    if (used[r]) new_id[r] = std::uint16_t(++count);
  for (std::uint16_t& r : f_work_region) r = new_id[r];
  f_region_counter = count;

  f_region_kinds.assign(std::size_t(count) + 1, 0);
  for (std::size_t i = 0; i < f_work_region.size(); ++i)
    if (f_work_kind[i] == REGION_LAND || f_work_kind[i] == REGION_OCEAN)
      f_region_kinds[f_work_region[i]] = std::uint8_t(f_work_kind[i]);
}

void TMap::m_Create_Region_Objects() {
  std::vector<std::string> names;
  if (Path_Settings) {
    std::ifstream in(Native_Path(Path_Settings->m_Get_RegionNames_File()), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      names.push_back(Text_To_Utf8(line));
    }
  }
  m_Create_Region_Objects(std::move(names));
}

void TMap::m_Create_Region_Objects(std::vector<std::string> names) {
  // Blank and repeated lines would give regions without a name or two
  // regions of one name: each name is offered once.
  std::vector<std::string> offered;
  for (const std::string& line : names) {
    const std::string name = Text_Trim(line);
    if (name.empty()) continue;
    bool seen = false;
    for (const std::string& o : offered) seen = seen || Text_Compare(o, name) == 0;
    if (!seen) offered.push_back(name);
  }
  const std::int32_t count = f_region_counter;
  m_Set_Region_Count(0);
  m_Set_Region_Count(count);
  if (count == 0) return;
  std::vector<TColor> colors(std::size_t(count) + 1, 0);
  for (std::int32_t j = 1; j <= count; ++j) {
    TColor c;
    bool again;
    do {
      const std::int32_t r = Random_Range(70, 250), g = Random_Range(70, 250), b = Random_Range(70, 250);
      c = Make_Color(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
      again = std::find(colors.begin() + 1, colors.begin() + j, c) != colors.begin() + j;
    } while (again);
    colors[std::size_t(j)] = c;
  }
  std::int32_t ocean_number = 0, generic_number = 0;
  for (std::int32_t j = 1; j <= count; ++j) {
    const std::uint8_t kind = m_Get_Region_Kind_Entry(j);
    if (kind != REGION_LAND && kind != REGION_OCEAN) continue;
    TMap_Region& region = m_New_Region(j);
    region.m_Init(j, colors[std::size_t(j)]);
    region.m_Set_Type(kind);
    if (kind == REGION_LAND) {
      std::string name;
      if (!offered.empty()) {
        const std::int32_t h = Random_Range(1, std::int32_t(offered.size()));
        name = offered[std::size_t(h - 1)];
        offered.erase(offered.begin() + (h - 1));
      } else {
        // Out of names: numbered land names, as the oceans are numbered.
        name = "Land " + Three_Digits(++generic_number);
      }
      region.m_Set_Name(name);
      region.m_Set_Second_Text(name);
    } else {
      const std::string n = Three_Digits(++ocean_number);
      region.m_Set_Name("Ocean " + n);
      region.m_Set_Second_Text(n);
    }
  }
}
