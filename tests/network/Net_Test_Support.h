// Loopback helpers for the socket tests: a plain peer socket on the other
// end, and a pump loop with an overall deadline.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "NetWndControl.h"

// Runs the pump until done() holds or 5 seconds have passed; returns done().
bool Pump_Until(const std::function<bool()>& done, int max_ms = 5000);
// Runs the pump for a short while (lets messages in flight arrive).
void Pump_For(int ms);

// A plain non-blocking peer socket.
class TRaw_Peer {
public:
  TRaw_Peer() = default;
  explicit TRaw_Peer(int fd) : f_fd(fd) {}
  TRaw_Peer(TRaw_Peer&& o) noexcept : f_fd(o.f_fd), f_in(std::move(o.f_in)) { o.f_fd = -1; }
  TRaw_Peer& operator=(TRaw_Peer&& o) noexcept {
    if (this != &o) {
      Close();
      f_fd = o.f_fd;
      f_in = std::move(o.f_in);
      o.f_fd = -1;
    }
    return *this;
  }
  ~TRaw_Peer();
  // Connects to 127.0.0.1:port.
  static TRaw_Peer Connect(int port);
  void Write(const std::string& bytes);
  // Reads what is there (pumping), until the text received holds want.
  bool Wait_For(const std::string& want, int max_ms = 5000);
  // Until the peer has closed the connection.
  bool Wait_For_Close(int max_ms = 5000);
  void Close();
  const std::string& Received() const { return f_in; }
  int fd() const { return f_fd; }

private:
  bool Read_Some();
  int f_fd = -1;
  std::string f_in;
  bool f_eof = false;
};

// A plain listening socket on 127.0.0.1 with an ephemeral port.
class TRaw_Listener {
public:
  TRaw_Listener();
  ~TRaw_Listener();
  int Port() const { return f_port; }
  // Accepts one connection (pumping meanwhile).
  TRaw_Peer Accept(int max_ms = 5000);

private:
  int f_fd = -1;
  int f_port = 0;
};

// A port on which nothing listens.
int Unused_Port();
