#include "Datafile_MainFonts.h"

#include <memory>

#include "Debug_Log.h"
#include "Errors.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "Path.h"
#include "Text_Encoding.h"
#include "Texture_Font.h"

TDatafile_Main_Fonts* Main_Fonts = nullptr;

// --- the font list ---------------------------------------------------------------

void TDatafile_Main_Fonts::m_Clear() {
  f_count = 0;
  f_capacity = 0;
  f_items.clear();
  f_items.shrink_to_fit();
}

void TDatafile_Main_Fonts::m_Add(const std::string& file_name, const std::string& face_name, std::uint32_t color,
                                 bool italic, bool bold, std::int32_t height) {
  if (f_count >= f_capacity) {
    f_capacity = Checked_Add<std::int32_t>(f_capacity, 50);
    f_items.reserve(std::size_t(f_capacity));
  }
  TMain_Font_Entry e;
  e.f_file_name = file_name;
  e.f_face_name = face_name;
  e.f_height = height;
  e.f_bold = bold;
  e.f_italic = italic;
  e.f_color = color;
  f_items.push_back(std::move(e));
  ++f_count;
}

void TDatafile_Main_Fonts::m_Get_Item(std::int32_t index, TMain_Font_Entry& entry) const {
  if (index >= 1 && index <= f_count) entry = f_items[std::size_t(index) - 1];
  else entry = TMain_Font_Entry();
}

void TDatafile_Main_Fonts_Data_File_Loader::m_Load_Record(std::int32_t) {
  std::string file_name, face_name, v;
  m_Get_Field("Font File Name", file_name, true);
  if (file_name.empty()) return;
  file_name = Datafile_Value_To_String(file_name);
  m_Set_Record_Name(file_name);
  if (m_Get_Field("Font Internal Name", v, true)) face_name = Datafile_Value_To_String(v);
  std::int32_t height = 0;
  bool bold = false, italic = false;
  std::uint32_t color = 0;
  if (m_Get_Field("Font Height", v, true)) height = Datafile_Value_To_Integer(v);
  if (m_Get_Field("Font Style Bold", v, true)) bold = Datafile_Value_To_Boolean(v);
  if (m_Get_Field("Font Style Italic", v, true)) italic = Datafile_Value_To_Boolean(v);
  if (m_Get_Field("Font Color", v, true)) color = Datafile_Value_To_RGB(v);
  f_fonts.m_Add(file_name, face_name, color, italic, bold, height);
}

void Main_Fonts_Create() {
  if (!Main_Fonts) Main_Fonts = new TDatafile_Main_Fonts();
}

void Main_Fonts_Free() {
  delete Main_Fonts;
  Main_Fonts = nullptr;
}

std::int32_t Load_Main_Fonts_File(const std::string& file_name) {
  Main_Fonts_Create();
  Main_Fonts->m_Clear();
  TDatafile_Main_Fonts_Data_File_Loader loader(file_name, *Main_Fonts);
  loader.m_Load();
  if (loader.m_Get_Errors().empty()) return 1;
  Show_Data_File_Error(loader.m_Get_Errors(), "Main Fonts Data File", file_name);
  return 0;
}

std::int32_t Load_Main_Fonts() {
  const std::string file = Path_Settings ? Path_Settings->m_Get_MainFonts_File() : std::string("data\\MainFonts.txt");
  return Load_Main_Fonts_File(file);
}

// --- the font layer ------------------------------------------------------------

namespace {

std::vector<std::unique_ptr<TTexture_Font>> f_fonts;  // font i at i - 1
std::vector<TColor> f_colors;
std::int32_t f_current = 0;
TColor f_color = 0xFFFFFFFFu;

const std::string LINE_BREAK = "\r\n";
constexpr TColor SHADOW_COLOR = 0xFF000000u;
constexpr TColor DISABLED_COLOR = 0xFFC0C0C0u;

TTexture_Font* Current_Font() {
  if (f_current < 1 || std::size_t(f_current) > f_fonts.size()) return nullptr;
  return f_fonts[std::size_t(f_current) - 1].get();
}

void Log_Failure(HRESULT r, const char* where) {
  if (r != S_OK) G_Check_Result(r, where);
}

std::int32_t Text_Width(const std::string& text) {
  std::int32_t w = 0, h = 0;
  G_Font_Get_TextExtents(text, w, h);
  return w;
}

// What the word wrap does with each word and line.
struct TWrap_Sink {
  virtual ~TWrap_Sink() = default;
  virtual void Word(std::int32_t, std::int32_t, const std::string&) {}
  virtual void Close_Line() {}
};

// The shared word wrap; returns the height the text takes.
std::int32_t Word_Wrap(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t box_height,
                       const std::string& text, std::int32_t line_height, TWrap_Sink& sink) {
  if (line_height <= 0) {
    std::int32_t w = 0;
    G_Font_Get_TextExtents(text, w, line_height);
  }
  // Box edges in 64 bits: no sum of the caller's values can overflow.
  const std::int64_t right = std::int64_t(left) + width;
  const std::int64_t bottom = std::int64_t(top) + box_height;
  const std::int64_t lh = line_height;
  std::int64_t x = left, y = top;
  std::string rest = text;
  for (;;) {
    const std::size_t rest_before = rest.size();
    const std::int64_t y_before = y;
    const std::size_t marker = rest.find(LINE_BREAK);
    const std::size_t space = rest.find(' ');
    std::string word;
    bool line_break = false;
    if (marker != std::string::npos && (space == std::string::npos || marker < space)) {
      word = rest.substr(0, marker);
      rest.erase(0, marker + LINE_BREAK.size());
      line_break = true;
    } else if (space == std::string::npos) {
      word = std::move(rest);
      rest.clear();
    } else {
      word = rest.substr(0, space + 1);
      rest.erase(0, space + 1);
    }
    std::int64_t word_width = Text_Width(word);
    // A word too wide for the last line of the box is cut; the cut-off part
    // falls below the box.
    if ((x == left || rest.empty()) && !word.empty() && x + word_width > right && y >= bottom - lh) {
      std::string head, cut;
      G_Font_Split_Text_At_Width(word, std::int32_t(std::clamp<std::int64_t>(right - x, INT32_MIN, INT32_MAX)),
                                 head, cut);
      word = std::move(head);
      rest = std::move(cut);
      word_width = Text_Width(word);
    } else if (!word.empty() && word_width > right - left) {
      // A word wider than a whole line (a long file path) on any other line:
      // it starts a line of its own, is cut at the box's width, and the
      // cut-off part is wrapped on the following lines.
      if (x != left) {
        sink.Close_Line();
        y += lh;
        x = left;
      }
      std::string head, cut;
      G_Font_Split_Text_At_Width(word, std::int32_t(std::clamp<std::int64_t>(right - left, INT32_MIN, INT32_MAX)),
                                 head, cut);
      // Characters wider than the split's margin may leave the head a little
      // over the line: give them back, keeping at least one character.
      while (Text_Width(head) > right - left) {
        std::size_t last = head.size() - 1;
        while (last > 0 && (static_cast<unsigned char>(head[last]) & 0xC0) == 0x80) --last;
        if (last == 0) break;
        cut.insert(0, head, last, std::string::npos);
        head.erase(last);
      }
      if (!head.empty()) {
        if (line_break) cut += LINE_BREAK;
        line_break = false;
        rest = cut + rest;
        word = std::move(head);
        word_width = Text_Width(word);
      }
    }
    if (x + word_width > right || word.empty()) {
      sink.Close_Line();
      y += lh;
      x = left;
    }
    if (x + word_width <= right && y <= bottom) sink.Word(std::int32_t(x), std::int32_t(y), word);
    if (line_break) {
      sink.Close_Line();
      y += lh;
      x = left;
    } else {
      x += word_width;
    }
    if (rest.empty() || y > bottom) break;
    // Without a line height (no font) a word cut to nothing would come
    // back for ever: stop when a pass moved neither the text nor the line.
    if (rest.size() >= rest_before && y == y_before) break;
  }
  return std::int32_t(std::clamp<std::int64_t>(y + lh - top, INT32_MIN, INT32_MAX));
}

// The screen matrix of a viewport.
TMatrix Viewport_Matrix(const TViewport& vp) {
  TMatrix m;
  m.m[0][0] = float(vp.Width) / 2.0f;
  m.m[1][1] = -float(vp.Height) / 2.0f;
  m.m[2][2] = vp.MaxZ - vp.MinZ;
  m.m[3][0] = float(vp.X) + float(vp.Width) / 2.0f;
  m.m[3][1] = float(vp.Y) + float(vp.Height) / 2.0f;
  m.m[3][2] = vp.MinZ;
  m.m[3][3] = 1.0f;
  return m;
}

bool World_To_Screen(float x, float y, float z, float& sx, float& sy) {
  TMatrix world, view, projection;
  TViewport vp;
  if (G_GetTransform(D3DTS_WORLD, world) != S_OK || G_GetTransform(D3DTS_VIEW, view) != S_OK ||
      G_GetTransform(D3DTS_PROJECTION, projection) != S_OK || G_GetViewport(vp) != S_OK)
    return false;
  return G_Point_In_View(world, view, projection, Viewport_Matrix(vp), x, y, z, sx, sy);
}

}  // namespace

TColor G_Font_Entry_Color(std::uint32_t rgb) {
  return Make_Color(std::uint8_t(rgb), std::uint8_t(rgb >> 8), std::uint8_t(rgb >> 16), 255);
}

bool G_Init_Fonts() {
  G_Free_Fonts();
  TRender_Device* device = Render_Device_Current();
  const std::int32_t n = Main_Fonts ? Main_Fonts->m_Count() : 0;
  if (device && n > 0) {
    for (std::int32_t i = 1; i <= n; ++i) {
      TMain_Font_Entry e;
      Main_Fonts->m_Get_Item(i, e);
      const std::uint32_t flags = (e.f_bold ? TEXTURE_FONT_BOLD : 0u) | (e.f_italic ? TEXTURE_FONT_ITALIC : 0u);
      f_fonts.push_back(std::make_unique<TTexture_Font>(e.f_face_name, e.f_height, flags));
      f_colors.push_back(G_Font_Entry_Color(e.f_color));
      const HRESULT r = f_fonts.back()->InitDeviceObjects(device);
      if (r != S_OK && Debug_Sections[DEBUG_ENGINE_STARTUP])
        Debug_Log_Write("G_Init_Fonts - font " + std::to_string(i) + ": " + f_fonts.back()->m_Last_Error());
      Log_Failure(r, "G_Init_Fonts - InitDeviceObjects");
    }
  }
  f_current = 1;
  return true;
}

void G_Free_Fonts() {
  f_fonts.clear();
  f_colors.clear();
}

bool G_Font_RestoreDeviceObjects() {
  for (auto& f : f_fonts) Log_Failure(f->RestoreDeviceObjects(), "G_Font_RestoreDeviceObjects - RestoreDeviceObjects");
  return true;
}

bool G_Font_InvalidateDeviceObjects() {
  for (auto& f : f_fonts)
    Log_Failure(f->InvalidateDeviceObjects(), "G_Font_InvalidateDeviceObjects - InvalidateDeviceObjects");
  return true;
}

bool G_Font_DeleteDeviceObjects() {
  for (auto& f : f_fonts) Log_Failure(f->DeleteDeviceObjects(), "G_Font_DeleteDeviceObjects - DeleteDeviceObjects");
  return true;
}

std::int32_t G_Font_Count() { return std::int32_t(f_fonts.size()); }

void G_Font_Set_Font(std::int32_t index) {
  if (index < 1 || std::size_t(index) > f_fonts.size()) return;
  f_current = index;
  f_color = f_colors[std::size_t(index) - 1];
}

std::int32_t G_Font_Get_Font() { return f_current; }
void G_Font_Set_Color(TColor color) { f_color = color; }
TColor G_Font_Get_Color() { return f_color; }

void G_Font_Get_TextExtents(const std::string& text, std::int32_t& width, std::int32_t& height) {
  width = 0;
  height = 0;
  TTexture_Font* font = Current_Font();
  if (!font) return;
  Log_Failure(font->GetTextExtent(text, width, height), "G_Font_Get_TextExtents - GetTextExtent");
}

namespace {
std::function<void(const TFont_Draw_Record&)> f_draw_observer;
}  // namespace

void G_Font_Set_Draw_Observer(std::function<void(const TFont_Draw_Record&)> observer) {
  f_draw_observer = std::move(observer);
}

void G_Font_Draw_Text(float x, float y, const std::string& text) {
  TTexture_Font* font = Current_Font();
  if (!font) return;
  if (f_draw_observer && !text.empty()) {
    TFont_Draw_Record record;
    record.x = x;
    record.y = y;
    record.text = text;
    G_Font_Get_TextExtents(text, record.width, record.height);
    record.shadow = f_color == SHADOW_COLOR;
    f_draw_observer(record);
  }
  Log_Failure(font->DrawText(x, y, f_color, text), "G_Font_Draw_Text - DrawText");
}

void G_Font_Draw_Text_Shadowed(float x, float y, const std::string& text) {
  const TColor color = f_color;
  f_color = SHADOW_COLOR;
  G_Font_Draw_Text(x + 1, y + 1, text);
  f_color = color;
  G_Font_Draw_Text(x, y, text);
}

void G_Font_Draw_Text_Wrapped(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t box_height,
                              const std::string& text, std::int32_t line_height) {
  struct TDraw : TWrap_Sink {
    void Word(std::int32_t x, std::int32_t y, const std::string& word) override {
      G_Font_Draw_Text(float(x), float(y), word);
    }
  } sink;
  Word_Wrap(left, top, width, box_height, text, line_height, sink);
}

void G_Font_Draw_Text_Wrapped_State(std::int32_t left, std::int32_t top, std::int32_t width,
                                    std::int32_t box_height, const std::string& text, std::int32_t line_height,
                                    bool enabled) {
  const TColor color = f_color;
  struct TDraw : TWrap_Sink {
    TColor face;
    void Word(std::int32_t x, std::int32_t y, const std::string& word) override {
      f_color = SHADOW_COLOR;
      G_Font_Draw_Text(float(x) + 1, float(y) + 1, word);
      f_color = face;
      G_Font_Draw_Text(float(x), float(y), word);
    }
  } sink;
  sink.face = enabled ? color : DISABLED_COLOR;
  Word_Wrap(left, top, width, box_height, text, line_height, sink);
  f_color = color;
}

std::int32_t G_Font_Get_Wrapped_Text_Height(std::int32_t left, std::int32_t top, std::int32_t width,
                                            std::int32_t box_height, const std::string& text,
                                            std::int32_t line_height) {
  TWrap_Sink sink;
  return Word_Wrap(left, top, width, box_height, text, line_height, sink);
}

void G_Font_Split_Text_Lines(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t box_height,
                             const std::string& text, std::int32_t line_height, std::vector<std::string>& lines) {
  struct TSplit : TWrap_Sink {
    std::vector<std::string>* lines = nullptr;
    std::string line;
    void Word(std::int32_t, std::int32_t, const std::string& word) override { line += word; }
    void Close_Line() override {
      lines->push_back(line);
      line.clear();
    }
  } sink;
  lines.clear();
  sink.lines = &lines;
  Word_Wrap(left, top, width, box_height, text, line_height, sink);
  if (!sink.line.empty()) lines.push_back(sink.line);
}

void G_Font_Split_Text_At_Width(const std::string& text, std::int32_t width, std::string& head, std::string& rest) {
  std::string h;
  std::size_t pos = 0;
  while (pos < text.size() && std::int64_t(Text_Width(h)) + 8 < width) {
    const std::size_t start = pos;
    Text_Next_Char(text, pos);
    h.append(text, start, pos - start);
  }
  rest = text.substr(pos);
  head = std::move(h);
}

void G_Font_Clip_Text_To_Width(std::int32_t width, const std::string& text, std::string& head) {
  std::string rest;
  G_Font_Split_Text_At_Width(text, width, head, rest);
}

std::string Fit_Text_To_Width(const std::string& text, std::int32_t width,
                              const std::function<std::int32_t(const std::string&)>& width_of) {
  if (width_of(text) <= width) return text;
  static const std::string ellipsis = "\xE2\x80\xA6";
  std::string cut = text;
  while (!cut.empty()) {
    // One whole character off the end: its continuation bytes, then its
    // first byte.
    while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0u) == 0x80u) cut.pop_back();
    if (!cut.empty()) cut.pop_back();
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    if (width_of(cut + ellipsis) <= width) return cut + ellipsis;
  }
  return width_of(ellipsis) <= width ? ellipsis : std::string();
}

std::string G_Font_Fit_Text(const std::string& text, std::int32_t width) {
  return Fit_Text_To_Width(text, width, [](const std::string& t) {
    std::int32_t w = 0, h = 0;
    G_Font_Get_TextExtents(t, w, h);
    return w;
  });
}

void G_Font_Draw_Screen_Text_At_World_Position(const std::string& text, float x, float y, float z, float scale) {
  TTexture_Font* font = Current_Font();
  if (!font) return;
  float sx = 0, sy = 0;
  if (!World_To_Screen(x, y, z, sx, sy)) return;
  Log_Failure(font->DrawText_Scaled(sx, sy, 0.0f, scale, f_color, text),
              "G_Font_Draw_Screen_Text_At_World_Position - DrawText_WithScaling");
}

void G_Font_Draw_Centered_Text_At_World_Position(const std::string& text, float x, float y, float z) {
  if (!Current_Font()) return;
  float sx = 0, sy = 0;
  if (!World_To_Screen(x, y, z, sx, sy)) return;
  std::int32_t w = 0, h = 0;
  G_Font_Get_TextExtents(text, w, h);
  float left = sx - float(w / 2), top = sy - float(h / 2);
  // A text centred near an edge (a damage figure over a piece at the
  // battle's right edge) is moved in so that the whole of it shows.
  TViewport vp;
  if (G_GetViewport(vp) == S_OK) {
    const float right_most = float(vp.X) + float(vp.Width) - float(w);
    const float bottom_most = float(vp.Y) + float(vp.Height) - float(h);
    if (left > right_most) left = right_most;
    if (left < float(vp.X)) left = float(vp.X);
    if (top > bottom_most) top = bottom_most;
    if (top < float(vp.Y)) top = float(vp.Y);
  }
  G_Font_Draw_Text(left, top, text);
}

void G_Canvas_Set_Font(TWindow_Canvas* canvas, std::int32_t index) {
  if (!canvas || !canvas->Handle()) return;
  TCanvas_Font font;
  if (Main_Fonts && index >= 1 && index <= Main_Fonts->m_Count()) {
    TMain_Font_Entry e;
    Main_Fonts->m_Get_Item(index, e);
    font.Name = e.f_face_name;
    font.Size = e.f_height;
    font.Bold = e.f_bold;
    font.Italic = e.f_italic;
    font.Color = e.f_color;
  } else {
    font.Name = "Trebuchet MS";
    font.Size = -10;
    font.Color = 0xFFFFFF;
  }
  canvas->Font = font;
  canvas->Brush_Clear = true;
}

void G_Canvas_Set_Font_Color(TWindow_Canvas* canvas, std::uint32_t color) {
  if (!canvas || !canvas->Handle()) return;
  canvas->Font.Color = color;
}

std::int32_t G_Canvas_Text_Width(TWindow_Canvas* canvas, const std::string& text) {
  return canvas && canvas->Handle() ? canvas->Text_Width(text) : 0;
}

std::int32_t G_Canvas_Text_Height(TWindow_Canvas* canvas, const std::string& text) {
  return canvas && canvas->Handle() ? canvas->Text_Height(text) : 0;
}

void G_Canvas_Text_Out(TWindow_Canvas* canvas, std::int32_t x, std::int32_t y, const std::string& text) {
  if (canvas && canvas->Handle()) canvas->Text_Out(x, y, text);
}

namespace {
// Whether a key code stands for a character on the keyboard: space, the
// digit and letter rows, the numeric pad's digits and signs and the
// punctuation keys. Function keys, lock keys, the system keys and the
// unassigned codes type nothing.
bool Key_Types_A_Character(std::int32_t key) {
  return key == 32 || (key >= 48 && key <= 57) || (key >= 65 && key <= 90) || (key >= 96 && key <= 107) ||
         (key >= 109 && key <= 111) || (key >= 186 && key <= 192) || (key >= 219 && key <= 222);
}
}  // namespace

std::string G_Key_Code_To_Text(std::int32_t key, std::uint32_t shift) {
  if (!Key_Types_A_Character(key)) return std::string();
  std::string text(1, char(key));
  if (key >= 96 && key <= 105) text = std::string(1, char('0' + key - 96));
  switch (key) {
    case 106: text = "*"; break;
    case 107: text = "+"; break;
    case 109: text = "-"; break;
    case 110: text = "."; break;
    case 111: text = "/"; break;
    case 186: text = ";"; break;
    case 187: text = "="; break;
    case 188: text = ","; break;
    case 189: text = "-"; break;
    case 190: text = "."; break;
    case 191: text = "/"; break;
    case 192: text = "`"; break;
    case 219: text = "["; break;
    case 220: text = "\\"; break;
    case 221: text = "]"; break;
    case 222: text = "'"; break;
    default: break;
  }
  if ((shift & 1u) == 0) {
    for (char& c : text)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  } else if (text.size() == 1) {
    static const char* const from = "1234567890-='[]\\;/,.`";
    static const char* const to = "!@#$%^&*()_+\"{}|:?<>~";
    for (std::size_t i = 0; from[i]; ++i)
      if (text[0] == from[i]) {
        text = std::string(1, to[i]);
        break;
      }
  }
  return Cp1252_To_Utf8(text);
}

void G_Font_Engine_Create() { G_Init_Fonts(); }
void G_Font_Engine_Restore() { G_Font_RestoreDeviceObjects(); }
void G_Font_Engine_Invalidate() { G_Font_InvalidateDeviceObjects(); }
HRESULT G_Font_Engine_Delete() {
  G_Font_DeleteDeviceObjects();
  G_Free_Fonts();
  return S_OK;
}
