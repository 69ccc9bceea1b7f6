// The links installed at start-up let battles start their movement sounds
// and their attack effects.
#include <gtest/gtest.h>

#include "Combat.h"
#include "Combat_Program_Links.h"
#include "Datafile_EffectEmitters.h"
#include "Datafile_Formula_List.h"
#include "GraphicsEngine_EmitterEvents.h"
#include "GraphicsEngine_ParticleList.h"
#include "MachineOptions.h"
#include "Native_Path.h"
#include "SoundEngine_Sound_Base.h"
#include "SoundEngine_Sound_List.h"
#include "Sound_Test_Support.h"

TEST(Combat_Program_Links, StartMovementSoundsAndAttackEffects) {
  TSound_Fixture fx;
  TMachine_Options options;
  Machine_Options = &options;
  fx.Write_Sound("tracks.wav", Wav_Bytes(1, 1, 22050, 16, std::string(200, 'a')));
  Write_File(fx.dir.path() / "SoundEffects.txt",
             "Sound effects\n*BEGIN*\ntitle\nnote\nSound Effect Name := Tracks\nSound Effect Filename := "
             "tracks.wav\nSound Min Distance := 10\nSound Max Distance := 100000\nEffect Instances := 2\n"
             "Is 3D Sound Effect := Yes\n\n*END*\n");
  SoundBase_Initialize_DirectSound();
  ASSERT_TRUE(Load_Master_Sound_List(fx.dir.design() + "SoundEffects.txt"));
  bool had_formulas = Formula_List != nullptr;
  if (!had_formulas) Formula_List_Create();
  G_Create_Particle_Systems();
  Effects_Load_Data_File(Design_Path((Source_Dir() / "data" / "Effects.txt").string()), nullptr);
  ASSERT_NE(Effect_List, nullptr);
  ASSERT_GE(Effect_List->m_Count(), 1);

  // Before the install the battle's links start nothing.
  EXPECT_EQ(Combat_Links().m_Start_Sound_3D("Tracks", TVector{100, 200, 0}), 0);
  EXPECT_FALSE(Combat_Links().m_Start_Effect(1, TVector{50, 50, -5}, TVector{250, 50, -5}, 7));

  Combat_Program_Links_Install();
  std::int32_t handle = Combat_Links().m_Start_Sound_3D("Tracks", TVector{100, 200, 0});
  EXPECT_NE(handle, 0);
  ASSERT_EQ(Sound_List->m_Queue().size(), 1u);
  EXPECT_EQ(Sound_List->m_Queue()[0].position.x, 100);
  EXPECT_EQ(Sound_List->m_Queue()[0].position.y, 200);
  Combat_Links().m_Move_Sound_3D(handle, TVector{150, 200, 0});
  ASSERT_EQ(Sound_List->m_Queue().size(), 2u);
  EXPECT_TRUE(Sound_List->m_Queue()[1].update);
  EXPECT_EQ(Sound_List->m_Queue()[1].position.x, 150);
  EXPECT_EQ(Combat_Links().m_Start_Sound_3D("", TVector{}), 0);

  // The attack's effect runs for its action.
  EXPECT_TRUE(Combat_Links().m_Start_Effect(1, TVector{50, 50, -5}, TVector{250, 50, -5}, 7));
  ASSERT_GE(g_tg_emitter_events->m_Slot_Count(), 1);
  bool found = false;
  for (std::int32_t i = 1; i <= g_tg_emitter_events->m_Slot_Count(); ++i)
    if (TGEEvent* e = g_tg_emitter_events->m_Get_Slot(i)) found = found || (e->action_id == 7 && e->notify == 1);
  EXPECT_TRUE(found);
  EXPECT_FALSE(Combat_Links().m_Start_Effect(0, TVector{}, TVector{}, 8));

  Combat_Program_Links_Remove();
  EXPECT_EQ(Combat_Links().m_Start_Sound_3D("Tracks", TVector{100, 200, 0}), 0);

  G_Free_Particle_Systems();
  Effects_Free();
  if (!had_formulas) Formula_List_Free();
  Sound_Free_Sound_List();
  SoundBase_Free_DirectSound();
  Machine_Options = nullptr;
}
