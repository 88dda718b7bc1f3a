#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "common/TestSupport.h"
#include "toolkit/SysUtils.h"
#include "toolkit/Thread.h"
#include "toolkit/Timer.h"

namespace {

class CountingThread : public TThread {
public:
  ~CountingThread() override {
    Terminate();
    WaitFor();
  }
  std::atomic<int> Count{0};

protected:
  void Execute() override {
    while (!Terminated()) {
      ++Count;
      Sleep(5);
    }
    ReturnValue = 7;
  }
};

TEST(Thread, RunsOnlyAfterStartAndEndsWhenTerminated) {
  CountingThread thread;
  Sleep(100);
  EXPECT_EQ(thread.Count, 0) << "created suspended";
  thread.Start();
  EXPECT_TRUE(zortest::PumpUntil([&] { return thread.Count > 0; }, 5000));
  EXPECT_FALSE(thread.WaitFor(50));
  thread.Terminate();
  EXPECT_EQ(thread.WaitFor(), 7u);
  EXPECT_TRUE(thread.Finished());
}

TEST(Timer, TicksWhileEnabledAndItsExceptionsGoToTheHandler) {
  TTimer timer(nullptr);
  timer.SetInterval(20);
  int ticks = 0;
  timer.OnTimer = [&](TObject *) { ++ticks; };
  EXPECT_TRUE(zortest::PumpUntil([&] { return ticks >= 3; }, 5000));
  timer.SetEnabled(false);
  int stopped = ticks;
  zortest::PumpFor(150);
  EXPECT_EQ(ticks, stopped);

  zortest::MessageBoxCapture boxes;
  timer.OnTimer = [&](TObject *) {
    ++ticks;
    throw Exception("Timer failed");
  };
  timer.SetEnabled(true);
  EXPECT_TRUE(zortest::PumpUntil([&] { return ticks >= stopped + 2; }, 5000)) << "keeps ticking after a throw";
  timer.SetEnabled(false);
  ASSERT_GE(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[0].Text, "Timer failed.");
}

// The timers of a thread share one window: each still ticks at its own pace, and one deleted in another's tick
// never ticks again while the rest go on.
TEST(Timer, TimersOfAThreadTickApartAndOneDeletedInAnothersTickStops) {
  auto fast = std::make_unique<TTimer>(nullptr);
  auto slow = std::make_unique<TTimer>(nullptr);
  auto doomed = std::make_unique<TTimer>(nullptr);
  int fastTicks = 0, slowTicks = 0, doomedTicks = 0;
  fast->SetInterval(10);
  slow->SetInterval(300);
  doomed->SetInterval(10);
  fast->OnTimer = [&](TObject *) { ++fastTicks; };
  slow->OnTimer = [&](TObject *) { ++slowTicks; };
  doomed->OnTimer = [&](TObject *) { ++doomedTicks; };
  TTimer killer(nullptr);
  killer.SetInterval(50);
  killer.OnTimer = [&](TObject *) { doomed.reset(); };
  ASSERT_TRUE(zortest::PumpUntil([&] { return !doomed && fastTicks >= 20; }, 5000));
  const int doomedAtEnd = doomedTicks;
  EXPECT_TRUE(zortest::PumpUntil([&] { return slowTicks >= 1; }, 5000));
  zortest::PumpFor(100);
  EXPECT_EQ(doomedTicks, doomedAtEnd);
  EXPECT_GT(fastTicks, 3 * slowTicks) << "each at its own interval";
}

} // namespace
