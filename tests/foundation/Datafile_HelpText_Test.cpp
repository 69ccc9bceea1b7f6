#include <gtest/gtest.h>

#include "Datafile_HelpText.h"
#include "Errors.h"
#include "Io.h"
#include "Test_Support.h"

namespace {
// Every key of every dialog, each text naming its key, except the keys left out.
std::string Help_File(const std::vector<std::string>& left_out) {
  std::string s = "Help\n*BEGIN*\ntitle\nnote\n";
  for (int d = 1; d <= HELP_TEXT_DIALOG_COUNT; ++d) {
    for (int n = 1; n <= Help_Text_Dialog_Entries(d); ++n) {
      for (const char* part : {" Name", " Descr"}) {
        std::string key = Help_Text_Dialog_Name(d) + " " + Int_To_Text(n) + part;
        bool skip = false;
        for (const std::string& k : left_out) skip = skip || k == key;
        if (!skip) s += key + " := text of " + key + "\n";
      }
    }
  }
  return s + "*END*\n";
}
}  // namespace

TEST(Datafile_HelpText, Dialogs) {
  struct Row {
    int dialog;
    const char* name;
    int entries;
  } rows[] = {{1, "Dlg Start Menu", 7},      {2, "Dlg Graphics Setup", 7},    {3, "Dlg Intro Menu", 13},
              {4, "Dlg Load Game", 7},       {5, "Dlg Save Game", 7},         {6, "Dlg Game Setup", 21},
              {7, "Dlg Game Setup Host", 28}, {8, "Dlg Game Setup Join", 28}, {9, "Dlg Main", 14},
              {10, "Dlg Main Select Units", 13}, {11, "Dlg Load Drop Cargo", 4}, {12, "Dlg Game Menu", 6},
              {13, "Dlg Game Options", 15},  {14, "Dlg Purchases", 13},       {15, "Dlg Statistics", 37},
              {16, "Dlg Log", 13},           {17, "Dlg Game Over", 2},        {18, "Dlg Combat Begin", 7},
              {19, "Dlg Combat", 9},         {20, "Dlg Combat Options", 5},   {21, "Dlg Combat Results", 7},
              {22, "Dlg Login", 5},          {23, "Dlg Message", 8},          {0, "", 0},
              {24, "", 0}};
  int total = 0;
  for (const Row& r : rows) {
    EXPECT_EQ(Help_Text_Dialog_Name(r.dialog), r.name);
    EXPECT_EQ(Help_Text_Dialog_Entries(r.dialog), r.entries);
    total += r.entries;
  }
  EXPECT_EQ(total, 276);
}

TEST(Datafile_HelpText, CompleteFile) {
  TTemp_Dir dir;
  Write_File(dir.path() / "HelpText.txt", Help_File({}));
  EXPECT_TRUE(Load_Help_Text_File(dir.design() + "HelpText.txt"));
  ASSERT_NE(Help_Text, nullptr);
  EXPECT_EQ(Help_Text->m_Get_Title(9, 3), "text of Dlg Main 3 Name");
  EXPECT_EQ(Help_Text->m_Get_Description(9, 3), "text of Dlg Main 3 Descr");
  EXPECT_EQ(Help_Text->m_Get_Title(15, 37), "text of Dlg Statistics 37 Name");
  EXPECT_EQ(Help_Text->m_Get_Title(24, 1), "");
  EXPECT_EQ(Help_Text->m_Get_Title(1, 0), "");
  EXPECT_EQ(Help_Text->m_Get_Title(17, 3), "");
  EXPECT_EQ(Help_Text->m_Get_Description(0, 1), "");
  Help_Text_Free();
}

TEST(Datafile_HelpText, MissingKeyKeepsTheLaterEntriesInPlace) {
  TTemp_Dir dir;
  Write_File(dir.path() / "HelpText.txt", Help_File({"Dlg Game Over 1 Name", "Dlg Main 3 Descr"}));
  TDatafile_Help_Text help;
  TDatafile_Help_Text_Data_File_Loader loader(dir.design() + "HelpText.txt", help);
  loader.m_Load();
  EXPECT_EQ(loader.m_Get_Errors(), (std::vector<std::string>{
                                       "Could not find field \"Dlg Main 3 Descr\" in record 1.",
                                       "Could not find field \"Dlg Game Over 1 Name\" in record 1.",
                                   }));
  EXPECT_EQ(help.m_Get_Title(17, 1), "");
  EXPECT_EQ(help.m_Get_Title(17, 2), "text of Dlg Game Over 2 Name");
  EXPECT_EQ(help.m_Get_Description(17, 1), "text of Dlg Game Over 1 Descr");
  EXPECT_EQ(help.m_Get_Title(9, 3), "text of Dlg Main 3 Name");
  EXPECT_EQ(help.m_Get_Description(9, 3), "");
  EXPECT_EQ(help.m_Get_Description(9, 4), "text of Dlg Main 4 Descr");

  // The global load reports the same lines and returns false.
  EXPECT_FALSE(Load_Help_Text_File(dir.design() + "HelpText.txt"));
  EXPECT_EQ(Help_Text->m_Get_Title(17, 2), "text of Dlg Game Over 2 Name");
  Help_Text_Free();
}

TEST(Datafile_HelpText, AddAndClear) {
  TDatafile_Help_Text help;
  help.m_Add_Title(23, "a");
  help.m_Add_Description(23, "b");
  EXPECT_EQ(help.m_Get_Title(23, 1), "a");
  EXPECT_EQ(help.m_Get_Description(23, 1), "b");
  EXPECT_THROW(help.m_Add_Title(24, "x"), ERangeError);
  EXPECT_THROW(help.m_Add_Description(0, "x"), ERangeError);
  help.m_Clear();
  EXPECT_EQ(help.m_Get_Title(23, 1), "");
}
