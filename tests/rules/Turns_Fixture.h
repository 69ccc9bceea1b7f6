// A small hand-built world for the map actions and the end of turn: unit
// types, regions of 32-pixel squares, empires, the event log and an action
// timer with the game's rules plugged in, and links that record what the
// rules ask of the screens, effects and sounds.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Empire.h"
#include "EventLog.h"
#include "GameSettings.h"
#include "MachineOptions.h"
#include "MapClass.h"
#include "MasterActionTimer.h"
#include "Turn_Links.h"
#include "World_Unit_Facts.h"

struct TRecording_Turn_Links : TTurn_Links {
  std::vector<std::string> calls;
  bool effects_start = false;  // whether effects start
  std::int32_t explosion = 0;  // effect number of "Explosion"
  std::vector<std::int32_t> effect_ids;
  std::vector<std::string> texts;
  std::int32_t m_Find_Effect(const std::string& name) override { return name == "Explosion" ? explosion : 0; }
  bool m_Start_Effect(std::int32_t effect, const TVector&, const TVector&, std::int32_t id) override {
    calls.push_back("effect " + std::to_string(effect));
    effect_ids.push_back(id);
    return effects_start;
  }
  void m_Add_Floating_Text(const std::string& text, const TVector&, const TVector4&, const TVector&,
                           std::int32_t) override {
    texts.push_back(text);
  }
  void m_Show_Game_Over(std::uint8_t player) override { calls.push_back("game over " + std::to_string(player)); }
  void m_Show_Message(const std::string& caption, const std::string& text, TMessage_Kind) override {
    calls.push_back(caption + ": " + text);
  }
  void m_Show_Status(const std::string& text) override { calls.push_back("status " + text); }
};

enum : std::uint16_t { UT_SOLDIER = 1, UT_JET, UT_CANNON, UT_FORT, UT_BOAT, UT_CAR };

class Turns_Test : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A region of cols x rows squares at (left, top).
  TMap_Region& Add_Region(std::int32_t id, std::uint8_t kind, std::int32_t cols, std::int32_t rows,
                          std::int32_t left, std::uint8_t owner, std::int32_t value = 1);
  void Connect(std::int32_t a, std::int32_t b);
  std::int32_t Place(std::int32_t region, std::uint16_t unit_type, std::uint8_t owner, std::uint8_t moves = 2);
  // Leaves the region no room for one more stack: its squares are split as
  // far as they go and every free one is taken by a stack of a type and
  // owner no test uses.
  void Fill_Squares(std::int32_t region);
  // Players 1..n (computer players as flagged); each knows every region.
  void Players(const std::vector<bool>& computer);
  TUnit_Type& Type(std::uint16_t t) { return *unit_types.m_Get_Item(t); }
  // Frames of dt until the table is empty (at most `limit`); frames run.
  std::int32_t Run(float dt = 0.05f, std::int32_t limit = 100000);
  // The event log's kinds in order.
  std::vector<std::uint8_t> Event_Kinds() const;

  TMap map;
  TEmpire_List empires;
  TUnit_Type_List unit_types;
  TTech_Area_List tech_areas;
  TMaster_Action_Timer timer;
  TMachine_Options options;
  TRecording_Turn_Links links;

private:
  TUnit_Type_List* f_saved_types = nullptr;
  TTech_Area_List* f_saved_areas = nullptr;
  TMachine_Options* f_saved_options = nullptr;
};
