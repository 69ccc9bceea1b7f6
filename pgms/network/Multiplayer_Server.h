// The host's side of a network game: listens for the joining machines,
// sends messages to all of them or to one, hands their "QX" lines to the
// owner and sends every client the game's files, one file at a time, each
// after the client has acknowledged the one before. It also finds the
// machine's internet address by asking an address-echo web service.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Multiplayer_Client.h"
#include "Multiplayer_Types.h"
#include "NetSocketServer.h"

// Longest line the host takes from a client, in bytes.
constexpr std::int32_t MP_Line_Limit = 65536;
// Most bytes the host queues for one client that does not read: the
// largest of the game's files (one goes at a time; a Large map's is some
// 300 KB) with room to spare, and what it holds for a member who floods
// the chat and never reads.
constexpr std::int32_t MP_Send_Queue_Limit = 16 * 1024 * 1024;

// Server-side connection of one joining machine.
class TGameSrvClient : public TNetSocketClient {
public:
  // Every line and file leaves at once (no wait for the peer's
  // acknowledgment of what went before).
  explicit TGameSrvClient(TCustomNetSocketServer* server) : TNetSocketClient(server) {
    ComponentOptions |= wsoTcpNoDelay;
  }
  std::string f_last_line;
  std::chrono::system_clock::time_point f_connect_time{};
  // The owner let this client in (it logged in).
  bool f_member = false;
};

class TMultiplayer_Server {
public:
  TMultiplayer_Server();
  ~TMultiplayer_Server();
  TMultiplayer_Server(const TMultiplayer_Server&) = delete;
  TMultiplayer_Server& operator=(const TMultiplayer_Server&) = delete;

  void m_Listen(const std::string& address, const std::string& port);
  // To every connected client; with f_members_only, to the members only.
  void Send_To_All(const std::string& text);
  // To one client by id, member or not (the login exchange).
  void Send_To_Specific(std::int32_t client_id, const std::string& text);

  // With f_members_only set, lines for everybody and the game's files go
  // only to the clients the owner has admitted (those that logged in); a
  // connection that never logged in learns nothing of the game.
  bool f_members_only = false;
  // With f_members_only, the message codes a client that is not a member
  // may send (its login); its other lines are dropped and logged.
  std::vector<std::uint8_t> f_codes_before_admission;
  // Admits the client with this id; false when no such client is connected.
  bool m_Admit(std::int32_t client_id);
  bool m_Is_Member(std::int32_t client_id) const;
  // The connected clients that receive lines for everybody.
  std::int32_t m_Recipient_Count() const;

  // Starts sending the files to every client that receives lines for
  // everybody; true when a file went to the client at the last position.
  bool m_Send_Files(const std::vector<std::string>& file_list);
  bool m_Send_Next_File(std::int32_t position);
  void m_Send_File(std::int32_t position, const std::string& path, const std::string& name);
  // 1-based position of the client in the current client list, 0 when none.
  std::int32_t m_Client_Position(std::int32_t client_id) const;
  // 1-based queue position of the client in the running file transfer, 0
  // when it has none.
  std::int32_t m_Transfer_Position(std::int32_t client_id) const;

  // Blocking look-ups (at most f_http_timeout_ms): for callers off the
  // frame loop.
  std::string m_HTTP_Get(const std::string& url);
  std::string m_Get_WAN_Address();
  // The same look-up on a thread of its own, so the frame loop goes on
  // while the service answers (or never does). A later start replaces an
  // unfinished one; the thread ends by itself within its time limit.
  void m_Start_WAN_Lookup();
  // True once, when the look-up started last has ended: address holds the
  // machine's address, empty when the service could not be asked (reported
  // as by m_Get_WAN_Address). False while it runs or when none was started.
  bool m_Poll_WAN_Address(std::string& address);

  // Address-echo service: "host/path"; "host:port/path" reaches another port
  // than 80.
  std::string f_wan_address_url = "http://api.ipify.org/";
  // Most milliseconds the address look-up waits for the service.
  std::int32_t f_http_timeout_ms = 20000;

  TMP_Event_Handler f_event_handler;
  TNetSocketServer* Socket() const { return f_socket.get(); }
  std::int32_t Transfer_Count() const { return f_transfer_count; }
  // Files still queued for a position (none when its queue is freed).
  const std::vector<std::string>* Queue(std::int32_t position) const;
  bool Finished(std::int32_t position) const;

private:
  // Reports an event; false when the handler freed this object (the caller
  // must return at once).
  bool Event(MP_Event_Code code, const std::string& text, std::int32_t client_id = 0);
  void Client_Connect(TNetSocketClient* client, std::uint16_t error);
  void Client_Disconnect(TNetSocketClient* client, std::uint16_t error);
  void Client_Data_Available(TGameSrvClient* client, std::uint16_t error);
  void Client_Line_Limit(TGameSrvClient* client, bool& clear_data);
  void Client_Exception(TGameSrvClient* client, const std::exception& e, bool& can_close);
  void State_Change(TSocketState new_state);
  bool Receives_All(TNetSocketClient* client) const;
  // The connected client with this id, or null.
  TGameSrvClient* Find_Client(std::int32_t client_id) const;
  void Free_Queues();
  void Report_No_WAN_Address();

  // The running address look-up, shared with its thread.
  struct TWAN_Lookup;
  std::shared_ptr<TWAN_Lookup> f_wan_lookup;

  std::unique_ptr<TNetSocketServer> f_socket;
  // The socket's events reach this object through the cell; the destructor
  // empties it, so events of a socket that outlives it go nowhere.
  std::shared_ptr<TMultiplayer_Server*> f_self = std::make_shared<TMultiplayer_Server*>(this);
  std::int32_t f_transfer_count = 0;
  std::vector<std::unique_ptr<std::vector<std::string>>> f_queues;
  std::vector<std::uint8_t> f_finished;
  // Ids of the clients at the positions 1..n when the transfer began.
  std::vector<std::int32_t> f_transfer_ids;
};

// Name of a socket state ("Invalid State", "Opened", ... "Closed").
std::string MP_Socket_State_Name(TSocketState state);
