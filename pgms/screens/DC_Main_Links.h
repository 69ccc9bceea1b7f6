// The main screen's side of the turn machinery and of the battle: what the
// action timer, the end of turn, the computer player and the battle ask of
// the screen (camera, screen mode, messages, status line, notices, game
// over, the battle screen and its dialogs), and the effects and sounds of
// the map actions. The main screen installs both links while it exists;
// without it the rules run on the links that do nothing.
//
// The battle screen mode: when a battle starts on this machine the screen
// switches to mode 4, draws the battle (Combat_Draw) and routes clicks and
// the battle buttons to it; when it ends the screen returns to the map.
// "Dlg Combat Begin" and "Dlg Combat End" open around it when a module has
// registered them (DC_Main_Register_Dialog); without them the battle's first
// turn starts at once and a finished battle is applied at once.
#pragma once

#include <cstdint>
#include <string>

#include "Combat_Program_Links.h"
#include "Turn_Links.h"

class TDC_Main;

class TMain_Screen_Turn_Links : public TTurn_Links {
public:
  explicit TMain_Screen_Turn_Links(TDC_Main& screen) : f_screen(screen) {}
  void m_Centre_Camera(float x, float y) override;
  void m_Set_Screen_Mode(TScreen_Mode mode) override;
  void m_Show_Message(const std::string& caption, const std::string& text, TMessage_Kind kind) override;
  void m_Show_Status(const std::string& text) override;
  void m_Show_Turn_Status() override;
  void m_Clear_Notices() override;
  void m_Show_Game_Over(std::uint8_t player) override;
  bool m_Start_Effect(std::int32_t effect, const TVector& source, const TVector& target,
                      std::int32_t action_id) override;
  std::int32_t m_Start_Sound_3D(const std::string& name, const TVector& position) override;
  void m_Move_Sound_3D(std::int32_t handle, const TVector& position) override;
  void m_Stop_Sound(std::int32_t handle) override;
  void m_Play_Interface_Sound(std::int32_t number, std::int32_t volume_offset) override;

private:
  TDC_Main& f_screen;
};

class TMain_Screen_Combat_Links : public TCombat_Program_Links {
public:
  explicit TMain_Screen_Combat_Links(TDC_Main& screen) : f_screen(screen) {}
  void m_Set_Screen_Mode(TScreen_Mode mode) override;
  void m_Open_Begin_Dialog() override;
  void m_Open_End_Dialog() override;
  void m_Open_Options_Dialog() override;
  void m_Enable_Combat_Buttons(bool enabled) override;
  void m_Set_Info_Box_Unit(std::int32_t unit_id, std::int32_t count, std::int32_t hit_points) override;
  void m_Clear_Info_Box() override;
  void m_Show_Turn_Status() override;
  std::int32_t m_Screen_Width() override;
  bool m_Screen_Active() override;
  void m_Mouse_Position(std::int32_t& x, std::int32_t& y) override;
  bool m_Screen_To_Battle_Plane(std::int32_t x, std::int32_t y, float& plane_x, float& plane_y) override;

private:
  TDC_Main& f_screen;
};

// The begin dialog was closed: the battle's first turn starts. The end
// dialog was closed: the finished battle is applied to the map and the
// screen returns to it. The battle dialogs call these when they are killed.
void Main_Screen_Combat_Begin_Closed();
void Main_Screen_Combat_End_Closed();
