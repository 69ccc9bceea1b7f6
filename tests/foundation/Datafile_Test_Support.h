// Shared pieces of the data-file loader tests: loading a file written from
// records, a list-dialog owner that keeps what it was shown, an empire that
// knows its technology levels by area name, and a fixture that leaves the
// global formula list as it found it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"
#include "Datafile_Formula_Functions.h"
#include "Datafile_Formula_List.h"
#include "Test_Support.h"

template <class TList>
struct TLoaded_List {
  std::unique_ptr<TList> list = std::make_unique<TList>();
  std::vector<std::string> errors;
};

// Writes `text` (a whole data file) as `file_name` in a temporary folder and
// loads it into a fresh list with the list's loader.
template <class TList, class TLoader>
TLoaded_List<TList> Load_Data_File_Text(const std::string& file_name, const std::string& text) {
  TTemp_Dir dir;
  Write_File(dir.path() / file_name, text);
  TLoaded_List<TList> r;
  TLoader loader(dir.design() + file_name, *r.list);
  loader.m_Load();
  r.errors = loader.m_Get_Errors();
  return r;
}

class TReport_Owner : public TList_Dialog_Owner {
 public:
  void m_Show_List(const std::vector<std::string>& rows, const std::string& title, const std::string&) override {
    this->rows = rows;
    this->title = title;
  }
  std::vector<std::string> rows;
  std::string title;
};

// An empire that knows its levels by area name.
class TEmpire_Stand_In : public TFormula_Empire {
 public:
  std::int32_t m_Get_Tech_Level_By_Area_Name(std::uint8_t kind, const std::string& text) const override {
    ++lookups;
    auto it = levels.find(text);
    return kind == 2 && it != levels.end() ? it->second : 0;
  }
  std::map<std::string, std::int32_t> levels;
  mutable int lookups = 0;
};

// Requirement formulas go into the global formula list; a test leaves it as
// it found it.
class TFormula_List_Test : public ::testing::Test {
 protected:
  void SetUp() override { f_had_list = Formula_List != nullptr; }
  void TearDown() override {
    if (!f_had_list) Formula_List_Free();
  }

 private:
  bool f_had_list = false;
};
