// The base of every text data-file loader, the value converters and the
// reports of a file's error list.
//
// A loader runs the whole file record by record; its derived class reads
// each record's fields through m_Get_Field. Every problem becomes one line
// of the error list and nothing is raised to the caller: a file with
// problems still loads as far as it can.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DataFile_Base_Parser.h"
#include "Vector_Types.h"

// The operations of one loader that formula code may call without knowing
// the loader's class.
struct TData_File_Callbacks {
  std::function<bool(const std::string& name, std::string& value, bool required)> m_Get_Field;
  std::function<void(const std::string& value, const std::string& field_name)> m_Report_Unknown_Value;
  std::function<void(const std::string& text)> m_Add_Error;
  std::function<void(const std::string& formula, const std::string& field_name, const std::string& detail)>
      m_Report_Formula_Error;
  std::function<void(const std::string& value, const std::string& field_name, std::int64_t low, std::int64_t high,
                     std::int64_t used)>
      m_Report_Out_Of_Range;
  // The number of fields the current record holds.
  std::function<std::int64_t()> m_Record_Field_Count;
};

// Error lines kept for one file; what goes beyond them is summed up in one
// closing line.
constexpr std::size_t DATA_FILE_MAX_ERROR_LINES = 1000;

// The number of entries a record's list count may ask for: each entry takes
// at least one field of the record, so a count beyond the record's fields
// is reported (as out of range) and the record's field count is used. A
// count below 0 reads none.
std::int64_t Datafile_Bounded_List_Count(const std::string& value, const std::string& field_name,
                                         const TData_File_Callbacks& callbacks);

class TData_File_Loader {
public:
  explicit TData_File_Loader(const std::string& file_name);
  virtual ~TData_File_Loader() = default;
  TData_File_Loader(const TData_File_Loader&) = delete;
  TData_File_Loader& operator=(const TData_File_Loader&) = delete;

  // Reads the whole file; afterwards m_Get_Errors holds every problem.
  void m_Load();
  const std::vector<std::string>& m_Get_Errors() const { return f_errors; }
  const std::string& m_Get_File_Name() const { return f_file_name; }

  // Names the current record in later messages.
  void m_Set_Record_Name(const std::string& name) { f_record_name = name; }
  // The value of a field of the current record (names ignore case). A
  // missing field gives an empty value and false, and is reported when
  // required.
  bool m_Get_Field(const std::string& name, std::string& value, bool required);
  void m_Report_Unknown_Value(const std::string& value, const std::string& field_name);
  // A number outside the range its field can hold: one line naming the value,
  // the range and the value used instead.
  void m_Report_Out_Of_Range(const std::string& value, const std::string& field_name, std::int64_t low,
                             std::int64_t high, std::int64_t used);
  void m_Add_Error(const std::string& text);
  void m_Report_Formula_Error(const std::string& formula, const std::string& field_name, const std::string& detail);
  void m_Get_Callbacks(TData_File_Callbacks& callbacks);
  std::int64_t m_Record_Field_Count() const { return std::int64_t(f_names.size()); }

protected:
  virtual void m_Before_First_Record() {}
  virtual void m_Load_Record(std::int32_t record_number) = 0;
  virtual void m_After_Last_Record() {}

  std::int32_t m_Record_Number() const { return f_record_number; }

private:
  // The record's name for messages, or its number.
  std::string m_Record_Identity(bool quote_number) const;

  std::string f_file_name;
  std::vector<std::string> f_errors;
  std::int64_t f_errors_dropped = 0;
  TData_File_Names f_names;
  std::vector<std::string> f_values;
  std::string f_record_name;
  std::int32_t f_record_number = 0;
};

// Value converters. A text a converter cannot read gives 0 (false, or the
// zero vector).
bool Datafile_Value_To_Boolean(const std::string& value);
std::int32_t Datafile_Value_To_Integer(const std::string& value);
std::uint16_t Datafile_Value_To_Word(const std::string& value);
std::uint8_t Datafile_Value_To_Byte(const std::string& value);
float Datafile_Value_To_Single(const std::string& value);
std::string Datafile_Value_To_String(const std::string& value);
// "r,g,b" as r + g*256 + b*65536.
std::uint32_t Datafile_Value_To_RGB(const std::string& value);
// "r,g,b" as an opaque ARGB colour.
TColor Datafile_Value_To_Color(const std::string& value);
// "x, y, z"; commas inside parentheses do not divide.
TVector Datafile_Value_To_Vector(const std::string& value);

// A dialog that can open a list dialog as its child (nothing when it
// already has one open).
class TList_Dialog_Owner {
public:
  virtual ~TList_Dialog_Owner() = default;
  virtual void m_Show_List(const std::vector<std::string>& rows, const std::string& title,
                           const std::string& subtitle) = 0;
};

// Writes the list to the debug log (when debugging is on) and shows it
// under the title with the file name as subtitle: through the owner dialog
// when one is given, else through the main window. Lists reported before
// the main screen exists go to standard error and the debug log and are
// held until it can show them.
void Report_Datafile_Error(const std::vector<std::string>& errors, const std::string& title,
                           const std::string& file_name, TList_Dialog_Owner* owner);
// Shows the message, "Filename: " and the file name, a rule and the errors
// under the title "Data File Error".
void Show_Data_File_Error(const std::vector<std::string>& errors, const std::string& message,
                          const std::string& file_name);
