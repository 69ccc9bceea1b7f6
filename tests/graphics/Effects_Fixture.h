// Effects read from a text, with the particle list and the emitter events
// created, and the formula list kept as it was found.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataFile_Base_Loader.h"
#include "DataFile_Base_Parser.h"
#include "Datafile_EffectEmitters.h"
#include "Datafile_Formula_List.h"
#include "GraphicsEngine_EmitterEvents.h"
#include "GraphicsEngine_ParticleList.h"

class TEffects_Fixture : public ::testing::Test {
protected:
  void SetUp() override {
    f_had_formulas = Formula_List != nullptr;
    if (!f_had_formulas) Formula_List_Create();
    G_Create_Particle_Systems();
  }
  void TearDown() override {
    G_Free_Particle_Systems();
    Effects_Free();
    if (!f_had_formulas) Formula_List_Free();
  }

  // Replaces the global effect list by the effects of the text.
  std::vector<std::string> Load(const std::string& text) {
    Effects_Free();
    Effect_List = new TEffect_List();
    std::vector<std::string> errors;
    Effect_List->m_Parse(TData_File_Parser::Split_Lines(text), errors);
    return errors;
  }

  std::string Formula_Text(std::int32_t index) const { return Formula_List->m_Get_Text(index); }

  TEmitter& Emitter(std::int32_t effect, std::int32_t emitter) {
    TEffect* e = Effect_List->m_Get_Effect(effect);
    EXPECT_NE(e, nullptr);
    TEmitter* em = e ? e->m_Get_Emitter(emitter) : nullptr;
    EXPECT_NE(em, nullptr);
    return *em;
  }

private:
  bool f_had_formulas = false;
};
