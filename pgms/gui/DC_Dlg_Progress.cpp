#include "DC_Dlg_Progress.h"

#include <cmath>

#include "DC_Dlg_List.h"
#include "Errors.h"
#include "GraphicsEngine.h"
#include "Path.h"

namespace {
constexpr std::int32_t BAR_WIDTH = 392;
}

TDC_Dlg_Progress::TDC_Dlg_Progress() : TDisplay_Class(DC_KIND_WINDOW) {
  f_background = Gui_Load_Background(Path_Settings ? Path_Settings->m_Get_Dlg_Progress_Bmp() : std::string());
  G_Progress_Dialog_Shown = true;
}

TDC_Dlg_Progress::~TDC_Dlg_Progress() {
  G_Progress_Dialog_Shown = false;
  Gui_Release_Background(f_background);
}

void TDC_Dlg_Progress::m_Set_Percent(std::int32_t percent) {
  f_percent = percent;
  if (percent >= 100) Set_Kill_Object(true);
}

std::int32_t TDC_Dlg_Progress::m_Bar_Width() const {
  // A percentage beyond 0..100 draws no further than the frame.
  const double width = std::trunc(double(f_percent) / 100.0 * BAR_WIDTH);
  if (width <= 0) return 0;
  if (width >= BAR_WIDTH) return BAR_WIDTH;
  return std::int32_t(width);
}

void TDC_Dlg_Progress::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 400, 94);
  Gui_Draw_Dialog_Title(f_x, f_y, f_caption);
  const std::int32_t left = Checked_Add(f_x, 4);
  const std::int32_t top = Checked_Add(f_y, 26);
  G_Draw_2D_Color_Part(G_Make_Color(0, 0, 200), TRect{left, top, Checked_Add(left, m_Bar_Width()), top + 42}, false,
                       false);
}
