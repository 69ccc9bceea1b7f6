#include <gtest/gtest.h>

#include <cstdio>

#include "Native_Path.h"
#include "Test_Support.h"

TEST(Native_Path, SeparatorsBecomeNative) {
  EXPECT_EQ(Native_Path(""), "");
  EXPECT_EQ(Design_Path("/a/b/c.txt"), "\\a\\b\\c.txt");
  TTemp_Dir dir;
  std::string base = dir.path().string();
  EXPECT_EQ(Native_Path(dir.design() + "new\\file.txt"), base + "/new/file.txt");
}

TEST(Native_Path, ComponentsMatchIgnoringCase) {
  TTemp_Dir dir;
  std::string base = dir.path().string();
  Write_File(dir.path() / "CurrentMap" / "OverviewMap.bmp", "map");
  Write_File(dir.path() / "data" / "Units.txt", "units");
  struct Row {
    const char* relative;
    const char* native;
  } rows[] = {
      {"currentmap\\overviewmap.BMP", "/CurrentMap/OverviewMap.bmp"},
      {"CURRENTMAP\\", "/CurrentMap/"},
      {"Data\\units.txt", "/data/Units.txt"},
      {"data\\Units.txt", "/data/Units.txt"},
      // A missing file keeps its name inside the matched folder.
      {"currentmap\\MapSection000.jpg", "/CurrentMap/MapSection000.jpg"},
      // Below a missing folder nothing is matched.
      {"missing\\DATA\\x", "/missing/DATA/x"},
  };
  for (const Row& r : rows) EXPECT_EQ(Native_Path(dir.design() + r.relative), base + r.native) << r.relative;
}

TEST(Native_Path, WritingThroughAnotherCaseUsesTheExistingFile) {
  TTemp_Dir dir;
  Write_File(dir.path() / "SaveGames" / "Game1" / "Empires.dat", "old");
  std::string native = Native_Path(dir.design() + "savegames\\game1\\EMPIRES.DAT");
  std::FILE* f = std::fopen(native.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("new", f);
  std::fclose(f);
  EXPECT_EQ(Read_File(dir.path() / "SaveGames" / "Game1" / "Empires.dat"), "new");
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path() / "SaveGames" / "Game1")) (void)e, ++entries;
  EXPECT_EQ(entries, 1);

  // A new file is created in the existing folder under its own name.
  native = Native_Path(dir.design() + "SAVEGAMES\\Game1\\EventLog.dat");
  f = std::fopen(native.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "SaveGames" / "Game1" / "EventLog.dat"));
}
