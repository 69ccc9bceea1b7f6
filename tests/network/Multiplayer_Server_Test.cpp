#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Errors.h"
#include "Multiplayer_Server.h"
#include "Net_Test_Support.h"
#include "Socket_Binding.h"
#include "Test_Support.h"

namespace {
using TEvents = std::vector<std::pair<int, std::string>>;

const std::string Greeting = "Welcome to Quorvane Game Server\r\n";

std::string Frame(const std::string& payload) {
  unsigned char h[8];
  MP_Write_Frame_Header(THdrRec{0, static_cast<std::int32_t>(payload.size())}, h);
  return std::string(reinterpret_cast<char*>(h), 8) + payload;
}

// What a client receives for one file.
std::string File_Bytes(const std::string& name, const std::string& payload) {
  return MP_Binary_Announce_Line(static_cast<std::int64_t>(payload.size()), name) + Frame(payload);
}

// A host listening on an ephemeral loopback port, its events recorded as
// "code id text".
struct THost {
  TMultiplayer_Server server;
  std::vector<std::string> events;
  int port = 0;

  THost() {
    server.f_event_handler = [this](MP_Event_Code c, std::int32_t id, const std::string& t) {
      events.push_back(std::to_string(c) + " " + std::to_string(id) + " " + t);
    };
    server.m_Listen("127.0.0.1", "0");
    port = std::stoi(server.Socket()->GetLocalPort());
  }
  bool Has(const std::string& e) const {
    for (const auto& x : events)
      if (x == e) return true;
    return false;
  }
  bool Wait(const std::string& e) {
    return Pump_Until([&] { return Has(e); });
  }
  TRaw_Peer Join() {
    std::int32_t before = server.Socket()->ClientCount();
    TRaw_Peer p = TRaw_Peer::Connect(port);
    EXPECT_TRUE(p.Wait_For(Greeting));
    EXPECT_EQ(server.Socket()->ClientCount(), before + 1);
    return p;
  }
};

}  // namespace

static std::string TRaw_Peer_Port(int fd) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  return std::to_string(ntohs(a.sin_port));
}

namespace {
// Reads from a peer for a short while.
std::string Settle(TRaw_Peer& p) {
  p.Wait_For("\x01never", 100);
  return p.Received();
}
}  // namespace

TEST(Multiplayer_Server, ListenReportsTheSettingsAndTheListeningState) {
  THost h;
  EXPECT_EQ(h.server.Socket()->State(), wsListening);
  EXPECT_TRUE(h.Has("100 0 Waiting for clients..."));
  EXPECT_TRUE(h.Has("100 0   Addr: 127.0.0.1"));
  EXPECT_TRUE(h.Has("100 0   Port: 0"));
  EXPECT_TRUE(h.Has("100 0   LocalAddr: 127.0.0.1"));
  EXPECT_TRUE(h.Has("100 0   LocalPort: 0"));
  EXPECT_TRUE(h.Has("100 0 New State: Listening"));
  EXPECT_TRUE(h.Has("108 0 Listening"));
}

TEST(Multiplayer_Server, StateNames) {
  const std::vector<std::string> want = {"Invalid State", "Opened",    "Bound",     "Connecting", "SocksConnected",
                                         "Connected",     "Accepting", "Listening", "Closed"};
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(MP_Socket_State_Name(static_cast<TSocketState>(i)), want[i]);
}

TEST(Multiplayer_Server, BadAddressIsReportedAsAnException) {
  TMultiplayer_Server s;
  std::vector<std::string> events;
  s.f_event_handler = [&](MP_Event_Code c, std::int32_t, const std::string& t) {
    if (c == MP_SERVER_ERROR) events.push_back(t);
  };
  s.m_Listen("no.such.address.invalid", "0");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].rfind("Exception - ESocketException: ", 0), 0u) << events[0];
}

TEST(Multiplayer_Server, ClientsConnectSendAndLeave) {
  THost h;
  TRaw_Peer a = h.Join();
  TRaw_Peer b = h.Join();
  EXPECT_TRUE(h.Has("100 0 There is now 2 clients connected."));
  EXPECT_TRUE(h.Has("106 1 "));
  const std::string connected = "100 0 Client connected. Remote: 127.0.0.1/" + TRaw_Peer_Port(a.fd()) +
                                " Local: 127.0.0.1/" + std::to_string(h.port);
  EXPECT_TRUE(h.Has(connected)) << connected;
  EXPECT_TRUE(h.Has("106 2 "));
  EXPECT_EQ(h.server.m_Client_Position(2), 2);
  EXPECT_EQ(h.server.m_Client_Position(7), 0);

  a.Write("QX001hello\r\nnot a message\r\nQXsecond\n\r\n");
  ASSERT_TRUE(h.Wait("101 1 second"));
  EXPECT_TRUE(h.Has("101 1 001hello"));
  EXPECT_TRUE(h.Has("100 0 Received from 127.0.0.1: 'not a message'"));
  for (const auto& e : h.events) EXPECT_EQ(e.find("101 1 not"), std::string::npos);

  h.server.Send_To_All("ALL");
  h.server.Send_To_Specific(2, "TWO");
  EXPECT_TRUE(h.Has("100 0 Send_To_All: ALL"));
  EXPECT_TRUE(h.Has("100 0 Send_To_Specific(2): TWO"));
  ASSERT_TRUE(b.Wait_For("QXTWO\r\n"));
  EXPECT_EQ(b.Received(), Greeting + "QXALL\r\nQXTWO\r\n");
  EXPECT_EQ(Settle(a), Greeting + "QXALL\r\n");

  a.Close();
  ASSERT_TRUE(h.Wait("107 1 "));
  EXPECT_TRUE(h.Has("100 0 Client disconnecting: 127.0.0.1   Duration: 00:00:00"));
  EXPECT_TRUE(h.Has("100 0 There is now 1 clients connected."));
  EXPECT_EQ(h.server.Socket()->ClientCount(), 1);
  h.server.Send_To_Specific(1, "gone");  // skipped silently
}

// A game connection carries a line's bytes as they were sent: a tab or a
// backspace is part of the text (a name, a chat line), not an edit of it.
// Every connection to a client sends without delay.
TEST(Multiplayer_Server, LinesArriveAsSentAndEveryClientSendsWithoutDelay) {
  THost h;
  TRaw_Peer p = h.Join();
  p.Write("QX  1   3Ann  10a\tb\bc\x01 \x7f\x08x\r\n");
  ASSERT_TRUE(h.Wait("101 1   1   3Ann  10a\tb\bc\x01 \x7f\x08x"));
  ASSERT_EQ(h.server.Socket()->ClientCount(), 1);
  EXPECT_TRUE(Sock_No_Delay(h.server.Socket()->Client(0)->Handle_Socket()));
}

TEST(Multiplayer_Server, UnfinishedLineOverTheLimitClosesTheClient) {
  THost h;
  TRaw_Peer a = h.Join();
  a.Write("QX" + std::string(150, 'w') + "\r\n");  // a whole long line passes
  ASSERT_TRUE(h.Wait("101 1 " + std::string(150, 'w')));
  // A long message split by TCP is held until its end arrives.
  a.Write("QX" + std::string(3000, 'p'));
  Pump_For(50);
  a.Write(std::string(3000, 'q') + "\r\n");
  ASSERT_TRUE(h.Wait("101 1 " + std::string(3000, 'p') + std::string(3000, 'q')));
  EXPECT_EQ(h.server.Socket()->ClientCount(), 1);
  // Past the limit the client is closed.
  a.Write(std::string(MP_Line_Limit + 1, 'x'));
  ASSERT_TRUE(h.Wait("104 0 Line limit exceeded from 127.0.0.1. Closing."));
  EXPECT_TRUE(h.Has("100 0 Error: Line limit exceeded from 127.0.0.1. Closing."));
  EXPECT_TRUE(a.Wait_For_Close());
  ASSERT_TRUE(h.Wait("107 1 "));
  EXPECT_EQ(h.server.Socket()->ClientCount(), 0);
}

struct TTransfer : THost {
  TTemp_Dir dir;
  std::vector<std::string> files;
  std::vector<std::string> payloads = {"first file", std::string("\0\1binary\r\n", 10), ""};
  TTransfer() {
    const char* names[] = {"One.dat", "Two.map", "Three.dat"};
    for (int i = 0; i < 3; ++i) {
      files.push_back(dir.design() + names[i]);
      Write_File(dir.path() / names[i], payloads[static_cast<std::size_t>(i)]);
    }
  }
};

TEST(Multiplayer_Server, EachClientGetsTheNextFileAfterItsOwnReceipt) {
  TTransfer t;
  TRaw_Peer p[3] = {t.Join(), t.Join(), t.Join()};
  EXPECT_TRUE(t.server.m_Send_Files(t.files));
  std::string one = Greeting + File_Bytes("One.dat", t.payloads[0]);
  for (auto& c : p) ASSERT_TRUE(c.Wait_For(one));
  EXPECT_TRUE(t.Has("100 0 Send Str: Binary        10 One.dat"));

  p[1].Write("QX[File Received]\r\n");
  std::string two = one + File_Bytes("Two.map", t.payloads[1]);
  ASSERT_TRUE(p[1].Wait_For(two));
  EXPECT_EQ(Settle(p[0]), one);
  EXPECT_EQ(Settle(p[2]), one);
  ASSERT_NE(t.server.Queue(2), nullptr);
  EXPECT_EQ(*t.server.Queue(2), std::vector<std::string>{t.files[2]});

  p[1].Write("QX[File Received]\r\n");
  std::string three = two + File_Bytes("Three.dat", "");
  ASSERT_TRUE(p[1].Wait_For(three));
  EXPECT_TRUE(t.server.Finished(2));
  EXPECT_EQ(t.server.Queue(2), nullptr);
  EXPECT_FALSE(t.server.Finished(1));
  p[1].Write("QX[File Received]\r\n");  // the last receipt finds it finished
  EXPECT_EQ(Settle(p[1]), three);
  for (const auto& e : t.events) EXPECT_EQ(e.rfind("101 ", 0), std::string::npos) << e;
}

TEST(Multiplayer_Server, ReceiptTextInsideAChatLineCountsAsAReceipt) {
  TTransfer t;
  TRaw_Peer a = t.Join();
  t.server.m_Send_Files(t.files);
  a.Write("QX001chat about [File Received] here\r\n");
  ASSERT_TRUE(a.Wait_For(File_Bytes("Two.map", t.payloads[1])));
  for (const auto& e : t.events) EXPECT_EQ(e.rfind("101 ", 0), std::string::npos) << e;
}

// With members only, a connection the owner never admitted gets neither
// lines for everybody nor files, and its receipts fetch nothing; lines sent
// to it by id still arrive.
TEST(Multiplayer_Server, MembersOnlyKeepsLinesAndFilesFromClientsNotAdmitted) {
  TTransfer t;
  t.server.f_members_only = true;
  TRaw_Peer member = t.Join();
  TRaw_Peer stranger = t.Join();
  EXPECT_FALSE(t.server.m_Admit(99));
  ASSERT_TRUE(t.server.m_Admit(1));
  EXPECT_TRUE(t.server.m_Is_Member(1));
  EXPECT_FALSE(t.server.m_Is_Member(2));
  EXPECT_EQ(t.server.m_Recipient_Count(), 1);
  t.server.Send_To_All("ALL");
  t.server.Send_To_Specific(2, "YOU");
  EXPECT_TRUE(t.server.m_Send_Files(t.files));
  EXPECT_EQ(t.server.Transfer_Count(), 1);
  stranger.Write("QX[File Received]\r\n");
  ASSERT_TRUE(member.Wait_For(Greeting + "QXALL\r\n" + File_Bytes("One.dat", t.payloads[0])));
  EXPECT_EQ(Settle(stranger), Greeting + "QXYOU\r\n");
  EXPECT_EQ(Settle(member), Greeting + "QXALL\r\n" + File_Bytes("One.dat", t.payloads[0]));
}

// With members only, a client that is not a member reaches the owner with
// its login lines alone; a member's lines all arrive.
TEST(Multiplayer_Server, MembersOnlyPassesOnlyLoginLinesOfClientsNotAdmitted) {
  THost h;
  h.server.f_members_only = true;
  h.server.f_codes_before_admission = {9, 3};
  TRaw_Peer member = h.Join();
  TRaw_Peer stranger = h.Join();
  ASSERT_TRUE(h.server.m_Admit(1));
  for (TRaw_Peer* p : {&stranger, &member}) p->Write("QX  7    2\r\nQX  1   1a   1b\r\nQXgarbage\r\nQX  9\r\n");
  ASSERT_TRUE(h.Wait("101 2   9"));
  ASSERT_TRUE(h.Wait("101 1   9"));
  EXPECT_TRUE(h.Has("101 1   7    2"));
  EXPECT_TRUE(h.Has("101 1   1   1a   1b"));
  EXPECT_TRUE(h.Has("101 1 garbage"));
  EXPECT_FALSE(h.Has("101 2   7    2"));
  EXPECT_FALSE(h.Has("101 2   1   1a   1b"));
  EXPECT_FALSE(h.Has("101 2 garbage"));
  EXPECT_TRUE(h.Has("100 0 Dropped a line of client 2, which has not logged in"));
  stranger.Write("QX  3   1n   1p   1w\r\n");
  ASSERT_TRUE(h.Wait("101 2   3   1n   1p   1w"));
}

TEST(Multiplayer_Server, EmptyListOrNoClients) {
  TTransfer t;
  EXPECT_FALSE(t.server.m_Send_Files(t.files));  // no clients
  EXPECT_EQ(t.server.Transfer_Count(), 0);
  TRaw_Peer a = t.Join();
  TRaw_Peer b = t.Join();
  EXPECT_FALSE(t.server.m_Send_Files({}));
  EXPECT_TRUE(t.server.Finished(1));
  EXPECT_TRUE(t.server.Finished(2));
  EXPECT_FALSE(t.server.m_Send_Next_File(0));
  EXPECT_FALSE(t.server.m_Send_Next_File(3));
  EXPECT_EQ(Settle(a), Greeting);
  EXPECT_EQ(Settle(b), Greeting);
}

TEST(Multiplayer_Server, UnreadableFileRaisesAnInputOutputError) {
  TTransfer t;
  TRaw_Peer a = t.Join();
  EXPECT_THROW(t.server.m_Send_Files({t.dir.design() + "Missing.dat"}), EInOutError);
}

// A client that leaves during the transfer moves the others up the client
// list; each remaining client still gets its own next file.
TEST(Multiplayer_Server, ClientLeavingDuringATransferDoesNotMixTheQueues) {
  TTransfer t;
  TRaw_Peer a = t.Join();
  TRaw_Peer b = t.Join();
  t.server.m_Send_Files(t.files);
  std::string one = Greeting + File_Bytes("One.dat", t.payloads[0]);
  ASSERT_TRUE(a.Wait_For(one));
  ASSERT_TRUE(b.Wait_For(one));
  a.Write("QX[File Received]\r\n");
  ASSERT_TRUE(a.Wait_For(File_Bytes("Two.map", t.payloads[1])));
  a.Close();
  ASSERT_TRUE(t.Wait("107 1 "));
  EXPECT_EQ(t.server.m_Client_Position(2), 1);
  b.Write("QX[File Received]\r\n");
  std::string two = one + File_Bytes("Two.map", t.payloads[1]);
  ASSERT_TRUE(b.Wait_For(two));
  EXPECT_EQ(Settle(b), two);
  EXPECT_EQ(*t.server.Queue(1), std::vector<std::string>{t.files[2]});  // the leaver's queue stops
}

TEST(Multiplayer_Server, JoinedMachinesStoreTheFilesInTheirTempFolder) {
  TTransfer t;
  TTemp_Dir c1_dir, c2_dir;
  TMultiplayer_Client c1, c2;
  c1.f_base_folder = c1_dir.design();
  c2.f_base_folder = c2_dir.design();
  std::vector<std::string> done;
  c1.f_event_handler = [&](MP_Event_Code c, std::int32_t, const std::string& s) {
    if (c == MP_CLIENT_FILE_COMPLETE) done.push_back("1 " + s);
  };
  c2.f_event_handler = [&](MP_Event_Code c, std::int32_t, const std::string& s) {
    if (c == MP_CLIENT_FILE_COMPLETE) done.push_back("2 " + s);
  };
  c1.m_Connect("127.0.0.1", std::to_string(t.port));
  c2.m_Connect("127.0.0.1", std::to_string(t.port));
  ASSERT_TRUE(Pump_Until([&] { return t.server.Socket()->ClientCount() == 2 && c1.m_Is_Connected() && c2.m_Is_Connected(); }));
  t.server.m_Send_Files(t.files);
  ASSERT_TRUE(Pump_Until([&] { return t.server.Finished(1) && t.server.Finished(2) && done.size() == 6; }));
  for (auto* d : {&c1_dir, &c2_dir}) {
    EXPECT_EQ(Read_File(d->path() / "temp" / "One.dat"), t.payloads[0]);
    EXPECT_EQ(Read_File(d->path() / "temp" / "Two.map"), t.payloads[1]);
    EXPECT_EQ(Read_File(d->path() / "temp" / "Three.dat"), "");
  }
}

namespace {
// A one-shot web server on loopback: takes one request and answers it.
struct TFake_Web {
  int fd = -1;
  int port = 0;
  std::string request;
  std::thread worker;
  explicit TFake_Web(std::string reply) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd, 1);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    worker = std::thread([this, reply] {
      int c = ::accept(fd, nullptr, nullptr);
      if (c < 0) return;
      char buf[512];
      while (request.find('\0') == std::string::npos) {
        ssize_t n = ::recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, static_cast<std::size_t>(n));
      }
      ::send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
      ::close(c);
    });
  }
  ~TFake_Web() {
    worker.join();
    ::close(fd);
  }
};
}  // namespace

TEST(Multiplayer_Server, AddressLookUpTakesTheLastLineOfTheReply) {
  struct TCase {
    std::string reply, address;
  };
  const std::vector<TCase> cases = {
      {"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n203.0.113.7", "203.0.113.7"},
      {"HTTP/1.0 200 OK\r\n\r\n198.51.100.2\r\n", "198.51.100.2"},
      {"", ""},
  };
  for (const auto& c : cases) {
    TMultiplayer_Server s;
    TFake_Web web(c.reply);
    s.f_wan_address_url = "http://127.0.0.1:" + std::to_string(web.port) + "/ip/plain";
    EXPECT_EQ(s.m_Get_WAN_Address(), c.address);
    EXPECT_EQ(web.request, "GET /ip/plain HTTP/1.0 \r\nHost: 127.0.0.1:" + std::to_string(web.port) + "\r\n\r\n" +
                               std::string(1, '\0'));
  }
}

TEST(Multiplayer_Server, HttpGetReturnsTheWholeReplyAndAsksForRootWithoutAPath) {
  TMultiplayer_Server s;
  std::string reply = "HTTP/1.0 200 OK\r\n\r\n" + std::string(10000, 'r');
  TFake_Web web(reply);
  EXPECT_EQ(s.m_HTTP_Get("127.0.0.1:" + std::to_string(web.port)), reply);
  EXPECT_EQ(web.request.rfind("GET / HTTP/1.0 \r\n", 0), 0u);
}

TEST(Multiplayer_Server, UnreachableServiceGivesAnEmptyAddress) {
  TMultiplayer_Server s;
  std::vector<std::string> events;
  s.f_event_handler = [&](MP_Event_Code c, std::int32_t, const std::string& t) {
    events.push_back(std::to_string(c) + " " + t);
  };
  s.f_wan_address_url = "http://127.0.0.1:" + std::to_string(Unused_Port()) + "/";
  EXPECT_EQ(s.m_Get_WAN_Address(), "");
  EXPECT_EQ(events, (std::vector<std::string>{"100 Could not get WAN IP.", "104 Could not get WAN IP."}));
}

// Exceptions raised while a socket event is handled: a client's closes that
// client, the listening socket's is reported and the server goes on.
TEST(Multiplayer_Server, BackgroundExceptionsOfClientsAndServer) {
  THost h;
  auto record = h.server.f_event_handler;
  h.server.f_event_handler = [&](MP_Event_Code c, std::int32_t id, const std::string& t) {
    record(c, id, t);
    if (c == MP_SERVER_MESSAGE && t == "boom") throw EConvertError("bad field");
    if (c == MP_SERVER_CLIENT_CONNECTED && id == 2) throw ERangeError("no slot");
  };
  TRaw_Peer a = h.Join();
  a.Write("QXboom\r\n");
  ASSERT_TRUE(h.Wait("100 0 Client exception occured: EConvertError: bad field"));
  EXPECT_TRUE(a.Wait_For_Close());
  ASSERT_TRUE(h.Wait("107 1 "));

  TRaw_Peer b = TRaw_Peer::Connect(h.port);
  ASSERT_TRUE(h.Wait("104 0 Server exception occured: ERangeError: no slot"));
  EXPECT_TRUE(h.Has("100 0 Error: Server exception occured: ERangeError: no slot"));
  EXPECT_EQ(h.server.Socket()->State(), wsListening);
  TRaw_Peer c = h.Join();
  EXPECT_TRUE(h.Has("106 3 "));
}
