// The operating system's socket interface is used only by the socket
// binding (the NetSocket modules and the notification pump); every other
// module, the host server's address look-up included, goes through them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Test_Support.h"

TEST(Platform_Boundary, OnlyTheSocketBindingUsesTheSystemSockets) {
  const std::vector<std::string> system_headers = {"<sys/socket.h>", "<netdb.h>", "<arpa/inet.h>",
                                                   "<netinet/in.h>", "<netinet/tcp.h>", "<poll.h>"};
  std::vector<std::string> offenders;
  std::size_t scanned = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(Source_Dir() / "pgms")) {
    const std::filesystem::path& path = entry.path();
    if (!entry.is_regular_file() || (path.extension() != ".cpp" && path.extension() != ".h")) continue;
    ++scanned;
    const std::string name = path.filename().string();
    if (name.rfind("NetSocket", 0) == 0 || name.rfind("NetWndControl", 0) == 0) continue;
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (const std::string& header : system_headers)
      if (text.find("#include " + header) != std::string::npos) offenders.push_back(name + " " + header);
  }
  EXPECT_GT(scanned, 100u);
  EXPECT_EQ(offenders, std::vector<std::string>{});
}
