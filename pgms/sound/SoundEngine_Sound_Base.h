// The sound device of the effects with its static 2D and 3D buffers and the
// 3D listener.
//
// No routine raises: device failures are logged (DS_Log_Error) and the
// routine goes on with what exists; wave failures are logged by code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Sound_Device.h"

// The effects' device (null until SoundBase_Initialize_DirectSound opened one).
TSound_Device* SoundBase_Get_Device();

// The device's counts of hardware buffers (0 until read).
std::uint32_t SoundBase_Max_HW_Static_Buffers();
std::uint32_t SoundBase_Free_HW_Static_Buffers();
std::uint32_t SoundBase_Max_HW_3D_Static_Buffers();
std::uint32_t SoundBase_Free_HW_3D_Static_Buffers();

void SoundBase_Initialize_DirectSound();
void SoundBase_Free_DirectSound();
// Loads the wave file into a new static buffer (volume and pan controls).
bool SoundBase_LoadSound(const std::string& file_name, std::unique_ptr<TSound_Buffer>& buffer);
// Loads the wave file into a new static positional buffer.
bool SoundBase_Load3DSound(const std::string& file_name, std::unique_ptr<TSound_Buffer>& buffer);
// The primary buffer (mono 16 bit at 44100 Hz) and its listener.
void SoundBase_Create3DListener(std::unique_ptr<TSound_Buffer>& primary, std::unique_ptr<TSound_Listener>& listener);

// Log lines of a failed wave or device call (nothing for code 0).
void Wave_Log_Error(std::uint32_t code, const std::string& place);
void DS_Log_Error(TSound_Result code, const std::string& place);
