#include <gtest/gtest.h>

#include "BombardDamageList.h"
#include "Io_Tagged.h"

namespace {
const TBombard_Damage_Record zeros{0, 0, 0};
}

TEST(Bombard_Damage, AllocateTakesTheLowestFreeListThenAppends) {
  TBombard_Damage_List_Storage s;
  EXPECT_EQ(s.m_Allocate(), 1);
  EXPECT_EQ(s.m_Allocate(), 2);
  EXPECT_EQ(s.m_Allocate(), 3);
  EXPECT_TRUE(s.m_Release(1));
  EXPECT_TRUE(s.m_Release(3));
  EXPECT_EQ(s.m_Allocate(), 1);
  EXPECT_EQ(s.m_Allocate(), 3);
  EXPECT_EQ(s.m_Allocate(), 4);
  EXPECT_EQ(s.m_Count(), 4);
  s.m_Clear();
  EXPECT_EQ(s.m_Count(), 0);
}

TEST(Bombard_Damage, RecordsOutOfRangeAreZeros) {
  TBombard_Damage_List_Storage s;
  std::uint16_t i = s.m_Allocate();
  s.m_Add_Record(i, {30, 7, 9});
  s.m_Add_Record(i, {12, 7, 10});
  s.m_Add_Record(i, {5, 8, 9});
  EXPECT_EQ(s.m_Get_Record(i, 1), (TBombard_Damage_Record{30, 7, 9}));
  EXPECT_EQ(s.m_Get_Record(i, 3), (TBombard_Damage_Record{5, 8, 9}));
  EXPECT_EQ(s.m_Get_Record_Value(i, 2), 10);
  struct Row { std::int64_t list, record; } rows[] = {{i, 0}, {i, 4}, {i, 5}, {0, 1}, {2, 1}, {-1, 1}};
  for (Row r : rows) {
    EXPECT_EQ(s.m_Get_Record(r.list, r.record), zeros) << r.list << "/" << r.record;
    EXPECT_EQ(s.m_Get_Record_Value(r.list, r.record), 0) << r.list << "/" << r.record;
  }
  // Adding to a list that is not there changes nothing.
  s.m_Add_Record(0, {1, 2, 3});
  s.m_Add_Record(2, {1, 2, 3});
  EXPECT_EQ(s.m_Count(), 1);
  EXPECT_EQ(s.m_Get_List(i)->m_Count(), 3);
  EXPECT_FALSE(s.m_Release(0));
  EXPECT_FALSE(s.m_Release(2));
}

TEST(Bombard_Damage, ListGrowsTenAtATimeAndIsEmptiedWhenReleased) {
  TBombard_Damage_List_Storage s;
  std::uint16_t i = s.m_Allocate();
  TBombard_Damage_List_Obj& list = *s.m_Get_List(i);
  EXPECT_TRUE(list.m_In_Use());
  list.m_Add_Record({1, 2, 3});
  EXPECT_EQ(list.m_Capacity(), 11);
  for (int k = 2; k <= 12; ++k) list.m_Add_Record({k, 2, 3});
  EXPECT_EQ(list.m_Count(), 12);
  EXPECT_EQ(list.m_Capacity(), 22);
  EXPECT_EQ(list.m_Get_Target(12), 3);
  EXPECT_EQ(list.m_Get_Record(12).damage, 12);
  EXPECT_TRUE(s.m_Release(i));
  EXPECT_FALSE(list.m_In_Use());
  EXPECT_EQ(list.m_Count(), 0);
  EXPECT_EQ(list.m_Capacity(), 0);
  EXPECT_EQ(s.m_Allocate(), i);
  EXPECT_EQ(s.m_Get_List(i)->m_Count(), 0);
}

namespace {
std::string Saved(const TBombard_Damage_List_Storage& s) {
  TIo_Writer w;
  s.m_Save(w);
  return w.m_Bytes();
}
}  // namespace

TEST(Bombard_Damage, SavedBytesOfInUseAndReleasedLists) {
  TBombard_Damage_List_Storage s;
  EXPECT_EQ(Saved(s), std::string("\x02\x00", 2));
  std::uint16_t i = s.m_Allocate();
  s.m_Add_Record(i, {30, 7, 9});
  EXPECT_EQ(Saved(s), std::string("\x02\x01" "\x09" "\x02\x01" "\x02\x1E\x02\x07\x02\x09", 11));
  s.m_Release(i);
  EXPECT_EQ(Saved(s), std::string("\x02\x01" "\x08\x02\x00", 5));
}

TEST(Bombard_Damage, ReleasedListInTheMiddleKeepsItsNumberAfterALoad) {
  TBombard_Damage_List_Storage s;
  for (int k = 1; k <= 3; ++k) {
    std::uint16_t i = s.m_Allocate();
    s.m_Add_Record(i, {k * 10, k, 100 + k});
    s.m_Add_Record(i, {k * 20, k, 200 + k});
  }
  s.m_Release(2);
  std::string bytes = Saved(s);

  TBombard_Damage_List_Storage t;
  t.m_Allocate();  // cleared by the load
  TIo_Reader r = TIo_Reader::From_Bytes(bytes);
  t.m_Load(r);
  EXPECT_EQ(r.m_Bytes_Left(), 0u);
  ASSERT_EQ(t.m_Count(), 3);
  EXPECT_TRUE(t.m_Get_List(1)->m_In_Use());
  EXPECT_FALSE(t.m_Get_List(2)->m_In_Use());
  EXPECT_EQ(t.m_Get_List(2)->m_Count(), 0);
  EXPECT_EQ(t.m_Get_Record(3, 2), (TBombard_Damage_Record{60, 3, 203}));
  EXPECT_EQ(t.m_Get_List(3)->m_Capacity(), 2);
  EXPECT_EQ(Saved(t), bytes);
  EXPECT_EQ(t.m_Allocate(), 2);
  EXPECT_EQ(t.m_Allocate(), 4);
}

TEST(Bombard_Damage, CountBeyondTheFileIsRefused) {
  // One list in use claiming 1000 records, followed by a single record.
  TIo_Reader r = TIo_Reader::From_Bytes(std::string("\x02\x01\x09\x03\xE8\x03\x02\x01\x02\x02\x02\x03", 12));
  TBombard_Damage_List_Storage s;
  EXPECT_THROW(s.m_Load(r), EInOutError);
}
