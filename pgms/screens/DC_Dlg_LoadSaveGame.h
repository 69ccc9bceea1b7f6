// The load and save game dialog: the list of saved games (newest first) with
// the details and the overview picture of the selected one; saves the
// running game under a name, loads a saved game or deletes one (after a
// question). Without being shown it loads the most recently saved game at
// once ("direct mode", the start menu's Resume).
//
// Every saved game is a directory under savegames\ named like the save,
// holding the six files of a game and, when present, OverviewMap.bmp.
//
// Names are checked before anything is written or deleted; a refused name
// gets a message and nothing is touched. Saving and loading run as stepped
// jobs under the progress dialog; a job that fails keeps the dialog open and
// shows why (the running game stays as it was). In direct mode the dialog
// closes with result 2 and the reason, which the main screen shows.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "DC_Base_Dialog.h"
#include "DC_Base_EditText.h"
#include "DC_Base_List.h"
#include "DC_Base_TextButton.h"

// One saved game of the list.
struct TSave_Game_Entry {
  std::string name;
  std::string date_text;  // "yyyy-mm-dd hh:mm:ss"
  std::time_t time = 0;   // the save's CurrentMap.map, else the directory itself
};

// Every save directory under `savegames_dir` (a game path ending with "\"),
// newest first; saves of the same time by name.
std::vector<TSave_Game_Entry> Load_Save_List_Saves(const std::string& savegames_dir);
// Whether the machine options name a last save that can be resumed (the
// directory exists and holds the game's settings).
bool Load_Save_Last_Save_Exists();
// A time stamp as "yyyy-mm-dd hh:mm:ss" in local time.
std::string Load_Save_Date_Text(std::time_t t);

// How the dialog ends: still open, the game was saved or loaded, or nothing
// was (cancelled, or in direct mode a load that failed).
enum class TLoad_Save_Result : std::int32_t { Open = 0, Done = 1, Cancelled = 2 };

// Where the load dialog was opened from: closed without a load from the
// start menu, the start menu opens again.
enum class TLoad_Opener : std::int32_t { None = 0, Start_Menu = 1, Game_Menu = 2 };

// How the load dialog loads: from its list, or the last save at once without
// being shown (the start menu's Resume).
enum class TLoad_Way : std::int32_t { From_List = 0, Last_Save = 1 };

// How a load job ended: loaded (a game to play on, an autosave whose end of
// turn resumes, a hosted network game) or failed.
enum class TLoad_Job_End : std::int32_t { Loaded = 0, Failed = 1, End_Turn_Resumes = 2, Hosted_Game = 3 };

class TDC_Dlg_LoadSaveGame : public TDC_Dlg_BaseDialog {
 public:
  TDC_Dlg_LoadSaveGame();
  ~TDC_Dlg_LoadSaveGame() override;

  std::int32_t m_Get_Width() override { return 600; }
  std::int32_t m_Get_Height() override { return 600; }
  bool m_Reload_Images() override;
  bool m_On_Key_Down(std::uint16_t& key, TShift_State shift) override;
  void m_Draw(double elapsed) override;
  void m_On_Reposition() override;
  void m_On_Question_Answer(std::int32_t tag, std::uint8_t result) override;

  void m_Set_Save_Mode();
  void m_Set_Load_Mode();
  // Hides everything and loads the last saved game at once.
  void m_Load_Direct();
  void m_Set_Opener(TLoad_Opener opener) { f_opener = opener; }

  // The buttons' actions.
  void m_Ok();
  void m_Cancel();
  void m_Delete();

  // Lists the saves again; refreshes the details of the name in the edit box.
  void m_List_Saves();
  void m_Refresh_Details();

  TLoad_Save_Result f_result = TLoad_Save_Result::Open;
  TLoad_Opener f_opener = TLoad_Opener::None;
  bool f_keep_screen_mode = false;
  bool f_save_mode = false, f_load_mode = false, f_direct_mode = false;
  // Why the dialog closed without loading (direct mode): shown by the main
  // screen.
  std::string f_error_caption, f_error_text;

  const std::string& m_Title() const { return f_title; }
  TDC_List& m_File_List() { return f_file_list; }
  TDC_EditText& m_File_Name_Edit() { return f_file_name_edit; }
  TDC_Text_Button& m_Button(std::int32_t n) { return f_buttons.at(std::size_t(n - 1)); }
  const std::vector<TSave_Game_Entry>& m_Saves() const { return f_saves; }
  const std::string& m_Save_Dir() const { return f_save_dir; }
  bool m_Has_Preview() const { return f_preview != 0 || f_preview_file_found; }
  // Date, type, version, players, started on.
  std::array<std::string, 5> m_Details() const {
    return {f_detail_date, f_detail_type, f_detail_version, f_detail_players, f_detail_started};
  }
  bool m_Job_Running() const;

  // The stepped job's calls (one per frame while the job runs).
  static bool m_Save_Step(void* object, bool is_first, bool is_last, std::int32_t step, TDisplay_Class* progress,
                          float elapsed, std::int32_t extra, std::int32_t& state);
  static bool m_Load_Step(void* object, bool is_first, bool is_last, std::int32_t step, TDisplay_Class* progress,
                          float elapsed, std::int32_t extra, std::int32_t& state);

 private:
  // The help references of the controls for the help page `page`.
  void m_Set_Help_Page(std::int32_t page);
  void m_On_Button(const std::string& name);
  void m_Start_Load();
  void m_Save_Finished(bool failed);
  void m_Load_Finished(TLoad_Job_End end);
  // Shows a failure in the dialog's own message box, or keeps it for the
  // main screen in direct mode.
  void m_Report(const std::string& caption, const std::string& text);
  void m_Draw_Row(std::int32_t row, std::int32_t x, std::int32_t top, bool selected);

  std::int32_t f_background = 0;
  std::array<TDC_Text_Button, 3> f_buttons;
  std::string f_title;
  TDC_List f_file_list;
  TDC_EditText f_file_name_edit;
  std::vector<TSave_Game_Entry> f_saves;
  std::vector<std::string> f_clipped_names;
  std::string f_save_dir;
  std::string f_detail_date, f_detail_type, f_detail_version, f_detail_players, f_detail_started;
  std::int32_t f_preview = 0;
  bool f_preview_file_found = false;
};
