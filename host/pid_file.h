#pragma once

// The -p file: the service's process id while it runs, gone once it stops.

#include <string>

namespace exthost {

class PidFile {
 public:
  // Writes the process id; throws std::system_error when the file cannot be written.
  // An empty path makes no file.
  explicit PidFile(std::string path);
  ~PidFile();
  PidFile(const PidFile&) = delete;
  PidFile& operator=(const PidFile&) = delete;

 private:
  std::string path_;
  int descriptor_ = -1;  // kept open to empty the file if it cannot be removed
};

}  // namespace exthost
