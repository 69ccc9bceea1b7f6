#include "DC_Dlg_LoadSaveGame.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "DC_Dlg_List.h"
#include "Datafile_UserSettings.h"
#include "Errors.h"
#include "GameFolder.h"
#include "GameSettings.h"
#include "Global.h"
#include "GraphicsEngine.h"
#include "Io.h"
#include "MachineOptions.h"
#include "Native_Path.h"
#include "Path.h"
#include "Shell_Services.h"
#include "SteppedTask.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* OK_Name = "LOADSAVEGAME_CONTROL_BUTTON_OK";
constexpr const char* Cancel_Name = "LOADSAVEGAME_CONTROL_BUTTON_CANCEL";
constexpr const char* Delete_Name = "LOADSAVEGAME_CONTROL_BUTTON_DELETE";
constexpr const char* List_Name = "LOADSAVEGAME_CONTROL_FILE_LIST";
constexpr const char* Edit_Name = "LOADSAVEGAME_CONTROL_FILENAME_EDIT";
constexpr const char* Overview_File = "OverviewMap.bmp";
constexpr std::int32_t Delete_Question_Tag = 1;
constexpr std::int32_t Name_Clip_Width = 340;
constexpr std::int32_t Row_Height = 18;

std::string Background_File() { return Path_Settings ? Path_Settings->m_Get_Dlg_LoadSaveGame_Bmp() : std::string(); }
std::string Savegames_Dir() { return Path_Settings ? Path_Settings->m_Get_Savegames_Dir() : std::string(); }

bool Same(const std::string& a, const char* b) { return Text_Compare(a, b) == 0; }

std::time_t File_Time(const fs::path& p, bool& ok) {
  std::error_code ec;
  const auto t = fs::last_write_time(p, ec);
  ok = !ec;
  if (ec) return 0;
  const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      t - fs::file_time_type::clock::now() + std::chrono::system_clock::now());
  return std::chrono::system_clock::to_time_t(system);
}

// The text cut to whole characters so that it fits the width in the
// current font; a cut text ends with `tail`.
std::string Clip_To_Width(const std::string& text, std::int32_t width, const std::string& tail = "") {
  TGui_Text_Link& font = Gui_Text_Link();
  std::int32_t w = 0, h = 0;
  font.m_Get_Text_Extents(text, w, h);
  if (w <= width) return text;
  std::int32_t n = Utf8_Length(text);
  while (n > 0) {
    --n;
    const std::string cut = text.substr(0, Utf8_Offset(text, n)) + tail;
    font.m_Get_Text_Extents(cut, w, h);
    if (w <= width) return cut;
  }
  return std::string();
}

// The messages that the game folder's steps show while a job of this
// dialog runs: kept, so that the dialog shows them itself.
class TCaptured_Messages : public TShell_Services {
 public:
  explicit TCaptured_Messages(TShell_Services& outer) : f_outer(outer) {}
  bool m_Main_Screen_Exists() const override { return f_outer.m_Main_Screen_Exists(); }
  void m_Show_Message(const std::string& caption, const std::string& text, int) override {
    f_captions.push_back(caption);
    f_texts.push_back(text);
  }
  void m_Show_List(const std::vector<std::string>& rows, const std::string& caption, const std::string& text) override {
    f_outer.m_Show_List(rows, caption, text);
  }
  double m_Latest_Frame_Time() const override { return f_outer.m_Latest_Frame_Time(); }
  // Messages of a call that went well are passed on as they came.
  void m_Pass_On() {
    for (std::size_t i = 0; i < f_captions.size(); ++i) f_outer.m_Show_Message(f_captions[i], f_texts[i], 0);
  }
  std::vector<std::string> f_captions, f_texts;

 private:
  TShell_Services& f_outer;
};

// The job that runs: its dialog (nullptr once the dialog is gone; the job
// then finishes on its own), its directory and what it found.
struct TLoad_Save_Job {
  TDC_Dlg_LoadSaveGame* dialog = nullptr;
  std::string directory;
  bool failed = false;
  TLoad_Job_End end = TLoad_Job_End::Loaded;
  TLoad_Result result_code = TLoad_Result::Game;
  std::string caption, text;
};
TLoad_Save_Job job;

// Runs one call of the game folder with its messages captured.
template <typename F>
bool Captured(std::string& caption, std::string& text, F&& call) {
  TShell_Services& outer = Shell_Services();
  TCaptured_Messages capture(outer);
  Set_Shell_Services(&capture);
  bool ok = false;
  try {
    ok = call();
  } catch (const std::exception& e) {
    capture.m_Show_Message("Error", e.what(), 0);
    ok = false;
  }
  Set_Shell_Services(&outer);
  if (ok)
    capture.m_Pass_On();
  else if (caption.empty() && !capture.f_captions.empty()) {
    caption = capture.f_captions.front();
    text = capture.f_texts.front();
  }
  return ok;
}

void Set_Progress(std::int32_t step) {
  if (job.dialog)
    if (TDC_Dlg_Progress* p = job.dialog->m_Progress_Dialog()) p->m_Set_Percent(std::min(step, 99));
}
}  // namespace

// --- the list of saves ---------------------------------------------------------

std::string Load_Save_Date_Text(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

std::vector<TSave_Game_Entry> Load_Save_List_Saves(const std::string& savegames_dir) {
  std::vector<TSave_Game_Entry> saves;
  if (savegames_dir.empty()) return saves;
  std::error_code ec;
  for (fs::directory_iterator it(Native_Path(savegames_dir), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code type_ec;
    if (!it->is_directory(type_ec)) continue;
    TSave_Game_Entry e;
    e.name = it->path().filename().string();
    // Folders a save or a load assembles beside the save are no saves, nor
    // is any folder whose name a save could not have.
    if (!Path_Name_Problem(e.name, "save").empty()) continue;
    bool ok = false;
    e.time = File_Time(it->path() / "CurrentMap.map", ok);
    if (!ok) e.time = File_Time(it->path(), ok);
    e.date_text = Load_Save_Date_Text(e.time);
    saves.push_back(std::move(e));
  }
  std::sort(saves.begin(), saves.end(), [](const TSave_Game_Entry& a, const TSave_Game_Entry& b) {
    if (a.time != b.time) return a.time > b.time;
    return a.name < b.name;
  });
  return saves;
}

bool Load_Save_Last_Save_Exists() {
  const std::string dir = Last_Save_Directory();
  return !dir.empty() && Directory_Exists(dir) && File_Exists(dir + Game_Folder_Files[0]);
}

// --- the dialog ------------------------------------------------------------------

TDC_Dlg_LoadSaveGame::TDC_Dlg_LoadSaveGame() {
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_OPENED, UI_SOUND_VOLUME);
  f_background = Gui_Load_Background(Background_File());
  const char* captions[3] = {"OK", "Cancel", "Delete"};
  for (std::int32_t i = 0; i < 3; ++i) {
    TDC_Text_Button& b = f_buttons[std::size_t(i)];
    b.m_Set_Style(2, 90, 22, 0, i + 1);
    b.m_Set_Font(2);
    b.m_Set_Shadow();
    b.m_Set_Text(captions[i]);
    b.OnClick = [this](const std::string& name, TMouse_Button, TShift_State) { m_On_Button(name); };
    b.m_Set_Visible(true);
    Add_Child_Control(&b);
  }
  f_file_list.m_Set_Shadow_Color(0, 0, 0);
  f_file_list.OnOwnerDraw = [this](const std::string&, std::int32_t row, std::int32_t x, std::int32_t top, std::int32_t,
                                   std::int32_t, bool selected, bool, const std::string&,
                                   const std::string&) { m_Draw_Row(row, x, top, selected); };
  f_file_list.OnSelect = [this](const std::string&, std::int32_t, const std::string& text, const std::string&) {
    f_file_name_edit.m_Set_Text(text);
    m_Refresh_Details();
  };
  f_file_list.OnDoubleClick = [this](const std::string&, std::int32_t, const std::string& text, const std::string&) {
    f_file_name_edit.m_Set_Text(text);
    m_Refresh_Details();
    m_Ok();
  };
  f_file_list.m_Set_Visible(true);
  Add_Child_Control(&f_file_list);
  f_file_name_edit.m_Set_Shadow_Color(0, 0, 0);
  f_file_name_edit.f_editable = false;
  f_file_name_edit.f_maximum_length = Path_Name_Max_Length;
  f_file_name_edit.OnChange = [this](const std::string&) { m_Refresh_Details(); };
  f_file_name_edit.m_Set_Visible(true);
  Add_Child_Control(&f_file_name_edit);
  m_On_Reposition();
}

TDC_Dlg_LoadSaveGame::~TDC_Dlg_LoadSaveGame() {
  if (job.dialog == this) job.dialog = nullptr;
  Gui_Sound_Link().m_Play_UI_Sound(UI_SOUND_WINDOW_CLOSED, UI_SOUND_VOLUME);
  Gui_Release_Background(f_background);
  Gui_Release_Background(f_preview);
  for (TDisplay_Class* c : {static_cast<TDisplay_Class*>(&f_file_name_edit), static_cast<TDisplay_Class*>(&f_file_list),
                            static_cast<TDisplay_Class*>(&f_buttons[0]), static_cast<TDisplay_Class*>(&f_buttons[1]),
                            static_cast<TDisplay_Class*>(&f_buttons[2])})
    Remove_Child_Control(c);
}

bool TDC_Dlg_LoadSaveGame::m_Reload_Images() {
  Gui_Release_Background(f_background);
  f_background = Gui_Load_Background(Background_File());
  m_Refresh_Details();
  return TDisplay_Class::m_Reload_Images();
}

void TDC_Dlg_LoadSaveGame::m_On_Reposition() {
  f_buttons[0].m_Set_Position(OK_Name, Checked_Add(f_x, 414), Checked_Add(f_y, 576));
  f_buttons[1].m_Set_Position(Cancel_Name, Checked_Add(f_x, 505), Checked_Add(f_y, 576));
  f_buttons[2].m_Set_Position(Delete_Name, Checked_Add(f_x, 5), Checked_Add(f_y, 576));
  f_file_list.m_Set_Name_And_Bounds(List_Name, Checked_Add(f_x, 13), Checked_Add(f_y, 42), 574, 377);
  f_file_name_edit.m_Set_Position(Edit_Name, Checked_Add(f_x, 13), Checked_Add(f_y, 437), 171, 20);
}

bool TDC_Dlg_LoadSaveGame::m_Job_Running() const { return Stepped_Task_Running && job.dialog == this; }

void TDC_Dlg_LoadSaveGame::m_Set_Save_Mode() {
  f_save_mode = true;
  f_load_mode = f_direct_mode = false;
  f_title = "Save Game";
  f_buttons[0].m_Set_Text("Save");
  f_file_name_edit.f_editable = true;
  f_file_name_edit.m_Set_Focus();
  m_Set_Help_Page(5);
  m_List_Saves();
}

void TDC_Dlg_LoadSaveGame::m_Set_Load_Mode() {
  f_load_mode = true;
  f_save_mode = f_direct_mode = false;
  f_title = "Load Game";
  f_buttons[0].m_Set_Text("Load");
  f_file_name_edit.f_editable = false;
  m_Set_Help_Page(4);
  m_List_Saves();
}

// The help of the buttons, the list, the name field and the two areas below
// them: the same entries on the save page and on the load page of the help.
void TDC_Dlg_LoadSaveGame::m_Set_Help_Page(std::int32_t page) {
  for (std::int32_t i = 0; i < 3; ++i)
    f_buttons[std::size_t(i)].m_Set_Help_Ref(1, page, i == 0 ? 6 : i == 1 ? 7 : 5, "", 0);
  f_file_list.m_Set_Help_Ref(1, page, 1, "", 0);
  f_file_name_edit.m_Set_Help_Ref(1, page, 2, "", 0);
  m_Clear_Help_Areas();
  m_Add_Help_Area(1, page, 3, "", 0, 193, 422, 130, 140);
  m_Add_Help_Area(1, page, 4, "", 0, 331, 437, 256, 128);
}

void TDC_Dlg_LoadSaveGame::m_Load_Direct() {
  f_direct_mode = true;
  f_save_mode = f_load_mode = false;
  for (TDisplay_Class* c : {static_cast<TDisplay_Class*>(&f_file_name_edit), static_cast<TDisplay_Class*>(&f_file_list),
                            static_cast<TDisplay_Class*>(&f_buttons[0]), static_cast<TDisplay_Class*>(&f_buttons[1]),
                            static_cast<TDisplay_Class*>(&f_buttons[2])}) {
    c->m_Set_Visible(false);
    c->m_Set_Enabled(false);
  }
  m_Ok();
}

void TDC_Dlg_LoadSaveGame::m_List_Saves() {
  f_file_list.m_Clear();
  f_saves = Load_Save_List_Saves(Savegames_Dir());
  f_clipped_names.clear();
  Gui_Text_Link().m_Set_Font(2);
  for (std::size_t i = 0; i < f_saves.size(); ++i) {
    f_clipped_names.push_back(Clip_To_Width(f_saves[i].name, Name_Clip_Width));
    f_file_list.m_Add_Row(f_saves[i].name, std::to_string(i + 1), Row_Height);
  }
  f_file_list.m_Clear_Selection();
}

void TDC_Dlg_LoadSaveGame::m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top, bool selected) {
  if (row < 1 || std::size_t(row) > f_saves.size()) return;
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(selected ? User_Settings.m_Get_Selected_Text_Color() : User_Settings.m_Get_Normal_Text_Color());
  font.m_Draw_Text_Shadowed(Checked_Add(x, 5), Checked_Add(top, 2), f_clipped_names[std::size_t(row - 1)]);
  font.m_Draw_Text_Shadowed(Checked_Add(x, 356), Checked_Add(top, 2), f_saves[std::size_t(row - 1)].date_text);
}

void TDC_Dlg_LoadSaveGame::m_Refresh_Details() {
  Gui_Release_Background(f_preview);
  f_preview_file_found = false;
  f_detail_date.clear();
  f_detail_type.clear();
  f_detail_version.clear();
  f_detail_players.clear();
  f_detail_started.clear();
  const std::string name = f_file_name_edit.m_Text();
  std::string reason;
  // Only the name of an existing save below savegames\ is looked at.
  if (!Save_Name_Valid(name, reason)) return;
  const std::string dir = Savegames_Dir() + name + "\\";
  if (!File_Exists(dir + Overview_File)) return;
  f_preview_file_found = true;
  f_preview = Gui_Load_Background(dir + Overview_File);
  if (!File_Exists(dir + Game_Folder_Files[0])) return;
  TGame_Settings settings;
  std::string caption, text;
  if (!Captured(caption, text, [&] { return settings.m_Load_From_File(dir + Game_Folder_Files[0]); })) return;
  // Each value ends before the preview begins.
  Gui_Text_Link().m_Set_Font(2);
  const std::int32_t room = 331 - 204 - 4;
  f_detail_date = Clip_To_Width(Tenths_To_Text(settings.f_game_date), room, "...");
  f_detail_type = Clip_To_Width(settings.f_game_type_name, room, "...");
  f_detail_version = Clip_To_Width(settings.f_version, room, "...");
  f_detail_players = Clip_To_Width(settings.f_description, room, "...");
  f_detail_started = Clip_To_Width(settings.f_creation_date, room, "...");
}

void TDC_Dlg_LoadSaveGame::m_Draw(double) {
  if (f_direct_mode) return;
  Gui_Draw_Background(f_background, f_x, f_y, 600, 600);
  Gui_Draw_Dialog_Title(f_x, f_y, f_title);
  TGui_Text_Link& font = Gui_Text_Link();
  font.m_Set_Font(2);
  font.m_Set_Color(User_Settings.m_Get_Label_Text_Color());
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 13), Checked_Add(f_y, 26), "Saved Games");
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 13), Checked_Add(f_y, 422), "Name");
  // The field of the name.
  G_Draw_2D_Color_Part(User_Settings.m_Get_List_Background_Color(),
                       TRect{Checked_Add(f_x, 11), Checked_Add(f_y, 435), Checked_Add(f_x, 186), Checked_Add(f_y, 459)},
                       false, false);
  if (!m_Has_Preview()) return;
  const TColor grey = Make_Color(192, 192, 192), white = Make_Color(255, 255, 255);
  font.m_Set_Color(grey);
  font.m_Draw_Text_Shadowed(Checked_Add(f_x, 193), Checked_Add(f_y, 422), "Game Details");
  const char* labels[5] = {"Game Date", "Type", "Version", "Players", "Started On"};
  const std::array<std::string, 5> values = m_Details();
  for (std::int32_t i = 0; i < 5; ++i) {
    font.m_Set_Color(grey);
    font.m_Draw_Text_Shadowed(Checked_Add(f_x, 195), Checked_Add(f_y, 435 + 24 * i), labels[i]);
    font.m_Set_Color(white);
    // Up to the picture of the map.
    font.m_Draw_Text_Shadowed(Checked_Add(f_x, 204), Checked_Add(f_y, 447 + 24 * i),
                              font.m_Fit(values[std::size_t(i)], 331 - 6 - 204));
  }
  if (f_preview) Gui_Draw_Background(f_preview, Checked_Add(f_x, 331), Checked_Add(f_y, 437), 256, 128);
}

void TDC_Dlg_LoadSaveGame::m_On_Button(const std::string& name) {
  if (Same(name, OK_Name))
    m_Ok();
  else if (Same(name, Cancel_Name))
    m_Cancel();
  else if (Same(name, Delete_Name))
    m_Delete();
}

bool TDC_Dlg_LoadSaveGame::m_On_Key_Down(std::uint16_t& key, TShift_State) {
  if (key == VK_ESCAPE) {
    if (!m_Job_Running()) m_Cancel();
    return true;
  }
  return false;
}

void TDC_Dlg_LoadSaveGame::m_Report(const std::string& caption, const std::string& text) {
  if (f_direct_mode) {
    f_error_caption = caption;
    f_error_text = text;
    return;
  }
  Gui_Sound_Link().m_Play_UI_Sound(9, UI_SOUND_VOLUME);
  m_Show_Message(caption, text, TMessage_Box_Mode::Close, 0, 0);
}

void TDC_Dlg_LoadSaveGame::m_Cancel() {
  if (m_Job_Running()) return;
  f_result = TLoad_Save_Result::Cancelled;
  Set_Kill_Object(true);
}

void TDC_Dlg_LoadSaveGame::m_Ok() {
  if (m_Job_Running() || f_kill) return;
  f_result = TLoad_Save_Result::Cancelled;
  std::string reason;
  if (f_save_mode) {
    const std::string name = f_file_name_edit.m_Text();
    if (!Save_Name_Valid(name, reason)) {
      m_Report("Error", reason);
      return;
    }
    f_save_dir = Savegames_Dir() + name + "\\";
    job = TLoad_Save_Job();
    job.dialog = this;
    job.directory = f_save_dir;
    m_Open_Progress();
    if (TDC_Dlg_Progress* p = m_Progress_Dialog()) p->m_Set_Caption("Saving Game...");
    Stepped_Task_Begin(nullptr, 1, 100, 0, &TDC_Dlg_LoadSaveGame::m_Save_Step, this);
    return;
  }
  if (f_load_mode) {
    const std::string name = f_file_name_edit.m_Text();
    if (!Save_Name_Valid(name, reason)) {
      m_Report("File Load Error", reason);
      return;
    }
    f_save_dir = Savegames_Dir() + name + "\\";
  } else if (f_direct_mode) {
    // Only a save's folder inside savegames\ is loaded from.
    f_save_dir = Last_Save_Directory();
  } else {
    return;
  }
  if (f_save_dir.empty() || !Directory_Exists(f_save_dir)) {
    const std::string named = f_direct_mode && Machine_Options ? Machine_Options->f_last_savegame_dir : f_save_dir;
    m_Report("File Load Error", "Could not find savegame directory " + named);
    if (f_direct_mode) Set_Kill_Object(true);
    return;
  }
  m_Start_Load();
}

void TDC_Dlg_LoadSaveGame::m_Start_Load() {
  job = TLoad_Save_Job();
  job.dialog = this;
  job.directory = f_save_dir;
  m_Open_Progress();
  if (TDC_Dlg_Progress* p = m_Progress_Dialog()) p->m_Set_Caption("Loading Game...");
  Stepped_Task_Begin(nullptr, 1, 100, 0, &TDC_Dlg_LoadSaveGame::m_Load_Step, this);
}

bool TDC_Dlg_LoadSaveGame::m_Save_Step(void*, bool is_first, bool is_last, std::int32_t step, TDisplay_Class*, float,
                                       std::int32_t, std::int32_t&) {
  std::int32_t code = 0;
  if (is_first)
    return Captured(job.caption, job.text,
                    [&] { return Main_Save_Game_Stepped(job.directory, true, false, code, step); });
  if (is_last) {
    Captured(job.caption, job.text, [&] { return Main_Save_Game_Stepped(job.directory, false, true, code, step); });
    // A job that stopped before its last step failed.
    if (step < 100) job.failed = true;
    if (job.dialog) job.dialog->m_Save_Finished(job.failed);
    return true;
  }
  Set_Progress(step);
  if (!Captured(job.caption, job.text,
                [&] { return Main_Save_Game_Stepped(job.directory, false, false, code, step); })) {
    job.failed = true;
    return false;
  }
  return true;
}

bool TDC_Dlg_LoadSaveGame::m_Load_Step(void*, bool is_first, bool is_last, std::int32_t step, TDisplay_Class*, float,
                                       std::int32_t, std::int32_t&) {
  if (is_first)
    return Captured(job.caption, job.text,
                    [&] { return Main_Load_Game_Stepped(job.directory, true, false, job.result_code, 0, step); });
  if (is_last) {
    Captured(job.caption, job.text,
             [&] { return Main_Load_Game_Stepped(job.directory, false, true, job.result_code, 0, step); });
    if (step < 100 && job.end == TLoad_Job_End::Loaded) job.end = TLoad_Job_End::Failed;
    if (job.dialog) job.dialog->m_Load_Finished(job.end);
    return true;
  }
  Set_Progress(step);
  if (!Captured(job.caption, job.text,
                [&] { return Main_Load_Game_Stepped(job.directory, false, false, job.result_code, 0, step); })) {
    job.end = TLoad_Job_End::Failed;
    return false;
  }
  if (job.result_code == TLoad_Result::End_Turn_Resumes) job.end = TLoad_Job_End::End_Turn_Resumes;
  if (job.result_code == TLoad_Result::Hosted_Game) job.end = TLoad_Job_End::Hosted_Game;
  return true;
}

void TDC_Dlg_LoadSaveGame::m_Save_Finished(bool failed) {
  m_Close_Progress();
  if (!failed) {
    f_result = TLoad_Save_Result::Done;
    Set_Kill_Object(true);
    return;
  }
  // The dialog stays open: the name can be changed or the save cancelled.
  m_Report(job.caption.empty() ? "Save file error" : job.caption,
           job.caption.empty() ? "The game could not be saved to " + f_save_dir : job.text);
  m_List_Saves();
}

void TDC_Dlg_LoadSaveGame::m_Load_Finished(TLoad_Job_End end) {
  m_Close_Progress();
  if (end == TLoad_Job_End::Failed) {
    // Nothing of the running game changed: the dialog stays open with the
    // reason (in direct mode the main screen shows it).
    m_Report(job.caption.empty() ? "File Load Error" : job.caption,
             job.caption.empty() ? "The saved game " + f_save_dir + " could not be loaded." : job.text);
    if (f_direct_mode) Set_Kill_Object(true);
    return;
  }
  f_result = TLoad_Save_Result::Done;
  f_keep_screen_mode = end == TLoad_Job_End::Hosted_Game;
  Set_Kill_Object(true);
}

void TDC_Dlg_LoadSaveGame::m_Delete() {
  if (m_Job_Running()) return;
  const std::string name = f_file_name_edit.m_Text();
  if (Text_Trim(name).empty()) return;
  std::string reason;
  if (!Save_Name_Valid(name, reason)) {
    m_Report("Error", reason);
    return;
  }
  m_Show_Question("Delete Savegame",
                  Text_Replace_All("Are you sure you want to delete savegame \"[%Filename%]\"?", "[%Filename%]", name),
                  Delete_Question_Tag, 1);
}

void TDC_Dlg_LoadSaveGame::m_On_Question_Answer(std::int32_t tag, std::uint8_t result) {
  if (tag != Delete_Question_Tag || result != 1) return;
  const std::string name = f_file_name_edit.m_Text();
  std::string reason;
  if (!Save_Name_Valid(name, reason)) return;
  const std::string dir = Savegames_Dir() + name + "\\";
  if (Directory_Exists(dir)) {
    Delete_Directory_Files(dir);
    if (!Directory_Remove(dir)) m_Report("Error", "Unable to remove directory \"" + dir + "\".");
  }
  m_List_Saves();
  f_file_name_edit.m_Set_Text("");
  f_file_list.m_Clear_Selection();
  m_Refresh_Details();
}
