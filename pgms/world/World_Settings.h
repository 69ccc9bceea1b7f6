// The settings values that the world model reads.
#pragma once

#include <cstdint>

#include "Vector_Types.h"

struct TWorld_Settings {
  std::int32_t game_date = 0;
  std::uint8_t turn_empire = 0;
  bool fog_of_war = true;
  bool camera_set = false;
  TVector camera_eye, camera_look_at, camera_up;
  std::int32_t money_per_territory_value = 1;
  float neutral_empire_money_modifier = 1.0f;
};

extern TWorld_Settings World_Settings;

inline std::int32_t World_Game_Date() { return World_Settings.game_date; }
inline std::uint8_t World_Turn_Empire() { return World_Settings.turn_empire; }
