// The helper thread's hand-over: one piece of work at a time.
#include "model/side_by_side.h"

namespace quillery {

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
    failure = nullptr;
    busy = true;
  }
  handed.notify_one();
}

std::exception_ptr HelperThread::wait() {
  std::unique_lock<std::mutex> lock(mutex);
  finished.wait(lock, [this] { return !busy; });
  return failure;
}

void HelperThread::serve() {
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    handed.wait(lock, [this] { return busy || stopping; });
    if (!busy) return;
    std::function<void()> work = std::move(job);
    lock.unlock();
    std::exception_ptr thrown;
    try {
      work();
    } catch (...) {
      thrown = std::current_exception();
    }
    lock.lock();
    failure = thrown;
    busy = false;
    finished.notify_one();
  }
}

}  // namespace quillery
