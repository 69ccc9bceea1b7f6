// CurrentMap.map: the world map's file, in full and partial form.
//
// The full form holds the version, every region slot (a present flag and
// the region's record), the map's picture sizes, the unit table (free
// records too), the cargo lists and the combat regions. The partial form,
// which a host sends to a joining player who holds the same generated map,
// leaves out what never changes in play: the region count and present
// flags, the sizes, and in each region record its identity, names, colour,
// connections, bounds and click zones (and the square rectangles, grid and
// label values unless the squares were rebuilt). Both forms hold every
// region of the map, with or without connections.
//
// A file is read into a fresh map that replaces the map's contents only
// once everything was read, so a truncated or hostile file never leaves a
// half-loaded map in use. Every count read is checked against the bytes
// left before anything is sized by it, since the partial form arrives over
// the network.
#include <algorithm>
#include <charconv>
#include <vector>

#include "Debug_Log.h"
#include "Errors.h"
#include "Io_Fields.h"
#include "Io_Tagged.h"
#include "MapClass.h"
#include "MapRegion.h"

const char* const Map_File_Version = "1.09";

namespace {
// Lines of the save section of the debug log, each with the bytes written
// since the line before.
class TSave_Log {
public:
  explicit TSave_Log(const TIo_Writer& w) : f_w(w), f_last(w.m_Bytes_Written()) {}
  void m_Line(const char* text) {
    if (!f_on) return;
    Debug_Log_Write(text + std::to_string(f_w.m_Bytes_Written() - f_last));
    f_last = f_w.m_Bytes_Written();
  }

private:
  const TIo_Writer& f_w;
  std::uint64_t f_last;
  bool f_on = Debug_Sections[DEBUG_SAVE_LOAD];
};
}  // namespace

namespace {
// The save section of the debug log is written while writing only.
struct TNo_Save_Log {
  void m_Line(const char*) {}
};

template <class F, class Label>
void Label_Fields(F& f, Label& l) {
  f.Integer(l.label_square, l.label_column, l.label_row);
  f.Integer(l.lower_marker_square, l.upper_marker_square);
  f.Integer(l.label_x, l.label_y, l.centre_x, l.centre_y);
}

// Every tagged value takes at least 1 byte, an integer at least 2.
constexpr std::uint64_t Int_Bytes = 2;
}  // namespace

template <class F, class Self, class Log>
void TMap_Region::m_Fields(F& f, Self& self, bool partial, Log& log) {
  if (!partial) {
    f.Integer(self.f_id);
    f.Byte(self.f_kind);
    f.String(self.f_name, self.f_label_text);
    f.Color_RGB_Bytes(self.f_color);
  }
  f.Byte(self.f_owner);
  f.Integer(self.f_value);
  f.Byte(self.f_subdivisions);
  if (!partial) {
    f.Integer_Count(self.f_connections, Int_Bytes);
    for (auto& c : self.f_connections) f.Integer(c);
    log.m_Line("TMap_Region.Save: Connections Bytes: ");
  }
  f.Boolean(self.f_rebuilt);
  // Each square takes at least its five state values. Without new
  // rectangles (the partial form of squares that were not rebuilt) the
  // squares keep theirs; squares beyond the old ones start empty.
  f.Integer_Count(self.f_squares, 5 * Int_Bytes - 1);
  const bool shape = !partial || self.f_rebuilt;
  if (shape)
    for (auto& sq : self.f_squares) {
      f.Integer(sq.left, sq.top, sq.right, sq.bottom);
    }
  for (auto& sq : self.f_squares) {
    f.Byte(sq.state);
    f.Integer(sq.unit_type);
    f.Byte(sq.owner);
    f.Boolean(sq.shown);
    f.Integer(sq.stack_count);
  }
  log.m_Line("TMap_Region.Save: Actual Sqrs Bytes: ");
  if (shape) {
    f.Integer(self.f_grid_columns, self.f_grid_rows);
    const std::int32_t columns = self.f_grid_columns, rows = self.f_grid_rows;
    if constexpr (F::reading) {
      if (columns < 0 || rows < 0) throw ERangeError("Negative grid size");
      self.f_grid.resize(f.Checked_Count(std::int64_t(columns) * rows, Int_Bytes));
    }
    // Column by column, as the grid is kept.
    for (std::int32_t c = 0; c < columns; ++c)
      for (std::int32_t row = 0; row < rows; ++row) {
        std::int32_t cell = F::reading ? 0 : self.m_Get_Grid_Cell(c, row);
        f.Integer(cell);
        if constexpr (F::reading) self.f_grid[std::size_t(c) * std::size_t(rows) + std::size_t(row)] = cell;
      }
    Label_Fields(f, self.f_label);
    log.m_Line("TMap_Region.Save: Actual Sqr Grid Bytes: ");
  }
  if (!partial) {
    f.Integer(self.f_bounds_left, self.f_bounds_top, self.f_bounds_right, self.f_bounds_bottom);
    f.Word(self.f_click_row_count, self.f_click_span_capacity);
    const std::uint16_t row_count = self.f_click_row_count, capacity = self.f_click_span_capacity;
    if constexpr (F::reading) {
      self.f_click_spans.clear();
      // Rows are only written with a span capacity; a count of rows without
      // one names rows that are not in the file.
      if (row_count != 0 && capacity == 0) throw ERangeError("Click zone rows without spans");
      self.f_click_row_ends.assign(f.Checked_Count(row_count, Int_Bytes), 0);
    }
    if (row_count != 0 && capacity != 0)
      for (std::int32_t row = 1; row <= row_count; ++row) {
        if constexpr (F::reading) {
          // The row's spans go at the end of the region's one block.
          std::uint16_t n = 0;
          f.Word(n);
          if (n > capacity) throw ERangeError("Click zone row beyond its capacity");
          f.Checked_Count(n, 2 * Int_Bytes);
          for (std::uint16_t k = 0; k < n; ++k) {
            TClick_Zone_Span span;
            f.Word(span.x1, span.x2);
            self.f_click_spans.push_back(span);
          }
          self.f_click_row_ends[std::size_t(row - 1)] = std::uint32_t(self.f_click_spans.size());
        } else {
          const auto spans = self.m_Get_Click_Zone_Row(row);
          std::uint16_t n = Checked_Cast<std::uint16_t>(spans.size());
          f.Word(n);
          for (const TClick_Zone_Span& span : spans) f.Word(span.x1, span.x2);
        }
      }
    log.m_Line("TMap_Region.Save: Click Zone Bytes: ");
  }
  f.Integer_Count(self.f_units, Int_Bytes);
  for (auto& id : self.f_units) f.Integer(id);
  log.m_Line("TMap_Region.Save: Units Bytes: ");
}

void TMap_Region::Save(TIo_Writer& w, bool partial) const {
  if (Debug_Sections[DEBUG_SAVE_LOAD])
    Debug_Log_Write("TMap_Region.Save: Region: " + std::to_string(f_id));
  TSave_Log log(w);
  TIo_Field_Writer f(w);
  m_Fields(f, *this, partial, log);
}

void TMap_Region::m_Load(TIo_Reader& r, bool partial) {
  if (!partial) m_Clear();
  TNo_Save_Log log;
  TIo_Field_Reader f(r);
  m_Fields(f, *this, partial, log);
  // Whether each listed unit has a stack square is looked at when a stack
  // next goes (the unit records may not be read yet).
  f_unplaced = !f_units.empty();

  // The grid and the label name squares by index: every index must be a
  // square of the region (0 none), also when the square count changed
  // without new rectangles.
  const std::int64_t squares_now = std::int64_t(f_squares.size());
  auto is_square = [squares_now](std::int32_t i) { return i >= 0 && i <= squares_now; };
  if (f_grid.size() != std::size_t(std::int64_t(f_grid_columns) * f_grid_rows))
    throw ERangeError("Square grid of another size");
  for (std::int32_t cell : f_grid)
    if (!is_square(cell)) throw ERangeError("Grid cell beyond the squares");
  if (!is_square(f_label.label_square) || !is_square(f_label.lower_marker_square) ||
      !is_square(f_label.upper_marker_square))
    throw ERangeError("Label square beyond the squares");
}

// ---------------------------------------------------------------------------
// Versions

namespace {
// The numbers of a version text, part by part.
std::vector<std::uint64_t> Version_Parts(const std::string& text) {
  if (text.empty()) throw EConvertError("Empty game version");
  std::vector<std::uint64_t> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('.', start);
    if (end == std::string::npos) end = text.size();
    std::uint64_t v = 0;
    const char* first = text.data() + start;
    const char* last = text.data() + end;
    auto [p, ec] = std::from_chars(first, last, v);
    if (first == last || ec != std::errc() || p != last)
      throw EConvertError("'" + text + "' is not a valid game version");
    parts.push_back(v);
    if (end == text.size()) break;
    start = end + 1;
  }
  return parts;
}
}  // namespace

int Map_Version_Compare(const std::string& a, const std::string& b) {
  const std::vector<std::uint64_t> pa = Version_Parts(a), pb = Version_Parts(b);
  // A missing part counts as 0: "1" and "1.0" are the same version.
  for (std::size_t i = 0; i < std::max(pa.size(), pb.size()); ++i) {
    const std::uint64_t x = i < pa.size() ? pa[i] : 0, y = i < pb.size() ? pb[i] : 0;
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// The map

bool TMap::m_Region_Written(std::int32_t id) const {
  // Every region goes into the file, connected or not: a region left out
  // would lose its owner and the units standing in it.
  return m_Get_Region(id) != nullptr;
}

template <class F>
void TMap::m_Fields(F& f, bool partial, const std::string& version) {
  const bool log_on = !F::reading && Debug_Sections[DEBUG_SAVE_LOAD];
  auto log = [log_on](const char* text, std::uint64_t n) {
    if (log_on) Debug_Log_Write(text + std::to_string(n));
  };
  std::uint64_t mark = 0;
  auto bytes = [&]() -> std::uint64_t {
    if constexpr (F::reading) {
      return 0;
    } else {
      const std::uint64_t n = f.m_Writer().m_Bytes_Written() - mark;
      mark = f.m_Writer().m_Bytes_Written();
      return n;
    }
  };
  if constexpr (!F::reading) mark = f.m_Writer().m_Bytes_Written();
  // A region's record, in the form asked for.
  auto region_fields = [&f](TMap_Region& region, bool part) {
    if constexpr (F::reading)
      region.m_Load(f.m_Reader(), part);
    else
      region.Save(f.m_Writer(), part);
  };

  // Files written before version 0.12 start without a version.
  if (F::reading && Map_Version_Compare(version, "0.12") < 0)
    f_version = version;
  else
    f.String(f_version);

  if (!partial) {
    std::int32_t count = f_region_count;
    f.Integer(count);
    if constexpr (F::reading) m_Set_Region_Count(std::int32_t(f.Checked_Count(count, 1)));
  }
  log("TMap.Save: Num Regions = ", std::uint64_t(f_region_count));
  for (std::int32_t i = 1; i <= f_region_count; ++i) {
    bool written = m_Region_Written(i);
    if (partial) {
      // The partial form carries the regions the map already holds.
      if (written) region_fields(*m_Get_Region(i), true);
      continue;
    }
    f.Boolean(written);
    if (!written) continue;
    if constexpr (F::reading) {
      TMap_Region& region = m_New_Region(i);
      region_fields(region, false);
      if (region.m_Get_Id() != i) throw ERangeError("Region " + std::to_string(i) + " carries another id");
    } else {
      region_fields(*m_Get_Region(i), false);
    }
  }
  if (!partial) {
    f.Integer(f_pixel_width, f_pixel_height, f_section_width, f_section_height);
    log("TMap.Save: Num Units     = ", std::uint64_t(f_unit_count));
    log("TMap.Save: Regions Bytes = ", bytes());
  }

  // Every record of the unit table, free ones (all zero) too; a record
  // takes seven integers.
  std::int32_t units = f_unit_count;
  f.Integer(units);
  if constexpr (F::reading) {
    f_unit_count = f_unit_capacity = std::int32_t(f.Checked_Count(units, 7 * Int_Bytes));
    f_units.assign(std::size_t(f_unit_count) + 1, TMap_Unit_Record{});
  }
  for (std::int32_t id = 1; id <= f_unit_count; ++id) {
    TMap_Unit_Record& u = f_units[std::size_t(id)];
    f.Integer(u.id, u.region, u.unit_type);
    f.Byte(u.owner, u.moves);
    f.Word(u.cargo_list);
    f.Integer(u.damage);
    // A record is free (all zero) or carries its own index.
    if (F::reading && u.id != 0 && u.id != id)
      throw ERangeError("Unit record " + std::to_string(id) + " carries another id");
  }
  log("TMap.Save: Num Cargo Units = ", f_cargo_lists.size());
  log("TMap.Save: Units Bytes = ", bytes());

  f.Integer_Count(f_cargo_lists, Int_Bytes);
  if (F::reading && f_cargo_lists.size() > 65535) throw ERangeError("Too many cargo lists");
  for (TMap_Cargo_List& l : f_cargo_lists) {
    std::uint16_t n = Checked_Cast<std::uint16_t>(l.count);
    f.Integer(n);
    if constexpr (F::reading) {
      if (n > Max_Cargo_Units) throw ERangeError("Cargo list of more than 30 units");
      l.count = n;
    }
    for (std::int32_t i = 1; i <= n; ++i) f.Integer(l.ids[std::size_t(i)]);
  }
  log("TMap.Save: Num Combat Regions = ", f_combat_regions.size());
  log("TMap.Save: Cargo Units Bytes  = ", bytes());

  f.Integer_Count(f_combat_regions, Int_Bytes);
  for (std::int32_t& id : f_combat_regions) f.Integer(id);
}

bool TMap::Save(TIo_Writer& w, bool partial, const std::string& version) {
  f_version = version;
  TIo_Field_Writer f(w);
  m_Fields(f, partial, version);
  return true;
}

void TMap::m_Load_Into(TIo_Reader& r, bool partial, const std::string& version) {
  TIo_Field_Reader f(r);
  m_Fields(f, partial, version);
  Map_Shape_Changed();
  m_Rebuild_Unit_Indexes();
}

void TMap::m_Take_Loaded(TMap& loaded, bool partial) {
  Map_Shape_Changed();
  f_version = loaded.f_version;
  if (partial) {
    // The same regions as before, each overwritten in place.
    for (std::int32_t i = 1; i <= f_region_count; ++i)
      if (TMap_Region* r = m_Get_Region(i)) r->m_Assign(*loaded.m_Get_Region(i));
  } else {
    f_region_count = loaded.f_region_count;
    f_regions = std::move(loaded.f_regions);
    for (auto& region : f_regions)
      if (region) region->f_map = this;
  }
  f_pixel_width = loaded.f_pixel_width;
  f_pixel_height = loaded.f_pixel_height;
  f_section_width = loaded.f_section_width;
  f_section_height = loaded.f_section_height;
  f_unit_count = loaded.f_unit_count;
  f_unit_capacity = loaded.f_unit_capacity;
  f_units = std::move(loaded.f_units);
  f_cargo_lists = std::move(loaded.f_cargo_lists);
  f_combat_regions = std::move(loaded.f_combat_regions);
  f_search_marks.clear();
  f_search_flags.clear();
  f_free_units = std::move(loaded.f_free_units);
  f_owner_units = std::move(loaded.f_owner_units);
  f_owner_type_counts = std::move(loaded.f_owner_type_counts);
  f_free_cargo_lists = std::move(loaded.f_free_cargo_lists);
  f_cargo_transport = std::move(loaded.f_cargo_transport);
  f_cargo_home = std::move(loaded.f_cargo_home);
  loaded.m_Clear();
}

bool TMap::m_Load(TIo_Reader& r, bool partial, const std::string& version) {
  TMap loaded;
  // The partial form overwrites the regions in memory: it is read into a
  // copy of them.
  if (partial) loaded.m_Assign(*this);
  loaded.m_Load_Into(r, partial, version);
  if (!partial) m_Clear();
  m_Take_Loaded(loaded, partial);
  return true;
}

void TMap::m_Take_Map(TMap& loaded) {
  m_Clear();
  m_Take_Loaded(loaded, false);
}

bool TMap::m_Save_To_File(const std::string& file_name, bool partial, const std::string& version) {
  return Io_Save_To_File(file_name, [&](TIo_Writer& w) { Save(w, partial, version); });
}

bool TMap::m_Load_From_File(const std::string& file_name, bool partial, const std::string& version) {
  return Io_Load_From_File(file_name, [&](TIo_Reader& r) { m_Load(r, partial, version); });
}
