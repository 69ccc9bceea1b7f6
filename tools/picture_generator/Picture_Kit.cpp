#include "Picture_Kit.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace Pictures {

TRgb Rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
TRgb Mix(const TRgb& a, const TRgb& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
TRgb Scale(const TRgb& a, double f) { return {Clamp01(a.r * f), Clamp01(a.g * f), Clamp01(a.b * f)}; }
double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
double Smoothstep(double e0, double e1, double x) {
  const double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

std::uint32_t Seed_Of(const std::string& text) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : text) h = (h ^ c) * 16777619u;
  return h;
}

TRandom::TRandom(const std::string& seed) {
  f_state ^= std::uint64_t(Seed_Of(seed)) * 0x9E3779B97F4A7C15ull;
  if (f_state == 0) f_state = 1;
  for (int i = 0; i < 4; ++i) Next();
}

double TRandom::Next() {
  f_state ^= f_state << 13;
  f_state ^= f_state >> 7;
  f_state ^= f_state << 17;
  return double(f_state >> 11) / double(1ull << 53);
}
double TRandom::Range(double a, double b) { return a + (b - a) * Next(); }
int TRandom::Int(int a, int b) { return std::min(b, a + int(Next() * (b - a + 1))); }

namespace {
double Lattice(int x, int y, std::uint32_t seed) {
  std::uint32_t h = seed ^ (std::uint32_t(x) * 374761393u) ^ (std::uint32_t(y) * 668265263u);
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return double(h & 0xFFFFFF) / double(0xFFFFFF);
}
int Wrap(int v, int period) {
  if (period <= 0) return v;
  v %= period;
  return v < 0 ? v + period : v;
}
}  // namespace

double Value_Noise(double x, double y, std::uint32_t seed, int period) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = int(fx), iy = int(fy);
  double tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const int x0 = Wrap(ix, period), x1 = Wrap(ix + 1, period);
  const int y0 = Wrap(iy, period), y1 = Wrap(iy + 1, period);
  const double a = Lattice(x0, y0, seed), b = Lattice(x1, y0, seed);
  const double c = Lattice(x0, y1, seed), d = Lattice(x1, y1, seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double Fractal_Noise(double x, double y, std::uint32_t seed, double cell, int octaves, int period_pixels) {
  double sum = 0, weight = 0, amplitude = 1;
  for (int o = 0; o < octaves; ++o) {
    const int period = period_pixels > 0 ? std::max(1, int(std::lround(period_pixels / cell))) : 0;
    sum += amplitude * Value_Noise(x / cell, y / cell, seed + std::uint32_t(o) * 7919u, period);
    weight += amplitude;
    amplitude *= 0.5;
    cell /= 2;
    if (cell < 1) break;
  }
  return sum / weight;
}

TPicture::TPicture(int width, int height) : f_width(width), f_height(height) {
  f_surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  f_cr = cairo_create(f_surface);
}

TPicture::~TPicture() {
  cairo_destroy(f_cr);
  cairo_surface_destroy(f_surface);
}

void TPicture::Flush() const { cairo_surface_flush(f_surface); }

void TPicture::Fill_Pixels(const std::function<TRgb(double x, double y)>& colour) {
  Flush();
  for (int y = 0; y < f_height; ++y)
    for (int x = 0; x < f_width; ++x) Set(x, y, colour(x + 0.5, y + 0.5), 1.0);
}

void TPicture::Get(int x, int y, TRgb& c, double& alpha) const {
  Flush();
  const unsigned char* row = cairo_image_surface_get_data(f_surface) + y * cairo_image_surface_get_stride(f_surface);
  const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
  const double a = ((p >> 24) & 0xFF) / 255.0;
  alpha = a;
  if (a <= 0) {
    c = {};
    return;
  }
  c = {((p >> 16) & 0xFF) / 255.0 / a, ((p >> 8) & 0xFF) / 255.0 / a, (p & 0xFF) / 255.0 / a};
  c = {Clamp01(c.r), Clamp01(c.g), Clamp01(c.b)};
}

void TPicture::Set(int x, int y, const TRgb& c, double alpha) {
  unsigned char* row = cairo_image_surface_get_data(f_surface) + y * cairo_image_surface_get_stride(f_surface);
  const double a = Clamp01(alpha);
  auto ch = [&](double v) { return std::uint32_t(std::lround(Clamp01(v) * a * 255.0)); };
  reinterpret_cast<std::uint32_t*>(row)[x] =
      (std::uint32_t(std::lround(a * 255.0)) << 24) | (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b);
  cairo_surface_mark_dirty(f_surface);
}

void TPicture::Keep_Off_Black() {
  Flush();
  unsigned char* data = cairo_image_surface_get_data(f_surface);
  const int stride = cairo_image_surface_get_stride(f_surface);
  for (int y = 0; y < f_height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (int x = 0; x < f_width; ++x) {
      const std::uint32_t a = row[x] >> 24;
      if (a < 24) {
        row[x] = 0;  // nearly clear: fully transparent
        continue;
      }
      std::uint32_t r = (row[x] >> 16) & 0xFF, g = (row[x] >> 8) & 0xFF, b = row[x] & 0xFF;
      // Unpremultiplied, no drawn pixel goes below 6 in every channel.
      const std::uint32_t floor = (6 * a + 254) / 255;
      if (r < floor && g < floor && b < floor) r = g = b = floor;
      row[x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  cairo_surface_mark_dirty(f_surface);
}

void TPicture::Keep_Off_White() {
  for (int y = 0; y < f_height; ++y)
    for (int x = 0; x < f_width; ++x) {
      TRgb c;
      double a;
      Get(x, y, c, a);
      if (c.r > 0.975 && c.g > 0.975 && c.b > 0.975) Set(x, y, Rgb(246, 246, 246), a);
    }
}

void TPicture::Rotate_Quarters(int quarters) {
  quarters = ((quarters % 4) + 4) % 4;
  if (quarters == 0) return;
  cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, f_width, f_height);
  cairo_t* c = cairo_create(copy);
  cairo_translate(c, f_width / 2.0, f_height / 2.0);
  cairo_rotate(c, quarters * M_PI / 2);
  cairo_translate(c, -f_width / 2.0, -f_height / 2.0);
  cairo_set_source_surface(c, f_surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_NEAREST);
  cairo_paint(c);
  cairo_destroy(c);
  cairo_save(f_cr);
  cairo_set_operator(f_cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(f_cr, copy, 0, 0);
  cairo_paint(f_cr);
  cairo_restore(f_cr);
  cairo_surface_destroy(copy);
}

namespace {
void Make_Folder(const std::string& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
}
void Put16(std::string& s, std::uint32_t v) {
  s.push_back(char(v & 0xFF));
  s.push_back(char((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
void Write_File(const std::string& path, const std::string& bytes) {
  Make_Folder(path);
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), std::streamsize(bytes.size()));
  if (!f) throw std::runtime_error("Cannot write " + path);
}
}  // namespace

void TPicture::Write_PNG(const std::string& path) const {
  Flush();
  Make_Folder(path);
  if (cairo_surface_write_to_png(f_surface, path.c_str()) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("Cannot write " + path);
}

void TPicture::Write_BMP_24(const std::string& path, const TRgb& under) const {
  const int row_bytes = (f_width * 3 + 3) & ~3;
  std::string s;
  s += "BM";
  Put32(s, std::uint32_t(54 + row_bytes * f_height));
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, std::uint32_t(f_width));
  Put32(s, std::uint32_t(f_height));
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, 0);
  Put32(s, std::uint32_t(row_bytes * f_height));
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  for (int y = f_height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < f_width; ++x) {
      TRgb c;
      double a;
      Get(x, y, c, a);
      const TRgb m = Mix(under, c, a);
      row.push_back(char(std::lround(m.b * 255)));
      row.push_back(char(std::lround(m.g * 255)));
      row.push_back(char(std::lround(m.r * 255)));
    }
    row.resize(std::size_t(row_bytes), '\0');
    s += row;
  }
  Write_File(path, s);
}

void TPicture::Write_BMP_32(const std::string& path) const {
  constexpr std::uint32_t header = 108;  // with colour masks
  std::string s;
  s += "BM";
  Put32(s, std::uint32_t(14 + header + 4 * f_width * f_height));
  Put32(s, 0);
  Put32(s, 14 + header);
  Put32(s, header);
  Put32(s, std::uint32_t(f_width));
  Put32(s, std::uint32_t(f_height));
  Put16(s, 1);
  Put16(s, 32);
  Put32(s, 3);  // bit fields
  Put32(s, std::uint32_t(4 * f_width * f_height));
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0x00FF0000u);
  Put32(s, 0x0000FF00u);
  Put32(s, 0x000000FFu);
  Put32(s, 0xFF000000u);
  Put32(s, 0x73524742u);  // sRGB
  s.append(48, '\0');     // end points and gamma
  for (int y = f_height - 1; y >= 0; --y)
    for (int x = 0; x < f_width; ++x) {
      TRgb c;
      double a;
      Get(x, y, c, a);
      s.push_back(char(std::lround(c.b * 255)));
      s.push_back(char(std::lround(c.g * 255)));
      s.push_back(char(std::lround(c.r * 255)));
      s.push_back(char(std::lround(a * 255)));
    }
  Write_File(path, s);
}

void TPicture::Write_JPEG(const std::string& path, int quality) const {
  Make_Folder(path);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("Cannot write " + path);
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, f);
  info.image_width = JDIMENSION(f_width);
  info.image_height = JDIMENSION(f_height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(std::size_t(f_width) * 3);
  for (int y = 0; y < f_height; ++y) {
    for (int x = 0; x < f_width; ++x) {
      TRgb c;
      double a;
      Get(x, y, c, a);
      row[std::size_t(x) * 3] = static_cast<unsigned char>(std::lround(c.r * a * 255));
      row[std::size_t(x) * 3 + 1] = static_cast<unsigned char>(std::lround(c.g * a * 255));
      row[std::size_t(x) * 3 + 2] = static_cast<unsigned char>(std::lround(c.b * a * 255));
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&info, &p, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(f);
}

void Set_Colour(cairo_t* cr, const TRgb& c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void Rounded_Rectangle(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

namespace {
void Select_Font(cairo_t* cr, double size, bool bold) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}
}  // namespace

double Text_Width(cairo_t* cr, const std::string& text, double size, bool bold) {
  Select_Font(cr, size, bold);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  return e.x_advance;
}

void Text(cairo_t* cr, const std::string& text, double x, double y, double size, const TRgb& colour, bool bold,
          double alpha) {
  Select_Font(cr, size, bold);
  Set_Colour(cr, colour, alpha);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
  cairo_new_path(cr);
}

void Text_Centred(cairo_t* cr, const std::string& text, double x, double y, double size, const TRgb& colour,
                  bool bold, double alpha) {
  Text(cr, text, x - Text_Width(cr, text, size, bold) / 2, y, size, colour, bold, alpha);
}

namespace {
std::string Trim(const std::string& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
  return s.substr(a, b - a);
}
}  // namespace

std::vector<TRecord> Read_Records(const std::string& path, const std::string& first_key) {
  std::ifstream f(path);
  if (!f) throw std::runtime_error("Cannot read " + path);
  std::vector<TRecord> records;
  std::string line;
  while (std::getline(f, line)) {
    const std::string t = Trim(line);
    if (t.rfind("//", 0) == 0) continue;
    const std::size_t at = t.find(":=");
    if (at == std::string::npos) continue;
    const std::string key = Trim(t.substr(0, at)), value = Trim(t.substr(at + 2));
    if (key == first_key || records.empty()) records.emplace_back();
    records.back().emplace_back(key, value);
  }
  return records;
}

std::string Field(const TRecord& record, const std::string& key) {
  for (const auto& [k, v] : record)
    if (k == key) return v;
  return {};
}

TOutput::TOutput(std::string game_folder) : f_game(std::move(game_folder)) {}

std::string TOutput::Path(const std::string& folder, const std::string& file) {
  ++f_count;
  return (std::filesystem::path(f_game) / folder / file).string();
}

std::size_t Generate_All(const std::string& game_folder) {
  TOutput out(game_folder);
  Generate_Terrain(out);
  Generate_Units(out);
  Generate_Effects(out);
  Generate_Battle_Maps(out);
  Generate_Screens(out);
  return out.Count();
}

}  // namespace Pictures
