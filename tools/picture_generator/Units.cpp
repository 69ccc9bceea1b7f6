// Unit pictures and portraits of data/Units.txt.
//
// A unit picture is seen from above, 64 pixels per map square of its square
// size, on a clear (black-keyed) background, in light greys that the game
// tints with the owner's colour. "Side" pictures face right, "Top Down"
// aircraft fly up the picture and ships, which lie in wide pictures, sail
// right. A portrait (128 x 128, small 64 x 64) shows the same unit in its own
// colours before the ground, sea, sky or space it moves in.
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "Picture_Kit.h"

namespace Pictures {
namespace {

constexpr int Square_Pixels = 64;
constexpr int Portrait = 128, Small_Portrait = 64;

struct TPalette {
  TRgb body, detail, dark, glass;
};

const TPalette Tinted{Rgb(222, 222, 222), Rgb(168, 168, 168), Rgb(78, 78, 78), Rgb(120, 150, 176)};

// Fills the current path with a light-to-dark gradient of the colour and
// outlines it.
void Body(cairo_t* cr, const TRgb& c, double outline = 1.6) {
  double x1, y1, x2, y2;
  cairo_fill_extents(cr, &x1, &y1, &x2, &y2);
  cairo_pattern_t* g = cairo_pattern_create_linear(x1, y1, x2, y2);
  const TRgb light = Mix(c, Rgb(255, 255, 255), 0.25), shade = Scale(c, 0.72);
  cairo_pattern_add_color_stop_rgb(g, 0, light.r, light.g, light.b);
  cairo_pattern_add_color_stop_rgb(g, 1, shade.r, shade.g, shade.b);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  Set_Colour(cr, Scale(c, 0.35), 0.9);
  cairo_set_line_width(cr, outline);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void Rect(cairo_t* cr, double x, double y, double w, double h, const TRgb& c, double r = 2) {
  Rounded_Rectangle(cr, x, y, w, h, std::min({r, w / 2, h / 2}));
  Body(cr, c);
}

void Circle(cairo_t* cr, double x, double y, double r, const TRgb& c) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  Body(cr, c);
}

void Line(cairo_t* cr, double x1, double y1, double x2, double y2, double width, const TRgb& c) {
  cairo_move_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  Set_Colour(cr, Scale(c, 0.5));
  cairo_set_line_width(cr, width + 1.6);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_stroke_preserve(cr);
  Set_Colour(cr, c);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void Polygon(cairo_t* cr, std::initializer_list<std::pair<double, double>> points, const TRgb& c) {
  bool first = true;
  for (const auto& [x, y] : points) {
    if (first)
      cairo_move_to(cr, x, y);
    else
      cairo_line_to(cr, x, y);
    first = false;
  }
  cairo_close_path(cr);
  Body(cr, c);
}

// Mirror-symmetric polygon about x = cx: points of the right half, top to bottom.
void Symmetric(cairo_t* cr, double cx, std::initializer_list<std::pair<double, double>> half, const TRgb& c) {
  std::vector<std::pair<double, double>> pts(half);
  bool first = true;
  for (const auto& [dx, y] : pts) {
    if (first)
      cairo_move_to(cr, cx + dx, y);
    else
      cairo_line_to(cr, cx + dx, y);
    first = false;
  }
  for (auto it = pts.rbegin(); it != pts.rend(); ++it) cairo_line_to(cr, cx - it->first, it->second);
  cairo_close_path(cr);
  Body(cr, c);
}

// ----------------------------------------------------------------- land units
// Frames are 100 units per map square; land vehicles face right.

void Tracks(cairo_t* cr, double x, double y, double w, double h, const TPalette& p) {
  Rect(cr, x, y, w, h * 0.22, p.dark, 3);
  Rect(cr, x, y + h * 0.78, w, h * 0.22, p.dark, 3);
  Set_Colour(cr, Scale(p.dark, 1.6), 0.8);
  cairo_set_line_width(cr, 1);
  for (double k = x + 4; k < x + w - 2; k += 6) {
    cairo_move_to(cr, k, y + 1);
    cairo_line_to(cr, k, y + h * 0.22 - 1);
    cairo_move_to(cr, k, y + h * 0.78 + 1);
    cairo_line_to(cr, k, y + h - 1);
  }
  cairo_stroke(cr);
}

void Wheels(cairo_t* cr, double x, double y, double w, double h, int axles, const TPalette& p) {
  for (int i = 0; i < axles; ++i) {
    const double cx = x + w * (i + 0.5) / axles;
    Rect(cr, cx - 6, y - 4, 12, 7, p.dark, 2);
    Rect(cr, cx - 6, y + h - 3, 12, 7, p.dark, 2);
  }
}

void Tank(cairo_t* cr, const TPalette& p, double size, double gun) {
  const double w = 74 * size, h = 54 * size, x = 50 - w / 2 - 4, y = 50 - h / 2;
  Tracks(cr, x, y, w, h, p);
  Rect(cr, x + 3, y + h * 0.16, w - 6, h * 0.68, p.body, 4);
  Line(cr, 52, 50, 52 + gun, 50, 4.5 * size, p.detail);
  Circle(cr, 48, 50, 17 * size, p.body);
  Circle(cr, 42, 44, 4.5 * size, p.detail);
}

void Rifle_Infantry(cairo_t* cr, const TPalette& p) {
  const double spots[][2] = {{36, 26}, {62, 50}, {34, 74}};
  for (const auto& s : spots) {
    Line(cr, s[0] + 4, s[1] + 7, s[0] + 32, s[1] + 7, 3.2, p.dark);  // rifle
    Rect(cr, s[0] - 13, s[1] - 6, 9, 12, p.dark, 2);                  // pack
    cairo_save(cr);
    cairo_translate(cr, s[0], s[1]);
    cairo_scale(cr, 0.62, 1.0);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 16, 0, 2 * M_PI);
    cairo_restore(cr);
    Body(cr, p.detail);                       // shoulders
    Circle(cr, s[0] + 1, s[1], 8.5, p.body);  // helmet
  }
}

void Mechanized_Infantry(cairo_t* cr, const TPalette& p) {
  Tracks(cr, 14, 28, 70, 44, p);
  Rect(cr, 16, 33, 66, 34, p.body, 5);
  Polygon(cr, {{82, 35}, {90, 42}, {90, 58}, {82, 65}}, p.body);
  Line(cr, 58, 50, 88, 50, 3, p.detail);
  Circle(cr, 56, 50, 10, p.detail);
  Rect(cr, 20, 40, 12, 20, p.detail, 2);  // rear hatch
}

void Rocket_Artillery(cairo_t* cr, const TPalette& p) {
  Wheels(cr, 12, 30, 76, 40, 3, p);
  Rect(cr, 70, 32, 20, 36, p.detail, 5);  // cab
  Rect(cr, 73, 36, 8, 28, p.glass, 2);
  Rect(cr, 12, 30, 56, 40, p.body, 3);
  cairo_save(cr);
  cairo_translate(cr, 38, 50);
  cairo_rotate(cr, -0.15);
  Rect(cr, -24, -16, 46, 32, p.detail, 2);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) Circle(cr, -18 + i * 11.5, -9 + j * 9, 3.4, p.dark);
  cairo_restore(cr);
}

void Antiaircraft_Truck(cairo_t* cr, const TPalette& p) {
  Wheels(cr, 14, 32, 72, 36, 3, p);
  Rect(cr, 68, 33, 20, 34, p.detail, 5);
  Rect(cr, 71, 37, 8, 26, p.glass, 2);
  Rect(cr, 14, 32, 52, 36, p.body, 3);
  Line(cr, 40, 43, 66, 34, 2.6, p.dark);
  Line(cr, 40, 57, 66, 48, 2.6, p.dark);
  Circle(cr, 38, 50, 12, p.detail);
}

void APC(cairo_t* cr, const TPalette& p) {
  Wheels(cr, 14, 30, 72, 40, 4, p);
  Rect(cr, 12, 30, 74, 40, p.body, 6);
  Polygon(cr, {{86, 32}, {94, 40}, {94, 60}, {86, 68}}, p.body);
  Rect(cr, 26, 38, 14, 24, p.detail, 2);
  Rect(cr, 50, 40, 10, 8, p.detail, 2);
  Line(cr, 66, 46, 82, 46, 2, p.dark);
}

void Missile_Launcher(cairo_t* cr, const TPalette& p) {
  Wheels(cr, 6, 32, 84, 36, 4, p);
  Rect(cr, 78, 33, 16, 34, p.detail, 5);
  Rect(cr, 81, 37, 7, 26, p.glass, 2);
  Rect(cr, 6, 32, 70, 36, p.body, 3);
  // the missile
  cairo_move_to(cr, 8, 45);
  cairo_line_to(cr, 62, 45);
  cairo_curve_to(cr, 70, 45, 74, 50, 74, 50);
  cairo_curve_to(cr, 74, 50, 70, 55, 62, 55);
  cairo_line_to(cr, 8, 55);
  cairo_close_path(cr);
  Body(cr, p.detail);
  Polygon(cr, {{8, 45}, {16, 45}, {12, 38}, {6, 38}}, p.dark);
  Polygon(cr, {{8, 55}, {16, 55}, {12, 62}, {6, 62}}, p.dark);
}

void SAM_Battery(cairo_t* cr, const TPalette& p) {
  Circle(cr, 50, 50, 40, Scale(p.detail, 1.05));
  for (int i = 0; i < 4; ++i) {
    cairo_save(cr);
    cairo_translate(cr, 50, 50);
    cairo_rotate(cr, i * M_PI / 2 + M_PI / 4);
    Rect(cr, 10, -9, 26, 18, p.body, 2);
    Line(cr, 14, -4, 40, -4, 3.2, p.detail);
    Line(cr, 14, 4, 40, 4, 3.2, p.detail);
    cairo_restore(cr);
  }
  Circle(cr, 50, 50, 10, p.body);
  Line(cr, 50, 50, 56, 40, 2, p.dark);
}

void Radar_Station(cairo_t* cr, const TPalette& p) {
  Rect(cr, 14, 56, 36, 30, p.body, 3);
  Rect(cr, 56, 62, 28, 22, p.detail, 3);
  Line(cr, 24, 56, 40, 38, 3, p.dark);
  cairo_save(cr);
  cairo_translate(cr, 54, 34);
  cairo_rotate(cr, -0.5);
  cairo_scale(cr, 1.0, 0.55);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 28, 0, 2 * M_PI);
  cairo_restore(cr);
  Body(cr, p.body);
  Circle(cr, 54, 34, 4, p.dark);
}

void Fortified_Bunker(cairo_t* cr, const TPalette& p) {
  cairo_new_path(cr);
  for (int i = 0; i < 8; ++i) {
    const double a = M_PI / 8 + i * M_PI / 4;
    cairo_line_to(cr, 50 + 40 * std::cos(a), 50 + 40 * std::sin(a));
  }
  cairo_close_path(cr);
  Body(cr, p.detail);
  Circle(cr, 50, 50, 26, p.body);
  for (int i = 0; i < 4; ++i) {
    cairo_save(cr);
    cairo_translate(cr, 50, 50);
    cairo_rotate(cr, i * M_PI / 2);
    Rect(cr, 18, -3, 12, 6, p.dark, 1);
    cairo_restore(cr);
  }
}

void Strategic_Missile(cairo_t* cr, const TPalette& p) {
  Circle(cr, 50, 50, 42, Scale(p.detail, 0.8));  // silo
  Circle(cr, 50, 50, 34, p.dark);
  Symmetric(cr, 50, {{0, 10}, {5, 20}, {8, 30}, {8, 72}, {18, 86}, {18, 90}, {6, 86}, {0, 88}}, p.body);
  Line(cr, 50, 40, 50, 76, 1.2, p.detail);
}

// ----------------------------------------------------------------- aircraft
// Aircraft fly up the picture.

void Jet_Fighter(cairo_t* cr, const TPalette& p) {
  Symmetric(cr, 50, {{0, 6}, {4, 16}, {6, 34}, {34, 60}, {34, 66}, {8, 62}, {8, 78}, {20, 90}, {20, 94}, {4, 92},
                     {0, 94}},
            p.body);
  cairo_save(cr);
  cairo_translate(cr, 50, 26);
  cairo_scale(cr, 0.45, 1.0);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 8, 0, 2 * M_PI);
  cairo_restore(cr);
  Body(cr, p.glass, 1);
}

void Stealth_Fighter(cairo_t* cr, const TPalette& p) {
  Symmetric(cr, 50, {{0, 6}, {8, 30}, {40, 70}, {30, 82}, {14, 78}, {10, 90}, {0, 84}}, p.body);
  Polygon(cr, {{50, 22}, {53, 34}, {50, 40}, {47, 34}}, p.glass);
  Line(cr, 40, 62, 30, 80, 1.5, p.detail);
  Line(cr, 60, 62, 70, 80, 1.5, p.detail);
}

void Engine(cairo_t* cr, double x, double y, const TPalette& p, double r = 6) {
  Rect(cr, x - r, y - r * 1.2, 2 * r, r * 3.4, p.detail, r);
}

void Strategic_Bomber(cairo_t* cr, const TPalette& p) {  // 200 x 200
  Symmetric(cr, 100, {{0, 8}, {7, 20}, {9, 70}, {92, 128}, {92, 140}, {10, 118}, {10, 160}, {40, 180}, {40, 188},
                      {4, 182}, {0, 192}},
            p.body);
  for (double dx : {36.0, 60.0}) {
    const double y = 70 + dx * 0.63;
    Engine(cr, 100 + dx, y, p);
    Engine(cr, 100 - dx, y, p);
  }
  Polygon(cr, {{100, 14}, {104, 26}, {96, 26}}, p.glass);
}

void Stealth_Bomber(cairo_t* cr, const TPalette& p) {
  Symmetric(cr, 100, {{0, 30}, {96, 120}, {88, 134}, {64, 120}, {42, 140}, {22, 122}, {0, 142}}, p.body);
  Polygon(cr, {{100, 40}, {108, 58}, {100, 62}, {92, 58}}, p.glass);
  for (double dx : {18.0, -18.0}) Rect(cr, 100 + dx - 5, 80, 10, 26, p.detail, 4);
}

void Rotor(cairo_t* cr, double x, double y, double r, const TPalette& p) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  Set_Colour(cr, p.detail, 0.28);
  cairo_fill(cr);
  for (int i = 0; i < 4; ++i) {
    const double a = 0.4 + i * M_PI / 2;
    Line(cr, x, y, x + r * std::cos(a), y + r * std::sin(a), 2.2, p.dark);
  }
}

void Attack_Helicopter(cairo_t* cr, const TPalette& p) {
  Symmetric(cr, 50, {{0, 12}, {6, 18}, {8, 50}, {3, 60}, {2, 86}, {0, 90}}, p.body);
  Rect(cr, 36, 88, 28, 6, p.detail, 2);  // tail plane
  Rect(cr, 26, 42, 48, 7, p.detail, 2);  // stub wings
  for (double x : {28.0, 68.0}) Rect(cr, x, 40, 4, 12, p.dark, 1);
  Polygon(cr, {{50, 14}, {54, 24}, {46, 24}}, p.glass);
  Rotor(cr, 50, 38, 36, p);
}

void ASW_Helicopter(cairo_t* cr, const TPalette& p) {
  Symmetric(cr, 50, {{0, 10}, {10, 16}, {12, 58}, {4, 66}, {3, 88}, {0, 92}}, p.body);
  Rect(cr, 40, 84, 20, 6, p.detail, 2);
  Polygon(cr, {{50, 12}, {57, 22}, {43, 22}}, p.glass);
  Circle(cr, 50, 62, 5, p.dark);  // dipping sonar
  Rotor(cr, 50, 38, 38, p);
}

void Transport_Aircraft(cairo_t* cr, const TPalette& p) {  // 200 x 200
  Rect(cr, 8, 62, 184, 22, p.body, 8);  // straight high wing
  for (double x : {34.0, 66.0, 134.0, 166.0}) {
    Engine(cr, x, 58, p, 7);
    Set_Colour(cr, p.dark, 0.5);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, x - 14, 50);
    cairo_line_to(cr, x + 14, 50);
    cairo_stroke(cr);
  }
  Symmetric(cr, 100, {{0, 10}, {12, 22}, {16, 40}, {16, 150}, {10, 176}, {0, 182}}, p.body);
  Rect(cr, 60, 162, 80, 16, p.body, 6);  // tail plane
  Polygon(cr, {{100, 14}, {108, 26}, {92, 26}}, p.glass);
}

void Early_Warning_Aircraft(cairo_t* cr, const TPalette& p) {  // 200 x 200
  Symmetric(cr, 100, {{0, 10}, {9, 22}, {10, 70}, {90, 112}, {90, 122}, {10, 104}, {10, 160}, {34, 176},
                      {34, 184}, {6, 180}, {0, 190}},
            p.body);
  for (double dx : {40.0, 62.0}) {
    const double y = 72 + dx * 0.45;
    Engine(cr, 100 + dx, y, p);
    Engine(cr, 100 - dx, y, p);
  }
  cairo_save(cr);
  cairo_translate(cr, 100, 120);
  cairo_scale(cr, 1.0, 1.0);
  Circle(cr, 0, 0, 34, p.detail);
  Set_Colour(cr, p.dark, 0.8);
  cairo_set_line_width(cr, 3);
  cairo_move_to(cr, -34, 0);
  cairo_line_to(cr, 34, 0);
  cairo_stroke(cr);
  cairo_restore(cr);
  Polygon(cr, {{100, 14}, {104, 26}, {96, 26}}, p.glass);
}

// ----------------------------------------------------------------- ships
// Ships sail right in pictures twice as wide as high (200 x 100).

void Hull(cairo_t* cr, double x0, double x1, double y, double half, const TRgb& c) {
  cairo_move_to(cr, x0, y - half * 0.85);
  cairo_line_to(cr, x1 - half * 3, y - half);
  cairo_curve_to(cr, x1 - half, y - half, x1, y - half * 0.2, x1, y);
  cairo_curve_to(cr, x1, y + half * 0.2, x1 - half, y + half, x1 - half * 3, y + half);
  cairo_line_to(cr, x0, y + half * 0.85);
  cairo_close_path(cr);
  Body(cr, c);
}

void Wake(cairo_t* cr, double x, double y, double half) {
  cairo_pattern_t* g = cairo_pattern_create_linear(x, y, x - 22, y);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.9, 0.93, 0.95, 0.55);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.9, 0.93, 0.95, 0.0);
  cairo_set_source(cr, g);
  cairo_move_to(cr, x, y - half);
  cairo_line_to(cr, x - 22, y - half * 1.6);
  cairo_line_to(cr, x - 22, y + half * 1.6);
  cairo_line_to(cr, x, y + half);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void Turret(cairo_t* cr, double x, double y, double r, double gun, const TPalette& p) {
  Line(cr, x, y, x + gun, y, r * 0.35, p.dark);
  Circle(cr, x, y, r, p.detail);
}

void Destroyer(cairo_t* cr, const TPalette& p) {
  Wake(cr, 26, 50, 12);
  Hull(cr, 24, 190, 50, 15, p.body);
  Turret(cr, 150, 50, 7, 16, p);
  Rect(cr, 96, 40, 38, 20, p.detail, 3);
  Circle(cr, 116, 50, 5, p.glass);
  Rect(cr, 70, 43, 18, 14, p.detail, 6);  // funnel
  Rect(cr, 36, 42, 22, 16, Scale(p.body, 0.9), 2);  // helipad
  Set_Colour(cr, p.dark, 0.7);
  cairo_set_line_width(cr, 1.2);
  cairo_arc(cr, 47, 50, 5, 0, 2 * M_PI);
  cairo_stroke(cr);
}

void Cruiser(cairo_t* cr, const TPalette& p) {
  Wake(cr, 20, 50, 15);
  Hull(cr, 18, 192, 50, 19, p.body);
  Turret(cr, 164, 50, 7, 14, p);
  Turret(cr, 34, 50, 7, -12, p);
  Rect(cr, 86, 38, 44, 24, p.detail, 3);
  Rect(cr, 62, 42, 18, 16, p.detail, 6);
  for (double x : {138.0, 48.0}) {  // launch cells
    Rect(cr, x, 40, 16, 20, p.dark, 1);
    Set_Colour(cr, p.detail, 0.8);
    cairo_set_line_width(cr, 0.8);
    for (double k = 4; k < 16; k += 4) {
      cairo_move_to(cr, x + k, 40);
      cairo_line_to(cr, x + k, 60);
    }
    for (double k = 5; k < 20; k += 5) {
      cairo_move_to(cr, x, 40 + k);
      cairo_line_to(cr, x + 16, 40 + k);
    }
    cairo_stroke(cr);
  }
}

void Troop_Transport(cairo_t* cr, const TPalette& p) {
  Wake(cr, 20, 50, 18);
  Hull(cr, 18, 190, 50, 22, p.body);
  Rect(cr, 26, 34, 30, 32, p.detail, 4);  // bridge aft
  Circle(cr, 40, 50, 5, p.glass);
  for (double x : {70.0, 104.0, 138.0}) Rect(cr, x, 38, 26, 24, Scale(p.body, 0.8), 2);
  Line(cr, 62, 50, 174, 50, 1.2, p.dark);
}

void Submarine(cairo_t* cr, const TPalette& p, double length, bool missiles) {
  const double x0 = 100 - length / 2, x1 = 100 + length / 2;
  cairo_move_to(cr, x0, 50);
  cairo_curve_to(cr, x0 + 10, 35, x0 + 30, 34, x0 + 40, 34);
  cairo_line_to(cr, x1 - 30, 34);
  cairo_curve_to(cr, x1 - 8, 34, x1, 42, x1, 50);
  cairo_curve_to(cr, x1, 58, x1 - 8, 66, x1 - 30, 66);
  cairo_line_to(cr, x0 + 40, 66);
  cairo_curve_to(cr, x0 + 30, 66, x0 + 10, 65, x0, 50);
  cairo_close_path(cr);
  Body(cr, p.body);
  Polygon(cr, {{x0 + 6, 50}, {x0 - 4, 38}, {x0, 38}, {x0 + 12, 48}}, p.detail);
  Polygon(cr, {{x0 + 6, 50}, {x0 - 4, 62}, {x0, 62}, {x0 + 12, 52}}, p.detail);
  Rect(cr, x1 - 62, 44, 22, 12, p.detail, 6);  // sail
  Line(cr, x1 - 52, 38, x1 - 52, 62, 1.5, p.detail);
  if (missiles)
    for (int i = 0; i < 6; ++i) {
      Circle(cr, x0 + 50 + i * 11, 45, 3, p.dark);
      Circle(cr, x0 + 50 + i * 11, 55, 3, p.dark);
    }
}

void Aircraft_Carrier(cairo_t* cr, const TPalette& p) {  // 300 x 200
  Wake(cr, 22, 100, 30);
  cairo_move_to(cr, 20, 64);
  cairo_line_to(cr, 250, 60);
  cairo_curve_to(cr, 276, 62, 292, 80, 292, 100);
  cairo_curve_to(cr, 292, 120, 276, 136, 250, 140);
  cairo_line_to(cr, 20, 136);
  cairo_close_path(cr);
  Body(cr, p.body);
  // angled landing strip
  cairo_save(cr);
  cairo_translate(cr, 150, 100);
  cairo_rotate(cr, -0.16);
  Rect(cr, -128, -36, 200, 42, Scale(p.body, 0.86), 2);
  Set_Colour(cr, Rgb(240, 240, 240), 0.9);
  cairo_set_line_width(cr, 1.6);
  const double dashes[] = {10, 8};
  cairo_set_dash(cr, dashes, 2, 0);
  cairo_move_to(cr, -120, -15);
  cairo_line_to(cr, 66, -15);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
  cairo_restore(cr);
  Rect(cr, 170, 122, 46, 14, p.detail, 3);  // island
  Circle(cr, 200, 129, 4, p.glass);
  for (double x : {230.0, 256.0}) {  // parked aircraft
    Symmetric(cr, x, {{0, 104}, {3, 108}, {14, 118}, {3, 118}, {6, 126}, {0, 124}}, p.detail);
  }
}

// ----------------------------------------------------------------- space

void Solar_Panel(cairo_t* cr, double x, double y, double w, double h, const TPalette& p) {
  Rect(cr, x, y, w, h, p.glass, 1);
  Set_Colour(cr, p.dark, 0.6);
  cairo_set_line_width(cr, 0.8);
  for (double k = x + w / 4; k < x + w - 1; k += w / 4) {
    cairo_move_to(cr, k, y);
    cairo_line_to(cr, k, y + h);
  }
  cairo_move_to(cr, x, y + h / 2);
  cairo_line_to(cr, x + w, y + h / 2);
  cairo_stroke(cr);
}

void Reconnaissance_Satellite(cairo_t* cr, const TPalette& p) {
  Line(cr, 8, 50, 92, 50, 1.5, p.detail);
  Solar_Panel(cr, 6, 38, 28, 24, p);
  Solar_Panel(cr, 66, 38, 28, 24, p);
  Rect(cr, 38, 34, 24, 32, p.body, 3);
  Circle(cr, 50, 28, 9, p.detail);
  Circle(cr, 50, 28, 3, p.dark);
}

void Orbital_Strike_Platform(cairo_t* cr, const TPalette& p) {  // 200 x 200
  cairo_new_sub_path(cr);
  cairo_arc(cr, 100, 100, 62, 0, 2 * M_PI);
  cairo_new_sub_path(cr);
  cairo_arc_negative(cr, 100, 100, 52, 2 * M_PI, 0);
  Body(cr, p.detail);
  for (int i = 0; i < 4; ++i) {
    cairo_save(cr);
    cairo_translate(cr, 100, 100);
    cairo_rotate(cr, i * M_PI / 2 + M_PI / 4);
    Line(cr, 20, 0, 60, 0, 3, p.detail);
    Solar_Panel(cr, 64, -14, 30, 28, p);
    cairo_restore(cr);
  }
  Circle(cr, 100, 100, 26, p.body);
  Line(cr, 100, 100, 100, 24, 6, p.detail);  // the main gun
  Circle(cr, 100, 100, 10, p.dark);
}

// ----------------------------------------------------------------- places

void Industrial_Complex(cairo_t* cr, const TPalette& p) {  // 200 x 200
  Rect(cr, 8, 8, 184, 184, Scale(p.detail, 0.8), 6);  // yard
  for (int k = 0; k < 3; ++k) {  // halls with saw-tooth roofs
    const double x = 20 + k * 54;
    Rect(cr, x, 22, 46, 92, p.body, 2);
    Set_Colour(cr, p.dark, 0.7);
    cairo_set_line_width(cr, 1.4);
    for (double y = 30; y < 112; y += 10) {
      cairo_move_to(cr, x + 2, y);
      cairo_line_to(cr, x + 44, y);
    }
    cairo_stroke(cr);
  }
  for (double x : {38.0, 78.0, 118.0}) Circle(cr, x, 150, 15, p.body);  // tanks
  Rect(cr, 146, 130, 34, 50, p.detail, 2);
  for (double x : {160.0, 176.0}) {  // chimneys
    Circle(cr, x, 132, 6, p.dark);
  }
  Line(cr, 8, 184, 192, 184, 2, p.dark);  // rail line
}

void City(cairo_t* cr, const TPalette& p) {  // 200 x 200
  TRandom rnd("city blocks");
  Rect(cr, 6, 6, 188, 188, Scale(p.detail, 0.75), 20);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      const double x = 14 + i * 46, y = 14 + j * 46;
      const bool park = (i == 1 && j == 2);
      if (park) {
        Rect(cr, x, y, 38, 38, Mix(p.detail, Rgb(120, 170, 100), 0.5), 3);
        continue;
      }
      const int n = rnd.Int(1, 3);
      for (int k = 0; k < n; ++k) {
        const double w = rnd.Range(12, 36), h = rnd.Range(12, 36);
        Rect(cr, x + rnd.Range(0, 38 - w), y + rnd.Range(0, 38 - h), w, h, Mix(p.body, p.detail, rnd.Range(0, 0.5)), 2);
      }
    }
  Circle(cr, 100, 100, 14, p.body);  // tower
  Circle(cr, 100, 100, 6, p.glass);
}

// ----------------------------------------------------------------- choice

using TDrawer = void (*)(cairo_t*, const TPalette&);

struct TUnit_Art {
  TDrawer draw;
  int kind;  // 1 land vehicle, 2 air, 3 sea, 4 undersea, 5 space, 6 place
};

TUnit_Art Art_Of(const std::string& name, const std::string& movement) {
  static const std::map<std::string, TUnit_Art> known = {
      {"Industrial Complex", {Industrial_Complex, 6}},
      {"City", {City, 6}},
      {"Rifle Infantry", {Rifle_Infantry, 1}},
      {"Mechanized Infantry", {Mechanized_Infantry, 1}},
      {"Light Tank", {[](cairo_t* cr, const TPalette& p) { Tank(cr, p, 0.85, 36); }, 1}},
      {"Main Battle Tank", {[](cairo_t* cr, const TPalette& p) { Tank(cr, p, 1.05, 48); }, 1}},
      {"Rocket Artillery", {Rocket_Artillery, 1}},
      {"Antiaircraft Truck", {Antiaircraft_Truck, 1}},
      {"Armored Personnel Carrier", {APC, 1}},
      {"Mobile Missile Launcher", {Missile_Launcher, 1}},
      {"SAM Battery", {SAM_Battery, 1}},
      {"Radar Station", {Radar_Station, 6}},
      {"Fortified Bunker", {Fortified_Bunker, 6}},
      {"Strategic Missile", {Strategic_Missile, 6}},
      {"Jet Fighter", {Jet_Fighter, 2}},
      {"Stealth Fighter", {Stealth_Fighter, 2}},
      {"Strategic Bomber", {Strategic_Bomber, 2}},
      {"Stealth Bomber", {Stealth_Bomber, 2}},
      {"Attack Helicopter", {Attack_Helicopter, 2}},
      {"ASW Helicopter", {ASW_Helicopter, 2}},
      {"Transport Aircraft", {Transport_Aircraft, 2}},
      {"Early Warning Aircraft", {Early_Warning_Aircraft, 2}},
      {"Troop Transport", {Troop_Transport, 3}},
      {"Destroyer", {Destroyer, 3}},
      {"Attack Submarine", {[](cairo_t* cr, const TPalette& p) { Submarine(cr, p, 150, false); }, 4}},
      {"Guided Missile Cruiser", {Cruiser, 3}},
      {"Aircraft Carrier", {Aircraft_Carrier, 3}},
      {"Ballistic Missile Submarine", {[](cairo_t* cr, const TPalette& p) { Submarine(cr, p, 184, true); }, 4}},
      {"Reconnaissance Satellite", {Reconnaissance_Satellite, 5}},
      {"Orbital Strike Platform", {Orbital_Strike_Platform, 5}},
  };
  for (const auto& [n, art] : known)
    if (strcasecmp(n.c_str(), name.c_str()) == 0) return art;
  // A type this generator does not know gets the look of its kind.
  const std::string m = movement;
  if (strcasecmp(m.c_str(), "Air") == 0) return {Jet_Fighter, 2};
  if (strcasecmp(m.c_str(), "Sea Surface") == 0) return {Destroyer, 3};
  if (strcasecmp(m.c_str(), "Undersea") == 0) return {[](cairo_t* cr, const TPalette& p) { Submarine(cr, p, 150, false); }, 4};
  if (strcasecmp(m.c_str(), "Space") == 0) return {Reconnaissance_Satellite, 5};
  return {APC, 1};
}

// Draws the unit into a w x h pixel area at the current origin, with a
// soft shadow below it.
void Draw_Unit(cairo_t* cr, const TUnit_Art& art, double w, double h, double frame_w, double frame_h,
               const TPalette& palette, double shadow) {
  cairo_push_group(cr);
  cairo_scale(cr, w / frame_w, h / frame_h);
  art.draw(cr, palette);
  cairo_pattern_t* unit = cairo_pop_group(cr);
  if (shadow > 0) {
    cairo_save(cr);
    cairo_translate(cr, shadow, shadow);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.38);
    cairo_mask(cr, unit);
    cairo_restore(cr);
  }
  cairo_set_source(cr, unit);
  cairo_paint(cr);
  cairo_pattern_destroy(unit);
}

TPalette Own_Colours(int kind) {
  switch (kind) {
    case 2: return {Rgb(158, 164, 172), Rgb(118, 124, 132), Rgb(62, 66, 72), Rgb(96, 150, 190)};
    case 3:
    case 4: return {Rgb(134, 140, 148), Rgb(104, 110, 118), Rgb(52, 56, 62), Rgb(96, 150, 190)};
    case 5: return {Rgb(204, 196, 150), Rgb(150, 152, 160), Rgb(60, 62, 70), Rgb(54, 80, 160)};
    case 6: return {Rgb(176, 168, 152), Rgb(132, 126, 116), Rgb(66, 62, 58), Rgb(110, 150, 180)};
    default: return {Rgb(118, 128, 82), Rgb(92, 100, 64), Rgb(50, 54, 40), Rgb(110, 150, 180)};
  }
}

void Portrait_Background(cairo_t* cr, int kind, const std::string& seed) {
  const double s = Portrait;
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, s);
  auto stop = [&](double at, const TRgb& c) { cairo_pattern_add_color_stop_rgb(g, at, c.r, c.g, c.b); };
  switch (kind) {
    case 2:
      stop(0, Rgb(70, 120, 186));
      stop(1, Rgb(176, 206, 232));
      break;
    case 3:
    case 4:
      stop(0, Rgb(24, 70, 112));
      stop(1, Rgb(44, 110, 150));
      break;
    case 5:
      stop(0, Rgb(6, 8, 22));
      stop(1, Rgb(18, 22, 48));
      break;
    default:
      stop(0, Rgb(118, 132, 78));
      stop(1, Rgb(86, 100, 58));
      break;
  }
  cairo_set_source(cr, g);
  cairo_paint(cr);
  cairo_pattern_destroy(g);
  TRandom rnd(seed);
  if (kind == 5) {
    for (int i = 0; i < 70; ++i) {
      Set_Colour(cr, Rgb(230, 232, 240), rnd.Range(0.3, 1));
      cairo_arc(cr, rnd.Range(0, s), rnd.Range(0, s), rnd.Range(0.3, 0.9), 0, 2 * M_PI);
      cairo_fill(cr);
    }
    cairo_pattern_t* earth = cairo_pattern_create_radial(s * 0.2, s * 1.25, s * 0.3, s * 0.2, s * 1.25, s * 0.62);
    cairo_pattern_add_color_stop_rgba(earth, 0, 0.16, 0.36, 0.64, 1);
    cairo_pattern_add_color_stop_rgba(earth, 0.93, 0.3, 0.55, 0.86, 1);
    cairo_pattern_add_color_stop_rgba(earth, 1, 0.5, 0.7, 0.95, 0);
    cairo_set_source(cr, earth);
    cairo_paint(cr);
    cairo_pattern_destroy(earth);
  } else if (kind == 2) {
    for (int i = 0; i < 5; ++i) {  // clouds
      const double x = rnd.Range(0, s), y = rnd.Range(s * 0.3, s), r = rnd.Range(12, 26);
      cairo_pattern_t* c = cairo_pattern_create_radial(x, y, 0, x, y, r);
      cairo_pattern_add_color_stop_rgba(c, 0, 1, 1, 1, 0.6);
      cairo_pattern_add_color_stop_rgba(c, 1, 1, 1, 1, 0);
      cairo_set_source(cr, c);
      cairo_paint(cr);
      cairo_pattern_destroy(c);
    }
  } else {
    // texture: grass tufts or wave crests
    for (int i = 0; i < 90; ++i) {
      const double x = rnd.Range(0, s), y = rnd.Range(0, s);
      if (kind == 3 || kind == 4) {
        Set_Colour(cr, Rgb(180, 210, 226), rnd.Range(0.15, 0.4));
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, x, y);
        cairo_curve_to(cr, x + 3, y - 2, x + 6, y - 2, x + 9, y);
        cairo_stroke(cr);
      } else {
        Set_Colour(cr, rnd.Next() < 0.5 ? Rgb(140, 150, 92) : Rgb(72, 86, 48), rnd.Range(0.3, 0.6));
        cairo_arc(cr, x, y, rnd.Range(1, 3), 0, 2 * M_PI);
        cairo_fill(cr);
      }
    }
  }
}

void Frame(cairo_t* cr, double s) {
  cairo_rectangle(cr, 1.5, 1.5, s - 3, s - 3);
  Set_Colour(cr, Rgb(206, 190, 140));
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  cairo_rectangle(cr, 3.5, 3.5, s - 7, s - 7);
  Set_Colour(cr, Rgb(60, 52, 36), 0.8);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void Write_Portrait(const TUnit_Art& art, int sw, int sh, const std::string& seed, const std::string& path,
                    int size) {
  TPicture p(size, size);
  cairo_t* cr = p.cr();
  cairo_scale(cr, double(size) / Portrait, double(size) / Portrait);
  Portrait_Background(cr, art.kind, seed);
  const double fw = 100.0 * sw, fh = 100.0 * sh;
  const double fit = 104.0 / std::max(fw, fh);
  const double w = fw * fit, h = fh * fit;
  cairo_save(cr);
  cairo_translate(cr, (Portrait - w) / 2, (Portrait - h) / 2);
  Draw_Unit(cr, art, w, h, fw, fh, Own_Colours(art.kind), art.kind == 2 || art.kind == 5 ? 7 : 3);
  cairo_restore(cr);
  Frame(cr, Portrait);
  p.Keep_Off_Black();
  p.Write_PNG(path);
}

}  // namespace

void Generate_Units(TOutput& out) {
  const std::string file = out.Game_Folder() + "/data/Units.txt";
  for (const TRecord& r : Read_Records(file, "Display Name")) {
    const std::string name = Field(r, "Internal Name");
    if (name.empty()) continue;
    const int sw = std::max(1, std::atoi(Field(r, "Square Size Width").c_str()));
    const int sh = std::max(1, std::atoi(Field(r, "Square Size Height").c_str()));
    const TUnit_Art art = Art_Of(name, Field(r, "Movement Type"));
    const std::string image = Field(r, "Image Filename");
    if (!image.empty()) {
      TPicture p(sw * Square_Pixels, sh * Square_Pixels);
      Draw_Unit(p.cr(), art, p.Width(), p.Height(), 100.0 * sw, 100.0 * sh, Tinted,
                art.kind == 2 || art.kind == 5 ? 3.5 : 1.5);
      p.Keep_Off_Black();
      p.Write_PNG(out.Path("images/units", image));
    }
    const std::string portrait = Field(r, "Portrait Filename"), small = Field(r, "Portrait Small Filename");
    if (!portrait.empty()) Write_Portrait(art, sw, sh, name, out.Path("images/units", portrait), Portrait);
    if (!small.empty()) Write_Portrait(art, sw, sh, name, out.Path("images/units", small), Small_Portrait);
  }
}

}  // namespace Pictures
