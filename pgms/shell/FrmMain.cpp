#include "FrmMain.h"

#include <cstdio>
#include <cstdlib>

#include "Debug_Log.h"
#include "Display.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_ParticleList.h"
#include "GraphicsEngine_View_Link.h"
#include "Image_Files.h"
#include "Input_Script.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "Combat.h"
#include "DC_Main.h"
#include "Game_Session.h"
#include "Multiplayer_Client.h"
#include "Multiplayer_Server.h"
#include "NetWndControl.h"
#include "RenderUnit.h"
#include "Shell_Links.h"
#include "Shell_Services.h"
#include "SoundEngine_Music_Base.h"
#include "SoundEngine_Sound_Main.h"
#include "SteppedTask.h"
#include "ThreadTimer.h"

TFrm_Main* Frm_Main = nullptr;

namespace {

// Most milliseconds a frame gives the network while data keeps arriving.
constexpr std::int32_t Network_Frame_Budget_ms = 5;

void Engine_Log(const std::string& text) {
  if (Debug_Sections[DEBUG_ENGINE_STARTUP]) Debug_Log_Write(text);
}

bool Parse_Number(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (!end || *end != '\0' || !(v >= 0) || v > 1e9) return false;
  out = v;
  return true;
}

// Messages and lists of the other modules go to the main screen once it
// exists; before that they are held (see Shell_Services.h) and shown when it
// is made.
class TMain_Window_Services : public TShell_Services {
public:
  explicit TMain_Window_Services(TFrm_Main& form) : f_form(form) {}
  bool m_Main_Screen_Exists() const override { return f_form.f_dc_main != nullptr; }
  void m_Show_Message(const std::string& caption, const std::string& text, int flags) override {
    if (f_form.f_dc_main) f_form.m_Show_Message(caption, text, std::uint8_t(flags));
    else TShell_Services::m_Show_Message(caption, text, flags);
  }
  void m_Show_List(const std::vector<std::string>& rows, const std::string& caption,
                   const std::string& text) override {
    if (f_form.f_dc_main) f_form.m_Show_List(rows, caption, text);
    else TShell_Services::m_Show_List(rows, caption, text);
  }
  double m_Latest_Frame_Time() const override { return f_form.m_Frames() ? f_form.m_Frame_Time() : -1.0; }

private:
  TFrm_Main& f_form;
};

}  // namespace

bool Shell_Parse_New_Game(const std::string& value, TShell_New_Game& out, std::string& error) {
  const std::size_t a = value.find(':');
  const std::size_t b = a == std::string::npos ? a : value.find(':', a + 1);
  if (b == std::string::npos || value.find(':', b + 1) != std::string::npos) {
    error = "-newgame needs <map type>:<players>:<seed>";
    return false;
  }
  TShell_New_Game game;
  game.map_type = value.substr(0, a);
  const std::string players = value.substr(a + 1, b - a - 1);
  const std::string seed = value.substr(b + 1);
  bool human = false;
  for (char c : players) {
    if (c != 'h' && c != 'c') {
      error = "-newgame: players are letters h (human) and c (computer)";
      return false;
    }
    game.computer.push_back(c == 'c');
    human = human || c == 'h';
  }
  if (players.empty() || players.size() > 8 || !human) {
    error = "-newgame: 1 to 8 players, at least one of them human";
    return false;
  }
  std::uint64_t n = 0;
  for (char c : seed) {
    if (c < '0' || c > '9' || n > 0xFFFFFFFFull) break;
    n = n * 10 + std::uint64_t(c - '0');
  }
  if (seed.empty() || seed.size() > 10 || seed.find_first_not_of("0123456789") != std::string::npos ||
      n > 0xFFFFFFFFull) {
    error = "-newgame: the seed is a whole number from 0 to 4294967295";
    return false;
  }
  game.seed = std::uint32_t(n);
  game.set = true;
  out = std::move(game);
  return true;
}

TShell_Options Shell_Options_Parse(int argc, const char* const* argv) {
  TShell_Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i] ? argv[i] : "";
    const auto value_of = [&](const char* name, double& out) {
      const std::string prefix = std::string(name) + ":";
      return a.rfind(prefix, 0) == 0 && Parse_Number(a.substr(prefix.size()), out);
    };
    double v = 0;
    if (a == "-windowed") o.windowed = true;
    else if (value_of("-width", v) && v >= 1 && v <= 16384 && v == double(std::int32_t(v))) o.width = std::int32_t(v);
    else if (value_of("-height", v) && v >= 1 && v <= 16384 && v == double(std::int32_t(v))) o.height = std::int32_t(v);
    else if (value_of("-constantframetime", v) && v > 0 && v <= 10) o.constant_frame_time = v;
    else if (value_of("-quitafterframe", v) && v >= 1 && v <= 4e9 && v == double(std::uint32_t(v)))
      o.quit_after_frame = std::uint32_t(v);
    else if (a.rfind("-loadgame:", 0) == 0 && a.size() > 10) o.load_game = a.substr(10);
    else if (a.rfind("-newgame:", 0) == 0) {
      std::string error;
      if (!Shell_Parse_New_Game(a.substr(9), o.new_game, error)) std::fprintf(stderr, "globarch: %s\n", error.c_str());
    }
  }
  if (const char* n = std::getenv("GLOBARCH_EXIT_AFTER_FRAMES"); n && *n && o.quit_after_frame == 0) {
    double v = 0;
    if (Parse_Number(n, v) && v >= 1 && v <= 4e9 && v == double(std::uint32_t(v))) o.quit_after_frame = std::uint32_t(v);
  }
  if (const char* s = std::getenv("GLOBARCH_SCREENSHOT"); s && *s) o.screenshot = s;
  if (const char* s = std::getenv("GLOBARCH_INPUT_SCRIPT"); s && *s) o.input_script = s;
  if (const char* s = std::getenv("GLOBARCH_SKIP_LAUNCHER"); s && std::string(s) == "1") o.skip_launcher = true;
  return o;
}

// --- creation -------------------------------------------------------------------

TFrm_Main::TFrm_Main(const TShell_Options& options, TRender_System* system)
    : f_options(options), f_system(system) {
  Frm_Main = this;
  Shell_Links().request_close = [] {
    if (Frm_Main) Frm_Main->m_Request_Close();
  };
  Shell_Links().free_multiplayer = [] {
    if (Frm_Main) Frm_Main->m_Free_Multiplayer();
  };
  Shell_Links().attach_multiplayer_events = [] {
    if (Frm_Main) Frm_Main->m_Attach_Multiplayer_Events();
  };
  G_Map = nullptr;
  if (Machine_Options && Machine_Options->f_display_settings_use_game_cursor) Platform_Show_Cursor(false);
  f_services = std::make_unique<TMain_Window_Services>(*this);
  Set_Shell_Services(f_services.get());
  TMusic_Events music;
  music.on_music_end = [this] { m_On_Music_End(0); };
  music.on_music_fade_end = [this] { m_On_Music_Fade_End(0); };
  Set_Music_Events(music);
}

TFrm_Main::~TFrm_Main() {
  FormClose();
  Set_Music_Events(TMusic_Events{});
  Set_Shell_Services(nullptr);
  Platform_Show_Cursor(true);
  if (Frm_Main == this) {
    Frm_Main = nullptr;
    Shell_Links().request_close = nullptr;
    Shell_Links().free_multiplayer = nullptr;
    Shell_Links().attach_multiplayer_events = nullptr;
  }
}

bool TFrm_Main::m_Windowed() const {
  return f_options.windowed || !Machine_Options || Machine_Options->f_windowed;
}

bool TFrm_Main::FormShow() {
  if (f_shown) return f_device != nullptr;
  f_shown = true;
  Engine_Log("TFrm_Main.FormShow - Start");
  CreateCustomDXUTobjects();
  TDevice_Params params;
  params.Windowed = m_Windowed();
  std::int32_t w = Machine_Options ? Machine_Options->f_resolution_width : 1024;
  std::int32_t h = Machine_Options ? Machine_Options->f_resolution_height : 768;
  if (f_options.width > 0) w = f_options.width;
  if (f_options.height > 0) h = f_options.height;
  params.Width = std::uint32_t(w >= 640 && w <= 16384 ? w : 1024);
  params.Height = std::uint32_t(h >= 480 && h <= 16384 ? h : 768);
  params.Adapter = Machine_Options ? Machine_Options->f_adapter_ordinal : 0;
  if (!f_system || params.Adapter >= f_system->Get_Adapter_Count()) params.Adapter = 0;
  params.Title = "Globarch";
  ModifyDeviceSettings(params);
  HRESULT r = f_system ? f_system->Create_Device(params, f_device) : DXUTERR_NODIRECT3D;
  if (FAILED(r)) {
    G_Check_Result(r, "TFrm_Main.FormShow - DXUTCreateDevice");
    Debug_Log_Write("TFrm_Main.FormShow - DXUTCreateDevice: " + Device_Error_String(r));
    f_device.reset();
    Engine_Log("TFrm_Main.FormShow - End");
    return false;
  }
  Render_System_Set_Current(f_system);
  Render_Device_Set_Current(f_device.get());
  OnCreateDevice(*f_device);
  TSurface_Desc desc;
  f_device->Get_BackBuffer_Desc(desc);
  OnResetDevice(*f_device, desc);
  if (!G_Map) G_Map = new TMap();
  Engine_Log("TFrm_Main.FormShow - End");
  return true;
}

// --- teardown -------------------------------------------------------------------

void TFrm_Main::FormClose() {
  if (f_shut_down) return;
  f_shut_down = true;
  Engine_Log("TFrm_Main.FormClose - Start");
  m_Free_Multiplayer();
  if (f_dc_main) {
    TMain_Screen_Base* root = f_dc_main;
    f_dc_main = nullptr;
    delete root;
  }
  delete G_Map;
  G_Map = nullptr;
  Engine_Shutdown();
  if (f_device) {
    OnLostDevice();
    OnDestroyDevice();
    Set_Particle_View_Link(nullptr);
    G_Shutdown_GraphicsEngine();
    Render_Device_Set_Current(nullptr);
    Render_System_Set_Current(nullptr);
    f_device.reset();
  }
  DestroyCustomDXUTobjects();
  Render_Forget_Camera();
  Engine_Log("TFrm_Main.FormClose - End");
}

// --- engine ---------------------------------------------------------------------

void TFrm_Main::Engine_Started() {
  Engine_Log("TFrm_Main.Engine_Started - Start");
  const auto step = [](const char* name) { Engine_Log(std::string("TFrm_Main.Engine_Started - ") + name); };
  if (!f_engine_started) {
    f_engine_started = true;
    step("Sound_Intialize_Sound_System");
    Sound_Intialize_Sound_System();
    step("Load_All_Sound_Effects");
    Load_All_Sound_Effects();
    step("Init_Global_Display");
    Init_Global_Display();
    Set_Particle_View_Link(&G_Engine_Particle_View_Link());
    if (!f_dc_main) {
      step("TDC_Main.create");
      f_dc_main = Create_Main_Screen();
      f_dc_main->m_Set_Position("Main Window", 0, 0, false);
      f_dc_main->m_Set_Visible(true);
      // What the start-up had to say, now that it can be shown.
      for (const THeld_Report& r : Take_Held_Reports()) {
        if (r.is_list) f_dc_main->m_Show_Screen_List(r.rows, r.caption, r.text);
        else f_dc_main->m_Show_Screen_Message(r.caption, r.text, TMessage_Kind::Plain);
      }
    }
    step("Load_Game_Data_Files");
    Game_Init_Load_Rule_Files();
    step("Activate_3D_Sound_Listener");
    Activate_3D_Sound_Listener(true);
  } else if (f_dc_main) {
    step("Reload_Global_Display");
    Reload_Global_Display();
    step("f_dc_main.Reload_All_Images");
    f_dc_main->Reload_All_Images();
    step("Map.Reload_All_Images");
    if (G_Map) G_Map->m_Load_Textures();
    step("Particle_List.Reload_All_Images");
    if (g_tg_particle_list) g_tg_particle_list->m_Load_Textures();
    step("Combat_Reload_All_Images");
    Combat_Reload_Background();
    step("Reload_Overview_Map_Textures");
    Reload_Overview_Map_Textures();
    step("f_dc_main.Map_Ownership_Changed");
    f_dc_main->Map_Ownership_Changed();
  }
  Engine_Log("TFrm_Main.Engine_Started - End");
}

void TFrm_Main::Engine_Shutdown() {
  Engine_Log("TFrm_Main.Engine_Shutdown - Start");
  if (f_engine_started) {
    Clear_Global_Display();
    Sound_Free_Sound_System();
    Game_Init_Free_Rule_Files();
    f_engine_started = false;
  }
  Engine_Log("TFrm_Main.Engine_Shutdown - End");
}

// --- input ----------------------------------------------------------------------

void TFrm_Main::OnKeyDown(std::uint16_t key, std::uint8_t shift) {
  if (f_dc_main) f_dc_main->m_Key_Down(key, shift);
}

void TFrm_Main::m_Handle_Input_Message(const TInput_Event& e) {
  switch (e.kind) {
    case TInput_Kind::Key_Down:
      OnKeyDown(e.key, e.shift);
      return;
    case TInput_Kind::Mouse_Down:
      if (f_dc_main) f_dc_main->m_Mouse_Down(TMouse_Button(e.button), e.shift, e.x, e.y);
      return;
    case TInput_Kind::Mouse_Up:
      if (f_dc_main) f_dc_main->MouseUp(TMouse_Button(e.button), e.shift, e.x, e.y, false);
      // A second release of any button on the same spot within the
      // double-click time makes a double click; the third starts a new pair.
      // Two quick clicks in different places are two clicks: the one that
      // opens a drop-down and the one that picks from it must not reach the
      // control under the list as a double click.
      if (f_last_button_up_time > 0 && f_frame_time - f_last_button_up_time <= f_double_click_time &&
          std::abs(e.x - f_last_button_up_x) <= Double_Click_Distance &&
          std::abs(e.y - f_last_button_up_y) <= Double_Click_Distance) {
        if (f_dc_main) f_dc_main->m_Double_Click(e.x, e.y);
        f_last_button_up_time = 0;
      } else {
        f_last_button_up_time = f_frame_time;
        f_last_button_up_x = e.x;
        f_last_button_up_y = e.y;
      }
      return;
    case TInput_Kind::Wheel:
      // Whole notches of 120, truncated toward zero.
      if (f_dc_main) f_dc_main->m_Mouse_Wheel(e.shift, std::int16_t(e.wheel_delta / 120), e.x, e.y);
      return;
    case TInput_Kind::Close:
      f_close_requested = true;
      return;
    case TInput_Kind::Minimized:
      f_minimized = true;
      return;
    case TInput_Kind::Restored:
      f_minimized = false;
      return;
    default:
      return;
  }
}

// --- frames ---------------------------------------------------------------------

void TFrm_Main::m_Frame_Move(double elapsed, double time) {
  if (f_minimized) return;
  f_frame_time = time;
  std::int32_t x = 0, y = 0;
  Platform_Mouse_Position(x, y);
  Set_Mouse_Position(x, y);
  {
    const TVector& eye = Game_Settings.f_camera_eye;
    const TSound_Vector front{-G_Camera_Back.x, -G_Camera_Back.y, -G_Camera_Back.z};
    const TSound_Vector top{G_Camera_Up.x, G_Camera_Up.y, G_Camera_Up.z};
    Set_3D_Sound_Listener(front, top, TSound_Vector{eye.x, eye.y, eye.z}, TSound_Vector{0, 0, 0});
  }
  if (f_dc_main) f_dc_main->TimerFired(float(elapsed));
  if (Stepped_Task_Running) Stepped_Task_Step(float(elapsed));
  const TShell_Links& links = Shell_Links();
  if (links.action_queue_process && (!links.action_queue_exists || links.action_queue_exists()))
    links.action_queue_process(float(elapsed));
  if (links.help_text_update_timer) links.help_text_update_timer(float(elapsed));
}

void TFrm_Main::m_Frame_Render(double elapsed) {
  if (!f_dc_main) return;
  f_dc_main->m_Render(elapsed);
  if (Shell_Links().help_text_draw) Shell_Links().help_text_draw();
  if (!G_Progress_Dialog_Shown && Machine_Options && Machine_Options->f_display_settings_use_game_cursor)
    Display_Draw_Fixed_Icon(G_Mouse_X, G_Mouse_Y);
}

bool TFrm_Main::m_Write_Screenshot(const std::string& native_path) {
  if (!f_device) return false;
  std::uint32_t w = 0, h = 0;
  TImage image;
  if (f_device->Read_Surface(f_device->Get_BackBuffer_Surface(), w, h, image.pixels) != S_OK) return false;
  image.width = std::int32_t(w);
  image.height = std::int32_t(h);
  std::string bytes = BMP_Encode_24(image);
  std::FILE* f = std::fopen(native_path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

void TFrm_Main::m_Play_Script(std::uint32_t frame) {
  if (!f_script) return;
  for (const TScript_Step& s : f_script->m_Take_Due(frame)) {
    if (Input_Script_Inject(s)) continue;
    if (s.verb == "quit") {
      Platform_Inject_Close();
    } else if (s.verb == "screenshot") {
      f_pending_screenshots.push_back(s.rest);
    } else if (s.verb == "centre" || s.verb == "moveregion" || s.verb == "clickregion" || s.verb == "clickunit") {
      m_Play_Game_Step(s);
    } else if (s.verb == "message") {
      const std::size_t bar = s.rest.find('|');
      Shell_Services().m_Show_Message(s.rest.substr(0, bar), bar == std::string::npos ? "" : s.rest.substr(bar + 1),
                                      0);
    }
  }
}

void TFrm_Main::m_Play_Game_Step(const TScript_Step& s) {
  TDC_Main* screen = G_DC_Main;
  const std::int32_t subject = std::int32_t(std::strtol(s.words.front().c_str(), nullptr, 10));
  std::int32_t x = 0, y = 0;
  bool found = false;
  if (!screen) {
  } else if (s.verb == "centre") {
    found = screen->m_Centre_On_Region(subject);
  } else if (s.verb == "clickunit") {
    found = screen->m_Unit_Screen_Point(subject, x, y);
  } else {
    found = screen->m_Region_Screen_Point(subject, x, y);
  }
  if (!found) {
    std::fprintf(stderr, "globarch: script line %d: %s %d is not on the screen\n", s.line, s.verb.c_str(), subject);
    return;
  }
  if (s.verb == "centre") return;
  TScript_Step input = s;
  input.verb = s.verb == "moveregion" ? "move" : "click";
  input.words = {std::to_string(x), std::to_string(y)};
  if (s.words.size() > 1) input.words.push_back(s.words[1]);
  Input_Script_Inject(input);
}

void TFrm_Main::m_Idle() {
  if (f_minimized || !f_device) {
    // Nothing to draw: wait for the next event.
    Platform_Sleep_Ms(20);
    return;
  }
  double time = 0, elapsed = 0;
  if (f_options.constant_frame_time > 0) {
    elapsed = f_options.constant_frame_time;
    time = double(f_frames + 1) * elapsed;
  } else {
    time = f_clock ? f_clock() : Platform_Seconds();
    elapsed = f_last_clock < 0 ? 0.0 : time - f_last_clock;
    if (elapsed < 0) elapsed = 0;
    f_last_clock = time;
  }
  if (f_device->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) {
    OnLostDevice();
    TDevice_Params params;
    params.Windowed = m_Windowed();
    ModifyDeviceSettings(params);
    TSurface_Desc desc;
    f_device->Get_BackBuffer_Desc(desc);
    params.Width = desc.Width;
    params.Height = desc.Height;
    if (SUCCEEDED(f_device->Reset(params)) && SUCCEEDED(f_device->Get_BackBuffer_Desc(desc)))
      OnResetDevice(*f_device, desc);
  }
  OnFrameMove(time, float(elapsed));
  OnFrameRender(*f_device, time, float(elapsed));
  ++f_frames;
  const bool last = f_options.quit_after_frame != 0 && f_frames >= f_options.quit_after_frame;
  if (last && !f_options.screenshot.empty()) f_pending_screenshots.push_back(f_options.screenshot);
  // The back buffer is read before it is shown (afterwards it is undefined).
  for (const std::string& path : f_pending_screenshots) {
    if (!m_Write_Screenshot(path)) {
      std::fprintf(stderr, "globarch: the screenshot %s could not be written\n", path.c_str());
      f_screenshot_failed = true;
    }
  }
  f_pending_screenshots.clear();
  f_device->Present();
  if (last) f_close_requested = true;
}

int TFrm_Main::m_Run() {
  if (!f_options.input_script.empty() && !f_script && !f_script_given) {
    f_script = std::make_unique<TInput_Script>();
    std::string error;
    if (!f_script->m_Load_File(f_options.input_script, error)) {
      std::fprintf(stderr, "globarch: %s\n", error.c_str());
      Debug_Log_Write("TFrm_Main - " + error);
      f_script.reset();
    }
  }
  if (f_script) f_script->m_Next_Window();
  // A scripted run is moved by its script alone: on a shared (virtual)
  // display the system's pointer also reports other programs' windows
  // coming and going, and would put the pointer where the script did not.
  Platform_Set_Pointer_From_Script_Only(f_script != nullptr);
  if (!FormShow()) {
    FormClose();
    Platform_Set_Pointer_From_Script_Only(false);
    return 1;
  }
  if (f_options.new_game.set) m_Start_New_Game(f_options.new_game);
  else if (!f_options.load_game.empty() && G_DC_Main) G_DC_Main->m_Load_Game(f_options.load_game);
  while (!f_close_requested) {
    m_Play_Script(f_frames + 1);
    TInput_Event e;
    while (Platform_Poll_Event(e)) m_Handle_Input_Message(e);
    if (f_close_requested) break;
    Net_Process_Messages_Until_Idle(Network_Frame_Budget_ms);
    Thread_Timer_Synchronize();
    m_Idle();
  }
  FormClose();
  Platform_Set_Pointer_From_Script_Only(false);
  return f_screenshot_failed ? 1 : 0;
}

void TFrm_Main::m_Set_Script(std::unique_ptr<TInput_Script> script) {
  f_script = std::move(script);
  f_script_given = true;
}

// --- entry points -------------------------------------------------------------------

bool TFrm_Main::m_Start_New_Game(const TShell_New_Game& game) {
  if (!G_DC_Main) return false;
  TGame_Session_Setup setup;
  setup.seed = game.seed;
  setup.map_type = game.map_type;
  setup.computer = game.computer;
  std::int32_t humans = 0;
  for (bool c : game.computer) humans += c ? 0 : 1;
  // Two or more humans share this machine: a hot-seat game; else single player.
  setup.game_kind = humans > 1 ? TGame_Kind::Hot_Seat : TGame_Kind::Single_Player;
  return G_DC_Main->m_Start_New_Game(setup);
}

void TFrm_Main::m_Show_Message(const std::string& caption, const std::string& text, std::uint8_t) {
  if (f_dc_main) f_dc_main->m_Show_Screen_Message(caption, text, TMessage_Kind::Plain);
  else Platform_Message_Box(caption, text);
}

void TFrm_Main::m_Show_List(const std::vector<std::string>& rows, const std::string& caption,
                            const std::string& text) {
  if (f_dc_main) f_dc_main->m_Show_Screen_List(rows, caption, text);
}

void TFrm_Main::m_Start_Server() {
  f_server = std::make_unique<TMultiplayer_Server>();
  m_Attach_Multiplayer_Events();
  if (Shell_Links().action_queue_create) Shell_Links().action_queue_create();
}

void TFrm_Main::m_Start_Client() {
  f_client = std::make_unique<TMultiplayer_Client>();
  m_Attach_Multiplayer_Events();
  if (Shell_Links().action_queue_create) Shell_Links().action_queue_create();
}

void TFrm_Main::m_Free_Multiplayer() {
  f_server.reset();
  f_client.reset();
  if (Shell_Links().action_queue_free) Shell_Links().action_queue_free();
}

void TFrm_Main::m_Attach_Multiplayer_Events() {
  const auto handler = [this](MP_Event_Code code, std::int32_t client, const std::string& text) {
    m_On_Multiplayer_Event(std::int32_t(code), client, text);
  };
  if (f_server) f_server->f_event_handler = handler;
  if (f_client) f_client->f_event_handler = handler;
}

void TFrm_Main::m_On_Multiplayer_Event(std::int32_t code, std::int32_t client_id, const std::string& text) {
  if (Shell_Links().multiplayer_event) Shell_Links().multiplayer_event(code, client_id, text);
}

void TFrm_Main::m_On_Music_End(std::int32_t) { Sound_Music_Next_Track(); }
void TFrm_Main::m_On_Music_Fade_End(std::int32_t) { Sound_Music_Start_Pending(); }
