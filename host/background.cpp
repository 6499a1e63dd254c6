#include "host/background.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace exthost {
namespace {

constexpr char kStarted = 'R';

[[noreturn]] void WaitForChild(int notify, pid_t child) {
  char word = 0;
  ssize_t got;
  do {
    got = read(notify, &word, 1);
  } while (got < 0 && errno == EINTR);
  if (got == 1 && word == kStarted) _exit(EXIT_SUCCESS);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  _exit(WIFEXITED(status) && WEXITSTATUS(status) != 0 ? WEXITSTATUS(status) : EXIT_FAILURE);
}

}  // namespace

Background Background::Detach() {
  int channel[2];
  if (pipe2(channel, O_CLOEXEC) != 0)
    throw std::system_error(errno, std::generic_category(), "pipe2");
  const pid_t child = fork();
  if (child < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (child > 0) {
    close(channel[1]);
    WaitForChild(channel[0], child);
  }
  close(channel[0]);
  setsid();
  return Background(channel[1]);
}

Background::Background(Background&& other) noexcept : notify_(other.notify_) { other.notify_ = -1; }

Background::~Background() {
  if (notify_ >= 0) close(notify_);
}

void Background::Ready(bool keepStandardError) {
  const char word = kStarted;
  [[maybe_unused]] const ssize_t written = write(notify_, &word, 1);
  close(notify_);
  notify_ = -1;
  const int null = open("/dev/null", O_RDWR);
  if (null < 0) return;
  dup2(null, STDIN_FILENO);
  dup2(null, STDOUT_FILENO);
  if (!keepStandardError) dup2(null, STDERR_FILENO);
  if (null > STDERR_FILENO) close(null);
}

void EnsureStandardDescriptors() {
  for (int descriptor = 0; descriptor <= STDERR_FILENO; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) < 0 && errno == EBADF) {
      const int opened = open("/dev/null", O_RDWR);
      if (opened >= 0 && opened != descriptor) {
        dup2(opened, descriptor);
        close(opened);
      }
    }
  }
}

}  // namespace exthost
