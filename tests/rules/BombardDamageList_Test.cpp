#include <gtest/gtest.h>

#include "BombardDamageList.h"

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
