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
#include "Io_Tagged.h"
#include "MapClass.h"
#include "MapRegion.h"

const char* const Map_File_Version = "1.09";

namespace {
// A count read from a file: not negative, and each entry takes at least
// `min_bytes` of the bytes that are left.
std::size_t Checked_Count(TIo_Reader& r, std::int64_t count, std::uint64_t min_bytes) {
  if (count < 0 || std::uint64_t(count) > r.m_Bytes_Left() / min_bytes)
    throw ERangeError("Count beyond the end of the file");
  return std::size_t(count);
}

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

void TMap_Region::Save(TIo_Writer& w, bool partial) const {
  if (Debug_Sections[DEBUG_SAVE_LOAD])
    Debug_Log_Write("TMap_Region.Save: Region: " + std::to_string(f_id));
  TSave_Log log(w);
  if (!partial) {
    Io_Write_Integer(w, f_id);
    Io_Write_Byte(w, f_kind);
    Io_Write_String(w, f_name);
    Io_Write_String(w, f_label_text);
    Io_Write_Byte(w, Color_Red(f_color));
    Io_Write_Byte(w, Color_Green(f_color));
    Io_Write_Byte(w, Color_Blue(f_color));
  }
  Io_Write_Byte(w, f_owner);
  Io_Write_Integer(w, f_value);
  Io_Write_Byte(w, f_subdivisions);
  if (!partial) {
    Io_Write_Integer(w, Checked_Cast<std::int32_t>(f_connections.size()));
    for (std::int32_t c : f_connections) Io_Write_Integer(w, c);
    log.m_Line("TMap_Region.Save: Connections Bytes: ");
  }
  Io_Write_Boolean(w, f_rebuilt);
  Io_Write_Integer(w, Checked_Cast<std::int32_t>(f_squares.size()));
  const bool shape = !partial || f_rebuilt;
  if (shape)
    for (const TMap_Region_Square& s : f_squares) {
      Io_Write_Integer(w, s.left);
      Io_Write_Integer(w, s.top);
      Io_Write_Integer(w, s.right);
      Io_Write_Integer(w, s.bottom);
    }
  for (const TMap_Region_Square& s : f_squares) {
    Io_Write_Byte(w, s.state);
    Io_Write_Integer(w, s.unit_type);
    Io_Write_Byte(w, s.owner);
    Io_Write_Boolean(w, s.shown);
    Io_Write_Integer(w, s.stack_count);
  }
  log.m_Line("TMap_Region.Save: Actual Sqrs Bytes: ");
  if (shape) {
    Io_Write_Integer(w, f_grid_columns);
    Io_Write_Integer(w, f_grid_rows);
    for (std::int32_t c = 0; c < f_grid_columns; ++c)
      for (std::int32_t row = 0; row < f_grid_rows; ++row) Io_Write_Integer(w, m_Get_Grid_Cell(c, row));
    const TRegion_Label_Values& l = f_label;
    for (std::int32_t v : {l.label_square, l.label_column, l.label_row, l.lower_marker_square,
                           l.upper_marker_square, l.label_x, l.label_y, l.centre_x, l.centre_y})
      Io_Write_Integer(w, v);
    log.m_Line("TMap_Region.Save: Actual Sqr Grid Bytes: ");
  }
  if (!partial) {
    Io_Write_Integer(w, f_bounds_left);
    Io_Write_Integer(w, f_bounds_top);
    Io_Write_Integer(w, f_bounds_right);
    Io_Write_Integer(w, f_bounds_bottom);
    Io_Write_Word(w, f_click_row_count);
    Io_Write_Word(w, f_click_span_capacity);
    if (f_click_row_count != 0 && f_click_span_capacity != 0)
      for (std::int32_t row = 1; row <= f_click_row_count; ++row) {
        const std::vector<TClick_Zone_Span>& spans = m_Get_Click_Zone_Row(row);
        Io_Write_Word(w, Checked_Cast<std::uint16_t>(spans.size()));
        for (const TClick_Zone_Span& s : spans) {
          Io_Write_Word(w, s.x1);
          Io_Write_Word(w, s.x2);
        }
      }
    log.m_Line("TMap_Region.Save: Click Zone Bytes: ");
  }
  Io_Write_Integer(w, Checked_Cast<std::int32_t>(f_units.size()));
  for (std::int32_t id : f_units) Io_Write_Integer(w, id);
  log.m_Line("TMap_Region.Save: Units Bytes: ");
}

void TMap_Region::m_Load(TIo_Reader& r, bool partial) {
  // Every tagged value takes at least 1 byte, an integer at least 2.
  constexpr std::uint64_t int_bytes = 2;
  if (!partial) {
    m_Clear();
    f_id = Io_Read_Integer(r);
    f_kind = Io_Read_Byte(r);
    f_name = Io_Read_String(r);
    f_label_text = Io_Read_String(r);
    const std::uint8_t red = Io_Read_Byte(r), green = Io_Read_Byte(r), blue = Io_Read_Byte(r);
    f_color = Make_Color(red, green, blue);
  }
  f_owner = Io_Read_Byte(r);
  f_value = Io_Read_Integer(r);
  f_subdivisions = Io_Read_Byte(r);
  if (!partial) {
    const std::size_t n = Checked_Count(r, Io_Read_Integer(r), int_bytes);
    f_connections.resize(n);
    for (std::int32_t& c : f_connections) c = Io_Read_Integer(r);
  }
  f_rebuilt = Io_Read_Boolean(r);
  const bool shape = !partial || f_rebuilt;
  // Each square takes at least its five state values.
  const std::size_t squares = Checked_Count(r, Io_Read_Integer(r), 5 * int_bytes - 1);
  // Without new rectangles the squares keep theirs; squares beyond the old
  // ones start empty.
  f_squares.resize(squares);
  if (shape)
    for (TMap_Region_Square& s : f_squares) {
      s.left = Io_Read_Integer(r);
      s.top = Io_Read_Integer(r);
      s.right = Io_Read_Integer(r);
      s.bottom = Io_Read_Integer(r);
    }
  for (TMap_Region_Square& s : f_squares) {
    s.state = Io_Read_Byte(r);
    s.unit_type = Checked_Cast<std::uint16_t>(Io_Read_Integer(r));
    s.owner = Io_Read_Byte(r);
    s.shown = Io_Read_Boolean(r);
    s.stack_count = Io_Read_Integer(r);
  }
  if (shape) {
    const std::int32_t columns = Io_Read_Integer(r);
    const std::int32_t rows = Io_Read_Integer(r);
    if (columns < 0 || rows < 0) throw ERangeError("Negative grid size");
    const std::size_t cells = Checked_Count(r, std::int64_t(columns) * rows, int_bytes);
    f_grid_columns = columns;
    f_grid_rows = rows;
    f_grid.resize(cells);
    for (std::int32_t& cell : f_grid) cell = Io_Read_Integer(r);
    TRegion_Label_Values& l = f_label;
    for (std::int32_t* v : {&l.label_square, &l.label_column, &l.label_row, &l.lower_marker_square,
                            &l.upper_marker_square, &l.label_x, &l.label_y, &l.centre_x, &l.centre_y})
      *v = Io_Read_Integer(r);
  }
  if (!partial) {
    f_bounds_left = Io_Read_Integer(r);
    f_bounds_top = Io_Read_Integer(r);
    f_bounds_right = Io_Read_Integer(r);
    f_bounds_bottom = Io_Read_Integer(r);
    f_click_row_count = Io_Read_Word(r);
    f_click_span_capacity = Io_Read_Word(r);
    f_click_rows.clear();
    // Rows are only written with a span capacity; a count of rows without
    // one names rows that are not in the file.
    if (f_click_row_count != 0 && f_click_span_capacity == 0) throw ERangeError("Click zone rows without spans");
    if (f_click_row_count != 0) {
      f_click_rows.resize(Checked_Count(r, f_click_row_count, int_bytes));
      for (std::vector<TClick_Zone_Span>& spans : f_click_rows) {
        const std::uint16_t n = Io_Read_Word(r);
        if (n > f_click_span_capacity) throw ERangeError("Click zone row beyond its capacity");
        spans.resize(Checked_Count(r, n, 2 * int_bytes));
        for (TClick_Zone_Span& s : spans) {
          s.x1 = Io_Read_Word(r);
          s.x2 = Io_Read_Word(r);
        }
      }
    }
  }
  f_units.resize(Checked_Count(r, Io_Read_Integer(r), int_bytes));
  for (std::int32_t& id : f_units) id = Io_Read_Integer(r);
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

bool TMap::Save(TIo_Writer& w, bool partial, const std::string& version) {
  f_version = version;
  const bool log_on = Debug_Sections[DEBUG_SAVE_LOAD];
  auto log = [log_on](const char* text, std::uint64_t n) {
    if (log_on) Debug_Log_Write(text + std::to_string(n));
  };
  std::uint64_t mark = w.m_Bytes_Written();
  auto bytes = [&w, &mark]() {
    const std::uint64_t n = w.m_Bytes_Written() - mark;
    mark = w.m_Bytes_Written();
    return n;
  };

  Io_Write_String(w, f_version);
  if (!partial) Io_Write_Integer(w, f_region_count);
  log("TMap.Save: Num Regions = ", std::uint64_t(f_region_count));
  for (std::int32_t i = 1; i <= f_region_count; ++i) {
    const bool written = m_Region_Written(i);
    if (!partial) Io_Write_Boolean(w, written);
    if (written) m_Get_Region(i)->Save(w, partial);
  }
  if (!partial) {
    Io_Write_Integer(w, f_pixel_width);
    Io_Write_Integer(w, f_pixel_height);
    Io_Write_Integer(w, f_section_width);
    Io_Write_Integer(w, f_section_height);
    log("TMap.Save: Num Units     = ", std::uint64_t(f_unit_count));
    log("TMap.Save: Regions Bytes = ", bytes());
  }

  Io_Write_Integer(w, f_unit_count);
  for (std::int32_t id = 1; id <= f_unit_count; ++id) {
    const TMap_Unit_Record& u = f_units[std::size_t(id)];
    Io_Write_Integer(w, u.id);
    Io_Write_Integer(w, u.region);
    Io_Write_Integer(w, u.unit_type);
    Io_Write_Byte(w, u.owner);
    Io_Write_Byte(w, u.moves);
    Io_Write_Word(w, u.cargo_list);
    Io_Write_Integer(w, u.damage);
  }
  log("TMap.Save: Num Cargo Units = ", f_cargo_lists.size());
  log("TMap.Save: Units Bytes = ", bytes());

  Io_Write_Integer(w, Checked_Cast<std::int32_t>(f_cargo_lists.size()));
  for (const TMap_Cargo_List& l : f_cargo_lists) {
    Io_Write_Integer(w, l.count);
    for (std::int32_t i = 1; i <= l.count; ++i) Io_Write_Integer(w, l.ids[std::size_t(i)]);
  }
  log("TMap.Save: Num Combat Regions = ", f_combat_regions.size());
  log("TMap.Save: Cargo Units Bytes  = ", bytes());

  Io_Write_Integer(w, Checked_Cast<std::int32_t>(f_combat_regions.size()));
  for (std::int32_t id : f_combat_regions) Io_Write_Integer(w, id);
  return true;
}

void TMap::m_Load_Into(TIo_Reader& r, bool partial, const std::string& version) {
  // Every tagged value takes at least 1 byte, an integer at least 2.
  constexpr std::uint64_t int_bytes = 2;
  // Files written before version 0.12 start without a version.
  if (Map_Version_Compare(version, "0.12") < 0)
    f_version = version;
  else
    f_version = Io_Read_String(r);

  if (!partial) {
    m_Set_Region_Count(std::int32_t(Checked_Count(r, Io_Read_Integer(r), 1)));
    for (std::int32_t i = 1; i <= f_region_count; ++i) {
      if (!Io_Read_Boolean(r)) continue;
      TMap_Region& region = m_New_Region(i);
      region.m_Load(r, false);
      if (region.m_Get_Id() != i) throw ERangeError("Region " + std::to_string(i) + " carries another id");
    }
    f_pixel_width = Io_Read_Integer(r);
    f_pixel_height = Io_Read_Integer(r);
    f_section_width = Io_Read_Integer(r);
    f_section_height = Io_Read_Integer(r);
  } else {
    for (std::int32_t i = 1; i <= f_region_count; ++i)
      if (m_Region_Written(i)) m_Get_Region(i)->m_Load(r, true);
  }

  // A unit record takes seven integers.
  const std::size_t units = Checked_Count(r, Io_Read_Integer(r), 7 * int_bytes);
  f_unit_count = f_unit_capacity = std::int32_t(units);
  f_units.assign(units + 1, TMap_Unit_Record{});
  for (std::size_t id = 1; id <= units; ++id) {
    TMap_Unit_Record& u = f_units[id];
    u.id = Io_Read_Integer(r);
    u.region = Io_Read_Integer(r);
    u.unit_type = Checked_Cast<std::uint16_t>(Io_Read_Integer(r));
    u.owner = Io_Read_Byte(r);
    u.moves = Io_Read_Byte(r);
    u.cargo_list = Io_Read_Word(r);
    u.damage = Io_Read_Integer(r);
    // A record is free (all zero) or carries its own index.
    if (u.id != 0 && std::size_t(u.id) != id) throw ERangeError("Unit record " + std::to_string(id) + " carries another id");
  }

  const std::size_t lists = Checked_Count(r, Io_Read_Integer(r), int_bytes);
  if (lists > 65535) throw ERangeError("Too many cargo lists");
  f_cargo_lists.assign(lists, TMap_Cargo_List{});
  for (TMap_Cargo_List& l : f_cargo_lists) {
    const std::uint16_t n = Checked_Cast<std::uint16_t>(Io_Read_Integer(r));
    if (n > Max_Cargo_Units) throw ERangeError("Cargo list of more than 30 units");
    l.count = n;
    for (std::int32_t i = 1; i <= n; ++i) l.ids[std::size_t(i)] = Io_Read_Integer(r);
  }

  f_combat_regions.assign(Checked_Count(r, Io_Read_Integer(r), int_bytes), 0);
  for (std::int32_t& id : f_combat_regions) id = Io_Read_Integer(r);
  m_Rebuild_Unit_Indexes();
}

void TMap::m_Take_Loaded(TMap& loaded, bool partial) {
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
  m_Rebuild_Unit_Indexes();
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

bool TMap::m_Save_To_File(const std::string& file_name, bool partial, const std::string& version) {
  return Io_Save_To_File(file_name, [&](TIo_Writer& w) { Save(w, partial, version); });
}

bool TMap::m_Load_From_File(const std::string& file_name, bool partial, const std::string& version) {
  return Io_Load_From_File(file_name, [&](TIo_Reader& r) { m_Load(r, partial, version); });
}
