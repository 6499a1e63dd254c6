#include "provider/sources/file_read.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace provider {

bool ReadFileInto(const std::string& path, std::string& content) {
  content.clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // Read in the buffer's own capacity first, growing it only when the file is larger.
  bool complete = true;
  size_t filled = 0;
  while (true) {
    if (filled == content.size()) {
      content.resize(content.empty() ? std::max<size_t>(content.capacity(), 4096)
                                     : content.size() * 2);
    }
    ssize_t got = read(fd, content.data() + filled, content.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) complete = false;
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  close(fd);
  content.resize(filled);
  return complete;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::string content;
  if (!ReadFileInto(path, content)) return std::nullopt;
  return content;
}

}  // namespace provider
