// The helper thread's hand-over: one piece of work at a time.
#include "model/side_by_side.h"

namespace quillery {

namespace {

// About a millisecond of watching on an idle core: longer than the work
// between two pieces of a pass, shorter than anything a person would
// notice.
constexpr int kWatchSteps = 1 << 12;

// One look for the other thread. Giving the core away between looks keeps
// a watching thread from taking it from the one it waits for when both
// share a core (a pinned process, or more processes than cores).
void relax() { std::this_thread::yield(); }

}  // namespace

bool HelperThread::start() {
  if (!triedToStart) {
    triedToStart = true;
    if (std::thread::hardware_concurrency() >= 2) {
      try {
        worker = std::thread([this] { serve(); });
      } catch (const std::system_error&) {
        // Everything runs on the calling thread.
      }
    }
  }
  return worker.joinable();
}

HelperThread::~HelperThread() {
  if (!worker.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  handed.notify_one();
  worker.join();
}

void HelperThread::hand(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(mutex);
    job = std::move(work);
    busy = true;
  }
  handed.notify_one();
}

std::exception_ptr HelperThread::wait() {
  for (int step = 0; step < kWatchSteps && busy.load(); ++step) relax();
  std::unique_lock<std::mutex> lock(mutex);
  finished.wait(lock, [this] { return !busy.load(); });
  return failure;
}

void HelperThread::serve() {
  for (;;) {
    for (int step = 0; step < kWatchSteps && !busy.load() && !stopping.load();
         ++step) {
      relax();
    }
    std::function<void()> work;
    {
      std::unique_lock<std::mutex> lock(mutex);
      handed.wait(lock, [this] { return busy.load() || stopping.load(); });
      if (!busy.load()) return;
      work = std::move(job);
    }
    std::exception_ptr thrown;
    try {
      work();
    } catch (...) {
      thrown = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      failure = thrown;
      busy.store(false);
    }
    finished.notify_one();
  }
}

}  // namespace quillery
