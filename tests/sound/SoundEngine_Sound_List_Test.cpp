#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "Datafile_UserSettings.h"
#include "Debug_Log.h"
#include "Global.h"
#include "MachineOptions.h"
#include "SoundEngine_Sound_Base.h"
#include "SoundEngine_Sound_List.h"
#include "SoundEngine_Sound_Main.h"
#include "Sound_Test_Support.h"

namespace {
std::string Record(const std::string& name, const std::string& file, int min, int max, int instances, bool is_3d) {
  return "Sound Effect Name := " + name + "\nSound Effect Filename := " + file + "\nSound Min Distance := " +
         std::to_string(min) + "\nSound Max Distance := " + std::to_string(max) +
         "\nEffect Instances := " + std::to_string(instances) + "\nIs 3D Sound Effect := " + (is_3d ? "Yes" : "No") +
         "\n\n";
}

class Sound_List_Test : public ::testing::Test {
protected:
  void SetUp() override {
    fx.Write_Sound("boom.wav", Wav_Bytes(1, 1, 22050, 16, std::string(200, 'a')));
    fx.Write_Sound("click.wav", Wav_Bytes(1, 1, 22050, 16, std::string(100, 'b')));
    Write_File(fx.dir.path() / "SoundEffects.txt",
               "Sound effects\n*BEGIN*\ntitle\nnote\n" + Record("Explosion", "Boom.wav", 10, 100, 2, true) +
                   Record("Button Click", "click.wav", 20, 200, 1, false) +
                   Record("Big Bang", "boom.WAV", 30, 300, 1, true) + Record("Unused", "x.wav", 1, 2, 0, true) +
                   "*END*\n");
    Machine_Options = &options;
    SoundBase_Initialize_DirectSound();
    ASSERT_TRUE(Load_Master_Sound_List(fx.dir.design() + "SoundEffects.txt"));
  }
  void TearDown() override {
    Sound_Free_Sound_List();
    SoundBase_Free_DirectSound();
    Machine_Options = nullptr;
  }
  TSound_Buffer_Memory* Slot_Buffer(std::int32_t slot) {
    return static_cast<TSound_Buffer_Memory*>(Sound_List->m_Get_Slot(slot).buffer.get());
  }
  TSound_Fixture fx;
  TMachine_Options options;
};
}  // namespace

TEST_F(Sound_List_Test, LoadsTheEffects) {
  ASSERT_EQ(Sound_List->m_Effect_Count(), 2);
  const TSound_Effect& boom = Sound_List->m_Get_Effect(1);
  EXPECT_EQ(boom.file_name, "boom.wav");
  EXPECT_EQ(boom.names, (std::vector<std::string>{"explosion", "big bang"}));
  // The last record of the file sets the distances.
  EXPECT_EQ(boom.min_distance, 30);
  EXPECT_EQ(boom.max_distance, 300);
  EXPECT_TRUE(boom.is_3d);
  EXPECT_EQ(Sound_List->m_Find_Effect("BIG BANG"), 1);
  EXPECT_EQ(Sound_List->m_Find_Effect("Button Click"), 2);
  EXPECT_EQ(Sound_List->m_Find_Effect("Unused"), 0);
  EXPECT_EQ(Sound_List->m_Slots_In_Use(), 30);
  EXPECT_EQ(Sound_Handle_Effect(3005), 3);
  EXPECT_EQ(Sound_Handle_Slot(3005), 5);
}

TEST_F(Sound_List_Test, PositionalPlaysAreQueuedAndFlushed) {
  std::int32_t h = Sound_List->Play_3D_Sound("explosion", 1, 50.0, {1, 2, 3}, {0, 0, 1});
  ASSERT_EQ(h, 1001);
  EXPECT_EQ(Sound_List->Play_3D_Sound("explosion", 0, 10000.5, {}, {}), 0);  // not audible
  EXPECT_EQ(Sound_List->Play_3D_Sound("nothing", 0, 1.0, {}, {}), 0);
  ASSERT_EQ(Sound_List->m_Queue().size(), 1u);
  Sound_List->f_volume = -5000;
  Sound_List->Play_All_Queued_Sounds();
  EXPECT_TRUE(Sound_List->m_Queue().empty());
  TSound_Buffer_Memory* b = Slot_Buffer(1);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->playing);
  EXPECT_FALSE(b->looping);
  EXPECT_EQ(b->position.z, 3);
  EXPECT_EQ(b->velocity.z, 1);
  // Half the minimum distance, both shrunk by the quieter volume.
  EXPECT_DOUBLE_EQ(b->min_distance, 7.5);
  EXPECT_DOUBLE_EQ(b->max_distance, 150.0);

  // Moving out of range stops the sound and frees its slot.
  EXPECT_EQ(Sound_List->Update_3D_Sound_Position("explosion", 0, h, 20000.0, {}, {}), h);
  ASSERT_EQ(Sound_List->m_Queue().size(), 1u);
  EXPECT_TRUE(Sound_List->m_Queue()[0].stop);
  Sound_List->Play_All_Queued_Sounds();
  EXPECT_EQ(Slot_Buffer(1), nullptr);
  EXPECT_EQ(Sound_List->m_Get_Slot(1).file_name, "");
  // Without a handle the update starts the sound.
  EXPECT_EQ(Sound_List->Update_3D_Sound_Position("explosion", 0, 0, 5.0, {}, {}), 1002);
}

TEST_F(Sound_List_Test, PlainPlaysOncePerEffectAndFrame) {
  Sound_List->Play_Sound("Button Click", -2000, 0);
  Sound_List->Play_Sound("Button Click", -2000, 0);
  EXPECT_EQ(Sound_List->m_Queue().size(), 1u);
  Sound_List->Play_Sound("Button Click", -2000, -1);
  EXPECT_EQ(Sound_List->m_Queue().size(), 2u);
  Sound_List->Play_All_Queued_Sounds();
  EXPECT_EQ(Slot_Buffer(1)->volume, -2000);
  EXPECT_TRUE(Slot_Buffer(1)->playing);
  options.f_play_sounds = false;
  Sound_List->Play_Sound("Button Click", 0, -1);
  EXPECT_TRUE(Sound_List->m_Queue().empty());
}

TEST_F(Sound_List_Test, FullSlotPoolPlaysNothing) {
  for (int i = 1; i <= 30; ++i) ASSERT_EQ(Sound_List->Play_3D_Sound("explosion", 0, 1.0, {}, {}), 1000 + i);
  Sound_List->Play_All_Queued_Sounds();
  EXPECT_EQ(Sound_List->Play_3D_Sound("explosion", 0, 1.0, {}, {}), 0);
  Slot_Buffer(7)->playing = false;
  EXPECT_EQ(Sound_List->Play_3D_Sound("explosion", 0, 1.0, {}, {}), 1007);
}

TEST_F(Sound_List_Test, FrontRoutines) {
  struct {
    std::uint8_t level;
    std::int32_t volume;
  } levels[] = {{0, -10000}, {20, -2000}, {40, -1000}, {60, -500}, {80, -250}, {100, 0}, {50, 0}};
  for (auto c : levels) {
    options.f_sound_volume = c.level;
    Sound_Update_Volume_Settings();
    EXPECT_EQ(Sound_Get_Volume(), c.volume) << int(c.level);
  }
  EXPECT_EQ(Sound_UI_Sound_Name(12), "");
  EXPECT_EQ(Sound_UI_Sound_Name(10), "Button Click");

  // Silent, and below silence with the offset: still queued, at -10000.
  options.f_sound_volume = 0;
  Sound_Intialize_Sound_System();
  EXPECT_EQ(Sound_Get_Volume(), -10000);
  Sound_Play_UI_Sound(10, -2000);
  Sound_Play_UI_Sound(12, 0);
  ASSERT_EQ(Sound_List->m_Queue().size(), 1u);
  EXPECT_EQ(Sound_List->m_Queue()[0].volume, -10000);

  // The queue waits while the listener is not active.
  Set_3D_Sound_Listener({0, 0, 1}, {0, 1, 0}, {5, 6, 7}, {});
  EXPECT_EQ(Sound_List->m_Queue().size(), 1u);
  Activate_3D_Sound_Listener(true);
  Set_3D_Sound_Listener({0, 0, 1}, {0, 1, 0}, {5, 6, 7}, {});
  EXPECT_TRUE(Sound_List->m_Queue().empty());
  EXPECT_EQ(Slot_Buffer(1)->volume, -10000);
  EXPECT_EQ(Sound_Last_Listener_Position().z, 7);
  Activate_3D_Sound_Listener(false);

  // Before the effects are loaded a plain play plays the named file itself.
  Sound_Free_Sound_List();
  fx.Write_Sound("Button Click", Wav_Bytes(1, 1, 22050, 16, "xyxy"));
  std::int32_t created = fx.state->created;
  Sound_Play_UI_Sound(10, 0);
  ASSERT_EQ(fx.state->created, created + 1);
  EXPECT_TRUE(fx.state->buffers.back()->playing);
  EXPECT_EQ(Sound_Play_3D_Sound("explosion", 0, {}, {}), 0);
  Sound_Free_Sound_System();
}

// Without an output device sound is off: nothing plays and nothing fails.
TEST(Sound_Without_Device, EverythingIsQuiet) {
  TSound_Fixture fx;
  Set_Sound_Device_Factory([](const std::string&, std::unique_ptr<TSound_Device>&) { return SDERR_NODRIVER; });
  Write_File(fx.dir.path() / "data" / "SoundEffects.txt", "x\n*BEGIN*\nt\nn\n" +
                                                               Record("Button Click", "click.wav", 1, 2, 1, true) +
                                                               "*END*\n");
  Sound_Intialize_Sound_System();
  EXPECT_EQ(SoundBase_Get_Device(), nullptr);
  EXPECT_TRUE(Load_All_Sound_Effects());
  EXPECT_EQ(Sound_Play_3D_Sound("Button Click", 0, {}, {}), 0);
  Sound_Play_UI_Sound(10, 0);
  Activate_3D_Sound_Listener(true);
  Set_3D_Sound_Listener({}, {}, {}, {});
  Activate_3D_Sound_Listener(false);
  Sound_Free_Sound_System();
}

// Failures are logged, by wave code and by device result, under their
// debug sections.
TEST_F(Sound_List_Test, FailuresAreLogged) {
  TTemp_Dir user;
  std::string saved_user = User_Folder;
  User_Folder = user.design();
  std::filesystem::create_directories(user.path() / "Backup");
  bool saved[2] = {Debug_Sections[DEBUG_ENGINE_STARTUP], Debug_Sections[DEBUG_SOUND_BASE]};
  Debug_Sections[DEBUG_ENGINE_STARTUP] = Debug_Sections[DEBUG_SOUND_BASE] = true;

  for (int i = 1; i <= 31; ++i) Sound_List->Play_3D_Sound("explosion", 0, 1.0, {}, {});
  Sound_List->Play_All_Queued_Sounds();
  Sound_List->Play_3D_Sound("explosion", 0, 1.0, {}, {});
  std::unique_ptr<TSound_Buffer> b;
  SoundBase_LoadSound(fx.dir.design() + "sounds\\missing.wav", b);
  fx.state->fail_create_buffer = true;
  SoundBase_LoadSound(fx.dir.design() + "sounds\\click.wav", b);

  Debug_Sections[DEBUG_ENGINE_STARTUP] = saved[0];
  Debug_Sections[DEBUG_SOUND_BASE] = saved[1];
  User_Folder = saved_user;
  std::vector<std::string> lines;
  std::istringstream in(Read_File(user.path() / "Backup" / "Globarch_Log.txt"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  auto logged = [&](const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.size() >= text.size() && l.compare(l.size() - text.size(), text.size(), text) == 0;
    });
  };
  EXPECT_TRUE(logged(" ERROR: No Sound Buffer slot found!"));
  EXPECT_TRUE(logged(" Wave Error(Cannot Open) - 57600: SoundBase_LoadSound - WaveOpenFile"));
  EXPECT_TRUE(logged(" SDERR_GENERIC - An undetermined error occurred inside the sound subsystem. - -2147467259: "
                     "SoundBase_LoadSound - CreateSoundBuffer"));
}
