#include "host/stop_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>

#include "host/net_snmp.h"

namespace exthost {
namespace {

volatile sig_atomic_t stopRequested = 0;
int wakeDescriptor = -1;

void OnSignal(int) {
  const int savedErrno = errno;
  stopRequested = 1;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(wakeDescriptor, &byte, 1);
  errno = savedErrno;
}

void OnWake(int, void* signal) { static_cast<StopSignal*>(signal)->Drain(); }

}  // namespace

StopSignal::StopSignal() {
  if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
  wakeDescriptor = pipe_[1];
  register_readfd(pipe_[0], OnWake, this);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

StopSignal::~StopSignal() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  unregister_readfd(pipe_[0]);
  wakeDescriptor = -1;
  close(pipe_[0]);
  close(pipe_[1]);
}

bool StopSignal::Received() const { return stopRequested != 0; }

void StopSignal::Drain() {
  char buffer[64];
  while (read(pipe_[0], buffer, sizeof buffer) > 0) {
  }
}

}  // namespace exthost
