#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>
#include <utility>

#include "platform/path.h"
#include "platform/posix/utf16.h"

namespace platform {

namespace {

// Longer than any file system's timestamp tick (FAT's two seconds included).
constexpr int64_t kTimestampTickNs = 2'000'000'000;

int64_t Nanoseconds(const timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileIdentity IdentityOf(const struct stat& info) {
  FileIdentity identity;
  identity.device = info.st_dev;
  identity.inode = info.st_ino;
  identity.size = static_cast<uint64_t>(info.st_size);
  identity.modified = Nanoseconds(info.st_mtim);
  identity.changed = Nanoseconds(info.st_ctim);
  identity.mode = info.st_mode;
  identity.owner = info.st_uid;
  return identity;
}

// The status-change time cannot be set back by anyone, unlike the modification time.
bool Settled(const FileIdentity& identity) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return Nanoseconds(now) - identity.changed > kTimestampTickNs;
}

bool IsMissing(int error) { return error == ENOENT || error == ENOTDIR; }

std::string Octal(unsigned mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", mode & 07777);
  return text;
}

// Why the file, or a directory on its way, lets someone else than root or the
// service's user change what the file says; empty when nobody can.
std::string WhyUnsafe(const std::string& path, const struct stat& info) {
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return "writable by group or others (mode " + Octal(info.st_mode) + ")";
  }
  if (info.st_uid != 0 && info.st_uid != geteuid()) {
    return "owned by user " + std::to_string(info.st_uid) + ", neither root nor the service's user";
  }
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr) return "cannot be resolved to a real path";
  std::string directory = resolved;
  while (directory.size() > 1) {
    directory.erase(std::max<size_t>(directory.rfind('/'), 1));
    struct stat dirInfo {};
    if (stat(directory.c_str(), &dirInfo) != 0)
      return "its directory " + directory + " is unreadable";
    if ((dirInfo.st_mode & S_IWOTH) != 0 && (dirInfo.st_mode & S_ISVTX) == 0) {
      return "in " + directory + ", a directory others can write to without the sticky bit";
    }
  }
  return {};
}

// The operator hears of each refused file once per reason, not once per request.
void WarnOnce(const std::string& path, const std::string& refusal) {
  static std::mutex mutex;
  static std::set<std::pair<std::string, std::string>> warned;
  std::lock_guard lock(mutex);
  if (!warned.emplace(path, refusal).second) return;
  std::fprintf(stderr, "warning: %s: %s; the file is treated as missing\n", path.c_str(),
               refusal.c_str());
}

// Closes the descriptor however the read ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads what a checked descriptor holds, refusing a file that grew past the limit.
std::string ReadAll(int fd, std::string& bytes) {
  char chunk[65536];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::string("cannot be read: ") + std::strerror(errno);
    if (got == 0) return {};
    if (bytes.size() + static_cast<size_t>(got) > kConfigFileLimit) return "larger than 64 MiB";
    bytes.append(chunk, static_cast<size_t>(got));
  }
}

// The checks and the read; fills file.refusal when the file is not to be used.
void ReadChecked(const std::string& path, ConfigFile& file) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    if (!IsMissing(errno))
      file.refusal = std::string("cannot be examined: ") + std::strerror(errno);
    return;
  }
  if (S_ISDIR(info.st_mode)) return;
  file.identity = IdentityOf(info);
  if (!S_ISREG(info.st_mode)) {
    file.refusal = "not a regular file";
    return;
  }
  if (static_cast<uint64_t>(info.st_size) > kConfigFileLimit) {
    file.refusal = "larger than 64 MiB";
    return;
  }
  // Non-blocking, and looked at again through the descriptor: what was examined may have
  // been replaced by a FIFO since.
  Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (!IsMissing(errno)) file.refusal = std::string("cannot be opened: ") + std::strerror(errno);
    return;
  }
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    file.refusal = "not a regular file";
    return;
  }
  file.identity = IdentityOf(info);
  file.refusal = WhyUnsafe(path, info);
  if (!file.refusal.empty()) return;
  file.bytes.reserve(static_cast<size_t>(info.st_size));
  file.refusal = ReadAll(fd.get(), file.bytes);
  if (file.refusal.empty()) file.status = ConfigFile::kRead;
}

}  // namespace

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

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
  struct stat info {};
  if (stat(LocalPath(path).c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
  identity = IdentityOf(info);
  return true;
}

ConfigFile ReadConfigFile(const std::string& path) {
  const std::string local = LocalPath(path);
  ConfigFile file;
  ReadChecked(local, file);
  if (!file.refusal.empty()) {
    file.status = ConfigFile::kRefused;
    file.bytes.clear();
    WarnOnce(local, file.refusal);
  }
  file.settled = Settled(file.identity);
  return file;
}

std::string ProfileTextOf(std::string bytes) { return posix::DecodeTextFile(std::move(bytes)); }

}  // namespace platform
