#include "NetWndControl.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <set>
#include <utility>

#include "Socket_Binding.h"

namespace {

struct TPosted {
  TNet_Window window;
  TNet_Message message;
};

// Process-wide state of the module.
std::recursive_mutex Class_Lock;  // guards the window count and the class registration
std::int32_t Window_Count = 0;
bool Class_Registered = false;
TNet_Window Next_Window = 0;
std::map<TNet_Window, TNetWndHandler*> Windows;  // guarded by Class_Lock
std::uint32_t Next_MsgLow = 0;
TNetWndHandlerPool* Pool = nullptr;
std::int32_t Init_Count = 0;
bool Finalized = false;

// Messages posted to the targets of the calling thread, oldest first.
thread_local std::deque<TPosted> Queue;

TNetWndHandler* Find_Window(TNet_Window w) {
  std::lock_guard<std::recursive_mutex> g(Class_Lock);
  auto it = Windows.find(w);
  return it == Windows.end() ? nullptr : it->second;
}

// Depth of message handling on this thread (handlers may pump again).
thread_local std::int32_t Dispatch_Depth = 0;

void Dispatch(TPosted& p) {
  // A message for a target that no longer exists goes nowhere.
  TNetWndHandler* h = Find_Window(p.window);
  if (!h) return;
  ++Dispatch_Depth;
  try {
    h->WindowProc(p.message);
  } catch (...) {
    --Dispatch_Depth;
    throw;
  }
  --Dispatch_Depth;
}

}  // namespace

std::uint32_t Net_Register_Message(const std::string& name) {
  static std::mutex lock;
  static std::map<std::string, std::uint32_t> names;
  std::lock_guard<std::mutex> g(lock);
  auto it = names.find(name);
  if (it != names.end()) return it->second;
  std::uint32_t n = 0xC000u + static_cast<std::uint32_t>(names.size());
  if (n > 0xFFFFu) throw ENetException("Unable to register message " + name);
  names[name] = n;
  return n;
}

namespace {
std::uint32_t Timer_Message = 0;
}

std::uint32_t Net_Thread_Timer_Message() {
  if (!Timer_Message) Timer_Message = Net_Register_Message("QUORVANE_NET_THREAD_TIMER");
  return Timer_Message;
}

void Net_Wnd_Control_Initialize() {
  if (Init_Count++ > 0) return;
  Net_Thread_Timer_Message();
  Finalized = false;
  if (!Pool) Pool = new TNetWndHandlerPool;
}

void Net_Wnd_Control_Finalize() {
  if (Init_Count <= 0 || --Init_Count > 0) return;
  if (Pool && Pool->List_Count() == 0) {
    delete Pool;
    Pool = nullptr;
  }
  Finalized = true;
}

std::int32_t Net_Window_Count() {
  std::lock_guard<std::recursive_mutex> g(Class_Lock);
  return Window_Count;
}

bool Net_Window_Class_Registered() {
  std::lock_guard<std::recursive_mutex> g(Class_Lock);
  return Class_Registered;
}

// ---------------------------------------------------------------- handler

TNetWndHandler::TNetWndHandler(TNetWndHandlerList* list) : f_list(list) {}

TNetWndHandler::~TNetWndHandler() { DestroyWindow(); }

void TNetWndHandler::CreateWindow() {
  if (f_handle) return;
  std::lock_guard<std::recursive_mutex> g(Class_Lock);
  Class_Registered = true;
  f_handle = ++Next_Window;
  Windows[f_handle] = this;
  ++Window_Count;
}

void TNetWndHandler::DestroyWindow() {
  if (!f_handle) return;
  std::fill(std::begin(f_slots), std::end(f_slots), nullptr);
  f_used = 0;
  std::lock_guard<std::recursive_mutex> g(Class_Lock);
  Windows.erase(f_handle);
  f_handle = 0;
  if (--Window_Count == 0) Class_Registered = false;
}

std::uint32_t TNetWndHandler::RegisterMessage(TNetWndControl* obj) {
  if (MsgLow <= 1023) throw ENetException("MsgLow not defined");
  if (f_used >= Net_Slots_Per_Window) throw ENetException("No more free message");
  for (std::int32_t i = 0; i < Net_Slots_Per_Window; ++i) {
    if (!f_slots[i]) {
      f_slots[i] = obj;
      ++f_used;
      return MsgLow + static_cast<std::uint32_t>(i);
    }
  }
  throw ENetException("No more free message");
}

void TNetWndHandler::UnregisterMessage(std::uint32_t& msg) {
  if (msg == 0) return;
  if (MsgLow <= 1023) throw ENetException("MsgLow not defined");
  if (msg < MsgLow || msg >= MsgLow + Net_Slots_Per_Window) throw ENetException("Msg value out of bound");
  std::uint32_t i = msg - MsgLow;
  if (!f_slots[i]) throw ENetException("Msg not registered");
  f_slots[i] = nullptr;
  --f_used;
  // Messages still queued for that number must not reach a later owner of
  // the slot.
  std::erase_if(Queue, [&](const TPosted& p) { return p.window == f_handle && p.message.msg == msg; });
  msg = 0;
  if (f_used == 0) DestroyWindow();
}

void TNetWndHandler::WindowProc(TNet_Message& m) {
  try {
    if (m.msg >= MsgLow && m.msg < MsgLow + Net_Slots_Per_Window && f_slots[m.msg - MsgLow]) {
      f_slots[m.msg - MsgLow]->WindowProc(m);
      return;
    }
    if (f_hook && f_hook(m)) return;
    // Anything else has no owner: the default handling ignores it.
    m.result = 0;
  } catch (...) {
    // Never leaves the pump.
  }
}

TNetWndHandlerList::~TNetWndHandlerList() {
  for (TNetWndHandler* h : f_handlers) delete h;
}

// ------------------------------------------------------------------- pool

TNetWndHandlerPool::~TNetWndHandlerPool() {
  for (TNetWndHandlerList* l : f_lists) delete l;
}

TNetWndHandlerList* TNetWndHandlerPool::Find_List(std::thread::id id) const {
  for (TNetWndHandlerList* l : f_lists)
    if (l->Thread() == id) return l;
  return nullptr;
}

TNetWndHandler* TNetWndHandlerPool::GetHandler(std::int32_t slots, std::thread::id id) {
  TNetWndHandlerList* list = Find_List(id);
  if (!list) {
    list = new TNetWndHandlerList(id);
    f_lists.push_back(list);
  }
  for (TNetWndHandler* h : list->f_handlers)
    if (Net_Slots_Per_Window - h->Used_Count() >= slots) return h;
  auto* h = new TNetWndHandler(list);
  // Every target uses the numbers 1025 to 1124.
  if (Next_MsgLow <= 1024 || Next_MsgLow >= 65435) Next_MsgLow = NET_WM_USER + 1;
  h->MsgLow = Next_MsgLow;
  list->f_handlers.push_back(h);
  return h;
}

void TNetWndHandlerPool::FreeHandler(TNetWndHandler* h) {
  TNetWndHandlerList* list = h->List();
  auto& hs = list->f_handlers;
  hs.erase(std::remove(hs.begin(), hs.end(), h), hs.end());
  if (hs.empty()) {
    f_lists.erase(std::remove(f_lists.begin(), f_lists.end(), list), f_lists.end());
    delete list;
  }
  delete h;
}

// ---------------------------------------------------------------- control

TNetWndControl::TNetWndControl() {
  if (Init_Count == 0 && !Finalized) Net_Wnd_Control_Initialize();
}

TNetWndControl::~TNetWndControl() { Release_Window(); }

void TNetWndControl::Release_Window() {
  if (f_destroy_started) return;
  f_destroy_started = true;
  try {
    DestroyHiddenWindow();
  } catch (...) {
  }
}

TNet_Window TNetWndControl::Handle() {
  if (!f_window) CreateHiddenWindow();
  return f_window;
}

void TNetWndControl::CreateHiddenWindow() {
  if (f_window) return;
  if (Finalized) throw ENetAssertion("Unit is already finalized, check your threads!!!");
  if (!Pool) Net_Wnd_Control_Initialize();
  f_thread = std::this_thread::get_id();
  std::lock_guard<std::recursive_mutex> g(Pool->f_lock);
  f_handler = Pool->GetHandler(MessageCount(), f_thread);
  f_handler->CreateWindow();
  f_window = f_handler->Handle();
  RegisterMessages();
}

void TNetWndControl::DestroyHiddenWindow() {
  if (!f_window) return;
  {
    std::lock_guard<std::recursive_mutex> g(Pool->f_lock);
    UnregisterMessages();
    if (f_handler->Used_Count() == 0) Pool->FreeHandler(f_handler);
    f_window = 0;
    f_handler = nullptr;
    f_thread = std::thread::id();
  }
  if (Finalized && Pool && Pool->List_Count() == 0) {
    delete Pool;
    Pool = nullptr;
  }
}

void TNetWndControl::RegisterMessages() { f_msg_release = f_handler->RegisterMessage(this); }

void TNetWndControl::UnregisterMessages() { f_handler->UnregisterMessage(f_msg_release); }

bool TNetWndControl::Post_Message(std::uint32_t msg, std::uintptr_t wparam, std::intptr_t lparam,
                                  std::shared_ptr<void> data) {
  if (!f_window) return false;
  TPosted p{f_window, TNet_Message{msg, wparam, lparam, std::move(data), 0}};
  Queue.push_back(std::move(p));
  return true;
}

void TNetWndControl::PostRelease() { Post_Message(f_msg_release, 0, 0); }

void TNetWndControl::AttachToThread() {
  if (f_window) throw ENetException("Cannot attach when not detached");
  CreateHiddenWindow();
}

void TNetWndControl::DetachFromThread() {
  if (f_window && f_thread != std::this_thread::get_id()) throw ENetException("Cannot detach from another thread");
  DestroyHiddenWindow();
}

void TNetWndControl::WindowProc(TNet_Message& m) {
  try {
    Handle_Message(m);
  } catch (const std::exception& e) {
    HandleBgException(e);
  }
}

void TNetWndControl::Handle_Message(TNet_Message& m) {
  if (m.msg == f_msg_release && f_msg_release != 0) {
    delete this;
    return;
  }
  m.result = 0;
}

void TNetWndControl::HandleBgException(const std::exception& e) {
  bool can_close = true;
  if (OnBgException) {
    try {
      OnBgException(this, e, can_close);
    } catch (...) {
    }
  }
  if (can_close) {
    try {
      Abort_Hook();
    } catch (...) {
    }
  }
}

bool TNetWndControl::Poll_Request(int&, short&) { return false; }
void TNetWndControl::Poll_Ready(short) {}

bool TNetWndControl::ProcessOneMessage() {
  if (Queue.empty()) Net_Process_Messages(-2);  // poll only, no wait, no dispatch
  if (Queue.empty()) return false;
  TPosted p = std::move(Queue.front());
  Queue.pop_front();
  if (p.window == 0 && p.message.msg == NET_WM_QUIT) {
    Terminated = true;
    return true;
  }
  Dispatch(p);
  return true;
}

void TNetWndControl::ProcessPendingMessages() {
  while (ProcessOneMessage()) {
  }
}

void TNetWndControl::RunMessageLoop() {
  for (;;) {
    if (Queue.empty()) Net_Process_Messages(-3);  // poll with waiting, no dispatch
    if (Queue.empty()) continue;
    TPosted p = std::move(Queue.front());
    Queue.pop_front();
    if (p.window == 0 && p.message.msg == NET_WM_QUIT) break;
    Dispatch(p);
  }
  Terminated = true;
}

void TNetWndControl::PumpMessages() {
  if (MultiThreaded) ProcessPendingMessages();
  else Net_Process_Messages(0);
}

bool Net_In_Dispatch() { return Dispatch_Depth > 0; }

bool Net_Free_Later(TNetWndControl* object) {
  if (!object) return true;
  if (Dispatch_Depth > 0 && object->Post_Message(object->Release_Message(), 0, 0)) return false;
  delete object;
  return true;
}

void Net_Post_Quit() { Queue.push_back(TPosted{0, TNet_Message{NET_WM_QUIT, 0, 0, nullptr, 0}}); }

std::int32_t Net_Process_Messages_Until_Idle(std::int32_t budget_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, budget_ms));
  std::int32_t total = 0;
  for (;;) {
    const std::int32_t done = Net_Process_Messages(0);
    total = Checked_Add(total, done);
    if (done == 0 || std::chrono::steady_clock::now() >= end) return total;
  }
}

std::int32_t Net_Process_Messages(std::int32_t timeout_ms) {
  // -2: poll without waiting and without dispatching; -3: poll waiting up
  // to 50 ms without dispatching (for the loops above).
  bool dispatch = timeout_ms >= 0;
  if (timeout_ms == -2) timeout_ms = 0;
  if (timeout_ms == -3) timeout_ms = 50;
  std::vector<TNetWndControl*> objects;
  std::vector<TSock_Poll_Entry> fds;
  if (Pool) {
    std::lock_guard<std::recursive_mutex> g(Pool->f_lock);
    if (TNetWndHandlerList* list = Pool->Find_List(std::this_thread::get_id())) {
      std::set<TNetWndControl*> seen;
      for (TNetWndHandler* h : list->f_handlers) {
        for (std::int32_t i = 0; i < Net_Slots_Per_Window; ++i) {
          TNetWndControl* o = h->Slot(i);
          if (!o || !seen.insert(o).second) continue;
          int fd = -1;
          short events = 0;
          if (o->Poll_Request(fd, events) && fd >= 0) {
            objects.push_back(o);
            fds.push_back(TSock_Poll_Entry{fd, events, 0});
          }
        }
      }
    }
  }
  if (!Queue.empty()) timeout_ms = 0;
  if (!fds.empty() || timeout_ms > 0) {
    const int n = Sock_Poll(fds.data(), fds.size(), timeout_ms);
    if (n > 0) {
      for (std::size_t i = 0; i < fds.size(); ++i)
        if (fds[i].revents) objects[i]->Poll_Ready(fds[i].revents);
    }
  }
  if (!dispatch) return 0;
  // Only the messages present now; those posted while dispatching wait for
  // the next call, so one call always ends.
  std::size_t count = Queue.size();
  std::int32_t done = 0;
  for (std::size_t i = 0; i < count && !Queue.empty(); ++i) {
    TPosted p = std::move(Queue.front());
    Queue.pop_front();
    if (p.window == 0 && p.message.msg == NET_WM_QUIT) {
      // Not for the socket layer: left for whoever runs a message loop.
      Queue.push_back(std::move(p));
      continue;
    }
    Dispatch(p);
    ++done;
  }
  return done;
}
