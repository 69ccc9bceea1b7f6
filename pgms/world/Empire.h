// The nations of the game: names and colours, money, purchase queue,
// statistics, per-unit-type counters, technology levels, the regions each
// knows (fog of war) and its saved camera; and the list of them by number,
// which is also the player number used everywhere.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Datafile_Formula_Functions.h"
#include "Vector_Types.h"

class TIo_Reader;
class TIo_Writer;

// Purchase kinds.
constexpr std::uint8_t PURCHASE_UNIT = 1;
constexpr std::uint8_t PURCHASE_RESEARCH = 2;

struct TEmpire_Purchase {
  std::uint8_t kind = 0;
  std::int32_t id = 0;  // unit type or technology area
  std::uint16_t amount = 0;
  std::int32_t region = 0;
  std::int32_t cost = 0;
  bool operator==(const TEmpire_Purchase&) const = default;
};

struct TEmpire_Unit_Type_Counters {
  std::int32_t bought = 0, current = 0, destroyed = 0, captured = 0, lost = 0;
  bool operator==(const TEmpire_Unit_Type_Counters&) const = default;
};

// Nine values (see Empire_Compute_Statistics); a record whose first value
// is -1 has never been set.
struct TEmpire_Statistics {
  std::array<std::int32_t, 9> values{};
  bool operator==(const TEmpire_Statistics&) const = default;
};

// At most 8 players and the neutral empire.
constexpr int Max_Empires = 9;

// An empire is what the formula function "Get_Nation_Tech_Level" reads in
// the empire slot of a requirement check.
class TEmpire : public TFormula_Empire {
public:
  TEmpire();
  void m_Clear();

  // Identity.
  std::uint8_t m_Get_Number() const { return f_number; }
  void m_Set_Number(std::uint8_t n) { f_number = n; }
  const std::string& m_Get_Nation_Name() const { return f_nation_name; }
  void m_Set_Nation_Name(const std::string& s) { f_nation_name = s; }
  const std::string& m_Get_Player_Name() const { return f_player_name; }
  void m_Set_Player_Name(const std::string& s) { f_player_name = s; }
  TColor m_Get_Color() const { return f_color; }
  void m_Set_Color(TColor c) { f_color = c; }
  TColor m_Get_Second_Color() const { return f_second_color; }
  void m_Set_Second_Color(TColor c) { f_second_color = c; }
  bool m_Get_Computer_Controlled() const { return f_computer_controlled; }
  void m_Set_Computer_Controlled(bool b) { f_computer_controlled = b; }
  std::uint8_t m_Get_Color_Index() const { return f_color_index; }
  void m_Set_Color_Index(std::uint8_t i) { f_color_index = i; }
  std::uint8_t m_Get_Flag_Index() const { return f_flag_index; }
  void m_Set_Flag_Index(std::uint8_t i) { f_flag_index = i; }
  bool m_Get_Neutral() const { return f_neutral; }
  void m_Set_Neutral(bool b) { f_neutral = b; }
  bool m_Get_Eliminated() const { return f_eliminated; }
  // Nothing for a neutral empire.
  void m_Set_Eliminated(bool b);

  // Money.
  std::int32_t m_Get_Treasury() const { return f_treasury; }
  void m_Set_Treasury(std::int32_t v) { f_treasury = v; }
  std::int32_t m_Get_Income() const { return f_income; }
  void m_Set_Income(std::int32_t v) { f_income = v; }
  std::int32_t m_Get_Upkeep() const { return f_upkeep; }
  void m_Set_Upkeep(std::int32_t v) { f_upkeep = v; }
  std::int32_t m_Get_Previous_Upkeep() const { return f_previous_upkeep; }
  void m_Update_Income();
  void m_Update_Upkeep();
  void m_Store_Previous_Upkeep() { f_previous_upkeep = f_upkeep; }

  // Purchases.
  std::int32_t m_Get_Purchase_Count() const { return std::int32_t(f_purchases.size()); }
  void m_Clear_Purchases() { f_purchases.clear(); }
  void m_Add_Purchase(const TEmpire_Purchase& entry);
  void m_Get_Purchase(std::int64_t i, TEmpire_Purchase& entry) const;
  bool m_Delete_Purchase(std::int64_t i);
  bool m_Is_Purchase_Valid(const TEmpire_Purchase& entry) const;
  void m_Remove_Invalid_Purchases();
  bool m_Can_Place_Unit_At(std::int32_t region, std::int64_t unit_type, std::int32_t amount) const;
  bool m_Can_Place_Unit_Anywhere(std::int64_t unit_type) const;
  std::int32_t m_Count_Queued_Of_Type_At(std::int32_t region, std::int64_t unit_type) const;
  std::int32_t m_Count_Queued_Of_Family_At(std::int32_t region, std::uint16_t family_id) const;

  // Per-unit-type counters (index = unit type).
  std::int32_t m_Get_Counter_Count() const { return std::int32_t(f_counters.size()); }
  void m_Get_Unit_Type_Counters(std::int64_t unit_type, TEmpire_Unit_Type_Counters& counters);
  void m_Count_Unit_Bought(std::int64_t unit_type, std::int32_t n);
  void m_Count_Unit_Destroyed(std::int64_t unit_type, std::int32_t n);
  void m_Count_Unit_Captured(std::int64_t unit_type, std::int32_t n);
  void m_Count_Unit_Lost(std::int64_t unit_type, std::int32_t n);

  // Statistics.
  const TEmpire_Statistics& m_Get_Lowest_Statistics() const { return f_lowest; }
  const TEmpire_Statistics& m_Get_Highest_Statistics() const { return f_highest; }
  void m_Set_Statistics(const TEmpire_Statistics& lowest, const TEmpire_Statistics& highest);

  // Technology.
  std::int32_t m_Get_Tech_Level_Count() const { return std::int32_t(f_tech_levels.size()); }
  void m_Init_Tech_Levels(std::int32_t mode);
  std::int32_t m_Get_Tech_Level(std::int64_t area) const;
  void m_Set_Tech_Level(std::int64_t area, std::int32_t level);
  std::int32_t m_Get_Tech_Level_By_Area_Name(std::uint8_t kind, const std::string& text) const override;
  void m_Get_Unlocked_Unit_Types(std::vector<std::string>& names, std::int64_t area);

  // Fog of war.
  std::int32_t m_Get_Known_Region_Count() const { return std::int32_t(f_known.size()); }
  bool m_Is_Region_Known(std::int64_t region) const;
  void m_Set_Region_Known(std::int64_t region, bool value);
  void m_Set_All_Regions_Known(bool value);
  void m_Resize_Known_Regions(std::int64_t n);
  bool m_Knows_Region_Of(std::uint8_t empire) const;
  void m_Update_Known_Regions();

  // Camera.
  const TVector& m_Get_Camera_Eye() const { return f_camera_eye; }
  const TVector& m_Get_Camera_Look_At() const { return f_camera_look_at; }
  const TVector& m_Get_Camera_Up() const { return f_camera_up; }
  void m_Set_Camera(const TVector& eye, const TVector& look_at, const TVector& up);
  void m_Reset_Camera();
  void m_Apply_Camera() const;

  std::int32_t m_Count_Owned_Regions() const;

  // The empire's record of Empires.dat.
  void m_Save(TIo_Writer& w) const;
  void m_Load(TIo_Reader& r);

private:
  TEmpire_Unit_Type_Counters& m_Counter(std::int64_t unit_type);
  // The record's fields, read or written (see Io_Fields.h).
  template <class F, class Self>
  static void m_Fields(F& f, Self& self);

  std::uint8_t f_number = 0;
  std::string f_nation_name, f_player_name;
  TColor f_color = 0, f_second_color = 0;
  bool f_computer_controlled = false;
  std::uint8_t f_color_index = 0, f_flag_index = 0;
  bool f_neutral = false, f_eliminated = false;
  std::int32_t f_treasury = 0, f_income = 0, f_upkeep = 0, f_previous_upkeep = 0;
  std::vector<TEmpire_Purchase> f_purchases;
  TEmpire_Statistics f_lowest, f_highest;
  std::vector<TEmpire_Unit_Type_Counters> f_counters;  // unit type t at t - 1
  std::vector<std::int32_t> f_tech_levels;             // area a at a - 1
  std::vector<bool> f_known;                           // region r at r - 1
  TVector f_camera_eye, f_camera_look_at, f_camera_up;
  bool f_reserved_flag = false;
  std::int32_t f_reserved_number = 0;
};

class TEmpire_List {
public:
  TEmpire_List() = default;
  void m_Clear() { f_empires.clear(); }
  std::int32_t m_Get_Count() const { return std::int32_t(f_empires.size()); }
  TEmpire* m_Get_Empire(std::int64_t n) const;
  // Takes the empire, numbers it and returns the new count; a tenth empire
  // is refused with an error.
  std::int32_t m_Add(std::unique_ptr<TEmpire> empire);
  void m_Create_Empires(std::int32_t n);
  bool m_Is_Neutral(std::int64_t n) const;
  bool m_All_Computer_Controlled() const;
  std::uint8_t m_Get_Winner() const;

  bool m_Save_To_File(const std::string& file_name) const;
  // Reads into a fresh list and takes it only when the whole file was read.
  bool m_Load_From_File(const std::string& file_name);
  void m_Write(TIo_Writer& w) const;
  void m_Read(TIo_Reader& r);
  // Takes the empires of a list that was read (which is left empty).
  void m_Take_From(TEmpire_List& loaded) { f_empires = std::move(loaded.f_empires); }

private:
  std::vector<std::unique_ptr<TEmpire>> f_empires;  // number n at n - 1
};

// The empires of the game; created at start-up and freed at the end.
extern TEmpire_List* G_Empire_List;

// The empire with number n of the global list; null when there is none.
TEmpire* Empire_Get(std::int64_t n);

// Statistics over the global list and map.
void Empire_Compute_Statistics(std::uint8_t empire, TEmpire_Statistics& record);
void Empire_Update_Statistics(std::uint8_t empire);
void Empire_Update_All_Statistics();
void Empire_Get_Statistics(std::uint8_t empire, TEmpire_Statistics& current, TEmpire_Statistics& lowest,
                           TEmpire_Statistics& highest);

struct TEmpire_Summary_Row {
  std::int32_t regions = 0, region_value = 0, treasury = 0, units = 0, unit_value = 0, tech_levels = 0;
  bool operator==(const TEmpire_Summary_Row&) const = default;
};
struct TEmpire_Summary_Table {
  std::int32_t count = 0;
  std::array<TEmpire_Summary_Row, Max_Empires> rows{};  // empire n at n - 1
};
void Empire_Get_Summary_Table(TEmpire_Summary_Table& table);
