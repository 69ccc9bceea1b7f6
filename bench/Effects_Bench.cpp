// Runs the shipped visual effects the way a busy battle does: every frame of
// 1/30 s starts effects until some 120 emitter events (30 to 40 effects) run
// at once, advances the emitter events and the particles, and draws the
// particles on the headless device.
// Reports the CPU time per frame and the particles alive. No view is set, so
// the device clips the quads: the drawing figure is the list's own work
// (culling, sorting, states and vertices).
//
//   Effects_Bench [frames]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>

#include "Datafile_EffectEmitters.h"
#include "Datafile_Formula_List.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_EmitterEvents.h"
#include "GraphicsEngine_ParticleList.h"
#include "Native_Path.h"
#include "Render_Device_Headless.h"

namespace {
double Cpu_Seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 900;
  const std::filesystem::path file = std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "Effects.txt";
  Formula_List_Create();
  Effects_Load_Data_File(Design_Path(file.string()), nullptr);
  if (!Effect_List || Effect_List->m_Count() == 0) {
    std::fprintf(stderr, "no effects in %s\n", file.string().c_str());
    return 1;
  }
  TDevice_Params params;
  params.Width = 1024;
  params.Height = 768;
  auto device = std::make_unique<TRender_Device_Headless>(params);
  Render_Device_Set_Current(device.get());
  G_Init_GraphicsEngine();
  G_Create_Particle_Systems();
  Random_Set_Seed(7);

  const float dt = 1.0f / 30;
  std::int32_t next_effect = 1, most = 0;
  double update = 0, advance = 0, draw = 0;
  for (int frame = 0; frame < frames; ++frame) {
    // Keep about 120 emitter events running, spread over the map.
    std::int32_t running = 0;
    for (std::int32_t s = 1; s <= g_tg_emitter_events->m_Slot_Count(); ++s)
      running += g_tg_emitter_events->m_Get_Slot(s) != nullptr;
    while (running < 120) {
      const float x = float(Random_Range(0, 2000)), y = float(Random_Range(0, 1200));
      g_tg_emitter_events->m_Start_Effect(next_effect, {x, y, -5}, {x + 400, y + 150, -5}, 0, 0);
      running += Effect_List->m_Get_Effect(next_effect)->m_Emitter_Count();
      next_effect = next_effect % Effect_List->m_Count() + 1;
    }
    double t0 = Cpu_Seconds();
    g_tg_emitter_events->m_Update(dt);
    double t1 = Cpu_Seconds();
    g_tg_particle_list->m_Advance(dt);
    double t2 = Cpu_Seconds();
    device->BeginScene();
    g_tg_particle_list->m_Draw();
    device->EndScene();
    double t3 = Cpu_Seconds();
    update += t1 - t0;
    advance += t2 - t1;
    draw += t3 - t2;
    most = std::max(most, g_tg_particle_list->m_In_Use());
  }
  std::printf("%d frames: emitter events %.3f ms, particles %.3f ms, drawing %.3f ms per frame; "
              "at most %d particles, table of %d\n",
              frames, update * 1000 / frames, advance * 1000 / frames, draw * 1000 / frames, most,
              g_tg_particle_list->m_Capacity());
  G_Free_Particle_Systems();
  Effects_Free();
  G_Shutdown_GraphicsEngine();
  Render_Device_Set_Current(nullptr);
  Formula_List_Free();
  return 0;
}
