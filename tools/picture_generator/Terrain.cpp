// Terrain tiles of data/Terrain_Tiles.txt.
//
// A tile's "Base Connections" say what reaches each of its four edges: 1 land,
// 2 water. Every land edge of every tile shows the same land texture band and
// every water edge is clear, so that the base ocean picture beneath shows
// through; fitted tiles therefore join without seams whatever their variety.
// The land band is the same under quarter turns of the tile. Coasts run from
// corner to corner, so two coast tiles side by side meet at the shared corner.
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <stdexcept>

#include "Picture_Kit.h"

namespace Pictures {
namespace {

constexpr int Tile = 32;
constexpr int Ocean_Tile = 1024;
const TRgb Land_Marker = Rgb(5, 167, 24);
const TRgb Water_Marker = Rgb(10, 42, 77);

enum : int { Top = 1, Right = 2, Bottom = 4, Left = 8 };

int Turn_Edges(int mask, int quarters) {  // clockwise
  quarters = ((quarters % 4) + 4) % 4;
  for (int i = 0; i < quarters; ++i) mask = ((mask << 1) | (mask >> 3)) & 15;
  return mask;
}

// The eight connection codes; the last number given fills the rest.
std::vector<int> Codes(const std::string& text) {
  std::vector<int> numbers;
  std::istringstream in(text);
  std::string word;
  while (in >> word) {
    std::string digits;
    for (char c : word)
      if (c != ',') digits.push_back(c);
    numbers.push_back(std::atoi(digits.c_str()));
  }
  if (numbers.empty()) numbers.push_back(0);
  while (numbers.size() < 8) numbers.push_back(numbers.back());
  return numbers;
}

int Edges_With(const std::vector<int>& codes, int code) {
  int mask = 0;
  if (codes[0] == code) mask |= Top;
  if (codes[2] == code) mask |= Right;
  if (codes[4] == code) mask |= Bottom;
  if (codes[6] == code) mask |= Left;
  return mask;
}

// Land colour shared by every land edge: noise that repeats every tile and
// looks the same after a quarter turn.
TRgb Land_Base(double x, double y) {
  auto n = [](double u, double v) {
    return 0.6 * Fractal_Noise(u, v, 1201, 16, 4, Tile) + 0.4 * Fractal_Noise(u, v, 733, 4, 2, Tile);
  };
  const double t = Tile;
  const double v = (n(x, y) + n(t - y, x) + n(t - x, t - y) + n(y, t - x)) / 4;
  const double k = Clamp01((v - 0.5) * 2.4 + 0.5);
  return Mix(Rgb(84, 118, 56), Rgb(124, 146, 74), k);
}

// 0 at the tile's edge, 1 from `inner` pixels inwards.
double Edge_Window(double x, double y, double inner) {
  const double d = std::min({x, y, Tile - x, Tile - y});
  return Smoothstep(0.5, inner, d);
}

// The region that the other side (water on a land tile, land on a water
// tile) covers when it reaches the edges of `mask`, in cairo's current path.
// With `curve_only` only the coast lines are added.
void Foreign_Path(cairo_t* cr, int mask, bool curve_only) {
  static const int canonical[] = {Top, Top | Right, Top | Bottom, Top | Right | Bottom, 15};
  int shape = 0, quarters = 0;
  for (int c : canonical)
    for (int q = 0; q < 4; ++q)
      if (Turn_Edges(c, q) == mask && shape == 0) {
        shape = c;
        quarters = q;
      }
  if (shape == 0) return;
  cairo_save(cr);
  cairo_translate(cr, Tile / 2.0, Tile / 2.0);
  cairo_rotate(cr, quarters * M_PI / 2);
  cairo_translate(cr, -Tile / 2.0, -Tile / 2.0);
  const double t = Tile;
  // A coast line from corner to corner along the top edge, reaching `depth`
  // pixels in, with an irregular wobble that vanishes at both corners.
  auto coast = [&](double depth, std::uint32_t seed, bool from_right) {
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
      const double u = double(i) / steps;
      const double bulge = std::pow(std::sin(M_PI * u), 0.8);
      const double wobble = (Fractal_Noise(u * 6, 0.5, seed, 1.5, 2) - 0.5) * 7 * std::sin(M_PI * u);
      const double x = from_right ? t - u * t : u * t;
      const double y = from_right ? t - (depth * bulge + wobble) : depth * bulge + wobble;
      if (i == 0)
        cairo_move_to(cr, x, y);
      else
        cairo_line_to(cr, x, y);
    }
  };
  auto dip_top = [&] {
    coast(7.5, 11, false);
    if (!curve_only) cairo_close_path(cr);
  };
  auto dip_bottom = [&] {
    coast(7.5, 23, true);
    if (!curve_only) cairo_close_path(cr);
  };
  switch (shape) {
    case Top:
      dip_top();
      break;
    case Top | Bottom:
      dip_top();
      dip_bottom();
      break;
    case Top | Right:
      for (int i = 0; i <= 24; ++i) {
        const double u = i / 24.0, bow = std::sin(M_PI * u);
        const double off = 6 * bow + (Fractal_Noise(u * 6, 0.5, 37, 1.5, 2) - 0.5) * 7 * bow;
        const double x = u * t - off * 0.7071, y = u * t + off * 0.7071;
        if (i == 0)
          cairo_move_to(cr, x, y);
        else
          cairo_line_to(cr, x, y);
      }
      if (!curve_only) {
        cairo_line_to(cr, t, 0);
        cairo_close_path(cr);
      }
      break;
    case Top | Right | Bottom:  // everything but a tongue from the left edge
      if (!curve_only) {
        cairo_rectangle(cr, 0, 0, t, t);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
      }
      for (int i = 0; i <= 24; ++i) {
        const double u = i / 24.0, bow = std::pow(std::sin(M_PI * u), 0.7);
        const double x = 14 * bow + (Fractal_Noise(u * 6, 0.5, 51, 1.5, 2) - 0.5) * 6 * std::sin(M_PI * u);
        if (i == 0)
          cairo_move_to(cr, x, u * t);
        else
          cairo_line_to(cr, x, u * t);
      }
      if (!curve_only) cairo_close_path(cr);
      break;
    default:  // everything but a rounded patch in the middle
      if (!curve_only) {
        cairo_rectangle(cr, 0, 0, t, t);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
      }
      for (int i = 0; i < 32; ++i) {
        const double a = 2 * M_PI * i / 32;
        const double r = 10 + (Value_Noise(i / 4.0, 0.5, 77, 8) - 0.5) * 5;
        const double x = 16 + r * std::cos(a), y = 16 + r * std::sin(a);
        if (i == 0)
          cairo_move_to(cr, x, y);
        else
          cairo_line_to(cr, x, y);
      }
      cairo_close_path(cr);
      break;
  }
  cairo_restore(cr);
}

// Coverage 0..1 of a path drawn by `draw` (anti-aliased), per pixel.
std::vector<double> Coverage(const std::function<void(cairo_t*)>& draw) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, Tile, Tile);
  cairo_t* cr = cairo_create(s);
  draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  std::vector<double> out(Tile * Tile);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < Tile; ++y)
    for (int x = 0; x < Tile; ++x) out[std::size_t(y * Tile + x)] = data[y * stride + x] / 255.0;
  cairo_surface_destroy(s);
  return out;
}

void Draw_Tree(cairo_t* cr, double x, double y, double r, const TRgb& c) {
  Set_Colour(cr, Rgb(30, 48, 24), 0.45);
  cairo_arc(cr, x + r * 0.35, y + r * 0.35, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_t* g = cairo_pattern_create_radial(x - r * 0.35, y - r * 0.35, 0, x, y, r);
  const TRgb light = Mix(c, Rgb(150, 190, 90), 0.45);
  cairo_pattern_add_color_stop_rgb(g, 0, light.r, light.g, light.b);
  cairo_pattern_add_color_stop_rgb(g, 1, c.r, c.g, c.b);
  cairo_set_source(cr, g);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void Draw_Tree_Group(cairo_t* cr, double x, double y, TRandom& rnd) {
  for (int i = 0; i < 3; ++i)
    Draw_Tree(cr, x + rnd.Range(-2, 2), y + rnd.Range(-2, 2), rnd.Range(1.2, 1.8), Rgb(48, 92, 44));
}

void Draw_Hill(cairo_t* cr, double x, double y, double rx, double ry) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, rx, ry);
  cairo_pattern_t* g = cairo_pattern_create_radial(-0.35, -0.35, 0.05, 0, 0, 1);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.62, 0.64, 0.40, 0.85);
  cairo_pattern_add_color_stop_rgba(g, 0.55, 0.42, 0.50, 0.27, 0.7);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.30, 0.38, 0.20, 0.0);
  cairo_set_source(cr, g);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_restore(cr);
}

void Draw_Peak(cairo_t* cr, double x, double base, double w, double h) {
  const double top = base - h;
  cairo_move_to(cr, x, top);
  cairo_line_to(cr, x + w / 2, base);
  cairo_line_to(cr, x + w * 0.05, base - h * 0.1);
  cairo_close_path(cr);
  Set_Colour(cr, Rgb(86, 76, 66));
  cairo_fill(cr);
  cairo_move_to(cr, x, top);
  cairo_line_to(cr, x + w * 0.05, base - h * 0.1);
  cairo_line_to(cr, x - w / 2, base);
  cairo_close_path(cr);
  Set_Colour(cr, Rgb(150, 138, 120));
  cairo_fill(cr);
  cairo_move_to(cr, x, top);
  cairo_line_to(cr, x + w * 0.16, top + h * 0.32);
  cairo_line_to(cr, x + w * 0.03, top + h * 0.25);
  cairo_line_to(cr, x - w * 0.07, top + h * 0.35);
  cairo_line_to(cr, x - w * 0.16, top + h * 0.32);
  cairo_close_path(cr);
  Set_Colour(cr, Rgb(236, 238, 242));
  cairo_fill(cr);
}

// Inland features: they thin out towards the edges, which keep the shared
// land band.
void Draw_Plains(TPicture& p, const std::string& seed) {
  TRandom rnd(seed);
  cairo_t* cr = p.cr();
  for (int i = 0; i < 7; ++i) {
    const double x = rnd.Range(9, 23), y = rnd.Range(9, 23), r = rnd.Range(4, 7);
    cairo_pattern_t* g = cairo_pattern_create_radial(x, y, 0, x, y, r);
    const TRgb c = rnd.Next() < 0.5 ? Rgb(146, 158, 84) : Rgb(90, 124, 58);
    cairo_pattern_add_color_stop_rgba(g, 0, c.r, c.g, c.b, 0.5);
    cairo_pattern_add_color_stop_rgba(g, 1, c.r, c.g, c.b, 0);
    cairo_set_source(cr, g);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
  }
  for (int i = 0; i < 6; ++i) {
    const double x = rnd.Range(6, 26), y = rnd.Range(6, 26);
    Set_Colour(cr, Rgb(66, 96, 46), 0.7);
    cairo_arc(cr, x, y, rnd.Range(0.7, 1.2), 0, 2 * M_PI);
    cairo_fill(cr);
  }
}

void Draw_Farmland(TPicture& p, const std::string& seed) {
  TRandom rnd(seed);
  cairo_t* cr = p.cr();
  static const TRgb crops[] = {Rgb(172, 162, 86), Rgb(134, 156, 70), Rgb(150, 126, 80), Rgb(110, 146, 64),
                               Rgb(184, 172, 100), Rgb(124, 136, 66)};
  const double xs[] = {2.5, rnd.Range(9, 14), rnd.Range(18, 23), 29.5};
  const double ys[] = {2.5, rnd.Range(12, 20), 29.5};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 2; ++j) {
      const double x0 = xs[i] + 0.5, x1 = xs[i + 1] - 0.5, y0 = ys[j] + 0.5, y1 = ys[j + 1] - 0.5;
      const TRgb c = crops[rnd.Int(0, 5)];
      Set_Colour(cr, c, 0.85);
      cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
      cairo_fill(cr);
      cairo_save(cr);
      cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
      cairo_clip(cr);
      Set_Colour(cr, Scale(c, 0.8), 0.5);
      cairo_set_line_width(cr, 0.6);
      const bool across = rnd.Next() < 0.5;
      for (double k = 0; k < 26; k += 1.8) {
        if (across) {
          cairo_move_to(cr, x0, y0 + k);
          cairo_line_to(cr, x1, y0 + k);
        } else {
          cairo_move_to(cr, x0 + k, y0);
          cairo_line_to(cr, x0 + k, y1);
        }
      }
      cairo_stroke(cr);
      cairo_restore(cr);
    }
  // a farm and its trees
  const double fx = rnd.Range(8, 24), fy = rnd.Range(8, 24);
  Draw_Tree_Group(cr, fx + 2.5, fy - 2, rnd);
  Set_Colour(cr, Rgb(150, 72, 56));
  cairo_rectangle(cr, fx - 1.5, fy - 1, 3, 2.2);
  cairo_fill(cr);
}

void Draw_Forest(TPicture& p, const std::string& seed) {
  TRandom rnd(seed);
  const std::uint32_t clumps = Seed_Of(seed + "clumps");
  for (int i = 0; i < 150; ++i) {
    const double x = rnd.Range(2.5, 29.5), y = rnd.Range(2.5, 29.5);
    const double inset = std::min({x, y, Tile - x, Tile - y});
    if (Value_Noise(x / 9, y / 9, clumps) < 0.3) continue;
    const double r = rnd.Range(1.6, 2.8) * Smoothstep(1.8, 5, inset);
    if (r < 1.0) continue;
    const TRgb c = Mix(Rgb(34, 76, 38), Rgb(62, 106, 48), rnd.Next());
    Draw_Tree(p.cr(), x, y, r, c);
  }
}

void Draw_Hills(TPicture& p, const std::string& seed) {
  TRandom rnd(seed);
  for (int i = 0; i < 7; ++i)
    Draw_Hill(p.cr(), rnd.Range(11, 21), rnd.Range(10, 22), rnd.Range(7, 9.5), rnd.Range(5, 8));
}

void Draw_Mountains(TPicture& p, const std::string& seed) {
  TRandom rnd(seed);
  cairo_t* cr = p.cr();
  // rocky ground fading into the land band
  cairo_pattern_t* g = cairo_pattern_create_radial(16, 16, 6, 16, 16, 15.5);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.47, 0.43, 0.36, 0.9);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.47, 0.43, 0.36, 0.0);
  cairo_set_source(cr, g);
  cairo_paint(cr);
  cairo_pattern_destroy(g);
  struct P { double x, base, w, h; };
  std::vector<P> list;
  const int peaks = rnd.Int(3, 5);
  for (int i = 0; i < peaks; ++i)
    list.push_back({rnd.Range(10, 22), rnd.Range(19, 29), rnd.Range(13, 18), rnd.Range(12, 17)});
  std::sort(list.begin(), list.end(), [](const P& a, const P& b) { return a.base < b.base; });
  for (const P& q : list) Draw_Peak(cr, q.x, q.base, q.w, q.h);
}

enum class TVariety { Base, Plains, Farmland, Forest, Hills, Mountains, Water };

TVariety Variety_Of(const std::string& bitmap, int type) {
  auto has = [&](const char* word) { return bitmap.find(word) != std::string::npos; };
  if (type == 7 || has("Mountain")) return TVariety::Mountains;
  if (type == 4 || type == 5) return TVariety::Water;
  if (has("Farm")) return TVariety::Farmland;
  if (has("Forest")) return TVariety::Forest;
  if (has("Hill")) return TVariety::Hills;
  if (type == 1) return TVariety::Base;
  return TVariety::Plains;
}

// One tile picture: land everywhere but where water reaches its edges.
void Draw_Tile(TPicture& p, TVariety variety, int cell_is_water, int foreign_mask, const std::string& seed) {
  if (variety == TVariety::Water && foreign_mask == 0) {
    // Open sea: clear, the base ocean shows; deep water darkens its middle.
    cairo_set_operator(p.cr(), CAIRO_OPERATOR_CLEAR);
    cairo_paint(p.cr());
    cairo_set_operator(p.cr(), CAIRO_OPERATOR_OVER);
    if (seed.find("Deep") != std::string::npos)
      for (int y = 0; y < Tile; ++y)
        for (int x = 0; x < Tile; ++x) {
          const double n = Fractal_Noise(x + 0.5, y + 0.5, Seed_Of(seed), 8, 3);
          p.Set(x, y, Rgb(10, 34, 72), 0.35 * n * Edge_Window(x + 0.5, y + 0.5, 10));
        }
    return;
  }
  p.Fill_Pixels([](double x, double y) { return Land_Base(x, y); });
  switch (variety) {
    case TVariety::Plains: Draw_Plains(p, seed); break;
    case TVariety::Farmland: Draw_Farmland(p, seed); break;
    case TVariety::Forest: Draw_Forest(p, seed); break;
    case TVariety::Hills: Draw_Hills(p, seed); break;
    case TVariety::Mountains: Draw_Mountains(p, seed); break;
    default: break;
  }
  if (foreign_mask == 0 && !cell_is_water) return;
  // Coast: land where the land side covers the tile, clear water elsewhere,
  // a beach and shallow water along the coast line, surf on it.
  const std::vector<double> foreign = Coverage([&](cairo_t* cr) {
    Foreign_Path(cr, foreign_mask, false);
    cairo_fill(cr);
  });
  const std::vector<double> near = Coverage([&](cairo_t* cr) {
    for (double w : {10.0, 7.0, 4.5, 2.5}) {
      Foreign_Path(cr, foreign_mask, true);
      cairo_set_line_width(cr, w);
      cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
      cairo_stroke(cr);
    }
  });
  for (int y = 0; y < Tile; ++y)
    for (int x = 0; x < Tile; ++x) {
      const std::size_t i = std::size_t(y * Tile + x);
      const double land = cell_is_water ? foreign[i] : 1 - foreign[i];
      const double edge = Edge_Window(x + 0.5, y + 0.5, 4);
      TRgb c;
      double a;
      p.Get(x, y, c, a);
      const TRgb ground = Mix(c, Rgb(196, 182, 132), Clamp01(near[i] * 1.5 - 0.35) * edge);
      const double shallow = Clamp01(near[i] * 0.75) * edge;
      const TRgb sea = Rgb(64, 138, 160);
      const double alpha = land + (1 - land) * shallow;
      const TRgb mixed = alpha > 0 ? Mix(sea, ground, land / alpha) : sea;
      p.Set(x, y, mixed, alpha);
    }
  cairo_t* cr = p.cr();
  Foreign_Path(cr, foreign_mask, true);
  cairo_set_line_width(cr, 0.8);
  Set_Colour(cr, Rgb(220, 232, 226), 0.35);
  cairo_stroke(cr);
}

void Draw_Basic(TPicture& p, bool cell_is_water, int foreign_mask) {
  cairo_t* cr = p.cr();
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  Set_Colour(cr, cell_is_water ? Water_Marker : Land_Marker);
  cairo_paint(cr);
  if (foreign_mask != 0) {
    Foreign_Path(cr, foreign_mask, false);
    Set_Colour(cr, cell_is_water ? Land_Marker : Water_Marker);
    cairo_fill(cr);
  }
}

}  // namespace

void Generate_Terrain(TOutput& out) {
  const std::string file = out.Game_Folder() + "/data/Terrain_Tiles.txt";
  struct TBasic {
    bool water;
    int mask;
  };
  std::map<std::string, int> tile_masks;  // picture -> edges drawn, to catch contradictions
  std::map<std::string, TBasic> basics;
  for (const TRecord& r : Read_Records(file, "Tile Bitmap")) {
    const std::string bitmap = Field(r, "Tile Bitmap"), basic = Field(r, "Tile Basic Bitmap");
    if (bitmap.empty()) continue;
    const std::string type_name = Field(r, "Type");
    static const char* names[] = {"", "Base Land", "Land", "Shore Border", "Base Ocean", "Ocean", "Ocean Border",
                                  "Mountains"};
    int type = 0;
    for (int i = 1; i <= 7; ++i)
      if (strcasecmp(type_name.c_str(), names[i]) == 0) type = i;
    const std::vector<int> codes = Codes(Field(r, "Base Connections"));
    const bool water = type == 4 || type == 5 || type == 6;
    const int mask = water ? Edges_With(codes, 1) : Edges_With(codes, 2);
    const int rotate = std::atoi(Field(r, "Tile Rotate").c_str());
    if (rotate % 90 != 0) throw std::runtime_error("Tile " + bitmap + ": turns only by quarters");
    auto known = tile_masks.find(bitmap);
    if (known != tile_masks.end()) {
      if (known->second != mask) throw std::runtime_error("Tile " + bitmap + " is named for two different coasts");
    } else {
      tile_masks[bitmap] = mask;
      TPicture p(Tile, Tile);
      Draw_Tile(p, Variety_Of(bitmap, type), water, mask, bitmap);
      p.Write_PNG(out.Path("images/tiles", bitmap));
    }
    if (!basic.empty()) {
      // The game turns the basic picture by the tile's rotation.
      const TBasic b{water, Turn_Edges(mask, -rotate / 90)};
      auto seen = basics.find(basic);
      if (seen == basics.end()) {
        basics[basic] = b;
        TPicture p(Tile, Tile);
        Draw_Basic(p, b.water, b.mask);
        p.Write_BMP_24(out.Path("images/basictiles", basic));
      } else if (seen->second.water != b.water || seen->second.mask != b.mask) {
        throw std::runtime_error("Basic tile " + basic + " is named for two different coasts");
      }
    }
  }

  // The base ocean, laid under the whole map; it repeats every 1024 pixels.
  TPicture ocean(Ocean_Tile, Ocean_Tile);
  ocean.Fill_Pixels([](double x, double y) {
    const double broad = Fractal_Noise(x, y, 4001, 256, 7, Ocean_Tile);
    const double ripple = Fractal_Noise(x * 1.0, y * 3.0, 4099, 8, 2, Ocean_Tile);
    TRgb c = Mix(Rgb(20, 56, 108), Rgb(34, 86, 142), Clamp01((broad - 0.5) * 1.6 + 0.5));
    return Mix(c, Rgb(52, 106, 160), Clamp01((ripple - 0.62) * 1.6));
  });
  ocean.Write_BMP_24(out.Path("images/tiles", "BaseOceanTile.bmp"));
}

}  // namespace Pictures
