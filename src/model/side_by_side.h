// Two pieces of work at once, on this thread and on one more.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace quillery {

// Runs first() on this thread and second() on another, and returns once
// both have ended. An exception from either is passed on (the first one's
// before the second's), so running out of memory on the other thread is
// reported as on this one. On a single core, or when no thread can be
// started, both run here, one after the other.
template <typename First, typename Second>
void runSideBySide(First&& first, Second&& second) {
  if (std::thread::hardware_concurrency() < 2) {
    first();
    second();
    return;
  }
  std::exception_ptr failure;
  std::thread worker;
  try {
    worker = std::thread([&] {
      try {
        second();
      } catch (...) {
        failure = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    first();
    second();
    return;
  }
  try {
    first();
  } catch (...) {
    worker.join();
    throw;
  }
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

// A second thread kept for many pieces of work in a row, for a pass that
// hands over a piece thousands of times: starting a thread for each would
// cost more than the piece, and so would waking a sleeping thread for
// each, so each side watches for the other for a short while before it
// sleeps. The thread starts with the first piece. Without a second core,
// or when no thread can be started, everything runs on the calling
// thread. One caller at a time.
class HelperThread {
 public:
  HelperThread() = default;
  ~HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Runs first() on this thread and second() on the helper, and returns
  // once both have ended; exceptions as runSideBySide passes them on.
  template <typename First, typename Second>
  void runSideBySide(First&& first, Second&& second) {
    if (!start()) {
      first();
      second();
      return;
    }
    hand(std::function<void()>(std::forward<Second>(second)));
    std::exception_ptr mine;
    try {
      first();
    } catch (...) {
      mine = std::current_exception();
    }
    std::exception_ptr theirs = wait();
    if (mine) std::rethrow_exception(mine);
    if (theirs) std::rethrow_exception(theirs);
  }

 private:
  // Starts the thread unless that was tried before; true when it runs.
  bool start();
  void hand(std::function<void()> work);
  // Waits for the piece handed over last and returns what it threw.
  std::exception_ptr wait();
  void serve();

  std::mutex mutex;
  std::condition_variable handed;
  std::condition_variable finished;
  std::function<void()> job;
  // Changed under the mutex; read without it while watching.
  std::atomic<bool> busy{false};
  std::atomic<bool> stopping{false};
  std::exception_ptr failure;
  bool triedToStart = false;
  std::thread worker;
};

}  // namespace quillery
