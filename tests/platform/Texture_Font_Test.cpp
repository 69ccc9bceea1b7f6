#include <gtest/gtest.h>

#include <filesystem>

#include "Texture_Font.h"

namespace {

TEST(Texture_Font, CharactersOfUtf8AndWindows1252) {
  struct {
    const char* text;
    std::vector<std::uint32_t> codes;
  } rows[] = {
      {"Ab", {'A', 'b'}},
      {"\xC3\xA9", {0xE9}},
      {"\xE2\x82\xAC", {0x20AC}},
      {"\xF0\x9F\x98\x80", {0x1F600}},
      {"\xE9t", {0xE9, 't'}},           // a lone Windows-1252 byte
      {"\x80", {0x20AC}},               // the euro sign's byte
      {"\xC0\x80", {0xC0, 0x20AC}},     // an overlong form is two single bytes
      {"\xED\xA0\x80", {0xED, 0xA0, 0x20AC}},  // a surrogate is not a character
      {"\xE2\x82", {0xE2, 0x201A}},     // cut short
  };
  for (const auto& r : rows) {
    std::vector<std::uint32_t> codes;
    const std::string_view text(r.text);
    for (std::size_t pos = 0; pos < text.size();) codes.push_back(Text_Next_Char(text, pos));
    EXPECT_EQ(codes, r.codes) << r.text;
  }
}

TEST(Texture_Font, FacesAreFoundByFamilyAndStyle) {
  Font_Faces_Set_Folders({"/usr/share/fonts/truetype/dejavu"});
  struct {
    const char* family;
    bool bold, italic;
    const char* file;
    bool make_bold, make_italic;
  } rows[] = {
      {"DejaVu Sans", false, false, "DejaVuSans.ttf", false, false},
      {"dejavu sans", true, false, "DejaVuSans-Bold.ttf", false, false},
      {"DejaVu Sans", true, true, "DejaVuSans-BoldOblique.ttf", false, false},
      {"DejaVu Sans Condensed", false, false, "DejaVuSansCondensed.ttf", false, false},
      {"DejaVu Serif", false, true, "DejaVuSerif-Italic.ttf", false, false},
      {"DejaVu Sans Mono", false, false, "DejaVuSansMono.ttf", false, false},
      // A family with only a regular face: the style is made from it.
      {"DejaVu Math TeX Gyre", true, true, "DejaVuMathTeXGyre.ttf", true, true},
  };
  for (const auto& r : rows) {
    TFont_Face_Match match;
    std::string error = "x";
    ASSERT_TRUE(Font_Face_Find(r.family, r.bold, r.italic, match, error)) << r.family;
    EXPECT_EQ(std::filesystem::path(match.file).filename().string(), r.file) << r.family;
    EXPECT_EQ(match.make_bold, r.make_bold) << r.family;
    EXPECT_EQ(match.make_italic, r.make_italic) << r.family;
    EXPECT_EQ(error, "");
  }
  TFont_Face_Match match;
  std::string error;
  EXPECT_FALSE(Font_Face_Find("Trebuchet MS", false, false, match, error));
  EXPECT_EQ(error, "Font face \"Trebuchet MS\" not found in: /usr/share/fonts/truetype/dejavu");
  Font_Faces_Set_Folders({"/nonexistent/a", "/nonexistent/b"});
  EXPECT_FALSE(Font_Face_Find("DejaVu Sans", false, false, match, error));
  EXPECT_EQ(error, "Font face \"DejaVu Sans\" not found in: /nonexistent/a, /nonexistent/b");
  Font_Faces_Set_Folders({});
  EXPECT_TRUE(Font_Face_Find("DejaVu Sans", false, false, match, error));
}

TEST(Texture_Font, NothingWithoutADevice) {
  TTexture_Font font("DejaVu Sans", 10, 0);
  std::int32_t w = 1, h = 1;
  EXPECT_EQ(font.GetTextExtent("abc", w, h), E_FAIL);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(font.InitDeviceObjects(nullptr), E_FAIL);
  EXPECT_EQ(font.DrawText(0, 0, 0xFFFFFFFFu, "abc"), E_FAIL);
  EXPECT_EQ(font.RestoreDeviceObjects(), E_FAIL);
}

}  // namespace
