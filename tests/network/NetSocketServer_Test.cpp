#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "NetSocketServer.h"
#include "Net_Test_Support.h"

namespace {
// A listening server on an ephemeral port whose clients collect their lines
// the way the host's clients do (line mode set in OnClientConnect).
struct TServer_Fixture {
  TNetSocketServer server;
  int port = 0;
  std::vector<std::string> lines;     // "id:line"
  std::vector<std::string> events;    // connects, disconnects, closes in order
  std::vector<std::int32_t> limits;   // OnLineLimitExceeded lengths
  bool line_edit = false;
  std::int32_t line_limit = 65536;

  TServer_Fixture() {
    server.Set_Addr("127.0.0.1");
    server.Set_Port("0");
    server.OnClientConnect = [this](TCustomNetSocketServer*, TNetSocketClient* c, std::uint16_t e) {
      events.push_back("connect " + std::to_string(c ? c->ClientId() : -1) + " " + std::to_string(e));
      c->Set_LineMode(true);
      c->LineEdit = line_edit;
      c->LineLimit = line_limit;
      c->OnDataAvailable = [this](TCustomNetSocket* s, std::uint16_t) {
        auto* cl = static_cast<TNetSocketClient*>(s);
        lines.push_back(std::to_string(cl->ClientId()) + ":" + s->ReceiveText());
      };
      c->OnSessionClosed = [this](TCustomNetSocket* s, std::uint16_t) {
        events.push_back("closed " + std::to_string(static_cast<TNetSocketClient*>(s)->ClientId()));
      };
      c->OnLineLimitExceeded = [this](TCustomLineNetSocket*, std::int32_t n, bool&) { limits.push_back(n); };
    };
    server.OnClientDisconnect = [this](TCustomNetSocketServer*, TNetSocketClient* c, std::uint16_t) {
      events.push_back("disconnect " + std::to_string(c->ClientId()));
    };
    server.Listen();
    port = std::stoi(server.GetLocalPort());
  }
  TRaw_Peer Join() {
    std::size_t before = server.ClientCount();
    TRaw_Peer p = TRaw_Peer::Connect(port);
    EXPECT_TRUE(p.Wait_For("\r\n"));
    EXPECT_EQ(static_cast<std::size_t>(server.ClientCount()), before + 1);
    return p;
  }
};
}  // namespace

TEST(NetSocketServer, GreetsEveryClientAndNumbersThem) {
  TServer_Fixture f;
  EXPECT_EQ(f.server.State(), wsListening);
  TRaw_Peer a = f.Join();
  TRaw_Peer b = f.Join();
  EXPECT_EQ(a.Received(), "Welcome to Quorvane Game Server\r\n");
  EXPECT_EQ(b.Received(), "Welcome to Quorvane Game Server\r\n");
  ASSERT_EQ(f.server.ClientCount(), 2);
  EXPECT_EQ(f.server.Client(0)->ClientId(), 1);
  EXPECT_EQ(f.server.Client(1)->ClientId(), 2);
  EXPECT_EQ(f.server.Client(1)->Name, "Client2");
  EXPECT_EQ(f.server.Client(2), nullptr);
  EXPECT_EQ(f.server.Client(-1), nullptr);
  EXPECT_EQ(f.server.Client(0)->GetPeerAddr(), "127.0.0.1");
  EXPECT_NE(f.server.Client(0)->GetPeerPort(), "");
}

TEST(NetSocketServer, ClientIdsWrapAfterTheLastOne) {
  TServer_Fixture f;
  f.server.f_last_client_id = 8388607;
  TRaw_Peer a = f.Join();
  EXPECT_EQ(f.server.Client(0)->ClientId(), 1);
}

// Ids stay within 16 bits (the game's player slots keep no more) and a
// wrapped id never repeats one still connected.
TEST(NetSocketServer, ClientIdsFitSixteenBitsAndSkipThoseInUse) {
  TServer_Fixture f;
  f.server.f_last_client_id = 65534;
  TRaw_Peer a = f.Join();
  TRaw_Peer b = f.Join();
  f.server.f_last_client_id = 0;
  TRaw_Peer c = f.Join();
  ASSERT_EQ(f.server.ClientCount(), 3);
  EXPECT_EQ(f.server.Client(0)->ClientId(), 65535);
  EXPECT_EQ(f.server.Client(1)->ClientId(), 1);
  EXPECT_EQ(f.server.Client(2)->ClientId(), 2);
}

TEST(NetSocketServer, ThirdClientOverTheLimitIsTurnedAway) {
  TServer_Fixture f;
  f.server.MaxClients = 2;
  TRaw_Peer a = f.Join();
  TRaw_Peer b = f.Join();
  TRaw_Peer c = TRaw_Peer::Connect(f.port);
  EXPECT_TRUE(c.Wait_For_Close());
  EXPECT_EQ(c.Received(), "Sorry, too many clients\r\n");
  EXPECT_EQ(f.events.at(2), "connect 3 0");
  ASSERT_TRUE(Pump_Until([&] { return f.server.ClientCount() == 2; }));
  EXPECT_EQ(f.events.back(), "disconnect 3");
}

TEST(NetSocketServer, LinesAreCutAtTheLineEnd) {
  TServer_Fixture f;
  TRaw_Peer a = f.Join();
  a.Write("one\r\ntwo\r\n");
  ASSERT_TRUE(Pump_Until([&] { return f.lines.size() == 2; }));
  EXPECT_EQ(f.lines, (std::vector<std::string>{"1:one\r\n", "1:two\r\n"}));
  // A line end split between two reads is still found.
  a.Write("three\r");
  TNetSocketClient* c = f.server.Client(0);
  ASSERT_TRUE(Pump_Until([&] { return c->Rcvd_Count() == 6; }));
  a.Write("\nfour");
  ASSERT_TRUE(Pump_Until([&] { return f.lines.size() == 3; }));
  EXPECT_EQ(f.lines[2], "1:three\r\n");
  ASSERT_TRUE(Pump_Until([&] { return c->Rcvd_Count() == 4; }));
}

TEST(NetSocketServer, UnfinishedLineOverTheLimitRaisesTheEvent) {
  TServer_Fixture f;
  f.line_limit = 80;
  TRaw_Peer a = f.Join();
  a.Write(std::string(200, 'L') + "\r\n");  // a whole line passes however long
  ASSERT_TRUE(Pump_Until([&] { return f.lines.size() == 1; }));
  EXPECT_EQ(f.lines[0].size(), 2u + 202u);
  a.Write(std::string(80, 'x'));
  TNetSocketClient* c = f.server.Client(0);
  ASSERT_TRUE(Pump_Until([&] { return c->Rcvd_Count() == 80; }));
  EXPECT_TRUE(f.limits.empty());
  a.Write("y");
  ASSERT_TRUE(Pump_Until([&] { return f.limits.size() == 1; }));
  EXPECT_EQ(f.limits[0], 81);
  EXPECT_EQ(c->Rcvd_Count(), 0);  // the held bytes were dropped
  a.Write("ok\r\n");
  ASSERT_TRUE(Pump_Until([&] { return f.lines.size() == 2; }));
  EXPECT_EQ(f.lines[1], "1:ok\r\n");
}

TEST(NetSocketServer, HostileFloodIsNeverHeldBeyondTheLimit) {
  TServer_Fixture f;
  f.line_limit = 80;
  TRaw_Peer a = f.Join();
  TNetSocketClient* c = f.server.Client(0);
  std::int32_t most = 0;
  for (int i = 0; i < 50; ++i) {
    a.Write(std::string(1000, 'z'));
    Net_Process_Messages(1);
    most = std::max(most, c->Rcvd_Count());
  }
  Pump_For(20);
  EXPECT_LE(most, 80);
  EXPECT_FALSE(f.limits.empty());
  EXPECT_TRUE(f.lines.empty());
}

TEST(NetSocketServer, LineEditingHandlesBackspaceAndTab) {
  TServer_Fixture f;
  f.line_edit = true;
  TRaw_Peer a = f.Join();
  a.Write(std::string("AB\bC\r\n"));
  ASSERT_TRUE(Pump_Until([&] { return f.lines.size() == 1; }));
  EXPECT_EQ(f.lines[0], "1:AC\r\n");
  a.Write(std::string("abc\td\r\n"));
  ASSERT_TRUE(Pump_Until([&] { return f.lines.size() == 2; }));
  EXPECT_EQ(f.lines[1], "1:abc     d\r\n");
  a.Write(std::string("\b\bx\r\n"));  // nothing before it to remove
  ASSERT_TRUE(Pump_Until([&] { return f.lines.size() == 3; }));
  EXPECT_EQ(f.lines[2], "1:x\r\n");
}

TEST(NetSocketServer, LeavingClientDeliversItsLastLineThenDisconnects) {
  TServer_Fixture f;
  TRaw_Peer a = f.Join();
  TRaw_Peer b = f.Join();
  a.Write("bye without end");
  a.Close();
  ASSERT_TRUE(Pump_Until([&] { return f.server.ClientCount() == 1; }));
  EXPECT_EQ(f.lines, std::vector<std::string>{"1:bye without end"});
  EXPECT_EQ(f.events, (std::vector<std::string>{"connect 1 0", "connect 2 0", "closed 1", "disconnect 1"}));
  EXPECT_EQ(f.server.Client(0)->ClientId(), 2);
}

TEST(NetSocketServer, ServerFreesItsClientsWithoutEvents) {
  auto f = std::make_unique<TServer_Fixture>();
  TRaw_Peer a = f->Join();
  TRaw_Peer b = f->Join();
  std::size_t events = f->events.size();
  f->server.Close();
  EXPECT_EQ(f->server.ClientCount(), 2);  // clients stay connected
  a.Write("still here\r\n");
  ASSERT_TRUE(Pump_Until([&] { return f->lines.size() == 1; }));
  f.reset();
  EXPECT_TRUE(a.Wait_For_Close());
  EXPECT_TRUE(b.Wait_For_Close());
  (void)events;
  EXPECT_EQ(Net_Window_Count(), 0);
}

TEST(NetSocketServer, SwitchingLineModeOffHandsHeldBytesOverRaw) {
  TServer_Fixture f;
  TRaw_Peer a = f.Join();
  TNetSocketClient* c = f.server.Client(0);
  a.Write("partial");
  ASSERT_TRUE(Pump_Until([&] { return c->Rcvd_Count() == 7; }));
  std::string raw;
  c->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) { raw += s->ReceiveText(); };
  c->Set_LineMode(false);
  ASSERT_TRUE(Pump_Until([&] { return raw == "partial"; }));
  EXPECT_EQ(c->Rcvd_Count(), 0);
}
