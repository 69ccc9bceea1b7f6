// Draws the game's own pictures with cairo.
//
//   Picture_Generator <game folder>
//
// Reads the data files of the game folder and writes every picture they name
// and every picture the screens load:
//   images/tiles/       terrain tiles (PNG, 32 x 32) and BaseOceanTile.bmp
//   images/basictiles/  the 32 x 32 marker-colour tiles of the region builder
//   images/units/       unit pictures (top view) and portraits
//   images/map/         battle backgrounds (JPEG) and base detail pictures
//   images/effects/     particle textures named by data/Effects.txt
//   images/ui/          dialog and panel backgrounds, intro, logos, launcher
// Every run makes the same files: all randomness is seeded by the file name.
// The interface atlases and flags made by Interface_Image_Generator.py are
// left alone.
#include <fontconfig/fontconfig.h>

#include "Picture_Kit.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: Picture_Generator <game folder>\n");
    return 2;
  }
  try {
    const std::size_t count = Pictures::Generate_All(argv[1]);
    std::printf("Picture_Generator: %zu pictures written\n", count);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Picture_Generator: %s\n", e.what());
    return 1;
  }
  // Lets go of the font caches, so that leak checkers see a clean end.
  cairo_debug_reset_static_data();
  FcFini();
  return 0;
}
