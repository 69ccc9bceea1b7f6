// Help texts: the title and description of every help pop-up entry of the
// 23 help dialogs, read from the game type's HelpText.txt into one global
// object created at start-up.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"

constexpr std::int32_t HELP_TEXT_DIALOG_COUNT = 23;

// The name of help dialog 1..23 in the file ("Dlg Main"); empty outside.
std::string Help_Text_Dialog_Name(std::int32_t dialog);
// The number of entries of help dialog 1..23; 0 outside.
std::int32_t Help_Text_Dialog_Entries(std::int32_t dialog);

class TDatafile_Help_Text {
public:
  void m_Clear();
  // Append to the lists of dialog 1..23 (ERangeError for another number).
  void m_Add_Title(std::int32_t dialog, const std::string& text);
  void m_Add_Description(std::int32_t dialog, const std::string& text);
  // The text of entry 1.. of a dialog; empty when the dialog is outside
  // 1..23 or the entry outside its list.
  std::string m_Get_Title(std::int32_t dialog, std::int32_t entry) const;
  std::string m_Get_Description(std::int32_t dialog, std::int32_t entry) const;

private:
  std::array<std::vector<std::string>, HELP_TEXT_DIALOG_COUNT + 1> f_titles;
  std::array<std::vector<std::string>, HELP_TEXT_DIALOG_COUNT + 1> f_descriptions;
};

class TDatafile_Help_Text_Data_File_Loader : public TData_File_Loader {
public:
  TDatafile_Help_Text_Data_File_Loader(const std::string& file_name, TDatafile_Help_Text& help)
      : TData_File_Loader(file_name), f_help(help) {}

protected:
  // Every entry of every dialog, "Name" then "Descr". A missing key is
  // reported and leaves an empty text at its own position, so the entries
  // after it stay with their own controls.
  void m_Load_Record(std::int32_t record_number) override;

private:
  TDatafile_Help_Text& f_help;
};

// The global help texts; created at start-up (or by the first load).
extern TDatafile_Help_Text* Help_Text;
void Help_Text_Create();
void Help_Text_Free();

// Empties the global help texts and loads the file into them. True when it
// loaded without a problem; otherwise the errors are shown with the message
// "Help Text Data File".
bool Load_Help_Text_File(const std::string& file_name);
