#include <gtest/gtest.h>

#include <string>

#include "Errors.h"
#include "NetSockBuf.h"

namespace {
std::string Head_Bytes(const TNetBufferHandler& q) {
  const char* d;
  std::int32_t n = q.Peek(d);
  return n > 0 ? std::string(d, static_cast<std::size_t>(n)) : std::string();
}
std::string Pattern(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
  return s;
}
}  // namespace

TEST(NetSockBuf, ThreeThousandBytesFillTwoBlocksAndEighty) {
  TNetBufferHandler q;
  std::string data = Pattern(3000);
  q.Write(data.data(), 3000);
  ASSERT_EQ(q.In_Use().Count(), 3);
  EXPECT_EQ(q.In_Use().Head()->Write_Count(), 1460);
  EXPECT_EQ(q.In_Use().Head()->f_next->Write_Count(), 1460);
  EXPECT_EQ(q.In_Use().Tail()->Write_Count(), 80);
  // Only the head block is offered; draining gives the bytes back in order.
  std::string out;
  while (!q.Is_Empty()) {
    std::string head = Head_Bytes(q);
    EXPECT_LE(head.size(), 1460u);
    out += head;
    q.Remove(static_cast<std::int32_t>(head.size()));
  }
  EXPECT_EQ(out, data);
  EXPECT_EQ(q.Free_List().Count(), 3);
}

TEST(NetSockBuf, EmptiedBlockIsReusedBeforeANewOne) {
  TNetBufferHandler q;
  q.Write("hello", 5);
  TNetBuffer* first = q.In_Use().Head();
  q.Remove(5);
  EXPECT_EQ(q.In_Use().Count(), 0);
  EXPECT_EQ(q.Free_List().Head(), first);
  q.Write("again", 5);
  EXPECT_EQ(q.In_Use().Head(), first);
  EXPECT_EQ(q.Free_List().Count(), 0);
  EXPECT_EQ(Head_Bytes(q), "again");
}

TEST(NetSockBuf, PartialSendLeavesTheRestAtTheHead) {
  TNetBufferHandler q;
  q.Write("abcdefgh", 8);
  q.Remove(3);
  EXPECT_EQ(Head_Bytes(q), "defgh");
  q.Write("ij", 2);  // appended behind in the same block
  EXPECT_EQ(Head_Bytes(q), "defghij");
  EXPECT_EQ(q.In_Use().Count(), 1);
}

TEST(NetSockBuf, RemoveErrors) {
  TNetBufferHandler q;
  try {
    q.Remove(1);
    FAIL();
  } catch (const EGlobarch_Error& e) {
    EXPECT_STREQ(e.what(), "TNetBufferHandler.Remove: nothing to remove");
  }
  q.Write("x", 1);
  try {
    q.Remove(-4);
    FAIL();
  } catch (const EGlobarch_Error& e) {
    EXPECT_STREQ(e.what(), "TNetBufferHandler.Remove: Invalid Len -4");
  }
}

TEST(NetSockBuf, DeleteAllKeepsEveryBlockForReuse) {
  TNetBufferHandler q;
  std::string data = Pattern(4000);
  q.Write(data.data(), 4000);
  q.Delete_All();
  EXPECT_TRUE(q.Is_Empty());
  EXPECT_EQ(q.In_Use().Count(), 0);
  EXPECT_EQ(q.Free_List().Count(), 3);
  q.Write(data.data(), 2000);
  EXPECT_EQ(q.In_Use().Count(), 2);
  EXPECT_EQ(q.Free_List().Count(), 1);
  EXPECT_EQ(Head_Bytes(q), data.substr(0, 1460));
}

TEST(NetSockBuf, BlockResizeKeepsStoredBytes) {
  TNetBuffer b(0);
  EXPECT_EQ(b.BufSize(), 1460);
  EXPECT_EQ(b.Write("abcdef", 6), 6);
  b.Remove(2);
  b.Resize(10);
  const char* d;
  ASSERT_EQ(b.Peek(d), 4);
  EXPECT_EQ(std::string(d, 4), "cdef");
  EXPECT_EQ(b.Write("0123456789", 10), 6);
  EXPECT_EQ(b.Write("z", 1), 0);
  b.Resize(-1);
  EXPECT_EQ(b.BufSize(), 1460);
}
