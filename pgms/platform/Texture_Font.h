// Texture fonts: text drawn as textured quads from a glyph atlas.
//
// A font is made from a face name (the family, "DejaVu Sans"), a height in
// points (at 96 pixels an inch; a negative height is the character height in
// pixels, as window fonts give it) and bold / italic flags. The face is looked
// up by name among the TrueType and OpenType files of the font folders; when
// the family has no face of the asked style, its regular face is made bold
// or slanted. Glyphs are rendered with FreeType (8-bit coverage) into one
// atlas texture; characters not seen before are added to it when they are
// first measured or drawn. Text is UTF-8; a byte that does not start a valid
// UTF-8 sequence is read as Windows-1252. A line feed starts a new line;
// other characters below 32 take no room.
//
// Drawing uses pre-transformed screen vertices with the glyph pixels placed
// on whole pixels; every device state the drawing sets is put back
// afterwards. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Render_Device.h"

struct TImage;

constexpr std::uint32_t TEXTURE_FONT_BOLD = 1;
constexpr std::uint32_t TEXTURE_FONT_ITALIC = 2;
// Heights in points the fonts accept.
constexpr std::int32_t TEXTURE_FONT_MIN_HEIGHT = 1;
constexpr std::int32_t TEXTURE_FONT_MAX_HEIGHT = 200;

// --- UTF-8 -----------------------------------------------------------------

// The character at pos and the position after it (pos < text.size()). A
// byte that does not start a valid sequence is one Windows-1252 character.
std::uint32_t Text_Next_Char(std::string_view text, std::size_t& pos);

// --- font faces ------------------------------------------------------------

// The folders searched for faces, in order: by default the game's "fonts"
// folder under GLOBARCH_HOME (when set), the user's ~/.local/share/fonts,
// /usr/local/share/fonts and /usr/share/fonts, each with its subfolders.
// An empty list restores these.
void Font_Faces_Set_Folders(const std::vector<std::string>& folders);
std::vector<std::string> Font_Faces_Folders();

struct TFont_Face_Match {
  std::string file;           // native path of the face file
  std::int32_t index = 0;     // face index in the file
  bool make_bold = false;     // the style is made from the regular face
  bool make_italic = false;
};

// Finds the face of a family (its name ignores case) in a style. A face of
// exactly the style comes first; otherwise the family's regular face, made
// bold or slanted. False with a one-line reason when the family is not
// installed: Font face "<name>" not found in: <folders>.
bool Font_Face_Find(const std::string& face_name, bool bold, bool italic, TFont_Face_Match& match,
                    std::string& error);

// --- the font ----------------------------------------------------------------

class TTexture_Font {
public:
  TTexture_Font(const std::string& face_name, std::int32_t height, std::uint32_t flags);
  ~TTexture_Font();
  TTexture_Font(const TTexture_Font&) = delete;
  TTexture_Font& operator=(const TTexture_Font&) = delete;

  // Finds and opens the face, renders the common characters (ASCII and
  // Latin-1) into the atlas and makes its texture on the device. Failures:
  // D3DERR_NOTFOUND for a face that is not installed, E_INVALIDARG for a
  // height outside 1..200 (or -1..-200), E_FAIL for a face file FreeType cannot read, the
  // device's result for the texture; m_Last_Error tells which.
  HRESULT InitDeviceObjects(TRender_Device* device);
  // The same without a device: measuring and m_Draw_To_Image work afterwards.
  HRESULT m_Open();
  // Blends the text into the picture (clipped to it) with its top-left
  // corner at (x, y), in the colour (its alpha included).
  void m_Draw_To_Image(TImage& image, std::int32_t x, std::int32_t y, TColor color, std::string_view text);
  // The font draws between Restore and Invalidate.
  HRESULT RestoreDeviceObjects();
  HRESULT InvalidateDeviceObjects();
  // Frees the texture and the face.
  HRESULT DeleteDeviceObjects();

  // The size of the text in pixels: the widest line's advance and the number
  // of lines times the line height (one line for an empty text). E_FAIL
  // (and 0, 0) before InitDeviceObjects succeeded.
  HRESULT GetTextExtent(std::string_view text, std::int32_t& width, std::int32_t& height);
  // Draws with the top-left corner of the text at (x, y) (rounded to whole
  // pixels) in the colour (its alpha included). E_FAIL when the font is not
  // ready to draw.
  HRESULT DrawText(float x, float y, TColor color, std::string_view text);
  // As DrawText with every glyph and advance scaled by the factor (linear
  // filtering) at depth z.
  HRESULT DrawText_Scaled(float x, float y, float z, float scale, TColor color, std::string_view text);

  const std::string& m_Last_Error() const { return f_last_error; }
  const std::string& m_Face_Name() const { return f_face_name; }
  // The pixel height of a line (0 before InitDeviceObjects).
  std::int32_t m_Line_Height() const { return f_line_height; }
  // The atlas texture on the device (0 when none).
  TDevice_Texture m_Texture() const { return f_texture; }

private:
  struct TGlyph {
    std::uint32_t code = 0;
    std::int32_t advance = 0;
    std::int32_t left = 0, top = 0;  // from the pen position on the baseline
    std::int32_t width = 0, height = 0;
    std::int32_t atlas_x = 0, atlas_y = 0;
  };
  struct TFace;

  const TGlyph* m_Glyph(std::uint32_t code);
  bool m_Place_In_Atlas(TGlyph& glyph, const std::uint8_t* bitmap, std::int32_t pitch);
  HRESULT m_Upload();
  HRESULT m_Draw(float x, float y, float z, float scale, TColor color, std::string_view text);

  std::string f_face_name;
  std::int32_t f_height;
  std::uint32_t f_flags;
  std::string f_last_error;
  std::unique_ptr<TFace> f_face;
  TRender_Device* f_device = nullptr;
  TDevice_Texture f_texture = 0;
  bool f_restored = false;
  bool f_dirty = false;
  std::int32_t f_line_height = 0;
  std::int32_t f_ascent = 0;
  std::vector<TGlyph> f_glyphs;  // sorted by code
  std::uint32_t f_atlas_width = 0, f_atlas_height = 0;
  std::vector<TColor> f_atlas;
  std::int32_t f_shelf_x = 0, f_shelf_y = 0, f_shelf_height = 0;
};
