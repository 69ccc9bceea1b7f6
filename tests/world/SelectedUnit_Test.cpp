#include <gtest/gtest.h>

#include "SelectedUnit.h"

TEST(Selected_Unit, AssignCopiesEveryFieldAndExactlyTheOtherIds) {
  TSelected_Unit a, b;
  for (std::int32_t id : {5, 9, 2}) a.f_unit_ids.m_Add(id);
  a.f_unit_id = 5;
  a.f_unit_type = 300;
  a.f_owner = 4;
  a.f_order_count = 1;
  a.f_unit_count = 3;
  a.f_moves = 2;
  a.f_transport_capacity = 6;
  a.f_cargo_load = 4;
  a.f_texts = {"Tank", "3", "x"};
  a.f_values[9] = 77;
  for (std::int32_t id = 1; id <= 5; ++id) b.f_unit_ids.m_Add(id * 10);
  b.m_Assign(a);
  ASSERT_EQ(b.f_unit_ids.m_Count(), 3);
  EXPECT_EQ(b.f_unit_ids.m_Get(1), 5);
  EXPECT_EQ(b.f_unit_ids.m_Get(2), 9);
  EXPECT_EQ(b.f_unit_ids.m_Get(3), 2);
  EXPECT_EQ(b.f_unit_type, 300);
  EXPECT_EQ(b.f_cargo_load, 4);
  EXPECT_EQ(b.f_texts[1], "3");
  EXPECT_EQ(b.f_values[9], 77);
  b.m_Clear();
  EXPECT_EQ(b.f_unit_ids.m_Count(), 0);
  EXPECT_EQ(b.f_unit_id, 0);
  EXPECT_EQ(b.f_texts[0], "");
  EXPECT_EQ(b.f_values[9], 0);
  EXPECT_EQ(a.f_unit_ids.m_Count(), 3);
}
