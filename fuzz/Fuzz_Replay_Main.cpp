// Runs a fuzz harness over saved inputs without libFuzzer, so that the
// ordinary build replays the corpora and the reproducers of mended faults
// as tests: each argument is a file or a folder of files.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Fuzz_Support.h"

namespace {
int Run_File(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
    return 1;
  }
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  int failures = 0, runs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(arg))
        if (entry.is_regular_file()) {
          failures += Run_File(entry.path());
          ++runs;
        }
    } else {
      failures += Run_File(arg);
      ++runs;
    }
  }
  std::printf("%d inputs replayed\n", runs);
  return failures == 0 && runs > 0 ? 0 : 1;
}
