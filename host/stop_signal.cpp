#include "host/stop_signal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <system_error>

#include "host/handler_descriptor.h"
#include "platform/process.h"

namespace exthost {
namespace {

constexpr std::chrono::milliseconds kRepeat{100};

// The handler runs on whichever thread the signal reaches, the watchdog's included.
std::atomic<int> stopRequested{0};
HandlerDescriptor wake;
HandlerDescriptor watchdog;

void OnSignal(int) {
  const int savedErrno = errno;
  stopRequested = 1;
  wake.Wake();
  watchdog.Wake();
  errno = savedErrno;
}

void HandleStopSignals(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

// Waits until `descriptor` is readable or the time is up (negative: no limit).
bool Readable(int descriptor, std::chrono::milliseconds timeout) {
  pollfd wait{descriptor, POLLIN, 0};
  int ready;
  while ((ready = poll(&wait, 1, static_cast<int>(timeout.count()))) < 0 && errno == EINTR) {
  }
  return ready > 0;
}

}  // namespace

StopSignal::StopSignal() : pipe_(wake), watchdog_(watchdog) {
  loopEnded_ = eventfd(0, EFD_CLOEXEC);
  if (loopEnded_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  watcher_ = std::thread([this] { Watch(); });
  HandleStopSignals(OnSignal);
}

StopSignal::~StopSignal() {
  // The service is ending: the rest of its teardown (net-snmp saving its state, the pid
  // file going) must not be cut short by a stop sent once more, as systemd and people do.
  HandleStopSignals(SIG_IGN);
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(loopEnded_, &one, sizeof one);
  watcher_.join();
  close(loopEnded_);
  // The pipes close as members, once the handler is gone.
}

bool StopSignal::Received() const { return stopRequested != 0; }

void StopSignal::Watch() {
  pollfd waits[2] = {{watchdog_.ReadEnd(), POLLIN, 0}, {loopEnded_, POLLIN, 0}};
  while (poll(waits, 2, -1) < 0 && errno == EINTR) {
  }
  if (waits[1].revents != 0) return;
  std::chrono::milliseconds wait = kGrace;
  while (!Readable(loopEnded_, wait)) {
    platform::EndRunningCommands();
    wait = kRepeat;
  }
}

}  // namespace exthost
