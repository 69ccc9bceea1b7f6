// A picture encoded as the bytes of a PNG file, for tests that write the
// pictures a game folder or a map type needs.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Image_Files.h"

inline std::string Png_Bytes(const TImage& image) {
  std::vector<std::uint8_t> rgba;
  for (std::uint32_t p : image.pixels) {
    rgba.push_back(std::uint8_t(p >> 16));
    rgba.push_back(std::uint8_t(p >> 8));
    rgba.push_back(std::uint8_t(p));
    rgba.push_back(std::uint8_t(p >> 24));
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&png, nullptr, &size, 0, rgba.data(), 0, nullptr);
  std::string bytes(size, '\0');
  png_image_write_to_memory(&png, bytes.data(), &size, 0, rgba.data(), 0, nullptr);
  return bytes;
}
