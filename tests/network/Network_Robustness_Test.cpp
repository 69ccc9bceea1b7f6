// The socket layer and the host under peers that misbehave or vanish: lost
// peers found while sending, a system out of descriptors, peers that never
// read, bursts of joins, sending while a file arrives, and owners freed from
// inside their own events.
#include <gtest/gtest.h>

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "Io.h"
#include "Multiplayer_Client.h"
#include "Multiplayer_Server.h"
#include "Net_Test_Support.h"
#include "NetSocketServer.h"
#include "Test_Support.h"

namespace {

const std::string Greeting = "Welcome to Quorvane Game Server\r\n";

// A host on an ephemeral loopback port with its events as "code id text".
struct THost {
  std::unique_ptr<TMultiplayer_Server> server = std::make_unique<TMultiplayer_Server>();
  std::vector<std::string> events;
  int port = 0;

  THost() {
    server->f_event_handler = [this](MP_Event_Code c, std::int32_t id, const std::string& t) {
      events.push_back(std::to_string(c) + " " + std::to_string(id) + " " + t);
    };
    server->m_Listen("127.0.0.1", "0");
    port = std::stoi(server->Socket()->GetLocalPort());
  }
  int Count(const std::string& e) const {
    int n = 0;
    for (const auto& x : events) n += x == e;
    return n;
  }
  bool Wait(const std::string& e) {
    return Pump_Until([&] { return Count(e) > 0; });
  }
  TRaw_Peer Join() {
    TRaw_Peer p = TRaw_Peer::Connect(port);
    EXPECT_TRUE(p.Wait_For(Greeting));
    return p;
  }
};

// Closes a peer with a reset instead of an orderly end.
void Reset_Close(TRaw_Peer& p) {
  linger l{1, 0};
  ::setsockopt(p.fd(), SOL_SOCKET, SO_LINGER, &l, sizeof l);
  p.Close();
}

std::string Frame(const std::string& payload) {
  unsigned char h[8];
  MP_Write_Frame_Header(THdrRec{0, static_cast<std::int32_t>(payload.size())}, h);
  return std::string(reinterpret_cast<char*>(h), 8) + payload;
}

}  // namespace

TEST(Network_Robustness, PeerLostWhileSendingIsReportedOnceAndLeavesTheList) {
  THost h;
  TRaw_Peer a = h.Join();
  TRaw_Peer b = h.Join();
  ASSERT_EQ(h.server->Socket()->ClientCount(), 2);
  Reset_Close(a);
  // Send before the pump has read anything: the send is what finds the
  // peer gone.
  Pump_For(0);
  for (int i = 0; i < 3; ++i) h.server->Send_To_All("PING" + std::to_string(i));
  ASSERT_TRUE(h.Wait("107 1 "));
  Pump_For(100);
  EXPECT_EQ(h.Count("107 1 "), 1);
  EXPECT_EQ(h.server->Socket()->ClientCount(), 1);
  EXPECT_EQ(h.server->m_Client_Position(1), 0);
  EXPECT_TRUE(b.Wait_For("QXPING2\r\n"));
}

TEST(Network_Robustness, AcceptWithoutDescriptorsLeavesNothingBehindAndBacksOff) {
  THost h;
  const std::int32_t sockets_before = WSocket_Instance_Count();
  TRaw_Peer waiting = TRaw_Peer::Connect(h.port);  // waits in the backlog
  // The system has no descriptor left for the connection. (Exhausting the
  // real table would also starve the sanitizers' own checks.)
  WSocket_Accept_Fault = EMFILE;
  Pump_For(600);
  WSocket_Accept_Fault = 0;
  int refused = 0;
  for (const auto& e : h.events) refused += e.rfind("104 0 Error: 10024", 0) == 0;
  EXPECT_EQ(h.server->Socket()->ClientCount(), 0);
  EXPECT_EQ(WSocket_Instance_Count(), sockets_before);
  // One report per pause, not one per pass of the pump.
  EXPECT_GE(refused, 1);
  EXPECT_LE(refused, 4);
  // Once descriptors are free again the waiting peer is taken.
  EXPECT_TRUE(waiting.Wait_For(Greeting));
  EXPECT_EQ(h.server->Socket()->ClientCount(), 1);
}

TEST(Network_Robustness, PeerThatNeverReadsIsDroppedAtTheQueueLimit) {
  THost h;
  TRaw_Peer lazy = h.Join();
  TRaw_Peer other = h.Join();
  TNetSocketClient* c = h.server->Socket()->Client(0);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->SendQueueLimit, MP_Send_Queue_Limit);
  c->SendQueueLimit = 256 * 1024;  // a small bound keeps the test quick
  const std::string block(16 * 1024, 'b');
  std::int32_t most = 0;
  for (int i = 0; i < 400 && h.server->Socket()->ClientCount() == 2; ++i) {
    h.server->Send_To_Specific(1, block);
    if (h.server->Socket()->Client(0) == c) most = std::max(most, c->Buffered_Byte_Count());
    Net_Process_Messages(0);
    // The other peer reads so that only the lazy one falls behind.
    other.Wait_For("\x01never", 0);
  }
  ASSERT_TRUE(h.Wait("107 1 "));
  EXPECT_EQ(h.Count("107 1 "), 1);
  EXPECT_TRUE(h.Count("104 0 Error: 10055") == 1);
  EXPECT_LE(most, 256 * 1024);
  EXPECT_EQ(h.server->Socket()->ClientCount(), 1);
}

TEST(Network_Robustness, BurstOfJoinsIsTakenWithoutWaitingOnRetries) {
  THost h;
  EXPECT_GE(h.server->Socket()->ListenBacklog, 1024);
  std::vector<TRaw_Peer> peers;
  for (int i = 0; i < 64; ++i) peers.push_back(TRaw_Peer::Connect(h.port));
  ASSERT_TRUE(Pump_Until([&] { return h.server->Socket()->ClientCount() == 64; }, 3000));
  for (auto& p : peers) EXPECT_TRUE(p.Wait_For(Greeting, 1000));
}

TEST(Network_Robustness, NameLookUp) {
  std::uint32_t a = 0;
  EXPECT_TRUE(WSocket_Resolve_IPv4("127.0.0.1", 0, a));
  EXPECT_EQ(a, htonl(0x7F000001u));
  a = 0;
  EXPECT_TRUE(WSocket_Resolve_IPv4("localhost", 5000, a));
  EXPECT_EQ(a, htonl(0x7F000001u));
  EXPECT_FALSE(WSocket_Resolve_IPv4("", 5000, a));
  EXPECT_FALSE(WSocket_Resolve_IPv4("no-such-host.invalid", 5000, a));
}

TEST(Network_Robustness, SendingWhileAFileArrivesLeavesTheFileWhole) {
  TTemp_Dir dir;
  TRaw_Listener listener;
  TMultiplayer_Client client;
  client.f_base_folder = dir.design();
  bool complete = false;
  client.f_event_handler = [&](MP_Event_Code c, std::int32_t, const std::string&) {
    if (c == MP_CLIENT_FILE_COMPLETE) complete = true;
  };
  client.m_Connect("127.0.0.1", std::to_string(listener.Port()));
  TRaw_Peer host = listener.Accept();
  ASSERT_TRUE(Pump_Until([&] { return client.m_Is_Connected(); }));
  const std::string payload = std::string(3000, 'a') + std::string("\r\n\0\x01", 4) + std::string(3000, 'z');
  const std::string bytes = MP_Binary_Announce_Line(static_cast<std::int64_t>(payload.size()), "Map.dat") + Frame(payload);
  const std::size_t half = bytes.size() / 2;
  host.Write(bytes.substr(0, half));
  ASSERT_TRUE(Pump_Until([&] { return client.Socket()->f_frame_state == 1; }));
  client.m_Send("001chat while receiving");
  host.Write(bytes.substr(half));
  ASSERT_TRUE(Pump_Until([&] { return complete; }));
  EXPECT_EQ(Read_File(dir.path() / "temp" / "Map.dat"), payload);
  EXPECT_TRUE(host.Wait_For("QX001chat while receiving\r\n"));
}

TEST(Network_Robustness, HostFreedInsideItsOwnEventIsFreedAfterTheEventReturns) {
  const std::int32_t sockets_before = WSocket_Instance_Count();
  auto* server = new TMultiplayer_Server;
  int messages = 0;
  server->f_event_handler = [&](MP_Event_Code c, std::int32_t, const std::string&) {
    if (c == MP_SERVER_MESSAGE && server) {
      ++messages;
      delete server;  // the screen leaves the lobby from the message
      server = nullptr;
    }
  };
  server->m_Listen("127.0.0.1", "0");
  const int port = std::stoi(server->Socket()->GetLocalPort());
  TRaw_Peer a = TRaw_Peer::Connect(port);
  ASSERT_TRUE(a.Wait_For(Greeting));
  a.Write("QXbye\r\nQXafter\r\n");
  ASSERT_TRUE(Pump_Until([&] { return server == nullptr; }));
  Pump_For(100);
  EXPECT_EQ(messages, 1);
  EXPECT_TRUE(a.Wait_For_Close());
  EXPECT_EQ(WSocket_Instance_Count(), sockets_before);
}

TEST(Network_Robustness, ClientFreedInsideItsOwnEventIsFreedAfterTheEventReturns) {
  const std::int32_t sockets_before = WSocket_Instance_Count();
  TRaw_Listener listener;
  auto* client = new TMultiplayer_Client;
  int messages = 0;
  client->f_event_handler = [&](MP_Event_Code c, std::int32_t, const std::string&) {
    if (c == MP_CLIENT_MESSAGE && client) {
      ++messages;
      delete client;
      client = nullptr;
    }
  };
  client->m_Connect("127.0.0.1", std::to_string(listener.Port()));
  TRaw_Peer host = listener.Accept();
  ASSERT_TRUE(Pump_Until([&] { return client && client->m_Is_Connected(); }));
  host.Write("QXfirst\r\nQXsecond\r\n");
  ASSERT_TRUE(Pump_Until([&] { return client == nullptr; }));
  Pump_For(100);
  EXPECT_EQ(messages, 1);
  EXPECT_TRUE(host.Wait_For_Close());
  EXPECT_EQ(WSocket_Instance_Count(), sockets_before);
}
