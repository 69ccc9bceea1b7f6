#include "DataFile_Base_Parser.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Errors.h"
#include "Io.h"
#include "Native_Path.h"
#include "Text_Encoding.h"

namespace {
bool Contains(const std::string& line, const char* what) { return line.find(what) != std::string::npos; }

std::string Read_Whole_File(const std::string& file_name) {
  std::FILE* f = std::fopen(Native_Path(file_name).c_str(), "rb");
  if (!f) throw EInOutError("Cannot open " + file_name + ": " + std::strerror(errno));
  std::string text;
  char block[65536];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) text.append(block, n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw EInOutError("Cannot read " + file_name);
  return text;
}

bool Name_Less(const std::pair<std::string, std::int32_t>& entry, const std::string& name) {
  return Text_Compare(entry.first, name) < 0;
}
}  // namespace

std::vector<std::string> TData_File_Parser::Read_Lines(const std::string& file_name) {
  return Split_Lines(Read_Whole_File(file_name));
}

std::vector<std::string> TData_File_Parser::Split_Lines(const std::string& text) {
  std::vector<std::string> lines;
  lines.reserve(10000);
  std::size_t start = 0, i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(Text_To_Utf8(std::string_view(text).substr(start, i - start)));
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
    ++i;
  }
  if (start < text.size()) lines.push_back(Text_To_Utf8(std::string_view(text).substr(start)));
  return lines;
}

TData_File_Parser::TData_File_Parser(const std::string& file_name, std::vector<std::string>& errors)
    : f_file_name(file_name), f_errors(errors) {
  f_lines = Read_Lines(file_name);
  m_Find_Begin();
}

bool TData_File_Parser::m_Is_Begin_Line(const std::string& line) { return Contains(line, "*BEGIN*"); }

bool TData_File_Parser::m_Is_End() const { return Contains(f_line, "*END*") || f_next_line > f_lines.size(); }

void TData_File_Parser::m_Find_Begin() {
  f_next_line = 1;
  while (f_next_line <= f_lines.size()) {
    f_line = f_lines[f_next_line - 1];
    ++f_next_line;
    if (Contains(f_line, "*END*")) break;
    if (m_Is_Begin_Line(f_line)) {
      // The two lines after the "*BEGIN*" line are not data.
      f_next_line += 2;
      f_line.clear();
      return;
    }
  }
  f_end_reached = true;
  f_errors.push_back("Cannot find *BEGIN*");
}

void TData_File_Parser::m_Read_Line() {
  f_name.clear();
  f_value.clear();
  if (f_next_line > f_lines.size()) {
    f_line.clear();
    f_end_reached = true;
    return;
  }
  f_line = f_lines[f_next_line - 1];
  ++f_next_line;
  if (Contains(f_line, "*END*")) {
    f_end_reached = true;
    return;
  }
  std::size_t pos = f_line.find(":=");
  if (pos != std::string::npos) {
    f_name = Text_Trim(f_line.substr(0, pos));
    f_value = Text_Trim(f_line.substr(pos + 2));
  } else if (Contains(f_line, "//")) {
    f_name = "//";
  }
}

bool TData_File_Parser::m_Read_Record(TData_File_Names& names, std::vector<std::string>& values) {
  names.clear();
  values.clear();
  while (!f_end_reached) {
    m_Read_Line();
    if (f_end_reached) break;
    if (f_name == "//") continue;  // a comment, or a field named "//"
    if (f_name.empty()) {
      // A separator (or a field without a name) ends a record that has
      // begun; before the first field it is skipped.
      if (!values.empty()) break;
      continue;
    }
    auto at = std::lower_bound(names.begin(), names.end(), f_name, Name_Less);
    if (at != names.end() && Text_Compare(at->first, f_name) == 0) continue;  // the first value counts
    names.insert(at, {f_name, static_cast<std::int32_t>(values.size())});
    values.push_back(f_value);
  }
  return !values.empty();
}

std::int64_t Data_File_Find_Name(const TData_File_Names& names, const std::string& name) {
  auto at = std::lower_bound(names.begin(), names.end(), name, Name_Less);
  if (at != names.end() && Text_Compare(at->first, name) == 0) return at - names.begin();
  return -1;
}
