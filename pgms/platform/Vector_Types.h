// The vector, matrix and colour types shared by the whole game.
#pragma once

#include <cstdint>

// Three single-precision components.
struct TVector {
  float x = 0, y = 0, z = 0;
};

struct TVector4 {
  float x = 0, y = 0, z = 0, w = 0;
};

// 4 x 4 singles, row-major (m[row][column], rows and columns 0..3 for the
// usual 1..4); points are row vectors multiplied on the left.
struct TMatrix {
  float m[4][4] = {};
};

// A packed 32-bit colour: alpha in the top byte, then red, green, blue.
using TColor = std::uint32_t;

constexpr TColor Make_Color(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
  return (TColor(a) << 24) | (TColor(r) << 16) | (TColor(g) << 8) | TColor(b);
}
constexpr std::uint8_t Color_Alpha(TColor c) { return std::uint8_t(c >> 24); }
constexpr std::uint8_t Color_Red(TColor c) { return std::uint8_t(c >> 16); }
constexpr std::uint8_t Color_Green(TColor c) { return std::uint8_t(c >> 8); }
constexpr std::uint8_t Color_Blue(TColor c) { return std::uint8_t(c); }
