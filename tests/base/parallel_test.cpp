// The draw threads: every task runs exactly once whatever the thread count,
// RunTasks returns only when all have run, and a task that asks for tasks of
// its own gets them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "base/parallel.h"

namespace vx {
namespace {

class DrawThreadsTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    saved_ = DrawThreads();
    SetDrawThreads(GetParam());
  }
  void TearDown() override { SetDrawThreads(saved_); }

 private:
  int saved_ = 1;
};

TEST_P(DrawThreadsTest, EveryTaskRunsOnceAndAllHaveRunOnReturn) {
  // Many short jobs in a row: a worker that wakes late for one job must not
  // take or lose a task of the next.
  for (int count : {0, 1, 2, 3, 7, 64, 1000}) {
    for (int round = 0; round < 50; ++round) {
      std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
      ForEachTask(count, [&](int i) { runs[static_cast<std::size_t>(i)].fetch_add(1); });
      for (int i = 0; i < count; ++i) {
        ASSERT_EQ(runs[static_cast<std::size_t>(i)].load(), 1)
            << "task " << i << " of " << count << ", round " << round;
      }
    }
  }
}

TEST_P(DrawThreadsTest, TasksInsideTasksRunToo) {
  std::atomic<int> inner{0};
  ForEachTask(4, [&](int) { ForEachTask(5, [&](int) { inner.fetch_add(1); }); });
  EXPECT_EQ(inner.load(), 20);
}

TEST_P(DrawThreadsTest, SlowTasksAreWaitedFor) {
  std::vector<int> out(8, 0);
  ForEachTask(8, [&](int i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(i % 3));
    out[static_cast<std::size_t>(i)] = i * i;
  });
  for (int i = 0; i < 8; ++i) EXPECT_EQ(out[static_cast<std::size_t>(i)], i * i);
}

INSTANTIATE_TEST_SUITE_P(ThreadCounts, DrawThreadsTest, ::testing::Values(1, 2, 3, 8));

TEST(DrawThreads, CountIsClampedToTheCrewsRange) {
  const int saved = DrawThreads();
  SetDrawThreads(0);
  EXPECT_EQ(DrawThreads(), 1);
  SetDrawThreads(MaxDrawThreads + 5);
  EXPECT_EQ(DrawThreads(), MaxDrawThreads);
  SetDrawThreads(saved);
  EXPECT_GE(ProcessorCores(), 1);
}

}  // namespace
}  // namespace vx
