#include "DC_Dlg_GameOver.h"

#include <algorithm>

#include "DC_Base_EditText.h"
#include "DC_Dlg_List.h"
#include "Empire.h"
#include "Errors.h"
#include "GameSettings.h"
#include "Path.h"
#include "SoundEngine_Music_Base.h"

void (*Game_Over_Start_Music)(TMusic_Category) = Sound_Music_Start_Music;

namespace {
constexpr const char* Close_Name = "COMBAT_CONTROL_BUTTON_CLOSE";
// The widest sentence that one line of the picture holds.
constexpr std::int32_t Game_Over_Line_Width = 780;

std::string Background_File() { return Path_Settings ? Path_Settings->m_Get_Dlg_EndGame_Bmp() : std::string(); }
}  // namespace

std::string Game_Over_Text(std::uint8_t winner, const std::string& nation_name, std::uint8_t local_player) {
  if (winner == 0) return "You have been defeated.";
  return "The " + nation_name + " has conquered the world." +
         (winner == local_player ? " You are victorious!" : " You have been defeated.");
}

std::vector<std::string> Game_Over_Lines(const std::string& text, std::int32_t width) {
  TGui_Text_Link& font = Gui_Text_Link();
  std::vector<std::string> lines;
  std::string line;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t space = text.find(' ', i);
    const std::string word = text.substr(i, space == std::string::npos ? std::string::npos : space - i);
    i = space == std::string::npos ? text.size() : space + 1;
    if (word.empty()) continue;
    const std::string longer = line.empty() ? word : line + " " + word;
    std::int32_t w = 0, h = 0;
    font.m_Get_Text_Extents(longer, w, h);
    // A word that would not fit starts the next line.
    if (!line.empty() && w > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TDC_Dlg_GameOver::TDC_Dlg_GameOver() : TDisplay_Class(DC_KIND_WINDOW) {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  Game_Over_Start_Music(TMusic_Category::Finale);
  f_background = Gui_Load_Background(Background_File());
  f_close_button.m_Set_Style(2, 90, 22, 0, 1);
  f_close_button.m_Set_Font(2);
  f_close_button.m_Set_Shadow();
  f_close_button.m_Set_Text("Close");
  f_close_button.m_Set_Help_Ref(1, 17, 2, "", 0);
  f_close_button.OnClick = [this](const std::string&, TMouse_Button, TShift_State) { Set_Kill_Object(true); };
  f_close_button.m_Set_Visible(true);
  Add_Child_Control(&f_close_button);
  m_Add_Help_Area(1, 17, 1, "", 0, 5, 27, 790, 546);
  // The winner is judged from this machine's point of view: only the
  // player who won reads that they are victorious.
  const std::uint8_t winner = G_Empire_List ? G_Empire_List->m_Get_Winner() : 0;
  const TEmpire* e = winner && G_Empire_List ? G_Empire_List->m_Get_Empire(winner) : nullptr;
  f_text = Game_Over_Text(e ? winner : 0, e ? e->m_Get_Nation_Name() : std::string(), Game_Settings.f_local_empire);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(5);
  font.m_Get_Text_Extents(f_text, f_text_width, f_text_height);
  m_On_Reposition();
}

TDC_Dlg_GameOver::~TDC_Dlg_GameOver() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  Gui_Release_Background(f_background);
  Remove_Child_Control(&f_close_button);
}

bool TDC_Dlg_GameOver::m_Reload_Images() {
  Gui_Release_Background(f_background);
  f_background = Gui_Load_Background(Background_File());
  return TDisplay_Class::m_Reload_Images();
}

void TDC_Dlg_GameOver::m_On_Reposition() {
  f_close_button.m_Set_Position(Close_Name, Checked_Add(f_x, 705), Checked_Add(f_y, 576));
}

bool TDC_Dlg_GameOver::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key != VK_ESCAPE) return false;
  Set_Kill_Object(true);
  return true;
}

void TDC_Dlg_GameOver::m_Draw(double) {
  Gui_Draw_Background(f_background, f_x, f_y, 800, 600);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(5);
  font.m_Set_Color(Make_Color(255, 255, 255));
  if (f_text_width <= Game_Over_Line_Width) {
    font.m_Draw_Text_Shadowed(Checked_Add(f_x, 400 - f_text_width / 2), Checked_Add(f_y, 512), f_text);
    return;
  }
  // Too wide for the picture (a long nation name): the words go on as many
  // centred lines as they need, the block centred on the sentence's line.
  const std::vector<std::string> lines = Game_Over_Lines(f_text, Game_Over_Line_Width);
  const std::int32_t step = f_text_height + 4;
  std::int32_t y = 512 - (std::int32_t(lines.size()) - 1) * step / 2;
  for (const std::string& line : lines) {
    std::int32_t w = 0, h = 0;
    font.m_Get_Text_Extents(line, w, h);
    font.m_Draw_Text_Shadowed(Checked_Add(f_x, 400 - w / 2), Checked_Add(f_y, y), line);
    y += step;
  }
}
