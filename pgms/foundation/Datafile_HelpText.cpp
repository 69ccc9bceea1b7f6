#include "Datafile_HelpText.h"

#include "Errors.h"
#include "Io.h"

TDatafile_Help_Text* Help_Text = nullptr;

namespace {
struct THelp_Dialog {
  const char* name;
  std::int32_t entries;
};
const THelp_Dialog Help_Dialogs[HELP_TEXT_DIALOG_COUNT + 1] = {
    {"", 0},
    {"Dlg Start Menu", 7},
    {"Dlg Graphics Setup", 7},
    {"Dlg Intro Menu", 13},
    {"Dlg Load Game", 7},
    {"Dlg Save Game", 7},
    {"Dlg Game Setup", 21},
    {"Dlg Game Setup Host", 28},
    {"Dlg Game Setup Join", 28},
    {"Dlg Main", 14},
    {"Dlg Main Select Units", 13},
    {"Dlg Load Drop Cargo", 4},
    {"Dlg Game Menu", 6},
    {"Dlg Game Options", 15},
    {"Dlg Purchases", 13},
    {"Dlg Statistics", 37},
    {"Dlg Log", 13},
    {"Dlg Game Over", 2},
    {"Dlg Combat Begin", 7},
    {"Dlg Combat", 9},
    {"Dlg Combat Options", 5},
    {"Dlg Combat Results", 7},
    {"Dlg Login", 5},
    {"Dlg Message", 8},
};

bool Valid_Dialog(std::int32_t dialog) { return dialog >= 1 && dialog <= HELP_TEXT_DIALOG_COUNT; }

std::string Entry_Text(const std::vector<std::string>& list, std::int32_t entry) {
  if (entry < 1 || static_cast<std::size_t>(entry) > list.size()) return std::string();
  return list[static_cast<std::size_t>(entry) - 1];
}
}  // namespace

std::string Help_Text_Dialog_Name(std::int32_t dialog) {
  return Valid_Dialog(dialog) ? Help_Dialogs[dialog].name : std::string();
}

std::int32_t Help_Text_Dialog_Entries(std::int32_t dialog) {
  return Valid_Dialog(dialog) ? Help_Dialogs[dialog].entries : 0;
}

void TDatafile_Help_Text::m_Clear() {
  for (auto& l : f_titles) l.clear();
  for (auto& l : f_descriptions) l.clear();
}

void TDatafile_Help_Text::m_Add_Title(std::int32_t dialog, const std::string& text) {
  if (!Valid_Dialog(dialog)) throw ERangeError();
  f_titles[static_cast<std::size_t>(dialog)].push_back(text);
}

void TDatafile_Help_Text::m_Add_Description(std::int32_t dialog, const std::string& text) {
  if (!Valid_Dialog(dialog)) throw ERangeError();
  f_descriptions[static_cast<std::size_t>(dialog)].push_back(text);
}

std::string TDatafile_Help_Text::m_Get_Title(std::int32_t dialog, std::int32_t entry) const {
  return Valid_Dialog(dialog) ? Entry_Text(f_titles[static_cast<std::size_t>(dialog)], entry) : std::string();
}

std::string TDatafile_Help_Text::m_Get_Description(std::int32_t dialog, std::int32_t entry) const {
  return Valid_Dialog(dialog) ? Entry_Text(f_descriptions[static_cast<std::size_t>(dialog)], entry)
                              : std::string();
}

void TDatafile_Help_Text_Data_File_Loader::m_Load_Record(std::int32_t) {
  std::string v;
  for (std::int32_t d = 1; d <= HELP_TEXT_DIALOG_COUNT; ++d) {
    const std::string prefix = std::string(Help_Dialogs[d].name) + " ";
    for (std::int32_t n = 1; n <= Help_Dialogs[d].entries; ++n) {
      const std::string key = prefix + Int_To_Text(n);
      m_Get_Field(key + " Name", v, true);
      f_help.m_Add_Title(d, v);
      m_Get_Field(key + " Descr", v, true);
      f_help.m_Add_Description(d, v);
    }
  }
}

void Help_Text_Create() {
  if (!Help_Text) Help_Text = new TDatafile_Help_Text();
}

void Help_Text_Free() {
  delete Help_Text;
  Help_Text = nullptr;
}

bool Load_Help_Text_File(const std::string& file_name) {
  Help_Text_Create();
  Help_Text->m_Clear();
  TDatafile_Help_Text_Data_File_Loader loader(file_name, *Help_Text);
  loader.m_Load();
  if (loader.m_Get_Errors().empty()) return true;
  Show_Data_File_Error(loader.m_Get_Errors(), "Help Text Data File", file_name);
  return false;
}
