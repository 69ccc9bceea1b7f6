#include "DC_Dlg_Log.h"

#include <map>

#include "DC_Dlg_List.h"
#include "DC_Main.h"
#include "Display.h"
#include "Empire.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MapClass.h"
#include "Path.h"
#include "World_Unit_Facts.h"

namespace {
constexpr std::int32_t Nation_X = 104, Type_X = 277, Details_X = 420;
constexpr std::int32_t Header_X = 11, Header_Y = 295;

std::string Nation_Of(std::int64_t player) {
  const TEmpire* e = Empire_Get(player);
  return e ? e->m_Get_Nation_Name() : std::string();
}

std::int32_t Region_Value(const TEvent_Log_Item& item) {
  switch (item.f_kind) {
    case EVENT_MOVEMENT:
    case EVENT_BOMBARDMENT:
    case EVENT_UNIT_CRASHED:
    case EVENT_UNIT_DECOMMISSIONED:
    case EVENT_REGION_CAPTURED: return item.m_Value(1);
    case EVENT_COMBAT:
    case EVENT_PURCHASE: return item.m_Value(3);
    default: return 0;
  }
}

std::int32_t Flag_Width() { return Game_Settings.f_flag_width; }
}  // namespace

std::vector<std::string> Log_Combat_Report_Lines(const TEvent_Log_Item& item) {
  std::vector<std::string> lines;
  const std::uint8_t sides[2] = {item.f_player, std::uint8_t(item.m_Value(1))};
  auto unit_line = [](const TEvent_Log_Combat_Row& row, std::int32_t count, const char* tail) -> std::string {
    const TUnit_Type* type = World_Unit_Type(row.unit_type);
    if (!type) return "";
    return "    " + Nation_Of(row.owner) + " - " + Int_To_Text(count) + " x " + type->f_display_name + tail;
  };
  lines.push_back("Starting Forces");
  for (std::uint8_t side : sides)
    for (const TEvent_Log_Combat_Row& row : item.f_combat_rows)
      if (row.owner == side) lines.push_back(unit_line(row, row.starting, ""));
  lines.push_back("Destroyed Forces");
  for (std::uint8_t side : sides)
    for (const TEvent_Log_Combat_Row& row : item.f_combat_rows)
      if (row.owner == side) lines.push_back(unit_line(row, row.destroyed, " destroyed."));
  if (!item.f_destroyed_rows.empty()) {
    lines.push_back("Captured Forces");
    for (const TEvent_Log_Destroyed_Row& row : item.f_destroyed_rows) {
      const TUnit_Type* type = World_Unit_Type(row.unit_type);
      lines.push_back(type ? "    " + Int_To_Text(row.count) + " x " + type->f_display_name + " captured." : "");
    }
  }
  const TEmpire* winner = Empire_Get(item.m_Value(2));
  lines.push_back(winner ? winner->m_Get_Nation_Name() + " is victorious." : "");
  return lines;
}

TLog_Summary Log_Summary(const TEvent_Log& log, std::int32_t game_date, std::uint8_t viewer) {
  TLog_Summary s{};
  for (std::int32_t i = 1; i <= log.m_Get_Count(); ++i) {
    const TEvent_Log_Item* item = log.m_Get_Item(i);
    if (!item || item->f_date != game_date - 1 || item->f_player == 0 || item->f_player > 9) continue;
    if (!item->m_Get_Player_Flag(viewer)) continue;
    auto& c = s[std::size_t(item->f_player - 1)];
    switch (item->f_kind) {
      case EVENT_COMBAT: ++c[item->m_Value(2) == item->f_player ? 0 : 1]; break;
      case EVENT_MOVEMENT: ++c[2]; break;
      case EVENT_COLLECT_RESOURCES: c[3] += item->m_Value(1); break;
      case EVENT_PURCHASE:
      case EVENT_RESEARCH: ++c[4]; break;
      default: break;
    }
  }
  return s;
}

void Log_Build_Grid(const TEvent_Log& log, std::uint8_t viewer, TLog_Grid& g) {
  g.grid.clear();
  g.row_count = 0;
  std::map<std::uint8_t, std::int32_t> combats_of;
  std::int32_t combat_number = 0;
  for (std::int32_t i = 1; i <= log.m_Get_Count(); ++i) {
    const TEvent_Log_Item* item = log.m_Get_Item(i);
    if (!item || !item->m_Get_Player_Flag(viewer)) continue;
    const std::int32_t row = ++g.row_count;
    if (!Empire_Get(item->f_player)) {
      // A row without a nation stays empty.
      List_Window_Set_Cell(g.grid, row, 5, "", Details_X, 0, TList_Cell_Kind::Text, 0);
      continue;
    }
    const std::string date = Tenths_To_Text(item->f_date);
    const std::string nation = Nation_Of(item->f_player);
    std::string type = Event_Log_Type_Name(item->f_kind);
    std::int32_t nation_value = 0;
    if (item->f_kind == EVENT_MOVEMENT) nation_value = item->m_Value(2);
    if (item->f_kind == EVENT_COMBAT) {
      nation_value = ++combat_number;
      type = "Combat " + Int_To_Text(++combats_of[item->f_player]);
    }
    auto fill = [&](std::int32_t r, const std::string& details, std::int32_t line) {
      List_Window_Set_Cell(g.grid, r, 1, date, 2, 0, TList_Cell_Kind::Text, Region_Value(*item));
      List_Window_Set_Cell(g.grid, r, 2, "", Nation_X - Flag_Width() - 3, item->f_player, TList_Cell_Kind::Empire_Flag,
                           0);
      List_Window_Set_Cell(g.grid, r, 3, nation, Nation_X, 0, TList_Cell_Kind::Text, nation_value);
      List_Window_Set_Cell(g.grid, r, 4, type, Type_X, 0, TList_Cell_Kind::Text, item->f_kind);
      List_Window_Set_Cell(g.grid, r, 5, details, Details_X, 0, TList_Cell_Kind::Text, line);
    };
    fill(row, item->f_text, 0);
    if (item->f_kind != EVENT_COMBAT) continue;
    std::int32_t line = 0;
    for (const std::string& text : Log_Combat_Report_Lines(*item)) fill(++g.row_count, text, ++line);
  }
  // Newest date first, then nation, then type.
  List_Window_Clear_Sort_Keys(g.keys);
  List_Window_Reset_Sort_Keys();
  List_Window_Push_Sort_Key(g.keys, 4, true);
  List_Window_Push_Sort_Key(g.keys, 3, true);
  List_Window_Push_Sort_Key(g.keys, 1, false);
  TList_Window_Row_Order sorted(std::size_t(g.row_count) + 1, 0);
  for (std::int32_t i = 1; i <= g.row_count; ++i) sorted[std::size_t(i)] = i;
  List_Window_Sort_Rows(g.grid, sorted, g.row_count, g.keys);
  // Each battle's report under its battle, in line order.
  auto is_report = [&](std::int32_t r) {
    const TList_Window_Cell* kind = List_Window_Get_Cell(g.grid, r, 4);
    const TList_Window_Cell* line = List_Window_Get_Cell(g.grid, r, 5);
    return kind && line && kind->f_value == EVENT_COMBAT && line->f_value > 0;
  };
  std::map<std::int32_t, std::map<std::int32_t, std::int32_t>> reports;  // battle number -> line -> row
  for (std::int32_t r = 1; r <= g.row_count; ++r)
    if (is_report(r))
      reports[List_Window_Get_Cell(g.grid, r, 3)->f_value][List_Window_Get_Cell(g.grid, r, 5)->f_value] = r;
  g.order.assign(1, 0);
  for (std::int32_t n = 1; n <= g.row_count; ++n) {
    const std::int32_t r = sorted[std::size_t(n)];
    if (is_report(r)) continue;
    g.order.push_back(r);
    const TList_Window_Cell* kind = List_Window_Get_Cell(g.grid, r, 4);
    if (!kind || kind->f_value != EVENT_COMBAT) continue;
    const auto it = reports.find(List_Window_Get_Cell(g.grid, r, 3)->f_value);
    if (it == reports.end()) continue;
    for (std::int32_t line = 1;; ++line) {
      const auto at = it->second.find(line);
      if (at == it->second.end()) break;
      g.order.push_back(at->second);
    }
  }
}

std::array<std::string, 5> Log_Row_Texts(const TLog_Grid& g, std::int32_t display_row) {
  std::array<std::string, 5> t;
  if (display_row < 1 || std::size_t(display_row) >= g.order.size()) return t;
  auto text = [&](std::int32_t n, std::int32_t column) -> std::string {
    if (n < 1 || std::size_t(n) >= g.order.size()) return "";
    const TList_Window_Cell* c = List_Window_Get_Cell(g.grid, g.order[std::size_t(n)], column);
    return c ? c->f_text : "";
  };
  for (std::int32_t c = 1; c <= 5; ++c) t[std::size_t(c - 1)] = text(display_row, c);
  if (display_row > 1) {
    const bool date = text(display_row, 1) == text(display_row - 1, 1);
    const bool nation = text(display_row, 3) == text(display_row - 1, 3);
    const bool type = text(display_row, 4) == text(display_row - 1, 4);
    std::int32_t blank = 0;
    if (date && nation && type) blank = 4;
    else if (date && nation) blank = 3;
    else if (date) blank = 1;
    for (std::int32_t c = 1; c <= blank; ++c) t[std::size_t(c - 1)].clear();
  }
  return t;
}

TDC_Dlg_Log::TDC_Dlg_Log() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  m_Reload_Images();
  f_player = Game_Settings.f_turn_empire;
  f_close.m_Set_Style(2, 90, 22, 0, 1);
  f_close.m_Set_Font(2);
  f_close.m_Set_Shadow();
  f_close.m_Set_Text("Close");
  f_close.m_Set_Help_Ref(1, 16, 13, "", 0);
  f_close.m_Set_Position("LOG_CONTROL_BUTTON_CLOSE", 0, 0);
  f_close.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) {
    if (name == "LOG_CONTROL_BUTTON_CLOSE") Set_Kill_Object(true);
  };
  f_list.m_Set_Help_Ref(1, 16, 8, "", 0);
  f_list.f_text_color = Make_Color(0, 0, 0);
  f_list.f_no_background = true;
  f_list.m_Set_Name_And_Bounds("LOG_CONTROL_LIST", 0, 0, 10, 10);
  f_list.OnOwnerDraw = [this](const std::string&, std::int32_t row, std::int32_t x, std::int32_t top, std::int32_t,
                              std::int32_t, bool, bool, const std::string&, const std::string&) {
    m_Draw_Row(row, x, top);
  };
  f_close.m_Set_Visible(true);
  f_list.m_Set_Visible(true);
  Add_Child_Control(&f_close);
  Add_Child_Control(&f_list);
  if (G_Event_Log) {
    f_summary = Log_Summary(*G_Event_Log, Game_Settings.f_game_date, f_player);
    Log_Build_Grid(*G_Event_Log, f_player, f_grid);
  }
  List_Window_Set_Header(f_headers, 1, "Year", 2, false, 1, true);
  List_Window_Set_Header(f_headers, 2, "Nation", Nation_X, true, 3, true);
  List_Window_Set_Header(f_headers, 3, "Type", Type_X, true, 4, true);
  List_Window_Set_Header(f_headers, 4, "Details", Details_X, true, 5, true);
  for (std::size_t n = 1; n < f_grid.order.size(); ++n) f_list.m_Add_Row("", "", 16);
  m_Add_Help_Area(1, 16, 1, "", 0, 11, 33, 78, 12);
  const std::int32_t xs[5] = {176, 226, 282, 338, 413}, ws[5] = {48, 55, 55, 73, 59};
  for (int i = 0; i < 5; ++i) m_Add_Help_Area(1, 16, 2 + i, "", 0, xs[i], 51, ws[i], 156);
  m_Add_Help_Area(1, 16, 7, "", 0, 498, 33, 514, 258);
  for (int i = 1; i <= 4; ++i) {
    const TList_Window_Header& h = f_headers[std::size_t(i)];
    m_Add_Help_Area(1, 16, 8 + i, "", 0, h.f_x_offset + 11, 297, h.f_text_width, h.f_text_height);
  }
}

TDC_Dlg_Log::~TDC_Dlg_Log() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
  Gui_Release_Background(f_background);
}

bool TDC_Dlg_Log::m_Reload_Images() {
  if (g_tg_texture_list && f_background) g_tg_texture_list->m_Unload_Texture(f_background);
  f_background = 0;
  if (g_tg_texture_list && Path_Settings)
    f_background = g_tg_texture_list->m_Load_Texture(Path_Settings->m_Get_Dlg_Log_Bmp(), 2, TEXTURE_COLOR_KEY_WHITE);
  return true;
}

void TDC_Dlg_Log::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t x, std::int32_t y) {
  for (std::int32_t i = 1; i <= 4; ++i)
    if (List_Window_Header_Click(f_headers, f_x + Header_X, f_y + Header_Y, i, f_grid.keys, x, y)) {
      // Every row, reports included, sorts by the new keys.
      TList_Window_Row_Order order(std::size_t(f_grid.row_count) + 1, 0);
      for (std::int32_t r = 1; r <= f_grid.row_count; ++r) order[std::size_t(r)] = r;
      List_Window_Sort_Rows(f_grid.grid, order, f_grid.row_count, f_grid.keys);
      f_grid.order = order;
      f_list.m_Clear();
      for (std::size_t n = 1; n < f_grid.order.size(); ++n) f_list.m_Add_Row("", "", 16);
      return;
    }
}

bool TDC_Dlg_Log::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != 27) return false;
  Set_Kill_Object(true);
  return true;
}

void TDC_Dlg_Log::m_On_Reposition() {
  f_close.m_Set_Position("LOG_CONTROL_BUTTON_CLOSE", f_x + 929, f_y + 744);
  f_list.m_Set_Name_And_Bounds("LOG_CONTROL_LIST", f_x + 13, f_y + 312, 998, 421);
}

void TDC_Dlg_Log::m_Draw(double) {
  if (g_tg_texture_list && f_background)
    g_tg_texture_list->m_Draw_All({f_x, f_y, f_x + 1024, f_y + 768}, f_background, false);
  Gui_Draw_Dialog_Title(f_x, f_y, Log_Dialog_Title);
  std::int32_t first = 0, second = 0;
  const std::int32_t row = f_list.m_Get_Selected_Index();
  if (row >= 1 && std::size_t(row) < f_grid.order.size()) {
    const std::int32_t g = f_grid.order[std::size_t(row)];
    const TList_Window_Cell* c1 = List_Window_Get_Cell(f_grid.grid, g, 1);
    const TList_Window_Cell* c3 = List_Window_Get_Cell(f_grid.grid, g, 3);
    const TList_Window_Cell* c4 = List_Window_Get_Cell(f_grid.grid, g, 4);
    first = c1 ? c1->f_value : 0;
    if (c4 && c4->f_value == EVENT_MOVEMENT && c3) second = c3->f_value;
  }
  if (G_Map)
    Display_Draw_Overview_Map(f_x + 499, f_y + 34, 512, 256, false, TRect{0, 0, 0, 0}, first, second, 0,
                              Game_Settings.f_local_empire);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(Make_Color(255, 255, 255));
  font.m_Draw_Text_Shadowed(f_x + 44, f_y + 31, Tenths_To_Text(Game_Settings.f_game_date));
  const std::int32_t count = G_Empire_List ? G_Empire_List->m_Get_Count() : 0;
  const std::int32_t xs[5] = {177, 227, 283, 339, 414};
  for (std::int32_t i = 1; i <= count && i <= 9; ++i) {
    const TEmpire* e = Empire_Get(i);
    if (!e || e->m_Get_Neutral()) continue;
    const std::int32_t y = f_y + 69 + (i - 1) * 17;
    Gui_Display_Link().m_Draw_Grid_Icon(f_x + 13, y, e->m_Get_Color_Index(), e->m_Get_Flag_Index());
    // Each text is cut to the room before the next column.
    font.m_Draw_Text_Shadowed(f_x + 50, y, font.m_Fit(e->m_Get_Nation_Name(), xs[0] - 6 - 50));
    for (int k = 0; k < 5; ++k)
      font.m_Draw_Text_Shadowed(f_x + xs[k], y,
                                font.m_Fit(Int_To_Text(f_summary[std::size_t(i - 1)][std::size_t(k)]),
                                           (k < 4 ? xs[k + 1] : 494) - 4 - xs[k]));
  }
  List_Window_Draw_Headers(f_headers, 4, f_x + Header_X, f_y + Header_Y, true, f_hovered_header, true, G_Mouse_X,
                           G_Mouse_Y);
}

void TDC_Dlg_Log::m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top) {
  if (row < 1 || std::size_t(row) >= f_grid.order.size()) return;
  const std::array<std::string, 5> texts = Log_Row_Texts(f_grid, row);
  std::int32_t skip_to = 0;
  if (texts[3].empty()) skip_to = 4;
  else if (texts[2].empty()) skip_to = 3;
  else if (texts[0].empty()) skip_to = 1;
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(Make_Color(255, 255, 255));
  List_Window_Draw_Row(f_grid.grid, 5, f_grid.row_count, skip_to > 0 ? 1 : 0, skip_to, false,
                       row == f_list.m_Get_Selected_Index(), x, top, f_grid.order[std::size_t(row)],
                       f_list.m_X() + f_list.m_Width() - LIST_SCROLL_WIDTH - 4);
}
