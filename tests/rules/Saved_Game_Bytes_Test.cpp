// The bytes of a saved game: new games and games played by computer
// players on several map types (units of every type added, a timer with an
// action of every kind) are saved, each of the six files read back into a
// fresh object and written again, and the second writing must be the first
// byte for byte. The checksums of the new games were taken when each record
// was written and read by two separate lists of fields; they hold the file
// format itself still: the same game saves to the same bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Datafile_Units.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Global.h"
#include "Io_Tagged.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MessageLog.h"
#include "Native_Path.h"
#include "Selfplay.h"
#include "Test_Support.h"

namespace {
namespace fs = std::filesystem;

std::uint64_t Fnv1a(const std::string& bytes) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string Hex(std::uint64_t v) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

// Reads the bytes into a fresh object of the file's owner and writes it
// again.
template <class T, class Read, class Write>
std::string Round_Trip(const std::string& bytes, Read read, Write write) {
  T fresh;
  TIo_Reader r = TIo_Reader::From_Bytes(bytes);
  read(fresh, r);
  EXPECT_EQ(r.m_Bytes_Left(), 0u);
  TIo_Writer w;
  write(fresh, w);
  return w.m_Bytes();
}

std::string Again(const std::string& file, const std::string& bytes, const std::string& version) {
  if (file == "GameSettings.dat")
    return Round_Trip<TGame_Settings>(
        bytes, [](TGame_Settings& s, TIo_Reader& r) { s.m_Read(r); },
        [](TGame_Settings& s, TIo_Writer& w) { s.m_Write(w); });
  if (file == "CurrentMap.map")
    return Round_Trip<TMap>(
        bytes, [&](TMap& m, TIo_Reader& r) { m.m_Load(r, false, version); },
        [&](TMap& m, TIo_Writer& w) { m.Save(w, false, version); });
  if (file == "Empires.dat")
    return Round_Trip<TEmpire_List>(
        bytes, [](TEmpire_List& e, TIo_Reader& r) { e.m_Read(r); },
        [](TEmpire_List& e, TIo_Writer& w) { e.m_Write(w); });
  if (file == "EventLog.dat")
    return Round_Trip<TEvent_Log>(
        bytes, [](TEvent_Log& e, TIo_Reader& r) { e.m_Load(r); }, [](TEvent_Log& e, TIo_Writer& w) { e.m_Save(w); });
  if (file == "MessageLog.dat")
    return Round_Trip<TMessage_Log>(
        bytes, [](TMessage_Log& m, TIo_Reader& r) { m.m_Load(r); },
        [](TMessage_Log& m, TIo_Writer& w) { m.m_Save(w); });
  return Round_Trip<TMaster_Action_Timer>(
      bytes, [](TMaster_Action_Timer& t, TIo_Reader& r) { t.m_Load(r); },
      [](TMaster_Action_Timer& t, TIo_Writer& w) { t.m_Save(w); });
}

const char* const Files[6] = {"GameSettings.dat", "CurrentMap.map", "Empires.dat",
                              "EventLog.dat",     "MessageLog.dat", "MasterActionTimer.dat"};

// A timer with an action of every kind, unit lists and bombard damage.
void Fill_Timer(TMaster_Action_Timer& t) {
  TLongintList units;
  for (std::int32_t id : {11, 12, 13}) units.m_Add(id);
  t.m_Add_Action_Move_Unit(3, 7, 2, 3, units, 4, 0, true, true);
  t.m_Add_Action_Bombard_Unit(5, 300, 4, 2, units, 6, 1, false, 17, {{30, 7, 9}, {12, 101, 555}});
  t.m_Add_Action_Load_Unit(11, 12);
  t.m_Add_Action_Unload_Unit(11, 13, 8);
  t.m_Add_Action_End_Turn();
  t.m_Add_Action_Combat_Move(1, 2, 3, 4, true, true, 0);
  t.m_Add_Action_Combat_Attack(5, 6, 7, 8, 99, false, 6);
  t.m_Add_Action_Combat_Next_Piece(7, true);
  t.m_Add_Action_Decommission_Units(9, 3, 3, units, true);
  t.m_New_Action();
  t.m_Update_Timer(1.5f);
  float v = 0.25f;
  for (std::int32_t i = 1; i <= t.m_Record_Count(); ++i) {
    TAction_Record& r = t.m_Get_Record(i);
    r.step = std::uint16_t(i + 1);
    r.sub_step = std::uint16_t(300 + i);
    r.delay = v += 1.5f;
    r.time_limit = v += 1.5f;
  }
  t.m_Get_Record(1).move.heading = 3.14159f;
  t.m_Get_Record(6).combat_move.unit_count = 40000;
  t.m_Get_Record(7).combat_attack.effect_number = -70000;
  t.m_Get_Record(9).decommission.marker_point = {v, -v, -5};
}

struct TCase {
  const char* map_type;
  std::int32_t players;
  std::uint32_t seed;
  // 0: the new game as made; else the game after that many dates of play
  // between computer players.
  std::int32_t dates;
  // The checksums of the six files of a new game, in the order of Files
  // (the creation date set to one fixed day). A game after play is only
  // read back and written again: its bytes follow the play, which other
  // changes may change.
  std::vector<std::string> sums;
};

// Units of every type in the first owned region, two messages and a timer
// with an action of every kind, written into the game's folder.
void Add_Every_Kind(const fs::path& dir, const std::string& version) {
  TMap map;
  ASSERT_TRUE(map.m_Load_From_File(Design_Path((dir / Files[1]).string()), false, version));
  std::int32_t region = 0;
  for (std::int32_t i = 1; i <= map.m_Get_Region_Count() && region == 0; ++i)
    if (map.m_Get_Region(i) && map.m_Get_Region(i)->m_Get_Owner() != 0) region = i;
  ASSERT_NE(region, 0);
  const std::uint8_t owner = map.m_Get_Region(region)->m_Get_Owner();
  for (std::uint16_t type = 1; type <= Unit_Type_List->m_Count(); ++type)
    map.m_Add_Unit(region, type, owner, std::uint8_t(type % 3), 0);
  ASSERT_TRUE(map.m_Save_To_File(Design_Path((dir / Files[1]).string()), false, version));
  TMessage_Log messages;
  for (const char* text : {"Peace?", "Ça suffit — 停战"}) {
    auto item = std::make_unique<TMessage_Log_Item>();
    item->f_id = messages.m_Get_Count() + 7;
    item->f_date = 20151;
    item->f_from = 2;
    item->f_to = 1;
    item->f_message_type = std::uint8_t(messages.m_Get_Count() + 2);
    item->f_text = text;
    item->f_reserved = -70000;
    messages.m_Add_Item(std::move(item));
  }
  ASSERT_TRUE(messages.m_Save_To_File(Design_Path((dir / Files[4]).string())));
  TMaster_Action_Timer timer;
  Fill_Timer(timer);
  ASSERT_TRUE(timer.m_Save_To_File(Design_Path((dir / Files[5]).string())));
}

// Each file read back into a fresh object and written again gives its
// bytes; so does the map's partial form read over a copy of the map.
void Expect_Same_Bytes_Again(const fs::path& dir, const std::string& version) {
  for (int f = 0; f < 6; ++f) {
    SCOPED_TRACE(Files[f]);
    const std::string bytes = Read_File(dir / Files[f]);
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(Again(Files[f], bytes, version) == bytes);
  }
  const std::string full = Read_File(dir / Files[1]);
  TMap loaded, copy;
  for (TMap* m : {&loaded, &copy}) {
    TIo_Reader r = TIo_Reader::From_Bytes(full);
    m->m_Load(r, false, version);
  }
  TIo_Writer partial;
  loaded.Save(partial, true, version);
  TIo_Reader r = TIo_Reader::From_Bytes(partial.m_Bytes());
  copy.m_Load(r, true, version);
  EXPECT_EQ(r.m_Bytes_Left(), 0u);
  TIo_Writer again;
  copy.Save(again, false, version);
  EXPECT_TRUE(again.m_Bytes() == full);
}

class Saved_Game_Bytes : public ::testing::TestWithParam<TCase> {
 protected:
  void SetUp() override {
    Program_Folder = Design_Path(Source_Dir().string()) + "\\";
    User_Folder = user.design();
    for (const char* sub : {"currentmap", "savegames", "maps", "temp", "userdata"})
      fs::create_directories(user.path() / sub);
    Game_Init_Create_Globals();
    Game_Init_Load_Map_Data();
    Game_Init_Load_Rule_Files();
  }
  void TearDown() override {
    delete G_Map;
    G_Map = nullptr;
    Game_Init_Free_Globals();
  }

  TEnvironment_Guard guard{"GLOBARCH_SEED"};
  TTemp_Dir user, out;
  TShell_Recorder shell;
};

TEST_P(Saved_Game_Bytes, ReadBackAndWrittenAgainGiveTheSameBytes) {
  const TCase& c = GetParam();
  const fs::path dir = out.path() / "game";
  if (c.dates == 0) {
    TGame_Session_Setup setup;
    setup.seed = c.seed;
    setup.map_type = c.map_type;
    setup.computer.assign(std::size_t(c.players), true);
    setup.computer[0] = false;
    ASSERT_TRUE(Game_Session_New_Game(setup));
    ASSERT_TRUE(Game_Session_Save_To(Design_Path(dir.string()) + "\\"));
  } else {
    TSelfplay_Options options;
    options.seed = c.seed;
    options.players = c.players;
    options.map_type = c.map_type;
    options.dates = c.dates;
    options.neutral = true;
    options.out_dir = dir.string();
    const TSelfplay_Result result = Selfplay_Run(options, [](const std::string&) {});
    ASSERT_EQ(result.code, SELFPLAY_DONE) << result.reason;
  }
  TGame_Settings settings;
  ASSERT_TRUE(settings.m_Load_From_File(Design_Path((dir / Files[0]).string())));
  settings.f_creation_date = "01/02/26";
  ASSERT_TRUE(settings.m_Save_To_File(Design_Path((dir / Files[0]).string())));
  Add_Every_Kind(dir, settings.f_version);

  if (!c.sums.empty()) {
    for (int f = 0; f < 6; ++f) EXPECT_EQ(Hex(Fnv1a(Read_File(dir / Files[f]))), c.sums[std::size_t(f)]) << Files[f];
  }
  Expect_Same_Bytes_Again(dir, settings.f_version);
  EXPECT_TRUE(shell.messages.empty());
}

// The sums of the new games were taken when every file was still read and
// written field by field in each direction; since then a new game also
// places each nation's opening view, which GameSettings.dat and Empires.dat
// hold (their sums were taken again then; the map and the other files kept
// theirs). The map's sums were taken again when region names became larger
// and bold with a dark rim: a name covers more of its region's squares,
// which the map file keeps (every other file kept its sum).
INSTANTIATE_TEST_SUITE_P(Games, Saved_Game_Bytes,
                         ::testing::Values(TCase{"Tiny", 3, 31, 0, {"b0939505db15bdcd", "60f6ec91763e4d5f", "44e0a214893b4f64", "9a624700c542f2a9", "d1c86ac1da442dd7", "236fadd59cfc55d8"}},
                                           TCase{"Standard", 6, 8, 0, {"4741382a53575077", "7865616c601e9bd2", "381c66756a0d186f", "9a624700c542f2a9", "d1c86ac1da442dd7", "236fadd59cfc55d8"}},
                                           TCase{"Archipelago", 5, 5, 0, {"748a3d42dc00ea6b", "24ecd7bdd54aa871", "76d72b8775c33857", "9a624700c542f2a9", "d1c86ac1da442dd7", "236fadd59cfc55d8"}},
                                           TCase{"Tiny", 3, 31, 6, {}},
                                           TCase{"Small", 4, 7, 12, {}}),
                         [](const ::testing::TestParamInfo<TCase>& info) {
                           return std::string(info.param.map_type) +
                                  (info.param.dates == 0 ? "_new" : "_played_" + std::to_string(info.param.dates));
                         });

// A game saved before the records were read and written from one list (a
// game of Tiny after six dates of play, with units of every type and an
// action of every kind): every file reads and writes back to its bytes.
TEST(Saved_Game_Bytes_Fixture, AnEarlierSaveReadsAndWritesBackToItsBytes) {
  const fs::path dir = Source_Dir() / "tests" / "rules" / "saved_game";
  TGame_Settings settings;
  TShell_Recorder shell;
  ASSERT_TRUE(settings.m_Load_From_File(Design_Path((dir / Files[0]).string())));
  Expect_Same_Bytes_Again(dir, settings.f_version);
  EXPECT_TRUE(shell.messages.empty());
}
}  // namespace
