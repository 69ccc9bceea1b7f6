// The computer player. A computer player plays its turn as numbered steps,
// one per run of the End Turn action (Execute_AI_Main): each planning pass
// builds a picture of the world (unit-type and region tables, statistics,
// objects and assets), turns the objects into scored tasks, pairs assets
// with tasks, hands out assets in pair order and issues one order at a time
// through the order desk, waiting for each to finish; then it starts the
// battles its orders caused, perhaps plans again (at most three passes),
// buys units and technology and brings its air units home.
//
// All state serves one player at a time and is rebuilt in every pass;
// nothing of it is saved with the game. Tables are 1-based: entry i of a
// table is at [i - 1].
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Task kinds.
enum : std::uint8_t {
  AI_TASK_PROTECT_REGION = 1,
  AI_TASK_CONQUER_REGION = 2,
  AI_TASK_DAMAGE_REGION = 3,
  AI_TASK_DESTROY_ENEMY = 4,
  AI_TASK_TAKE_EMPTY_REGION = 5,
  AI_TASK_VIEW_FROM_REGION = 6,
  AI_TASK_FILL_TRANSPORT = 7,
  AI_TASK_MOVE_TRANSPORT = 8,
  AI_TASK_PROTECT_SEA_UNITS = 9,
};

// Object kinds.
enum : std::uint8_t {
  AI_OBJECT_OWN_REGION = 1,
  AI_OBJECT_ENEMY_REGION = 2,
  AI_OBJECT_FOREIGN_UNITS = 3,
  AI_OBJECT_EMPTY_REGION = 4,
  AI_OBJECT_TRANSPORT = 5,
  AI_OBJECT_FULL_SEA_TRANSPORT = 6,
};

struct TAI_Unit_Type_Info {
  std::int32_t own_count = 0;
  std::int32_t seen_enemy_count = 0;
  std::uint8_t movement_type = 0;
  bool moves = false, ranged = false, far_sight = false, enables_purchases = false;
  bool transport = false, cargo_fights = false;
  bool ability1 = false, ability3 = false, ability5 = false;
};

struct TAI_Region_Info {
  std::uint8_t region_type = 0;
  std::uint8_t owner = 0;
  std::uint8_t first_unit_owner = 0;
  float asset_strength = 0;
  // The strength of the units of other owners than the planning player:
  // what an attack on the region has to overcome.
  float enemy_strength = 0;
  float total_value = 0;
  float value = 0;
  std::int32_t distance = 0;
  bool known = false, has_base = false, supplied = false;
};

struct TAI_Object {
  std::uint8_t kind = 0;
  std::int32_t subject = 0;
  std::uint8_t owner = 0;
  std::int32_t region = 0;
  std::int32_t free_space = 0;
  std::array<std::int32_t, 6> counts{};  // by movement type 1..5; [0] unused
  std::uint8_t largest = 0;
};

struct TAI_Asset {
  std::int32_t unit = 0;
  std::uint8_t owner = 0;
  std::int32_t region = 0;
  std::uint16_t unit_type = 0;
  std::uint16_t cargo_list = 0;
  std::uint8_t moves = 0;
  float strength = 0;
  std::int32_t assignment = 0;
  std::int32_t task = 0;
  std::int32_t place = 0;
  bool ordered = false;
  std::int32_t moved = 0;
};

struct TAI_Task {
  std::uint8_t kind = 0;
  float score = 0;
  std::int32_t object = 0;
  std::int32_t region = 0;
  bool done = false;
  float assigned_strength = 0;
  float required_strength = 0;
  float wanted_max_strength = 0;
  std::int32_t spare = 0;
  std::int32_t asset_count = 0;
  std::array<float, 6> terms{};  // t0..t5
};

struct TAI_Assignment {
  std::int32_t task = 0;
  std::int32_t asset = 0;
  std::int32_t spare = 0;
  float score = 0;
  float strength = 0;
  std::int32_t via_region = 0;
};

struct TAI_Purchase_Candidate {
  std::uint8_t kind = 0;  // 1 unit, 2 technology
  std::int32_t item = 0;
  std::int32_t cost = 0;
  std::uint16_t option = 0;
  std::int32_t chance = 0;
  std::uint16_t family = 0;
  float score = 0;
};

// The whole state of the computer player.
struct TAI_State {
  std::int32_t loop_count = 0;
  bool order_issued = false;
  std::int32_t last_order_id = 0;
  std::int32_t air_cursor = 0;
  std::int32_t air_last_order = 0;

  std::vector<TAI_Unit_Type_Info> unit_types;
  std::uint16_t base_family = 0;
  std::vector<TAI_Region_Info> regions;  // sized to the map's region count
  std::int32_t own_regions = 0;
  std::int32_t unsupplied_regions = 0;
  bool secure = true;
  std::vector<std::int32_t> tech_purchases;  // per technology area

  std::array<std::int32_t, 6> seen_enemy_by_movement{};
  std::array<std::int32_t, 6> near_enemy_by_movement{};
  std::vector<std::int32_t> own_by_family;     // index = family id
  std::vector<std::int32_t> bought_by_family;  // index = family id
  float sea_strength = 0;
  std::int32_t sea_transports = 0;
  std::array<float, 20> battle_totals{};

  std::vector<TAI_Object> objects;
  std::vector<TAI_Asset> assets;
  std::vector<TAI_Task> tasks;
  std::vector<std::int32_t> sorted_tasks;  // task numbers, highest score first
  std::vector<TAI_Assignment> assignments;
  std::vector<std::int32_t> sorted_assignments;
  std::int32_t task_cursor = 0;

  // Combat regions whose battle step 70 started this turn: a region still
  // listed after its battle was started is passed over, not started again.
  std::vector<std::int32_t> tried_combat_regions;
};

extern TAI_State AI;

// --- Turn phases ------------------------------------------------------------
// Runs the step named by `step` for the player; true: call again (after the
// caller has added 1 to the counter); false: the computer player's turn is
// over.
bool Execute_AI_Main(std::uint8_t player, std::uint16_t& step);
bool AI_Initialize();
bool AI_Finalize();
// Hands Execute_AI_Main to the end of turn as its computer-player step.
void AI_Install_Turn_Hook();

// What the turn phases ask of the battle and the network. The defaults
// start the battle on this machine (Combat_Begin) and send nothing.
class TAI_Links {
public:
  virtual ~TAI_Links() = default;
  virtual bool m_Combat_Running();
  virtual void m_Combat_Begin(std::int32_t region, bool auto_resolve, bool show_dialog);
  virtual void m_Combat_Set_Region(std::int32_t region);
  virtual void m_Send_Update_Purchases(std::uint8_t player);
  virtual void m_Send_Combat_Plr_Start(std::uint8_t player, std::int32_t region);
};
void Set_AI_Links(TAI_Links* links);
TAI_Links& AI_Get_Links();

// --- Answers kept while a step runs -------------------------------------------
// While one turn step runs the map's connections stand still, and in the
// steps that plan or buy (they give no orders) so do the units and the
// region table: the answers below are worked out once in the step and
// looked up after. A kept answer is the one the walk gives, made the same
// way, so the player decides exactly as without them. Outside a step (a
// caller that changes the map between its calls) every call walks again.
class TAI_Step_Memo {
public:
  // `still`: no unit moves, appears or goes and the region table is not
  // made again while the memo lives.
  explicit TAI_Step_Memo(bool still);
  ~TAI_Step_Memo();
  TAI_Step_Memo(const TAI_Step_Memo&) = delete;
  TAI_Step_Memo& operator=(const TAI_Step_Memo&) = delete;
};
// G_Map->m_Get_Regions_In_Range: the start region and those within the
// range, level by level; the kept list, or the walk made into `own` when
// no memo lives.
const std::vector<std::int32_t>& AI_Regions_In_Range(std::int32_t region, std::int32_t range, std::uint8_t kind,
                                                     std::vector<std::int32_t>& own);
// G_Map->m_Count_Family_Units_In_Range, kept while the units stand still.
std::int32_t AI_Family_Units_In_Range(std::uint8_t player, std::int32_t region, std::uint16_t family,
                                      std::int32_t range);
// TMap_Region::m_Count_Units_Of_Family of the region (0 for no region),
// kept while the units stand still.
std::int32_t AI_Region_Family_Units(std::uint8_t player, std::int32_t region, std::uint16_t family);
// A kept answer about a region and the units and region table: null when
// none can be kept (no memo, or one whose units may move); `made` says it
// is new and still to be filled in. `question` tells the askers apart.
struct TAI_Memo_Answer {
  float sum = 0, largest = 0;
  std::int32_t count = 0;
  bool found = false;
};
TAI_Memo_Answer* AI_Memo_Answer(std::uint8_t question, std::int32_t region, std::int64_t detail, bool& made);

// --- Statistics, objects and assets -----------------------------------------
void AI_Generate_Unit_Type_Stats(std::uint8_t player);
void AI_Player_Start(std::uint8_t player);
void AI_Compute_Stats(std::uint8_t player);
void AI_Create_Objects(std::uint8_t player);
void AI_Create_Assets(std::uint8_t player);
std::int32_t AI_Add_Object(std::uint8_t kind, std::int32_t subject, std::uint8_t owner, std::int32_t region,
                           std::int32_t free_space, const std::array<std::int32_t, 6>& counts);
std::int32_t AI_Add_Asset(std::int32_t unit, std::uint8_t owner, std::int32_t region, std::uint16_t unit_type,
                          std::uint16_t cargo_list, std::uint8_t moves, float strength);
float AI_Unit_Strength(std::int64_t unit_type, std::int32_t cargo_list, bool without_cargo);
// Against the units in the region that `attacker` does not own (every unit
// when `attacker` is 0).
float AI_Unit_Strength_Against(std::int64_t unit_type, std::int32_t cargo_list, std::int32_t region,
                               std::uint8_t attacker = 0);
float AI_Region_Unit_Strength(std::int32_t region);
// The strength of the units in the region that `player` does not own.
float AI_Region_Enemy_Strength(std::int32_t region, std::uint8_t player);
float AI_Region_Base_Value(std::int32_t region);
bool AI_Region_Has_Base(std::int32_t region);
bool AI_Region_Near_Base(std::uint8_t player, std::int32_t region, std::uint16_t family);
bool AI_Cargo_Has_Land_Unit(std::int32_t cargo_list);
std::uint8_t AI_Cargo_Air_Moves(std::int32_t cargo_list);
// Region table entry; a default entry for an id outside the table.
const TAI_Region_Info& AI_Region(std::int32_t region);

// --- Tasks and scores --------------------------------------------------------
void AI_Create_Tasks(std::uint8_t player);
std::int32_t AI_Add_Task(std::uint8_t kind, std::int32_t object, std::int32_t region, float score, float required,
                         float wanted_max);
std::string AI_Task_Kind_Name(std::uint8_t kind);
float AI_Enemy_Strength_Near(std::uint8_t player, std::int32_t region, std::int32_t range, bool ignore_neutral,
                             bool land_only, bool& enemy_found, float& largest);
std::int32_t AI_Count_Foreign_Regions_In_Range(std::uint8_t player, std::int32_t region, std::int32_t range,
                                               bool ignore_neutral);
float AI_Sum_Player_Strength_In_Range(std::uint8_t player, std::int32_t region, std::int32_t range);
std::int32_t AI_Count_Unknown_Regions_In_Range(std::uint8_t player, std::int32_t region, std::int32_t range);
// The ocean regions reached over ocean within the range, the start region
// not counted.
std::int32_t AI_Count_Regions_In_Range(std::int32_t region, std::int32_t range);
std::int32_t AI_Find_Transport_Destination(std::int32_t region, std::uint8_t player, std::uint8_t movement_type,
                                           std::int32_t move_points, bool need_base, bool prefer_strongest, bool air,
                                           std::int32_t& destination);

// --- Assignments and orders --------------------------------------------------
void AI_Create_Assignments(std::uint8_t player);
void AI_Sort_Assignments(std::uint8_t player);
void AI_Assign_Tasks(std::uint8_t player);
bool AI_Execute_Next_Order(std::uint8_t player);
std::int32_t AI_Add_Assignment(std::int32_t task, std::int32_t asset, std::int32_t spare, std::int32_t via_region,
                               float strength, float score);
void AI_Add_Cargo_Assets(std::int32_t cargo_list, std::int32_t task, std::int32_t pair, std::int32_t region);

// The order code the computer player gives its orders to (the order desk by
// default); returns the id of the last action added.
using TAI_Order_Function = std::int32_t (*)(std::uint8_t player, std::uint8_t kind, bool towards,
                                            const std::vector<std::int32_t>& unit_ids, std::int32_t target,
                                            std::int32_t source);
void Set_AI_Order_Function(TAI_Order_Function function);

// --- Purchases and air units -------------------------------------------------
void AI_Purchases(std::uint8_t player);
std::int32_t AI_Pick_Purchase(std::uint8_t player, const std::vector<TAI_Purchase_Candidate>& candidates,
                              std::vector<std::int32_t>& affordable);
std::int32_t AI_Pick_Purchase_Location(std::uint8_t player, const TAI_Purchase_Candidate& candidate,
                                       const std::vector<std::int32_t>& locations);
// The score of a unit candidate and its log category.
float AI_Unit_Purchase_Score(std::uint8_t player, const TAI_Purchase_Candidate& candidate, std::string& category);
float AI_Tech_Purchase_Score(std::uint8_t player, const TAI_Purchase_Candidate& candidate);
float AI_Location_Score(std::uint8_t player, const TAI_Purchase_Candidate& candidate, std::int32_t region);
bool AI_Region_Allows_Family(std::uint8_t player, std::int32_t region, std::int64_t unit_type);
bool AI_Any_Region_Allows_Family(std::uint8_t player, std::int64_t unit_type);
std::int32_t AI_Count_Family_Near(std::uint8_t player, std::int32_t region, std::int32_t range, std::uint16_t family);
std::int32_t AI_Cargo_Capacity_Units(std::int64_t unit_type);
bool AI_Save_Air_Units(std::uint8_t player);
