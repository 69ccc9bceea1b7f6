#include "DC_Dlg_Combat.h"

#include "Combat.h"
#include "DC_Dlg_List.h"
#include "DC_Main.h"
#include "Display.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Game_Command_Post.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MapClass.h"
#include "Multiplayer_GameActions.h"
#include "Path.h"
#include "World_Unit_Facts.h"

namespace {
constexpr std::int32_t Grid_Left = 65, Attacker_Grid_Top = 302, Defender_Grid_Top = 438;
constexpr float Blink_Seconds = 0.8f;

bool Network_Game() { return Game_Kind_Is_Network(); }

std::int32_t Load_Picture(const std::string& file, std::uint8_t key = TEXTURE_COLOR_KEY_NONE) {
  if (!g_tg_texture_list || file.empty()) return 0;
  return g_tg_texture_list->m_Load_Texture(file, 2, key);
}

void Draw_Flag(std::int32_t x, std::int32_t y, std::uint8_t player) {
  if (const TEmpire* e = Empire_Get(player))
    Gui_Display_Link().m_Draw_Grid_Icon(x, y, e->m_Get_Color_Index(), e->m_Get_Flag_Index());
}

std::string Nation_Name(std::uint8_t player) {
  const TEmpire* e = Empire_Get(player);
  return e ? e->m_Get_Nation_Name() : std::string();
}
}  // namespace

bool Combat_Icon_First_Fit(TCombat_Icon_Grid& grid, std::int32_t width, std::int32_t height, std::int32_t& column,
                           std::int32_t& row) {
  width = std::max(1, width);
  height = std::max(1, height);
  for (std::int32_t r = 1; r <= COMBAT_ICON_ROWS; ++r)
    for (std::int32_t c = 1; c <= COMBAT_ICON_COLUMNS; ++c) {
      if (c + width - 1 > COMBAT_ICON_COLUMNS || r + height - 1 > COMBAT_ICON_ROWS) continue;
      bool free = true;
      for (std::int32_t dc = 0; dc < width && free; ++dc)
        for (std::int32_t dr = 0; dr < height && free; ++dr)
          if (grid.used[std::size_t(c + dc - 1)][std::size_t(r + dr - 1)]) free = false;
      if (!free) continue;
      for (std::int32_t dc = 0; dc < width; ++dc)
        for (std::int32_t dr = 0; dr < height; ++dr) grid.used[std::size_t(c + dc - 1)][std::size_t(r + dr - 1)] = true;
      column = c;
      row = r;
      return true;
    }
  return false;
}

TCombat_Result_Words Combat_Result_Words(std::uint8_t winner, std::uint8_t attacker) {
  if (winner == attacker) return {"Attacker Victory", "Victory", "Defeat", true};
  return {"Attacker Defeat", "Defeat", "Victory", false};
}

std::string Combat_Icon_Count_Text(bool end_dialog, std::int32_t starting, std::int32_t destroyed) {
  if (!end_dialog) return Int_To_Text(starting);
  return Int_To_Text(std::int64_t(starting) - destroyed) + "/" + Int_To_Text(starting);
}

TDC_Dlg_Combat::TDC_Dlg_Combat(bool end_dialog) : TDisplay_Class(DC_KIND_WINDOW), f_end(end_dialog) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  const std::int32_t g = f_end ? 21 : 18;
  f_close.m_Set_Style(2, 90, 22, 0, 1);
  f_close.m_Set_Font(2);
  f_close.m_Set_Shadow();
  f_close.m_Set_Text("Close");
  f_close.m_Set_Help_Ref(1, g, 7, "", 0);
  f_close.m_Set_Position("COMBAT_CONTROL_BUTTON_CLOSE", 0, 0);
  f_close.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Button_Click(name); };
  f_close.m_Set_Visible(true);
  Add_Child_Control(&f_close);
  m_Add_Help_Area(1, g, 1, "", 0, 5, 27, 514, 258);
  m_Add_Help_Area(1, g, 2, "", 0, 524, 30, 188, 12);
  m_Add_Help_Area(1, g, 3, "", 0, 524, 48, 188, 16);
  m_Add_Help_Area(1, g, 4, "", 0, 524, 67, 188, 16);
  m_Add_Help_Area(1, g, 5, "", 0, 65, 302, 704, 128);
  m_Add_Help_Area(1, g, 6, "", 0, 65, 438, 704, 128);
  f_region = Combat_Get_Region();
  const TMap_Region* region = G_Map ? G_Map->m_Get_Region(f_region) : nullptr;
  f_region_name = region ? region->m_Get_Name() : std::string();
  f_winner = f_end ? Combat_Get_Winner() : 0;
  f_attacker = Combat_Get_Attacker();
  f_defender = Combat_Get_Defender();
  // The other player may have closed his dialog before this one opened.
  f_released = Network_Game() && Combat_Take_Early_Close(f_end);
  if (f_end) {
    f_words = Combat_Result_Words(f_winner, f_attacker);
    TGui_Text_Link& font = Gui_Text_Link();
    font.m_Set_Font(6);
    std::int32_t h = 0;
    font.m_Get_Text_Extents(f_words.title, f_title_width, h);
  }
  m_Reload_Images();
  m_Layout_Icons();
}

TDC_Dlg_Combat::~TDC_Dlg_Combat() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
  f_icons.clear();
  Gui_Release_Background(f_background);
  Gui_Release_Background(f_picture);
  // The dialog drew the ownership image for the battle's players.
  if (G_DC_Main) G_DC_Main->Map_Ownership_Changed();
}

bool TDC_Dlg_Combat::m_Reload_Images() {
  Gui_Release_Background(f_background);
  Gui_Release_Background(f_picture);
  if (!Path_Settings) return true;
  f_background = Load_Picture(f_end ? Path_Settings->m_Get_Dlg_CombatEnd_Bmp() : Path_Settings->m_Get_Dlg_CombatBegin_Bmp(), TEXTURE_COLOR_KEY_WHITE);
  f_picture = Load_Picture(!f_end ? Path_Settings->m_Get_Combat_Begin_Bmp()
                           : f_words.victory ? Path_Settings->m_Get_Combat_Victory_Bmp()
                                             : Path_Settings->m_Get_Combat_Defeat_Bmp());
  f_overview_prepared = false;
  return true;
}

void TDC_Dlg_Combat::m_Layout_Icons() {
  TCombat_Icon_Grid grids[2];
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  for (std::int32_t n = 1; n <= Combat_Get_Starting_Unit_Count(); ++n) {
    TCombat_Starting_Unit record;
    if (!Combat_Get_Starting_Unit(n, record)) continue;
    const TUnit_Type* type = World_Unit_Type(record.unit_type);
    if (!type) continue;
    Combat_Unit_Icon icon;
    icon.unit_type = record.unit_type;
    icon.starting = record.starting_count;
    icon.destroyed = record.destroyed_count;
    const std::int32_t cells_w = std::max<std::int32_t>(1, type->f_square_size_width);
    const std::int32_t cells_h = std::max<std::int32_t>(1, type->f_square_size_height);
    icon.width = cells_w * 32;
    icon.height = cells_h * 32;
    const TEmpire* owner = Empire_Get(record.owner);
    icon.tint = owner ? owner->m_Get_Second_Color() : Make_Color(255, 255, 255);
    icon.count_text = Combat_Icon_Count_Text(f_end, record.starting_count, record.destroyed_count);
    font.m_Get_Text_Extents(icon.count_text, icon.text_width, icon.text_height);
    icon.defender_side = record.owner == f_defender;
    std::int32_t column = 0, row = 0;
    if (Combat_Icon_First_Fit(grids[icon.defender_side ? 1 : 0], cells_w, cells_h, column, row)) {
      icon.x = Grid_Left + (column - 1) * 32;
      icon.y = (icon.defender_side ? Defender_Grid_Top : Attacker_Grid_Top) + (row - 1) * 32;
    }
    f_icons.push_back(icon);
  }
}

bool TDC_Dlg_Combat::m_Other_Player_Gone() const {
  const std::uint8_t local = Game_Settings.f_local_empire;
  const std::uint8_t other = local == f_attacker ? f_defender : f_attacker;
  const TEmpire* e = Empire_Get(other);
  return !e || e->m_Get_Computer_Controlled();
}

void TDC_Dlg_Combat::m_Button_Click(const std::string& name) {
  if (name != "COMBAT_CONTROL_BUTTON_CLOSE") return;
  if (!Network_Game()) {
    Set_Kill_Object(true);
    return;
  }
  const bool sent = f_end ? Game_Command_Post_Battle_Step(TCommand_Battle_End_Closed{})
                           : Game_Command_Post_Battle_Step(TCommand_Battle_Begin_Closed{});
  if (sent && !m_Other_Player_Gone()) {
    if (f_close.m_Enabled()) f_close.m_Set_Enabled(false);
    f_blink_time = 0.0f;
    f_blink = false;
  } else {
    Set_Kill_Object(true);
  }
}

bool TDC_Dlg_Combat::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != 27) return false;
  if (f_close.m_Enabled()) m_Button_Click("COMBAT_CONTROL_BUTTON_CLOSE");
  return true;
}

void TDC_Dlg_Combat::m_On_Timer(float elapsed) {
  if (!Network_Game()) return;
  f_blink_time += elapsed;
  if (f_blink_time > Blink_Seconds) {
    f_blink_time = 0.0f;
    f_blink = !f_blink;
  }
  // The other player closed his dialog, or left the game and can close
  // it no more.
  if (!f_close.m_Enabled() && (f_released || m_Other_Player_Gone())) Set_Kill_Object(true);
}

void TDC_Dlg_Combat::m_On_Reposition() { f_close.m_Set_Position("COMBAT_CONTROL_BUTTON_CLOSE", f_x + 705, f_y + 576); }

void TDC_Dlg_Combat::m_Draw(double) {
  if (!f_overview_prepared) {
    auto viewer = [](std::uint8_t player) -> std::int32_t {
      const TEmpire* e = Empire_Get(player);
      return e && !e->m_Get_Computer_Controlled() ? player : 0;
    };
    std::int32_t first = viewer(f_attacker), second = viewer(f_defender);
    if (first == 0) first = second;
    if (G_Map && G_Empire_List && (first != 0 || second != 0)) Display_Update_Overview_Map_Ownership(first, second);
    f_overview_prepared = true;
  }
  const std::int32_t x = f_x, y = f_y;
  if (g_tg_texture_list) {
    if (f_background) g_tg_texture_list->m_Draw_All({x, y, x + 800, y + 600}, f_background, false);
    if (f_picture) g_tg_texture_list->m_Draw_All({x + 521, y + 122, x + 521 + 273, y + 122 + 162}, f_picture, true);
  }
  if (G_Map)
    Display_Draw_Overview_Map(x + 6, y + 28, 512, 256, false, TRect{0, 0, 0, 0}, f_region, 0, 0,
                              Game_Settings.f_local_empire);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(Make_Color(255, 255, 255));
  // Names are cut to their room: the region's to the box's right edge, the
  // nations' to the outcome column of the end dialog.
  font.m_Draw_Text_Shadowed(x + 598, y + 27, font.m_Fit(f_region_name, 792 - 598));
  const std::int32_t name_room = (f_end ? 716 : 792) - 560;
  Draw_Flag(x + 524, y + 48, f_attacker);
  font.m_Draw_Text_Shadowed(x + 560, y + 48, font.m_Fit(Nation_Name(f_attacker), name_room));
  Draw_Flag(x + 524, y + 67, f_defender);
  font.m_Draw_Text_Shadowed(x + 560, y + 67, font.m_Fit(Nation_Name(f_defender), name_room));
  if (f_end) {
    font.m_Draw_Text_Shadowed(x + 720, y + 48, f_words.attacker);
    font.m_Draw_Text_Shadowed(x + 720, y + 67, f_words.defender);
    font.m_Set_Font(6);
    font.m_Set_Color(Make_Color(255, 255, 255));
    font.m_Draw_Text_Shadowed(x + 654 - f_title_width / 2, y + 91, f_words.title);
    font.m_Set_Font(2);
    font.m_Set_Color(Make_Color(255, 255, 255));
  }
  Draw_Flag(x + 28, y + 302, f_attacker);
  Draw_Flag(x + 28, y + 438, f_defender);
  for (const Combat_Unit_Icon& icon : f_icons) {
    const std::int32_t ix = x + icon.x, iy = y + icon.y;
    if (G_Map && g_tg_texture_list)
      g_tg_texture_list->m_Draw_All_Blend({ix, iy, ix + icon.width, iy + icon.height},
                                          G_Map->m_Get_Unit_Type_Texture(icon.unit_type), true, 5, 6, icon.tint);
    font.m_Draw_Text_Shadowed(ix + icon.width - icon.text_width, iy + icon.height - icon.text_height,
                              icon.count_text);
  }
  if (!f_close.m_Enabled() && f_blink) font.m_Draw_Text(x + 557, y + 579, "Waiting for other player...");
}

// --- the main screen's side --------------------------------------------------------------

void TDC_Main::m_Release_Combat_Begin() {
  if (auto* d = dynamic_cast<TDC_Dlg_Combat*>(m_Get_Dialog("Dlg Combat Begin")))
    d->m_Set_Close();
  else
    Combat_Keep_Early_Close(false);
}

void TDC_Main::m_Release_Combat_End() {
  if (auto* d = dynamic_cast<TDC_Dlg_Combat*>(m_Get_Dialog("Dlg Combat End")))
    d->m_Set_Close();
  else
    Combat_Keep_Early_Close(true);
}
