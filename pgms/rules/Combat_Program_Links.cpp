#include "Combat_Program_Links.h"

#include "GraphicsEngine_EmitterEvents.h"
#include "SoundEngine_Sound_Main.h"

namespace {

TCombat_Program_Links g_program_links;

TSound_Vector Sound_Point(const TVector& v) { return TSound_Vector{v.x, v.y, v.z}; }

}  // namespace

std::int32_t TCombat_Program_Links::m_Start_Sound_3D(const std::string& name, const TVector& position) {
  if (name.empty()) return 0;
  return Sound_Play_3D_Sound(name, 0, Sound_Point(position), TSound_Vector{});
}

void TCombat_Program_Links::m_Move_Sound_3D(std::int32_t handle, const TVector& position) {
  // An empty name only moves a sound that still plays.
  Sound_Update_3D_Sound_Position("", 0, handle, Sound_Point(position), TSound_Vector{});
}

bool TCombat_Program_Links::m_Start_Effect(std::int32_t effect, const TVector& source, const TVector& target,
                                           std::int32_t action_id) {
  // The effect's end moves the attack on (the timer's m_Effect_Finished).
  return effect != 0 && g_tg_emitter_events &&
         g_tg_emitter_events->m_Start_Effect(effect, source, target, 1, action_id);
}

void Combat_Program_Links_Install() { Set_Combat_Links(&g_program_links); }

void Combat_Program_Links_Remove() {
  if (&Combat_Links() == &g_program_links) Set_Combat_Links(nullptr);
}
