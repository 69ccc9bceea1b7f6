#include "Gui_Links.h"

#include "Datafile_MainFonts.h"
#include "Display.h"
#include "Global.h"
#include "SoundEngine_Sound_Main.h"

namespace {
TGui_Text_Link idle_text;
TGui_Display_Link idle_display;
TGui_Sound_Link idle_sound;
TGui_Text_Link* text_link = &idle_text;
TGui_Display_Link* display_link = &idle_display;
TGui_Sound_Link* sound_link = &idle_sound;
std::uint32_t (*tick_source)() = nullptr;
}  // namespace

void TGui_Text_Link::m_Set_Font(std::int32_t font) {
  f_font = font;
  G_Font_Set_Font(font);
  f_color = G_Font_Get_Color();
}
void TGui_Text_Link::m_Set_Color(TColor color) {
  f_color = color;
  G_Font_Set_Color(color);
}
TColor TGui_Text_Link::m_Get_Color() { return G_Font_Get_Color(); }
void TGui_Text_Link::m_Draw_Text(std::int32_t x, std::int32_t y, const std::string& text) {
  G_Font_Draw_Text(float(x), float(y), text);
}
void TGui_Text_Link::m_Get_Text_Extents(const std::string& text, std::int32_t& width, std::int32_t& height) {
  G_Font_Get_TextExtents(text, width, height);
}
std::int32_t TGui_Text_Link::m_Get_Wrapped_Text_Height(std::int32_t x, std::int32_t y, std::int32_t width,
                                                       std::int32_t line_height, const std::string& text,
                                                       std::int32_t maximum_height) {
  return G_Font_Get_Wrapped_Text_Height(x, y, width, maximum_height, text, line_height);
}
void TGui_Text_Link::m_Draw_Text_Wrapped(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t line_height,
                                         const std::string& text, std::int32_t maximum_height) {
  G_Font_Draw_Text_Wrapped(x, y, width, maximum_height, text, line_height);
}
void TGui_Text_Link::m_Draw_Text_Shadowed(std::int32_t x, std::int32_t y, const std::string& text) {
  G_Font_Draw_Text_Shadowed(float(x), float(y), text);
}
std::string TGui_Text_Link::m_Fit(const std::string& text, std::int32_t width) {
  return Fit_Text_To_Width(text, width, [this](const std::string& t) {
    std::int32_t w = 0, h = 0;
    m_Get_Text_Extents(t, w, h);
    return w;
  });
}
std::string TGui_Text_Link::m_Key_Code_To_Text(std::uint16_t key, TShift_State shift) {
  return G_Key_Code_To_Text(key, (shift & SS_SHIFT) ? 1u : 0u);
}

void TGui_Display_Link::m_Draw_Button_Frame(std::int32_t x, std::int32_t y, std::int32_t image, std::int32_t style,
                                            bool hovered, bool pressed, bool disabled) {
  Display_Draw_Button_Frame(x, y, image, style, hovered, pressed, disabled);
}

void TGui_Display_Link::m_Draw_Grid_Icon(std::int32_t x, std::int32_t y, std::int32_t row, std::int32_t column) {
  Display_Draw_Grid_Icon(x, y, row, column);
}

void TGui_Sound_Link::m_Play_UI_Sound(std::int32_t id, std::int32_t volume) { Sound_Play_UI_Sound(id, volume); }

TGui_Text_Link& Gui_Text_Link() { return *text_link; }
TGui_Display_Link& Gui_Display_Link() { return *display_link; }
TGui_Sound_Link& Gui_Sound_Link() { return *sound_link; }
void Set_Gui_Text_Link(TGui_Text_Link* link) { text_link = link ? link : &idle_text; }
void Set_Gui_Display_Link(TGui_Display_Link* link) { display_link = link ? link : &idle_display; }
void Set_Gui_Sound_Link(TGui_Sound_Link* link) { sound_link = link ? link : &idle_sound; }

std::uint32_t Gui_Tick_Count() { return tick_source ? tick_source() : Tick_Count(); }
void Set_Gui_Tick_Source(std::uint32_t (*source)()) { tick_source = source; }

std::int32_t Gui_Wheel_Scroll_Lines = 3;
