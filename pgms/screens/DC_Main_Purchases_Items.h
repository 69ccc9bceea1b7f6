// The right half of the purchases screen ("DC Main Purchases Items"): what
// the empire whose turn it is may buy (unit types by kind, or the cost
// entries of the technology areas), the amount, the price of the choice and
// the button that appends it to the empire's purchase queue. While a unit
// type is chosen the regions where it may be placed are highlighted on the
// map; the region clicked among them is where the units go.
//
// Prices are reckoned in 64 bits: a purchase, or a queue, whose cost passes
// what a treasury can hold is refused with a message instead of wrapping.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DC_Base_ComboBox.h"
#include "DC_Base_DisplayClass.h"
#include "DC_Base_EditText.h"
#include "DC_Base_List.h"
#include "DC_Base_TextButton.h"
#include "Info_Box_Kind.h"
#include "ListWindowFuncs.h"

class TDC_Main;
class TEmpire;

// --- the rules of a purchase, apart from the panel ---

// One band of a panel background: `height` rows of the picture from
// `source_top` drawn at `dest_top` (relative to the panel's top).
struct TPanel_Band {
  std::int32_t source_top = 0, height = 0, dest_top = 0;
  bool operator==(const TPanel_Band&) const = default;
};
// The bands that fill a panel of the given height from a picture of
// `image_height` rows whose rows [top, bottom_from) may repeat: up to the
// picture's height the whole picture; beyond it the top rows, the middle
// band repeated down to where the bottom rows begin (the last repetition
// moved up to end exactly there) and the bottom rows at the bottom.
std::vector<TPanel_Band> Panel_Background_Bands(std::int32_t panel_height, std::int32_t image_height,
                                                std::int32_t top, std::int32_t bottom_from);
// Draws those bands of a texture at (x, y), `width` wide.
void Panel_Draw_Background(std::int32_t texture, std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height, std::int32_t top, std::int32_t bottom_from);
// The height of the purchase panels: 482, and the screen's extra height
// beyond 768.
std::int32_t Purchases_Panel_Height(std::int32_t screen_height);

// What a treasury can hold.
constexpr std::int64_t PURCHASE_MONEY_LIMIT = 2147483647;
// The most units one purchase can hold.
constexpr std::int32_t PURCHASE_MAX_AMOUNT = 60000;

// The price of `amount` units of cost `unit_cost` with a cost modifier in
// percent: trunc(cost x amount x (100 - modifier) / 100), in 64 bits.
std::int64_t Purchase_Unit_Price(std::int32_t unit_cost, std::int64_t amount, std::int32_t modifier);
// Whether a region still takes `amount` units of a type with "Maximum Per
// Region" `maximum` (0 or less: no limit) when `queued` are queued there and
// `present` stand there.
bool Purchase_Within_Region_Limit(std::int32_t maximum, std::int64_t queued, std::int64_t present,
                                  std::int64_t amount);
// The sum of the queue's costs, in 64 bits.
std::int64_t Purchase_Queue_Total(const TEmpire& empire);
// The number of units of a type queued for a region (the amounts of every
// matching entry).
std::int64_t Purchase_Queued_Units_At(const TEmpire& empire, std::int32_t region, std::int64_t unit_type);
// "$" and the money text of an amount; beyond a treasury's range the amount
// is shown the same way in trillions.
std::string Purchase_Money_Text(std::int64_t amount);
// Amount after an arrow press: the step is 10 with Shift, 100 with Ctrl, else
// 1; the result stays within 1..60000.
std::int32_t Purchase_Step_Amount(std::int32_t amount, bool up, bool shift, bool ctrl);
// The amount typed in the edit box (0 when empty or not a number), at most 60000.
std::int32_t Purchase_Amount_Of_Text(const std::string& text);

// What the panel lists: unit types to buy, or technology levels to research.
enum class TPurchase_Items_Mode : std::uint8_t { Units = 1, Technology = 2 };

// Why a purchase was not added.
enum class TPurchase_Refusal : std::uint8_t { none, invalid, no_region, over_limit, over_money };
// The texts of the refusals that are shown ("" for the others).
std::string Purchase_Refusal_Text(TPurchase_Refusal refusal);

// Builds a purchase of the current choice for an empire and checks it as the
// Add button does; on success `entry` is ready for the queue.
struct TPurchase_Choice {
  std::uint8_t kind = 0;     // 1 units, 2 technology
  std::int32_t id = 0;       // unit type or area
  std::int32_t amount = 0;   // units
  std::int32_t region = 0;   // the purchase target region (units)
  std::int32_t cost_entry = 0;  // technology
};
struct TEmpire_Purchase;
TPurchase_Refusal Purchase_Check(const TEmpire& empire, const TPurchase_Choice& choice, TEmpire_Purchase& entry);

class TDC_Main_Purchases_Items : public TDisplay_Class {
public:
  explicit TDC_Main_Purchases_Items(TDC_Main& screen);
  ~TDC_Main_Purchases_Items() override;

  std::int32_t m_Get_Width() override { return 280; }
  std::int32_t m_Get_Height() override;
  bool m_Reload_Images() override;
  void m_On_Child_Killed(const std::string&) override {}
  bool m_On_Mouse_Wheel(TShift_State, std::int16_t, std::int32_t, std::int32_t) override { return false; }
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_Draw_After_Children(double elapsed) override;
  void m_On_Reposition() override;

  bool m_Show_Item_Info();
  void m_Click_Add();
  void m_Button_Click(const std::string& name, TShift_State shift);
  // Chooses the page of the combo box (1 all units .. 4 sea, 5 technology).
  void m_Choose_Type(std::int32_t value);
  void m_Set_Amount_Text(const std::string& text);

  TPurchase_Items_Mode m_Mode() const { return f_mode; }
  std::int64_t m_Cost() const { return f_cost; }
  std::int32_t m_Row_Count() const { return f_row_count; }
  // The unit type or area of list row n (display order) and its cost entry.
  std::int32_t m_Row_Item(std::int32_t row) const;
  std::int32_t m_Row_Cost_Entry(std::int32_t row) const;
  TDC_List& m_List() { return f_list; }
  TDC_EditText& m_Amount_Box() { return f_amount; }
  TDC_Text_Button& m_Add_Button() { return f_add; }
  TDC_Button& m_Left_Arrow() { return f_left; }
  TDC_Button& m_Right_Arrow() { return f_right; }
  TDC_Combobox& m_Type_Box() { return f_type; }

private:
  void m_Build_Rows();
  void m_Refresh_Highlights();
  void m_Refresh_Buttons();
  void m_Recompute_Cost();
  std::int32_t m_Current_Grid_Row() const;
  void m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top);

  TDC_Main& f_screen;
  std::int32_t f_background = 0;
  TDC_Text_Button f_close, f_add;
  TDC_Button f_left, f_right;
  TDC_List f_list;
  TDC_Combobox f_type;
  TDC_EditText f_amount;
  TList_Window_Grid f_grid;
  TList_Window_Headers f_headers;
  TList_Window_Sort_Keys f_keys{};
  TList_Window_Row_Order f_order;
  std::int32_t f_row_count = 0, f_column_count = 2, f_header_count = 2, f_hovered_header = 0;
  TEmpire* f_empire = nullptr;
  std::int64_t f_cost = 0;
  TPurchase_Items_Mode f_mode = TPurchase_Items_Mode::Units;
  std::uint8_t f_filter = 1;  // 1 all, 2 air, 3 land, 4 sea
  TInfo_Box_Kind f_info_kind = TInfo_Box_Kind::None;
  std::int32_t f_info_subject = 0;
};

// Makes the main screen open the purchase panels, the statistics, log,
// politics and battle dialogs by name.
void Panels_Register_Dialogs();
