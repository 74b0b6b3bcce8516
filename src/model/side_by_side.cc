// The helper thread's hand-over: one piece of work at a time.
#include "model/side_by_side.h"

namespace quillery {

namespace {

// About half a millisecond of watching: longer than the work between two
// pieces of a pass, shorter than anything a person would notice.
constexpr int kWatchSteps = 1 << 14;

// One step of watching for the other thread, easy on the core.
void relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

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
