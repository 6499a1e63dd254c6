#pragma once

// The -p file: the service's process id while it runs, gone once it stops. It is written
// as root into a directory that others may share, so it is made and removed only where
// no other user can have put something in its place.

#include <sys/types.h>

#include <optional>
#include <string>

namespace exthost {

class PidFile {
 public:
  // Creates the file anew and writes the process id. The directory, and every directory
  // and link on the way to it as written and as resolved, must belong to root, to the
  // process's user or to `serviceUser`, and let neither group nor others write unless
  // the sticky bit is set; a file of that name is removed first when it belongs to one
  // of them, and refused otherwise. Throws std::runtime_error saying what is wrong. An
  // empty path makes no file.
  explicit PidFile(std::string path, std::optional<uid_t> serviceUser = {});
  // Removes the file when it is still the one created (same device and inode in the
  // directory opened at the start); empties it when the user may no longer remove it.
  ~PidFile();
  PidFile(const PidFile&) = delete;
  PidFile& operator=(const PidFile&) = delete;

 private:
  class Descriptor {
   public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&& other) noexcept;
    int Get() const { return fd_; }

   private:
    int fd_ = -1;
  };

  std::string path_;
  std::string name_;      // within the directory
  Descriptor directory_;  // opened once, to create and to remove through
  Descriptor file_;       // kept open to empty the file if it cannot be removed
  dev_t device_ = 0;
  ino_t inode_ = 0;
};

}  // namespace exthost
