// A new game from the command line to its first frame: the game built beside
// this program runs `-newgame:<map type>:hccccccc:<seed>` in a window of
// 1024 x 768 and ends after its first frame; each round is a process of its
// own with a fresh user folder. Printed per round and as the median: the
// wall time from start to exit and the process's peak memory (resident).
//
//   NewGame_Bench [rounds] [map type] [seed]
//
// Run under a display (Xvfb with LIBGL_ALWAYS_SOFTWARE=1 for the software
// renderer) and with GLOBARCH_HOME naming the game folder, or from it. Pin
// it with taskset to measure on fewer cores: the game inherits the set.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;

struct TRound {
  double seconds = 0;
  double peak_mb = 0;
  int status = 0;
};

TRound Run_Once(const std::string& game, const std::string& map_type, const std::string& seed) {
  const fs::path home = fs::temp_directory_path() / ("globarch-newgame-" + std::to_string(::getpid()));
  fs::remove_all(home);
  fs::create_directories(home / "user");
  fs::create_directories(home / "config");
  const std::string user = (home / "user").string(), config = (home / "config").string();
  const std::string new_game = "-newgame:" + map_type + ":hccccccc:" + seed;
  TRound round;
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::setenv("GLOBARCH_USER_DIR", user.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("GLOBARCH_EXIT_AFTER_FRAMES", "1", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::setenv("ALSOFT_DRIVERS", "null", 0);
    const char* args[] = {game.c_str(), "-windowed", "-width:1024", "-height:768", new_game.c_str(), nullptr};
    if (std::FILE* quiet = std::freopen("/dev/null", "w", stdout)) (void)quiet;
    ::execv(game.c_str(), const_cast<char* const*>(args));
    std::_Exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child > 0) ::wait4(child, &status, 0, &usage);
  round.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  round.peak_mb = double(usage.ru_maxrss) / 1024.0;
  round.status = child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  fs::remove_all(home);
  return round;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::string map_type = argc > 2 ? argv[2] : "Large";
  const std::string seed = argc > 3 ? argv[3] : "1";
  const std::string game = (fs::absolute(fs::path(argv[0])).parent_path() / "globarch").string();
  if (!fs::exists(game)) {
    std::fprintf(stderr, "The game is not beside this program: %s\n", game.c_str());
    return 1;
  }
  std::printf("new game %s:hccccccc:%s to its first frame, %d rounds\n", map_type.c_str(), seed.c_str(), rounds);
  std::vector<double> seconds, peaks;
  for (int i = 0; i < rounds; ++i) {
    const TRound r = Run_Once(game, map_type, seed);
    std::printf("round %d: %.2f s wall, %.0f MB peak, exit %d\n", i + 1, r.seconds, r.peak_mb, r.status);
    if (r.status != 0) return 2;
    seconds.push_back(r.seconds);
    peaks.push_back(r.peak_mb);
  }
  std::printf("median: %.2f s wall, %.0f MB peak\n", Median(seconds), Median(peaks));
  return 0;
}
