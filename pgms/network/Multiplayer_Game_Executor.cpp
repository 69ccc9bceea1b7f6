#include "Multiplayer_Game_Executor.h"

std::int32_t TMP_Game_Executor::m_Execute(TMultiplayer_Action_Queue&, const TMP_Message&, std::int32_t,
                                          bool& continue_batch) {
  continue_batch = false;
  return 0;
}
bool TMP_Game_Executor::m_Action_Done(std::int32_t) { return true; }
bool TMP_Game_Executor::m_Must_Wait(const TMP_Message&) { return false; }
bool TMP_Game_Executor::m_Can_End_Turn() { return false; }
bool TMP_Game_Executor::m_End_Turn_Running() { return false; }
void TMP_Game_Executor::m_Start_End_Turn() {}
bool TMP_Game_Executor::m_Computer_Controlled(std::uint8_t) { return false; }
void TMP_Game_Executor::m_Set_Computer_Controlled(std::uint8_t) {}
std::int32_t TMP_Game_Executor::m_Unit_Owner(std::int32_t) { return 0; }
std::int32_t TMP_Game_Executor::m_Crash_Unit(std::int32_t) { return 0; }
void TMP_Game_Executor::m_Start_Player_Turn(std::uint8_t) {}
void TMP_Game_Executor::m_Execute_Player_Update(std::uint8_t, std::int32_t) {}
void TMP_Game_Executor::m_Combat_Begin(std::int32_t, bool, bool) {}
void TMP_Game_Executor::m_Combat_Begin_Remote(std::int32_t, bool, const std::string&, std::uint8_t, std::uint8_t,
                                              std::uint8_t) {}
void TMP_Game_Executor::m_Combat_Add_Unit_Remote(const TMP_Message&) {}
void TMP_Game_Executor::m_Combat_Wait_Piece_Remote(bool) {}
void TMP_Game_Executor::m_Combat_End_Piece_Turn_Remote(bool) {}
void TMP_Game_Executor::m_Combat_Next_Piece_Remote() {}
void TMP_Game_Executor::m_Combat_Attack_Remote(std::int32_t, std::int32_t, std::int32_t) {}
void TMP_Game_Executor::m_Combat_Move_Remote(std::int32_t, std::int32_t) {}
void TMP_Game_Executor::m_Combat_Results_Remote(std::uint8_t, std::int32_t, std::uint8_t, std::uint8_t) {}

namespace {
TMP_Game_Executor Default_Executor;
TMP_Game_Executor* Executor = &Default_Executor;
}  // namespace

TMP_Game_Executor& MP_Game_Executor() { return *Executor; }
void Set_MP_Game_Executor(TMP_Game_Executor* executor) {
  Executor = executor != nullptr ? executor : &Default_Executor;
}
