// The canvas of an ordinary window (the launcher and the display settings):
// text in a chosen face, size, style and colour, drawn on the window's
// picture. A canvas without a picture (no handle) measures and draws
// nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Texture_Font.h"

struct TImage;

// The face a canvas draws in when the face it names is not installed (the
// first time a face is missing, a line goes to the debug log).
constexpr const char* Canvas_Default_Face = "DejaVu Sans";

// Colours of window canvases are 0x00BBGGRR: red in the low byte.
struct TCanvas_Font {
  std::string Name;
  std::int32_t Size = 0;  // points; negative: the character height in pixels
  bool Bold = false;
  bool Italic = false;
  std::uint32_t Color = 0;
};

class TWindow_Canvas {
public:
  explicit TWindow_Canvas(TImage* picture = nullptr) : f_picture(picture) {}
  TWindow_Canvas(const TWindow_Canvas&) = delete;
  TWindow_Canvas& operator=(const TWindow_Canvas&) = delete;

  TImage* Handle() const { return f_picture; }
  void Set_Handle(TImage* picture) { f_picture = picture; }

  TCanvas_Font Font;
  // A clear brush draws text without a background; otherwise the text's box
  // is filled with the brush colour first.
  bool Brush_Clear = false;
  std::uint32_t Brush_Color = 0xFFFFFF;

  // Pixels of the text in the canvas font; 0 without a handle or when
  // neither the face nor the default face can be had.
  std::int32_t Text_Width(const std::string& text);
  std::int32_t Text_Height(const std::string& text);
  void Text_Out(std::int32_t x, std::int32_t y, const std::string& text);

private:
  // The font for the current settings (made again when they change).
  TTexture_Font* m_Font();

  TImage* f_picture;
  std::unique_ptr<TTexture_Font> f_font;
  TCanvas_Font f_made;
  bool f_opened = false;
};
