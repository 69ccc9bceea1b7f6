// The game setup dialog as the lobby of a network game (host or join). It
// owns the lobby's conversation (TGameSetup_Lobby), shows what the lobby
// holds (title, OK caption, status, player rows, game description, chat,
// which controls take input) after every change, and hands the player's
// input to it: OK, Cancel, Send, the login box's answer and the timer.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "DC_Dlg_GameSetup.h"
#include "DC_Dlg_Login.h"
#include "Multiplayer_Lobby.h"

class TDC_Dlg_GameSetup_Network : public TDC_Dlg_GameSetup {
public:
  // mode 3 host, 4 join; loaded: the host resumes the loaded game. The
  // network objects are the main window's unless others are given.
  TDC_Dlg_GameSetup_Network(std::uint8_t mode, bool loaded, TLobby_Network* network = nullptr);
  ~TDC_Dlg_GameSetup_Network() override;

  void m_Set_Mode(std::uint8_t mode, bool loaded) override;
  void m_Button_Click(const std::string& name) override;
  void m_On_Timer(float elapsed) override;
  void m_On_Child_Killed(const std::string& child_name) override;
  void m_Draw(double elapsed) override;

  TGameSetup_Lobby& m_Lobby() { return *f_lobby; }
  TDC_Dlg_Login* m_Login_Dialog() { return f_login_dialog.get(); }

  // Copies what the player typed or chose in the controls that take input
  // into the lobby.
  void m_Take_Input();
  // Shows the lobby's data in the controls when it changed since last shown.
  void m_Show_Lobby(bool always = false);

protected:
  void m_Game_Created() override;
  void m_Open_Login(bool resumed);

  std::unique_ptr<TGameSetup_Lobby> f_lobby;
  std::unique_ptr<TDC_Dlg_Login> f_login_dialog;
  std::uint64_t f_shown_changes = 0;
  bool f_shown_once = false;
  std::int32_t f_drawn_names[2] = {1, 1};
  // Chat lines shown so far (the lobby's count), and the rows each line
  // still in the list took.
  std::uint64_t f_chat_shown = 0;
  std::deque<std::int32_t> f_chat_rows;
};

// Makes the start menu's host and join choices open this dialog.
void Game_Setup_Network_Install();
