// Event-driven TCP socket of the game, over POSIX non-blocking sockets (the
// platform's socket binding).
//
// A socket never blocks on the network: connecting, receiving and sending
// start an operation and return; readiness found by the message pump of the
// socket's thread (NetWndControl) becomes a socket-event message to the
// object, which turns it into events. Connecting to a host by name first
// looks the name up on a thread of its own; the answer comes back through
// the pump as the socket's name look-up message, and the connection starts
// from there. Errors carry the classic socket error
// numbers (10035 would block, 10054 reset, 10057 not connected, ...) so that
// messages and tests read the same everywhere.
//
// Classes, from base to most derived: TCustomNetSocket, TCustomSocksNetSocket
// (pass-through: no proxy is used), TCustomLineNetSocket (line mode),
// TCustomSyncNetSocket (pass-through), TNetSocket.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NetSockBuf.h"
#include "NetWndControl.h"
#include "Socket_Binding.h"

class ESocketException : public EGlobarch_Error {
public:
  using EGlobarch_Error::EGlobarch_Error;
};

using TSocketState = std::uint8_t;
enum : TSocketState {
  wsInvalidState = 0,
  wsOpened = 1,
  wsBound = 2,
  wsConnecting = 3,
  wsSocksConnected = 4,
  wsConnected = 5,
  wsAccepting = 6,
  wsListening = 7,
  wsClosed = 8,
};

// ComponentOptions bits.
enum : std::uint32_t { wsoNoReceiveLoop = 1u << 0, wsoTcpNoDelay = 1u << 1, wsoSIO_RCVALL = 1u << 2 };

enum TSocketLingerOnOff : std::uint8_t { wsLingerOff = 0, wsLingerOn = 1, wsLingerNoSet = 2 };

// Socket error numbers used by the layer.
enum : std::int32_t {
  WSAEINTR = 10004,
  WSAEINVAL = 10022,
  WSAEWOULDBLOCK = 10035,
  WSAENOTSOCK = 10038,
  WSAECONNABORTED = 10053,
  WSAECONNRESET = 10054,
  WSAENOBUFS = 10055,
  WSAENOTCONN = 10057,
  WSAECONNREFUSED = 10061,
  WSANOTINITIALISED = 10093,
  WSAHOST_NOT_FOUND = 11001,
};

// Notification bits of a socket-event message (low word of lParam).
enum : std::uint32_t { FD_READ = 1, FD_WRITE = 2, FD_ACCEPT = 8, FD_CONNECT = 16, FD_CLOSE = 32 };

using TSocket = int;
constexpr TSocket INVALID_SOCKET = -1;

// Text of a socket error number, ending in a point.
std::string WSocket_ErrorDesc(std::int32_t error);
// The socket error number for a POSIX errno value.
std::int32_t WSocket_From_Errno(int e);
// Number of socket objects that exist.
std::int32_t WSocket_Instance_Count();
// The IPv4 address (network order) of a host name or dotted address. The
// system's look-up runs on a thread of its own so that a slow name server
// holds the caller for at most timeout_ms; false when the name is unknown
// or the time ran out.
bool WSocket_Resolve_IPv4(const std::string& name, std::int32_t timeout_ms, std::uint32_t& address);
// Fault injection for tests: while not 0, Accept fails with this errno
// value as if the system had refused the connection (it stays queued).
extern int WSocket_Accept_Fault;
// For tests: when set, host names that Connect looks up are resolved by
// this instead of the system's resolver. It runs on the look-up's thread;
// Connect takes a copy when the look-up starts.
extern std::function<bool(const std::string& name, std::uint32_t& address)> WSocket_Name_Resolver;
// Most milliseconds a socket waits for a name look-up.
constexpr std::int32_t WSocket_Name_Timeout_ms = 5000;

class TCustomNetSocket : public TNetWndControl {
public:
  TCustomNetSocket();
  ~TCustomNetSocket() override;

  // Properties; changing one is refused unless the socket is closed.
  const std::string& Addr() const { return f_addr; }
  void Set_Addr(const std::string& v);
  const std::string& Port() const { return f_port; }
  void Set_Port(const std::string& v);
  const std::string& Proto() const { return f_proto; }
  void Set_Proto(const std::string& v);
  const std::string& LocalAddr() const { return f_local_addr; }
  void Set_LocalAddr(const std::string& v);
  const std::string& LocalPort() const { return f_local_port; }
  void Set_LocalPort(const std::string& v);

  TSocketState State() const { return f_state; }
  std::int32_t LastError = 0;
  std::uint32_t ComponentOptions = 0;
  // Connections the system holds until they are accepted: as many as it
  // allows (it caps the number at its own maximum), so that a burst of
  // joins is not refused or delayed.
  std::int32_t ListenBacklog = 65535;
  // Most bytes queued for sending (0: no limit). A peer that stops reading
  // is dropped once its queue would pass the limit, and reported closed
  // with WSAENOBUFS like any lost connection.
  std::int32_t SendQueueLimit = 0;
  // How long a listening socket stops accepting after the system refused
  // an accept for want of resources.
  std::chrono::milliseconds AcceptBackoff{250};
  TSocketLingerOnOff LingerOnOff = wsLingerOn;
  std::int32_t LingerTimeout = 0;
  std::int32_t FlushTimeout = 60;
  TSocket Handle_Socket() const { return f_hsocket; }
  // Connect is looking the host's name up (the socket is still closed; a
  // close drops the look-up and its answer).
  bool Looking_Up() const { return f_lookup != nullptr; }
  bool All_Sent() const { return f_all_sent; }
  std::int32_t Buffered_Byte_Count() const { return f_buffered; }

  virtual void Connect();
  virtual void Listen();
  virtual TSocket Accept();
  virtual void Close();
  virtual void CloseDelayed();
  virtual void Abort();
  virtual std::int32_t Send(const void* data, std::int32_t len);
  virtual std::int32_t SendText(const std::string& text);
  virtual std::int32_t Receive(void* buffer, std::int32_t size);
  virtual std::string ReceiveText();
  virtual std::string GetPeerAddr();
  virtual std::string GetPeerPort();
  virtual std::string GetLocalAddr();
  virtual std::string GetLocalPort();
  virtual void Dup(TSocket handle);
  virtual void Shutdown(int how);
  virtual void TryToSend();

  // Events.
  std::function<void(TCustomNetSocket*, std::uint16_t)> OnDataAvailable;
  std::function<void(TCustomNetSocket*, std::uint16_t)> OnDataSent;
  std::function<void(TCustomNetSocket*, std::int32_t)> OnSendData;
  std::function<void(TCustomNetSocket*, std::uint16_t)> OnSessionClosed;
  std::function<void(TCustomNetSocket*, std::uint16_t)> OnSessionAvailable;
  std::function<void(TCustomNetSocket*, std::uint16_t)> OnSessionConnected;
  std::function<void(TCustomNetSocket*, TSocketState, TSocketState)> OnChangeState;
  std::function<void(TCustomNetSocket*, const std::string&)> OnError;

  bool Poll_Request(int& fd, short& events) override;
  void Poll_Ready(short revents) override;

protected:
  void Handle_Message(TNet_Message& m) override;
  std::int32_t MessageCount() const override { return 7; }
  void RegisterMessages() override;
  void UnregisterMessages() override;
  void Abort_Hook() override { Abort(); }

  virtual void Restore_Defaults();
  virtual void Internal_Close(bool shutdown, std::int32_t error);
  virtual std::int32_t Get_Rcvd_Count();
  virtual std::int32_t Raw_Receive(void* buffer, std::int32_t size);
  // Error report: the last error (or the given text) goes to OnError or is
  // raised as ESocketException.
  void Socket_Error(const std::string& context);
  void Raise_Exception(const std::string& message);
  virtual bool TriggerDataAvailable(std::uint16_t error);
  virtual void TriggerSessionAvailable(std::uint16_t error);
  virtual void TriggerSessionConnected(std::uint16_t error);
  virtual void TriggerSessionClosed(std::uint16_t error);
  virtual void TriggerDataSent(std::uint16_t error);
  void Change_State(TSocketState s);
  void Do_Async_Select(std::uint32_t bits, std::int32_t error);
  void Do_Receive(std::uint32_t options);
  void Post_Event(std::uint32_t bits, std::int32_t error);
  void Apply_Linger();
  // Ends the connection at once (queue dropped, no lingering) and reports
  // it closed with the error.
  void Drop_Connection(std::int32_t error);
  // The listening socket pauses accepting for AcceptBackoff.
  void Back_Off_Accepting();
  void Select_Notifications(std::uint32_t bits, const std::string& context);
  // Resolves the protocol, the ports and (with `address`) the address not
  // resolved since they were set.
  void Resolve_Endpoint(bool address = true);
  // Connect once the address is known: the socket is made and connects.
  void Connect_Resolved();
  // Starts the look-up of a host name for Connect.
  void Start_Name_Lookup(const std::string& name);
  void Name_Lookup_Done(const std::shared_ptr<void>& record);
  void Set_Endpoint_Text(const std::string& v, const char* what, std::string& field, bool& given, bool& resolved);

  TSocket f_hsocket = INVALID_SOCKET;
  TSocketState f_state = wsClosed;
  std::string f_addr, f_port, f_proto, f_local_addr, f_local_port;
  bool f_addr_given = false, f_port_given = false, f_proto_given = false;
  bool f_addr_resolved = false, f_port_resolved = false, f_proto_resolved = false, f_local_port_resolved = false;
  std::uint32_t f_sin_addr = 0;  // network order
  std::uint16_t f_sin_port = 0;  // host order
  std::uint16_t f_local_port_num = 0;
  std::int32_t f_protocol = 6;
  TSock_Type f_type = TSock_Type::Stream;
  TSocket f_accepted = INVALID_SOCKET;
  std::uint32_t f_selected = 0;
  TNetBufferHandler f_queue;
  std::int32_t f_buffered = 0;
  bool f_all_sent = true, f_close_notified = false, f_paused = false;
  // Readiness bookkeeping of the pump: a read or close message is waiting,
  // a write notice is owed once sending would block.
  bool f_read_posted = false, f_close_posted = false, f_write_wanted = false, f_connect_posted = false;
  std::chrono::steady_clock::time_point f_accept_resume{};
  // The running look-up of the host's name, shared with its thread.
  struct TName_Lookup;
  std::shared_ptr<TName_Lookup> f_lookup;

  std::uint32_t f_msg_socket_event = 0, f_msg_name_done = 0, f_msg_addr_done = 0, f_msg_close_delayed = 0,
                f_msg_test_exception = 0, f_msg_line_redeliver = 0;

private:
  void Resolve_Proto();
  std::uint16_t Resolve_Port(const std::string& text);
  std::uint32_t Resolve_Addr(const std::string& text);
};

// No proxy is used: every call goes straight to the socket.
class TCustomSocksNetSocket : public TCustomNetSocket {};

// Line mode: received bytes are collected into lines ending in LineEnd and
// delivered one line per data-available event.
class TCustomLineNetSocket : public TCustomSocksNetSocket {
public:
  // Most bytes one receive takes from the system in line mode.
  static constexpr std::int32_t Line_Read_Slice = 65536;

  TCustomLineNetSocket();

  bool LineMode() const { return f_line_mode; }
  void Set_LineMode(bool on);
  std::string LineEnd = "\r\n";
  bool LineEdit = false;
  bool LineEcho = false;
  std::int32_t LineLimit = 65536;
  std::function<void(TCustomLineNetSocket*, std::int32_t rcvd_length, bool& clear_data)> OnLineLimitExceeded;

  std::int32_t SendLine(const std::string& text);
  // Bytes held and not yet taken; length of the line found (0 when none).
  std::int32_t Rcvd_Count() const { return f_rcvd_cnt; }
  std::int32_t Line_Length() const { return f_line_length; }

protected:
  void Handle_Message(TNet_Message& m) override;
  bool TriggerDataAvailable(std::uint16_t error) override;
  void TriggerSessionClosed(std::uint16_t error) override;
  std::int32_t Get_Rcvd_Count() override;
  std::int32_t Raw_Receive(void* buffer, std::int32_t size) override;

private:
  void Edit_Line(std::int32_t& len);
  void Take_From_Buffer(void* out, std::int32_t n);

  bool f_line_mode = false;
  std::vector<char> f_rcv_buf;
  std::int32_t f_rcvd_cnt = 0;
  std::int32_t f_line_length = 0;
  bool f_line_found = false, f_line_received = false, f_line_clear_data = false;
  bool f_in_limit_event = false;
};

class TCustomSyncNetSocket : public TCustomLineNetSocket {};

class TNetSocket : public TCustomSyncNetSocket {};

// A blocking TCP connection with one deadline for the whole exchange, for
// the host's address look-up (a short request and its reply). Every
// operation raises ESocketException on failure or when the deadline has
// passed.
class TNet_Blocking_Connection {
public:
  TNet_Blocking_Connection(const std::string& host, const std::string& port, std::int32_t timeout_ms);
  ~TNet_Blocking_Connection();
  TNet_Blocking_Connection(const TNet_Blocking_Connection&) = delete;
  TNet_Blocking_Connection& operator=(const TNet_Blocking_Connection&) = delete;

  void Write(const std::string& bytes);
  // Up to size bytes; 0 at the end of the stream.
  std::size_t Read(char* buffer, std::size_t size);

private:
  void Wait(short events);
  int f_fd = -1;
  std::chrono::steady_clock::time_point f_deadline;
};
