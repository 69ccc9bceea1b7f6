// Figures of the game's transfer to the joined machines: a new game on the
// Large map type is written as the host's lobby writes it (the six files,
// the map compressed) and sent to seven joined machines on loopback, each a
// client of its own that writes what it receives into its own temp folder
// and acknowledges every file before the host sends the next. Reports the
// files' sizes and, per round, the time from the start of the transfer
// until the last machine has its last file.
//
//   Network_Transfer_Bench [rounds] [map type]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Empire.h"
#include "EventLog.h"
#include "GameFolder.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "Io.h"
#include "Io_Compress.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "MessageLog.h"
#include "Multiplayer_Client.h"
#include "Multiplayer_Server.h"
#include "Native_Path.h"
#include "NetSocketServer.h"
#include "NetWndControl.h"
#include "Path.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int Machines = 7;

bool Pump_Until(const std::function<bool()>& done, int max_ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(max_ms);
  while (!done()) {
    if (Clock::now() > end) return false;
    Net_Process_Messages(1);
  }
  return true;
}

// The six files as the host's lobby sends them, in the game's temp folder.
bool Write_Game_Files(std::vector<std::string>& files) {
  const std::string current = Path_Settings->m_Get_Currentmap_Dir();
  const std::string temp = Path_Settings->m_Get_Temp_Dir();
  bool ok = G_Map->m_Save_To_File(current + "CurrentMap.map", false, Map_File_Version) &&
            Game_Settings.m_Save_To_File(current + "GameSettings.dat") &&
            G_Empire_List->m_Save_To_File(current + "Empires.dat") &&
            G_Event_Log->m_Save_To_File(current + "EventLog.dat") &&
            G_Message_Log->m_Save_To_File(current + "MessageLog.dat") &&
            Master_Action_Timer->m_Save_To_File(current + "MasterActionTimer.dat") && Directory_Create_All(temp);
  for (const char* name : Game_Folder_Files)
    if (ok) ok = File_Copy(current + name, temp + name, false);
  if (ok) ok = File_Compress(temp + "CurrentMap.map");
  for (const char* name : Game_Folder_Files) files.push_back(temp + name);
  return ok;
}

struct TMachine {
  std::unique_ptr<TMultiplayer_Client> client;
  bool connected = false;
  int files = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const std::string map_type = argc > 2 ? argv[2] : "Large";
  // Everything the bench writes goes to a folder of its own.
  const fs::path root = fs::temp_directory_path() / ("globarch_transfer_bench_" + std::to_string(::getpid()));
  fs::create_directories(root / "user");
  ::setenv("GLOBARCH_USER_DIR", (root / "user").c_str(), 1);
  Game_Init_Start();
  TGame_Session_Setup setup;
  setup.seed = 11;
  setup.map_type = map_type;
  setup.computer = std::vector<bool>(8, false);
  setup.game_kind = TGame_Kind::Host;
  if (!Game_Session_New_Game(setup)) {
    std::printf("the %s game could not be made\n", map_type.c_str());
    return 2;
  }
  Game_Settings.f_game_kind = 3;
  std::vector<std::string> files;
  if (!Write_Game_Files(files)) {
    std::printf("the game's files could not be written\n");
    return 2;
  }
  std::printf("Transfer of a %s game's files to %d joined machines on loopback\n", map_type.c_str(), Machines);
  std::int64_t total = 0;
  for (const std::string& f : files) {
    const std::int64_t size = std::int64_t(fs::file_size(Native_Path(f)));
    total += size;
    std::printf("  %-24s %10lld bytes\n", fs::path(Native_Path(f)).filename().c_str(), static_cast<long long>(size));
  }
  std::printf("  %-24s %10lld bytes\n", "all six", static_cast<long long>(total));

  TMultiplayer_Server server;
  server.m_Listen("127.0.0.1", "0");
  const std::string port = server.Socket()->GetLocalPort();
  std::vector<TMachine> machines(Machines);
  for (int i = 0; i < Machines; ++i) {
    TMachine& m = machines[std::size_t(i)];
    m.client = std::make_unique<TMultiplayer_Client>();
    m.client->f_base_folder = Design_Path((root / ("machine" + std::to_string(i))).string() + "/");
    m.client->f_event_handler = [&m](MP_Event_Code code, std::int32_t, const std::string&) {
      if (code == MP_CLIENT_CONNECTED) m.connected = true;
      if (code == MP_CLIENT_FILE_COMPLETE) ++m.files;
    };
    m.client->m_Connect("127.0.0.1", port);
  }
  const auto all_joined = [&] {
    return server.Socket()->ClientCount() == Machines &&
           std::all_of(machines.begin(), machines.end(), [](const TMachine& m) { return m.connected; });
  };
  if (!Pump_Until(all_joined, 10000)) {
    std::printf("the machines could not join\n");
    return 2;
  }
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    for (TMachine& m : machines) m.files = 0;
    const auto t0 = Clock::now();
    server.m_Send_Files(files);
    const bool all = Pump_Until(
        [&] {
          return std::all_of(machines.begin(), machines.end(),
                             [&](const TMachine& m) { return m.files == int(files.size()); });
        },
        60000);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (!all) {
      std::printf("round %d: the files did not arrive within a minute\n", r + 1);
      return 1;
    }
    times.push_back(ms);
    std::printf("round %2d: %8.1f ms\n", r + 1, ms);
  }
  std::sort(times.begin(), times.end());
  std::printf("fastest %.1f ms, median %.1f ms, slowest %.1f ms (%d rounds)\n", times.front(), times[times.size() / 2],
              times.back(), rounds);
  machines.clear();
  std::error_code ec;
  fs::remove_all(root, ec);
  return 0;
}
