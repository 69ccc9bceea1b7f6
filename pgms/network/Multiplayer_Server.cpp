#include "Multiplayer_Server.h"


#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include "Errors.h"
#include "Native_Path.h"

namespace {

std::string Class_Name(const std::exception& e) {
  if (dynamic_cast<const ESocketException*>(&e)) return "ESocketException";
  if (dynamic_cast<const EConvertError*>(&e)) return "EConvertError";
  if (dynamic_cast<const EInOutError*>(&e)) return "EInOutError";
  if (dynamic_cast<const ERangeError*>(&e)) return "ERangeError";
  if (dynamic_cast<const EGlobarch_Error*>(&e)) return "EGlobarch_Error";
  return "Exception";
}

std::string Two_Digits(long long v) {
  char b[24];
  std::snprintf(b, sizeof b, "%02lld", v);
  return b;
}

// Time since connect as hh:nn:ss (hours wrap at a day).
std::string Duration_Text(std::chrono::system_clock::time_point since) {
  auto s = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now() - since).count();
  if (s < 0) s = 0;
  return Two_Digits((s / 3600) % 24) + ":" + Two_Digits((s / 60) % 60) + ":" + Two_Digits(s % 60);
}

std::string File_Name_Part(const std::string& path) {
  std::size_t p = path.find_last_of("\\/");
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string Read_Whole_File(const std::string& path) {
  std::FILE* f = std::fopen(Native_Path(path).c_str(), "rb");
  if (!f) throw EInOutError("File not found: " + path);
  std::string bytes;
  char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) throw EInOutError("Read error: " + path);
  return bytes;
}

// A reply larger than this is no address echo.
constexpr std::size_t Max_HTTP_Reply = 1 << 20;

// The whole reply of an HTTP/1.0 GET; raises ESocketException on any
// failure, including the time limit for the whole exchange. Touches no
// shared state, so it may run on a thread of its own.
std::string HTTP_Get_Or_Throw(const std::string& url, std::int32_t timeout_ms) {
  std::string rest = url;
  std::size_t slashes = rest.find("//");
  if (slashes != std::string::npos) rest = rest.substr(slashes + 2);
  std::size_t slash = rest.find('/');
  std::string host = slash == std::string::npos ? rest : rest.substr(0, slash);
  std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
  std::string host_name = host, port = "80";
  std::size_t colon = host.rfind(':');
  if (colon != std::string::npos) {
    host_name = host.substr(0, colon);
    port = host.substr(colon + 1);
  }
  TNet_Blocking_Connection conn(host_name, port, timeout_ms);
  conn.Write("GET " + path + " HTTP/1.0 \r\nHost: " + host + "\r\n\r\n" + std::string(1, '\0'));
  std::string reply;
  char block[4096];
  for (;;) {
    std::size_t n = conn.Read(block, sizeof block);
    if (n == 0) break;
    reply.append(block, n);
    if (reply.size() > Max_HTTP_Reply) throw ESocketException("Reply too long");
  }
  return reply;
}

// The address in an address-echo reply: its last line (lines end in CR LF,
// LF or CR).
std::string Last_Reply_Line(const std::string& reply) {
  std::vector<std::string> lines;
  std::string cur;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    char ch = reply[i];
    if (ch == '\r' || ch == '\n') {
      lines.push_back(cur);
      cur.clear();
      if (ch == '\r' && i + 1 < reply.size() && reply[i + 1] == '\n') ++i;
    } else {
      cur += ch;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines.empty() ? "" : lines.back();
}

}  // namespace

struct TMultiplayer_Server::TWAN_Lookup {
  std::mutex lock;
  bool done = false;
  bool failed = false;
  std::string reply;
};

std::string MP_Socket_State_Name(TSocketState state) {
  static const char* const names[] = {"Invalid State", "Opened",    "Bound",     "Connecting", "SocksConnected",
                                      "Connected",     "Accepting", "Listening", "Closed"};
  return state < 9 ? names[state] : "";
}

TMultiplayer_Server::TMultiplayer_Server() : f_socket(std::make_unique<TNetSocketServer>()) {}

TMultiplayer_Server::~TMultiplayer_Server() {
  f_event_handler = nullptr;
  *f_self = nullptr;
  if (Net_In_Dispatch()) {
    // One of the sockets may be inside its own event right now (the host
    // was closed from a handler): the sockets are freed by the pump once
    // that event has returned, and their events meanwhile reach nothing.
    Net_Free_Later(f_socket.release());
  } else {
    try {
      f_socket->OnChangeState = nullptr;
      f_socket->OnClientDisconnect = nullptr;
      f_socket->DisconnectAll();
      f_socket->Close();
    } catch (...) {
    }
  }
  Free_Queues();
}

bool TMultiplayer_Server::Event(MP_Event_Code code, const std::string& text, std::int32_t client_id) {
  auto self = f_self;  // outlives this object if the handler frees it
  if (f_event_handler) {
    TMP_Event_Handler handler = f_event_handler;
    handler(code, client_id, text);
  }
  return *self != nullptr;
}

void TMultiplayer_Server::m_Listen(const std::string& address, const std::string& port) {
  try {
    TNetSocketServer& s = *f_socket;
    s.Set_Proto("tcp");
    s.Set_Port(port);
    s.Set_LocalPort(port);
    s.Set_Addr(address);
    s.Set_LocalAddr(address);
    s.ClientClass = [](TCustomNetSocketServer* server) -> TNetSocketClient* { return new TGameSrvClient(server); };
    auto self = f_self;
    s.OnSessionConnected = [self](TCustomNetSocket*, std::uint16_t) {
      if (*self && (*self)->Event(MP_SERVER_DEBUG_MSG, "Session Connected"))
        (*self)->Event(MP_SERVER_CONNECTED, "Session Connected");
    };
    s.OnSessionClosed = [self](TCustomNetSocket*, std::uint16_t) {
      if (*self && (*self)->Event(MP_SERVER_DEBUG_MSG, "Session Closed"))
        (*self)->Event(MP_SERVER_DISCONNECTED, "Session Closed");
    };
    s.OnSessionAvailable = [self](TCustomNetSocket*, std::uint16_t) {
      if (*self) (*self)->Event(MP_SERVER_DEBUG_MSG, "Session Available");
    };
    s.OnChangeState = [self](TCustomNetSocket*, TSocketState, TSocketState now) {
      if (*self) (*self)->State_Change(now);
    };
    s.OnBgException = [self](TNetWndControl*, const std::exception& e, bool& can_close) {
      can_close = false;
      if (!*self) return;
      std::string text = "Server exception occured: " + Class_Name(e) + ": " + e.what();
      if ((*self)->Event(MP_SERVER_DEBUG_MSG, "Error: " + text)) (*self)->Event(MP_SERVER_ERROR, text);
    };
    s.OnClientConnect = [self](TCustomNetSocketServer*, TNetSocketClient* c, std::uint16_t e) {
      if (*self) (*self)->Client_Connect(c, e);
    };
    s.OnClientDisconnect = [self](TCustomNetSocketServer*, TNetSocketClient* c, std::uint16_t e) {
      if (*self) (*self)->Client_Disconnect(c, e);
    };
    s.Listen();
    Event(MP_SERVER_DEBUG_MSG, "Waiting for clients...");
    Event(MP_SERVER_DEBUG_MSG, "  Addr: " + s.Addr());
    Event(MP_SERVER_DEBUG_MSG, "  Port: " + s.Port());
    Event(MP_SERVER_DEBUG_MSG, "  LocalAddr: " + s.LocalAddr());
    Event(MP_SERVER_DEBUG_MSG, "  LocalPort: " + s.LocalPort());
  } catch (const std::exception& e) {
    Event(MP_SERVER_ERROR, "Exception - " + Class_Name(e) + ": " + e.what());
  }
}

void TMultiplayer_Server::State_Change(TSocketState new_state) {
  Event(MP_SERVER_DEBUG_MSG, "New State: " + MP_Socket_State_Name(new_state));
  if (new_state == wsListening) Event(MP_SERVER_LISTENING, "Listening");
}

bool TMultiplayer_Server::Receives_All(TNetSocketClient* client) const {
  if (!client || client->State() != wsConnected) return false;
  return !f_members_only || static_cast<TGameSrvClient*>(client)->f_member;
}

TGameSrvClient* TMultiplayer_Server::Find_Client(std::int32_t client_id) const {
  for (std::int32_t i = 0; i < f_socket->ClientCount(); ++i)
    if (TNetSocketClient* c = f_socket->Client(i); c && c->ClientId() == client_id)
      return static_cast<TGameSrvClient*>(c);
  return nullptr;
}

bool TMultiplayer_Server::m_Admit(std::int32_t client_id) {
  TGameSrvClient* c = Find_Client(client_id);
  if (c) c->f_member = true;
  return c != nullptr;
}

bool TMultiplayer_Server::m_Is_Member(std::int32_t client_id) const {
  const TGameSrvClient* c = Find_Client(client_id);
  return c && c->f_member;
}

std::int32_t TMultiplayer_Server::m_Recipient_Count() const {
  std::int32_t n = 0;
  for (std::int32_t i = 0; i < f_socket->ClientCount(); ++i) n += Receives_All(f_socket->Client(i)) ? 1 : 0;
  return n;
}

void TMultiplayer_Server::Send_To_All(const std::string& text) {
  Event(MP_SERVER_DEBUG_MSG, "Send_To_All: " + text);
  std::string line = std::string(MP_Message_Prefix) + text + "\r\n";
  for (std::int32_t i = 0; i < f_socket->ClientCount(); ++i) {
    TNetSocketClient* c = f_socket->Client(i);
    if (Receives_All(c)) c->SendText(line);
  }
}

void TMultiplayer_Server::Send_To_Specific(std::int32_t client_id, const std::string& text) {
  Event(MP_SERVER_DEBUG_MSG, "Send_To_Specific(" + std::to_string(client_id) + "): " + text);
  std::string line = std::string(MP_Message_Prefix) + text + "\r\n";
  if (TGameSrvClient* c = Find_Client(client_id); c && c->State() == wsConnected) c->SendText(line);
}

void TMultiplayer_Server::Client_Connect(TNetSocketClient* client, std::uint16_t error) {
  if (!client) {
    if (error != 0) Event(MP_SERVER_ERROR, "Error: " + std::to_string(error));
    return;
  }
  auto* c = static_cast<TGameSrvClient*>(client);
  if (!Event(MP_SERVER_DEBUG_MSG, "Client connected. Remote: " + c->GetPeerAddr() + "/" + c->GetPeerPort() +
                                 " Local: " + c->GetLocalAddr() + "/" + c->GetLocalPort()))
    return;
  if (!Event(MP_SERVER_DEBUG_MSG, "There is now " + std::to_string(f_socket->ClientCount()) + " clients connected."))
    return;
  c->LineEnd = "\r\n";
  c->Set_LineMode(true);
  // A game connection carries its bytes as they were sent: a backspace or
  // a tab in a name or a chat line is the sender's, not an edit of the line.
  c->LineEdit = false;
  // Long honest messages arrive split by TCP; a line is bounded all the
  // same, and so is what one client can make the host hold for it.
  c->LineLimit = MP_Line_Limit;
  c->SendQueueLimit = MP_Send_Queue_Limit;
  auto self = f_self;
  c->OnDataAvailable = [self, c](TCustomNetSocket*, std::uint16_t e) {
    if (*self) (*self)->Client_Data_Available(c, e);
  };
  c->OnLineLimitExceeded = [self, c](TCustomLineNetSocket*, std::int32_t, bool& clear) {
    if (*self) (*self)->Client_Line_Limit(c, clear);
  };
  c->OnBgException = [self, c](TNetWndControl*, const std::exception& e, bool& can_close) {
    if (*self) (*self)->Client_Exception(c, e, can_close);
  };
  c->f_connect_time = std::chrono::system_clock::now();
  if (error != 0 && !Event(MP_SERVER_ERROR, "Error: " + std::to_string(error))) return;
  Event(MP_SERVER_CLIENT_CONNECTED, "", c->ClientId());
}

void TMultiplayer_Server::Client_Disconnect(TNetSocketClient* client, std::uint16_t error) {
  auto* c = static_cast<TGameSrvClient*>(client);
  if (!Event(MP_SERVER_DEBUG_MSG,
             "Client disconnecting: " + c->GetPeerAddr() + "   Duration: " + Duration_Text(c->f_connect_time)))
    return;
  if (!Event(MP_SERVER_DEBUG_MSG,
             "There is now " + std::to_string(f_socket->ClientCount() - 1) + " clients connected."))
    return;
  if (error != 0 && !Event(MP_SERVER_ERROR, "Error: " + std::to_string(error))) return;
  Event(MP_SERVER_CLIENT_DISCONNECTED, "", c->ClientId());
}

void TMultiplayer_Server::Client_Data_Available(TGameSrvClient* c, std::uint16_t error) {
  std::string line = c->ReceiveText();
  c->f_last_line = line;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  if (!Event(MP_SERVER_DEBUG_MSG, "Received from " + c->GetPeerAddr() + ": '" + line + "'")) return;
  if (error != 0 && !Event(MP_SERVER_ERROR, "Error: " + std::to_string(error))) return;
  if (line.find(MP_File_Received) != std::string::npos) {
    m_Send_Next_File(m_Transfer_Position(c->ClientId()));
  } else if (line.rfind(MP_Message_Prefix, 0) == 0) {
    std::string message = line.substr(2);
    if (f_members_only && !c->f_member) {
      // Before its login a client may only log in.
      std::string rest = message;
      bool allowed = false;
      try {
        const std::uint8_t code = MP_Decode_Byte(rest);
        allowed = std::find(f_codes_before_admission.begin(), f_codes_before_admission.end(), code) !=
                  f_codes_before_admission.end();
      } catch (const EGlobarch_Error&) {
      }
      if (!allowed) {
        Event(MP_SERVER_DEBUG_MSG, "Dropped a line of client " + std::to_string(c->ClientId()) +
                                       ", which has not logged in");
        return;
      }
    }
    Event(MP_SERVER_MESSAGE, message, c->ClientId());
  }
}

void TMultiplayer_Server::Client_Line_Limit(TGameSrvClient* c, bool& clear_data) {
  std::string text = "Line limit exceeded from " + c->GetPeerAddr() + ". Closing.";
  clear_data = true;
  c->CloseDelayed();
  if (Event(MP_SERVER_DEBUG_MSG, "Error: " + text)) Event(MP_SERVER_ERROR, text);
}

void TMultiplayer_Server::Client_Exception(TGameSrvClient*, const std::exception& e, bool& can_close) {
  can_close = true;
  Event(MP_SERVER_DEBUG_MSG, "Client exception occured: " + Class_Name(e) + ": " + e.what());
}

void TMultiplayer_Server::Free_Queues() {
  f_queues.clear();
  f_finished.clear();
  f_transfer_ids.clear();
  f_transfer_count = 0;
}

bool TMultiplayer_Server::m_Send_Files(const std::vector<std::string>& file_list) {
  Free_Queues();
  for (std::int32_t i = 0; i < f_socket->ClientCount(); ++i) {
    TNetSocketClient* c = f_socket->Client(i);
    if (!Receives_All(c)) continue;
    f_queues.push_back(std::make_unique<std::vector<std::string>>(file_list));
    f_finished.push_back(0);
    f_transfer_ids.push_back(c->ClientId());
  }
  f_transfer_count = static_cast<std::int32_t>(f_transfer_ids.size());
  bool result = false;
  for (std::int32_t p = 1; p <= f_transfer_count; ++p) result = m_Send_Next_File(p);
  return result;
}

bool TMultiplayer_Server::m_Send_Next_File(std::int32_t p) {
  if (p < 1 || p > f_transfer_count || f_finished[static_cast<std::size_t>(p - 1)]) return false;
  auto& queue = f_queues[static_cast<std::size_t>(p - 1)];
  bool sent = false;
  if (queue && !queue->empty()) {
    std::string path = queue->front();
    queue->erase(queue->begin());
    m_Send_File(p, path, File_Name_Part(path));
    sent = true;
  }
  if (!queue || queue->empty()) {
    f_finished[static_cast<std::size_t>(p - 1)] = 1;
    queue.reset();
  }
  return sent;
}

void TMultiplayer_Server::m_Send_File(std::int32_t p, const std::string& path, const std::string& name) {
  const std::string bytes = Read_Whole_File(path);
  const std::string announce = MP_Binary_Announce_Line(static_cast<std::int64_t>(bytes.size()), name);
  // The announcement and the frame leave as one piece of the stream.
  const std::size_t header_at = announce.size();
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) - header_at -
                         static_cast<std::size_t>(MP_Frame_Header_Size))
    throw EIntOverflow("File too large to send: " + path);
  const auto size = static_cast<std::int32_t>(bytes.size());
  std::string piece;
  piece.reserve(header_at + static_cast<std::size_t>(MP_Frame_Header_Size) + bytes.size());
  piece = announce;
  piece.resize(header_at + static_cast<std::size_t>(MP_Frame_Header_Size), '\0');
  MP_Write_Frame_Header(THdrRec{0, size}, reinterpret_cast<unsigned char*>(piece.data() + header_at));
  piece += bytes;
  // The file goes to the client that held this position when the transfer
  // began, found by its id: the list shifts when an earlier client leaves.
  TNetSocketClient* target = nullptr;
  if (p >= 1 && p <= static_cast<std::int32_t>(f_transfer_ids.size()))
    target = Find_Client(f_transfer_ids[static_cast<std::size_t>(p - 1)]);
  if (target && target->State() == wsConnected) target->Send(piece.data(), static_cast<std::int32_t>(piece.size()));
  Event(MP_SERVER_DEBUG_MSG, "Send Str: " + announce.substr(0, announce.size() - 2));
}

std::int32_t TMultiplayer_Server::m_Client_Position(std::int32_t client_id) const {
  for (std::int32_t i = 0; i < f_socket->ClientCount(); ++i)
    if (f_socket->Client(i)->ClientId() == client_id) return i + 1;
  return 0;
}

std::int32_t TMultiplayer_Server::m_Transfer_Position(std::int32_t client_id) const {
  for (std::size_t i = 0; i < f_transfer_ids.size(); ++i)
    if (f_transfer_ids[i] == client_id) return static_cast<std::int32_t>(i) + 1;
  return 0;
}

const std::vector<std::string>* TMultiplayer_Server::Queue(std::int32_t p) const {
  if (p < 1 || p > f_transfer_count) return nullptr;
  return f_queues[static_cast<std::size_t>(p - 1)].get();
}

bool TMultiplayer_Server::Finished(std::int32_t p) const {
  return p >= 1 && p <= f_transfer_count && f_finished[static_cast<std::size_t>(p - 1)] != 0;
}

void TMultiplayer_Server::Report_No_WAN_Address() {
  if (Event(MP_SERVER_DEBUG_MSG, "Could not get WAN IP.")) Event(MP_SERVER_ERROR, "Could not get WAN IP.");
}

std::string TMultiplayer_Server::m_HTTP_Get(const std::string& url) {
  try {
    return HTTP_Get_Or_Throw(url, f_http_timeout_ms);
  } catch (const std::exception&) {
    Report_No_WAN_Address();
    return "";
  }
}

std::string TMultiplayer_Server::m_Get_WAN_Address() { return Last_Reply_Line(m_HTTP_Get(f_wan_address_url)); }

void TMultiplayer_Server::m_Start_WAN_Lookup() {
  auto lookup = std::make_shared<TWAN_Lookup>();
  f_wan_lookup = lookup;
  try {
    std::thread([lookup, url = f_wan_address_url, timeout = f_http_timeout_ms] {
      std::string reply;
      bool failed = false;
      try {
        reply = HTTP_Get_Or_Throw(url, timeout);
      } catch (...) {
        failed = true;
      }
      std::lock_guard<std::mutex> g(lookup->lock);
      lookup->reply = std::move(reply);
      lookup->failed = failed;
      lookup->done = true;
    }).detach();
  } catch (const std::system_error&) {
    // No thread could be started: the look-up has failed at once.
    lookup->failed = true;
    lookup->done = true;
  }
}

bool TMultiplayer_Server::m_Poll_WAN_Address(std::string& address) {
  if (!f_wan_lookup) return false;
  bool failed = false;
  {
    std::lock_guard<std::mutex> g(f_wan_lookup->lock);
    if (!f_wan_lookup->done) return false;
    failed = f_wan_lookup->failed;
    address = failed ? std::string() : Last_Reply_Line(f_wan_lookup->reply);
  }
  f_wan_lookup.reset();
  if (failed) Report_No_WAN_Address();
  return true;
}
