// The main window of the running game: one game window with its drawing
// device, the root control (the main screen) that input is routed to, the
// frame loop, the start and stop of the engine (sound, shared textures,
// main screen, rule data), the entry points through which the other
// modules show messages and lists, and the network objects.
//
// Life of the window: construction (FormCreate), FormShow (device, engine
// start through the device reset, world map), then m_Run (each pass: the
// pending input, the network sockets, the music timer's ticks, one frame of
// move, render and present), then FormClose and the destructor.
//
// Teardown order, once, whatever ended the run (FormClose; the destructor
// only repeats what FormClose has not done):
//   1. the network host, client and action queue;
//   2. the root control, with the dialogs it still holds;
//   3. the world map;
//   4. the engine: shared textures, sound system, rule data;
//   5. the graphics engine and the drawing device.
// Everything that draws or plays is freed before what it draws or plays
// with, and every pointer is cleared when its object goes.
//
// The frame move passes the elapsed seconds on in this order: mouse
// position, 3D sound listener, the root control's timer pass, the running
// stepped job, the network action queue, the help pop-up's countdown. The
// frame render draws the root control, the help pop-up and the game's own
// pointer (unless a progress dialog is up). Every call on the root checks
// that it exists (the device may have failed).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Platform_Input.h"
#include "Render_Device.h"

class TMain_Screen_Base;
class TMultiplayer_Server;
class TMultiplayer_Client;
class TShell_Services;
class TInput_Script;
struct TScript_Step;

// A game started straight from the command line (-newgame), without the
// launcher or the setup dialog.
struct TShell_New_Game {
  bool set = false;
  std::string map_type;        // a map type name; empty: the first
  std::vector<bool> computer;  // one entry per player: true for a computer player
  std::uint32_t seed = 1;
};
// Reads "-newgame:<map type>:<players>:<seed>": players is one letter per
// player, "h" human or "c" computer (1 to 8 players, at least one human);
// the seed a whole number below 2^32. False (and `error` says why) for a
// malformed value.
bool Shell_Parse_New_Game(const std::string& value, TShell_New_Game& out, std::string& error);

// Switches of the command line and settings of the environment for
// windowed play and tests.
struct TShell_Options {
  bool windowed = false;          // -windowed: a window whatever the options say
  std::int32_t width = 0;         // -width:N (0: the machine options')
  std::int32_t height = 0;        // -height:N
  double constant_frame_time = 0; // -constantframetime:S: every frame lasts S seconds
  std::uint32_t quit_after_frame = 0;  // -quitafterframe:N (also GLOBARCH_EXIT_AFTER_FRAMES)
  std::string screenshot;         // GLOBARCH_SCREENSHOT: the last frame as a bitmap
  std::string input_script;       // GLOBARCH_INPUT_SCRIPT
  bool skip_launcher = false;     // GLOBARCH_SKIP_LAUNCHER=1
  TShell_New_Game new_game;       // -newgame:<map type>:<players>:<seed>
  std::string load_game;          // -loadgame:<save name>: that save is loaded at once
};

// Reads the switches (unknown ones are left to nobody and ignored) and the
// environment. A malformed number leaves its switch unset.
TShell_Options Shell_Options_Parse(int argc, const char* const* argv);

class TFrm_Main {
public:
  // FormCreate. The render system stays the caller's.
  TFrm_Main(const TShell_Options& options, TRender_System* system);
  // FormDestroy.
  ~TFrm_Main();
  TFrm_Main(const TFrm_Main&) = delete;
  TFrm_Main& operator=(const TFrm_Main&) = delete;

  // Creates the device (its reset starts the engine) and the world map,
  // once; false when no device could be made.
  bool FormShow();
  // The teardown (see above); runs once.
  void FormClose();
  // Runs frames until the window is closed or the last frame asked for;
  // returns the exit code (1 when a screenshot could not be written).
  int m_Run();
  // One framework frame: time, move, render, present; nothing while
  // minimised.
  void m_Idle();

  // Input routing: an event of the window, in client pixels.
  void m_Handle_Input_Message(const TInput_Event& event);
  void OnKeyDown(std::uint16_t key, std::uint8_t shift);

  void m_Frame_Move(double elapsed, double time);
  void m_Frame_Render(double elapsed);
  void Engine_Started();
  void Engine_Shutdown();

  void m_Show_Message(const std::string& caption, const std::string& text, std::uint8_t flags);
  void m_Show_List(const std::vector<std::string>& rows, const std::string& caption, const std::string& text);
  void m_Start_Server();
  void m_Start_Client();
  void m_Free_Multiplayer();
  void m_Attach_Multiplayer_Events();
  void m_On_Multiplayer_Event(std::int32_t code, std::int32_t client_id, const std::string& text);
  void m_On_Music_End(std::int32_t channel);
  void m_On_Music_Fade_End(std::int32_t channel);

  TMain_Screen_Base* f_dc_main = nullptr;
  TMultiplayer_Server* m_Server() const { return f_server.get(); }
  TMultiplayer_Client* m_Client() const { return f_client.get(); }
  bool m_Engine_Started() const { return f_engine_started; }
  bool m_Closed() const { return f_close_requested; }
  double m_Frame_Time() const { return f_frame_time; }
  std::uint32_t m_Frames() const { return f_frames; }
  TRender_Device* m_Device() const { return f_device.get(); }
  const TShell_Options& m_Options() const { return f_options; }
  // The system's double-click time in seconds, and how far (pixels, either
  // way) the second release may lie from the first.
  double f_double_click_time = 0.5;
  static constexpr std::int32_t Double_Click_Distance = 4;
  // The clock of the frames (seconds); by default the platform's, or the
  // constant frame time's.
  double (*f_clock)() = nullptr;
  // The timed input of a test run (else read from the options' file).
  void m_Set_Script(std::unique_ptr<TInput_Script> script);
  // Starts the game of the -newgame switch on the main screen; false when
  // it could not be made (the reason is shown).
  bool m_Start_New_Game(const TShell_New_Game& game);
  // Asks the run to end after the current frame.
  void m_Request_Close() { f_close_requested = true; }

private:
  bool m_Windowed() const;
  void m_Play_Script(std::uint32_t frame);
  // A script step that names a place of the game (a region, a unit).
  void m_Play_Game_Step(const TScript_Step& step);
  bool m_Write_Screenshot(const std::string& native_path);

  TShell_Options f_options;
  TRender_System* f_system;
  std::unique_ptr<TRender_Device> f_device;
  std::unique_ptr<TMultiplayer_Server> f_server;
  std::unique_ptr<TMultiplayer_Client> f_client;
  std::unique_ptr<TShell_Services> f_services;
  std::unique_ptr<TInput_Script> f_script;
  double f_frame_time = 0;
  double f_last_button_up_time = 0;
  std::int32_t f_last_button_up_x = 0, f_last_button_up_y = 0;
  double f_last_clock = -1;
  std::uint32_t f_frames = 0;
  bool f_engine_started = false;
  bool f_shut_down = false;
  bool f_shown = false;
  bool f_minimized = false;
  bool f_close_requested = false;
  bool f_screenshot_failed = false;
  bool f_script_given = false;
  std::vector<std::string> f_pending_screenshots;
};

// The one main window; none outside its life.
extern TFrm_Main* Frm_Main;
