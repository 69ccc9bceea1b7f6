#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NetSocket.h"
#include "Net_Test_Support.h"
#include "Socket_Binding.h"

namespace {
// A client socket connected to a plain peer.
struct TConnected {
  TRaw_Listener listener;
  TNetSocket sock;
  TRaw_Peer peer;
  explicit TConnected(std::uint32_t options = 0) {
    sock.ComponentOptions = options;
    sock.Set_Addr("127.0.0.1");
    sock.Set_Port(std::to_string(listener.Port()));
    sock.Connect();
    peer = listener.Accept();
    EXPECT_TRUE(Pump_Until([&] { return sock.State() == wsConnected; }));
  }
};

std::string Error_Of(const std::function<void()>& f) {
  try {
    f();
  } catch (const ESocketException& e) {
    return e.what();
  }
  return "";
}
}  // namespace

TEST(NetSocket, ConnectSendsAndReceives) {
  TRaw_Listener l;
  TNetSocket s;
  std::vector<std::string> events;
  s.OnChangeState = [&](TCustomNetSocket*, TSocketState o, TSocketState n) {
    events.push_back("state " + std::to_string(o) + ">" + std::to_string(n));
  };
  s.OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { events.push_back("connected " + std::to_string(e)); };
  std::string got;
  s.OnDataAvailable = [&](TCustomNetSocket* x, std::uint16_t) { got += x->ReceiveText(); };
  s.Set_Addr("127.0.0.1");
  s.Set_Port(std::to_string(l.Port()) + " ");
  s.Connect();
  EXPECT_EQ(s.State(), wsConnecting);
  TRaw_Peer p = l.Accept();
  ASSERT_TRUE(Pump_Until([&] { return s.State() == wsConnected; }));
  EXPECT_EQ(events, (std::vector<std::string>{"state 8>1", "state 1>3", "state 3>5", "connected 0"}));
  EXPECT_EQ(s.GetPeerAddr(), "127.0.0.1");
  EXPECT_EQ(s.GetPeerPort(), std::to_string(l.Port()));
  EXPECT_EQ(s.SendText("hello\r\n"), 7);
  EXPECT_TRUE(p.Wait_For("hello\r\n"));
  p.Write("from peer");
  EXPECT_TRUE(Pump_Until([&] { return got == "from peer"; }));
}

TEST(NetSocket, RefusedConnectionReportsConnectedWithErrorThenClosed) {
  TNetSocket s;
  std::vector<std::string> events;
  s.OnChangeState = [&](TCustomNetSocket*, TSocketState o, TSocketState n) {
    events.push_back("state " + std::to_string(o) + ">" + std::to_string(n));
  };
  s.OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { events.push_back("connected " + std::to_string(e)); };
  s.OnSessionClosed = [&](TCustomNetSocket*, std::uint16_t e) { events.push_back("closed " + std::to_string(e)); };
  s.Set_Addr("127.0.0.1");
  s.Set_Port(std::to_string(Unused_Port()));
  s.Connect();
  ASSERT_TRUE(Pump_Until([&] { return s.State() == wsClosed; }));
  EXPECT_EQ(events, (std::vector<std::string>{"state 8>1", "state 1>3", "state 3>5", "connected 10061", "state 5>8",
                                              "closed 0"}));
}

TEST(NetSocket, PropertiesAndConnectErrors) {
  TConnected c;
  EXPECT_EQ(Error_Of([&] { c.sock.Set_Addr("10.0.0.1"); }), "Cannot change Addr if not closed.");
  EXPECT_EQ(Error_Of([&] { c.sock.Set_Addr("127.0.0.1"); }), "");  // same value: nothing happens
  EXPECT_EQ(Error_Of([&] { c.sock.Set_Port("1"); }), "Cannot change Port if not closed.");
  EXPECT_EQ(Error_Of([&] { c.sock.Set_LocalPort("1"); }), "Cannot change LocalPort if not closed.");
  EXPECT_EQ(Error_Of([&] { c.sock.Connect(); }), "Socket already in use.");
  std::string old_port = c.sock.Port();
  c.sock.Close();
  EXPECT_EQ(c.sock.Port(), old_port);
  EXPECT_EQ(Error_Of([&] { c.sock.Connect(); }), "No Port Specified.");

  struct Row { std::string addr, port, error; } rows[] = {
      {"127.0.0.1", "70000", "Connection Error."},
      {"127.0.0.1", "no-such-service-here", "Connection Error."},
      {"", "80", "No IP Address Specified."},
      {"999.1.1.1", "80", "Connection Error."},
  };
  for (const auto& r : rows) {
    TNetSocket s;
    s.Set_Addr(r.addr);
    s.Set_Port(r.port);
    EXPECT_EQ(Error_Of([&] { s.Connect(); }), r.error) << r.addr << ":" << r.port;
    EXPECT_EQ(s.State(), wsClosed);
  }
}

TEST(NetSocket, SendOnAClosedSocket) {
  TNetSocket s;
  EXPECT_EQ(Error_Of([&] { s.SendText("x"); }), "Socket is not connected. (#10057 in Send)");
  std::string reported;
  s.OnError = [&](TCustomNetSocket*, const std::string& m) { reported = m; };
  EXPECT_EQ(s.SendText("x"), -1);
  EXPECT_EQ(reported, "Socket is not connected. (#10057 in Send)");
  EXPECT_EQ(s.LastError, 10057);
}

TEST(NetSocket, EmptySendFiresDataSentLaterFromThePump) {
  TConnected c;
  Pump_For(10);
  int sent = 0;
  c.sock.OnDataSent = [&](TCustomNetSocket*, std::uint16_t) { ++sent; };
  EXPECT_EQ(c.sock.Send(nullptr, 0), 0);
  EXPECT_EQ(sent, 0);
  EXPECT_TRUE(Pump_Until([&] { return sent == 1; }));
  EXPECT_EQ(c.sock.Buffered_Byte_Count(), 0);
}

TEST(NetSocket, LargeSendDrainsThroughTheQueueInOrder) {
  TConnected c;
  std::string big;
  for (int i = 0; i < 1024 * 1024; ++i) big += static_cast<char>('A' + i % 23);
  int sent = 0;
  c.sock.OnDataSent = [&](TCustomNetSocket*, std::uint16_t) { ++sent; };
  big += "<END>";
  c.sock.SendText(big);
  EXPECT_TRUE(c.peer.Wait_For("<END>", 20000));
  EXPECT_EQ(c.peer.Received().size(), big.size());
  EXPECT_TRUE(c.peer.Received() == big);
  EXPECT_TRUE(Pump_Until([&] { return sent >= 1 && c.sock.All_Sent(); }));
  EXPECT_EQ(c.sock.Buffered_Byte_Count(), 0);
}

TEST(NetSocket, DataBeforeThePeersCloseIsAllDeliveredFirst) {
  TConnected c(wsoNoReceiveLoop);
  std::string got;
  std::vector<std::string> order;
  c.sock.OnDataAvailable = [&](TCustomNetSocket* x, std::uint16_t) {
    char buf[7];
    std::int32_t n = x->Receive(buf, sizeof buf);  // small reads: several notices
    if (n > 0) got.append(buf, static_cast<std::size_t>(n));
  };
  c.sock.OnSessionClosed = [&](TCustomNetSocket*, std::uint16_t e) { order.push_back("closed " + std::to_string(e) + " after " + got); };
  std::string data(5000, 'x');
  data += "END";
  c.peer.Write(data);
  c.peer.Close();
  ASSERT_TRUE(Pump_Until([&] { return !order.empty(); }));
  EXPECT_EQ(order, std::vector<std::string>{"closed 0 after " + data});
  EXPECT_EQ(c.sock.State(), wsClosed);
}

TEST(NetSocket, ListenResolutionErrors) {
  struct Row { std::string addr, port, proto, error; } rows[] = {
      {"127.0.0.1", "", "tcp", "Invalid argument. (#10022 in Port not assigned.)"},
      {"", "0", "tcp", "Invalid argument. (#10022 in Address not assigned.)"},
      {"127.0.0.1", "abcxyz-none", "tcp", "Invalid port."},
      {"127.0.0.1", "0", "udp", "Unknown socket protocol."},
      {"127.0.0.1", "0", "nonsense-proto", "Inavlid protocol."},
  };
  for (const auto& r : rows) {
    TNetSocket s;
    s.Set_Addr(r.addr);
    s.Set_Port(r.port);
    s.Set_Proto(r.proto);
    EXPECT_EQ(Error_Of([&] { s.Listen(); }), r.error) << r.addr << ":" << r.port << "/" << r.proto;
  }
}

TEST(NetSocket, ErrorTexts) {
  struct Row { int n; const char* text; } rows[] = {{0, "No Error."},
                                                    {10035, "Operation would block."},
                                                    {10054, "Connection reset by peer."},
                                                    {11001, "Host not found."},
                                                    {12345, "Not a WinSock error."}};
  for (auto r : rows) EXPECT_EQ(WSocket_ErrorDesc(r.n), r.text);
}

TEST(NetSocket, AbortDiscardsTheQueueAndCloses) {
  TConnected c;
  int closed = 0;
  c.sock.OnSessionClosed = [&](TCustomNetSocket*, std::uint16_t) { ++closed; };
  c.sock.Abort();
  EXPECT_EQ(c.sock.State(), wsClosed);
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(c.peer.Wait_For_Close());
  EXPECT_EQ(WSocket_Instance_Count(), 1);
}

namespace {
struct TRecorded_Socket {
  TNetSocket sock;
  std::vector<std::string> events;
  TRecorded_Socket() {
    sock.OnChangeState = [this](TCustomNetSocket*, TSocketState o, TSocketState n) {
      events.push_back("state " + std::to_string(o) + ">" + std::to_string(n));
    };
    sock.OnSessionConnected = [this](TCustomNetSocket*, std::uint16_t e) {
      events.push_back("connected " + std::to_string(e));
    };
    sock.OnSessionClosed = [this](TCustomNetSocket*, std::uint16_t e) { events.push_back("closed " + std::to_string(e)); };
  }
};
}  // namespace

// Connect by a host name returns at once; the pump goes on while the name
// server is silent, and the connection starts from its answer.
TEST(NetSocket, AHostNameIsLookedUpBesideThePump) {
  TGated_Resolver resolver;
  TRaw_Listener listener;
  TRecorded_Socket r;
  r.sock.Set_Addr("game-host.test");
  r.sock.Set_Port(std::to_string(listener.Port()));
  r.sock.Connect();
  ASSERT_TRUE(r.sock.Looking_Up());
  EXPECT_EQ(r.sock.State(), wsClosed);
  // The resolver holds the name and has not answered; the pump runs on.
  ASSERT_TRUE(Pump_Until([&] { return resolver.gate->Asked() == 1; }));
  Pump_For(50);
  EXPECT_TRUE(r.sock.Looking_Up());
  EXPECT_EQ(r.events, std::vector<std::string>{});
  // Nothing changes under the look-up.
  EXPECT_EQ(Error_Of([&] { r.sock.Connect(); }), "Socket already in use.");
  EXPECT_EQ(Error_Of([&] { r.sock.Set_Addr("elsewhere.test"); }), "Cannot change Addr if not closed.");
  resolver.gate->Open();
  TRaw_Peer peer = listener.Accept();
  ASSERT_GE(peer.fd(), 0);
  ASSERT_TRUE(Pump_Until([&] { return r.sock.State() == wsConnected; }));
  EXPECT_FALSE(r.sock.Looking_Up());
  EXPECT_EQ(r.events, (std::vector<std::string>{"state 8>1", "state 1>3", "state 3>5", "connected 0"}));
  r.sock.SendText("hello\r\n");
  EXPECT_TRUE(peer.Wait_For("hello\r\n"));
}

// A name the resolver does not know ends as a refused connection does; a
// close (or the socket's end) while the name is looked up drops the
// look-up, and its late answer connects nothing.
TEST(NetSocket, AnUnknownNameFailsAndAClosedLookUpsAnswerIsForgotten) {
  TGated_Resolver resolver;
  resolver.gate->Open();
  TRaw_Listener listener;
  {
    TRecorded_Socket r;
    r.sock.Set_Addr("nowhere.test");
    r.sock.Set_Port(std::to_string(listener.Port()));
    r.sock.Connect();
    ASSERT_TRUE(Pump_Until([&] { return r.events.size() == 2; }));
    EXPECT_EQ(r.events, (std::vector<std::string>{"connected 11001", "closed 0"}));
    EXPECT_FALSE(r.sock.Looking_Up());
    EXPECT_EQ(r.sock.State(), wsClosed);
    EXPECT_EQ(WSocket_ErrorDesc(WSAHOST_NOT_FOUND), "Host not found.");
  }
  TGated_Resolver slow;
  {
    TRecorded_Socket r;
    r.sock.Set_Addr("game-host.test");
    r.sock.Set_Port(std::to_string(listener.Port()));
    r.sock.Connect();
    ASSERT_TRUE(Pump_Until([&] { return slow.gate->Asked() == 1; }));
    r.sock.Close();
    EXPECT_FALSE(r.sock.Looking_Up());
    slow.gate->Open();
    Pump_For(100);
    EXPECT_EQ(r.events, std::vector<std::string>{});
    EXPECT_EQ(r.sock.State(), wsClosed);
    // Asked again, it connects.
    r.sock.Connect();
    EXPECT_TRUE(listener.Accept().fd() >= 0);
    ASSERT_TRUE(Pump_Until([&] { return r.sock.State() == wsConnected; }));
  }
  // A socket freed while its name is looked up: the look-up's thread ends
  // on its own record.
  TGated_Resolver late;
  {
    TRecorded_Socket r;
    r.sock.Set_Addr("game-host.test");
    r.sock.Set_Port(std::to_string(listener.Port()));
    r.sock.Connect();
    ASSERT_TRUE(Pump_Until([&] { return late.gate->Asked() == 1; }));
  }
  late.gate->Open();
  Pump_For(100);
  EXPECT_LT(listener.Accept(100).fd(), 0);
}

// The name is found but the connection cannot be made (here: the local
// port asked for is taken): reported as a failed connection, and the next
// connection reports its close as any other.
TEST(NetSocket, AConnectionThatFailsAfterTheLookUpIsReportedOnce) {
  TGated_Resolver resolver;
  resolver.gate->Open();
  TRaw_Listener listener;
  TRecorded_Socket r;
  r.sock.Set_Addr("game-host.test");
  r.sock.Set_Port(std::to_string(listener.Port()));
  r.sock.Set_LocalPort(std::to_string(listener.Port()));
  r.sock.Connect();
  ASSERT_TRUE(Pump_Until([&] { return r.events.size() == 4; }));
  EXPECT_EQ(r.events, (std::vector<std::string>{"state 8>1", "state 1>8", "connected 10048", "closed 0"}));
  r.events.clear();
  r.sock.Set_Addr("game-host.test");
  r.sock.Set_Port(std::to_string(listener.Port()));
  r.sock.Connect();
  TRaw_Peer peer = listener.Accept();
  ASSERT_TRUE(Pump_Until([&] { return r.sock.State() == wsConnected; }));
  peer.Close();
  ASSERT_TRUE(Pump_Until([&] { return r.sock.State() == wsClosed; }));
  EXPECT_EQ(r.events, (std::vector<std::string>{"state 8>1", "state 1>3", "state 3>5", "connected 0", "closed 0",
                                                "state 5>8"}));
}
