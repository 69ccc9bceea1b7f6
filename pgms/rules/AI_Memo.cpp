// Answers the computer player looks up many times within one turn step:
// the regions within a range of a region (the connections never change
// while it plans) and unit counts by family (while no unit moves).
#include <unordered_map>

#include "AI_Main.h"
#include "MapClass.h"

namespace {
struct TMemo {
  int depth = 0;
  bool still = false;
  // The walks depend on the connections and kinds of the regions alone:
  // they are kept from step to step while the map and its shape version
  // stay the same.
  std::unordered_map<std::uint64_t, std::vector<std::int32_t>> walks;
  const TMap* walks_map = nullptr;
  std::uint64_t walks_shape = 0;
  std::unordered_map<std::uint64_t, std::int32_t> family_units;
  std::unordered_map<std::uint64_t, std::int32_t> family_in_range;
  std::unordered_map<std::uint64_t, TAI_Memo_Answer> answers;

  // Clearing a hash map wipes all its buckets, kept at their largest size:
  // most steps keep nothing, and they clear nothing.
  template <class M>
  static void m_Clear(M& m) {
    if (!m.empty()) m.clear();
  }
  void m_Clear() {
    m_Clear(family_units);
    m_Clear(family_in_range);
    m_Clear(answers);
  }
};
TMemo Memo;

// A key of the region and two small numbers; false when they do not fit
// (such a question is answered without the memo).
bool Key(std::int32_t region, std::int64_t a, std::int64_t b, std::uint64_t& key) {
  if (region < 0 || a < 0 || a > 0xFFFFFF || b < 0 || b > 0xFF) return false;
  key = std::uint64_t(std::uint32_t(region)) << 32 | std::uint64_t(a) << 8 | std::uint64_t(b);
  return true;
}
}  // namespace

TAI_Step_Memo::TAI_Step_Memo(bool still) {
  if (Memo.depth++ == 0) {
    Memo.m_Clear();
    Memo.still = still;
  } else {
    Memo.still = Memo.still && still;
  }
}

TAI_Step_Memo::~TAI_Step_Memo() {
  if (--Memo.depth == 0) Memo.m_Clear();
}

const std::vector<std::int32_t>& AI_Regions_In_Range(std::int32_t region, std::int32_t range, std::uint8_t kind,
                                                     std::vector<std::int32_t>& own) {
  std::uint64_t key = 0;
  if (Memo.depth == 0 || !Key(region, range, kind, key)) {
    G_Map->m_Get_Regions_In_Range(region, range, own, kind);
    return own;
  }
  if (Memo.walks_map != G_Map || Memo.walks_shape != Map_Shape_Version()) {
    Memo.m_Clear(Memo.walks);
    Memo.walks_map = G_Map;
    Memo.walks_shape = Map_Shape_Version();
  }
  auto [it, made] = Memo.walks.try_emplace(key);
  if (made) G_Map->m_Get_Regions_In_Range(region, range, it->second, kind);
  return it->second;
}

std::int32_t AI_Region_Family_Units(std::uint8_t player, std::int32_t region, std::uint16_t family) {
  const TMap_Region* r = G_Map->m_Get_Region(region);
  if (!r) return 0;
  std::uint64_t key = 0;
  if (Memo.depth == 0 || !Memo.still || !Key(region, family, player, key))
    return r->m_Count_Units_Of_Family(player, family);
  auto [it, made] = Memo.family_units.try_emplace(key, 0);
  if (made) it->second = r->m_Count_Units_Of_Family(player, family);
  return it->second;
}

std::int32_t AI_Family_Units_In_Range(std::uint8_t player, std::int32_t region, std::uint16_t family,
                                      std::int32_t range) {
  std::uint64_t key = 0;
  if (Memo.depth == 0 || !Memo.still || range < 0 || range > 0xFF ||
      !Key(region, std::int64_t(family) << 8 | range, player, key))
    return G_Map->m_Count_Family_Units_In_Range(player, region, family, range);
  auto [it, made] = Memo.family_in_range.try_emplace(key, 0);
  if (made) {
    // The sum TMap::m_Count_Family_Units_In_Range makes, over the kept walk.
    std::int32_t n = 0;
    std::vector<std::int32_t> own;
    for (std::int32_t id : AI_Regions_In_Range(region, range, 0, own)) n += AI_Region_Family_Units(player, id, family);
    it->second = n;
  }
  return it->second;
}

TAI_Memo_Answer* AI_Memo_Answer(std::uint8_t question, std::int32_t region, std::int64_t detail, bool& made) {
  made = false;
  std::uint64_t key = 0;
  if (Memo.depth == 0 || !Memo.still || !Key(region, detail, question, key)) return nullptr;
  auto [it, fresh] = Memo.answers.try_emplace(key);
  made = fresh;
  return &it->second;
}
