// The computer player's purchases (units and technology attempts, scored by
// fixed per-category rules, each unit placed where a second scoring says)
// and the return of its air units left over foreign territory.
#include <algorithm>
#include <cmath>
#include <limits>

#include "AI_Log.h"
#include "AI_Main.h"
#include "Empire.h"
#include "Errors.h"
#include "Global.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "Order_Desk.h"
#include "World_Unit_Facts.h"

namespace {
constexpr float Off_High = 999999, Off_Low = -999999;

struct TCategory {
  const char* name;
  float start, p[10];  // p[1..9]
  std::uint8_t ns, ss;
};

const TAI_Unit_Type_Info& Info(std::int64_t unit_type) {
  static const TAI_Unit_Type_Info none;
  if (unit_type < 1 || unit_type > std::int64_t(AI.unit_types.size())) return none;
  return AI.unit_types[std::size_t(unit_type - 1)];
}

std::int32_t Family_Count(const std::vector<std::int32_t>& table, std::uint16_t family) {
  return family < table.size() ? table[family] : 0;
}

void Family_Add(std::vector<std::int32_t>& table, std::uint16_t family) {
  if (table.size() <= family) table.resize(std::size_t(family) + 1, 0);
  table[family] = Checked_Add(table[family], 1);
}

bool Is_Neutral(std::uint8_t player) { return G_Empire_List && G_Empire_List->m_Is_Neutral(player); }

// The category of a unit type: the first matching row decides.
TCategory Unit_Category(const TUnit_Type& t) {
  const TAI_Unit_Type_Info& i = Info(t.f_index);
  const std::uint8_t mt = t.f_movement_type;
  const bool mobile = t.f_movement_amount > 0;
  auto d = [&](int k) { return t.m_Get_Combat_Damage_Modifier(k); };
  const float bought = float(Family_Count(AI.bought_by_family, t.f_unit_family_id));
  const float secure500 = AI.secure ? 500.0f : 0.0f;
  if (i.enables_purchases) {
    const float start = AI.unsupplied_regions > 0 && bought == 0 ? 100.0f * float(AI.unsupplied_regions) : 0.0f;
    return {"Fabrication Complex", start, {0, 0, Off_High, 0, 3, 0, 0, 0, 0, 0}, 2, 2};
  }
  if (i.ability1) return {"City", 0, {0, 0, Off_High, 0, 3, 0.8f, 0, 0, 0, 0}, 2, 2};
  if (i.far_sight && mobile) return {"Surveillance Aircraft", -200, {0, -200, 2, Off_Low, 0, 0, 0, 0, 0, 0}, 2, 2};
  if (i.far_sight) return {"Radar Station", -200, {0, -200, Off_High, Off_Low, 0, 0, 0, 0, 0, 0}, 2, 2};
  if (i.ability3 && !mobile)
    return {"Foritifed Positions", -200, {0, -500, Off_High, Off_Low, 0, 0, 0, 0, 0, 0}, 2, 2};
  if (i.ranged && i.ability5 && !mobile)
    return {"Nuclear Missile, Neutron Bomb", -200, {0, -500, Off_High, Off_Low, 0, 0, 1, 0, 0, 0}, 2, 2};
  if (i.transport && mt == 1)
    return {"Air Transport", AI.secure ? 200.0f : 0.0f, {0, -200, Off_High, 0, 0, 0, 0, 0, 10, 0}, 2, 2};
  if (i.transport && mt == 2) return {"Personnel Carrier", 0, {0, -200, Off_High, Off_Low, 0, 0, 0, 0, 10, 0}, 2, 2};
  if (i.transport && mt == 3 && !i.cargo_fights)
    return {"Sea Transport", secure500, {0, -100, 4, Off_Low, 0, 0, 0, 0, 10, 0}, 2, 2};
  if (i.transport && mt == 3)
    return {"Aircraft Carrier, Helicopter Carrier", AI.secure ? 100.0f : 0.0f,
            {0, -300, Off_High, Off_Low, 0, 0, 1, 1, 6, 1}, 3, 3};
  if (i.transport && mt == 4 && !i.cargo_fights)
    return {"Unknown 1", 0, {0, -200, 4, Off_Low, 0, 0, 0, 0, 6, 0}, 2, 2};
  if (i.transport && mt == 4) return {"Unknown 2", 0, {0, -200, Off_High, Off_Low, 0, 0, 1, 1, 4, 0}, 3, 4};
  if (i.ranged && mt == 2)
    return {"Mobile Missile Launcher", -200, {0, -300, Off_High, Off_Low, 0, 0, 1, 0, 0, 0}, 2, 2};
  if (i.ranged && mt == 3) return {"Cruiser", secure500, {0, -200, Off_High, Off_Low, 0, 0, 1, 1, 0, 1}, 3, 3};
  if (i.ranged && mt == 4)
    return {"Ballistic Missile Submarine", secure500, {0, -200, Off_High, Off_Low, 0, 0, 1, 1, 0, 1}, 3, 3};
  if (!mobile) {
    std::uint8_t ns = 2;
    for (int k = 1; k <= 4; ++k)
      if (d(k) >= 80) ns = std::uint8_t(k);
    return {"Air Defense System", 0, {0, -200, Off_High, Off_Low, 0, 0, 1, 0, 0, 0.5f}, ns, 2};
  }
  if (mt == 3) return {"Destroyer", secure500, {0, -200, Off_High, Off_Low, 0, 0, 1, 1, 0, 0}, 3, 3};
  if (mt == 4) return {"Submarine", secure500, {0, -150, Off_High, Off_Low, 0, 0, 1, 1, 0, 0}, 3, 4};
  if (mt == 1 && d(4) >= 80) return {"ASW Helicopter", 0, {0, -150, 4, Off_Low, 0, 0, 1, 1, 0, 0}, 4, 4};
  if (mt == 1 && d(2) >= 80 && d(1) < 50)
    return {"Bomber, Stealth Bomber", 0, {0, -100, Off_High, Off_Low, 0, 0, 1, 0, 0, 0}, 2, 2};
  if (mt == 1)
    return {"Helicopter, Fighter, Stealth Fighter", 0, {0, -50, Off_High, Off_Low, 0, 0, 1, 0, 0, 0}, 1, 2};
  if (mt == 2 && d(1) >= 80 && d(2) <= 20)
    return {"Antiaircraft Truck", 0, {0, -50, Off_High, Off_Low, 0, 0, 1, 0, 0, 0}, 1, 2};
  if (mt == 2)
    return {"Infantry, Tank, Rocket Artillery", 0, {0, -50, Off_High, Off_Low, 2, 0, 1, 0, 0, 0}, 2, 2};
  return {"Unknown 3", 0, {0, -100, Off_High, Off_Low, 0, 0, 1, 0, 0, 0}, 2, 2};
}

std::int32_t At(const std::array<std::int32_t, 6>& a, std::uint8_t k) { return k <= 5 ? a[k] : 0; }

// Sorts (id, score) pairs by score, highest first; equal scores keep their
// order so that runs of one seed agree.
template <typename T>
void Sort_By_Score(std::vector<T>& items) {
  std::stable_sort(items.begin(), items.end(), [](const T& a, const T& b) { return a.second > b.second; });
}

// Units of one type already queued for a region this turn.
std::int64_t Queued_Of_Type_At(const TEmpire& e, std::int32_t region, std::int32_t unit_type) {
  std::int64_t n = 0;
  for (std::int32_t i = 1; i <= e.m_Get_Purchase_Count(); ++i) {
    TEmpire_Purchase p;
    e.m_Get_Purchase(i, p);
    if (p.kind == PURCHASE_UNIT && p.region == region && p.id == unit_type) n += p.amount;
  }
  return n;
}

// Whether one more unit of the type may be queued for the region: the
// units queued there count toward its per-region maximum like the units
// standing there (else the extra entries are dropped when the purchases
// are settled).
bool Can_Queue_Unit_At(const TEmpire& e, std::int32_t region, std::int32_t unit_type) {
  const TUnit_Type* t = World_Unit_Type(unit_type);
  if (!t) return false;
  std::int64_t amount = 1;
  if (t->f_maximum_per_region > 0) amount += Queued_Of_Type_At(e, region, unit_type);
  if (amount > std::numeric_limits<std::int32_t>::max()) return false;
  return e.m_Can_Place_Unit_At(region, unit_type, std::int32_t(amount));
}
}  // namespace

float AI_Unit_Purchase_Score(std::uint8_t player, const TAI_Purchase_Candidate& c, std::string& category) {
  const TUnit_Type* t = World_Unit_Type(c.item);
  const TEmpire* e = Empire_Get(player);
  if (!t || !e) return 0;
  const TCategory cat = Unit_Category(*t);
  category = cat.name;
  const float C = float(Family_Count(AI.own_by_family, t->f_unit_family_id));
  const float* p = cat.p;
  float v[10] = {};
  v[1] = C * p[1];
  if (p[2] != Off_High && C > p[2]) v[2] = -10000;
  if (p[3] != Off_Low && C <= p[3]) v[3] = 5000;
  if (p[4] > 0) v[4] = 200.0f * std::trunc(float(AI.own_regions) / p[4]) - 200.0f * (C + 1);
  if (p[5] != 0 && float(e->m_Get_Income()) * p[5] <= float(e->m_Get_Upkeep())) v[5] = 200;
  v[6] = float(At(AI.near_enemy_by_movement, cat.ns)) * p[6];
  v[7] = float(At(AI.seen_enemy_by_movement, cat.ss)) * p[7];
  if (p[8] > 0 && float(AI_Cargo_Capacity_Units(c.item)) < (C + 1) * p[8]) v[8] = -500;
  if (p[9] > 0 && float(e->m_Get_Income()) * p[9] < C * float(t->f_cost)) v[9] = -10000;
  const float start = float(Random_Range(1, 20) + 10000) + cat.start;
  float score = start;
  for (int n = 1; n <= 9; ++n) score += v[n];
  if (AI_Log_On()) {
    AI_Log(t->f_internal_name);
    AI_Log("   Section = " + category);
    AI_Log("   Start Score   = " + AI_Float_Text(start));
    for (int n = 1; n <= 9; ++n) AI_Log("   Val" + std::to_string(n) + "    = " + AI_Float_Text(v[n]));
    AI_Log("   Final Score   = " + AI_Float_Text(score));
  }
  return score;
}

float AI_Tech_Purchase_Score(std::uint8_t player, const TAI_Purchase_Candidate& c) {
  const TTech_Area* area = World_Tech_Area(c.item);
  const TEmpire* e = Empire_Get(player);
  if (!area || !e) return 0;
  const float L = float(e->m_Get_Tech_Level(c.item));
  const float B = c.item < std::int32_t(AI.tech_purchases.size()) ? float(AI.tech_purchases[std::size_t(c.item)]) : 0;
  float start = float(Random_Range(20, 40)) + 300.0f - 80.0f * L - 200.0f * B;
  auto E = [&](int k) { return float(AI.near_enemy_by_movement[std::size_t(k)]); };
  const std::string& name = area->f_display_name;
  float v1 = 0, v2 = 0;
  if (name == "Air Units" || name == "Stealth Aircraft") {
    v1 = E(1) * 20 * 0.5f;
    v2 = E(2) * 1 * 0.5f;
  } else if (name == "Antiaircraft Units") {
    v1 = E(1) * 20;
    if (L == 0) start += 100;
  } else if (name == "Ballistic Missiles" || name == "Ground Stations" || name == "Ground Units") {
    v1 = E(2);
  } else if (name == "Helicopters") {
    v1 = E(2) * 1 * 0.5f;
    v2 = E(4) * 40 * 0.5f;
  } else if (name == "Sea Units") {
    v1 = E(3) * 40 * 0.5f;
    v2 = E(4) * 40 * 0.5f;
  }
  const float score = start + v1 + v2;
  if (AI_Log_On()) {
    AI_Log(area->f_internal_name);
    AI_Log("   Section = Technology");
    AI_Log("   Start Score   = " + AI_Float_Text(start));
    AI_Log("   Val1    = " + AI_Float_Text(v1));
    AI_Log("   Val2    = " + AI_Float_Text(v2));
    AI_Log("   Final Score   = " + AI_Float_Text(score));
  }
  return score;
}

std::int32_t AI_Pick_Purchase(std::uint8_t player, const std::vector<TAI_Purchase_Candidate>& candidates,
                              std::vector<std::int32_t>& affordable) {
  if (affordable.empty()) return 0;
  std::vector<std::pair<std::int32_t, float>> scored;
  for (std::int32_t i : affordable) {
    const TAI_Purchase_Candidate& c = candidates[std::size_t(i - 1)];
    std::string category;
    scored.emplace_back(i, c.kind == PURCHASE_UNIT ? AI_Unit_Purchase_Score(player, c, category)
                                                   : AI_Tech_Purchase_Score(player, c));
  }
  Sort_By_Score(scored);
  if (AI_Log_On()) {
    AI_Log("Pick Purchase");
    for (std::size_t k = 0; k < scored.size() && k < 50; ++k) {
      const TAI_Purchase_Candidate& c = candidates[std::size_t(scored[k].first - 1)];
      const TUnit_Type* t = c.kind == PURCHASE_UNIT ? World_Unit_Type(c.item) : nullptr;
      const TTech_Area* a = c.kind == PURCHASE_RESEARCH ? World_Tech_Area(c.item) : nullptr;
      AI_Log((t ? t->f_internal_name : a ? a->f_internal_name : "") + " - " + AI_Float_Text(scored[k].second));
    }
  }
  return scored.front().first;
}

float AI_Location_Score(std::uint8_t player, const TAI_Purchase_Candidate& c, std::int32_t region) {
  const TUnit_Type* t = World_Unit_Type(c.item);
  const TMap_Region* r = G_Map->m_Get_Region(region);
  if (!t || !r) return 0;
  const TAI_Unit_Type_Info& i = Info(c.item);
  const TAI_Region_Info& info = AI_Region(region);
  const float C = float(Family_Count(AI.own_by_family, t->f_unit_family_id));
  float score = float(Random_Range(1, 10));
  const float n1 = float(AI_Count_Family_Near(player, region, 1, t->f_unit_family_id));
  const float n2 = float(AI_Count_Family_Near(player, region, 2, t->f_unit_family_id));
  auto E = [&](std::int32_t range, bool land_only) {
    bool found = false;
    float largest = 0;
    return AI_Enemy_Strength_Near(player, region, range, true, land_only, found, largest);
  };
  const bool mobile = t->f_movement_amount > 0;
  const std::uint8_t mt = t->f_movement_type;
  if (Is_Neutral(player)) {
    score += 10000 - 1000 * n1;
  } else if (i.ability1) {
    score += 100 * info.value;
  } else if (i.enables_purchases && !mobile) {
    if (C > 1) {
      const std::int32_t ocean_neighbours = AI_Count_Regions_In_Range(region, 1);
      score += 10000 - 100 * n2;
      if (ocean_neighbours > 0) score += 2000;
      score += 100 * float(r->m_Get_Connection_Count());
      // Every neighbour is ocean: an island.
      if (ocean_neighbours == r->m_Get_Connection_Count()) score -= 5000;
      score -= E(1, false) / 10;
      if (!info.supplied) score += 3000;
    } else {
      score += info.asset_strength;
    }
  } else if (!mobile) {
    score += C > 1 ? 10000 - 1000 * n2 : info.asset_strength;
  } else if ((i.far_sight && mobile) || (i.transport && mt == 1)) {
    score += info.asset_strength - E(2, true);
  } else if (i.transport && (mt == 3 || mt == 4)) {
    score += info.asset_strength - E(2, false) + 100 * float(AI_Count_Regions_In_Range(region, 3));
  } else if (mt == 3 || mt == 4) {
    score += 10000 - 1000 * n1 + 100 * float(AI_Count_Regions_In_Range(region, 3));
  } else if (mt == 1) {
    score += 10000 - 25 * n1 + E(1, false) / 10 + 100 * float(AI_Count_Foreign_Regions_In_Range(player, region, 1, true));
  } else {
    const float f1 = -25 * n1, f2 = E(1, false) / 10,
                f3 = 100 * float(AI_Count_Foreign_Regions_In_Range(player, region, 1, true));
    score += 10000 + f1 + f2 + f3;
    if (AI_Log_On()) {
      AI_Log("  Region       = " + r->m_Get_Name());
      AI_Log("    Factor 1   = " + AI_Float_Text(f1));
      AI_Log("    Factor 2   = " + AI_Float_Text(f2));
      AI_Log("    Factor 3   = " + AI_Float_Text(f3));
      AI_Log("    This Score = " + AI_Float_Text(score));
    }
  }
  return score;
}

std::int32_t AI_Pick_Purchase_Location(std::uint8_t player, const TAI_Purchase_Candidate& c,
                                       const std::vector<std::int32_t>& locations) {
  AI_Log("Pick Purchase Location");
  std::vector<std::pair<std::int32_t, float>> scored;
  for (std::int32_t r : locations) scored.emplace_back(r, AI_Location_Score(player, c, r));
  if (scored.empty()) return 0;
  if (AI_Log_On()) {
    const TUnit_Type* t = World_Unit_Type(c.item);
    AI_Log("  Purchase Item - " + (t ? t->f_internal_name : std::string()));
    for (const auto& s : scored) {
      const TMap_Region* r = G_Map->m_Get_Region(s.first);
      AI_Log((r ? r->m_Get_Name() : std::string("Unknown")) + " - " + AI_Float_Text(s.second));
    }
  }
  Sort_By_Score(scored);
  return scored.front().first;
}

bool AI_Region_Allows_Family(std::uint8_t player, std::int32_t region, std::int64_t unit_type) {
  const TUnit_Type* t = World_Unit_Type(unit_type);
  if (!t) return false;
  if (!Info(unit_type).enables_purchases) return true;
  const TMap_Region* r = G_Map->m_Get_Region(region);
  if (!r || AI_Region_Family_Units(player, region, t->f_unit_family_id) != 0) return false;
  // One queued this turn fills the region as well.
  const TEmpire* e = Empire_Get(player);
  return !e || e->m_Count_Queued_Of_Family_At(region, t->f_unit_family_id) == 0;
}

bool AI_Any_Region_Allows_Family(std::uint8_t player, std::int64_t unit_type) {
  for (std::int32_t i = 1; i <= G_Map->m_Get_Region_Count(); ++i)
    if (G_Map->m_Get_Region(i) && AI_Region_Allows_Family(player, i, unit_type)) return true;
  return false;
}

std::int32_t AI_Count_Family_Near(std::uint8_t player, std::int32_t region, std::int32_t range, std::uint16_t family) {
  std::int32_t n = AI_Family_Units_In_Range(player, region, family, range);
  if (const TEmpire* e = Empire_Get(player)) n = Checked_Add(n, e->m_Count_Queued_Of_Family_At(region, family));
  return n;
}

std::int32_t AI_Cargo_Capacity_Units(std::int64_t unit_type) {
  const TUnit_Type* t = World_Unit_Type(unit_type);
  if (!t || !Unit_Type_List) return 0;
  std::int32_t n = 0;
  for (std::int32_t i = 1; i <= t->m_Get_Transport_Type_Count(); ++i)
    n = Checked_Add(n, Family_Count(AI.own_by_family,
                                    Unit_Type_List->m_Get_Family_Id_By_Name(t->m_Get_Transport_Type_Name(i))));
  return n;
}

void AI_Purchases(std::uint8_t player) {
  AI_Log("--- Purchases ---");
  // Buying queues units and moves none: the units' counts and the region
  // table stand still throughout.
  const TAI_Step_Memo memo(true);
  TEmpire* e = Empire_Get(player);
  if (!e) return;
  std::int32_t money = e->m_Get_Treasury();
  const bool won = AI.battle_totals[11] >= 1;
  std::int32_t saving = 0;
  if (Random_Range(1, 100) <= (won ? 10 : 30)) {
    saving = 10 * Random_Range(2, 5);
    money = std::int32_t(std::int64_t(money) * (100 - saving) / 100);
  }
  bool tech = Random_Range(1, 100) <= (won ? 15 : 25);
  AI_Log("Money: " + Format_Money(e->m_Get_Treasury()));
  AI_Log(std::string("Try To Purchase Tech: ") + (tech ? "TRUE" : "FALSE"));
  AI_Log("Save Money This Turn: " + std::to_string(saving) + "%");
  AI_Log("Money To Spend: " + Format_Money(money));

  std::vector<TAI_Purchase_Candidate> candidates;
  if (tech)
    for (std::int32_t a = 1; a <= World_Tech_Area_Count(); ++a) {
      const TTech_Area* area = World_Tech_Area(a);
      if (!area || e->m_Get_Tech_Level(a) >= area->f_maximum_level) continue;
      for (std::int32_t i = 1; i <= area->m_Get_Cost_Count(); ++i)
        if (area->m_Get_Cost(i) <= money) {
          TAI_Purchase_Candidate c;
          c.kind = PURCHASE_RESEARCH;
          c.item = a;
          c.cost = area->m_Get_Cost(i);
          c.option = std::uint16_t(i);
          c.chance = area->m_Get_Chance(i);
          candidates.push_back(c);
        }
    }
  if (candidates.empty()) tech = false;
  if (!tech)
    for (std::int32_t u = 1; u <= World_Unit_Type_Count(); ++u) {
      TUnit_Type* t = World_Unit_Type(u) ? Unit_Type_List->m_Get_Item(u) : nullptr;
      if (!t || !t->f_requirements.m_Check(e, 1)) continue;
      TAI_Purchase_Candidate c;
      c.kind = PURCHASE_UNIT;
      c.item = u;
      c.cost = t->f_cost;
      c.family = t->f_unit_family_id;
      auto same = std::find_if(candidates.begin(), candidates.end(),
                               [&](const TAI_Purchase_Candidate& x) { return x.family == c.family; });
      if (same != candidates.end())
        *same = c;
      else
        candidates.push_back(c);
    }

  // Whether a unit type can stand anywhere, by unit type: it depends on
  // the map alone, which buying leaves as it is (-1: not asked yet).
  std::vector<std::int8_t> anywhere;
  auto placeable_anywhere = [&](std::int32_t unit_type) {
    if (unit_type < 0) return e->m_Can_Place_Unit_Anywhere(unit_type);
    if (anywhere.size() <= std::size_t(unit_type)) anywhere.resize(std::size_t(unit_type) + 1, -1);
    std::int8_t& known = anywhere[std::size_t(unit_type)];
    if (known < 0) known = e->m_Can_Place_Unit_Anywhere(unit_type) ? 1 : 0;
    return known == 1;
  };
  // Each cycle buys one item; a cycle that picks nothing ends the purchases.
  for (int guard = 0; money >= 1 && guard < 10000; ++guard) {
    std::vector<std::int32_t> affordable;
    for (std::int32_t i = 1; i <= std::int32_t(candidates.size()); ++i) {
      const TAI_Purchase_Candidate& c = candidates[std::size_t(i - 1)];
      if (c.cost > money) continue;
      if (c.kind == PURCHASE_UNIT && !placeable_anywhere(c.item) && !AI_Any_Region_Allows_Family(player, c.item))
        continue;
      affordable.push_back(i);
    }
    const std::int32_t pick = AI_Pick_Purchase(player, candidates, affordable);
    if (pick == 0) break;
    const TAI_Purchase_Candidate c = candidates[std::size_t(pick - 1)];
    TEmpire_Purchase entry;
    entry.kind = c.kind;
    entry.id = c.item;
    entry.amount = 1;
    entry.cost = c.cost;
    std::string name;
    if (c.kind == PURCHASE_UNIT) {
      std::vector<std::int32_t> locations;
      for (std::int32_t r = 1; r <= G_Map->m_Get_Region_Count(); ++r)
        if (G_Map->m_Get_Region(r) && Can_Queue_Unit_At(*e, r, c.item) && AI_Region_Allows_Family(player, r, c.item))
          locations.push_back(r);
      if (locations.empty()) {
        // A unit with nowhere to stand (a ship of an empire without a
        // coast) is struck off; the others can still be bought.
        candidates.erase(candidates.begin() + (pick - 1));
        continue;
      }
      entry.region = AI_Pick_Purchase_Location(player, c, locations);
      const TMap_Region* r = G_Map->m_Get_Region(entry.region);
      const std::int32_t k = r->m_Get_Type() == REGION_OCEAN ? r->m_Get_Near_Unit_Cost_Modifier(player)
                                                             : r->m_Get_Unit_Cost_Modifier(player);
      entry.cost = std::int32_t(std::int64_t(c.cost) * (100 - k) / 100);
      Family_Add(AI.own_by_family, c.family);
      Family_Add(AI.bought_by_family, c.family);
      name = World_Unit_Type(c.item)->f_internal_name;
    } else {
      entry.region = c.option;
      if (AI.tech_purchases.size() <= std::size_t(c.item)) AI.tech_purchases.resize(std::size_t(c.item) + 1, 0);
      AI.tech_purchases[std::size_t(c.item)] += 1;
      name = World_Tech_Area(c.item)->f_internal_name;
    }
    if (AI_Log_On()) {
      AI_Log("Purchase");
      AI_Log(std::string("  Item Type: ") + (c.kind == PURCHASE_UNIT ? "Unit" : "Tech"));
      AI_Log("  Item:      " + name);
      AI_Log("  Amount:    1");
      AI_Log("  Region:    " + (c.kind == PURCHASE_UNIT ? G_Map->m_Get_Region_Name(entry.region) : std::string("None")));
      AI_Log("  Cost:      " + Format_Money(entry.cost));
    }
    e->m_Add_Purchase(entry);
    money -= entry.cost;
  }
}

bool AI_Save_Air_Units(std::uint8_t player) {
  if (!Master_Action_Timer->m_Is_Action_Done(AI.air_last_order)) return true;
  bool again = false;
  for (int tries = 0; tries < 200; ++tries) {
    TMap_Unit_Record u;
    G_Map->m_Find_Next_Air_Unit_Over_Foreign_Region(player, AI.air_cursor, u);
    AI.air_cursor = u.id;
    if (u.id == 0) break;
    const std::int32_t from = u.region;
    std::int32_t transport = 0, transport_region = 0;
    // A carrier in the unit's own region takes it even with no moves left:
    // the unit has already arrived.
    const std::int32_t carrier_cost = G_Map->m_Find_Transport(u.id, transport, transport_region);
    std::int32_t id = 0;
    if (transport != 0 && transport_region == from) {
      id = AI_Execute_Order(player, ORDER_LOAD, false, {transport, u.id}, from, from);
    } else if (u.moves == 0) {
      continue;
    } else {
      std::int32_t home = 0;
      const std::int32_t d = G_Map->m_Find_Nearest_Owned_Region(from, player, home, UNIT_MOVEMENT_AIR);
      if (home != 0 && u.moves >= d) {
        std::vector<std::int32_t> units;
        const TMap_Region* r = G_Map->m_Get_Region(from);
        for (std::int32_t k = 1; r && k <= r->m_Get_Unit_Count(); ++k) {
          TMap_Unit_Record o;
          G_Map->m_Get_Unit(r->m_Get_Unit_Id(k), o);
          if (o.id == u.id || (o.owner == u.owner && o.unit_type == u.unit_type && o.moves >= d)) units.push_back(o.id);
        }
        id = AI_Execute_Order(player, ORDER_MOVE, false, units, home, from);
      } else if (transport != 0 && u.moves >= carrier_cost) {
        id = AI_Execute_Order(player, ORDER_MOVE, false, {u.id}, transport_region, from);
        if (id >= 1) AI.air_cursor -= 1;  // found again next call, and loaded
      }
    }
    AI.air_last_order = id;
    if (id >= 1) {
      again = true;
      break;
    }
  }
  return again;
}
