#include "host/reload_signal.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include "host/handler_descriptor.h"

namespace exthost {
namespace {

// The handler may run on any of the service's threads.
std::atomic<int> reloadRequested{0};
HandlerDescriptor reloadWake;

void OnHangUp(int) {
  const int savedErrno = errno;
  reloadRequested = 1;
  reloadWake.Wake();
  errno = savedErrno;
}

}  // namespace

ReloadSignal::ReloadSignal() : pipe_(reloadWake) {
  struct sigaction action {};
  action.sa_handler = OnHangUp;
  sigemptyset(&action.sa_mask);
  sigaction(SIGHUP, &action, nullptr);
}

ReloadSignal::~ReloadSignal() {
  // Torn down only as the service stops: a reload asked for now is moot, and the default
  // action would end the stop half way. The pipe closes once the handler is gone.
  signal(SIGHUP, SIG_IGN);
}

bool ReloadSignal::Take() { return reloadRequested.exchange(0) != 0; }

}  // namespace exthost
