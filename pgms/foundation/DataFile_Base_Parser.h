// The line parser of the game's text data files.
//
// A file is read whole into lines (CR LF, LF or CR end a line; a line that
// is not UTF-8 is read as Windows-1252). The data starts two lines after
// the first line holding "*BEGIN*" and ends at the first line holding
// "*END*". Data lines are "Name := Value" fields, "//" comments and
// separators (anything else, such as a blank line); a record is a run of
// fields ended by a separator.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A record's field names, kept sorted ignoring case, each with the 0-based
// index of its value.
using TData_File_Names = std::vector<std::pair<std::string, std::int32_t>>;

class TData_File_Parser {
public:
  // Reads the file (a path in the game's form; EInOutError when it cannot
  // be read) and finds the start of the data, adding "Cannot find *BEGIN*"
  // to `errors` when there is none.
  TData_File_Parser(const std::string& file_name, std::vector<std::string>& errors);

  // Splits text into lines as the file reader does.
  static std::vector<std::string> Split_Lines(const std::string& text);
  // Reads a whole file (EInOutError when it cannot be read) into lines.
  static std::vector<std::string> Read_Lines(const std::string& file_name);

  void m_Find_Begin();
  // Reads the next data line into the current name and value.
  void m_Read_Line();
  // Whether the line just read holds "*END*" or no line is left.
  bool m_Is_End() const;
  static bool m_Is_Begin_Line(const std::string& line);
  // Reads the next record; true when it has at least one field.
  bool m_Read_Record(TData_File_Names& names, std::vector<std::string>& values);

  bool m_End_Reached() const { return f_end_reached; }
  const std::string& m_Name() const { return f_name; }
  const std::string& m_Value() const { return f_value; }

private:
  std::string f_file_name;
  std::vector<std::string> f_lines;
  std::size_t f_next_line = 1;  // 1-based
  std::string f_line;
  std::string f_name;
  std::string f_value;
  bool f_end_reached = false;
  std::vector<std::string>& f_errors;
};

// Index in `names` of the entry equal to `name` ignoring case, or -1.
std::int64_t Data_File_Find_Name(const TData_File_Names& names, const std::string& name);
