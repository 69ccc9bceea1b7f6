// The routines through which the game uses sound: start and stop of the
// sound system, loading the effects, the sound volume, the listener of each
// frame with the flush of the play queue, positional and plain sounds by
// name and handle, and the interface sounds by number.
//
// Sound is allowed when the user settings' "Allow Sound" and the machine
// options' "Play Sounds" (when they exist) are on; otherwise every routine
// does nothing (positional plays give handle 0). Nothing here raises.
#pragma once

#include <cstdint>
#include <string>

#include "Sound_Device.h"

bool Sound_Allowed();

// The effect name of an interface sound (9, 10, 11, 14, 15, 16); empty for
// another number.
std::string Sound_UI_Sound_Name(std::int32_t number);

void Sound_Intialize_Sound_System();
void Sound_Free_Sound_System();
bool Load_All_Sound_Effects();
void Sound_Update_Volume_Settings();
void Activate_3D_Sound_Listener(bool active);
void Set_3D_Sound_Listener(const TSound_Vector& front, const TSound_Vector& top, const TSound_Vector& position,
                           const TSound_Vector& velocity);
std::int32_t Sound_Play_3D_Sound(const std::string& name, std::int32_t halve, const TSound_Vector& position,
                                 const TSound_Vector& velocity);
std::int32_t Sound_Update_3D_Sound_Position(const std::string& name, std::int32_t halve, std::int32_t handle,
                                            const TSound_Vector& position, const TSound_Vector& velocity);
void Sound_Stop_3D_Sound(std::int32_t handle);
void Sound_Play_Sound_By_Name(const std::string& name, std::int32_t volume_offset, std::int32_t check);
void Sound_Play_UI_Sound(std::int32_t number, std::int32_t volume_offset);
// Plays sounds\<name> on its own, outside the effect list.
void Sound_Play_Sound_File(const std::string& name);

// The sound volume (hundredths of a decibel) and the last listener position.
std::int32_t Sound_Get_Volume();
TSound_Vector Sound_Last_Listener_Position();
