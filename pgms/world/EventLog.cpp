#include "EventLog.h"

#include "Empire.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Global.h"
#include "Io_Tagged.h"
#include "MapClass.h"
#include "World_Unit_Facts.h"

TEvent_Log* G_Event_Log = nullptr;

namespace {
// The dates an item stays in the log, and the dates that count as recent
// for the computer player.
constexpr std::int32_t Kept_Dates = 20;
constexpr std::int32_t Recent_Dates = 2;

const TMap_Region* Region_Of(std::int32_t id) { return G_Map ? G_Map->m_Get_Region(id) : nullptr; }

// Item texts from pieces; any missing name empties the whole text.
class TText {
public:
  TText& operator<<(const std::string& s) {
    f_text += s;
    return *this;
  }
  TText& operator<<(std::int64_t n) { return *this << std::to_string(n); }
  TText& Unit(std::int64_t unit_type) {
    const TUnit_Type* t = World_Unit_Type(unit_type);
    f_missing |= t == nullptr;
    return *this << (t ? t->f_display_name : std::string());
  }
  TText& Region(std::int32_t id) {
    const TMap_Region* r = Region_Of(id);
    f_missing |= r == nullptr;
    return *this << (r ? r->m_Get_Name() : std::string());
  }
  TText& Nation(std::int64_t empire) {
    const TEmpire* e = Empire_Get(empire);
    f_missing |= e == nullptr;
    return *this << (e ? e->m_Get_Nation_Name() : std::string());
  }
  void Missing() { f_missing = true; }
  std::string Text() const { return f_missing ? std::string() : f_text; }

private:
  std::string f_text;
  bool f_missing = false;
};

// Visible to the named players and to every empire that knows one of the
// named regions (ids of 0 or less are skipped).
void Set_Visible(TEvent_Log_Item& item, std::initializer_list<std::int32_t> regions,
                 std::initializer_list<std::uint8_t> players) {
  for (int e = 1; e <= Event_Log_Players; ++e) {
    const TEmpire* empire = Empire_Get(e);
    if (!empire) continue;
    for (std::int32_t region : regions)
      if (region > 0 && empire->m_Is_Region_Known(region)) item.f_visible[std::size_t(e - 1)] = true;
  }
  for (std::uint8_t p : players)
    if (p >= 1 && p <= Event_Log_Players) item.f_visible[std::size_t(p - 1)] = true;
}

// Visible to the player and to every empire that knows a region of it.
void Set_Visible_To_Neighbours(TEvent_Log_Item& item, std::uint8_t player) {
  for (int e = 1; e <= Event_Log_Players; ++e)
    if (const TEmpire* empire = Empire_Get(e))
      if (empire->m_Knows_Region_Of(player)) item.f_visible[std::size_t(e - 1)] = true;
  Set_Visible(item, {}, {player});
}

// A count read from a file, checked against the bytes left (each entry
// takes at least `min_bytes`).
std::size_t Checked_Count(TIo_Reader& r, std::int32_t count, std::uint64_t min_bytes) {
  if (count < 0 || std::uint64_t(count) > r.m_Bytes_Left() / min_bytes)
    throw ERangeError("Count beyond the end of the file");
  return std::size_t(count);
}
}  // namespace

// ---------------------------------------------------------------------------
// Items

bool TEvent_Log_Item::m_Get_Player_Flag(std::int64_t player) const {
  if (player < 1 || player > Event_Log_Players) return false;
  return f_visible[std::size_t(player - 1)];
}

void TEvent_Log_Item::m_Get_Combat_Unit(std::int64_t i, TEvent_Log_Combat_Row& row) const {
  if (i >= 1 && i <= std::int64_t(f_combat_rows.size())) row = f_combat_rows[std::size_t(i - 1)];
}

void TEvent_Log_Item::m_Get_Destroyed_Unit(std::int64_t i, TEvent_Log_Destroyed_Row& row) const {
  if (i >= 1 && i <= std::int64_t(f_destroyed_rows.size())) row = f_destroyed_rows[std::size_t(i - 1)];
}

void TEvent_Log_Item::m_Save(TIo_Writer& w) const {
  Io_Write_Integer(w, f_number);
  Io_Write_Integer(w, f_date);
  Io_Write_Byte(w, f_player);
  Io_Write_Byte(w, f_kind);
  Io_Write_String(w, f_text);
  for (std::int32_t v : f_values) Io_Write_Integer(w, v);
  for (bool b : f_visible) Io_Write_Boolean(w, b);
  if (f_kind != EVENT_COMBAT) return;
  Io_Write_Integer(w, Checked_Cast<std::int32_t>(f_combat_rows.size()));
  for (const TEvent_Log_Combat_Row& row : f_combat_rows) {
    Io_Write_Word(w, row.unit_type);
    Io_Write_Byte(w, row.owner);
    Io_Write_Integer(w, row.starting);
    Io_Write_Integer(w, row.destroyed);
  }
  Io_Write_Integer(w, Checked_Cast<std::int32_t>(f_destroyed_rows.size()));
  for (const TEvent_Log_Destroyed_Row& row : f_destroyed_rows) {
    Io_Write_Word(w, row.unit_type);
    Io_Write_Integer(w, row.count);
  }
}

void TEvent_Log_Item::m_Load(TIo_Reader& r) {
  f_number = Io_Read_Integer(r);
  f_date = Io_Read_Integer(r);
  f_player = Io_Read_Byte(r);
  f_kind = Io_Read_Byte(r);
  f_text = Io_Read_String(r);
  for (std::int32_t& v : f_values) v = Io_Read_Integer(r);
  for (std::size_t i = 0; i < f_visible.size(); ++i) f_visible[i] = Io_Read_Boolean(r);
  f_combat_rows.clear();
  f_destroyed_rows.clear();
  if (f_kind != EVENT_COMBAT) return;
  const std::int32_t rows = Io_Read_Integer(r);
  if (rows > Max_Combat_Rows) throw ERangeError("More than 140 battle rows");
  f_combat_rows.resize(Checked_Count(r, rows, 8));
  for (TEvent_Log_Combat_Row& row : f_combat_rows) {
    row.unit_type = Io_Read_Word(r);
    row.owner = Io_Read_Byte(r);
    row.starting = Io_Read_Integer(r);
    row.destroyed = Io_Read_Integer(r);
  }
  f_destroyed_rows.resize(Checked_Count(r, Io_Read_Integer(r), 4));
  for (TEvent_Log_Destroyed_Row& row : f_destroyed_rows) {
    row.unit_type = Io_Read_Word(r);
    row.count = Io_Read_Integer(r);
  }
}

// ---------------------------------------------------------------------------
// The log

void TEvent_Log::m_Clear() {
  f_items.clear();
  f_capacity = 0;
}

TEvent_Log_Item* TEvent_Log::m_Get_Item(std::int64_t i) const {
  if (i < 1 || i > std::int64_t(f_items.size())) return nullptr;
  return f_items[std::size_t(i - 1)].get();
}

TEvent_Log_Item& TEvent_Log::m_Append(std::int32_t date, std::uint8_t player, std::uint8_t kind,
                                      std::array<std::int32_t, 5> values) {
  const std::int32_t count = Checked_Add(m_Get_Count(), 1);
  if (count > f_capacity) f_capacity = Checked_Add(f_capacity, 200);
  auto item = std::make_unique<TEvent_Log_Item>();
  item->f_number = count;
  item->f_date = date;
  item->f_player = player;
  item->f_kind = kind;
  item->f_values = values;
  f_items.push_back(std::move(item));
  return *f_items.back();
}

std::int32_t TEvent_Log::m_Add_Movement(std::int32_t date, std::uint8_t player, std::int32_t count,
                                        std::uint16_t unit_type, std::int32_t from_region, std::int32_t to_region) {
  TEvent_Log_Item& item = m_Append(date, player, EVENT_MOVEMENT, {from_region, to_region, unit_type, count, 0});
  Set_Visible(item, {from_region, to_region}, {player});
  TText t;
  t << count << " x ";
  t.Unit(unit_type) << " moved from ";
  t.Region(from_region) << " to ";
  t.Region(to_region) << ".";
  item.f_text = t.Text();
  return m_Get_Count();
}

std::int32_t TEvent_Log::m_Add_Combat(std::int32_t date, std::uint8_t attacker,
                                      const std::vector<TEvent_Log_Combat_Row>& rows, bool attacker_has_land_piece,
                                      std::int32_t region, std::uint8_t former_owner, std::uint8_t winner,
                                      std::uint8_t defender) {
  if (rows.size() > std::size_t(Max_Combat_Rows)) throw ERangeError("More than 140 battle rows");
  TEvent_Log_Item& item = m_Append(date, attacker, EVENT_COMBAT, {defender, winner, region, former_owner, 0});
  item.f_combat_rows = rows;
  Set_Visible(item, {region}, {attacker, defender});
  TText t;
  t.Nation(attacker) << " attacks ";
  t.Nation(defender) << " in ";
  t.Region(region) << ".";
  item.f_text = t.Text();
  // A won land attack takes the region with everything in it: the units of
  // other owners that take no part in combat count as destroyed.
  if (winner == attacker && attacker_has_land_piece)
    if (const TMap_Region* r = Region_Of(region))
      for (std::int32_t i = 1; i <= r->m_Get_Unit_Count(); ++i) {
        TMap_Unit_Record u;
        G_Map->m_Get_Unit(r->m_Get_Unit_Id(i), u);
        if (u.id == 0 || u.owner == 0 || u.owner == attacker) continue;
        const TUnit_Type* type = World_Unit_Type(u.unit_type);
        if (!type || type->f_takes_part_in_combat) continue;
        bool counted = false;
        for (TEvent_Log_Destroyed_Row& row : item.f_destroyed_rows)
          if (row.unit_type == u.unit_type) {
            row.count = Checked_Add(row.count, 1);
            counted = true;
            break;
          }
        if (!counted) item.f_destroyed_rows.push_back({u.unit_type, 1});
      }
  return m_Get_Count();
}

std::int32_t TEvent_Log::m_Add_Collect_Resources(std::int32_t date, std::uint8_t player, std::int32_t amount) {
  TEvent_Log_Item& item = m_Append(date, player, EVENT_COLLECT_RESOURCES, {amount, 0, 0, 0, 0});
  Set_Visible_To_Neighbours(item, player);
  const TEmpire* e = Empire_Get(player);
  item.f_text = "$" + Format_Money(amount) + " collected by " + (e ? e->m_Get_Nation_Name() : "") + ".";
  return m_Get_Count();
}

std::int32_t TEvent_Log::m_Add_Pay_Supply(std::int32_t date, std::uint8_t player, std::int32_t amount) {
  TEvent_Log_Item& item = m_Append(date, player, EVENT_PAY_SUPPLY, {amount, 0, 0, 0, 0});
  Set_Visible_To_Neighbours(item, player);
  const TEmpire* e = Empire_Get(player);
  item.f_text = "$" + Format_Money(amount) + " paid by " + (e ? e->m_Get_Nation_Name() : "") + " for supplies.";
  return m_Get_Count();
}

std::int32_t TEvent_Log::m_Add_Purchase(std::int32_t date, std::uint8_t player, std::int32_t amount,
                                        std::uint16_t unit_type, std::int32_t region) {
  TEvent_Log_Item& item = m_Append(date, player, EVENT_PURCHASE, {amount, unit_type, region, 0, 0});
  Set_Visible(item, {region}, {player});
  TText t;
  t << amount << " x ";
  t.Unit(unit_type) << " purchased in ";
  t.Region(region) << ".";
  item.f_text = t.Text();
  return m_Get_Count();
}

std::int32_t TEvent_Log::m_Add_Research(std::int32_t date, std::uint8_t player, std::int32_t tech_area,
                                        std::int32_t level, bool success) {
  TEvent_Log_Item& item = m_Append(date, player, EVENT_RESEARCH, {tech_area, level, success ? 1 : 0, 0, 0});
  Set_Visible(item, {}, {player});
  const TTech_Area* area = World_Tech_Area(tech_area);
  const std::string next = std::to_string(std::int64_t(level) + 1);
  if (!area)
    item.f_text = "Research has failed.";
  else if (success)
    item.f_text = "Tech level " + next + " in " + area->f_display_name + " has been developed.";
  else
    item.f_text = "Attempt to attain tech level " + next + " in " + area->f_display_name + " has failed.";
  return m_Get_Count();
}

std::int32_t TEvent_Log::m_Add_Bombardment(std::int32_t date, std::uint8_t player, std::int32_t amount,
                                           std::int32_t result, std::uint8_t target_owner,
                                           const std::string& unit_name, std::int32_t region) {
  TEvent_Log_Item& item = m_Append(date, player, EVENT_BOMBARDMENT, {region, result, amount, target_owner, 0});
  Set_Visible(item, {region}, {player});
  TText t;
  if (!Region_Of(region)) t.Missing();
  switch (result) {
    case BOMBARD_KILLED: t << amount << " x " << unit_name << " killed."; break;
    case BOMBARD_DAMAGED: t << amount << " x " << unit_name << " damaged."; break;
    case BOMBARD_REGION_DAMAGE: t << amount << " region damage."; break;
    default: t.Missing(); break;
  }
  item.f_text = t.Text();
  return m_Get_Count();
}

std::int32_t TEvent_Log::m_Add_Unit_Crashed(std::int32_t date, std::uint8_t player, std::uint16_t unit_type,
                                            std::int32_t region) {
  TEvent_Log_Item& item = m_Append(date, player, EVENT_UNIT_CRASHED, {region, unit_type, 0, 0, 0});
  Set_Visible(item, {region}, {player});
  TText t;
  t << "1 x ";
  t.Unit(unit_type) << " crashed over ";
  t.Region(region) << ".";
  item.f_text = t.Text();
  return m_Get_Count();
}

std::int32_t TEvent_Log::m_Add_Unit_Decommissioned(std::int32_t date, std::uint8_t player, std::int32_t region,
                                                   std::uint16_t unit_type) {
  TEvent_Log_Item& item = m_Append(date, player, EVENT_UNIT_DECOMMISSIONED, {region, unit_type, 0, 0, 0});
  Set_Visible(item, {region}, {player});
  TText t;
  t << "1 x ";
  t.Unit(unit_type) << " decommissioned in ";
  t.Region(region) << ".";
  item.f_text = t.Text();
  return m_Get_Count();
}

void TEvent_Log::m_Add_Region_Captured(std::int32_t date, std::uint8_t former_owner, std::uint8_t new_owner,
                                       std::int32_t region) {
  TEvent_Log_Item& item = m_Append(date, new_owner, EVENT_REGION_CAPTURED, {region, former_owner, new_owner, 0, 0});
  Set_Visible(item, {region}, {former_owner, new_owner});
  TText t;
  t.Region(region) << " captured from ";
  t.Nation(former_owner) << " by ";
  t.Nation(new_owner) << ".";
  item.f_text = t.Text();
}

void TEvent_Log::m_Prune_Old_Events() {
  const std::int64_t oldest = std::int64_t(Game_Settings.f_game_date) - Kept_Dates;
  for (std::size_t k = 0; k < f_items.size(); ++k)
    if (f_items[k]->f_date >= oldest) {
      f_items.erase(f_items.begin(), f_items.begin() + std::ptrdiff_t(k));
      return;
    }
}

void TEvent_Log::m_Notify_Research_Results(std::uint8_t player) const {
  TWorld_Main_Screen_Link& screen = World_Main_Screen_Link();
  if (!screen.m_Exists()) return;
  for (const auto& item : f_items)
    if (item->f_kind == EVENT_RESEARCH && item->f_date == Game_Settings.f_game_date && item->f_player == player)
      screen.m_Add_Notice(item->f_text);
}

namespace {
std::string Counted(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}
}  // namespace

std::vector<std::string> TEvent_Log::m_Summarise_Other_Turns(std::uint8_t player) const {
  std::vector<std::string> lines;
  if (player < 1 || player > Event_Log_Players) return lines;
  const std::int32_t now = Game_Settings.f_game_date;
  // The players after this one took their turns at the date before; the
  // date then advanced for the players before it.
  auto in_round = [&](const TEvent_Log_Item& item) {
    if (item.f_player == player || item.f_player > Event_Log_Players || !item.m_Get_Player_Flag(player)) return false;
    return (item.f_date == now && item.f_player < player) ||
           (std::int64_t(item.f_date) == std::int64_t(now) - 1 && item.f_player > player);
  };
  struct TTally {
    std::int64_t moves = 0, captured = 0, bombardments = 0;
  };
  std::array<TTally, Event_Log_Players + 1> tally{};
  std::size_t battles = 0;
  for (const auto& item : f_items) {
    if (!in_round(*item)) continue;
    switch (item->f_kind) {
      case EVENT_MOVEMENT: tally[item->f_player].moves += 1; break;
      case EVENT_REGION_CAPTURED: tally[item->f_player].captured += 1; break;
      case EVENT_BOMBARDMENT: tally[item->f_player].bombardments += 1; break;
      case EVENT_COMBAT: {
        TText t;
        t << "Battle in ";
        t.Region(item->m_Value(3)) << ": ";
        t.Nation(item->f_player) << " attacked ";
        t.Nation(item->m_Value(1)) << (Empire_Get(item->m_Value(2)) ? ", " : "");
        if (Empire_Get(item->m_Value(2)))
          t.Nation(item->m_Value(2)) << " won.";
        else
          t << ".";
        if (t.Text().empty()) break;
        if (++battles <= Turn_Summary_Battles) lines.push_back(t.Text());
        break;
      }
      default: break;
    }
  }
  if (battles > Turn_Summary_Battles) lines.push_back(Counted(battles - Turn_Summary_Battles, "more battle.", "more battles."));
  for (int p = 1; p <= Event_Log_Players; ++p) {
    const TTally& t = tally[std::size_t(p)];
    if (t.moves == 0 && t.captured == 0 && t.bombardments == 0) continue;
    const TEmpire* e = Empire_Get(p);
    if (!e) continue;
    std::string line = e->m_Get_Nation_Name() + ": " + Counted(t.moves, "move", "moves");
    if (t.captured > 0) line += ", " + Counted(t.captured, "region taken", "regions taken");
    if (t.bombardments > 0) line += ", " + Counted(t.bombardments, "bombardment", "bombardments");
    lines.push_back(line + ".");
  }
  return lines;
}

void TEvent_Log::m_Notify_Other_Turns(std::uint8_t player) const {
  TWorld_Main_Screen_Link& screen = World_Main_Screen_Link();
  if (!screen.m_Exists()) return;
  for (const std::string& line : m_Summarise_Other_Turns(player)) screen.m_Add_Notice(line);
}

bool TEvent_Log::m_Has_Recent_Events(std::uint8_t player, std::int32_t region) const {
  const std::int64_t recent = std::int64_t(Game_Settings.f_game_date) - Recent_Dates;
  for (const auto& item : f_items)
    if (item->f_kind == EVENT_COMBAT && item->f_date >= recent && item->m_Value(3) == region &&
        item->m_Value(4) == player && item->m_Value(1) == player && item->m_Value(2) != player)
      return true;
  return false;
}

void TEvent_Log::m_Get_Player_Totals(std::uint8_t player, TEvent_Log_Totals& totals) const {
  totals = TEvent_Log_Totals{};
  const std::int64_t recent = std::int64_t(Game_Settings.f_game_date) - Recent_Dates;
  for (const auto& item : f_items) {
    if (item->f_kind != EVENT_COMBAT || item->f_date < recent) continue;
    if (item->f_player != player && item->m_Value(1) != player) continue;
    float* b = totals.values.data() + (item->m_Value(2) == player ? 0 : 10);
    const bool former = item->m_Value(4) == player;
    b[0] += 1;
    if (former) b[1] += 1;
    for (const TEvent_Log_Combat_Row& row : item->f_combat_rows) {
      const float s = World_Unit_Type_Strength(row.unit_type);
      const float started = float(row.starting) * s, lost = float(row.destroyed) * s;
      if (row.owner == player) {
        b[2] += started;
        b[6] += lost;
        if (former) {
          b[3] += started;
          b[7] += lost;
        }
      } else {
        b[4] += started;
        b[8] += lost;
        if (former) {
          b[5] += started;
          b[9] += lost;
        }
        const TUnit_Type* t = World_Unit_Type(row.unit_type);
        if (t && t->f_movement_type >= 1 && t->f_movement_type <= 5) {
          std::int32_t& n = totals.movement_counts[std::size_t(t->f_movement_type - 1)];
          n = Checked_Add(n, row.starting);
        }
      }
    }
  }
}

bool TEvent_Log::m_Save(TIo_Writer& w) const {
  Io_Write_Integer(w, m_Get_Count());
  for (const auto& item : f_items) item->m_Save(w);
  return true;
}

bool TEvent_Log::m_Load(TIo_Reader& r) {
  // An item takes at least 21 bytes.
  const std::size_t count = Checked_Count(r, Io_Read_Integer(r), 21);
  std::vector<std::unique_ptr<TEvent_Log_Item>> items;
  items.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    auto item = std::make_unique<TEvent_Log_Item>();
    item->m_Load(r);
    items.push_back(std::move(item));
  }
  f_items = std::move(items);
  f_capacity = std::int32_t(count);
  return true;
}

bool TEvent_Log::m_Save_To_File(const std::string& file_name) const {
  return Io_Save_To_File(file_name, [this](TIo_Writer& w) { m_Save(w); });
}

bool TEvent_Log::m_Load_From_File(const std::string& file_name) {
  return Io_Load_From_File(file_name, [this](TIo_Reader& r) { m_Load(r); });
}

std::string Event_Log_Type_Name(std::int32_t kind) {
  switch (kind) {
    case EVENT_MOVEMENT: return "Movement";
    case EVENT_COMBAT: return "Combat";
    case EVENT_COLLECT_RESOURCES: return "Collect Resources";
    case EVENT_PURCHASE:
    case EVENT_RESEARCH: return "Purchase";
    case EVENT_BOMBARDMENT: return "Bombardment";
    case EVENT_UNIT_CRASHED: return "Unit Crashed";
    case EVENT_PAY_SUPPLY: return "Pay Supply";
    case EVENT_UNIT_DECOMMISSIONED: return "Unit Decommissioned";
    case EVENT_REGION_CAPTURED: return "Region Captured";
    default: return std::string();
  }
}

void Event_Log_Create() {
  Event_Log_Free();
  G_Event_Log = new TEvent_Log;
  Set_World_Event_Log_Link(G_Event_Log);
}

void Event_Log_Free() {
  if (!G_Event_Log) return;
  if (&World_Event_Log_Link() == G_Event_Log) Set_World_Event_Log_Link(nullptr);
  delete G_Event_Log;
  G_Event_Log = nullptr;
}
