#include <gtest/gtest.h>

#include "Datafile_BaseGameSettings.h"
#include "SoundEngine_Music_AudioFileRead.h"
#include "SoundEngine_Sound_DSWaveFiles.h"
#include "SoundEngine_Sound_List.h"
#include "Test_Support.h"

// Every effect of the shipped data file has its wave file, mono 16 bit, and
// every song of the shipped game settings decodes.
TEST(Sound_Content, ShippedEffectsAndSongsLoad) {
  std::string home = Source_Dir().string() + "/";
  TSound_List list;
  TSound_List_Data_File_Loader loader(home + "data/SoundEffects.txt", list);
  loader.m_Load();
  EXPECT_TRUE(loader.m_Get_Errors().empty());
  ASSERT_GT(list.m_Effect_Count(), 20);
  for (std::int32_t i = 1; i <= list.m_Effect_Count(); ++i) {
    const TSound_Effect& e = list.m_Get_Effect(i);
    SCOPED_TRACE(e.file_name);
    TWave_Handle h;
    std::unique_ptr<TWave_Format> f;
    TWave_Chunk_Info riff, data;
    ASSERT_EQ(WaveOpenFile(home + "sounds\\" + e.file_name, h, f, riff), 0u);
    EXPECT_EQ(f->nChannels, 1);
    EXPECT_EQ(f->wBitsPerSample, 16);
    ASSERT_EQ(WaveStartDataRead(h, data, riff), 0u);
    EXPECT_GT(data.cksize, 400u);
  }

  TBase_Game_Settings settings;
  ASSERT_TRUE(Load_Base_Game_Settings_File(home + "data/GameSettings.txt", settings, false, nullptr));
  for (std::int32_t category = 1; category <= 4; ++category) {
    std::string song = settings.m_Get_Random_Song(category);
    SCOPED_TRACE(song);
    ASSERT_FALSE(song.empty());
    TAudioFileReader reader(home + "music\\" + song);
    EXPECT_GT(reader.Duration(), 100000000);  // ten seconds
  }
}
