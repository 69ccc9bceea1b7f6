// The log dialog ("Dlg Log"): what happened in the game as far as the
// current player may know it. The upper half sums up the previous game date
// per nation (battles won and lost, movements, money collected, purchases)
// beside the overview map; the lower half is a sortable grid of every event
// the player may see, each battle followed by its report: the forces each
// side brought, what was destroyed, what was captured and who won.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "DC_Base_DisplayClass.h"
#include "DC_Base_List.h"
#include "DC_Base_TextButton.h"
#include "ListWindowFuncs.h"

class TEvent_Log;
class TEvent_Log_Item;

// The report lines of a battle, in order ("Starting Forces", the forces of
// each side, "Destroyed Forces", ..., the winner's line).
std::vector<std::string> Log_Combat_Report_Lines(const TEvent_Log_Item& item);

// The summary of the date before `game_date`: per player 1..9 the battles
// won, the battles lost, the movements, the money collected and the
// purchases and research attempts, counted over the events the viewer may see.
using TLog_Summary = std::array<std::array<std::int64_t, 5>, 9>;
TLog_Summary Log_Summary(const TEvent_Log& log, std::int32_t game_date, std::uint8_t viewer);

// The grid of the log for a viewer: one row per visible event, the report
// rows of each battle after it; `order` is the display order (grid row by
// list row, entry 0 unused), sorted newest date first, then nation, then
// type, with each battle's report kept under its battle.
struct TLog_Grid {
  TList_Window_Grid grid;
  std::int32_t row_count = 0;
  TList_Window_Row_Order order;
  TList_Window_Sort_Keys keys{};
};
void Log_Build_Grid(const TEvent_Log& log, std::uint8_t viewer, TLog_Grid& out);
// The texts of a display row's five columns as drawn: what repeats the row
// above is left out (used by the drawing and the tests).
std::array<std::string, 5> Log_Row_Texts(const TLog_Grid& g, std::int32_t display_row);

// The name in the dialog's title bar.
inline constexpr const char* Log_Dialog_Title = "Log";

class TDC_Dlg_Log : public TDisplay_Class {
public:
  TDC_Dlg_Log();
  ~TDC_Dlg_Log() override;

  std::int32_t m_Get_Width() override { return 1024; }
  std::int32_t m_Get_Height() override { return 768; }
  bool m_Reload_Images() override;
  void m_On_Child_Killed(const std::string& name) override { TDisplay_Class::m_On_Child_Killed(name); }
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;

  const TLog_Grid& m_Grid() const { return f_grid; }
  const TLog_Summary& m_Summary() const { return f_summary; }
  TDC_List& m_List() { return f_list; }

private:
  void m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top);

  std::int32_t f_background = 0;
  TDC_Text_Button f_close;
  TDC_List f_list;
  TLog_Grid f_grid;
  TList_Window_Headers f_headers;
  std::int32_t f_hovered_header = 0;
  TLog_Summary f_summary{};
  std::uint8_t f_player = 0;
};
