#include "DataFile_Base_Loader.h"

#include <cmath>
#include <limits>
#include <memory>

#include "Debug_Log.h"
#include "Errors.h"
#include "Io.h"
#include "Shell_Services.h"

TData_File_Loader::TData_File_Loader(const std::string& file_name) : f_file_name(file_name) {
  f_names.reserve(1000);
  f_values.reserve(1000);
}

void TData_File_Loader::m_Load() {
  f_errors.clear();
  f_errors_dropped = 0;
  try {
    auto parser = std::make_unique<TData_File_Parser>(f_file_name, f_errors);
    m_Before_First_Record();
    f_record_number = 0;
    while (true) {
      f_record_number = Checked_Add<std::int32_t>(f_record_number, 1);
      bool has_fields = parser->m_Read_Record(f_names, f_values);
      if (has_fields) m_Load_Record(f_record_number);
      if (parser->m_End_Reached() || !has_fields) break;
    }
    m_After_Last_Record();
    if (f_errors_dropped > 0)
      f_errors.push_back("... and " + Int_To_Text(f_errors_dropped) + " more errors in this file.");
  } catch (const std::exception& e) {
    // The player sees the one generic line; the cause goes to the log.
    Debug_Log_Write("Data file " + f_file_name + ": " + e.what());
    f_errors.push_back("Unable to load data file: \"" + f_file_name + "\".");
  } catch (...) {
    Debug_Log_Write("Data file " + f_file_name + ": unknown failure");
    f_errors.push_back("Unable to load data file: \"" + f_file_name + "\".");
  }
}

std::string TData_File_Loader::m_Record_Identity(bool quote_number) const {
  if (!f_record_name.empty()) return "\"" + f_record_name + "\"";
  std::string n = Int_To_Text(f_record_number);
  return quote_number ? "\"" + n + "\"" : n;
}

bool TData_File_Loader::m_Get_Field(const std::string& name, std::string& value, bool required) {
  std::int64_t at = Data_File_Find_Name(f_names, name);
  if (at >= 0) {
    value = f_values[static_cast<std::size_t>(f_names[static_cast<std::size_t>(at)].second)];
    return true;
  }
  value.clear();
  if (required) m_Add_Error("Could not find field \"" + name + "\" in record " + m_Record_Identity(false) + ".");
  return false;
}

void TData_File_Loader::m_Report_Unknown_Value(const std::string& value, const std::string& field_name) {
  m_Add_Error("Unknown value \"" + value + "\" for " + field_name + " in record " + m_Record_Identity(true) + ".");
}

void TData_File_Loader::m_Report_Out_Of_Range(const std::string& value, const std::string& field_name,
                                               std::int64_t low, std::int64_t high, std::int64_t used) {
  m_Add_Error("Value \"" + value + "\" for " + field_name + " in record " + m_Record_Identity(true) +
              " is outside " + Int_To_Text(low) + ".." + Int_To_Text(high) + "; " + Int_To_Text(used) + " is used.");
}

void TData_File_Loader::m_Add_Error(const std::string& text) {
  if (f_errors.size() < DATA_FILE_MAX_ERROR_LINES)
    f_errors.push_back(text);
  else
    ++f_errors_dropped;
}

std::int64_t Datafile_Bounded_List_Count(const std::string& value, const std::string& field_name,
                                         const TData_File_Callbacks& callbacks) {
  const std::int64_t n = Datafile_Value_To_Integer(value);
  if (n <= 0) return 0;
  const std::int64_t fields = callbacks.m_Record_Field_Count ? callbacks.m_Record_Field_Count() : 65535;
  const std::int64_t most = std::min<std::int64_t>(fields, 65535);
  if (n <= most) return n;
  if (callbacks.m_Report_Out_Of_Range) callbacks.m_Report_Out_Of_Range(value, field_name, 0, most, most);
  return most;
}

void TData_File_Loader::m_Report_Formula_Error(const std::string& formula, const std::string& field_name,
                                               const std::string& detail) {
  m_Add_Error("Could not parse formula \"" + formula + "\" for " + field_name + " in record " +
              m_Record_Identity(true) + ".");
  m_Add_Error(detail);
}

void TData_File_Loader::m_Get_Callbacks(TData_File_Callbacks& callbacks) {
  callbacks.m_Get_Field = [this](const std::string& name, std::string& value, bool required) {
    return m_Get_Field(name, value, required);
  };
  callbacks.m_Report_Unknown_Value = [this](const std::string& value, const std::string& field_name) {
    m_Report_Unknown_Value(value, field_name);
  };
  callbacks.m_Add_Error = [this](const std::string& text) { m_Add_Error(text); };
  callbacks.m_Record_Field_Count = [this]() { return m_Record_Field_Count(); };
  callbacks.m_Report_Formula_Error = [this](const std::string& formula, const std::string& field_name,
                                            const std::string& detail) {
    m_Report_Formula_Error(formula, field_name, detail);
  };
  callbacks.m_Report_Out_Of_Range = [this](const std::string& value, const std::string& field_name,
                                           std::int64_t low, std::int64_t high, std::int64_t used) {
    m_Report_Out_Of_Range(value, field_name, low, high, used);
  };
}

// ---------------------------------------------------------------- converters

bool Datafile_Value_To_Boolean(const std::string& value) {
  return Text_Compare(value, "TRUE") == 0 || Text_Compare(value, "YES") == 0;
}

std::int32_t Datafile_Value_To_Integer(const std::string& value) {
  try {
    return Text_To_Int(value);
  } catch (const EConvertError&) {
    return 0;
  }
}

std::uint16_t Datafile_Value_To_Word(const std::string& value) {
  std::int32_t v = Datafile_Value_To_Integer(value);
  return v >= 0 && v <= 65535 ? static_cast<std::uint16_t>(v) : 0;
}

std::uint8_t Datafile_Value_To_Byte(const std::string& value) {
  std::int32_t v = Datafile_Value_To_Integer(value);
  return v >= 0 && v <= 255 ? static_cast<std::uint8_t>(v) : 0;
}

float Datafile_Value_To_Single(const std::string& value) {
  double v;
  try {
    v = Text_To_Float(value);
  } catch (const EConvertError&) {
    return 0.0f;
  }
  // Beyond the range of a single the text is no single either.
  if (!std::isfinite(v) || std::fabs(v) > double(std::numeric_limits<float>::max())) return 0.0f;
  return static_cast<float>(v);
}

std::string Datafile_Value_To_String(const std::string& value) { return value; }

namespace {
void Split_Color(const std::string& value, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
  std::size_t c1 = value.find(',');
  if (c1 == std::string::npos) {
    r = g = 0;
    b = Datafile_Value_To_Byte(value);
    return;
  }
  r = Datafile_Value_To_Byte(value.substr(0, c1));
  std::string rest = value.substr(c1 + 1);
  std::size_t c2 = rest.find(',');
  if (c2 == std::string::npos) {
    g = 0;
    b = Datafile_Value_To_Byte(rest);
    return;
  }
  g = Datafile_Value_To_Byte(rest.substr(0, c2));
  b = Datafile_Value_To_Byte(rest.substr(c2 + 1));
}
}  // namespace

std::uint32_t Datafile_Value_To_RGB(const std::string& value) {
  std::uint8_t r, g, b;
  Split_Color(value, r, g, b);
  return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

TColor Datafile_Value_To_Color(const std::string& value) {
  std::uint8_t r, g, b;
  Split_Color(value, r, g, b);
  return Make_Color(r, g, b, 255);
}

TVector Datafile_Value_To_Vector(const std::string& value) {
  std::size_t commas[2];
  int found = 0;
  bool inside = false;
  for (std::size_t i = 0; i < value.size() && found < 2; ++i) {
    char c = value[i];
    if (c == '(') inside = true;
    else if (c == ')') inside = false;
    else if (c == ',' && !inside) commas[found++] = i;
  }
  if (found < 2) return TVector{};
  TVector v;
  v.x = Datafile_Value_To_Single(Text_Trim(value.substr(0, commas[0])));
  v.y = Datafile_Value_To_Single(Text_Trim(value.substr(commas[0] + 1, commas[1] - commas[0] - 1)));
  v.z = Datafile_Value_To_Single(Text_Trim(value.substr(commas[1] + 1)));
  return v;
}

// ---------------------------------------------------------------- reports

void Report_Datafile_Error(const std::vector<std::string>& errors, const std::string& title,
                           const std::string& file_name, TList_Dialog_Owner* owner) {
  if (Debug_Enabled) {
    Debug_Log_Write("Datafile Error: " + file_name);
    for (const std::string& line : errors) Debug_Log_Write("  " + line);
  }
  if (owner) {
    owner->m_Show_List(errors, title, file_name);
  } else {
    // Before the main screen exists the start-up services print, log and
    // hold the list so that it is shown once the main screen is up.
    Shell_Services().m_Show_List(errors, title, file_name);
  }
}

void Show_Data_File_Error(const std::vector<std::string>& errors, const std::string& message,
                          const std::string& file_name) {
  std::vector<std::string> rows;
  rows.reserve(errors.size() + 3);
  rows.push_back(message);
  rows.push_back("Filename: " + file_name);
  rows.push_back(std::string(25, '-'));
  rows.insert(rows.end(), errors.begin(), errors.end());
  Shell_Services().m_Show_List(rows, "Data File Error", "");
}
