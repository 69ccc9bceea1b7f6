// The main game screen: the root of the control tree ("Main Window").
//
// It owns the permanent controls of the running game (the overview map, the
// combat, main and order buttons), opens and closes every dialog and side
// panel by display name, keeps a queue of messages, switches the screen
// mode that decides what is shown, moves the camera (edge panning, the
// wheel, the arrow keys) and draws the world map with the status bar and
// the notices over it.
//
// Screen modes: 1 the map, the local player may play; 2 the hot-seat
// hand-over; 4 a battle; 5 a menu or full-screen dialog; 6 the map alone.
//
// The dialogs of the game live in their own modules; each makes itself
// known by display name (DC_Main_Register_Dialog) with how it is made and
// what the screen reads from it when it closes. A name nobody registered
// does not open. Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DC_Base_Button.h"
#include "DC_Base_DisplayClass.h"
#include "DC_Main_Chat.h"
#include "DC_Dlg_List.h"
#include "DC_Dlg_Message.h"
#include "Info_Box_Kind.h"
#include "MapClass_Draw.h"
#include "Screen_Mode.h"
#include "SelectedUnit.h"
#include "Shell_Links.h"
#include "Vector_Types.h"
#include "World_Links.h"

class TDC_Main_Overview_Map;
struct TGame_Session_Setup;
class TDC_Main_Transport_Units;
class TMain_Screen_Turn_Links;
class TMain_Screen_Combat_Links;

// --- selection and orders: the rules the screen applies, kept apart so they
// can be checked on their own ---

// The main screen's order modes: which order a click on the map gives. Each
// mode has the number of the order kind it gives (ORDER_MOVE, ... of the
// order desk), which is what the map's path and reach rules are asked with.
enum class TOrder_Mode : std::uint8_t { None = 0, Move = 1, Attack = 2, Bombard = 3, Land = 9 };
// The caption of a unit group: "c of a", "c/a" from 1000 units on, and the
// three stacked lines c, "of", a from 10000 on.
std::vector<std::string> Main_Group_Caption(std::int32_t chosen, std::int32_t available);
// Which of order buttons 3..11 (index 0 = button 3) are enabled for the
// groups, whether the selected region is an ocean, the order mode and
// whether the transport panel is open.
std::array<bool, 9> Main_Order_Buttons_Enabled(const std::vector<TSelected_Unit>& groups, bool sea_region,
                                               TOrder_Mode order_mode, bool transport_open);
// Keeps the entries of `regions` that are also in `targets`, in their order.
void Main_Intersect_Regions(std::vector<std::int32_t>& regions, const std::vector<std::int32_t>& targets);
// The button a shortcut key presses on the map ("" for none).
std::string Main_Shortcut_Button(std::uint16_t key);
// Whether a point lies in the half-open rectangle [x, x + w) x [y, y + h).
inline bool Main_Hit(std::int32_t px, std::int32_t py, std::int32_t x, std::int32_t y, std::int32_t w,
                     std::int32_t h) {
  return px >= x && px < x + w && py >= y && py < y + h;
}

// What the info box shows, built when the pointer rests on a thing.
struct TInfo_Box_Row {
  std::int32_t unit_id = 0;
  std::uint16_t unit_type = 0;
  std::uint8_t moves = 0;
  TColor colour = 0;
  std::int32_t width = 0, height = 0;
  TColor background = 0;
  std::int32_t x = 0, y = 0;
  std::int32_t group = 0, position = 0;
  bool transport = false, cargo = false;
};
constexpr std::size_t INFO_BOX_MAX_ROWS = 300;
constexpr std::size_t INFO_BOX_MAX_LIST = 32;
struct TInfo_Box {
  bool active = false;
  TInfo_Box_Kind kind = TInfo_Box_Kind::None;
  std::int32_t subject = 0;
  std::int32_t region = 0;
  std::int32_t group = 0;
  std::int32_t icon = 0;
  std::string title;
  std::array<std::string, 31> texts;  // 1..30
  std::string combat = "0";
  std::vector<std::string> abilities, costs, requirements, benefits;
  std::vector<TInfo_Box_Row> rows;
  std::vector<std::int32_t> unit_ids;
};

// The load dialog's opener and way of loading (DC_Dlg_LoadSaveGame.h).
enum class TLoad_Opener : std::int32_t;
enum class TLoad_Way : std::int32_t;

// What the main screen reads from a dialog that closes.
struct TDC_Main_Dialog_Outcome {
  std::int32_t result = 0;
  std::int32_t tag = 0;
  bool keep_screen_mode = false;
  // A failure the screen shows once the follow-up is open (a resume that
  // could not load the last save).
  std::string message_caption{}, message_text{};
};

// How a dialog opened by name is made (a and b of m_Open_Dialog) and read.
struct TDC_Main_Dialog_Maker {
  std::function<std::unique_ptr<TDisplay_Class>(std::int32_t a, std::int32_t b)> create;
  std::function<TDC_Main_Dialog_Outcome(TDisplay_Class& dialog)> outcome;
};
// Registers (or, with an empty maker, forgets) the maker of a display name.
void DC_Main_Register_Dialog(const std::string& name, TDC_Main_Dialog_Maker maker);

// The camera's limits in a screen mode on a map of the given size.
struct TCamera_Limits {
  float min_height, max_x, max_y;
};
TCamera_Limits Main_Camera_Limits(TScreen_Mode screen_mode, std::int32_t map_width, std::int32_t map_height);

constexpr std::int32_t MAIN_EDGE_BAND = 20;
constexpr std::int32_t MAIN_NOTICE_LINES = 10;
constexpr float MAIN_NOTICE_SECONDS = 20.0f;

class TDC_Main : public TMain_Screen_Base, public TWorld_Main_Screen_Link {
 public:
  TDC_Main();
  ~TDC_Main() override;

  std::int32_t m_Get_Width() override;
  std::int32_t m_Get_Height() override;
  void m_On_Child_Killed(const std::string& child_name) override;
  void m_On_Mouse_Down(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y) override;
  void m_On_Mouse_Up(TMouse_Button button, TShift_State shift, std::int32_t x, std::int32_t y,
                     bool released_elsewhere) override;
  void m_On_Double_Click(std::int32_t x, std::int32_t y) override;
  bool m_On_Mouse_Wheel(TShift_State shift, std::int16_t notches, std::int32_t x, std::int32_t y) override;
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;
  void m_On_Timer(float elapsed) override;

  // --- dialogs by name ---
  // Opens a dialog or panel by display name; false when its slot is taken
  // or nobody makes it.
  bool m_Open_Dialog(const std::string& name, std::int32_t a, std::int32_t b);
  // Opens the load dialog: from where (a cancel from the start menu returns
  // there) and whether it loads the last save at once.
  bool m_Open_Load_Dialog(TLoad_Opener opener, TLoad_Way way);
  // Frees every open dialog without reading it (queued messages stay).
  void m_Close_Child_Dialogs();
  TDisplay_Class* m_Get_Dialog(const std::string& name) const;
  void m_Show_Message(const std::string& caption, const std::string& text, TMessage_Kind kind);
  void m_Show_Confirmation(const std::string& caption, const std::string& text, TMessage_Kind kind);
  void m_Show_List(const std::vector<std::string>& lines, const std::string& caption, const std::string& text);
  TDC_Dlg_Message* m_Message_Dialog() const { return f_message.get(); }
  TDC_Dlg_List* m_List_Dialog() const { return f_list.get(); }
  std::size_t m_Queued_Messages() const { return f_queue_captions.size(); }
  // The program's messages and lists (data-file errors, notices of the shell).
  void m_Show_Screen_Message(const std::string& caption, const std::string& text, TMessage_Kind kind) override;
  void m_Show_Screen_List(const std::vector<std::string>& rows, const std::string& caption,
                          const std::string& text) override;
  // Called when a follow-up closes the program (start menu 6, game menu 5);
  // without it the main window is asked to close.
  std::function<void()> f_on_close_program;
  // Called for the end-turn question answered OK and for the hot-seat turns
  // that a computer player begins; the turn machinery installs it.
  std::function<void()> f_on_end_turn;

  // --- starting play ---
  // A game has been made (the game setup's result 1): the overview is
  // rebuilt, the stored camera applied and, by game kind, the map shown or
  // the hot-seat hand-over to the player whose turn it is begun.
  void m_Begin_Play();
  // Makes a new game from a setup without any dialog (the tests' and the
  // command line's way in), then begins play; false (with the reason shown)
  // when no game could be made.
  bool m_Start_New_Game(const TGame_Session_Setup& setup);
  // Loads the save of that name without any dialog and shows it as the load
  // dialog's result 1 does; false (with the reason shown) when it failed.
  bool m_Load_Game(const std::string& save_name);
  // Runs `start` (a new game or a load) with the dialogs closed but an open
  // start menu kept behind it; the menu closes only when `start` succeeds.
  bool m_Behind_Start_Menu(const std::function<bool()>& start);

  // --- places of the game on the screen (the tests' input scripts) ---
  // The screen point of a point of the map plane; false when not in view.
  static bool m_Map_Point_On_Screen(float x, float y, float& sx, float& sy);
  // Where region N's label is drawn, where unit N's stack is drawn; false
  // when there is no such region or unit or it is not in view.
  bool m_Region_Screen_Point(std::int32_t region, std::int32_t& x, std::int32_t& y) const;
  bool m_Unit_Screen_Point(std::int32_t unit, std::int32_t& x, std::int32_t& y) const;
  // Centres the camera over region N (false when there is none).
  bool m_Centre_On_Region(std::int32_t region);

  // --- screen modes ---
  void m_Set_Screen_Mode(TScreen_Mode mode);
  TScreen_Mode m_Get_Screen_Mode() const { return f_screen_mode; }

  // --- camera ---
  void m_Set_Camera(const TVector& eye, const TVector& look_at, bool force, const TVector& up) override;
  void m_Center_Camera_On(const TVector& point);
  void m_Reset_View();
  // The step of the arrow keys and the wheel: 200 map units, 5 with Ctrl,
  // 0.01 with Shift (Ctrl wins), in screen modes 1 and 4; else 0.
  float m_Camera_Step(TShift_State shift) const;
  // Whether edge panning is off for the mouse at (x, y) in the current mode.
  bool m_Panning_Blocked(std::int32_t x, std::int32_t y) const;

  // --- what the map and the overview show ---
  bool m_Exists() const override { return true; }
  // Region owners or known regions changed (also after a device reset):
  // the overview's ownership image is drawn again.
  void Map_Ownership_Changed() override;
  void m_Add_Notice(const std::string& text) override;
  void m_Clear_Notices();
  const std::vector<std::int32_t>& m_Highlighted_Regions() const override { return f_highlighted; }
  std::int32_t m_Selected_Region() const override { return f_selected_region; }
  const std::vector<TSelected_Unit>& m_Selected_Groups() const override { return f_groups; }
  void m_Set_Highlighted_Regions(std::vector<std::int32_t> regions) { f_highlighted = std::move(regions); }
  void m_Set_Selection(std::int32_t region, std::vector<TSelected_Unit> groups);
  void m_Set_Status_Text(const std::string& text, bool force);
  const std::string& m_Status_Text() const { return f_status_text; }
  float m_Notice_Time() const { return f_notice_time; }
  const std::array<std::string, MAIN_NOTICE_LINES>& m_Notices() const { return f_notices; }
  std::int32_t m_Purchase_Target() const { return f_purchase_target; }
  void m_Set_Purchase_Target(std::int32_t region) { f_purchase_target = region; }
  // The other player of a network battle closed the begin or end dialog.
  void m_Release_Combat_Begin();
  void m_Release_Combat_End();

  // --- selection, order buttons and orders ---
  bool m_Toggle_Unit(std::int32_t unit);
  void m_Refresh_Selection();
  void m_Clear_Order();
  const TSelected_Unit* m_Get_Selected_Group(std::int32_t i) const;
  std::int32_t m_Group_Count() const { return std::int32_t(f_groups.size()); }
  void m_Build_Highlights();
  void m_Update_Order_Buttons();
  void m_Layout_Group_Panel();
  void m_Update_Group_Captions();
  void m_Draw_Group_Panel();
  void m_Draw_Unit_Icon(std::uint16_t unit_type, TColor colour, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, bool show_capacity, bool show_moves, std::int32_t capacity,
                        std::int32_t cargo_load, std::int32_t moves);
  void m_Order_Button_Click(const std::string& name);
  void m_Cycle_Unit_Group(bool next);
  // The minus and plus arrows of group i (x, y, width, height each).
  void m_Get_Group_Arrow_Rects(std::int32_t i, std::array<std::int32_t, 4>& minus,
                               std::array<std::int32_t, 4>& plus) const;
  std::array<std::int32_t, 4> m_Group_Panel_Rect() const { return f_panel_rect; }
  std::array<std::int32_t, 4> m_Group_Row_Rect(std::int32_t i) const;
  TOrder_Mode m_Order_Mode() const { return f_order_mode; }
  const std::string& m_Order_Prompt() const { return f_order_prompt; }
  const std::vector<std::int32_t>& m_Path() const { return f_path; }
  void m_Set_Path(std::vector<std::int32_t> path) { f_path = std::move(path); }
  bool m_Execute_Order(std::uint8_t kind, std::int32_t region, std::int32_t sub_kind, std::int32_t row);
  void m_Trim_Path(std::uint8_t player);
  void m_Update_Path_Preview(float elapsed);
  std::int32_t m_Draw_Path();
  bool m_Landing_Pending() const { return f_landing_pending; }
  std::int32_t m_Landing_Region() const { return f_landing_region; }
  TDC_Main_Transport_Units* m_Transport_Panel() const;

  // --- end of turn, buttons, locks ---
  void m_Main_Button_Click(const std::string& name);
  bool m_Can_End_Turn();
  void m_Show_Turn_Status();
  void m_Set_Help_Areas();
  void m_Update_Combat_Buttons();
  void m_Combat_Button_Click(const std::string& name);
  void m_Combat_Main_Button_Click(const std::string& name);
  std::int32_t m_Combat_Button_Count() const { return std::int32_t(f_combat_region_buttons.size()); }
  TDC_Button* m_Combat_Region_Button(std::int32_t i) const;
  void m_Game_Over(std::uint8_t player) override;
  void m_Enable_Side_Panels();
  void m_Lock_Panels(bool menu_button_enabled);
  void m_Unlock_Panels();
  bool m_Panels_Locked() const { return f_panels_locked; }
  void m_Enable_Combat_Buttons(bool enabled);
  void m_Clear_Highlighted_Regions() { f_highlighted.clear(); }
  void m_Add_Highlighted_Region(std::int32_t region) {
    if (f_highlighted.size() < 500) f_highlighted.push_back(region);
  }
  void m_End_Turn();

  // --- info box ---
  void m_Set_Info_Box(bool set, bool by_panel, TInfo_Box_Kind kind, std::int32_t subject, std::int32_t group,
                      bool in_battle = false, std::int32_t unit_count = 0, bool show_hit_points = false,
                      std::int32_t hit_points = 0);
  void m_Build_Info_Box(TInfo_Box_Kind kind, std::int32_t subject, std::int32_t group, bool in_battle,
                        std::int32_t unit_count, bool show_hit_points, std::int32_t hit_points);
  void m_Refresh_Info_Box_Rows();
  void m_Track_Hover(float elapsed);
  void m_Draw_Info_Box();
  const TInfo_Box& m_Info_Box() const { return f_info; }
  bool m_Info_Box_Shown() const { return f_info_shown; }

  TDC_Main_Overview_Map& m_Overview_Map() { return *f_overview; }
  // The chat panel of network games (hidden until shown).
  TDC_Main_Chat& m_Chat() { return *f_chat; }
  void m_Chat_Add_Line(const std::string& text);
  void m_Chat_Add_Lines(const std::vector<std::string>& lines);
  void m_Show_Chat();
  // A button of the screen by display name (nullptr when none).
  TDC_Button* m_Button(const std::string& name);

  // The viewing player of this machine and whether it is that player's turn.
  static std::uint8_t m_Local_Player();
  static bool m_Local_Players_Turn();

 protected:
  void m_Draw_Status_Bar();
  void m_Draw_Map_Mode();
  void m_Place_Controls();
  // Shows and enables (or hides and disables) a control.
  static void m_Show_Control(TDisplay_Class& control, bool on);
  // Opens the screen's own message dialog with one or two buttons.
  void m_Open_Message(const std::string& caption, const std::string& text, TMessage_Kind kind, bool confirm);
  void m_Message_Closed();
  void m_Follow_Up(const std::string& name, const TDC_Main_Dialog_Outcome& outcome);
  void m_Close_Program();
  // Leaving a network game frees the host, the client and the action queue.
  void m_Leave_Network_Game();
  void m_Enter_Order_Mode(TOrder_Mode mode, const std::string& prompt);
  bool m_Order_Move(std::uint8_t kind, std::int32_t region);
  bool m_Order_Bombard(std::int32_t region);
  bool m_Order_Cargo(std::uint8_t kind, std::int32_t sub_kind, std::int32_t row);
  void m_Order_Decommission();
  void m_Order_Skip();
  void m_Layout_Info_Rows();
  void m_Draw_Map_Overlays();

  std::unique_ptr<TMain_Screen_Turn_Links> f_turn_links;
  std::unique_ptr<TMain_Screen_Combat_Links> f_combat_links;
  std::unique_ptr<TDC_Main_Overview_Map> f_overview;
  // What of the world map the camera saw at the last visibility test.
  TMap_View f_map_view;
  std::unique_ptr<TDC_Main_Chat> f_chat;
  std::array<std::unique_ptr<TDC_Button>, 3> f_combat_buttons;
  std::array<std::unique_ptr<TDC_Button>, 5> f_main_buttons;
  std::array<std::unique_ptr<TDC_Button>, 11> f_order_buttons;
  // Open dialogs and panels by display name.
  std::map<std::string, std::unique_ptr<TDisplay_Class>> f_dialogs;
  std::unique_ptr<TDC_Dlg_Message> f_message;
  std::unique_ptr<TDC_Dlg_List> f_list;
  std::vector<std::string> f_queue_captions, f_queue_texts;
  std::vector<TMessage_Kind> f_queue_kinds;

  TScreen_Mode f_screen_mode = TScreen_Mode::Map;
  bool f_camera_not_applied = true;
  // Edge panning waits, once a game's view has opened, until the mouse has
  // been away from the screen's edges: the pointer left resting on a
  // dialog's button at the bottom must not carry the opening view away.
  bool f_edge_pan_armed = true;
  std::vector<std::int32_t> f_highlighted;
  std::int32_t f_selected_region = 0;
  std::vector<TSelected_Unit> f_groups;
  TOrder_Mode f_order_mode = TOrder_Mode::None;
  std::string f_order_prompt;
  std::int32_t f_order_prompt_width = 0;
  std::vector<std::int32_t> f_path;
  std::int32_t f_path_target = 0;
  bool f_landing_pending = false;
  std::int32_t f_landing_region = 0;
  std::uint8_t f_landing_owner = 0;
  bool f_panels_locked = false;
  std::array<std::int32_t, 4> f_panel_rect{};
  bool f_panel_full = false;
  std::vector<std::array<std::int32_t, 4>> f_group_rows;
  std::vector<std::uint8_t> f_group_arrows;
  std::vector<std::unique_ptr<TDC_Button>> f_combat_region_buttons;
  std::vector<std::int32_t> f_combat_button_regions;
  TInfo_Box f_info;
  bool f_info_shown = false;
  bool f_info_by_panel = false;
  float f_hover_time = 0.0f;
  std::int32_t f_hover_x = -1, f_hover_y = -1;
  std::string f_status_text;
  std::int32_t f_status_width = 0;
  bool f_status_forced = false;
  std::int32_t f_purchase_target = 0;
  float f_notice_time = 0.0f;
  std::array<std::string, MAIN_NOTICE_LINES> f_notices;
};

// The main screen while it exists (the main window creates it).
extern TDC_Main* G_DC_Main;

// Makes the main window create this main screen, and plugs the help pop-up
// into the frame loop. Called once before the main window is shown.
void Main_Screen_Install();
