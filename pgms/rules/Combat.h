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
#include <vector>

#include "Screen_Mode.h"
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
constexpr TScreen_Mode Combat_Screen_Mode = TScreen_Mode::Battle;
// Texture group of the battle background.
constexpr std::uint8_t Combat_Background_Texture_Group = 2;
// Initiative passes within which some piece must earn a turn.
constexpr std::int32_t Combat_Max_Initiative_Passes = 10001;
// Combat time (0.1 per initiative pass) after which a battle that has not
// been decided ends as a hold for the defender.
constexpr float Combat_Time_Limit = 1000.0f;
// The turn-order strip at the top of the battle screen.
constexpr float Combat_Turn_Strip_Left = 570.0f;
constexpr float Combat_Turn_Strip_Height = 64.0f;
constexpr float Combat_Turn_Entry_Scale = 32.0f;

class TMaster_Action_Timer;

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

// One entry of the turn-order strip.
struct TCombat_Turn_Entry {
  std::uint8_t owner = 0;
  std::uint16_t unit_type = 0;
  std::int32_t unit_id = 0;
  std::string count_text;
  float x = 0, y = 0, width = 0, height = 0;  // screen pixels
  TColor colour = 0;
  bool operator==(const TCombat_Turn_Entry&) const = default;
};

// What the battle screen shows about the hovered piece.
struct TCombat_Hover {
  float timer = 0;  // seconds since the last check
  std::int32_t mouse_x = -1, mouse_y = -1;
  std::int32_t shown_unit = -1;  // the unit in the info box, -1 none
  bool preview_shown = false;
  std::int32_t preview_attacker_column = 0, preview_attacker_row = 0;
  std::int32_t preview_target_column = 0, preview_target_row = 0;
  std::string preview_text;
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
  // The other player's close of the begin or end dialog that came before
  // this machine's own dialog opened (network games).
  std::uint8_t early_close_begin = 0, early_close_end = 0;
  std::int32_t current_piece = 0, current_column = 0, current_row = 0;
  std::uint8_t current_owner = 0;
  std::array<std::array<std::uint8_t, Combat_Rows>, Combat_Columns> move_map{};    // [column - 1][row - 1]
  std::array<std::array<std::uint8_t, Combat_Rows>, Combat_Columns> attack_map{};  // [column - 1][row - 1]
  TVector saved_eye, saved_look_at, saved_up;
  std::array<std::array<TCombat_Cell, Combat_Rows>, Combat_Columns> grid{};  // [column - 1][row - 1]
  std::array<TCombat_Starting_Unit, Max_Combat_Starting_Units> starting{};
  std::int32_t starting_count = 0;
  std::array<TCombat_Turn_Entry, Max_Combat_Turn_Order> turn_order{};
  std::int32_t turn_order_count = 0;
  TCombat_Hover hover;
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
  virtual void m_Set_Screen_Mode(TScreen_Mode mode);
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
  // The turn sequence: the next piece's turn (Combat_Next_Piece), and the
  // application of a finished battle (Combat_Completed). Tests replace them
  // to watch the battle's steps.
  virtual void m_Next_Piece();
  virtual void m_Completed();
  // Main screen: "Dlg Combat End" (closing it applies the battle) and "Dlg
  // Combat Options"; the wait and end-turn buttons; the info box for a
  // piece's unit and its clearing; the turn status after a battle.
  virtual void m_Open_End_Dialog();
  virtual void m_Open_Options_Dialog();
  virtual void m_Enable_Combat_Buttons(bool enabled);
  // The info box for a piece: its first unit, the units it holds and the
  // current hit points of its top unit.
  virtual void m_Set_Info_Box_Unit(std::int32_t unit_id, std::int32_t count, std::int32_t hit_points);
  virtual void m_Clear_Info_Box();
  virtual void m_Show_Turn_Status();
  // Main screen: its width in pixels, whether it is active, the mouse
  // position on it, and the point of the battle plane under a screen point
  // (false when the point misses the plane).
  virtual std::int32_t m_Screen_Width();
  virtual bool m_Screen_Active();
  virtual void m_Mouse_Position(std::int32_t& x, std::int32_t& y);
  virtual bool m_Screen_To_Battle_Plane(std::int32_t x, std::int32_t y, float& plane_x, float& plane_y);
  // Network messages of the turns and of the end of a battle.
  virtual void m_Send_Wait_Piece_Turn(bool continue_turns);
  virtual void m_Send_End_Piece_Turn(bool continue_turns);
  virtual void m_Send_Move(std::int32_t column, std::int32_t row);
  virtual void m_Send_Attack(std::int32_t column, std::int32_t row, std::int32_t damage);
  virtual void m_Send_End_Add_Log(std::int32_t date, std::uint8_t attacker,
                                  const std::vector<TCombat_Starting_Unit>& records, bool attacker_has_land_piece,
                                  std::int32_t region, std::uint8_t prior_owner, std::uint8_t winner,
                                  std::uint8_t defender);
  virtual void m_Send_End_Delete_Unit(std::int32_t unit_id, std::int32_t carrier_id);
  virtual void m_Send_End_Results(std::uint8_t new_owner, std::int32_t region, std::uint8_t attacker,
                                  std::uint8_t defender);
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

// In a network game each of the two players closes the begin and the end
// dialog, and each dialog stays open until the other player's close has
// come too. A close that comes before this machine's own dialog has opened
// is kept for the battle (a new battle or the end of this one forgets it)
// and taken by the dialog as it opens.
void Combat_Keep_Early_Close(bool end_dialog);
bool Combat_Take_Early_Close(bool end_dialog);

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

// The action timer that battle turns queue their actions in: the game's
// timer unless another is set (nullptr restores the game's).
TMaster_Action_Timer* Combat_Action_Timer();
void Combat_Set_Action_Timer(TMaster_Action_Timer* timer);

// Turns. Combat_Next_Piece hands the turn to the next piece or ends the
// battle; called again while it runs (a computer piece that waits), it
// runs once more after the running call instead of inside it.
void Combat_Next_Piece();
void Combat_End_Piece_Turn(bool continue_turns);
void Combat_Wait_Piece(bool continue_turns);
void m_Combat_Move(std::int32_t target_column, std::int32_t target_row);
void m_Combat_Attack(std::int32_t target_column, std::int32_t target_row, std::int32_t damage);
void Combat_Mouse_Click(std::int32_t x, std::int32_t y);
void Combat_Button_Click(const std::string& name);
void Combat_Compute_Move_Map(std::int32_t piece_id, std::int32_t column, std::int32_t row,
                             std::uint8_t movement_type, std::int32_t amount, std::int32_t height,
                             std::int32_t width);
void Combat_Compute_Attack_Map(std::int32_t piece_id, std::int32_t column, std::int32_t row,
                               std::uint16_t unit_type, std::int32_t range, std::int32_t height,
                               std::int32_t width);
void Combat_Build_Turn_Order();
void Combat_Next_Piece_Remote();
void Combat_Wait_Piece_Remote(bool continue_turns);
void Combat_End_Piece_Turn_Remote(bool continue_turns);
void Combat_Move_Remote(std::int32_t column, std::int32_t row);
void Combat_Attack_Remote(std::int32_t column, std::int32_t row, std::int32_t damage);
// Whether a piece of the attacking type can be damaged by it at all: the
// attacker's combat damage percent against the target type's movement type
// is above 0. Attack maps, the computer's choices and the damage agree on
// this one test.
bool Combat_Can_Damage_Type(std::uint16_t attacker_type, std::uint16_t target_type);

// Computer-controlled pieces.
void Combat_Execute_AI_Move();
// A player of the battle run or mirrored here has left a network game (his
// nation is the computer's now). This machine finishes the battle and
// applies its end, whichever machine ran it until now; the player's piece
// whose step never came is played by the computer at once, his later
// pieces as the computer's are.
void Combat_Player_Lost(std::uint8_t player);
void Combat_AI_Score_Cells(std::uint8_t owner, std::uint8_t movement_type, const std::vector<TCombat_Cell>& pieces,
                           std::array<std::array<std::int32_t, Combat_Rows>, Combat_Columns>& scores);
std::int32_t Combat_AI_Threat_Sum(std::int32_t column, std::int32_t row, std::uint16_t unit_type,
                                  std::uint8_t owner, std::int32_t range);

// End of the battle.
void Combat_Results();
void Combat_Completed();
void Combat_Results_Remote(std::uint8_t new_owner, std::int32_t region_id, std::uint8_t first_empire,
                           std::uint8_t second_empire);

// Fights the battle in the region to its end without drawing, dialogs or
// network messages (the computer's battles): begins it auto-resolved, runs
// its actions on a timer of its own and applies the result to the world.
// True when the battle ended by its rules; false when it had to be stopped
// (then it is ended as a hold for the defender).
bool Combat_Resolve(std::int32_t region_id);

// The battle screen.
void Combat_Draw();
void Combat_Update_Hover(float elapsed);
void Combat_Kill_Preview(std::int32_t target_column, std::int32_t target_row);
void Combat_Draw_Piece(std::uint16_t unit_type, std::uint8_t facing, std::int32_t count, TColor colour,
                       float picture_width, float picture_height, float picture_x, float picture_y);
