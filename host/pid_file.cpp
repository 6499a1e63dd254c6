#include "host/pid_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/posix/user_name.h"

namespace exthost {
namespace {

class Owners {
 public:
  explicit Owners(std::optional<uid_t> serviceUser) : serviceUser_(serviceUser) {}
  bool Trusted(uid_t owner) const { return owner == 0 || owner == self_ || owner == serviceUser_; }

 private:
  uid_t self_ = geteuid();
  std::optional<uid_t> serviceUser_;
};

std::string Mode(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// Why the pid file may not be written below `place` (given what lstat or fstat says of
// it), or "" when nothing is wrong.
std::string Verdict(const std::string& place, const struct stat& info, const Owners& owners) {
  if (!owners.Trusted(info.st_uid)) {
    return place + " belongs to user " + platform::posix::UserWithName(info.st_uid) +
           ", neither root nor the service's user";
  }
  if (S_ISDIR(info.st_mode) && (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 &&
      (info.st_mode & S_ISVTX) == 0) {
    return place + " is writable by group or others without the sticky bit (mode " +
           Mode(info.st_mode) + ")";
  }
  return {};
}

// Every directory and link on the way to the absolute `path`, itself included, each as
// it is (links not followed). "" when all of them are sound.
std::string VerdictOnTheWay(const std::string& path, const Owners& owners) {
  std::vector<std::string> steps = {"/"};
  for (size_t start = 1; start < path.size();) {
    const size_t end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    if (!part.empty() && part != ".")
      steps.push_back((steps.size() > 1 ? steps.back() : "") + "/" + part);
    start = end + 1;
  }
  for (const std::string& step : steps) {
    struct stat info {};
    if (lstat(step.c_str(), &info) != 0)
      return "cannot examine " + step + ": " + std::strerror(errno);
    if (std::string verdict = Verdict(step, info, owners); !verdict.empty()) return verdict;
  }
  return {};
}

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// Where an open directory lies, links resolved.
std::string ResolvedPath(int directory) {
  std::array<char, 4096> target{};
  const std::string link = "/proc/self/fd/" + std::to_string(directory);
  const ssize_t length = readlink(link.c_str(), target.data(), target.size() - 1);
  if (length <= 0) return {};
  return std::string(target.data(), static_cast<size_t>(length));
}

}  // namespace

PidFile::Descriptor::~Descriptor() {
  if (fd_ >= 0) close(fd_);
}

PidFile::Descriptor& PidFile::Descriptor::operator=(Descriptor&& other) noexcept {
  std::swap(fd_, other.fd_);
  return *this;
}

PidFile::PidFile(std::string path, std::optional<uid_t> serviceUser) : path_(std::move(path)) {
  if (path_.empty()) return;
  const auto fail = [&](const std::string& why) {
    throw std::runtime_error("pid file " + path_ + " refused: " + why);
  };
  const std::string absolute = path_.front() == '/' ? path_ : CurrentDirectory() + "/" + path_;
  const size_t slash = absolute.rfind('/');
  const std::string directoryPath = slash == 0 ? "/" : absolute.substr(0, slash);
  name_ = absolute.substr(slash + 1);
  if (name_.empty() || name_ == "." || name_ == "..") fail("it names a directory");

  directory_ = Descriptor(open(directoryPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory_.Get() < 0) fail("cannot open " + directoryPath + ": " + std::strerror(errno));
  // The directory that was opened, then every step to it, as written and as it resolved:
  // a link or directory that another user controls could have led anywhere.
  const Owners owners(serviceUser);
  struct stat info {};
  if (fstat(directory_.Get(), &info) != 0) fail(std::strerror(errno));
  const std::string resolved = ResolvedPath(directory_.Get());
  if (resolved.empty()) fail("cannot tell where " + directoryPath + " lies");
  for (std::string verdict :
       {Verdict(directoryPath, info, owners), VerdictOnTheWay(directoryPath, owners),
        VerdictOnTheWay(resolved, owners)}) {
    if (!verdict.empty()) fail(verdict);
  }

  // A file left by an earlier run is removed, never written through: it could be a link
  // to, or another name of, a file that is not the service's.
  if (fstatat(directory_.Get(), name_.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!owners.Trusted(info.st_uid)) {
      fail("a file of that name belongs to user " + platform::posix::UserWithName(info.st_uid) +
           ", neither root nor the service's user");
    }
    if (unlinkat(directory_.Get(), name_.c_str(), 0) != 0) {
      fail("cannot remove the old one: " + std::string(std::strerror(errno)));
    }
  }
  file_ = Descriptor(openat(directory_.Get(), name_.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (file_.Get() < 0) fail(std::strerror(errno));
  if (fstat(file_.Get(), &info) != 0) fail(std::strerror(errno));
  device_ = info.st_dev;
  inode_ = info.st_ino;
  const std::string text = std::to_string(getpid()) + "\n";
  if (write(file_.Get(), text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    const std::string why = std::strerror(errno);
    unlinkat(directory_.Get(), name_.c_str(), 0);
    fail("cannot write it: " + why);
  }
}

// After -u the directory (/run) may no longer let the service remove the file; then at
// least no process id is left in it for a later one to be mistaken for the service.
PidFile::~PidFile() {
  if (file_.Get() < 0) return;
  struct stat now {};
  if (fstatat(directory_.Get(), name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) return;
  if (now.st_dev != device_ || now.st_ino != inode_) {
    std::clog << "snmp-exthost: pid file " << path_
              << " is no longer the file the service wrote; left as it is" << std::endl;
    return;
  }
  if (unlinkat(directory_.Get(), name_.c_str(), 0) != 0) {
    const int error = errno;
    [[maybe_unused]] const int emptied = ftruncate(file_.Get(), 0);
    std::clog << "snmp-exthost: cannot remove pid file " << path_ << ": " << std::strerror(error)
              << "; emptied it" << std::endl;
  }
}

}  // namespace exthost
