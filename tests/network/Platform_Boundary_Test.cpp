// The boundaries between the layers, read from the sources.
//
// The operating system's socket interface is used only by the socket
// binding of the platform layer; every other module, the socket layer, the
// notification pump and the host server's address look-up included, goes
// through it.
//
// The layers, lowest first: platform; foundation; world, network, sound;
// graphics; gui, rules; screens; shell. A module includes the headers of its
// own subsystem and of lower layers only, never of a higher layer nor of a
// peer of its own layer (the build's include paths hold the same table).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Test_Support.h"

TEST(Platform_Boundary, OnlyTheSocketBindingUsesTheSystemSockets) {
  const std::vector<std::string> system_headers = {"<sys/socket.h>", "<netdb.h>",    "<arpa/inet.h>",
                                                   "<netinet/in.h>", "<netinet/tcp.h>", "<poll.h>",
                                                   "<sys/poll.h>",   "<sys/ioctl.h>",  "<sys/select.h>",
                                                   "<sys/un.h>",     "<ifaddrs.h>",    "<net/if.h>"};
  const std::filesystem::path binding = Source_Dir() / "pgms" / "platform" / "Socket_Binding.cpp";
  std::vector<std::string> offenders;
  std::vector<std::string> in_binding;
  std::size_t scanned = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Source_Dir() / "pgms")) {
    const std::filesystem::path& path = entry.path();
    if (!entry.is_regular_file() || (path.extension() != ".cpp" && path.extension() != ".h")) continue;
    ++scanned;
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (const std::string& header : system_headers) {
      if (text.find("#include " + header) == std::string::npos) continue;
      if (path == binding)
        in_binding.push_back(header);
      else
        offenders.push_back(path.filename().string() + " " + header);
    }
  }
  EXPECT_GT(scanned, 100u);
  EXPECT_EQ(offenders, std::vector<std::string>{});
  // The binding is where they are (a moved binding would leave the scan
  // above passing on nothing).
  EXPECT_EQ(in_binding.size(), 7u);
}

namespace {

const std::map<std::string, int> Layer_Ranks = {
    {"platform", 0}, {"foundation", 1}, {"world", 2}, {"network", 2}, {"sound", 2},
    {"graphics", 3}, {"gui", 4},        {"rules", 4}, {"screens", 5}, {"shell", 6}};

// Whether a module of subsystem `from` may include a header of `to`.
bool May_Include(const std::string& from, const std::string& to) {
  return from == to || Layer_Ranks.at(to) < Layer_Ranks.at(from);
}

// The quoted name of an include line ("" for any other line).
std::string Included_Name(const std::string& line) {
  std::size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos || line[at] != '#') return "";
  at = line.find_first_not_of(" \t", at + 1);
  if (at == std::string::npos || line.compare(at, 7, "include") != 0) return "";
  const std::size_t open = line.find('"', at + 7);
  if (open == std::string::npos) return "";
  const std::size_t close = line.find('"', open + 1);
  return close == std::string::npos ? "" : line.substr(open + 1, close - open - 1);
}

}  // namespace

TEST(Layer_Table, TheRuleOfTheLayers) {
  struct Case {
    const char* from;
    const char* to;
    bool allowed;
  };
  const Case cases[] = {
      {"shell", "screens", true},     {"shell", "platform", true},   {"screens", "rules", true},
      {"screens", "gui", true},       {"rules", "network", true},    {"rules", "graphics", true},
      {"gui", "sound", true},         {"graphics", "world", true},   {"world", "foundation", true},
      {"foundation", "platform", true}, {"world", "world", true},    {"platform", "foundation", false},
      {"world", "graphics", false},   {"world", "rules", false},     {"network", "world", false},
      {"world", "network", false},    {"sound", "network", false},   {"graphics", "rules", false},
      {"rules", "gui", false},        {"gui", "rules", false},       {"rules", "shell", false},
      {"screens", "shell", false},
  };
  for (const Case& c : cases) EXPECT_EQ(May_Include(c.from, c.to), c.allowed) << c.from << " -> " << c.to;
  EXPECT_EQ(Included_Name("#include \"MapClass.h\""), "MapClass.h");
  EXPECT_EQ(Included_Name("  #  include \"Errors.h\"  // why"), "Errors.h");
  EXPECT_EQ(Included_Name("#include <vector>"), "");
  EXPECT_EQ(Included_Name("// #include \"Display.h\""), "");
}

TEST(Layer_Table, NoModuleIncludesAHigherLayerOrAPeer) {
  const std::filesystem::path pgms = Source_Dir() / "pgms";
  // Every header of the game belongs to the subsystem of its folder; a name
  // in two folders would make the table ambiguous.
  std::map<std::string, std::string> owner;
  std::vector<std::string> twice;
  for (const auto& [subsystem, rank] : Layer_Ranks)
    for (const auto& entry : std::filesystem::directory_iterator(pgms / subsystem))
      if (!owner.emplace(entry.path().filename().string(), subsystem).second)
        twice.push_back(entry.path().filename().string());
  EXPECT_EQ(twice, std::vector<std::string>{});

  std::map<std::pair<std::string, std::string>, int> counts;
  std::vector<std::string> climbs;
  std::size_t includes = 0;
  for (const auto& [subsystem, rank] : Layer_Ranks)
    for (const auto& entry : std::filesystem::directory_iterator(pgms / subsystem)) {
      const std::string name = entry.path().filename().string();
      if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
      std::istringstream text(Read_File(entry.path()));
      std::string line;
      for (int number = 1; std::getline(text, line); ++number) {
        const std::string header = Included_Name(line);
        const auto found = owner.find(header);
        if (found == owner.end()) continue;
        ++includes;
        ++counts[{subsystem, found->second}];
        if (!May_Include(subsystem, found->second))
          climbs.push_back(subsystem + "/" + name + ":" + std::to_string(number) + " -> " + found->second + "/" +
                           header);
      }
    }
  EXPECT_EQ(climbs, std::vector<std::string>{});
  // The scan read the game's includes (a moved folder would leave it
  // passing on nothing): every layer includes the one beneath it.
  EXPECT_GT(includes, 1000u);
  EXPECT_GT((counts[{"foundation", "platform"}]), 0);
  EXPECT_GT((counts[{"world", "foundation"}]), 0);
  EXPECT_GT((counts[{"graphics", "world"}]), 0);
  EXPECT_GT((counts[{"rules", "graphics"}]), 0);
  EXPECT_GT((counts[{"screens", "rules"}]), 0);
  EXPECT_GT((counts[{"shell", "screens"}]), 0);
  // The network layer carries the game's messages and includes nothing of
  // the game it carries.
  EXPECT_EQ((counts[{"network", "world"}]), 0);
  EXPECT_EQ((counts[{"network", "rules"}]), 0);
}
