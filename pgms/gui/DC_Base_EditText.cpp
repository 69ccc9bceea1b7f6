#include "DC_Base_EditText.h"

#include "Datafile_UserSettings.h"
#include "Errors.h"
#include "GraphicsEngine.h"

namespace {
constexpr std::int32_t EDIT_FONT = 2;

bool Continuation_Byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

std::int32_t Utf8_Length(const std::string& text) {
  std::int32_t n = 0;
  for (char c : text)
    if (!Continuation_Byte(c)) n = Checked_Add(n, 1);
  return n;
}

std::size_t Utf8_Offset(const std::string& text, std::int32_t n) {
  std::size_t i = 0;
  for (std::int32_t k = 0; k < n && i < text.size(); ++k) {
    ++i;
    while (i < text.size() && Continuation_Byte(text[i])) ++i;
  }
  return i;
}

TDC_EditText::TDC_EditText()
    : TDisplay_Class(DC_KIND_CONTROL), f_text_color(User_Settings.m_Get_Normal_Text_Color()) {
  f_blink_tick = Gui_Tick_Count();
  m_Layout();
}

bool TDC_EditText::m_Reload_Images() {
  const bool result = TDisplay_Class::m_Reload_Images();
  m_Layout();
  return result;
}

std::int32_t TDC_EditText::m_Length() const { return Utf8_Length(f_text); }

void TDC_EditText::m_Set_Text(const std::string& text) {
  f_text = text;
  f_caret_position = m_Length();
  m_Layout();
}

void TDC_EditText::m_Set_Position(const std::string& name, std::int32_t x, std::int32_t y, std::int32_t width,
                                  std::int32_t height) {
  m_Set_Bounds(name, x, y, width, height, false);
  m_Layout();
}

void TDC_EditText::m_Set_Shadow_Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  f_has_shadow_color = true;
  f_shadow_color = G_Make_Color(red, green, blue);
}

void TDC_EditText::m_Set_Focus() {
  f_focused = true;
  m_Unfocus_Others();
}

void TDC_EditText::m_On_Mouse_Down(TMouse_Button, TShift_State, std::int32_t, std::int32_t) {
  if (OnMouseDown) {
    const TEdit_Event event = OnMouseDown;
    event(f_name);
  }
  m_Focus_If_Focusable();
}

bool TDC_EditText::m_On_Key_Down(std::uint16_t& key, TShift_State shift) {
  if (!(f_enabled && f_editable && f_focused && f_visible)) return false;
  const std::int32_t length = m_Length();
  bool handled = false;
  bool acted = true;
  bool text_changed = false;
  switch (key) {
    case VK_TAB:
      m_Focus_Next();
      handled = true;
      break;
    case VK_BACK:
      if (f_caret_position > 0) {
        const std::size_t from = Utf8_Offset(f_text, f_caret_position - 1);
        f_text.erase(from, Utf8_Offset(f_text, f_caret_position) - from);
        --f_caret_position;
        text_changed = handled = true;
      } else {
        acted = false;
      }
      break;
    case VK_END:
      f_caret_position = length;
      break;
    case VK_HOME:
      f_caret_position = 0;
      break;
    case VK_DELETE:
      if (f_caret_position < length) {
        const std::size_t from = Utf8_Offset(f_text, f_caret_position);
        f_text.erase(from, Utf8_Offset(f_text, f_caret_position + 1) - from);
        text_changed = handled = true;
      } else {
        acted = false;
      }
      break;
    case VK_LEFT:
      if (f_caret_position > 0) --f_caret_position;
      break;
    case VK_RIGHT:
      if (f_caret_position < length) ++f_caret_position;
      break;
    default:
      if (key == VK_SPACE || key >= 48) {
        std::string typed = Gui_Text_Link().m_Key_Code_To_Text(key, shift);
        if (f_digits_only && !(typed.size() == 1 && typed[0] >= '0' && typed[0] <= '9')) typed.clear();
        if (!typed.empty() && (f_maximum_length == 0 || length < f_maximum_length)) {
          f_text.insert(Utf8_Offset(f_text, f_caret_position), typed);
          f_caret_position = Checked_Add(f_caret_position, Utf8_Length(typed));
          text_changed = handled = true;
        } else {
          acted = false;
        }
      } else {
        acted = false;
      }
      break;
  }
  if (text_changed) {
    f_changed = true;
    f_display_text.clear();
    f_masked_text.clear();
  }
  if (acted) {
    m_Layout();
    if (OnChange) {
      const TEdit_Event event = OnChange;
      event(f_name);
    }
  }
  return handled;
}

void TDC_EditText::m_Layout() {
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(EDIT_FONT);
  f_display_text = f_text;
  const std::int32_t length = m_Length();
  f_masked_text.assign(std::size_t(length), '*');
  std::int32_t w = 0, h = 0;
  font.m_Get_Text_Extents(f_password ? f_masked_text : f_display_text, w, h);
  const std::int32_t available = Checked_Sub(f_width, 15);
  if (available > 0 && w > available) {
    // Show the tail: prepend characters until the text is wider than the box
    // or the whole text is taken.
    std::int32_t taken = 0;
    std::size_t from = f_text.size();
    do {
      do {
        --from;
      } while (from > 0 && Continuation_Byte(f_text[from]));
      ++taken;
      f_display_text = f_text.substr(from);
      f_masked_text.assign(std::size_t(taken), '*');
      font.m_Get_Text_Extents(f_password ? f_masked_text : f_display_text, w, h);
    } while (w <= available && from > 0);
  }
  font.m_Get_Text_Extents(f_password ? f_masked_text : f_display_text, f_text_width, f_text_height);
  f_text_x = Checked_Add(f_x, 5);
  f_text_y = Checked_Sub(Checked_Sub(Checked_Add(f_y, f_height / 2), f_text_height / 2), 1);
  if (f_centred) f_text_x = Checked_Sub(Checked_Add(Checked_Add(f_x, 5), available / 2), f_text_width / 2);
  f_caret_offset = 0;
  if (f_caret_position > 0) {
    std::int32_t ch = 0;
    const std::string before = f_password ? std::string(std::size_t(f_caret_position), '*')
                                          : f_text.substr(0, Utf8_Offset(f_text, f_caret_position));
    font.m_Get_Text_Extents(before, f_caret_offset, ch);
  }
}

void TDC_EditText::m_Draw(double) {
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(EDIT_FONT);
  font.m_Set_Color(f_enabled ? f_text_color : User_Settings.m_Get_Disabled_Text_Color());
  const std::string& shown = f_password ? f_masked_text : f_display_text;
  if (f_has_shadow_color) {
    const TColor colour = font.m_Get_Color();
    font.m_Set_Color(f_shadow_color);
    font.m_Draw_Text(Checked_Add(f_text_x, 1), Checked_Add(f_text_y, 1), shown);
    font.m_Set_Color(colour);
  }
  font.m_Draw_Text(f_text_x, f_text_y, shown);
  if (f_editable && f_caret_shown && f_enabled && f_focused) {
    const std::int32_t available = Checked_Sub(f_width, 15);
    std::int32_t caret_x;
    if (f_centred) {
      caret_x = Checked_Sub(Checked_Add(Checked_Add(Checked_Add(f_x, 5), available / 2), f_caret_offset / 2), 1);
    } else {
      caret_x = Checked_Add(Checked_Add(f_x, f_caret_offset), 4);
      const std::int32_t limit = Checked_Sub(Checked_Add(f_x, f_width), 2);
      if (caret_x > limit) caret_x = limit;
    }
    const std::int32_t top = Checked_Add(f_y, 2);
    G_Draw_2D_Color_Part(G_Make_Color(255, 255, 255),
                         TRect{caret_x, top, Checked_Add(caret_x, 2), Checked_Add(top, Checked_Sub(f_height, 5))},
                         false, false);
  }
  const std::uint32_t now = Gui_Tick_Count();
  if (now - f_blink_tick > EDIT_CARET_BLINK_MS) {
    f_caret_shown = !f_caret_shown;
    f_blink_tick = now;
  }
}
