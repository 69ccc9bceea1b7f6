#include "BitmapInterpolatedShrink.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "Errors.h"

namespace {

struct TContributor {
  std::int32_t pixel;
  float weight;
};

using TContributor_List = std::vector<TContributor>;

// The box filter: 1 on (-0.5, 0.5], else 0.
float Box_Filter(float t) { return (t > -0.5f && t <= 0.5f) ? 1.0f : 0.0f; }

// A source index outside 0..n-1 is mirrored at the edge it crossed. The
// final clamp only guards very small sources, where a mirror could cross the
// other edge.
std::int32_t Mirror(std::int64_t j, std::int32_t n) {
  if (j < 0) j = -j;
  if (j >= n) j = 2 * std::int64_t(n) - j - 1;
  if (j < 0) j = 0;
  if (j >= n) j = n - 1;
  return std::int32_t(j);
}

// Contributors of every destination index along one axis. The weights are
// computed once per column (or row), not per pixel.
std::vector<TContributor_List> Make_Contributors(std::int32_t dest_len, std::int32_t src_len, float scale) {
  std::vector<TContributor_List> lists(static_cast<std::size_t>(dest_len));
  for (std::int32_t i = 0; i < dest_len; ++i) {
    TContributor_List& list = lists[std::size_t(i)];
    float center = float(i) / scale;
    if (scale >= 1.0f) {
      std::int64_t left = std::int64_t(std::floor(center - 0.5f));
      std::int64_t right = std::int64_t(std::ceil(center + 0.5f));
      list.reserve(2);
      for (std::int64_t j = left; j <= right; ++j) {
        float weight = Box_Filter(center - float(j));
        if (weight != 0.0f) list.push_back({Mirror(j, src_len), weight});
      }
    } else {
      float width = 0.5f / scale;
      std::int64_t left = std::int64_t(std::floor(center - width));
      std::int64_t right = std::int64_t(std::ceil(center + width));
      list.reserve(std::size_t(1.0f / scale + 1.0f));
      for (std::int64_t j = left; j <= right; ++j) {
        float weight = Box_Filter((center - float(j)) * scale) * scale;
        if (weight != 0.0f) list.push_back({Mirror(j, src_len), weight});
      }
    }
  }
  return lists;
}

// One colour byte from a weighted sum: clamped to 0..255, else rounded to the
// nearest integer with halves to even.
std::uint32_t To_Byte(float sum) {
  if (sum > 255.0f) return 255;
  if (sum < 0.0f) return 0;
  return std::uint32_t(std::nearbyint(sum));
}

std::uint32_t Weighted_Pixel(const TContributor_List& list, const std::uint32_t* pixels, std::size_t step) {
  float r = 0, g = 0, b = 0;
  for (const TContributor& c : list) {
    std::uint32_t p = pixels[std::size_t(c.pixel) * step];
    r += float((p >> 16) & 0xFF) * c.weight;
    g += float((p >> 8) & 0xFF) * c.weight;
    b += float(p & 0xFF) * c.weight;
  }
  return 0xFF000000u | (To_Byte(r) << 16) | (To_Byte(g) << 8) | To_Byte(b);
}

}  // namespace

void Bitmap_Interpolated_Shrink(const TImage& source, TImage& destination) {
  if (source.width < 1 || source.height < 1) throw EGlobarch_Error("Source bitmap too small");
  std::int32_t sw = source.width, sh = source.height;
  std::int32_t dw = destination.width > 0 ? destination.width : 0;
  std::int32_t dh = destination.height > 0 ? destination.height : 0;
  destination.Set_Size(dw, dh);
  if (dw == 0 || dh == 0) return;

  float xscale = float(dw) / float(sw);
  float yscale = float(dh) / float(sh);

  // First pass: every source row into the dw x sh intermediate picture.
  TImage work;
  work.Set_Size(dw, sh);
  {
    const std::vector<TContributor_List> columns = Make_Contributors(dw, sw, xscale);
    auto shrink_rows = [&](std::int32_t first, std::int32_t last) {
      for (std::int32_t y = first; y < last; ++y) {
        const std::uint32_t* src = source.Row(y);
        std::uint32_t* dst = work.Row(y);
        for (std::int32_t x = 0; x < dw; ++x) dst[x] = Weighted_Pixel(columns[std::size_t(x)], src, 1);
      }
    };
    // Rows are independent: a large picture is shrunk in bands on several
    // threads (each pixel's sum is made in the same order either way).
    const std::int64_t reads = std::int64_t(sw) * sh;
    const std::int32_t threads =
        reads < (std::int64_t(1) << 22)
            ? 1
            : std::int32_t(std::clamp<std::int64_t>(std::thread::hardware_concurrency(), 1, std::min<std::int64_t>(8, sh)));
    std::vector<std::thread> helpers;
    for (std::int32_t t = 1; t < threads; ++t)
      helpers.emplace_back(shrink_rows, std::int32_t(std::int64_t(sh) * t / threads),
                           std::int32_t(std::int64_t(sh) * (t + 1) / threads));
    shrink_rows(0, std::int32_t(std::int64_t(sh) / threads));
    for (std::thread& t : helpers) t.join();
  }
  // Second pass: every column of the intermediate picture into the destination.
  std::vector<TContributor_List> rows = Make_Contributors(dh, sh, yscale);
  for (std::int32_t x = 0; x < dw; ++x) {
    const std::uint32_t* src = work.pixels.data() + x;
    for (std::int32_t y = 0; y < dh; ++y)
      destination.Set_Pixel(x, y, Weighted_Pixel(rows[std::size_t(y)], src, std::size_t(dw)));
  }
}
