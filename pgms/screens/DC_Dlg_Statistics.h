// The statistics dialog ("Dlg Statistics"): the report of the player at
// this machine. The upper half shows the player's nation and nine empire
// statistics (current, lowest and highest so far) beside the overview map;
// the lower half is a sortable grid with one of four pages: regions, unit
// types, nations and technology.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "DC_Base_ComboBox.h"
#include "DC_Base_DisplayClass.h"
#include "DC_Base_List.h"
#include "DC_Base_TextButton.h"
#include "Empire.h"
#include "ListWindowFuncs.h"

// The unit-type page's counter columns, each naming the counter it shows.
struct TStatistics_Counter_Column {
  const char* header;
  std::int32_t TEmpire_Unit_Type_Counters::*counter;
  std::int32_t x;
};
extern const std::array<TStatistics_Counter_Column, 5> Statistics_Counter_Columns;

// One page of the grid.
struct TStatistics_Page {
  std::int32_t page = 0;
  TList_Window_Grid grid;
  std::int32_t row_count = 0, column_count = 0;
  TList_Window_Headers headers;
  std::int32_t header_count = 0;
  TList_Window_Row_Order order;
  TList_Window_Sort_Keys keys{};
};
// Builds page 1..4 for the viewer's empire and sorts it. A page other than
// the one shown starts from its own keys; the same page again keeps the
// keys chosen by header clicks behind the page's own.
void Statistics_Build_Page(TStatistics_Page& p, std::int32_t page, std::uint8_t viewer);
// Sorts again after a header click changed the keys.
void Statistics_Sort(TStatistics_Page& p);
// The texts of the nine statistics (three records of nine values) of an empire.
std::array<std::array<std::string, 9>, 3> Statistics_Texts(std::uint8_t empire);

// The headings over the three columns of the nine statistics, in column order:
// the value now, the lowest and the highest so far.
inline constexpr std::array<const char*, 3> Statistics_Record_Headings = {"Now", "Lowest", "Highest"};
// Where those columns start, from the dialog's left edge, and the heading's
// top (one line above the first value).
inline constexpr std::array<std::int32_t, 3> Statistics_Record_Column_X = {205, 278, 346};
inline constexpr std::int32_t Statistics_Record_Heading_Y = 40;

// The name in the dialog's title bar.
inline constexpr const char* Statistics_Dialog_Title = "Statistics";

class TDC_Dlg_Statistics : public TDisplay_Class {
public:
  TDC_Dlg_Statistics();
  ~TDC_Dlg_Statistics() override;

  std::int32_t m_Get_Width() override { return 1024; }
  std::int32_t m_Get_Height() override { return 768; }
  bool m_Reload_Images() override;
  void m_On_Child_Killed(const std::string& name) override { TDisplay_Class::m_On_Child_Killed(name); }
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  void m_Build_Page(std::int32_t page);
  const TStatistics_Page& m_Page() const { return f_page; }
  TDC_Combobox& m_Page_Chooser() { return f_chooser; }
  TDC_List& m_List() { return f_list; }

private:
  void m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top);

  std::int32_t f_background = 0;
  TDC_Text_Button f_close;
  TDC_List f_list;
  TDC_Combobox f_chooser;
  TStatistics_Page f_page;
  std::array<std::array<std::string, 9>, 3> f_texts;
  std::uint8_t f_player = 0;
  std::int32_t f_hovered_header = 0;
};
