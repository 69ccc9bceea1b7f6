#include <gtest/gtest.h>

#include "Datafile_MapTypes.h"
#include "Datafile_TerrainTiles.h"
#include "Test_Support.h"

namespace {
const std::string Head = "Map types\n*BEGIN*\ntitle\nnote\n";

// Captures what a loader reports to its owner dialog.
class TReport_Owner : public TList_Dialog_Owner {
public:
  void m_Show_List(const std::vector<std::string>& rows, const std::string& title,
                   const std::string& subtitle) override {
    this->rows = rows;
    this->title = title;
    this->subtitle = subtitle;
    ++shown;
  }
  std::vector<std::string> rows;
  std::string title, subtitle;
  int shown = 0;
};

const std::string Full_Map_Type =
    "Map Type Name := Island\n"
    "Map Width := 64\nMap Height := 40\nStarting Land := 4\nExpand Radius := 3\n"
    "Land Chance Horizontal := 96\nLand Chance Vertical := 94\nGlob Land Radius := 1\n"
    "Base Land Region Amount := 1,200\nBase Ocean Region Amount := 6\nUse Base Detail Map := yes\n"
    "Number of Base Map Details := 3\nBase Map Detail 1 := a.jpg\nBase Map Detail 2 :=\nBase Map Detail 3 := c.jpg\n";
}  // namespace

TEST(Datafile_MapTypes, ReadsEveryField) {
  TTemp_Dir dir;
  std::string file = dir.design() + "MapTypes.txt";
  Write_File(dir.path() / "MapTypes.txt", Head + Full_Map_Type + "\n" + "Map Type Name := Second\n*END*\n");
  TReport_Owner owner;
  EXPECT_FALSE(Datafile_MapTypes_Load(file, &owner));
  ASSERT_NE(Map_Type_List, nullptr);
  ASSERT_EQ(Map_Type_List->m_Count(), 2);
  TMap_Type* m = Map_Type_List->m_Get_Item(1);
  EXPECT_EQ(m->f_index, 1);
  EXPECT_EQ(m->f_name, "Island");
  EXPECT_EQ(m->f_map_width, 64);
  EXPECT_EQ(m->f_map_height, 40);
  EXPECT_EQ(m->f_starting_land, 4);
  EXPECT_EQ(m->f_expand_radius, 3);
  EXPECT_EQ(m->f_land_chance_horizontal, 96);
  EXPECT_EQ(m->f_land_chance_vertical, 94);
  EXPECT_EQ(m->f_glob_land_radius, 1);
  EXPECT_EQ(m->f_base_land_region_amount, 1200);
  EXPECT_EQ(m->f_base_ocean_region_amount, 6);
  EXPECT_TRUE(m->f_use_base_detail_map);
  // An empty detail is not stored.
  EXPECT_EQ(m->f_base_map_details, (std::vector<std::string>{"a.jpg", "c.jpg"}));
  EXPECT_EQ(Map_Type_List->m_Get_Item(2)->f_index, 2);
  EXPECT_EQ(Map_Type_List->m_Get_Item(0), nullptr);
  EXPECT_EQ(Map_Type_List->m_Get_Item(3), nullptr);

  // Every key of the second record but the name is missing, named by the record.
  std::vector<std::string> expected;
  for (const char* k : {"Map Width", "Map Height", "Starting Land", "Expand Radius", "Land Chance Horizontal",
                        "Land Chance Vertical", "Glob Land Radius", "Base Land Region Amount",
                        "Base Ocean Region Amount", "Use Base Detail Map", "Number of Base Map Details"}) {
    expected.push_back(std::string("Could not find field \"") + k + "\" in record \"Second\".");
  }
  EXPECT_EQ(owner.rows, expected);
  EXPECT_EQ(owner.title, "Map Types Datafile");
  EXPECT_EQ(owner.subtitle, file);
  EXPECT_EQ(Map_Type_List->m_Get_Item(2)->f_map_width, 0);
  EXPECT_TRUE(Datafile_MapTypes_Free());
  EXPECT_FALSE(Datafile_MapTypes_Free());
}

TEST(Datafile_MapTypes, BadValues) {
  struct Row {
    const char* what;
    std::string fields;
    std::vector<std::string> errors;
    std::size_t details;
  } rows[] = {
      {"missing detail", "Number of Base Map Details := 2\nBase Map Detail 1 := a\n",
       {"Could not find field \"Base Map Detail 2\" in record \"T\"."}, 1},
      {"count beyond 16 bits is clamped and reported", "Number of Base Map Details := 70000\n",
       {"Value \"70000\" for Number of Base Map Details in record \"T\" is outside 0..65535; 65535 is used."}, 0},
      {"negative count", "Number of Base Map Details := -1\n",
       {"Value \"-1\" for Number of Base Map Details in record \"T\" is outside 0..65535; 0 is used."}, 0},
      {"count that is no number", "Number of Base Map Details := many\n", {}, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TTemp_Dir dir;
    std::string text = Head + "Map Type Name := T\nMap Width := x\nMap Height := 1\nStarting Land := 1\n"
                              "Expand Radius := 1\nLand Chance Horizontal := 1\nLand Chance Vertical := 1\n"
                              "Glob Land Radius := 1\nBase Land Region Amount := 1\nBase Ocean Region Amount := 1\n"
                              "Use Base Detail Map := 1\n" + r.fields;
    Write_File(dir.path() / "m.txt", text);
    TMap_Type_List list;
    TMap_Type_Data_File_Loader loader(dir.design() + "m.txt", list);
    loader.m_Load();
    std::vector<std::string> errors = loader.m_Get_Errors();
    // A count of 65535 asks for every detail; only the first lines matter here.
    if (errors.size() > r.errors.size()) errors.resize(r.errors.size());
    EXPECT_EQ(errors, r.errors);
    ASSERT_EQ(list.m_Count(), 1);
    EXPECT_EQ(list.m_Get_Item(1)->f_base_map_details.size(), r.details);
    EXPECT_EQ(list.m_Get_Item(1)->f_map_width, 0);            // "x" is no number
    EXPECT_FALSE(list.m_Get_Item(1)->f_use_base_detail_map);  // "1" is not true
  }
}

TEST(Datafile_MapTypes, MissingFile) {
  TTemp_Dir dir;
  TReport_Owner owner;
  EXPECT_FALSE(Datafile_MapTypes_Load(dir.design() + "None.txt", &owner));
  EXPECT_EQ(owner.rows, (std::vector<std::string>{"Unable to load data file: \"" + dir.design() + "None.txt\"."}));
  ASSERT_NE(Map_Type_List, nullptr);
  EXPECT_EQ(Map_Type_List->m_Count(), 0);
  Datafile_MapTypes_Free();
}
