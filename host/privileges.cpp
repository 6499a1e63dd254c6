#include "host/privileges.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "host/options.h"

namespace exthost {
namespace {

std::optional<unsigned long> AsNumber(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return {};
  return std::strtoul(text.c_str(), nullptr, 10);
}

// getpwnam_r and getgrnam_r want a buffer whose size the system only suggests.
template <typename Entry, typename Lookup>
bool LookUp(Lookup lookup, Entry& entry, std::vector<char>& buffer) {
  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  buffer.resize(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
  for (;;) {
    Entry* found = nullptr;
    const int error = lookup(&entry, buffer.data(), buffer.size(), &found);
    if (error == ERANGE) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    return error == 0 && found != nullptr;
  }
}

void Check(int result, const std::string& step) {
  if (result != 0) throw std::system_error(errno, std::generic_category(), step);
}

}  // namespace

Account ResolveAccount(const std::string& user, const std::string& group) {
  Account account;
  std::vector<char> buffer;
  if (!user.empty()) {
    passwd entry{};
    const std::optional<unsigned long> number = AsNumber(user);
    const bool found =
        number ? LookUp(
                     [&](passwd* e, char* b, size_t n, passwd** r) {
                       return getpwuid_r(static_cast<uid_t>(*number), e, b, n, r);
                     },
                     entry, buffer)
               : LookUp([&](passwd* e, char* b, size_t n,
                            passwd** r) { return getpwnam_r(user.c_str(), e, b, n, r); },
                        entry, buffer);
    if (found) {
      account.user = entry.pw_uid;
      account.group = entry.pw_gid;
      account.userName = entry.pw_name;
      account.home = entry.pw_dir;
    } else if (number) {
      account.user = static_cast<uid_t>(*number);  // a bare number, as snmpd accepts it
      if (group.empty()) {
        throw UsageError("user " + user +
                         " has no passwd entry and so no group of its own: name one with -g");
      }
    } else {
      throw UsageError("unknown user " + user);
    }
  }
  if (!group.empty()) {
    struct group entry {};
    const std::optional<unsigned long> number = AsNumber(group);
    if (number) {
      account.group = static_cast<gid_t>(*number);
    } else if (LookUp([&](struct group* e, char* b, size_t n,
                          struct group** r) { return getgrnam_r(group.c_str(), e, b, n, r); },
                      entry, buffer)) {
      account.group = entry.gr_gid;
    } else {
      throw UsageError("unknown group " + group);
    }
  }
  // A user whose passwd group is root's would keep reading what root's group may read.
  if (account.user && *account.user != 0 && account.group == 0u && group.empty()) {
    throw UsageError("user " + user +
                     " has root's group (gid 0) as its own: name the group to run as with -g");
  }
  return account;
}

void DropPrivileges(const Account& account) {
  // The supplementary groups are always replaced: the ones the service was started with
  // (root's, often 0 and more) would otherwise stay with it and every command it runs.
  if (account.group) {
    const gid_t gid = *account.group;
    if (account.user && !account.userName.empty()) {
      Check(initgroups(account.userName.c_str(), gid), "initgroups");
    } else {
      Check(setgroups(1, &gid), "setgroups");
    }
    Check(setresgid(gid, gid, gid), "setgid");
  }
  if (account.user) {
    Check(setresuid(*account.user, *account.user, *account.user), "setuid");
    // Commands started from here on find the user's own home and name.
    if (!account.userName.empty()) {
      setenv("USER", account.userName.c_str(), 1);
      setenv("LOGNAME", account.userName.c_str(), 1);
      setenv("HOME", account.home.c_str(), 1);
    }
    if (*account.user != 0 && setuid(0) == 0) {
      throw std::system_error(EPERM, std::generic_category(), "root could be regained");
    }
  }
}

}  // namespace exthost
