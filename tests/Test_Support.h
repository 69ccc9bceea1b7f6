// Helpers shared by the test programs.
#pragma once

#include <filesystem>
#include <string>

// A temporary folder that is removed with everything in it at the end of
// the test.
class TTemp_Dir {
public:
  TTemp_Dir();
  ~TTemp_Dir();
  const std::filesystem::path& path() const { return f_path; }
  // The folder in the game's path form, with a trailing "\".
  std::string design() const;

private:
  std::filesystem::path f_path;
};

// The source tree (for the shipped data files).
std::filesystem::path Source_Dir();

// Whole contents of a file, or empty when it cannot be read.
std::string Read_File(const std::filesystem::path& p);
void Write_File(const std::filesystem::path& p, const std::string& bytes);
