// The joining machine's question "do you have this map": the lobby's own
// check finds the stored maps of the user and those shipped with the game.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Multiplayer_Lobby.h"
#include "Global.h"
#include "Path.h"
#include "Test_Support.h"

namespace {
namespace fs = std::filesystem;

TEST(Lobby_Stored_Maps, AJoiningMachineHasTheMapsItShipsWithAndItsOwn) {
  TTemp_Dir program, user;
  // The folders and the path settings come back however the test ends.
  TEnvironment_Guard folders{std::initializer_list<const char*>{}};
  TPath_Settings paths;
  struct TRestore_Paths {
    TPath_Settings* saved = Path_Settings;
    ~TRestore_Paths() { Path_Settings = saved; }
  } restore_paths;
  Program_Folder = program.design();
  User_Folder = user.design();
  Path_Settings = &paths;
  Write_File(program.path() / "maps" / "Lone Continent" / "CurrentMap.map", "shipped");
  Write_File(user.path() / "maps" / "Home Isles" / "CurrentMap.map", "user");
  Write_File(user.path() / "maps" / "Not A Map", "a plain file");
  {
    TGameSetup_Lobby lobby(4, false, nullptr);
    ASSERT_TRUE(lobby.f_has_stored_map);
    const std::pair<const char*, bool> cases[] = {
        {"Lone Continent", true}, {"lone continent", true}, {"Home Isles", true},
        {"Not A Map", false},     {"Atlantis", false},      {"../maps/Lone Continent", false},
    };
    for (const auto& [name, has] : cases) EXPECT_EQ(lobby.f_has_stored_map(name), has) << name;
  }
}
}  // namespace
