// Particle textures named by data/Effects.txt and the battle backgrounds
// named by data/GameSettings.txt.
//
// Particle textures are 32-bit BMPs whose alpha carries the shape; their
// clear pixels are black as well, for the black colour key. They are drawn
// light so that the particle's colour tints them. Moving particles (missiles,
// bombs) point right, the direction they fly.
#include <cmath>
#include <set>

#include "Picture_Kit.h"

namespace Pictures {
namespace {

constexpr int Effect_Size = 64;

// A soft round glow: alpha falls off from the centre.
void Glow(TPicture& p, double cx, double cy, double radius, double core, const TRgb& inner, const TRgb& outer) {
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x) {
      const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius;
      if (d >= 1) continue;
      const double a = std::pow(1 - d, 1.6);
      const double hot = Clamp01(1 - d / core);
      TRgb c;
      double old;
      p.Get(x, y, c, old);
      const TRgb mine = Mix(outer, inner, hot);
      const double alpha = old + a * (1 - old);
      p.Set(x, y, alpha > 0 ? Mix(c, mine, a / alpha) : mine, alpha);
    }
}

void Cloud(TPicture& p, const std::string& seed, const TRgb& light, const TRgb& dark, double density) {
  const std::uint32_t s = Seed_Of(seed);
  const double c = p.Width() / 2.0;
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x) {
      const double n = Fractal_Noise(x + 0.5, y + 0.5, s, 16, 4);
      const double d = std::hypot(x + 0.5 - c, y + 0.5 - c) / c;
      const double edge = 1 - Smoothstep(0.35 + 0.35 * n, 1.0, d);
      const double a = Clamp01(edge * (0.55 + 0.9 * (n - 0.5)) * density);
      const TRgb col = Mix(dark, light, Clamp01(n * 1.4 - 0.1 + (1 - d) * 0.3));
      p.Set(x, y, col, a);
    }
}

void Draw_Effect(TPicture& p, const std::string& name) {
  cairo_t* cr = p.cr();
  const double s = p.Width(), h = p.Height();
  auto has = [&](const char* w) { return name.find(w) != std::string::npos; };
  if (has("Smoke")) {
    Cloud(p, name, Rgb(236, 236, 236), Rgb(120, 120, 124), 1.1);
  } else if (has("Fireball")) {
    Cloud(p, name, Rgb(255, 244, 170), Rgb(226, 88, 24), 1.4);
    Glow(p, s / 2, s / 2, s * 0.3, 0.6, Rgb(255, 252, 220), Rgb(255, 190, 80));
  } else if (has("Flash")) {
    Glow(p, s / 2, s / 2, s / 2, 0.35, Rgb(255, 255, 236), Rgb(255, 200, 110));
    for (int i = 0; i < 8; ++i) {
      const double a = i * M_PI / 4, len = (i % 2 ? 0.32 : 0.48) * s;
      cairo_move_to(cr, s / 2, s / 2);
      cairo_line_to(cr, s / 2 + len * std::cos(a - 0.08), s / 2 + len * std::sin(a - 0.08));
      cairo_line_to(cr, s / 2 + len * std::cos(a + 0.08), s / 2 + len * std::sin(a + 0.08));
      cairo_close_path(cr);
      Set_Colour(cr, Rgb(255, 240, 200), 0.7);
      cairo_fill(cr);
    }
  } else if (has("Tracer")) {
    Glow(p, s / 2, s / 2, s / 2, 0.3, Rgb(255, 255, 230), Rgb(255, 200, 120));
  } else if (has("Spark")) {
    Glow(p, s / 2, s / 2, s * 0.3, 0.4, Rgb(255, 255, 240), Rgb(255, 170, 60));
    Set_Colour(cr, Rgb(255, 236, 190), 0.8);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 4, s / 2);
    cairo_line_to(cr, s - 4, s / 2);
    cairo_move_to(cr, s / 2, 4);
    cairo_line_to(cr, s / 2, s - 4);
    cairo_stroke(cr);
  } else if (has("Splash")) {
    TRandom rnd(name);
    for (int i = 0; i < 40; ++i) {
      const double a = rnd.Range(0, 2 * M_PI), r = rnd.Range(0.1, 0.42) * s;
      Set_Colour(cr, Rgb(236, 244, 250), rnd.Range(0.4, 0.9));
      cairo_arc(cr, s / 2 + r * std::cos(a), s / 2 + r * std::sin(a), rnd.Range(1.5, 4), 0, 2 * M_PI);
      cairo_fill(cr);
    }
    Glow(p, s / 2, s / 2, s * 0.3, 0.2, Rgb(250, 252, 255), Rgb(200, 222, 240));
  } else if (has("Bubble")) {
    cairo_arc(cr, s / 2, s / 2, s * 0.4, 0, 2 * M_PI);
    Set_Colour(cr, Rgb(220, 238, 250), 0.8);
    cairo_set_line_width(cr, s * 0.06);
    cairo_stroke(cr);
    cairo_arc(cr, s * 0.38, s * 0.36, s * 0.1, 0, 2 * M_PI);
    Set_Colour(cr, Rgb(250, 252, 255), 0.9);
    cairo_fill(cr);
  } else if (has("Beam")) {
    for (int y = 0; y < p.Height(); ++y)
      for (int x = 0; x < p.Width(); ++x) {
        const double d = std::fabs(x + 0.5 - s / 2) / (s / 2);
        const double a = std::pow(Clamp01(1 - d), 1.5) * (0.8 + 0.2 * std::sin(y * 0.5));
        p.Set(x, y, Mix(Rgb(180, 220, 255), Rgb(255, 255, 255), Clamp01(1 - d * 3)), a);
      }
  } else if (has("Missile")) {
    // body along the picture, nose right, flame left
    Glow(p, h * 0.5, h / 2, h * 0.5, 0.4, Rgb(255, 250, 210), Rgb(255, 150, 50));
    cairo_move_to(cr, h * 0.55, h * 0.38);
    cairo_line_to(cr, s - h * 0.55, h * 0.38);
    cairo_curve_to(cr, s - h * 0.2, h * 0.38, s - 2, h * 0.46, s - 2, h * 0.5);
    cairo_curve_to(cr, s - 2, h * 0.54, s - h * 0.2, h * 0.62, s - h * 0.55, h * 0.62);
    cairo_line_to(cr, h * 0.55, h * 0.62);
    cairo_close_path(cr);
    Set_Colour(cr, Rgb(236, 236, 236));
    cairo_fill_preserve(cr);
    Set_Colour(cr, Rgb(110, 110, 110));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    for (double dy : {-1.0, 1.0}) {
      cairo_move_to(cr, h * 0.6, h / 2 + dy * h * 0.12);
      cairo_line_to(cr, h * 0.5, h / 2 + dy * h * 0.45);
      cairo_line_to(cr, h * 0.95, h / 2 + dy * h * 0.12);
      cairo_close_path(cr);
      Set_Colour(cr, Rgb(190, 190, 190));
      cairo_fill(cr);
    }
  } else if (has("Bomb")) {
    cairo_save(cr);
    cairo_translate(cr, s / 2, h / 2);
    cairo_scale(cr, s * 0.36, h * 0.26);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    Set_Colour(cr, Rgb(200, 204, 196));
    cairo_fill(cr);
    for (double dy : {-1.0, 1.0}) {
      cairo_move_to(cr, s * 0.2, h / 2);
      cairo_line_to(cr, s * 0.04, h / 2 + dy * h * 0.4);
      cairo_line_to(cr, s * 0.16, h / 2 + dy * h * 0.4);
      cairo_line_to(cr, s * 0.3, h / 2);
      cairo_close_path(cr);
      Set_Colour(cr, Rgb(150, 154, 146));
      cairo_fill(cr);
    }
    cairo_arc(cr, s * 0.62, h * 0.42, h * 0.08, 0, 2 * M_PI);
    Set_Colour(cr, Rgb(246, 246, 246), 0.8);
    cairo_fill(cr);
  } else {
    Glow(p, s / 2, h / 2, std::min(s, h) / 2, 0.3, Rgb(255, 255, 255), Rgb(220, 220, 220));
  }
}

}  // namespace

void Generate_Effects(TOutput& out) {
  std::set<std::string> done;
  for (const TRecord& r : Read_Records(out.Game_Folder() + "/data/Effects.txt", "Effect"))
    for (const auto& [key, value] : r) {
      if (key != "Texture" || value.empty() || !done.insert(value).second) continue;
      const bool long_shape = value.find("Missile") != std::string::npos || value.find("Bomb") != std::string::npos;
      TPicture p(long_shape ? 80 : Effect_Size, long_shape ? 32 : Effect_Size);
      Draw_Effect(p, value);
      p.Keep_Off_Black();
      p.Write_BMP_32(out.Path("images/effects", value));
    }
}

// ----------------------------------------------------------------- battle maps
// The battle plane is 1400 x 1000 and its 14 x 10 grid of 100-unit cells lies
// over the whole picture, so the backgrounds keep to that size.

namespace {
constexpr int Battle_W = 1400, Battle_H = 1000;

void Shaded_Tree(cairo_t* cr, double x, double y, double r) {
  Set_Colour(cr, Rgb(26, 42, 22), 0.4);
  cairo_arc(cr, x + r * 0.4, y + r * 0.4, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_t* g = cairo_pattern_create_radial(x - r * 0.3, y - r * 0.3, 0, x, y, r);
  cairo_pattern_add_color_stop_rgb(g, 0, 0.36, 0.52, 0.24);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.16, 0.30, 0.14);
  cairo_set_source(cr, g);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void Battle_Land(TPicture& p, const std::string& name) {
  auto has = [&](const char* w) { return name.find(w) != std::string::npos; };
  const std::uint32_t s = Seed_Of(name);
  TRgb low = Rgb(86, 112, 56), high = Rgb(132, 148, 78);
  if (has("Desert")) low = Rgb(184, 152, 100), high = Rgb(222, 196, 138);
  if (has("Forest")) low = Rgb(58, 88, 44), high = Rgb(98, 124, 62);
  if (has("Urban")) low = Rgb(108, 108, 100), high = Rgb(146, 144, 134);
  p.Fill_Pixels([&](double x, double y) {
    const double n = Fractal_Noise(x, y, s, 220, 6);
    const double fine = Fractal_Noise(x, y, s + 17, 6, 2);
    return Mix(Mix(low, high, Clamp01((n - 0.5) * 2.4 + 0.5)), Rgb(60, 60, 48), (fine - 0.5) * 0.25 + 0.05);
  });
  cairo_t* cr = p.cr();
  TRandom rnd(name);
  if (has("Urban")) {
    // street grid and blocks of buildings seen from above
    for (int bx = 0; bx < 9; ++bx)
      for (int by = 0; by < 6; ++by) {
        const double x = 30 + bx * 156, y = 30 + by * 162;
        for (int k = 0; k < 3; ++k) {
          const double w = rnd.Range(40, 110), h = rnd.Range(40, 110);
          const double px = x + rnd.Range(0, 130 - w), py = y + rnd.Range(0, 130 - h);
          const TRgb c = Mix(Rgb(150, 146, 138), Rgb(176, 120, 96), rnd.Next() * 0.5);
          Set_Colour(cr, Rgb(50, 50, 46), 0.35);
          cairo_rectangle(cr, px + 8, py + 8, w, h);
          cairo_fill(cr);
          Set_Colour(cr, c);
          cairo_rectangle(cr, px, py, w, h);
          cairo_fill(cr);
          Set_Colour(cr, Scale(c, 0.8));
          cairo_set_line_width(cr, 3);
          cairo_rectangle(cr, px + 6, py + 6, w - 12, h - 12);
          cairo_stroke(cr);
        }
      }
  } else if (has("Forest")) {
    for (int i = 0; i < 900; ++i) {
      const double x = rnd.Range(-20, Battle_W + 20), y = rnd.Range(-20, Battle_H + 20);
      if (Value_Noise(x / 260, y / 260, Seed_Of(name + "glades")) < 0.42) continue;
      Shaded_Tree(cr, x, y, rnd.Range(14, 30));
    }
  } else if (has("Desert")) {
    for (int i = 0; i < 14; ++i) {  // dune ridges
      const double y = rnd.Range(0, Battle_H), amp = rnd.Range(20, 60);
      cairo_move_to(cr, -10, y);
      for (double x = 0; x <= Battle_W + 10; x += 20)
        cairo_line_to(cr, x, y + amp * std::sin(x / rnd.Range(180, 260) + i));
      Set_Colour(cr, Rgb(244, 222, 170), 0.35);
      cairo_set_line_width(cr, 6);
      cairo_stroke(cr);
    }
    for (int i = 0; i < 40; ++i) {
      Set_Colour(cr, Rgb(120, 110, 70), 0.6);
      cairo_arc(cr, rnd.Range(0, Battle_W), rnd.Range(0, Battle_H), rnd.Range(3, 7), 0, 2 * M_PI);
      cairo_fill(cr);
    }
  } else {
    // plains: a few fields, hedges, tree clumps and a road
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 3; ++j) {
        if (rnd.Next() < 0.35) continue;
        const double x = i * 350 + rnd.Range(10, 40), y = j * 333 + rnd.Range(10, 40);
        const double w = rnd.Range(220, 300), h = rnd.Range(200, 270);
        const TRgb c = rnd.Next() < 0.5 ? Rgb(170, 160, 90) : Rgb(120, 146, 70);
        Set_Colour(cr, c, 0.4);
        cairo_rectangle(cr, x, y, w, h);
        cairo_fill(cr);
        Set_Colour(cr, Scale(c, 0.8), 0.25);
        cairo_set_line_width(cr, 3);
        for (double k = 12; k < h; k += 14) {
          cairo_move_to(cr, x, y + k);
          cairo_line_to(cr, x + w, y + k);
        }
        cairo_stroke(cr);
        for (double k = 0; k < w; k += 34) Shaded_Tree(cr, x + k, y + h + 10, rnd.Range(9, 13));  // hedge
      }
    for (int i = 0; i < 12; ++i) {
      const double cx = rnd.Range(0, Battle_W), cy = rnd.Range(0, Battle_H);
      for (int k = 0; k < 8; ++k) Shaded_Tree(cr, cx + rnd.Range(-50, 50), cy + rnd.Range(-40, 40), rnd.Range(12, 22));
    }
    cairo_move_to(cr, -10, rnd.Range(300, 700));
    cairo_curve_to(cr, 400, rnd.Range(100, 900), 900, rnd.Range(100, 900), Battle_W + 10, rnd.Range(300, 700));
    Set_Colour(cr, Rgb(150, 134, 100), 0.8);
    cairo_set_line_width(cr, 22);
    cairo_stroke(cr);
  }
  // craters of earlier fighting
  for (int i = 0; i < 18; ++i) {
    const double x = rnd.Range(0, Battle_W), y = rnd.Range(0, Battle_H), r = rnd.Range(8, 20);
    cairo_pattern_t* g = cairo_pattern_create_radial(x, y, 0, x, y, r);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.18, 0.16, 0.12, 0.75);
    cairo_pattern_add_color_stop_rgba(g, 0.7, 0.30, 0.26, 0.20, 0.5);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.4, 0.36, 0.3, 0);
    cairo_set_source(cr, g);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
  }
}

void Battle_Ocean(TPicture& p, const std::string& name) {
  const bool storm = name.find("Storm") != std::string::npos;
  const std::uint32_t s = Seed_Of(name);
  const TRgb low = storm ? Rgb(30, 48, 62) : Rgb(18, 62, 112), high = storm ? Rgb(70, 88, 100) : Rgb(40, 110, 156);
  p.Fill_Pixels([&](double x, double y) {
    const double n = Fractal_Noise(x, y, s, 260, 6);
    const double wave = Fractal_Noise(x * 0.6, y * 2.2, s + 5, 40, 3);
    TRgb c = Mix(low, high, Clamp01((n - 0.5) * 2 + 0.5));
    return Mix(c, Rgb(210, 226, 232), Clamp01((wave - (storm ? 0.6 : 0.72)) * (storm ? 3.0 : 2.0)));
  });
}
}  // namespace

void Generate_Battle_Maps(TOutput& out) {
  for (const TRecord& r : Read_Records(out.Game_Folder() + "/data/GameSettings.txt", "Starting Game Date"))
    for (const auto& [key, value] : r) {
      if (value.empty()) continue;
      const bool land = key.rfind("Battle Map Land ", 0) == 0, ocean = key.rfind("Battle Map Ocean ", 0) == 0;
      if (!land && !ocean) continue;
      TPicture p(Battle_W, Battle_H);
      if (land)
        Battle_Land(p, value);
      else
        Battle_Ocean(p, value);
      p.Write_JPEG(out.Path("images/map", value), 90);
    }
}

}  // namespace Pictures
