#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <random>

#include "Image_Files.h"
#include "Native_Path.h"
#include "Png_Bytes.h"
#include "Test_Support.h"

namespace {

void Put16(std::string& s, std::uint32_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}

// A bitmap with a 40-byte (or longer) header built field by field.
struct TBmp_Spec {
  std::int32_t width = 0, height = 0;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t header_size = 40;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB entries
  std::vector<std::uint32_t> masks;    // for header 40 with bitfields, after the header
  std::string rows;                    // the pixel data as stored
};

std::string Build_Bmp(const TBmp_Spec& spec) {
  std::string info;
  Put32(info, spec.header_size);
  Put32(info, std::uint32_t(spec.width));
  Put32(info, std::uint32_t(spec.height));
  Put16(info, 1);
  Put16(info, spec.bits);
  Put32(info, spec.compression);
  Put32(info, std::uint32_t(spec.rows.size()));
  Put32(info, 0);
  Put32(info, 0);
  Put32(info, std::uint32_t(spec.palette.size()));
  Put32(info, 0);
  if (spec.header_size > 40) {
    for (std::size_t i = 0; i < 4; ++i) Put32(info, i < spec.masks.size() ? spec.masks[i] : 0);
    info.resize(spec.header_size, '\0');
  } else {
    for (std::uint32_t m : spec.masks) Put32(info, m);
  }
  for (std::uint32_t c : spec.palette) Put32(info, c);
  std::string s = "BM";
  Put32(s, std::uint32_t(14 + info.size() + spec.rows.size()));
  Put32(s, 0);
  Put32(s, std::uint32_t(14 + info.size()));
  return s + info + spec.rows;
}

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s.push_back(char(b));
  return s;
}

TImage Sample_Image(std::int32_t w, std::int32_t h) {
  TImage img;
  img.Set_Size(w, h);
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      img.Set_Pixel(x, y, 0xFF000000u | std::uint32_t((x * 37) & 0xFF) << 16 |
                              std::uint32_t((y * 53) & 0xFF) << 8 | std::uint32_t((x + y) * 11 & 0xFF));
  return img;
}

}  // namespace

TEST(Image_Files, Bmp24WriteHasExactLayoutAndReadsBack) {
  TImage img = Sample_Image(3, 2);  // 9 bytes a row, padded to 12
  std::string bmp = BMP_Encode_24(img);
  ASSERT_EQ(bmp.size(), 54u + 12 * 2);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(std::uint8_t(bmp[10]), 54);
  EXPECT_EQ(std::uint8_t(bmp[28]), 24);
  // First stored row is the bottom row; pixel bytes blue, green, red.
  std::uint32_t bottom_left = img.Pixel(0, 1);
  EXPECT_EQ(std::uint8_t(bmp[54]), bottom_left & 0xFF);
  EXPECT_EQ(std::uint8_t(bmp[55]), (bottom_left >> 8) & 0xFF);
  EXPECT_EQ(std::uint8_t(bmp[56]), (bottom_left >> 16) & 0xFF);
  EXPECT_EQ(bmp.substr(54 + 9, 3), std::string(3, '\0'));

  TImage back;
  ASSERT_TRUE(BMP_Decode(bmp.data(), bmp.size(), back));
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.pixels, img.pixels);
}

TEST(Image_Files, Bmp1MaskWriteReadsBackBlackAndWhite) {
  TImage img;
  img.Set_Size(10, 3, 0xFF000000u);
  img.Set_Pixel(0, 0, 0xFFFFFFFFu);
  img.Set_Pixel(9, 0, 0x00FFFFFFu);  // alpha does not matter
  img.Set_Pixel(4, 2, 0xFF808080u);  // 384 >= 383: white
  img.Set_Pixel(5, 2, 0xFF7F7F7Fu);  // 381: black
  std::string bmp = BMP_Encode_1(img);
  ASSERT_EQ(bmp.size(), 62u + 4 * 3);
  EXPECT_EQ(std::uint8_t(bmp[28]), 1);
  // Bottom row first: row 2 has only pixel 4 set.
  EXPECT_EQ(bmp.substr(62, 4), Bytes({0x08, 0x00, 0, 0}));
  // Top row: pixels 0 and 9.
  EXPECT_EQ(bmp.substr(70, 4), Bytes({0x80, 0x40, 0, 0}));

  TImage back;
  ASSERT_TRUE(BMP_Decode(bmp.data(), bmp.size(), back));
  ASSERT_EQ(back.width, 10);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 10; ++x) {
      bool white = (x == 0 && y == 0) || (x == 9 && y == 0) || (x == 4 && y == 2);
      EXPECT_EQ(back.Pixel(x, y), white ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
    }
}

TEST(Image_Files, ReadsEveryDepthAndOrientation) {
  struct TCase {
    const char* name;
    TBmp_Spec spec;
    std::vector<std::uint32_t> expected;  // top row first
  };
  std::vector<TCase> cases;
  {
    TBmp_Spec s;
    s.width = 3; s.height = 2; s.bits = 1;
    s.palette = {0x00102030, 0x00A0B0C0};
    s.rows = Bytes({0xA0, 0, 0, 0, 0x40, 0, 0, 0});  // bottom: 1 0 1, top: 0 1 0
    cases.push_back({"1 bit", s, {0xFF102030, 0xFFA0B0C0, 0xFF102030, 0xFFA0B0C0, 0xFF102030, 0xFFA0B0C0}});
  }
  {
    TBmp_Spec s;
    s.width = 3; s.height = 1; s.bits = 4;
    s.palette = {0x00000000, 0x00111111, 0x00222222};
    s.rows = Bytes({0x21, 0x00, 0, 0});
    cases.push_back({"4 bit", s, {0xFF222222, 0xFF111111, 0xFF000000}});
  }
  {
    TBmp_Spec s;
    s.width = 2; s.height = -2; s.bits = 8;  // top-down
    s.palette = {0x00FF0000, 0x0000FF00, 0x000000FF};
    s.rows = Bytes({0, 1, 0, 0, 2, 7, 0, 0});  // index 7 lies beyond the palette: black
    cases.push_back({"8 bit top-down", s, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000}});
  }
  {
    TBmp_Spec s;
    s.width = 1; s.height = -2; s.bits = 24;
    s.rows = Bytes({1, 2, 3, 0, 4, 5, 6, 0});
    cases.push_back({"24 bit top-down", s, {0xFF030201, 0xFF060504}});
  }
  {
    TBmp_Spec s;
    s.width = 2; s.height = 1; s.bits = 32;
    s.rows = Bytes({1, 2, 3, 0, 4, 5, 6, 0});  // all alpha bytes zero: opaque
    cases.push_back({"32 bit no alpha", s, {0xFF030201, 0xFF060504}});
  }
  {
    TBmp_Spec s;
    s.width = 2; s.height = 1; s.bits = 32;
    s.rows = Bytes({1, 2, 3, 0x80, 4, 5, 6, 0});
    cases.push_back({"32 bit alpha", s, {0x80030201, 0x00060504}});
  }
  {
    TBmp_Spec s;
    s.width = 1; s.height = 1; s.bits = 32; s.compression = 3;
    s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the low byte
    s.rows = Bytes({0x11, 0x22, 0x33, 0x44});
    cases.push_back({"32 bit bitfields", s, {0xFF112233}});
  }
  {
    TBmp_Spec s;
    s.width = 1; s.height = 1; s.bits = 32; s.compression = 3; s.header_size = 108;
    s.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    s.rows = Bytes({0x11, 0x22, 0x33, 0x00});  // transparent pixel through the alpha mask
    cases.push_back({"32 bit v4 alpha mask", s, {0x00332211}});
  }
  {
    TBmp_Spec s;
    s.width = 2; s.height = 1; s.bits = 16;
    s.rows = Bytes({0x00, 0x7C, 0x1F, 0x00});  // 5-5-5: pure red, pure blue
    cases.push_back({"16 bit", s, {0xFFFF0000, 0xFF0000FF}});
  }
  for (const TCase& c : cases) {
    std::string bmp = Build_Bmp(c.spec);
    TImage img;
    std::string why;
    ASSERT_TRUE(BMP_Decode(bmp.data(), bmp.size(), img, &why)) << c.name << ": " << why;
    EXPECT_EQ(img.width, c.spec.width) << c.name;
    EXPECT_EQ(img.pixels, c.expected) << c.name;
  }
}

TEST(Image_Files, ReadsTheOldCoreHeader) {
  std::string s = "BM";
  Put32(s, 14 + 12 + 6 + 4);
  Put32(s, 0);
  Put32(s, 14 + 12 + 6);
  Put32(s, 12);
  Put16(s, 1);
  Put16(s, 1);
  Put16(s, 1);
  Put16(s, 1);
  s += Bytes({0, 0, 0, 0xFF, 0xFF, 0xFF});  // 3-byte palette entries
  s += Bytes({0x80, 0, 0, 0});
  TImage img;
  ASSERT_TRUE(BMP_Decode(s.data(), s.size(), img));
  EXPECT_EQ(img.pixels, std::vector<std::uint32_t>{0xFFFFFFFFu});
}

TEST(Image_Files, RefusesBadBitmapsCleanly) {
  TBmp_Spec good;
  good.width = 2; good.height = 2; good.bits = 24;
  good.rows = std::string(16, '\x7F');
  struct TCase {
    const char* name;
    std::string bytes;
    const char* why;
  };
  std::vector<TCase> cases;
  std::string ok = Build_Bmp(good);
  cases.push_back({"empty", "", "Bitmap file too short"});
  cases.push_back({"wrong magic", "XM" + ok.substr(2), "Not a bitmap file"});
  cases.push_back({"truncated data", ok.substr(0, ok.size() - 1), "Bitmap data truncated"});
  {
    TBmp_Spec s = good; s.compression = 1;
    cases.push_back({"run-length", Build_Bmp(s), "Unsupported bitmap compression"});
  }
  {
    TBmp_Spec s = good; s.bits = 2;
    cases.push_back({"depth 2", Build_Bmp(s), "Unsupported bitmap depth"});
  }
  {
    TBmp_Spec s = good; s.width = 0;
    cases.push_back({"width 0", Build_Bmp(s), "Bad bitmap size"});
  }
  {
    TBmp_Spec s = good; s.height = 0;
    cases.push_back({"height 0", Build_Bmp(s), "Bad bitmap size"});
  }
  {
    TBmp_Spec s = good; s.height = std::numeric_limits<std::int32_t>::min();
    cases.push_back({"height min", Build_Bmp(s), "Bitmap too large"});
  }
  {
    TBmp_Spec s = good; s.width = 60000; s.height = 60000;
    cases.push_back({"huge", Build_Bmp(s), "Bitmap too large"});
  }
  {
    TBmp_Spec s = good; s.width = 8192; s.height = -8192;  // acceptable size, no data
    cases.push_back({"large without data", Build_Bmp(s), "Bitmap data truncated"});
  }
  {
    TBmp_Spec s = good; s.header_size = 20;
    cases.push_back({"odd header", Build_Bmp(s), "Unsupported bitmap header"});
  }
  {
    TBmp_Spec s; s.width = 1; s.height = 1; s.bits = 8; s.palette = {0, 0};
    s.rows = "\x01\0\0\0";
    std::string b = Build_Bmp(s);
    b[46] = char(200);  // claims 200 palette entries
    cases.push_back({"palette truncated", b, "Bitmap palette truncated"});
  }
  {
    std::string b = ok;
    b[10] = char(0xF0); b[11] = char(0xFF);  // pixel data beyond the file
    cases.push_back({"bad offset", b, "Bad bitmap data offset"});
  }
  for (const TCase& c : cases) {
    TImage img;
    img.Set_Size(2, 2);
    std::string why;
    EXPECT_FALSE(BMP_Decode(c.bytes.data(), c.bytes.size(), img, &why)) << c.name;
    EXPECT_EQ(why, c.why) << c.name;
    EXPECT_TRUE(img.pixels.empty()) << c.name;
    EXPECT_EQ(img.width, 0) << c.name;
  }
}

// Many random mutations and every truncation of valid bitmaps: each decode
// either succeeds with a consistent picture or fails with an empty one.
// AddressSanitizer catches any read outside the buffer.
TEST(Image_Files, FuzzedBitmapsFailOrSucceedCleanly) {
  std::vector<std::string> seeds;
  seeds.push_back(BMP_Encode_24(Sample_Image(5, 4)));
  seeds.push_back(BMP_Encode_1(Sample_Image(13, 3)));
  {
    TBmp_Spec s;
    s.width = 5; s.height = -3; s.bits = 4;
    s.palette = {1, 2, 3, 4, 5, 6, 7, 8};
    s.rows = std::string(12, '\x57');
    seeds.push_back(Build_Bmp(s));
  }
  {
    TBmp_Spec s;
    s.width = 2; s.height = 2; s.bits = 32; s.compression = 3; s.header_size = 124;
    s.masks = {0xF800, 0x07E0, 0x001F, 0};
    s.rows = std::string(16, '\x33');
    seeds.push_back(Build_Bmp(s));
  }
  std::mt19937 rng(12345);
  int successes = 0, failures = 0;
  auto check = [&](const std::string& bytes) {
    TImage img;
    if (BMP_Decode(bytes.data(), bytes.size(), img)) {
      ++successes;
      ASSERT_GT(img.width, 0);
      ASSERT_GT(img.height, 0);
      ASSERT_EQ(img.pixels.size(), std::size_t(img.width) * std::size_t(img.height));
    } else {
      ++failures;
      ASSERT_TRUE(img.pixels.empty());
    }
  };
  for (const std::string& seed : seeds) {
    for (std::size_t n = 0; n < seed.size(); ++n) check(seed.substr(0, n));
    for (int round = 0; round < 1500; ++round) {
      std::string m = seed;
      int edits = 1 + int(rng() % 4);
      for (int e = 0; e < edits; ++e) {
        std::size_t at = rng() % m.size();
        switch (rng() % 4) {
          case 0: m[at] = char(rng()); break;
          case 1: m[at] = char(m[at] ^ (1 << (rng() % 8))); break;
          case 2: m[at] = char(std::array<int, 5>{0, 0xFF, 0x7F, 0x80, 1}[rng() % 5]); break;
          default: m.resize(at + 1); break;
        }
      }
      check(m);
    }
  }
  EXPECT_GT(successes, 0);
  EXPECT_GT(failures, 0);
}

TEST(Image_Files, JpegRoundTripIsClose) {
  TImage img;
  img.Set_Size(16, 8, 0xFF204080u);
  for (std::int32_t x = 8; x < 16; ++x)
    for (std::int32_t y = 0; y < 8; ++y) img.Set_Pixel(x, y, 0xFFE0C010u);
  std::string jpg;
  ASSERT_TRUE(JPEG_Encode(img, 100, jpg));
  EXPECT_EQ(Image_Detect_Format(jpg.data(), jpg.size()), TImage_Format::JPEG);
  TImage back;
  ASSERT_TRUE(Image_Decode(jpg.data(), jpg.size(), back));
  ASSERT_EQ(back.width, 16);
  ASSERT_EQ(back.height, 8);
  auto near = [](std::uint32_t a, std::uint32_t b) {
    for (int s = 0; s < 24; s += 8)
      if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > 6) return false;
    return (a >> 24) == 0xFF;
  };
  EXPECT_TRUE(near(back.Pixel(2, 3), 0xFF204080u)) << std::hex << back.Pixel(2, 3);
  EXPECT_TRUE(near(back.Pixel(13, 5), 0xFFE0C010u)) << std::hex << back.Pixel(13, 5);

  std::string empty_out;
  EXPECT_FALSE(JPEG_Encode(TImage{}, 90, empty_out));
}

TEST(Image_Files, BrokenJpegsFailCleanly) {
  std::string jpg;
  ASSERT_TRUE(JPEG_Encode(Sample_Image(32, 24), 90, jpg));
  std::string why;
  TImage img;
  // Truncated files fail: the library would otherwise fill the rest with grey.
  for (std::size_t n : {std::size_t(3), std::size_t(20), jpg.size() / 2, jpg.size() - 10}) {
    EXPECT_FALSE(JPEG_Decode(jpg.data(), n, img, &why)) << n;
    EXPECT_TRUE(img.pixels.empty());
    EXPECT_FALSE(why.empty());
  }
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    std::string m = jpg;
    for (int e = 0; e < 3; ++e) m[rng() % m.size()] = char(rng());
    if (JPEG_Decode(m.data(), m.size(), img)) {
      ASSERT_EQ(img.pixels.size(), std::size_t(img.width) * std::size_t(img.height));
    } else {
      ASSERT_TRUE(img.pixels.empty());
    }
  }
}

// Data that stops at a marker before the last row (the rest of the scan
// cut away, the end-of-image marker right behind) is truncated, not a
// picture with a grey bottom; and a header asking for far more pixels than
// the data could hold is refused before anything is allocated.
TEST(Image_Files, JpegsEndingEarlyOrClaimingHugeSizesFail) {
  std::string jpg;
  ASSERT_TRUE(JPEG_Encode(Sample_Image(64, 64), 90, jpg));
  const std::size_t sos = jpg.find("\xFF\xDA");
  ASSERT_NE(sos, std::string::npos);
  const std::size_t sof = jpg.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  std::string why;
  TImage img;
  for (std::size_t keep : {std::size_t(20), std::size_t(60), (jpg.size() - sos) / 2}) {
    const std::string cut = jpg.substr(0, sos + keep) + "\xFF\xD9";
    EXPECT_FALSE(JPEG_Decode(cut.data(), cut.size(), img, &why)) << keep;
    EXPECT_TRUE(img.pixels.empty());
    EXPECT_EQ(why, "JPEG data truncated") << keep;
  }
  // The same small file claiming 8192 x 8192 pixels (a few hundred bytes
  // that would become a 256 MB picture).
  std::string huge = jpg.substr(0, sos + 20) + "\xFF\xD9";
  huge[sof + 5] = '\x20';
  huge[sof + 6] = '\x00';
  huge[sof + 7] = '\x20';
  huge[sof + 8] = '\x00';
  EXPECT_FALSE(JPEG_Decode(huge.data(), huge.size(), img, &why));
  EXPECT_EQ(why, "JPEG too large");
  EXPECT_TRUE(img.pixels.empty());
  // The whole file still reads.
  ASSERT_TRUE(JPEG_Decode(jpg.data(), jpg.size(), img, &why)) << why;
  EXPECT_EQ(img.width, 64);
}

namespace {
// A progressive JPEG of the picture, written with libjpeg directly (the
// game writes only baseline pictures).
std::string Progressive_Jpeg(const TImage& img) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long length = 0;
  jpeg_mem_dest(&cinfo, &buffer, &length);
  cinfo.image_width = JDIMENSION(img.width);
  cinfo.image_height = JDIMENSION(img.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> line(std::size_t(img.width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint32_t* row = img.Row(std::int32_t(cinfo.next_scanline));
    for (std::int32_t x = 0; x < img.width; ++x)
      for (int c = 0; c < 3; ++c) line[std::size_t(x) * 3 + std::size_t(c)] = (unsigned char)(row[x] >> (16 - 8 * c));
    JSAMPROW rows[1] = {line.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), length);
  std::free(buffer);
  return out;
}
}  // namespace

// A progressive picture is read whole, row by row into the picture; cut in
// its scans it is refused like a baseline one.
TEST(Image_Files, ProgressiveJpegsReadWholeAndRefuseWhenCut) {
  const TImage original = Sample_Image(200, 120);
  const std::string jpg = Progressive_Jpeg(original);
  TImage img;
  std::string why;
  ASSERT_TRUE(JPEG_Decode(jpg.data(), jpg.size(), img, &why)) << why;
  ASSERT_EQ(img.width, 200);
  ASSERT_EQ(img.height, 120);
  ASSERT_EQ(img.pixels.size(), original.pixels.size());
  std::string baseline;
  ASSERT_TRUE(JPEG_Encode(original, 95, baseline));
  TImage reference;
  ASSERT_TRUE(JPEG_Decode(baseline.data(), baseline.size(), reference));
  int far = 0;
  for (std::size_t i = 0; i < img.pixels.size(); ++i)
    for (int shift = 0; shift < 24; shift += 8)
      if (std::abs(int((img.pixels[i] >> shift) & 0xFF) - int((reference.pixels[i] >> shift) & 0xFF)) > 24) ++far;
  EXPECT_LT(far, 50);
  EXPECT_FALSE(JPEG_Decode(jpg.data(), jpg.size() * 2 / 3, img, &why));
  EXPECT_EQ(why, "JPEG data truncated");
  EXPECT_TRUE(img.pixels.empty());
  // The same file claiming 8192 x 8192 pixels, made long enough by a
  // comment for its size to pass: its coefficients alone would take some
  // 200 MB, beyond what a picture may hold before its last scan.
  const std::size_t sof = jpg.find("\xFF\xC2");
  ASSERT_NE(sof, std::string::npos);
  std::string huge = jpg;
  huge.replace(sof + 5, 4, std::string("\x20\x00\x20\x00", 4));
  huge.insert(2, std::string("\xFF\xFE\x9C\x42", 4) + std::string(0x9C40, 'c'));
  EXPECT_FALSE(JPEG_Decode(huge.data(), huge.size(), img, &why));
  EXPECT_EQ(why, "JPEG too large");
  EXPECT_TRUE(img.pixels.empty());
}

TEST(Image_Files, ReadsPngWithAlpha) {
  // A 2 x 2 picture written with libpng's own writer.
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = 2;
  png.height = 2;
  png.format = PNG_FORMAT_RGBA;
  const std::uint8_t rgba[16] = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 255};
  png_alloc_size_t size = 0;
  ASSERT_TRUE(png_image_write_to_memory(&png, nullptr, &size, 0, rgba, 0, nullptr));
  std::string bytes(size, '\0');
  ASSERT_TRUE(png_image_write_to_memory(&png, bytes.data(), &size, 0, rgba, 0, nullptr));
  bytes.resize(size);

  TImage img;
  ASSERT_TRUE(Image_Decode(bytes.data(), bytes.size(), img));
  EXPECT_EQ(img.pixels, (std::vector<std::uint32_t>{0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0xFF0A141Eu}));

  std::string why;
  EXPECT_FALSE(PNG_Decode(bytes.data(), bytes.size() - 20, img, &why));
  EXPECT_TRUE(img.pixels.empty());
  std::mt19937 rng(99);
  for (int round = 0; round < 300; ++round) {
    std::string m = bytes;
    m[8 + rng() % (m.size() - 8)] = char(rng());
    if (PNG_Decode(m.data(), m.size(), img))
      ASSERT_EQ(img.pixels.size(), std::size_t(img.width) * std::size_t(img.height));
    else
      ASSERT_TRUE(img.pixels.empty());
  }
}

TEST(Image_Files, FilesAreFoundIgnoringCaseAndUnknownDataFails) {
  TTemp_Dir dir;
  TImage img = Sample_Image(4, 4);
  ASSERT_TRUE(Image_Write_BMP_24(dir.design() + "Pic.bmp", img));
  ASSERT_TRUE(Image_Write_JPEG(dir.design() + "pic.jpg", img, 100));
  TImage back;
  ASSERT_TRUE(Image_Read_File(dir.design() + "PIC.BMP", back));
  EXPECT_EQ(back.pixels, img.pixels);
  ASSERT_TRUE(Image_Read_File(dir.design() + "pic.jpg", back));
  EXPECT_EQ(back.width, 4);

  std::string why;
  EXPECT_FALSE(Image_Read_File(dir.design() + "none.bmp", back, &why));
  EXPECT_EQ(why, "File not found");
  Write_File(dir.path() / "text.bmp", "hello");
  EXPECT_FALSE(Image_Read_File(dir.design() + "text.bmp", back, &why));
  EXPECT_EQ(why, "Unknown picture format");
  EXPECT_TRUE(back.pixels.empty());
}

// A picture written row by row gives the very bytes of the whole-picture
// writer, row padding included; an unwritable path is a failure.
TEST(Image_Files, Bmp24WrittenByRowsMatchesTheWholePictureWriter) {
  TTemp_Dir dir;
  for (const auto& [w, h] : {std::pair{5, 3}, std::pair{1, 1}, std::pair{300, 7}}) {
    SCOPED_TRACE(w);
    const TImage img = Sample_Image(w, h);
    std::vector<std::int32_t> asked;
    ASSERT_TRUE(Image_Write_BMP_24_Rows(dir.design() + "rows.bmp", w, h, [&](std::int32_t y, std::uint32_t* row) {
      asked.push_back(y);
      std::copy_n(img.Row(y), w, row);
    }));
    EXPECT_EQ(Read_File(dir.path() / "rows.bmp"), BMP_Encode_24(img));
    ASSERT_EQ(asked.size(), std::size_t(h));
    EXPECT_EQ(asked.front(), h - 1);
    EXPECT_EQ(asked.back(), 0);
  }
  EXPECT_FALSE(Image_Write_BMP_24_Rows(dir.design() + "none\\rows.bmp", 2, 2, [](std::int32_t, std::uint32_t*) {}));
}

// The pictures kept from fuzzing (fuzz/reproducers/image) are each read as
// the game reads a picture file and refused cleanly, with a reason and no
// picture. Their cost is measured by bench/Image_Refusal_Bench.
TEST(Image_Files, TheKeptHostilePicturesAreRefused) {
  const std::filesystem::path dir = Source_Dir() / "fuzz" / "reproducers" / "image";
  // The reason of each file of a finding: refused by its header or by a
  // bound on what its data can hold, before the picture is allocated, or
  // when its data ends.
  const std::map<std::string, std::string> reasons = {
      {"png-16bit-grey-1536x37124-cut-at-68-bytes.png", "PNG data truncated"},
      {"jpeg-cut-at-marker-claiming-8192x8192.jpg", "JPEG too large"},
      {"jpeg-progressive-4096x4096-cut-in-its-first-scans.jpg", "JPEG data truncated"},
      {"jpeg-320x240-cut-in-the-middle-of-its-scan.jpg", "JPEG data truncated"},
  };
  std::size_t known = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    SCOPED_TRACE(name);
    TImage img;
    std::string why;
    EXPECT_FALSE(Image_Read_File(Design_Path(e.path().string()), img, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(img.pixels.empty());
    EXPECT_EQ(img.width, 0);
    if (const auto it = reasons.find(name); it != reasons.end()) {
      EXPECT_EQ(why, it->second);
      ++known;
    }
  }
  EXPECT_EQ(known, reasons.size());
  // The PNG of the finding: 68 bytes naming 1536 x 37,124 pixels of 16-bit
  // grey, refused by what its data could hold, before any picture exists.
  const std::string png = Read_File(dir / "png-16bit-grey-1536x37124-cut-at-68-bytes.png");
  ASSERT_EQ(png.size(), 68u);
  EXPECT_EQ(png.substr(12, 12), std::string("IHDR\x00\x00\x06\x00\x00\x00\x91\x04", 12));
  EXPECT_EQ(png[24], 16);
  EXPECT_EQ(png[25], 0);
  TImage img;
  std::string why;
  EXPECT_FALSE(PNG_Decode(png.data(), png.size(), img, &why));
  EXPECT_EQ(why, "PNG data truncated");
}

// A PNG is refused when the image data present could not inflate to the
// rows its header names, and read when it can, however the data is split.
TEST(Image_Files, PngDataIsCheckedAgainstTheRowsItMustHold) {
  const std::string whole = Png_Bytes(Sample_Image(64, 48));
  TImage img;
  std::string why;
  ASSERT_TRUE(PNG_Decode(whole.data(), whole.size(), img, &why)) << why;
  EXPECT_EQ(img.pixels, Sample_Image(64, 48).pixels);
  // The same header claiming 64 x 65,535 rows: its few kilobytes of
  // data cannot hold 16 MB of rows.
  std::string tall = whole;
  tall.replace(20, 4, std::string("\x00\x00\xFF\xFF", 4));
  const std::uint32_t crc = std::uint32_t(crc32(0, reinterpret_cast<const Bytef*>(tall.data() + 12), 17));
  for (int i = 0; i < 4; ++i) tall[std::size_t(29 + i)] = char((crc >> (24 - 8 * i)) & 0xFF);
  EXPECT_FALSE(PNG_Decode(tall.data(), tall.size(), img, &why));
  EXPECT_EQ(why, "PNG data truncated");
  EXPECT_TRUE(img.pixels.empty());
  // Cut inside its data, the file is refused by the data check or by libpng.
  for (std::size_t keep : {std::size_t(45), whole.size() / 2, whole.size() - 13}) {
    EXPECT_FALSE(PNG_Decode(whole.data(), keep, img, &why)) << keep;
    EXPECT_TRUE(img.pixels.empty());
  }
}
