#include "SoundEngine_Music_DSMixer.h"

#include <algorithm>
#include <cstring>

#include "Debug_Log.h"
#include "Global.h"

namespace {
std::function<std::uint32_t()>& Tick_Source() {
  static std::function<std::uint32_t()> source;
  return source;
}

std::uint32_t Now() { return Tick_Source() ? Tick_Source()() : Tick_Count(); }

struct TDevice_Lists {
  std::vector<std::string> descriptions, identifiers;
  TDevice_Lists() { Sound_Enumerate_Devices(descriptions, identifiers); }
};

TDevice_Lists& Device_Lists() {
  static TDevice_Lists lists;
  return lists;
}

void Sound_Log(const std::string& text) {
  if (Debug_Sections[DEBUG_SOUND_BASE]) Debug_Log_Write(text);
}
}  // namespace

void DSMixer_Set_Tick_Source(std::function<std::uint32_t()> source) { Tick_Source() = std::move(source); }

const std::vector<std::string>& DSMixer_Device_Descriptions() { return Device_Lists().descriptions; }
const std::vector<std::string>& DSMixer_Device_Identifiers() { return Device_Lists().identifiers; }

void DirectX_Check(TSound_Result code, const std::string& place) {
  if (code == SD_OK) return;
  Sound_Log(Sound_Error_Name(code) + " - " + Sound_Error_Description(code) + " - " + std::to_string(code) + ": " +
            place);
  throw EDirectXError(Sound_Error_Name(code) + " - " + Sound_Error_Description(code), code);
}

// ------------------------------------------------------------------ mixer

TDSMixer::TDSMixer() = default;

TDSMixer::~TDSMixer() {
  DestroyDirectSound();
  while (!f_channels.empty()) delete f_channels.back();
}

void TDSMixer::InsertChannel(TDSMixerChannel* channel) {
  if (std::find(f_channels.begin(), f_channels.end(), channel) == f_channels.end()) f_channels.push_back(channel);
}

void TDSMixer::RemoveChannel(TDSMixerChannel* channel) {
  f_channels.erase(std::remove(f_channels.begin(), f_channels.end(), channel), f_channels.end());
}

void TDSMixer::SetSamplesPerSec(std::uint32_t frequency) { Frequency = std::clamp<std::uint32_t>(frequency, 100, 100000); }

void TDSMixer::DoChangedDS() { Sound_Log("TDSMixer.DoChangedDS"); }

void TDSMixer::NeedDirectSound() {
  if (!Active || f_device) return;
  std::string identifier;
  const auto& ids = DSMixer_Device_Identifiers();
  if (Device >= 0 && std::size_t(Device) < ids.size()) identifier = ids[std::size_t(Device)];
  DirectX_Check(Sound_Device_Create(identifier, f_device), "TDSMixer.NeedDirectSound - DirectSoundCreate");
  DoChangedDS();
  TSound_Buffer_Desc desc;
  desc.flags = SDBCAPS_PRIMARYBUFFER;
  DirectX_Check(f_device->Create_Buffer(desc, f_primary), "TDSMixer.NeedDirectSound - CreateSoundBuffer");
  if (Level != dsl_normal) {
    TWave_Format format;
    DirectX_Check(f_primary->Get_Format(format), "TDSMixer.NeedDirectSound - GetFormat");
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = Stereo ? 2 : 1;
    format.wBitsPerSample = std::uint16_t(8 << (BitsPerSample == 8 ? 0 : 1));
    format.nSamplesPerSec = Frequency;
    format.nBlockAlign = std::uint16_t(format.wBitsPerSample * format.nChannels / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    DirectX_Check(f_primary->Set_Format(format), "TDSMixer.NeedDirectSound - SetFormat");
    DirectX_Check(f_primary->Get_Format(format), "TDSMixer.NeedDirectSound - GetFormat");
    Stereo = format.nChannels == 2;
    BitsPerSample = format.wBitsPerSample;
    Frequency = format.nSamplesPerSec;
  }
  f_primary->Play(true);
}

void TDSMixer::DestroyDirectSound() {
  for (TDSMixerChannel* c : f_channels) c->FreeBuffer();
  f_primary.reset();
  bool had = f_device != nullptr;
  f_device.reset();
  if (had) DoChangedDS();
}

TSound_Device* TDSMixer::GetDirectSound() {
  NeedDirectSound();
  return f_device.get();
}

// ---------------------------------------------------------- position times

void TPositionTimes::Add(std::uint32_t buffer_start, std::uint32_t buffer_end, std::int64_t time_start,
                         std::int64_t time_end) {
  if (time_end < time_start || buffer_end <= buffer_start)
    Sound_Log("ERROR - Internal Error: Time Start higher then Time End");
  f_items[f_next] = {buffer_start, buffer_end, time_start, time_end};
  f_next = (f_next + 1) % 50;
  if (f_count < 50) ++f_count;
}

// ----------------------------------------------------------------- channel

TDSMixerChannel::TDSMixerChannel(TDSMixer* mixer) : f_mixer(mixer) {
  InitBufferVars();
  InitFileVars();
  f_timer.OnTimer = [this](TThreadedTimer&) { OnTimer(); };
  SetBufferLength(4000);
  SetInterval(400);
  if (f_mixer) f_mixer->InsertChannel(this);
}

TDSMixerChannel::~TDSMixerChannel() {
  if (f_mixer) f_mixer->RemoveChannel(this);
  f_timer.SetEnabled(false);
  try {
    FreeBuffer();
  } catch (...) {
  }
  f_reader.reset();
}

void TDSMixerChannel::InitBufferVars() {
  f_buffer_size = 0;
  f_end_threshold = 0;
  f_write_position = 0;
  f_filled = false;
  f_end_position = -1;
  f_end_passed = false;
  f_last_refill_tick = 0;
  f_state = 0;
  f_fading = false;
}

void TDSMixerChannel::InitFileVars() {
  f_volume = 0;
  f_pan = 0;
  f_loop = false;
  f_range_start = 0;
  f_range_end = 0;
  f_samples_per_sec = 44100;
  f_channels = 0;
  f_bits_per_sample = 0;
  f_block_align = 0;
  f_length = 0;
  f_file_name.clear();
}

void TDSMixerChannel::SetFileName(const std::string& name) {
  FreeBuffer();
  FreeFile();
  if (name.empty()) return;
  try {
    f_reader = std::make_unique<TAudioFileReader>(name);
    f_length = std::uint32_t(std::min<std::int64_t>(f_reader->Duration() / 10000, 0xFFFFFFFF));
    if (f_length == 0) throw EGlobarch_Error("Audio file is empty.");
    const TWave_Format& f = f_reader->Format();
    if (f.nChannels != 1 && f.nChannels != 2) throw EGlobarch_Error("Invalid number of channels.");
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) throw EGlobarch_Error("Invalid number of bits per sample.");
    f_samples_per_sec = f.nSamplesPerSec;
    f_channels = f.nChannels;
    f_bits_per_sample = f.wBitsPerSample;
    f_block_align = f.nBlockAlign;
    SetRangeStart(f_range_start);
    SetRangeEnd(f_range_end);
    f_file_name = name;
  } catch (...) {
    // A file that cannot be played is not kept open.
    f_reader.reset();
    InitFileVars();
    throw;
  }
}

void TDSMixerChannel::SetRangeStart(std::uint32_t ms) {
  if (!f_reader) {
    f_range_start = ms;
    return;
  }
  std::int64_t units = std::int64_t(ms) * 10000;
  if (f_reader->RangeStart() != units) f_reader->SetRangeStart(units);
  f_range_start = std::uint32_t(f_reader->RangeStart() / 10000);
  f_range_end = std::uint32_t(f_reader->RangeLength() / 10000 + f_range_start);
}

void TDSMixerChannel::SetRangeEnd(std::uint32_t ms) {
  if (!f_reader) {
    f_range_end = ms;
    return;
  }
  // An end of 0 plays to the end of the file.
  std::int64_t length = ms == 0 ? 0 : std::int64_t(ms) * 10000 - f_reader->RangeStart();
  if (f_reader->RangeLength() != length) f_reader->SetRangeLength(length);
  f_range_start = std::uint32_t(f_reader->RangeStart() / 10000);
  f_range_end = std::uint32_t(f_reader->RangeLength() / 10000 + f_range_start);
}

void TDSMixerChannel::SetVolume(std::int32_t volume) {
  f_volume = volume;
  if (f_buffer) DirectX_Check(f_buffer->Set_Volume(volume), "TDSMixer.SetVolume - SetVolume");
}

void TDSMixerChannel::SetPan(std::int32_t pan) {
  f_pan = pan;
  if (f_buffer) DirectX_Check(f_buffer->Set_Pan(pan), "TDSMixer.SetPan - SetPan");
}

void TDSMixerChannel::SetBufferLength(std::uint32_t ms) {
  if (!f_staging.empty()) return;
  f_buffer_length = std::clamp<std::uint32_t>(ms, 1000, 60000);
  SetInterval(f_interval);
}

void TDSMixerChannel::SetInterval(std::uint32_t ms) {
  if (!f_staging.empty() || ms == 0) return;
  f_interval = ms;
  if (f_buffer_length / f_interval > 50) f_interval = f_buffer_length / 50;
  f_timer.SetInterval(f_buffer_length / f_interval > 1 ? f_interval : f_buffer_length / 2);
}

void TDSMixerChannel::NeedFile() {
  if (!f_reader) throw EGlobarch_Error("No file opened");
}

void TDSMixerChannel::NeedBuffer() {
  if (f_buffer) return;
  NeedFile();
  const TWave_Format& f = f_reader->Format();
  std::uint64_t size = std::uint64_t(f.nAvgBytesPerSec) * f_buffer_length / 1000;
  size = size / f.nBlockAlign * f.nBlockAlign;
  f_buffer_size = Checked_Cast<std::uint32_t>(size);
  f_end_threshold = std::uint32_t(std::uint64_t(f_buffer_size) * 40 / 100);
  f_staging.assign(f_buffer_size, 0);
  TSound_Device* device = f_mixer ? f_mixer->GetDirectSound() : nullptr;
  if (!device) {
    f_staging.clear();
    DirectX_Check(SDERR_NODRIVER, "TDSMixer.NeedBuffer - CreateSoundBuffer");
  }
  TSound_Buffer_Desc desc;
  desc.flags = SDBCAPS_GETCURRENTPOSITION2 | SDBCAPS_GLOBALFOCUS | SDBCAPS_CTRLVOLUME | SDBCAPS_CTRLPAN |
               SDBCAPS_CTRLFREQUENCY;
  desc.size = f_buffer_size;
  desc.format = f;
  TSound_Result r = device->Create_Buffer(desc, f_buffer);
  if (r != SD_OK) f_staging.clear();
  DirectX_Check(r, "TDSMixer.NeedBuffer - CreateSoundBuffer");
  DirectX_Check(f_buffer->Set_Volume(f_volume), "TDSMixer.SetVolume - SetVolume");
  DirectX_Check(f_buffer->Set_Pan(f_pan), "TDSMixer.SetPan - SetPan");
}

void TDSMixerChannel::Prepare() {
  if (!f_filled) FillBuffer();
}

void TDSMixerChannel::FillBuffer() {
  NeedBuffer();
  if (!f_filled) {
    ReadFileToBuffer(0, f_buffer_size);
    f_filled = true;
    return;
  }
  std::uint32_t cursor = 0;
  DirectX_Check(f_buffer->Get_Current_Position(cursor), "TDSMixer.FillBuffer - GetCurrentPosition");
  cursor = std::min(cursor, f_buffer_size) / f_block_align * f_block_align;
  if (cursor < f_write_position) {
    ReadFileToBuffer(f_write_position, f_buffer_size - f_write_position);
    if (f_buffer) ReadFileToBuffer(0, cursor);
  } else {
    ReadFileToBuffer(f_write_position, cursor - f_write_position);
  }
  f_write_position = cursor;
}

void TDSMixerChannel::ReadFileToBuffer(std::uint32_t offset, std::uint32_t count) {
  if (count == 0 || !f_buffer) return;
  std::uint32_t pos = offset;
  std::uint32_t remain = count;
  bool empty_lap = false;
  while (remain > 0) {
    if (f_end_position == -1) {
      std::uint32_t got = f_reader->Read(f_staging.data() + pos, remain);
      if (got > 0) f_position_times.Add(pos, pos + got, f_reader->SampleStart(), f_reader->SampleEnd());
      if (got < remain) {
        // The file has ended: a looping file goes on from its start; a
        // range that gives nothing even from its start ends the file too.
        if (!f_loop || (got == 0 && empty_lap)) f_end_position = pos + got;
        empty_lap = got == 0;
        f_reader->SetPosition(f_reader->RangeStart());
      }
      pos += got;
      remain -= got;
    } else {
      std::memset(f_staging.data() + pos, f_bits_per_sample == 8 ? 128 : 0, remain);
      f_position_times.Add(pos, pos + remain, 0, 0);
      pos += remain;
      remain = 0;
    }
  }
  std::uint32_t written = 0;
  TSound_Result r = f_buffer->Write(offset, f_staging.data() + offset, count, written);
  if (r == SDERR_BUFFERLOST) {
    DoBufferLost();
    return;
  }
  DirectX_Check(r, "TDSMixer.ReadFileToBuffer - Lock");
  if (written != count) Sound_Log("ERROR - Locked different size from requested");
}

void TDSMixerChannel::DoBufferLost() {
  FreeBuffer();
  if (OnBufferLost) OnBufferLost(*this);
}

void TDSMixerChannel::OnTimer() {
  if (!f_buffer) return;
  std::uint32_t now = Now();
  auto distance_to_end = [this]() {
    std::uint32_t cursor = 0;
    DirectX_Check(f_buffer->Get_Current_Position(cursor), "TDSMixer.OnTimer - GetCurrentPosition");
    std::int64_t distance = f_end_position - std::int64_t(cursor);
    if (distance <= 0) distance += f_buffer_size;
    return distance;
  };
  if (f_end_passed) {
    if (distance_to_end() > f_end_threshold) {
      Stop();
      if (OnEnd) OnEnd(*this);
      return;
    }
  }
  if (now - f_last_refill_tick >= f_interval) {
    f_last_refill_tick = now;
    if (f_end_position != -1 && distance_to_end() <= f_end_threshold) f_end_passed = true;
    FillBuffer();
  }
  if (f_fading && f_state == 1 && f_buffer) {
    if (std::int32_t(now - f_fade_end_tick) < 0) {
      std::int64_t span = std::int64_t(f_fade_end_tick - f_fade_start_tick);
      std::int64_t done = std::int64_t(now - f_fade_start_tick);
      SetVolume(std::int32_t(f_fade_start_volume + (f_fade_end_volume - f_fade_start_volume) * done / span));
    } else {
      f_fading = false;
      SetVolume(f_fade_end_volume);
      if (OnFadeEnd) OnFadeEnd(*this);
    }
  }
}

void TDSMixerChannel::Fade(std::uint32_t time, std::int32_t end_volume) {
  if (end_volume < -10000 || end_volume > 0) throw EGlobarch_Error("Fade error: EndVolume out of range");
  if (time > 60000) throw EGlobarch_Error("Fade error: Too long fade time");
  if (f_state != 1) return;
  f_fade_start_tick = Now();
  f_fade_end_tick = f_fade_start_tick + time;
  f_fade_start_volume = f_volume;
  f_fade_end_volume = end_volume;
  f_fading = true;
}

void TDSMixerChannel::Play() {
  if (f_state == 1) return;
  NeedBuffer();
  Prepare();
  if (!f_buffer) return;
  TSound_Result r = f_buffer->Play(true);
  if (r == SDERR_BUFFERLOST) {
    DoBufferLost();
    return;
  }
  DirectX_Check(r, "TDSMixer.Play - Play");
  f_state = 1;
  f_timer.SetEnabled(true);
}

void TDSMixerChannel::Stop() {
  if (!f_buffer) return;
  f_timer.SetEnabled(false);
  DirectX_Check(f_buffer->Stop(), "TDSMixer.Stop - Stop");
  f_state = 0;
  f_fading = false;
  DirectX_Check(f_buffer->Set_Current_Position(0), "TDSMixer.Stop - SetCurrentPosition");
  f_write_position = 0;
  if (f_reader) f_reader->SetPosition(f_reader->RangeStart());
  f_filled = false;
  f_end_position = -1;
  f_end_passed = false;
}

void TDSMixerChannel::FreeBuffer() {
  if (f_buffer) Stop();
  f_buffer.reset();
  f_staging.clear();
  f_staging.shrink_to_fit();
  InitBufferVars();
}

void TDSMixerChannel::FreeFile() {
  FreeBuffer();
  f_reader.reset();
  InitFileVars();
}
