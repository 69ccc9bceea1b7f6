#include "Shell_Links.h"

#include "GraphicsEngine.h"

namespace {
TMain_Screen_Factory main_screen_factory = nullptr;
TShell_Links links;
}  // namespace

TMain_Screen_Base::TMain_Screen_Base() = default;

void TMain_Screen_Base::m_Show_Screen_Message(const std::string& caption, const std::string& text,
                                             TMessage_Kind) {
  // Queued behind a message already open.
  m_Show_Message(caption, text, TMessage_Box_Mode::Close, 0, 0);
}

void TMain_Screen_Base::m_Show_Screen_List(const std::vector<std::string>& rows, const std::string& caption,
                                           const std::string& text) {
  m_Show_List(rows, caption, text);
}

void TMain_Screen_Base::Map_Ownership_Changed() {}

std::int32_t TMain_Screen_Base::m_Get_Width() { return G_Screen_Width; }
std::int32_t TMain_Screen_Base::m_Get_Height() { return G_Screen_Height; }

void Set_Main_Screen_Factory(TMain_Screen_Factory factory) { main_screen_factory = factory; }

TMain_Screen_Base* Create_Main_Screen() {
  return main_screen_factory ? main_screen_factory() : new TMain_Screen_Base();
}

TShell_Links& Shell_Links() { return links; }
