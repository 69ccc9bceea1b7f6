#include "Shell_Network_Links.h"

#include "DC_Main.h"
#include "FrmMain.h"
#include "Multiplayer_ActionQueue.h"
#include "Multiplayer_GameActions.h"
#include "Multiplayer_Lobby.h"
#include "Shell_Links.h"

namespace {

class TShell_MP_Links : public TMP_Game_Links {
public:
  TMultiplayer_Server* m_Server() override { return Frm_Main ? Frm_Main->m_Server() : nullptr; }
  TMultiplayer_Client* m_Client() override { return Frm_Main ? Frm_Main->m_Client() : nullptr; }
  void m_Show_Chat_Line(const std::string& text) override {
    if (G_DC_Main) G_DC_Main->m_Chat_Add_Line(text);
  }
  void m_Show_Chat() override {
    if (G_DC_Main) G_DC_Main->m_Show_Chat();
  }
  void m_Show_Message(const std::string& text) override {
    if (G_DC_Main) G_DC_Main->m_Show_Screen_Message("Error", text, TMessage_Kind::Plain);
  }
  void m_Map_Ownership_Changed() override {
    if (G_DC_Main) G_DC_Main->Map_Ownership_Changed();
  }
  void m_Open_Dialog(const std::string& name) override {
    if (G_DC_Main) G_DC_Main->m_Open_Dialog(name, 0, 0);
  }
  void m_Release_Combat_Begin() override {
    if (G_DC_Main) G_DC_Main->m_Release_Combat_Begin();
  }
  void m_Release_Combat_End() override {
    if (G_DC_Main) G_DC_Main->m_Release_Combat_End();
  }
};

TShell_MP_Links Links;

// The lobby's network objects are the main window's; once the lobby closes
// the network events go to the running game's handler.
class TShell_Lobby_Network : public TLobby_Network {
public:
  TMultiplayer_Server* m_Server() override { return Frm_Main ? Frm_Main->m_Server() : nullptr; }
  TMultiplayer_Client* m_Client() override { return Frm_Main ? Frm_Main->m_Client() : nullptr; }
  void m_Start_Server() override {
    if (Frm_Main) Frm_Main->m_Start_Server();
  }
  void m_Start_Client() override {
    if (Frm_Main) Frm_Main->m_Start_Client();
  }
  void m_Free() override {
    if (Frm_Main) Frm_Main->m_Free_Multiplayer();
  }
  void m_Game_Event(MP_Event_Code code, std::int32_t id, const std::string& text) override {
    if (Frm_Main)
      Frm_Main->m_On_Multiplayer_Event(code, id, text);
    else if (Shell_Links().multiplayer_event)
      Shell_Links().multiplayer_event(code, id, text);
  }
};

TShell_Lobby_Network Lobby_Network;

}  // namespace

void Shell_Network_Links_Install() {
  Set_MP_Game_Links(&Links);
  Set_Lobby_Default_Network(&Lobby_Network);
  TShell_Links& shell = Shell_Links();
  shell.multiplayer_event = [](std::int32_t code, std::int32_t client_id, const std::string& text) {
    Multiplayer_Event(static_cast<MP_Event_Code>(code), client_id, text);
  };
  shell.action_queue_create = [] {
    delete MP_Action_Queue;
    MP_Action_Queue = new TMultiplayer_Action_Queue();
  };
  shell.action_queue_free = [] {
    delete MP_Action_Queue;
    MP_Action_Queue = nullptr;
  };
  shell.action_queue_exists = [] { return MP_Action_Queue != nullptr; };
  shell.action_queue_process = [](float elapsed) {
    if (MP_Action_Queue) MP_Action_Queue->m_Process_Queue(elapsed);
  };
}
