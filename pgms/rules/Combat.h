// The tactical battle: the state of the one battle that can run at a time,
// its start in a region, the pieces formed from the region's units on the
// battle grid of 14 columns by 10 rows, and the cell operations the battle's
// actions use to move pieces.
//
// Cells are addressed by column 1..14 and row 1..10. A piece covers a block
// of width x height cells; its top-left cell is its anchor and carries the
// piece's count, hit points, initiative and flags.
//
// The battle reaches the main screen, the dialogs, the network, sounds,
// effects and the turn sequence through TCombat_Links; until those install
// their own links those calls do nothing. Textures, effect names and
// floating texts go to the graphics engine's lists when they exist.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "Vector_Types.h"

constexpr std::int32_t Combat_Columns = 14;
constexpr std::int32_t Combat_Rows = 10;
constexpr std::int32_t Combat_Cell_Count = Combat_Columns * Combat_Rows;
constexpr std::int32_t Max_Combat_Starting_Units = 140;
constexpr std::int32_t Max_Combat_Turn_Order = 100;
// Battle-plane units per cell, and per unit of a unit type's square size.
constexpr float Combat_Cell_Size = 100.0f;
constexpr float Combat_Square_Size = 50.0f;
// The main screen's mode while a battle is shown.
constexpr std::int32_t Combat_Screen_Mode = 4;
// Texture group of the battle background.
constexpr std::uint8_t Combat_Background_Texture_Group = 2;

struct TCombat_Cell {
  std::int32_t piece_id = 0;  // 0: empty; the same id on every cell of a piece
  std::uint16_t unit_type = 0;
  std::int32_t unit_id = 0;  // the map unit that first formed the piece
  std::uint8_t owner = 0;
  std::uint8_t anchor = 0;  // 1 on the anchor cell
  std::int32_t count = 0;
  std::int32_t hit_points = 0;  // of the piece's top unit
  float picture_x = 0, picture_y = 0;
  std::uint8_t width = 0, height = 0;  // footprint in cells
  float picture_width = 0, picture_height = 0;
  std::uint8_t offset_x = 0, offset_y = 0;  // distance from the anchor
  std::uint8_t facing = 0;                  // 0..3
  TColor colour = 0;
  float initiative = 0;
  std::uint8_t can_attack = 0;
  std::uint8_t can_move = 0;
  std::uint16_t carrier_cargo_list = 0;  // 0: the unit stands in the region
  std::int32_t column = 0, row = 0;
  bool operator==(const TCombat_Cell&) const = default;
};

// The battle's tally of one (unit type, owner) pair.
struct TCombat_Starting_Unit {
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  std::int32_t starting_count = 0;
  std::int32_t destroyed_count = 0;
  bool operator==(const TCombat_Starting_Unit&) const = default;
};

struct TCombat_State {
  std::int32_t piece_id_counter = 0;
  std::int32_t region = 0;  // 0: no battle
  float combat_time = 0;
  std::string combat_time_text;
  std::uint8_t attacker = 0, defender = 0;
  std::uint8_t attacker_has_land_piece = 0;
  std::uint8_t winner = 0;
  std::uint8_t prior_owner = 0;
  std::uint8_t auto_resolve = 0;
  std::string background_path;
  std::int32_t background_texture = 0;
  std::uint8_t complete_here = 0;
  std::int32_t current_piece = 0, current_column = 0, current_row = 0;
  std::uint8_t current_owner = 0;
  std::array<std::array<std::uint8_t, Combat_Rows>, Combat_Columns> move_map{};    // [column - 1][row - 1]
  std::array<std::array<std::uint8_t, Combat_Rows>, Combat_Columns> attack_map{};  // [column - 1][row - 1]
  TVector saved_eye, saved_look_at, saved_up;
  std::array<std::array<TCombat_Cell, Combat_Rows>, Combat_Columns> grid{};  // [column - 1][row - 1]
  std::array<TCombat_Starting_Unit, Max_Combat_Starting_Units> starting{};
  std::int32_t starting_count = 0;
  std::array<std::int32_t, Max_Combat_Turn_Order> turn_order{};
  std::int32_t turn_order_count = 0;
};

// The battle state of the process.
extern TCombat_State G_Combat;

// What the battle asks of the rest of the game.
class TCombat_Links {
public:
  virtual ~TCombat_Links() = default;
  // Graphics: loads a picture as a texture of the group; 0 when it cannot.
  virtual std::int32_t m_Load_Texture(const std::string& path, std::uint8_t group);
  // Main screen: switches its mode.
  virtual void m_Set_Screen_Mode(std::int32_t mode);
  // Dialogs: opens "Dlg Combat Begin" (closing it starts the first turn).
  virtual void m_Open_Begin_Dialog();
  // Network announcements of the battle's machine.
  virtual void m_Send_Combat_Begin(std::int32_t region, bool auto_resolve, const std::string& background,
                                   std::uint8_t prior_owner, std::uint8_t defender, std::uint8_t attacker);
  virtual void m_Send_Combat_Begin_Dialog();
  virtual void m_Send_Combat_Next_Piece();
  // One placement: kind 1 (one more unit on a piece), 2 (a non-anchor cell)
  // or 3 (a new piece) with the cell's column, row and values.
  virtual void m_Send_Add_Starting_Unit(std::int32_t kind, std::int32_t column, std::int32_t row,
                                        const TCombat_Cell& cell);
  // The turn sequence: the next piece's turn, and the end of the battle.
  virtual void m_Next_Piece();
  virtual void m_Completed();
  // Sounds: starts a sound file as a 3D sound at a point (0: none), and
  // moves a running one.
  virtual std::int32_t m_Start_Sound_3D(const std::string& name, const TVector& position);
  virtual void m_Move_Sound_3D(std::int32_t handle, const TVector& position);
  // Effects: the number of a named effect (0 when absent), and starting
  // one from source to target for an action (its end reaches the action
  // timer's m_Effect_Finished with the action's id); false when no effect
  // started.
  virtual std::int32_t m_Find_Effect(const std::string& name);
  virtual bool m_Start_Effect(std::int32_t effect, const TVector& source, const TVector& target,
                              std::int32_t action_id);
  // A floating text at a point, with its colour (r, g, b, a in 0..1),
  // velocity and lifetime in milliseconds.
  virtual void m_Add_Floating_Text(const std::string& text, const TVector& position, const TVector4& colour,
                                   const TVector& velocity, std::int32_t lifetime_ms);
};

// The link in force (never null); nullptr restores the one that does nothing.
TCombat_Links& Combat_Links();
void Set_Combat_Links(TCombat_Links* links);

// Starting a battle.
void Combat_Begin(std::int32_t region_id, bool auto_resolve, bool show_begin_dialog);
void Combat_Begin_Remote(std::int32_t region_id, bool auto_resolve, const std::string& background_name,
                         std::uint8_t prior_owner, std::uint8_t defender, std::uint8_t attacker);
void Combat_Add_Unit(std::int32_t unit_id, std::uint16_t carrier_cargo_list);
void Combat_Add_Unit_Remote(std::int32_t kind, std::int32_t column, std::int32_t row, const TCombat_Cell& cell);
// The anchor for a new unit of the type and owner with a footprint of
// width x height cells. False, with column 7 and row 5, when no place fits.
bool Combat_Find_Starting_Cell(std::uint16_t unit_type, std::uint8_t owner, std::int32_t width,
                               std::int32_t height, std::int32_t& column, std::int32_t& row);

// Cells.
TCombat_Cell Combat_Get_Cell(std::int32_t column, std::int32_t row);
void Combat_Set_Cell(std::int32_t column, std::int32_t row, const TCombat_Cell& cell);
void Combat_Clear_Cell(std::int32_t column, std::int32_t row);
void Combat_Fill_Cells(std::int32_t column, std::int32_t row, const TCombat_Cell& cell);
void Combat_Place_Piece(std::int32_t column, std::int32_t row, const TCombat_Cell& cell);
void Combat_Get_Piece_Screen_Pos(std::int32_t column, std::int32_t row, std::int32_t width, std::int32_t height,
                                 float picture_width, float picture_height, float& x, float& y);
void Combat_Get_Cell_Centre(std::int32_t column, std::int32_t row, std::int32_t width, std::int32_t height, float& x,
                            float& y);

// Starting records.
void Combat_Add_Starting_Unit_Record(std::uint8_t owner, std::uint16_t unit_type, std::int32_t destroyed_count);
void Combat_Count_Starting_Unit(std::uint8_t owner, std::uint16_t unit_type);
std::int32_t Combat_Get_Starting_Unit_Count();
// Record 1..count; false (record untouched) outside.
bool Combat_Get_Starting_Unit(std::int64_t n, TCombat_Starting_Unit& record);

// Getters.
bool Combat_Is_Active();
std::int32_t Combat_Get_Region();
std::uint8_t Combat_Get_Attacker();
std::uint8_t Combat_Get_Defender();
std::uint8_t Combat_Get_Winner();
bool Combat_Is_Attacker(std::uint8_t player);
void Combat_Set_Region(std::int32_t region_id);
void Combat_Reload_Background();

// Support totals over the land pieces of a player.
std::int32_t Combat_Ability_Total(std::uint8_t player, std::uint16_t ability_type);
std::int32_t Combat_Ability4_Total(std::uint8_t player);
std::int32_t Combat_Ability3_Total(std::uint8_t player);
