#include "Lobby_Game_Link.h"

namespace {
// Constant-initialised, so a link installed during static start-up (by the
// game folder) is never overwritten by this module's own start-up.
constinit TLobby_Game_Link g_no_game;
constinit TLobby_Game_Link* g_link = nullptr;
}  // namespace

std::int32_t TLobby_Game_Link::m_Empire_Count() const { return 0; }
bool TLobby_Game_Link::m_Empire(std::int32_t, TLobby_Empire_Row&) const { return false; }
void TLobby_Game_Link::m_Set_Computer_Controlled(std::int32_t, bool) {}
bool TLobby_Game_Link::m_Has_Map() const { return false; }
bool TLobby_Game_Link::m_Write_Game_Files(const std::string&, bool) { return false; }
std::vector<std::string> TLobby_Game_Link::m_Game_Folder_Files() const { return {}; }
bool TLobby_Game_Link::m_Has_Stored_Map(const std::string&) const { return false; }
bool TLobby_Game_Link::m_Replace_With_Stored_Map(const std::string&, const std::string&) { return false; }
bool TLobby_Game_Link::m_Load_Step(const std::string&, bool, bool, TLoad_Result& result, std::int32_t) {
  result = TLoad_Result::Game;
  return false;
}
void TLobby_Game_Link::m_Clear_Action_Timer() {}

TLobby_Game_Link& Lobby_Game_Link() { return g_link ? *g_link : g_no_game; }
void Set_Lobby_Game_Link(TLobby_Game_Link* link) { g_link = link; }
