#include "SteppedTask.h"

bool Stepped_Task_Running = false;

namespace {
struct TStepped_Task {
  Stepped_Task_Callback routine = nullptr;
  void* object = nullptr;
  TDisplay_Class* display = nullptr;
  std::int32_t first_step = 0;
  std::int32_t last_step = 0;
  std::int32_t extra = 0;
  std::int32_t current_step = 0;
  std::int32_t state = 0;
};

TStepped_Task task;
// Changes whenever a job begins or ends, so that a call which itself
// begins or ends a job is not undone by the code that made the call.
std::uint64_t generation = 0;

bool Call(bool is_first, bool is_last, std::int32_t step, float elapsed) {
  return task.routine(task.object, is_first, is_last, step, task.display, elapsed, task.extra, task.state);
}

// The closing call; the job ends after it unless the call began another.
void Close(std::int32_t step, float elapsed) {
  // No longer running during its closing call: a job begun from there does
  // not close this one a second time.
  Stepped_Task_Running = false;
  std::uint64_t mine = generation;
  Call(false, true, step, elapsed);
  if (generation == mine) Stepped_Task_End();
}

// Runs a call; when it raises, the job is still closed (so that what it
// holds is released) and the error goes on to the caller.
bool Guarded_Call(bool is_first, std::int32_t step, float elapsed, bool& replaced) {
  std::uint64_t mine = generation;
  try {
    bool result = Call(is_first, false, step, elapsed);
    replaced = generation != mine;
    return result;
  } catch (...) {
    if (generation == mine) {
      try {
        Close(step, elapsed);
      } catch (...) {
      }
      if (generation == mine) Stepped_Task_End();
    }
    throw;
  }
}
}  // namespace

std::int32_t Stepped_Task_Begin(TDisplay_Class* progress_display, std::int32_t first_step, std::int32_t last_step,
                                std::int32_t extra, Stepped_Task_Callback step_routine, void* object) {
  // A job still running is closed properly before it is replaced.
  if (Stepped_Task_Running && task.routine) Close(task.current_step, 0.0f);
  ++generation;
  task = TStepped_Task{step_routine, object, progress_display, first_step, last_step, extra, 0, 0};
  if (!step_routine) {
    Stepped_Task_End();
    return 0;
  }
  bool replaced = false;
  bool go_on = Guarded_Call(true, first_step, 0.0f, replaced);
  if (replaced) return 0;
  if (go_on) {
    task.current_step = first_step - 1;
    Stepped_Task_Running = true;
  } else {
    Close(first_step, 0.0f);
  }
  return 0;
}

void Stepped_Task_Step(float elapsed) {
  if (!Stepped_Task_Running || !task.routine) return;
  if (task.current_step == INT32_MAX) {
    Close(task.current_step, elapsed);
    return;
  }
  ++task.current_step;
  std::int32_t step = task.current_step;
  bool replaced = false;
  bool go_on = Guarded_Call(false, step, elapsed, replaced);
  if (replaced) return;
  if (step < task.last_step && go_on) return;
  Close(step, elapsed);
}

void Stepped_Task_End() {
  ++generation;
  task = TStepped_Task{};
  Stepped_Task_Running = false;
}
