#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <vector>

#include "Debug_Log.h"
#include "Global.h"
#include "MasterActionTimer.h"
#include "Test_Support.h"

namespace {

// An executor that notes every step it runs and then does what the test
// asks of it.
class TTest_Executor : public TAction_Executor {
public:
  struct TCall {
    int frame;
    std::int32_t id;
  };
  std::vector<TCall> calls;
  int* frame = nullptr;
  std::function<void(TMaster_Action_Timer&, TAction_Record&)> on_step;

  void m_Execute(TMaster_Action_Timer& timer, std::int32_t index, float) override {
    TAction_Record& r = timer.m_Get_Record(index);
    calls.push_back({frame ? *frame : 0, r.id});
    if (on_step) on_step(timer, r);
  }
  std::vector<int> Frames_Of(std::int32_t id) const {
    std::vector<int> out;
    for (const TCall& c : calls)
      if (c.id == id) out.push_back(c.frame);
    return out;
  }
};

// Runs frames of a fixed frame time and counts them.
struct TFrames {
  TMaster_Action_Timer& timer;
  float dt;
  int frame = 0;
  void Run(int n) {
    for (int k = 0; k < n; ++k) {
      ++frame;
      timer.m_Update_Timer(dt);
    }
  }
};

TLongintList Ids(std::initializer_list<std::int32_t> values) {
  TLongintList l;
  for (std::int32_t v : values) l.m_Add(v);
  return l;
}

std::vector<std::int32_t> Values(const TLongintList* l) {
  std::vector<std::int32_t> out;
  if (l)
    for (std::int32_t k = 1; k <= l->m_Count(); ++k) out.push_back(l->m_Get(k));
  return out;
}

// A small world: units 1..3, stacks as squares of 10 x 8 with the region
// number in their position, region centres at (region * 100, region * 50).
class TTest_World : public TAction_Timer_World {
public:
  std::map<std::int32_t, TAction_Unit_Info> units;
  std::int32_t known_region = 0;
  bool m_Get_Unit(std::int32_t id, TAction_Unit_Info& unit) const override {
    auto it = units.find(id);
    if (it == units.end()) return false;
    unit = it->second;
    return true;
  }
  bool m_Get_Stack_Square(std::int32_t region, std::uint16_t unit_type, std::uint8_t, TAction_Rect& square,
                          TColor& colour) const override {
    if (region < 1) return false;
    square = TAction_Rect{region * 100.0f + unit_type, region * 50.0f, 10, 8};
    colour = Make_Color(1, 2, 3);
    return true;
  }
  bool m_Get_Stack_Position(std::int32_t region, std::uint16_t unit_type, std::uint8_t,
                            TAction_Rect& square) const override {
    if (region < 1) return false;
    square = TAction_Rect{region * 100.0f + unit_type + 20, region * 50.0f + 20, 12, 6};
    return true;
  }
  bool m_Get_Region_Centre(std::int32_t region, float& x, float& y) const override {
    if (region < 1) return false;
    x = region * 100.0f;
    y = region * 50.0f;
    return true;
  }
  bool m_Local_Empire_Knows_Region(std::int32_t region) const override { return region == known_region; }
  TColor m_Get_Empire_Colour(std::uint8_t owner) const override { return Make_Color(owner, 0, 0); }
  std::int32_t m_Get_Ranged_Fire_Effect(std::uint16_t unit_type) const override { return unit_type + 1000; }
  int resumed = 0;
  void m_End_Turn_Resumed() override { ++resumed; }
  bool runs_ahead = false;
  bool m_Hand_Over_Runs_Ahead() const override { return runs_ahead; }
};

class TTest_Screen : public TAction_Timer_Screen {
public:
  std::vector<std::string> drawn;
  int turn_status = 0;
  void m_Draw_Unit_Icon(std::uint16_t unit_type, std::int32_t count, float heading, TColor,
                        const TAction_Rect& rect) override {
    drawn.push_back("icon " + std::to_string(unit_type) + " x" + std::to_string(count) + " h" +
                    std::to_string(int(heading)) + " at " + std::to_string(int(rect.left)));
  }
  void m_Draw_Marker(const TAction_Rect& rect) override {
    drawn.push_back("marker at " + std::to_string(int(rect.left)));
  }
  void m_Draw_Combat_Piece(const TAction_Record& r) override { drawn.push_back("piece " + std::to_string(r.id)); }
  void m_Show_Turn_Status() override { ++turn_status; }
};

}  // namespace

// --- Table ------------------------------------------------------------------

TEST(Action_Timer, EmptyTableKeepsTheMasterTimeAtZero) {
  TMaster_Action_Timer t;
  t.m_Update_Timer(0.25f);
  t.m_Update_Timer(0.25f);
  EXPECT_EQ(t.m_Master_Time(), 0.0f);
  std::int32_t id = t.m_New_Action();
  EXPECT_EQ(id, 1);
  const TAction_Record& r = t.m_Get_Record(1);
  EXPECT_EQ(r.start_time, 0.0f);
  EXPECT_TRUE(r.active);
  EXPECT_FALSE(r.done);
  EXPECT_EQ(r.time_limit, 30.0f);
  EXPECT_EQ(r.kind, ACTION_NONE);
  t.m_Update_Timer(0.25f);
  EXPECT_EQ(t.m_Master_Time(), 0.25f);
  EXPECT_EQ(t.m_New_Action(), 2);
  EXPECT_EQ(t.m_Get_Record(2).start_time, 0.25f);
}

TEST(Action_Timer, NewRecordStartsZeroed) {
  TMaster_Action_Timer t;
  std::int32_t first = t.m_Add_Action_Combat_Attack(3, 4, 5, 6, 77, true, 0);
  TAction_Record& r = t.m_Get_Record(1);
  r.step = 9;
  r.sub_step = 4;
  r.delay = 0;
  r.move.heading = 2.5f;
  r.end_turn.crash_unit_id = 44;
  r.done = true;
  t.m_Update_Timer(0.1f);  // removed
  ASSERT_EQ(t.m_Record_Count(), 0);
  std::int32_t id = t.m_Add_Action_End_Turn();
  EXPECT_EQ(id, first + 1);
  const TAction_Record& n = t.m_Get_Record(1);
  EXPECT_EQ(n.step, 0);
  EXPECT_EQ(n.sub_step, 0);
  EXPECT_EQ(n.move.heading, 0.0f);
  EXPECT_EQ(n.end_turn.crash_unit_id, 0);
  EXPECT_EQ(n.combat_attack.damage, 0);
  EXPECT_EQ(n.awaited_id, 0);
}

TEST(Action_Timer, DoneExistsAndKindQueries) {
  TMaster_Action_Timer t;
  EXPECT_TRUE(t.m_Is_Action_Done(0));
  EXPECT_TRUE(t.m_Is_Action_Done(5));
  std::int32_t id = t.m_Add_Action_End_Turn();
  EXPECT_FALSE(t.m_Is_Action_Done(id));
  EXPECT_TRUE(t.m_Is_Action_Done(id + 1));
  EXPECT_TRUE(t.m_Action_Exists(id));
  EXPECT_FALSE(t.m_Action_Exists(id + 1));
  EXPECT_TRUE(t.m_Has_Action_Type(ACTION_END_TURN));
  EXPECT_FALSE(t.m_Has_Action_Type(ACTION_MOVE_UNIT));
  t.m_Get_Record(1).done = true;
  EXPECT_TRUE(t.m_Is_Action_Done(id));
  EXPECT_THROW(t.m_Get_Record(2), ERangeError);
  EXPECT_THROW(t.m_Get_Record(0), ERangeError);
}

// --- Run loop ---------------------------------------------------------------

namespace {
// An executor that moves its record one step on per run until `last_step`,
// then finishes it (or leaves it as it is when stuck).
class TStepping_Executor : public TAction_Executor {
public:
  std::uint16_t last_step = 5;
  bool stuck = false;  // runs without changing its record
  int runs = 0;
  void m_Execute(TMaster_Action_Timer& timer, std::int32_t index, float) override {
    ++runs;
    TAction_Record& r = timer.m_Get_Record(index);
    if (stuck) return;
    if (r.step >= last_step) r.done = true;
    else ++r.step;
  }
};
}  // namespace

// While a hand-over runs, the records run pass after pass within one frame
// with no time passing; no hand-over, a paused hand-over or a network game
// keep one pass a frame.
TEST(Action_Timer, HandOverRunsAheadWhileNothingIsShown) {
  struct TCase {
    const char* name;
    bool runs_ahead, end_turn, delayed;
    int frames_to_finish;  // frames until the move-like record is gone
  };
  const TCase cases[] = {
      {"work during a hand-over", true, true, false, 1},
      {"no hand-over", true, false, false, 6},
      {"a paused hand-over", true, true, true, 6},
      {"a network game", false, true, false, 6},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMaster_Action_Timer t;
    TTest_World world;
    world.runs_ahead = c.runs_ahead;
    t.m_Set_World(&world);
    TStepping_Executor work, hand_over;
    hand_over.last_step = 60000;  // a hand-over that waits for ever
    t.m_Set_Executor(ACTION_MOVE_UNIT, &work);
    t.m_Set_Executor(ACTION_END_TURN, &hand_over);
    if (c.end_turn) {
      t.m_Add_Action_End_Turn();
      if (c.delayed) t.m_Get_Record(1).delay = 100.0f;
    }
    std::int32_t id = t.m_New_Action();
    t.m_Get_Record(t.m_Record_Count()).kind = ACTION_MOVE_UNIT;
    int frames = 0;
    while (t.m_Action_Exists(id) && frames < 20) {
      t.m_Update_Timer(0.05f);
      ++frames;
    }
    EXPECT_EQ(frames, c.frames_to_finish);
    EXPECT_EQ(work.runs, 6);
    // A hand-over whose every pass changes something stops at the limit
    // of passes a frame.
    if (c.end_turn && !c.delayed && c.runs_ahead) {
      const int before = hand_over.runs;
      t.m_Update_Timer(0.05f);
      EXPECT_EQ(hand_over.runs - before, 1 + TMaster_Action_Timer::Max_Quick_Passes);
      EXPECT_EQ(t.m_Last_Quick_Passes(), TMaster_Action_Timer::Max_Quick_Passes);
    }
    t.m_Set_World(nullptr);
  }
}

// A hand-over that stops changing (it waits for something) takes one more
// pass to notice and then leaves the rest of the frame alone.
TEST(Action_Timer, WaitingHandOverEndsTheQuickPasses) {
  TMaster_Action_Timer t;
  TTest_World world;
  world.runs_ahead = true;
  t.m_Set_World(&world);
  TStepping_Executor waiting;
  waiting.stuck = true;
  t.m_Set_Executor(ACTION_END_TURN, &waiting);
  t.m_Add_Action_End_Turn();
  t.m_Update_Timer(0.05f);
  EXPECT_EQ(waiting.runs, 2);
  EXPECT_EQ(t.m_Last_Quick_Passes(), 1);
  EXPECT_FLOAT_EQ(t.m_Master_Time(), 0.05f);
  t.m_Set_World(nullptr);
}

TEST(Action_Timer, DelayedRecordRunsInTheFrameAfterItsDelayReachedZero) {
  TMaster_Action_Timer t;
  TFrames f{t, 0.2f};
  TTest_Executor ex;
  ex.frame = &f.frame;
  t.m_Set_Executor(ACTION_END_TURN, &ex);
  std::int32_t id = t.m_Add_Action_End_Turn();
  t.m_Get_Record(1).delay = 0.5f;
  f.Run(3);
  EXPECT_TRUE(ex.calls.empty());
  EXPECT_EQ(t.m_Get_Record(1).delay, 0.0f);
  f.Run(2);
  EXPECT_EQ(ex.Frames_Of(id), (std::vector<int>{4, 5}));
}

TEST(Action_Timer, TimeLimitEndsTheRecordAndGivesBackItsLists) {
  TMaster_Action_Timer t;
  TFrames f{t, 0.5f};
  TTest_Executor ex;  // the effect never reports its end
  t.m_Set_Executor(ACTION_BOMBARD_UNIT, &ex);
  TLongintList units = Ids({11, 12});
  std::int32_t id = t.m_Add_Action_Bombard_Unit(1, 2, 3, 2, units, 4, 0, true, 0, {{30, 11, 9}});
  const std::uint16_t unit_list = t.m_Get_Record(1).bombard.unit_list;
  const std::uint16_t damage_list = t.m_Get_Record(1).bombard.damage_list;
  EXPECT_EQ(t.m_Get_Record(1).time_limit, 120.0f);
  f.Run(240);  // master time 120: not yet beyond the limit
  EXPECT_TRUE(t.m_Action_Exists(id));
  EXPECT_TRUE(t.m_Unit_List_Used(unit_list));
  f.Run(1);
  EXPECT_FALSE(t.m_Action_Exists(id));
  EXPECT_EQ(ex.calls.size(), 241u);
  EXPECT_FALSE(t.m_Unit_List_Used(unit_list));
  EXPECT_EQ(t.m_Get_Unit_List(unit_list)->m_Count(), 0);
  EXPECT_FALSE(t.m_Bombard_Damage().m_Get_List(damage_list)->m_In_Use());
  EXPECT_EQ(t.m_Bombard_Damage().m_Get_List(damage_list)->m_Count(), 0);
}

TEST(Action_Timer, TimedOutMoveAndDecommissionGiveBackTheirUnitLists) {
  TMaster_Action_Timer t;
  TLongintList units = Ids({5, 6});
  t.m_Add_Action_Move_Unit(1, 2, 3, 2, units, 4, 0, false, true);
  t.m_Add_Action_Decommission_Units(1, 3, 2, units, true);
  t.m_Get_Record(1).time_limit = 1;  // moves have none; given one here
  ASSERT_EQ(t.m_Unit_List_Count(), 3);
  for (int k = 0; k < 5; ++k) t.m_Update_Timer(0.5f);
  EXPECT_EQ(t.m_Record_Count(), 1);  // the decommission runs on (120 s)
  EXPECT_FALSE(t.m_Unit_List_Used(1));
  EXPECT_FALSE(t.m_Unit_List_Used(2));
  EXPECT_TRUE(t.m_Unit_List_Used(3));
  t.m_Get_Record(1).time_limit = 1;
  t.m_Update_Timer(0.5f);
  EXPECT_EQ(t.m_Record_Count(), 0);
  EXPECT_FALSE(t.m_Unit_List_Used(3));
}

TEST(Action_Timer, ThreeLegChainHandsOverTheHeading) {
  TMaster_Action_Timer t;
  TFrames f{t, 0.25f};
  TTest_Executor ex;
  ex.frame = &f.frame;
  // Each leg runs two steps; the first turns it, the second lands it.
  ex.on_step = [](TMaster_Action_Timer&, TAction_Record& r) {
    if (r.step == 0) {
      r.move.heading += 1.0f;
      r.step = 1;
    } else {
      r.done = true;
    }
  };
  t.m_Set_Executor(ACTION_MOVE_UNIT, &ex);
  TLongintList units = Ids({7});
  std::int32_t leg1 = t.m_Add_Action_Move_Unit(1, 2, 1, 1, units, 2, 0, true, true);
  std::int32_t leg2 = t.m_Add_Action_Move_Unit(2, 2, 1, 1, units, 3, leg1, true, true);
  std::int32_t leg3 = t.m_Add_Action_Move_Unit(3, 2, 1, 1, units, 4, leg2, false, true);
  EXPECT_TRUE(t.m_Get_Record(1).active);
  EXPECT_FALSE(t.m_Get_Record(1).move.chained);
  EXPECT_FALSE(t.m_Get_Record(2).active);
  EXPECT_TRUE(t.m_Get_Record(2).move.chained);
  EXPECT_FALSE(t.m_Get_Record(3).move.more_legs_follow);

  f.Run(2);  // leg 1 turns, then lands and is removed
  ASSERT_EQ(t.m_Record_Count(), 2);
  EXPECT_EQ(t.m_Get_Record(1).id, leg2);
  EXPECT_TRUE(t.m_Get_Record(1).active);
  EXPECT_EQ(t.m_Get_Record(1).move.heading, 1.0f);
  EXPECT_FALSE(t.m_Get_Record(2).active);
  f.Run(2);
  ASSERT_EQ(t.m_Record_Count(), 1);
  EXPECT_EQ(t.m_Get_Record(1).move.heading, 2.0f);
  f.Run(2);
  EXPECT_EQ(t.m_Record_Count(), 0);
  EXPECT_EQ(ex.Frames_Of(leg1), (std::vector<int>{1, 2}));
  EXPECT_EQ(ex.Frames_Of(leg2), (std::vector<int>{3, 4}));
  EXPECT_EQ(ex.Frames_Of(leg3), (std::vector<int>{5, 6}));
}

TEST(Action_Timer, WaiterOfAVanishedActionRunsFromTheNextFrame) {
  TMaster_Action_Timer t;
  TFrames f{t, 0.25f};
  TTest_Executor ex;
  ex.frame = &f.frame;
  t.m_Set_Executor(ACTION_COMBAT_NEXT_PIECE, &ex);
  std::int32_t id = t.m_Add_Action_Combat_Next_Piece(99, false);
  EXPECT_FALSE(t.m_Get_Record(1).active);
  f.Run(1);
  EXPECT_TRUE(t.m_Get_Record(1).active);
  EXPECT_TRUE(ex.calls.empty());
  f.Run(1);
  EXPECT_EQ(ex.Frames_Of(id), (std::vector<int>{2}));
}

TEST(Action_Timer, WaiterNeverRunsWhileItsAwaitedRecordIsInTheTable) {
  TMaster_Action_Timer t;
  TFrames f{t, 0.25f};
  TTest_Executor ex;
  ex.frame = &f.frame;
  t.m_Set_Executor(ACTION_COMBAT_NEXT_PIECE, &ex);
  std::int32_t attack = t.m_Add_Action_Combat_Attack(1, 1, 2, 2, 10, true, 0);
  std::int32_t next = t.m_Add_Action_Combat_Next_Piece(attack, true);
  f.Run(3);
  EXPECT_TRUE(ex.calls.empty());
  t.m_Get_Record(1).done = true;
  f.Run(1);  // the attack is removed and the waiter released
  EXPECT_TRUE(ex.calls.empty());
  f.Run(1);
  EXPECT_EQ(ex.Frames_Of(next), (std::vector<int>{5}));
}

TEST(Action_Timer, RecordsAddedDuringAPassRunNextFrame) {
  TMaster_Action_Timer t;
  TFrames f{t, 0.25f};
  TTest_Executor turn, next;
  turn.frame = next.frame = &f.frame;
  std::int32_t added = 0;
  turn.on_step = [&](TMaster_Action_Timer& timer, TAction_Record& r) {
    if (added == 0) added = timer.m_Add_Action_Combat_Next_Piece(0, true);
    // The table may have moved: the record is reached again by its index.
    (void)r;
  };
  t.m_Set_Executor(ACTION_END_TURN, &turn);
  t.m_Set_Executor(ACTION_COMBAT_NEXT_PIECE, &next);
  for (int k = 0; k < 25; ++k) t.m_New_Action();  // fill the table up to its growth step
  t.m_Add_Action_End_Turn();
  f.Run(1);
  EXPECT_NE(added, 0);
  EXPECT_TRUE(next.calls.empty());
  f.Run(1);
  EXPECT_EQ(next.Frames_Of(added), (std::vector<int>{2}));
}

TEST(Action_Timer, ClearFromInsideAnExecutorEndsThePass) {
  TMaster_Action_Timer t;
  TTest_Executor clearing, other;
  clearing.on_step = [](TMaster_Action_Timer& timer, TAction_Record&) { timer.m_Clear(); };
  t.m_Set_Executor(ACTION_END_TURN, &clearing);
  t.m_Set_Executor(ACTION_COMBAT_NEXT_PIECE, &other);
  TLongintList units = Ids({1, 2});
  t.m_Add_Action_Move_Unit(1, 1, 1, 2, units, 2, 0, false, false);
  t.m_Add_Action_End_Turn();
  t.m_Add_Action_Combat_Next_Piece(0, true);
  t.m_Get_Record(1).done = true;
  t.m_Update_Timer(0.5f);
  EXPECT_EQ(clearing.calls.size(), 1u);
  EXPECT_TRUE(other.calls.empty());
  EXPECT_EQ(t.m_Record_Count(), 0);
  EXPECT_EQ(t.m_Unit_List_Count(), 0);
  EXPECT_EQ(t.m_Master_Time(), 0.0f);
  EXPECT_EQ(t.m_Add_Action_Combat_Next_Piece(0, true), 1);
  t.m_Update_Timer(0.5f);
  EXPECT_EQ(other.calls.size(), 1u);
}

TEST(Action_Timer, DebugLinesBracketEveryExecutedAction) {
  TTemp_Dir dir;
  std::filesystem::create_directories(dir.path() / "Backup");
  const std::string saved_user = User_Folder;
  User_Folder = dir.design();
  Debug_Sections[DEBUG_MASTER_ACTION_TIMER] = true;
  {
    TMaster_Action_Timer t;
    t.m_Add_Action_End_Turn();
    t.m_Add_Action_Combat_Attack(1, 1, 2, 2, 5, true, 0);
    t.m_New_Action();  // kind 0
    t.m_Update_Timer(0.1f);
  }
  Debug_Sections[DEBUG_MASTER_ACTION_TIMER] = false;
  User_Folder = saved_user;
  std::string log = Read_File(dir.path() / "Backup" / "Globarch_Log.txt");
  std::vector<std::string> texts;
  std::size_t pos = 0;
  while (pos < log.size()) {
    std::size_t end = log.find('\n', pos);
    std::string line = log.substr(pos, end - pos);
    // The text follows the time stamp "yy.mm.dd hh.mm.ss" and the tick count.
    texts.push_back(line.substr(line.find(' ', 18) + 1));
    pos = end + 1;
  }
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "TMaster_Action_Timer.m_Execute_Action - Start - End Turn",
                       "TMaster_Action_Timer.m_Execute_Action - End",
                       "TMaster_Action_Timer.m_Execute_Action - Start - Combat Attack",
                       "TMaster_Action_Timer.m_Execute_Action - End",
                       "TMaster_Action_Timer.m_Execute_Action - Start - ",
                       "TMaster_Action_Timer.m_Execute_Action - End",
                   }));
}

TEST(Action_Timer, NoDebugLinesWithTheSectionOff) {
  TTemp_Dir dir;
  std::filesystem::create_directories(dir.path() / "Backup");
  const std::string saved_user = User_Folder;
  User_Folder = dir.design();
  TMaster_Action_Timer t;
  t.m_Add_Action_End_Turn();
  t.m_Update_Timer(0.1f);
  User_Folder = saved_user;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "Backup" / "Globarch_Log.txt"));
}

TEST(Action_Timer, KindNames) {
  const char* names[] = {"",          "Move Unit",     "Bombard Unit",      "Load Unit",         "Unload Unit",
                         "End Turn",  "Combat Move",   "Combat Attack",     "Combat Next Piece", "Decommission Units"};
  for (int k = 0; k <= 9; ++k) EXPECT_EQ(Action_Kind_Name(std::uint8_t(k)), names[k]);
  EXPECT_EQ(Action_Kind_Name(10), "");
}

// --- Effect reports ---------------------------------------------------------

TEST(Action_Timer, EffectFinishedMovesOnOnlyTheWaitingStep) {
  struct Row {
    std::uint8_t kind;
    std::uint16_t step, sub_step;
    bool done;
    std::uint16_t want_step, want_sub_step;
  } rows[] = {
      {ACTION_BOMBARD_UNIT, 1, 0, false, 2, 0},   {ACTION_BOMBARD_UNIT, 0, 0, false, 0, 0},
      {ACTION_BOMBARD_UNIT, 2, 0, false, 2, 0},   {ACTION_BOMBARD_UNIT, 1, 0, true, 1, 0},
      {ACTION_COMBAT_ATTACK, 2, 0, false, 3, 0},  {ACTION_COMBAT_ATTACK, 1, 0, false, 1, 0},
      {ACTION_COMBAT_ATTACK, 3, 0, false, 3, 0},  {ACTION_END_TURN, 3, 2, false, 3, 3},
      {ACTION_END_TURN, 3, 1, false, 3, 1},       {ACTION_END_TURN, 5, 2, false, 5, 2},
      {ACTION_END_TURN, 3, 10, false, 3, 10},     {ACTION_MOVE_UNIT, 1, 0, false, 1, 0},
      {ACTION_COMBAT_MOVE, 1, 0, false, 1, 0},    {ACTION_DECOMMISSION_UNITS, 1, 0, false, 1, 0},
  };
  for (const Row& row : rows) {
    TMaster_Action_Timer t;
    std::int32_t id = t.m_New_Action();
    TAction_Record& r = t.m_Get_Record(1);
    r.kind = row.kind;
    r.step = row.step;
    r.sub_step = row.sub_step;
    r.done = row.done;
    t.m_Effect_Finished(id);
    EXPECT_EQ(r.step, row.want_step) << int(row.kind) << " step " << row.step;
    EXPECT_EQ(r.sub_step, row.want_sub_step) << int(row.kind) << " step " << row.step;
  }
}

TEST(Action_Timer, RepeatedEffectReportChangesNothing) {
  TMaster_Action_Timer t;
  std::int32_t id = t.m_Add_Action_Combat_Attack(1, 1, 2, 2, 10, false, 0);
  t.m_Get_Record(1).step = 2;
  t.m_Effect_Finished(id);
  EXPECT_EQ(t.m_Get_Record(1).step, 3);
  t.m_Effect_Finished(id);
  EXPECT_EQ(t.m_Get_Record(1).step, 3);
  t.m_Effect_Finished(id + 1);  // no such record
  t.m_Effect_Finished(0);
  EXPECT_EQ(t.m_Get_Record(1).step, 3);
}

// --- Unit lists -------------------------------------------------------------

TEST(Action_Timer, UnitListPoolReusesTheLowestFreeSlot) {
  TMaster_Action_Timer t;
  EXPECT_EQ(t.m_New_Unit_List(), 1);
  EXPECT_EQ(t.m_New_Unit_List(), 2);
  EXPECT_EQ(t.m_New_Unit_List(), 3);
  t.m_Get_Unit_List(1)->m_Add(5);
  EXPECT_TRUE(t.m_Free_Unit_List(1));
  EXPECT_TRUE(t.m_Free_Unit_List(2));
  EXPECT_EQ(t.m_Get_Unit_List(1)->m_Count(), 0);
  EXPECT_NE(t.m_Get_Unit_List(1), nullptr);  // a freed slot keeps its list
  EXPECT_EQ(t.m_New_Unit_List(), 1);
  EXPECT_EQ(t.m_New_Unit_List(), 2);
  EXPECT_EQ(t.m_New_Unit_List(), 4);
  EXPECT_FALSE(t.m_Free_Unit_List(0));
  EXPECT_FALSE(t.m_Free_Unit_List(5));
  EXPECT_EQ(t.m_Get_Unit_List(0), nullptr);
  EXPECT_EQ(t.m_Get_Unit_List(5), nullptr);
  EXPECT_EQ(t.m_Unit_List_Count(), 4);
}

// --- Adders -----------------------------------------------------------------

TEST(Action_Timer, AddersSetKindActivityAndTimeLimit) {
  TMaster_Action_Timer t;
  TLongintList units = Ids({1});
  struct Row {
    std::function<std::int32_t()> add;
    std::uint8_t kind;
    float time_limit;
    bool active;
  } rows[] = {
      {[&] { return t.m_Add_Action_Move_Unit(1, 1, 1, 1, units, 2, 0, false, true); }, 1, 0, true},
      {[&] { return t.m_Add_Action_Move_Unit(1, 1, 1, 1, units, 2, 1, false, true); }, 1, 0, false},
      {[&] { return t.m_Add_Action_Bombard_Unit(1, 1, 1, 1, units, 2, 0, true, 0, {}); }, 2, 120, true},
      {[&] { return t.m_Add_Action_Bombard_Unit(1, 1, 1, 1, units, 2, 1, true, 0, {}); }, 2, 120, false},
      {[&] { return t.m_Add_Action_Load_Unit(1, 2); }, 3, 120, true},
      {[&] { return t.m_Add_Action_Unload_Unit(1, 2, 3); }, 4, 120, true},
      {[&] { return t.m_Add_Action_End_Turn(); }, 5, 0, true},
      {[&] { return t.m_Add_Action_Combat_Move(1, 2, 3, 4, false, true, 0); }, 6, 30, true},
      {[&] { return t.m_Add_Action_Combat_Move(1, 2, 3, 4, false, true, 1); }, 6, 30, false},
      {[&] { return t.m_Add_Action_Combat_Attack(1, 2, 3, 4, 5, false, 0); }, 7, 120, true},
      {[&] { return t.m_Add_Action_Combat_Attack(1, 2, 3, 4, 5, false, 1); }, 7, 120, false},
      {[&] { return t.m_Add_Action_Combat_Next_Piece(0, false); }, 8, 0, true},
      {[&] { return t.m_Add_Action_Combat_Next_Piece(1, false); }, 8, 0, false},
      {[&] { return t.m_Add_Action_Decommission_Units(1, 1, 1, units, true); }, 9, 120, true},
  };
  std::int32_t expected_id = 0;
  for (const Row& row : rows) {
    std::int32_t id = row.add();
    EXPECT_EQ(id, ++expected_id);
    const TAction_Record& r = t.m_Get_Record(t.m_Record_Count());
    EXPECT_EQ(r.id, id);
    EXPECT_EQ(r.kind, row.kind) << id;
    EXPECT_EQ(r.time_limit, row.time_limit) << id;
    EXPECT_EQ(r.active, row.active) << id;
    EXPECT_EQ(r.awaited_id, row.active ? 0 : 1) << id;
    EXPECT_EQ(r.step, 0);
  }
}

TEST(Action_Timer, MoveAdderFillsUnitAndSoundLists) {
  TMaster_Action_Timer t;
  TLongintList units = Ids({21, 22, 23, 24});
  t.m_Add_Action_Move_Unit(3, 7, 2, 3, units, 4, 0, true, true);
  const TAction_Move_Unit& m = t.m_Get_Record(1).move;
  EXPECT_EQ(m.source_region, 3);
  EXPECT_EQ(m.unit_type, 7);
  EXPECT_EQ(m.owner, 2);
  EXPECT_EQ(m.unit_count, 3);
  EXPECT_EQ(m.destination_region, 4);
  EXPECT_TRUE(m.more_legs_follow);
  EXPECT_FALSE(m.chained);
  EXPECT_EQ(Values(t.m_Get_Unit_List(m.unit_list)), (std::vector<std::int32_t>{21, 22, 23}));
  EXPECT_EQ(Values(t.m_Get_Unit_List(m.sound_list)), (std::vector<std::int32_t>{0, 0, 0}));
  EXPECT_NE(m.unit_list, m.sound_list);
}

TEST(Action_Timer, UnitCountBeyondTheListAddsNothing) {
  TMaster_Action_Timer t;
  TLongintList units = Ids({21, 22});
  EXPECT_THROW(t.m_Add_Action_Move_Unit(3, 7, 2, 3, units, 4, 0, false, true), EListError);
  EXPECT_THROW(t.m_Add_Action_Decommission_Units(3, 2, -1, units, true), EListError);
  EXPECT_EQ(t.m_Record_Count(), 0);
  EXPECT_EQ(t.m_Unit_List_Count(), 0);
  EXPECT_EQ(t.m_Add_Action_End_Turn(), 1);
}

TEST(Action_Timer, BombardAdderTakesEffectPointsAndDamageRecords) {
  TMaster_Action_Timer t;
  TTest_World world;
  t.m_Set_World(&world);
  TLongintList units = Ids({5, 6});
  t.m_Add_Action_Bombard_Unit(2, 7, 1, 2, units, 3, 0, true, 14, {{30, 5, 9}, {12, 6, 10}});
  const TAction_Bombard_Unit& b = t.m_Get_Record(1).bombard;
  EXPECT_EQ(b.effect_number, 1007);
  // Centre of the stack's square (207, 100, 10 x 8) and of region 3, at height -5.
  EXPECT_EQ(b.effect_source.x, 212.0f);
  EXPECT_EQ(b.effect_source.y, 104.0f);
  EXPECT_EQ(b.effect_source.z, -5.0f);
  EXPECT_EQ(b.effect_target.x, 300.0f);
  EXPECT_EQ(b.effect_target.y, 150.0f);
  EXPECT_EQ(b.effect_target.z, -5.0f);
  EXPECT_EQ(b.region_damage, 14);
  EXPECT_EQ(b.damage_record_count, 2);
  EXPECT_EQ(b.target_region, 3);
  EXPECT_EQ(Values(t.m_Get_Unit_List(b.unit_list)), (std::vector<std::int32_t>{5, 6}));
  EXPECT_EQ(t.m_Bombard_Damage().m_Get_Record(b.damage_list, 1), (TBombard_Damage_Record{30, 5, 9}));
  EXPECT_EQ(t.m_Bombard_Damage().m_Get_Record(b.damage_list, 2), (TBombard_Damage_Record{12, 6, 10}));
}

TEST(Action_Timer, LoadAndUnloadAddersPlaceTheMovingSquare) {
  TMaster_Action_Timer t;
  TTest_World world;
  world.units[1] = {4, 3, 2};  // transport: region 4, type 3, owner 2
  world.units[2] = {5, 6, 2};  // unit to load: region 5, type 6
  world.units[3] = {0, 8, 2};  // cargo: carried
  world.known_region = 4;
  t.m_Set_World(&world);

  t.m_Add_Action_Load_Unit(1, 2);
  const TAction_Load_Unit& l = t.m_Get_Record(1).load;
  EXPECT_EQ(l.source_region, 5);
  EXPECT_EQ(l.destination_region, 4);
  EXPECT_TRUE(l.seen);
  EXPECT_EQ(l.unit_type, 6);
  EXPECT_EQ(l.rect.left, 506.0f);  // the loading unit's square
  EXPECT_EQ(l.rect.top, 250.0f);
  EXPECT_EQ(l.colour, Make_Color(1, 2, 3));
  EXPECT_EQ(l.target_left, 403.0f);  // centred on the transport's square
  EXPECT_EQ(l.target_top, 200.0f);

  t.m_Add_Action_Unload_Unit(1, 3, 6);
  const TAction_Load_Unit& u = t.m_Get_Record(2).load;
  EXPECT_EQ(u.source_region, 4);
  EXPECT_EQ(u.destination_region, 6);
  EXPECT_EQ(u.unit_type, 8);
  EXPECT_EQ(u.target_left, 628.0f);  // the cargo's place in region 6
  EXPECT_EQ(u.target_top, 320.0f);
  EXPECT_EQ(u.rect.width, 12.0f);
  EXPECT_EQ(u.rect.height, 6.0f);
  EXPECT_EQ(u.rect.left, 402.0f);  // centred on the transport's square
  EXPECT_EQ(u.rect.top, 201.0f);
  EXPECT_EQ(u.colour, Make_Color(2, 0, 0));
  EXPECT_TRUE(u.seen);

  world.known_region = 0;
  t.m_Add_Action_Load_Unit(1, 2);
  EXPECT_FALSE(t.m_Get_Record(3).load.seen);
}

TEST(Action_Timer, DecommissionAdderSetsTheMarkerPoint) {
  TMaster_Action_Timer t;
  TTest_World world;
  t.m_Set_World(&world);
  TLongintList units = Ids({8, 9});
  t.m_Add_Action_Decommission_Units(2, 3, 2, units, true);
  const TAction_Decommission_Units& d = t.m_Get_Record(1).decommission;
  EXPECT_EQ(d.marker_point.x, 200.0f);
  EXPECT_EQ(d.marker_point.y, 100.0f);
  EXPECT_EQ(d.marker_point.z, -5.0f);
  EXPECT_EQ(d.sound_handle, 0);
  EXPECT_EQ(Values(t.m_Get_Unit_List(d.unit_list)), (std::vector<std::int32_t>{8, 9}));
}

// --- Drawing ----------------------------------------------------------------

TEST(Action_Timer, DrawsOnlyActiveRecordsInTheirVisibleSteps) {
  TMaster_Action_Timer t;
  TTest_World world;
  world.units[8] = {2, 4, 1};
  world.units[9] = {2, 5, 1};
  TTest_Screen screen;
  t.m_Set_World(&world);
  t.m_Set_Screen(&screen);
  TLongintList units = Ids({8, 9});
  t.m_Add_Action_Move_Unit(1, 4, 1, 2, units, 2, 0, true, true);   // 1: seen
  t.m_Add_Action_Move_Unit(1, 4, 1, 2, units, 2, 0, true, false);  // 2: unseen
  t.m_Add_Action_Move_Unit(1, 4, 1, 2, units, 2, 1, true, true);   // 3: waiting
  t.m_Add_Action_Load_Unit(8, 9);                                  // 4
  t.m_Add_Action_Combat_Move(1, 1, 2, 2, false, true, 0);          // 5
  t.m_Add_Action_Combat_Move(1, 1, 2, 2, true, true, 0);           // 6: auto-resolved
  t.m_Add_Action_Decommission_Units(2, 1, 2, units, true);         // 7
  t.m_Add_Action_End_Turn();                                       // 8
  for (int i = 1; i <= 6; ++i) t.m_Get_Record(i).step = 1;
  t.m_Get_Record(1).move.rect.left = 11;
  t.m_Get_Record(1).move.heading = 3;
  t.m_Get_Record(3).move.rect.left = 33;
  t.m_Get_Record(4).load.seen = true;
  t.m_Get_Record(4).load.rect.left = 44;

  struct Row {
    std::uint16_t step;
    std::vector<std::string> drawn;
  } rows[] = {
      {0, {"marker at 204", "marker at 205"}},
      {1, {"icon 4 x2 h3 at 11", "piece 5", "marker at 204", "marker at 205"}},
      {5, {"icon 4 x2 h3 at 11", "icon 9 x1 h0 at 44", "marker at 204", "marker at 205"}},
      {9, {"icon 4 x2 h3 at 11", "marker at 204", "marker at 205"}},
      {10, {"marker at 204", "marker at 205"}},
  };
  t.m_Get_Record(4).load.unit_type = 9;
  for (const Row& row : rows) {
    for (int i = 1; i <= 6; ++i) t.m_Get_Record(i).step = row.step;
    screen.drawn.clear();
    t.m_Draw_Actions(0.1f);
    EXPECT_EQ(screen.drawn, row.drawn) << "step " << row.step;
  }
}

TEST(Action_Timer, ResumeAfterLoadPutsEndTurnsAtStepSix) {
  TMaster_Action_Timer t;
  TTest_World world;
  TTest_Screen screen;
  t.m_Set_World(&world);
  t.m_Set_Screen(&screen);
  t.m_Add_Action_End_Turn();
  t.m_Add_Action_Combat_Next_Piece(0, true);
  t.m_Get_Record(1).step = 5;
  t.f_autosave_state = 1;
  t.m_Resume_End_Turn_After_Load();
  EXPECT_EQ(t.m_Get_Record(1).step, 6);
  EXPECT_EQ(t.m_Get_Record(2).step, 0);
  EXPECT_EQ(world.resumed, 1);
  EXPECT_EQ(screen.turn_status, 1);
  EXPECT_EQ(t.f_autosave_state, 0);
}
