#include "host/stop_signal.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <system_error>

#include "host/handler_descriptor.h"
#include "host/net_snmp.h"
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

void OnWake(int, void* signal) { static_cast<StopSignal*>(signal)->Drain(); }

void HandleStopSignals(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

void MakePipe(int (&ends)[2]) {
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
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

StopSignal::StopSignal() {
  MakePipe(pipe_);
  MakePipe(watchdog_);
  loopEnded_ = eventfd(0, EFD_CLOEXEC);
  if (loopEnded_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  wake.Open(pipe_[1]);
  watchdog.Open(watchdog_[1]);
  watcher_ = std::thread([this] { Watch(); });
  register_readfd(pipe_[0], OnWake, this);
  HandleStopSignals(OnSignal);
}

StopSignal::~StopSignal() {
  // The service is ending: the rest of its teardown (net-snmp saving its state, the pid
  // file going) must not be cut short by a stop sent once more, as systemd and people do.
  HandleStopSignals(SIG_IGN);
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(loopEnded_, &one, sizeof one);
  watcher_.join();
  unregister_readfd(pipe_[0]);
  wake.Retire();
  watchdog.Retire();
  for (const int descriptor : {pipe_[0], pipe_[1], watchdog_[0], watchdog_[1], loopEnded_}) {
    close(descriptor);
  }
}

bool StopSignal::Received() const { return stopRequested != 0; }

void StopSignal::Drain() {
  char buffer[64];
  while (read(pipe_[0], buffer, sizeof buffer) > 0) {
  }
}

void StopSignal::Watch() {
  pollfd waits[2] = {{watchdog_[0], POLLIN, 0}, {loopEnded_, POLLIN, 0}};
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
