#include "Datafile_Units.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "Datafile_Formula_Functions.h"
#include "Datafile_Formula_List.h"
#include "Datafile_Test_Support.h"
#include "Errors.h"
#include "Test_Support.h"

namespace {
const std::string Head = "Unit types\n*BEGIN*\ntitle\nnote\n";

using TFields = std::vector<std::pair<std::string, std::string>>;

// Every key a unit record holds, in file order, with the values of a
// small fighter.
TFields Fighter_Fields() {
  return {
      {"Display Name", "Jet Fighter"},
      {"Internal Name", "Fighter Mk1"},
      {"Group", "Air Units"},
      {"Unit Family", "Fighter"},
      {"Unit Family ID", "20"},
      {"Target Type", "Air"},
      {"Description", "A fast interceptor."},
      {"Portrait Filename", "p.png"},
      {"Portrait Small Filename", "ps.png"},
      {"Image Filename", "i.png"},
      {"Image Type", "top down"},
      {"Square Size Width", "2"},
      {"Square Size Height", "3"},
      {"Cost", "1,250"},
      {"Purchase In Region With Unit Family ID", "0"},
      {"Purchase In Region Near Unit Family ID", "1"},
      {"Supply Cost", "2.5"},
      {"Maximum Per Region", "8"},
      {"Movement Type", "Air"},
      {"Movement Amount", "6"},
      {"Movement Sound Effect", "Jet"},
      {"Combat Movement Type", "AIR"},
      {"Combat Movement Amount", "5"},
      {"Combat Movement Sound Effect", "Jet Battle"},
      {"Sight Range", "2"},
      {"Hit Points", "30"},
      {"Initiative", "9"},
      {"Attack Rating", "7"},
      {"Defense Rating", "4"},
      {"Takes Part In Combat", "yes"},
      {"Combat Attack Range", "3"},
      {"Number of Combat Damages", "3"},
      {"Combat Damage 1 Target Type", "Air"},
      {"Combat Damage 1 Modifier Pct", "100"},
      {"Combat Damage 2 Target Type", "Land"},
      {"Combat Damage 2 Modifier Pct", "40"},
      {"Combat Damage 3 Target Type", "Sea Surface"},
      {"Combat Damage 3 Modifier Pct", "0"},
      {"Combat Damage Amount Min", "4"},
      {"Combat Damage Amount Max", "9"},
      {"Number of Combat Effects", "2"},
      {"Combat Effect 1 Type", "Attack"},
      {"Combat Effect 1 Target Type", "Air"},
      {"Combat Effect 1 Facing", "Left"},
      {"Combat Effect 1 Effect Name", "Missile Left"},
      {"Combat Effect 2 Type", "attack"},
      {"Combat Effect 2 Target Type", "land"},
      {"Combat Effect 2 Facing", "Any"},
      {"Combat Effect 2 Effect Name", "Cannon"},
      {"Ranged Fire Range", "2"},
      {"Ranged Fire Region Type", "Sea"},
      {"Ranged Fire Damage Amount Min", "3"},
      {"Ranged Fire Damage Amount Max", "6"},
      {"Ranged Fire Region Value Dmg Amt Min", "1"},
      {"Ranged Fire Region Value Dmg Amt Max", "2"},
      {"Ranged Fire Effect", "Bombs"},
      {"Number of Ranged Fire Damages", "1"},
      {"Ranged Fire Damage 1 Target Type", "Undersea"},
      {"Ranged Fire Damage 1 Modifier Pct", "25"},
      {"Transporting Capacity", "4"},
      {"Transported Units Participate In Combat", "TRUE"},
      {"Number Of Transporting Types", "3"},
      {"Transporting Type 1 Name", "Infantry"},
      {"Transporting Type 1 Space", "0"},
      {"Transporting Type 2 Name", "infantry"},
      {"Transporting Type 2 Space", "2"},
      {"Transporting Type 3 Name", "Armor"},
      {"Transporting Type 3 Space", "4"},
      {"Number Of Special Abilities", "3"},
      {"Special Ability 1 Type", "Combat Attack Modifier"},
      {"Special Ability 1 Description", "Air cover"},
      {"Special Ability 1 Amount", "10"},
      {"Special Ability 2 Type", "combat attack modifier"},
      {"Special Ability 2 Description", "More cover"},
      {"Special Ability 2 Amount", "5"},
      {"Special Ability 3 Type", "Unit Destroyed on Bombard"},
      {"Special Ability 3 Description", "Fragile"},
      {"Special Ability 3 Amount", "0"},
      {"Number of Requirements", "1"},
      {"Requirement 1 Description", "Air Units level 2"},
      {"Requirement 1 Formula", "Get_Nation_Tech_Level(\"Air Units\") >= 2"},
  };
}

std::string Record(const TFields& fields) {
  std::string text;
  for (const auto& [k, v] : fields) text += k + " := " + v + "\n";
  return text;
}

// The fields with some values replaced (an empty replacement removes the key).
TFields With(TFields fields, const std::map<std::string, std::string>& changes) {
  TFields out;
  for (auto& [k, v] : fields) {
    auto it = changes.find(k);
    if (it == changes.end()) {
      out.emplace_back(k, v);
    } else if (it->second != "<none>") {
      out.emplace_back(k, it->second);
    }
  }
  return out;
}

TLoaded_List<TUnit_Type_List> Load(const std::string& records) {
  return Load_Data_File_Text<TUnit_Type_List, TUnit_Type_Data_File_Loader>("Units.txt", Head + records + "*END*\n");
}

}  // namespace

using Datafile_Units = TFormula_List_Test;

// Requirement formulas go into the global formula list; a test leaves it as

TEST_F(Datafile_Units, Enumerations) {
  struct Row {
    std::string (*name_of)(std::int64_t);
    std::vector<std::string> names;
  } rows[] = {
      {&Unit_Movement_Type_Name, {"Air", "Land", "Sea Surface", "Undersea", "Space"}},
      {&Unit_Image_Type_Name, {"Standard", "Top Down", "Side"}},
      {&Unit_Ranged_Fire_Region_Type_Name, {"Air", "Land", "Sea", "Space"}},
      {&Unit_Combat_Effect_Type_Name, {"Attack"}},
      {&Unit_Effect_Facing_Name, {"Any", "Left", "Right"}},
      {&Unit_Special_Ability_Type_Name,
       {"Territory Money Modifier", "Unit Cost Modifier", "Combat Defense Modifier", "Combat Attack Modifier",
        "Unit Destroyed on Bombard", "Unit Can Bombard With No Movement", "Bombard Only Unit Family"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.names[0]);
    for (std::size_t i = 0; i < r.names.size(); ++i) EXPECT_EQ(r.name_of(std::int64_t(i + 1)), r.names[i]);
    EXPECT_EQ(r.name_of(0), "");
    EXPECT_EQ(r.name_of(std::int64_t(r.names.size() + 1)), "");
  }
  // Names are matched ignoring case; another name gives 0.
  EXPECT_EQ(Unit_Movement_Type_From_Name("sea surface"), 3);
  EXPECT_EQ(Unit_Movement_Type_From_Name("SPACE"), 5);
  EXPECT_EQ(Unit_Movement_Type_From_Name("Sea"), 0);
  EXPECT_EQ(Unit_Image_Type_From_Name("side"), 3);
  EXPECT_EQ(Unit_Ranged_Fire_Region_Type_From_Name("sea"), 3);
  EXPECT_EQ(Unit_Combat_Effect_Type_From_Name("ATTACK"), 1);
  EXPECT_EQ(Unit_Effect_Facing_From_Name("right"), 3);
  EXPECT_EQ(Unit_Special_Ability_Type_From_Name("bombard only unit family"), 7);
  EXPECT_EQ(Unit_Special_Ability_Type_From_Name(""), 0);
}

TEST_F(Datafile_Units, MovementInRegionKinds) {
  // Region kind 1 land, 2 ocean; movement types 1..5 and one outside.
  const bool land[] = {false, true, true, false, false, true, false};
  const bool ocean[] = {false, true, false, true, true, true, false};
  for (int m = 0; m <= 6; ++m) {
    SCOPED_TRACE(m);
    EXPECT_EQ(Unit_Movement_Type_Allowed(1, m), land[m]);
    EXPECT_EQ(Unit_Movement_Type_Allowed(2, m), ocean[m]);
    EXPECT_FALSE(Unit_Movement_Type_Allowed(0, m));
    EXPECT_FALSE(Unit_Movement_Type_Allowed(3, m));
  }
  TUnit_Type sub;
  sub.f_movement_type = UNIT_MOVEMENT_UNDERSEA;
  EXPECT_FALSE(sub.m_Can_Move_In_Region_Kind(1));
  EXPECT_TRUE(sub.m_Can_Move_In_Region_Kind(2));
}

TEST_F(Datafile_Units, ReadsEveryField) {
  auto r = Load(Record(Fighter_Fields()));
  EXPECT_EQ(r.errors, std::vector<std::string>{});
  ASSERT_EQ(r.list->m_Count(), 1);
  const TUnit_Type& t = *r.list->m_Get_Item(1);
  EXPECT_EQ(t.f_index, 1);
  EXPECT_EQ(t.f_display_name, "Jet Fighter");
  EXPECT_EQ(t.f_internal_name, "Fighter Mk1");
  EXPECT_EQ(t.f_group, "Air Units");
  EXPECT_EQ(t.f_unit_family, "Fighter");
  EXPECT_EQ(t.f_unit_family_id, 20);
  EXPECT_EQ(t.f_target_type, "Air");
  EXPECT_EQ(t.f_description, "A fast interceptor.");
  EXPECT_EQ(t.f_portrait_filename, "p.png");
  EXPECT_EQ(t.f_portrait_small_filename, "ps.png");
  EXPECT_EQ(t.f_image_filename, "i.png");
  EXPECT_EQ(t.f_image_type, UNIT_IMAGE_TOP_DOWN);
  EXPECT_EQ(t.f_square_size_width, 2);
  EXPECT_EQ(t.f_square_size_height, 3);
  EXPECT_EQ(t.f_cost, 1250);
  EXPECT_EQ(t.f_purchase_with_family_id, 0);
  EXPECT_EQ(t.f_purchase_near_family_id, 1);
  EXPECT_EQ(t.f_supply_cost, 2.5f);
  EXPECT_EQ(t.f_maximum_per_region, 8);
  EXPECT_EQ(t.f_movement_type, UNIT_MOVEMENT_AIR);
  EXPECT_EQ(t.f_movement_amount, 6);
  EXPECT_EQ(t.f_movement_sound_effect, "Jet");
  EXPECT_EQ(t.f_combat_movement_type, UNIT_MOVEMENT_AIR);
  EXPECT_EQ(t.f_combat_movement_amount, 5);
  EXPECT_EQ(t.f_combat_movement_sound_effect, "Jet Battle");
  EXPECT_EQ(t.f_sight_range, 2);
  EXPECT_EQ(t.f_hit_points, 30);
  EXPECT_EQ(t.f_initiative, 9);
  EXPECT_EQ(t.f_attack_rating, 7);
  EXPECT_EQ(t.f_defense_rating, 4);
  EXPECT_TRUE(t.f_takes_part_in_combat);
  EXPECT_EQ(t.f_combat_attack_range, 3);
  EXPECT_EQ(t.f_combat_damage_min, 4);
  EXPECT_EQ(t.f_combat_damage_max, 9);
  EXPECT_EQ(t.f_combat_damage_percent, (std::array<std::int32_t, 6>{0, 100, 40, 0, 0, 0}));
  ASSERT_EQ(t.m_Get_Combat_Effect_Count(), 2);
  EXPECT_EQ(t.f_combat_effects[1].type, UNIT_COMBAT_EFFECT_ATTACK);
  EXPECT_EQ(t.f_combat_effects[1].target_type, "land");
  EXPECT_EQ(t.f_combat_effects[1].facing, UNIT_EFFECT_FACING_ANY);
  EXPECT_EQ(t.f_combat_effects[1].effect_name, "Cannon");
  EXPECT_EQ(t.f_ranged_fire_range, 2);
  EXPECT_EQ(t.f_ranged_fire_region_type, UNIT_RANGED_FIRE_SEA);
  EXPECT_EQ(t.f_ranged_fire_damage_min, 3);
  EXPECT_EQ(t.f_ranged_fire_damage_max, 6);
  EXPECT_EQ(t.f_ranged_fire_region_value_damage_min, 1);
  EXPECT_EQ(t.f_ranged_fire_region_value_damage_max, 2);
  EXPECT_EQ(t.f_ranged_fire_effect, "Bombs");
  EXPECT_EQ(t.f_ranged_fire_damage_percent, (std::array<std::int32_t, 6>{0, 0, 0, 0, 25, 0}));
  EXPECT_EQ(t.f_transporting_capacity, 4);
  EXPECT_TRUE(t.f_transported_units_participate_in_combat);
  ASSERT_EQ(t.m_Get_Transport_Type_Count(), 3);
  EXPECT_EQ(t.m_Get_Transport_Type_Name(3), "Armor");
  ASSERT_EQ(t.m_Get_Special_Ability_Count(), 3);
  EXPECT_EQ(t.m_Get_Special_Ability_Type(3), UNIT_ABILITY_UNIT_DESTROYED_ON_BOMBARD);
  EXPECT_EQ(t.m_Get_Special_Ability_Description(1), "Air cover");
  EXPECT_EQ(t.m_Get_Special_Ability_Amount(2), 5);
  ASSERT_EQ(t.f_requirements.m_Get_Count(), 1);
  EXPECT_EQ(t.f_requirements.m_Get_Description(1), "Air Units level 2");
  EXPECT_GT(t.f_requirements.m_Get_Formula_Index(1), 0);
  EXPECT_EQ(t.f_requirements.m_Get_Context_Slot(), 2);
  EXPECT_EQ(t.f_requirements.m_Get_Owner(), &t);
}

TEST_F(Datafile_Units, MissingKeysKeepTheDefaults) {
  // Only the display name: every other key is reported, naming the record
  // by its number because it has no internal name.
  auto r = Load("Display Name := Ghost\n");
  ASSERT_EQ(r.list->m_Count(), 1);
  std::vector<std::string> expected;
  for (const auto& [k, v] : Fighter_Fields()) {
    // The entries of lists are not asked for when their counts are missing.
    if (k == "Display Name" || k.find(" 1 ") != std::string::npos || k.find(" 2 ") != std::string::npos ||
        k.find(" 3 ") != std::string::npos || k == "Number Of Transporting Types")
      continue;
    expected.push_back("Could not find field \"" + k + "\" in record 1.");
  }
  EXPECT_EQ(r.errors, expected);
  const TUnit_Type& t = *r.list->m_Get_Item(1);
  EXPECT_EQ(t.f_display_name, "Ghost");
  EXPECT_TRUE(t.f_takes_part_in_combat);
  EXPECT_FALSE(t.f_transported_units_participate_in_combat);
  EXPECT_EQ(t.f_movement_type, 0);
  EXPECT_EQ(t.f_requirements.m_Get_Count(), 0);

  // A record name set by one record does not name the next, unnamed one.
  TLoaded_List<TUnit_Type_List> two =
      Load(Record(Fighter_Fields()) + "\n" + Record(With(Fighter_Fields(), {{"Internal Name", "<none>"}})));
  EXPECT_EQ(two.errors, (std::vector<std::string>{"Could not find field \"Internal Name\" in record 2."}));
}

TEST_F(Datafile_Units, BadValues) {
  struct Row {
    const char* what;
    std::map<std::string, std::string> changes;
    std::vector<std::string> errors;
    std::function<void(const TUnit_Type&)> check;
  } rows[] = {
      {"unknown image type",
       {{"Image Type", "Sideways"}},
       {"Unknown value \"Sideways\" for Image Type in record \"Fighter Mk1\"."},
       [](const TUnit_Type& t) { EXPECT_EQ(t.f_image_type, 0); }},
      {"image type in lower case",
       {{"Image Type", "side"}},
       {},
       [](const TUnit_Type& t) { EXPECT_EQ(t.f_image_type, UNIT_IMAGE_SIDE); }},
      {"unknown movement types",
       {{"Movement Type", "Rail"}, {"Combat Movement Type", ""}},
       {"Unknown value \"Rail\" for Movement Type in record \"Fighter Mk1\".",
        "Unknown value \"\" for Combat Movement Type in record \"Fighter Mk1\"."},
       [](const TUnit_Type& t) {
         EXPECT_EQ(t.f_movement_type, 0);
         EXPECT_EQ(t.f_combat_movement_type, 0);
       }},
      {"combat movement amount beyond 8 bits is clamped",
       {{"Combat Movement Amount", "300"}},
       {"Value \"300\" for Combat Movement Amount in record \"Fighter Mk1\" is outside 0..255; 255 is used."},
       [](const TUnit_Type& t) { EXPECT_EQ(t.f_combat_movement_amount, 255); }},
      {"negative combat movement amount",
       {{"Combat Movement Amount", "-2"}},
       {"Value \"-2\" for Combat Movement Amount in record \"Fighter Mk1\" is outside 0..255; 0 is used."},
       [](const TUnit_Type& t) { EXPECT_EQ(t.f_combat_movement_amount, 0); }},
      {"16- and 8-bit fields",
       {{"Unit Family ID", "70,000"}, {"Square Size Width", "256"}, {"Purchase In Region Near Unit Family ID", "-1"}},
       {"Value \"70,000\" for Unit Family ID in record \"Fighter Mk1\" is outside 0..65535; 65535 is used.",
        "Value \"256\" for Square Size Width in record \"Fighter Mk1\" is outside 0..255; 255 is used.",
        "Value \"-1\" for Purchase In Region Near Unit Family ID in record \"Fighter Mk1\" is outside 0..65535; 0 is "
        "used."},
       [](const TUnit_Type& t) {
         EXPECT_EQ(t.f_unit_family_id, 65535);
         EXPECT_EQ(t.f_square_size_width, 255);
         EXPECT_EQ(t.f_purchase_near_family_id, 0);
       }},
      {"numbers that do not parse give 0 quietly",
       {{"Cost", "lots"}, {"Supply Cost", "x"}, {"Square Size Height", "big"}, {"Takes Part In Combat", "1"}},
       {},
       [](const TUnit_Type& t) {
         EXPECT_EQ(t.f_cost, 0);
         EXPECT_EQ(t.f_supply_cost, 0.0f);
         EXPECT_EQ(t.f_square_size_height, 0);
         EXPECT_FALSE(t.f_takes_part_in_combat);
       }},
      {"damage percent without its percent or with a bad target",
       {{"Combat Damage 1 Modifier Pct", "<none>"}, {"Combat Damage 2 Target Type", "Rail"}},
       {"Could not find field \"Combat Damage 1 Modifier Pct\" in record \"Fighter Mk1\".",
        "Unknown value \"Rail\" for Combat Damage 2 Target Type in record \"Fighter Mk1\"."},
       [](const TUnit_Type& t) {
         EXPECT_EQ(t.f_combat_damage_percent, (std::array<std::int32_t, 6>{}));
         EXPECT_FALSE(t.m_Can_Attack_Target_Type(UNIT_MOVEMENT_AIR));
       }},
      {"negative percent is not stored",
       {{"Ranged Fire Damage 1 Modifier Pct", "-5"}},
       {},
       [](const TUnit_Type& t) { EXPECT_EQ(t.f_ranged_fire_damage_percent, (std::array<std::int32_t, 6>{})); }},
      {"unknown ranged fire region type",
       {{"Ranged Fire Region Type", "Orbit"}},
       {"Unknown value \"Orbit\" for Ranged Fire Region Type in record \"Fighter Mk1\"."},
       [](const TUnit_Type& t) { EXPECT_EQ(t.f_ranged_fire_region_type, 0); }},
      {"combat effects need type, facing and both texts",
       {{"Combat Effect 1 Facing", "Up"}, {"Combat Effect 2 Effect Name", ""}},
       {"Unknown value \"Up\" for Combat Effect 1 Facing in record \"Fighter Mk1\"."},
       [](const TUnit_Type& t) { EXPECT_EQ(t.m_Get_Combat_Effect_Count(), 0); }},
      {"no capacity reads no transporting types",
       {{"Transporting Capacity", "0"}},
       {},
       [](const TUnit_Type& t) {
         EXPECT_EQ(t.m_Get_Transport_Type_Count(), 0);
         EXPECT_EQ(t.m_Get_Transport_Types_Text(), "None");
       }},
      {"transporting entry without a name or space",
       {{"Transporting Type 1 Name", ""}, {"Transporting Type 3 Space", "<none>"}},
       {"Could not find field \"Transporting Type 3 Space\" in record \"Fighter Mk1\"."},
       [](const TUnit_Type& t) {
         ASSERT_EQ(t.m_Get_Transport_Type_Count(), 2);
         EXPECT_EQ(t.m_Get_Transport_Types_Text(), "infantry(2), Armor(0)");
       }},
      {"unknown special ability",
       {{"Special Ability 2 Type", "Flying"}},
       {"Unknown value \"Flying\" for Special Ability 2 Type in record \"Fighter Mk1\"."},
       [](const TUnit_Type& t) { EXPECT_EQ(t.m_Get_Special_Ability_Count(), 2); }},
      {"counts of 0 or less read nothing",
       {{"Number of Combat Damages", "0"}, {"Number of Combat Effects", "-3"}, {"Number Of Special Abilities", "x"}},
       {},
       [](const TUnit_Type& t) {
         EXPECT_FALSE(t.m_Can_Attack_Target_Type(UNIT_MOVEMENT_AIR));
         EXPECT_EQ(t.m_Get_Combat_Effect_Count(), 0);
         EXPECT_EQ(t.m_Get_Special_Ability_Count(), 0);
       }},
      {"requirement formula that does not parse",
       {{"Requirement 1 Formula", "(1 + 2"}},
       {"Could not parse formula \"(1 + 2\" for Requirement 1 Formula in record \"Fighter Mk1\".",
        "Incorrect number of parenthesis in section \"(1 + 2\""},
       [](const TUnit_Type& t) {
         EXPECT_EQ(t.f_requirements.m_Get_Count(), 1);
         EXPECT_EQ(t.f_requirements.m_Get_Formula_Index(1), 0);
         EXPECT_EQ(t.f_requirements.m_Get_Description(1), "");
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto r = Load(Record(With(Fighter_Fields(), row.changes)));
    EXPECT_EQ(r.errors, row.errors);
    ASSERT_EQ(r.list->m_Count(), 1);
    row.check(*r.list->m_Get_Item(1));
  }
}

TEST_F(Datafile_Units, ListLookUps) {
  auto r = Load(Record(Fighter_Fields()) + "\n" +
                Record(With(Fighter_Fields(), {{"Internal Name", "Fighter Mk2"}, {"Unit Family ID", "0"}})) + "\n" +
                Record(With(Fighter_Fields(), {{"Internal Name", "Tank"},
                                               {"Unit Family", "Armor"},
                                               {"Unit Family ID", "7"},
                                               {"Combat Movement Type", "Land"}})));
  ASSERT_EQ(r.errors, std::vector<std::string>{});
  const TUnit_Type_List& list = *r.list;
  ASSERT_EQ(list.m_Count(), 3);
  EXPECT_EQ(list.m_Get_Item(0), nullptr);
  EXPECT_EQ(list.m_Get_Item(4), nullptr);
  EXPECT_EQ(list.m_Get_Item(-1), nullptr);
  EXPECT_EQ(list.m_Get_Item(3)->f_index, 3);
  EXPECT_EQ(list.m_Find_By_Internal_Name("fighter mk2"), 2);
  EXPECT_EQ(list.m_Find_By_Internal_Name("TANK"), 3);
  EXPECT_EQ(list.m_Find_By_Internal_Name("Jet Fighter"), 0);  // display names do not count
  EXPECT_EQ(list.m_Get_Family_Id(1), 20);
  EXPECT_EQ(list.m_Get_Family_Id(2), 0);
  EXPECT_EQ(list.m_Get_Family_Id(9), 0);
  EXPECT_EQ(list.m_Get_Family_Id_By_Name("fighter"), 20);
  EXPECT_EQ(list.m_Get_Family_Id_By_Name("Armor"), 7);
  EXPECT_EQ(list.m_Get_Family_Id_By_Name("Ship"), 0);

  // m_Can_Attack_Unit_Type looks the other type up in the current list.
  TUnit_Type_List* saved = Unit_Type_List;
  Unit_Type_List = r.list.get();
  const TUnit_Type& fighter = *list.m_Get_Item(1);
  EXPECT_TRUE(fighter.m_Can_Attack_Unit_Type(2));   // air 100%
  EXPECT_TRUE(fighter.m_Can_Attack_Unit_Type(3));   // land 40%
  EXPECT_FALSE(fighter.m_Can_Attack_Unit_Type(0));  // none
  EXPECT_FALSE(fighter.m_Can_Attack_Unit_Type(4));
  Unit_Type_List = saved;
}

TEST_F(Datafile_Units, Queries) {
  auto r = Load(Record(Fighter_Fields()));
  const TUnit_Type& t = *r.list->m_Get_Item(1);
  EXPECT_EQ(t.m_Get_Combat_Damage_Modifier(2), 40);
  EXPECT_EQ(t.m_Get_Ranged_Damage_Modifier(4), 25);
  EXPECT_THROW(t.m_Get_Combat_Damage_Modifier(0), ERangeError);
  EXPECT_THROW(t.m_Get_Ranged_Damage_Modifier(6), ERangeError);
  EXPECT_TRUE(t.m_Can_Attack_Target_Type(UNIT_MOVEMENT_AIR));
  EXPECT_FALSE(t.m_Can_Attack_Target_Type(UNIT_MOVEMENT_SEA_SURFACE));  // an explicit 0
  EXPECT_FALSE(t.m_Can_Attack_Target_Type(UNIT_MOVEMENT_SPACE));        // not given
  EXPECT_FALSE(t.m_Can_Attack_Target_Type(9));

  // Special abilities.
  EXPECT_EQ(t.m_Get_Special_Ability_Total(UNIT_ABILITY_COMBAT_ATTACK_MODIFIER), 15);
  EXPECT_EQ(t.m_Get_Special_Ability_Total(UNIT_ABILITY_COMBAT_DEFENSE_MODIFIER), 0);
  EXPECT_TRUE(t.m_Has_Special_Ability(UNIT_ABILITY_UNIT_DESTROYED_ON_BOMBARD));
  EXPECT_FALSE(t.m_Has_Special_Ability(UNIT_ABILITY_TERRITORY_MONEY_MODIFIER));
  EXPECT_EQ(t.m_Get_Special_Ability_Type(0), 0);
  EXPECT_EQ(t.m_Get_Special_Ability_Amount(4), 0);
  EXPECT_EQ(t.m_Get_Special_Ability_Description(4), "");

  // Transport: the first entry for a name with a space that is not 0.
  EXPECT_EQ(t.m_Get_Transport_Space("INFANTRY"), 2);
  EXPECT_EQ(t.m_Get_Transport_Space("Armor"), 4);
  EXPECT_EQ(t.m_Get_Transport_Space("Ship"), 0);
  EXPECT_EQ(t.m_Get_Transport_Type_Name(0), "");
  EXPECT_EQ(t.m_Get_Transport_Type_Name(1), "Infantry");
  EXPECT_TRUE(t.m_Has_Transport_Space(0));  // the first entry takes 0
  TUnit_Type carrier;
  carrier.f_transporting_types = {{"Fighter", 3}, {"Helicopter", 2}};
  EXPECT_FALSE(carrier.m_Has_Transport_Space(1));
  EXPECT_TRUE(carrier.m_Has_Transport_Space(2));

  // Combat effects by type, target movement type and facing.
  EXPECT_EQ(t.m_Get_Combat_Effect(UNIT_COMBAT_EFFECT_ATTACK, UNIT_MOVEMENT_AIR, false), "Missile Left");
  EXPECT_EQ(t.m_Get_Combat_Effect(UNIT_COMBAT_EFFECT_ATTACK, UNIT_MOVEMENT_AIR, true), "");
  EXPECT_EQ(t.m_Get_Combat_Effect(UNIT_COMBAT_EFFECT_ATTACK, UNIT_MOVEMENT_LAND, true), "Cannon");
  EXPECT_EQ(t.m_Get_Combat_Effect(UNIT_COMBAT_EFFECT_ATTACK, UNIT_MOVEMENT_LAND, false), "Cannon");
  EXPECT_EQ(t.m_Get_Combat_Effect(2, UNIT_MOVEMENT_LAND, false), "");
  EXPECT_EQ(t.m_Get_Combat_Effect(UNIT_COMBAT_EFFECT_ATTACK, 0, false), "");
}

TEST_F(Datafile_Units, DisplayTexts) {
  auto r = Load(Record(Fighter_Fields()));
  const TUnit_Type& t = *r.list->m_Get_Item(1);
  TUnit_Type none;
  struct Row {
    std::string (TUnit_Type::*text)() const;
    std::string full, empty;
  } rows[] = {
      {&TUnit_Type::m_Get_Cost_Text, "$1.25B", "$0M"},
      {&TUnit_Type::m_Get_Supply_Cost_Text, "$2.5M", "$0M"},
      {&TUnit_Type::m_Get_Movement_Text, "6 (Air)", "0 ()"},
      {&TUnit_Type::m_Get_Combat_Movement_Text, "5 (Air)", "0 ()"},
      {&TUnit_Type::m_Get_Sight_Range_Text, "2", "0"},
      {&TUnit_Type::m_Get_Hit_Points_Text, "30", "0"},
      {&TUnit_Type::m_Get_Initiative_Text, "9", "0"},
      {&TUnit_Type::m_Get_Attack_Range_Text, "3", "None"},
      {&TUnit_Type::m_Get_Combat_Damage_Text, "4 - 9", "None"},
      {&TUnit_Type::m_Get_Ranged_Fire_Text, "2 (Sea)", "None"},
      {&TUnit_Type::m_Get_Ranged_Damage_Text, "3 - 6", "None"},
      {&TUnit_Type::m_Get_Transported_Fight_Text, "Yes", "No"},
      {&TUnit_Type::m_Get_Transport_Types_Text, "Infantry(0), infantry(2), Armor(4)", "None"},
      {&TUnit_Type::m_Get_Transport_Capacity_Text, "4", "None"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ((t.*row.text)(), row.full);
    EXPECT_EQ((none.*row.text)(), row.empty);
  }
}

TEST_F(Datafile_Units, RequirementsForAnEmpire) {
  auto r = Load(Record(Fighter_Fields()) + "\n" +
                Record(With(Fighter_Fields(), {{"Internal Name", "Free"}, {"Number of Requirements", "0"}})));
  ASSERT_EQ(r.errors, std::vector<std::string>{});
  TEmpire_Stand_In empire;
  const TUnit_Type& fighter = *r.list->m_Get_Item(1);
  EXPECT_FALSE(fighter.f_requirements.m_Check(&empire, 0));
  empire.levels["Air Units"] = 2;
  EXPECT_TRUE(fighter.f_requirements.m_Check(&empire, 0));
  EXPECT_FALSE(fighter.f_requirements.m_Check(nullptr, 0));  // no empire: level 0
  EXPECT_TRUE(r.list->m_Get_Item(2)->f_requirements.m_Check(nullptr, 0));
}

TEST_F(Datafile_Units, LoadAndFree) {
  TTemp_Dir dir;
  Write_File(dir.path() / "Units.txt",
             Head + Record(Fighter_Fields()) + "\n" + Record(With(Fighter_Fields(), {{"Cost", "<none>"}})) + "*END*\n");
  TReport_Owner owner;
  EXPECT_FALSE(Datafile_Units_Load(dir.design() + "Units.txt", &owner));
  EXPECT_EQ(owner.title, "Unit Types Datafile");
  EXPECT_EQ(owner.rows, (std::vector<std::string>{"Could not find field \"Cost\" in record \"Fighter Mk1\"."}));
  ASSERT_NE(Unit_Type_List, nullptr);
  EXPECT_EQ(Unit_Type_List->m_Count(), 2);  // the types read stay loaded

  Write_File(dir.path() / "Units.txt", Head + Record(Fighter_Fields()) + "*END*\n");
  TReport_Owner quiet;
  EXPECT_TRUE(Datafile_Units_Load(dir.design() + "Units.txt", &quiet));
  EXPECT_TRUE(quiet.rows.empty());
  EXPECT_EQ(Unit_Type_List->m_Count(), 1);

  EXPECT_TRUE(Datafile_Units_Free());
  EXPECT_FALSE(Datafile_Units_Free());
  EXPECT_EQ(Unit_Type_List, nullptr);

  TReport_Owner missing;
  EXPECT_FALSE(Datafile_Units_Load(dir.design() + "None.txt", &missing));
  EXPECT_EQ(missing.rows, (std::vector<std::string>{"Unable to load data file: \"" + dir.design() + "None.txt\"."}));
  Datafile_Units_Free();
}

TEST_F(Datafile_Units, HugeCountsAreBoundedByTheRecord) {
  // A count no record holds would ask for millions of missing keys: it is
  // reported and bounded by the record's own number of fields.
  const TFields fields = With(Fighter_Fields(), {{"Number of Ranged Fire Damages", "2,000,000,000"}});
  const std::string n = std::to_string(fields.size());
  auto r = Load(Record(fields));
  ASSERT_EQ(r.errors.size(), 1u + 2u * fields.size() - 2u);
  EXPECT_EQ(r.errors[0], "Value \"2,000,000,000\" for Number of Ranged Fire Damages in record \"Fighter Mk1\" is outside 0.." +
                             n + "; " + n + " is used.");
  EXPECT_EQ(r.errors[1], "Could not find field \"Ranged Fire Damage 2 Target Type\" in record \"Fighter Mk1\".");
  ASSERT_EQ(r.list->m_Count(), 1);
  EXPECT_EQ(r.list->m_Get_Item(1)->m_Get_Ranged_Damage_Modifier(UNIT_MOVEMENT_UNDERSEA), 25);
}

// A small hostile file (every list of every record counted at 65535, and
// many records) costs what its size allows: the error lines stop at the
// cap with one closing line.
TEST_F(Datafile_Units, HostileCountsCostWhatTheFileHolds) {
  std::string records;
  for (int i = 0; i < 60; ++i)
    records += "Internal Name := U" + std::to_string(i) +
               "\nNumber of Combat Damages := 65535\nNumber of Combat Effects := 65535\n"
               "Number Of Special Abilities := 65535\nNumber of Requirements := 65535\n\n";
  ASSERT_LT(records.size(), 12000u);
  auto r = Load(records);
  ASSERT_EQ(r.errors.size(), DATA_FILE_MAX_ERROR_LINES + 1);
  EXPECT_EQ(r.errors.back().rfind("... and ", 0), 0u) << r.errors.back();
  EXPECT_NE(r.errors.back().find(" more errors in this file."), std::string::npos);
  EXPECT_EQ(r.list->m_Count(), 60);
}
