#include <gtest/gtest.h>

#include "BitmapInterpolatedShrink.h"
#include "Errors.h"

namespace {

// A one-row picture of grey levels (blue, green and red equal).
TImage Grey_Row(std::vector<int> levels) {
  TImage img;
  img.Set_Size(std::int32_t(levels.size()), 1);
  for (std::size_t i = 0; i < levels.size(); ++i) {
    std::uint32_t v = std::uint32_t(levels[i]);
    img.pixels[i] = 0xFF000000u | (v << 16) | (v << 8) | v;
  }
  return img;
}

std::vector<int> Blues(const TImage& img) {
  std::vector<int> out;
  for (std::uint32_t p : img.pixels) out.push_back(int(p & 0xFF));
  return out;
}

TImage Target(std::int32_t w, std::int32_t h) {
  TImage img;
  img.width = w;
  img.height = h;
  return img;
}

}  // namespace

TEST(Bitmap_Interpolated_Shrink, HalvingAWidthAveragesPairsWithTheLeftEdgeMirrored) {
  // Destination i is the mean of sources 2i - 1 and 2i; destination 0 reads
  // sources 1 and 0. Halves round to even: 15.5 -> 16, 16.5 -> 16, 60.5 -> 60.
  TImage src = Grey_Row({10, 21, 12, 90, 31, 11});
  TImage dst = Target(3, 1);
  Bitmap_Interpolated_Shrink(src, dst);
  EXPECT_EQ(Blues(dst), (std::vector<int>{16, 16, 60}));

  src = Grey_Row({40, 1, 40, 99});
  dst = Target(2, 1);
  Bitmap_Interpolated_Shrink(src, dst);
  EXPECT_EQ(Blues(dst), (std::vector<int>{20, 20}));  // (1+40)/2 = 20.5 -> 20 twice
}

TEST(Bitmap_Interpolated_Shrink, ThreeToTwoWeighsTwoThirdsAndClamps) {
  // Destination 0 takes source 0 alone with weight 2/3 (darker); destination
  // 1 takes sources 1 and 2 with 2/3 each, 340 clamped to 255.
  TImage src = Grey_Row({255, 255, 255});
  TImage dst = Target(2, 1);
  Bitmap_Interpolated_Shrink(src, dst);
  EXPECT_EQ(Blues(dst), (std::vector<int>{170, 255}));

  src = Grey_Row({90, 30, 60});
  Bitmap_Interpolated_Shrink(src, dst);
  EXPECT_EQ(Blues(dst), (std::vector<int>{60, 60}));
}

TEST(Bitmap_Interpolated_Shrink, EnlargingRepeatsTheNearestSourceAndMirrorsTheRightEdge) {
  TImage src = Grey_Row({10, 200});
  TImage dst = Target(8, 1);
  Bitmap_Interpolated_Shrink(src, dst);
  // Centres 0, 0.25, ... 1.75; the last one's nearest index 2 lies beyond the
  // edge and is mirrored to 2n - j - 1 = 1.
  EXPECT_EQ(Blues(dst), (std::vector<int>{10, 10, 10, 200, 200, 200, 200, 200}));

  src = Grey_Row({77});
  dst = Target(3, 1);
  Bitmap_Interpolated_Shrink(src, dst);
  EXPECT_EQ(Blues(dst), (std::vector<int>{77, 77, 77}));
}

TEST(Bitmap_Interpolated_Shrink, BothPassesWorkPerChannelAndGiveOpaquePixels) {
  TImage src;
  src.Set_Size(2, 2);
  src.pixels = {0x00102030u, 0x80305070u, 0x11000000u, 0xFF204060u};
  TImage dst = Target(1, 1);
  Bitmap_Interpolated_Shrink(src, dst);
  // Columns: (row 0) mean of 0x30/0x10.. ; then rows: mean of both rows.
  // Red: ((0x10+0x30)/2 + (0x00+0x20)/2)/2 = (32+16)/2 = 24.
  // Green: ((0x20+0x50)/2 = 56, (0+0x40)/2 = 32) -> 44.
  // Blue: ((0x30+0x70)/2 = 80, (0+0x60)/2 = 48) -> 64.
  ASSERT_EQ(dst.pixels.size(), 1u);
  EXPECT_EQ(dst.pixels[0], 0xFF182C40u);
}

TEST(Bitmap_Interpolated_Shrink, SizesAndErrors) {
  TImage empty;
  TImage dst = Target(4, 4);
  dst.pixels.assign(16, 0x12345678u);
  try {
    Bitmap_Interpolated_Shrink(empty, dst);
    FAIL() << "no error";
  } catch (const EGlobarch_Error& e) {
    EXPECT_STREQ(e.what(), "Source bitmap too small");
  }
  EXPECT_EQ(dst.pixels.size(), 16u);  // untouched
  EXPECT_EQ(dst.pixels[0], 0x12345678u);

  TImage src = Grey_Row({1, 2, 3});
  TImage none = Target(0, 5);
  Bitmap_Interpolated_Shrink(src, none);
  EXPECT_TRUE(none.pixels.empty());

  // A large shrink (1024 -> 512 wide, 8 -> 1 high) keeps a flat colour flat.
  TImage big;
  big.Set_Size(1024, 8, 0xFF336699u);
  TImage small = Target(512, 1);
  Bitmap_Interpolated_Shrink(big, small);
  for (std::uint32_t p : small.pixels) ASSERT_EQ(p, 0xFF336699u);
}
