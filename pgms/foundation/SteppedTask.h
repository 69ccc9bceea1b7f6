// Stepped jobs: a long operation split into steps, one step per frame, so
// that the frame loop keeps running (and a progress display keeps moving).
// One job runs at a time; the main window's frame move advances it.
#pragma once

#include <cstdint>

class TDisplay_Class;

// The step routine: object, is first, is last, step number, progress
// display, elapsed seconds of the frame, extra value and the job's state
// (kept from call to call). Returns true to go on, false to stop.
using Stepped_Task_Callback = bool (*)(void* object, bool is_first, bool is_last, std::int32_t step,
                                       TDisplay_Class* progress_display, float elapsed, std::int32_t extra,
                                       std::int32_t& state);

// Whether a job is running.
extern bool Stepped_Task_Running;

// Starts a job: the opening call (is first, step = first step, elapsed 0),
// then, when it returned true, one step call per Stepped_Task_Step for the
// steps first..last; when it returned false, the closing call at once. A job
// still running is closed first (its closing call runs). Returns 0.
std::int32_t Stepped_Task_Begin(TDisplay_Class* progress_display, std::int32_t first_step, std::int32_t last_step,
                                std::int32_t extra, Stepped_Task_Callback step_routine, void* object);
// One step of the running job; after the last step, or a step returning
// false, the closing call (is last, same step number and elapsed time).
void Stepped_Task_Step(float elapsed);
// Forgets the job without any call.
void Stepped_Task_End();
