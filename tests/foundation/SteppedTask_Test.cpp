#include <gtest/gtest.h>

#include "SteppedTask.h"

namespace {
struct TCall {
  bool is_first, is_last;
  std::int32_t step;
  TDisplay_Class* display;
  float elapsed;
  std::int32_t extra, state;
  bool operator==(const TCall&) const = default;
};

// The job's object: records each call and answers from a script.
struct TJob {
  std::vector<TCall> calls;
  bool open_result = true;
  std::int32_t fail_at = -1;  // step call that returns false
  std::int32_t set_state = -1;

  static bool Step(void* object, bool is_first, bool is_last, std::int32_t step, TDisplay_Class* display,
                   float elapsed, std::int32_t extra, std::int32_t& state) {
    TJob& job = *static_cast<TJob*>(object);
    job.calls.push_back({is_first, is_last, step, display, elapsed, extra, state});
    if (is_first) {
      if (job.set_state >= 0) state = job.set_state;
      return job.open_result;
    }
    return step != job.fail_at;
  }
};

TDisplay_Class* const display = reinterpret_cast<TDisplay_Class*>(0x1000);

class SteppedTask : public ::testing::Test {
protected:
  void TearDown() override { Stepped_Task_End(); }
};
}  // namespace

TEST_F(SteppedTask, RunsOneStepPerCall) {
  TJob job;
  job.set_state = 5;
  EXPECT_EQ(Stepped_Task_Begin(display, 1, 3, 42, TJob::Step, &job), 0);
  EXPECT_TRUE(Stepped_Task_Running);
  Stepped_Task_Step(0.25f);
  Stepped_Task_Step(0.5f);
  EXPECT_TRUE(Stepped_Task_Running);
  Stepped_Task_Step(0.75f);
  EXPECT_FALSE(Stepped_Task_Running);
  Stepped_Task_Step(1.0f);  // nothing runs any more
  std::vector<TCall> expect = {
      {true, false, 1, display, 0.0f, 42, 0},    {false, false, 1, display, 0.25f, 42, 5},
      {false, false, 2, display, 0.5f, 42, 5},   {false, false, 3, display, 0.75f, 42, 5},
      {false, true, 3, display, 0.75f, 42, 5},
  };
  EXPECT_EQ(job.calls, expect);
}

TEST_F(SteppedTask, FirstStepEqualToLast) {
  TJob job;
  Stepped_Task_Begin(nullptr, 7, 7, 0, TJob::Step, &job);
  EXPECT_EQ(job.calls.size(), 1u);
  Stepped_Task_Step(0.1f);
  ASSERT_EQ(job.calls.size(), 3u);
  EXPECT_EQ(job.calls[1], (TCall{false, false, 7, nullptr, 0.1f, 0, 0}));
  EXPECT_EQ(job.calls[2], (TCall{false, true, 7, nullptr, 0.1f, 0, 0}));
  EXPECT_FALSE(Stepped_Task_Running);
}

TEST_F(SteppedTask, FailedOpeningClosesAtOnce) {
  TJob job;
  job.open_result = false;
  Stepped_Task_Begin(display, 1, 100, 0, TJob::Step, &job);
  EXPECT_FALSE(Stepped_Task_Running);
  ASSERT_EQ(job.calls.size(), 2u);
  EXPECT_TRUE(job.calls[1].is_last);
  Stepped_Task_Step(0.1f);
  EXPECT_EQ(job.calls.size(), 2u);
}

TEST_F(SteppedTask, FailedStepClosesInTheSameFrame) {
  TJob job;
  job.fail_at = 37;
  Stepped_Task_Begin(display, 1, 100, 0, TJob::Step, &job);
  for (int i = 0; i < 37; ++i) Stepped_Task_Step(0.02f);
  EXPECT_FALSE(Stepped_Task_Running);
  ASSERT_EQ(job.calls.size(), 39u);
  EXPECT_EQ(job.calls.back(), (TCall{false, true, 37, display, 0.02f, 0, 0}));
}

TEST_F(SteppedTask, SecondBeginClosesTheFirst) {
  TJob first, second;
  Stepped_Task_Begin(display, 1, 10, 0, TJob::Step, &first);
  Stepped_Task_Step(0.1f);
  Stepped_Task_Step(0.1f);
  Stepped_Task_Begin(nullptr, 1, 2, 9, TJob::Step, &second);
  ASSERT_EQ(first.calls.size(), 4u);
  EXPECT_EQ(first.calls.back(), (TCall{false, true, 2, display, 0.0f, 0, 0}));
  EXPECT_TRUE(Stepped_Task_Running);
  Stepped_Task_Step(0.1f);
  Stepped_Task_Step(0.1f);
  EXPECT_FALSE(Stepped_Task_Running);
  EXPECT_EQ(first.calls.size(), 4u);
  ASSERT_EQ(second.calls.size(), 4u);
  EXPECT_EQ(second.calls.back(), (TCall{false, true, 2, nullptr, 0.1f, 9, 0}));
}

TEST_F(SteppedTask, ClosingCallMayBeginTheNextJob) {
  struct TChain {
    TJob next;
    int closes = 0;
    static bool Step(void* object, bool, bool is_last, std::int32_t, TDisplay_Class*, float, std::int32_t,
                     std::int32_t&) {
      TChain& c = *static_cast<TChain*>(object);
      if (is_last && ++c.closes == 1) Stepped_Task_Begin(nullptr, 1, 1, 0, TJob::Step, &c.next);
      return true;
    }
  } chain;
  Stepped_Task_Begin(nullptr, 1, 1, 0, TChain::Step, &chain);
  Stepped_Task_Step(0.1f);
  EXPECT_TRUE(Stepped_Task_Running);  // the job begun by the closing call runs
  Stepped_Task_Step(0.1f);
  EXPECT_FALSE(Stepped_Task_Running);
  EXPECT_EQ(chain.next.calls.size(), 3u);
  EXPECT_EQ(chain.closes, 1);
}

TEST_F(SteppedTask, AStepThatRaisesStillCloses) {
  struct TThrower {
    std::vector<bool> lasts;
    static bool Step(void* object, bool, bool is_last, std::int32_t step, TDisplay_Class*, float, std::int32_t,
                     std::int32_t&) {
      static_cast<TThrower*>(object)->lasts.push_back(is_last);
      if (!is_last && step == 2) throw std::runtime_error("boom");
      return true;
    }
  } t;
  Stepped_Task_Begin(nullptr, 1, 5, 0, TThrower::Step, &t);
  Stepped_Task_Step(0.1f);
  EXPECT_THROW(Stepped_Task_Step(0.1f), std::runtime_error);
  EXPECT_FALSE(Stepped_Task_Running);
  EXPECT_EQ(t.lasts, (std::vector<bool>{false, false, false, true}));
}
