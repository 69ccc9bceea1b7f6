#include "DC_Main_Purchases_List.h"

#include "DC_Dlg_List.h"
#include "DC_Main.h"
#include "DC_Main_Purchases_Items.h"
#include "Datafile_UserSettings.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Game_Command_Post.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "Io.h"
#include "MapClass.h"
#include "Multiplayer_GameActions.h"
#include "Path.h"
#include "World_Unit_Facts.h"

TDC_Main_Purchases_List::TDC_Main_Purchases_List(TDC_Main& screen) : TDisplay_Class(DC_KIND_WINDOW), f_screen(screen) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  m_Reload_Images();
  f_delete.m_Set_Style(2, 90, 22, 0, 1);
  f_delete.m_Set_Font(2);
  f_delete.m_Set_Shadow();
  f_delete.m_Set_Text("Delete Item");
  f_delete.m_Set_Help_Ref(1, 14, 2, "", 0);
  f_delete.m_Set_Position("PURCHASES_CONTROL_BUTTON_DELETE", 0, 0);
  f_delete.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) {
    if (name == "PURCHASES_CONTROL_BUTTON_DELETE") m_Delete_Current();
  };
  f_list.m_Set_Help_Ref(1, 14, 1, "", 0);
  f_list.f_text_color = Make_Color(0, 0, 0);
  f_list.f_no_background = true;
  f_list.m_Set_Name_And_Bounds("PURCHASES_CONTROL_LIST_PURCHASES", 0, 0, 10, 10);
  f_list.OnDoubleClick = [this](const std::string&, std::int32_t, const std::string&, const std::string&) {
    m_Delete_Current();
  };
  f_list.OnOwnerDraw = [this](const std::string&, std::int32_t row, std::int32_t x, std::int32_t top, std::int32_t,
                              std::int32_t, bool, bool, const std::string&, const std::string&) {
    m_Draw_Row(row, x, top);
  };
  f_delete.m_Set_Visible(true);
  f_list.m_Set_Visible(true);
  Add_Child_Control(&f_delete);
  Add_Child_Control(&f_list);
  const std::int32_t h = m_Get_Height();
  m_Add_Help_Area(1, 14, 3, "", 0, 139, h - 26, 138, 11);
  m_Add_Help_Area(1, 14, 4, "", 0, 130, h - 13, 147, 12);
  f_empire = G_Empire_List ? G_Empire_List->m_Get_Empire(Game_Settings.f_turn_empire) : nullptr;
  m_Rebuild();
}

TDC_Main_Purchases_List::~TDC_Main_Purchases_List() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
  Gui_Release_Background(f_background);
  f_screen.m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0);
  // The purchases changed here already; the other machines learn them.
  if (Game_Kind_Is_Network() && f_empire != nullptr) {
    TCommand_Purchases purchases{Game_Settings.f_turn_empire, {}};
    for (std::int32_t i = 1; i <= f_empire->m_Get_Purchase_Count(); ++i) {
      TEmpire_Purchase p;
      f_empire->m_Get_Purchase(i, p);
      purchases.entries.push_back(p);
    }
    Game_Command_Post(purchases);
  }
}

std::int32_t TDC_Main_Purchases_List::m_Get_Height() { return Purchases_Panel_Height(G_Screen_Height); }

bool TDC_Main_Purchases_List::m_Reload_Images() {
  Gui_Release_Background(f_background);
  f_background = Gui_Load_Background(Path_Settings ? Path_Settings->m_Get_Dlg_Purchases_List_Bmp() : std::string());
  return true;
}

void TDC_Main_Purchases_List::m_Rebuild() {
  f_list.m_Clear();
  f_grid.clear();
  f_row_count = 0;
  f_total_cost = 0;
  f_total_supply = 0;
  if (!f_empire) return;
  for (std::int32_t i = 1; i <= f_empire->m_Get_Purchase_Count(); ++i) {
    TEmpire_Purchase p;
    f_empire->m_Get_Purchase(i, p);
    const std::int32_t row = i;
    std::int32_t height = 16;
    if (p.kind == PURCHASE_UNIT) {
      const TUnit_Type* type = World_Unit_Type(p.id);
      const TMap_Region* region = G_Map ? G_Map->m_Get_Region(p.region) : nullptr;
      if (type && region) {
        const double supply = double(p.amount) * double(type->f_supply_cost);
        List_Window_Set_Cell(f_grid, row, 1, type->f_display_name, 2, 0, TList_Cell_Kind::Text, 0);
        List_Window_Set_Cell(f_grid, row, 3, Int_To_Text(p.amount), 90, 0, TList_Cell_Kind::None, p.kind);
        List_Window_Set_Cell(f_grid, row, 4, region->m_Get_Name(), 90, 0, TList_Cell_Kind::None, p.id);
        List_Window_Set_Cell(f_grid, row, 5, "$" + Format_Money_Single(float(supply)), 90, 0, TList_Cell_Kind::None, 0);
        f_total_supply += supply;
        height = 50;
      }
    } else if (p.kind == PURCHASE_RESEARCH) {
      if (const TTech_Area* area = World_Tech_Area(p.id)) {
        List_Window_Set_Cell(f_grid, row, 1, "Tech: " + area->m_Get_Name(1), 2, 0, TList_Cell_Kind::Text, 0);
        List_Window_Set_Cell(f_grid, row, 3, Int_To_Text(area->m_Get_Chance(p.region)) + "% chance", 8, 0,
                             TList_Cell_Kind::None, p.kind);
        List_Window_Set_Cell(f_grid, row, 4, "", 90, 0, TList_Cell_Kind::None, p.id);
        List_Window_Set_Cell(f_grid, row, 5, "", 90, 0, TList_Cell_Kind::None, 0);
        height = 32;
      }
    }
    List_Window_Set_Cell(f_grid, row, 2, "$" + Format_Money(p.cost), 200, 0, TList_Cell_Kind::Text, 0);
    f_total_cost += p.cost;
    f_row_count = row;
    f_list.m_Add_Row("", Int_To_Text(row), height);
  }
}

void TDC_Main_Purchases_List::m_Delete_Current() {
  const std::int32_t r = f_list.m_Get_Selected_Index();
  if (!f_empire || r < 1 || r > f_empire->m_Get_Purchase_Count()) return;
  f_empire->m_Delete_Purchase(r);
  m_Rebuild();
}

void TDC_Main_Purchases_List::m_On_Timer(float) {
  if (f_empire && f_list.m_Get_Row_Count() != f_empire->m_Get_Purchase_Count()) m_Rebuild();
}

void TDC_Main_Purchases_List::m_On_Reposition() {
  const std::int32_t h = m_Get_Height();
  f_delete.m_Set_Position("PURCHASES_CONTROL_BUTTON_DELETE", f_x + 3, f_y + h - 25);
  f_list.m_Set_Name_And_Bounds("PURCHASES_CONTROL_LIST_PURCHASES", f_x + 4, f_y + 22, 272, h - 50);
}

bool TDC_Main_Purchases_List::m_Show_Item_Info() {
  const std::int32_t row = f_list.m_Hovered_Row();
  if (!f_empire || row < 1 || row > f_row_count || !f_list.Point_Within_Control(G_Mouse_X, G_Mouse_Y)) return false;
  TEmpire_Purchase p;
  f_empire->m_Get_Purchase(row, p);
  const TInfo_Box_Kind kind = p.kind == PURCHASE_UNIT ? TInfo_Box_Kind::Unit_Type : TInfo_Box_Kind::Technology;
  if (p.kind != PURCHASE_UNIT && p.kind != PURCHASE_RESEARCH) return false;
  if (f_screen.m_Info_Box().kind != kind || f_screen.m_Info_Box().subject != p.id || !f_screen.m_Info_Box_Shown())
    f_screen.m_Set_Info_Box(true, true, kind, p.id, Game_Settings.f_turn_empire);
  f_info_kind = kind;
  return true;
}

void TDC_Main_Purchases_List::m_Draw(double) {
  const std::int32_t h = m_Get_Height();
  Panel_Draw_Background(f_background, f_x, f_y, 280, h, 26, 450);
  // The title bar carries the panel's name, as the dialogs' title bars do.
  Gui_Draw_Dialog_Title(f_x, f_y, Purchases_List_Title);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  // Each total named on its line, ending just left of its value, in the
  // colour the rows use for their own field names.
  font.m_Set_Color(User_Settings.m_Get_Label_Text_Color());
  for (int i = 0; i < 2; ++i) {
    std::int32_t w = 0, th = 0;
    font.m_Get_Text_Extents(Purchases_List_Total_Labels[i], w, th);
    font.m_Draw_Text_Shadowed(f_x + Purchases_List_Total_X - 8 - w, f_y + h - 29 + 13 * i,
                              Purchases_List_Total_Labels[i]);
  }
  font.m_Set_Color(Make_Color(255, 255, 255));
  font.m_Draw_Text_Shadowed(f_x + Purchases_List_Total_X, f_y + h - 29, Purchase_Money_Text(f_total_cost));
  font.m_Draw_Text_Shadowed(f_x + Purchases_List_Total_X, f_y + h - 16,
                            "$" + Format_Money_Single(float(f_total_supply)));
}

void TDC_Main_Purchases_List::m_Draw_After_Children(double) {
  if (m_Show_Item_Info()) {
    f_screen.m_Draw_Info_Box();
  } else if (f_info_kind != TInfo_Box_Kind::None) {
    f_screen.m_Set_Info_Box(false, false, TInfo_Box_Kind::None, 0, 0);
    f_info_kind = TInfo_Box_Kind::None;
  }
}

void TDC_Main_Purchases_List::m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top) {
  if (row < 1 || row > f_row_count) return;
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(row == f_list.m_Get_Selected_Index() ? User_Settings.m_Get_Selected_Text_Color()
                                                        : Make_Color(255, 255, 255));
  List_Window_Draw_Row(f_grid, 2, f_row_count, 0, 0, !f_list.m_Enabled(), false, x, top, row);
  const TList_Window_Cell* kind = List_Window_Get_Cell(f_grid, row, 3);
  if (!kind) return;
  font.m_Set_Color(User_Settings.m_Get_Label_Text_Color());
  if (kind->f_value == PURCHASE_UNIT) {
    const char* labels[3] = {"Amount", "Location", "Supply Cost"};
    for (int i = 0; i < 3; ++i) {
      const TList_Window_Cell* c = List_Window_Get_Cell(f_grid, row, 3 + i);
      font.m_Draw_Text_Shadowed(x + 8, top + 12 * (i + 1), labels[i]);
      if (c) font.m_Draw_Text_Shadowed(x + 90, top + 12 * (i + 1), c->f_text);
    }
  } else if (kind->f_value == PURCHASE_RESEARCH) {
    font.m_Draw_Text_Shadowed(x + 8, top + 12, kind->f_text);
  }
}
