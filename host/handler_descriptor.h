#pragma once

#include <unistd.h>

#include <atomic>
#include <thread>

namespace exthost {

// The writing end of a pipe that a signal handler wakes the service through. A handler
// runs on whichever thread the signal reaches, so the descriptor may only be closed once
// no handler can still be writing to it, or the byte could land in whatever file takes
// the number next. Lock-free atomics only: a handler may use nothing else.
class HandlerDescriptor {
 public:
  void Open(int descriptor) { descriptor_.store(descriptor); }

  // From the handler.
  void Wake() {
    ++writers_;
    const int descriptor = descriptor_.load();
    if (descriptor >= 0) {
      const char byte = 1;
      [[maybe_unused]] const ssize_t written = write(descriptor, &byte, 1);
    }
    --writers_;
  }

  // Once the handler is no longer installed: afterwards no handler writes, and the
  // descriptor may be closed.
  void Retire() {
    descriptor_.store(-1);
    while (writers_.load() != 0) std::this_thread::yield();
  }

 private:
  std::atomic<int> descriptor_{-1};
  std::atomic<int> writers_{0};
  static_assert(std::atomic<int>::is_always_lock_free);
};

}  // namespace exthost
