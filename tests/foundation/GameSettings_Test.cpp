#include "GameSettings.h"

#include <gtest/gtest.h>

#include "Errors.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += char(b);
  return s;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TGame_Settings Sample_Settings() {
  TGame_Settings s;
  s.m_Set_Current_Turn(20153);
  s.m_Set_Turn_Empire(2);
  s.m_Set_Local_Empire(3);
  s.m_Set_Names("Standard", "standard", "03/14/26", "1.09");
  s.m_Set_Description("Small Continents, 1 Human, 3 Computer");
  s.f_game_kind = 3;
  s.f_camera_eye = {100.5f, 200.25f, -1500.0f};
  s.f_camera_look_at = {100.5f, 200.25f, 0.0f};
  s.f_camera_up = {0.0f, -1.0f, 0.0f};
  s.m_Set_Flag_Size(64, 48);
  s.m_Set_Player_Matrix_Size(3);
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 3; ++c) s.f_relations.m_Put(r, c, std::uint8_t(r * 10 + c));
  s.f_setup_game_type_name = "Standard";
  s.f_setup_map_text = "Random Map";
  s.f_setup_map_type_text = "Small Continents";
  s.f_neutral_money_level = 2;
  s.f_setup_option_1 = false;
  s.f_setup_option_2 = true;
  s.f_neutral_empire = false;
  s.f_starting_money_level = 3;
  s.f_nation_size_level = 2;
  s.f_starting_forces_level = 1;
  s.f_fog_of_war = false;
  s.f_extra_texts = {"one", "Zo\xC3\xAB"};
  s.f_autosave_slot = 10;
  s.f_autosave_pending = true;
  s.f_player_count = 2;
  s.m_Player(1) = {7, 1, "Ann", "Avalon", "pw", 2, 1};
  s.m_Player(2) = {9, 2, "Bob", "Borduria", "", 1, 0};
  s.f_network_save_name = "Net Game";
  return s;
}

void Expect_Same(const TGame_Settings& a, const TGame_Settings& b) {
  TIo_Writer wa, wb;
  a.m_Write(wa);
  b.m_Write(wb);
  EXPECT_EQ(wa.m_Bytes(), wb.m_Bytes());
  EXPECT_EQ(a.f_game_date, b.f_game_date);
  EXPECT_EQ(a.f_camera_eye.y, b.f_camera_eye.y);
  EXPECT_EQ(a.f_relations.m_Count(), b.f_relations.m_Count());
  EXPECT_EQ(a.f_extra_texts, b.f_extra_texts);
  EXPECT_EQ(a.m_Player(1).f_nation_name, b.m_Player(1).f_nation_name);
  EXPECT_EQ(a.f_network_save_name, b.f_network_save_name);
}
}  // namespace

TEST(GameSettings, FreshFileBytes) {
  TTemp_Dir dir;
  TGame_Settings s;
  ASSERT_TRUE(s.m_Save_To_File(dir.design() + "GameSettings.dat"));
  std::string empty = Bytes({6, 0}), zero = Bytes({2, 0}), one = Bytes({2, 1});
  std::string real0 = Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  std::string slot = zero + zero + empty + empty + empty + zero + zero;
  std::string expect = zero + zero + Repeat(empty, 4) + one + empty      // 1..8: the eighth value is the folder
                       + Repeat(real0, 9)                                // camera
                       + zero + zero                                     // flag size
                       + zero                                            // no empires, no matrix bytes
                       + Repeat(empty, 3) + zero                         // setup texts, neutral money level
                       + Bytes({9, 9, 9}) + Repeat(one, 3) + Bytes({9})  // options, levels, fog of war
                       + zero                                            // no extra texts
                       + zero + Bytes({8}) + zero                        // autosave slot and pending, player count
                       + Repeat(slot, 9) + empty;                        // nine slots, network save name
  EXPECT_EQ(Read_File(dir.path() / "GameSettings.dat"), expect);

  TGame_Settings back = Sample_Settings();
  ASSERT_TRUE(back.m_Load_From_File(dir.design() + "GameSettings.dat"));
  Expect_Same(back, s);
  EXPECT_EQ(back.f_game_kind, 1);
  EXPECT_TRUE(back.f_fog_of_war);
  EXPECT_EQ(back.f_player_count, 0);
}

TEST(GameSettings, FileOrderAndRoundTrip) {
  TTemp_Dir dir;
  TGame_Settings s = Sample_Settings();
  std::string name = dir.design() + "GameSettings.dat";
  ASSERT_TRUE(s.m_Save_To_File(name));

  // The values one after another in the file's order.
  TIo_Writer w;
  Io_Write_Integer(w, 20153);
  Io_Write_Integer(w, 2);
  Io_Write_String(w, "Standard");
  Io_Write_String(w, "1.09");
  Io_Write_String(w, "Small Continents, 1 Human, 3 Computer");
  Io_Write_String(w, "03/14/26");
  Io_Write_Byte(w, 3);
  Io_Write_String(w, "standard");
  for (float f : {100.5f, 200.25f, -1500.0f, 100.5f, 200.25f, 0.0f, 0.0f, -1.0f, 0.0f}) Io_Write_Single(w, f);
  Io_Write_Word(w, 64);
  Io_Write_Word(w, 48);
  Io_Write_Byte(w, 3);
  for (int v : {11, 12, 13, 21, 22, 23, 31, 32, 33}) Io_Write_Byte(w, std::uint8_t(v));
  Io_Write_String(w, "Standard");
  Io_Write_String(w, "Random Map");
  Io_Write_String(w, "Small Continents");
  Io_Write_Byte(w, 2);
  Io_Write_Boolean(w, false);
  Io_Write_Boolean(w, true);
  Io_Write_Boolean(w, false);
  Io_Write_Byte(w, 3);
  Io_Write_Byte(w, 2);
  Io_Write_Byte(w, 1);
  Io_Write_Boolean(w, false);
  Io_Write_String_List(w, {"one", "Zo\xC3\xAB"});
  Io_Write_Byte(w, 10);
  Io_Write_Boolean(w, true);
  Io_Write_Word(w, 2);
  for (int slot = 1; slot <= 9; ++slot) {
    const TGame_Settings_Player_Slot& p = s.m_Player(slot);
    Io_Write_Word(w, p.f_client_id);
    Io_Write_Word(w, p.f_slot_number);
    Io_Write_String(w, p.f_player_name);
    Io_Write_String(w, p.f_nation_name);
    Io_Write_String(w, p.f_password);
    Io_Write_Word(w, p.f_connected);
    Io_Write_Word(w, p.f_ready);
  }
  Io_Write_String(w, "Net Game");
  std::string bytes = Read_File(dir.path() / "GameSettings.dat");
  EXPECT_EQ(bytes, w.m_Bytes());
  EXPECT_EQ(bytes.substr(0, 7), Bytes({3, 0xB9, 0x4E, 2, 2, 6, 8}));

  TGame_Settings back;
  back.m_Set_Local_Empire(5);
  ASSERT_TRUE(back.m_Load_From_File(name));
  Expect_Same(back, s);
  EXPECT_EQ(back.f_local_empire, 0);  // never saved
  EXPECT_EQ(back.f_relations.m_Get(3, 2), 32);
  EXPECT_EQ(back.f_extra_texts[1], "Zo\xC3\xAB");
}

TEST(GameSettings, BadFilesFailToLoad) {
  TTemp_Dir dir;
  TShell_Recorder sink;
  TGame_Settings s = Sample_Settings();
  TIo_Writer w;
  s.m_Write(w);
  std::string good = w.m_Bytes();
  std::string turn300 = Bytes({2, 0, 3, 0x2C, 0x01}) + good.substr(4);  // turn empire 300
  // The game type name (third value) with a 4-byte length far beyond the file.
  std::string hostile_name = good.substr(0, 4) + Bytes({12, 0xFF, 0xFF, 0xFF, 0x7F}) + "Standard";
  // The extra texts' count claims 65535 strings where a few bytes are left.
  TGame_Settings fresh;
  TIo_Writer fw;
  fresh.m_Write(fw);
  std::string fresh_bytes = fw.m_Bytes();
  // The texts, autosave slot and pending flag, player count, nine slots and the save name end the file.
  std::size_t texts_at = fresh_bytes.size() - (2 + 2 + 1 + 2 + 9 * 14 + 2);
  ASSERT_EQ(fresh_bytes.substr(texts_at, 2), Bytes({2, 0}));
  std::string hostile_count =
      fresh_bytes.substr(0, texts_at) + Bytes({4, 0xFF, 0xFF, 0, 0}) + fresh_bytes.substr(texts_at + 2);
  struct Row {
    const char* what;
    std::string bytes;
  } rows[] = {
      {"turn empire 300", turn300},
      {"truncated", good.substr(0, good.size() - 3)},
      {"empty", ""},
      {"hostile string length", hostile_name},
      {"hostile list count", hostile_count},
  };
  for (const Row& r : rows) {
    Write_File(dir.path() / "GameSettings.dat", r.bytes);
    TGame_Settings t;
    EXPECT_FALSE(t.m_Load_From_File(dir.design() + "GameSettings.dat")) << r.what;
  }
  EXPECT_EQ(sink.m_Joined(),
            std::vector<std::string>(5, "Error|Load file error: " + dir.design() + "GameSettings.dat"));
}

// The network save name becomes the folder of the host's saves: a file
// naming anything else is refused with the reason, and nothing of it stays.
TEST(GameSettings, ANetworkSaveNameThatIsNoSaveNameIsRefused) {
  TTemp_Dir dir;
  TShell_Recorder sink;
  const std::string file = dir.design() + "GameSettings.dat";
  const char* const Reserved =
      "A save name cannot end in \".saving\", \".old\" or \".loading\": the game keeps those names for itself.";
  struct TCase {
    std::uint8_t kind;
    std::string name;
    const char* problem;  // "" when the file loads
  } cases[] = {
      {3, "Net Game", ""},
      {1, "", ""},
      {4, "", ""},
      {3, "", "A save needs a name."},
      {3, "..\\sentinel", "A save name cannot be \".\" or contain \"..\"."},
      {4, "\\tmp\\x", "A save name cannot contain \\, / or :."},
      {1, "..", "A save name cannot be \".\" or contain \"..\"."},
      {3, "Net.old", Reserved},
      {3, "Net.saving", Reserved},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TGame_Settings s = Sample_Settings();
    s.f_game_kind = c.kind;
    s.f_network_save_name = c.name;
    ASSERT_TRUE(s.m_Save_To_File(file));
    sink.messages.clear();
    TGame_Settings back;
    const bool loaded = back.m_Load_From_File(file);
    EXPECT_EQ(back.m_Network_Save_Name_Problem(), "");
    if (*c.problem == 0) {
      EXPECT_TRUE(loaded);
      EXPECT_EQ(back.f_network_save_name, c.name);
      EXPECT_TRUE(sink.messages.empty());
      continue;
    }
    EXPECT_FALSE(loaded);
    EXPECT_EQ(back.f_network_save_name, "");
    EXPECT_EQ(back.f_game_date, 0);
    EXPECT_EQ(sink.m_Joined(), std::vector<std::string>{"Error|Load file error: " + file +
                                                        ". The save name of its network game, \"" + c.name +
                                                        "\", cannot be used: " + c.problem});
  }
}

TEST(GameSettings, PlayerSlots) {
  TGame_Settings s;
  s.f_player_count = 2;
  s.m_Player(1).f_client_id = 7;
  s.m_Player(2).f_client_id = 7;
  s.m_Player(3).f_client_id = 8;
  EXPECT_EQ(s.m_Find_Player(7), 2);
  EXPECT_EQ(s.m_Find_Player(8), 0);  // only slots up to the player count count
  EXPECT_EQ(s.m_Remove_Player(7), 2);
  EXPECT_EQ(s.m_Find_Player(7), 1);
  EXPECT_EQ(s.f_player_count, 2);

  TGame_Settings one;
  one.f_player_count = 1;
  one.m_Player(1) = {4, 1, "Ann", "Avalon", "x", 1, 1};
  EXPECT_EQ(one.m_Remove_Player(4), 1);
  EXPECT_EQ(one.f_player_count, 1);
  EXPECT_EQ(one.m_Player(1).f_player_name, "");
  EXPECT_EQ(one.m_Player(1).f_connected, 0);

  // A player count beyond the nine slots (from a damaged file) stays safe.
  one.f_player_count = 300;
  one.m_Player(9).f_client_id = 77;
  EXPECT_EQ(one.m_Find_Player(77), 9);

  EXPECT_THROW(s.m_Clear_Player(0), ERangeError);
  EXPECT_THROW(s.m_Clear_Player(10), ERangeError);
  s.m_Clear_Players();
  EXPECT_EQ(s.f_player_count, 0);
  EXPECT_EQ(s.m_Player(3).f_client_id, 0);
}

TEST(GameSettings, SettersAndReset) {
  TGame_Settings s = Sample_Settings();
  EXPECT_THROW(s.m_Set_Flag_Size(65536, 1), ERangeError);
  EXPECT_THROW(s.m_Set_Flag_Size(1, -1), ERangeError);
  EXPECT_EQ(s.f_flag_width, 64);
  s.m_Set_Player_Matrix_Size(2);
  EXPECT_EQ(s.f_relations.m_Get(2, 2), 0);
  EXPECT_THROW(s.f_relations.m_Get(3, 1), ERangeError);
  s.m_Reset();
  Expect_Same(s, TGame_Settings());
  EXPECT_EQ(s.f_game_kind, 1);
  EXPECT_TRUE(s.f_fog_of_war);
  EXPECT_EQ(s.f_starting_money_level, 1);
}

TEST(GameSettings, TheTechnologyLevelIsKeptAsAnExtraTextAndReadBack) {
  TGame_Settings s;
  EXPECT_EQ(s.m_Technology_Level(), 1);  // none kept (older saves): the start level
  s.f_extra_texts = {"one"};
  s.m_Set_Technology_Level(3);
  s.m_Set_Technology_Level(2);  // replaces, never piles up
  EXPECT_EQ(s.f_extra_texts, (std::vector<std::string>{"one", "Technology Level=2"}));
  TTemp_Dir dir;
  const std::string name = dir.design() + "GameSettings.dat";
  ASSERT_TRUE(s.m_Save_To_File(name));
  TGame_Settings back;
  ASSERT_TRUE(back.m_Load_From_File(name));
  EXPECT_EQ(back.m_Technology_Level(), 2);
  EXPECT_THROW(s.m_Set_Technology_Level(4), ERangeError);
  // A damaged entry is no level.
  back.f_extra_texts = {"Technology Level=9", "Technology Level=22"};
  EXPECT_EQ(back.m_Technology_Level(), 1);
}
