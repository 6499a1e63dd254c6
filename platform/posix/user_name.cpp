#include "platform/posix/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform::posix {

std::string UserWithName(uid_t user) {
  const std::string number = std::to_string(user);
  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  int error;
  while ((error = getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found)) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  if (error != 0 || found == nullptr) return number;
  return number + " (" + entry.pw_name + ")";
}

}  // namespace platform::posix
