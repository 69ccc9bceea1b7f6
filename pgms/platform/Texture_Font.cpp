#include "Texture_Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SFNT_NAMES_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_IDS_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "Image_Files.h"
#include "Text_Encoding.h"

// --- UTF-8 -----------------------------------------------------------------

std::uint32_t Text_Next_Char(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return std::uint8_t(text[i]); };
  const std::uint8_t b0 = byte(pos);
  std::size_t length = 0;
  std::uint32_t code = 0, min = 0;
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, code = b0 & 0x1Fu, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, code = b0 & 0x0Fu, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, code = b0 & 0x07u, min = 0x10000;
  }
  bool valid = length > 0 && pos + length <= text.size();
  for (std::size_t i = 1; valid && i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) valid = false;
    code = (code << 6) | (byte(pos + i) & 0x3Fu);
  }
  if (valid && code >= min && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
    pos += length;
    return code;
  }
  // One Windows-1252 byte.
  const std::string utf8 = Cp1252_To_Utf8(text.substr(pos, 1));
  ++pos;
  std::size_t p = 0;
  return utf8.empty() ? 0xFFFD : Text_Next_Char(utf8, p);
}

// --- FreeType and the faces ----------------------------------------------------

namespace {

// The library lives for the whole process (faces may outlive any other
// owner until the end).
FT_Library Library() {
  static FT_Library library = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return library;
}

std::string Lower_Ascii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

struct TFace_Entry {
  std::string file;
  std::int32_t index = 0;
  std::vector<std::string> families;  // lower case; the first is the face's own family
  bool bold = false, italic = false;
};

std::vector<std::string> f_folders;
bool f_folders_set = false;
std::vector<TFace_Entry> f_entries;
bool f_scanned = false;

// A name-table string as ASCII (UTF-16 big endian on the Windows and
// Unicode platforms, single bytes on the Macintosh one).
std::string Sfnt_Text(const FT_SfntName& name) {
  std::string out;
  const bool wide = name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE;
  if (wide) {
    for (FT_UInt i = 0; i + 1 < name.string_len; i += 2)
      out += name.string[i] == 0 && name.string[i + 1] < 0x80 ? char(name.string[i + 1]) : '?';
  } else {
    out.assign(reinterpret_cast<const char*>(name.string), name.string_len);
  }
  return out;
}

void Add_Face_Entries(const std::filesystem::path& file) {
  FT_Library library = Library();
  if (!library) return;
  FT_Long count = 1;
  for (FT_Long index = 0; index < count; ++index) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), index, &face) != 0) return;
    count = std::min<FT_Long>(face->num_faces, 16);
    TFace_Entry entry;
    entry.file = file.string();
    entry.index = std::int32_t(index);
    entry.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
    entry.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    // The legacy family (name 1) first: it tells condensed and light faces
    // apart from the family's main faces.
    std::vector<std::string> legacy, others;
    const FT_UInt names = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < names; ++i) {
      FT_SfntName name;
      if (FT_Get_Sfnt_Name(face, i, &name) != 0) continue;
      if (name.name_id == TT_NAME_ID_FONT_FAMILY) legacy.push_back(Lower_Ascii(Sfnt_Text(name)));
      if (name.name_id == TT_NAME_ID_TYPOGRAPHIC_FAMILY) others.push_back(Lower_Ascii(Sfnt_Text(name)));
    }
    if (face->family_name) others.push_back(Lower_Ascii(face->family_name));
    if (!legacy.empty()) entry.families.push_back(legacy.front());
    for (auto& n : others) entry.families.push_back(n);
    if (!entry.families.empty()) f_entries.push_back(std::move(entry));
    FT_Done_Face(face);
  }
}

void Scan_Folders() {
  if (f_scanned) return;
  f_scanned = true;
  f_entries.clear();
  for (const std::string& folder : Font_Faces_Folders()) {
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      const std::string ext = Lower_Ascii(it->path().extension().string());
      if (ext == ".ttf" || ext == ".otf" || ext == ".ttc") files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& f : files) Add_Face_Entries(f);
  }
}

}  // namespace

void Font_Faces_Set_Folders(const std::vector<std::string>& folders) {
  f_folders = folders;
  f_folders_set = !folders.empty();
  f_scanned = false;
}

std::vector<std::string> Font_Faces_Folders() {
  if (f_folders_set) return f_folders;
  std::vector<std::string> folders;
  if (const char* home = std::getenv("GLOBARCH_HOME"); home && *home)
    folders.push_back((std::filesystem::path(home) / "fonts").string());
  if (const char* user = std::getenv("HOME"); user && *user)
    folders.push_back((std::filesystem::path(user) / ".local" / "share" / "fonts").string());
  folders.push_back("/usr/local/share/fonts");
  folders.push_back("/usr/share/fonts");
  return folders;
}

bool Font_Face_Find(const std::string& face_name, bool bold, bool italic, TFont_Face_Match& match,
                    std::string& error) {
  Scan_Folders();
  const std::string wanted = Lower_Ascii(face_name);
  // Rank: exact style on the own family, exact style on another family
  // name, then the regular face made into the style.
  const TFace_Entry* best = nullptr;
  int best_rank = 99;
  for (const TFace_Entry& e : f_entries) {
    const auto it = std::find(e.families.begin(), e.families.end(), wanted);
    if (it == e.families.end()) continue;
    const bool own = it == e.families.begin();
    int rank = 99;
    if (e.bold == bold && e.italic == italic) rank = own ? 0 : 1;
    else if (!e.bold && !e.italic) rank = own ? 2 : 3;
    if (rank < best_rank) best = &e, best_rank = rank;
  }
  if (!best) {
    std::string folders;
    for (const std::string& f : Font_Faces_Folders()) folders += (folders.empty() ? "" : ", ") + f;
    error = "Font face \"" + face_name + "\" not found in: " + folders;
    return false;
  }
  match.file = best->file;
  match.index = best->index;
  match.make_bold = bold && !best->bold;
  match.make_italic = italic && !best->italic;
  error.clear();
  return true;
}

// --- the font ----------------------------------------------------------------

struct TTexture_Font::TFace {
  FT_Face face = nullptr;
  bool make_bold = false;
  bool make_italic = false;
  ~TFace() {
    if (face) FT_Done_Face(face);
  }
};

namespace {
// Characters rendered when the font is made: ASCII and Latin-1.
bool Preloaded(std::uint32_t code) { return (code >= 32 && code <= 126) || (code >= 160 && code <= 255); }
constexpr std::int32_t GLYPH_GAP = 1;  // empty pixels around each glyph in the atlas
}  // namespace

TTexture_Font::TTexture_Font(const std::string& face_name, std::int32_t height, std::uint32_t flags)
    : f_face_name(face_name), f_height(height), f_flags(flags) {}

TTexture_Font::~TTexture_Font() { DeleteDeviceObjects(); }

HRESULT TTexture_Font::InitDeviceObjects(TRender_Device* device) {
  DeleteDeviceObjects();
  f_last_error.clear();
  if (!device) {
    f_last_error = "No device";
    return E_FAIL;
  }
  HRESULT r = m_Open();
  if (r != S_OK) return r;
  f_device = device;
  r = m_Upload();
  if (r != S_OK) {
    DeleteDeviceObjects();
    f_last_error = "The font texture cannot be made";
  }
  return r;
}

HRESULT TTexture_Font::m_Open() {
  DeleteDeviceObjects();
  f_last_error.clear();
  const std::int32_t size = f_height < 0 ? -f_height : f_height;
  if (f_height == INT32_MIN || size < TEXTURE_FONT_MIN_HEIGHT || size > TEXTURE_FONT_MAX_HEIGHT) {
    f_last_error = "Font height " + std::to_string(f_height) + " of \"" + f_face_name + "\" is outside 1.." +
                   std::to_string(TEXTURE_FONT_MAX_HEIGHT);
    return E_INVALIDARG;
  }
  TFont_Face_Match match;
  if (!Font_Face_Find(f_face_name, (f_flags & TEXTURE_FONT_BOLD) != 0, (f_flags & TEXTURE_FONT_ITALIC) != 0, match,
                      f_last_error))
    return D3DERR_NOTFOUND;
  auto face = std::make_unique<TFace>();
  if (!Library() || FT_New_Face(Library(), match.file.c_str(), match.index, &face->face) != 0 ||
      (f_height > 0 ? FT_Set_Char_Size(face->face, 0, FT_F26Dot6(f_height) * 64, 96, 96)
                    : FT_Set_Pixel_Sizes(face->face, 0, FT_UInt(size))) != 0) {
    f_last_error = "Font face file " + match.file + " cannot be read";
    return E_FAIL;
  }
  face->make_bold = match.make_bold;
  face->make_italic = match.make_italic;
  if (face->make_italic) {
    FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // 12 degrees
    FT_Set_Transform(face->face, &shear, nullptr);
  }
  const FT_Size_Metrics& m = face->face->size->metrics;
  f_ascent = std::int32_t((m.ascender + 63) >> 6);
  const std::int32_t descent = std::int32_t((-m.descender + 63) >> 6);
  f_line_height = std::max<std::int32_t>(std::int32_t((m.height + 32) >> 6), f_ascent + descent);
  f_face = std::move(face);

  f_atlas_width = f_line_height > 40 ? 1024 : 256;
  f_atlas_height = 64;
  f_atlas.assign(std::size_t(f_atlas_width) * f_atlas_height, 0u);
  f_shelf_x = f_shelf_y = f_shelf_height = 0;
  f_glyphs.clear();
  for (std::uint32_t code = 32; code <= 255; ++code)
    if (Preloaded(code)) m_Glyph(code);
  return S_OK;
}

void TTexture_Font::m_Draw_To_Image(TImage& image, std::int32_t x, std::int32_t y, TColor color,
                                    std::string_view text) {
  if (!f_face) return;
  std::int64_t pen_x = 0, pen_y = 0;
  const std::uint32_t ca = Color_Alpha(color);
  for (std::size_t pos = 0; pos < text.size();) {
    const std::uint32_t code = Text_Next_Char(text, pos);
    if (code == '\n') {
      pen_x = 0;
      pen_y += f_line_height;
      continue;
    }
    if (code < 32) continue;
    const TGlyph g = *m_Glyph(code);
    const std::int64_t left = std::int64_t(x) + pen_x + g.left;
    const std::int64_t top = std::int64_t(y) + pen_y + f_ascent - g.top;
    for (std::int32_t row = 0; row < g.height; ++row) {
      const std::int64_t py = top + row;
      if (py < 0 || py >= image.height) continue;
      for (std::int32_t col = 0; col < g.width; ++col) {
        const std::int64_t px = left + col;
        if (px < 0 || px >= image.width) continue;
        const std::uint32_t cover =
            Color_Alpha(f_atlas[std::size_t(g.atlas_y + row) * f_atlas_width + std::size_t(g.atlas_x + col)]);
        const std::uint32_t a = cover * ca / 255;
        if (a == 0) continue;
        const TColor d = image.Pixel(std::int32_t(px), std::int32_t(py));
        const auto mix = [a](std::uint32_t s, std::uint32_t t) { return (s * a + t * (255 - a) + 127) / 255; };
        image.Set_Pixel(std::int32_t(px), std::int32_t(py),
                        (d & 0xFF000000u) | (mix(Color_Red(color), Color_Red(d)) << 16) |
                            (mix(Color_Green(color), Color_Green(d)) << 8) | mix(Color_Blue(color), Color_Blue(d)));
      }
    }
    pen_x += g.advance;
  }
}

HRESULT TTexture_Font::RestoreDeviceObjects() {
  if (!f_device || !f_texture) return E_FAIL;
  f_restored = true;
  return S_OK;
}

HRESULT TTexture_Font::InvalidateDeviceObjects() {
  f_restored = false;
  return S_OK;
}

HRESULT TTexture_Font::DeleteDeviceObjects() {
  if (f_texture && f_device && f_device == Render_Device_Current()) f_device->Release_Texture(f_texture);
  f_texture = 0;
  f_device = nullptr;
  f_restored = false;
  f_face.reset();
  f_glyphs.clear();
  f_atlas.clear();
  f_line_height = 0;
  f_ascent = 0;
  return S_OK;
}

const TTexture_Font::TGlyph* TTexture_Font::m_Glyph(std::uint32_t code) {
  auto it = std::lower_bound(f_glyphs.begin(), f_glyphs.end(), code,
                             [](const TGlyph& g, std::uint32_t c) { return g.code < c; });
  if (it != f_glyphs.end() && it->code == code) return &*it;
  TGlyph glyph;
  glyph.code = code;
  FT_Face face = f_face->face;
  if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) == 0) {
    if (f_face->make_bold) FT_GlyphSlot_Embolden(face->glyph);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0) {
      const FT_Bitmap& b = face->glyph->bitmap;
      glyph.advance = std::int32_t((face->glyph->advance.x + 32) >> 6);
      glyph.left = face->glyph->bitmap_left;
      glyph.top = face->glyph->bitmap_top;
      glyph.width = std::int32_t(b.width);
      glyph.height = std::int32_t(b.rows);
      if (b.pixel_mode != FT_PIXEL_MODE_GRAY || !m_Place_In_Atlas(glyph, b.buffer, b.pitch))
        glyph.width = glyph.height = 0;
    }
  }
  it = f_glyphs.insert(it, glyph);
  return &*it;
}

bool TTexture_Font::m_Place_In_Atlas(TGlyph& glyph, const std::uint8_t* bitmap, std::int32_t pitch) {
  if (glyph.width <= 0 || glyph.height <= 0) return true;
  const std::int32_t w = glyph.width + GLYPH_GAP, h = glyph.height + GLYPH_GAP;
  if (w + GLYPH_GAP > std::int32_t(f_atlas_width)) return false;
  if (f_shelf_x + w + GLYPH_GAP > std::int32_t(f_atlas_width)) {
    f_shelf_y += f_shelf_height;
    f_shelf_x = 0;
    f_shelf_height = 0;
  }
  while (f_shelf_y + h + GLYPH_GAP > std::int32_t(f_atlas_height)) {
    const std::uint32_t limit = f_device ? std::min<std::uint32_t>(f_device->Get_Max_Texture_Size(), 4096) : 4096;
    if (f_atlas_height * 2 > limit) return false;
    f_atlas_height *= 2;
    f_atlas.resize(std::size_t(f_atlas_width) * f_atlas_height, 0u);
  }
  glyph.atlas_x = f_shelf_x + GLYPH_GAP;
  glyph.atlas_y = f_shelf_y + GLYPH_GAP;
  for (std::int32_t row = 0; row < glyph.height; ++row) {
    const std::uint8_t* src = bitmap + std::ptrdiff_t(row) * pitch;
    TColor* dst = &f_atlas[std::size_t(glyph.atlas_y + row) * f_atlas_width + std::size_t(glyph.atlas_x)];
    for (std::int32_t col = 0; col < glyph.width; ++col) dst[col] = (TColor(src[col]) << 24) | 0x00FFFFFFu;
  }
  f_shelf_x += w;
  f_shelf_height = std::max(f_shelf_height, h);
  f_dirty = true;
  return true;
}

HRESULT TTexture_Font::m_Upload() {
  if (!f_device) return E_FAIL;
  TDevice_Texture texture = 0;
  const HRESULT r = f_device->Create_Texture_From_Pixels(f_atlas_width, f_atlas_height, f_atlas.data(), 0, 0,
                                                         D3DPOOL_MANAGED, texture);
  if (r != S_OK) return r;
  if (f_texture) f_device->Release_Texture(f_texture);
  f_texture = texture;
  f_dirty = false;
  return S_OK;
}

HRESULT TTexture_Font::GetTextExtent(std::string_view text, std::int32_t& width, std::int32_t& height) {
  width = 0;
  height = 0;
  if (!f_face) return E_FAIL;
  std::int64_t line = 0, widest = 0;
  std::int32_t lines = 1;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::uint32_t code = Text_Next_Char(text, pos);
    if (code == '\n') {
      widest = std::max(widest, line);
      line = 0;
      ++lines;
    } else if (code >= 32) {
      line += m_Glyph(code)->advance;
    }
  }
  widest = std::max(widest, line);
  width = std::int32_t(std::min<std::int64_t>(widest, INT32_MAX));
  height = std::int32_t(std::min<std::int64_t>(std::int64_t(lines) * f_line_height, INT32_MAX));
  return S_OK;
}

HRESULT TTexture_Font::DrawText(float x, float y, TColor color, std::string_view text) {
  return m_Draw(x, y, 0.0f, 1.0f, color, text);
}

HRESULT TTexture_Font::DrawText_Scaled(float x, float y, float z, float scale, TColor color, std::string_view text) {
  return m_Draw(x, y, z, scale, color, text);
}

HRESULT TTexture_Font::m_Draw(float x, float y, float z, float scale, TColor color, std::string_view text) {
  if (!f_face || !f_texture || !f_restored || !f_device) return E_FAIL;
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || !std::isfinite(scale) || scale <= 0)
    return E_INVALIDARG;

  // The quads first (this may add glyphs to the atlas).
  std::vector<TDevice_Screen_Vertex> v;
  const float x0 = std::round(x), y0 = std::round(y);
  float pen_x = 0, pen_y = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::uint32_t code = Text_Next_Char(text, pos);
    if (code == '\n') {
      pen_x = 0;
      pen_y += float(f_line_height);
      continue;
    }
    if (code < 32) continue;
    const TGlyph g = *m_Glyph(code);
    if (g.width > 0 && g.height > 0) {
      const float l = x0 + (pen_x + float(g.left)) * scale - 0.5f;
      const float t = y0 + (pen_y + float(f_ascent - g.top)) * scale - 0.5f;
      const float r = l + float(g.width) * scale, b = t + float(g.height) * scale;
      // Atlas pixels for now: the atlas may still grow while the text is read.
      const float tu0 = float(g.atlas_x), tv0 = float(g.atlas_y);
      const float tu1 = float(g.atlas_x + g.width), tv1 = float(g.atlas_y + g.height);
      const TDevice_Screen_Vertex a{l, t, z, 1, color, tu0, tv0}, bb{r, t, z, 1, color, tu1, tv0},
          c{l, b, z, 1, color, tu0, tv1}, d{r, b, z, 1, color, tu1, tv1};
      v.insert(v.end(), {a, bb, c, bb, d, c});
    }
    pen_x += float(g.advance);
  }
  if (f_dirty) {
    const HRESULT r = m_Upload();
    if (r != S_OK) return r;
  }
  if (v.empty()) return S_OK;
  for (TDevice_Screen_Vertex& p : v) {
    p.tu /= float(f_atlas_width);
    p.tv /= float(f_atlas_height);
  }

  // Save the states the drawing sets, draw, put them back.
  struct TSaved {
    int kind;  // 0 render state, 1 sampler 0, 2 stage 0
    std::uint32_t type, value, old;
  };
  TSaved states[] = {
      {0, D3DRS_ALPHABLENDENABLE, 1, 0},
      {0, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA, 0},
      {0, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA, 0},
      {0, D3DRS_BLENDOP, D3DBLENDOP_ADD, 0},
      {0, D3DRS_ALPHATESTENABLE, 1, 0},
      {0, D3DRS_ALPHAREF, 0x08, 0},
      {0, D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL, 0},
      {0, D3DRS_FILLMODE, D3DFILL_SOLID, 0},
      {0, D3DRS_CULLMODE, D3DCULL_NONE, 0},
      {0, D3DRS_ZENABLE, 0, 0},
      {0, D3DRS_ZWRITEENABLE, 0, 0},
      {0, D3DRS_FOGENABLE, 0, 0},
      {0, D3DRS_COLORWRITEENABLE, 0xF, 0},
      {1, D3DSAMP_MINFILTER, scale == 1.0f ? D3DTEXF_POINT : D3DTEXF_LINEAR, 0},
      {1, D3DSAMP_MAGFILTER, scale == 1.0f ? D3DTEXF_POINT : D3DTEXF_LINEAR, 0},
      {1, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP, 0},
      {1, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP, 0},
      {2, D3DTSS_COLOROP, D3DTOP_MODULATE, 0},
      {2, D3DTSS_COLORARG1, D3DTA_TEXTURE, 0},
      {2, D3DTSS_COLORARG2, D3DTA_DIFFUSE, 0},
      {2, D3DTSS_ALPHAOP, D3DTOP_MODULATE, 0},
      {2, D3DTSS_ALPHAARG1, D3DTA_TEXTURE, 0},
      {2, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE, 0},
  };
  TRender_Device& d = *f_device;
  for (TSaved& s : states) {
    if (s.kind == 0) d.GetRenderState(s.type, s.old), d.SetRenderState(s.type, s.value);
    else if (s.kind == 1) d.GetSamplerState(0, s.type, s.old), d.SetSamplerState(0, s.type, s.value);
    else d.GetTextureStageState(0, s.type, s.old), d.SetTextureStageState(0, s.type, s.value);
  }
  std::uint32_t old_fvf = 0;
  TDevice_Texture old_texture = 0;
  d.GetFVF(old_fvf);
  d.GetTexture(0, old_texture);
  d.SetFVF(FVF_SCREEN_VERTEX);
  d.SetTexture(0, f_texture);
  const HRESULT r = d.DrawPrimitiveUP(D3DPT_TRIANGLELIST, std::uint32_t(v.size() / 3), v.data(), DEVICE_VERTEX_STRIDE);
  d.SetTexture(0, old_texture);
  d.SetFVF(old_fvf);
  for (const TSaved& s : states) {
    if (s.kind == 0) d.SetRenderState(s.type, s.old);
    else if (s.kind == 1) d.SetSamplerState(0, s.type, s.old);
    else d.SetTextureStageState(0, s.type, s.old);
  }
  return r;
}
