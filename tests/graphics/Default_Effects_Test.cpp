// The shipped effects run: every effect started for a game action reports
// its end, and every emitter event and particle is gone once its effect's
// lifetime is over.
#include <gtest/gtest.h>

#include <algorithm>

#include "Effects_Fixture.h"
#include "Global.h"
#include "MasterActionTimer.h"
#include "Native_Path.h"
#include "Test_Support.h"

using Default_Effects = TEffects_Fixture;

TEST_F(Default_Effects, EveryEffectReportsItsEndAndClearsAway) {
  TMaster_Action_Timer timer;
  TMaster_Action_Timer* saved = Master_Action_Timer;
  Master_Action_Timer = &timer;
  Effects_Load_Data_File(Design_Path((Source_Dir() / "data" / "Effects.txt").string()), nullptr);
  ASSERT_NE(Effect_List, nullptr);
  Random_Set_Seed(99);
  for (std::int32_t n = 1; n <= Effect_List->m_Count(); ++n) {
    SCOPED_TRACE(Effect_List->m_Get_Effect(n)->name);
    timer.m_Clear();
    const std::int32_t id = timer.m_New_Action();
    timer.m_Get_Record(1).kind = ACTION_BOMBARD_UNIT;
    timer.m_Get_Record(1).step = 1;
    // From a unit 600 units away from its target, at the height effects use.
    ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(n, {100, 200, -5}, {700, 200, -5}, 1, id));
    float reported_at = -1;
    std::int32_t most = 0;
    for (int frame = 1; frame <= 20 * 30; ++frame) {
      g_tg_emitter_events->m_Update(1.0f / 30);
      g_tg_particle_list->m_Advance(1.0f / 30);
      most = std::max(most, g_tg_particle_list->m_In_Use());
      if (reported_at < 0 && timer.m_Get_Record(1).step == 2) reported_at = float(frame) / 30;
    }
    EXPECT_GT(reported_at, 0.0f);
    EXPECT_LT(reported_at, 6.0f);
    EXPECT_GT(most, 0);
    EXPECT_EQ(g_tg_particle_list->m_In_Use(), 0);
    for (std::int32_t s = 1; s <= g_tg_emitter_events->m_Slot_Count(); ++s)
      EXPECT_EQ(g_tg_emitter_events->m_Get_Slot(s), nullptr);
  }
  Master_Action_Timer = saved;
}
