// A timer whose clock is a worker thread of its own: the thread waits for
// the interval and hands each tick to the main thread, where the timer's
// event runs when the main thread calls Thread_Timer_Synchronize (once per
// frame, and whenever it waits for ticks). All work of the event therefore
// runs on the main thread; a timer's tick waits there until the one before
// has run, so ticks never pile up.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class TThreadedTimer;

// The worker thread of a timer.
class TTimerThread {
public:
  explicit TTimerThread(TThreadedTimer* owner);
  ~TTimerThread();
  TTimerThread(const TTimerThread&) = delete;
  TTimerThread& operator=(const TTimerThread&) = delete;

  void Suspend();
  void Resume();
  void Signal();
  void Terminate();
  void Wait_For();
  void Set_Interval(std::uint32_t ms);
  std::int32_t Priority() const { return f_priority; }
  void Set_Priority(std::int32_t p) { f_priority = p; }

private:
  void Execute();

  TThreadedTimer* f_owner;
  std::mutex f_mutex;
  std::condition_variable f_wake;
  bool f_suspended = true;
  bool f_signalled = false;
  bool f_terminated = false;
  std::uint32_t f_interval = 1000;
  std::int32_t f_priority = 0;
  std::thread f_thread;
};

class TThreadedTimer {
public:
  TThreadedTimer();
  ~TThreadedTimer();
  TThreadedTimer(const TThreadedTimer&) = delete;
  TThreadedTimer& operator=(const TThreadedTimer&) = delete;

  bool Enabled() const { return f_enabled; }
  void SetEnabled(bool value);
  std::uint32_t Interval() const { return f_interval; }
  void SetInterval(std::uint32_t value);
  bool AllowZero() const { return f_allow_zero; }
  void SetAllowZero(bool value) { f_allow_zero = value; }
  // Thread priorities: 0 normal (kept only; the threads run at one priority).
  std::int32_t ThreadPriority() const { return f_thread->Priority(); }
  void SetThreadPriority(std::int32_t p) { f_thread->Set_Priority(p); }
  // Whether the worker thread runs (it is suspended while the timer is off).
  bool Thread_Running() const { return f_thread_running; }

  std::function<void(TThreadedTimer& sender)> OnTimer;

  // One tick, on the main thread: OnTimer when enabled; its exceptions are
  // swallowed.
  void Tick();

private:
  bool f_enabled = false;
  bool f_allow_zero = false;
  bool f_thread_running = false;
  std::uint32_t f_interval = 1000;
  TTimerThread* f_thread;
};

// Runs the ticks the timer threads have handed to the main thread; the
// number run.
std::int32_t Thread_Timer_Synchronize();
// Runs ticks as they come until the milliseconds have passed (for waits on
// the main thread).
void Thread_Timer_Synchronize_For(std::uint32_t milliseconds);
