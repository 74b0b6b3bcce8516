// Two pieces of work at once, on this thread and on one more.
#pragma once

#include <exception>
#include <system_error>
#include <thread>

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

}  // namespace quillery
