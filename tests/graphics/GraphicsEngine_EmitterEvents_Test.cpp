#include <gtest/gtest.h>

#include "Effects_Fixture.h"
#include "Errors.h"
#include "MasterActionTimer.h"

namespace {
class TSound_Recorder : public TEmitter_Sound_Link {
public:
  TSound_Recorder() { Set_Emitter_Sound_Link(this); }
  ~TSound_Recorder() override { Set_Emitter_Sound_Link(nullptr); }
  std::int32_t Sound_Play_3D_Sound(const std::string& name, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                   float x, float y, float) override {
    played.push_back(name + " " + std::to_string(int(x)) + "," + std::to_string(int(y)));
    return 1;
  }
  std::vector<std::string> played;
};

// A timer installed as the game's, with one Bombard Unit record waiting in
// the step that waits for its effect.
class TTimer_Stand_In {
public:
  TTimer_Stand_In() {
    f_saved = Master_Action_Timer;
    Master_Action_Timer = &timer;
    id = timer.m_New_Action();
    TAction_Record& r = timer.m_Get_Record(1);
    r.kind = ACTION_BOMBARD_UNIT;
    r.step = 1;
  }
  ~TTimer_Stand_In() { Master_Action_Timer = f_saved; }
  std::uint16_t Step() { return timer.m_Get_Record(1).step; }
  TMaster_Action_Timer timer;
  std::int32_t id = 0;

private:
  TMaster_Action_Timer* f_saved;
};
}  // namespace

using Emitter_Events = TEffects_Fixture;

TEST_F(Emitter_Events, DelayThenOneParticlePerAccumulatedInterval) {
  Load("Effect := A\nEffect_Lifetime := 5\nEmitter := 1\nDelay := 0.5\nEmit_Rate := 10\nNum_Particles := 3\n"
       "Lifetime := 10\n");
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {}, 0, 0));
  std::vector<std::int32_t> alive;
  for (int frame = 0; frame < 10; ++frame) {
    g_tg_emitter_events->m_Update(0.1f);
    alive.push_back(g_tg_particle_list->m_In_Use());
  }
  EXPECT_EQ(alive, (std::vector<std::int32_t>{0, 0, 0, 0, 0, 1, 2, 3, 3, 3}));
  // Particle numbers count from 1 within the event.
  EXPECT_EQ(g_tg_particle_list->m_Copy_Record(3).key3, 3);
  EXPECT_EQ(g_tg_particle_list->m_Copy_Record(3).key1, 1);
  EXPECT_EQ(g_tg_particle_list->m_Copy_Record(3).key2, 1);
}

TEST_F(Emitter_Events, OneLongFrameEmitsUpToTheLimitAndKeepsTheRest) {
  Load("Effect := A\nEmitter := 1\nEmit_Rate := 10\nNum_Particles := 3\nLifetime := 10\n"
       "Position := [%Target_Vector%]\n");
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {1, 2, 3}, {4, 5, 6}, 0, 0));
  g_tg_emitter_events->m_Update(1.0f);
  TGEEvent& e = *g_tg_emitter_events->m_Get_Slot(1);
  EXPECT_EQ(e.particles_emitted, 3);
  EXPECT_EQ(g_tg_particle_list->m_In_Use(), 3);
  EXPECT_FLOAT_EQ(e.accumulator, 700.0f);
  EXPECT_EQ(g_tg_particle_list->m_Copy_Record(2).position.y, 5.0f);
  EXPECT_EQ(g_tg_particle_list->m_Copy_Record(2).event, &e);
}

TEST_F(Emitter_Events, EndTriggerReportsOnceToTheActionTimer) {
  Load("Effect := Quiet\nEmitter := 1\n"
       "Effect := Zero\nEffect_Lifetime := 1\nEmitter := 1\nTrigger_Effect_End := 0\n"
       "Effect := Later\nEmitter := 1\nTrigger_Effect_End := 0.25\n");
  struct TCase {
    std::int32_t effect;
    std::uint8_t notify;
    std::vector<int> reports;  // per frame of 0.1 s
  } cases[] = {
      {1, 1, {0, 0, 0, 0}},  // -1 never reports
      {2, 1, {1, 0, 0, 0}},  // 0 reports in the first frame
      {3, 1, {0, 0, 1, 0}},  // once more than 0.25 s have passed, and only once
      {3, 0, {0, 0, 0, 0}},  // without notification nothing is called
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.effect);
    TTimer_Stand_In timer;
    g_tg_emitter_events->m_Clear();
    ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(c.effect, {}, {}, c.notify, timer.id));
    std::vector<int> reports;
    for (int frame = 0; frame < 4; ++frame) {
      g_tg_emitter_events->m_Update(0.1f);
      reports.push_back(timer.Step() == 2 ? 1 : 0);
      timer.timer.m_Get_Record(1).step = 1;
    }
    EXPECT_EQ(reports, c.reports);
    // The end counts as reported either way.
    EXPECT_EQ(g_tg_emitter_events->m_Get_Slot(1)->end_reported, c.effect == 1 ? 0 : 1);
  }
}

TEST_F(Emitter_Events, StartingEffects) {
  Load("Param_Target_Vector_Override := 7, 8, 9\nEffect := None\nEffect := Two\nEmitter := 1\nEmitter := 2\n");
  EXPECT_FALSE(g_tg_emitter_events->m_Start_Effect(3, {}, {}, 0, 0));
  EXPECT_FALSE(g_tg_emitter_events->m_Start_Effect(0, {}, {}, 0, 0));
  // An effect without emitters starts and creates nothing.
  EXPECT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {}, 0, 0));
  EXPECT_EQ(g_tg_emitter_events->m_Slot_Count(), 0);
  EXPECT_TRUE(g_tg_emitter_events->m_Start_Effect(2, {1, 1, 1}, {2, 2, 2}, 1, 44));
  ASSERT_EQ(g_tg_emitter_events->m_Slot_Count(), 2);
  TGEEvent& e = *g_tg_emitter_events->m_Get_Slot(2);
  EXPECT_EQ(e.id, 2);
  EXPECT_EQ(e.emitter->emitter_number, 2);
  EXPECT_EQ(e.action_id, 44);
  EXPECT_EQ(e.m_Get_Vector(1).x, 1.0f);
  EXPECT_EQ(e.m_Get_Vector(2).x, 7.0f);  // the override
  EXPECT_THROW(e.m_Get_Vector(3), ERangeError);
  EXPECT_THROW(e.m_Set_Vector(0, {}), ERangeError);
  EXPECT_EQ(g_tg_emitter_events->m_Find_Event(2), &e);
  EXPECT_EQ(g_tg_emitter_events->m_Find_Event(3), nullptr);
  // Without an effect list nothing starts.
  Effects_Free();
  g_tg_emitter_events->m_Clear();
  EXPECT_FALSE(g_tg_emitter_events->m_Start_Effect(2, {}, {}, 0, 0));
}

TEST_F(Emitter_Events, EventEndsAtTheEffectLifetimeWithItsParticles) {
  Load("Effect := A\nEffect_Lifetime := 0.3\nEmitter := 1\nEmit_Rate := 100\nNum_Particles := 2\nLifetime := 60\n"
       "Effect := B\nEmitter := 1\nEmit_Rate := 100\nNum_Particles := 1\nLifetime := 60\n");
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {}, 0, 0));
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(2, {}, {}, 0, 0));
  g_tg_emitter_events->m_Update(0.1f);
  g_tg_particle_list->m_Advance(0.1f);
  EXPECT_EQ(g_tg_particle_list->m_In_Use(), 3);
  g_tg_emitter_events->m_Update(0.1f);
  g_tg_emitter_events->m_Update(0.1f);
  EXPECT_EQ(g_tg_emitter_events->m_Get_Slot(1), nullptr);
  EXPECT_NE(g_tg_emitter_events->m_Get_Slot(2), nullptr);
  EXPECT_EQ(g_tg_emitter_events->m_Queue_Count(), 0);
  EXPECT_EQ(g_tg_particle_list->m_In_Use(), 1);
  EXPECT_EQ(g_tg_particle_list->m_Find_System(2, 1, 1).key1, 2);
  // The empty slot is taken again, with a new id.
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {}, 0, 0));
  EXPECT_EQ(g_tg_emitter_events->m_Get_Slot(1)->id, 3);
  g_tg_emitter_events->m_Clear();
  EXPECT_EQ(g_tg_emitter_events->m_Slot_Count(), 0);
  EXPECT_EQ(g_tg_particle_list->m_In_Use(), 0);
}

TEST_F(Emitter_Events, SoundsAtTheNewParticles) {
  TSound_Recorder sounds;
  Load("Effect := A\nEmitter := 1\nEmit_Rate := 10\nNum_Particles := 3\nLifetime := 10\n"
       "Position := MakeVector(Get_Particle_Number(), 2, 0)\n"
       "Sound Effect One Time := Explosion\nSound Effect Per Particle := Splash\n");
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {}, 0, 0));
  g_tg_emitter_events->m_Update(0.2f);
  g_tg_emitter_events->m_Update(0.1f);
  EXPECT_EQ(sounds.played,
            (std::vector<std::string>{"Explosion 1,2", "Splash 1,2", "Splash 2,2", "Splash 3,2"}));
}

TEST_F(Emitter_Events, ConditionalExistence) {
  Load("Effect := A\nEmitter := 1\nEmit_Rate := 1000\nNum_Particles := 1\nLifetime := 0.5\n"
       "Emitter := 2\nConditional_Existence := Particle_Death 1 1\nEmit_Rate := 1000\nNum_Particles := 1\n"
       "Lifetime := 5\n"
       "Emitter := 3\nConditional_Existence := Particle_Alive 1 1\nEmit_Rate := 10\nNum_Particles := 50\n"
       "Lifetime := 5\n");
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {}, 0, 0));
  TGEEvent& death = *g_tg_emitter_events->m_Get_Slot(2);
  TGEEvent& alive = *g_tg_emitter_events->m_Get_Slot(3);
  EXPECT_EQ(death.active, 0);
  EXPECT_EQ(alive.active, 1);
  // Particle 1 of emitter 1 lives for 0.5 s; emitter 3 emits while it does.
  for (int frame = 0; frame < 4; ++frame) {
    g_tg_emitter_events->m_Update(0.1f);
    g_tg_particle_list->m_Advance(0.1f);
  }
  EXPECT_EQ(death.particles_emitted, 0);
  EXPECT_EQ(alive.particles_emitted, 4);
  // Its death wakes emitter 2 at once (advanced by 1 ms: a rate of one per
  // ms emits one particle); emitter 3 stops.
  for (int frame = 0; frame < 3; ++frame) {
    g_tg_emitter_events->m_Update(0.1f);
    g_tg_particle_list->m_Advance(0.1f);
  }
  EXPECT_EQ(death.active, 1);
  EXPECT_EQ(death.particles_emitted, 1);
  EXPECT_FLOAT_EQ(death.elapsed, 0.001f + 0.2f);
  EXPECT_EQ(alive.particles_emitted, 5);
  EXPECT_FALSE(g_tg_particle_list->m_Is_Alive(1, 1, 1));
  EXPECT_TRUE(g_tg_particle_list->m_Is_Alive(1, 2, 1));
}

TEST_F(Emitter_Events, FreeingTheEffectsEndsTheirEvents) {
  Load("Effect := A\nEmitter := 1\nEmit_Rate := 10\nNum_Particles := 3\nLifetime := 10\n");
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {}, {}, 0, 0));
  g_tg_particle_list->m_Add_Floating_Text({}, {}, 1000, {1, 1, 1, 1}, "text");
  g_tg_emitter_events->m_Update(1.0f);
  EXPECT_EQ(g_tg_particle_list->m_In_Use(), 4);
  EXPECT_TRUE(Effects_Free());
  EXPECT_EQ(g_tg_emitter_events->m_Slot_Count(), 0);
  EXPECT_EQ(g_tg_particle_list->m_In_Use(), 1);  // the text stays
  g_tg_emitter_events->m_Update(0.1f);
  g_tg_particle_list->m_Advance(0.1f);
}
