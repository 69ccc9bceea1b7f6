#include "DC_Main.h"

#include <algorithm>
#include <cmath>

#include "DC_Dlg_GameMenu.h"
#include "DC_Dlg_GameSetup.h"
#include "DC_Dlg_GameSetup_Network.h"
#include "DC_Dlg_LoadSaveGame.h"
#include "DC_Dlg_Progress.h"
#include "DC_Dlg_StartMenu.h"
#include "DC_Main_OverviewMap.h"
#include "DC_Main_Purchases_Items.h"
#include "DC_Main_Transport_Units.h"
#include "Display.h"
#include "Display_HelpText.h"
#include "Empire.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "GraphicsEngine_Culling.h"
#include "GraphicsEngine_EmitterEvents.h"
#include "GraphicsEngine_ParticleList.h"
#include "GraphicsEngine_Texture.h"
#include "Io.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MasterActionTimer_EndTurn.h"
#include "Order_Desk.h"
#include "SoundEngine_Music_Base.h"
#include "Combat.h"
#include "DC_Main_Links.h"
#include "Datafile_MapTypes.h"
#include "Game_Session.h"

TDC_Main* G_DC_Main = nullptr;

namespace {

std::map<std::string, TDC_Main_Dialog_Maker>& Makers() {
  static std::map<std::string, TDC_Main_Dialog_Maker> makers = [] {
    std::map<std::string, TDC_Main_Dialog_Maker> m;
    m["DC Main Transport Units"] = {
        [](std::int32_t, std::int32_t) -> std::unique_ptr<TDisplay_Class> {
          if (!G_DC_Main) return nullptr;
          return std::make_unique<TDC_Main_Transport_Units>(*G_DC_Main);
        },
        [](TDisplay_Class&) { return TDC_Main_Dialog_Outcome(); }};
    m["Dlg Progress"] = {[](std::int32_t, std::int32_t) { return std::make_unique<TDC_Dlg_Progress>(); },
                         [](TDisplay_Class&) { return TDC_Main_Dialog_Outcome(); }};
    return m;
  }();
  return makers;
}

// The dialogs after whose opening the screen shows nothing of the game.
bool Opens_Full_Screen(const std::string& name) {
  return name == "Dlg Start Menu" || name == "Dlg Game Setup" || name == "Dlg Load Game" || name == "Dlg Save Game" ||
         name == "Dlg Progress";
}

// Dialogs that open beside the others and let map clicks through.
bool Is_Side_Panel(const std::string& name) {
  return name == "Dlg Purchases" || name == "DC Main Transport Units" || name == "DC Main Purchases List" ||
         name == "DC Main Purchases Items";
}

const char* const Main_Button_Names[5] = {"DC_MAIN_MAIN_BUTTON_1", "DC_MAIN_MAIN_BUTTON_2", "DC_MAIN_MAIN_BUTTON_3",
                                          "DC_MAIN_MAIN_BUTTON_5", "DC_MAIN_MAIN_BUTTON_6"};
constexpr std::int32_t Main_Button_Images[5] = {0, 1, 2, 4, 5};
constexpr std::int32_t Order_Button_Images[11] = {16, 17, 6, 8, 9, 10, 11, 7, 12, 19, 18};
constexpr std::int32_t Combat_Button_Images[3] = {21, 15, 12};

constexpr TColor Panel_Grey = Make_Color(100, 100, 100, 50);

std::unique_ptr<TDC_Button> Make_Button(const std::string& name, std::int32_t image, std::int32_t tag) {
  auto b = std::make_unique<TDC_Button>();
  b->m_Set_Style(6, 40, 40, image, tag);
  b->m_Set_Position(name, 0, 0);
  return b;
}

bool Inside(std::int32_t x, std::int32_t y, std::int32_t left, std::int32_t top, std::int32_t right,
            std::int32_t bottom) {
  return x >= left && x <= right && y >= top && y <= bottom;
}

bool Shown_And_Enabled(const TDisplay_Class& c) { return c.m_Visible() && c.m_Enabled(); }

}  // namespace

void DC_Main_Register_Dialog(const std::string& name, TDC_Main_Dialog_Maker maker) {
  if (maker.create)
    Makers()[name] = std::move(maker);
  else
    Makers().erase(name);
}

TCamera_Limits Main_Camera_Limits(TScreen_Mode screen_mode, std::int32_t map_width, std::int32_t map_height) {
  if (screen_mode == TScreen_Mode::Battle) return {-2000.0f, 1400.0f, 1000.0f};
  return {-8000.0f, float(std::max(0, map_width)), float(std::max(0, map_height))};
}

std::uint8_t TDC_Main::m_Local_Player() { return Game_Settings.f_local_empire; }
bool TDC_Main::m_Local_Players_Turn() {
  return Game_Settings.f_local_empire != 0 && Game_Settings.f_local_empire == Game_Settings.f_turn_empire;
}

TDC_Main::TDC_Main() {
  m_Set_Help_Handler(Help_Text_Set_Hover);
  for (int i = 0; i < 3; ++i) {
    f_combat_buttons[std::size_t(i)] =
        Make_Button("Combat Main Button " + Int_To_Text(i + 1), Combat_Button_Images[i], i + 1);
    f_combat_buttons[std::size_t(i)]->m_Set_Help_Ref(1, 19, 5 + i, "", 0);
    m_Show_Control(*f_combat_buttons[std::size_t(i)], false);
  }
  f_overview = std::make_unique<TDC_Main_Overview_Map>(*this);
  f_overview->m_Set_Position("DC Main Overview Map", 0, 0, false);
  f_overview->m_Set_Visible(true);
  f_chat = std::make_unique<TDC_Main_Chat>();
  for (int i = 0; i < 5; ++i) {
    f_main_buttons[std::size_t(i)] = Make_Button(Main_Button_Names[i], Main_Button_Images[i], i + 1);
    f_main_buttons[std::size_t(i)]->m_Set_Help_Ref(1, 9, 5 + i, "", 0);
    m_Show_Control(*f_main_buttons[std::size_t(i)], true);
  }
  for (int i = 0; i < 11; ++i) {
    f_order_buttons[std::size_t(i)] =
        Make_Button("DC_MAIN_ORDER_BUTTON_" + Int_To_Text(i + 1), Order_Button_Images[i], i + 1);
    if (i < 2)
      f_order_buttons[std::size_t(i)]->m_Set_Help_Ref(1, 9, 10 + i, "", 0);
    else
      f_order_buttons[std::size_t(i)]->m_Set_Help_Ref(1, 10, 5 + (i - 2), "", 0);
    m_Show_Control(*f_order_buttons[std::size_t(i)], i < 2);
  }
  for (auto& b : f_combat_buttons)
    b->OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Combat_Main_Button_Click(name); };
  for (auto& b : f_main_buttons)
    b->OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Main_Button_Click(name); };
  for (auto& b : f_order_buttons)
    b->OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_Order_Button_Click(name); };
  for (auto& b : f_combat_buttons) Add_Child_Control(b.get());
  Add_Child_Control(f_overview.get());
  Add_Child_Control(f_chat.get());
  for (auto& b : f_main_buttons) Add_Child_Control(b.get());
  for (auto& b : f_order_buttons) Add_Child_Control(b.get());
  m_Place_Controls();
  f_overview->m_Update_View_Rect();
  G_DC_Main = this;
  m_Layout_Group_Panel();
  Set_World_Main_Screen_Link(this);
  // The turns and the battles reach the screen while it exists.
  f_turn_links = std::make_unique<TMain_Screen_Turn_Links>(*this);
  f_combat_links = std::make_unique<TMain_Screen_Combat_Links>(*this);
  Set_Turn_Links(f_turn_links.get());
  Set_Combat_Links(f_combat_links.get());
  m_Open_Dialog("Dlg Start Menu", 0, 0);
}

void Main_Screen_Install() {
  Game_Menu_Dialogs_Install();
  Panels_Register_Dialogs();
  Set_Main_Screen_Factory([]() -> TMain_Screen_Base* { return new TDC_Main(); });
  Start_Menu_Install();
  Game_Setup_Install();
  Game_Setup_Network_Install();
  Shell_Links().help_text_update_timer = Help_Text_Update_Timer;
  Shell_Links().help_text_draw = Help_Text_Draw;
}

void TDC_Main::m_Show_Screen_Message(const std::string& caption, const std::string& text, TMessage_Kind kind) {
  m_Show_Message(caption, text, kind);
}

void TDC_Main::m_Show_Screen_List(const std::vector<std::string>& rows, const std::string& caption,
                                  const std::string& text) {
  m_Show_List(rows, caption, text);
}

TDC_Main::~TDC_Main() {
  m_Close_Child_Dialogs();
  if (G_DC_Main == this) G_DC_Main = nullptr;
  if (&World_Main_Screen_Link() == this) Set_World_Main_Screen_Link(nullptr);
  if (&Turn_Links() == f_turn_links.get()) Set_Turn_Links(nullptr);
  // The battle goes back to the program's sounds and effects.
  if (&Combat_Links() == f_combat_links.get()) Combat_Program_Links_Install();
  // The children are owned here; the tree lists them only.
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
}

std::int32_t TDC_Main::m_Get_Width() { return G_Screen_Width; }
std::int32_t TDC_Main::m_Get_Height() { return G_Screen_Height; }

void TDC_Main::m_Show_Control(TDisplay_Class& control, bool on) {
  control.m_Set_Visible(on);
  control.m_Set_Enabled(on);
}

TDC_Button* TDC_Main::m_Button(const std::string& name) {
  for (auto* set : {f_combat_buttons.data(), f_main_buttons.data(), f_order_buttons.data()}) {
    const std::size_t n = set == f_combat_buttons.data() ? 3 : set == f_main_buttons.data() ? 5 : 11;
    for (std::size_t i = 0; i < n; ++i)
      if (set[i]->m_Name() == name) return set[i].get();
  }
  return nullptr;
}

// --- placing the controls ------------------------------------------------------

void TDC_Main::m_Place_Controls() {
  const std::int32_t w = m_Get_Width();
  f_overview->m_Set_Position("DC Main Overview Map", f_x + w - OVERVIEW_PANEL_WIDTH, f_y, false);
  // The chat panel fills the column below the overview map, leaving room
  // for the panels at the bottom.
  const std::int32_t chat_top = f_overview->m_Y() + f_overview->m_Height() + 20;
  f_chat->m_Set_Bounds("DC Main Chat", f_overview->m_X(), chat_top, f_overview->m_Width(),
                       std::max(22, m_Get_Height() - chat_top - 20 - 152 - 20), false);
  f_chat->m_On_Reposition();
  for (int i = 0; i < 3; ++i)
    f_combat_buttons[std::size_t(i)]->m_Set_Position(f_combat_buttons[std::size_t(i)]->m_Name(), f_x + 444 + 41 * i,
                                                     f_y + 2);
  for (int i = 0; i < 5; ++i)
    f_main_buttons[std::size_t(i)]->m_Set_Position(Main_Button_Names[i], f_x + 262 + 41 * i, f_y + 2);
  f_order_buttons[0]->m_Set_Position("DC_MAIN_ORDER_BUTTON_1", f_overview->m_X() - 87, f_overview->m_Y() + 2);
  f_order_buttons[1]->m_Set_Position("DC_MAIN_ORDER_BUTTON_2", f_overview->m_X() - 44, f_overview->m_Y() + 2);
  // Without a unit-group panel the column of the other order buttons starts
  // at the screen's left edge below the status bar.
  for (int i = 2; i < 11; ++i)
    f_order_buttons[std::size_t(i)]->m_Set_Position(f_order_buttons[std::size_t(i)]->m_Name(), f_x + 2,
                                                    f_y + 134 + 2 + 41 * (i - 2));
}

void TDC_Main::m_On_Reposition() {
  m_Place_Controls();
  for (auto& [name, dialog] : f_dialogs)
    if (name == "DC Main Purchases List")
      dialog->m_Set_Position(name, f_x, f_y + 134, dialog->m_Modal());
    else if (name == "DC Main Purchases Items")
      dialog->m_Set_Position(name, f_x + m_Get_Width() - 280, f_y + 134, dialog->m_Modal());
}

// --- dialogs by name -----------------------------------------------------------

TDisplay_Class* TDC_Main::m_Get_Dialog(const std::string& name) const {
  if (name == "Dlg Message") return f_message.get();
  if (name == "Dlg List") return f_list.get();
  // The chat panel lives as long as the screen and is shown and hidden, not
  // opened and closed; it is found by its name all the same.
  if (name == "DC Main Chat") return f_chat.get();
  const auto it = f_dialogs.find(name == "Dlg Save Game" ? std::string("Dlg Load Game") : name);
  return it == f_dialogs.end() ? nullptr : it->second.get();
}

void TDC_Main::m_Close_Child_Dialogs() {
  for (auto& [name, dialog] : f_dialogs) Remove_Child_Control(dialog.get());
  f_dialogs.clear();
  if (f_message) Remove_Child_Control(f_message.get());
  f_message.reset();
  if (f_list) Remove_Child_Control(f_list.get());
  f_list.reset();
}

bool TDC_Main::m_Open_Dialog(const std::string& name, std::int32_t a, std::int32_t b) {
  if (name == "Dlg Purchases") {
    if (m_Get_Dialog("DC Main Purchases List") || m_Get_Dialog("DC Main Purchases Items")) return false;
    const auto list = Makers().find("DC Main Purchases List"), items = Makers().find("DC Main Purchases Items");
    if (list == Makers().end() || items == Makers().end()) return false;
    f_purchase_target = 0;
    auto left = list->second.create(a, b);
    auto right = items->second.create(a, b);
    if (!left || !right) return false;
    left->m_Set_Position("DC Main Purchases List", f_x, f_y + 134, false);
    right->m_Set_Position("DC Main Purchases Items", f_x + m_Get_Width() - 280, f_y + 134, false);
    for (TDisplay_Class* p : {left.get(), right.get()}) {
      p->m_Set_Visible(true);
      Add_Child_Control(p);
    }
    f_dialogs["DC Main Purchases List"] = std::move(left);
    f_dialogs["DC Main Purchases Items"] = std::move(right);
    m_Lock_Panels(false);
    return true;
  }
  // "Dlg Load Game" and "Dlg Save Game" share one slot.
  const std::string slot = name == "Dlg Save Game" ? std::string("Dlg Load Game") : name;
  if (f_dialogs.count(slot)) return false;
  const auto maker = Makers().find(name);
  if (maker == Makers().end()) return false;
  if (!Is_Side_Panel(name)) m_Close_Child_Dialogs();
  std::unique_ptr<TDisplay_Class> dialog = maker->second.create(a, b);
  if (!dialog) return false;
  if (name == "DC Main Transport Units") {
    const std::int32_t x = f_order_buttons[5]->m_X() + f_order_buttons[5]->m_Width();
    dialog->m_Set_Bounds(name, x, f_y + 130, m_Get_Width() - x, m_Get_Height() - 282, true);
    if (auto* panel = dynamic_cast<TDC_Main_Transport_Units*>(dialog.get()))
      panel->m_Set_Mode(TTransport_Mode(b) == TTransport_Mode::Land ? TTransport_Mode::Land : TTransport_Mode::Load);
  } else {
    dialog->m_Set_Position_Centered(name, dialog->m_Modal() || !Is_Side_Panel(name));
  }
  dialog->m_Set_Visible(true);
  Add_Child_Control(dialog.get());
  f_dialogs[slot] = std::move(dialog);
  if (Opens_Full_Screen(name)) m_Set_Screen_Mode(TScreen_Mode::Menu);
  return true;
}

bool TDC_Main::m_Open_Load_Dialog(TLoad_Opener opener, TLoad_Way way) {
  return m_Open_Dialog("Dlg Load Game", std::int32_t(opener), std::int32_t(way));
}

void TDC_Main::m_Open_Message(const std::string& caption, const std::string& text, TMessage_Kind kind,
                              bool confirm) {
  f_message = std::make_unique<TDC_Dlg_Message>();
  f_message->m_Set_Position_Centered("Dlg Message", true);
  if (confirm)
    f_message->m_Setup(caption, text, "", "", TMessage_Box_Mode::Ok_Cancel, 1, 0, std::int32_t(kind), false, 0, 0,
                       0);
  else
    f_message->m_Setup(caption, text, "", "", TMessage_Box_Mode::Close, 0, 0, std::int32_t(kind), false, 0, 0, 0);
  f_message->m_Set_Layer(1);
  f_message->m_Set_Visible(true);
  Add_Child_Control(f_message.get());
}

void TDC_Main::m_Show_Message(const std::string& caption, const std::string& text, TMessage_Kind kind) {
  if (f_message) {
    f_queue_captions.push_back(caption);
    f_queue_texts.push_back(text);
    f_queue_kinds.push_back(kind);
    return;
  }
  m_Open_Message(caption, text, kind, false);
}

void TDC_Main::m_Show_Confirmation(const std::string& caption, const std::string& text, TMessage_Kind kind) {
  if (f_message) return;
  m_Open_Message(caption, text, kind, true);
}

void TDC_Main::m_Show_List(const std::vector<std::string>& lines, const std::string& caption, const std::string& text) {
  if (f_list) return;
  f_list = std::make_unique<TDC_Dlg_List>();
  f_list->m_Set_Position_Centered("Dlg List", true);
  f_list->m_Setup(caption, text, lines);
  f_list->m_Set_Layer(1);
  f_list->m_Set_Visible(true);
  Add_Child_Control(f_list.get());
}

void TDC_Main::m_Message_Closed() {
  const TMessage_Kind kind = TMessage_Kind(f_message->m_Get_Tag());
  const std::uint8_t value = f_message->m_Get_Result();
  f_message.reset();
  switch (kind) {
    case TMessage_Kind::End_Turn_Question:
      // The crashing-air-units question ends the turn.
      if (value == 1) m_End_Turn();
      break;
    case TMessage_Kind::Decommission_Question:
      if (value == 1) m_Execute_Order(ORDER_DECOMMISSION, 0, 0, 0);
      break;
    case TMessage_Kind::Next_Player:
      m_Set_Screen_Mode(TScreen_Mode::Map);
      // In a hot-seat game the hand-over is where a player learns that the
      // game is over or that their nation has fallen.
      if (Game_Kind() == TGame_Kind::Hot_Seat && G_Empire_List) {
        const TEmpire* e = G_Empire_List->m_Get_Empire(Game_Settings.f_local_empire);
        if (G_Empire_List->m_Get_Winner() != 0 || (e && e->m_Get_Eliminated())) m_Game_Over(Game_Settings.f_local_empire);
      }
      break;
    case TMessage_Kind::Game_Over_Here:
      // The game is over for this machine (a lost connection among others).
      m_Leave_Network_Game();
      m_Open_Dialog("Dlg Start Menu", 0, 0);
      break;
    case TMessage_Kind::Leave_Game_Question:
      if (value == 1) {
        m_Leave_Network_Game();
        m_Open_Dialog("Dlg Start Menu", 0, 0);
      }
      break;
    default:
      break;
  }
  if (!f_message && !f_queue_captions.empty()) {
    const std::string caption = f_queue_captions.front(), text = f_queue_texts.front();
    const TMessage_Kind next_kind = f_queue_kinds.front();
    f_queue_captions.erase(f_queue_captions.begin());
    f_queue_texts.erase(f_queue_texts.begin());
    f_queue_kinds.erase(f_queue_kinds.begin());
    m_Show_Message(caption, text, next_kind);
  }
}

void TDC_Main::m_On_Child_Killed(const std::string& name) {
  if (name == "Dlg Message" && f_message) {
    f_message->m_Set_Visible(false);
    m_Message_Closed();
    return;
  }
  if (name == "Dlg List" && f_list) {
    f_list.reset();
    return;
  }
  if (name == "DC Main Purchases List" || name == "DC Main Purchases Items") {
    for (const char* panel : {"DC Main Purchases List", "DC Main Purchases Items"}) {
      const auto it = f_dialogs.find(panel);
      if (it == f_dialogs.end()) continue;
      // The other panel is still listed: take it off the tree as well.
      if (it->first != name) Remove_Child_Control(it->second.get());
      f_dialogs.erase(it);
    }
    f_purchase_target = 0;
    m_Unlock_Panels();
    return;
  }
  const std::string slot = name == "Dlg Save Game" ? std::string("Dlg Load Game") : name;
  const auto it = f_dialogs.find(slot);
  if (it == f_dialogs.end()) return;
  std::unique_ptr<TDisplay_Class> dialog = std::move(it->second);
  f_dialogs.erase(it);
  dialog->m_Set_Visible(false);
  TDC_Main_Dialog_Outcome outcome;
  const auto maker = Makers().find(name);
  if (maker != Makers().end() && maker->second.outcome) outcome = maker->second.outcome(*dialog);
  dialog.reset();
  if (name == "DC Main Transport Units") {
    m_Update_Order_Buttons();
    m_Unlock_Panels();
    m_Refresh_Selection();
    if (f_order_mode == TOrder_Mode::Land) {
      f_order_mode = TOrder_Mode::None;
      f_order_prompt.clear();
      f_order_prompt_width = 0;
      f_path.clear();
      f_path_target = 0;
      f_landing_pending = false;
      f_landing_region = 0;
      f_landing_owner = 0;
      m_Build_Highlights();
      m_Update_Order_Buttons();
    }
    return;
  }
  m_Follow_Up(name, outcome);
}

void TDC_Main::m_Close_Program() {
  if (f_on_close_program)
    f_on_close_program();
  else if (Shell_Links().request_close)
    Shell_Links().request_close();
}

void TDC_Main::m_Leave_Network_Game() {
  if (Shell_Links().free_multiplayer) Shell_Links().free_multiplayer();
}

void TDC_Main::m_Follow_Up(const std::string& name, const TDC_Main_Dialog_Outcome& outcome) {
  const std::int32_t r = outcome.result;
  if (name == "Dlg Start Menu") {
    switch (TStart_Menu_Result(r)) {
      case TStart_Menu_Result::New_Game:
        m_Open_Dialog("Dlg Game Setup", 0, 1);
        break;
      case TStart_Menu_Result::Load_Game:
      case TStart_Menu_Result::Network_Load:
        m_Open_Load_Dialog(TLoad_Opener::Start_Menu, TLoad_Way::From_List);
        break;
      case TStart_Menu_Result::Resume_Game:
        m_Open_Load_Dialog(TLoad_Opener::Start_Menu, TLoad_Way::Last_Save);
        break;
      case TStart_Menu_Result::Quit:
        m_Close_Program();
        break;
      case TStart_Menu_Result::Hot_Seat:
        m_Open_Dialog("Dlg Game Setup", 0, 2);
        break;
      case TStart_Menu_Result::Host:
        m_Open_Dialog("Dlg Game Setup", 0, 3);
        break;
      case TStart_Menu_Result::Join:
        m_Open_Dialog("Dlg Game Setup", 0, 4);
        break;
      default:
        break;
    }
  } else if (name == "Dlg Game Setup") {
    if (TGame_Setup_Result(r) == TGame_Setup_Result::Cancelled) {
      m_Open_Dialog("Dlg Start Menu", 0, 0);
    } else if (TGame_Setup_Result(r) == TGame_Setup_Result::Game_Made) {
      m_Begin_Play();
    }
  } else if (name == "Dlg Load Game") {
    if (TLoad_Save_Result(r) == TLoad_Save_Result::Done) {
      m_Reset_View();
      if (!outcome.keep_screen_mode) m_Set_Screen_Mode(TScreen_Mode::Map);
      m_Set_Camera(Game_Settings.f_camera_eye, Game_Settings.f_camera_look_at, true, Game_Settings.f_camera_up);
      if (Game_Kind() == TGame_Kind::Host) m_Open_Dialog("Dlg Game Setup", 1, 3);
    } else if (TLoad_Save_Result(r) == TLoad_Save_Result::Cancelled) {
      m_Set_Screen_Mode(TScreen_Mode::Map);
      if (TLoad_Opener(outcome.tag) == TLoad_Opener::Start_Menu) m_Open_Dialog("Dlg Start Menu", 0, 0);
      // Shown over the start menu, where it stays until it is closed.
      if (!outcome.message_text.empty())
        m_Show_Message(outcome.message_caption, outcome.message_text, TMessage_Kind::Plain);
    }
  } else if (name == "Dlg Save Game" || name == "Dlg Progress") {
    m_Set_Screen_Mode(TScreen_Mode::Map);
  } else if (name == "Dlg Game Menu") {
    switch (TGame_Menu_Choice(r)) {
      case TGame_Menu_Choice::New_Game:
        // The running game is dropped only when the player says so.
        m_Show_Confirmation("New Game", "Leave this game for the start menu? What has not been saved is lost.",
                            TMessage_Kind::Leave_Game_Question);
        break;
      case TGame_Menu_Choice::Load_Game:
        m_Open_Load_Dialog(TLoad_Opener::Game_Menu, TLoad_Way::From_List);
        break;
      case TGame_Menu_Choice::Save_Game:
        m_Open_Dialog("Dlg Save Game", 0, 0);
        break;
      case TGame_Menu_Choice::Options:
        m_Open_Dialog("Dlg Game Options", 0, 0);
        break;
      case TGame_Menu_Choice::Quit:
        m_Close_Program();
        break;
      default:
        break;
    }
  } else if (name == "Dlg Combat Begin") {
    Main_Screen_Combat_Begin_Closed();
  } else if (name == "Dlg Combat End") {
    Main_Screen_Combat_End_Closed();
  } else if (name == "Dlg Game Over") {
    if (Game_Kind() != TGame_Kind::Hot_Seat) {
      m_Open_Dialog("Dlg Start Menu", 0, 0);
    } else if (!G_Empire_List || G_Empire_List->m_Get_Winner() != 0 || G_Empire_List->m_All_Computer_Controlled()) {
      m_Open_Dialog("Dlg Start Menu", 0, 0);
    } else {
      m_End_Turn();
    }
  }
}

void TDC_Main::m_Begin_Play() {
  m_Reset_View();
  if (Game_Kind() == TGame_Kind::Hot_Seat) {
    m_Set_Screen_Mode(TScreen_Mode::Handover);
    const std::uint8_t n = Game_Settings.f_turn_empire;
    const TEmpire* e = G_Empire_List ? G_Empire_List->m_Get_Empire(n) : nullptr;
    if (e && e->m_Get_Computer_Controlled()) {
      m_End_Turn();
    } else {
      m_Show_Message("Next Player", Next_Player_Text(n), TMessage_Kind::Next_Player);
      Game_Settings.m_Set_Local_Empire(n);
      Map_Ownership_Changed();
    }
  } else {
    m_Set_Screen_Mode(TScreen_Mode::Map);
    if (Game_Kind_Is_Network()) Map_Ownership_Changed();
  }
}

bool TDC_Main::m_Start_New_Game(const TGame_Session_Setup& setup) {
  if (!setup.map_type.empty()) {
    bool known = false;
    for (std::uint16_t i = 1; Map_Type_List && i <= Map_Type_List->m_Count() && !known; ++i)
      known = Text_Compare(Map_Type_List->m_Get_Item(i)->f_name, setup.map_type) == 0;
    if (!known) {
      m_Show_Message("Error", "There is no map type \"" + setup.map_type + "\".", TMessage_Kind::Plain);
      return false;
    }
  }
  // The new game comes with each nation's view over its own regions.
  if (!m_Behind_Start_Menu([&setup] { return Game_Session_New_Game(setup); })) return false;
  Reload_Overview_Map_Textures();
  m_Begin_Play();
  return true;
}

bool TDC_Main::m_Behind_Start_Menu(const std::function<bool()>& start) {
  // The start menu stays open behind the work until it succeeds: a game that
  // cannot be made or read leaves the player at the menu with the reason
  // over it, not before an empty screen that takes no input.
  std::unique_ptr<TDisplay_Class> menu;
  if (const auto it = f_dialogs.find("Dlg Start Menu"); it != f_dialogs.end()) {
    menu = std::move(it->second);
    f_dialogs.erase(it);
  }
  m_Close_Child_Dialogs();
  if (menu) f_dialogs["Dlg Start Menu"] = std::move(menu);
  if (!start()) {
    // The reason stands over the menu itself, not over the logos: the
    // player's keys go to the message, not to skipping the intro.
    if (auto* start_menu = dynamic_cast<TDC_Dlg_StartMenu*>(m_Get_Dialog("Dlg Start Menu")))
      start_menu->m_Skip_Intro();
    return false;
  }
  if (const auto it = f_dialogs.find("Dlg Start Menu"); it != f_dialogs.end()) {
    Remove_Child_Control(it->second.get());
    f_dialogs.erase(it);
  }
  return true;
}

bool TDC_Main::m_Load_Game(const std::string& save_name) {
  TLoad_Result result = TLoad_Result::Game;
  if (!m_Behind_Start_Menu([&] { return Game_Session_Load(save_name, result); })) return false;
  Reload_Overview_Map_Textures();
  TDC_Main_Dialog_Outcome outcome;
  outcome.result = std::int32_t(TLoad_Save_Result::Done);
  outcome.keep_screen_mode = result == TLoad_Result::End_Turn_Resumes;
  m_Follow_Up("Dlg Load Game", outcome);
  return true;
}

// --- screen modes ----------------------------------------------------------------

void TDC_Main::m_Set_Screen_Mode(TScreen_Mode mode) {
  f_status_text.clear();
  f_status_width = 0;
  f_status_forced = false;
  f_screen_mode = mode;
  m_Clear_Order();
  const bool map = mode == TScreen_Mode::Map, battle = mode == TScreen_Mode::Battle;
  m_Show_Control(*f_overview, map);
  for (auto& b : f_main_buttons) m_Show_Control(*b, map);
  m_Show_Control(*f_order_buttons[0], map);
  m_Show_Control(*f_order_buttons[1], map);
  for (std::size_t i = 2; i < 11; ++i) m_Show_Control(*f_order_buttons[i], false);
  for (auto& b : f_combat_buttons) m_Show_Control(*b, battle);
  if (!map)
    for (auto& b : f_combat_region_buttons) b->m_Set_Visible(false);
  if (map && Game_Kind_Is_Network()) m_Show_Turn_Status();
  // The map plays the main songs, a battle the combat songs (a song of the
  // right kind already playing goes on).
  const TMusic_Category music = map ? TMusic_Category::Main : battle ? TMusic_Category::Combat : TMusic_Category::None;
  if (music != TMusic_Category::None && Sound_Music_Category() != music) Sound_Music_Start_Music(music);
}

// --- camera ------------------------------------------------------------------------

float TDC_Main::m_Camera_Step(TShift_State shift) const {
  if (f_screen_mode != TScreen_Mode::Map && f_screen_mode != TScreen_Mode::Battle) return 0.0f;
  if (shift & SS_CTRL) return 5.0f;
  if (shift & SS_SHIFT) return 0.01f;
  return 200.0f;
}

void TDC_Main::m_Set_Camera(const TVector& eye_in, const TVector& look_at_in, bool force, const TVector& up) {
  (void)look_at_in;
  const TCamera_Limits limits = Main_Camera_Limits(f_screen_mode, G_Map ? G_Map->m_Get_Pixel_Width() : 0,
                                                   G_Map ? G_Map->m_Get_Pixel_Height() : 0);
  TVector eye = eye_in;
  if (eye.z > -50.0f) eye.z = -50.0f;
  if (eye.z < limits.min_height) eye.z = limits.min_height;
  eye.x = std::clamp(eye.x, 0.0f, limits.max_x);
  eye.y = std::clamp(eye.y, 0.0f, limits.max_y);
  const TVector look_at{eye.x, eye.y, 0.0f};
  auto same = [](const TVector& a, const TVector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
  if (!force && same(eye, Game_Settings.f_camera_eye) && same(look_at, Game_Settings.f_camera_look_at) &&
      same(up, Game_Settings.f_camera_up))
    return;
  G_Set_Camera(eye, look_at, up);
  if (f_screen_mode == TScreen_Mode::Map || f_screen_mode == TScreen_Mode::Handover) f_overview->m_Update_View_Rect();
}

void TDC_Main::m_Center_Camera_On(const TVector& point) {
  TVector look_at = Game_Settings.f_camera_look_at;
  look_at.x = point.x;
  look_at.y = point.y;
  m_Set_Camera(point, look_at, true, Game_Settings.f_camera_up);
}

void TDC_Main::m_Reset_View() {
  f_edge_pan_armed = false;
  f_overview->m_Rebuild();
  m_Set_Camera(Game_Settings.f_camera_eye, Game_Settings.f_camera_look_at, true, Game_Settings.f_camera_up);
}

bool TDC_Main::m_Panning_Blocked(std::int32_t x, std::int32_t y) const {
  if (f_screen_mode == TScreen_Mode::Battle) {
    if (f_dialogs.count("Dlg Combat Begin") || f_dialogs.count("Dlg Combat End")) return true;
    if (Inside(x, y, f_x + 442, f_y, f_x + 568, f_y + 44)) return true;
    return Inside(x, y, f_x + 570, f_y, f_x + m_Width(), f_y + 64);
  }
  for (const TDisplay_Class* panel : {static_cast<const TDisplay_Class*>(f_overview.get())})
    if (panel->m_Visible() && panel->Point_Within_Control(x, y)) return true;
  for (const char* name : {"DC Main Chat", "DC Main Purchases List", "DC Main Purchases Items"}) {
    const TDisplay_Class* panel = m_Get_Dialog(name);
    if (panel && panel->m_Visible() && panel->Point_Within_Control(x, y)) return true;
  }
  const TDC_Button& first = *f_order_buttons[0];
  const TDC_Button& second = *f_order_buttons[1];
  if ((first.m_Visible() || second.m_Visible()) && (first.m_Enabled() || second.m_Enabled()) &&
      Inside(x, y, first.m_X() - 2, first.m_Y() - 3, first.m_X() + 85, first.m_Y() + 42))
    return true;
  return Shown_And_Enabled(*f_main_buttons[0]) && Inside(x, y, f_x + 260, f_y, f_x + 468, f_y + 44);
}

bool TDC_Main::m_On_Mouse_Wheel(TShift_State shift, std::int16_t notches, std::int32_t x, std::int32_t y) {
  const float step = m_Camera_Step(shift);
  TVector eye = Game_Settings.f_camera_eye, look_at = Game_Settings.f_camera_look_at;
  eye.z += float(notches) * step;
  look_at.z += float(notches) * step;
  float px, py;
  if (G_Screen_To_Map_Point(float(x), float(y), px, py)) {
    eye.x += (px - eye.x) / 3.0f;
    eye.y += (py - eye.y) / 3.0f;
  }
  m_Set_Camera(eye, look_at, false, Game_Settings.f_camera_up);
  return true;
}

// --- timer -------------------------------------------------------------------------

void TDC_Main::m_On_Timer(float elapsed) {
  if (G_Culling_Refresh_Pending()) {
    if (G_Map) f_map_view.m_Update_Visibility(*G_Map);
    G_Culling_Clear_Refresh();
  }
  auto advance_world = [elapsed] {
    if (Master_Action_Timer) Master_Action_Timer->m_Update_Timer(elapsed);
    if (g_tg_emitter_events) g_tg_emitter_events->m_Update(elapsed);
    if (g_tg_particle_list) g_tg_particle_list->m_Advance(elapsed);
  };
  switch (f_screen_mode) {
    case TScreen_Mode::Map:
    case TScreen_Mode::Battle: {
      const bool battle = f_screen_mode == TScreen_Mode::Battle;
      const bool info_bar = !Machine_Options || Machine_Options->f_show_info_bar;
      if (!battle && !f_info_by_panel && info_bar) m_Track_Hover(elapsed);
      if (battle && info_bar) Combat_Update_Hover(elapsed);
      TVector eye = Game_Settings.f_camera_eye;
      const TVector start = eye;
      bool apply = false;
      if (f_camera_not_applied) {
        f_camera_not_applied = false;
        apply = true;
      }
      const std::int32_t w = m_Width(), h = m_Height();
      const bool at_edge = G_Mouse_X <= MAIN_EDGE_BAND || G_Mouse_X >= w - MAIN_EDGE_BAND ||
                           G_Mouse_Y <= MAIN_EDGE_BAND || G_Mouse_Y >= h - MAIN_EDGE_BAND;
      if (!at_edge) f_edge_pan_armed = true;
      if (f_edge_pan_armed && !m_Panning_Blocked(G_Mouse_X, G_Mouse_Y)) {
        const float speed = (battle ? 500.0f : 1000.0f) * elapsed;
        if (G_Mouse_X >= 0 && G_Mouse_X <= MAIN_EDGE_BAND) eye.x -= speed;
        if (G_Mouse_X >= w - MAIN_EDGE_BAND && G_Mouse_X <= w) eye.x += speed;
        if (G_Mouse_Y >= 0 && G_Mouse_Y <= MAIN_EDGE_BAND) eye.y += speed;
        if (G_Mouse_Y >= h - MAIN_EDGE_BAND && G_Mouse_Y <= h) eye.y -= speed;
      }
      // The first pass forces the stored camera onto the view: a camera read
      // from a saved game equals what is stored, and the comparison of
      // m_Set_Camera would otherwise leave the view where it was.
      if (apply || eye.x != start.x || eye.y != start.y)
        m_Set_Camera(eye, Game_Settings.f_camera_look_at, apply, Game_Settings.f_camera_up);
      if (!battle && f_order_mode != TOrder_Mode::None) m_Update_Path_Preview(elapsed);
      advance_world();
      if (!battle && f_notice_time > 0.0f) f_notice_time -= elapsed;
      break;
    }
    case TScreen_Mode::Handover:
    case TScreen_Mode::Map_Only:
      if (Master_Action_Timer) Master_Action_Timer->m_Update_Timer(elapsed);
      break;
    default:
      break;
  }
}

// --- notices and status ------------------------------------------------------------

void TDC_Main::m_Add_Notice(const std::string& text) {
  // The first ten notices stay; one more is not shown (the event log keeps
  // every event), but the lines stay up for the full time again.
  f_notice_time = MAIN_NOTICE_SECONDS;
  for (std::string& line : f_notices)
    if (line.empty()) {
      line = text;
      return;
    }
}

void TDC_Main::m_Clear_Notices() {
  f_notices.fill(std::string());
  f_notice_time = 0.0f;
}

void TDC_Main::m_Set_Status_Text(const std::string& text, bool force) {
  f_status_text = text;
  f_status_forced = force;
  TGui_Text_Link& fonts = Gui_Text_Link();
  fonts.m_Set_Font(3);
  std::int32_t h = 0;
  fonts.m_Get_Text_Extents(text, f_status_width, h);
}

void TDC_Main::m_Set_Selection(std::int32_t region, std::vector<TSelected_Unit> groups) {
  f_selected_region = region;
  f_groups = std::move(groups);
}

void TDC_Main::Map_Ownership_Changed() { f_overview->m_Invalidate(); }

// --- drawing -------------------------------------------------------------------------

namespace {
// The text as drawn in the current font within a width: whole when it fits,
// else cut at a character's boundary and ended with "...".
std::string Status_Bar_Fit(TGui_Text_Link& fonts, const std::string& text, std::int32_t width) {
  auto width_of = [&fonts](const std::string& t) {
    std::int32_t w = 0, h = 0;
    fonts.m_Get_Text_Extents(t, w, h);
    return w;
  };
  if (width_of(text) <= width) return text;
  std::string cut = text;
  while (!cut.empty()) {
    // One whole character off the end: its continuation bytes, then its first byte.
    while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0u) == 0x80u) cut.pop_back();
    if (!cut.empty()) cut.pop_back();
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    if (width_of(cut + "...") <= width) break;
  }
  return cut + "...";
}
}  // namespace

void TDC_Main::m_Draw_Status_Bar() {
  G_Draw_2D_Color_Part(Panel_Grey, {f_x, f_y, f_x + 258, f_y + 44}, false, true);
  if (g_tg_texture_list) {
    const std::int32_t cells[3][2] = {{2, 25}, {185, 2}, {185, 25}};
    for (int i = 0; i < 3; ++i) {
      const std::int32_t x = f_x + cells[i][0], y = f_y + cells[i][1];
      g_tg_texture_list->m_Draw_Part_Masked({x, y, x + 16, y + 16}, Display_Misc_Texture,
                                            {2 + 18 * i, 56, 18 + 18 * i, 72}, true);
    }
  }
  TGui_Text_Link& fonts = Gui_Text_Link();
  fonts.m_Set_Font(2);
  fonts.m_Draw_Text(f_x + 204, f_y + 2, Tenths_To_Text(Game_Settings.f_game_date));
  const TEmpire* e = G_Empire_List ? G_Empire_List->m_Get_Empire(m_Local_Player()) : nullptr;
  if (!e) return;
  Gui_Display_Link().m_Draw_Grid_Icon(f_x + 2, f_y + 2, e->m_Get_Color_Index(), e->m_Get_Flag_Index());
  const std::int32_t name_x = Game_Settings.f_flag_width + 5;
  fonts.m_Draw_Text(f_x + name_x, f_y + 3, Status_Bar_Fit(fonts, e->m_Get_Nation_Name(), 185 - 3 - name_x));
  fonts.m_Draw_Text(f_x + 21, f_y + 25,
                    "$" + Format_Money(e->m_Get_Treasury()) + " (+$" + Format_Money(e->m_Get_Income()) + ")");
  fonts.m_Draw_Text(f_x + 204, f_y + 25, "$" + Format_Money(e->m_Get_Upkeep()));
}

void TDC_Main::m_Draw_Map_Mode() {
  if (G_Map) f_map_view.m_Draw(*G_Map, m_Local_Player(), false, f_purchase_target, false);
  m_Update_Combat_Buttons();
  if (Master_Action_Timer) Master_Action_Timer->m_Draw_Actions(0.0f);
  // Another player's turn shows what that player does, not this player's
  // selection and order prompt.
  const bool own_turn = m_Local_Players_Turn();
  if (f_order_mode != TOrder_Mode::None && own_turn) {
    m_Draw_Map_Overlays();
    m_Draw_Path();
  }
  if (g_tg_particle_list) g_tg_particle_list->m_Draw();
  if (!f_overview->m_Visible()) f_overview->m_Set_Visible(true);
  const bool selection = !f_groups.empty() && own_turn;
  for (std::size_t i = 2; i < 11; ++i) f_order_buttons[i]->m_Set_Visible(selection);
  const TDC_Button& first = *f_order_buttons[0];
  G_Draw_2D_Color_Part(Panel_Grey, {first.m_X() - 2, first.m_Y() - 3, first.m_X() - 2 + 87, first.m_Y() - 3 + 45},
                       false, true);
  if (!f_info_by_panel && (!Machine_Options || Machine_Options->f_show_info_bar)) m_Draw_Info_Box();
  if (own_turn) m_Draw_Group_Panel();
  m_Draw_Status_Bar();
  G_Draw_2D_Color_Part(Panel_Grey, {f_x + 260, f_y, f_x + 468, f_y + 44}, false, true);
  TGui_Text_Link& fonts = Gui_Text_Link();
  if (!m_Local_Players_Turn() || f_status_forced) {
    const std::int32_t box_w = f_status_width <= 200 ? 200 : f_status_width + 20;
    const std::int32_t top = f_y + m_Height() / 8;
    const std::int32_t left = f_x + m_Width() / 2 - box_w / 2;
    G_Draw_2D_Color_Part(Panel_Grey, {left, top - 2, left + box_w, top + 28}, false, true);
    fonts.m_Set_Font(3);
    fonts.m_Draw_Text(f_x + m_Width() / 2 - f_status_width / 2, top, f_status_text);
  }
  if (f_notice_time > 0.0f) {
    const float alpha = std::clamp(f_notice_time / MAIN_NOTICE_SECONDS * 255.0f, 0.0f, 255.0f);
    fonts.m_Set_Font(1);
    fonts.m_Set_Color(Make_Color(255, 255, 255, std::uint8_t(alpha)));
    for (int i = 0; i < MAIN_NOTICE_LINES; ++i)
      fonts.m_Draw_Text(f_x + 20, f_y + 100 + 14 * i, fonts.m_Fit(f_notices[std::size_t(i)], m_Width() - 40));
  }
}

void TDC_Main::m_Draw(double) {
  switch (f_screen_mode) {
    case TScreen_Mode::Map:
      m_Draw_Map_Mode();
      break;
    case TScreen_Mode::Handover:
      if (!f_status_text.empty()) {
        TGui_Text_Link& fonts = Gui_Text_Link();
        fonts.m_Set_Font(3);
        fonts.m_Draw_Text(f_x + m_Width() / 2 - f_status_width / 2, f_y + m_Height() / 3, f_status_text);
      }
      break;
    case TScreen_Mode::Battle:
      Combat_Draw();
      if (Master_Action_Timer) Master_Action_Timer->m_Draw_Actions(0.0f);
      if (g_tg_particle_list) g_tg_particle_list->m_Draw();
      if (!Machine_Options || Machine_Options->f_show_info_bar) m_Draw_Info_Box();
      break;
    case TScreen_Mode::Map_Only:
      if (G_Map) f_map_view.m_Draw(*G_Map, m_Local_Player(), false, f_purchase_target, false);
      break;
    default:
      break;
  }
}

// --- chat ----------------------------------------------------------------------

void TDC_Main::m_Chat_Add_Line(const std::string& text) {
  if (!f_chat) return;
  // Lines arrive as "sender: text"; a line the game itself sends (a player
  // who left the game) has no sender and shows its text alone.
  const std::string line = text.rfind(": ", 0) == 0 ? text.substr(2) : text;
  f_chat->m_Add_Line(line);
  // With the panel hidden the line is not lost on the player: it shows
  // among the notices over the map (Enter opens the panel to answer).
  if (!f_chat->m_Visible() && f_screen_mode == TScreen_Mode::Map) m_Add_Notice(line);
}

void TDC_Main::m_Chat_Add_Lines(const std::vector<std::string>& lines) {
  // The lobby's lines, handed over as the game starts: into the panel only.
  if (f_chat)
    for (const std::string& line : lines) f_chat->m_Add_Line(line);
}

void TDC_Main::m_Show_Chat() {
  if (f_chat) f_chat->m_Set_Visible(true);
}
