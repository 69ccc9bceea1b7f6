// The particle drawing's view of the camera and the fonts, served by the
// engine's own frustum, camera vectors and numbered fonts. The shell
// installs it with Set_Particle_View_Link once the engine runs.
#pragma once

#include "GraphicsEngine_ParticleList.h"

class TG_Engine_Particle_View_Link : public TGParticle_View_Link {
public:
  // The sphere test against the view frustum.
  bool G_Sphere_Visible(const TVector& centre, float radius) override;
  // The published camera right vector.
  TVector m_Camera_Right() override;
  // Makes the font current, takes the colour and draws the text centred on
  // the world position.
  void G_Font_Draw_Centered_Text_At_World_Position(std::int32_t font, TColor colour, const TVector& position,
                                                   const std::string& text) override;
};

// The one engine link.
TG_Engine_Particle_View_Link& G_Engine_Particle_View_Link();
