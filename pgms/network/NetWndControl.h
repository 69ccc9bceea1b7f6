// Message pump of the socket layer.
//
// Every socket object is event-driven: readiness of its socket and its own
// deferred actions (release of the object, delayed close, re-delivery of
// held line data, notice of a closed server-side client) arrive as messages
// that run on the thread that created the object, from the pump below. The
// pump polls the sockets of the thread (non-blocking, through the socket
// binding) and dispatches the posted messages; the main thread calls it from
// its frame loop. Only the look-up of a host's name runs on a thread of its
// own (the system's resolver may take seconds); its answer wakes the pump,
// which hands it to the socket as a message like any other.
//
// Each object takes a range of message numbers on a message target (the
// "hidden window" of the object's thread, TNetWndHandler); a target serves
// 100 numbers from MsgLow = 1025, and the target and the number together
// name the one object that owns a message.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Errors.h"

class ENetException : public EGlobarch_Error {
public:
  using EGlobarch_Error::EGlobarch_Error;
};

// Raised when a target is taken after the module has been finalised.
class ENetAssertion : public EGlobarch_Error {
public:
  using EGlobarch_Error::EGlobarch_Error;
};

using TNet_Window = std::uint64_t;  // 0 = none

// One posted or dispatched message.
struct TNet_Message {
  std::uint32_t msg = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::shared_ptr<void> data;  // optional record that travels with the message
  std::intptr_t result = 0;
};

constexpr std::uint32_t NET_WM_QUIT = 18;
constexpr std::uint32_t NET_WM_USER = 1024;
constexpr std::int32_t Net_Slots_Per_Window = 100;

class TNetWndControl;
class TNetWndHandlerList;

// One message target (hidden window) with its slot table.
class TNetWndHandler {
public:
  explicit TNetWndHandler(TNetWndHandlerList* list);
  ~TNetWndHandler();

  // Creates the target if it does not exist yet.
  void CreateWindow();
  void DestroyWindow();
  // Stores obj in the lowest free slot and returns its message number.
  std::uint32_t RegisterMessage(TNetWndControl* obj);
  // Gives a message number back (0 is ignored) and sets it to 0.
  void UnregisterMessage(std::uint32_t& msg);
  void WindowProc(TNet_Message& m);

  TNet_Window Handle() const { return f_handle; }
  std::uint32_t MsgLow = 0;
  std::int32_t Used_Count() const { return f_used; }
  TNetWndControl* Slot(std::int32_t i) const { return f_slots[static_cast<std::size_t>(i)]; }
  TNetWndHandlerList* List() const { return f_list; }
  // Optional hook for messages no object took and for exceptions.
  std::function<bool(TNet_Message&)> f_hook;

private:
  TNet_Window f_handle = 0;
  TNetWndControl* f_slots[Net_Slots_Per_Window + 1] = {};
  std::int32_t f_used = 0;
  TNetWndHandlerList* f_list;
};

// The targets of one thread and that thread's message queue.
class TNetWndHandlerList {
public:
  explicit TNetWndHandlerList(std::thread::id id) : f_thread(id) {}
  ~TNetWndHandlerList();
  std::thread::id Thread() const { return f_thread; }
  std::vector<TNetWndHandler*> f_handlers;

private:
  std::thread::id f_thread;
};

// The lists of every thread that owns socket objects.
class TNetWndHandlerPool {
public:
  ~TNetWndHandlerPool();
  TNetWndHandler* GetHandler(std::int32_t slots, std::thread::id id);
  void FreeHandler(TNetWndHandler* h);
  TNetWndHandlerList* Find_List(std::thread::id id) const;
  std::int32_t List_Count() const { return static_cast<std::int32_t>(f_lists.size()); }
  std::recursive_mutex f_lock;

private:
  std::vector<TNetWndHandlerList*> f_lists;
};

// Base of every socket object: its message target and message numbers, its
// deferred release and the handling of exceptions raised by its events.
class TNetWndControl {
public:
  TNetWndControl();
  TNetWndControl(const TNetWndControl&) = delete;
  TNetWndControl& operator=(const TNetWndControl&) = delete;
  virtual ~TNetWndControl();

  // The object's target, taken on first use.
  TNet_Window Handle();
  // Called with the exception and CanClose (true on entry).
  std::function<void(TNetWndControl* sender, const std::exception& e, bool& can_close)> OnBgException;
  bool MultiThreaded = false;
  bool Terminated = false;

  // Posts the release message: the object frees itself when it arrives.
  void PostRelease();
  // Posts a message to the object's own target.
  bool Post_Message(std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam,
                    std::shared_ptr<void> data = nullptr);
  void AttachToThread();
  void DetachFromThread();
  // Pump used by blocking operations: one message, all pending, or until quit.
  bool ProcessOneMessage();
  void ProcessPendingMessages();
  void RunMessageLoop();
  void PumpMessages();

  TNetWndHandler* Handler() const { return f_handler; }
  std::uint32_t Release_Message() const { return f_msg_release; }

  // Routing of one message to this object.
  virtual void WindowProc(TNet_Message& m);
  // Socket readiness for the pump: the descriptor and the readiness wanted
  // (Sock_Readable, Sock_Writable of the socket binding).
  virtual bool Poll_Request(int& fd, short& events);
  virtual void Poll_Ready(short revents);

protected:
  void Release_Window();  // gives the target up once (destructor)
  virtual void Handle_Message(TNet_Message& m);
  virtual void HandleBgException(const std::exception& e);
  virtual void CreateHiddenWindow();
  virtual void DestroyHiddenWindow();
  virtual std::int32_t MessageCount() const { return 1; }
  virtual void RegisterMessages();
  virtual void UnregisterMessages();
  virtual void Abort_Hook() {}

  TNet_Window f_window = 0;
  TNetWndHandler* f_handler = nullptr;
  std::thread::id f_thread;
  bool f_destroy_started = false;

private:
  std::uint32_t f_msg_release = 0;
};

// Runs the pump of the calling thread once: polls the sockets of the thread
// (waiting at most timeout_ms when no message is pending), then dispatches
// the messages pending at that point. Returns the number dispatched.
std::int32_t Net_Process_Messages(std::int32_t timeout_ms);
// The frame loop's pump: runs the pump without waiting, again and again
// while it finds something to do, for at most budget_ms. A stream that
// keeps arriving (a file from the host) is taken as fast as it comes rather
// than one read per frame. Returns the number of messages dispatched.
std::int32_t Net_Process_Messages_Until_Idle(std::int32_t budget_ms);
// True while the calling thread is inside the handler of a socket message
// (an event of a socket object is running).
bool Net_In_Dispatch();
// Frees a socket object once no handler can still be running on it: at
// once outside message handling, else by its release message on the next
// pass of the pump (true when it was freed at once). Owners that may be
// freed from inside one of their sockets' events free their sockets this
// way.
bool Net_Free_Later(TNetWndControl* object);
// Posts the quit message to the calling thread's queue.
void Net_Post_Quit();
// Number of message targets that exist, and whether the target class is
// registered (while at least one target exists).
std::int32_t Net_Window_Count();
bool Net_Window_Class_Registered();
// Number of a message registered by name: the same name gives the same
// number (0xC000 and up) for the whole process.
std::uint32_t Net_Register_Message(const std::string& name);
// The timer message registered at start-up ("QUORVANE_NET_THREAD_TIMER").
// No timer objects exist, so it never arrives; targets ignore it.
std::uint32_t Net_Thread_Timer_Message();

// Module initialisation and finalisation (counted; the first and the last
// act). Initialisation happens on first use as well.
void Net_Wnd_Control_Initialize();
void Net_Wnd_Control_Finalize();
