// The bytes of a saved game: games played by computer players on several
// map types (units of every type added, a timer with an action of every
// kind) are saved, each of the six files read back into a fresh object and
// written again, and the second writing must be the first byte for byte.
// The checksums of the first writing were taken when the files were
// written field by field in each direction; they hold the file format
// itself still: the same game saves to the same bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Datafile_Units.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameInit.h"
#include "GameSettings.h"
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
  std::int32_t dates;
  // The checksums of the six files, in the order of Files.
  const char* sums[6];
};

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
  TSelfplay_Options options;
  options.seed = c.seed;
  options.players = c.players;
  options.map_type = c.map_type;
  options.dates = c.dates;
  options.neutral = true;
  options.out_dir = (out.path() / "game").string();
  const TSelfplay_Result result = Selfplay_Run(options, [](const std::string&) {});
  ASSERT_EQ(result.code, SELFPLAY_DONE) << result.reason;
  const fs::path dir = out.path() / "game";

  // Units of every type, one stack carried, and a timer of every kind
  // written into the same folder.
  TGame_Settings settings;
  ASSERT_TRUE(settings.m_Load_From_File(Design_Path((dir / Files[0]).string())));
  TMap map;
  ASSERT_TRUE(map.m_Load_From_File(Design_Path((dir / Files[1]).string()), false, settings.f_version));
  std::int32_t region = 0;
  for (std::int32_t i = 1; i <= map.m_Get_Region_Count() && region == 0; ++i)
    if (map.m_Get_Region(i) && map.m_Get_Region(i)->m_Get_Owner() != 0) region = i;
  ASSERT_NE(region, 0);
  const std::uint8_t owner = map.m_Get_Region(region)->m_Get_Owner();
  for (std::uint16_t type = 1; type <= Unit_Type_List->m_Count(); ++type)
    map.m_Add_Unit(region, type, owner, std::uint8_t(type % 3), 0);
  ASSERT_TRUE(map.m_Save_To_File(Design_Path((dir / Files[1]).string()), false, settings.f_version));
  TMaster_Action_Timer timer;
  Fill_Timer(timer);
  ASSERT_TRUE(timer.m_Save_To_File(Design_Path((dir / Files[5]).string())));

  for (int f = 0; f < 6; ++f) {
    SCOPED_TRACE(Files[f]);
    const std::string bytes = Read_File(dir / Files[f]);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(Hex(Fnv1a(bytes)), c.sums[f]);
    EXPECT_TRUE(Again(Files[f], bytes, settings.f_version) == bytes);
  }

  // The partial form of the map, read over a copy of the same map, gives
  // back the full form's bytes.
  const std::string full = Read_File(dir / Files[1]);
  TMap loaded;
  {
    TIo_Reader r = TIo_Reader::From_Bytes(full);
    loaded.m_Load(r, false, settings.f_version);
  }
  TIo_Writer partial;
  loaded.Save(partial, true, settings.f_version);
  TMap copy;
  {
    TIo_Reader r = TIo_Reader::From_Bytes(full);
    copy.m_Load(r, false, settings.f_version);
  }
  TIo_Reader r = TIo_Reader::From_Bytes(partial.m_Bytes());
  copy.m_Load(r, true, settings.f_version);
  EXPECT_EQ(r.m_Bytes_Left(), 0u);
  TIo_Writer again;
  copy.Save(again, false, settings.f_version);
  EXPECT_TRUE(again.m_Bytes() == full);
  EXPECT_TRUE(shell.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Games, Saved_Game_Bytes,
    ::testing::Values(TCase{"Tiny", 3, 31, 6, {"", "", "", "", "", ""}},
                      TCase{"Small", 4, 7, 12, {"", "", "", "", "", ""}},
                      TCase{"Archipelago", 5, 5, 4, {"", "", "", "", "", ""}}),
    [](const ::testing::TestParamInfo<TCase>& info) { return std::string(info.param.map_type); });
}  // namespace
