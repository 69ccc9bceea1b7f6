// A small world for the tests: a map, an empire list, unit types and
// technology areas installed as the game's globals, and helpers that build
// regions out of 32-pixel squares.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Empire.h"
#include "Errors.h"
#include "Io_Tagged.h"
#include "MapClass.h"
#include "World_Links.h"
#include "Datafile_BaseGameSettings.h"
#include "GameSettings.h"
#include "World_Unit_Facts.h"
#include "Datafile_Formula_List.h"

// Records the event-log and main-screen calls of the world model.
struct TRecording_Links : TWorld_Event_Log_Link, TWorld_Main_Screen_Link {
  std::vector<std::tuple<std::int32_t, std::uint8_t, std::uint8_t, std::int32_t>> captures;
  int ownership_changes = 0;
  int cameras = 0;
  TVector last_eye;
  std::vector<std::string> notices;
  void m_Add_Notice(const std::string& text) override { notices.push_back(text); }
  void m_Add_Region_Captured(std::int32_t date, std::uint8_t former, std::uint8_t new_owner,
                             std::int32_t region) override {
    captures.emplace_back(date, former, new_owner, region);
  }
  bool m_Exists() const override { return true; }
  void Map_Ownership_Changed() override { ++ownership_changes; }
  void m_Set_Camera(const TVector& eye, const TVector&, bool, const TVector&) override {
    ++cameras;
    last_eye = eye;
  }
};

// Unit types of the tests, by index.
enum : std::uint16_t {
  UT_INFANTRY = 1,  // land, combat, 1 x 1, family "Infantry" (id 1)
  UT_TRUCK,         // land, no combat, 1 x 1, family "Vehicle" (id 2)
  UT_SHIP,          // sea surface, carries 4 infantry (space 1) and trucks (space 2), capacity 6
  UT_PLANE,         // air, combat, 1 x 1
  UT_TANK,          // land, combat, 2 x 2, family "Vehicle" (id 2)
  UT_CITY,          // land, no combat, square size 0 x 0, family "City" (id 3)
  UT_SUB,           // undersea, combat
  UT_FLAT,          // land, combat, 3 x 1
  UT_COUNT = UT_FLAT
};

class World_Test : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A region of cols x rows squares of 32 pixels whose top-left square is
  // at (left, top); its grid and label are built.
  TMap_Region& Add_Region(std::int32_t id, std::uint8_t kind, std::int32_t cols, std::int32_t rows,
                          std::int32_t left = 0, std::int32_t top = 0, std::uint8_t owner = 0,
                          std::int32_t value = 1);
  // Connects two regions both ways.
  void Connect(std::int32_t a, std::int32_t b);
  // Adds a unit and places it in its region.
  std::int32_t Place(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner, std::uint8_t moves = 1);

  // The unit type at an index of the test list.
  TUnit_Type& Type(std::uint16_t index) { return *unit_types.m_Get_Item(index); }
  // Replaces the technology areas: display name, internal name, start and
  // maximum level of each.
  struct TTech_Values {
    const char* display_name;
    const char* internal_name;
    std::int32_t start_level, maximum_level;
  };
  void Set_Tech_Areas(const std::vector<TTech_Values>& areas);
  // Gives the unit type one requirement: the formula text, which the global
  // formula list registers.
  void Require(std::uint16_t unit_type, const std::string& formula);

  TMap map;
  TEmpire_List empires;
  TRecording_Links links;
  TUnit_Type_List unit_types;
  TTech_Area_List tech_areas;

private:
  TUnit_Type_List* f_saved_unit_types = nullptr;
  TTech_Area_List* f_saved_tech_areas = nullptr;
  bool f_had_formula_list = false;
};
