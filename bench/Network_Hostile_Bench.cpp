// Figures of a hostile joined machine against the host of a running network
// game on loopback: garbage lines, fields claiming oversized lengths and
// counts, codes a joined machine may not send, a flood of 10,000 lines and
// an endless line. For each: the time the host took, the lines it dropped,
// whether its game changed (the saved map and empires compared byte for
// byte) and its memory; at the end an honest player's order must still be
// relayed.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "Empire.h"
#include "GameInit.h"
#include "GameSettings.h"
#include "Game_Session.h"
#include "MapClass.h"
#include "Multiplayer_ActionQueue.h"
#include "Multiplayer_GameActions.h"
#include "Multiplayer_Server.h"
#include "NetSocketServer.h"
#include "NetWndControl.h"
#include "Native_Path.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

TMultiplayer_Server* Server = nullptr;
struct TLinks : TMP_Game_Links {
  TMultiplayer_Server* m_Server() override { return Server; }
};
TLinks Links;
long Dropped = 0, Handled = 0, Lost = 0;
std::vector<std::int32_t> Joined;

int Connect(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(std::uint16_t(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  fcntl(fd, F_SETFL, O_NONBLOCK);
  return fd;
}

// Writes everything, pumping the host while the socket is full.
void Write_All(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n > 0) done += std::size_t(n);
    else if (errno == EAGAIN) Net_Process_Messages(1);
    else return;
  }
}

bool Pump_Until(const std::function<bool()>& done, int max_ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(max_ms);
  while (!done()) {
    if (Clock::now() > end) return false;
    Net_Process_Messages(2);
  }
  return true;
}

std::string Game_Bytes(const std::string& dir) {
  G_Map->m_Save_To_File(dir + "m.map", false, Map_File_Version);
  G_Empire_List->m_Save_To_File(dir + "e.dat");
  std::string all;
  for (const char* f : {"m.map", "e.dat"}) {
    std::ifstream in(Native_Path(dir + f), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    all += s.str();
  }
  return all;
}

long Resident_KB() {
  std::ifstream f("/proc/self/statm");
  long pages = 0, resident = 0;
  f >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::string QX(const std::string& m) { return "QX" + m + "\r\n"; }
}  // namespace

int main() {
  Game_Init_Start();
  Set_MP_Game_Links(&Links);
  MP_Action_Queue = new TMultiplayer_Action_Queue();
  TGame_Session_Setup setup;
  setup.seed = 5;
  setup.map_type = "Tiny";
  setup.computer = {false, false, false};
  setup.game_kind = TGame_Kind::Host;
  if (!Game_Session_New_Game(setup)) return 2;
  Game_Settings.f_game_kind = 3;
  Game_Settings.m_Set_Local_Empire(1);
  Game_Settings.f_turn_empire = 2;
  TMultiplayer_Server server;
  Server = &server;
  server.f_event_handler = [](MP_Event_Code c, std::int32_t id, const std::string& t) {
    if (c == MP_SERVER_CLIENT_CONNECTED) Joined.push_back(id);
    if (c == MP_SERVER_CLIENT_DISCONNECTED) ++Lost;
    if (c == MP_SERVER_MESSAGE) {
      if (Multiplayer_Process_Message(MP_SOURCE_CLIENT, id, t, false)) ++Handled;
      else ++Dropped;
      return;
    }
    Multiplayer_Event(c, id, t);
  };
  server.m_Listen("127.0.0.1", "0");
  const int port = std::stoi(server.Socket()->GetLocalPort());
  const int honest = Connect(port);
  Pump_Until([] { return Joined.size() == 1; }, 5000);
  Game_Settings.m_Player(2).f_client_id = std::uint16_t(Joined[0]);
  Game_Settings.m_Player(2).f_connected = 1;
  const int hostile = Connect(port);
  Pump_Until([] { return Joined.size() == 2; }, 5000);
  Game_Settings.m_Player(3).f_client_id = std::uint16_t(Joined[1]);
  Game_Settings.m_Player(3).f_connected = 1;
  Game_Settings.f_player_count = 3;

  const std::string dir = Design_Path((fs::temp_directory_path() / "globarch_hostile_").string());
  const std::string before = Game_Bytes(dir);
  std::printf("Hostile joined machine against the host (player 3, while player 2 plays)\n");
  std::printf("%-44s %8s %9s %9s %8s %10s\n", "attack", "lines", "ms", "dropped", "game", "RSS KB");

  // Player 3's unit in a region of its own, for forged orders.
  std::int32_t unit = 0, region = 0;
  for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count() && unit == 0; ++r)
    if (TMap_Region* reg = G_Map->m_Get_Region(r); reg && reg->m_Get_Owner() == 3 && reg->m_Get_Unit_Count() > 0) {
      unit = reg->m_Get_Unit_Id(1);
      region = r;
    }
  auto Move = [&](int owner, int code) {
    return MP_Encode_Byte(code) + MP_Encode_Integer(region) + MP_Encode_Integer(region) + MP_Encode_Word(1) +
           MP_Encode_Byte(owner) + MP_Encode_Byte(0) + MP_Encode_Boolean(false) + MP_Encode_Integer(1) +
           MP_Encode_Integer(unit);
  };
  struct TAttack {
    const char* name;
    std::string line;
  } attacks[] = {
      {"garbage", QX("garbage \x01\x02\xff")},
      {"bytes without the QX prefix", "\x01\x02\x03\xfe\r\n"},
      {"string length 9999, 3 characters", QX(MP_Encode_Byte(1) + "9999abc")},
      {"unit count 2,000,000,000", QX(MP_Encode_Byte(58) + "  0" + MP_Encode_Integer(2000000000))},
      {"host-to-client code 64 (new date)", QX(MP_Encode_Byte(64) + MP_Encode_Integer(999))},
      {"host-to-client code 68 (player 1 to computer)", QX(MP_Encode_Byte(68) + MP_Encode_Byte(1))},
      {"order outside its turn", QX(Move(3, 50))},
      {"order in player 2's name", QX(Move(2, 50))},
      {"end of player 2's turn", QX(MP_Encode_Byte(62) + MP_Encode_Byte(2))},
  };
  auto Run = [&](const char* name, const std::string& bytes, long lines) {
    const long d0 = Dropped, h0 = Handled;
    const auto t0 = Clock::now();
    Write_All(hostile, bytes);
    // A chat line behind the attack tells when the host has read it all.
    const long c0 = Handled;
    Write_All(hostile, QX(MP_Encode_Byte(1) + MP_Encode_String("x") + MP_Encode_String("marker")));
    Pump_Until([&] { return Handled > c0 || Lost > 0; }, 60000);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    const bool same = Game_Bytes(dir) == before;
    std::printf("%-44s %8ld %9.1f %9ld %8s %10ld\n", name, lines, ms, Dropped - d0, same ? "same" : "CHANGED",
                Resident_KB());
    (void)h0;
  };
  for (const TAttack& a : attacks) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += a.line;
    Run(a.name, bytes, 1000);
  }
  std::string flood;
  for (int i = 0; i < 10000; ++i) flood += attacks[i % 9].line;
  Run("flood of 10,000 mixed lines in one write", flood, 10000);
  const std::size_t queued = MP_Action_Queue->m_Count();

  // The honest player's order is still relayed and queued.
  std::int32_t unit2 = 0, region2 = 0;
  for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count() && unit2 == 0; ++r)
    if (TMap_Region* reg = G_Map->m_Get_Region(r); reg && reg->m_Get_Owner() == 2 && reg->m_Get_Unit_Count() > 0) {
      unit2 = reg->m_Get_Unit_Id(1);
      region2 = r;
    }
  TMap_Unit_Record u;
  G_Map->m_Get_Unit(unit2, u);
  const std::string order = MP_Encode_Byte(50) + MP_Encode_Integer(region2) + MP_Encode_Integer(region2) +
                            MP_Encode_Word(u.unit_type) + MP_Encode_Byte(2) + MP_Encode_Byte(0) +
                            MP_Encode_Boolean(false) + MP_Encode_Integer(1) + MP_Encode_Integer(unit2);
  Write_All(honest, QX(order));
  const bool relayed = Pump_Until([&] { return std::size_t(MP_Action_Queue->m_Count()) == queued + 1; }, 5000);
  std::printf("honest player's order queued after the attacks: %s (queue held %zu hostile actions)\n",
              relayed ? "yes" : "NO", queued);

  // An endless line: the host closes the connection past its line limit.
  const auto t0 = Clock::now();
  std::string endless(1 << 20, 'A');
  Write_All(hostile, endless);
  const bool closed = Pump_Until([] { return Lost > 0; }, 10000);
  std::printf("unfinished line of 1 MiB: hostile machine %s after %.1f ms, RSS %ld KB\n",
              closed ? "dropped" : "NOT dropped", std::chrono::duration<double, std::milli>(Clock::now() - t0).count(),
              Resident_KB());
  close(hostile);
  close(honest);
  return relayed && closed && Game_Bytes(dir) != std::string() ? 0 : 1;
}
