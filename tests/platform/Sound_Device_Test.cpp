#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "Sound_Device.h"

namespace {
TWave_Format Pcm(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  TWave_Format f;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = bits;
  f.nBlockAlign = std::uint16_t(channels * bits / 8);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  return f;
}
}  // namespace

// On the OpenAL device (the null output under test): static buffers play,
// and the play cursor of a streaming buffer moves on in time.
TEST(Sound_Device_OpenAL, PlaysStaticAndStreamingBuffers) {
  std::unique_ptr<TSound_Device> device;
  if (Sound_Device_Create_OpenAL("", device) != SD_OK) GTEST_SKIP() << "no OpenAL output";
  TSound_Caps caps;
  EXPECT_EQ(device->Get_Caps(caps), SD_OK);

  TSound_Buffer_Desc desc;
  desc.flags = SDBCAPS_STATIC | SDBCAPS_CTRL3D;
  desc.size = 4410;
  desc.format = Pcm(1, 22050, 16);
  std::unique_ptr<TSound_Buffer> effect;
  ASSERT_EQ(device->Create_Buffer(desc, effect), SD_OK);
  std::vector<std::uint8_t> noise(4410, 0x40);
  std::uint32_t written = 0;
  EXPECT_EQ(effect->Write(0, noise.data(), 5000, written), SD_OK);
  EXPECT_EQ(written, 4410u);
  EXPECT_EQ(effect->Set_Position({3, 0, 0}), SD_OK);
  EXPECT_EQ(effect->Set_Min_Distance(10), SD_OK);
  EXPECT_EQ(effect->Play(false), SD_OK);
  EXPECT_TRUE(effect->Is_Playing());
  EXPECT_EQ(effect->Stop(), SD_OK);
  EXPECT_FALSE(effect->Is_Playing());

  desc.flags = SDBCAPS_GETCURRENTPOSITION2 | SDBCAPS_CTRLVOLUME | SDBCAPS_CTRLPAN;
  desc.format = Pcm(2, 44100, 16);
  desc.size = 176400;  // one second
  std::unique_ptr<TSound_Buffer> stream;
  ASSERT_EQ(device->Create_Buffer(desc, stream), SD_OK);
  EXPECT_EQ(stream->Set_Volume(-10000), SD_OK);
  EXPECT_EQ(stream->Set_Volume(1), SDERR_INVALIDPARAM);
  EXPECT_EQ(stream->Play(true), SD_OK);
  std::uint32_t cursor = 0;
  for (int i = 0; i < 50 && cursor == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(stream->Get_Current_Position(cursor), SD_OK);
  }
  EXPECT_GT(cursor, 0u);
  EXPECT_LT(cursor, 176400u);
  EXPECT_EQ(stream->Stop(), SD_OK);
  EXPECT_EQ(stream->Set_Current_Position(0), SD_OK);
  EXPECT_EQ(stream->Get_Current_Position(cursor), SD_OK);
  EXPECT_EQ(cursor, 0u);

  desc.format = Pcm(2, 44100, 24);
  EXPECT_EQ(device->Create_Buffer(desc, stream), SDERR_BADFORMAT);
  EXPECT_FALSE(stream);
}
