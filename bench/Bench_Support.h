// What several benchmarks set up alike: a scratch game folder beside the
// checkout's data files, and the largest map type to measure on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "Datafile_MapTypes.h"
#include "Global.h"
#include "Native_Path.h"

namespace bench_support {

struct TScratch_Folders {
  std::filesystem::path scratch, program, user;
};

// A fresh program folder holding a copy of the data files and a user folder
// with the game's writable folders; the game's folders point at them.
inline TScratch_Folders Make_Scratch_Folders(const std::string& prefix) {
  namespace fs = std::filesystem;
  const fs::path source = Native_Path(Program_Folder);
  TScratch_Folders f;
  f.scratch = fs::temp_directory_path() / (prefix + std::to_string(Tick_Count()));
  f.program = f.scratch / "program";
  f.user = f.scratch / "user";
  fs::create_directories(f.program);
  fs::copy(source / "data", f.program / "data", fs::copy_options::recursive);
  for (const char* sub : {"currentmap", "savegames", "maps", "temp", "userdata"}) fs::create_directories(f.user / sub);
  Program_Folder = Design_Path(f.program.string()) + "\\";
  User_Folder = Design_Path(f.user.string()) + "\\";
  return f;
}

// The map type with the most cells; null when none is loaded.
inline const TMap_Type* Largest_Map_Type() {
  const TMap_Type* largest = nullptr;
  for (std::uint16_t i = 1; i <= Map_Type_List->m_Count(); ++i) {
    const TMap_Type* t = Map_Type_List->m_Get_Item(i);
    if (!largest || std::int64_t(t->f_map_width) * t->f_map_height >
                        std::int64_t(largest->f_map_width) * largest->f_map_height)
      largest = t;
  }
  return largest;
}

}  // namespace bench_support
