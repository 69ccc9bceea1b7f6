#include "Global.h"

#include <time.h>

#include "Debug_Log.h"

std::string Program_Folder;
std::string User_Folder;
const std::string Line_Break = "\r\n";

namespace {
std::uint32_t random_seed = 0;

std::uint32_t Next_Seed() {
  random_seed = random_seed * 134775813u + 1u;
  return random_seed;
}

// An integer draw below n: the upper half of the 64-bit product.
std::uint32_t Draw_Below(std::uint32_t n) {
  return static_cast<std::uint32_t>((std::uint64_t(Next_Seed()) * n) >> 32);
}
}  // namespace

std::uint32_t Tick_Count() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint32_t>(std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u);
}

void Random_Set_Seed(std::uint32_t seed) { random_seed = seed; }
std::uint32_t Random_Get_Seed() { return random_seed; }

std::int32_t Random_Range(std::int32_t low, std::int32_t high) {
  if (high < low) return low;
  std::uint32_t span = static_cast<std::uint32_t>(std::int64_t(high) - std::int64_t(low) + 1);
  // A span of 2^32 (the whole range) wraps to 0: every value is allowed.
  std::uint32_t r = span == 0 ? Next_Seed() : Draw_Below(span);
  return static_cast<std::int32_t>(std::int64_t(low) + r);
}

std::int32_t Random_Range_2(std::int32_t low, std::int32_t high) { return Random_Range(low, high); }

float Random_Single(float low, float high) {
  float r = static_cast<float>(double(Next_Seed()) / 4294967296.0);
  return low + r * (high - low);
}

bool Global_Init() {
  // Completed with the folders and the clock seed by the global helpers.
  return true;
}
