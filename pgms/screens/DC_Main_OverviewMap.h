// The overview map: a 258 x 130 panel in the top right corner of the main
// screen with a 256 x 128 image of the whole world's ownership, the regions
// a pending order may target, the selected stacks and a white frame around
// the part of the world the camera shows. A press on the image moves the
// camera there.
#pragma once

#include <cstdint>

#include "DC_Base_DisplayClass.h"
#include "GraphicsEngine.h"

class TDC_Main;

constexpr std::int32_t OVERVIEW_PANEL_WIDTH = 258;
constexpr std::int32_t OVERVIEW_PANEL_HEIGHT = 130;
constexpr std::int32_t OVERVIEW_IMAGE_WIDTH = 256;
constexpr std::int32_t OVERVIEW_IMAGE_HEIGHT = 128;

class TDC_Main_Overview_Map : public TDisplay_Class {
 public:
  explicit TDC_Main_Overview_Map(TDC_Main& screen);

  std::int32_t m_Get_Width() override { return OVERVIEW_PANEL_WIDTH; }
  std::int32_t m_Get_Height() override { return OVERVIEW_PANEL_HEIGHT; }
  void m_On_Child_Killed(const std::string&) override {}
  bool m_On_Mouse_Wheel(TShift_State, std::int16_t, std::int32_t, std::int32_t) override { return false; }
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  bool m_On_Key_Down(std::uint16_t&, TShift_State) override { return false; }
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override {}
  void m_On_Timer(float) override {}

  // Loads the overview textures of the current map and marks the ownership
  // image stale.
  void m_Rebuild();
  void m_Invalidate() { f_stale = true; }
  bool m_Stale() const { return f_stale; }
  // The part of the world the camera shows, in image pixels.
  void m_Update_View_Rect();
  const TRect& m_View_Rect() const { return f_view; }
  // The map point under a screen pixel of the image; false outside the
  // image or without a map.
  bool m_Map_Point_At(std::int32_t x, std::int32_t y, float& map_x, float& map_y) const;

 private:
  void m_Draw_Highlights();
  void m_Draw_Selected_Stacks();

  TDC_Main& f_screen;
  TRect f_view;
  bool f_stale = false;
};
