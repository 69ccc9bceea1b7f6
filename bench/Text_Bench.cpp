// Measures the font layer and the culling on the headless device
// (1024 x 768): measuring a line of text, drawing 100 lines a frame, word
// wrapping a paragraph into a box, and testing spheres against the view
// frustum. Reports CPU time per operation.
//
//   Text_Bench [rounds]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "Datafile_MainFonts.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "Render_Device_Headless.h"
#include "Vector_Math.h"

namespace {

double Cpu_Seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

template <typename F>
void Measure(const char* what, int count, F&& f) {
  const double start = Cpu_Seconds();
  for (int i = 0; i < count; ++i) f(i);
  const double seconds = Cpu_Seconds() - start;
  std::printf("%-44s %9d x %10.3f us\n", what, count, seconds * 1e6 / count);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  TDevice_Params params;
  params.Width = 1024;
  params.Height = 768;
  TRender_Device_Headless device(params);
  Render_Device_Set_Current(&device);
  Main_Fonts_Create();
  Main_Fonts->m_Add("DejaVuSans.ttf", "DejaVu Sans", 0xFFFFFF, false, false, 10);
  Main_Fonts->m_Add("DejaVuSans-Bold.ttf", "DejaVu Sans", 0xFFFFFF, true, false, 14);
  const double start = Cpu_Seconds();
  G_Init_GraphicsEngine();
  G_RestoreDeviceObjects();
  std::printf("%-44s %9d x %10.3f us\n", "making two fonts", 1, (Cpu_Seconds() - start) * 1e6);
  TSurface_Desc desc;
  device.Get_BackBuffer_Desc(desc);
  G_Set_BackBuffer_Desc(desc);
  if (G_Font_Count() != 2) {
    std::fprintf(stderr, "the fonts could not be made\n");
    return 1;
  }
  G_Font_Set_Font(1);
  const std::string line = "Infantry 12 (3 moves left) - Region of the northern coast, 1.25B";
  std::string paragraph;
  for (int i = 0; i < 12; ++i) paragraph += "The nation gains income from every region it holds at the end of a turn. ";

  std::int32_t w = 0, h = 0;
  Measure("measure a 64-character line", 20000 * rounds, [&](int) { G_Font_Get_TextExtents(line, w, h); });
  Measure("frame of 100 drawn lines", 20 * rounds, [&](int) {
    device.Clear(D3DCLEAR_TARGET, 0xFF000000u, 1, 0);
    for (int i = 0; i < 100; ++i) G_Font_Draw_Text(4, float(i * 7), line);
  });
  std::vector<std::string> lines;
  Measure("split a 900-character paragraph (300 px)", 500 * rounds,
          [&](int) { G_Font_Split_Text_Lines(0, 0, 300, 2000, paragraph, 0, lines); });
  Measure("draw the paragraph wrapped, shadowed words", 20 * rounds,
          [&](int) { G_Font_Draw_Text_Wrapped_State(10, 10, 300, 700, paragraph, 16, true); });

  TMatrix projection;
  G_Matrix_Perspective_Fov_LH(0.7853982f, 1024.0f / 768.0f, 1.0f, 20000.0f, projection);
  G_SetTransform(D3DTS_PROJECTION, projection);
  G_Set_Camera({1000, 1000, -3000}, {1000, 1200, 0}, {0, 0, -1});
  int visible = 0;
  Measure("sphere tests (mixed in and out of view)", 2000000 * rounds, [&](int i) {
    const TVector c{float((i * 37) % 8000) - 2000, float((i * 91) % 6000) - 1000, float(i % 50)};
    visible += G_Sphere_Visible(c, 40) ? 1 : 0;
  });
  std::printf("visible spheres: %d\n", visible);
  float x = 0, y = 0;
  Measure("pick a map point", 200000 * rounds,
          [&](int i) { G_Screen_To_Map_Point(float(i % 1024), float(i % 768), x, y); });

  G_Shutdown_GraphicsEngine();
  Main_Fonts_Free();
  Render_Device_Set_Current(nullptr);
  return 0;
}
