#include "host/pid_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <system_error>

namespace exthost {

PidFile::PidFile(std::string path) : path_(std::move(path)) {
  if (path_.empty()) return;
  descriptor_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (descriptor_ < 0) {
    throw std::system_error(errno, std::generic_category(), "cannot write pid file " + path_);
  }
  const std::string text = std::to_string(getpid()) + "\n";
  if (write(descriptor_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    const int error = errno;
    close(descriptor_);
    unlink(path_.c_str());
    throw std::system_error(error, std::generic_category(), "cannot write pid file " + path_);
  }
}

// After -u the directory (/run) may no longer let the service remove the file; then at
// least no process id is left in it for a later one to be mistaken for the service.
PidFile::~PidFile() {
  if (descriptor_ < 0) return;
  if (unlink(path_.c_str()) != 0 && errno != ENOENT) {
    const int error = errno;
    [[maybe_unused]] const int emptied = ftruncate(descriptor_, 0);
    std::clog << "snmp-exthost: cannot remove pid file " << path_ << ": " << std::strerror(error)
              << "; emptied it" << std::endl;
  }
  close(descriptor_);
}

}  // namespace exthost
