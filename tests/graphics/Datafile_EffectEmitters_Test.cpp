#include <gtest/gtest.h>

#include <cmath>

#include "Effects_Fixture.h"
#include "Errors.h"
#include "Global.h"
#include "Shell_Services.h"
#include "Test_Support.h"

namespace {
const char* const kFile =
    "Effects of the test\n"
    "Param_Source_Vector_Override := 1, 2, 3\n"
    "Effect := Blast\n"
    "Effect_Scale_Size := 2\n"
    "Effect_Particle_Alignment := align_xy_axis\n"
    "Effect_Lifetime := 3.5\n"
    "Emitter := 1\n"
    "Position := [%Source_Vector%]\n"
    "Num_Particles := 4\n"
    "Emit_Rate := 10\n"
    "Delay := 0.5\n"
    "Lifetime := 2\n"
    "Initial_Size := 3, max(1, 2)\n"
    "Source_Blend_Mode := Blend_SrcAlpha\n"
    "dest_blend_mode := blend_one\n"
    "Texture := Spark.bmp\n"
    "Sound Effect One Time := Explosion\n"
    "Sound Effect Per Particle := Splash\n"
    "Trigger_Effect_End := 0.25\n"
    "Conditional_Existence := Particle_Death 1 0\n"
    "Turn_Towards_Move_Direction := yes\n"
    "Move_To_Target_Velocity := 7\n"
    "Move_In_Rotation_Direction := 1, 2, 3, 4\n"
    "  Time := 0.5\n"
    "  Color := MakeColor(1, 0, 0, 1)\n"
    "  Velocity := MakeVector(0, 1, 0)\n"
    "  Time_Range := 0.5 - 1.5\n"
    "  Size := 4, 5\n"
    "Emitter := 2\n"
    "Color := MakeColor(1, 1, 1, 1)\n"
    "Source_Blend_Mode := Blend_None\n"
    "Dest_Blend_Mode := Glow\n"
    "Initial_Size := 1\n"
    "Lifetime := (1 +\n"
    "Conditional_Existence := Particle_Alive 3 2\n"
    "  Time := 1\n"
    "Effect := Empty\n"
    "Effect := blast\n"
    "Emitter := 1\n"
    "  Time_Range := 0-2\n"
    "  Rotation := 90\n"
    "  Set_Timer := 0\n"
    "  Timed_Move_In_Rotation_Direction := 1, 2\n";

// Collects what the loader shows.
class TCollector : public TList_Dialog_Owner {
public:
  void m_Show_List(const std::vector<std::string>& rows, const std::string& title,
                   const std::string& subtitle) override {
    for (const std::string& row : rows) lines.push_back(title + " | " + subtitle + " | " + row);
  }
  std::vector<std::string> lines;
};

std::string Lifetime_Error() {
  TFormula_Line line;
  std::string error;
  EXPECT_FALSE(line.m_Parse("(1 +", error));
  return error;
}
}  // namespace

using Effects_Data_File = TEffects_Fixture;

TEST_F(Effects_Data_File, ReadsEffectsEmittersAndTimedEvents) {
  std::vector<std::string> errors = Load(kFile);
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "Unknown value \"Blend_None\" for Source Blend Mode.",
                        "Unknown value \"Glow\" for Dest Blend Mode.",
                        Lifetime_Error() + " - Effect Blast, Emitter 2: Lifetime",
                    }));
  ASSERT_EQ(Effect_List->m_Count(), 3);
  EXPECT_EQ(Effect_List->source_override_set, 1);
  EXPECT_EQ(Effect_List->target_override_set, 0);
  EXPECT_EQ(Effect_List->Param_Source_Vector_Override.z, 3.0f);
  // Names ignore case; the first of two equal names wins.
  EXPECT_EQ(Effect_List->m_Find_By_Name("BLAST"), 1);
  EXPECT_EQ(Effect_List->m_Find_By_Name("empty"), 2);
  EXPECT_EQ(Effect_List->m_Find_By_Name("Nothing"), 0);
  EXPECT_EQ(Effect_List->m_Get_Effect(4), nullptr);

  TEffect& blast = *Effect_List->m_Get_Effect(1);
  EXPECT_EQ(blast.name, "Blast");
  EXPECT_EQ(blast.effect_scale_size, 2.0f);
  EXPECT_EQ(blast.effect_particle_alignment, TEffect_Align::XY_Axis);
  EXPECT_EQ(blast.effect_lifetime, 3.5f);
  ASSERT_EQ(blast.m_Emitter_Count(), 2);
  EXPECT_EQ(blast.m_Get_Emitter(0), nullptr);
  EXPECT_EQ(blast.m_Get_Emitter(3), nullptr);
  // An effect without emitters stays, with the defaults.
  EXPECT_EQ(Effect_List->m_Get_Effect(2)->m_Emitter_Count(), 0);
  EXPECT_EQ(Effect_List->m_Get_Effect(2)->effect_lifetime, 60.0f);
  EXPECT_EQ(Effect_List->m_Get_Effect(2)->effect_particle_alignment, TEffect_Align::Camera);

  TEmitter& e = Emitter(1, 1);
  EXPECT_EQ(e.emitter_number, 1);
  EXPECT_EQ(e.effect_number, 1);
  EXPECT_EQ(e.effect, &blast);
  EXPECT_EQ(Formula_Text(e.position), "[%Source_Vector%]");
  EXPECT_EQ(Formula_Text(e.num_particles), "4");
  EXPECT_EQ(Formula_Text(e.initial_size_1), "3");
  EXPECT_EQ(Formula_Text(e.initial_size_2), "max(1, 2)");
  EXPECT_EQ(e.source_blend_mode, 5);
  EXPECT_EQ(e.dest_blend_mode, 2);
  EXPECT_EQ(e.texture, "Spark.bmp");
  EXPECT_EQ(e.sound_one_time, "Explosion");
  EXPECT_EQ(e.sound_per_particle, "Splash");
  EXPECT_EQ(e.trigger_effect_end, 0.25f);
  EXPECT_EQ(e.condition_kind, TEmitter_Condition::Particle_Death);
  EXPECT_EQ(e.condition_emitter, 1);
  EXPECT_EQ(e.condition_particle, 0);
  EXPECT_TRUE(e.turn_towards_move_direction);
  EXPECT_EQ(e.move_to_target_velocity_set, 1);
  EXPECT_EQ(e.lifetime_ends_at_target_set, 0);
  EXPECT_EQ(Formula_Text(e.move_in_rotation_direction[2]), "3");
  EXPECT_EQ(e.move_to_target_offset, 0);

  // Two events at 0.5 s, one ranged size from 0.5 s to "1.5", and the open
  // event added once more (kind 0) when the emitter closes.
  ASSERT_EQ(e.m_Timed_Event_Count(), 4);
  EXPECT_EQ(e.m_Timed_Event_Capacity(), 10);
  struct TRow {
    float time;
    std::uint8_t kind;
    bool a, b, c, d;
    std::string range_end;
  };
  const TRow rows[] = {
      {500, TIMED_EVENT_COLOR, true, false, false, false, ""},
      {500, TIMED_EVENT_VELOCITY, false, true, false, false, ""},
      {500, TIMED_EVENT_SIZE_RANGE, false, false, true, true, "1.5"},
      {500, TIMED_EVENT_NONE, false, false, false, false, "1.5"},
  };
  for (std::int32_t i = 1; i <= 4; ++i) {
    SCOPED_TRACE(i);
    const TRow& row = rows[i - 1];
    TEmitter_Timed_Event ev;
    ASSERT_TRUE(e.m_Get_Timed_Event(i, ev));
    EXPECT_EQ(ev.time, row.time);
    EXPECT_EQ(ev.kind, row.kind);
    EXPECT_EQ(ev.formula_a != 0, row.a);
    EXPECT_EQ(ev.formula_b != 0, row.b);
    EXPECT_EQ(ev.formula_c != 0, row.c);
    EXPECT_EQ(ev.formula_d != 0, row.d);
    EXPECT_EQ(ev.formula_e, 0);
    EXPECT_EQ(Formula_Text(ev.range_end), row.range_end);
  }
  TEmitter_Timed_Event untouched;
  untouched.time = 77;
  EXPECT_FALSE(e.m_Get_Timed_Event(5, untouched));
  EXPECT_EQ(untouched.time, 77.0f);

  // A "Color" before any "Time" is ignored; "Blend_None" stores 0 with its
  // error line; one size part leaves both sizes unset.
  TEmitter& e2 = Emitter(1, 2);
  EXPECT_EQ(e2.source_blend_mode, 0);
  EXPECT_EQ(e2.dest_blend_mode, 0);
  EXPECT_EQ(e2.initial_size_1, 0);
  EXPECT_EQ(e2.initial_size_2, 0);
  EXPECT_EQ(e2.lifetime, 0);
  EXPECT_EQ(e2.condition_kind, TEmitter_Condition::Particle_Alive);
  EXPECT_EQ(e2.condition_emitter, 3);
  EXPECT_EQ(e2.condition_particle, 2);
  ASSERT_EQ(e2.m_Timed_Event_Count(), 1);
  TEmitter_Timed_Event ev;
  ASSERT_TRUE(e2.m_Get_Timed_Event(1, ev));
  EXPECT_EQ(ev.kind, TIMED_EVENT_NONE);
  EXPECT_EQ(ev.time, 1000.0f);

  // A range written without blanks keeps its whole end.
  TEmitter& e3 = Emitter(3, 1);
  ASSERT_EQ(e3.m_Timed_Event_Count(), 4);
  ASSERT_TRUE(e3.m_Get_Timed_Event(1, ev));
  EXPECT_EQ(ev.kind, TIMED_EVENT_ROTATION_RANGE);
  EXPECT_EQ(ev.time, 0.0f);
  EXPECT_EQ(Formula_Text(ev.range_end), "2");
  ASSERT_TRUE(e3.m_Get_Timed_Event(2, ev));
  EXPECT_EQ(ev.kind, TIMED_EVENT_SET_TIMER);
  ASSERT_TRUE(e3.m_Get_Timed_Event(3, ev));
  EXPECT_EQ(ev.kind, TIMED_EVENT_MOVE_IN_ROTATION_DIRECTION);  // too few parts: no formulas
  EXPECT_EQ(ev.formula_c, 0);
}

TEST_F(Effects_Data_File, IdenticalFormulaTextsShareOneEntry) {
  Load("Effect := A\nEmitter := 1\nNum_Particles := 3 * 7\nEmit_Rate := 3 * 7\n");
  EXPECT_EQ(Emitter(1, 1).num_particles, Emitter(1, 1).emit_rate);
  EXPECT_NE(Emitter(1, 1).num_particles, 0);
}

TEST_F(Effects_Data_File, KeysWithoutTheirEffectOrEmitterAreIgnored) {
  EXPECT_TRUE(Load("Effect_Lifetime := 5\nEmitter := 1\nPosition := 1\nEffect := A\nPosition := 2\n"
                   "Num_Particles := (\nEmitter := 4\nnum_particles := 2\n")
                  .empty());
  ASSERT_EQ(Effect_List->m_Count(), 1);
  EXPECT_EQ(Effect_List->m_Get_Effect(1)->effect_lifetime, 60.0f);
  ASSERT_EQ(Effect_List->m_Get_Effect(1)->m_Emitter_Count(), 1);
  EXPECT_EQ(Emitter(1, 1).emitter_number, 4);
  EXPECT_EQ(Emitter(1, 1).position, 0);
  EXPECT_EQ(Formula_Text(Emitter(1, 1).num_particles), "2");
}

TEST_F(Effects_Data_File, NegativeParticleNumberIsARangeError) {
  EXPECT_THROW(Load("Effect := A\nEmitter := 1\nConditional_Existence := Particle_Alive 1 -2\n"), ERangeError);
  // Without a blank after the emitter number nothing is set.
  Load("Effect := A\nEmitter := 1\nConditional_Existence := Particle_Alive 1\n");
  EXPECT_EQ(Emitter(1, 1).condition_kind, TEmitter_Condition::None);
}

TEST(Effects_Split_Value, CommasOutsideParentheses) {
  struct TCase {
    const char* value;
    std::vector<std::string> parts;
  } cases[] = {
      {"1, 2", {"1", "2"}},
      {" max(1, 2) , 3 ", {"max(1, 2)", "3"}},
      // A single flag: after a nested ")" the outer rest counts as outside.
      {"max(min(1, 2), 3), 4", {"max(min(1, 2)", "3)", "4"}},
      {"", {""}},
      {"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17", "18", "19",
        "20,21"}},
  };
  for (const TCase& c : cases) EXPECT_EQ(Effect_Split_Value(c.value), c.parts) << c.value;
}

TEST_F(Effects_Data_File, LoadShowsErrorsUnderItsTitle) {
  TTemp_Dir dir;
  const std::string file = dir.design() + "Effects.txt";
  Write_File(dir.path() / "Effects.txt", "Effect := A\r\nEmitter := 1\r\nSource_Blend_Mode := Blend_Zero\r\n"
                                         "Dest_Blend_Mode := Nothing\r\n");
  TCollector collector;
  EXPECT_TRUE(Effects_Load_Data_File(file, &collector));
  EXPECT_EQ(collector.lines, std::vector<std::string>{"Effects Data File | " + file +
                                                      " | Unknown value \"Nothing\" for Dest Blend Mode."});
  ASSERT_NE(Effect_List, nullptr);
  EXPECT_EQ(Emitter(1, 1).source_blend_mode, 1);
  // Loading again replaces the list.
  Write_File(dir.path() / "Effects.txt", "Effect := B\nEffect := C\n");
  EXPECT_TRUE(Effects_Load_Data_File(file, &collector));
  EXPECT_EQ(Effect_List->m_Count(), 2);
  EXPECT_EQ(collector.lines.size(), 1u);
  EXPECT_THROW(Effects_Load_Data_File(dir.design() + "Missing.txt", &collector), EInOutError);
  EXPECT_TRUE(Effects_Free());
  EXPECT_FALSE(Effects_Free());
}

// --- evaluation --------------------------------------------------------------------

TEST_F(Effects_Data_File, EvaluatesPerParticleWithTheEventsPoints) {
  Load("Effect := A\nEffect_Scale_Size := 2\nEmitter := 3\n"
       "Num_Particles := 2 + 3\nEmit_Rate := 20\nDelay := 0.25\n"
       "Position := VectorAdd([%Source_Vector%], MakeVector(Get_Particle_Number(), 0, 0))\n"
       "Initial_Size := Get_Particle_Number(), 1.5\n"
       "Initial_Gravity := MakeVector(0, 0, -1)\n"
       "Lifetime := 1.5\n"
       "Initial_Velocity := VectorSub([%Target_Vector%], [%Source_Vector%])\n"
       "Initial_Rotation := 90\n"
       "Move_To_Target_Offset := MakeVector(0, 1, 0)\n"
       "Initial_Color := MakeColor(1, 0.5, 0, 1)\n"
       "Move_To_Target_Velocity := 100\n"
       "Lifetime_Ends_At_Target := 10\n"
       "Move_In_Rotation_Direction := 1, 2, 3\n"
       "Turn_Towards_Target := 90\n"
       "Texture_Coords := MakeRect(0, 0, 0.5, random(1, 4) * 0.25)\n"
       "Time_Range := 0.5 - 2\nSize := 3, 4\nRotation := 180\n"
       "Time := 1\nSet_Timer := 0.25\nTimed_Turn_Towards_Target := 2\n"
       "Timed_Move_In_Rotation_Direction := 1, 2, 3\nGravity := MakeVector(0, 0, 1)\n");
  ASSERT_TRUE(g_tg_emitter_events->m_Start_Effect(1, {10, 20, 0}, {30, 60, 0}, 0, 0));
  TGEEvent& event = *g_tg_emitter_events->m_Get_Slot(1);
  const TEmitter& em = *event.emitter;
  // The emission: MakeVector would see no effect here, plain numbers do.
  EXPECT_EQ(event.particle_limit, 5);
  EXPECT_FLOAT_EQ(event.emit_rate, 0.02f);
  EXPECT_FLOAT_EQ(event.delay, 250.0f);

  Random_Set_Seed(1234);
  const TEmitter_Particle_Start s = Emitter_Evaluate_Particle_Start(em, event.id, 2);
  Random_Set_Seed(1234);
  const float quarter = float(Random_Range_2(1, 4)) / 4.0f;
  EXPECT_FLOAT_EQ(s.position.x, 10 + 2 * 2.0f);  // MakeVector is scaled by the effect
  EXPECT_FLOAT_EQ(s.position.y, 20);
  EXPECT_FLOAT_EQ(s.size_1, 4);
  EXPECT_FLOAT_EQ(s.size_2, 3);
  EXPECT_FLOAT_EQ(s.gravity.z, -2 * 0.001f);
  EXPECT_FLOAT_EQ(s.lifetime, 1500);
  EXPECT_FLOAT_EQ(s.velocity.x, 0.02f);
  EXPECT_FLOAT_EQ(s.velocity.y, 0.04f);
  EXPECT_FLOAT_EQ(s.rotation, 3.14159265f / 2);
  EXPECT_FLOAT_EQ(s.target_offset.y, 2);
  EXPECT_FLOAT_EQ(s.color.y, 0.5f);
  EXPECT_FLOAT_EQ(s.color.w, 1);
  EXPECT_FLOAT_EQ(s.target_speed, 0.2f);
  EXPECT_FLOAT_EQ(s.target_end_distance, 20);
  EXPECT_FLOAT_EQ(s.rotation_move[0], 0.002f);
  EXPECT_FLOAT_EQ(s.rotation_move[2], 0.006f);
  EXPECT_FLOAT_EQ(s.turn_rate, 0.09f);
  EXPECT_FLOAT_EQ(s.texture_rect.z, 0.5f);
  EXPECT_FLOAT_EQ(s.texture_rect.w, quarter);

  struct TCase {
    std::int32_t index;
    float duration, r, q, p, vz;
  } cases[] = {
      {1, 1500, 6, 8, 0, 0},                      // ranged size: from 0.5 s to 2 s, scaled
      {2, 1500, 3.14159265f, 0, 0, 0},            // ranged rotation in radians
      {3, 0, 250, 0, 0, 0},                       // Set_Timer in ms
      {4, 0, 0.002f, 0, 0, 0},                    // turn rate per ms
      {5, 0, 0.002f, 0.004f, 0.006f, 0},          // rotation moves per ms, scaled
      {6, 0, 0, 0, 0, 0.002f},                    // gravity per ms (MakeVector scaled)
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.index);
    TEmitter_Timed_Event ev;
    ASSERT_TRUE(em.m_Get_Timed_Event(c.index, ev));
    const TEmitter_Timed_Result r = Emitter_Evaluate_Timed_Event(em, ev, event.id);
    EXPECT_FLOAT_EQ(r.duration, c.duration);
    EXPECT_FLOAT_EQ(r.r, c.r);
    EXPECT_FLOAT_EQ(r.q, c.q);
    EXPECT_FLOAT_EQ(r.p, c.p);
    EXPECT_FLOAT_EQ(r.vector.z, c.vz);
  }

  // An id that no running event has gives zeros.
  const TEmitter_Particle_Start none = Emitter_Evaluate_Particle_Start(em, 99, 1);
  EXPECT_EQ(none.lifetime, 0.0f);
  EXPECT_EQ(none.position.x, 0.0f);
  EXPECT_EQ(Emitter_Evaluate_Emission(em, 99).num_particles, 0);
}
