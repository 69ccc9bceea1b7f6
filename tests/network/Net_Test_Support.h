// Loopback helpers for the socket tests: a plain peer socket on the other
// end, a pump loop with an overall deadline, and a name server that answers
// when it is told to.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "NetSocket.h"
#include "NetWndControl.h"
#include "Socket_Binding.h"

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

// The names a gated resolver was asked, and its gate. It outlives the
// resolver: a look-up's thread may still wait on it.
struct TName_Gate {
  std::mutex lock;
  std::condition_variable opened;
  bool open = false;
  std::vector<std::string> asked;
  void Open() {
    std::lock_guard<std::mutex> g(lock);
    open = true;
    opened.notify_all();
  }
  std::size_t Asked() {
    std::lock_guard<std::mutex> g(lock);
    return asked.size();
  }
};

// While it lives, the sockets' host names go to a resolver standing for a
// slow name server: it answers (127.0.0.1 for "game-host.test", nothing for
// any other name) only once the test opens the gate.
struct TGated_Resolver {
  std::shared_ptr<TName_Gate> gate = std::make_shared<TName_Gate>();
  TGated_Resolver() {
    WSocket_Name_Resolver = [gate = gate](const std::string& name, std::uint32_t& address) {
      std::unique_lock<std::mutex> g(gate->lock);
      gate->asked.push_back(name);
      gate->opened.wait(g, [&] { return gate->open; });
      return name == "game-host.test" && Sock_Parse_IPv4("127.0.0.1", address);
    };
  }
  ~TGated_Resolver() {
    gate->Open();
    WSocket_Name_Resolver = nullptr;
  }
};
