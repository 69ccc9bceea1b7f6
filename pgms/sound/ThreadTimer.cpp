#include "ThreadTimer.h"

#include <algorithm>
#include <chrono>
#include <deque>

namespace {
// The ticks handed to the main thread, oldest first; each timer at most once.
std::mutex Pending_Mutex;
std::condition_variable Pending_Posted;
std::deque<TThreadedTimer*> Pending;

void Post_Tick(TThreadedTimer* timer) {
  std::lock_guard<std::mutex> lock(Pending_Mutex);
  if (std::find(Pending.begin(), Pending.end(), timer) == Pending.end()) Pending.push_back(timer);
  Pending_Posted.notify_all();
}

void Drop_Ticks(TThreadedTimer* timer) {
  std::lock_guard<std::mutex> lock(Pending_Mutex);
  Pending.erase(std::remove(Pending.begin(), Pending.end(), timer), Pending.end());
}
}  // namespace

TTimerThread::TTimerThread(TThreadedTimer* owner) : f_owner(owner) { f_thread = std::thread([this] { Execute(); }); }

TTimerThread::~TTimerThread() {
  Terminate();
  Wait_For();
}

void TTimerThread::Execute() {
  std::unique_lock<std::mutex> lock(f_mutex);
  for (;;) {
    f_wake.wait(lock, [this] { return f_terminated || !f_suspended; });
    if (f_terminated) return;
    bool signalled = f_wake.wait_for(lock, std::chrono::milliseconds(f_interval),
                                     [this] { return f_signalled || f_terminated || f_suspended; });
    if (f_terminated) return;
    if (f_signalled) {
      f_signalled = false;  // the event resets itself
      continue;
    }
    if (signalled) continue;  // suspended while waiting
    lock.unlock();
    Post_Tick(f_owner);
    lock.lock();
  }
}

void TTimerThread::Suspend() {
  std::lock_guard<std::mutex> lock(f_mutex);
  f_suspended = true;
  f_wake.notify_all();
}

void TTimerThread::Resume() {
  std::lock_guard<std::mutex> lock(f_mutex);
  f_suspended = false;
  f_wake.notify_all();
}

void TTimerThread::Signal() {
  std::lock_guard<std::mutex> lock(f_mutex);
  f_signalled = true;
  f_wake.notify_all();
}

void TTimerThread::Terminate() {
  std::lock_guard<std::mutex> lock(f_mutex);
  f_terminated = true;
  f_wake.notify_all();
}

void TTimerThread::Wait_For() {
  if (f_thread.joinable()) f_thread.join();
}

void TTimerThread::Set_Interval(std::uint32_t ms) {
  std::lock_guard<std::mutex> lock(f_mutex);
  f_interval = ms;
}

TThreadedTimer::TThreadedTimer() : f_thread(new TTimerThread(this)) { f_thread->Set_Interval(f_interval); }

TThreadedTimer::~TThreadedTimer() {
  f_thread->Terminate();
  f_thread->Signal();
  f_thread->Resume();
  f_thread->Wait_For();
  delete f_thread;
  Drop_Ticks(this);
}

void TThreadedTimer::SetEnabled(bool value) {
  if (value == f_enabled) return;
  f_enabled = value;
  if (!value) {
    f_thread->Suspend();
    f_thread_running = false;
    Drop_Ticks(this);
  } else if (f_interval > 0 || f_allow_zero) {
    f_thread->Signal();
    f_thread->Resume();
    f_thread_running = true;
  }
}

void TThreadedTimer::SetInterval(std::uint32_t value) {
  if (value == f_interval) return;
  bool was_enabled = f_enabled;
  SetEnabled(false);
  f_interval = value;
  f_thread->Set_Interval(value);
  SetEnabled(was_enabled);
}

void TThreadedTimer::Tick() {
  if (!f_enabled || !OnTimer) return;
  try {
    OnTimer(*this);
  } catch (...) {
  }
}

std::int32_t Thread_Timer_Synchronize() {
  std::int32_t run = 0;
  for (;;) {
    TThreadedTimer* timer;
    {
      std::lock_guard<std::mutex> lock(Pending_Mutex);
      if (Pending.empty()) return run;
      timer = Pending.front();
      Pending.pop_front();
    }
    timer->Tick();
    ++run;
  }
}

void Thread_Timer_Synchronize_For(std::uint32_t milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    Thread_Timer_Synchronize();
    std::unique_lock<std::mutex> lock(Pending_Mutex);
    if (!Pending_Posted.wait_until(lock, end, [] { return !Pending.empty(); })) return;
  }
}
