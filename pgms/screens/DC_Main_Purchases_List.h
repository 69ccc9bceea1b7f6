// The left half of the purchases screen ("DC Main Purchases List"): the
// purchase queue of the empire whose turn it is, with the total money cost
// and the total supply cost, and the button that deletes the chosen entry.
// The queue belongs to the empire; the units and research are delivered at
// the end of the turn. Totals are kept in 64 bits.
#pragma once

#include <cstdint>
#include <string>

#include "DC_Base_DisplayClass.h"
#include "DC_Base_List.h"
#include "DC_Base_TextButton.h"
#include "Info_Box_Kind.h"
#include "ListWindowFuncs.h"

class TDC_Main;
class TEmpire;

// The name in the purchases list's title bar.
inline constexpr const char* Purchases_List_Title = "Purchases";

// The names of the two totals under the queue, first the money the orders
// cost, then what the ordered units add to the supply cost of every turn.
inline constexpr const char* Purchases_List_Total_Labels[2] = {"Total Cost", "Supply Cost"};
// The totals' values start this far from the panel's left edge; their names
// end a gap before it.
inline constexpr std::int32_t Purchases_List_Total_X = 206;

class TDC_Main_Purchases_List : public TDisplay_Class {
public:
  explicit TDC_Main_Purchases_List(TDC_Main& screen);
  ~TDC_Main_Purchases_List() override;

  std::int32_t m_Get_Width() override { return 280; }
  std::int32_t m_Get_Height() override;
  bool m_Reload_Images() override;
  void m_On_Child_Killed(const std::string&) override {}
  bool m_On_Mouse_Wheel(TShift_State, std::int16_t, std::int32_t, std::int32_t) override { return false; }
  void m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) override {}
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t&, TShift_State) override { return false; }
  void m_Draw(double elapsed) override;
  void m_Draw_After_Children(double elapsed) override;
  void m_On_Reposition() override;
  void m_On_Timer(float elapsed) override;

  void m_Rebuild();
  bool m_Show_Item_Info();
  // Deletes the list's current row from the queue.
  void m_Delete_Current();

  std::int64_t m_Total_Cost() const { return f_total_cost; }
  double m_Total_Supply() const { return f_total_supply; }
  const TList_Window_Grid& m_Grid() const { return f_grid; }
  TDC_List& m_List() { return f_list; }
  TDC_Text_Button& m_Delete_Button() { return f_delete; }

private:
  void m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top);

  TDC_Main& f_screen;
  std::int32_t f_background = 0;
  TDC_Text_Button f_delete;
  TDC_List f_list;
  TList_Window_Grid f_grid;
  std::int32_t f_row_count = 0;
  TEmpire* f_empire = nullptr;
  std::int64_t f_total_cost = 0;
  double f_total_supply = 0;
  TInfo_Box_Kind f_info_kind = TInfo_Box_Kind::None;
};
