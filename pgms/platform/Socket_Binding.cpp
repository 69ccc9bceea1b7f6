#include "Socket_Binding.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

sockaddr_in IPv4(std::uint32_t address, std::uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = address;
  return a;
}

bool Address_Text(const sockaddr_in& a, std::string& address, std::uint16_t& port) {
  char buf[INET_ADDRSTRLEN] = {};
  if (!::inet_ntop(AF_INET, &a.sin_addr, buf, sizeof buf)) return false;
  address = buf;
  port = ntohs(a.sin_port);
  return true;
}

bool Set_Int_Option(int fd, int level, int name, int value) {
  return ::setsockopt(fd, level, name, &value, sizeof value) == 0;
}

}  // namespace

int Sock_Create(TSock_Type type, int protocol) {
  const int kind = type == TSock_Type::Stream ? SOCK_STREAM : type == TSock_Type::Datagram ? SOCK_DGRAM : SOCK_RAW;
  return ::socket(AF_INET, kind | SOCK_CLOEXEC, protocol);
}

int Sock_Create_Stream_Non_Blocking() { return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0); }

int Sock_Close(int fd) { return ::close(fd); }

void Sock_Shutdown(int fd, int how) { ::shutdown(fd, how == 1 ? SHUT_WR : how == 0 ? SHUT_RD : SHUT_RDWR); }

bool Sock_Set_Non_Blocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) >= 0;
}

bool Sock_Set_Reuse_Address(int fd) { return Set_Int_Option(fd, SOL_SOCKET, SO_REUSEADDR, 1); }

bool Sock_Set_No_Delay(int fd, bool on) { return Set_Int_Option(fd, IPPROTO_TCP, TCP_NODELAY, on ? 1 : 0); }

bool Sock_No_Delay(int fd) {
  int value = 0;
  socklen_t len = sizeof value;
  return ::getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &value, &len) == 0 && value != 0;
}

bool Sock_Set_Linger(int fd, bool on, int seconds) {
  linger l{};
  l.l_onoff = on ? 1 : 0;
  l.l_linger = seconds;
  return ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0;
}

bool Sock_Bind(int fd, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in a = IPv4(address, port);
  return ::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
}

bool Sock_Listen(int fd, int backlog) { return ::listen(fd, backlog) == 0; }

int Sock_Accept(int fd) { return ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC); }

int Sock_Connect(int fd, std::uint32_t address, std::uint16_t port) {
  const sockaddr_in a = IPv4(address, port);
  return ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a);
}

int Sock_Pending_Error(int fd) {
  int error = 0;
  socklen_t len = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) return errno;
  return error;
}

long Sock_Send(int fd, const void* data, std::size_t size) { return ::send(fd, data, size, MSG_NOSIGNAL); }

long Sock_Receive(int fd, void* buffer, std::size_t size) { return ::recv(fd, buffer, size, 0); }

long Sock_Peek(int fd) {
  char c;
  return ::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT);
}

int Sock_Bytes_Waiting(int fd) {
  if (fd < 0) return -1;
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0) return -1;
  return n;
}

bool Sock_Peer_Address(int fd, std::string& address, std::uint16_t& port) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  return ::getpeername(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0 && Address_Text(a, address, port);
}

bool Sock_Local_Address(int fd, std::string& address, std::uint16_t& port) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  return ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0 && Address_Text(a, address, port);
}

bool Sock_Parse_IPv4(const std::string& text, std::uint32_t& address) {
  in_addr a{};
  if (::inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
  address = a.s_addr;
  return true;
}

bool Sock_Resolve_IPv4(const std::string& name, std::uint32_t& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* res = nullptr;
  const bool found = ::getaddrinfo(name.c_str(), nullptr, &hints, &res) == 0 && res;
  if (found) address = reinterpret_cast<const sockaddr_in*>(res->ai_addr)->sin_addr.s_addr;
  if (res) ::freeaddrinfo(res);
  return found;
}

int Sock_Protocol_Number(const std::string& name) {
  const protoent* p = ::getprotobyname(name.c_str());
  return p ? p->p_proto : -1;
}

int Sock_Service_Port(const std::string& name, const std::string& protocol) {
  const servent* s = ::getservbyname(name.c_str(), protocol.c_str());
  return s ? ntohs(static_cast<std::uint16_t>(s->s_port)) : -1;
}

int Sock_Poll(TSock_Poll_Entry* entries, std::size_t count, int timeout_ms) {
  std::vector<pollfd> fds(count);
  for (std::size_t i = 0; i < count; ++i) {
    fds[i].fd = entries[i].fd;
    fds[i].events = static_cast<short>(((entries[i].events & Sock_Readable) ? POLLIN : 0) |
                                       ((entries[i].events & Sock_Writable) ? POLLOUT : 0));
  }
  const int n = ::poll(fds.data(), fds.size(), timeout_ms);
  for (std::size_t i = 0; i < count; ++i) {
    const short r = n > 0 ? fds[i].revents : 0;
    entries[i].revents =
        static_cast<short>(((r & POLLIN) ? Sock_Readable : 0) | ((r & POLLOUT) ? Sock_Writable : 0) |
                           ((r & (POLLERR | POLLNVAL)) ? Sock_Error : 0) | ((r & POLLHUP) ? Sock_Hang_Up : 0));
  }
  return n;
}

bool Sock_Wake_Open(int& read_fd, int& write_fd) {
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  read_fd = fds[0];
  write_fd = fds[1];
  return true;
}

void Sock_Wake_Signal(int write_fd) {
  const char c = 1;
  // A full pipe is awake already.
  [[maybe_unused]] const ssize_t n = ::write(write_fd, &c, 1);
}

void Sock_Wake_Drain(int read_fd) {
  char buf[64];
  while (::read(read_fd, buf, sizeof buf) > 0) {
  }
}
