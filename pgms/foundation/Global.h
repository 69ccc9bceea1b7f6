// Process-wide values and plain helpers used everywhere: start-up
// initialisation, random numbers, distances and angles on the map plane,
// display texts of money and dates, and messages to the player.
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

// The first step of the program. Sets the folders:
//   Program_Folder = $GLOBARCH_HOME, else the folder of the executable (or
//   one or two levels above it) that holds data\, else the installed
//   share\globarch\;
//   User_Folder = $GLOBARCH_USER_DIR, else $XDG_DATA_HOME\globarch\, else
//   ~\.local\share\globarch\;
// creates the writable folders (Backup\ included, so that the debug log can
// always be written), copies the default userdata\ files of the asset tree
// that the user folder lacks, seeds the random generator (GLOBARCH_SEED
// when set, else the clock) and clears the debug switches. Returns true.
bool Global_Init();

// The writable folders that Global_Init creates under User_Folder.
extern const char* const User_Subfolders[6];

// Milliseconds since an arbitrary fixed point (the machine's start).
std::uint32_t Tick_Count();

// The process-wide 32-bit linear congruential generator: each draw replaces
// the seed s by s * 134775813 + 1 (mod 2^32) and uses the new seed.
void Random_Set_Seed(std::uint32_t seed);
std::uint32_t Random_Get_Seed();
// low + a draw below high - low + 1: low..high inclusive. high below low
// returns low without a draw.
std::int32_t Random_Range(std::int32_t low, std::int32_t high);
std::int32_t Random_Range_2(std::int32_t low, std::int32_t high);
// low + r * (high - low) with r a real draw in [0, 1): from low up to, not
// including, high.
float Random_Single(float low, float high);

// Distances on the map plane.
float Distance_Int(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
float Distance_Single(float x1, float y1, float x2, float y2);
// The larger of |x1 - x2| and |y1 - y2|; EIntOverflow when it does not fit.
std::int32_t Distance_Max(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
float Max_Single(float a, float b);
// Direction from point 1 to point 2 in 0..2*pi, measured from +y towards +x.
float Vector_Angle(float x1, float y1, float x2, float y2);
// The signed shortest turn from one angle (0..2*pi) to another, in -pi..pi.
float Angle_Difference(float from, float to);

// Money texts: "999M", "-2,500M", "1.23B", "2.50T".
std::string Format_Money(std::int32_t amount);
std::string Format_Money_Single(float amount);
// Tenths of a year as years with one decimal: 20150 gives "2015.0".
std::string Tenths_To_Text(std::int32_t value);
// 1 "Move", 2 "Attack", 3 "Bombard", 5 "Transport Load", 6 "Transport
// Unload", 8 "Skip", 9 "Amphibious Assault"; else empty.
std::string Action_Type_Name(std::uint8_t kind);
// "TRUE" or "FALSE" for kinds 1 and 2, else empty.
std::string Boolean_To_Text(int kind, bool value);
// Sum of the text's bytes taken as unsigned.
std::int32_t Text_Byte_Sum(const std::string& text);

// Shows a message to the player through the shell (standard error and the
// debug log before the main screen exists).
void Show_Message(const std::string& caption, const std::string& text);
