#include "Game_Run.h"

#include <cstdio>
#include <memory>

#include "DC_Main.h"
#include "Debug_Log.h"
#include "DlgStartup.h"
#include "FrmMain.h"
#include "GameInit.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "Input_Script.h"
#include "Render_Device.h"
#include "Render_Device_OpenGL.h"
#include "RenderUnit.h"
#include "Shell_Network_Links.h"

int Game_Init_Run(int argc, char** argv) {
  const TShell_Options options = Shell_Options_Parse(argc, argv);
  Global_Init();
  Game_Init_Create_Globals();
  Game_Init_Write_Banner();
  Game_Init_Load_Map_Data();
  std::printf("%s\n", Game_Init_Report().c_str());
  std::fflush(stdout);

  // The drawing system and the display modes of at least 1024 x 768.
  std::unique_ptr<TRender_System> system = Create_Render_System(TRender_System_Kind::OpenGL);
  if (!system) {
    std::fprintf(stderr, "globarch: no window can be opened (%s)\n", OpenGL_Last_Error().c_str());
    Debug_Log_Write("Game_Init_Run - no render system: " + OpenGL_Last_Error());
  }
  G_Enumerate_Display_Modes(system.get(), IsDeviceAcceptable, 1024, 768);

  // The timed test input runs through the launcher and then the game window.
  auto script = std::make_unique<TInput_Script>();
  if (!options.input_script.empty()) {
    std::string error;
    if (!script->m_Load_File(options.input_script, error)) {
      std::fprintf(stderr, "globarch: %s\n", error.c_str());
      Debug_Log_Write("Game_Init_Run - " + error);
      script = std::make_unique<TInput_Script>();
    }
  }
  TLauncher_Frames frames;
  frames.script = script.get();
  TLauncher_Button result = options.skip_launcher || options.new_game.set || !options.load_game.empty()
                                ? TLauncher_Button::Play
                                : TLauncher_Button::None;
  while (result != TLauncher_Button::Play && result != TLauncher_Button::Quit)
    result = Game_Init_Show_Launcher(options, frames);

  int code = 0;
  if (result == TLauncher_Button::Play) {
    if (!system) {
      code = 1;
    } else {
      Main_Screen_Install();
      Shell_Network_Links_Install();
      TFrm_Main form(options, system.get());
      form.m_Set_Script(std::move(script));
      code = form.m_Run();
    }
  }
  system.reset();
  Game_Init_Free_Globals();
  return code;
}
