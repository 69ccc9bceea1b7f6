#include "GraphicsEngine_View_Link.h"

#include "Datafile_MainFonts.h"
#include "GraphicsEngine_Culling.h"

bool TG_Engine_Particle_View_Link::G_Sphere_Visible(const TVector& centre, float radius) {
  return ::G_Sphere_Visible(centre, radius);
}

TVector TG_Engine_Particle_View_Link::m_Camera_Right() { return G_Camera_Right; }

void TG_Engine_Particle_View_Link::G_Font_Draw_Centered_Text_At_World_Position(std::int32_t font, TColor colour,
                                                                              const TVector& position,
                                                                              const std::string& text) {
  G_Font_Set_Font(font);
  G_Font_Set_Color(colour);
  ::G_Font_Draw_Centered_Text_At_World_Position(text, position.x, position.y, position.z);
}

TG_Engine_Particle_View_Link& G_Engine_Particle_View_Link() {
  static TG_Engine_Particle_View_Link link;
  return link;
}
