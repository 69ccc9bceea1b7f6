// The action timer: every timed change of the game is an action record that
// runs over the following frames.
//
// Orders of human players, of the computer player and from the network all
// become records through the adders below. Once per frame the main screen
// advances the timer with the frame time; each due record runs one step of
// its kind's step machine. A record can wait for another record (a move over
// several regions is a chain of legs), can be delayed, and ends by its own
// step machine or by its time limit. The table, with the unit lists and
// bombard damage lists that records refer to, is saved as
// MasterActionTimer.dat.
//
// The step machines of the kinds live with the map actions, the end of turn
// and the battle; they are plugged in per kind as executors. What the timer
// itself needs of the world model and of the main screen goes through two
// small interfaces whose defaults find nothing and draw nothing.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BombardDamageList.h"
#include "Lists_LongIntList.h"
#include "Vector_Types.h"

class TIo_Reader;
class TIo_Writer;
class TMaster_Action_Timer;

// Kinds of action records.
enum TAction_Kind : std::uint8_t {
  ACTION_NONE = 0,
  ACTION_MOVE_UNIT = 1,
  ACTION_BOMBARD_UNIT = 2,
  ACTION_LOAD_UNIT = 3,
  ACTION_UNLOAD_UNIT = 4,
  ACTION_END_TURN = 5,
  ACTION_COMBAT_MOVE = 6,
  ACTION_COMBAT_ATTACK = 7,
  ACTION_COMBAT_NEXT_PIECE = 8,
  ACTION_DECOMMISSION_UNITS = 9,
};

// The kind's name in the debug log; empty for a kind outside 1..9.
std::string Action_Kind_Name(std::uint8_t kind);

// A square on the map, in map units.
struct TAction_Rect {
  float left = 0, top = 0, width = 0, height = 0;
};

// Kind data of Move Unit.
struct TAction_Move_Unit {
  std::int32_t source_region = 0;
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  bool seen = false;
  std::uint16_t unit_list = 0;   // the unit ids
  std::uint16_t sound_list = 0;  // movement sound handle per unit, 0 none
  std::int32_t unit_count = 0;
  std::int32_t destination_region = 0;
  TAction_Rect rect;  // the moving square
  TColor colour = 0;
  float target_left = 0, target_top = 0;
  float velocity_x = 0, velocity_y = 0;
  float remaining_distance = 0;
  float heading = 0, target_heading = 0;
  bool more_legs_follow = false;
  bool chained = false;
};

// Kind data of Bombard Unit.
struct TAction_Bombard_Unit {
  std::int32_t source_region = 0;
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  bool seen = false;
  std::int32_t unit_count = 0;
  std::uint16_t unit_list = 0;
  std::int32_t target_region = 0;
  TVector effect_source, effect_target;
  std::int32_t effect_number = 0;
  std::int32_t region_damage = 0;
  std::int32_t damage_record_count = 0;
  std::uint16_t damage_list = 0;  // list number in the bombard damage storage
};

// Kind data of Load Unit and Unload Unit.
struct TAction_Load_Unit {
  std::int32_t source_region = 0;
  std::int32_t destination_region = 0;
  bool seen = false;
  std::uint16_t unit_type = 0;
  TAction_Rect rect;  // the moving square
  TColor colour = 0;
  float target_left = 0, target_top = 0;
  float velocity_x = 0, velocity_y = 0;
  float remaining_distance = 0;
};

// Kind data of End Turn.
struct TAction_End_Turn {
  std::int32_t crash_unit_id = 0;  // the air unit being crashed
};

// Kind data of Combat Move.
struct TAction_Combat_Move {
  std::int32_t from_column = 0, from_row = 0;
  std::int32_t to_column = 0, to_row = 0;
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
  std::int32_t unit_count = 0;
  float picture_x = 0, picture_y = 0;  // the piece's current position
  float picture_width = 0, picture_height = 0;
  std::uint8_t facing = 0;
  TColor colour = 0;
  float target_x = 0, target_y = 0;
  float velocity_x = 0, velocity_y = 0;
  float remaining_distance = 0;
  std::int32_t sound_handle = 0;
  bool auto_resolve = false;
  bool first_step = false;
};

// Kind data of Combat Attack.
struct TAction_Combat_Attack {
  std::int32_t attacker_column = 0, attacker_row = 0;
  std::int32_t defender_column = 0, defender_row = 0;
  std::int32_t damage = 0;
  TVector effect_source, effect_target;
  std::int32_t effect_number = 0;
  bool auto_resolve = false;
};

// Kind data of Combat Next Piece.
struct TAction_Combat_Next_Piece {
  bool auto_resolve = false;
};

// Kind data of Decommission Units.
struct TAction_Decommission_Units {
  std::int32_t region = 0;
  std::uint8_t owner = 0;
  bool seen = false;
  std::int32_t unit_count = 0;
  std::uint16_t unit_list = 0;
  TVector marker_point;
  std::int32_t sound_handle = 0;
};

// One action record: the common part, then the data of its kind (only the
// part of the record's kind means anything).
struct TAction_Record {
  std::int32_t id = 0;
  bool active = false;      // false while it waits for another action
  float start_time = 0;     // master time at creation
  bool done = false;        // removed at the end of the frame's run
  std::uint16_t step = 0;   // step of the kind's step machine
  std::uint16_t sub_step = 0;
  float time_limit = 0;     // seconds; 0 none
  float delay = 0;          // seconds left before it runs
  std::int32_t awaited_id = 0;
  std::uint8_t kind = ACTION_NONE;

  TAction_Move_Unit move;
  TAction_Bombard_Unit bombard;
  TAction_Load_Unit load;  // Load Unit and Unload Unit
  TAction_End_Turn end_turn;
  TAction_Combat_Move combat_move;
  TAction_Combat_Attack combat_attack;
  TAction_Combat_Next_Piece next_piece;
  TAction_Decommission_Units decommission;
};

// The step machine of one kind: runs one step of record `index` (1-based).
class TAction_Executor {
public:
  virtual ~TAction_Executor() = default;
  virtual void m_Execute(TMaster_Action_Timer& timer, std::int32_t index, float dt) = 0;
  // The record's time limit has run out before its step machine finished
  // it; called before the record is marked done and its lists given back.
  virtual void m_Time_Limit_Reached(TMaster_Action_Timer&, std::int32_t) {}
};

// A unit as the timer sees it.
struct TAction_Unit_Info {
  std::int32_t region = 0;  // 0 while carried
  std::uint16_t unit_type = 0;
  std::uint8_t owner = 0;
};

// What the timer's adders and drawing read of the world model and the game
// settings. The defaults find nothing.
class TAction_Timer_World {
public:
  virtual ~TAction_Timer_World() = default;
  virtual bool m_Get_Unit(std::int32_t unit_id, TAction_Unit_Info& unit) const;
  // The square of the stack of the unit type and owner in the region, and
  // its colour.
  virtual bool m_Get_Stack_Square(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner,
                                  TAction_Rect& square, TColor& colour) const;
  // Where such a stack stands in the region: its square, else a free square,
  // else the label square.
  virtual bool m_Get_Stack_Position(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner,
                                    TAction_Rect& square) const;
  virtual bool m_Get_Region_Centre(std::int32_t region, float& x, float& y) const;
  virtual bool m_Local_Empire_Knows_Region(std::int32_t region) const;
  virtual TColor m_Get_Empire_Colour(std::uint8_t owner) const;
  // Number of the unit type's "Ranged Fire Effect" in the effect list, 0
  // when absent.
  virtual std::int32_t m_Get_Ranged_Fire_Effect(std::uint16_t unit_type) const;
  // An End Turn resumed after a load: the autosave-pending flag cleared and
  // the turn passed to player 1.
  virtual void m_End_Turn_Resumed();
  // Whether a hand-over of the turn may run ahead within a frame (games at
  // one machine; a network game keeps one step a frame).
  virtual bool m_Hand_Over_Runs_Ahead() const;
};

// What the timer asks of the main screen. The defaults do nothing.
class TAction_Timer_Screen {
public:
  virtual ~TAction_Timer_Screen() = default;
  // The unit type's picture with the count, rotated to the heading and
  // tinted by the colour.
  virtual void m_Draw_Unit_Icon(std::uint16_t unit_type, std::int32_t unit_count, float heading, TColor colour,
                                const TAction_Rect& rect);
  // The translucent marker of a unit being decommissioned.
  virtual void m_Draw_Marker(const TAction_Rect& rect);
  // The moving battle piece of a Combat Move record at its current position.
  virtual void m_Draw_Combat_Piece(const TAction_Record& record);
  virtual void m_Show_Turn_Status();
};

class TMaster_Action_Timer {
public:
  TMaster_Action_Timer();
  ~TMaster_Action_Timer();
  TMaster_Action_Timer(const TMaster_Action_Timer&) = delete;
  TMaster_Action_Timer& operator=(const TMaster_Action_Timer&) = delete;

  // --- Table -------------------------------------------------------------
  void m_Clear();
  // Appends a zeroed record: the next id, active, started now, time limit 30.
  std::int32_t m_New_Action();
  // True when the table is empty or every record with the id is done.
  bool m_Is_Action_Done(std::int32_t id) const;
  bool m_Action_Exists(std::int32_t id) const;
  bool m_Has_Action_Type(std::uint8_t kind) const;

  std::int32_t m_Record_Count() const { return static_cast<std::int32_t>(f_records.size()); }
  // Record `index` (1-based); ERangeError outside 1..count.
  TAction_Record& m_Get_Record(std::int64_t index);
  const TAction_Record& m_Get_Record(std::int64_t index) const;
  // Index of the last record with the id, 0 when none.
  std::int32_t m_Find_Action(std::int32_t id) const;

  float m_Master_Time() const { return f_master_time; }
  std::int32_t m_Last_Id() const { return f_last_id; }
  // 0 no save running, 1 the end of turn's save is running, 2 it finished.
  std::uint8_t f_autosave_state = 0;
  // Where the running autosave or network save writes.
  std::string f_save_directory;

  // --- Adders ------------------------------------------------------------
  std::int32_t m_Add_Action_Move_Unit(std::int32_t source_region, std::uint16_t unit_type, std::uint8_t owner,
                                      std::int32_t unit_count, const TLongintList& unit_ids,
                                      std::int32_t destination_region, std::int32_t awaited_id,
                                      bool more_legs_follow, bool seen);
  std::int32_t m_Add_Action_Bombard_Unit(std::int32_t source_region, std::uint16_t unit_type, std::uint8_t owner,
                                         std::int32_t unit_count, const TLongintList& unit_ids,
                                         std::int32_t target_region, std::int32_t awaited_id, bool seen,
                                         std::int32_t region_damage,
                                         const std::vector<TBombard_Damage_Record>& damage_records);
  std::int32_t m_Add_Action_Load_Unit(std::int32_t transport_unit_id, std::int32_t loading_unit_id);
  std::int32_t m_Add_Action_Unload_Unit(std::int32_t transport_unit_id, std::int32_t cargo_unit_id,
                                        std::int32_t target_region);
  std::int32_t m_Add_Action_End_Turn();
  std::int32_t m_Add_Action_Decommission_Units(std::int32_t region, std::uint8_t owner, std::int32_t unit_count,
                                               const TLongintList& unit_ids, bool seen);
  std::int32_t m_Add_Action_Combat_Move(std::int32_t from_column, std::int32_t from_row, std::int32_t to_column,
                                        std::int32_t to_row, bool auto_resolve, bool first_step,
                                        std::int32_t awaited_id);
  std::int32_t m_Add_Action_Combat_Attack(std::int32_t attacker_column, std::int32_t attacker_row,
                                          std::int32_t defender_column, std::int32_t defender_row,
                                          std::int32_t damage, bool auto_resolve, std::int32_t awaited_id);
  std::int32_t m_Add_Action_Combat_Next_Piece(std::int32_t awaited_id, bool auto_resolve);

  // --- Per frame -----------------------------------------------------------
  // Runs every due record once. While an End Turn is handing the turn over,
  // more passes follow within the frame with no time passing, as long as
  // each pass changes something and at most Max_Quick_Passes of them: the
  // steps that take no time (the computer player thinking, moves out of
  // sight, battles resolved without a screen, the hand-over's bookkeeping)
  // take no frames, while what the player watches (a move travelling, an
  // effect, a pause) still advances only with the frames' time.
  void m_Update_Timer(float dt);
  static constexpr std::int32_t Max_Quick_Passes = 250;
  // A step machine that moved on without changing its record (the computer
  // player went on to its next order, which added no action) says so here,
  // so that the quick passes go on.
  void m_Note_Progress() { ++f_progress; }
  // The quick passes of the last m_Update_Timer.
  std::int32_t m_Last_Quick_Passes() const { return f_last_quick_passes; }
  void m_Execute_Action(std::int32_t index, float dt);
  void m_Remove_Done_Actions();
  void m_Draw_Actions(float dt);
  void m_Draw_Action(std::int32_t index, float dt);

  // --- Hooks ---------------------------------------------------------------
  // An effect started for the action has ended; moves the record on only
  // when it is in the step that waits for that effect.
  void m_Effect_Finished(std::int32_t id);
  void m_Resume_End_Turn_After_Load();

  // --- Unit lists --------------------------------------------------------
  std::uint16_t m_New_Unit_List();
  bool m_Free_Unit_List(std::int64_t slot);
  TLongintList* m_Get_Unit_List(std::int64_t slot);
  const TLongintList* m_Get_Unit_List(std::int64_t slot) const;
  std::uint16_t m_Unit_List_Count() const { return static_cast<std::uint16_t>(f_unit_lists.size()); }
  bool m_Unit_List_Used(std::int64_t slot) const;

  TBombard_Damage_List_Storage& m_Bombard_Damage() { return f_bombard_damage; }
  const TBombard_Damage_List_Storage& m_Bombard_Damage() const { return f_bombard_damage; }

  // --- Files ---------------------------------------------------------------
  // False for an empty name; a failure shows "Save file error: " or "Load
  // file error: " with the file name under the caption "Error" and gives
  // false.
  bool m_Save_To_File(const std::string& file_name) const;
  bool m_Load_From_File(const std::string& file_name);
  void m_Save(TIo_Writer& w) const;
  // Clears first. Sound handles of the file belong to an earlier run of
  // the program and are set to none.
  void m_Load(TIo_Reader& r);

  // --- Plug-ins ------------------------------------------------------------
  // The step machine of a kind (nullptr: records of the kind do nothing).
  void m_Set_Executor(std::uint8_t kind, TAction_Executor* executor);
  // nullptr restores the defaults.
  void m_Set_World(TAction_Timer_World* world);
  void m_Set_Screen(TAction_Timer_Screen* screen);
  TAction_Timer_World& m_World() const { return *f_world; }
  TAction_Timer_Screen& m_Screen() const { return *f_screen; }

private:
  struct TUnit_List_Slot {
    bool used = false;
    std::unique_ptr<TLongintList> list;
  };

  void m_Release_Waiting_Action(TAction_Record& waiting, const TAction_Record& done);
  // One pass over the records with the frame time; false when an executor
  // cleared the table.
  bool m_Run_Pass(float dt);
  // Whether a quick pass may follow: a hand-over runs at one machine.
  bool m_Quick_Pass_Allowed() const;
  // Gives back the unit lists and the damage list of a record that ends
  // without its step machine having done so.
  void m_Release_Record_Lists(TAction_Record& record);
  // A new record of the kind, completed by `fill`; when `fill` fails the
  // record and the lists it took are given back.
  std::int32_t m_New_Action_Of(std::uint8_t kind, const std::function<void(TAction_Record&)>& fill);
  // Sound handles read from a file are set to none.
  void m_Forget_Sound_Handles();
  std::uint16_t m_Fill_Unit_List(const TLongintList& unit_ids, std::int32_t unit_count);

  float f_master_time = 0;
  std::int32_t f_last_id = 0;
  std::vector<TAction_Record> f_records;
  std::vector<TUnit_List_Slot> f_unit_lists;
  TBombard_Damage_List_Storage f_bombard_damage;

  // Counts clears, so that a pass notices a clear made by an executor.
  std::uint64_t f_clear_count = 0;
  std::int32_t f_last_quick_passes = 0;
  std::uint64_t f_progress = 0;
  std::array<TAction_Executor*, 10> f_executors{};
  TAction_Timer_World* f_world;
  TAction_Timer_Screen* f_screen;
};

// The one timer of the game, created with the other global objects.
extern TMaster_Action_Timer* Master_Action_Timer;
