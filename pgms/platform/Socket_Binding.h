// The one binding of the system's socket interface (POSIX sockets, poll and
// the resolver). Nothing else in the program includes a system socket
// header: the socket layer of the network subsystem, the notification pump
// and the host server reach the network through these calls.
//
// Descriptors are plain ints (-1 none). Addresses are IPv4 in network byte
// order, ports in host order. A call that fails returns -1 (or false) and
// leaves the system's error number in errno, which the socket layer turns
// into its own error numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class TSock_Type : std::uint8_t { Stream, Datagram, Raw };

// A new socket of the IPv4 family, closed on exec; -1 on failure.
int Sock_Create(TSock_Type type, int protocol);
// A non-blocking TCP socket, closed on exec; -1 on failure.
int Sock_Create_Stream_Non_Blocking();
int Sock_Close(int fd);
// how: 0 receiving, 1 sending, 2 both.
void Sock_Shutdown(int fd, int how);
bool Sock_Set_Non_Blocking(int fd);
bool Sock_Set_Reuse_Address(int fd);
bool Sock_Set_No_Delay(int fd, bool on);
// Whether TCP_NODELAY is set (false when it cannot be read).
bool Sock_No_Delay(int fd);
bool Sock_Set_Linger(int fd, bool on, int seconds);

bool Sock_Bind(int fd, std::uint32_t address, std::uint16_t port);
bool Sock_Listen(int fd, int backlog);
// The next waiting connection (closed on exec); -1 when none or on failure.
int Sock_Accept(int fd);
// Starts (or makes) a connection: 0 done, -1 with errno (EINPROGRESS while
// a non-blocking connection is under way).
int Sock_Connect(int fd, std::uint32_t address, std::uint16_t port);
// The error a finished non-blocking connection left (0 none).
int Sock_Pending_Error(int fd);

// Bytes sent or received, -1 with errno. Sending never raises a signal
// when the peer has gone.
long Sock_Send(int fd, const void* data, std::size_t size);
long Sock_Receive(int fd, void* buffer, std::size_t size);
// Looks at the next byte without taking it and without waiting: 1 data, 0
// the peer closed, -1 with errno (EWOULDBLOCK: nothing yet).
long Sock_Peek(int fd);
// Bytes waiting to be read, -1 when that cannot be asked.
int Sock_Bytes_Waiting(int fd);

// Dotted address and port of the peer or of the local end; false when the
// socket has none.
bool Sock_Peer_Address(int fd, std::string& address, std::uint16_t& port);
bool Sock_Local_Address(int fd, std::string& address, std::uint16_t& port);

// A dotted IPv4 address; false for any other text.
bool Sock_Parse_IPv4(const std::string& text, std::uint32_t& address);
// The first IPv4 address of a host name (or dotted address), asking the
// system's resolver; blocks until it answers. False when there is none.
bool Sock_Resolve_IPv4(const std::string& name, std::uint32_t& address);
// The protocols and services databases: -1 when the name is unknown.
int Sock_Protocol_Number(const std::string& name);
int Sock_Service_Port(const std::string& name, const std::string& protocol);

// Readiness of several descriptors at once.
enum : short { Sock_Readable = 1, Sock_Writable = 2, Sock_Error = 4, Sock_Hang_Up = 8 };
struct TSock_Poll_Entry {
  int fd = -1;
  short events = 0;   // Sock_Readable and/or Sock_Writable
  short revents = 0;  // what is ready, errors and hang-ups included
};
// Waits at most timeout_ms (0 not at all, -1 without limit); the number of
// ready descriptors, -1 with errno.
int Sock_Poll(TSock_Poll_Entry* entries, std::size_t count, int timeout_ms);

// A wake-up pipe: a thread signals the write end, the pump sees the read end
// readable. Both ends are non-blocking and closed on exec.
bool Sock_Wake_Open(int& read_fd, int& write_fd);
void Sock_Wake_Signal(int write_fd);
void Sock_Wake_Drain(int read_fd);
