// The rules of the chosen game type, from its GameSettings.txt.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"
#include "Vector_Types.h"

// The player rows of the game setup: a game type must offer at least this
// many player colours and flags per colour.
constexpr std::int32_t Setup_Player_Rows = 8;

struct Player_Color_Pair {
  TColor f_standard = 0;
  TColor f_bright = 0;
};

struct Neutral_Starting_Force {
  std::string f_unit_name;
  std::int32_t f_min_amount = 0;
  std::int32_t f_max_amount = 0;
  std::int32_t f_chance = 0;
};

// Placement kinds of a starting force.
enum : std::uint8_t { PLACEMENT_NONE = 0, PLACEMENT_SPREAD_EVENLY = 1, PLACEMENT_ALL_REGIONS = 2 };

struct Starting_Force {
  std::string f_unit_name;
  std::int32_t f_amount = 0;
  std::uint8_t f_placement = PLACEMENT_NONE;
};

class TBase_Game_Settings {
public:
  TBase_Game_Settings() { m_Reset(); }
  void m_Reset();

  // A file name drawn at random from song list 1..4 (title, main, combat,
  // finale); empty for another number or an empty list.
  std::string m_Get_Random_Song(std::int32_t list) const;

  void m_Add_Battle_Map_Land(const std::string& tile) { f_battle_map_land.push_back(tile); }
  void m_Add_Battle_Map_Ocean(const std::string& tile) { f_battle_map_ocean.push_back(tile); }
  void m_Add_Player_Color(TColor standard, TColor bright) { f_player_colors.push_back({standard, bright}); }
  // Level 1..3 (low, medium, high); another level is ignored.
  void m_Add_Starting_Force(std::int32_t level, const std::string& unit_name, std::int32_t amount,
                            std::uint8_t placement);
  // List 1..4; another list is ignored.
  void m_Add_Song(std::int32_t list, const std::string& file_name);

  // Player colour pair 1..count; ERangeError outside.
  const Player_Color_Pair& m_Get_Player_Color(std::int32_t index) const;
  std::uint16_t m_Player_Color_Count() const { return static_cast<std::uint16_t>(f_player_colors.size()); }

  std::int32_t f_starting_game_date;
  std::string f_game_type_name;
  std::string f_default_map_type;
  std::vector<std::string> f_battle_map_land;
  std::vector<std::string> f_battle_map_ocean;
  std::uint16_t f_player_flag_width;
  std::uint16_t f_player_flag_height;
  std::uint16_t f_player_flags_per_color;
  std::vector<Player_Color_Pair> f_player_colors;  // pair N at N - 1
  std::uint16_t f_neutral_empire_flag_index;
  std::uint16_t f_neutral_empire_color_index;
  TColor f_neutral_empire_standard_color;
  TColor f_neutral_empire_bright_color;
  std::int32_t f_neutral_territories_to_occupy_percent_min;
  std::int32_t f_neutral_territories_to_occupy_percent_max;
  std::vector<Neutral_Starting_Force> f_neutral_starting_forces;  // force N at N - 1
  std::int32_t f_neutral_starting_money_low;
  std::int32_t f_neutral_starting_money_medium;
  std::int32_t f_neutral_starting_money_high;
  std::int32_t f_money_per_territory_value;
  float f_neutral_empire_money_modifier;
  std::int32_t f_region_value_low;
  std::int32_t f_region_value_high;
  std::int32_t f_nation_minimum_starting_distance;
  std::int32_t f_starting_nation_size_small;
  std::int32_t f_starting_nation_size_medium;
  std::int32_t f_starting_nation_size_large;
  std::int32_t f_nation_total_starting_value_size_small;
  std::int32_t f_nation_total_starting_value_size_medium;
  std::int32_t f_nation_total_starting_value_size_large;
  std::int32_t f_starting_money_low;
  std::int32_t f_starting_money_medium;
  std::int32_t f_starting_money_high;
  std::array<std::vector<Starting_Force>, 3> f_starting_forces;  // levels 1..3 at 0..2
  std::array<std::vector<std::string>, 4> f_songs;               // lists 1..4 at 0..3
};

class TBase_Game_Settings_Data_File_Loader : public TData_File_Loader {
public:
  TBase_Game_Settings_Data_File_Loader(const std::string& file_name, TBase_Game_Settings& settings)
      : TData_File_Loader(file_name), f_settings(settings) {}

protected:
  void m_Load_Record(std::int32_t record_number) override;

private:
  TBase_Game_Settings& f_settings;
};

// The one base game settings object of the program.
extern TBase_Game_Settings Base_Game_Settings;

// Loads the file into the settings (reset first). With errors: reports them
// under "Game Settings Data File" when show_errors is set, and returns false.
bool Load_Base_Game_Settings_File(const std::string& file_name, TBase_Game_Settings& settings, bool show_errors,
                                  TList_Dialog_Owner* owner);
// Loads the active game type's GameSettings.txt (Path_Settings) into
// Base_Game_Settings, errors shown; false when there were errors.
bool Load_Base_Game_Settings(TList_Dialog_Owner* owner);
