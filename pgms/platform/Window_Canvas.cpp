#include "Window_Canvas.h"

#include <algorithm>
#include <set>

#include "Image_Files.h"
#include "Platform_Log.h"

namespace {
// Faces already reported missing, each reported once per process.
std::set<std::string>& Reported_Missing_Faces() {
  static std::set<std::string> faces;
  return faces;
}

std::string Lower_Ascii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}
}  // namespace

TTexture_Font* TWindow_Canvas::m_Font() {
  const bool same = f_font && f_made.Name == Font.Name && f_made.Size == Font.Size && f_made.Bold == Font.Bold &&
                    f_made.Italic == Font.Italic;
  if (!same) {
    const std::uint32_t flags = (Font.Bold ? TEXTURE_FONT_BOLD : 0u) | (Font.Italic ? TEXTURE_FONT_ITALIC : 0u);
    f_font = std::make_unique<TTexture_Font>(Font.Name, Font.Size, flags);
    HRESULT opened = f_font->m_Open();
    // A face this machine does not have is drawn in the game's default face.
    if (opened == D3DERR_NOTFOUND && Lower_Ascii(Font.Name) != Lower_Ascii(Canvas_Default_Face)) {
      if (Reported_Missing_Faces().insert(Lower_Ascii(Font.Name)).second)
        Platform_Log("Font face \"" + Font.Name + "\" not found; drawing in \"" + Canvas_Default_Face + "\"");
      f_font = std::make_unique<TTexture_Font>(Canvas_Default_Face, Font.Size, flags);
      opened = f_font->m_Open();
    }
    f_opened = opened == S_OK;
    f_made = Font;
  }
  return f_opened ? f_font.get() : nullptr;
}

std::int32_t TWindow_Canvas::Text_Width(const std::string& text) {
  TTexture_Font* font = f_picture ? m_Font() : nullptr;
  std::int32_t w = 0, h = 0;
  if (font) font->GetTextExtent(text, w, h);
  return w;
}

std::int32_t TWindow_Canvas::Text_Height(const std::string& text) {
  TTexture_Font* font = f_picture ? m_Font() : nullptr;
  std::int32_t w = 0, h = 0;
  if (font) font->GetTextExtent(text, w, h);
  return h;
}

void TWindow_Canvas::Text_Out(std::int32_t x, std::int32_t y, const std::string& text) {
  TTexture_Font* font = f_picture ? m_Font() : nullptr;
  if (!font) return;
  const auto argb = [](std::uint32_t c) {
    return Make_Color(std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16), 255);
  };
  if (!Brush_Clear) {
    std::int32_t w = 0, h = 0;
    font->GetTextExtent(text, w, h);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t(x) + w, f_picture->width);
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t(y) + h, f_picture->height);
    for (std::int64_t py = std::max(0, y); py < y1; ++py)
      for (std::int64_t px = std::max(0, x); px < x1; ++px)
        f_picture->Set_Pixel(std::int32_t(px), std::int32_t(py), argb(Brush_Color));
  }
  font->m_Draw_To_Image(*f_picture, x, y, argb(Font.Color), text);
}
