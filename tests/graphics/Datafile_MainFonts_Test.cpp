#include <gtest/gtest.h>

#include <cmath>

#include "Datafile_MainFonts.h"
#include "Engine_Fixture.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_View_Link.h"
#include "Image_Files.h"
#include "Shell_Services.h"
#include "Texture_Font.h"
#include "Vector_Math.h"

namespace {

constexpr float kPi = 3.14159265f;

std::string Shipped_Fonts() { return (Source_Dir() / "data" / "MainFonts.txt").string(); }

// --- the data file -------------------------------------------------------------

TEST(Main_Fonts_File, ShippedFileLoadsTwelveFonts) {
  Take_Held_Reports();
  ASSERT_EQ(Load_Main_Fonts_File(Shipped_Fonts()), 1);
  ASSERT_EQ(Main_Fonts->m_Count(), 12);
  EXPECT_EQ(Main_Fonts->m_Capacity(), 50);
  TMain_Font_Entry e;
  Main_Fonts->m_Get_Item(1, e);
  EXPECT_EQ(e.f_file_name, "DejaVuSans-Bold.ttf");
  EXPECT_EQ(e.f_face_name, "DejaVu Sans");
  EXPECT_EQ(e.f_height, 11);
  EXPECT_TRUE(e.f_bold);
  EXPECT_FALSE(e.f_italic);
  EXPECT_EQ(e.f_color, 0xFFFFFFu);
  Main_Fonts->m_Get_Item(10, e);
  EXPECT_TRUE(e.f_italic);
  for (std::int32_t outside : {0, -1, 13}) {
    Main_Fonts->m_Get_Item(outside, e);
    EXPECT_EQ(e.f_file_name, "");
    EXPECT_EQ(e.f_face_name, "");
    EXPECT_EQ(e.f_height, 0);
    EXPECT_EQ(e.f_color, 0u);
  }
  EXPECT_TRUE(Take_Held_Reports().empty());
  Main_Fonts_Free();
}

TEST(Main_Fonts_File, BrokenRecordsAreReportedAndTheRestKept) {
  TTemp_Dir dir;
  const std::string file = dir.design() + "MainFonts.txt";
  Write_File(dir.path() / "MainFonts.txt",
             "Test fonts\r\n*BEGIN*\r\nMain Fonts\r\nDescription\r\n"
             "Font File Name := First\r\nFont Internal Name := DejaVu Sans\r\nFont Height := 10\r\n"
             "Font Style Bold := No\r\nFont Style Italic := Yes\r\nFont Color := 10,20,30\r\n\r\n"
             "Font File Name :=\r\nFont Internal Name := Skipped\r\n\r\n"
             "Font File Name := Second\r\nFont Internal Name := DejaVu Serif\r\nFont Style Bold := Yes\r\n"
             "Font Style Italic := No\r\nFont Color := 255,255,255\r\n\r\n*END*\r\n");
  Take_Held_Reports();
  EXPECT_EQ(Load_Main_Fonts_File(file), 0);
  ASSERT_EQ(Main_Fonts->m_Count(), 2);
  TMain_Font_Entry e;
  Main_Fonts->m_Get_Item(1, e);
  EXPECT_EQ(e.f_color, 10u + 20u * 256 + 30u * 65536);
  EXPECT_TRUE(e.f_italic);
  Main_Fonts->m_Get_Item(2, e);
  EXPECT_EQ(e.f_face_name, "DejaVu Serif");
  EXPECT_EQ(e.f_height, 0);
  const std::vector<THeld_Report> reports = Take_Held_Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].caption, "Data File Error");
  EXPECT_EQ(reports[0].rows, (std::vector<std::string>{"Main Fonts Data File", "Filename: " + file,
                                                       std::string(25, '-'),
                                                       "Could not find field \"Font Height\" in record \"Second\"."}));
  Main_Fonts_Free();
}

TEST(Main_Fonts_File, ListGrowsByFiftyAndClears) {
  TDatafile_Main_Fonts list;
  for (int i = 0; i < 51; ++i) list.m_Add("f" + std::to_string(i), "DejaVu Sans", 0, false, false, i);
  EXPECT_EQ(list.m_Count(), 51);
  EXPECT_EQ(list.m_Capacity(), 100);
  TMain_Font_Entry e;
  list.m_Get_Item(51, e);
  EXPECT_EQ(e.f_file_name, "f50");
  EXPECT_EQ(e.f_height, 50);
  list.m_Clear();
  EXPECT_EQ(list.m_Count(), 0);
  EXPECT_EQ(list.m_Capacity(), 0);
  list.m_Get_Item(1, e);
  EXPECT_EQ(e.f_file_name, "");
}

// --- the font layer on the headless device -----------------------------------------

class G_Fonts : public TEngine_Fixture {
protected:
  void SetUp() override {
    TEngine_Fixture::SetUp();
    TDevice_Params params;
    params.Width = 200;
    params.Height = 80;
    f_device->Reset(params);
    TSurface_Desc desc;
    f_device->Get_BackBuffer_Desc(desc);
    G_Set_BackBuffer_Desc(desc);
    Main_Fonts_Create();
    Main_Fonts->m_Clear();
    Main_Fonts->m_Add("DejaVuSans.ttf", "DejaVu Sans", 0x00FF8040u, false, false, 10);        // 1
    Main_Fonts->m_Add("DejaVuSansMono.ttf", "DejaVu Sans Mono", 0xFFFFFFu, false, false, 10);  // 2
    Main_Fonts->m_Add("DejaVuSans-Bold.ttf", "dejavu sans", 0xFFFFFFu, true, false, 14);      // 3
  }
  void TearDown() override {
    Main_Fonts_Free();
    TEngine_Fixture::TearDown();
    G_Font_Set_Color(0xFFFFFFFFu);
  }
  void Start() {
    G_Init_GraphicsEngine();
    G_RestoreDeviceObjects();
    Log_Lines();
  }
  std::int32_t Width(const std::string& text) {
    std::int32_t w = 0, h = 0;
    G_Font_Get_TextExtents(text, w, h);
    return w;
  }
  // The box of the pixels that differ from the background.
  TRect Ink(TColor background = 0xFF000000u) {
    TRect r{1 << 30, 1 << 30, -1, -1};
    for (std::uint32_t y = 0; y < 80; ++y)
      for (std::uint32_t x = 0; x < 200; ++x)
        if (f_device->Pixel(f_device->Get_BackBuffer_Surface(), x, y) != background) {
          r.Left = std::min(r.Left, std::int32_t(x));
          r.Top = std::min(r.Top, std::int32_t(y));
          r.Right = std::max(r.Right, std::int32_t(x) + 1);
          r.Bottom = std::max(r.Bottom, std::int32_t(y) + 1);
        }
    return r;
  }
};

TEST_F(G_Fonts, EngineMakesTheFontsAndTheCurrentFontTakesItsColour) {
  Start();
  ASSERT_EQ(G_Font_Count(), 3);
  EXPECT_EQ(G_Font_Get_Font(), 1);
  G_Font_Set_Font(2);
  EXPECT_EQ(G_Font_Get_Color(), 0xFFFFFFFFu);
  G_Font_Set_Font(1);
  // "r,g,b" 64,128,255: red, green and blue in their own bytes.
  EXPECT_EQ(G_Font_Get_Color(), 0xFF4080FFu);
  G_Font_Set_Color(0x80112233u);
  for (std::int32_t index : {0, -1, 4}) {
    G_Font_Set_Font(index);
    EXPECT_EQ(G_Font_Get_Font(), 1);
    EXPECT_EQ(G_Font_Get_Color(), 0x80112233u);
  }
  EXPECT_EQ(Log_Lines(), std::vector<std::string>());
  // Deleting the device objects frees the fonts and their textures.
  const std::size_t textures = f_device->Texture_Count();
  EXPECT_GE(textures, 3u);
  G_DeleteDeviceObjects();
  EXPECT_EQ(G_Font_Count(), 0);
  EXPECT_EQ(f_device->Texture_Count(), textures - 3);
  std::int32_t w = 5, h = 5;
  G_Font_Get_TextExtents("abc", w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST_F(G_Fonts, ExtentsMeasureAdvancesAndLines) {
  Start();
  G_Font_Set_Font(2);
  std::int32_t w = 0, h = 0, line = 0;
  G_Font_Get_TextExtents("", w, line);
  EXPECT_EQ(w, 0);
  EXPECT_GE(line, 13);  // one line of a 10-point font at 96 pixels an inch
  EXPECT_LE(line, 17);
  const std::int32_t a = Width("a");
  EXPECT_EQ(a, 8);
  EXPECT_EQ(Width("WiW.i"), 5 * a);  // fixed pitch
  G_Font_Get_TextExtents("abc\nde\r\nabcdef", w, h);
  EXPECT_EQ(w, 6 * a);
  EXPECT_EQ(h, 3 * line);
  // UTF-8 and Windows-1252 bytes read as the same character.
  EXPECT_EQ(Width("\xC3\xA9t\xC3\xA9"), Width("\xE9t\xE9"));
  EXPECT_EQ(Width("\xE2\x82\xAC"), Width("\x80"));  // the euro sign
  EXPECT_EQ(Width("\xE4\xB8\xAD"), a);              // a character added to the atlas later
  G_Font_Set_Font(1);
  EXPECT_LT(Width("iii"), Width("WWW"));
  G_Font_Set_Font(3);
  EXPECT_GT(Width("WWW"), 3 * a);
}

TEST_F(G_Fonts, TextIsDrawnInTheCurrentColourAtItsCorner) {
  Start();
  G_Font_Set_Font(2);
  std::int32_t w = 0, h = 0;
  G_Font_Get_TextExtents("Hx", w, h);
  G_Font_Set_Color(0xFFFF0000u);
  G_Font_Draw_Text(20, 10, "Hx");
  const TRect ink = Ink();
  EXPECT_GE(ink.Left, 20);
  EXPECT_LE(ink.Left, 22);
  EXPECT_GE(ink.Top, 10);
  EXPECT_LE(ink.Right, 20 + w);
  EXPECT_LE(ink.Bottom, 10 + h);
  EXPECT_GT(ink.Bottom - ink.Top, 7);
  // Full coverage inside the H's stem gives the colour itself.
  bool full_red = false;
  for (std::int32_t y = ink.Top; y < ink.Bottom; ++y)
    for (std::int32_t x = ink.Left; x < ink.Right; ++x) {
      const TColor c = f_device->Pixel(f_device->Get_BackBuffer_Surface(), std::uint32_t(x), std::uint32_t(y));
      EXPECT_EQ(c & 0x0000FFFFu, 0u);
      if (c == 0xFFFF0000u) full_red = true;
    }
  EXPECT_TRUE(full_red);
  // The states the drawing used are put back.
  std::uint32_t blend = 9, ztest = 9;
  f_device->GetRenderState(D3DRS_ALPHABLENDENABLE, blend);
  f_device->GetRenderState(D3DRS_ZENABLE, ztest);
  EXPECT_EQ(blend, 0u);
  EXPECT_EQ(ztest, 1u);
  // A second draw adds a new character to the atlas and shows it.
  f_device->Clear(D3DCLEAR_TARGET, 0xFF000000u, 1, 0);
  G_Font_Draw_Text(100, 40, "\xE2\x96\xA0");  // a black square
  const TRect square = Ink();
  EXPECT_GE(square.Left, 100);
  EXPECT_GT(square.Right - square.Left, 4);
}

TEST_F(G_Fonts, ShadowIsBlackOnePixelDownAndRight) {
  Start();
  G_Font_Set_Font(2);
  G_Font_Set_Color(0xFFFFFFFFu);
  const TColor grey = 0xFF808080u;
  f_device->Clear(D3DCLEAR_TARGET, grey, 1, 0);
  G_Font_Draw_Text_Shadowed(30, 20, "l");
  EXPECT_EQ(G_Font_Get_Color(), 0xFFFFFFFFu);
  const TRect ink = Ink(grey);
  // The bottom row of the letter is the shadow's: black.
  bool black = false;
  for (std::int32_t x = ink.Left; x < ink.Right; ++x)
    if (f_device->Pixel(f_device->Get_BackBuffer_Surface(), std::uint32_t(x), std::uint32_t(ink.Bottom - 1)) ==
        0xFF000000u)
      black = true;
  EXPECT_TRUE(black);
  bool white = false;
  for (std::int32_t x = ink.Left; x < ink.Right; ++x)
    if (f_device->Pixel(f_device->Get_BackBuffer_Surface(), std::uint32_t(x), std::uint32_t(ink.Top)) == 0xFFFFFFFFu)
      white = true;
  EXPECT_TRUE(white);
}

TEST_F(G_Fonts, MissingFaceIsLoggedAndDrawsNothing) {
  Main_Fonts->m_Add("None.ttf", "No Such Face", 0xFFFFFFu, false, false, 10);  // 4
  Main_Fonts->m_Add("Huge.ttf", "DejaVu Sans", 0xFFFFFFu, false, false, 0);    // 5
  Font_Faces_Set_Folders({"/usr/share/fonts/truetype/dejavu"});
  G_Init_GraphicsEngine();
  G_RestoreDeviceObjects();
  Font_Faces_Set_Folders({});
  const std::string failed = ": -2147467259 - E_FAIL - The call failed.";
  EXPECT_EQ(Log_Lines(),
            (std::vector<std::string>{
                "G_Init_Fonts - font 4: Font face \"No Such Face\" not found in: /usr/share/fonts/truetype/dejavu",
                "G_Init_Fonts - InitDeviceObjects: -2005530522 - D3DERR_NOTFOUND - The requested item was not found.",
                "G_Init_Fonts - font 5: Font height 0 of \"DejaVu Sans\" is outside 1..200",
                "G_Init_Fonts - InitDeviceObjects: -2147024809 - E_INVALIDARG - An invalid argument was passed.",
                "G_Font_RestoreDeviceObjects - RestoreDeviceObjects" + failed,
                "G_Font_RestoreDeviceObjects - RestoreDeviceObjects" + failed}));
  ASSERT_EQ(G_Font_Count(), 5);
  G_Font_Set_Font(4);
  std::int32_t w = 5, h = 5;
  G_Font_Get_TextExtents("abc", w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  G_Font_Draw_Text(10, 10, "abc");
  EXPECT_EQ(Ink().Right, -1);
  EXPECT_EQ(Log_Lines(), (std::vector<std::string>{"G_Font_Get_TextExtents - GetTextExtent" + failed,
                                                   "G_Font_Draw_Text - DrawText" + failed}));
  // The fonts that were found still work.
  G_Font_Set_Font(2);
  EXPECT_EQ(Width("ab"), 16);
}

TEST_F(G_Fonts, WordWrapBreaksCutsAndMeasures) {
  Start();
  G_Font_Set_Font(2);  // 8 pixels a character
  std::int32_t w = 0, line = 0;
  G_Font_Get_TextExtents("x", w, line);
  std::vector<std::string> lines{"old"};
  G_Font_Split_Text_Lines(10, 5, 150, 60, "one two\r\nthree", 20, lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"one two", "three"}));
  // Words go on while they fit, then a new line starts.
  G_Font_Split_Text_Lines(0, 0, 64, 100, "aaa bbb ccc dd", 20, lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"aaa bbb ", "ccc dd"}));
  EXPECT_EQ(G_Font_Get_Wrapped_Text_Height(0, 0, 64, 100, "aaa bbb ccc dd", 20), 40);
  EXPECT_EQ(G_Font_Get_Wrapped_Text_Height(3, 7, 150, 60, "one two\r\nthree", 20), 40);
  // Line height 0: the height of the whole text.
  EXPECT_EQ(G_Font_Get_Wrapped_Text_Height(0, 0, 150, 60, "one two", 0), line);
  EXPECT_EQ(G_Font_Get_Wrapped_Text_Height(0, 0, 150, 60, "one\r\ntwo", 0), 4 * line);
  // A word too wide for the box's last line is cut to what fits.
  G_Font_Split_Text_Lines(0, 0, 40, 20, "abcdefghij", 20, lines);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "abcd");

  // Drawn: the second line starts at the left, one line height down.
  G_Font_Set_Color(0xFFFFFFFFu);
  G_Font_Draw_Text_Wrapped(10, 5, 150, 60, "one two\r\nthree", 30);
  TRect ink = Ink();
  EXPECT_GE(ink.Left, 10);
  EXPECT_LE(ink.Left, 12);
  EXPECT_GE(ink.Top, 5);
  EXPECT_GT(ink.Bottom, 35);
  EXPECT_LE(ink.Bottom, 35 + line);
  EXPECT_LE(ink.Right, 10 + 7 * 8);
  // Disabled: grey words with black shadows; the current colour stays.
  f_device->Clear(D3DCLEAR_TARGET, 0xFF0000FFu, 1, 0);
  G_Font_Draw_Text_Wrapped_State(10, 5, 150, 60, "lll", 20, false);
  EXPECT_EQ(G_Font_Get_Color(), 0xFFFFFFFFu);
  bool grey = false, black = false;
  for (std::uint32_t y = 0; y < 80; ++y)
    for (std::uint32_t x = 0; x < 200; ++x) {
      const TColor c = f_device->Pixel(f_device->Get_BackBuffer_Surface(), x, y);
      grey = grey || c == 0xFFC0C0C0u;
      black = black || c == 0xFF000000u;
      EXPECT_NE(c, 0xFFFFFFFFu);
    }
  EXPECT_TRUE(grey);
  EXPECT_TRUE(black);
}

// A word wider than the box is cut on whatever line it falls, and its tail
// goes on in the lines below (an error window's long file path keeps all of
// its characters).
TEST_F(G_Fonts, OverWideWordsAreCutOnAnyLine) {
  Start();
  G_Font_Set_Font(2);  // 8 pixels a character: 40 pixels hold 4 ("abcd" + 8 < 40)
  struct {
    const char* text;
    std::int32_t box_height;
    std::vector<std::string> lines;
  } cases[] = {
      {"abcdefghij", 100, {"abcd", "efgh", "ij"}},
      {"File: abcdefghij end", 200, {"File", ": ", "abcd", "efgh", "ij ", "end"}},
      {"abcdefghij\r\nxy", 100, {"abcd", "efgh", "ij", "xy"}},
      // On the box's last line the cut-off part falls below the box.
      {"ab cdefghijkl", 40, {"ab ", "cdef", "ghij"}},
  };
  for (const auto& k : cases) {
    std::vector<std::string> lines;
    G_Font_Split_Text_Lines(0, 0, 40, k.box_height, k.text, 20, lines);
    EXPECT_EQ(lines, k.lines) << k.text;
  }
  EXPECT_EQ(G_Font_Get_Wrapped_Text_Height(0, 0, 40, 100, "abcdefghij", 20), 60);
}

TEST_F(G_Fonts, SplitAtWidthMovesWholeCharacters) {
  Start();
  G_Font_Set_Font(2);
  struct {
    const char* text;
    std::int32_t width;
    const char* head;
    const char* rest;
  } rows[] = {
      {"abcdef", 40, "abcd", "ef"},  // 32 + 8 reaches 40
      {"abcdef", 41, "abcde", "f"},  {"abc", 100, "abc", ""}, {"abc", 8, "", "abc"},
      {"abc", 9, "a", "bc"},         {"", 50, "", ""},
      {"\xC3\xA9\xC3\xA9", 16, "\xC3\xA9", "\xC3\xA9"},  // two-byte characters stay whole
  };
  for (const auto& r : rows) {
    std::string head = "x", rest = "y";
    G_Font_Split_Text_At_Width(r.text, r.width, head, rest);
    EXPECT_EQ(head, r.head) << r.text << " " << r.width;
    EXPECT_EQ(rest, r.rest) << r.text << " " << r.width;
    G_Font_Clip_Text_To_Width(r.width, r.text, head);
    EXPECT_EQ(head, r.head);
  }
  // Proportional: the head ends with the first character at which its width
  // plus 8 reaches the limit.
  G_Font_Set_Font(1);
  std::string head, rest;
  G_Font_Split_Text_At_Width("Wildflowers", 50, head, rest);
  ASSERT_FALSE(head.empty());
  EXPECT_GE(Width(head) + 8, 50);
  EXPECT_LT(Width(head.substr(0, head.size() - 1)) + 8, 50);
  EXPECT_EQ(head + rest, "Wildflowers");
}

TEST_F(G_Fonts, TextAtAWorldPosition) {
  Start();
  G_Font_Set_Font(2);
  G_Font_Set_Color(0xFFFFFFFFu);
  TMatrix projection;
  G_Matrix_Perspective_Fov_LH(kPi / 4, 200.0f / 80.0f, 1.0f, 5000.0f, projection);
  G_SetTransform(D3DTS_PROJECTION, projection);
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 1, 0});
  G_Font_Draw_Centered_Text_At_World_Position("HH", 0, 0, 0);
  const TRect centred = Ink();
  EXPECT_NEAR((centred.Left + centred.Right) / 2.0, 100, 2);
  EXPECT_NEAR((centred.Top + centred.Bottom) / 2.0, 40, 4);
  // Out of view: nothing.
  f_device->Clear(D3DCLEAR_TARGET, 0xFF000000u, 1, 0);
  G_Font_Draw_Centered_Text_At_World_Position("HH", 5000, 0, 0);
  G_Font_Draw_Screen_Text_At_World_Position("HH", 0, 5000, 0, 1);
  EXPECT_EQ(Ink().Right, -1);
  // Scaled: the top-left corner on the point, twice the size.
  G_Font_Draw_Screen_Text_At_World_Position("HH", 0, 0, 0, 1);
  const TRect once = Ink();
  f_device->Clear(D3DCLEAR_TARGET, 0xFF000000u, 1, 0);
  G_Font_Draw_Screen_Text_At_World_Position("HH", 0, 0, 0, 2);
  const TRect twice = Ink();
  EXPECT_GE(once.Left, 100);
  EXPECT_GE(twice.Left, 100);
  EXPECT_NEAR(twice.Right - twice.Left, 2 * (once.Right - once.Left), 3);
  EXPECT_NEAR(twice.Bottom - twice.Top, 2 * (once.Bottom - once.Top), 3);
}

// A text centred on a point near the edge (a damage figure over a piece at
// the battle's right edge) is moved in so that all of it shows.
TEST_F(G_Fonts, CentredTextNearAnEdgeStaysOnTheScreen) {
  Start();
  G_Font_Set_Font(2);
  G_Font_Set_Color(0xFFFFFFFFu);
  TMatrix projection;
  G_Matrix_Perspective_Fov_LH(kPi / 4, 200.0f / 80.0f, 1.0f, 5000.0f, projection);
  G_SetTransform(D3DTS_PROJECTION, projection);
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 1, 0});
  std::vector<TFont_Draw_Record> drawn;
  G_Font_Set_Draw_Observer([&drawn](const TFont_Draw_Record& r) { drawn.push_back(r); });
  // Points about three pixels inside the right and the left edge (the view
  // is 2 x 1035 units wide at the map's plane).
  const float x = 1000;
  G_Font_Draw_Centered_Text_At_World_Position("12 x Killed", x, 0, 0);
  G_Font_Draw_Centered_Text_At_World_Position("12 x Killed", -x, 0, 0);
  G_Font_Set_Draw_Observer(nullptr);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].text, "12 x Killed");
  EXPECT_GT(drawn[0].width, 40);
  EXPECT_LE(drawn[0].x + float(drawn[0].width), 200.0f);
  EXPECT_GT(drawn[0].x + float(drawn[0].width), 195.0f);
  EXPECT_GE(drawn[1].x, 0.0f);
  EXPECT_LT(drawn[1].x, 5.0f);
  EXPECT_FALSE(drawn[0].shadow);
  const TRect ink = Ink();
  EXPECT_GE(ink.Left, 0);
  EXPECT_LE(ink.Right, 200);
}

// Texts cut to a width end with "…" at a whole character; a text that fits
// is left whole.
TEST(Fit_Text, CutAtAWholeCharacterWithAnEllipsis) {
  // Ten pixels a character (an ellipsis is one character).
  const auto width_of = [](const std::string& t) {
    std::int32_t n = 0;
    for (unsigned char c : t) n += (c & 0xC0u) != 0x80u;
    return n * 10;
  };
  const std::string e = "\xE2\x80\xA6";
  struct TCase {
    std::string text;
    std::int32_t width;
    std::string shown;
  } cases[] = {
      {"Union of Karst Republics", 240, "Union of Karst Republics"},
      {"Union of Karst Republics", 100, "Union of" + e},  // the blank before the cut goes
      {"Union of Karst Republics", 60, "Union" + e},
      {"\xC3\x85land \xC3\x96stra", 50, "\xC3\x85lan" + e},  // two-byte letters stay whole
      {"Abc", 10, e},
      {"Abc", 9, ""},
      {"", 0, ""},
  };
  for (const TCase& c : cases) EXPECT_EQ(Fit_Text_To_Width(c.text, c.width, width_of), c.shown) << c.text << " " << c.width;
}

TEST_F(G_Fonts, ParticleViewLinkUsesTheFrustumCameraAndFonts) {
  Start();
  TMatrix projection;
  G_Matrix_Perspective_Fov_LH(kPi / 4, 200.0f / 80.0f, 1.0f, 5000.0f, projection);
  G_SetTransform(D3DTS_PROJECTION, projection);
  G_Set_Camera({0, 0, -1000}, {0, 0, 0}, {0, 1, 0});
  TGParticle_View_Link& link = G_Engine_Particle_View_Link();
  EXPECT_TRUE(link.G_Sphere_Visible({0, 0, 0}, 5));
  EXPECT_FALSE(link.G_Sphere_Visible({0, 0, -2000}, 5));
  EXPECT_FLOAT_EQ(link.m_Camera_Right().x, G_Camera_Right.x);
  EXPECT_FLOAT_EQ(std::fabs(link.m_Camera_Right().x), 1);
  link.G_Font_Draw_Centered_Text_At_World_Position(2, 0xFF00FF00u, {0, 0, 0}, "HH");
  EXPECT_EQ(G_Font_Get_Font(), 2);
  EXPECT_EQ(G_Font_Get_Color(), 0xFF00FF00u);
  const TRect ink = Ink();
  EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 100, 2);
  EXPECT_EQ(f_device->Pixel(f_device->Get_BackBuffer_Surface(), 0, 0), 0xFF000000u);
}

TEST(G_Canvas, TextInTheMainFontsOnAWindowPicture) {
  Main_Fonts_Free();
  TImage picture;
  picture.Set_Size(120, 40, 0xFF000000u);
  TWindow_Canvas canvas(&picture);
  // No font list: Trebuchet MS, which is not installed here: nothing.
  G_Canvas_Set_Font(&canvas, 1);
  EXPECT_EQ(canvas.Font.Name, "Trebuchet MS");
  EXPECT_EQ(canvas.Font.Size, -10);
  EXPECT_EQ(canvas.Font.Color, 0xFFFFFFu);
  EXPECT_TRUE(canvas.Brush_Clear);

  Main_Fonts_Create();
  Main_Fonts->m_Add("DejaVuSansMono.ttf", "DejaVu Sans Mono", 255, true, false, 10);  // red, italic
  G_Canvas_Set_Font(&canvas, 1);
  EXPECT_EQ(canvas.Font.Name, "DejaVu Sans Mono");
  EXPECT_EQ(canvas.Font.Size, 10);
  EXPECT_TRUE(canvas.Font.Italic);
  EXPECT_EQ(G_Canvas_Text_Width(&canvas, "abcd"), 32);
  EXPECT_GE(G_Canvas_Text_Height(&canvas, "abcd"), 13);
  G_Canvas_Text_Out(&canvas, 5, 5, "Hi");
  bool red = false;
  for (const std::uint32_t p : picture.pixels) {
    EXPECT_EQ(p & 0x0000FFFFu, 0u);
    red = red || p == 0xFFFF0000u;
  }
  EXPECT_TRUE(red);
  G_Canvas_Set_Font_Color(&canvas, 0xFF0000);  // blue in window colours
  G_Canvas_Text_Out(&canvas, 60, 5, "Hi");
  EXPECT_EQ(picture.Pixel(0, 0), 0xFF000000u);
  bool blue = false;
  for (const std::uint32_t p : picture.pixels) blue = blue || p == 0xFF0000FFu;
  EXPECT_TRUE(blue);
  // A negative size is a pixel height.
  canvas.Font.Size = -20;
  EXPECT_GT(G_Canvas_Text_Width(&canvas, "abcd"), 32);

  // Without a canvas or its handle: nothing.
  TWindow_Canvas none;
  G_Canvas_Set_Font(&none, 1);
  EXPECT_EQ(none.Font.Name, "");
  EXPECT_EQ(G_Canvas_Text_Width(&none, "abcd"), 0);
  EXPECT_EQ(G_Canvas_Text_Width(nullptr, "abcd"), 0);
  EXPECT_EQ(G_Canvas_Text_Height(nullptr, "abcd"), 0);
  G_Canvas_Text_Out(nullptr, 0, 0, "x");
  Main_Fonts_Free();
}

TEST(G_Fonts_None, NothingIsMeasuredOrDrawnWithoutFonts) {
  G_Free_Fonts();
  std::int32_t w = 3, h = 3;
  G_Font_Get_TextExtents("abc", w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  G_Font_Draw_Text(0, 0, "abc");
  std::string head;
  G_Font_Clip_Text_To_Width(100, "hello world", head);
  EXPECT_EQ(head, "hello world");
  // A box narrower than nothing: the word cannot be cut and no line height
  // moves it on; the wrap still ends.
  std::vector<std::string> lines;
  G_Font_Split_Text_Lines(0, 0, -5, 0, "word", 0, lines);
  EXPECT_EQ(lines, std::vector<std::string>{""});  // the one line closed for the empty word
  EXPECT_EQ(G_Font_Get_Wrapped_Text_Height(0, 0, -5, 0, "word", 0), 0);
  G_Init_Fonts();  // no device, no list: no fonts
  EXPECT_EQ(G_Font_Count(), 0);
}

TEST_F(G_Fonts, KeysTypeTheirCharacters) {
  struct {
    std::int32_t key;
    std::uint32_t shift;
    const char* text;
  } rows[] = {
      {65, 0, "a"},  {65, 1, "A"},  {50, 1, "@"},  {50, 0, "2"},  {48, 1, ")"},  {96, 1, ")"},  {96, 0, "0"},
      {105, 0, "9"}, {106, 0, "*"}, {107, 1, "+"}, {109, 0, "-"}, {110, 0, "."}, {111, 1, "?"}, {186, 0, ";"},
      {186, 1, ":"}, {187, 1, "+"}, {188, 1, "<"}, {189, 1, "_"}, {190, 1, ">"}, {191, 1, "?"}, {192, 0, "`"},
      {192, 1, "~"}, {219, 1, "{"}, {220, 0, "\\"}, {220, 1, "|"}, {221, 1, "}"}, {222, 0, "'"}, {222, 1, "\""},
      {32, 1, " "},  {57, 3, "("},  {300, 0, ""},
      // Keys that type nothing: F1, F2, F12, NumLock, Scroll Lock, the
      // system keys, Shift/Ctrl/Alt by side, media keys, the numeric pad's
      // separator and unassigned codes.
      {112, 0, ""},  {113, 1, ""},  {123, 0, ""},  {144, 0, ""},  {145, 0, ""},  {91, 0, ""},  {92, 1, ""},
      {93, 0, ""},   {95, 0, ""},   {160, 0, ""},  {162, 0, ""},  {164, 0, ""},  {173, 0, ""},  {108, 0, ""},
      {58, 0, ""},   {64, 1, ""},   {229, 0, ""},  {255, 0, ""},  {-1, 0, ""},
  };
  for (const auto& r : rows) EXPECT_EQ(G_Key_Code_To_Text(r.key, r.shift), r.text) << r.key << " " << r.shift;
}

}  // namespace
