#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/path.h"

namespace platform {

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(LocalPath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

uint32_t AppendToFile(const std::string& path, std::string_view text) {
  const std::string local = LocalPath(path);
  int fd = open(local.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  // Creating never truncates: a file that appeared meanwhile keeps its lines.
  if (fd < 0) fd = open(local.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return static_cast<uint32_t>(errno);
  uint32_t result = 0;
  while (!text.empty()) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      result = written < 0 ? static_cast<uint32_t>(errno) : static_cast<uint32_t>(EIO);
      break;
    }
    text.remove_prefix(static_cast<size_t>(written));
  }
  close(fd);
  return result;
}

}  // namespace platform
