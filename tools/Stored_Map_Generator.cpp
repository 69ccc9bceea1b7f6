// Stored_Map_Generator <game folder>: makes the stored maps shipped with the
// game. Each one is a new world generated from a map type of the game's
// data with a fixed seed, stored exactly as the game options' "Save Map"
// stores the map of a running game, and then moved into
// <game folder>\maps\<name>\ (the folder of a map made before is replaced).
// The game runs in a scratch user folder that is removed at the end, so the
// game folder receives nothing but the maps.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "GameFolder.h"
#include "GameInit.h"
#include "Game_Session.h"
#include "Global.h"
#include "MapClass.h"
#include "Native_Path.h"
#include "Path.h"

namespace {
namespace fs = std::filesystem;

struct TStock_Map {
  const char* name;      // the stored map's folder name
  const char* map_type;  // a map type of data\MapTypes.txt
  std::uint32_t seed;
};

// Worlds for two to four nations.
constexpr TStock_Map Stock_Maps[] = {
    {"Twin Continents", "Small", 20260101},
    {"Lone Continent", "Tiny", 20260102},
};

bool Make_Map(const TStock_Map& map, const fs::path& target_root) {
  TGame_Session_Setup setup;
  setup.seed = map.seed;
  setup.map_type = map.map_type;
  setup.computer = {false, true};
  if (!Game_Session_New_Game(setup)) return false;
  std::string caption, text;
  if (!Save_Map(map.name, caption, text)) {
    std::fprintf(stderr, "Stored_Map_Generator: %s: %s\n", map.name, text.c_str());
    return false;
  }
  const fs::path stored = Native_Path(Path_Settings->m_Get_Maps_Dir() + map.name);
  const fs::path target = target_root / map.name;
  std::error_code ec;
  fs::remove_all(target, ec);
  fs::create_directories(target_root, ec);
  fs::rename(stored, target, ec);
  if (ec) {
    ec.clear();
    fs::copy(stored, target, fs::copy_options::recursive, ec);
  }
  if (ec) {
    std::fprintf(stderr, "Stored_Map_Generator: cannot write %s: %s\n", target.string().c_str(),
                 ec.message().c_str());
    return false;
  }
  std::printf("Stored map \"%s\" (%s, seed %u): %d regions\n", map.name, map.map_type, unsigned(map.seed),
              int(G_Map->m_Get_Region_Count()));
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: Stored_Map_Generator <game folder>\n");
    return 1;
  }
  const fs::path game = fs::absolute(argv[1]);
  char scratch_template[] = "/tmp/globarch-maps-XXXXXX";
  const char* scratch = ::mkdtemp(scratch_template);
  if (!scratch) {
    std::perror("Stored_Map_Generator: mkdtemp");
    return 1;
  }
  // The game reads its data from the game folder and writes only into the
  // scratch folder; no user settings or machine options of this machine are
  // read.
  ::setenv("GLOBARCH_HOME", game.c_str(), 1);
  ::setenv("GLOBARCH_USER_DIR", scratch, 1);
  ::setenv("XDG_CONFIG_HOME", scratch, 1);
  ::unsetenv("GLOBARCH_SEED");
  Game_Init_Start();
  bool ok = true;
  for (const TStock_Map& map : Stock_Maps)
    if (ok) ok = Make_Map(map, game / "maps");
  delete G_Map;
  G_Map = nullptr;
  Game_Init_Free_Globals();
  std::error_code ec;
  fs::remove_all(scratch, ec);
  return ok ? 0 : 1;
}
