// Shared drawing kit of the picture generator: cairo pictures, seeded noise,
// the file writers and the reading of the data files that name pictures.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Pictures {

struct TRgb {
  double r = 0, g = 0, b = 0;  // 0..1
};

TRgb Rgb(int r, int g, int b);
TRgb Mix(const TRgb& a, const TRgb& b, double t);
TRgb Scale(const TRgb& a, double f);
double Clamp01(double v);
double Smoothstep(double e0, double e1, double x);

// Deterministic random numbers seeded by a text.
class TRandom {
public:
  explicit TRandom(const std::string& seed);
  double Next();                       // 0..1
  double Range(double a, double b);    // a..b
  int Int(int a, int b);               // a..b inclusive
private:
  std::uint64_t f_state = 88172645463325252ull;
};

std::uint32_t Seed_Of(const std::string& text);

// Smooth value noise in 0..1; with a period (in lattice cells) above 0 it
// repeats after that many cells in both directions.
double Value_Noise(double x, double y, std::uint32_t seed, int period = 0);
// Sum of octaves of value noise, 0..1: the first octave's cell is `cell`
// pixels; with `period_pixels` above 0 the sum repeats after that many pixels
// (each octave's cell must divide it).
double Fractal_Noise(double x, double y, std::uint32_t seed, double cell, int octaves, int period_pixels = 0);

// An ARGB picture with a cairo context.
class TPicture {
public:
  TPicture(int width, int height);
  ~TPicture();
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  cairo_t* cr() const { return f_cr; }
  cairo_surface_t* surface() const { return f_surface; }
  int Width() const { return f_width; }
  int Height() const { return f_height; }

  // Sets every pixel from a colour function of the pixel centre (opaque).
  void Fill_Pixels(const std::function<TRgb(double x, double y)>& colour);
  // Reads and writes unpremultiplied pixels (alpha 0..1).
  void Get(int x, int y, TRgb& c, double& alpha) const;
  void Set(int x, int y, const TRgb& c, double alpha);
  // Keeps drawn pixels off pure black (used where black is transparent).
  void Keep_Off_Black();
  // Keeps every pixel off pure white (used where white is transparent).
  void Keep_Off_White();
  // Turns the picture about its centre by a multiple of 90 degrees clockwise.
  void Rotate_Quarters(int quarters);

  void Write_PNG(const std::string& path) const;
  // 24-bit BMP; pixels are laid over `under`.
  void Write_BMP_24(const std::string& path, const TRgb& under = TRgb{}) const;
  // 32-bit BMP with an alpha channel.
  void Write_BMP_32(const std::string& path) const;
  void Write_JPEG(const std::string& path, int quality) const;

private:
  void Flush() const;
  int f_width, f_height;
  cairo_surface_t* f_surface;
  cairo_t* f_cr;
};

// cairo helpers
void Set_Colour(cairo_t* cr, const TRgb& c, double alpha = 1.0);
void Rounded_Rectangle(cairo_t* cr, double x, double y, double w, double h, double r);
void Text(cairo_t* cr, const std::string& text, double x, double y, double size, const TRgb& colour,
          bool bold = false, double alpha = 1.0);
// Text centred on x; y is the baseline.
void Text_Centred(cairo_t* cr, const std::string& text, double x, double y, double size, const TRgb& colour,
                  bool bold = false, double alpha = 1.0);
double Text_Width(cairo_t* cr, const std::string& text, double size, bool bold = false);

// One record of a data file: "Name := Value" pairs in file order.
using TRecord = std::vector<std::pair<std::string, std::string>>;
// Reads the records of a data file between *BEGIN* and *END*; a new record
// starts at each line whose name is `first_key`.
std::vector<TRecord> Read_Records(const std::string& path, const std::string& first_key);
std::string Field(const TRecord& record, const std::string& key);

// Where the pictures go; every written file is counted.
class TOutput {
public:
  explicit TOutput(std::string game_folder);
  std::string Path(const std::string& folder, const std::string& file);
  std::size_t Count() const { return f_count; }
  const std::string& Game_Folder() const { return f_game; }
private:
  std::string f_game;
  std::size_t f_count = 0;
};

void Generate_Terrain(TOutput& out);
void Generate_Units(TOutput& out);
void Generate_Effects(TOutput& out);
void Generate_Battle_Maps(TOutput& out);
void Generate_Screens(TOutput& out);

std::size_t Generate_All(const std::string& game_folder);

}  // namespace Pictures
