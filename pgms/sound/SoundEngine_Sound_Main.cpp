#include "SoundEngine_Sound_Main.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "Datafile_UserSettings.h"
#include "Debug_Log.h"
#include "MachineOptions.h"
#include "Path.h"
#include "SoundEngine_Music_Base.h"
#include "SoundEngine_Sound_Base.h"
#include "SoundEngine_Sound_List.h"

namespace {
std::unique_ptr<TSound_Buffer> Listener_Buffer;
std::unique_ptr<TSound_Listener> Listener;
bool Listener_Active = false;
TSound_Vector Last_Listener_Position;
std::int32_t Sound_Volume = 0;
// The buffer of the last sound file played on its own.
std::unique_ptr<TSound_Buffer> File_Buffer;

void Engine_Log(const std::string& text) {
  if (Debug_Sections[DEBUG_ENGINE_STARTUP]) Debug_Log_Write(text);
}

double Distance_To_Listener(const TSound_Vector& p) {
  double dx = p.x - Last_Listener_Position.x, dy = p.y - Last_Listener_Position.y,
         dz = p.z - Last_Listener_Position.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}
}  // namespace

bool Sound_Allowed() { return User_Settings.f_allow_sound && (!Machine_Options || Machine_Options->f_play_sounds); }

std::string Sound_UI_Sound_Name(std::int32_t number) {
  switch (number) {
    case 9: return "General Error";
    case 10: return "Button Click";
    case 11: return "End Turn";
    case 14: return "Select Item";
    case 15: return "Window Opened";
    case 16: return "Window Closed";
    default: return "";
  }
}

std::int32_t Sound_Get_Volume() { return Sound_Volume; }
TSound_Vector Sound_Last_Listener_Position() { return Last_Listener_Position; }

void Sound_Update_Volume_Settings() {
  if (!User_Settings.f_allow_sound) return;
  std::int32_t level = Machine_Options ? Machine_Options->f_sound_volume : 100;
  switch (level) {
    case 0: Sound_Volume = -10000; break;
    case 20: Sound_Volume = -2000; break;
    case 40: Sound_Volume = -1000; break;
    case 60: Sound_Volume = -500; break;
    case 80: Sound_Volume = -250; break;
    case 100: Sound_Volume = 0; break;
    default: break;
  }
}

void Sound_Intialize_Sound_System() {
  if (!Sound_Allowed()) return;
  try {
    Engine_Log("Sound_Intialize_Sound_System - Sound_Update_Volume_Settings");
    Sound_Volume = 0;
    Sound_Update_Volume_Settings();
    Engine_Log("Sound_Intialize_Sound_System - SoundBase_Initialize_DirectSound");
    SoundBase_Initialize_DirectSound();
    Engine_Log("Sound_Intialize_Sound_System - SoundBase_Create3DListener");
    Listener.reset();
    Listener_Buffer.reset();
    SoundBase_Create3DListener(Listener_Buffer, Listener);
    if (Listener_Buffer)
      DS_Log_Error(Listener_Buffer->Play(true), "Sound_Intialize_Sound_System - IDSB_3D_Listener_Buffer.Play");
    Engine_Log("Sound_Intialize_Sound_System - Sound_Music_Init");
    Sound_Music_Init();
  } catch (...) {
  }
}

void Sound_Free_Sound_System() {
  if (!Sound_Allowed()) return;
  Sound_Free_Sound_List();
  File_Buffer.reset();
  Listener.reset();
  Listener_Buffer.reset();
  SoundBase_Free_DirectSound();
  Sound_Music_Free();
}

bool Load_All_Sound_Effects() {
  if (!Sound_Allowed()) return true;
  if (!Path_Settings) return false;
  return Load_Master_Sound_List(Path_Settings->m_Get_SoundEffects_File());
}

void Activate_3D_Sound_Listener(bool active) { Listener_Active = active; }

void Set_3D_Sound_Listener(const TSound_Vector& front, const TSound_Vector& top, const TSound_Vector& position,
                           const TSound_Vector& velocity) {
  if (!Sound_Allowed() || !SoundBase_Get_Device() || !Listener_Active) return;
  if (Sound_List) {
    Sound_List->f_volume = Sound_Volume;
    Sound_List->Play_All_Queued_Sounds();
  }
  if (Listener) {
    Last_Listener_Position = position;
    TListener_Params p;
    p.position = position;
    p.velocity = velocity;
    p.front = {front.x, front.y, -front.z};
    p.top = {top.x, top.y, -top.z};
    DS_Log_Error(Listener->Set_All_Parameters(p), "Set_3D_Sound_Listener - SetAllParameters");
    DS_Log_Error(Listener->Commit_Deferred_Settings(), "Set_3D_Sound_Listener - CommitDeferredSettings");
  }
}

std::int32_t Sound_Play_3D_Sound(const std::string& name, std::int32_t halve, const TSound_Vector& position,
                                 const TSound_Vector& velocity) {
  if (!Sound_List || !Sound_Allowed()) return 0;
  return Sound_List->Play_3D_Sound(name, halve, Distance_To_Listener(position), position, velocity);
}

std::int32_t Sound_Update_3D_Sound_Position(const std::string& name, std::int32_t halve, std::int32_t handle,
                                            const TSound_Vector& position, const TSound_Vector& velocity) {
  if (!Sound_List || !Sound_Allowed()) return 0;
  return Sound_List->Update_3D_Sound_Position(name, halve, handle, Distance_To_Listener(position), position,
                                              velocity);
}

void Sound_Stop_3D_Sound(std::int32_t handle) {
  if (Sound_List && Sound_Allowed()) Sound_List->Stop_3D_Sound(handle);
}

void Sound_Play_Sound_By_Name(const std::string& name, std::int32_t volume_offset, std::int32_t check) {
  if (Sound_List && Sound_Allowed()) {
    // The buffer's volume cannot go below silence.
    std::int32_t volume = std::max(Sound_Volume + volume_offset, -10000);
    Sound_List->Play_Sound(name, std::min(volume, 0), check);
  } else if (!name.empty()) {
    Sound_Play_Sound_File(name);
  }
}

void Sound_Play_UI_Sound(std::int32_t number, std::int32_t volume_offset) {
  Sound_Play_Sound_By_Name(Sound_UI_Sound_Name(number), volume_offset, -1);
}

void Sound_Play_Sound_File(const std::string& name) {
  if (!Sound_Allowed() || !Path_Settings) return;
  File_Buffer.reset();
  if (SoundBase_LoadSound(Path_Settings->m_Get_Sound_File(name), File_Buffer))
    DS_Log_Error(File_Buffer->Play(false), "Sound_Play_Sound_File - Play");
}
