// The launcher's and the display settings' hit tests, states and actions.
#include "DlgStartup.h"

#include <gtest/gtest.h>

#include <memory>

#include <string>
#include <vector>

#include "DlgDisplaySettings.h"
#include "GameInit.h"
#include "GraphicsEngine.h"
#include "RenderUnit.h"
#include "Render_Device.h"
#include "Global.h"
#include "MachineOptions.h"
#include "Shell_Fixture.h"

namespace {
class Launcher_Test : public Shell_Fixture {
protected:
  void SetUp() override {
    Shell_Fixture::SetUp();
    Global_Init();
    Game_Init_Create_Globals();
    // The adapters and modes of the headless system, as the program start lists them.
    f_system = Create_Render_System(TRender_System_Kind::Headless);
    G_Enumerate_Display_Modes(f_system.get(), IsDeviceAcceptable, 1024, 768);
  }
  std::unique_ptr<TRender_System> f_system;
};
}  // namespace

TEST_F(Launcher_Test, ButtonsAreHitWithTheirEdges) {
  TDlg_Startup launcher;
  struct {
    std::int32_t x, y, button;
  } rows[] = {{0, 0, 1},     {168, 40, 1},  {84, 41, 2},  {0, 81, 2},   {84, 82, 3},  {84, 205, 6},
              {168, 245, 6}, {84, 246, 0},  {169, 10, 0}, {-1, 10, 0}};
  for (const auto& r : rows) EXPECT_EQ(launcher.m_Button_At(r.x, r.y), r.button) << r.x << "," << r.y;
}

TEST_F(Launcher_Test, PressAndReleaseOnOneButtonActivatesIt) {
  std::vector<std::string> opened;
  TDlg_Startup launcher;
  launcher.f_open_document = [&](const std::string& where) { opened.push_back(where); };
  int settings_shown = 0;
  launcher.f_show_display_settings = [&] { ++settings_shown; };
  const std::int32_t x = STARTUP_PANEL_X + 80, row = 41;
  const auto y_of = [&](int button) { return STARTUP_PANEL_Y + (button - 1) * row + 20; };
  // Hover, then press on "Play" and release on "Quit": nothing happens.
  EXPECT_TRUE(launcher.m_Mouse_Move(x, y_of(1)));
  EXPECT_EQ(launcher.m_Button_State(1), 1);
  launcher.m_Mouse_Down(x, y_of(1));
  EXPECT_EQ(launcher.m_Button_State(1), 2);
  launcher.m_Mouse_Move(x, y_of(6));
  EXPECT_EQ(launcher.m_Button_State(1), 2);  // a pressed button stays pressed
  EXPECT_EQ(launcher.m_Button_State(6), 1);
  launcher.m_Mouse_Up(x, y_of(6));
  EXPECT_EQ(launcher.m_Result(), TLauncher_Button::None);
  EXPECT_FALSE(launcher.m_Closed());
  for (int b = 1; b <= 6; ++b) EXPECT_EQ(launcher.m_Button_State(b), 0);
  // Leaving the panel clears the hover.
  launcher.m_Mouse_Move(x, y_of(2));
  launcher.m_Mouse_Move(10, 10);
  EXPECT_EQ(launcher.m_Button_State(2), 0);
  // The other buttons keep the launcher open with their number as result.
  for (int b : {2, 3, 4, 5}) {
    launcher.m_Mouse_Down(x, y_of(b));
    launcher.m_Mouse_Up(x, y_of(b));
    EXPECT_EQ(launcher.m_Result(), TLauncher_Button(b));
    EXPECT_FALSE(launcher.m_Closed());
  }
  EXPECT_EQ(settings_shown, 1);
  // "Manual" and "Website" open the manual shipped in the game folder,
  // "History" the history of versions.
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_NE(opened[0].find("manual/index.html"), std::string::npos);
  EXPECT_NE(opened[1].find("history.txt"), std::string::npos);
  EXPECT_EQ(opened[2], opened[0]);
  launcher.m_Mouse_Down(x, y_of(1));
  launcher.m_Mouse_Up(x, y_of(1));
  EXPECT_EQ(launcher.m_Result(), TLauncher_Button::Play);
  EXPECT_TRUE(launcher.m_Closed());
  // The painted picture shows the pressed face of no button and the panel's buttons.
  const TImage& picture = launcher.m_Paint();
  ASSERT_GE(picture.width, STARTUP_PANEL_X + STARTUP_PANEL_WIDTH);
  EXPECT_NE(picture.Pixel(STARTUP_PANEL_X + 5, STARTUP_PANEL_Y + 5) & 0xFFFFFFu, 0u);
}

TEST(Display_Settings, WindowedSizesSmallerThanTheDesktop) {
  struct {
    std::int32_t w, h;
    std::vector<std::string> sizes;
  } rows[] = {
      {1024, 768, {}},
      {1280, 1024, {"1024 x 768", "1280 x 768"}},
      {1920, 1200, {"1024 x 768", "1280 x 768", "1280 x 1024", "1600 x 1024", "1920 x 1024"}},
      {2560, 1440, {"1024 x 768", "1280 x 768", "1280 x 1024", "1600 x 1024", "1600 x 1200", "1920 x 1024",
                    "1920 x 1200"}},
      {1024, 769, {"1024 x 768"}},
  };
  for (const auto& r : rows) {
    std::vector<std::string> names;
    std::vector<std::int32_t> widths, heights;
    Display_Settings_Windowed_Sizes(r.w, r.h, names, widths, heights);
    EXPECT_EQ(names, r.sizes) << r.w << " x " << r.h;
    ASSERT_EQ(widths.size(), names.size());
    if (!names.empty()) EXPECT_EQ(std::to_string(widths.back()) + " x " + std::to_string(heights.back()), names.back());
  }
}

TEST_F(Launcher_Test, FullScreenForcesTheGamePointerAndTheOptionsAreSavedOnClose) {
  Machine_Options->f_windowed = true;
  Machine_Options->f_display_settings_use_game_cursor = false;
  Machine_Options->m_Save();
  {
    TDlg_DisplaySettings settings;
    EXPECT_EQ(settings.m_State(7), TDS_State::Normal);
    const auto click = [&](std::int32_t x, std::int32_t y) {
      settings.m_Mouse_Down(x, y);
      settings.m_Mouse_Up(x, y);
    };
    click(149 + 11, 61 + 11);  // "Windowed" off
    EXPECT_FALSE(Machine_Options->f_windowed);
    EXPECT_TRUE(Machine_Options->f_display_settings_use_game_cursor);
    EXPECT_EQ(settings.m_State(7), TDS_State::Disabled);
    click(149 + 11, 165 + 11);  // a disabled box does nothing
    EXPECT_TRUE(Machine_Options->f_display_settings_use_game_cursor);
    click(149, 61);  // "Windowed" on again (the corner is on the box)
    EXPECT_TRUE(Machine_Options->f_windowed);
    EXPECT_TRUE(Machine_Options->f_display_settings_use_game_cursor);
    EXPECT_EQ(settings.m_State(7), TDS_State::Normal);
    click(149 + 22, 113 + 22);  // "Vsync" on
    EXPECT_TRUE(Machine_Options->f_vsync);
    // The resolution list of a 1280 x 1024 desktop; its second row picks 1280 x 768.
    settings.f_desktop_width = 1280;
    settings.f_desktop_height = 1024;
    click(357 + 5, 87 + 5);
    ASSERT_EQ(settings.m_Open_List(), TDS_List::Resolutions);
    EXPECT_EQ(settings.m_List_Count(), 2);
    EXPECT_EQ(settings.m_State(1), TDS_State::Disabled);
    EXPECT_EQ(settings.m_State(8), TDS_State::Disabled);
    settings.m_Mouse_Move(160, 109 + 14 + 3);
    EXPECT_EQ(settings.m_Hover_Row(), 2);
    click(160, 109 + 14 + 3);
    EXPECT_EQ(settings.m_Open_List(), TDS_List::None);
    EXPECT_EQ(Machine_Options->f_video_mode_text, "1280 x 768");
    EXPECT_EQ(Machine_Options->f_resolution_width, 1280);
    EXPECT_EQ(settings.m_State(1), TDS_State::Normal);
    click(305 + 45, 276 + 11);  // "Close"
    EXPECT_TRUE(settings.m_Closed());
  }
  TMachine_Options stored;
  stored.m_Load();
  EXPECT_TRUE(stored.f_vsync);
  EXPECT_TRUE(stored.f_windowed);
  EXPECT_TRUE(stored.f_display_settings_use_game_cursor);
  EXPECT_EQ(stored.f_resolution_width, 1280);
  EXPECT_EQ(stored.f_resolution_height, 768);
}
