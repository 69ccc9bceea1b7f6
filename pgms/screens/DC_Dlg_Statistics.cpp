#include "DC_Dlg_Statistics.h"

#include "DC_Dlg_List.h"
#include "DC_Main.h"
#include "Display.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MapClass.h"
#include "Path.h"
#include "World_Unit_Facts.h"

const std::array<TStatistics_Counter_Column, 5> Statistics_Counter_Columns = {{
    {"Built", &TEmpire_Unit_Type_Counters::bought, 388},
    {"Captured", &TEmpire_Unit_Type_Counters::captured, 473},
    {"In Service", &TEmpire_Unit_Type_Counters::current, 558},
    {"Dead", &TEmpire_Unit_Type_Counters::destroyed, 643},
    {"Lost", &TEmpire_Unit_Type_Counters::lost, 728},
}};

namespace {
constexpr std::int32_t Header_X = 11, Header_Y = 295;
// Columns placed so that each header in font 2 keeps clear of the next one
// ("Region Type", "Territory Value" and "Current Level" are wider than the
// 80 and 100 pixels the columns were once spaced by).
constexpr std::int32_t Region_Name_X = 96, Region_Value_X = 258, Maximum_Level_X = 316;
constexpr std::int32_t Nation_Column_X(int i) { return 200 + 118 * i; }

void Number_Cell(TStatistics_Page& p, std::int32_t row, std::int32_t column, std::int64_t value, std::int32_t x) {
  List_Window_Set_Cell(p.grid, row, column, Int_To_Text(value), x, 0, TList_Cell_Kind::Text, 0);
  List_Window_Set_Cell_Sort_Value(p.grid, row, column, float(value));
}

void Fill_Regions(TStatistics_Page& p, const TEmpire* empire) {
  List_Window_Set_Header(p.headers, 1, "Region Type", 2, true, 1, true);
  List_Window_Set_Header(p.headers, 2, "Region Name", Region_Name_X, true, 2, true);
  List_Window_Set_Header(p.headers, 3, "Value", Region_Value_X, false, 3, true);
  List_Window_Set_Header(p.headers, 4, "Owner", 350, true, 5, true);
  List_Window_Set_Header(p.headers, 5, "Unit Name", 538, true, 6, false);
  List_Window_Set_Header(p.headers, 6, "Amount", 770, true, 7, false);
  p.header_count = 6;
  p.column_count = 7;
  if (!G_Map) return;
  const std::int32_t flag_x = 350 - Game_Settings.f_flag_width - 2;
  for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i) {
    const TMap_Region* r = G_Map->m_Get_Region(i);
    if (!r) continue;
    const bool known = empire && empire->m_Is_Region_Known(i);
    const TEmpire* owner = Empire_Get(r->m_Get_Owner());
    const std::string owner_name = !known ? "Unknown" : owner ? owner->m_Get_Nation_Name() : "None";
    auto start_row = [&]() {
      const std::int32_t row = ++p.row_count;
      List_Window_Set_Cell(p.grid, row, 1, r->m_Get_Type() == REGION_LAND ? "Land" : "Ocean", 2, 0,
                           TList_Cell_Kind::Text, i);
      List_Window_Set_Cell(p.grid, row, 2, r->m_Get_Name(), Region_Name_X, 0, TList_Cell_Kind::Text, 0);
      List_Window_Set_Cell(p.grid, row, 3, known ? Int_To_Text(r->m_Get_Value()) : "Unknown", Region_Value_X, 0,
                           TList_Cell_Kind::Text, 0);
      List_Window_Set_Cell_Sort_Value(p.grid, row, 3, known ? float(r->m_Get_Value()) : 0.0f);
      List_Window_Set_Cell(p.grid, row, 4, "", flag_x, known ? r->m_Get_Owner() : 0, TList_Cell_Kind::Empire_Flag, 0);
      List_Window_Set_Cell(p.grid, row, 5, owner_name, 350, 0, TList_Cell_Kind::Text, 0);
      List_Window_Set_Cell(p.grid, row, 6, "", 538, 0, TList_Cell_Kind::Text, 0);
      List_Window_Set_Cell(p.grid, row, 7, "", 770, 0, TList_Cell_Kind::Text, 0);
      return row;
    };
    bool any = false;
    if (known && r->m_Get_Square_Count() > 0)
      for (std::int32_t s = 1; s <= r->m_Get_Square_Count(); ++s) {
        TMap_Region_Square sq;
        r->m_Get_Square(s, sq);
        const TUnit_Type* type = World_Unit_Type(sq.unit_type);
        if (!sq.shown || !type || sq.stack_count <= 0) continue;
        const std::int32_t row = start_row();
        List_Window_Set_Cell(p.grid, row, 6, type->f_display_name, 538, 0, TList_Cell_Kind::Text, 0);
        Number_Cell(p, row, 7, sq.stack_count, 770);
        any = true;
      }
    if (!any) start_row();
  }
}

void Fill_Unit_Types(TStatistics_Page& p, TEmpire* empire) {
  List_Window_Set_Header(p.headers, 1, "Type", 2, true, 1, true);
  List_Window_Set_Header(p.headers, 2, "Unit", 179, true, 2, true);
  for (std::size_t c = 0; c < Statistics_Counter_Columns.size(); ++c)
    List_Window_Set_Header(p.headers, std::int32_t(c) + 3, Statistics_Counter_Columns[c].header,
                           Statistics_Counter_Columns[c].x, false, std::int32_t(c) + 3, true);
  p.header_count = 7;
  p.column_count = 7;
  for (std::int32_t t = 1; t <= World_Unit_Type_Count(); ++t) {
    const std::int32_t row = ++p.row_count;
    const TUnit_Type* type = World_Unit_Type(t);
    if (!type) {
      List_Window_Set_Cell(p.grid, row, 1, "", 2, 0, TList_Cell_Kind::Text, 0);
      continue;
    }
    List_Window_Set_Cell(p.grid, row, 1, type->f_unit_family, 2, 0, TList_Cell_Kind::Text, t);
    List_Window_Set_Cell(p.grid, row, 2, type->f_display_name, 179, 0, TList_Cell_Kind::Text, 0);
    TEmpire_Unit_Type_Counters counters;
    if (empire) empire->m_Get_Unit_Type_Counters(t, counters);
    for (std::size_t c = 0; c < Statistics_Counter_Columns.size(); ++c)
      Number_Cell(p, row, std::int32_t(c) + 3, counters.*(Statistics_Counter_Columns[c].counter),
                  Statistics_Counter_Columns[c].x);
  }
}

void Fill_Nations(TStatistics_Page& p) {
  List_Window_Set_Header(p.headers, 1, "Nation", 2, true, 2, true);
  const char* names[6] = {"Territories", "Territory Value", "Credits", "Units", "Unit Value", "Technology"};
  for (int i = 0; i < 6; ++i) List_Window_Set_Header(p.headers, i + 2, names[i], Nation_Column_X(i), false, i + 3, true);
  p.header_count = 7;
  p.column_count = 8;
  TEmpire_Summary_Table table;
  Empire_Get_Summary_Table(table);
  const std::int32_t count = G_Empire_List ? G_Empire_List->m_Get_Count() : 0;
  for (std::int32_t i = 1; i <= count && i <= Max_Empires; ++i) {
    const TEmpire* e = Empire_Get(i);
    if (!e || e->m_Get_Neutral()) continue;
    const std::int32_t row = ++p.row_count;
    List_Window_Set_Cell(p.grid, row, 1, "", 2, i, TList_Cell_Kind::Empire_Flag, 0);
    List_Window_Set_Cell(p.grid, row, 2, e->m_Get_Nation_Name(), 2 + Game_Settings.f_flag_width + 2, 0,
                         TList_Cell_Kind::Text, i);
    const TEmpire_Summary_Row& s = table.rows[std::size_t(i - 1)];
    const std::int64_t values[6] = {s.regions, s.region_value, s.treasury, s.units, s.unit_value, s.tech_levels};
    for (int k = 0; k < 6; ++k) Number_Cell(p, row, k + 3, values[k], Nation_Column_X(k));
  }
}

void Fill_Technology(TStatistics_Page& p, const TEmpire* empire) {
  List_Window_Set_Header(p.headers, 1, "Tech Area", 2, true, 1, true);
  List_Window_Set_Header(p.headers, 2, "Current Level", 200, false, 2, true);
  List_Window_Set_Header(p.headers, 3, "Maximum Level", Maximum_Level_X, false, 3, true);
  for (int k = 0; k < 3; ++k) List_Window_Set_Header(p.headers, 4 + k, "Cost", 450 + 150 * k, false, 4 + k, true);
  p.header_count = 6;
  p.column_count = 6;
  for (std::int32_t a = 1; a <= World_Tech_Area_Count(); ++a) {
    const TTech_Area* area = World_Tech_Area(a);
    if (!area) continue;
    const std::int32_t row = ++p.row_count;
    List_Window_Set_Cell(p.grid, row, 1, area->m_Get_Name(1), 2, 0, TList_Cell_Kind::Text, a);
    Number_Cell(p, row, 2, empire ? empire->m_Get_Tech_Level(a) : 0, 200);
    Number_Cell(p, row, 3, area->f_maximum_level, Maximum_Level_X);
    for (int k = 1; k <= 3; ++k) {
      const bool has = k <= area->m_Get_Cost_Count();
      List_Window_Set_Cell(p.grid, row, 3 + k, has ? area->m_Get_Cost_Text(k) : "", 450 + 150 * (k - 1), 0,
                           TList_Cell_Kind::Text, 0);
      List_Window_Set_Cell_Sort_Value(p.grid, row, 3 + k, has ? float(area->m_Get_Chance(k)) : 0.0f);
    }
  }
}
}  // namespace

void Statistics_Build_Page(TStatistics_Page& p, std::int32_t page, std::uint8_t viewer) {
  p.grid.clear();
  p.headers.clear();
  p.row_count = 0;
  if (page != p.page) {
    List_Window_Clear_Sort_Keys(p.keys);
    List_Window_Reset_Sort_Keys();
  }
  p.page = page;
  TEmpire* empire = Empire_Get(viewer);
  switch (page) {
    case 1: {
      const TList_Window_Sort_Key unit_name{6, true};
      List_Window_Set_Default_Sort_Keys(&unit_name, 1);
      Fill_Regions(p, empire);
      List_Window_Push_Sort_Key(p.keys, 2, true);
      List_Window_Push_Sort_Key(p.keys, 1, true);
      break;
    }
    case 2:
      List_Window_Reset_Sort_Keys();
      Fill_Unit_Types(p, empire);
      List_Window_Push_Sort_Key(p.keys, 2, true);
      List_Window_Push_Sort_Key(p.keys, 1, true);
      break;
    case 3:
      List_Window_Reset_Sort_Keys();
      Fill_Nations(p);
      List_Window_Push_Sort_Key(p.keys, 2, true);
      break;
    case 4:
      List_Window_Reset_Sort_Keys();
      Fill_Technology(p, empire);
      List_Window_Push_Sort_Key(p.keys, 1, true);
      break;
    default: break;
  }
  Statistics_Sort(p);
}

void Statistics_Sort(TStatistics_Page& p) {
  p.order.assign(std::size_t(p.row_count) + 1, 0);
  for (std::int32_t i = 1; i <= p.row_count; ++i) p.order[std::size_t(i)] = i;
  List_Window_Sort_Rows(p.grid, p.order, p.row_count, p.keys);
}

std::array<std::array<std::string, 9>, 3> Statistics_Texts(std::uint8_t empire) {
  std::array<std::array<std::string, 9>, 3> t;
  TEmpire_Statistics records[3];
  if (G_Empire_List && Empire_Get(empire)) Empire_Get_Statistics(empire, records[0], records[1], records[2]);
  for (int r = 0; r < 3; ++r)
    for (int j = 0; j < 9; ++j) {
      const std::int32_t v = records[r].values[std::size_t(j)];
      t[std::size_t(r)][std::size_t(j)] = Int_To_Text(v) + (j == 0 || j == 3 ? "%" : "");
    }
  return t;
}

TDC_Dlg_Statistics::TDC_Dlg_Statistics() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  m_Reload_Images();
  f_player = Game_Settings.f_local_empire;
  f_close.m_Set_Style(2, 90, 22, 0, 1);
  f_close.m_Set_Font(2);
  f_close.m_Set_Shadow();
  f_close.m_Set_Text("Close");
  f_close.m_Set_Help_Ref(1, 15, 37, "", 0);
  f_close.m_Set_Position("STATISTICS_CONTROL_BUTTON_CLOSE", 0, 0);
  f_close.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) {
    if (name == "STATISTICS_CONTROL_BUTTON_CLOSE") Set_Kill_Object(true);
  };
  f_list.m_Set_Help_Ref(1, 15, 12, "", 0);
  f_list.f_text_color = Make_Color(0, 0, 0);
  f_list.f_no_background = true;
  f_list.m_Set_Name_And_Bounds("STATISTICS_CONTROL_LIST", 0, 0, 10, 10);
  f_list.OnOwnerDraw = [this](const std::string&, std::int32_t row, std::int32_t x, std::int32_t top, std::int32_t,
                              std::int32_t, bool, bool, const std::string&, const std::string&) {
    m_Draw_Row(row, x, top);
  };
  f_chooser.m_Set_Help_Ref(1, 15, 11, "", 0);
  f_chooser.m_Set_Name_And_Bounds("Combobox Type", 0, 0, 315, 22);
  f_chooser.m_Add_Item("Region Statistics", "1");
  f_chooser.m_Add_Item("Unit Type Statistics", "2");
  f_chooser.m_Add_Item("Nation Statistics", "3");
  f_chooser.m_Add_Item("Technology", "4");
  f_chooser.m_Select_Item(1);
  f_chooser.OnChange = [this](const std::string&) {
    if (f_chooser.m_Get_Selected_Index() > 0) m_Build_Page(f_chooser.m_Get_Selected_Index());
  };
  f_chooser.OnDropDown = [this](const std::string&, bool open) { f_list.f_hover_highlight = !open; };
  for (TDisplay_Class* c : {static_cast<TDisplay_Class*>(&f_close), static_cast<TDisplay_Class*>(&f_list),
                            static_cast<TDisplay_Class*>(&f_chooser)}) {
    c->m_Set_Visible(true);
    Add_Child_Control(c);
  }
  f_texts = Statistics_Texts(f_player);
  m_Build_Page(1);
}

TDC_Dlg_Statistics::~TDC_Dlg_Statistics() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
  Gui_Release_Background(f_background);
}

bool TDC_Dlg_Statistics::m_Reload_Images() {
  if (g_tg_texture_list && f_background) g_tg_texture_list->m_Unload_Texture(f_background);
  f_background = 0;
  if (g_tg_texture_list && Path_Settings)
    f_background =
        g_tg_texture_list->m_Load_Texture(Path_Settings->m_Get_Dlg_Statistics_Bmp(), 2, TEXTURE_COLOR_KEY_WHITE);
  return true;
}

void TDC_Dlg_Statistics::m_Build_Page(std::int32_t page) {
  f_list.m_Clear();
  Statistics_Build_Page(f_page, page, f_player);
  if (f_chooser.m_Get_Selected_Index() != page) f_chooser.m_Select_Item(page);
  for (std::int32_t i = 1; i <= f_page.row_count; ++i) f_list.m_Add_Row("", "", 16);
  m_Clear_Help_Areas();
  const std::int32_t widths[9] = {131, 99, 112, 92, 120, 76, 67, 69, 31};
  for (int n = 1; n <= 9; ++n) m_Add_Help_Area(1, 15, n, "", 0, 11, 58 + (n - 1) * 15, widths[n - 1], 12);
  m_Add_Help_Area(1, 15, 10, "", 0, 498, 33, 514, 258);
  const std::int32_t base = page == 1 ? 12 : page == 2 ? 18 : page == 3 ? 25 : 32;
  for (std::int32_t i = 1; i <= f_page.header_count; ++i) {
    const TList_Window_Header& h = f_page.headers[std::size_t(i)];
    m_Add_Help_Area(1, 15, page == 4 ? std::min(36, base + i) : base + i, "", 0, h.f_x_offset + 11, 297, h.f_text_width,
                    h.f_text_height);
  }
}

void TDC_Dlg_Statistics::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t x, std::int32_t y) {
  for (std::int32_t i = 1; i <= f_page.header_count; ++i)
    if (List_Window_Header_Click(f_page.headers, f_x + Header_X, f_y + Header_Y, i, f_page.keys, x, y)) {
      Statistics_Sort(f_page);
      return;
    }
}

bool TDC_Dlg_Statistics::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != 27) return false;
  Set_Kill_Object(true);
  return true;
}

void TDC_Dlg_Statistics::m_On_Reposition() {
  f_close.m_Set_Position("STATISTICS_CONTROL_BUTTON_CLOSE", f_x + 929, f_y + 744);
  f_chooser.m_Set_Name_And_Bounds("Combobox Type", f_x + 105, f_y + 253, 315, 22);
  f_list.m_Set_Name_And_Bounds("STATISTICS_CONTROL_LIST", f_x + 13, f_y + 312, 998, 421);
}

void TDC_Dlg_Statistics::m_Draw(double) {
  if (g_tg_texture_list && f_background)
    g_tg_texture_list->m_Draw_All({f_x, f_y, f_x + 1024, f_y + 768}, f_background, false);
  Gui_Draw_Dialog_Title(f_x, f_y, Statistics_Dialog_Title);
  std::int32_t marked = 0;
  const std::int32_t row = f_list.m_Get_Selected_Index();
  if (f_page.page == 1 && row >= 1 && row <= f_page.row_count) {
    const TList_Window_Cell* c = List_Window_Get_Cell(f_page.grid, f_page.order[std::size_t(row)], 1);
    marked = c ? c->f_value : 0;
  }
  if (G_Map)
    Display_Draw_Overview_Map(f_x + 499, f_y + 34, 512, 256, false, TRect{0, 0, 0, 0}, marked, 0, 0,
                              Game_Settings.f_local_empire);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(Make_Color(255, 255, 255));
  if (const TEmpire* e = Empire_Get(f_player)) {
    Gui_Display_Link().m_Draw_Grid_Icon(f_x + 7, f_y + 29, e->m_Get_Color_Index(), e->m_Get_Flag_Index());
    font.m_Draw_Text_Shadowed(f_x + 7 + Game_Settings.f_flag_width + 2, f_y + 29, e->m_Get_Nation_Name());
  }
  for (int r = 0; r < 3; ++r)
    for (int j = 0; j < 9; ++j)
      font.m_Draw_Text_Shadowed(f_x + Statistics_Record_Column_X[std::size_t(r)], f_y + 55 + j * 15,
                                f_texts[std::size_t(r)][std::size_t(j)]);
  // Each column headed in the colour of the row names printed on the
  // background, so the nation's name above reads as the table's owner only.
  font.m_Set_Color(Make_Color(226, 214, 168));
  for (std::size_t r = 0; r < 3; ++r)
    font.m_Draw_Text_Shadowed(f_x + Statistics_Record_Column_X[r], f_y + Statistics_Record_Heading_Y,
                              Statistics_Record_Headings[r]);
  font.m_Set_Color(Make_Color(255, 255, 255));
  List_Window_Draw_Headers(f_page.headers, f_page.header_count, f_x + Header_X, f_y + Header_Y, true,
                           f_hovered_header, true, G_Mouse_X, G_Mouse_Y);
}

void TDC_Dlg_Statistics::m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top) {
  if (row < 1 || row > f_page.row_count) return;
  const std::int32_t g = f_page.order[std::size_t(row)];
  std::int32_t skip_from = 0, skip_to = 0;
  if (row > 1) {
    const std::int32_t prev = f_page.order[std::size_t(row - 1)];
    auto same = [&](std::int32_t column) {
      const TList_Window_Cell* a = List_Window_Get_Cell(f_page.grid, g, column);
      const TList_Window_Cell* b = List_Window_Get_Cell(f_page.grid, prev, column);
      return a && b && a->f_text == b->f_text;
    };
    if (f_page.page == 1 && same(1) && same(2)) skip_from = 1, skip_to = 5;
    if (f_page.page == 2 && same(1)) skip_from = 1, skip_to = 1;
  }
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(Make_Color(255, 255, 255));
  List_Window_Draw_Row(f_page.grid, f_page.column_count, f_page.row_count, skip_from, skip_to, false,
                       row == f_list.m_Get_Selected_Index(), x, top, g);
}
