#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Io.h"
#include "Multiplayer_Client.h"
#include "Net_Test_Support.h"
#include "Socket_Binding.h"
#include "Test_Support.h"

namespace {
using TEvents = std::vector<std::pair<int, std::string>>;

std::string Frame(const std::string& payload, std::int32_t length_field) {
  unsigned char h[8];
  MP_Write_Frame_Header(THdrRec{0, length_field}, h);
  return std::string(reinterpret_cast<char*>(h), 8) + payload;
}
std::string Frame(const std::string& payload) { return Frame(payload, static_cast<std::int32_t>(payload.size())); }

// A client joined to a plain host socket, its events recorded.
struct TJoined {
  TTemp_Dir dir;
  TRaw_Listener host_listener;
  TMultiplayer_Client client;
  TRaw_Peer host;
  TEvents events;

  TJoined() {
    client.f_base_folder = dir.design();
    client.f_event_handler = [this](MP_Event_Code c, std::int32_t id, const std::string& t) {
      EXPECT_EQ(id, 0);
      events.emplace_back(c, t);
    };
    client.m_Connect("127.0.0.1", std::to_string(host_listener.Port()));
    host = host_listener.Accept();
    EXPECT_TRUE(Pump_Until([&] { return client.m_Is_Connected(); }));
  }
  // Events other than log lines.
  TEvents Reports() const {
    TEvents r;
    for (const auto& e : events)
      if (e.first != MP_CLIENT_DEBUG_MSG) r.push_back(e);
    return r;
  }
  bool Has(int code, const std::string& text) const {
    for (const auto& e : events)
      if (e.first == code && e.second == text) return true;
    return false;
  }
  bool Wait(int code, const std::string& text) {
    return Pump_Until([&] { return Has(code, text); });
  }
};
}  // namespace

TEST(Multiplayer_Client, ConnectReportsTheSession) {
  TJoined j;
  ASSERT_TRUE(j.Wait(MP_CLIENT_CONNECTED, ""));
  TEvents want = {{1, "Session Connected"},
                  {1, "  Addr: 127.0.0.1"},
                  {1, "  Port: " + std::to_string(j.host_listener.Port())},
                  {1, "Connected"},
                  {3, ""}};
  EXPECT_EQ(j.events, want);
}

TEST(Multiplayer_Client, RefusedConnectionReportsErrorThenDisconnect) {
  TMultiplayer_Client c;
  TEvents events;
  c.f_event_handler = [&](MP_Event_Code code, std::int32_t, const std::string& t) { events.emplace_back(code, t); };
  c.m_Connect("127.0.0.1", std::to_string(Unused_Port()));
  ASSERT_TRUE(Pump_Until([&] { return events.size() >= 3; }));
  EXPECT_EQ(events, (TEvents{{5, "Can't connect, error #10061"}, {1, "Disconnected"}, {4, "Disconnected"}}));
}

// A host given by name is found through the system's resolver; the client
// is connecting meanwhile, and its socket sends without delay.
TEST(Multiplayer_Client, JoinsAHostByItsName) {
  TRaw_Listener listener;
  TMultiplayer_Client c;
  TEvents events;
  c.f_event_handler = [&](MP_Event_Code code, std::int32_t, const std::string& t) { events.emplace_back(code, t); };
  c.m_Connect("localhost", std::to_string(listener.Port()));
  EXPECT_TRUE(c.m_Is_Connecting());
  EXPECT_FALSE(c.m_Is_Connected());
  TRaw_Peer host = listener.Accept();
  ASSERT_GE(host.fd(), 0);
  ASSERT_TRUE(Pump_Until([&] { return c.m_Is_Connected(); }));
  EXPECT_FALSE(c.m_Is_Connecting());
  EXPECT_TRUE(Sock_No_Delay(c.Socket()->Handle_Socket()));
  c.m_Send("  9");
  EXPECT_TRUE(host.Wait_For("QX  9\r\n"));
}

TEST(Multiplayer_Client, BadAddressIsReportedAsAnError) {
  TMultiplayer_Client c;
  TEvents events;
  c.f_event_handler = [&](MP_Event_Code code, std::int32_t, const std::string& t) { events.emplace_back(code, t); };
  c.m_Connect("127.0.0.1", "");
  EXPECT_EQ(events, (TEvents{{1, "Error:  Exception - ESocketException: No Port Specified."},
                             {5, "Exception - ESocketException: No Port Specified."}}));
}

TEST(Multiplayer_Client, LinesBecomeMessagesWhenTheyCarryThePrefix) {
  TJoined j;
  j.host.Write("QX  1   2hi\r\nWelcome\r\nQX  6\r\n");
  ASSERT_TRUE(j.Wait(MP_CLIENT_MESSAGE, "  6"));
  EXPECT_EQ(j.Reports(), (TEvents{{3, ""}, {2, "  1   2hi"}, {2, "  6"}}));
  EXPECT_TRUE(j.Has(1, "Message Received: Welcome"));
  // A line split over two receives is delivered once, complete.
  j.host.Write("QXspl");
  ASSERT_TRUE(Pump_Until([&] { return j.client.Socket()->Unread_Count() == 5; }));
  j.host.Write("it\r\n");
  ASSERT_TRUE(j.Wait(MP_CLIENT_MESSAGE, "split"));
  EXPECT_EQ(j.Reports().size(), 4u);
}

TEST(Multiplayer_Client, FileFrameIsWrittenToTheTempFolderAndAcknowledged) {
  TJoined j;
  std::string payload;
  for (int i = 0; i < 70000; ++i) payload += static_cast<char>(i * 7 % 256);
  std::string stream = MP_Binary_Announce_Line(70000, "CurrentMap.map") + Frame(payload) + "QX 99after\r\n";
  // The announcement, the header and part of the payload arrive together.
  j.host.Write(stream.substr(0, 1000));
  ASSERT_TRUE(Pump_Until([&] { return j.client.Socket()->f_frame_state == 1; }));
  j.host.Write(stream.substr(1000));
  ASSERT_TRUE(j.Wait(MP_CLIENT_MESSAGE, " 99after"));
  EXPECT_TRUE(Read_File(j.dir.path() / "temp" / "CurrentMap.map") == payload);
  EXPECT_TRUE(j.Has(MP_CLIENT_FILE_COMPLETE, "temp\\CurrentMap.map"));
  EXPECT_TRUE(j.Has(1, "! Binary Begin - ID=0 size=70000"));
  EXPECT_TRUE(j.Has(1, "! Binary End - total size=70000"));
  EXPECT_TRUE(j.Has(MP_CLIENT_FILE_IN_PROGRESS, "70000 bytes of 70000 received"));
  int chunks = 0;
  for (const auto& e : j.events) chunks += e.first == MP_CLIENT_FILE_IN_PROGRESS;
  EXPECT_GE(chunks, 2);
  EXPECT_TRUE(j.host.Wait_For("QX[File Received]\r\n"));
  EXPECT_EQ(j.client.Socket()->f_receive_mode, 0);
}

// The frame loop's pump takes a file that has arrived in one call, where
// one round of the pump takes one buffer of it.
TEST(Multiplayer_Client, TheFrameLoopsPumpTakesAWholeFileThatHasArrived) {
  TJoined j;
  ASSERT_TRUE(j.Wait(MP_CLIENT_CONNECTED, ""));
  const std::string payload(3 * TBinaryNetSocket::Buffer_Size, 'm');
  const std::string stream =
      MP_Binary_Announce_Line(std::int64_t(payload.size()), "CurrentMap.map") + Frame(payload);
  j.host.Write(stream);
  // Everything is at the client's socket before it reads anything.
  const int fd = j.client.Socket()->Handle_Socket();
  for (int i = 0; i < 200 && Sock_Bytes_Waiting(fd) < int(stream.size()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(Sock_Bytes_Waiting(fd), int(stream.size()));
  Net_Process_Messages(0);
  EXPECT_FALSE(j.Has(MP_CLIENT_FILE_COMPLETE, "temp\\CurrentMap.map"));
  Net_Process_Messages_Until_Idle(10000);
  EXPECT_TRUE(j.Has(MP_CLIENT_FILE_COMPLETE, "temp\\CurrentMap.map"));
  EXPECT_TRUE(Read_File(j.dir.path() / "temp" / "CurrentMap.map") == payload);
}

TEST(Multiplayer_Client, EmptyFrameEndsAtOnceAndHeaderMayArriveInPieces) {
  TJoined j;
  Write_File(j.dir.path() / "temp" / "Old.dat", "stale");
  j.host.Write(MP_Binary_Announce_Line(0, "Old.dat") + Frame(""));
  ASSERT_TRUE(j.Wait(MP_CLIENT_FILE_COMPLETE, "temp\\Old.dat"));
  EXPECT_FALSE(File_Exists(j.dir.design() + "temp\\Old.dat"));
  for (const auto& e : j.events) EXPECT_NE(e.first, MP_CLIENT_FILE_IN_PROGRESS);

  std::string stream = MP_Binary_Announce_Line(3, "b.dat") + Frame("xyz");
  std::size_t header_at = stream.size() - 11;
  j.host.Write(stream.substr(0, header_at + 3));  // three bytes of the header
  ASSERT_TRUE(Pump_Until([&] { return j.client.Socket()->Unread_Count() == 3; }));
  j.host.Write(stream.substr(header_at + 3));
  ASSERT_TRUE(j.Wait(MP_CLIENT_FILE_COMPLETE, "temp\\b.dat"));
  EXPECT_EQ(Read_File(j.dir.path() / "temp" / "b.dat"), "xyz");
}

TEST(Multiplayer_Client, LongLineWithoutEndAbortsTheConnection) {
  TJoined j;
  j.host.Write(std::string(31999, 'a'));
  Pump_For(20);
  EXPECT_TRUE(j.client.m_Is_Connected());
  j.host.Write("b");
  ASSERT_TRUE(j.Wait(MP_CLIENT_DISCONNECTED, "Disconnected"));
  EXPECT_TRUE(j.Has(1, "Message Received: ! Buffer overflow attempt detected"));
  EXPECT_TRUE(j.host.Wait_For_Close());
  EXPECT_EQ(j.client.Socket()->Unread_Count(), 0);
}

TEST(Multiplayer_Client, HostileAnnouncementsNeverWriteOutsideTheTempFolder) {
  TJoined j;
  j.host.Write(MP_Binary_Announce_Line(4, "..\\evil.txt") + Frame("evil") + "QXnext\r\n");
  ASSERT_TRUE(j.Wait(MP_CLIENT_MESSAGE, "next"));
  EXPECT_TRUE(j.Has(MP_CLIENT_ERROR, "Refused file name: ..\\evil.txt"));
  EXPECT_FALSE(File_Exists(j.dir.design() + "evil.txt"));
  for (const auto& e : j.events) EXPECT_NE(e.first, MP_CLIENT_FILE_COMPLETE);
  EXPECT_TRUE(j.client.m_Is_Connected());

  // A size that is not a number ends the connection.
  j.host.Write("Binary      12x4 a.dat\r\n");
  ASSERT_TRUE(j.Wait(MP_CLIENT_DISCONNECTED, "Disconnected"));
  EXPECT_FALSE(j.client.m_Is_Connected());
}

TEST(Multiplayer_Client, SendAddsPrefixAndLineEnd) {
  TJoined j;
  j.client.m_Send(MP_Encode_Byte(LAN_MSG_TO_SERVER_CHAT) + MP_Encode_String("hi"));
  EXPECT_TRUE(j.host.Wait_For("QX  1   2hi\r\n"));
  EXPECT_TRUE(j.Has(1, "Send:   1   2hi"));
  j.client.m_Disconnect();
  EXPECT_FALSE(j.client.m_Is_Connected());
  std::size_t n = j.events.size();
  j.client.m_Send("dropped");
  ASSERT_EQ(j.events.size(), n + 1);
  EXPECT_EQ(j.events.back(), (std::pair<int, std::string>{1, "Send: dropped"}));
}

TEST(Multiplayer_Client, FindCRLF) {
  struct Row { std::string text; int at; } rows[] = {{"", -1}, {"\r", -1}, {"ab\r\n", 2}, {"\n\r\r\n", 2}, {"a\rb\n", -1}};
  for (const auto& r : rows)
    EXPECT_EQ(Find_CRLF(r.text.data(), static_cast<std::int32_t>(r.text.size())), r.at) << r.text;
}
