#include "Datafile_BaseGameSettings.h"

#include "Errors.h"
#include "Global.h"
#include "Io.h"
#include "Path.h"

#include <mutex>
#include <random>

TBase_Game_Settings Base_Game_Settings;

void TBase_Game_Settings::m_Reset() {
  f_starting_game_date = 20150;
  f_game_type_name.clear();
  f_default_map_type.clear();
  f_battle_map_land.clear();
  f_battle_map_ocean.clear();
  f_player_flag_width = 0;
  f_player_flag_height = 0;
  f_player_flags_per_color = 0;
  f_player_colors.clear();
  f_neutral_empire_flag_index = 0;
  f_neutral_empire_color_index = 0;
  f_neutral_empire_standard_color = 0;
  f_neutral_empire_bright_color = 0;
  f_neutral_territories_to_occupy_percent_min = 5;
  f_neutral_territories_to_occupy_percent_max = 15;
  f_neutral_starting_forces.clear();
  f_neutral_starting_money_low = 0;
  f_neutral_starting_money_medium = 0;
  f_neutral_starting_money_high = 0;
  f_money_per_territory_value = 1;
  f_neutral_empire_money_modifier = 1.0f;
  f_region_value_low = 0;
  f_region_value_high = 0;
  f_nation_minimum_starting_distance = 0;
  f_starting_nation_size_small = 0;
  f_starting_nation_size_medium = 0;
  f_starting_nation_size_large = 0;
  f_nation_total_starting_value_size_small = 0;
  f_nation_total_starting_value_size_medium = 0;
  f_nation_total_starting_value_size_large = 0;
  f_starting_money_low = 0;
  f_starting_money_medium = 0;
  f_starting_money_high = 0;
  for (auto& level : f_starting_forces) level.clear();
  for (auto& list : f_songs) list.clear();
}

std::string TBase_Game_Settings::m_Get_Random_Song(std::int32_t list) const {
  if (list < 1 || list > 4) return "";
  const std::vector<std::string>& songs = f_songs[std::size_t(list - 1)];
  if (songs.empty()) return "";
  // Songs end and change on the music's own clock, so they draw from a
  // generator of their own: taking numbers from the game's generator would
  // make battles and the computer player's choices depend on how long the
  // music has played.
  static std::mutex lock;
  static std::minstd_rand songs_generator{std::random_device{}()};
  std::lock_guard<std::mutex> guard(lock);
  std::uniform_int_distribution<std::size_t> pick(0, songs.size() - 1);
  return songs[pick(songs_generator)];
}

void TBase_Game_Settings::m_Add_Starting_Force(std::int32_t level, const std::string& unit_name,
                                               std::int32_t amount, std::uint8_t placement) {
  if (level < 1 || level > 3) return;
  f_starting_forces[std::size_t(level - 1)].push_back({unit_name, amount, placement});
}

void TBase_Game_Settings::m_Add_Song(std::int32_t list, const std::string& file_name) {
  if (list < 1 || list > 4) return;
  f_songs[std::size_t(list - 1)].push_back(file_name);
}

const Player_Color_Pair& TBase_Game_Settings::m_Get_Player_Color(std::int32_t index) const {
  if (index < 1 || index > static_cast<std::int32_t>(f_player_colors.size())) throw ERangeError();
  return f_player_colors[std::size_t(index - 1)];
}

// ---------------------------------------------------------------- loader

namespace {
// Most neutral forces a file may ask for; larger counts are refused (each
// would be reported missing key by key).
constexpr std::int32_t Max_Neutral_Starting_Forces = 65535;

std::uint8_t Placement_Kind(const std::string& text) {
  if (Text_Compare(text, "Spread Evenly") == 0) return PLACEMENT_SPREAD_EVENLY;
  if (Text_Compare(text, "All Regions") == 0) return PLACEMENT_ALL_REGIONS;
  return PLACEMENT_NONE;
}
}  // namespace

void TBase_Game_Settings_Data_File_Loader::m_Load_Record(std::int32_t) {
  m_Set_Record_Name("Game Settings");
  TBase_Game_Settings& s = f_settings;
  std::string v;
  auto text = [&](const std::string& key) {
    m_Get_Field(key, v, true);
    return v;
  };
  auto integer = [&](const std::string& key, std::int32_t& field) {
    if (m_Get_Field(key, v, true)) field = Datafile_Value_To_Integer(v);
  };
  auto word = [&](const std::string& key, std::uint16_t& field) {
    if (m_Get_Field(key, v, true)) field = Datafile_Value_To_Word(v);
  };
  auto color = [&](const std::string& key, TColor& field) {
    if (m_Get_Field(key, v, true)) field = Datafile_Value_To_Color(v);
  };
  auto count = [&](const std::string& key) -> std::int32_t {
    return m_Get_Field(key, v, true) ? Datafile_Value_To_Word(v) : 0;
  };
  auto n_key = [](const std::string& before, std::int32_t n, const std::string& after) {
    return before + Int_To_Text(n) + after;
  };

  integer("Starting Game Date", s.f_starting_game_date);
  if (m_Get_Field("Game Type Name", v, true)) s.f_game_type_name = Datafile_Value_To_String(v);
  if (m_Get_Field("Default Map Type", v, true)) s.f_default_map_type = Datafile_Value_To_String(v);

  std::int32_t n = count("Number of Battle Map Land");
  for (std::int32_t i = 1; i <= n; ++i) {
    std::string tile = text(n_key("Battle Map Land ", i, ""));
    if (!tile.empty()) s.m_Add_Battle_Map_Land(tile);
  }
  n = count("Number of Battle Map Ocean");
  for (std::int32_t i = 1; i <= n; ++i) {
    std::string tile = text(n_key("Battle Map Ocean ", i, ""));
    if (!tile.empty()) s.m_Add_Battle_Map_Ocean(tile);
  }

  word("Player Flag Width", s.f_player_flag_width);
  word("Player Flag Height", s.f_player_flag_height);
  word("Player Flags Per Color", s.f_player_flags_per_color);

  n = count("Number Of Player Colors");
  TColor standard = 0, bright = 0;  // a missing key keeps the previous pair's colour
  for (std::int32_t i = 1; i <= n; ++i) {
    color(n_key("Player Color ", i, " Standard RGB"), standard);
    color(n_key("Player Color ", i, " Bright RGB"), bright);
    s.m_Add_Player_Color(standard, bright);
  }

  // The game setup offers a colour and a flag of that colour to each of its
  // player rows: a file with fewer cannot set up a game.
  if (s.m_Player_Color_Count() < Setup_Player_Rows)
    m_Add_Error("\"Number Of Player Colors\" must be at least " + Int_To_Text(Setup_Player_Rows) +
                " (one color for each player of the game setup) in record \"Game Settings\".");
  if (s.f_player_flags_per_color < Setup_Player_Rows)
    m_Add_Error("\"Player Flags Per Color\" must be at least " + Int_To_Text(Setup_Player_Rows) +
                " (one flag for each player of the game setup) in record \"Game Settings\".");

  word("Neutral Empire Flag Index", s.f_neutral_empire_flag_index);
  word("Neutral Empire Color Index", s.f_neutral_empire_color_index);
  color("Neutral Empire Standard Color", s.f_neutral_empire_standard_color);
  color("Neutral Empire Bright Color", s.f_neutral_empire_bright_color);
  integer("Neutral Territories To Occupy Percent Min", s.f_neutral_territories_to_occupy_percent_min);
  integer("Neutral Territories To Occupy Percent Max", s.f_neutral_territories_to_occupy_percent_max);

  if (m_Get_Field("Number Of Neutral Starting Forces", v, true)) {
    std::int32_t forces = Datafile_Value_To_Integer(v);
    if (forces > Max_Neutral_Starting_Forces) {
      m_Report_Unknown_Value(v, "Number Of Neutral Starting Forces");
      forces = 0;
    }
    // Zero or below: no neutral forces.
    s.f_neutral_starting_forces.assign(std::size_t(forces > 0 ? forces : 0), Neutral_Starting_Force{});
    for (std::int32_t i = 1; i <= forces; ++i) {
      Neutral_Starting_Force& f = s.f_neutral_starting_forces[std::size_t(i - 1)];
      if (m_Get_Field(n_key("Neutral Starting Forces ", i, " Unit Name"), v, true)) f.f_unit_name = v;
      integer(n_key("Neutral Starting Forces ", i, " Min Amount"), f.f_min_amount);
      integer(n_key("Neutral Starting Forces ", i, " Max Amount"), f.f_max_amount);
      integer(n_key("Neutral Starting Forces ", i, " Chance"), f.f_chance);
    }
  }

  integer("Neutral Starting Money Low", s.f_neutral_starting_money_low);
  integer("Neutral Starting Money Medium", s.f_neutral_starting_money_medium);
  integer("Neutral Starting Money High", s.f_neutral_starting_money_high);
  integer("Region Value Low", s.f_region_value_low);
  integer("Region Value High", s.f_region_value_high);
  integer("Nation Minimum Starting Distance", s.f_nation_minimum_starting_distance);
  integer("Starting Nation Size Small Num Regions", s.f_starting_nation_size_small);
  integer("Starting Nation Size Medium Num Regions", s.f_starting_nation_size_medium);
  integer("Starting Nation Size Large Num Regions", s.f_starting_nation_size_large);
  integer("Nation Total Starting Value Size Small", s.f_nation_total_starting_value_size_small);
  integer("Nation Total Starting Value Size Medium", s.f_nation_total_starting_value_size_medium);
  integer("Nation Total Starting Value Size Large", s.f_nation_total_starting_value_size_large);
  integer("Starting Money Low", s.f_starting_money_low);
  integer("Starting Money Medium", s.f_starting_money_medium);
  integer("Starting Money High", s.f_starting_money_high);
  integer("Money Per Territory Value", s.f_money_per_territory_value);
  if (m_Get_Field("Neutral Empire Money Modifier", v, true))
    s.f_neutral_empire_money_modifier = Datafile_Value_To_Single(v);

  const char* levels[3] = {"Low", "Medium", "High"};
  for (std::int32_t level = 1; level <= 3; ++level) {
    std::string name = levels[level - 1];
    n = count("Number Of Starting Forces " + name);
    for (std::int32_t i = 1; i <= n; ++i) {
      std::string prefix = "Starting Forces " + name + " ";
      std::string unit = text(n_key(prefix, i, " Unit Name"));
      std::int32_t amount = 0;
      integer(n_key(prefix, i, " Amount"), amount);
      std::uint8_t placement = Placement_Kind(text(n_key(prefix, i, " Placement")));
      if (!unit.empty() && amount > 0) s.m_Add_Starting_Force(level, unit, amount, placement);
    }
  }

  const char* song_lists[4] = {"Title", "Main", "Combat", "Finale"};
  for (std::int32_t list = 1; list <= 4; ++list) {
    std::string name = song_lists[list - 1];
    n = count("Number of " + name + " Songs");
    for (std::int32_t i = 1; i <= n; ++i)
      if (m_Get_Field(n_key(name + " Song ", i, " Filename"), v, true)) s.m_Add_Song(list, v);
  }
}

bool Load_Base_Game_Settings_File(const std::string& file_name, TBase_Game_Settings& settings, bool show_errors,
                                  TList_Dialog_Owner* owner) {
  std::string name = Text_Lower_Case(file_name);
  settings.m_Reset();
  TBase_Game_Settings_Data_File_Loader loader(name, settings);
  loader.m_Load();
  if (loader.m_Get_Errors().empty()) return true;
  if (show_errors) Report_Datafile_Error(loader.m_Get_Errors(), "Game Settings Data File", name, owner);
  return false;
}

bool Load_Base_Game_Settings(TList_Dialog_Owner* owner) {
  TPath_Settings defaults;
  const TPath_Settings& paths = Path_Settings ? *Path_Settings : defaults;
  return Load_Base_Game_Settings_File(paths.m_Get_GameSettings_File(), Base_Game_Settings, true, owner);
}
