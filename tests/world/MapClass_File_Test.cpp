#include "Debug_Log.h"
#include "Global.h"
#include "Shell_Services.h"
#include "Test_Support.h"
#include "World_Fixture.h"

namespace {

std::string Saved(TMap& map, bool partial, const std::string& version = "1.09") {
  TIo_Writer w;
  EXPECT_TRUE(map.Save(w, partial, version));
  return w.m_Bytes();
}

void Load(TMap& map, const std::string& bytes, bool partial, const std::string& version = "1.09") {
  TIo_Reader r = TIo_Reader::From_Bytes(bytes);
  map.m_Load(r, partial, version);
  EXPECT_EQ(r.m_Bytes_Left(), 0u);
}

const std::string Full_Version = std::string(
    "\x06\x04"
    "1.09",
    6);

// The tiny map's region 1 after its id, in both forms.
const std::string Region_Shared_Head(
    "\x02\x02"   // owner 2
    "\x02\x03"   // value 3
    "\x02\x00",  // subdivisions
    6);
const std::string Region_Units("\x02\x01\x02\x01", 4);  // one unit: id 1

// A tiny map: two slots, region 1 (no connections, no squares, one click
// zone span, unit 1 standing in it) and an empty slot 2; one unit; a
// battle pending in region 1.
const std::string Tiny_Full =
    Full_Version +
    std::string(
        "\x02\x02"  // region count
        "\x09"      // slot 1 present
        "\x02\x01"  // id
        "\x02\x01"  // kind land
        "\x06\x01"
        "A"
        "\x06\x00"                   // label text
        "\x02\x0A\x02\x14\x02\x1E",  // colour 10, 20, 30
        18) +
    Region_Shared_Head +
    std::string(
        "\x02\x00"                                                                  // connections
        "\x08"                                                                      // rebuilt
        "\x02\x00"                                                                  // squares
        "\x02\x00\x02\x00"                                                          // grid columns, rows
        "\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00\x02\x00"  // label values
        "\x02\x00\x02\x00\x02\x20\x02\x20"                                          // bounds 0, 0, 32, 32
        "\x02\x01\x02\x01"                                                          // click rows 1, spans per row 1
        "\x02\x01\x02\x00\x02\x1F",                                                 // row 1: one span 0..31
        45) +
    Region_Units +
    std::string(
        "\x08"                                                      // slot 2 empty
        "\x02\x40\x02\x20\x03\x00\x04\x03\x00\x04"                  // 64 x 32, sections 1024 x 1024
        "\x02\x01"                                                  // unit count
        "\x02\x01\x02\x01\x02\x01\x02\x02\x02\x02\x02\x00\x02\x05"  // id 1, region 1, type 1,
                                                                    // owner 2, moves 2, no cargo,
                                                                    // damage 5
        "\x02\x00"                                                  // cargo lists
        "\x02\x01\x02\x01",                                         // combat regions: 1
        33);

const std::string Tiny_Partial = Full_Version + Region_Shared_Head +
                                 std::string(
                                     "\x08"       // rebuilt
                                     "\x02\x00",  // squares
                                     3) +
                                 Region_Units +
                                 std::string(
                                     "\x02\x01"
                                     "\x02\x01\x02\x01\x02\x01\x02\x02\x02\x02\x02\x00\x02\x05"
                                     "\x02\x00"
                                     "\x02\x01\x02\x01",
                                     22);

class Map_File : public World_Test {
 protected:
  void SetUp() override {
    World_Test::SetUp();
    Game_Settings.f_fog_of_war = false;
  }

  void Build_Tiny() {
    map.m_Clear();
    map.m_Set_Region_Count(2);
    TMap_Region& r = map.m_New_Region(1);
    r.m_Init(1, Make_Color(10, 20, 30));
    r.m_Set_Type(REGION_LAND);
    r.m_Set_Name("A");
    r.m_Set_Value(3);
    r.m_Set_Owner(2);
    r.m_Set_Bounds(0, 0, 32, 32);
    r.m_Add_Click_Zone_Span(1, 0, 31);
    map.m_Set_Pixel_Size(64, 32);
    map.m_Set_Section_Size(1024, 1024);
    const std::int32_t id = map.m_Add_Unit(1, UT_INFANTRY, 2, 2, 0);
    map.m_Set_Unit_Damage(id, 5);
    r.m_Insert_Unit_Id(id);
    map.m_Add_Combat_Region(1);
  }

  // A populated map: land and ocean regions with squares, connections, an
  // isolated owned region with units, units in stacks, a loaded ship, a
  // free unit slot and a pending battle.
  void Build_Populated() {
    empires.m_Create_Empires(3);
    map.m_Clear();
    map.m_Set_Pixel_Size(640, 320);
    map.m_Set_Section_Size(1024, 1024);
    Add_Region(1, REGION_LAND, 3, 2, 0, 0, 1, 4);
    Add_Region(2, REGION_LAND, 2, 2, 96, 0, 2, 2);
    Add_Region(3, REGION_OCEAN, 4, 2, 0, 64);
    Add_Region(5, REGION_LAND, 2, 2, 256, 0, 3, 7);  // slot 4 stays empty; 5 has no connections
    map.m_Get_Region(1)->m_Set_Second_Text("Capital");
    for (std::int32_t i = 1; i <= 5; ++i)
      if (TMap_Region* r = map.m_Get_Region(i)) {
        r->m_Init(i, Make_Color(std::uint8_t(i * 10), 50, 200));
        r->m_Add_Click_Zone_Span(1, 0, 40);
        r->m_Add_Click_Zone_Span(2, 3, 9);
        r->m_Add_Click_Zone_Span(2, 20, 30);
      }
    Connect(1, 2);
    Connect(1, 3);
    Connect(2, 3);
    Place(1, UT_INFANTRY, 1);
    Place(1, UT_INFANTRY, 1);
    Place(1, UT_TANK, 1);
    const std::int32_t spare = Place(2, UT_TRUCK, 2);
    Place(2, UT_INFANTRY, 2);
    Place(2, UT_INFANTRY, 1);
    const std::int32_t ship = Place(3, UT_SHIP, 1);
    const std::int32_t cargo = Place(3, UT_INFANTRY, 1);
    EXPECT_TRUE(map.m_Add_Unit_To_Cargo(ship, cargo, false, true));
    Place(5, UT_INFANTRY, 3);
    Place(5, UT_CITY, 3);
    map.m_Delete_Unit(spare);
    map.m_Add_Combat_Region(2);
    map.m_Set_Unit_Damage(1, 12);
  }
};

}  // namespace

TEST(Map_Version, ComparedNumberByNumber) {
  struct Case {
    const char *a, *b;
    int sign;
  };
  const Case cases[] = {{"0.9", "0.12", -1}, {"0.11", "0.12", -1}, {"0.12", "0.12", 0}, {"1.09", "0.12", 1},
                        {"1.9", "1.09", 0},  {"1", "1.0", 0},      {"2", "1.99", 1},    {"0.12.1", "0.12", 1}};
  for (const Case& c : cases) {
    const int r = Map_Version_Compare(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
  }
  for (const char* bad : {"", "1..2", "1.x", ".1", "1.", "-1", "99999999999999999999999"})
    EXPECT_THROW(Map_Version_Compare(bad, "0.12"), EConvertError) << bad;
}

TEST_F(Map_File, TinyMapIsByteExact) {
  Build_Tiny();
  EXPECT_EQ(Saved(map, false), Tiny_Full);
  EXPECT_EQ(map.m_Get_Version(), "1.09");
  EXPECT_EQ(Saved(map, true), Tiny_Partial);

  TMap back;
  Load(back, Tiny_Full, false);
  EXPECT_EQ(back.m_Get_Version(), "1.09");
  ASSERT_EQ(back.m_Get_Region_Count(), 2);
  ASSERT_NE(back.m_Get_Region(1), nullptr) << "a region without connections is kept";
  EXPECT_EQ(back.m_Get_Region(2), nullptr);
  const TMap_Region& r = *back.m_Get_Region(1);
  EXPECT_EQ(r.m_Get_Name(), "A");
  EXPECT_EQ(r.m_Get_Owner(), 2);
  EXPECT_EQ(r.m_Get_Color(), Make_Color(10, 20, 30));
  EXPECT_EQ(r.m_Get_Unit_Id(1), 1);
  EXPECT_TRUE(r.m_Point_In_Click_Zones(31, 1));
  EXPECT_EQ(back.m_Get_Pixel_Width(), 64);
  EXPECT_EQ(back.m_Get_Section_Height(), 1024);
  TMap_Unit_Record u;
  back.m_Get_Unit(1, u);
  EXPECT_EQ(u, (TMap_Unit_Record{1, 1, UT_INFANTRY, 2, 2, 0, 5}));
  EXPECT_TRUE(back.m_Is_Combat_Region(1));
  EXPECT_EQ(Saved(back, false), Tiny_Full);
}

TEST_F(Map_File, OlderFilesStartWithoutAVersion) {
  Build_Tiny();
  const std::string body = Tiny_Full.substr(Full_Version.size());
  for (const char* version : {"0.11", "0.9", "0.1"}) {
    TMap back;
    Load(back, body, false, version);
    EXPECT_EQ(back.m_Get_Version(), version);
    EXPECT_NE(back.m_Get_Region(1), nullptr);
  }
  for (const char* version : {"0.12", "1.09", "1.10"}) {
    TMap back;
    Load(back, Tiny_Full, false, version);
    EXPECT_EQ(back.m_Get_Version(), "1.09") << "read from the file";
  }
}

TEST_F(Map_File, FullRoundTripOfAPopulatedMap) {
  Build_Populated();
  const std::string bytes = Saved(map, false);
  TMap back;
  Load(back, bytes, false);
  EXPECT_EQ(Saved(back, false), bytes);
  ASSERT_EQ(back.m_Get_Region_Count(), 5);
  EXPECT_EQ(back.m_Get_Region(4), nullptr);
  for (std::int32_t i : {1, 2, 3, 5}) {
    const TMap_Region& a = *map.m_Get_Region(i);
    const TMap_Region& b = *back.m_Get_Region(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(b.m_Get_Id(), i);
    EXPECT_EQ(b.m_Get_Name(), a.m_Get_Name());
    EXPECT_EQ(b.m_Label_Text(), a.m_Label_Text());
    EXPECT_EQ(b.m_Get_Owner(), a.m_Get_Owner());
    EXPECT_EQ(b.m_Get_Value(), a.m_Get_Value());
    EXPECT_EQ(b.m_Get_Connection_Count(), a.m_Get_Connection_Count());
    EXPECT_EQ(b.m_Get_Square_Count(), a.m_Get_Square_Count());
    EXPECT_EQ(b.m_Get_Label_Values(), a.m_Get_Label_Values());
    ASSERT_EQ(b.m_Get_Unit_Count(), a.m_Get_Unit_Count());
    for (std::int32_t k = 1; k <= a.m_Get_Unit_Count(); ++k) EXPECT_EQ(b.m_Get_Unit_Id(k), a.m_Get_Unit_Id(k));
    for (std::int32_t k = 1; k <= a.m_Get_Square_Count(); ++k) {
      TMap_Region_Square sa, sb;
      a.m_Get_Square(k, sa);
      b.m_Get_Square(k, sb);
      EXPECT_EQ(
          std::tie(sa.left, sa.top, sa.right, sa.bottom, sa.state, sa.unit_type, sa.owner, sa.shown, sa.stack_count),
          std::tie(sb.left, sb.top, sb.right, sb.bottom, sb.state, sb.unit_type, sb.owner, sb.shown, sb.stack_count));
    }
  }
  // The isolated region keeps its owner and units.
  EXPECT_EQ(back.m_Get_Region(5)->m_Get_Owner(), 3);
  EXPECT_EQ(back.m_Get_Region(5)->m_Get_Unit_Count(), 2);
  ASSERT_EQ(back.m_Get_Unit_Count(), map.m_Get_Unit_Count());
  for (std::int32_t id = 1; id <= map.m_Get_Unit_Count(); ++id) {
    TMap_Unit_Record a, b;
    map.m_Get_Unit(id, a);
    back.m_Get_Unit(id, b);
    EXPECT_EQ(a, b) << id;
  }
  TMap_Unit_Record freed;
  back.m_Get_Unit(4, freed);
  EXPECT_EQ(freed, TMap_Unit_Record{}) << "the freed slot stays a free slot";
  EXPECT_EQ(back.m_Get_Cargo_List_Count(), 1);
  EXPECT_EQ(back.m_Get_Carrier(8), 7);
  EXPECT_EQ(back.m_Get_Cargo_Load(7), 1);
  EXPECT_TRUE(back.m_Is_Combat_Region(2));
  // The loaded map works: the freed slot is reused, owners count their units.
  EXPECT_EQ(back.m_Count_Player_Units(1), map.m_Count_Player_Units(1));
  EXPECT_EQ(back.m_Add_Unit(1, UT_INFANTRY, 1, 1, 0), 4);
}

TEST_F(Map_File, PartialRoundTripCarriesWhatChangesInPlay) {
  Build_Populated();
  TMap peer;
  Load(peer, Saved(map, false), false);
  peer.m_Set_Region_Textures({11, 12, 13});

  // Play goes on here: a capture, new and deleted units, a rebuilt region.
  map.m_Get_Region(2)->m_Clear_Units();
  map.m_Get_Region(2)->m_Set_Owner(1);
  map.m_Remove_Combat_Region(2);
  Place(2, UT_TANK, 1);
  map.m_Delete_Unit(9);
  ASSERT_TRUE(map.m_Get_Region(1)->m_Subdivide_Squares());
  Place(1, UT_FLAT, 1);
  map.m_Add_Combat_Region(3);

  const std::string partial = Saved(map, true);
  const TMap_Region* region_before = peer.m_Get_Region(1);
  Load(peer, partial, true);
  EXPECT_EQ(peer.m_Get_Region(1), region_before) << "the regions in memory are overwritten, not replaced";
  EXPECT_EQ(Saved(peer, false), Saved(map, false));
  EXPECT_EQ(peer.m_Get_Region_Texture(2), 12) << "the textures in memory stay";
  EXPECT_TRUE(peer.m_Get_Region(1)->m_Get_Rebuilt());
}

TEST_F(Map_File, PartialFormHoldsNoCountsSizesOrShapes) {
  Build_Populated();
  const TMap_Region& first = *map.m_Get_Region(1);
  ASSERT_TRUE(first.m_Get_Rebuilt()) << "the tank's block split its squares";
  TIo_Reader r = TIo_Reader::From_Bytes(Saved(map, true));
  EXPECT_EQ(Io_Read_String(r), "1.09");
  // No region count: the first region's record starts at once with its
  // owner and value; the rebuilt squares send their rectangles.
  EXPECT_EQ(Io_Read_Byte(r), 1);
  EXPECT_EQ(Io_Read_Integer(r), 4);
  EXPECT_EQ(Io_Read_Byte(r), first.m_Get_Subdivisions());
  EXPECT_TRUE(Io_Read_Boolean(r));
  EXPECT_EQ(Io_Read_Integer(r), first.m_Get_Square_Count());
  TMap_Region_Square square;
  first.m_Get_Square(1, square);
  EXPECT_EQ(Io_Read_Integer(r), square.left);
  EXPECT_EQ(Io_Read_Integer(r), square.top);
}

TEST_F(Map_File, BrokenFilesAreLoadErrorsAndLeaveTheMapAsItWas) {
  TTemp_Dir dir;
  const std::string name = dir.design() + "CurrentMap.map";
  Build_Tiny();
  std::vector<std::pair<std::string, std::string>> cases;
  for (std::size_t n = 0; n < Tiny_Full.size(); ++n)
    cases.emplace_back("truncated at " + std::to_string(n), Tiny_Full.substr(0, n));
  auto patched = [](std::size_t at, const std::string& bytes, std::size_t replaced) {
    std::string s = Tiny_Full;
    return s.replace(at, replaced, bytes);
  };
  const std::size_t region_count_at = Full_Version.size();
  const std::size_t units_at = Tiny_Full.size() - 33 + 11;  // the unit count
  cases.emplace_back("huge region count", patched(region_count_at, std::string("\x04\xFF\xFF\xFF\x7F", 5), 2));
  cases.emplace_back("negative region count", patched(region_count_at, std::string("\x04\xFF\xFF\xFF\xFF", 5), 2));
  cases.emplace_back("region with another id", patched(region_count_at + 3, std::string("\x02\x02", 2), 2));
  cases.emplace_back("huge unit count", patched(units_at, std::string("\x04\x00\x00\x00\x10", 5), 2));
  cases.emplace_back("unit with another id", patched(units_at + 2, std::string("\x02\x07", 2), 2));
  cases.emplace_back("unit type beyond 65535", patched(units_at + 6, std::string("\x04\x00\x00\x01\x00", 5), 2));
  cases.emplace_back("31 units in a cargo list",
                     patched(Tiny_Full.size() - 6, std::string("\x02\x01\x02\x1F", 4) + std::string(62, '\x02'), 2));
  const std::size_t grid_at = Full_Version.size() + 18 + Region_Shared_Head.size() + 5;
  cases.emplace_back("grid cell beyond the squares", patched(grid_at, std::string("\x02\x01\x02\x01\x02\x05", 6), 4));
  cases.emplace_back("label square beyond the squares", patched(grid_at + 4, std::string("\x02\x03", 2), 2));
  // Click rows counted but none built (no span capacity): the region would
  // answer point queries from rows it does not have.
  cases.emplace_back("click rows without span capacity",
                     patched(grid_at + 30, std::string("\x02\x01\x02\x00", 4), 10));
  cases.emplace_back("a string where the count stands", patched(region_count_at, std::string("\x06\x00", 2), 2));
  const std::string before = Saved(map, false);
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    Write_File(dir.path() / "CurrentMap.map", bytes);
    TShell_Recorder catcher;
    EXPECT_FALSE(map.m_Load_From_File(name, false, "1.09"));
    ASSERT_EQ(catcher.messages.size(), 1u);
    EXPECT_EQ(catcher.messages[0].caption, "Error");
    EXPECT_EQ(catcher.messages[0].text, "Load file error: " + name);
    EXPECT_EQ(Saved(map, false), before);
  }
  // A partial file that does not fit the regions in memory fails the same way.
  Write_File(dir.path() / "CurrentMap.map", Tiny_Partial.substr(0, Tiny_Partial.size() - 3));
  {
    TShell_Recorder catcher;
    EXPECT_FALSE(map.m_Load_From_File(name, true, "1.09"));
    EXPECT_EQ(catcher.messages.size(), 1u);
  }
  EXPECT_EQ(Saved(map, false), before);
}

TEST_F(Map_File, AnEmptyVersionIsAnErrorNotAMisread) {
  TTemp_Dir dir;
  const std::string name = dir.design() + "CurrentMap.map";
  Build_Tiny();
  ASSERT_TRUE(map.m_Save_To_File(name, false, Map_File_Version));
  const std::string before = Saved(map, false);
  TShell_Recorder catcher;
  EXPECT_FALSE(map.m_Load_From_File(name, false, ""));
  ASSERT_EQ(catcher.messages.size(), 1u);
  EXPECT_EQ(catcher.messages[0].text, "Load file error: " + name);
  EXPECT_EQ(Saved(map, false), before);
}

TEST_F(Map_File, FileRoundTripAndEmptyNames) {
  TTemp_Dir dir;
  const std::string name = dir.design() + "CurrentMap.map";
  Build_Populated();
  ASSERT_TRUE(map.m_Save_To_File(name, false, Map_File_Version));
  EXPECT_EQ(Read_File(dir.path() / "CurrentMap.map"), Saved(map, false));
  TMap back;
  back.m_Set_Region_Textures({1, 2});
  ASSERT_TRUE(back.m_Load_From_File(name, false, "1.09"));
  EXPECT_EQ(Saved(back, false), Saved(map, false));
  EXPECT_EQ(back.m_Get_Region_Texture(1), 0) << "a full load clears the map first";
  TShell_Recorder catcher;
  EXPECT_FALSE(back.m_Load_From_File("", false, "1.09"));
  EXPECT_FALSE(back.m_Save_To_File("", false, "1.09"));
  EXPECT_FALSE(back.m_Load_From_File(dir.design() + "Missing.map", false, "1.09"));
  EXPECT_EQ(catcher.messages.size(), 1u);
}

TEST_F(Map_File, SaveLinesOfTheDebugLog) {
  TTemp_Dir dir;
  std::filesystem::create_directories(dir.path() / "Backup");
  const std::string saved_user = User_Folder;
  User_Folder = dir.design();
  Build_Tiny();
  Debug_Sections[DEBUG_SAVE_LOAD] = true;
  Saved(map, false);
  Debug_Sections[DEBUG_SAVE_LOAD] = false;
  User_Folder = saved_user;
  const std::string log = Read_File(dir.path() / "Backup" / "Globarch_Log.txt");
  std::vector<std::string> texts;
  for (std::size_t pos = 0; pos < log.size();) {
    const std::size_t end = log.find('\n', pos);
    std::string line = log.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // The text follows the time stamp "yy.mm.dd hh.mm.ss" and the tick count.
    texts.push_back(line.substr(line.find(' ', 18) + 1));
    pos = end + 1;
  }
  // Each "Bytes" value counts the bytes written since the line before.
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "TMap.Save: Num Regions = 2", "TMap_Region.Save: Region: 1",
                       "TMap_Region.Save: Connections Bytes: 23", "TMap_Region.Save: Actual Sqrs Bytes: 3",
                       "TMap_Region.Save: Actual Sqr Grid Bytes: 22", "TMap_Region.Save: Click Zone Bytes: 18",
                       "TMap_Region.Save: Units Bytes: 4", "TMap.Save: Num Units     = 1",
                       "TMap.Save: Regions Bytes = 90", "TMap.Save: Num Cargo Units = 0", "TMap.Save: Units Bytes = 16",
                       "TMap.Save: Num Combat Regions = 1", "TMap.Save: Cargo Units Bytes  = 2"}));
}
