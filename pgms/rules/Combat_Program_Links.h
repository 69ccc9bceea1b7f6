// The battle's links to the running program's sounds and visual effects:
// movement sounds of moving pieces and the effects of attacks. Installed
// at start-up with the other global objects.
#pragma once

#include "Combat.h"

class TCombat_Program_Links : public TCombat_Links {
public:
  std::int32_t m_Start_Sound_3D(const std::string& name, const TVector& position) override;
  void m_Move_Sound_3D(std::int32_t handle, const TVector& position) override;
  bool m_Start_Effect(std::int32_t effect, const TVector& source, const TVector& target,
                      std::int32_t action_id) override;
};

// Makes the program's links the battle's links; Remove restores the links
// that do nothing when the program's are in force.
void Combat_Program_Links_Install();
void Combat_Program_Links_Remove();
