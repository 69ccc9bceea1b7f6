// Listening socket that accepts every connection into a new server-side
// client object, numbers the clients, greets each with a banner line, keeps
// them in a list and reports client connects and disconnects.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "NetSocket.h"

class TCustomNetSocketServer;

// Server-side client socket.
class TNetSocketClient : public TNetSocket {
public:
  // Joins the server's client list (the server owns and frees it).
  explicit TNetSocketClient(TCustomNetSocketServer* server);
  ~TNetSocketClient() override;

  std::string Banner;
  std::int32_t ClientId() const { return f_client_id; }
  TCustomNetSocketServer* Server() const { return f_server; }
  // Peer address and port as captured when the connection was taken over.
  std::string GetPeerAddr() override { return f_peer_addr; }
  std::string GetPeerPort() override { return f_peer_port; }
  // Sends Banner and LineEnd when Banner is not empty.
  virtual void StartConnection();
  void Dup(TSocket handle) override;
  std::string Name;

protected:
  void TriggerSessionClosed(std::uint16_t error) override;

private:
  friend class TCustomNetSocketServer;
  std::int32_t f_client_id = 0;
  TCustomNetSocketServer* f_server;
  std::string f_peer_addr, f_peer_port;
  bool f_closed_reported = false;
};

class TCustomNetSocketServer : public TNetSocket {
public:
  TCustomNetSocketServer();
  ~TCustomNetSocketServer() override;

  // Makes a new client of the chosen class (default TNetSocketClient).
  std::function<TNetSocketClient*(TCustomNetSocketServer*)> ClientClass;
  std::string Banner = "Welcome to Quorvane Game Server";
  std::string BannerTooBusy = "Sorry, too many clients";
  std::int32_t MaxClients = 0;
  std::string Name;

  std::function<void(TCustomNetSocketServer*, TNetSocketClient*)> OnClientCreate;
  std::function<void(TCustomNetSocketServer*, TNetSocketClient*, std::uint16_t)> OnClientConnect;
  std::function<void(TCustomNetSocketServer*, TNetSocketClient*, std::uint16_t)> OnClientDisconnect;

  std::int32_t ClientCount() const { return static_cast<std::int32_t>(f_clients.size()); }
  // Client at a 0-based position, none outside the list.
  TNetSocketClient* Client(std::int32_t index) const;
  bool Is_Client(const TNetSocketClient* c) const;
  // Handle a client as if it had closed with error 10053, at once.
  void Disconnect(TNetSocketClient* client);
  void DisconnectAll();
  // Last id given; the next client gets the next one not in use (1 after
  // Last_Client_Id).
  static constexpr std::int32_t Last_Client_Id = 65535;
  std::int32_t f_last_client_id = 0;

protected:
  void Handle_Message(TNet_Message& m) override;
  std::int32_t MessageCount() const override { return 8; }
  void RegisterMessages() override;
  void UnregisterMessages() override;
  void TriggerSessionAvailable(std::uint16_t error) override;

private:
  friend class TNetSocketClient;
  void Client_Closed(TNetSocketClient* client, std::int32_t id, std::uint16_t error);
  std::vector<TNetSocketClient*> f_clients;
  std::uint32_t f_msg_client_closed = 0;
};

class TNetSocketServer : public TCustomNetSocketServer {};
