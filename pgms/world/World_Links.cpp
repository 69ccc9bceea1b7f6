#include "World_Links.h"

namespace {
TWorld_Event_Log_Link idle_event_log;
TWorld_Main_Screen_Link idle_main_screen;
TWorld_Event_Log_Link* event_log_link = &idle_event_log;
TWorld_Main_Screen_Link* main_screen_link = &idle_main_screen;
// Constant-initialised, so that a loader installed during the static
// start-up of another module stays.
TWorld_Texture_Loader texture_loader = nullptr;
}  // namespace

void TWorld_Event_Log_Link::m_Add_Region_Captured(std::int32_t, std::uint8_t, std::uint8_t, std::int32_t) {}

bool TWorld_Main_Screen_Link::m_Exists() const { return false; }
void TWorld_Main_Screen_Link::Map_Ownership_Changed() {}
void TWorld_Main_Screen_Link::m_Set_Camera(const TVector&, const TVector&, bool, const TVector&) {}
void TWorld_Main_Screen_Link::m_Add_Notice(const std::string&) {}
const std::vector<std::int32_t>& TWorld_Main_Screen_Link::m_Highlighted_Regions() const {
  static const std::vector<std::int32_t> none;
  return none;
}
std::int32_t TWorld_Main_Screen_Link::m_Selected_Region() const { return 0; }
const std::vector<TSelected_Unit>& TWorld_Main_Screen_Link::m_Selected_Groups() const {
  static const std::vector<TSelected_Unit> none;
  return none;
}
bool TWorld_Main_Screen_Link::m_Get_Hover_Position(std::int32_t& x, std::int32_t& y) const {
  x = 0;
  y = 0;
  return false;
}
void TWorld_Main_Screen_Link::m_Game_Over(std::uint8_t) {}

TWorld_Event_Log_Link& World_Event_Log_Link() { return *event_log_link; }
TWorld_Main_Screen_Link& World_Main_Screen_Link() { return *main_screen_link; }
void Set_World_Event_Log_Link(TWorld_Event_Log_Link* link) { event_log_link = link ? link : &idle_event_log; }
void Set_World_Main_Screen_Link(TWorld_Main_Screen_Link* link) {
  main_screen_link = link ? link : &idle_main_screen;
}

void Set_World_Texture_Loader(TWorld_Texture_Loader loader) { texture_loader = loader; }
std::int32_t World_Load_Texture(const std::string& file, std::uint8_t group, std::uint8_t color_key_type) {
  return texture_loader ? texture_loader(file, group, color_key_type) : 0;
}
