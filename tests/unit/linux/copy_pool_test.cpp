// Copies run beside the walk: every one runs, the failure reported is that
// of the earliest copy handed over, and none starts once a failure is known.
#include "platform/linux/copy_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>

#include "testing/thread_watch.h"

namespace bt {
namespace {

std::string FailureOf(CopyPool& pool) {
  try {
    pool.Finish();
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "";
}

TEST(CopyPool, EveryJobRunsAndFinishWaitsForThemAll) {
  for (const int workers : {0, 1, 2}) {
    CopyPool pool(workers);
    std::atomic<int> ran = 0;
    for (int i = 0; i < 500; ++i) pool.Submit([&] { ++ran; });
    pool.Finish();
    EXPECT_EQ(ran, 500) << workers << " workers";
  }
}

// A job held until Finish is surely waiting (or has wrongly returned): when
// Finish returns, the job has ended, whatever the timing.
TEST(CopyPool, FinishReturnsOnlyAfterAJobStillRunningHasEnded) {
  CopyPool pool(2);
  std::promise<void> started;
  std::promise<void> letGo;
  std::shared_future<void> go = letGo.get_future().share();
  std::atomic<bool> jobEnded = false;
  pool.Submit([&started, go, &jobEnded] {
    started.set_value();
    go.wait();
    jobEnded = true;
  });
  started.get_future().wait();

  std::atomic<pid_t> finisher = 0;
  std::atomic<bool> finishReturned = false;
  bool endedWhenFinishReturned = false;
  std::thread finishing([&] {
    finisher = doubles::CurrentThreadId();
    pool.Finish();
    endedWhenFinishReturned = jobEnded;
    finishReturned = true;
  });
  while (finisher == 0 || (!finishReturned && !doubles::ThreadIsAsleep(finisher))) std::this_thread::yield();
  letGo.set_value();
  finishing.join();

  EXPECT_TRUE(endedWhenFinishReturned);
}

// The second job fails first in time, and only then lets the first one go
// on and fail: the first one's failure is the one told.
TEST(CopyPool, TheEarliestJobsFailureIsToldEvenWhenALaterOneFailedFirst) {
  CopyPool pool(2);
  std::promise<void> laterFailed;
  std::shared_future<void> go = laterFailed.get_future().share();
  pool.Submit([go] {
    go.wait();
    throw std::runtime_error("primeira");
  });
  pool.Submit([&laterFailed] {
    laterFailed.set_value();
    throw std::runtime_error("segunda");
  });
  EXPECT_EQ(FailureOf(pool), "primeira");
  EXPECT_EQ(FailureOf(pool), "") << "told once";
}

TEST(CopyPool, NoJobStartsOnceAFailureIsKnownAndSubmitTellsIt) {
  CopyPool pool(1);
  std::promise<void> failed;
  std::atomic<bool> laterRan = false;
  pool.Submit([&failed] {
    failed.set_value();
    throw std::runtime_error("falhou");
  });
  failed.get_future().wait();
  // Queued behind the failing job on the only worker, or refused at once
  // when its failure is recorded already: told once either way.
  std::string told;
  try {
    pool.Submit([&] { laterRan = true; });
  } catch (const std::runtime_error& error) {
    told = error.what();
  }
  if (told.empty()) told = FailureOf(pool);
  EXPECT_EQ(told, "falhou");
  EXPECT_FALSE(laterRan);
}

TEST(CopyPool, WithoutWorkersAJobRunsInsideSubmitAndItsFailureLeavesAtOnce) {
  CopyPool pool(0);
  EXPECT_FALSE(pool.background());
  EXPECT_THROW(pool.Submit([] { throw std::runtime_error("agora"); }), std::runtime_error);
  EXPECT_EQ(FailureOf(pool), "");
}

}  // namespace
}  // namespace bt
