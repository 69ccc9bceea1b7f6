// The two dialogs around a battle that human players watch.
//
// "Dlg Combat Begin" shows where the battle is, who attacks whom and the
// forces each side brings; closing it lets the battle choose its first
// piece. "Dlg Combat End" shows who won and how much of each force
// survived; closing it applies the battle to the world. Both are 800 x 600,
// centred and modal. In a network game each stays open until both players
// have closed it; a player who leaves the game meanwhile releases it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "DC_Base_DisplayClass.h"
#include "DC_Base_TextButton.h"
#include "Vector_Types.h"

// The placement grid of one side: 22 columns x 4 rows of 32-pixel cells.
constexpr std::int32_t COMBAT_ICON_COLUMNS = 22, COMBAT_ICON_ROWS = 4;
struct TCombat_Icon_Grid {
  std::array<std::array<bool, COMBAT_ICON_ROWS>, COMBAT_ICON_COLUMNS> used{};
};
// First fit of a footprint of `width` x `height` cells: the first free
// position in the order (1,1), (2,1) .. (22,1), (1,2) .. (22,4); its cells
// are marked used. False (nothing marked) when it fits nowhere.
bool Combat_Icon_First_Fit(TCombat_Icon_Grid& grid, std::int32_t width, std::int32_t height, std::int32_t& column,
                           std::int32_t& row);

// The end dialog's words for a winner: the title, the attacker's and the
// defender's result word, and whether the victory picture is shown.
struct TCombat_Result_Words {
  std::string title, attacker, defender;
  bool victory = false;
};
TCombat_Result_Words Combat_Result_Words(std::uint8_t winner, std::uint8_t attacker);
// The number beside a unit icon: the starting count in the begin dialog,
// "survivors/starting" in the end dialog.
std::string Combat_Icon_Count_Text(bool end_dialog, std::int32_t starting, std::int32_t destroyed);

struct Combat_Unit_Icon {
  std::uint16_t unit_type = 0;
  std::int32_t starting = 0, destroyed = 0;
  std::int32_t x = 0, y = 0, width = 0, height = 0;
  TColor tint = 0;
  std::string count_text;
  std::int32_t text_width = 0, text_height = 0;
  bool defender_side = false;
};

class TDC_Dlg_Combat : public TDisplay_Class {
public:
  ~TDC_Dlg_Combat() override;

  std::int32_t m_Get_Width() override { return 800; }
  std::int32_t m_Get_Height() override { return 600; }
  bool m_Reload_Images() override;
  void m_On_Child_Killed(const std::string& name) override { TDisplay_Class::m_On_Child_Killed(name); }
  void m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) override {}
  void m_On_Mouse_Up(TMouse_Button, TShift_State, std::int32_t, std::int32_t, bool) override {}
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;
  void m_On_Timer(float elapsed) override;

  // The other player has closed the dialog (network games).
  void m_Set_Close() { f_released = true; }
  void m_Button_Click(const std::string& name);

  bool m_End_Dialog() const { return f_end; }
  const std::vector<Combat_Unit_Icon>& m_Icons() const { return f_icons; }
  const std::string& m_Region_Name() const { return f_region_name; }
  const TCombat_Result_Words& m_Words() const { return f_words; }
  bool m_Released() const { return f_released; }
  bool m_Blink() const { return f_blink; }
  TDC_Text_Button& m_Close_Button() { return f_close; }

protected:
  explicit TDC_Dlg_Combat(bool end_dialog);

private:
  void m_Layout_Icons();
  // Whether the battle's other participant can no longer close his dialog
  // (he left the game or a computer plays for him).
  bool m_Other_Player_Gone() const;

  bool f_end;
  std::int32_t f_background = 0, f_picture = 0;
  TDC_Text_Button f_close;
  std::int32_t f_region = 0;
  std::string f_region_name;
  std::uint8_t f_winner = 0, f_attacker = 0, f_defender = 0;
  TCombat_Result_Words f_words;
  std::int32_t f_title_width = 0;
  std::vector<Combat_Unit_Icon> f_icons;
  bool f_released = false;
  float f_blink_time = 0.0f;
  bool f_blink = false;
  bool f_overview_prepared = false;
};

class TDC_Dlg_CombatBegin : public TDC_Dlg_Combat {
public:
  TDC_Dlg_CombatBegin() : TDC_Dlg_Combat(false) {}
};

class TDC_Dlg_CombatEnd : public TDC_Dlg_Combat {
public:
  TDC_Dlg_CombatEnd() : TDC_Dlg_Combat(true) {}
};
