#include "Turn_Links.h"
#include "Game_Command_Post.h"

#include "Datafile_EffectEmitters.h"
#include "GraphicsEngine_ParticleList.h"
#include "World_Links.h"

void TTurn_Links::m_Centre_Camera(float, float) {}
void TTurn_Links::m_Set_Screen_Mode(TScreen_Mode) {}
void TTurn_Links::m_Show_Message(const std::string&, const std::string&, TMessage_Kind) {}
void TTurn_Links::m_Show_Status(const std::string&) {}
void TTurn_Links::m_Show_Turn_Status() {}
void TTurn_Links::m_Clear_Notices() {}
// The main screen learns of the end of the game whatever else is linked.
void TTurn_Links::m_Show_Game_Over(std::uint8_t player) { World_Main_Screen_Link().m_Game_Over(player); }
std::int32_t TTurn_Links::m_Find_Effect(const std::string& name) {
  return Effect_List ? Effect_List->m_Find_By_Name(name) : 0;
}
bool TTurn_Links::m_Start_Effect(std::int32_t, const TVector&, const TVector&, std::int32_t) { return false; }
void TTurn_Links::m_Add_Floating_Text(const std::string& text, const TVector& position, const TVector4& colour,
                                      const TVector& velocity, std::int32_t lifetime_ms) {
  if (g_tg_particle_list) g_tg_particle_list->m_Add_Floating_Text(position, velocity, float(lifetime_ms), colour, text);
}
std::int32_t TTurn_Links::m_Start_Sound_3D(const std::string&, const TVector&) { return 0; }
void TTurn_Links::m_Move_Sound_3D(std::int32_t, const TVector&) {}
void TTurn_Links::m_Stop_Sound(std::int32_t) {}
void TTurn_Links::m_Play_Interface_Sound(std::int32_t, std::int32_t) {}
// The host's turn messages are commands of their own, sent by a host alone.
void TTurn_Links::m_Send_Game_Date(std::int32_t date) { Game_Command_Post(TCommand_Game_Date{date}); }
void TTurn_Links::m_Send_Current_Player(std::uint8_t player) { Game_Command_Post(TCommand_Current_Player{player}); }
void TTurn_Links::m_Send_Crash(std::int32_t unit_id) { Game_Command_Post(TCommand_Crash{unit_id}); }
void TTurn_Links::m_Send_End_Turn_Status(std::uint8_t player) { Game_Command_Post(TCommand_Turn_Status{player}); }
void TTurn_Links::m_Send_Start_Player_Turn(std::uint8_t player) {
  Game_Command_Post(TCommand_Start_Player_Turn{player});
}

namespace {
TTurn_Links g_idle_links;
TTurn_Links* g_links = &g_idle_links;
}  // namespace

TTurn_Links& Turn_Links() { return *g_links; }
void Set_Turn_Links(TTurn_Links* links) { g_links = links ? links : &g_idle_links; }
