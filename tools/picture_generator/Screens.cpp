// Dialog and panel backgrounds, the start menu picture, the two logos, the
// launcher pictures and the selection box, all in images/ui/.
//
// Each background has the size its dialog draws it at. Titles, values and
// buttons are drawn by the dialogs; the labels they leave to the picture are
// painted here at the places the dialogs put their controls. Backgrounds that
// the game keys on white keep every pixel off pure white; the selection box
// is keyed on black.
#include <cmath>

#include "Picture_Kit.h"

namespace Pictures {
namespace {

const TRgb Label_Colour = Rgb(226, 214, 168);
const TRgb Heading_Colour = Rgb(240, 200, 110);
constexpr double Title_Bar = 24;

// Brushed steel-blue panel with a bevelled edge and a title bar.
void Panel(TPicture& p, const std::string& seed, bool title_bar = true) {
  const std::uint32_t s = Seed_Of(seed);
  const double w = p.Width(), h = p.Height();
  p.Fill_Pixels([&](double x, double y) {
    const double brush = Fractal_Noise(x * 0.05, y * 4, s, 8, 3);
    const double broad = Fractal_Noise(x, y, s + 1, 180, 3);
    TRgb c = Mix(Rgb(30, 38, 50), Rgb(48, 60, 78), Clamp01(broad * 0.9 + (1 - y / h) * 0.35));
    return Mix(c, Rgb(70, 84, 104), (brush - 0.5) * 0.35 + 0.05);
  });
  cairo_t* cr = p.cr();
  if (title_bar) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, Title_Bar);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.27, 0.36, 0.50);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.14, 0.20, 0.30);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, 0, 0, w, Title_Bar);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    Set_Colour(cr, Rgb(196, 160, 84));
    cairo_rectangle(cr, 0, Title_Bar, w, 1.5);
    cairo_fill(cr);
  }
  // bevel
  cairo_set_line_width(cr, 2);
  Set_Colour(cr, Rgb(132, 148, 170));
  cairo_move_to(cr, 1, h - 1);
  cairo_line_to(cr, 1, 1);
  cairo_line_to(cr, w - 1, 1);
  cairo_stroke(cr);
  Set_Colour(cr, Rgb(12, 16, 22));
  cairo_move_to(cr, w - 1, 1);
  cairo_line_to(cr, w - 1, h - 1);
  cairo_line_to(cr, 1, h - 1);
  cairo_stroke(cr);
}

// A recessed box the dialog draws into.
void Inset(cairo_t* cr, double x, double y, double w, double h) {
  Set_Colour(cr, Rgb(16, 20, 28), 0.85);
  cairo_rectangle(cr, x, y, w, h);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1);
  Set_Colour(cr, Rgb(8, 10, 14));
  cairo_move_to(cr, x + 0.5, y + h);
  cairo_line_to(cr, x + 0.5, y + 0.5);
  cairo_line_to(cr, x + w, y + 0.5);
  cairo_stroke(cr);
  Set_Colour(cr, Rgb(104, 118, 140));
  cairo_move_to(cr, x + w - 0.5, y);
  cairo_line_to(cr, x + w - 0.5, y + h - 0.5);
  cairo_line_to(cr, x, y + h - 0.5);
  cairo_stroke(cr);
}

void Label(cairo_t* cr, const std::string& text, double x, double baseline, double size = 11) {
  Text(cr, text, x + 1, baseline + 1, size, Rgb(6, 8, 12), false, 0.8);
  Text(cr, text, x, baseline, size, Label_Colour);
}

void Heading(cairo_t* cr, const std::string& text, double x, double baseline, double size = 12) {
  Text(cr, text, x + 1, baseline + 1, size, Rgb(6, 8, 12), true, 0.8);
  Text(cr, text, x, baseline, size, Heading_Colour, true);
}

// A lit globe of our own: oceans, noise continents, a rim of atmosphere.
void Globe(TPicture& p, double cx, double cy, double r, const std::string& seed) {
  const std::uint32_t s = Seed_Of(seed);
  for (int y = std::max(0, int(cy - r - 12)); y < std::min(p.Height(), int(cy + r + 12)); ++y)
    for (int x = std::max(0, int(cx - r - 12)); x < std::min(p.Width(), int(cx + r + 12)); ++x) {
      const double dx = (x + 0.5 - cx) / r, dy = (y + 0.5 - cy) / r, d2 = dx * dx + dy * dy;
      TRgb c;
      double a;
      p.Get(x, y, c, a);
      if (d2 > 1) {
        const double glow = Clamp01(1 - (std::sqrt(d2) - 1) * r / 12);
        p.Set(x, y, Mix(c, Rgb(110, 170, 240), glow * glow * 0.7), 1);
        continue;
      }
      const double dz = std::sqrt(1 - d2);
      // texture coordinates on the sphere
      const double u = std::atan2(dx, dz) * 1.2 + 2.0, v = std::asin(dy);
      const double n = Fractal_Noise(u * 90, v * 90, s, 60, 5);
      const bool land = n > 0.53;
      const double ice = Smoothstep(0.75, 0.95, std::fabs(dy));
      TRgb ground = land ? Mix(Rgb(70, 110, 50), Rgb(160, 140, 90), Clamp01((n - 0.53) * 5)) : Rgb(20, 60, 130);
      ground = Mix(ground, Rgb(230, 236, 240), ice);
      const double light = Clamp01(0.15 + 0.95 * (-dx * 0.55 - dy * 0.45 + dz * 0.7));
      const TRgb lit = Scale(ground, 0.25 + light);
      const double rim = Smoothstep(0.75, 1.0, std::sqrt(d2));
      p.Set(x, y, Mix(lit, Rgb(120, 180, 250), rim * 0.5), 1);
    }
}

void Stars(TPicture& p, const std::string& seed, int count) {
  TRandom rnd(seed);
  cairo_t* cr = p.cr();
  for (int i = 0; i < count; ++i) {
    Set_Colour(cr, Mix(Rgb(200, 210, 255), Rgb(255, 240, 220), rnd.Next()), rnd.Range(0.3, 1.0));
    cairo_arc(cr, rnd.Range(0, p.Width()), rnd.Range(0, p.Height()), rnd.Range(0.4, 1.3), 0, 2 * M_PI);
    cairo_fill(cr);
  }
}

void Space(TPicture& p, const std::string& seed) {
  const std::uint32_t s = Seed_Of(seed);
  p.Fill_Pixels([&](double x, double y) {
    const double n = Fractal_Noise(x, y, s, 300, 5);
    return Mix(Rgb(4, 6, 16), Rgb(30, 24, 60), Clamp01((n - 0.55) * 2.5));
  });
  Stars(p, seed, p.Width() * p.Height() / 900);
}

void Wordmark(cairo_t* cr, const std::string& text, double cx, double baseline, double size, const TRgb& colour) {
  for (int i = 6; i >= 1; --i)
    Text_Centred(cr, text, cx, baseline, size, Rgb(255, 190, 80), true, 0.05 * i);
  Text_Centred(cr, text, cx + 2, baseline + 2, size, Rgb(4, 6, 10), true, 0.8);
  Text_Centred(cr, text, cx, baseline, size, colour, true);
}

// ----------------------------------------------------------------- dialogs

void Plain_Dialog(TOutput& out, const std::string& file, int w, int h, bool white_key = false) {
  TPicture p(w, h);
  Panel(p, file);
  if (white_key) p.Keep_Off_White();
  p.Write_BMP_24(out.Path("images/ui", file));
}

void Progress(TOutput& out) {
  TPicture p(400, 94);
  Panel(p, "progress");
  Inset(p.cr(), 3, 25, 394, 44);
  p.Write_BMP_24(out.Path("images/ui", "Dlg_Progress.bmp"));
}

// Panels whose middle band repeats downwards: the band varies only across.
void Repeating_Panel(TOutput& out, const std::string& file, int top, int bottom_from) {
  TPicture p(280, 482);
  Panel(p, file);
  const std::uint32_t s = Seed_Of(file);
  for (int y = top + 1; y < bottom_from; ++y)
    for (int x = 2; x < 278; ++x) {
      const double brush = Fractal_Noise(x * 0.05, 0.5, s, 8, 3);
      p.Set(x, y, Mix(Rgb(36, 46, 60), Rgb(70, 84, 104), (brush - 0.5) * 0.35 + 0.05), 1);
    }
  cairo_t* cr = p.cr();
  Set_Colour(cr, Rgb(196, 160, 84));
  cairo_rectangle(cr, 0, bottom_from, 280, 1.5);
  cairo_fill(cr);
  p.Write_BMP_24(out.Path("images/ui", file));
}

void Game_Setup(TOutput& out) {
  TPicture p(1024, 768);
  Panel(p, "game setup");
  cairo_t* cr = p.cr();
  Label(cr, "Game Type", 18, 69);
  Label(cr, "Stored Map", 44, 120);
  Label(cr, "New Map", 44, 156);
  Heading(cr, "Players", 18, 184);
  const double head = 204;
  Label(cr, "Use", 40, head, 10);
  Label(cr, "Colour", 88, head, 10);
  Label(cr, "Flag", 163, head, 10);
  Label(cr, "Nation Name", 237, head, 10);
  Label(cr, "Player Name", 433, head, 10);
  Label(cr, "Computer", 622, head, 10);
  for (int n = 1; n <= 8; ++n) {
    const double y = 208 + 32 * (n - 1);
    Set_Colour(cr, Rgb(255, 255, 255), n % 2 ? 0.04 : 0.0);
    cairo_rectangle(cr, 12, y - 4, 690, 30);
    cairo_fill(cr);
    Label(cr, std::to_string(n), 18, y + 16);
  }
  Heading(cr, "Options", 18, 476);
  const char* checks[] = {"Connected Starting Territories", "Second Rule Option", "Neutral Nation", "Fog of War"};
  const double rows[] = {488, 524, 560, 596};
  for (int i = 0; i < 4; ++i) Label(cr, checks[i], 46, rows[i] + 16);
  const char* groups[] = {"Technology", "Nation Size", "Starting Forces", "Starting Money"};
  const char* choices[4][3] = {{"Start", "Halfway", "Maximum"},
                               {"Small", "Medium", "Large"},
                               {"Low", "Medium", "High"},
                               {"Low", "Medium", "High"}};
  const double columns[] = {452, 544, 636};
  for (int g = 0; g < 4; ++g) {
    Label(cr, groups[g], 300, rows[g] + 16);
    for (int c = 0; c < 3; ++c) Label(cr, choices[g][c], columns[c] + 26, rows[g] + 16);
  }
  // network area (covered by the dialog in games at one machine)
  Label(cr, "Game Name", 440, 69);
  Label(cr, "Chat", 725, 40);
  Label(cr, "IP Address", 18, 669);
  Label(cr, "Port", 18, 701);
  Label(cr, "Status", 350, 650);
  p.Write_BMP_24(out.Path("images/ui", "Dlg_GameSetup.bmp"));
}

void Statistics(TOutput& out) {
  TPicture p(1024, 768);
  Panel(p, "statistics");
  cairo_t* cr = p.cr();
  const char* labels[] = {"Land Owned (%)", "Land Regions", "Territory Value", "Land Value (%)", "Unit Value",
                          "Land Units", "Air Units", "Sea Units", "Cities"};
  for (int n = 0; n < 9; ++n) Label(cr, labels[n], 11, 58 + n * 15 + 10, 10);
  Inset(cr, 497, 32, 516, 260);
  Label(cr, "Page", 60, 269);
  Inset(cr, 11, 310, 1002, 425);
  p.Keep_Off_White();
  p.Write_BMP_24(out.Path("images/ui", "Dlg_Statistics.bmp"));
}

void Log(TOutput& out) {
  TPicture p(1024, 768);
  Panel(p, "log");
  cairo_t* cr = p.cr();
  Label(cr, "Date", 11, 43);
  const char* columns[] = {"Won", "Lost", "Moves", "Income", "Bought"};
  const double xs[] = {177, 227, 283, 339, 414};
  for (int i = 0; i < 5; ++i) Label(cr, columns[i], xs[i], 62, 10);
  Label(cr, "Nation", 13, 62, 10);
  Inset(cr, 497, 32, 516, 260);
  Inset(cr, 11, 310, 1002, 425);
  p.Keep_Off_White();
  p.Write_BMP_24(out.Path("images/ui", "Dlg_Log.bmp"));
}

void Politics(TOutput& out) {
  TPicture p(1024, 768);
  Panel(p, "politics");
  cairo_t* cr = p.cr();
  Label(cr, "Allied", 372, 66, 10);
  Label(cr, "Hostile", 372, 48, 10);
  Inset(cr, 8, 30, 340, 170);
  Inset(cr, 497, 32, 516, 260);
  Inset(cr, 11, 310, 1002, 425);
  p.Keep_Off_White();
  p.Write_BMP_24(out.Path("images/ui", "Dlg_Politics.bmp"));
  TPicture m(400, 214);
  Panel(m, "send message");
  cairo_t* mc = m.cr();
  Label(mc, "Send To", 14, 43);
  Label(mc, "Type", 14, 91);
  Label(mc, "Message", 15, 140);
  Inset(mc, 14, 144, 372, 24);
  m.Keep_Off_White();
  m.Write_BMP_24(out.Path("images/ui", "Dlg_SendMessage.bmp"));
}

void Combat_Dialog(TOutput& out, const std::string& file) {
  TPicture p(800, 600);
  Panel(p, file);
  cairo_t* cr = p.cr();
  Inset(cr, 5, 27, 514, 258);
  Inset(cr, 521, 27, 274, 90);
  Inset(cr, 520, 121, 275, 164);
  for (double top : {302.0, 438.0}) {
    Inset(cr, 63, top - 2, 708, 132);
    Set_Colour(cr, Rgb(90, 104, 126), 0.25);
    cairo_set_line_width(cr, 1);
    for (int c = 1; c < 22; ++c) {
      cairo_move_to(cr, 65 + c * 32 + 0.5, top);
      cairo_line_to(cr, 65 + c * 32 + 0.5, top + 128);
    }
    for (int r = 1; r < 4; ++r) {
      cairo_move_to(cr, 65, top + r * 32 + 0.5);
      cairo_line_to(cr, 769, top + r * 32 + 0.5);
    }
    cairo_stroke(cr);
  }
  Label(cr, "Attacker", 14, 344, 10);
  Label(cr, "Defender", 14, 480, 10);
  p.Keep_Off_White();
  p.Write_BMP_24(out.Path("images/ui", file));
}

void End_Game(TOutput& out) {
  TPicture p(800, 600);
  Panel(p, "end game");
  TPicture scene(790, 546);
  Space(scene, "end game scene");
  Globe(scene, 395, 250, 190, "end game world");
  cairo_t* sc = scene.cr();
  // rays of triumph
  for (int i = 0; i < 24; ++i) {
    const double a = i * M_PI / 12;
    cairo_move_to(sc, 395, 250);
    cairo_line_to(sc, 395 + 700 * std::cos(a - 0.04), 250 + 700 * std::sin(a - 0.04));
    cairo_line_to(sc, 395 + 700 * std::cos(a + 0.04), 250 + 700 * std::sin(a + 0.04));
    cairo_close_path(sc);
    Set_Colour(sc, Rgb(255, 220, 140), 0.06);
    cairo_fill(sc);
  }
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 440, 0, 546);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.02, 0.03, 0.06, 0);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.02, 0.03, 0.06, 0.85);
  cairo_set_source(sc, g);
  cairo_rectangle(sc, 0, 440, 790, 106);
  cairo_fill(sc);
  cairo_pattern_destroy(g);
  cairo_set_source_surface(p.cr(), scene.surface(), 5, 27);
  cairo_paint(p.cr());
  p.Write_BMP_24(out.Path("images/ui", "Dlg_EndGame.bmp"));
}

// ----------------------------------------------------------------- combat pictures (273 x 162)

void Combat_Picture(TOutput& out, const std::string& file, int mood) {
  TPicture p(273, 162);
  cairo_t* cr = p.cr();
  const std::uint32_t s = Seed_Of(file);
  const TRgb sky_top = mood == 2 ? Rgb(60, 20, 18) : (mood == 1 ? Rgb(40, 70, 130) : Rgb(60, 50, 40));
  const TRgb sky_low = mood == 2 ? Rgb(150, 70, 40) : (mood == 1 ? Rgb(240, 200, 120) : Rgb(200, 150, 90));
  p.Fill_Pixels([&](double x, double y) {
    const double n = Fractal_Noise(x, y, s, 40, 4);
    return Mix(Mix(sky_top, sky_low, y / 162), Rgb(40, 36, 34), Clamp01((n - 0.6) * 1.5));
  });
  // ground
  cairo_move_to(cr, 0, 118);
  for (double x = 0; x <= 273; x += 8) cairo_line_to(cr, x, 118 + 6 * std::sin(x / 30) + Value_Noise(x / 12, 0, s) * 6);
  cairo_line_to(cr, 273, 162);
  cairo_line_to(cr, 0, 162);
  cairo_close_path(cr);
  Set_Colour(cr, mood == 2 ? Rgb(40, 30, 26) : Rgb(46, 54, 36));
  cairo_fill(cr);
  auto tank = [&](double x, double y, double dir, const TRgb& c) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, dir, 1);
    Set_Colour(cr, c);
    Rounded_Rectangle(cr, -24, -6, 48, 12, 5);
    cairo_fill(cr);
    cairo_rectangle(cr, -14, -14, 22, 9);
    cairo_fill(cr);
    cairo_set_line_width(cr, 3);
    cairo_move_to(cr, 6, -10);
    cairo_line_to(cr, 30, -12);
    cairo_stroke(cr);
    cairo_restore(cr);
  };
  if (mood == 0) {  // two forces face each other
    tank(70, 124, 1, Rgb(30, 32, 28));
    tank(205, 126, -1, Rgb(30, 32, 28));
    for (double x : {130.0, 140.0, 150.0}) {
      cairo_pattern_t* g = cairo_pattern_create_radial(x, 96, 0, x, 96, 14);
      cairo_pattern_add_color_stop_rgba(g, 0, 1, 0.9, 0.5, 0.9);
      cairo_pattern_add_color_stop_rgba(g, 1, 1, 0.5, 0.1, 0);
      cairo_set_source(cr, g);
      cairo_arc(cr, x, 96, 14, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_pattern_destroy(g);
    }
  } else if (mood == 1) {  // a flag raised on the hill
    cairo_set_line_width(cr, 3);
    Set_Colour(cr, Rgb(40, 36, 30));
    cairo_move_to(cr, 136, 120);
    cairo_line_to(cr, 136, 40);
    cairo_stroke(cr);
    cairo_move_to(cr, 137, 42);
    cairo_curve_to(cr, 160, 36, 170, 52, 190, 46);
    cairo_line_to(cr, 190, 74);
    cairo_curve_to(cr, 170, 80, 160, 64, 137, 70);
    cairo_close_path(cr);
    Set_Colour(cr, Rgb(200, 40, 36));
    cairo_fill(cr);
    Set_Colour(cr, Rgb(250, 220, 120));
    cairo_arc(cr, 160, 58, 7, 0, 2 * M_PI);
    cairo_fill(cr);
    tank(60, 126, 1, Rgb(34, 36, 30));
    tank(214, 128, -1, Rgb(34, 36, 30));
  } else {  // wrecks and smoke
    for (int i = 0; i < 5; ++i) {
      const double x = 60 + i * 40, y = 90 - i % 2 * 20;
      cairo_pattern_t* g = cairo_pattern_create_radial(x, y, 0, x, y, 36);
      cairo_pattern_add_color_stop_rgba(g, 0, 0.15, 0.13, 0.12, 0.8);
      cairo_pattern_add_color_stop_rgba(g, 1, 0.15, 0.13, 0.12, 0);
      cairo_set_source(cr, g);
      cairo_arc(cr, x, y, 36, 0, 2 * M_PI);
      cairo_fill(cr);
      cairo_pattern_destroy(g);
    }
    cairo_save(cr);
    cairo_translate(cr, 136, 128);
    cairo_rotate(cr, 0.3);
    tank(0, 0, 1, Rgb(24, 22, 20));
    cairo_restore(cr);
    cairo_set_line_width(cr, 3);
    Set_Colour(cr, Rgb(30, 26, 22));
    cairo_move_to(cr, 200, 128);
    cairo_line_to(cr, 224, 80);
    cairo_stroke(cr);
    cairo_move_to(cr, 224, 80);
    cairo_line_to(cr, 246, 90);
    cairo_line_to(cr, 226, 100);
    cairo_close_path(cr);
    Set_Colour(cr, Rgb(110, 100, 90));
    cairo_fill(cr);
  }
  p.Write_BMP_24(out.Path("images/ui", file));
}

// ----------------------------------------------------------------- start menu, logos, launcher

void Intro(TOutput& out) {
  TPicture p(1024, 768);
  Space(p, "intro");
  Globe(p, 512, 500, 290, "intro world");
  cairo_t* cr = p.cr();
  Wordmark(cr, "GLOBARCH", 512, 130, 96, Rgb(246, 226, 170));
  Text_Centred(cr, "A WORLD AT WAR, TURN BY TURN", 512, 170, 20, Rgb(200, 210, 230), false, 0.9);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 600, 0, 768);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.01, 0.02, 0.05, 0);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.01, 0.02, 0.05, 0.9);
  cairo_set_source(cr, g);
  cairo_rectangle(cr, 0, 600, 1024, 168);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  p.Write_BMP_24(out.Path("images/ui", "Dlg_Intro.bmp"));
}

void Logo_Maker(TOutput& out) {
  TPicture p(512, 256);
  cairo_t* cr = p.cr();
  Set_Colour(cr, Rgb(0, 0, 0));
  cairo_paint(cr);
  // a stylised kestrel in a ring
  cairo_arc(cr, 110, 128, 78, 0, 2 * M_PI);
  Set_Colour(cr, Rgb(214, 160, 72));
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);
  cairo_move_to(cr, 50, 118);
  cairo_curve_to(cr, 80, 96, 100, 96, 112, 108);
  cairo_curve_to(cr, 124, 92, 148, 80, 172, 76);
  cairo_curve_to(cr, 150, 100, 138, 118, 126, 130);
  cairo_line_to(cr, 140, 176);
  cairo_line_to(cr, 112, 150);
  cairo_line_to(cr, 92, 172);
  cairo_line_to(cr, 100, 132);
  cairo_curve_to(cr, 84, 122, 66, 120, 50, 118);
  cairo_close_path(cr);
  Set_Colour(cr, Rgb(236, 226, 206));
  cairo_fill(cr);
  Text(cr, "KESTRUNE", 214, 140, 50, Rgb(236, 226, 206), true);
  Text(cr, "INTERACTIVE", 218, 172, 20, Rgb(214, 160, 72));
  p.Write_BMP_24(out.Path("images/ui", "Bmp_Kestrune.bmp"));
}

void Logo_Publisher(TOutput& out) {
  TPicture p(512, 256);
  cairo_t* cr = p.cr();
  Set_Colour(cr, Rgb(0, 0, 0));
  cairo_paint(cr);
  // a wire globe
  Set_Colour(cr, Rgb(120, 180, 240));
  cairo_set_line_width(cr, 4);
  cairo_arc(cr, 256, 100, 62, 0, 2 * M_PI);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 2.5);
  for (double k : {0.35, 0.75}) {
    cairo_save(cr);
    cairo_translate(cr, 256, 100);
    cairo_scale(cr, k, 1);
    cairo_arc(cr, 0, 0, 62, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_stroke(cr);
  }
  for (double y : {-36.0, 0.0, 36.0}) {
    const double half = std::sqrt(62 * 62 - y * y);
    cairo_move_to(cr, 256 - half, 100 + y);
    cairo_line_to(cr, 256 + half, 100 + y);
  }
  cairo_stroke(cr);
  Text_Centred(cr, "THE GLOBARCH PROJECT", 256, 206, 28, Rgb(226, 232, 240), true);
  Text_Centred(cr, "PRESENTS", 256, 232, 16, Rgb(120, 180, 240));
  p.Write_BMP_24(out.Path("images/ui", "Bmp_Publisher.bmp"));
}

void Launcher(TOutput& out) {
  TPicture p(580, 262);
  Space(p, "launcher");
  Globe(p, 200, 250, 170, "launcher world");
  cairo_t* cr = p.cr();
  Wordmark(cr, "GLOBARCH", 200, 64, 52, Rgb(246, 226, 170));
  Inset(cr, 402, 4, 174, 254);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 210, 0, 262);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.01, 0.02, 0.05, 0);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.01, 0.02, 0.05, 0.85);
  cairo_set_source(cr, g);
  cairo_rectangle(cr, 0, 210, 400, 52);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  p.Write_BMP_24(out.Path("images/ui", "Dlg_Start.bmp"));
}

void Graphics_Setup(TOutput& out) {
  TPicture p(400, 306);
  Panel(p, "graphics setup");
  cairo_t* cr = p.cr();
  Heading(cr, "Graphics Setup", 10, 17, 13);
  Label(cr, "Display Adapter", 14, 51);
  Inset(cr, 149, 35, 208, 22);
  Label(cr, "Windowed", 178, 77);
  Label(cr, "Resolution", 14, 103);
  Inset(cr, 149, 87, 208, 22);
  Label(cr, "Wait for Vertical Sync", 178, 129);
  Label(cr, "Antialiasing", 178, 155);
  Label(cr, "Use the Game's Mouse Pointer", 178, 181);
  p.Write_BMP_24(out.Path("images/ui", "Dlg_GraphicsSetup.bmp"));
}

void Selection_Box(TOutput& out) {
  TPicture p(64, 64);
  cairo_t* cr = p.cr();
  cairo_set_line_width(cr, 3);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int corner = 0; corner < 4; ++corner) {
    const double sx = corner % 2 ? -1 : 1, sy = corner / 2 ? -1 : 1;
    const double x = corner % 2 ? 61 : 3, y = corner / 2 ? 61 : 3;
    cairo_move_to(cr, x, y + 16 * sy);
    cairo_line_to(cr, x, y);
    cairo_line_to(cr, x + 16 * sx, y);
  }
  Set_Colour(cr, Rgb(40, 40, 40), 0.9);
  cairo_set_line_width(cr, 5);
  cairo_stroke_preserve(cr);
  Set_Colour(cr, Rgb(250, 236, 150));
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  p.Keep_Off_Black();
  p.Write_BMP_24(out.Path("images/ui", "SelectionBox.bmp"));
}

}  // namespace

void Generate_Screens(TOutput& out) {
  Plain_Dialog(out, "Dlg_Message.bmp", 400, 200);
  Plain_Dialog(out, "Dlg_List.bmp", 400, 600);
  Plain_Dialog(out, "Dlg_GameMenu.bmp", 178, 300);
  Plain_Dialog(out, "Dlg_CombatOptions.bmp", 600, 600);
  Plain_Dialog(out, "Dlg_Login.bmp", 400, 200);
  Plain_Dialog(out, "Dlg_LoadSaveGame.bmp", 600, 600);
  Plain_Dialog(out, "Dlg_GameOptions.bmp", 600, 600);
  Log(out);
  Politics(out);
  Progress(out);
  Repeating_Panel(out, "Dlg_Purchases_List.bmp", 26, 450);
  Repeating_Panel(out, "Dlg_Purchases_Items.bmp", 44, 424);
  Game_Setup(out);
  Statistics(out);
  Combat_Dialog(out, "Dlg_CombatBegin.bmp");
  Combat_Dialog(out, "Dlg_CombatEnd.bmp");
  End_Game(out);
  Combat_Picture(out, "Combat_Begin.bmp", 0);
  Combat_Picture(out, "Combat_Victory.bmp", 1);
  Combat_Picture(out, "Combat_Defeat.bmp", 2);
  Intro(out);
  Logo_Maker(out);
  Logo_Publisher(out);
  Launcher(out);
  Graphics_Setup(out);
  Selection_Box(out);
}

}  // namespace Pictures
