#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <utility>
#include <vector>

#include "platform/path.h"
#include "platform/posix/snmpapi/warned_files.h"
#include "platform/posix/user_name.h"
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

bool TrustedOwner(uid_t owner) { return owner == 0 || owner == geteuid(); }

std::string ForeignOwner(uid_t owner) {
  return "owned by user " + posix::UserWithName(owner) + ", neither root nor the service's user";
}

// Why the file itself lets someone else than root or the service's user change it.
std::string WhyUnsafeFile(const struct stat& info) {
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return "writable by group or others (mode " + Octal(info.st_mode) + ")";
  }
  if (!TrustedOwner(info.st_uid)) return ForeignOwner(info.st_uid);
  return {};
}

// Why a directory lets someone else than root or the service's user put another file
// in the place of one of its entries (sshd's rule for secure paths).
std::string WhyUnsafeDirectory(const std::string& directory, const struct stat& info) {
  if (!S_ISDIR(info.st_mode)) return "its way " + directory + " is no longer a directory";
  if (!TrustedOwner(info.st_uid)) {
    return "in " + directory + ", a directory " + ForeignOwner(info.st_uid);
  }
  if ((info.st_mode & S_ISVTX) != 0) return {};
  if ((info.st_mode & S_IWOTH) != 0) {
    return "in " + directory + ", a directory others can write to without the sticky bit";
  }
  if ((info.st_mode & S_IWGRP) != 0) {
    return "in " + directory + ", a directory its group can write to without the sticky bit";
  }
  return {};
}

std::string WhyUnsafeDirectoryAt(const std::string& directory) {
  struct stat info {};
  if (lstat(directory.c_str(), &info) != 0) {
    return "its directory " + directory + " cannot be examined: " + std::strerror(errno);
  }
  return WhyUnsafeDirectory(directory, info);
}

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> names;
  for (size_t start = 0; start <= path.size();) {
    const size_t slash = std::min(path.find('/', start), path.size());
    if (slash > start) names.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return names;
}

// Every directory that holds the opened file: where it really lies, whatever the path
// named a moment before or names now.
std::string WhyUnsafeHome(int fd) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  char target[PATH_MAX];
  const ssize_t length = readlink(self.c_str(), target, sizeof target - 1);
  if (length <= 0 || target[0] != '/') return "cannot be resolved to a real path";
  std::vector<std::string> names = Components(std::string(target, static_cast<size_t>(length)));
  if (!names.empty()) names.pop_back();
  std::string directory;
  std::string why = WhyUnsafeDirectoryAt("/");
  for (size_t i = 0; why.empty() && i < names.size(); ++i) {
    directory += "/" + names[i];
    why = WhyUnsafeDirectoryAt(directory);
  }
  return why;
}

// The path as written, resolved step by step as the kernel resolves it: every
// directory passed and every link followed must be safe, or whoever may change them
// could make the path name another file.
std::string WhyUnsafeWay(const std::string& path) {
  constexpr int kLinkLimit = 40;  // the kernel's own
  std::deque<std::string> rest;
  auto prepend = [&rest](const std::string& text) {
    const std::vector<std::string> names = Components(text);
    rest.insert(rest.begin(), names.begin(), names.end());
  };
  prepend(path);
  if (path.empty() || path.front() != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return "cannot be resolved to a real path";
    prepend(cwd);
  }
  std::string at;  // resolved, without links; empty for the root
  std::string why = WhyUnsafeDirectoryAt("/");
  int links = 0;
  while (why.empty() && !rest.empty()) {
    const std::string name = std::move(rest.front());
    rest.pop_front();
    if (name == ".") continue;
    if (name == "..") {
      at.erase(at.empty() ? 0 : at.rfind('/'));
      continue;
    }
    const std::string next = at + "/" + name;
    struct stat info {};
    if (lstat(next.c_str(), &info) != 0) {
      return "its way " + next + " cannot be examined: " + std::strerror(errno);
    }
    if (S_ISLNK(info.st_mode)) {
      // The link lies in the directory judged last; the link itself must be ours too.
      if (!TrustedOwner(info.st_uid)) {
        return "through " + next + ", a link " + ForeignOwner(info.st_uid);
      }
      char target[PATH_MAX];
      const ssize_t length = readlink(next.c_str(), target, sizeof target - 1);
      if (length <= 0 || ++links > kLinkLimit) return "cannot be resolved to a real path";
      const std::string linked(target, static_cast<size_t>(length));
      if (linked.front() == '/') at.clear();
      prepend(linked);
      continue;
    }
    if (rest.empty()) break;  // the file itself, judged through its descriptor
    why = WhyUnsafeDirectory(next, info);
    at = next;
  }
  return why;
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

// The checks and the read. The path is opened first and what was opened is judged:
// the file through its descriptor, then where it lies and the way the path takes.
void ReadChecked(const std::string& path, ConfigFile& file) {
  struct stat info {};
  // A device is not even opened: opening some has effects of its own.
  if (stat(path.c_str(), &info) != 0) {
    if (!IsMissing(errno)) file.Fail(std::string("cannot be examined: ") + std::strerror(errno));
    return;
  }
  if (S_ISDIR(info.st_mode)) return;
  file.identity = IdentityOf(info);
  if (!S_ISREG(info.st_mode)) return file.Refuse("not a regular file");
  // Non-blocking: what was examined may have been replaced by a FIFO since.
  Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (!IsMissing(errno)) file.Fail(std::string("cannot be opened: ") + std::strerror(errno));
    return;
  }
  if (fstat(fd.get(), &info) != 0) {
    return file.Fail(std::string("cannot be examined: ") + std::strerror(errno));
  }
  if (S_ISDIR(info.st_mode)) return;
  file.identity = IdentityOf(info);
  if (!S_ISREG(info.st_mode)) return file.Refuse("not a regular file");
  if (static_cast<uint64_t>(info.st_size) > kConfigFileLimit) {
    return file.Refuse("larger than 64 MiB");
  }
  for (std::string why : {WhyUnsafeFile(info), WhyUnsafeHome(fd.get()), WhyUnsafeWay(path)}) {
    if (!why.empty()) return file.Refuse(std::move(why));
  }
  file.bytes.reserve(static_cast<size_t>(info.st_size));
  char chunk[65536];
  for (;;) {
    const ssize_t got = read(fd.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return file.Fail(std::string("cannot be read: ") + std::strerror(errno));
    if (got == 0) break;
    if (file.bytes.size() + static_cast<size_t>(got) > kConfigFileLimit) {
      return file.Refuse("larger than 64 MiB");
    }
    file.bytes.append(chunk, static_cast<size_t>(got));
  }
  file.status = ConfigFile::kRead;
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
    file.bytes.clear();
    if (posix::FirstWarning(local, file.refusal)) {
      std::fprintf(stderr, "warning: %s: %s; the file is treated as missing\n", local.c_str(),
                   file.refusal.c_str());
    }
  }
  file.settled = Settled(file.identity);
  return file;
}

std::string ProfileTextOf(std::string bytes) { return posix::DecodeTextFile(std::move(bytes)); }

}  // namespace platform
