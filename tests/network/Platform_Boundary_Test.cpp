// The operating system's socket interface is used only by the socket
// binding of the platform layer; every other module, the socket layer, the
// notification pump and the host server's address look-up included, goes
// through it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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
