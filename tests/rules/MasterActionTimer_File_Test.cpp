#include <gtest/gtest.h>

#include <filesystem>

#include "Io_Tagged.h"
#include "MasterActionTimer.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {

const std::string Zero_Real("\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 11);

std::string Saved(const TMaster_Action_Timer& t) {
  TIo_Writer w;
  t.m_Save(w);
  return w.m_Bytes();
}

void Load(TMaster_Action_Timer& t, const std::string& bytes) {
  TIo_Reader r = TIo_Reader::From_Bytes(bytes);
  t.m_Load(r);
  EXPECT_EQ(r.m_Bytes_Left(), 0u);
}

TLongintList Ids(std::initializer_list<std::int32_t> values) {
  TLongintList l;
  for (std::int32_t v : values) l.m_Add(v);
  return l;
}

// A timer holding a record of every kind with every field set, a record of
// kind 0, unit lists with a free slot and bombard lists with a released one.
void Fill_Every_Kind(TMaster_Action_Timer& t) {
  TLongintList units = Ids({101, 102, 103});
  t.m_Update_Timer(0);  // nothing
  t.m_Add_Action_Move_Unit(3, 7, 2, 3, units, 4, 0, true, true);
  t.m_Add_Action_Bombard_Unit(5, 300, 4, 2, units, 6, 1, false, 17, {{30, 7, 9}, {12, 101, 555}});
  t.m_Add_Action_Load_Unit(101, 102);
  t.m_Add_Action_Unload_Unit(101, 103, 8);
  t.m_Add_Action_End_Turn();
  t.m_Add_Action_Combat_Move(1, 2, 3, 4, true, true, 0);
  t.m_Add_Action_Combat_Attack(5, 6, 7, 8, 99, false, 6);
  t.m_Add_Action_Combat_Next_Piece(7, true);
  t.m_Add_Action_Decommission_Units(9, 3, 3, units, true);
  t.m_New_Action();  // kind 0: no kind data
  t.m_Update_Timer(1.5f);

  float v = 0.25f;
  auto next = [&v] { return v += 1.5f; };
  for (std::int32_t i = 1; i <= t.m_Record_Count(); ++i) {
    TAction_Record& r = t.m_Get_Record(i);
    r.step = std::uint16_t(i + 1);
    r.sub_step = std::uint16_t(300 + i);
    r.delay = next();
    r.time_limit = next();
  }
  TAction_Move_Unit& m = t.m_Get_Record(1).move;
  m.rect = {next(), next(), next(), next()};
  m.colour = Make_Color(10, 20, 30, 200);
  m.target_left = next();
  m.target_top = -next();
  m.velocity_x = next();
  m.velocity_y = next();
  m.remaining_distance = next();
  m.heading = 3.14159f;
  m.target_heading = 1.0e-3f;
  m.chained = true;
  TAction_Load_Unit& l = t.m_Get_Record(3).load;
  l.source_region = 41;
  l.destination_region = 42;
  l.unit_type = 65535;
  l.seen = true;
  l.rect = {next(), next(), next(), next()};
  l.colour = Make_Color(255, 128, 0, 255);
  l.target_left = next();
  l.target_top = next();
  l.velocity_x = -next();
  l.velocity_y = next();
  l.remaining_distance = next();
  t.m_Get_Record(4).load.remaining_distance = 77.5f;
  t.m_Get_Record(5).end_turn.crash_unit_id = 123456;
  TAction_Combat_Move& c = t.m_Get_Record(6).combat_move;
  c.unit_type = 12;
  c.owner = 255;
  c.unit_count = 40000;
  c.picture_x = next();
  c.picture_y = next();
  c.picture_width = next();
  c.picture_height = next();
  c.facing = 2;
  c.colour = Make_Color(1, 2, 3, 4);
  c.target_x = next();
  c.target_y = next();
  c.velocity_x = next();
  c.velocity_y = next();
  c.remaining_distance = next();
  TAction_Combat_Attack& a = t.m_Get_Record(7).combat_attack;
  a.effect_source = {next(), next(), -5};
  a.effect_target = {next(), next(), -5};
  a.effect_number = -70000;
  TAction_Bombard_Unit& b = t.m_Get_Record(2).bombard;
  b.effect_source = {next(), next(), -5};
  b.effect_target = {next(), next(), -5};
  b.effect_number = 33;
  t.m_Get_Record(9).decommission.marker_point = {next(), next(), -5};
  t.m_Get_Record(9).done = true;
  t.m_Free_Unit_List(1);  // the move's unit list: a free slot among used ones
  t.f_autosave_state = 1;
}

}  // namespace

TEST(Action_Timer_File, EmptyTimerSavesNineteenBytes) {
  TMaster_Action_Timer t;
  std::string two_zero("\x02\x00", 2);
  EXPECT_EQ(Saved(t), Zero_Real + two_zero + two_zero + two_zero + two_zero);
  EXPECT_EQ(Saved(t).size(), 19u);
}

TEST(Action_Timer_File, OneEndTurnAfterAClearSavesSixtySixBytes) {
  TMaster_Action_Timer t;
  t.m_Add_Action_Combat_Next_Piece(0, false);
  t.m_Update_Timer(0.5f);
  t.m_Clear();
  t.m_Add_Action_End_Turn();
  const std::string expected = Zero_Real +                   // master time
                               std::string("\x02\x01", 2) +  // last id
                               std::string("\x02\x01", 2) +  // record count
                               std::string("\x02\x01", 2) +  // id
                               "\x09" +                      // active
                               Zero_Real +                   // start time
                               "\x08" +                      // done
                               std::string("\x02\x00", 2) +  // step
                               std::string("\x02\x00", 2) +  // sub-step
                               Zero_Real +                   // time limit
                               Zero_Real +                   // delay
                               std::string("\x02\x00", 2) +  // awaited id
                               std::string("\x02\x05", 2) +  // kind
                               std::string("\x02\x00", 2) +  // crash unit
                               std::string("\x02\x00", 2) +  // unit lists
                               std::string("\x02\x00", 2);   // bombard lists
  EXPECT_EQ(expected.size(), 66u);
  EXPECT_EQ(Saved(t), expected);

  t.m_Get_Record(1).time_limit = 120.0f;
  EXPECT_EQ(Saved(t).substr(34, 11), std::string("\x05\x00\x00\x00\x00\x00\x00\x00\xF0\x05\x40", 11));
}

TEST(Action_Timer_File, RecordOfEveryKindRoundTrips) {
  TMaster_Action_Timer t;
  Fill_Every_Kind(t);
  const std::string bytes = Saved(t);

  TMaster_Action_Timer u;
  u.m_Add_Action_End_Turn();  // cleared by the load
  Load(u, bytes);
  EXPECT_EQ(Saved(u), bytes);
  EXPECT_EQ(u.m_Master_Time(), 1.5f);
  EXPECT_EQ(u.m_Last_Id(), 10);
  ASSERT_EQ(u.m_Record_Count(), 10);
  EXPECT_EQ(u.f_autosave_state, 0);  // not part of the file
  for (std::int32_t i = 1; i <= 10; ++i) {
    const TAction_Record& a = t.m_Get_Record(i);
    const TAction_Record& b = u.m_Get_Record(i);
    EXPECT_EQ(b.id, a.id);
    EXPECT_EQ(b.kind, a.kind);
    EXPECT_EQ(b.active, a.active);
    EXPECT_EQ(b.done, a.done);
    EXPECT_EQ(b.step, a.step);
    EXPECT_EQ(b.sub_step, a.sub_step);
    EXPECT_EQ(b.delay, a.delay);
    EXPECT_EQ(b.time_limit, a.time_limit);
    EXPECT_EQ(b.awaited_id, a.awaited_id);
  }
  const TAction_Move_Unit& m = u.m_Get_Record(1).move;
  EXPECT_EQ(m.colour, Make_Color(10, 20, 30, 200));
  EXPECT_EQ(m.heading, 3.14159f);
  EXPECT_EQ(m.target_heading, 1.0e-3f);
  EXPECT_EQ(m.rect.height, t.m_Get_Record(1).move.rect.height);
  EXPECT_EQ(m.target_top, t.m_Get_Record(1).move.target_top);
  EXPECT_TRUE(m.chained);
  EXPECT_TRUE(m.more_legs_follow);
  const TAction_Bombard_Unit& b = u.m_Get_Record(2).bombard;
  EXPECT_EQ(b.unit_type, 300);
  EXPECT_EQ(b.region_damage, 17);
  EXPECT_EQ(b.damage_record_count, 2);
  EXPECT_EQ(u.m_Bombard_Damage().m_Get_Record(b.damage_list, 2), (TBombard_Damage_Record{12, 101, 555}));
  EXPECT_EQ(b.effect_target.y, t.m_Get_Record(2).bombard.effect_target.y);
  EXPECT_EQ(u.m_Get_Record(3).load.unit_type, 65535);
  EXPECT_EQ(u.m_Get_Record(3).load.velocity_x, t.m_Get_Record(3).load.velocity_x);
  EXPECT_EQ(u.m_Get_Record(4).kind, ACTION_UNLOAD_UNIT);
  EXPECT_EQ(u.m_Get_Record(4).load.remaining_distance, 77.5f);
  EXPECT_EQ(u.m_Get_Record(5).end_turn.crash_unit_id, 123456);
  const TAction_Combat_Move& c = u.m_Get_Record(6).combat_move;
  EXPECT_EQ(c.to_row, 4);
  EXPECT_EQ(c.owner, 255);
  EXPECT_EQ(c.unit_count, 40000);
  EXPECT_EQ(c.facing, 2);
  EXPECT_EQ(c.colour, Make_Color(1, 2, 3, 4));
  EXPECT_EQ(c.picture_height, t.m_Get_Record(6).combat_move.picture_height);
  EXPECT_TRUE(c.auto_resolve);
  EXPECT_TRUE(c.first_step);
  EXPECT_EQ(u.m_Get_Record(7).combat_attack.damage, 99);
  EXPECT_EQ(u.m_Get_Record(7).combat_attack.effect_number, -70000);
  EXPECT_TRUE(u.m_Get_Record(8).next_piece.auto_resolve);
  EXPECT_EQ(u.m_Get_Record(9).decommission.marker_point.x, t.m_Get_Record(9).decommission.marker_point.x);
  // Unit lists keep their used flags and values; the free slot stays free.
  ASSERT_EQ(u.m_Unit_List_Count(), t.m_Unit_List_Count());
  for (std::int32_t s = 1; s <= t.m_Unit_List_Count(); ++s) {
    EXPECT_EQ(u.m_Unit_List_Used(s), t.m_Unit_List_Used(s)) << s;
    EXPECT_EQ(u.m_Get_Unit_List(s)->m_Count(), t.m_Get_Unit_List(s)->m_Count()) << s;
  }
  EXPECT_FALSE(u.m_Unit_List_Used(1));
  EXPECT_EQ(u.m_Get_Unit_List(u.m_Get_Record(9).decommission.unit_list)->m_Get(3), 103);
  EXPECT_EQ(u.m_New_Unit_List(), 1);
}

TEST(Action_Timer_File, SoundHandlesAreNoneAfterALoad) {
  TMaster_Action_Timer t;
  TLongintList units = Ids({5, 6});
  t.m_Add_Action_Move_Unit(1, 2, 3, 2, units, 4, 0, false, true);
  t.m_Add_Action_Combat_Move(1, 1, 2, 2, false, true, 0);
  t.m_Add_Action_Decommission_Units(1, 3, 2, units, true);
  TLongintList& sounds = *t.m_Get_Unit_List(t.m_Get_Record(1).move.sound_list);
  sounds.m_Put(1, 41);
  sounds.m_Put(2, 42);
  t.m_Get_Record(2).combat_move.sound_handle = 43;
  t.m_Get_Record(3).decommission.sound_handle = 44;

  TMaster_Action_Timer u;
  Load(u, Saved(t));
  const TLongintList& loaded = *u.m_Get_Unit_List(u.m_Get_Record(1).move.sound_list);
  EXPECT_EQ(loaded.m_Count(), 2);
  EXPECT_EQ(loaded.m_Get(1), 0);
  EXPECT_EQ(loaded.m_Get(2), 0);
  EXPECT_EQ(u.m_Get_Record(2).combat_move.sound_handle, 0);
  EXPECT_EQ(u.m_Get_Record(3).decommission.sound_handle, 0);
  const TLongintList& ids = *u.m_Get_Unit_List(u.m_Get_Record(1).move.unit_list);
  EXPECT_EQ(ids.m_Get(1), 5);
  EXPECT_EQ(ids.m_Get(2), 6);
}

TEST(Action_Timer_File, FileRoundTripAndEmptyName) {
  TTemp_Dir dir;
  TShell_Recorder catcher;
  TMaster_Action_Timer t;
  Fill_Every_Kind(t);
  const std::string name = dir.design() + "MasterActionTimer.dat";
  EXPECT_FALSE(t.m_Save_To_File(""));
  ASSERT_TRUE(t.m_Save_To_File(name));
  EXPECT_EQ(Read_File(dir.path() / "MasterActionTimer.dat"), Saved(t));

  TMaster_Action_Timer u;
  EXPECT_FALSE(u.m_Load_From_File(""));
  EXPECT_TRUE(u.m_Load_From_File(name));
  EXPECT_EQ(Saved(u), Saved(t));
  EXPECT_TRUE(catcher.messages.empty());
}

TEST(Action_Timer_File, BrokenFilesGiveTheLoadError) {
  TTemp_Dir dir;
  TMaster_Action_Timer t;
  Fill_Every_Kind(t);
  const std::string whole = Saved(t);
  // A unit type beyond 16 bits; a negative record count.
  std::string wide_type;
  {
    TMaster_Action_Timer one;
    one.m_Add_Action_Load_Unit(0, 0);
    one.m_Get_Record(1).load.unit_type = 1;
    wide_type = Saved(one);
    // The unit type is written as 02 01: make it 04 70 11 01 00 (70000).
    std::string from = std::string("\x08", 1) + std::string("\x02\x01", 2);  // seen false, unit type 1
    std::size_t at = wide_type.find(from);
    ASSERT_NE(at, std::string::npos);
    wide_type.replace(at + 1, 2, std::string("\x04\x70\x11\x01\x00", 5));
  }
  std::string negative = Zero_Real + std::string("\x02\x00\x02\xFF\x02\x00\x02\x00", 8);
  struct Row {
    std::string what, bytes;
  } rows[] = {
      {"truncated", whole.substr(0, whole.size() / 2)},
      {"one byte short", whole.substr(0, whole.size() - 1)},
      {"empty", ""},
      {"unit type beyond 16 bits", wide_type},
      {"negative record count", negative},
  };
  for (const Row& row : rows) {
    TShell_Recorder catcher;
    const std::string name = dir.design() + "Broken.dat";
    Write_File(dir.path() / "Broken.dat", row.bytes);
    TMaster_Action_Timer u;
    EXPECT_FALSE(u.m_Load_From_File(name)) << row.what;
    ASSERT_EQ(catcher.messages.size(), 1u) << row.what;
    EXPECT_EQ(catcher.messages[0].caption, "Error");
    EXPECT_EQ(catcher.messages[0].text, "Load file error: " + name);
  }
  TShell_Recorder catcher;
  TMaster_Action_Timer u;
  EXPECT_FALSE(u.m_Load_From_File(dir.design() + "Missing.dat"));
  ASSERT_EQ(catcher.messages.size(), 1u);
  EXPECT_EQ(catcher.messages[0].text, "Load file error: " + dir.design() + "Missing.dat");
}

TEST(Action_Timer_File, SaveIntoAMissingFolderGivesTheSaveError) {
  TTemp_Dir dir;
  TShell_Recorder catcher;
  TMaster_Action_Timer t;
  const std::string name = dir.design() + "nowhere\\MasterActionTimer.dat";
  EXPECT_FALSE(t.m_Save_To_File(name));
  ASSERT_EQ(catcher.messages.size(), 1u);
  EXPECT_EQ(catcher.messages[0].caption, "Error");
  EXPECT_EQ(catcher.messages[0].text, "Save file error: " + name);
}

TEST(Action_Timer_File, LoadedTimerRunsOn) {
  TMaster_Action_Timer t;
  TLongintList units = Ids({5});
  std::int32_t leg1 = t.m_Add_Action_Move_Unit(1, 2, 3, 1, units, 4, 0, true, true);
  t.m_Add_Action_Move_Unit(4, 2, 3, 1, units, 5, leg1, false, true);
  t.m_Get_Record(1).move.heading = 2.0f;
  t.m_Get_Record(1).done = true;
  TMaster_Action_Timer u;
  Load(u, Saved(t));
  EXPECT_EQ(u.m_New_Action(), 3);  // ids go on from the last id
  u.m_Update_Timer(0.25f);
  ASSERT_EQ(u.m_Record_Count(), 2);
  EXPECT_TRUE(u.m_Get_Record(1).active);
  EXPECT_EQ(u.m_Get_Record(1).move.heading, 2.0f);
}
