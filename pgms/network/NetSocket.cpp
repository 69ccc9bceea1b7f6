#include "NetSocket.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "Socket_Binding.h"

namespace {

std::mutex Instance_Lock;
std::int32_t Instance_Count = 0;

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool Starts_With_Digit(const std::string& s) { return !s.empty() && s[0] >= '0' && s[0] <= '9'; }

// Dotted address: four decimal parts, each below 256, none empty.
bool Is_Dotted_Address(const std::string& s) {
  int parts = 0;
  std::size_t i = 0;
  if (s.empty() || s[0] == '.') return false;
  while (i <= s.size()) {
    std::size_t j = i;
    int value = 0;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
      value = value * 10 + (s[j] - '0');
      if (value > 255) return false;
      ++j;
    }
    if (j == i) return false;
    ++parts;
    if (j == s.size()) break;
    if (s[j] != '.') return false;
    i = j + 1;
  }
  return parts == 4;
}

std::int32_t Last_Error() { return WSocket_From_Errno(errno); }

// Bytes waiting at the system for the socket, -1 when that cannot be asked.
std::int32_t Os_Rcvd_Count(int fd) { return Sock_Bytes_Waiting(fd); }

}  // namespace

namespace {
// One name look-up shared by the caller and the thread that runs it; the
// caller may stop waiting and leave the thread to finish alone.
struct TBlocking_Lookup {
  std::mutex lock;
  std::condition_variable done_signal;
  bool done = false, found = false;
  std::uint32_t address = 0;
};
}  // namespace

bool WSocket_Resolve_IPv4(const std::string& name, std::int32_t timeout_ms, std::uint32_t& address) {
  std::string text = Trim(name);
  if (text.empty()) return false;
  if (Sock_Parse_IPv4(text, address)) return true;
  auto lookup = std::make_shared<TBlocking_Lookup>();
  try {
    std::thread([lookup, text] {
      std::uint32_t a = 0;
      const bool found = Sock_Resolve_IPv4(text, a);
      std::lock_guard<std::mutex> g(lookup->lock);
      lookup->found = found;
      lookup->address = a;
      lookup->done = true;
      lookup->done_signal.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return false;  // no thread could be started
  }
  std::unique_lock<std::mutex> g(lookup->lock);
  if (!lookup->done_signal.wait_for(g, std::chrono::milliseconds(std::max(0, timeout_ms)),
                                    [&] { return lookup->done; }))
    return false;
  if (!lookup->found) return false;
  address = lookup->address;
  return true;
}

int WSocket_Accept_Fault = 0;

std::int32_t WSocket_Instance_Count() {
  std::lock_guard<std::mutex> g(Instance_Lock);
  return Instance_Count;
}

std::int32_t WSocket_From_Errno(int e) {
  switch (e) {
    case 0: return 0;
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case EPIPE: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    default: return 20000 + e;  // no socket error number: "Not a WinSock error"
  }
}

std::string WSocket_ErrorDesc(std::int32_t error) {
  const char* t;
  switch (error) {
    case 0: t = "No Error"; break;
    case 10004: t = "Interrupted system call"; break;
    case 10009: t = "Bad file number"; break;
    case 10013: t = "Permission denied"; break;
    case 10014: t = "Bad address"; break;
    case 10022: t = "Invalid argument"; break;
    case 10024: t = "Too many open files"; break;
    case 10035: t = "Operation would block"; break;
    case 10036: t = "Operation now in progress"; break;
    case 10037: t = "Operation already in progress"; break;
    case 10038: t = "Socket operation on non-socket"; break;
    case 10039: t = "Destination address required"; break;
    case 10040: t = "Message too long"; break;
    case 10041: t = "Protocol wrong type for socket"; break;
    case 10042: t = "Protocol not available"; break;
    case 10043: t = "Protocol not supported"; break;
    case 10044: t = "Socket type not supported"; break;
    case 10045: t = "Operation not supported on socket"; break;
    case 10046: t = "Protocol family not supported"; break;
    case 10047: t = "Address family not supported by protocol family"; break;
    case 10048: t = "Address already in use"; break;
    case 10049: t = "Address not available"; break;
    case 10050: t = "Network is down"; break;
    case 10051: t = "Network is unreachable"; break;
    case 10052: t = "Network dropped connection on reset"; break;
    case 10053: t = "Connection aborted"; break;
    case 10054: t = "Connection reset by peer"; break;
    case 10055: t = "No buffer space available"; break;
    case 10056: t = "Socket is already connected"; break;
    case 10057: t = "Socket is not connected"; break;
    case 10058: t = "Can't send after socket shutdown"; break;
    case 10059: t = "Too many references: can't splice"; break;
    case 10060: t = "Connection timed out"; break;
    case 10061: t = "Connection refused"; break;
    case 10062: t = "Too many levels of symbolic links"; break;
    case 10063: t = "File name too long"; break;
    case 10064: t = "Host is down"; break;
    case 10065: t = "No route to host"; break;
    case 10066: t = "Directory not empty"; break;
    case 10067: t = "Too many processes"; break;
    case 10068: t = "Too many users"; break;
    case 10069: t = "Disc quota exceeded"; break;
    case 10070: t = "Stale NFS file handle"; break;
    case 10071: t = "Too many levels of remote in path"; break;
    case 10091: t = "Network sub-system is unusable"; break;
    case 10092: t = "WinSock DLL cannot support this application"; break;
    case 10093: t = "WinSock not initialized"; break;
    case 11001: t = "Host not found"; break;
    case 11002: t = "Non-authoritative host not found"; break;
    case 11003: t = "Non-recoverable error"; break;
    case 11004: t = "No Data"; break;
    default: t = "Not a WinSock error"; break;
  }
  return std::string(t) + ".";
}

// ---------------------------------------------------------- construction

TCustomNetSocket::TCustomNetSocket() {
  CreateHiddenWindow();
  f_queue.BufSize = 1460;
  f_local_addr = "0.0.0.0";
  f_local_port = "0";
  Restore_Defaults();
  std::lock_guard<std::mutex> g(Instance_Lock);
  ++Instance_Count;
}

TCustomNetSocket::~TCustomNetSocket() {
  f_destroy_started = true;  // no OnSessionClosed from here on
  if (f_state != wsClosed || f_hsocket != INVALID_SOCKET) {
    try {
      Internal_Close(false, 0);
    } catch (...) {
    }
  }
  if (f_hsocket != INVALID_SOCKET) Sock_Close(f_hsocket);
  {
    std::lock_guard<std::mutex> g(Instance_Lock);
    --Instance_Count;
  }
  f_destroy_started = false;
  Release_Window();
}

void TCustomNetSocket::RegisterMessages() {
  TNetWndControl::RegisterMessages();
  f_msg_socket_event = f_handler->RegisterMessage(this);
  f_msg_name_done = f_handler->RegisterMessage(this);
  f_msg_addr_done = f_handler->RegisterMessage(this);
  f_msg_close_delayed = f_handler->RegisterMessage(this);
  f_msg_test_exception = f_handler->RegisterMessage(this);
  f_msg_line_redeliver = f_handler->RegisterMessage(this);
}

void TCustomNetSocket::UnregisterMessages() {
  f_handler->UnregisterMessage(f_msg_line_redeliver);
  f_handler->UnregisterMessage(f_msg_test_exception);
  f_handler->UnregisterMessage(f_msg_close_delayed);
  f_handler->UnregisterMessage(f_msg_addr_done);
  f_handler->UnregisterMessage(f_msg_name_done);
  f_handler->UnregisterMessage(f_msg_socket_event);
  TNetWndControl::UnregisterMessages();
}

void TCustomNetSocket::Restore_Defaults() {
  f_addr_given = f_port_given = false;
  f_addr_resolved = f_port_resolved = false;
  f_proto = "tcp";
  f_proto_given = true;
  f_proto_resolved = false;
  f_protocol = 6;
  f_type = TSock_Type::Stream;
  f_local_port = "0";
  f_local_port_resolved = false;
  f_local_addr = "0.0.0.0";
  LingerOnOff = wsLingerOn;
  LingerTimeout = 0;
  f_hsocket = INVALID_SOCKET;
  f_selected = 0;
  f_state = wsClosed;
  f_all_sent = true;
  f_paused = false;
  f_close_notified = false;
  f_read_posted = f_close_posted = f_write_wanted = f_connect_posted = false;
  FlushTimeout = 60;
}

// ------------------------------------------------------------- properties

// Address, port and protocol: a trimmed text, changeable only while closed;
// setting the same text again changes nothing.
void TCustomNetSocket::Set_Endpoint_Text(const std::string& v, const char* what, std::string& field, bool& given,
                                         bool& resolved) {
  std::string t = Trim(v);
  if (given && t == field) return;
  if (f_state != wsClosed || f_lookup) {
    Raise_Exception(std::string("Cannot change ") + what + " if not closed.");
    return;
  }
  field = t;
  given = !t.empty();
  resolved = false;
}

void TCustomNetSocket::Set_Addr(const std::string& v) {
  Set_Endpoint_Text(v, "Addr", f_addr, f_addr_given, f_addr_resolved);
}

void TCustomNetSocket::Set_Port(const std::string& v) {
  Set_Endpoint_Text(v, "Port", f_port, f_port_given, f_port_resolved);
}

void TCustomNetSocket::Set_Proto(const std::string& v) {
  Set_Endpoint_Text(v, "Proto", f_proto, f_proto_given, f_proto_resolved);
}

void TCustomNetSocket::Set_LocalAddr(const std::string& v) {
  if (f_state != wsClosed) {
    Raise_Exception("Cannot change LocalAddr if not closed.");
    return;
  }
  f_local_addr = v.empty() ? "0.0.0.0" : v;
}

void TCustomNetSocket::Set_LocalPort(const std::string& v) {
  if (f_state != wsClosed) {
    Raise_Exception("Cannot change LocalPort if not closed.");
    return;
  }
  f_local_port = v;
  f_local_port_resolved = false;
}

// ------------------------------------------------------------- errors

void TCustomNetSocket::Raise_Exception(const std::string& message) {
  if (OnError) OnError(this, message);
  else throw ESocketException(message);
}

void TCustomNetSocket::Socket_Error(const std::string& context) {
  std::int32_t error = LastError;
  std::string message = WSocket_ErrorDesc(error) + " (#" + std::to_string(error) + " in " + context + ")";
  if (error == WSAECONNRESET || error == WSAENOTCONN) {
    if (f_hsocket != INVALID_SOCKET) Sock_Close(f_hsocket);
    f_hsocket = INVALID_SOCKET;
    if (f_state != wsClosed) {
      if (!f_close_notified) {
        f_close_notified = true;
        TriggerSessionClosed(static_cast<std::uint16_t>(error));
      }
      Change_State(wsClosed);
    }
  }
  LastError = error;
  Raise_Exception(message);
}

void TCustomNetSocket::Change_State(TSocketState s) {
  TSocketState old = f_state;
  f_state = s;
  // An object being destroyed reports nothing any more.
  if (old != s && OnChangeState && !f_destroy_started) OnChangeState(this, old, s);
}

// ------------------------------------------------------------ resolution

void TCustomNetSocket::Resolve_Proto() {
  if (f_proto.empty()) throw ESocketException("Invalid Protocol.");
  if (Starts_With_Digit(f_proto)) {
    f_protocol = std::atoi(f_proto.c_str());
  } else {
    std::string p = Lower(f_proto);
    if (p == "tcp") f_protocol = 6;
    else if (p == "udp") f_protocol = 17;
    else if (p == "raw") f_protocol = 255;
    else {
      const int number = Sock_Protocol_Number(p);
      if (number < 0) throw ESocketException("Inavlid protocol.");
      f_protocol = number;
    }
  }
  f_type = f_protocol == 6 ? TSock_Type::Stream : f_protocol == 17 ? TSock_Type::Datagram : TSock_Type::Raw;
  f_proto_resolved = true;
}

std::uint16_t TCustomNetSocket::Resolve_Port(const std::string& text) {
  if (text.empty()) throw ESocketException("Invalid port.");
  if (Starts_With_Digit(text)) {
    std::int64_t v = 0;
    for (char c : text) {
      if (c < '0' || c > '9') break;
      v = v * 10 + (c - '0');
      if (v > 65535) throw ESocketException("Invalid port.");
    }
    return static_cast<std::uint16_t>(v);
  }
  const int port = Sock_Service_Port(text, Lower(f_proto));
  if (port < 0) throw ESocketException("Invalid port.");
  return static_cast<std::uint16_t>(port);
}

std::uint32_t TCustomNetSocket::Resolve_Addr(const std::string& raw) {
  std::string text = Trim(raw);
  if (text.empty()) throw ESocketException("Invalid IP Address.");
  if (Is_Dotted_Address(text)) {
    std::uint32_t a = 0;
    if (!Sock_Parse_IPv4(text, a)) throw ESocketException("Invalid IP address.");
    return a;
  }
  std::uint32_t a = 0;
  if (!WSocket_Resolve_IPv4(text, WSocket_Name_Timeout_ms, a)) throw ESocketException("Invalid IP Address");
  return a;
}

// ------------------------------------------------------------ operations

void TCustomNetSocket::Select_Notifications(std::uint32_t bits, const std::string& context) {
  if (!Sock_Set_Non_Blocking(f_hsocket)) {
    LastError = Last_Error();
    Socket_Error(context);
    return;
  }
  f_selected = bits;
}

void TCustomNetSocket::Apply_Linger() {
  if (LingerOnOff == wsLingerNoSet) return;
  if (f_hsocket == INVALID_SOCKET) {
    Raise_Exception("Cannot set linger option at this time.");
    return;
  }
  // Lingering "on" with a time of 0 would reset the connection at close and
  // throw away the last bytes sent (a greeting followed by a close, a final
  // message); it is left to the system's graceful close instead.
  if (!Sock_Set_Linger(f_hsocket, LingerOnOff == wsLingerOn && LingerTimeout > 0, LingerTimeout)) {
    LastError = Last_Error();
    Socket_Error("setsockopt(SO_LINGER)");
  }
}

void TCustomNetSocket::Connect() {
  if ((f_hsocket != INVALID_SOCKET && f_state != wsClosed) || f_lookup) {
    Raise_Exception("Socket already in use.");
    return;
  }
  if (!f_port_given) { Raise_Exception("No Port Specified."); return; }
  if (!f_addr_given) { Raise_Exception("No IP Address Specified."); return; }
  if (!f_proto_given) { Raise_Exception("No Protocol Specified."); return; }
  std::string host;
  try {
    Resolve_Endpoint(false);
    if (!f_local_port_resolved) {
      f_local_port_num = Resolve_Port(f_local_port);
      f_local_port_resolved = true;
    }
    if (!f_addr_resolved) {
      host = Trim(f_addr);
      // Digits and points only are an address, never a host's name (a
      // mistyped one fails at once).
      if (host.find_first_not_of("0123456789.") == std::string::npos) {
        if (!Is_Dotted_Address(host)) throw ESocketException("Invalid IP address.");
        f_sin_addr = Resolve_Addr(host);
        f_addr_resolved = true;
      }
    }
  } catch (const ESocketException&) {
    Raise_Exception("Connection Error.");
    return;
  }
  // A host name may take the resolver long to answer: the connection goes
  // on when it has.
  if (!f_addr_resolved) {
    Start_Name_Lookup(host);
    return;
  }
  Connect_Resolved();
}

struct TCustomNetSocket::TName_Lookup {
  std::mutex lock;
  bool done = false, found = false, posted = false;
  std::uint32_t address = 0;
  int wake_read = -1, wake_write = -1;
  ~TName_Lookup() {
    if (wake_read >= 0) Sock_Close(wake_read);
    if (wake_write >= 0) Sock_Close(wake_write);
  }
};

std::function<bool(const std::string&, std::uint32_t&)> WSocket_Name_Resolver;

void TCustomNetSocket::Start_Name_Lookup(const std::string& name) {
  auto lookup = std::make_shared<TName_Lookup>();
  if (!Sock_Wake_Open(lookup->wake_read, lookup->wake_write)) {
    LastError = Last_Error();
    Socket_Error("Connection Error");
    return;
  }
  // The thread owns its share of the record: whatever becomes of the
  // socket, the record (and the pipe it signals) lives until it is done.
  try {
    std::thread([lookup, name, resolver = WSocket_Name_Resolver] {
      std::uint32_t address = 0;
      const bool found = resolver ? resolver(name, address) : Sock_Resolve_IPv4(name, address);
      {
        std::lock_guard<std::mutex> g(lookup->lock);
        lookup->found = found;
        lookup->address = address;
        lookup->done = true;
      }
      Sock_Wake_Signal(lookup->wake_write);
    }).detach();
  } catch (const std::system_error&) {
    Raise_Exception("Connection Error.");
    return;
  }
  f_lookup = std::move(lookup);
}

void TCustomNetSocket::Name_Lookup_Done(const std::shared_ptr<void>& record) {
  // An answer for a look-up the socket has dropped (closed, or connecting
  // anew) is no answer any more.
  if (!f_lookup || record != std::static_pointer_cast<void>(f_lookup)) return;
  bool found = false;
  {
    std::lock_guard<std::mutex> g(f_lookup->lock);
    found = f_lookup->found;
    f_sin_addr = f_lookup->address;
  }
  f_lookup.reset();
  bool closed_told = false;
  if (found) {
    f_addr_resolved = true;
    try {
      Connect_Resolved();
      return;
    } catch (const ESocketException&) {
      // The half-made socket goes quietly; the failure is reported below.
      const std::int32_t error = LastError;
      closed_told = f_close_notified;
      f_close_notified = true;
      Internal_Close(false, 0);
      f_close_notified = false;
      LastError = error;
    }
  } else {
    LastError = WSAHOST_NOT_FOUND;
  }
  // Reported as a connection that failed: connected with the error, then
  // closed.
  const std::int32_t error = LastError != 0 ? LastError : WSAECONNREFUSED;
  TriggerSessionConnected(static_cast<std::uint16_t>(error));
  if (!closed_told) TriggerSessionClosed(0);
}

void TCustomNetSocket::Connect_Resolved() {
  f_queue.Delete_All();
  f_buffered = 0;
  f_hsocket = Sock_Create(f_type, f_protocol);
  if (f_hsocket == INVALID_SOCKET) {
    LastError = Last_Error();
    Socket_Error("Connection Error");
    return;
  }
  Change_State(wsOpened);
  if (f_state != wsOpened) {
    LastError = WSAEINVAL;
    Socket_Error("Connect (Invalid operation in OnChangeState)");
    return;
  }
  if (!Sock_Set_Reuse_Address(f_hsocket)) {
    LastError = Last_Error();
    Socket_Error("Invalid Socket Options.");
    return;
  }
  if (ComponentOptions & wsoTcpNoDelay) Sock_Set_No_Delay(f_hsocket, true);
  Apply_Linger();
  if (f_local_port_num != 0 || f_local_addr != "0.0.0.0") {
    std::uint32_t local = 0;
    try {
      local = Resolve_Addr(f_local_addr);
    } catch (const ESocketException&) {
      Raise_Exception("Bind socket failed.");
      return;
    }
    if (!Sock_Bind(f_hsocket, local, f_local_port_num)) {
      LastError = Last_Error();
      Socket_Error("Bind socket failed.");
      return;
    }
    std::string bound_addr;
    std::uint16_t bound_port = 0;
    if (Sock_Local_Address(f_hsocket, bound_addr, bound_port)) f_local_port = std::to_string(bound_port);
  }
  Select_Notifications(FD_READ | FD_WRITE | FD_CLOSE | FD_CONNECT, "WSAAsyncSelect Error");
  if (Sock_Connect(f_hsocket, f_sin_addr, f_sin_port) == 0 || errno == EINPROGRESS || errno == EWOULDBLOCK) {
    Change_State(wsConnecting);
  } else {
    LastError = Last_Error();
    Socket_Error("Connection Error");
  }
}

void TCustomNetSocket::Resolve_Endpoint(bool address) {
  if (!f_proto_resolved) Resolve_Proto();
  if (!f_port_resolved) {
    f_sin_port = Resolve_Port(f_port);
    f_port_resolved = true;
  }
  if (address && !f_addr_resolved) {
    f_sin_addr = Resolve_Addr(f_addr);
    f_addr_resolved = true;
  }
}

void TCustomNetSocket::Listen() {
  if (!f_port_given) { LastError = WSAEINVAL; Socket_Error("Port not assigned."); return; }
  if (!f_proto_given) { LastError = WSAEINVAL; Socket_Error("Protocol not assigned."); return; }
  if (!f_addr_given) { LastError = WSAEINVAL; Socket_Error("Address not assigned."); return; }
  try {
    Resolve_Endpoint();
  } catch (const ESocketException& e) {
    Raise_Exception(e.what());
    return;
  }
  if (f_protocol != 6) {
    Raise_Exception("Unknown socket protocol.");
    return;
  }
  f_queue.Delete_All();
  f_buffered = 0;
  f_hsocket = Sock_Create(f_type, f_protocol);
  if (f_hsocket == INVALID_SOCKET) {
    LastError = Last_Error();
    Socket_Error("Invalid socket.");
    return;
  }
  Sock_Set_Reuse_Address(f_hsocket);
  if (!Sock_Bind(f_hsocket, f_sin_addr, f_sin_port)) {
    LastError = Last_Error();
    Socket_Error("Unable to bind socket.");
    return;
  }
  Change_State(wsBound);
  if (!Sock_Listen(f_hsocket, ListenBacklog)) {
    LastError = Last_Error();
    Socket_Error("Unable to listen to socket.");
    return;
  }
  Change_State(wsListening);
  Select_Notifications(FD_ACCEPT | FD_CLOSE, "Socket Error.");
}

TSocket TCustomNetSocket::Accept() {
  if (f_state != wsListening) {
    LastError = WSAEINVAL;
    Socket_Error("not a listening socket");
    return INVALID_SOCKET;
  }
  if (WSocket_Accept_Fault != 0) {
    errno = WSocket_Accept_Fault;
    f_accepted = INVALID_SOCKET;
  } else {
    f_accepted = Sock_Accept(f_hsocket);
  }
  if (f_accepted == INVALID_SOCKET) {
    LastError = Last_Error();
    Socket_Error("Accept");
    return INVALID_SOCKET;
  }
  return f_accepted;
}

void TCustomNetSocket::Dup(TSocket handle) {
  if (handle == 0 || handle == INVALID_SOCKET) {
    LastError = WSAEINVAL;
    Socket_Error("Dup");
    return;
  }
  if (f_state != wsClosed) {
    if (f_hsocket != INVALID_SOCKET) Sock_Close(f_hsocket);
    f_hsocket = INVALID_SOCKET;
    Change_State(wsClosed);
  }
  f_hsocket = handle;
  f_close_notified = false;
  if (ComponentOptions & wsoTcpNoDelay) Sock_Set_No_Delay(f_hsocket, true);
  Apply_Linger();
  Select_Notifications(FD_READ | FD_WRITE | FD_CLOSE, "WSAAsyncSelect");
  Change_State(wsConnected);
}

void TCustomNetSocket::Shutdown(int how) {
  if (f_hsocket != INVALID_SOCKET) Sock_Shutdown(f_hsocket, how);
}

void TCustomNetSocket::Internal_Close(bool shutdown, std::int32_t error) {
  // A host name still being looked up is forgotten; its answer finds no one.
  f_lookup.reset();
  if (f_hsocket != INVALID_SOCKET && f_state != wsClosed) {
    if (shutdown) Shutdown(1);
    if (Sock_Close(f_hsocket) != 0 && errno != EINTR) {
      f_hsocket = INVALID_SOCKET;
      LastError = Last_Error();
      Socket_Error("Disconnect (closesocket)");
    }
    f_hsocket = INVALID_SOCKET;
    Change_State(wsClosed);
    if (!f_destroy_started && !f_close_notified) {
      f_close_notified = true;
      TriggerSessionClosed(static_cast<std::uint16_t>(error));
    }
    Restore_Defaults();
  } else if (f_state != wsClosed) {
    if (f_hsocket != INVALID_SOCKET) Sock_Close(f_hsocket);
    Change_State(wsClosed);
    Restore_Defaults();
  }
}

void TCustomNetSocket::Close() { Internal_Close(true, 0); }

void TCustomNetSocket::CloseDelayed() { Post_Message(f_msg_close_delayed, 0, 0); }

void TCustomNetSocket::Drop_Connection(std::int32_t error) {
  {
    std::lock_guard<std::recursive_mutex> g(f_queue.Lock());
    f_queue.Delete_All();
    f_buffered = 0;
  }
  f_all_sent = true;
  if (f_state == wsConnected && f_hsocket != INVALID_SOCKET) {
    LingerOnOff = wsLingerOff;
    try {
      Apply_Linger();
    } catch (...) {
    }
  }
  LastError = error;
  Internal_Close(false, error);
}

void TCustomNetSocket::Back_Off_Accepting() { f_accept_resume = std::chrono::steady_clock::now() + AcceptBackoff; }

void TCustomNetSocket::Abort() {
  f_queue.Delete_All();
  f_buffered = 0;
  if (f_state == wsConnected && f_protocol == 6) {
    LingerOnOff = wsLingerOff;
    if (f_hsocket != INVALID_SOCKET) {
      try {
        Apply_Linger();
      } catch (...) {
      }
    }
  }
  Internal_Close(false, 0);
}

std::int32_t TCustomNetSocket::Send(const void* data, std::int32_t len) {
  if (f_state != wsConnected && f_state != wsSocksConnected) {
    LastError = WSAENOTCONN;
    Socket_Error("Send");
    return -1;
  }
  if (SendQueueLimit > 0 && len > 0 && static_cast<std::int64_t>(f_buffered) + len > SendQueueLimit) {
    // The peer has stopped reading: holding more for it would only grow.
    Drop_Connection(WSAENOBUFS);
    return -1;
  }
  f_all_sent = false;
  if (len > 0) {
    std::lock_guard<std::recursive_mutex> g(f_queue.Lock());
    f_queue.Write(data, len);
    f_buffered = Checked_Add(f_buffered, len);
  } else {
    len = 0;
  }
  TryToSend();
  if (f_all_sent) Post_Event(FD_WRITE, 0);
  return len;
}

std::int32_t TCustomNetSocket::SendText(const std::string& text) {
  if (text.empty()) return 0;
  return Send(text.data(), static_cast<std::int32_t>(text.size()));
}

void TCustomNetSocket::TryToSend() {
  std::lock_guard<std::recursive_mutex> g(f_queue.Lock());
  if (f_hsocket == INVALID_SOCKET || f_queue.Is_Empty()) {
    f_all_sent = true;
    return;
  }
  for (;;) {
    const char* data;
    std::int32_t len = f_queue.Peek(data);
    if (len <= 0) {
      f_all_sent = true;
      return;
    }
    const long sent = Sock_Send(f_hsocket, data, static_cast<std::size_t>(len));
    if (sent >= 0 && OnSendData) OnSendData(this, static_cast<std::int32_t>(sent));
    if (sent > 0) f_buffered = std::max<std::int32_t>(0, f_buffered - static_cast<std::int32_t>(sent));
    if (sent < 0) {
      std::int32_t err = Last_Error();
      if (err == WSAECONNRESET || err == WSAENOTSOCK || err == WSAENOTCONN || err == WSAEINVAL ||
          err == WSAECONNABORTED) {
        // The peer is gone: the close is reported through the same path as
        // a close noticed by reading, so a server hears of it too.
        Drop_Connection(err);
        return;
      }
      if (err == WSAEWOULDBLOCK) {
        f_write_wanted = true;
        return;
      }
      LastError = err;
      Socket_Error("TryToSend failed");
      return;
    }
    if (sent == 0) return;
    f_queue.Remove(static_cast<std::int32_t>(sent));
    if (sent < len) {
      f_write_wanted = true;
      return;
    }
  }
}

std::int32_t TCustomNetSocket::Get_Rcvd_Count() {
  if (f_hsocket == INVALID_SOCKET) return -1;
  const int n = Sock_Bytes_Waiting(f_hsocket);
  if (n < 0) LastError = Last_Error();
  return n;
}

std::int32_t TCustomNetSocket::Raw_Receive(void* buffer, std::int32_t size) {
  if (f_hsocket == INVALID_SOCKET) {
    LastError = WSAENOTSOCK;
    return -1;
  }
  const long n = Sock_Receive(f_hsocket, buffer, static_cast<std::size_t>(std::max(0, size)));
  if (n < 0) {
    LastError = Last_Error();
    return -1;
  }
  return static_cast<std::int32_t>(n);
}

std::int32_t TCustomNetSocket::Receive(void* buffer, std::int32_t size) { return Raw_Receive(buffer, size); }

std::string TCustomNetSocket::ReceiveText() {
  std::int32_t n = Get_Rcvd_Count();
  if (n < 0) return "";
  if (n == 0) n = 255;
  std::string s(static_cast<std::size_t>(n), '\0');
  std::int32_t got = Receive(s.data(), n);
  if (got <= 0) return "";
  s.resize(static_cast<std::size_t>(got));
  return s;
}

std::string TCustomNetSocket::GetPeerAddr() {
  if (f_state != wsConnected) return "error";
  std::string address;
  std::uint16_t port = 0;
  if (!Sock_Peer_Address(f_hsocket, address, port)) {
    LastError = Last_Error();
    Socket_Error("GetPeerName");
    return "error";
  }
  return address;
}

std::string TCustomNetSocket::GetPeerPort() {
  if (f_state != wsConnected) return "error";
  std::string address;
  std::uint16_t port = 0;
  if (!Sock_Peer_Address(f_hsocket, address, port)) {
    LastError = Last_Error();
    Socket_Error("GetPeerPort");
    return "error";
  }
  return std::to_string(port);
}

std::string TCustomNetSocket::GetLocalAddr() {
  if (f_state != wsBound && f_state != wsConnected && f_state != wsListening) return "error";
  std::string address;
  std::uint16_t port = 0;
  return Sock_Local_Address(f_hsocket, address, port) ? address : "error";
}

std::string TCustomNetSocket::GetLocalPort() {
  if (f_state != wsBound && f_state != wsConnected && f_state != wsListening) return "error";
  std::string address;
  std::uint16_t port = 0;
  return Sock_Local_Address(f_hsocket, address, port) ? std::to_string(port) : "error";
}

// ------------------------------------------------------------- triggers

bool TCustomNetSocket::TriggerDataAvailable(std::uint16_t error) {
  if (!OnDataAvailable) return false;
  OnDataAvailable(this, error);
  return true;
}

void TCustomNetSocket::TriggerSessionAvailable(std::uint16_t error) {
  if (OnSessionAvailable) OnSessionAvailable(this, error);
}

void TCustomNetSocket::TriggerSessionConnected(std::uint16_t error) {
  if (OnSessionConnected) OnSessionConnected(this, error);
}

void TCustomNetSocket::TriggerSessionClosed(std::uint16_t error) {
  if (OnSessionClosed) OnSessionClosed(this, error);
}

void TCustomNetSocket::TriggerDataSent(std::uint16_t error) {
  if (OnDataSent) OnDataSent(this, error);
}

// ---------------------------------------------------------- notifications

void TCustomNetSocket::Post_Event(std::uint32_t bits, std::int32_t error) {
  std::intptr_t lparam = static_cast<std::intptr_t>((static_cast<std::uint32_t>(error) << 16) | (bits & 0xFFFF));
  Post_Message(f_msg_socket_event, static_cast<std::uintptr_t>(f_hsocket), lparam);
}

bool TCustomNetSocket::Poll_Request(int& fd, short& events) {
  if (f_lookup) {
    // The look-up's thread wakes the pump when it has the answer.
    if (f_lookup->posted) return false;
    fd = f_lookup->wake_read;
    events = Sock_Readable;
    return true;
  }
  if (f_hsocket == INVALID_SOCKET || f_selected == 0 || f_paused) return false;
  events = 0;
  if (f_state == wsConnecting) {
    if (!f_connect_posted) events = Sock_Writable;
  } else if (f_state == wsListening) {
    if (!f_read_posted && std::chrono::steady_clock::now() >= f_accept_resume) events = Sock_Readable;
  } else if (f_state == wsConnected) {
    if (!f_read_posted && !f_close_posted) events |= Sock_Readable;
    if (f_write_wanted) events |= Sock_Writable;
  }
  if (events == 0) return false;
  fd = f_hsocket;
  return true;
}

void TCustomNetSocket::Poll_Ready(short revents) {
  if (f_lookup) {
    Sock_Wake_Drain(f_lookup->wake_read);
    bool done = false;
    {
      std::lock_guard<std::mutex> g(f_lookup->lock);
      done = f_lookup->done;
    }
    if (done && !f_lookup->posted) {
      f_lookup->posted = true;
      Post_Message(f_msg_name_done, 0, 0, f_lookup);
    }
    return;
  }
  if (f_state == wsConnecting) {
    const int err = Sock_Pending_Error(f_hsocket);
    f_connect_posted = true;
    Post_Event(err == 0 ? (FD_CONNECT | FD_WRITE) : FD_CONNECT, WSocket_From_Errno(err));
    return;
  }
  if (f_state == wsListening) {
    if (revents & Sock_Readable) {
      f_read_posted = true;
      Post_Event(FD_ACCEPT, 0);
    }
    return;
  }
  if ((revents & Sock_Writable) && f_write_wanted) {
    f_write_wanted = false;
    Post_Event(FD_WRITE, 0);
  }
  if (revents & (Sock_Readable | Sock_Hang_Up | Sock_Error)) {
    const long n = Sock_Peek(f_hsocket);
    if (n > 0) {
      f_read_posted = true;
      Post_Event(FD_READ, 0);
    } else if (n == 0) {
      f_close_posted = true;
      Post_Event(FD_CLOSE, 0);
    } else if (errno != EWOULDBLOCK && errno != EINTR) {
      f_close_posted = true;
      Post_Event(FD_CLOSE, Last_Error());
    }
  }
}

void TCustomNetSocket::Handle_Message(TNet_Message& m) {
  if (m.msg == f_msg_socket_event && f_msg_socket_event != 0) {
    if (static_cast<TSocket>(m.wParam) != f_hsocket || f_paused) return;
    std::uint32_t bits = static_cast<std::uint32_t>(m.lParam) & 0xFFFF;
    std::int32_t error = static_cast<std::int32_t>((static_cast<std::uint32_t>(m.lParam) >> 16) & 0xFFFF);
    Do_Async_Select(bits, error);
    return;
  }
  if (m.msg == f_msg_close_delayed && f_msg_close_delayed != 0) {
    Close();
    return;
  }
  if (m.msg == f_msg_name_done && f_msg_name_done != 0) {
    Name_Lookup_Done(m.data);
    return;
  }
  if (m.msg == f_msg_test_exception && f_msg_test_exception != 0)
    throw ESocketException("Test exception in NetSocket");
  TNetWndControl::Handle_Message(m);
}

void TCustomNetSocket::Do_Async_Select(std::uint32_t bits, std::int32_t error) {
  std::uint16_t err = static_cast<std::uint16_t>(error);
  if (bits & FD_CONNECT) {
    f_connect_posted = false;
    if (f_state != wsConnected) {
      Change_State(wsConnected);
      TriggerSessionConnected(err);
      if (error != 0 && f_state != wsClosed) {
        Close();
        return;
      }
    }
  }
  if (bits & FD_READ) {
    f_read_posted = false;
    if (f_state != wsConnected) {
      Change_State(wsConnected);
      TriggerSessionConnected(err);
    }
    Do_Receive(ComponentOptions);
  }
  if (bits & FD_WRITE) {
    if (f_hsocket == INVALID_SOCKET) return;
    TryToSend();
    if (f_all_sent) TriggerDataSent(err);
  }
  if (bits & FD_ACCEPT) {
    f_read_posted = false;
    TriggerSessionAvailable(err);
  }
  if (bits & FD_CLOSE) {
    f_close_posted = false;
    if (f_state == wsConnecting || f_hsocket == INVALID_SOCKET) return;
    Do_Receive(ComponentOptions & ~wsoNoReceiveLoop);
    if (!f_close_notified) {
      f_close_notified = true;
      TriggerSessionClosed(err);
    }
    if (f_state != wsClosed) Internal_Close(true, error);
  }
}

void TCustomNetSocket::Do_Receive(std::uint32_t options) {
  for (;;) {
    if (f_hsocket == INVALID_SOCKET) return;
    LastError = 0;
    std::int32_t before = Os_Rcvd_Count(f_hsocket);
    // An exception ends the loop and goes on to the object's handler.
    if (!TriggerDataAvailable(0)) {
      char junk[1024];
      std::int32_t n = Raw_Receive(junk, sizeof junk);
      if (n < 0 && LastError == WSAEWOULDBLOCK) return;
    }
    if (options & wsoNoReceiveLoop) return;
    if (LastError != 0) {
      LastError = 0;
      return;
    }
    std::int32_t n = Os_Rcvd_Count(f_hsocket);
    if (n <= 0) return;
    // A handler that took nothing would be offered the same bytes forever;
    // the next read notice offers them again.
    if (n >= before) return;
  }
}

// ============================================================ line socket

TCustomLineNetSocket::TCustomLineNetSocket() = default;

void TCustomLineNetSocket::Set_LineMode(bool on) {
  if (on == f_line_mode) return;
  f_line_mode = on;
  if (f_rcvd_cnt > 0 || f_line_found) Post_Message(f_msg_line_redeliver, 0, 0);
}

std::int32_t TCustomLineNetSocket::SendLine(const std::string& text) {
  std::int32_t n = SendText(text);
  std::int32_t m = SendText(LineEnd);
  return n + m;
}

std::int32_t TCustomLineNetSocket::Get_Rcvd_Count() {
  if (f_line_mode) return f_line_length;
  return TCustomNetSocket::Get_Rcvd_Count();
}

void TCustomLineNetSocket::Take_From_Buffer(void* out, std::int32_t n) {
  std::memcpy(out, f_rcv_buf.data(), static_cast<std::size_t>(n));
  std::memmove(f_rcv_buf.data(), f_rcv_buf.data() + n, static_cast<std::size_t>(f_rcvd_cnt - n));
  f_rcvd_cnt -= n;
  f_rcv_buf[static_cast<std::size_t>(f_rcvd_cnt)] = 0;
}

std::int32_t TCustomLineNetSocket::Raw_Receive(void* buffer, std::int32_t size) {
  if (size <= 0) return 0;
  if (f_line_mode && f_line_length > 0) {
    std::int32_t n = std::min(size, f_line_length);
    Take_From_Buffer(buffer, n);
    f_line_length -= n;
    return n;
  }
  if (f_line_mode) return TCustomNetSocket::Raw_Receive(buffer, size);
  if (f_rcvd_cnt > 0) {
    std::int32_t n = std::min(size, f_rcvd_cnt);
    Take_From_Buffer(buffer, n);
    f_line_length = std::max(0, f_line_length - n);
    return n;
  }
  return TCustomNetSocket::Raw_Receive(buffer, size);
}

void TCustomLineNetSocket::Edit_Line(std::int32_t& len) {
  // Work on the held bytes and the new ones; backspaces may reach into the
  // held bytes that no handler has taken yet.
  std::int32_t held = f_rcvd_cnt;
  std::vector<char> out(f_rcv_buf.begin(), f_rcv_buf.begin() + held);
  out.reserve(static_cast<std::size_t>(held + len) + 256);
  bool edited = false;
  std::int32_t lowest = held;
  for (std::int32_t i = 0; i < len; ++i) {
    char c = f_rcv_buf[static_cast<std::size_t>(held + i)];
    if (c == 8) {
      edited = true;
      if (!out.empty()) out.pop_back();
      lowest = std::min(lowest, static_cast<std::int32_t>(out.size()));
    } else if (c == 9) {
      edited = true;
      do out.push_back(' ');
      while (out.size() % 8 != 0);
    } else {
      out.push_back(c);
    }
  }
  if (!edited) return;
  std::int32_t new_held = lowest;
  std::int32_t total = static_cast<std::int32_t>(out.size());
  if (f_rcv_buf.size() < static_cast<std::size_t>(total) + 1) f_rcv_buf.resize(static_cast<std::size_t>(total) + 1);
  std::memcpy(f_rcv_buf.data(), out.data(), out.size());
  f_rcvd_cnt = new_held;
  len = total - new_held;
}

bool TCustomLineNetSocket::TriggerDataAvailable(std::uint16_t error) {
  if (!f_line_mode || LineEnd.empty()) return TCustomNetSocket::TriggerDataAvailable(error);
  std::int32_t count = TCustomNetSocket::Get_Rcvd_Count();
  if (count < 0) return true;
  if (count == 0) count = 255;
  // One pass takes at most a slice of what waits (the receive loop comes
  // back for the rest), so the buffer keeps the size of a slice and an
  // unfinished line whatever the system holds for a fast sender.
  count = std::min(count, Line_Read_Slice);
  std::size_t need = static_cast<std::size_t>(f_rcvd_cnt) + static_cast<std::size_t>(count) + 1;
  if (f_rcv_buf.size() < need) f_rcv_buf.resize(need);
  std::int32_t n = 0;
  if (f_hsocket != INVALID_SOCKET) {
    const long r = Sock_Receive(f_hsocket, f_rcv_buf.data() + f_rcvd_cnt, static_cast<std::size_t>(count));
    n = r > 0 ? static_cast<std::int32_t>(r) : 0;
  }
  if (n == 0 && f_rcvd_cnt == 0) return true;
  if (LineEdit && n > 0) Edit_Line(n);
  const std::int32_t le = static_cast<std::int32_t>(LineEnd.size());
  std::int32_t search = std::max(0, f_rcvd_cnt - le);
  f_rcvd_cnt += n;
  f_rcv_buf[static_cast<std::size_t>(f_rcvd_cnt)] = 0;
  while (f_line_mode) {
    std::int32_t p = -1;
    for (std::int32_t i = search; i + le <= f_rcvd_cnt; ++i) {
      if (std::memcmp(f_rcv_buf.data() + i, LineEnd.data(), static_cast<std::size_t>(le)) == 0) {
        p = i;
        break;
      }
    }
    if (p >= 0) {
      f_line_length = p + le;
      f_line_found = f_line_received = true;
      while (f_line_mode && f_line_length > 0) {
        std::int32_t before = f_line_length;
        if (OnDataAvailable) OnDataAvailable(this, 0);
        // A handler that takes nothing (or no handler) drops the line, so
        // that one line can never be offered forever.
        if (f_line_mode && f_line_length >= before && f_line_length > 0) {
          std::int32_t drop = std::min(f_line_length, f_rcvd_cnt);
          std::vector<char> sink(static_cast<std::size_t>(drop));
          Take_From_Buffer(sink.data(), drop);
          f_line_length = 0;
        }
      }
      search = 0;
      while (!f_line_mode && f_rcvd_cnt > 0) {
        std::int32_t before = f_rcvd_cnt;
        if (OnDataAvailable) OnDataAvailable(this, 0);
        if (f_rcvd_cnt >= before) {
          f_rcvd_cnt = 0;
          f_line_length = 0;
        }
      }
      continue;
    }
    if (LineLimit > 0 && f_rcvd_cnt > LineLimit) {
      f_line_clear_data = true;
      f_in_limit_event = true;
      try {
        if (OnLineLimitExceeded) OnLineLimitExceeded(this, f_rcvd_cnt, f_line_clear_data);
      } catch (...) {
        f_in_limit_event = false;
        throw;
      }
      f_in_limit_event = false;
      if (f_line_clear_data) {
        f_rcvd_cnt = 0;
        f_line_length = 0;
        f_line_found = false;
        if (!f_rcv_buf.empty()) f_rcv_buf[0] = 0;
      }
      f_line_clear_data = false;
    }
    break;
  }
  return true;
}

void TCustomLineNetSocket::TriggerSessionClosed(std::uint16_t error) {
  if (f_line_mode && f_rcvd_cnt > 0 && !(f_in_limit_event && f_line_clear_data)) {
    // The unterminated rest is offered as a last line.
    f_line_length = f_rcvd_cnt;
    while (f_line_mode && f_line_length > 0) {
      std::int32_t before = f_line_length;
      if (OnDataAvailable) OnDataAvailable(this, 0);
      if (f_line_length >= before) break;
    }
  }
  f_rcv_buf.clear();
  f_rcv_buf.shrink_to_fit();
  f_rcvd_cnt = 0;
  f_line_length = 0;
  TCustomSocksNetSocket::TriggerSessionClosed(error);
}

void TCustomLineNetSocket::Handle_Message(TNet_Message& m) {
  if (m.msg == f_msg_line_redeliver && f_msg_line_redeliver != 0) {
    int passes_without_line = 0;
    while (f_rcvd_cnt > 0) {
      f_line_found = false;
      std::int32_t before = f_rcvd_cnt;
      if (!TriggerDataAvailable(0)) break;
      if (f_rcvd_cnt == 0) break;
      if (f_line_mode && !f_line_found && ++passes_without_line >= 4) break;
      if (!f_line_mode && f_rcvd_cnt >= before) break;
    }
    return;
  }
  TCustomSocksNetSocket::Handle_Message(m);
}

// ---------------------------------------------------------------------------
// Blocking connection

TNet_Blocking_Connection::TNet_Blocking_Connection(const std::string& host, const std::string& port,
                                                   std::int32_t timeout_ms)
    : f_deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms)) {
  // The name look-up counts against the same deadline as the exchange.
  std::uint32_t address = 0;
  if (!WSocket_Resolve_IPv4(host, timeout_ms, address)) throw ESocketException("Cannot resolve host " + host);
  const std::string port_text = Trim(port);
  const int port_number = port_text.empty() || port_text.size() > 5 ||
                                  port_text.find_first_not_of("0123456789") != std::string::npos
                              ? -1
                              : std::stoi(port_text);
  if (port_number < 0 || port_number > 65535) throw ESocketException("Invalid port " + port);
  f_fd = Sock_Create_Stream_Non_Blocking();
  if (f_fd < 0) throw ESocketException("Cannot create socket");
  if (Sock_Connect(f_fd, address, static_cast<std::uint16_t>(port_number)) != 0 && errno != EINPROGRESS) {
    Sock_Close(f_fd);
    throw ESocketException("Cannot connect to " + host);
  }
  try {
    Wait(Sock_Writable);
  } catch (...) {
    Sock_Close(f_fd);
    throw;
  }
  if (Sock_Pending_Error(f_fd) != 0) {
    Sock_Close(f_fd);
    throw ESocketException("Cannot connect to " + host);
  }
}

TNet_Blocking_Connection::~TNet_Blocking_Connection() {
  if (f_fd >= 0) Sock_Close(f_fd);
}

void TNet_Blocking_Connection::Write(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    Wait(Sock_Writable);
    const long n = Sock_Send(f_fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n <= 0) throw ESocketException("Write error");
    done += static_cast<std::size_t>(n);
  }
}

std::size_t TNet_Blocking_Connection::Read(char* buffer, std::size_t size) {
  for (;;) {
    Wait(Sock_Readable);
    const long n = Sock_Receive(f_fd, buffer, size);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n < 0) throw ESocketException("Read error");
    return static_cast<std::size_t>(n);
  }
}

void TNet_Blocking_Connection::Wait(short events) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(f_deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw ESocketException("Timeout");
    TSock_Poll_Entry p{f_fd, events, 0};
    const int r = Sock_Poll(&p, 1, static_cast<int>(left.count()));
    if (r > 0) return;
    if (r < 0 && errno != EINTR) throw ESocketException("Poll error");
  }
}
