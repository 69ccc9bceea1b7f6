// Where the modules of the game screens, the help pop-up and the network
// game plug into the main window.
//
// The main window creates its root control through the main-screen factory
// the first time the engine starts; the main screen module installs its
// factory (Set_Main_Screen_Factory) before the main window is shown. Until
// one is installed a plain TMain_Screen_Base stands in: an empty black
// screen that shows messages and lists in its dialogs.
//
// The per-frame operations of the help pop-up and of the network action
// queue, and the handler of network events, are links that their modules
// install; the main window installs what the screens ask of it. A link not
// installed does nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DC_Base_Dialog.h"
#include "Message_Kind.h"

// The root control of the main window. The main screen derives from it; the
// shell reaches it only through these operations and the control tree's.
class TMain_Screen_Base : public TDC_Dlg_BaseDialog {
public:
  TMain_Screen_Base();
  // A message of the program (an error or a notice, a plain message);
  // messages that arrive while one is open wait behind it.
  virtual void m_Show_Screen_Message(const std::string& caption, const std::string& text, TMessage_Kind kind);
  // The list dialog with a caption, a second text and the rows.
  virtual void m_Show_Screen_List(const std::vector<std::string>& rows, const std::string& caption,
                                  const std::string& text);
  // After a device reset: the ownership colours of the map are drawn again.
  virtual void Map_Ownership_Changed();
  // The screen's width and height are those of the back buffer.
  std::int32_t m_Get_Width() override;
  std::int32_t m_Get_Height() override;
};

using TMain_Screen_Factory = TMain_Screen_Base* (*)();
// Installs the factory of the main screen (nullptr: the stand-in).
void Set_Main_Screen_Factory(TMain_Screen_Factory factory);
// A new main screen from the installed factory (or the stand-in).
TMain_Screen_Base* Create_Main_Screen();

struct TShell_Links {
  // The help pop-up: its delay countdown each frame, and its drawing after
  // the control tree.
  void (*help_text_update_timer)(float elapsed) = nullptr;
  void (*help_text_draw)() = nullptr;
  // The network game: the handler of the host's and the client's events,
  // and the action queue (made with the host or the client, freed with
  // them, processed each frame while it exists).
  void (*multiplayer_event)(std::int32_t code, std::int32_t client_id, const std::string& text) = nullptr;
  void (*action_queue_create)() = nullptr;
  void (*action_queue_free)() = nullptr;
  bool (*action_queue_exists)() = nullptr;
  void (*action_queue_process)(float elapsed) = nullptr;
  // The main window, installed while it exists: asked to close at the end
  // of its frame, to drop the network game's host or client (with the action
  // queue), and to route the events of a host or client it just made to the
  // handler above.
  void (*request_close)() = nullptr;
  void (*free_multiplayer)() = nullptr;
  void (*attach_multiplayer_events)() = nullptr;
};

// The links in force.
TShell_Links& Shell_Links();
