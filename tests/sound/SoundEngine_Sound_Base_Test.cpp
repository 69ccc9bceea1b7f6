#include <gtest/gtest.h>

#include "SoundEngine_Sound_Base.h"
#include "SoundEngine_Sound_DSWaveFiles.h"
#include "Sound_Test_Support.h"

namespace {
std::string Pcm_Data(std::size_t n) {
  std::string d;
  for (std::size_t i = 0; i < n; ++i) d += char(i * 7);
  return d;
}

std::string Set_U32(std::string s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
  return s;
}
}  // namespace

TEST(SoundEngine_Sound_DSWaveFiles, ReadsFormatAndData) {
  TTemp_Dir dir;
  Write_File(dir.path() / "a.wav", Wav_Bytes(1, 1, 22050, 16, Pcm_Data(1000)));
  TWave_Handle h;
  std::unique_ptr<TWave_Format> f;
  TWave_Chunk_Info riff, data;
  ASSERT_EQ(WaveOpenFile(dir.design() + "A.WAV", h, f, riff), 0u);
  EXPECT_EQ(f->nChannels, 1);
  EXPECT_EQ(f->nSamplesPerSec, 22050u);
  EXPECT_EQ(f->nBlockAlign, 2);
  EXPECT_EQ(f->cbSize, 0);
  ASSERT_EQ(WaveStartDataRead(h, data, riff), 0u);
  EXPECT_EQ(data.cksize, 1000u);
  std::string out(1200, '\0');
  std::uint32_t got = 0;
  ASSERT_EQ(WaveReadFile(h, 600, reinterpret_cast<std::uint8_t*>(out.data()), data, got), 0u);
  EXPECT_EQ(got, 600u);
  EXPECT_EQ(data.cksize, 400u);
  ASSERT_EQ(WaveReadFile(h, 600, reinterpret_cast<std::uint8_t*>(out.data()) + 600, data, got), 0u);
  EXPECT_EQ(got, 400u);
  EXPECT_EQ(out.substr(0, 1000), Pcm_Data(1000));
  WaveCloseReadFile(h, f);
  EXPECT_FALSE(h);
  EXPECT_FALSE(f);
}

TEST(SoundEngine_Sound_DSWaveFiles, NonPcmKeepsItsExtraBytes) {
  TTemp_Dir dir;
  Write_File(dir.path() / "a.wav", Wav_Bytes(2, 1, 22050, 4, Pcm_Data(64), "\x01\x02\x03\x04"));
  TWave_Handle h;
  std::unique_ptr<TWave_Format> f;
  TWave_Chunk_Info riff;
  ASSERT_EQ(WaveOpenFile(dir.design() + "a.wav", h, f, riff), 0u);
  EXPECT_EQ(f->wFormatTag, 2);
  EXPECT_EQ(f->cbSize, 4);
  EXPECT_EQ(f->extra, (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST(SoundEngine_Sound_DSWaveFiles, BadAndHostileFilesFailCleanly) {
  std::string good = Wav_Bytes(1, 1, 22050, 16, Pcm_Data(100));
  std::string fmt14 = good;
  fmt14 = Set_U32(fmt14, 16, 14);
  struct TCase {
    const char* what;
    std::string bytes;
    std::uint32_t open_code, data_code;
  } cases[] = {
      {"fmt of 14 bytes", fmt14, WAVEERR_NOT_WAVE_FILE, 0},
      {"not RIFF", "RIFX" + good.substr(4), WAVEERR_NOT_WAVE_FILE, 0},
      {"not WAVE", good.substr(0, 8) + "AVI " + good.substr(12), WAVEERR_NOT_WAVE_FILE, 0},
      {"cut in its header", good.substr(0, 6), WAVEERR_NOT_WAVE_FILE, 0},
      {"cut in fmt", good.substr(0, 30), WAVEERR_NOT_WAVE_FILE, 0},
      {"huge fmt size", Set_U32(good, 16, 0xFFFFFFF0u), WAVEERR_NOT_WAVE_FILE, 0},
      {"extra size beyond fmt", Wav_Bytes(2, 1, 22050, 4, "", std::string(4, 'x')).replace(36, 2, "\xFF\x7F"),
       WAVEERR_NOT_WAVE_FILE, 0},
      {"huge data size", Set_U32(good, 40, 0x40000000u), 0, WAVEERR_CORRUPT_WAVE_FILE},
      {"data cut short", good.substr(0, good.size() - 10), 0, WAVEERR_CORRUPT_WAVE_FILE},
      {"no data chunk", good.substr(0, 36), 0, WAVEERR_NOT_WAVE_FILE},
  };
  TTemp_Dir dir;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    Write_File(dir.path() / "x.wav", c.bytes);
    TWave_Handle h;
    std::unique_ptr<TWave_Format> f;
    TWave_Chunk_Info riff, data;
    std::uint32_t code = WaveOpenFile(dir.design() + "x.wav", h, f, riff);
    EXPECT_EQ(code, c.open_code);
    if (code != 0) {
      EXPECT_FALSE(h);
      EXPECT_FALSE(f);
      continue;
    }
    EXPECT_EQ(WaveStartDataRead(h, data, riff), c.data_code);
  }
  TWave_Handle h;
  std::unique_ptr<TWave_Format> f;
  TWave_Chunk_Info riff;
  EXPECT_EQ(WaveOpenFile(dir.design() + "missing.wav", h, f, riff), WAVEERR_CANNOT_OPEN);
  EXPECT_EQ(Wave_Error_Text(WAVEERR_CORRUPT_WAVE_FILE), "Wave Error(Corrupt Wave File)");
  EXPECT_EQ(Wave_Error_Text(WAVEERR_MEMORY), "Wave Error(Memory)");
}

TEST(SoundEngine_Sound_Base, LoadsBuffersAndListener) {
  TSound_Fixture fx;
  fx.Write_Sound("a.wav", Wav_Bytes(1, 1, 22050, 16, Pcm_Data(400)));
  fx.Write_Sound("bad.wav", Set_U32(Wav_Bytes(1, 1, 22050, 16, Pcm_Data(400)), 40, 0x7FFFFFF0u));
  std::unique_ptr<TSound_Buffer> b;
  EXPECT_FALSE(SoundBase_LoadSound(fx.dir.design() + "sounds\\a.wav", b));  // no device yet
  fx.state->caps.max_hw_3d_static_buffers = 64;
  SoundBase_Initialize_DirectSound();
  ASSERT_NE(SoundBase_Get_Device(), nullptr);
  EXPECT_EQ(SoundBase_Max_HW_3D_Static_Buffers(), 64u);

  ASSERT_TRUE(SoundBase_LoadSound(fx.dir.design() + "sounds\\a.wav", b));
  EXPECT_EQ(b->Flags(), 0xC2u);
  EXPECT_EQ(b->Size(), 400u);
  auto* mem = static_cast<TSound_Buffer_Memory*>(b.get());
  EXPECT_EQ(std::string(mem->bytes.begin(), mem->bytes.end()), Pcm_Data(400));

  ASSERT_TRUE(SoundBase_Load3DSound(fx.dir.design() + "sounds\\a.wav", b));
  EXPECT_EQ(b->Flags(), 0x20012u);
  fx.state->reject_mute_at_max_distance = true;
  ASSERT_TRUE(SoundBase_Load3DSound(fx.dir.design() + "sounds\\a.wav", b));
  EXPECT_EQ(b->Flags(), 0x10u);

  // A data chunk larger than the file makes no buffer at all.
  std::int32_t created = fx.state->created;
  EXPECT_FALSE(SoundBase_LoadSound(fx.dir.design() + "sounds\\bad.wav", b));
  EXPECT_FALSE(b);
  EXPECT_EQ(fx.state->created, created);

  std::unique_ptr<TSound_Buffer> primary;
  std::unique_ptr<TSound_Listener> listener;
  SoundBase_Create3DListener(primary, listener);
  ASSERT_TRUE(primary && listener);
  EXPECT_EQ(primary->Flags(), 0x11u);
  TWave_Format f;
  primary->Get_Format(f);
  EXPECT_EQ(f.nChannels, 1);
  EXPECT_EQ(f.nSamplesPerSec, 44100u);
  EXPECT_EQ(f.nAvgBytesPerSec, 88200u);
  SoundBase_Free_DirectSound();
  EXPECT_EQ(SoundBase_Get_Device(), nullptr);
}
