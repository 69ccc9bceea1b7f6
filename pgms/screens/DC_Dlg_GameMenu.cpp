#include "DC_Dlg_GameMenu.h"

#include <memory>

#include "DC_Base_EditText.h"
#include "DC_Dlg_CombatOptions.h"
#include "DC_Dlg_GameOptions.h"
#include "DC_Dlg_GameOver.h"
#include "DC_Dlg_List.h"
#include "DC_Dlg_LoadSaveGame.h"
#include "DC_Main.h"
#include "Errors.h"
#include "Io.h"
#include "Path.h"

namespace {
const char* const Captions[6] = {"New Game", "Load Game", "Save Game", "Options", "Quit Game", "Close"};

std::string Button_Name(std::int32_t n) { return "GAMEMENU_CONTROL_BUTTON_" + std::to_string(n); }

std::string Background_File() { return Path_Settings ? Path_Settings->m_Get_Dlg_GameMenu_Bmp() : std::string(); }
}  // namespace

TDC_Dlg_GameMenu::TDC_Dlg_GameMenu() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  f_background = Gui_Load_Background(Background_File());
  for (std::int32_t n = 1; n <= 6; ++n) {
    TDC_Text_Button& b = f_buttons[std::size_t(n - 1)];
    b.m_Set_Style(3, 168, 40, 0, n);
    b.m_Set_Font(1);
    b.m_Set_Shadow();
    b.m_Set_Text(Captions[n - 1]);
    b.m_Set_Help_Ref(1, 12, n, "", 0);
    b.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_On_Button(name); };
    b.m_Set_Visible(true);
    Add_Child_Control(&b);
  }
  m_On_Reposition();
}

TDC_Dlg_GameMenu::~TDC_Dlg_GameMenu() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  Gui_Release_Background(f_background);
  while (m_Child_Count() > 0) Remove_Child_Control(m_Child(m_Child_Count()));
}

bool TDC_Dlg_GameMenu::m_Reload_Images() {
  Gui_Release_Background(f_background);
  f_background = Gui_Load_Background(Background_File());
  return TDisplay_Class::m_Reload_Images();
}

void TDC_Dlg_GameMenu::m_On_Reposition() {
  for (std::int32_t n = 1; n <= 6; ++n)
    f_buttons[std::size_t(n - 1)].m_Set_Position(Button_Name(n), Checked_Add(f_x, 5), Checked_Add(f_y, 41 * n - 14));
}

void TDC_Dlg_GameMenu::m_On_Button(const std::string& name) {
  for (std::int32_t n = 1; n <= 6; ++n)
    if (Text_Compare(name, Button_Name(n)) == 0) {
      f_choice = TGame_Menu_Choice(n);
      Set_Kill_Object(true);
      return;
    }
}

bool TDC_Dlg_GameMenu::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != VK_ESCAPE) return false;
  m_On_Button(Button_Name(std::int32_t(TGame_Menu_Choice::Close)));
  return true;
}

void TDC_Dlg_GameMenu::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 178, 300);
  Gui_Draw_Dialog_Title(f_x, f_y, "Game Menu");
}

// --- the dialogs of the running game, by display name --------------------------

void Game_Menu_Dialogs_Install() {
  DC_Main_Register_Dialog("Dlg Game Menu", {[](std::int32_t, std::int32_t) -> std::unique_ptr<TDisplay_Class> {
                                              return std::make_unique<TDC_Dlg_GameMenu>();
                                            },
                                            [](TDisplay_Class& d) {
                                              TDC_Main_Dialog_Outcome o;
                                              if (auto* menu = dynamic_cast<TDC_Dlg_GameMenu*>(&d))
                                                o.result = std::int32_t(menu->m_Get_Choice());
                                              return o;
                                            }});
  const auto load_save_outcome = [](TDisplay_Class& d) {
    TDC_Main_Dialog_Outcome o;
    if (auto* dialog = dynamic_cast<TDC_Dlg_LoadSaveGame*>(&d)) {
      o.result = std::int32_t(dialog->f_result);
      o.tag = std::int32_t(dialog->f_opener);
      o.keep_screen_mode = dialog->f_keep_screen_mode;
      o.message_caption = dialog->f_error_caption;
      o.message_text = dialog->f_error_text;
    }
    return o;
  };
  DC_Main_Register_Dialog("Dlg Load Game", {[](std::int32_t a, std::int32_t b) -> std::unique_ptr<TDisplay_Class> {
                                              auto dialog = std::make_unique<TDC_Dlg_LoadSaveGame>();
                                              // a: where it was opened from; b: the way it loads.
                                              dialog->m_Set_Opener(TLoad_Opener(a));
                                              if (TLoad_Way(b) == TLoad_Way::Last_Save)
                                                dialog->m_Load_Direct();
                                              else
                                                dialog->m_Set_Load_Mode();
                                              return dialog;
                                            },
                                            load_save_outcome});
  DC_Main_Register_Dialog("Dlg Save Game", {[](std::int32_t, std::int32_t) -> std::unique_ptr<TDisplay_Class> {
                                              auto dialog = std::make_unique<TDC_Dlg_LoadSaveGame>();
                                              dialog->m_Set_Save_Mode();
                                              return dialog;
                                            },
                                            load_save_outcome});
  DC_Main_Register_Dialog("Dlg Game Options", {[](std::int32_t, std::int32_t) -> std::unique_ptr<TDisplay_Class> {
                                                 return std::make_unique<TDC_Dlg_Game_Options>();
                                               },
                                               [](TDisplay_Class&) { return TDC_Main_Dialog_Outcome(); }});
  DC_Main_Register_Dialog("Dlg Game Over", {[](std::int32_t, std::int32_t) -> std::unique_ptr<TDisplay_Class> {
                                              return std::make_unique<TDC_Dlg_GameOver>();
                                            },
                                            [](TDisplay_Class&) { return TDC_Main_Dialog_Outcome(); }});
  DC_Main_Register_Dialog("Dlg Combat Options", {[](std::int32_t, std::int32_t) -> std::unique_ptr<TDisplay_Class> {
                                                   return std::make_unique<TDC_Dlg_Combat_Options>();
                                                 },
                                                 [](TDisplay_Class&) { return TDC_Main_Dialog_Outcome(); }});
}
