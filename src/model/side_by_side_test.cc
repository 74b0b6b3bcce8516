// Tests of the helper thread's hand-over: every piece runs once, its work is
// seen by the caller when the call returns, a failure on either thread
// reaches the caller without stopping later pieces, and a sleeping helper
// is woken to stop.
#include "model/side_by_side.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace quillery {
namespace {

TEST(HelperThreadTest, ManyPiecesInARowEachRunOnceAndAreSeenOnReturn) {
  HelperThread helper;
  std::vector<int> mine(1000, 0);
  std::vector<int> theirs(1000, 0);
  for (int k = 0; k < 1000; ++k) {
    helper.runSideBySide([&] { mine[k] += k; }, [&] { theirs[k] += 2 * k; });
    ASSERT_EQ(mine[k], k);
    ASSERT_EQ(theirs[k], 2 * k);
  }
}

TEST(HelperThreadTest, AHelperLongIdleIsStillWokenToStop) {
  auto helper = std::make_unique<HelperThread>();
  int done = 0;
  helper->runSideBySide([] {}, [&] { ++done; });
  // Long enough for the helper to stop watching and go to sleep.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  helper.reset();
  EXPECT_EQ(done, 1);
}

TEST(HelperThreadTest, FailuresReachTheCallerAndLaterPiecesStillRun) {
  HelperThread helper;
  bool otherRan = false;
  EXPECT_THROW(helper.runSideBySide([&] { otherRan = true; },
                                    [] { throw std::runtime_error("helper"); }),
               std::runtime_error);
  EXPECT_TRUE(otherRan);
  EXPECT_THROW(helper.runSideBySide([] { throw std::logic_error("caller"); },
                                    [] {}),
               std::logic_error);
  int mine = 0;
  int theirs = 0;
  helper.runSideBySide([&] { ++mine; }, [&] { ++theirs; });
  EXPECT_EQ(mine + theirs, 2);
}

}  // namespace
}  // namespace quillery
