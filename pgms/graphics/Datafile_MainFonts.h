// The numbered fonts of the game and the text routines of the drawing layer.
//
// MainFonts.txt lists the fonts; a font is chosen by its number, its record's
// place in the file (from 1). The font layer makes one texture font per
// entry on the device, keeps a current font and a current text colour, and
// measures and draws text: plain, with a black shadow, word-wrapped in a box
// (CR LF breaks a line), split into lines, cut to a width, and at the screen
// position of a world point. G_Key_Code_To_Text turns a key into the typed
// text for the edit boxes. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"
#include "Render_Device.h"
#include "Vector_Types.h"
#include "Window_Canvas.h"

struct TMain_Font_Entry {
  std::string f_file_name;
  std::string f_face_name;
  std::int32_t f_height = 0;
  bool f_bold = false;
  bool f_italic = false;
  // As read from "r,g,b": r + g * 256 + b * 65536.
  std::uint32_t f_color = 0;
};

class TDatafile_Main_Fonts {
public:
  TDatafile_Main_Fonts() = default;
  // Count and capacity 0, entries freed.
  void m_Clear();
  // Appends an entry (the room grows by 50 entries at a time).
  void m_Add(const std::string& file_name, const std::string& face_name, std::uint32_t color, bool italic, bool bold,
             std::int32_t height);
  // A copy of entry 1..count; an empty entry for any other index.
  void m_Get_Item(std::int32_t index, TMain_Font_Entry& entry) const;
  std::int32_t m_Count() const { return f_count; }
  std::int32_t m_Capacity() const { return f_capacity; }

private:
  std::int32_t f_count = 0;
  std::int32_t f_capacity = 0;
  std::vector<TMain_Font_Entry> f_items;
};

// Reads the records of MainFonts.txt: "Font File Name" (a record whose
// value is empty is skipped; it names the record in messages), "Font
// Internal Name", "Font Height", "Font Style Bold", "Font Style Italic" and
// "Font Color", all required.
class TDatafile_Main_Fonts_Data_File_Loader : public TData_File_Loader {
public:
  TDatafile_Main_Fonts_Data_File_Loader(const std::string& file_name, TDatafile_Main_Fonts& fonts)
      : TData_File_Loader(file_name), f_fonts(fonts) {}

protected:
  void m_Load_Record(std::int32_t record_number) override;

private:
  TDatafile_Main_Fonts& f_fonts;
};

// The global font list, created at start-up (or by the first load).
extern TDatafile_Main_Fonts* Main_Fonts;
void Main_Fonts_Create();
void Main_Fonts_Free();

// Empties the font list and loads the game type's data\MainFonts.txt into
// it. 1 on success; 0 when the loader reported errors, which are shown with
// the message "Main Fonts Data File" and the file's path (the entries read
// are kept).
std::int32_t Load_Main_Fonts();
std::int32_t Load_Main_Fonts_File(const std::string& file_name);

// --- the font layer -------------------------------------------------------

// Makes font 1..n (n = the number of main fonts) on the framework's device
// from the entries, with their colours made opaque, and initialises their
// device objects (a failure is logged as "G_Init_Fonts - InitDeviceObjects",
// with the reason on the line before; that font then draws nothing). Fonts
// made before are freed first. The current font becomes 1. True.
bool G_Init_Fonts();
// Frees the fonts; n becomes 0.
void G_Free_Fonts();
// The same call on fonts 1..n; failures are logged and the loop goes on.
bool G_Font_RestoreDeviceObjects();
bool G_Font_InvalidateDeviceObjects();
bool G_Font_DeleteDeviceObjects();
// The number of fonts made.
std::int32_t G_Font_Count();

// For 1..n: the current font, and its colour becomes the current colour.
// Any other index changes nothing.
void G_Font_Set_Font(std::int32_t index);
std::int32_t G_Font_Get_Font();
void G_Font_Set_Color(TColor color);
TColor G_Font_Get_Color();
// The font colour of an entry's "r,g,b" value: red, green and blue in their
// own bytes, alpha 255.
TColor G_Font_Entry_Color(std::uint32_t rgb);

// The size of the text in pixels in the current font; 0, 0 when the current
// index is not a font.
void G_Font_Get_TextExtents(const std::string& text, std::int32_t& width, std::int32_t& height);
// Top-left corner at (x, y), the current font and colour.
void G_Font_Draw_Text(float x, float y, const std::string& text);
// Black at (x + 1, y + 1), then the current colour at (x, y).
void G_Font_Draw_Text_Shadowed(float x, float y, const std::string& text);

// Word wrap in the box (left, top, width, box_height) with the line height
// (the height of the whole text's extents when it is <= 0).
void G_Font_Draw_Text_Wrapped(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t box_height,
                              const std::string& text, std::int32_t line_height);
// Each word with a black shadow one pixel down and right, in the current
// colour when enabled, else in grey (192, 192, 192).
void G_Font_Draw_Text_Wrapped_State(std::int32_t left, std::int32_t top, std::int32_t width,
                                    std::int32_t box_height, const std::string& text, std::int32_t line_height,
                                    bool enabled);
std::int32_t G_Font_Get_Wrapped_Text_Height(std::int32_t left, std::int32_t top, std::int32_t width,
                                            std::int32_t box_height, const std::string& text,
                                            std::int32_t line_height);
// Clears the list and fills it with the lines the wrapped drawing draws.
void G_Font_Split_Text_Lines(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t box_height,
                             const std::string& text, std::int32_t line_height, std::vector<std::string>& lines);
// Moves the text's characters into head while width(head) + 8 is below the
// width; rest keeps the others.
void G_Font_Split_Text_At_Width(const std::string& text, std::int32_t width, std::string& head, std::string& rest);
void G_Font_Clip_Text_To_Width(std::int32_t width, const std::string& text, std::string& head);
// The text cut at a character's boundary and ended with "…" so that it
// fits the width in the current font; the whole text when it fits.
std::string G_Font_Fit_Text(const std::string& text, std::int32_t width);
// The same with the widths measured by `width_of`.
std::string Fit_Text_To_Width(const std::string& text, std::int32_t width,
                              const std::function<std::int32_t(const std::string&)>& width_of);

// One text as the screen drawing put it down: its top left corner, its
// size in the font it was drawn in, and whether it was the dark copy under
// a shadowed text.
struct TFont_Draw_Record {
  float x = 0, y = 0;
  std::string text;
  std::int32_t width = 0, height = 0;
  bool shadow = false;
};
// Called for every text drawn at a screen point (nothing: no observer).
// Tests measure where the screens' texts land with it.
void G_Font_Set_Draw_Observer(std::function<void(const TFont_Draw_Record&)> observer);

// Projects the world point with the device's world, view and projection
// transforms and viewport; when it is in view, draws the text there in the
// current font and colour, scaled by the factor.
void G_Font_Draw_Screen_Text_At_World_Position(const std::string& text, float x, float y, float z, float scale);
// As above, unscaled, with the text's centre on the point.
void G_Font_Draw_Centered_Text_At_World_Position(const std::string& text, float x, float y, float z);

// --- window canvases ---------------------------------------------------------

// Takes face, size (the entry's height), bold, italic and colour of main font
// `index` and a clear brush. Without a font list, or for an index that names
// no font, the face "Trebuchet MS", height -10, no styles, white (0xFFFFFF).
void G_Canvas_Set_Font(TWindow_Canvas* canvas, std::int32_t index);
void G_Canvas_Set_Font_Color(TWindow_Canvas* canvas, std::uint32_t color);
// Pixels; 0 without a canvas or its handle.
std::int32_t G_Canvas_Text_Width(TWindow_Canvas* canvas, const std::string& text);
std::int32_t G_Canvas_Text_Height(TWindow_Canvas* canvas, const std::string& text);
void G_Canvas_Text_Out(TWindow_Canvas* canvas, std::int32_t x, std::int32_t y, const std::string& text);

// The text a key types (virtual-key code, shift state with shift in bit 0)
// on a US keyboard.
std::string G_Key_Code_To_Text(std::int32_t key, std::uint32_t shift);

// The drawing layer's hooks for the device fonts.
void G_Font_Engine_Create();
void G_Font_Engine_Restore();
void G_Font_Engine_Invalidate();
HRESULT G_Font_Engine_Delete();
