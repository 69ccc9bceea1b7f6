#include "NetSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

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
std::int32_t Os_Rcvd_Count(int fd) {
  if (fd < 0) return -1;
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0) return -1;
  return n;
}

}  // namespace

namespace {
// One name look-up shared by the caller and the thread that runs it; the
// caller may stop waiting and leave the thread to finish alone.
struct TName_Lookup {
  std::mutex lock;
  std::condition_variable done_signal;
  bool done = false, found = false;
  std::uint32_t address = 0;
};
}  // namespace

bool WSocket_Resolve_IPv4(const std::string& name, std::int32_t timeout_ms, std::uint32_t& address) {
  std::string text = Trim(name);
  if (text.empty()) return false;
  in_addr dotted{};
  if (::inet_pton(AF_INET, text.c_str(), &dotted) == 1) {
    address = dotted.s_addr;
    return true;
  }
  auto lookup = std::make_shared<TName_Lookup>();
  try {
    std::thread([lookup, text] {
      addrinfo hints{};
      hints.ai_family = AF_INET;
      addrinfo* res = nullptr;
      bool found = ::getaddrinfo(text.c_str(), nullptr, &hints, &res) == 0 && res;
      std::uint32_t a = found ? reinterpret_cast<sockaddr_in*>(res->ai_addr)->sin_addr.s_addr : 0;
      if (res) ::freeaddrinfo(res);
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
  if (f_hsocket != INVALID_SOCKET) ::close(f_hsocket);
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
  f_type = SOCK_STREAM;
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
  if (f_state != wsClosed) {
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
    if (f_hsocket != INVALID_SOCKET) ::close(f_hsocket);
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
      protoent* pe = ::getprotobyname(p.c_str());
      if (!pe) throw ESocketException("Inavlid protocol.");
      f_protocol = pe->p_proto;
    }
  }
  f_type = f_protocol == 6 ? SOCK_STREAM : f_protocol == 17 ? SOCK_DGRAM : SOCK_RAW;
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
  servent* se = ::getservbyname(text.c_str(), Lower(f_proto).c_str());
  if (!se) throw ESocketException("Invalid port.");
  return ntohs(static_cast<std::uint16_t>(se->s_port));
}

std::uint32_t TCustomNetSocket::Resolve_Addr(const std::string& raw) {
  std::string text = Trim(raw);
  if (text.empty()) throw ESocketException("Invalid IP Address.");
  if (Is_Dotted_Address(text)) {
    in_addr a{};
    if (::inet_pton(AF_INET, text.c_str(), &a) != 1) throw ESocketException("Invalid IP address.");
    return a.s_addr;
  }
  std::uint32_t a = 0;
  if (!WSocket_Resolve_IPv4(text, WSocket_Name_Timeout_ms, a)) throw ESocketException("Invalid IP Address");
  return a;
}

// ------------------------------------------------------------ operations

void TCustomNetSocket::Select_Notifications(std::uint32_t bits, const std::string& context) {
  int flags = ::fcntl(f_hsocket, F_GETFL, 0);
  if (flags < 0 || ::fcntl(f_hsocket, F_SETFL, flags | O_NONBLOCK) < 0) {
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
  linger l{};
  l.l_onoff = (LingerOnOff == wsLingerOn && LingerTimeout > 0) ? 1 : 0;
  l.l_linger = LingerTimeout;
  if (::setsockopt(f_hsocket, SOL_SOCKET, SO_LINGER, &l, sizeof l) != 0) {
    LastError = Last_Error();
    Socket_Error("setsockopt(SO_LINGER)");
  }
}

void TCustomNetSocket::Connect() {
  if (f_hsocket != INVALID_SOCKET && f_state != wsClosed) {
    Raise_Exception("Socket already in use.");
    return;
  }
  if (!f_port_given) { Raise_Exception("No Port Specified."); return; }
  if (!f_addr_given) { Raise_Exception("No IP Address Specified."); return; }
  if (!f_proto_given) { Raise_Exception("No Protocol Specified."); return; }
  try {
    Resolve_Endpoint();
    if (!f_local_port_resolved) {
      f_local_port_num = Resolve_Port(f_local_port);
      f_local_port_resolved = true;
    }
  } catch (const ESocketException&) {
    Raise_Exception("Connection Error.");
    return;
  }
  f_queue.Delete_All();
  f_buffered = 0;
  f_hsocket = ::socket(AF_INET, f_type, f_protocol);
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
  int one = 1;
  if (::setsockopt(f_hsocket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) {
    LastError = Last_Error();
    Socket_Error("Invalid Socket Options.");
    return;
  }
  if (ComponentOptions & wsoTcpNoDelay) ::setsockopt(f_hsocket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  Apply_Linger();
  if (f_local_port_num != 0 || f_local_addr != "0.0.0.0") {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(f_local_port_num);
    try {
      local.sin_addr.s_addr = Resolve_Addr(f_local_addr);
    } catch (const ESocketException&) {
      Raise_Exception("Bind socket failed.");
      return;
    }
    if (::bind(f_hsocket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
      LastError = Last_Error();
      Socket_Error("Bind socket failed.");
      return;
    }
    socklen_t len = sizeof local;
    if (::getsockname(f_hsocket, reinterpret_cast<sockaddr*>(&local), &len) == 0)
      f_local_port = std::to_string(ntohs(local.sin_port));
  }
  Select_Notifications(FD_READ | FD_WRITE | FD_CLOSE | FD_CONNECT, "WSAAsyncSelect Error");
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(f_sin_port);
  remote.sin_addr.s_addr = f_sin_addr;
  if (::connect(f_hsocket, reinterpret_cast<sockaddr*>(&remote), sizeof remote) == 0 || errno == EINPROGRESS ||
      errno == EWOULDBLOCK) {
    Change_State(wsConnecting);
  } else {
    LastError = Last_Error();
    Socket_Error("Connection Error");
  }
}

// Resolves the protocol, port and address not resolved since they were set.
void TCustomNetSocket::Resolve_Endpoint() {
  if (!f_proto_resolved) Resolve_Proto();
  if (!f_port_resolved) {
    f_sin_port = Resolve_Port(f_port);
    f_port_resolved = true;
  }
  if (!f_addr_resolved) {
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
  f_hsocket = ::socket(AF_INET, f_type, f_protocol);
  if (f_hsocket == INVALID_SOCKET) {
    LastError = Last_Error();
    Socket_Error("Invalid socket.");
    return;
  }
  int one = 1;
  ::setsockopt(f_hsocket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(f_sin_port);
  a.sin_addr.s_addr = f_sin_addr;
  if (::bind(f_hsocket, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    LastError = Last_Error();
    Socket_Error("Unable to bind socket.");
    return;
  }
  Change_State(wsBound);
  if (::listen(f_hsocket, ListenBacklog) != 0) {
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
    f_accepted = ::accept(f_hsocket, nullptr, nullptr);
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
    if (f_hsocket != INVALID_SOCKET) ::close(f_hsocket);
    f_hsocket = INVALID_SOCKET;
    Change_State(wsClosed);
  }
  f_hsocket = handle;
  f_close_notified = false;
  if (ComponentOptions & wsoTcpNoDelay) {
    int one = 1;
    ::setsockopt(f_hsocket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  Apply_Linger();
  Select_Notifications(FD_READ | FD_WRITE | FD_CLOSE, "WSAAsyncSelect");
  Change_State(wsConnected);
}

void TCustomNetSocket::Shutdown(int how) {
  if (f_hsocket != INVALID_SOCKET) ::shutdown(f_hsocket, how == 1 ? SHUT_WR : how == 0 ? SHUT_RD : SHUT_RDWR);
}

void TCustomNetSocket::Internal_Close(bool shutdown, std::int32_t error) {
  if (f_hsocket != INVALID_SOCKET && f_state != wsClosed) {
    if (shutdown) Shutdown(1);
    if (::close(f_hsocket) != 0 && errno != EINTR) {
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
    if (f_hsocket != INVALID_SOCKET) ::close(f_hsocket);
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
    ssize_t sent = ::send(f_hsocket, data, static_cast<std::size_t>(len), MSG_NOSIGNAL);
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
  int n = 0;
  if (::ioctl(f_hsocket, FIONREAD, &n) != 0) {
    LastError = Last_Error();
    return -1;
  }
  return n;
}

std::int32_t TCustomNetSocket::Raw_Receive(void* buffer, std::int32_t size) {
  if (f_hsocket == INVALID_SOCKET) {
    LastError = WSAENOTSOCK;
    return -1;
  }
  ssize_t n = ::recv(f_hsocket, buffer, static_cast<std::size_t>(std::max(0, size)), 0);
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
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (::getpeername(f_hsocket, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    LastError = Last_Error();
    Socket_Error("GetPeerName");
    return "error";
  }
  char buf[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &a.sin_addr, buf, sizeof buf);
  return buf;
}

std::string TCustomNetSocket::GetPeerPort() {
  if (f_state != wsConnected) return "error";
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (::getpeername(f_hsocket, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    LastError = Last_Error();
    Socket_Error("GetPeerPort");
    return "error";
  }
  return std::to_string(ntohs(a.sin_port));
}

std::string TCustomNetSocket::GetLocalAddr() {
  if (f_state != wsBound && f_state != wsConnected && f_state != wsListening) return "error";
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (::getsockname(f_hsocket, reinterpret_cast<sockaddr*>(&a), &len) != 0) return "error";
  char buf[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &a.sin_addr, buf, sizeof buf);
  return buf;
}

std::string TCustomNetSocket::GetLocalPort() {
  if (f_state != wsBound && f_state != wsConnected && f_state != wsListening) return "error";
  sockaddr_in a{};
  socklen_t len = sizeof a;
  if (::getsockname(f_hsocket, reinterpret_cast<sockaddr*>(&a), &len) != 0) return "error";
  return std::to_string(ntohs(a.sin_port));
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
  if (f_hsocket == INVALID_SOCKET || f_selected == 0 || f_paused) return false;
  events = 0;
  if (f_state == wsConnecting) {
    if (!f_connect_posted) events = POLLOUT;
  } else if (f_state == wsListening) {
    if (!f_read_posted && std::chrono::steady_clock::now() >= f_accept_resume) events = POLLIN;
  } else if (f_state == wsConnected) {
    if (!f_read_posted && !f_close_posted) events |= POLLIN;
    if (f_write_wanted) events |= POLLOUT;
  }
  if (events == 0) return false;
  fd = f_hsocket;
  return true;
}

void TCustomNetSocket::Poll_Ready(short revents) {
  if (f_state == wsConnecting) {
    int err = 0;
    socklen_t len = sizeof err;
    ::getsockopt(f_hsocket, SOL_SOCKET, SO_ERROR, &err, &len);
    f_connect_posted = true;
    Post_Event(err == 0 ? (FD_CONNECT | FD_WRITE) : FD_CONNECT, WSocket_From_Errno(err));
    return;
  }
  if (f_state == wsListening) {
    if (revents & POLLIN) {
      f_read_posted = true;
      Post_Event(FD_ACCEPT, 0);
    }
    return;
  }
  if ((revents & POLLOUT) && f_write_wanted) {
    f_write_wanted = false;
    Post_Event(FD_WRITE, 0);
  }
  if (revents & (POLLIN | POLLHUP | POLLERR)) {
    char c;
    ssize_t n = ::recv(f_hsocket, &c, 1, MSG_PEEK | MSG_DONTWAIT);
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
  std::size_t need = static_cast<std::size_t>(f_rcvd_cnt) + static_cast<std::size_t>(count) + 1;
  if (f_rcv_buf.size() < need) f_rcv_buf.resize(need);
  std::int32_t n = 0;
  if (f_hsocket != INVALID_SOCKET) {
    ssize_t r = ::recv(f_hsocket, f_rcv_buf.data() + f_rcvd_cnt, static_cast<std::size_t>(count), 0);
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
  sockaddr_in target{};
  target.sin_family = AF_INET;
  std::uint32_t address = 0;
  if (!WSocket_Resolve_IPv4(host, timeout_ms, address)) throw ESocketException("Cannot resolve host " + host);
  target.sin_addr.s_addr = address;
  const std::string port_text = Trim(port);
  const int port_number = port_text.empty() || port_text.size() > 5 ||
                                  port_text.find_first_not_of("0123456789") != std::string::npos
                              ? -1
                              : std::stoi(port_text);
  if (port_number < 0 || port_number > 65535) throw ESocketException("Invalid port " + port);
  target.sin_port = htons(static_cast<std::uint16_t>(port_number));
  f_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (f_fd < 0) throw ESocketException("Cannot create socket");
  int r = ::connect(f_fd, reinterpret_cast<const sockaddr*>(&target), sizeof target);
  if (r != 0 && errno != EINPROGRESS) {
    ::close(f_fd);
    throw ESocketException("Cannot connect to " + host);
  }
  try {
    Wait(POLLOUT);
  } catch (...) {
    ::close(f_fd);
    throw;
  }
  int err = 0;
  socklen_t len = sizeof err;
  ::getsockopt(f_fd, SOL_SOCKET, SO_ERROR, &err, &len);
  if (err != 0) {
    ::close(f_fd);
    throw ESocketException("Cannot connect to " + host);
  }
}

TNet_Blocking_Connection::~TNet_Blocking_Connection() {
  if (f_fd >= 0) ::close(f_fd);
}

void TNet_Blocking_Connection::Write(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    Wait(POLLOUT);
    ssize_t n = ::send(f_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n <= 0) throw ESocketException("Write error");
    done += static_cast<std::size_t>(n);
  }
}

std::size_t TNet_Blocking_Connection::Read(char* buffer, std::size_t size) {
  for (;;) {
    Wait(POLLIN);
    ssize_t n = ::recv(f_fd, buffer, size, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n < 0) throw ESocketException("Read error");
    return static_cast<std::size_t>(n);
  }
}

void TNet_Blocking_Connection::Wait(short events) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(f_deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw ESocketException("Timeout");
    pollfd p{f_fd, events, 0};
    int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r > 0) return;
    if (r < 0 && errno != EINTR) throw ESocketException("Poll error");
  }
}
