// The main window on the headless drawing device: engine start, the frame
// order, input routing, the device's reset state and the teardown.
#include "FrmMain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Datafile_Units.h"
#include "Debug_Log.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "MapClass.h"
#include "Multiplayer_Server.h"
#include "RenderUnit.h"
#include "Shell_Fixture.h"
#include "Shell_Links.h"
#include "Shell_Services.h"
#include "SteppedTask.h"

namespace {

std::vector<std::string> journal;

// A main screen that notes what reaches it.
class TRecording_Screen : public TMain_Screen_Base {
public:
  void m_On_Timer(float elapsed) override { journal.push_back("timer " + Fmt(elapsed)); }
  void m_Draw(double) override { journal.push_back("draw"); }
  void m_On_Mouse_Down(TMouse_Button b, TShift_State s, std::int32_t x, std::int32_t y) override {
    journal.push_back("down " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(x) + "," +
                      std::to_string(y));
  }
  void m_On_Mouse_Up(TMouse_Button b, TShift_State s, std::int32_t x, std::int32_t y, bool) override {
    journal.push_back("up " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(x) + "," +
                      std::to_string(y));
  }
  void m_On_Double_Click(std::int32_t x, std::int32_t y) override {
    journal.push_back("double " + std::to_string(x) + "," + std::to_string(y));
  }
  bool m_On_Mouse_Wheel(TShift_State s, std::int16_t notches, std::int32_t, std::int32_t) override {
    journal.push_back("wheel " + std::to_string(notches) + " " + std::to_string(s));
    return true;
  }
  bool m_On_Key_Down(std::uint16_t& key, TShift_State s) override {
    journal.push_back("key " + std::to_string(key) + " " + std::to_string(s));
    return true;
  }
  static std::string Fmt(double v) {
    char t[32];
    std::snprintf(t, sizeof t, "%.2f", v);
    return t;
  }
};

TMain_Screen_Base* Make_Recording_Screen() { return new TRecording_Screen(); }

double fake_now = 0;
double Fake_Clock() { return fake_now; }

bool Record_Step(void*, bool first, bool last, std::int32_t step, TDisplay_Class*, float, std::int32_t,
                 std::int32_t&) {
  journal.push_back(std::string(first ? "job open" : last ? "job close" : "job step ") +
                    (first || last ? "" : std::to_string(step)));
  return true;
}

class Frm_Main_Test : public Shell_Fixture {
protected:
  void SetUp() override {
    Shell_Fixture::SetUp();
    Global_Init();
    Game_Init_Create_Globals();
    journal.clear();
    Set_Main_Screen_Factory(Make_Recording_Screen);
    f_system = Create_Render_System(TRender_System_Kind::Headless);
    TShell_Options options;
    options.windowed = true;
    options.width = 1024;
    options.height = 768;
    f_form = std::make_unique<TFrm_Main>(options, f_system.get());
  }
  void TearDown() override {
    f_form.reset();
    f_system.reset();
    Set_Main_Screen_Factory(nullptr);
    Shell_Links() = TShell_Links{};
    Stepped_Task_End();
    Shell_Fixture::TearDown();
  }
  void Input(TInput_Kind kind, std::int32_t x = 0, std::int32_t y = 0, std::uint8_t button = 0,
             std::uint8_t shift = 0, std::int32_t wheel = 0, std::uint16_t key = 0) {
    TInput_Event e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.button = button;
    e.shift = shift;
    e.wheel_delta = wheel;
    e.key = key;
    f_form->m_Handle_Input_Message(e);
  }

  std::unique_ptr<TRender_System> f_system;
  std::unique_ptr<TFrm_Main> f_form;
};

}  // namespace

TEST_F(Frm_Main_Test, ShowingStartsTheEngineWithTheMainScreenAndTheRuleData) {
  ASSERT_TRUE(f_form->FormShow());
  EXPECT_TRUE(f_form->m_Engine_Started());
  ASSERT_NE(f_form->f_dc_main, nullptr);
  EXPECT_EQ(f_form->f_dc_main->m_Name(), "Main Window");
  EXPECT_EQ(f_form->f_dc_main->m_Width(), 1024);
  EXPECT_EQ(f_form->f_dc_main->m_Height(), 768);
  EXPECT_TRUE(f_form->f_dc_main->m_Visible());
  EXPECT_NE(G_Map, nullptr);
  ASSERT_NE(Unit_Type_List, nullptr);
  EXPECT_GT(Unit_Type_List->m_Count(), 0);
  // A second showing makes nothing new.
  TMain_Screen_Base* root = f_form->f_dc_main;
  TRender_Device* device = f_form->m_Device();
  EXPECT_TRUE(f_form->FormShow());
  EXPECT_EQ(f_form->f_dc_main, root);
  EXPECT_EQ(f_form->m_Device(), device);
}

TEST_F(Frm_Main_Test, TheResetSetsProjectionDefaultCameraLightAndStates) {
  ASSERT_TRUE(f_form->FormShow());
  TRender_Device& d = *f_form->m_Device();
  TMatrix p;
  ASSERT_EQ(d.GetTransform(D3DTS_PROJECTION, p), S_OK);
  const float y_scale = 1.0f / std::tan(0.7853982f / 2);
  EXPECT_NEAR(p.m[0][0], y_scale / (1024.0f / 768.0f), 1e-4);
  EXPECT_NEAR(p.m[1][1], y_scale, 1e-4);
  EXPECT_NEAR(p.m[2][2], 20000.0f / 19999.0f, 1e-5);
  EXPECT_NEAR(p.m[3][2], -20000.0f / 19999.0f, 1e-5);
  EXPECT_EQ(p.m[2][3], 1.0f);
  EXPECT_EQ(p.m[3][3], 0.0f);
  EXPECT_EQ(Game_Settings.f_camera_eye.x, 3072.0f);
  EXPECT_EQ(Game_Settings.f_camera_eye.y, 1536.0f);
  EXPECT_EQ(Game_Settings.f_camera_eye.z, -4250.0f);
  EXPECT_EQ(Game_Settings.f_camera_look_at.z, 0.0f);
  struct {
    std::uint32_t state, value;
  } states[] = {{D3DRS_AMBIENT, 0x00646464u}, {D3DRS_LIGHTING, 1}, {D3DRS_CULLMODE, D3DCULL_NONE},
                {D3DRS_SHADEMODE, D3DSHADE_PHONG}};
  for (const auto& s : states) {
    std::uint32_t v = 0;
    ASSERT_EQ(d.GetRenderState(s.state, v), S_OK);
    EXPECT_EQ(v, s.value) << s.state;
  }
  std::uint32_t v = 0;
  d.GetTextureStageState(0, D3DTSS_ALPHAOP, v);
  EXPECT_EQ(v, D3DTOP_MODULATE);
  d.GetTextureStageState(0, D3DTSS_COLORARG2, v);
  EXPECT_EQ(v, D3DTA_DIFFUSE);
  d.GetTextureStageState(1, D3DTSS_COLOROP, v);
  EXPECT_EQ(v, D3DTOP_DISABLE);
  d.GetSamplerState(0, D3DSAMP_MINFILTER, v);
  EXPECT_EQ(v, D3DTEXF_LINEAR);
  d.GetSamplerState(0, D3DSAMP_ADDRESSV, v);
  EXPECT_EQ(v, D3DTADDRESS_CLAMP);
  TLight light;
  ASSERT_EQ(d.GetLight(0, light), S_OK);
  EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(light.Direction.x, -1.0f);
  bool on = false;
  d.GetLightEnable(0, on);
  EXPECT_TRUE(on);

  // After a loss and reset in a running game the camera is the game's.
  const TVector eye{100, 200, -300}, at{100, 200, 0}, up{0, 1, 0};
  G_Set_Camera(eye, at, up);
  OnLostDevice();
  G_Set_Camera(RENDER_DEFAULT_EYE, RENDER_DEFAULT_LOOK_AT, RENDER_DEFAULT_UP);
  TSurface_Desc desc;
  d.Get_BackBuffer_Desc(desc);
  OnResetDevice(d, desc);
  EXPECT_EQ(Game_Settings.f_camera_eye.x, 100.0f);
  EXPECT_EQ(Game_Settings.f_camera_eye.z, -300.0f);
}

TEST_F(Frm_Main_Test, FramesMoveThenRenderInTheirOrder) {
  int queue_calls = 0;
  static int* queue_counter = nullptr;
  queue_counter = &queue_calls;
  Shell_Links().action_queue_process = [](float e) {
    ++*queue_counter;
    journal.push_back("queue " + TRecording_Screen::Fmt(e));
  };
  Shell_Links().help_text_update_timer = [](float e) { journal.push_back("help timer " + TRecording_Screen::Fmt(e)); };
  Shell_Links().help_text_draw = [] { journal.push_back("help draw"); };
  f_form->f_clock = Fake_Clock;
  ASSERT_TRUE(f_form->FormShow());
  Stepped_Task_Begin(nullptr, 1, 2, 0, Record_Step, nullptr);
  journal.clear();
  fake_now = 10.0;
  f_form->m_Idle();
  fake_now = 10.25;
  f_form->m_Idle();
  EXPECT_EQ(journal, (std::vector<std::string>{"timer 0.00", "job step 1", "queue 0.00", "help timer 0.00", "draw",
                                               "help draw", "timer 0.25", "job step 2", "job close", "queue 0.25",
                                               "help timer 0.25", "draw", "help draw"}));
  EXPECT_EQ(f_form->m_Frame_Time(), 10.25);
  EXPECT_EQ(f_form->m_Frames(), 2u);
  EXPECT_EQ(queue_calls, 2);
}

TEST_F(Frm_Main_Test, ButtonReleasesMakeDoubleClicksAcrossButtons) {
  ASSERT_TRUE(f_form->FormShow());
  // (frame time, button) of each release; any button counts, a third starts a new pair.
  struct {
    double time;
    std::uint8_t button;
    bool doubled;
  } rows[] = {{1.0, 0, false}, {1.3, 1, true}, {1.4, 0, false}, {2.0, 0, false}, {2.5, 2, true}, {3.2, 0, false}};
  for (const auto& r : rows) {
    f_form->m_Frame_Move(0, r.time);
    journal.clear();
    Input(TInput_Kind::Mouse_Up, 40, 50, r.button);
    std::vector<std::string> expected{"up " + std::to_string(r.button) + " 0 40,50"};
    if (r.doubled) expected.push_back("double 40,50");
    EXPECT_EQ(journal, expected) << r.time;
  }
}

TEST_F(Frm_Main_Test, OnlyTwoReleasesOnTheSameSpotMakeADoubleClick) {
  ASSERT_TRUE(f_form->FormShow());
  // (frame time, place) of each release: the second of a pair must lie
  // within 4 pixels of the first (a drop-down opened and then picked from
  // at once are two clicks); a release elsewhere starts a new pair there.
  struct {
    double time;
    std::int32_t x, y;
    bool doubled;
  } rows[] = {{1.0, 40, 50, false},  {1.2, 40, 80, false},  {1.3, 44, 76, true},   {2.0, 100, 100, false},
              {2.1, 105, 100, false}, {2.2, 105, 104, true}, {3.0, 10, 10, false},  {3.1, 10, 15, false},
              {3.2, 10, 15, true}};
  for (const auto& r : rows) {
    f_form->m_Frame_Move(0, r.time);
    journal.clear();
    Input(TInput_Kind::Mouse_Up, r.x, r.y, 0);
    const std::string at = std::to_string(r.x) + "," + std::to_string(r.y);
    std::vector<std::string> expected{"up 0 0 " + at};
    if (r.doubled) expected.push_back("double " + at);
    EXPECT_EQ(journal, expected) << r.time;
  }
}

TEST_F(Frm_Main_Test, WheelDeltasBecomeWholeNotchesAndKeysKeepTheirShift) {
  ASSERT_TRUE(f_form->FormShow());
  struct {
    std::int32_t delta;
    const char* seen;
  } rows[] = {{120, "wheel 1 0"}, {-240, "wheel -2 0"}, {119, "wheel 0 0"}, {-119, "wheel 0 0"}, {360, "wheel 3 0"}};
  for (const auto& r : rows) {
    journal.clear();
    Input(TInput_Kind::Wheel, 5, 5, 0, 0, r.delta);
    EXPECT_EQ(journal, std::vector<std::string>{r.seen}) << r.delta;
  }
  journal.clear();
  Input(TInput_Kind::Key_Down, 0, 0, 0, 5, 0, 'A');
  Input(TInput_Kind::Mouse_Down, 7, 8, 1, 1);
  // Alt and F10 are keys like any other: they neither close nor stop the game.
  Input(TInput_Kind::Key_Down, 0, 0, 0, 2, 0, 18);
  Input(TInput_Kind::Key_Down, 0, 0, 0, 0, 0, 121);
  Input(TInput_Kind::Key_Down, 0, 0, 0, 0, 0, 121);
  EXPECT_EQ(journal, (std::vector<std::string>{"key 65 5", "down 1 1 7,8", "key 18 2", "key 121 0", "key 121 0"}));
  EXPECT_FALSE(f_form->m_Closed());
  Input(TInput_Kind::Close);
  EXPECT_TRUE(f_form->m_Closed());
}

TEST_F(Frm_Main_Test, WithoutADeviceTheFrameAndInputCallsDoNothing) {
  TShell_Options options;
  options.windowed = true;
  f_form.reset();
  f_form = std::make_unique<TFrm_Main>(options, nullptr);
  EXPECT_FALSE(f_form->FormShow());
  EXPECT_EQ(f_form->f_dc_main, nullptr);
  f_form->m_Frame_Move(0.1, 1.0);
  f_form->m_Frame_Render(0.1);
  f_form->m_Idle();
  Input(TInput_Kind::Mouse_Up, 1, 1);
  Input(TInput_Kind::Key_Down, 0, 0, 0, 0, 0, 27);
  f_form->m_Show_List({"a"}, "List", "text");
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(f_form->m_Run(), 1);
}

TEST_F(Frm_Main_Test, HeldReportsAreShownOnTheMainScreenAndLaterOnesGoThere) {
  Shell_Services().m_Show_Message("Data File Error", "held before the window", 0);
  ASSERT_TRUE(f_form->FormShow());
  ASSERT_NE(f_form->f_dc_main->m_Message_Dialog(), nullptr);
  EXPECT_TRUE(Take_Held_Reports().empty());
  Shell_Services().m_Show_Message("Error", "during play", 0);
  EXPECT_EQ(f_form->f_dc_main->m_Queued_Messages(), 1u);
}

TEST_F(Frm_Main_Test, TeardownWithADialogOpenAndANetworkGameFreesEverythingOnce) {
  Set_Main_Screen_Factory(nullptr);  // the stand-in main screen
  Debug_Sections[DEBUG_ENGINE_STARTUP] = true;
  ASSERT_TRUE(f_form->FormShow());
  f_form->m_Show_Message("Quit?", "a dialog left open", 0);
  ASSERT_NE(f_form->f_dc_main->m_Message_Dialog(), nullptr);
  f_form->m_Start_Server();
  ASSERT_NE(f_form->m_Server(), nullptr);
  f_form->m_Server()->m_Listen("127.0.0.1", "0");
  f_form->m_Idle();
  f_form->FormClose();
  EXPECT_EQ(f_form->f_dc_main, nullptr);
  EXPECT_EQ(f_form->m_Server(), nullptr);
  EXPECT_EQ(G_Map, nullptr);
  EXPECT_FALSE(f_form->m_Engine_Started());
  EXPECT_EQ(Unit_Type_List, nullptr);
  EXPECT_EQ(Render_Device_Current(), nullptr);
  f_form->FormClose();  // once only
  f_form.reset();
  Game_Init_Free_Globals();
  const std::string log = Log();
  std::size_t at = 0;
  for (const char* line : {"TFrm_Main.FormShow - Start", "TFrm_Main.Engine_Started - Start",
                           "TFrm_Main.Engine_Started - TDC_Main.create",
                           "TFrm_Main.Engine_Started - Load_Game_Data_Files", "TFrm_Main.Engine_Started - End",
                           "RenderUnit.OnResetDevice - End", "TFrm_Main.FormClose - Start",
                           "TFrm_Main.Engine_Shutdown - Start", "TFrm_Main.Engine_Shutdown - End",
                           "TFrm_Main.FormClose - End"}) {
    const std::size_t found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << line;
    at = found;
  }
  EXPECT_EQ(log.find("TFrm_Main.Engine_Shutdown - Start", at), std::string::npos);
}

TEST(Shell_Options, SwitchesAndTheirMalformedForms) {
  const char* argv[] = {"globarch",           "-windowed",        "-width:1280", "-height:abc",
                        "-constantframetime:0.05", "-quitafterframe:300", "-other"};
  const TShell_Options o = Shell_Options_Parse(7, argv);
  EXPECT_TRUE(o.windowed);
  EXPECT_EQ(o.width, 1280);
  EXPECT_EQ(o.height, 0);
  EXPECT_DOUBLE_EQ(o.constant_frame_time, 0.05);
  EXPECT_EQ(o.quit_after_frame, 300u);
}

TEST(Shell_Options, NewGameSwitchAndItsMalformedForms) {
  struct TCase {
    const char* value;
    bool ok;
    const char* map_type;
    std::vector<bool> computer;
    std::uint32_t seed;
  };
  const TCase cases[] = {
      {"Tiny:hc:42", true, "Tiny", {false, true}, 42},
      {"Large Islands:hhcc:4294967295", true, "Large Islands", {false, false, true, true}, 4294967295u},
      {":h:0", true, "", {false}, 0},
      {"Tiny:hcccccch:7", true, "Tiny", {false, true, true, true, true, true, true, false}, 7},
      {"Tiny:hccccccch:7", false, "", {}, 0},   // nine players
      {"Tiny:cc:7", false, "", {}, 0},          // nobody human
      {"Tiny::7", false, "", {}, 0},            // no player
      {"Tiny:hx:7", false, "", {}, 0},          // a letter that is no player kind
      {"Tiny:hc:4294967296", false, "", {}, 0}, // the seed too large
      {"Tiny:hc:-1", false, "", {}, 0},
      {"Tiny:hc:", false, "", {}, 0},
      {"Tiny:hc", false, "", {}, 0},
      {"Tiny:hc:1:2", false, "", {}, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.value);
    TShell_New_Game game;
    std::string error;
    EXPECT_EQ(Shell_Parse_New_Game(c.value, game, error), c.ok);
    EXPECT_EQ(game.set, c.ok);
    EXPECT_EQ(error.empty(), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(game.map_type, c.map_type);
    EXPECT_EQ(game.computer, c.computer);
    EXPECT_EQ(game.seed, c.seed);
  }
  const char* argv[] = {"globarch", "-newgame:Small:hcc:17", "-windowed"};
  const TShell_Options o = Shell_Options_Parse(3, argv);
  EXPECT_TRUE(o.windowed);
  ASSERT_TRUE(o.new_game.set);
  EXPECT_EQ(o.new_game.map_type, "Small");
  EXPECT_EQ(o.new_game.computer, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(o.new_game.seed, 17u);
  // A malformed switch leaves the option unset (and says why on stderr).
  const char* bad[] = {"globarch", "-newgame:Small:ccc:17"};
  EXPECT_FALSE(Shell_Options_Parse(2, bad).new_game.set);
}
