#include "host/file_verdict.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace exthost {
namespace {

constexpr off_t kLargestFile = off_t{64} << 20;

FileVerdict Refused(std::string reason) { return {FileVerdict::Kind::Refused, std::move(reason)}; }

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string FileVerdict::Text() const {
  switch (kind) {
    case Kind::Readable:
      return "readable";
    case Kind::Missing:
      return reason;
    case Kind::Refused:
      return "refused: " + reason;
    case Kind::Unreadable:
      return "not readable: " + reason;
  }
  return reason;
}

FileVerdict JudgeServiceFile(const std::string& path) {
  struct stat file {};
  if (stat(path.c_str(), &file) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {FileVerdict::Kind::Missing, "not found"};
    return {FileVerdict::Kind::Unreadable, std::strerror(errno)};
  }
  if (S_ISDIR(file.st_mode)) return {FileVerdict::Kind::Missing, "a directory, not a file"};
  if (!S_ISREG(file.st_mode)) return Refused("not a regular file");
  if (file.st_size > kLargestFile) return Refused("larger than 64 MiB");
  if ((file.st_mode & (S_IWGRP | S_IWOTH)) != 0) return Refused("writable by group or others");
  if (file.st_uid != 0 && file.st_uid != geteuid()) {
    return Refused("owned by uid " + std::to_string(file.st_uid) +
                   ", neither root nor the service's user");
  }
  const std::string directory = DirectoryOf(path);
  struct stat parent {};
  if (stat(directory.c_str(), &parent) == 0 && (parent.st_mode & S_IWOTH) != 0 &&
      (parent.st_mode & S_ISVTX) == 0) {
    return Refused("in " + directory + ", which others may write (no sticky bit)");
  }
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return {FileVerdict::Kind::Unreadable, std::strerror(errno)};
  close(descriptor);
  return {FileVerdict::Kind::Readable, ""};
}

}  // namespace exthost
