// Picture files: our own Windows bitmap reader and writer, JPEG through
// libjpeg and PNG through libpng.
//
// Pictures in memory are 32-bit ARGB pixels (alpha in the top byte), top row
// first, rows of exactly `width` pixels. Readers never trust a file: a
// truncated, hostile or unsupported file gives false and a short reason, with
// the image left empty; nothing is allocated beyond what the file can fill.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;  // width * height, top row first

  // Resizes to w x h (negative sizes count as 0) filled with `fill`.
  void Set_Size(std::int32_t w, std::int32_t h, std::uint32_t fill = 0xFF000000u);
  void Clear();
  bool Empty() const { return width <= 0 || height <= 0; }
  // Pixel access without range check (callers keep to 0..width-1, 0..height-1).
  std::uint32_t Pixel(std::int32_t x, std::int32_t y) const {
    return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  }
  void Set_Pixel(std::int32_t x, std::int32_t y, std::uint32_t argb) {
    pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = argb;
  }
  std::uint32_t* Row(std::int32_t y) { return pixels.data() + std::size_t(y) * std::size_t(width); }
  const std::uint32_t* Row(std::int32_t y) const {
    return pixels.data() + std::size_t(y) * std::size_t(width);
  }
};

// A white-on-black picture as rows of bits: `stride` bytes a row, top row
// first, the leftmost pixel in the top bit of a row's first byte, a set
// bit white.
struct TImage_Mask_Bits {
  std::int32_t width = 0, height = 0;
  std::size_t stride = 0;
  std::vector<std::uint8_t> bits;
};

enum class TImage_Format { Unknown, BMP, JPEG, PNG };

// Largest picture any reader accepts (pixels), so that a hostile header can
// never ask for an absurd allocation: 8192 x 8192.
constexpr std::uint64_t Image_Max_Pixels = std::uint64_t(8192) * 8192;
// Largest side in pixels.
constexpr std::int32_t Image_Max_Side = 65535;
// Largest picture file read into memory.
constexpr std::uint64_t Image_Max_File_Size = std::uint64_t(512) * 1024 * 1024;

// The format by the first bytes of the data (not by the file name).
TImage_Format Image_Detect_Format(const void* data, std::size_t size);

// Decoders: true and a filled image, or false, an empty image and a reason.
bool BMP_Decode(const void* data, std::size_t size, TImage& image, std::string* error = nullptr);
bool JPEG_Decode(const void* data, std::size_t size, TImage& image, std::string* error = nullptr);
bool PNG_Decode(const void* data, std::size_t size, TImage& image, std::string* error = nullptr);
// Any of the three, by content.
bool Image_Decode(const void* data, std::size_t size, TImage& image, std::string* error = nullptr);

// Encoders into memory.
// 24-bit bottom-up bitmap; alpha is dropped.
std::string BMP_Encode_24(const TImage& image);
// 1-bit bottom-up bitmap with the palette black, white: a pixel is white when
// the sum of its red, green and blue is at least 383 (the nearer of the two).
std::string BMP_Encode_1(const TImage& image);
// The same bitmap of a width x height picture given as bits: row_of(y, line)
// sets the bits of row y's white pixels in `line` (its bytes zero, the
// leftmost pixel in the top bit of the first byte).
std::string BMP_Encode_1_Rows(std::int32_t width, std::int32_t height,
                              const std::function<void(std::int32_t, std::uint8_t*)>& row_of);
// Baseline JPEG of the given quality (1..100); alpha is dropped. False for an
// empty image.
bool JPEG_Encode(const TImage& image, int quality, std::string& out, std::string* error = nullptr);

// Files, named in the game's path form (Native_Path is applied).
bool Image_Read_File(const std::string& path, TImage& image, std::string* error = nullptr);
// Whole file contents; false when missing, unreadable or too large.
bool Image_Read_Bytes(const std::string& path, std::string& bytes, std::string* error = nullptr);
bool Image_Write_BMP_24(const std::string& path, const TImage& image);
bool Image_Write_BMP_1(const std::string& path, const TImage& image);
// The same file as Image_Write_BMP_24 of a width x height picture, written
// as it is made: row_of(y, row) fills row y (width ARGB pixels), asked for
// from the bottom row up, so that a large picture never stands in memory.
bool Image_Write_BMP_24_Rows(const std::string& path, std::int32_t width, std::int32_t height,
                             const std::function<void(std::int32_t, std::uint32_t*)>& row_of);
bool Image_Write_BMP_1_Rows(const std::string& path, std::int32_t width, std::int32_t height,
                            const std::function<void(std::int32_t, std::uint8_t*)>& row_of);
bool Image_Write_JPEG(const std::string& path, const TImage& image, int quality);
