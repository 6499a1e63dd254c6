#include "host/reload_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <system_error>

#include "host/handler_descriptor.h"
#include "host/net_snmp.h"

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

void Drain(int descriptor, void*) {
  char buffer[64];
  while (read(descriptor, buffer, sizeof buffer) > 0) {
  }
}

}  // namespace

ReloadSignal::ReloadSignal() {
  if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
  reloadWake.Open(pipe_[1]);
  register_readfd(pipe_[0], Drain, nullptr);
  struct sigaction action {};
  action.sa_handler = OnHangUp;
  sigemptyset(&action.sa_mask);
  sigaction(SIGHUP, &action, nullptr);
}

ReloadSignal::~ReloadSignal() {
  // Torn down only as the service stops: a reload asked for now is moot, and the default
  // action would end the stop half way.
  signal(SIGHUP, SIG_IGN);
  unregister_readfd(pipe_[0]);
  reloadWake.Retire();
  close(pipe_[0]);
  close(pipe_[1]);
}

bool ReloadSignal::Take() { return reloadRequested.exchange(0) != 0; }

}  // namespace exthost
