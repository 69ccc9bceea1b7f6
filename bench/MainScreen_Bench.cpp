// One frame of the main screen at 1024 x 768 on the largest map type of the
// default game type with about 2000 units: the timer pass and the drawing of
// the control tree (world map, overview, buttons, status bar), on the
// headless device or on OpenGL (needs a display). The figure is the CPU
// time of the thread per frame; on the headless device it includes the
// device's own software rasteriser, so a second run with a device that
// records nothing would be lower.
//
//   MainScreen_Bench [headless|opengl] [frames]   (run from the source tree
//   or with GLOBARCH_HOME)
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "../tests/screens/Screen_World.h"
#include "DC_Main.h"
#include "Display_HelpText.h"
#include "GraphicsEngine_Culling.h"
#include "Render_Device_Headless.h"
#include "Render_Device_OpenGL.h"
#include "Vector_Math.h"

namespace {

double Thread_Cpu_Ms() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const bool opengl = argc > 1 && std::strcmp(argv[1], "opengl") == 0;
  const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
  const char* home = std::getenv("GLOBARCH_HOME");
  Global_Init();
  TScreen_World world(home && *home ? home : ".");
  if (!world.Generate("Large", 20150, 2000)) {
    std::fprintf(stderr, "The world could not be generated\n");
    return 1;
  }
  TDevice_Params params;
  params.Width = 1024;
  params.Height = 768;
  params.Title = "Globarch main screen bench";
  std::unique_ptr<TRender_System> system;
  std::unique_ptr<TRender_Device> device;
  if (opengl) {
    system = Create_OpenGL_Render_System();
    if (!system || FAILED(system->Create_Device(params, device))) {
      std::fprintf(stderr, "No OpenGL device: %s\n", OpenGL_Last_Error().c_str());
      return 1;
    }
  } else {
    device = std::make_unique<TRender_Device_Headless>(params);
  }
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  G_RestoreDeviceObjects();
  TSurface_Desc desc;
  device->Get_BackBuffer_Desc(desc);
  G_Set_BackBuffer_Desc(desc);
  TMatrix projection;
  G_Matrix_Perspective_Fov_LH(0.7853982f, 1024.0f / 768.0f, 1.0f, 20000.0f, projection);
  G_SetTransform(D3DTS_PROJECTION, projection);
  world.Load_Textures();
  {
    TDC_Main screen;
    screen.m_Set_Position("Main Window", 0, 0, false);
    screen.m_Set_Visible(true);
    screen.m_Reset_View();
    std::printf("%s device, map %d x %d pixels, %d regions, %d units\n", opengl ? "OpenGL" : "headless",
                world.map.m_Get_Pixel_Width(), world.map.m_Get_Pixel_Height(), world.map.m_Get_Region_Count(),
                world.Unit_Count());
    struct TView {
      const char* name;
      float z;
    } views[] = {{"whole map (eye height -8000)", -8000.0f}, {"near (eye height -1500, unit counts shown)", -1500.0f}};
    for (const TView& view : views) {
      Set_Mouse_Position(512, 384);
      const float cx = float(world.map.m_Get_Pixel_Width()) / 2, cy = float(world.map.m_Get_Pixel_Height()) / 2;
      screen.m_Set_Camera({cx, cy, view.z}, {cx, cy, 0}, true, {0, 1, 0});
      double total = 0, best = 1e9;
      for (int f = 0; f < frames + 3; ++f) {
        const double start = Thread_Cpu_Ms();
        screen.TimerFired(0.016f);
        device->BeginScene();
        G_Main_Clear(0xFF000000u);
        screen.m_Render(0.016);
        Help_Text_Draw();
        device->EndScene();
        const double ms = Thread_Cpu_Ms() - start;
        device->Present();
        if (f < 3) continue;  // warm-up
        total += ms;
        best = std::min(best, ms);
      }
      std::printf("%-45s %8.3f ms per frame (best %.3f)", view.name, total / frames, best);
      if (auto* headless = dynamic_cast<TRender_Device_Headless*>(device.get())) {
        headless->Set_Recording(true);
        headless->Clear_Draw_Records();
        device->BeginScene();
        screen.m_Render(0.016);
        device->EndScene();
        std::printf(", %zu draw calls", headless->Draw_Records().size());
        headless->Set_Recording(false);
      }
      std::printf("\n");
    }
  }
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
  device.reset();
  system.reset();
  return 0;
}
