#include "host/wake_pipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "host/net_snmp.h"

namespace exthost {
namespace {

void DrainFromLoop(int, void* pipe) { static_cast<WakePipe*>(pipe)->Drain(); }

}  // namespace

WakePipe::WakePipe(HandlerDescriptor& writer) : writer_(writer) {
  if (pipe2(ends_, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "pipe2");
  }
  writer_.Open(ends_[1]);
}

WakePipe::~WakePipe() {
  writer_.Retire();
  close(ends_[0]);
  close(ends_[1]);
}

void WakePipe::Drain() {
  char buffer[64];
  while (read(ends_[0], buffer, sizeof buffer) > 0) {
  }
}

LoopWakePipe::LoopWakePipe(HandlerDescriptor& writer) : WakePipe(writer) {
  register_readfd(ReadEnd(), DrainFromLoop, static_cast<WakePipe*>(this));
}

LoopWakePipe::~LoopWakePipe() { unregister_readfd(ReadEnd()); }

}  // namespace exthost
