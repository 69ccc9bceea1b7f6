#include "DC_Main_Purchases_Items.h"

#include <algorithm>
#include <cmath>

#include "DC_Dlg_List.h"
#include "DC_Main.h"
#include "Datafile_UserSettings.h"
#include "Empire.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Global.h"
#include "Io.h"
#include "GraphicsEngine.h"
#include <limits>
#include "GraphicsEngine_Texture.h"
#include "MapClass.h"
#include "Path.h"
#include "World_Unit_Facts.h"

// --- the rules of a purchase ---------------------------------------------------------

std::vector<TPanel_Band> Panel_Background_Bands(std::int32_t panel_height, std::int32_t image_height,
                                                std::int32_t top, std::int32_t bottom_from) {
  std::vector<TPanel_Band> bands;
  if (panel_height <= image_height) {
    bands.push_back({0, image_height, 0});
    return bands;
  }
  const std::int32_t bottom = image_height - bottom_from;
  const std::int32_t middle = bottom_from - top;
  const std::int32_t fill_end = panel_height - bottom;
  bands.push_back({0, top, 0});
  if (middle > 0) {
    for (std::int32_t y = top; y < fill_end; y += middle) {
      // The last band moves up so that it ends where the bottom rows begin.
      const std::int32_t dest = std::min(y, fill_end - middle);
      bands.push_back({top, middle, dest});
    }
  }
  bands.push_back({bottom_from, bottom, fill_end});
  return bands;
}

void Panel_Draw_Background(std::int32_t texture, std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height, std::int32_t top, std::int32_t bottom_from) {
  if (!g_tg_texture_list || texture == 0) return;
  for (const TPanel_Band& b : Panel_Background_Bands(height, 482, top, bottom_from))
    g_tg_texture_list->m_Draw_Part({x, y + b.dest_top, x + width, y + b.dest_top + b.height}, texture,
                                   {0, b.source_top, width, b.source_top + b.height}, false);
}

std::int32_t Purchases_Panel_Height(std::int32_t screen_height) {
  return screen_height > 768 ? 482 + (screen_height - 768) : 482;
}

std::int64_t Purchase_Unit_Price(std::int32_t unit_cost, std::int64_t amount, std::int32_t modifier) {
  const std::int64_t cost = std::int64_t(unit_cost) * amount;
  if (modifier == 0) return cost;
  // Wide enough for a cost of 60000 units of the dearest type.
  return cost * (100 - std::int64_t(modifier)) / 100;
}

bool Purchase_Within_Region_Limit(std::int32_t maximum, std::int64_t queued, std::int64_t present,
                                  std::int64_t amount) {
  if (maximum <= 0) return true;
  return queued + present + amount <= maximum;
}

std::int64_t Purchase_Queue_Total(const TEmpire& empire) {
  std::int64_t total = 0;
  for (std::int32_t i = 1; i <= empire.m_Get_Purchase_Count(); ++i) {
    TEmpire_Purchase p;
    empire.m_Get_Purchase(i, p);
    total += p.cost;
  }
  return total;
}

std::int64_t Purchase_Queued_Units_At(const TEmpire& empire, std::int32_t region, std::int64_t unit_type) {
  std::int64_t n = 0;
  for (std::int32_t i = 1; i <= empire.m_Get_Purchase_Count(); ++i) {
    TEmpire_Purchase p;
    empire.m_Get_Purchase(i, p);
    if (p.kind == PURCHASE_UNIT && p.region == region && p.id == unit_type) n += p.amount;
  }
  return n;
}

std::string Purchase_Money_Text(std::int64_t amount) {
  if (amount >= std::numeric_limits<std::int32_t>::min() && amount <= PURCHASE_MONEY_LIMIT)
    return "$" + Format_Money(std::int32_t(amount));
  // Beyond what Format_Money takes: trillions with two decimals.
  const std::int64_t hundredths = amount / 10000;
  const std::int64_t whole = hundredths / 100, part = std::abs(hundredths % 100);
  return "$" + std::to_string(whole) + "." + (part < 10 ? "0" : "") + std::to_string(part) + "T";
}

std::int32_t Purchase_Step_Amount(std::int32_t amount, bool up, bool shift, bool ctrl) {
  const std::int32_t step = ctrl ? 100 : shift ? 10 : 1;
  const std::int64_t next = std::int64_t(amount) + (up ? step : -step);
  return std::int32_t(std::clamp<std::int64_t>(next, 1, PURCHASE_MAX_AMOUNT));
}

std::int32_t Purchase_Amount_Of_Text(const std::string& text) {
  std::int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = std::min<std::int64_t>(n * 10 + (c - '0'), PURCHASE_MAX_AMOUNT);
  }
  return std::int32_t(n);
}

std::string Purchase_Refusal_Text(TPurchase_Refusal refusal) {
  switch (refusal) {
    case TPurchase_Refusal::no_region: return "Please select one of the highlighted territories for this purchase.";
    case TPurchase_Refusal::over_limit: return "This purchase would exceed the maximum per region allowed by this unit.";
    case TPurchase_Refusal::over_money: return "This purchase would cost more than a treasury can hold.";
    default: return "";
  }
}

TPurchase_Refusal Purchase_Check(const TEmpire& empire, const TPurchase_Choice& choice, TEmpire_Purchase& entry) {
  entry = TEmpire_Purchase{};
  entry.kind = choice.kind;
  entry.id = choice.id;
  if (choice.kind == PURCHASE_UNIT) {
    const TUnit_Type* type = World_Unit_Type(choice.id);
    if (!type || choice.amount <= 0) return TPurchase_Refusal::invalid;
    if (choice.region == 0) return TPurchase_Refusal::no_region;
    const std::int32_t amount = std::min(choice.amount, PURCHASE_MAX_AMOUNT);
    const TMap_Region* region = G_Map ? G_Map->m_Get_Region(choice.region) : nullptr;
    std::int32_t modifier = 0;
    if (region) {
      const std::int64_t present = region->m_Count_Units_Of_Type(empire.m_Get_Number(), std::uint16_t(choice.id));
      if (!Purchase_Within_Region_Limit(type->f_maximum_per_region,
                                        Purchase_Queued_Units_At(empire, choice.region, choice.id), present, amount))
        return TPurchase_Refusal::over_limit;
      modifier = region->m_Get_Type() == REGION_OCEAN ? region->m_Get_Near_Unit_Cost_Modifier(empire.m_Get_Number())
                                                      : region->m_Get_Unit_Cost_Modifier(empire.m_Get_Number());
    }
    const std::int64_t price = Purchase_Unit_Price(type->f_cost, amount, modifier);
    if (price > PURCHASE_MONEY_LIMIT || price + Purchase_Queue_Total(empire) > PURCHASE_MONEY_LIMIT)
      return TPurchase_Refusal::over_money;
    entry.amount = std::uint16_t(amount);
    entry.region = choice.region;
    entry.cost = std::int32_t(price);
    return TPurchase_Refusal::none;
  }
  if (choice.kind == PURCHASE_RESEARCH) {
    const TTech_Area* area = World_Tech_Area(choice.id);
    if (!area || choice.cost_entry <= 0 || choice.cost_entry > area->m_Get_Cost_Count())
      return TPurchase_Refusal::invalid;
    const std::int64_t price = area->m_Get_Cost(choice.cost_entry);
    if (price + Purchase_Queue_Total(empire) > PURCHASE_MONEY_LIMIT) return TPurchase_Refusal::over_money;
    entry.amount = 1;
    entry.region = choice.cost_entry;
    entry.cost = std::int32_t(price);
    return TPurchase_Refusal::none;
  }
  return TPurchase_Refusal::invalid;
}

// --- the panel ---------------------------------------------------------------------------

namespace {
void Make_Text_Button(TDC_Text_Button& b, const std::string& caption, std::int32_t tag, std::int32_t help) {
  b.m_Set_Style(2, 90, 22, 0, tag);
  b.m_Set_Font(2);
  b.m_Set_Shadow();
  b.m_Set_Text(caption);
  b.m_Set_Help_Ref(1, 14, help, "", 0);
}

// The text cut with "…" to a pixel width in main font 2.
std::string Clip_To_Width(const std::string& text, std::int32_t width) {
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  return font.m_Fit(text, width);
}

bool Level_At_Maximum(const TEmpire* empire, const TTech_Area& area) {
  return empire && empire->m_Get_Tech_Level(area.f_index) >= area.f_maximum_level;
}
}  // namespace

TDC_Main_Purchases_Items::TDC_Main_Purchases_Items(TDC_Main& screen) : TDisplay_Class(DC_KIND_WINDOW), f_screen(screen) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  m_Reload_Images();
  Make_Text_Button(f_close, "Close", 1, 13);
  Make_Text_Button(f_add, "Add Item", 2, 12);
  f_left.m_Set_Style(1, 22, 22, 4, 3);
  f_left.m_Set_Help_Ref(1, 14, 8, "", 0);
  f_right.m_Set_Style(1, 22, 22, 11, 4);
  f_right.m_Set_Help_Ref(1, 14, 10, "", 0);
  f_close.m_Set_Position("PURCHASES_CONTROL_BUTTON_CLOSE", 0, 0);
  f_add.m_Set_Position("PURCHASES_CONTROL_BUTTON_ADD", 0, 0);
  f_left.m_Set_Position("PURCHASES_ARROW_BUTTON_LEFT", 0, 0);
  f_right.m_Set_Position("PURCHASES_ARROW_BUTTON_RIGHT", 0, 0);
  for (TDC_Button* b : {static_cast<TDC_Button*>(&f_close), static_cast<TDC_Button*>(&f_add), &f_left, &f_right})
    b->OnClick = [this](const std::string& name, TMouse_Button, TShift_State shift) { m_Button_Click(name, shift); };

  f_list.m_Set_Help_Ref(1, 14, 6, "", 0);
  f_list.f_text_color = Make_Color(0, 0, 0);
  f_list.f_no_background = true;
  f_list.m_Set_Name_And_Bounds("PURCHASES_CONTROL_LIST_ITEMS", 0, 0, 10, 10);
  f_list.OnSelect = [this](const std::string&, std::int32_t, const std::string&, const std::string&) {
    m_Recompute_Cost();
    m_Refresh_Buttons();
    m_Refresh_Highlights();
  };
  f_list.OnDoubleClick = [this](const std::string&, std::int32_t, const std::string&, const std::string&) {
    m_Click_Add();
  };
  f_list.OnOwnerDraw = [this](const std::string&, std::int32_t row, std::int32_t x, std::int32_t top, std::int32_t,
                              std::int32_t, bool, bool, const std::string&, const std::string&) {
    m_Draw_Row(row, x, top);
  };

  f_type.m_Set_Help_Ref(1, 14, 5, "", 0);
  f_type.m_Set_Name_And_Bounds("Combobox Type", 0, 0, 171, 22);
  f_type.m_Add_Item("Units - All", "1");
  f_type.m_Add_Item("Units - Air", "2");
  f_type.m_Add_Item("Units - Land", "3");
  f_type.m_Add_Item("Units - Sea", "4");
  f_type.m_Add_Item("Technology", "5");
  f_type.m_Select_Item(1);
  f_type.OnChange = [this](const std::string&) {
    m_Choose_Type(Purchase_Amount_Of_Text(f_type.m_Get_Selected_Key()));
  };
  f_type.OnDropDown = [this](const std::string&, bool open) { f_list.f_hover_highlight = !open; };

  f_amount.m_Set_Help_Ref(1, 14, 9, "", 0);
  f_amount.f_digits_only = true;
  f_amount.m_Set_Position("Edit Box", 0, 0, 50, 22);
  f_amount.m_Set_Text("1");
  f_amount.OnChange = [this](const std::string&) {
    const std::string& t = f_amount.m_Text();
    if (Purchase_Amount_Of_Text(t) == PURCHASE_MAX_AMOUNT && t != "60000") f_amount.m_Set_Text("60000");
    m_Recompute_Cost();
  };

  for (TDisplay_Class* c : {static_cast<TDisplay_Class*>(&f_close), static_cast<TDisplay_Class*>(&f_add),
                            static_cast<TDisplay_Class*>(&f_left), static_cast<TDisplay_Class*>(&f_right),
                            static_cast<TDisplay_Class*>(&f_list), static_cast<TDisplay_Class*>(&f_amount),
                            static_cast<TDisplay_Class*>(&f_type)}) {
    c->m_Set_Visible(true);
    Add_Child_Control(c);
  }
  const std::int32_t h = m_Get_Height();
  m_Add_Help_Area(1, 14, 7, "", 0, 4, h - 46, 48, 13);
  m_Add_Help_Area(1, 14, 11, "", 0, 164, h - 45, 113, 11);
  f_empire = G_Empire_List ? G_Empire_List->m_Get_Empire(Game_Settings.f_turn_empire) : nullptr;
  List_Window_Clear_Sort_Keys(f_keys);
  List_Window_Reset_Sort_Keys();
  List_Window_Push_Sort_Key(f_keys, 1, true);
  m_Build_Rows();
}

TDC_Main_Purchases_Items::~TDC_Main_Purchases_Items() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
  Gui_Release_Background(f_background);
  f_screen.m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0);
  f_screen.m_Clear_Highlighted_Regions();
}

std::int32_t TDC_Main_Purchases_Items::m_Get_Height() { return Purchases_Panel_Height(G_Screen_Height); }

bool TDC_Main_Purchases_Items::m_Reload_Images() {
  Gui_Release_Background(f_background);
  f_background = Gui_Load_Background(Path_Settings ? Path_Settings->m_Get_Dlg_Purchases_Items_Bmp() : std::string());
  return true;
}

std::int32_t TDC_Main_Purchases_Items::m_Row_Item(std::int32_t row) const {
  if (row < 1 || row > f_row_count) return 0;
  const TList_Window_Cell* c = List_Window_Get_Cell(f_grid, f_order[std::size_t(row)], 1);
  return c ? c->f_value : 0;
}

std::int32_t TDC_Main_Purchases_Items::m_Row_Cost_Entry(std::int32_t row) const {
  if (f_mode != TPurchase_Items_Mode::Technology || row < 1 || row > f_row_count) return 0;
  const TList_Window_Cell* c = List_Window_Get_Cell(f_grid, f_order[std::size_t(row)], 2);
  return c ? c->f_value : 0;
}

std::int32_t TDC_Main_Purchases_Items::m_Current_Grid_Row() const {
  const std::int32_t row = f_list.m_Get_Selected_Index();
  return row >= 1 && row <= f_row_count ? f_order[std::size_t(row)] : 0;
}

void TDC_Main_Purchases_Items::m_Build_Rows() {
  f_grid.clear();
  f_headers.clear();
  f_list.m_Clear();
  f_row_count = 0;
  if (f_mode == TPurchase_Items_Mode::Units) {
    f_column_count = f_header_count = 2;
    List_Window_Set_Header(f_headers, 1, "Item", 2, true, 1, true);
    List_Window_Set_Header(f_headers, 2, "Cost", 187, true, 2, true);
    for (std::int32_t t = 1; t <= World_Unit_Type_Count(); ++t) {
      const TUnit_Type* type = World_Unit_Type(t);
      if (!type || !f_empire) continue;
      if (!type->f_requirements.m_Check(f_empire, 1)) continue;
      const std::uint8_t m = type->f_movement_type;
      const bool fits = f_filter == 1 || (f_filter == 2 && m == UNIT_MOVEMENT_AIR) ||
                        (f_filter == 3 && m == UNIT_MOVEMENT_LAND) ||
                        (f_filter == 4 && (m == UNIT_MOVEMENT_SEA_SURFACE || m == UNIT_MOVEMENT_UNDERSEA));
      if (!fits) continue;
      ++f_row_count;
      List_Window_Set_Cell(f_grid, f_row_count, 1, Clip_To_Width(type->f_display_name, 187 - 2 - 6), 2, 0,
                           TList_Cell_Kind::Text, t);
      List_Window_Set_Cell(f_grid, f_row_count, 2, Clip_To_Width(type->m_Get_Cost_Text(), 272 - LIST_SCROLL_WIDTH - 189),
                           187, 0, TList_Cell_Kind::Text, 0);
      List_Window_Set_Cell_Sort_Value(f_grid, f_row_count, 2, float(type->f_cost));
    }
  } else {
    f_column_count = f_header_count = 3;
    List_Window_Set_Header(f_headers, 1, "Tech", 2, true, 1, true);
    List_Window_Set_Header(f_headers, 2, "Cost", 130, true, 2, true);
    List_Window_Set_Header(f_headers, 3, "", 200, true, 3, false);
    f_header_count = 2;
    for (std::int32_t a = 1; a <= World_Tech_Area_Count(); ++a) {
      const TTech_Area* area = World_Tech_Area(a);
      if (!area) continue;
      const std::int32_t level = f_empire ? f_empire->m_Get_Tech_Level(a) : 0;
      for (std::int32_t k = 1; k <= area->m_Get_Cost_Count(); ++k) {
        ++f_row_count;
        List_Window_Set_Cell(f_grid, f_row_count, 1, Clip_To_Width(area->m_Get_Name(1), 130 - 2 - 6), 2, 0,
                             TList_Cell_Kind::Text, a);
        // The cost entry is too long for its column on one line: the chance
        // goes on the row's first line and the price, in the money format of
        // the panel's total, under it (drawn with the row), each ending
        // before the list's scroll column.
        const std::string chance =
            Clip_To_Width(Int_To_Text(area->m_Get_Chance(k)) + "% chance", 272 - LIST_SCROLL_WIDTH - 132);
        List_Window_Set_Cell(f_grid, f_row_count, 2, chance, 130, 0, TList_Cell_Kind::Text, k);
        List_Window_Set_Cell_Sort_Value(f_grid, f_row_count, 2, float(area->m_Get_Cost(k)));
        List_Window_Set_Cell(f_grid, f_row_count, 3, Int_To_Text(level) + " / " + Int_To_Text(area->f_maximum_level),
                             0, 0, TList_Cell_Kind::None, Level_At_Maximum(f_empire, *area) ? 1 : 0);
      }
    }
  }
  f_order.assign(std::size_t(f_row_count) + 1, 0);
  for (std::int32_t i = 1; i <= f_row_count; ++i) f_order[std::size_t(i)] = i;
  List_Window_Sort_Rows(f_grid, f_order, f_row_count, f_keys);
  const std::int32_t height = f_mode == TPurchase_Items_Mode::Units ? 16 : 28;
  for (std::int32_t i = 1; i <= f_row_count; ++i) f_list.m_Add_Row("", Int_To_Text(f_order[std::size_t(i)]), height);
  if (f_row_count > 0) f_list.m_Select_Row(1);
  m_Recompute_Cost();
  m_Refresh_Highlights();
  m_Refresh_Buttons();
}

void TDC_Main_Purchases_Items::m_Refresh_Highlights() {
  f_screen.m_Clear_Highlighted_Regions();
  if (f_mode != TPurchase_Items_Mode::Units) {
    f_screen.m_Set_Purchase_Target(0);
    return;
  }
  const std::int32_t t = m_Row_Item(f_list.m_Get_Selected_Index());
  bool target_kept = false;
  if (G_Map && f_empire && t != 0)
    for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i)
      if (f_empire->m_Can_Place_Unit_At(i, t, 1)) {
        f_screen.m_Add_Highlighted_Region(i);
        if (i == f_screen.m_Purchase_Target()) target_kept = true;
      }
  if (!target_kept) f_screen.m_Set_Purchase_Target(0);
}

void TDC_Main_Purchases_Items::m_Refresh_Buttons() {
  f_close.m_Set_Enabled(true);
  f_add.m_Set_Enabled(true);
  if (f_mode == TPurchase_Items_Mode::Technology) {
    const std::int32_t g = m_Current_Grid_Row();
    const TList_Window_Cell* c = g ? List_Window_Get_Cell(f_grid, g, 3) : nullptr;
    if (c && c->f_value == 1) f_add.m_Set_Enabled(false);
  }
}

void TDC_Main_Purchases_Items::m_Recompute_Cost() {
  f_cost = 0;
  const std::int32_t row = f_list.m_Get_Selected_Index();
  if (f_mode == TPurchase_Items_Mode::Units) {
    const TUnit_Type* type = World_Unit_Type(m_Row_Item(row));
    if (type) f_cost = Purchase_Unit_Price(type->f_cost, Purchase_Amount_Of_Text(f_amount.m_Text()), 0);
  } else {
    const TTech_Area* area = World_Tech_Area(m_Row_Item(row));
    if (area) f_cost = area->m_Get_Cost(m_Row_Cost_Entry(row));
  }
}

void TDC_Main_Purchases_Items::m_Choose_Type(std::int32_t value) {
  const TPurchase_Items_Mode mode = value == 5 ? TPurchase_Items_Mode::Technology : TPurchase_Items_Mode::Units;
  if (mode == TPurchase_Items_Mode::Technology) {
    f_amount.m_Set_Text("1");
  }
  for (TDisplay_Class* c : {static_cast<TDisplay_Class*>(&f_amount), static_cast<TDisplay_Class*>(&f_left),
                            static_cast<TDisplay_Class*>(&f_right)})
    c->m_Set_Enabled(mode == TPurchase_Items_Mode::Units);
  if (mode != f_mode) {
    List_Window_Clear_Sort_Keys(f_keys);
    List_Window_Push_Sort_Key(f_keys, 1, true);
  }
  f_mode = mode;
  if (mode == TPurchase_Items_Mode::Units) f_filter = std::uint8_t(std::clamp(value, 1, 4));
  m_Build_Rows();
}

void TDC_Main_Purchases_Items::m_Set_Amount_Text(const std::string& text) {
  f_amount.m_Set_Text(text);
  if (Purchase_Amount_Of_Text(text) == PURCHASE_MAX_AMOUNT) f_amount.m_Set_Text("60000");
  m_Recompute_Cost();
}

void TDC_Main_Purchases_Items::m_Button_Click(const std::string& name, TShift_State shift) {
  if (name == "PURCHASES_CONTROL_BUTTON_CLOSE") {
    Set_Kill_Object(true);
  } else if (name == "PURCHASES_CONTROL_BUTTON_ADD") {
    m_Click_Add();
  } else if (name == "PURCHASES_ARROW_BUTTON_LEFT" || name == "PURCHASES_ARROW_BUTTON_RIGHT") {
    const std::int32_t amount = std::max(1, Purchase_Amount_Of_Text(f_amount.m_Text()));
    m_Set_Amount_Text(Int_To_Text(Purchase_Step_Amount(amount, name == "PURCHASES_ARROW_BUTTON_RIGHT",
                                                       (shift & SS_SHIFT) != 0, (shift & SS_CTRL) != 0)));
  }
}

void TDC_Main_Purchases_Items::m_Click_Add() {
  if (!f_empire) return;
  const std::int32_t row = f_list.m_Get_Selected_Index();
  TPurchase_Choice choice;
  choice.kind = f_mode == TPurchase_Items_Mode::Units ? PURCHASE_UNIT : PURCHASE_RESEARCH;
  choice.id = m_Row_Item(row);
  if (f_mode == TPurchase_Items_Mode::Units) {
    choice.amount = Purchase_Amount_Of_Text(f_amount.m_Text());
    choice.region = f_screen.m_Purchase_Target();
  } else {
    choice.amount = 1;
    choice.cost_entry = m_Row_Cost_Entry(row);
    const TTech_Area* area = World_Tech_Area(choice.id);
    if (area && Level_At_Maximum(f_empire, *area)) return;
  }
  TEmpire_Purchase entry;
  const TPurchase_Refusal refusal = Purchase_Check(*f_empire, choice, entry);
  if (refusal == TPurchase_Refusal::none) {
    f_empire->m_Add_Purchase(entry);
    return;
  }
  const bool shown = refusal == TPurchase_Refusal::over_money ||
                     (f_mode == TPurchase_Items_Mode::Units &&
                      (refusal == TPurchase_Refusal::no_region || refusal == TPurchase_Refusal::over_limit));
  if (shown) f_screen.m_Show_Message("Error", Purchase_Refusal_Text(refusal), TMessage_Kind::Plain);
}

void TDC_Main_Purchases_Items::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t x, std::int32_t y) {
  for (std::int32_t i = 1; i <= f_header_count; ++i)
    if (List_Window_Header_Click(f_headers, f_x + 3, f_y + 25, i, f_keys, x, y)) {
      m_Build_Rows();
      return;
    }
}

bool TDC_Main_Purchases_Items::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != 27) return false;
  m_Button_Click("PURCHASES_CONTROL_BUTTON_CLOSE", 0);
  return true;
}

void TDC_Main_Purchases_Items::m_On_Reposition() {
  const std::int32_t h = m_Get_Height();
  f_add.m_Set_Position("PURCHASES_CONTROL_BUTTON_ADD", f_x + 3, f_y + h - 25);
  f_close.m_Set_Position("PURCHASES_CONTROL_BUTTON_CLOSE", f_x + 187, f_y + h - 25);
  f_left.m_Set_Position("PURCHASES_ARROW_BUTTON_LEFT", f_x + 59, f_y + h - 51);
  f_right.m_Set_Position("PURCHASES_ARROW_BUTTON_RIGHT", f_x + 131, f_y + h - 51);
  f_list.m_Set_Name_And_Bounds("PURCHASES_CONTROL_LIST_ITEMS", f_x + 4, f_y + 42, 272, h - 97);
  f_type.m_Set_Name_And_Bounds("Combobox Type", f_x + 106, f_y + 3, 171, 22);
  f_amount.m_Set_Position("Edit Box", f_x + 81, f_y + h - 51, 50, 22);
}

bool TDC_Main_Purchases_Items::m_Show_Item_Info() {
  const std::int32_t row = f_list.m_Hovered_Row();
  if (row < 1 || row > f_row_count || !f_list.Point_Within_Control(G_Mouse_X, G_Mouse_Y)) return false;
  const TInfo_Box_Kind kind =
      f_mode == TPurchase_Items_Mode::Units ? TInfo_Box_Kind::Unit_Type : TInfo_Box_Kind::Technology;
  const std::int32_t subject = m_Row_Item(row);
  if (f_screen.m_Info_Box().kind != kind || f_screen.m_Info_Box().subject != subject || !f_screen.m_Info_Box_Shown())
    f_screen.m_Set_Info_Box(true, true, kind, subject, Game_Settings.f_turn_empire);
  f_info_kind = kind;
  f_info_subject = subject;
  return true;
}

void TDC_Main_Purchases_Items::m_Draw(double) {
  const std::int32_t h = m_Get_Height();
  Panel_Draw_Background(f_background, f_x, f_y, 280, h, 44, 424);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(Make_Color(255, 255, 255));
  font.m_Draw_Text_Shadowed(f_x + 236, f_y + h - 48, Purchase_Money_Text(f_cost));
  List_Window_Draw_Headers(f_headers, f_header_count, f_x + 3, f_y + 25, true, f_hovered_header, true, G_Mouse_X,
                           G_Mouse_Y);
}

void TDC_Main_Purchases_Items::m_Draw_After_Children(double) {
  // The item under the pointer goes into the info box, drawn over the panel.
  if (m_Show_Item_Info()) {
    f_screen.m_Draw_Info_Box();
  } else if (f_info_kind != TInfo_Box_Kind::None) {
    f_screen.m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0);
    f_info_kind = TInfo_Box_Kind::None;
  }
}

void TDC_Main_Purchases_Items::m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top) {
  if (row < 1 || row > f_row_count) return;
  const std::int32_t g = f_order[std::size_t(row)];
  const TList_Window_Cell* level = List_Window_Get_Cell(f_grid, g, 3);
  const bool disabled = f_mode == TPurchase_Items_Mode::Technology && level && level->f_value == 1;
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(row == f_list.m_Get_Selected_Index() ? User_Settings.m_Get_Selected_Text_Color()
                                                        : Make_Color(255, 255, 255));
  List_Window_Draw_Row(f_grid, 2, f_row_count, 0, 0, disabled, false, x, top, g);
  if (f_mode == TPurchase_Items_Mode::Technology && level) {
    font.m_Set_Font(2);
    font.m_Set_Color(disabled ? User_Settings.m_Get_Disabled_Text_Color() : User_Settings.m_Get_Label_Text_Color());
    font.m_Draw_Text_Shadowed(x + 8, top + 12, "Level " + level->f_text);
    const TList_Window_Cell* name = List_Window_Get_Cell(f_grid, g, 1);
    const TList_Window_Cell* entry = List_Window_Get_Cell(f_grid, g, 2);
    if (const TTech_Area* area = name && entry ? World_Tech_Area(name->f_value) : nullptr)
      font.m_Draw_Text_Shadowed(x + 130, top + 12,
                                font.m_Fit("for " + Purchase_Money_Text(area->m_Get_Cost(entry->f_value)),
                                           272 - LIST_SCROLL_WIDTH - 132));
  }
}
