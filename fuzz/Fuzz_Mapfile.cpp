// Fuzzes the map file (full form, or the partial form over a map loaded
// first from the same bytes). A map that loads is saved, loaded again and
// asked the point questions play asks of it, over every region.
#include <cstdint>

#include "Fuzz_Support.h"
#include "MapClass.h"
#include "MapRegion.h"

namespace {
void Query_Everything(TMap& map) {
  for (std::int32_t i = 1; i <= map.m_Get_Region_Count(); ++i) {
    const TMap_Region* region = map.m_Get_Region(i);
    if (!region) continue;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    region->m_Get_Bounds(left, top, right, bottom);
    for (std::int64_t dy = -1; dy <= 3; ++dy)
      for (std::int64_t dx = -1; dx <= 3; ++dx) {
        const std::int64_t x = left + dx * 7, y = top + dy * 5;
        if (x >= INT32_MIN && x <= INT32_MAX && y >= INT32_MIN && y <= INT32_MAX)
          region->m_Point_In_Click_Zones(std::int32_t(x), std::int32_t(y));
      }
  }
  std::int32_t unit = 0;
  for (float x : {0.0f, 16.0f, 500.0f})
    for (float y : {0.0f, 16.0f, 500.0f}) map.m_Get_Unit_At_Point(x, y, unit);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fuzz_Setup_Once();
  if (size < 1) return 0;
  const bool partial = (data[0] & 1) != 0;
  const std::string file = Fuzz_Write_Scratch_File("CurrentMap.map", data + 1, size - 1);
  TMap map;
  if (!map.m_Load_From_File(file, false, Map_File_Version)) return 0;
  if (partial) map.m_Load_From_File(file, true, Map_File_Version);
  Query_Everything(map);
  const std::string saved = Fuzz_Write_Scratch_File("Saved.map", nullptr, 0);
  if (!map.m_Save_To_File(saved, false, Map_File_Version)) return 0;
  TMap reloaded;
  // What the game wrote, the game must read.
  if (!reloaded.m_Load_From_File(saved, false, Map_File_Version)) __builtin_trap();
  Query_Everything(reloaded);
  return 0;
}
