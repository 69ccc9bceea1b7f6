#include "NetSocketServer.h"

#include <algorithm>
#include <memory>

#include "Socket_Binding.h"

namespace {
struct TClient_Closed_Record {
  TNetSocketClient* client;
  std::int32_t id;
};
}  // namespace

// ----------------------------------------------------------------- client

TNetSocketClient::TNetSocketClient(TCustomNetSocketServer* server) : f_server(server) {
  if (f_server) f_server->f_clients.push_back(this);
}

TNetSocketClient::~TNetSocketClient() {
  if (f_server) {
    auto& l = f_server->f_clients;
    l.erase(std::remove(l.begin(), l.end(), this), l.end());
  }
}

void TNetSocketClient::StartConnection() {
  if (!Banner.empty()) SendText(Banner + LineEnd);
}

void TNetSocketClient::Dup(TSocket handle) {
  TNetSocket::Dup(handle);
  if (f_hsocket == INVALID_SOCKET) return;
  // The peer's address is kept: it names the client in reports also after
  // the connection has gone.
  std::string address;
  std::uint16_t port = 0;
  if (Sock_Peer_Address(f_hsocket, address, port)) {
    f_peer_addr = address;
    f_peer_port = std::to_string(port);
  }
}

void TNetSocketClient::TriggerSessionClosed(std::uint16_t error) {
  if (!f_closed_reported && f_server) {
    f_closed_reported = true;
    auto rec = std::make_shared<TClient_Closed_Record>(TClient_Closed_Record{this, f_client_id});
    f_server->Post_Message(f_server->f_msg_client_closed, error, 0, rec);
  }
  TNetSocket::TriggerSessionClosed(error);
}

// ----------------------------------------------------------------- server

TCustomNetSocketServer::TCustomNetSocketServer() {
  // The socket's constructor took a target with room for its own seven
  // messages; the server needs eight, so it takes its target anew.
  DestroyHiddenWindow();
  CreateHiddenWindow();
  ClientClass = [](TCustomNetSocketServer* s) { return new TNetSocketClient(s); };
}

TCustomNetSocketServer::~TCustomNetSocketServer() {
  while (!f_clients.empty()) {
    TNetSocketClient* c = f_clients.back();
    f_clients.pop_back();
    c->f_server = nullptr;
    try {
      delete c;
    } catch (...) {
    }
  }
  if (f_handler) f_handler->UnregisterMessage(f_msg_client_closed);
}

void TCustomNetSocketServer::RegisterMessages() {
  TNetSocket::RegisterMessages();
  f_msg_client_closed = f_handler->RegisterMessage(this);
}

void TCustomNetSocketServer::UnregisterMessages() {
  if (f_handler) f_handler->UnregisterMessage(f_msg_client_closed);
  TNetSocket::UnregisterMessages();
}

TNetSocketClient* TCustomNetSocketServer::Client(std::int32_t index) const {
  if (index < 0 || index >= ClientCount()) return nullptr;
  return f_clients[static_cast<std::size_t>(index)];
}

bool TCustomNetSocketServer::Is_Client(const TNetSocketClient* c) const {
  return std::find(f_clients.begin(), f_clients.end(), c) != f_clients.end();
}

void TCustomNetSocketServer::TriggerSessionAvailable(std::uint16_t error) {
  TNetSocket::TriggerSessionAvailable(error);
  TNetSocketClient* client = nullptr;
  if (error == 0) {
    // The connection is taken before any client object exists, so a
    // refused accept leaves nothing behind.
    TSocket h = INVALID_SOCKET;
    try {
      h = Accept();
    } catch (const ESocketException&) {
      h = INVALID_SOCKET;
    }
    if (h == INVALID_SOCKET) {
      // A connection that vanished before it was taken is no failure; a
      // system out of descriptors or memory is asked again only after a
      // pause, so the pending connection does not wake the pump on every
      // pass.
      if (LastError == WSAEWOULDBLOCK || LastError == WSAECONNABORTED || LastError == WSAEINTR) return;
      Back_Off_Accepting();
      error = static_cast<std::uint16_t>(LastError != 0 ? LastError : WSAEINVAL);
    } else {
      // Ids fit the 16 bits the game's player slots keep of them and are
      // never those of a client still connected.
      do {
        f_last_client_id = f_last_client_id >= Last_Client_Id ? 1 : f_last_client_id + 1;
      } while (std::any_of(f_clients.begin(), f_clients.end(),
                           [&](const TNetSocketClient* c) { return c->f_client_id == f_last_client_id; }));
      std::unique_ptr<TNetSocketClient> made(ClientClass(this));
      made->f_client_id = f_last_client_id;
      if (OnClientCreate) OnClientCreate(this, made.get());
      made->Name = (Name.empty() ? "" : Name) + "Client" + std::to_string(made->f_client_id);
      made->Banner = Banner;
      made->Dup(h);
      client = made.release();
    }
  }
  if (OnClientConnect) OnClientConnect(this, client, error);
  if (client && Is_Client(client) && client->State() == wsConnected) {
    if (MaxClients < 1) {
      client->StartConnection();
    } else if (ClientCount() > MaxClients) {
      client->Banner = BannerTooBusy;
      client->StartConnection();
      client->Close();
    } else {
      client->StartConnection();
    }
  }
}

void TCustomNetSocketServer::Client_Closed(TNetSocketClient* client, std::int32_t id, std::uint16_t error) {
  if (!Is_Client(client) || client->f_client_id != id) return;
  try {
    if (OnClientDisconnect) OnClientDisconnect(this, client, error);
  } catch (...) {
    delete client;
    throw;
  }
  delete client;
}

void TCustomNetSocketServer::Handle_Message(TNet_Message& m) {
  if (m.msg == f_msg_client_closed && f_msg_client_closed != 0) {
    auto rec = std::static_pointer_cast<TClient_Closed_Record>(m.data);
    if (rec) Client_Closed(rec->client, rec->id, static_cast<std::uint16_t>(m.wParam));
    return;
  }
  TNetSocket::Handle_Message(m);
}

void TCustomNetSocketServer::Disconnect(TNetSocketClient* client) {
  if (!Is_Client(client)) return;
  client->f_closed_reported = true;
  client->Close();
  Client_Closed(client, client->f_client_id, WSAECONNABORTED);
}

void TCustomNetSocketServer::DisconnectAll() {
  while (!f_clients.empty()) Disconnect(f_clients.front());
}
