#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "NetSocket.h"
#include "NetWndControl.h"
#include "Net_Test_Support.h"

TEST(NetWndControl, FifteenthSocketTakesASecondTargetAndTheLastOneGivesItUp) {
  ASSERT_EQ(Net_Window_Count(), 0);
  std::vector<std::unique_ptr<TNetSocket>> sockets;
  for (int i = 0; i < 14; ++i) sockets.push_back(std::make_unique<TNetSocket>());
  EXPECT_EQ(Net_Window_Count(), 1);
  EXPECT_TRUE(Net_Window_Class_Registered());
  EXPECT_EQ(sockets[0]->Handler()->Used_Count(), 98);
  EXPECT_EQ(sockets[0]->Release_Message(), 1025u);
  sockets.push_back(std::make_unique<TNetSocket>());
  EXPECT_EQ(Net_Window_Count(), 2);
  EXPECT_NE(sockets[14]->Handle(), sockets[0]->Handle());
  EXPECT_EQ(sockets[14]->Handler()->MsgLow, 1025u);
  EXPECT_EQ(sockets[14]->Release_Message(), 1025u);
  sockets.pop_back();
  EXPECT_EQ(Net_Window_Count(), 1);
  sockets.clear();
  EXPECT_EQ(Net_Window_Count(), 0);
  EXPECT_FALSE(Net_Window_Class_Registered());
  TNetSocket again;
  EXPECT_TRUE(Net_Window_Class_Registered());
}

TEST(NetWndControl, MessageNumberErrors) {
  TNetSocket s;
  TNetWndHandler* h = s.Handler();
  struct Row { std::uint32_t msg; const char* error; } rows[] = {
      {1025 + 100, "Msg value out of bound"}, {1025 + 50, "Msg not registered"}, {1000, "Msg value out of bound"}};
  for (auto r : rows) {
    std::uint32_t m = r.msg;
    try {
      h->UnregisterMessage(m);
      ADD_FAILURE() << r.msg;
    } catch (const ENetException& e) {
      EXPECT_STREQ(e.what(), r.error);
    }
  }
  std::uint32_t zero = 0;
  EXPECT_NO_THROW(h->UnregisterMessage(zero));
  TNetWndHandler bare(nullptr);
  try {
    bare.RegisterMessage(&s);
    FAIL();
  } catch (const ENetException& e) {
    EXPECT_STREQ(e.what(), "MsgLow not defined");
  }
}

namespace {
class TCounted : public TNetSocket {
public:
  explicit TCounted(bool* gone) : f_gone(gone) {}
  ~TCounted() override { *f_gone = true; }
  void Post_Test_Exception() { Post_Message(f_msg_test_exception, 0, 0); }
  bool* f_gone;
};
}  // namespace

TEST(NetWndControl, PostedReleaseFreesTheObjectFromThePump) {
  bool gone = false;
  auto* s = new TCounted(&gone);
  s->PostRelease();
  EXPECT_FALSE(gone);
  Net_Process_Messages(0);
  EXPECT_TRUE(gone);
  EXPECT_EQ(Net_Window_Count(), 0);
}

TEST(NetWndControl, MessagesOfAFreedObjectDoNotReachTheNextOwnerOfItsSlot) {
  bool gone1 = false, gone2 = false;
  auto* a = new TCounted(&gone1);
  TNetSocket keep;  // keeps the target alive
  a->PostRelease();
  delete a;  // freed before its release message arrived
  auto* b = new TCounted(&gone2);
  Net_Process_Messages(0);
  EXPECT_FALSE(gone2);
  delete b;
}

TEST(NetWndControl, ExceptionInAnEventReachesOnBgExceptionAndAbortsThatSocketOnly) {
  TRaw_Listener l;
  bool gone = false;
  TCounted s(&gone);
  TNetSocket other;
  std::string seen;
  s.OnBgException = [&](TNetWndControl*, const std::exception& e, bool& can_close) {
    seen = e.what();
    EXPECT_TRUE(can_close);
  };
  s.Set_Addr("127.0.0.1");
  s.Set_Port(std::to_string(l.Port()));
  s.Connect();
  TRaw_Peer p = l.Accept();
  ASSERT_TRUE(Pump_Until([&] { return s.State() == wsConnected; }));
  s.Post_Test_Exception();
  ASSERT_TRUE(Pump_Until([&] { return !seen.empty(); }));
  EXPECT_EQ(seen, "Test exception in NetSocket");
  EXPECT_EQ(s.State(), wsClosed);
  EXPECT_TRUE(p.Wait_For_Close());
  // The pump goes on serving the other objects.
  bool gone2 = false;
  auto* t = new TCounted(&gone2);
  t->PostRelease();
  EXPECT_TRUE(Pump_Until([&] { return gone2; }));
}

TEST(NetWndControl, BgExceptionHandlerMayKeepTheSocketOpen) {
  TRaw_Listener l;
  bool gone = false;
  TCounted s(&gone);
  s.OnBgException = [&](TNetWndControl*, const std::exception&, bool& can_close) { can_close = false; };
  s.Set_Addr("127.0.0.1");
  s.Set_Port(std::to_string(l.Port()));
  s.Connect();
  TRaw_Peer p = l.Accept();
  ASSERT_TRUE(Pump_Until([&] { return s.State() == wsConnected; }));
  s.Post_Test_Exception();
  Pump_For(20);
  EXPECT_EQ(s.State(), wsConnected);
}

TEST(NetWndControl, QuitEndsTheObjectsOwnLoop) {
  TNetSocket s;
  Net_Post_Quit();
  s.RunMessageLoop();
  EXPECT_TRUE(s.Terminated);
}

TEST(NetWndControl, TakingATargetAfterFinalisationFails) {
  { TNetSocket s; }  // the module is initialised by now
  Net_Wnd_Control_Finalize();
  try {
    TNetSocket late;
    FAIL();
  } catch (const ENetAssertion& e) {
    EXPECT_STREQ(e.what(), "Unit is already finalized, check your threads!!!");
  }
  Net_Wnd_Control_Initialize();
  TNetSocket again;
  EXPECT_EQ(Net_Window_Count(), 1);
}

TEST(NetWndControl, TimerMessageIsRegisteredOnceAndIgnoredByTargets) {
  std::uint32_t m = Net_Thread_Timer_Message();
  EXPECT_GE(m, 0xC000u);
  EXPECT_EQ(Net_Register_Message("QUORVANE_NET_THREAD_TIMER"), m);
  EXPECT_NE(Net_Register_Message("another"), m);
  TNetSocket s;
  TNet_Message msg{m, 0, 0, nullptr, 7};
  s.Handler()->WindowProc(msg);
  EXPECT_EQ(msg.result, 0);
  EXPECT_EQ(s.State(), wsClosed);
}
