#include "SoundEngine_Sound_Base.h"

#include <vector>

#include "Debug_Log.h"
#include "SoundEngine_Sound_DSWaveFiles.h"

namespace {
std::unique_ptr<TSound_Device> Effects_Device;
TSound_Caps Caps;

void Engine_Log(const std::string& text) {
  if (Debug_Sections[DEBUG_ENGINE_STARTUP]) Debug_Log_Write(text);
}

void Sound_Log(const std::string& text) {
  if (Debug_Sections[DEBUG_SOUND_BASE]) Debug_Log_Write(text);
}

// Opens the file, finds its data and makes a buffer of its size with the
// flags; on a rejected mute-at-maximum-distance flag (3D) once more without.
bool Load(const std::string& file_name, std::unique_ptr<TSound_Buffer>& buffer, bool positional) {
  const std::string prefix = positional ? "SoundBase_Load3DSound - " : "SoundBase_LoadSound - ";
  buffer.reset();
  if (!Effects_Device) return false;
  TWave_Handle handle;
  std::unique_ptr<TWave_Format> format;
  TWave_Chunk_Info riff, data;
  std::uint32_t code = WaveOpenFile(file_name, handle, format, riff);
  Wave_Log_Error(code, prefix + "WaveOpenFile");
  if (code != 0) return false;
  if (positional) {
    Sound_Log("Filename          = " + file_name);
    Sound_Log("wFormatTag        = " + std::to_string(format->wFormatTag));
    Sound_Log("nChannels         = " + std::to_string(format->nChannels));
    Sound_Log("nSamplesPerSec    = " + std::to_string(format->nSamplesPerSec));
    Sound_Log("nAvgBytesPerSec   = " + std::to_string(format->nAvgBytesPerSec));
    Sound_Log("nBlockAlign       = " + std::to_string(format->nBlockAlign));
    Sound_Log("wBitsPerSample    = " + std::to_string(format->wBitsPerSample));
    Sound_Log("cbSize            = " + std::to_string(format->cbSize));
  }
  code = WaveStartDataRead(handle, data, riff);
  Wave_Log_Error(code, prefix + "WaveStartDataRead");
  if (code != 0) {
    WaveCloseReadFile(handle, format);
    return false;
  }
  TSound_Buffer_Desc desc;
  desc.size = data.cksize;
  desc.format = *format;
  TSound_Result r;
  if (positional) {
    desc.flags = SDBCAPS_STATIC | SDBCAPS_CTRL3D | SDBCAPS_MUTE3DATMAXDISTANCE;
    r = Effects_Device->Create_Buffer(desc, buffer);
    DS_Log_Error(r, prefix + "CreateSoundBuffer 1");
    if (r == SDERR_INVALIDPARAM) {
      Sound_Log("** Invalid Param **");
      Sound_Log("Create buffer again without DSBCAPS_MUTE3DATMAXDISTANCE");
      desc.flags = SDBCAPS_CTRL3D;
      r = Effects_Device->Create_Buffer(desc, buffer);
      DS_Log_Error(r, prefix + "CreateSoundBuffer 2");
    }
  } else {
    desc.flags = SDBCAPS_STATIC | SDBCAPS_CTRLPAN | SDBCAPS_CTRLVOLUME;
    r = Effects_Device->Create_Buffer(desc, buffer);
    DS_Log_Error(r, prefix + "CreateSoundBuffer");
  }
  bool loaded = false;
  if (buffer) {
    std::vector<std::uint8_t> bytes;
    bytes.resize(data.cksize);
    std::uint32_t got = 0;
    code = WaveReadFile(handle, data.cksize, bytes.data(), data, got);
    Wave_Log_Error(code, prefix + "WaveReadFile");
    std::uint32_t written = 0;
    DS_Log_Error(buffer->Write(0, bytes.data(), got, written), prefix + "Buffer.Lock");
    loaded = true;
  }
  Wave_Log_Error(WaveCloseReadFile(handle, format), prefix + "WaveCloseReadFile");
  return loaded;
}
}  // namespace

TSound_Device* SoundBase_Get_Device() { return Effects_Device.get(); }
std::uint32_t SoundBase_Max_HW_Static_Buffers() { return Caps.max_hw_static_buffers; }
std::uint32_t SoundBase_Free_HW_Static_Buffers() { return Caps.free_hw_static_buffers; }
std::uint32_t SoundBase_Max_HW_3D_Static_Buffers() { return Caps.max_hw_3d_static_buffers; }
std::uint32_t SoundBase_Free_HW_3D_Static_Buffers() { return Caps.free_hw_3d_static_buffers; }

void Wave_Log_Error(std::uint32_t code, const std::string& place) {
  if (code == 0 || !Debug_Sections[DEBUG_ENGINE_STARTUP]) return;
  Debug_Log_Write(Wave_Error_Text(code) + " - " + std::to_string(code) + ": " + place);
}

void DS_Log_Error(TSound_Result code, const std::string& place) {
  if (code == SD_OK || !Debug_Sections[DEBUG_SOUND_BASE]) return;
  Debug_Log_Write(Sound_Error_Name(code) + " - " + Sound_Error_Description(code) + " - " + std::to_string(code) +
                  ": " + place);
}

void SoundBase_Initialize_DirectSound() {
  Engine_Log("*** SoundBase_Initialize_DirectSound - Start ***");
  Effects_Device.reset();
  Caps = TSound_Caps();
  TSound_Result r = Sound_Device_Create("", Effects_Device);
  DS_Log_Error(r, "SoundBase_Initialize_DirectSound - DirectSoundCreate8");
  if (Effects_Device) {
    TSound_Caps caps;
    r = Effects_Device->Get_Caps(caps);
    DS_Log_Error(r, "SoundBase_Initialize_DirectSound - GetCaps");
    if (r == SD_OK) Caps = caps;
  }
  Engine_Log("*** SoundBase_Initialize_DirectSound - End ***");
}

void SoundBase_Free_DirectSound() {
  Engine_Log("SoundBase_Free_DirectSound - Start");
  Effects_Device.reset();
  Caps = TSound_Caps();
  Engine_Log("SoundBase_Free_DirectSound - End");
}

bool SoundBase_LoadSound(const std::string& file_name, std::unique_ptr<TSound_Buffer>& buffer) {
  return Load(file_name, buffer, false);
}

bool SoundBase_Load3DSound(const std::string& file_name, std::unique_ptr<TSound_Buffer>& buffer) {
  return Load(file_name, buffer, true);
}

void SoundBase_Create3DListener(std::unique_ptr<TSound_Buffer>& primary, std::unique_ptr<TSound_Listener>& listener) {
  primary.reset();
  listener.reset();
  if (!Effects_Device) return;
  TSound_Buffer_Desc desc;
  desc.flags = SDBCAPS_PRIMARYBUFFER | SDBCAPS_CTRL3D;
  TSound_Result r = Effects_Device->Create_Buffer(desc, primary);
  DS_Log_Error(r, "SoundBase_Create3DListener - CreateSoundBuffer");
  if (!primary) return;
  TWave_Format format;
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = 44100;
  format.nAvgBytesPerSec = 88200;
  format.nBlockAlign = 2;
  format.wBitsPerSample = 16;
  DS_Log_Error(primary->Set_Format(format), "SoundBase_Create3DListener - SetFormat");
  DS_Log_Error(Effects_Device->Create_Listener(listener), "SoundBase_Create3DListener - QueryInterface");
}
