#include "Gui_Test_Support.h"

#include "GraphicsEngine.h"

void TGui_Fixture::SetUp() {
  f_saved_w = G_Screen_Width;
  f_saved_h = G_Screen_Height;
  G_Screen_Width = 1024;
  G_Screen_Height = 768;
  Mouse(0, 0);
  G_Mouse_Pointer_Kind = TMouse_Pointer::Normal;
  Set_Gui_Text_Link(&f_text);
  Set_Gui_Display_Link(&f_display);
  Set_Gui_Sound_Link(&f_sound);
}

void TGui_Fixture::TearDown() {
  Set_Gui_Text_Link(nullptr);
  Set_Gui_Display_Link(nullptr);
  Set_Gui_Sound_Link(nullptr);
  G_Screen_Width = f_saved_w;
  G_Screen_Height = f_saved_h;
}

void TGui_Fixture::Mouse(std::int32_t x, std::int32_t y) {
  G_Mouse_X = x;
  G_Mouse_Y = y;
}
