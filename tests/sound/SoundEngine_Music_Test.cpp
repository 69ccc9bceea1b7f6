#include <gtest/gtest.h>
#include <sndfile.h>

#include <vector>

#include "Datafile_BaseGameSettings.h"
#include "MachineOptions.h"
#include "SoundEngine_Music_AudioFileRead.h"
#include "SoundEngine_Music_Base.h"
#include "SoundEngine_Music_DSMixer.h"
#include "Sound_Test_Support.h"
#include "ThreadTimer.h"

namespace {
// A file of the seconds at the rate, 16-bit unless the format says otherwise.
void Write_Audio(const std::filesystem::path& p, int rate, int channels, double seconds,
                 int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(p.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr);
  std::vector<short> frames(std::size_t(rate * seconds) * std::size_t(channels), 1000);
  sf_writef_short(f, frames.data(), sf_count_t(rate * seconds));
  sf_close(f);
}

std::uint32_t Fake_Now = 0;
}  // namespace

TEST(ThreadTimer, TicksRunOnTheCallingThread) {
  TThreadedTimer timer;
  int ticks = 0;
  timer.OnTimer = [&](TThreadedTimer&) { ++ticks; };
  timer.SetInterval(0);
  timer.SetEnabled(true);
  EXPECT_FALSE(timer.Thread_Running());  // interval 0 without AllowZero
  timer.SetEnabled(false);
  timer.SetInterval(10);
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Thread_Running());
  Thread_Timer_Synchronize_For(300);
  EXPECT_GT(ticks, 0);
  timer.SetEnabled(false);
  int after = ticks;
  Thread_Timer_Synchronize_For(50);
  EXPECT_EQ(ticks, after);
  TThreadedTimer idle;  // destroyed while suspended
}

TEST(ThreadTimer, ChangingTheIntervalRestartsTheWait) {
  TThreadedTimer timer;
  int ticks = 0;
  timer.OnTimer = [&](TThreadedTimer&) { ++ticks; };
  timer.SetInterval(300);
  timer.SetEnabled(true);
  Thread_Timer_Synchronize_For(200);
  timer.SetInterval(400);  // the tick due in 100 ms now comes in 400 ms
  Thread_Timer_Synchronize_For(300);
  EXPECT_EQ(ticks, 0);
  Thread_Timer_Synchronize_For(400);
  EXPECT_GE(ticks, 1);
}

TEST(SoundEngine_Music_AudioFileRead, ReadsARangeAndEnds) {
  TTemp_Dir dir;
  Write_Audio(dir.path() / "m.wav", 8000, 2, 14.0);
  TAudioFileReader r(dir.design() + "m.wav");
  EXPECT_EQ(r.Format().nBlockAlign, 4);
  EXPECT_EQ(r.Duration(), 140000000);
  r.SetRangeStart(100000000);
  r.SetRangeLength(30000000);
  std::vector<std::uint8_t> buf(10002);
  std::uint64_t total = 0;
  while (std::uint32_t n = r.Read(buf.data(), std::uint32_t(buf.size()))) {
    EXPECT_EQ(n % 4, 0u);
    total += n;
  }
  EXPECT_EQ(total, 3u * 8000 * 4);
  EXPECT_EQ(r.Read(buf.data(), 100), 0u);
  EXPECT_THROW(r.Read(buf.data(), 0), EAudioReadError);

  Write_File(dir.path() / "bad.ogg", "not music at all");
  try {
    TAudioFileReader bad(dir.design() + "bad.ogg");
    FAIL();
  } catch (const EAudioReadError& e) {
    EXPECT_STREQ(e.what(), "No stream can be found with the specified attributes.");
  }
}

TEST(SoundEngine_Music_DSMixer, ChannelStreamsFadesAndEnds) {
  TSound_Fixture fx;
  DSMixer_Set_Tick_Source([] { return Fake_Now; });
  Write_Audio(fx.dir.path() / "music" / "short.wav", 44100, 2, 1.0);
  Write_Audio(fx.dir.path() / "music" / "wide.wav", 44100, 2, 0.5, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
  TDSMixer mixer;
  TDSMixerChannel c(&mixer);
  c.SetBufferLength(500);
  EXPECT_EQ(c.BufferLength(), 1000u);
  c.SetBufferLength(10000);
  c.SetInterval(10);
  EXPECT_EQ(c.Interval(), 200u);
  c.SetBufferLength(4000);
  EXPECT_THROW(c.SetFileName(fx.dir.design() + "music\\wide.wav"), EGlobarch_Error);
  try {
    c.SetFileName(fx.dir.design() + "music\\wide.wav");
  } catch (const EGlobarch_Error& e) {
    EXPECT_STREQ(e.what(), "Invalid number of bits per sample.");
  }
  c.SetFileName(fx.dir.design() + "music\\short.wav");
  EXPECT_EQ(c.Length(), 1000u);
  c.Fade(1000, -5000);  // stopped: nothing
  EXPECT_FALSE(c.Fading());
  EXPECT_THROW(c.Fade(1000, 100), EGlobarch_Error);
  int ends = 0, fade_ends = 0;
  c.OnEnd = [&](TDSMixerChannel&) { ++ends; };
  c.OnFadeEnd = [&](TDSMixerChannel&) { ++fade_ends; };
  c.Play();
  ASSERT_NE(c.Buffer(), nullptr);
  EXPECT_EQ(c.BufferSize(), 705600u);  // four seconds
  EXPECT_EQ(c.EndThreshold(), 282240u);
  EXPECT_EQ(c.EndPosition(), 176400);  // the one second of the file
  auto* b = static_cast<TSound_Buffer_Memory*>(c.Buffer());
  EXPECT_TRUE(b->playing && b->looping);
  EXPECT_EQ(b->bytes[176400 - 2], 1000 & 0xFF);
  EXPECT_EQ(b->bytes[176400], 0);  // silence after the end

  c.Fade(1000, -2000);
  Fake_Now = 500;
  b->cursor = 100000;
  c.OnTimer();
  EXPECT_EQ(c.Volume(), -1000);
  Fake_Now = 1000;
  b->cursor = 150000;  // within the threshold of the end
  c.OnTimer();
  EXPECT_EQ(c.Volume(), -2000);
  EXPECT_EQ(fade_ends, 1);
  EXPECT_EQ(ends, 0);
  Fake_Now = 1500;
  b->cursor = 200000;  // past the end
  c.OnTimer();
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(c.Playing());
  DSMixer_Set_Tick_Source(nullptr);
}

TEST(SoundEngine_Music_DSMixer, LoopingFileGoesOnFromItsStartAndALostBufferIsFreed) {
  TSound_Fixture fx;
  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open((fx.dir.path() / "music" / "ramp.wav").c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr);
  std::vector<short> ramp(12000);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = short(i);
  sf_writef_short(f, ramp.data(), sf_count_t(ramp.size()));
  sf_close(f);
  TDSMixer mixer;
  TDSMixerChannel c(&mixer);
  c.SetFileName(fx.dir.design() + "music\\ramp.wav");
  c.SetLoop(true);
  c.Play();
  auto* b = static_cast<TSound_Buffer_Memory*>(c.Buffer());
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(c.BufferSize(), 64000u);  // four seconds of 8000 Hz mono
  EXPECT_EQ(c.EndPosition(), -1);
  auto sample = [&](std::size_t i) { return short(b->bytes[2 * i] | (b->bytes[2 * i + 1] << 8)); };
  EXPECT_EQ(sample(11999), 11999);
  EXPECT_EQ(sample(12000), 0);  // the file again from its start
  EXPECT_EQ(sample(31999), 31999 - 24000);
  int lost = 0;
  c.OnBufferLost = [&](TDSMixerChannel&) { ++lost; };
  b->lost_result = SDERR_BUFFERLOST;
  b->cursor = 2000;
  c.OnTimer();
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(c.Buffer(), nullptr);
  EXPECT_FALSE(c.Playing());
}

TEST(SoundEngine_Music_Base, VolumeCurve) {
  struct {
    int level, volume;
  } cases[] = {{-5, -10000}, {0, -10000}, {10, -6500}, {20, -3000}, {30, -2500}, {50, -1500},
               {70, -750},   {90, -250},  {100, 0},    {120, 0}};
  for (auto c : cases) EXPECT_EQ(Sound_Music_Volume(c.level), c.volume) << c.level;
}

TEST(SoundEngine_Music_Base, TracksFadeAndChange) {
  TSound_Fixture fx;
  TMachine_Options options;
  options.f_music_volume = 50;
  Machine_Options = &options;
  DSMixer_Set_Tick_Source([] { return Fake_Now; });
  Fake_Now = 0;
  Write_Audio(fx.dir.path() / "music" / "title.wav", 8000, 1, 1.0);
  Write_Audio(fx.dir.path() / "music" / "combat.wav", 8000, 1, 1.0);
  Base_Game_Settings.m_Reset();
  Base_Game_Settings.m_Add_Song(1, "title.wav");
  Base_Game_Settings.m_Add_Song(3, "combat.wav");
  Base_Game_Settings.m_Add_Song(2, "missing.ogg");
  Sound_Music_Init();
  TDSMixerChannel* c = Sound_Music_Channel();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Volume(), -1500);
  Sound_Music_Start_Music(TMusic_Category::Title);
  EXPECT_TRUE(c->Playing());
  EXPECT_EQ(c->Volume(), -10000);
  EXPECT_TRUE(c->Fading());
  Sound_Music_Start_Music(TMusic_Category::Combat);
  EXPECT_TRUE(Sound_Music_Pending());
  EXPECT_NE(c->FileName().find("title.wav"), std::string::npos);
  Fake_Now = 4000;
  c->OnTimer();  // the fade-out ends: the combat track starts fading in
  EXPECT_FALSE(Sound_Music_Pending());
  EXPECT_NE(c->FileName().find("combat.wav"), std::string::npos);
  EXPECT_TRUE(c->Fading());
  // A category of one song plays it again when it ends.
  Sound_Music_Next_Track();
  EXPECT_EQ(Sound_Music_Last_Track(), "combat.wav");
  // A missing file leaves the channel silent.
  c->Stop();
  Sound_Music_Start_Music(TMusic_Category::Main);
  EXPECT_FALSE(c->Playing());
  Sound_Music_Free();
  Base_Game_Settings.m_Reset();
  DSMixer_Set_Tick_Source(nullptr);
  Machine_Options = nullptr;
}

// On the OpenAL output (the null output under test) a short file streams,
// the cursor passes its end and the channel stops with its end event.
TEST(SoundEngine_Music_DSMixer, StreamsToItsEndOnOpenAL) {
  std::unique_ptr<TSound_Device> probe;
  if (Sound_Device_Create_OpenAL("", probe) != SD_OK) GTEST_SKIP() << "no OpenAL output";
  probe.reset();
  TTemp_Dir dir;
  Write_Audio(dir.path() / "short.wav", 22050, 2, 0.3);
  TDSMixer mixer;
  TDSMixerChannel c(&mixer);
  c.SetBufferLength(1000);
  c.SetInterval(50);
  c.SetFileName(dir.design() + "short.wav");
  int ends = 0;
  c.OnEnd = [&](TDSMixerChannel&) { ++ends; };
  c.Play();
  ASSERT_TRUE(c.Playing());
  for (int i = 0; i < 40 && ends == 0; ++i) Thread_Timer_Synchronize_For(50);
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(c.Playing());
}
