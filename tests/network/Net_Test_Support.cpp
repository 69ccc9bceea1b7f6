#include "Net_Test_Support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {
using Clock = std::chrono::steady_clock;

sockaddr_in Loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}
}  // namespace

bool Pump_Until(const std::function<bool()>& done, int max_ms) {
  auto end = Clock::now() + std::chrono::milliseconds(max_ms);
  while (!done()) {
    if (Clock::now() > end) return false;
    Net_Process_Messages(5);
  }
  return true;
}

void Pump_For(int ms) {
  auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) Net_Process_Messages(5);
}

TRaw_Peer::~TRaw_Peer() { Close(); }

TRaw_Peer TRaw_Peer::Connect(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return TRaw_Peer();
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
  return TRaw_Peer(fd);
}

void TRaw_Peer::Write(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(f_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n > 0) done += static_cast<std::size_t>(n);
    else Net_Process_Messages(5);
  }
}

bool TRaw_Peer::Read_Some() {
  char buf[65536];
  ssize_t n = ::recv(f_fd, buf, sizeof buf, MSG_DONTWAIT);
  if (n > 0) f_in.append(buf, static_cast<std::size_t>(n));
  if (n == 0 || (n < 0 && errno != EWOULDBLOCK && errno != EAGAIN)) f_eof = true;
  return n > 0;
}

bool TRaw_Peer::Wait_For(const std::string& want, int max_ms) {
  return Pump_Until([&] {
    while (Read_Some()) {
    }
    return f_in.find(want) != std::string::npos;
  }, max_ms);
}

bool TRaw_Peer::Wait_For_Close(int max_ms) {
  return Pump_Until([&] {
    while (Read_Some()) {
    }
    return f_eof;
  }, max_ms);
}

void TRaw_Peer::Close() {
  if (f_fd >= 0) ::close(f_fd);
  f_fd = -1;
}

TRaw_Listener::TRaw_Listener() {
  f_fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(0);
  ::bind(f_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(f_fd, 5);
  socklen_t len = sizeof a;
  ::getsockname(f_fd, reinterpret_cast<sockaddr*>(&a), &len);
  f_port = ntohs(a.sin_port);
  ::fcntl(f_fd, F_SETFL, ::fcntl(f_fd, F_GETFL, 0) | O_NONBLOCK);
}

TRaw_Listener::~TRaw_Listener() { ::close(f_fd); }

TRaw_Peer TRaw_Listener::Accept(int max_ms) {
  int fd = -1;
  Pump_Until([&] {
    fd = ::accept(f_fd, nullptr, nullptr);
    return fd >= 0;
  }, max_ms);
  if (fd >= 0) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
  return TRaw_Peer(fd);
}

int Unused_Port() {
  TRaw_Listener l;
  return l.Port();  // closed again when l goes
}
