#include "host/service_directories.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace exthost {
namespace {

std::string Failure(const std::string& what, const std::string& directory, int error) {
  return "cannot " + what + " " + directory + ": " + std::strerror(error);
}

std::string HandOver(const std::string& directory, const Account& account) {
  const uid_t user = account.user ? *account.user : static_cast<uid_t>(-1);
  const gid_t group = account.group ? *account.group : static_cast<gid_t>(-1);
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Failure("open", directory, errno);
  DIR* entries = fdopendir(fd);
  if (entries == nullptr) {
    const int error = errno;
    close(fd);
    return Failure("read", directory, error);
  }
  std::string problem;
  if (fchown(fd, user, group) != 0) problem = Failure("hand over", directory, errno);
  while (const dirent* entry = readdir(entries)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (fchownat(fd, entry->d_name, user, group, AT_SYMLINK_NOFOLLOW) != 0 && problem.empty()) {
      problem = Failure("hand over", directory + "/" + entry->d_name, errno);
    }
  }
  closedir(entries);
  return problem;
}

}  // namespace

std::string PrepareServiceDirectory(const std::string& directory, mode_t mode,
                                    const Account& account) {
  std::error_code error;
  if (!std::filesystem::is_directory(directory, error)) {
    std::filesystem::create_directories(std::filesystem::path(directory).parent_path(), error);
    if (mkdir(directory.c_str(), mode) != 0 && errno != EEXIST) {
      return Failure("create", directory, errno);
    }
  }
  if ((!account.user && !account.group) || geteuid() != 0) return {};
  return HandOver(directory, account);
}

bool DefaultDriveC(const std::string& directory) {
  const char* configured = std::getenv("QUILLON_DRIVE_C");
  if (configured != nullptr && *configured != '\0') return false;
  setenv("QUILLON_DRIVE_C", directory.c_str(), 1);
  return true;
}

}  // namespace exthost
