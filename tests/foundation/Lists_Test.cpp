#include <gtest/gtest.h>

#include "Lists_Bytelist.h"
#include "Lists_LongIntList.h"
#include "Lists_LongWordList.h"
#include "Lists_Wordlist.h"

namespace {
template <typename L>
void Expect_Invalid_Index(L& list, std::int64_t index) {
  try {
    (void)list.m_Get(index);
    FAIL() << "no error for index " << index;
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Invalid Index");
  }
}
}  // namespace

TEST(Lists, AddReturnsPositionBeforeAdding) {
  TLongintList l;
  EXPECT_EQ(l.m_Add(10), 0);
  l.m_Add(20);
  l.m_Add(30);
  EXPECT_EQ(l.m_Add(40), 3);
  EXPECT_EQ(l.m_Get(4), 40);
}

TEST(Lists, CapacityGrowsInSteps) {
  TLongintList l;
  struct Row { int adds; int capacity; } rows[] = {{1, 4}, {4, 4}, {5, 8}, {8, 8}, {9, 16}, {16, 16}, {17, 32}, {33, 48}};
  int done = 0;
  for (auto r : rows) {
    while (done < r.adds) l.m_Add(done++);
    EXPECT_EQ(l.m_Capacity(), r.capacity) << "after " << r.adds << " adds";
  }
}

TEST(Lists, BadIndicesRaiseInvalidIndex) {
  TLongintList l;
  Expect_Invalid_Index(l, 1);
  l.m_Add(5);
  Expect_Invalid_Index(l, 0);
  Expect_Invalid_Index(l, 2);
  EXPECT_THROW(l.m_Put(2, 1), EListError);
  EXPECT_THROW(l.m_Delete(0), EListError);
  TbyteList b;
  b.m_Add(1);
  Expect_Invalid_Index(b, 2);
  TLongWordList w;
  Expect_Invalid_Index(w, -1);
}

TEST(Lists, DeleteMovesItemsDown) {
  TLongintList l;
  for (int v : {10, 20, 30}) l.m_Add(v);
  l.m_Delete(1);
  ASSERT_EQ(l.m_Count(), 2);
  EXPECT_EQ(l.m_Get(1), 20);
  EXPECT_EQ(l.m_Get(2), 30);
  EXPECT_EQ(l.m_Capacity(), 4);
}

TEST(Lists, SetCountZeroFillsAndSetCapacityChecks) {
  TLongintList l;
  l.m_Add(7);
  l.m_Set_Count(5);
  ASSERT_EQ(l.m_Count(), 5);
  EXPECT_EQ(l.m_Get(1), 7);
  for (int i = 2; i <= 5; ++i) EXPECT_EQ(l.m_Get(i), 0);

  TLongintList three;
  for (int v : {1, 2, 3}) three.m_Add(v);
  EXPECT_THROW(three.m_Set_Capacity(2), EListError);
  EXPECT_EQ(three.m_Count(), 3);
  EXPECT_THROW(three.m_Set_Count(-1), EListError);
  EXPECT_THROW(three.m_Set_Capacity(1000001), EListError);
  three.m_Clear();
  EXPECT_EQ(three.m_Count(), 0);
  EXPECT_EQ(three.m_Capacity(), 0);
}

TEST(Lists, FullListsRefuseMore) {
  TbyteList b;
  b.m_Set_Count(65520);
  EXPECT_THROW(b.m_Add(1), EIntOverflow);  // the next step would pass 65535
  TLongWordList w;
  w.m_Set_Count(16380);
  EXPECT_THROW(w.m_Add(1), ERangeError);
  TWordList words;
  words.m_Set_Count(32752);
  words.m_Add(9);  // grows to the maximum, 32760
  EXPECT_EQ(words.m_Capacity(), 32760);
  EXPECT_EQ(words.m_Get(32753), 9);
}

TEST(Lists, CopiesAreIndependent) {
  TLongintList a;
  a.m_Add(1);
  TLongintList b = a;
  b.m_Put(1, 2);
  EXPECT_EQ(a.m_Get(1), 1);
  EXPECT_EQ(b.m_Get(1), 2);
}
