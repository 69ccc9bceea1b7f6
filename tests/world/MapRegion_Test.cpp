#include "World_Fixture.h"

namespace {
TMap_Region_Square Square(const TMap_Region& r, std::int32_t i) {
  TMap_Region_Square s;
  r.m_Get_Square(i, s);
  return s;
}

// The shown square of a stack; 0 when there is none.
std::int32_t Shown_Square(const TMap_Region& r, std::uint16_t type, std::uint8_t owner) {
  for (std::int32_t i = 1; i <= r.m_Get_Square_Count(); ++i) {
    TMap_Region_Square s = Square(r, i);
    if (s.shown && s.unit_type == type && s.owner == owner) return i;
  }
  return 0;
}

std::int32_t Count_State(const TMap_Region& r, std::uint8_t state) {
  std::int32_t n = 0;
  for (std::int32_t i = 1; i <= r.m_Get_Square_Count(); ++i) n += Square(r, i).state == state;
  return n;
}

// Marks every free square of the region as used, except the listed ones.
void Fill_Except(TMap_Region& r, std::vector<std::int32_t> keep) {
  for (std::int32_t i = 1; i <= r.m_Get_Square_Count(); ++i)
    if (std::find(keep.begin(), keep.end(), i) == keep.end() && Square(r, i).state == SQUARE_FREE)
      r.m_Occupy_Block(i, 1, 1, 9, 99, 1);
}
}  // namespace

using Region_Grid = World_Test;
using Region_Stacks = World_Test;
using Region_Questions = World_Test;

// ---------------------------------------------------------------------------
// Building the grid

TEST_F(Region_Grid, TheGridAndLabelFollowTheRectangles) {
  struct Row {
    const char* what;
    std::int32_t cols, rows;
    std::int32_t grid_cols, grid_rows;
    std::int32_t label_col, label_row;
  } rows[] = {
      {"1 x 1", 1, 1, 1, 1, 0, 0},   {"3 x 1", 3, 1, 3, 1, 1, 0},   {"5 x 3", 5, 3, 5, 3, 2, 1},
      {"7 x 7", 7, 7, 7, 7, 3, 3},   {"4 x 2", 4, 2, 4, 2, 1, 0},   {"2 x 6", 2, 6, 2, 6, 0, 2},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    map.m_Clear();
    TMap_Region& region = Add_Region(1, REGION_LAND, r.cols, r.rows, 64, 96);
    EXPECT_EQ(region.m_Get_Grid_Columns(), r.grid_cols);
    EXPECT_EQ(region.m_Get_Grid_Rows(), r.grid_rows);
    const TRegion_Label_Values& v = region.m_Get_Label_Values();
    EXPECT_EQ(v.label_column, r.label_col);
    EXPECT_EQ(v.label_row, r.label_row);
    EXPECT_EQ(region.m_Get_Grid_Cell(v.label_column, v.label_row), v.label_square);
    TMap_Region_Square ls = Square(region, v.label_square);
    EXPECT_EQ(v.label_x, ls.left + 16);
    EXPECT_EQ(v.label_y, ls.top + 16);
    EXPECT_EQ(v.centre_x, 64 + r.cols * 16);
    EXPECT_EQ(v.centre_y, 96 + r.rows * 16);
    // Every square sits in the cell of its position.
    for (std::int32_t i = 1; i <= region.m_Get_Square_Count(); ++i) {
      TMap_Region_Square s = Square(region, i);
      EXPECT_EQ(region.m_Get_Grid_Cell((s.left - 64) / 32, (s.top - 96) / 32), i);
    }
  }
}

TEST_F(Region_Grid, WithoutThreeCellsSideBySideTheLabelIsTheNearestSquareByItsCell) {
  map.m_Set_Region_Count(1);
  TMap_Region& r = map.m_New_Region(1);
  r.m_Set_Type(REGION_LAND);
  // A diagonal of three squares from (320, 640): never three cells in a row.
  for (int i = 0; i < 3; ++i) r.m_Add_Rect(320 + 32 * i, 640 + 32 * i, 352 + 32 * i, 672 + 32 * i);
  r.m_Build_Square_Grid();
  const TRegion_Label_Values& v = r.m_Get_Label_Values();
  EXPECT_EQ(v.label_square, 2);
  EXPECT_EQ(v.label_column, 1);
  EXPECT_EQ(v.label_row, 1);
  EXPECT_EQ(v.label_x, 368);
  EXPECT_EQ(v.label_y, 688);
  // Stacks are laid out around that cell.
  std::int32_t id = map.m_Add_Unit(1, UT_INFANTRY, 1, 0, 0);
  ASSERT_TRUE(r.m_Add_Unit(id));
  EXPECT_EQ(Shown_Square(r, UT_INFANTRY, 1), 2);
}

TEST_F(Region_Grid, LabelSquaresOfLandAndOceanRegions) {
  TMap_Region& land = Add_Region(1, REGION_LAND, 5, 3);
  std::int32_t x = 0, y = 0;
  ASSERT_TRUE(land.m_Reserve_Label_Squares(40, 10, x, y, 1000, 1000));
  EXPECT_EQ(x, 64 + 16 - 20);
  EXPECT_EQ(y, 32 + 16 - 5);
  // The text from x 60 to 100 touches columns 1 to 3 of row 1.
  EXPECT_EQ(Count_State(land, SQUARE_LABEL), 3);
  for (std::int32_t c : {1, 2, 3}) EXPECT_EQ(Square(land, land.m_Get_Grid_Cell(c, 1)).state, SQUARE_LABEL);

  struct Row {
    std::int32_t picture_width, picture_height, x, y;
  } rows[] = {{1000, 1000, 288 - 30, 256 - 12}, {290, 1000, 282 - 30, 256 - 12}, {290, 260, 282 - 30, 250 - 12}};
  for (const Row& r : rows) {
    map.m_Clear();
    TMap_Region& ocean = Add_Region(2, REGION_OCEAN, 3, 2, 192, 192);
    ASSERT_TRUE(ocean.m_Reserve_Label_Squares(30, 12, x, y, r.picture_width, r.picture_height));
    EXPECT_EQ(x, r.x) << r.picture_width;
    EXPECT_EQ(y, r.y) << r.picture_height;
    EXPECT_EQ(Square(ocean, 6).state, SQUARE_LABEL);
  }
}

TEST_F(Region_Grid, MarkerSquaresLieBesideTheLabel) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 5, 5);
  std::int32_t x, y;
  ASSERT_TRUE(r.m_Reserve_Label_Squares(20, 10, x, y, 1000, 1000));
  ASSERT_EQ(Count_State(r, SQUARE_LABEL), 1);
  ASSERT_TRUE(r.m_Pick_Lower_Marker_Square());
  ASSERT_TRUE(r.m_Pick_Upper_Marker_Square());
  const TRegion_Label_Values& v = r.m_Get_Label_Values();
  EXPECT_EQ(v.lower_marker_square, r.m_Get_Grid_Cell(2, 3));
  EXPECT_EQ(v.upper_marker_square, r.m_Get_Grid_Cell(2, 1));
  EXPECT_EQ(Square(r, v.lower_marker_square).state, SQUARE_LOWER_MARKER);
  EXPECT_EQ(Square(r, v.upper_marker_square).state, SQUARE_UPPER_MARKER);
}

TEST_F(Region_Grid, ClickZonesCoverSpansFromRowOne) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 2, 2, 100, 200);
  r.m_Add_Click_Zone_Span(1, 0, 10);
  r.m_Add_Click_Zone_Span(1, 20, 30);
  r.m_Add_Click_Zone_Span(3, 5, 6);
  EXPECT_EQ(r.m_Get_Click_Zone_Row_Count(), 3);
  EXPECT_EQ(r.m_Get_Click_Zone_Span_Capacity(), 2);
  struct Row {
    std::int32_t x, y;
    bool inside;
  } rows[] = {{100, 200, false}, {100, 201, true}, {110, 201, true}, {111, 201, false}, {125, 201, true},
              {105, 202, false}, {105, 203, true}, {107, 203, false}, {105, 204, false}};
  for (const Row& p : rows) EXPECT_EQ(r.m_Point_In_Click_Zones(p.x, p.y), p.inside) << p.x << "," << p.y;
  Add_Region(2, REGION_LAND, 2, 2, 100, 200).m_Add_Click_Zone_Span(1, 0, 4);
  EXPECT_EQ(map.m_Get_Region_At(102, 201), 2);
  EXPECT_EQ(map.m_Get_Region_At(125, 201), 1);
  EXPECT_EQ(map.m_Get_Region_At(0, 0), 0);
}

// Spans given to an earlier row after later rows still land in their row;
// the row count is the row last given.
TEST_F(Region_Grid, ClickZoneSpansStayInTheirRowsInAnyOrder) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 2, 2, 100, 200);
  r.m_Add_Click_Zone_Span(2, 1, 2);
  r.m_Add_Click_Zone_Span(1, 5, 6);
  r.m_Add_Click_Zone_Span(3, 7, 8);
  r.m_Add_Click_Zone_Span(1, 9, 10);
  EXPECT_EQ(r.m_Get_Click_Zone_Row_Count(), 1);
  EXPECT_TRUE(r.m_Get_Click_Zone_Row(2).empty());
  r.m_Add_Click_Zone_Span(3, 11, 12);
  EXPECT_EQ(r.m_Get_Click_Zone_Row_Count(), 3);
  EXPECT_EQ(r.m_Get_Click_Zone_Span_Capacity(), 2);
  auto text = [&](std::int64_t row) {
    std::string t;
    for (const TClick_Zone_Span& s : r.m_Get_Click_Zone_Row(row)) t += std::to_string(s.x1) + "-" + std::to_string(s.x2) + " ";
    return t;
  };
  EXPECT_EQ(text(0), "");
  EXPECT_EQ(text(1), "5-6 9-10 ");
  EXPECT_EQ(text(2), "1-2 ");
  EXPECT_EQ(text(3), "7-8 11-12 ");
  EXPECT_EQ(text(4), "");
  EXPECT_TRUE(r.m_Point_In_Click_Zones(110, 201));
  EXPECT_TRUE(r.m_Point_In_Click_Zones(112, 203));
  EXPECT_FALSE(r.m_Point_In_Click_Zones(103, 201));
}

// ---------------------------------------------------------------------------
// Stacks

TEST_F(Region_Stacks, UnitsOfOneTypeAndOwnerShareOneStack) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 4, 4);
  std::int32_t a = Place(1, UT_TANK, 1);
  std::int32_t shown = Shown_Square(r, UT_TANK, 1);
  ASSERT_NE(shown, 0);
  EXPECT_EQ(Count_State(r, SQUARE_STACK), 4);
  std::int32_t b = Place(1, UT_TANK, 1);
  EXPECT_EQ(Square(r, shown).stack_count, 2);
  EXPECT_EQ(Count_State(r, SQUARE_STACK), 4);
  ASSERT_TRUE(r.m_Remove_Unit(a));
  EXPECT_EQ(Square(r, shown).stack_count, 1);
  ASSERT_TRUE(r.m_Remove_Unit(b));
  EXPECT_EQ(Count_State(r, SQUARE_STACK), 0);
  EXPECT_FALSE(r.m_Remove_Unit(b));
}

TEST_F(Region_Stacks, NewIdsJoinTheirStackInTheListNewestFirst) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 4, 4);
  std::int32_t a = Place(1, UT_INFANTRY, 1);
  std::int32_t t = Place(1, UT_TRUCK, 1);
  std::int32_t b = Place(1, UT_INFANTRY, 1);
  std::int32_t c = Place(1, UT_INFANTRY, 2);
  std::vector<std::int32_t> ids;
  for (std::int32_t i = 1; i <= r.m_Get_Unit_Count(); ++i) ids.push_back(r.m_Get_Unit_Id(i));
  EXPECT_EQ(ids, (std::vector<std::int32_t>{b, a, t, c}));
  EXPECT_EQ(r.m_List_Units_Of_Type(UT_INFANTRY, 1), (std::vector<std::int32_t>{b, a}));
  EXPECT_EQ(r.m_Get_Unit_Id(0), 0);
  EXPECT_EQ(r.m_Get_Unit_Id(5), 0);
}

TEST_F(Region_Stacks, ANewStackTakesTheFirstFreeCellOfTheSmallestWindowAroundTheLabel) {
  // 5 x 5 grid, label cell (2, 2).
  struct Row {
    const char* what;
    std::vector<std::pair<int, int>> free_cells;
    std::pair<int, int> expected;
  } rows[] = {
      {"label cell free", {{2, 2}, {0, 0}}, {2, 2}},
      {"top row of the window first", {{3, 3}, {1, 1}, {3, 1}}, {1, 1}},
      {"left before right in a row", {{3, 2}, {1, 2}}, {1, 2}},
      {"only the window of radius 2", {{4, 4}, {0, 4}}, {0, 4}},
      {"inner window before outer", {{0, 0}, {3, 3}}, {3, 3}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    map.m_Clear();
    TMap_Region& r = Add_Region(1, REGION_LAND, 5, 5);
    ASSERT_EQ(r.m_Get_Label_Values().label_column, 2);
    std::vector<std::int32_t> keep;
    for (auto [c, rr] : row.free_cells) keep.push_back(r.m_Get_Grid_Cell(c, rr));
    Fill_Except(r, keep);
    EXPECT_EQ(r.m_Find_Free_Block(1, 1), r.m_Get_Grid_Cell(row.expected.first, row.expected.second));
  }
}

TEST_F(Region_Stacks, ABlockNeedsAllItsCellsFreeToTheRightAndBelow) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 4, 3);
  // Label (1, 1): a 3 x 1 block fits from (1, 1) only while (2, 1) and (3, 1) are free.
  EXPECT_EQ(r.m_Find_Free_Block(3, 1), r.m_Get_Grid_Cell(1, 1));
  r.m_Occupy_Block(r.m_Get_Grid_Cell(3, 1), 1, 1, 2, UT_INFANTRY, 1);
  EXPECT_EQ(r.m_Find_Free_Block(3, 1), r.m_Get_Grid_Cell(0, 0));
  EXPECT_EQ(r.m_Find_Free_Block(4, 1), r.m_Get_Grid_Cell(0, 0));
  EXPECT_EQ(r.m_Find_Free_Block(5, 1), 0);
}

TEST_F(Region_Stacks, SubdivisionSplitsEverySquareInQuartersInOrder) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 2, 1, 64, 32);
  const std::int32_t label = r.m_Label_Square();
  ASSERT_TRUE(r.m_Subdivide_Squares());
  EXPECT_EQ(r.m_Get_Subdivisions(), 1);
  EXPECT_TRUE(r.m_Get_Rebuilt());
  ASSERT_EQ(r.m_Get_Square_Count(), 8);
  const TRegion_Rect expected[] = {{64, 32, 80, 48},  {80, 32, 96, 48},  {64, 48, 80, 64},  {80, 48, 96, 64},
                                   {96, 32, 112, 48}, {112, 32, 128, 48}, {96, 48, 112, 64}, {112, 48, 128, 64}};
  for (int i = 0; i < 8; ++i) {
    TMap_Region_Square s = Square(r, i + 1);
    EXPECT_EQ((TRegion_Rect{s.left, s.top, s.right, s.bottom}), expected[i]) << i + 1;
  }
  EXPECT_EQ(r.m_Get_Grid_Columns(), 4);
  EXPECT_EQ(r.m_Get_Grid_Rows(), 2);
  const std::int32_t cells[4][2] = {{1, 3}, {2, 4}, {5, 7}, {6, 8}};
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 2; ++row) EXPECT_EQ(r.m_Get_Grid_Cell(c, row), cells[c][row]);
  // The label moved to the first quarter of its square.
  EXPECT_EQ(r.m_Label_Square(), (label - 1) * 4 + 1);
  const TRegion_Label_Values& v = r.m_Get_Label_Values();
  EXPECT_EQ(r.m_Get_Grid_Cell(v.label_column, v.label_row), r.m_Label_Square());
  EXPECT_EQ(v.label_x, Square(r, r.m_Label_Square()).left + 8);
}

TEST_F(Region_Stacks, AStackWithoutAFreeBlockSplitsTheSquaresAndStacksKeepTheirCounts) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 3, 1);
  Place(1, UT_INFANTRY, 1);
  Place(1, UT_INFANTRY, 1);
  Place(1, UT_TRUCK, 1);
  std::int32_t tank = Place(1, UT_TANK, 1);
  EXPECT_EQ(r.m_Get_Subdivisions(), 1);
  EXPECT_TRUE(r.m_Get_Rebuilt());
  EXPECT_EQ(r.m_Get_Grid_Columns(), 6);
  EXPECT_EQ(r.m_Get_Grid_Rows(), 2);
  EXPECT_EQ(Square(r, Shown_Square(r, UT_INFANTRY, 1)).stack_count, 2);
  EXPECT_EQ(Square(r, Shown_Square(r, UT_TRUCK, 1)).stack_count, 1);
  EXPECT_EQ(Square(r, Shown_Square(r, UT_TANK, 1)).stack_count, 1);
  EXPECT_EQ(Count_State(r, SQUARE_STACK), 1 + 1 + 4);
  EXPECT_TRUE(r.m_Has_Unit_Id(tank));
}

TEST_F(Region_Stacks, SubdivisionStopsBeforeASquareWouldBeSmallerThanAPixel) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 1, 1);
  // 32 -> 16 -> 8 -> 4 -> 2 -> 1 pixels: five splits, then no more.
  for (int i = 1; i <= 5; ++i) EXPECT_TRUE(r.m_Subdivide_Squares()) << i;
  EXPECT_FALSE(r.m_Subdivide_Squares());
  EXPECT_EQ(r.m_Get_Subdivisions(), 5);
  EXPECT_EQ(r.m_Get_Square_Count(), 1024);
  EXPECT_EQ(r.m_Get_Grid_Columns(), 32);
  // A block wider than the region is refused again and again without the
  // counter running over.
  Type(UT_FLAT).f_square_size_width = 200;
  for (int i = 0; i < 300; ++i) {
    std::int32_t id = map.m_Add_Unit(1, UT_FLAT, 1, 0, 0);
    EXPECT_FALSE(r.m_Add_Unit(id));
    map.m_Delete_Unit(id);
  }
  EXPECT_EQ(r.m_Get_Subdivisions(), 5);
  EXPECT_EQ(r.m_Get_Unit_Count(), 0);
}

namespace {
std::string Tagged_Integers(std::initializer_list<std::int32_t> values) {
  TIo_Writer w;
  for (std::int32_t v : values) Io_Write_Integer(w, v);
  return w.m_Bytes();
}
}  // namespace

TEST_F(Region_Stacks, SquaresOfASavedMapFarOutsideAnyMapAreNotSplitAndTheirSizesDoNotOverflow) {
  // A one-square region whose square a saved map moves to the edge of the
  // 32-bit range.
  Add_Region(1, REGION_LAND, 1, 1, 96, 64).m_Set_Bounds(0, 0, 400, 300);
  TIo_Writer saved;
  ASSERT_TRUE(map.Save(saved, false, Map_File_Version));
  std::string bytes = saved.m_Bytes();
  const std::string square = Tagged_Integers({96, 64, 128, 96});
  const std::size_t at = bytes.find(square);
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(bytes.find(square, at + 1), std::string::npos);
  bytes.replace(at, square.size(), Tagged_Integers({96, 2147483600, 128, 2147483640}));
  TIo_Reader reader = TIo_Reader::From_Bytes(bytes);
  ASSERT_TRUE(map.m_Load(reader, false, Map_File_Version));
  TMap_Region& r = *map.m_Get_Region(1);
  TMap_Region_Square s;
  r.m_Get_Square(1, s);
  ASSERT_EQ(s.bottom, 2147483640);

  // A 2 x 2 stack finds no block and the square is not split.
  const std::int32_t tank = map.m_Add_Unit(1, UT_TANK, 1, 0, 0);
  EXPECT_FALSE(r.m_Add_Unit(tank));
  EXPECT_EQ(r.m_Get_Subdivisions(), 0);
  EXPECT_EQ(r.m_Get_Square_Count(), 1);
  // Its drawing position would lie beyond the 32-bit range: an error, not a wrap.
  std::int32_t height = 0, width = 0, y = 0, x = 0;
  EXPECT_THROW(r.m_Get_Stack_Position(UT_TANK, 1, height, width, y, x), EIntOverflow);
  // A 1 x 1 stack still stands on the square, and a point finds it.
  const std::int32_t inf = Place(1, UT_INFANTRY, 1);
  std::int32_t found = 0;
  bool in_square = false;
  EXPECT_TRUE(r.m_Get_Stack_Unit_At(2147483640, found, in_square, 100.0f, 20.0f));
  EXPECT_EQ(found, inf);
}

TEST_F(Region_Stacks, ASquareSizeOfNoneCountsAsOne) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 2, 1);
  std::int32_t city = Place(1, UT_CITY, 1);
  EXPECT_EQ(Count_State(r, SQUARE_STACK), 1);
  std::int32_t h, w, x, y;
  TColor c;
  empires.m_Create_Empires(1);
  empires.m_Get_Empire(1)->m_Set_Second_Color(0xFF112233);
  map.m_Set_Pixel_Size(64, 100);
  ASSERT_TRUE(r.m_Get_Stack_Draw_Rect(UT_CITY, 1, c, h, w, y, x));
  EXPECT_EQ(w, 32);
  EXPECT_EQ(h, 32);
  EXPECT_EQ(c, 0xFF112233u);
  TMap_Region_Square s = Square(r, Shown_Square(r, UT_CITY, 1));
  EXPECT_EQ(x, s.left);
  EXPECT_EQ(y, 100 - (s.top + 32));
  (void)city;
}

TEST_F(Region_Stacks, StackGeometryAndPicking) {
  map.m_Set_Pixel_Size(400, 300);
  TMap_Region& r = Add_Region(1, REGION_LAND, 4, 4, 32, 32);
  r.m_Set_Visible(true);
  std::int32_t tank = Place(1, UT_TANK, 2);
  std::int32_t h, w, x, y;
  TColor colour = 5;
  ASSERT_TRUE(r.m_Get_Stack_Draw_Rect(UT_TANK, 2, colour, h, w, y, x));
  EXPECT_EQ(colour, 0u);  // no such empire
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 64);
  TMap_Region_Square s = Square(r, Shown_Square(r, UT_TANK, 2));
  EXPECT_EQ(x, s.left);
  EXPECT_EQ(y, 300 - (s.top + 64));
  EXPECT_FALSE(r.m_Get_Stack_Draw_Rect(UT_TANK, 3, colour, h, w, y, x));
  EXPECT_FALSE(r.m_Get_Stack_Draw_Rect(99, 2, colour, h, w, y, x));

  // Where a stack would go: its own square, else a free block.
  std::int32_t px, py;
  ASSERT_TRUE(r.m_Get_Stack_Position(UT_TANK, 2, h, w, py, px));
  EXPECT_EQ(px, s.left);
  ASSERT_TRUE(r.m_Get_Stack_Position(UT_INFANTRY, 1, h, w, py, px));
  EXPECT_EQ(px, Square(r, r.m_Find_Free_Block(1, 1)).left);
  EXPECT_EQ(w, 32);

  std::int32_t picked = 0;
  EXPECT_TRUE(map.m_Get_Unit_At_Point(float(s.left + 3), float(300 - s.top - 3), picked));
  EXPECT_EQ(picked, tank);
  picked = 0;
  std::int32_t free_square = r.m_Find_Free_Block(1, 1);
  TMap_Region_Square f = Square(r, free_square);
  EXPECT_FALSE(map.m_Get_Unit_At_Point(float(f.left + 3), float(300 - f.top - 3), picked));
  EXPECT_EQ(picked, 0);
  r.m_Set_Visible(false);
  EXPECT_FALSE(map.m_Get_Unit_At_Point(float(s.left + 3), float(300 - s.top - 3), picked));
}

TEST_F(Region_Stacks, ResetFreesStacksButKeepsLabelSquares) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 3, 3, 0, 0, 1);
  std::int32_t x, y;
  r.m_Reserve_Label_Squares(10, 10, x, y, 500, 500);
  Place(1, UT_INFANTRY, 1);
  r.m_Reset();
  EXPECT_EQ(r.m_Get_Owner(), 0);
  EXPECT_EQ(r.m_Get_Unit_Count(), 0);
  EXPECT_EQ(Count_State(r, SQUARE_STACK), 0);
  EXPECT_EQ(Count_State(r, SQUARE_LABEL), 1);
}

// ---------------------------------------------------------------------------
// Unit questions

TEST_F(Region_Questions, OwnersCombatUnitsAndFamilies) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 4, 4, 0, 0, 1);
  Add_Region(2, REGION_LAND, 2, 2, 128, 0, 1);
  Connect(1, 2);
  std::uint8_t first, second;
  r.m_Get_Unit_Owners(first, second);
  EXPECT_EQ(first, 0);
  EXPECT_FALSE(r.m_Has_Combat_Units());
  Place(1, UT_TRUCK, 0);
  Place(1, UT_TRUCK, 2);
  EXPECT_EQ(r.m_Get_Foreign_Unit_Owner(), 2);
  EXPECT_FALSE(r.m_Has_Combat_Units());
  Place(1, UT_INFANTRY, 1);
  EXPECT_TRUE(r.m_Has_Combat_Units());
  EXPECT_FALSE(r.m_Has_Opposing_Combat_Units());
  EXPECT_TRUE(r.m_Has_Foreign_Combat_Units(2));
  EXPECT_FALSE(r.m_Has_Foreign_Combat_Units(1));
  Place(1, UT_PLANE, 3);
  EXPECT_TRUE(r.m_Has_Opposing_Combat_Units());
  r.m_Get_Unit_Owners(first, second);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 1);
  std::int32_t counts[6];
  r.m_Count_Units_By_Movement_Type(counts);
  EXPECT_EQ(counts[1], 1);
  EXPECT_EQ(counts[2], 2);
  Place(2, UT_CITY, 1);
  EXPECT_TRUE(r.m_Has_Unit_Family(1, 1, false));
  EXPECT_FALSE(r.m_Has_Unit_Family(1, 3, false));
  EXPECT_TRUE(r.m_Has_Unit_Family(1, 3, true));
  EXPECT_EQ(r.m_Count_Units_Of_Family(2, 2), 1);
  EXPECT_EQ(r.m_Count_Units_Of_Type(0, UT_TRUCK), 1);
}

TEST_F(Region_Questions, MoneyAndCostModifiersComeFromSpecialAbilities) {
  Type(UT_CITY).f_special_abilities = {{1, "", 25}, {2, "", 10}, {1, "", 5}};
  Type(UT_TRUCK).f_special_abilities = {{2, "", 30}};
  TMap_Region& r = Add_Region(1, REGION_LAND, 4, 4, 0, 0, 1);
  Add_Region(2, REGION_LAND, 4, 4, 128, 0, 1);
  Add_Region(3, REGION_LAND, 4, 4, 256, 0, 2);
  Connect(1, 2);
  Connect(1, 3);
  Place(1, UT_CITY, 1);
  Place(1, UT_CITY, 1);
  Place(1, UT_CITY, 2);
  Place(2, UT_TRUCK, 1);
  Place(3, UT_TRUCK, 1);
  EXPECT_EQ(r.m_Get_Territory_Money_Modifier(), 60);
  EXPECT_EQ(r.m_Get_Unit_Cost_Modifier(1), 10);
  EXPECT_EQ(r.m_Get_Unit_Cost_Modifier(3), 0);
  EXPECT_EQ(r.m_Get_Near_Unit_Cost_Modifier(1), 30);
  EXPECT_EQ(r.m_Get_Near_Unit_Cost_Modifier(2), 0);
}

TEST_F(Region_Questions, ConnectionsAreListedOnce) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 1, 1);
  r.m_Add_Connection(4);
  r.m_Add_Connection(2);
  r.m_Add_Connection(4);
  EXPECT_EQ(r.m_Get_Connection_Count(), 2);
  EXPECT_EQ(r.m_Get_Connection(1), 4);
  EXPECT_EQ(r.m_Get_Connection(2), 2);
  EXPECT_EQ(r.m_Get_Connection(3), 0);
  EXPECT_TRUE(r.m_Is_Connected_To(2));
  EXPECT_FALSE(r.m_Is_Connected_To(3));
  EXPECT_FALSE(map.m_Owns_Region_Or_Neighbour(1, 1));
  Add_Region(2, REGION_LAND, 1, 1, 32, 0, 1);
  EXPECT_TRUE(map.m_Owns_Region_Or_Neighbour(1, 1));
  EXPECT_FALSE(map.m_Owns_Region_Or_Neighbour(9, 1));
}

TEST_F(Region_Stacks, AUnitAdmittedWithoutRoomIsListedAndItsStackGetsTheFirstSquareThatComesFree) {
  TMap_Region& r = Add_Region(1, REGION_LAND, 1, 1);
  while (r.m_Subdivide_Squares()) {
  }
  const std::int32_t leaving = Place(1, UT_INFANTRY, 2);
  Fill_Except(r, {});
  const std::int32_t first = map.m_Add_Unit(1, UT_TRUCK, 1, 0, 0);
  const std::int32_t second = map.m_Add_Unit(1, UT_TRUCK, 1, 0, 0);
  // Placing alone still refuses; admitting lists the unit all the same.
  EXPECT_FALSE(r.m_Add_Unit(first));
  EXPECT_FALSE(r.m_Has_Unit_Id(first));
  EXPECT_FALSE(r.m_Admit_Unit(first));
  EXPECT_FALSE(r.m_Admit_Unit(second));
  EXPECT_TRUE(r.m_Has_Unit_Id(first));
  EXPECT_TRUE(r.m_Has_Unit_Id(second));
  EXPECT_EQ(r.m_Count_Units_Of_Type(1, UT_TRUCK), 2);
  EXPECT_EQ(Shown_Square(r, UT_TRUCK, 1), 0);
  EXPECT_TRUE(r.m_Has_Unplaced_Units());
  // The stack without a square is named with its count; it is drawn where
  // a stack of its kind goes, the label square when no block is free.
  const std::vector<TMap_Region::TUnplaced_Stack> unplaced = r.m_Unplaced_Stacks();
  ASSERT_EQ(unplaced.size(), 1u);
  EXPECT_EQ(unplaced[0].unit_type, UT_TRUCK);
  EXPECT_EQ(unplaced[0].owner, 1);
  EXPECT_EQ(unplaced[0].count, 2);
  std::int32_t h = 0, w = 0, y = 0, x = 0;
  ASSERT_TRUE(r.m_Get_Stack_Position(UT_TRUCK, 1, h, w, y, x));
  EXPECT_GT(w, 0);
  EXPECT_GT(h, 0);
  // Admitting a listed unit again changes nothing.
  EXPECT_FALSE(r.m_Admit_Unit(first));
  EXPECT_EQ(r.m_Get_Unit_Count(), 3);

  // The infantry leaves: both trucks share the square it left.
  ASSERT_TRUE(r.m_Remove_Unit(leaving));
  const std::int32_t trucks = Shown_Square(r, UT_TRUCK, 1);
  ASSERT_NE(trucks, 0);
  EXPECT_EQ(Square(r, trucks).stack_count, 2);
  EXPECT_FALSE(r.m_Has_Unplaced_Units());
  EXPECT_TRUE(r.m_Unplaced_Stacks().empty());
  ASSERT_TRUE(r.m_Remove_Unit(first));
  EXPECT_EQ(Square(r, trucks).stack_count, 1);
  ASSERT_TRUE(r.m_Remove_Unit(second));
  EXPECT_EQ(Shown_Square(r, UT_TRUCK, 1), 0);
  EXPECT_EQ(r.m_Get_Unit_Count(), 0);
}
