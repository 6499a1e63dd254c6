#include "platform/event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

namespace {

int Descriptor(EventHandle handle) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

}  // namespace

bool CreateAutoResetEvent(EventHandle& handle) {
  // Non-blocking, so that signalling never holds up the signalling thread; not
  // inherited by the commands the agent starts.
  int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (fd < 0) return false;
  handle = reinterpret_cast<EventHandle>(static_cast<std::intptr_t>(fd));
  return true;
}

void SignalEvent(EventHandle handle) {
  uint64_t one = 1;
  // A full counter (never reached in practice) already means "signalled".
  [[maybe_unused]] ssize_t written = write(Descriptor(handle), &one, sizeof one);
}

void CloseEvent(EventHandle handle) { ::close(Descriptor(handle)); }

}  // namespace platform
