// Process-wide values and plain helpers used everywhere.
#pragma once

#include <cstdint>
#include <string>

// The read-only asset tree (data\, images\, sounds\, music\, gametypes\), in
// the game's path form with a trailing "\".
extern std::string Program_Folder;
// The writable tree (userdata\, currentmap\, maps\, savegames\, temp\,
// Backup\), in the game's path form with a trailing "\".
extern std::string User_Folder;
// Carriage return and line feed.
extern const std::string Line_Break;

// Sets the folders, seeds the random generator (GLOBARCH_SEED when set, else
// the clock) and clears the debug switches. Returns true.
bool Global_Init();

// Milliseconds since an arbitrary fixed point (the machine's start).
std::uint32_t Tick_Count();

// The process-wide 32-bit linear congruential generator.
void Random_Set_Seed(std::uint32_t seed);
std::uint32_t Random_Get_Seed();
// A whole number from low to high inclusive; low when high <= low.
std::int32_t Random_Range(std::int32_t low, std::int32_t high);
std::int32_t Random_Range_2(std::int32_t low, std::int32_t high);
// From low up to, not including, high.
float Random_Single(float low, float high);
