// The streamed music: a mixer with a sound device of its own and channels,
// each playing one audio file through a looping streaming buffer that its
// threaded timer refills from the file's reader on the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Errors.h"
#include "SoundEngine_Music_AudioFileRead.h"
#include "Sound_Device.h"
#include "ThreadTimer.h"

class EDirectXError : public EGlobarch_Error {
public:
  EDirectXError(const std::string& message, TSound_Result code) : EGlobarch_Error(message), f_code(code) {}
  TSound_Result Code() const { return f_code; }

private:
  TSound_Result f_code;
};

// Nothing for SD_OK; otherwise logs the code's name, description, the code
// and the place (sound section) and raises EDirectXError.
void DirectX_Check(TSound_Result code, const std::string& place);

// The output devices found at start: descriptions and identifiers.
const std::vector<std::string>& DSMixer_Device_Descriptions();
const std::vector<std::string>& DSMixer_Device_Identifiers();

// The millisecond clock of the channels (tests replace it; nullptr restores
// Tick_Count).
void DSMixer_Set_Tick_Source(std::function<std::uint32_t()> source);

enum TDSMixer_Level { dsl_normal, dsl_priority, dsl_exclusive };

class TDSMixerChannel;

class TDSMixer {
public:
  TDSMixer();
  virtual ~TDSMixer();
  TDSMixer(const TDSMixer&) = delete;
  TDSMixer& operator=(const TDSMixer&) = delete;

  void InsertChannel(TDSMixerChannel* channel);
  void RemoveChannel(TDSMixerChannel* channel);
  void NeedDirectSound();
  void DestroyDirectSound();
  TSound_Device* GetDirectSound();
  void SetSamplesPerSec(std::uint32_t frequency);
  void SetSpeakerConfig(std::uint32_t config) { SpeakerConfig = config; }
  virtual void DoChangedDS();

  std::uint16_t BitsPerSample = 16;
  bool Stereo = true;
  std::uint32_t Frequency = 44100;
  TDSMixer_Level Level = dsl_priority;
  std::uint32_t SpeakerConfig = 4;
  bool Active = true;
  std::int32_t Device = 0;

private:
  std::unique_ptr<TSound_Device> f_device;
  std::unique_ptr<TSound_Buffer> f_primary;
  std::vector<TDSMixerChannel*> f_channels;
};

// The ring of the last filled pieces: buffer start and end, sample start
// and end time.
struct TPosition_Time {
  std::uint32_t buffer_start = 0, buffer_end = 0;
  std::int64_t time_start = 0, time_end = 0;
};

class TPositionTimes {
public:
  void Add(std::uint32_t buffer_start, std::uint32_t buffer_end, std::int64_t time_start, std::int64_t time_end);
  void Clear() { f_count = 0; }
  std::int32_t Count() const { return f_count; }

private:
  TPosition_Time f_items[50];
  std::int32_t f_next = 0;
  std::int32_t f_count = 0;
};

class TDSMixerChannel {
public:
  explicit TDSMixerChannel(TDSMixer* mixer);
  ~TDSMixerChannel();
  TDSMixerChannel(const TDSMixerChannel&) = delete;
  TDSMixerChannel& operator=(const TDSMixerChannel&) = delete;

  void SetFileName(const std::string& name);
  void SetLoop(bool loop) { f_loop = loop; }
  void SetVolume(std::int32_t volume);
  void SetPan(std::int32_t pan);
  void SetBufferLength(std::uint32_t ms);
  void SetInterval(std::uint32_t ms);
  void SetRangeStart(std::uint32_t ms);
  void SetRangeEnd(std::uint32_t ms);
  void Play();
  void Stop();
  void Fade(std::uint32_t time, std::int32_t end_volume);
  void Prepare();
  void FreeBuffer();
  void OnTimer();

  const std::string& FileName() const { return f_file_name; }
  bool Loop() const { return f_loop; }
  std::int32_t Volume() const { return f_volume; }
  std::int32_t Pan() const { return f_pan; }
  bool Playing() const { return f_state == 1; }
  bool Fading() const { return f_fading; }
  std::uint32_t Length() const { return f_length; }
  std::uint32_t RangeStart() const { return f_range_start; }
  std::uint32_t RangeEnd() const { return f_range_end; }
  std::uint32_t BufferLength() const { return f_buffer_length; }
  std::uint32_t Interval() const { return f_interval; }
  std::uint32_t BufferSize() const { return f_buffer_size; }
  std::uint32_t EndThreshold() const { return f_end_threshold; }
  std::int64_t EndPosition() const { return f_end_position; }
  std::uint32_t WritePosition() const { return f_write_position; }
  TSound_Buffer* Buffer() const { return f_buffer.get(); }
  TThreadedTimer& Timer() { return f_timer; }
  const TWave_Format* ReaderFormat() const { return f_reader ? &f_reader->Format() : nullptr; }

  std::function<void(TDSMixerChannel& sender)> OnEnd;
  std::function<void(TDSMixerChannel& sender)> OnBufferLost;
  std::function<void(TDSMixerChannel& sender)> OnFadeEnd;

private:
  friend class TDSMixer;
  void InitBufferVars();
  void InitFileVars();
  void FreeFile();
  void NeedFile();
  void NeedBuffer();
  void FillBuffer();
  void ReadFileToBuffer(std::uint32_t offset, std::uint32_t count);
  void DoBufferLost();

  TDSMixer* f_mixer;
  std::unique_ptr<TSound_Buffer> f_buffer;
  std::string f_file_name;
  std::unique_ptr<TAudioFileReader> f_reader;
  bool f_loop = false;
  std::uint32_t f_samples_per_sec = 44100;
  std::uint16_t f_channels = 0, f_bits_per_sample = 0, f_block_align = 0;
  std::uint32_t f_length = 0;
  std::uint32_t f_range_start = 0, f_range_end = 0;
  std::uint32_t f_buffer_length = 4000;
  std::uint32_t f_interval = 400;
  std::uint32_t f_buffer_size = 0, f_end_threshold = 0;
  std::uint32_t f_write_position = 0;
  bool f_filled = false;
  std::int64_t f_end_position = -1;
  bool f_end_passed = false;
  std::uint32_t f_last_refill_tick = 0;
  std::int32_t f_volume = 0, f_pan = 0;
  std::int32_t f_state = 0;
  bool f_fading = false;
  std::uint32_t f_fade_start_tick = 0, f_fade_end_tick = 0;
  std::int32_t f_fade_start_volume = 0, f_fade_end_volume = 0;
  std::vector<std::uint8_t> f_staging;
  TThreadedTimer f_timer;
  TPositionTimes f_position_times;
};
