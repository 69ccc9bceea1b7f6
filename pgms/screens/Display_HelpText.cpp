#include "Display_HelpText.h"

#include <algorithm>

#include "Datafile_HelpText.h"
#include "GraphicsEngine.h"
#include "Gui_Links.h"
#include "MachineOptions.h"

namespace {

THelp_Text_Item f_current, f_previous;
bool f_reported = false;

constexpr std::int32_t Title_Font = 7;
constexpr std::int32_t Description_Font = 8;
constexpr std::int32_t Line_Height = 12;
constexpr std::int32_t Minimum_Width = 300;

bool Help_Shown_By_Options() { return !Machine_Options || Machine_Options->f_show_help_text; }
float Help_Delay() { return Machine_Options ? Machine_Options->f_frame_time_threshold : 0.5f; }

bool Same_Item(const THelp_Text_Item& a, std::int32_t kind, std::int32_t dialog, std::int32_t entry,
               const std::string& text) {
  return a.kind == kind && a.dialog == dialog && a.entry == entry && a.text == text;
}

std::string Title_Of(const THelp_Text_Item& item) {
  return Help_Text ? Help_Text->m_Get_Title(item.dialog, item.entry) : std::string();
}
std::string Description_Of(const THelp_Text_Item& item) {
  return Help_Text ? Help_Text->m_Get_Description(item.dialog, item.entry) : std::string();
}

// Keeps the box on the screen.
void Keep_On_Screen(std::int32_t w, std::int32_t h, std::int32_t screen_w, std::int32_t screen_h, std::int32_t& x,
                    std::int32_t& y) {
  x = std::max(x, 0);
  y = std::max(y, 0);
  if (x + w > screen_w) x = screen_w - w - 1;
  if (y + h > screen_h) y = screen_h - h - 1;
}

}  // namespace

const THelp_Text_Item& Help_Text_Current() { return f_current; }

void Help_Text_Reset() {
  f_current = THelp_Text_Item();
  f_previous = THelp_Text_Item();
  f_reported = false;
}

void Help_Text_Set_Hover(const std::string&, const std::string&, std::int32_t ref1, std::int32_t ref2,
                         std::int32_t ref3, const std::string& text, std::int32_t ref4, std::int32_t x, std::int32_t y,
                         std::int32_t width, std::int32_t height) {
  if (ref3 <= 0 || ref1 != 1 || !Help_Shown_By_Options()) return;
  if (Same_Item(f_previous, ref1, ref2, ref3, text)) {
    f_reported = true;
    return;
  }
  if (!Same_Item(f_current, ref1, ref2, ref3, text)) f_current = THelp_Text_Item();
  f_current.kind = ref1;
  f_current.dialog = ref2;
  f_current.entry = ref3;
  f_current.text = text;
  f_current.extra = ref4;
  f_current.area_left = x;
  f_current.area_top = y;
  f_current.area_right = x + width;
  f_current.area_bottom = y + height;
  f_current.elapsed = 0.0f;
  f_reported = true;
  TGui_Text_Link& fonts = Gui_Text_Link();
  fonts.m_Set_Font(Title_Font);
  std::int32_t title_w = 0, title_h = 0;
  fonts.m_Get_Text_Extents(Title_Of(f_current), title_w, title_h);
  f_current.box_width = std::max(title_w + 8, Minimum_Width);
  fonts.m_Set_Font(Description_Font);
  f_current.box_height =
      fonts.m_Get_Wrapped_Text_Height(0, 0, f_current.box_width - 8, Line_Height, Description_Of(f_current), 1000) + 34;
  f_previous = f_current;
}

void Help_Text_Update_Timer(float elapsed) {
  if (f_current.kind == 0 || f_current.shown) return;
  f_current.elapsed += elapsed;
  if (f_current.elapsed > Help_Delay()) f_current.shown = true;
}

void Help_Text_Place_Box(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, std::int32_t w,
                         std::int32_t h, std::int32_t screen_w, std::int32_t screen_h, std::int32_t& x,
                         std::int32_t& y) {
  x = right - w / 2;
  y = top - h - 10;
  if (y < 0) y = bottom + 10;
  Keep_On_Screen(w, h, screen_w, screen_h, x, y);
  if (x >= left && x <= right && y >= top && y <= bottom) {
    if (w + 10 < screen_w - right)
      x = right + 10;
    else if (w + 10 < left)
      x = left - w - 10;
  }
  Keep_On_Screen(w, h, screen_w, screen_h, x, y);
}

void Help_Text_Draw() {
  if (!f_reported) {
    // The previous frame's record goes too: otherwise coming back to the
    // same control would match it and keep the cleared item, and the box
    // would never show there again.
    f_current = THelp_Text_Item();
    f_previous = THelp_Text_Item();
  } else if (f_current.shown && Help_Shown_By_Options()) {
    const THelp_Text_Item& item = f_current;
    std::int32_t x = 0, y = 0;
    Help_Text_Place_Box(item.area_left, item.area_top, item.area_right, item.area_bottom, item.box_width,
                        item.box_height, G_Screen_Width, G_Screen_Height, x, y);
    const std::int32_t w = item.box_width, h = item.box_height;
    // The colours' alpha plays no part: the box and its frame are opaque.
    G_Draw_2D_Color_Part(G_Make_Color_RGBA(100, 100, 100, 20), {x, y, x + w, y + h}, false, false);
    const TColor frame = G_Make_Color_RGBA(150, 150, 150, 0);
    G_Draw_2D_Color_Part(frame, {x, y, x + w, y + 1}, false, false);
    G_Draw_2D_Color_Part(frame, {x, y + h - 1, x + w, y + h}, false, false);
    G_Draw_2D_Color_Part(frame, {x, y, x + 1, y + h}, false, false);
    G_Draw_2D_Color_Part(frame, {x + w - 1, y, x + w, y + h}, false, false);
    TGui_Text_Link& fonts = Gui_Text_Link();
    fonts.m_Set_Font(Title_Font);
    fonts.m_Draw_Text_Shadowed(x + 4, y + 4, Title_Of(item));
    fonts.m_Set_Font(Description_Font);
    fonts.m_Draw_Text_Wrapped(x + 4, y + 18, w - 8, Line_Height, Description_Of(item), h - 8);
  }
  f_reported = false;
}
