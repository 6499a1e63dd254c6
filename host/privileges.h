#pragma once

// Running as a less privileged user once the listeners are open, as snmpd's -u and -g.

#include <sys/types.h>

#include <optional>
#include <string>

namespace exthost {

struct Account {
  std::optional<uid_t> user;
  std::optional<gid_t> group;  // -g, or the user's own group; set whenever user is
  std::string userName;        // for the supplementary groups and the environment
  std::string home;
};

// Looks -u and -g up (names or numbers); throws UsageError for one that does not exist,
// and for a user without a group of its own other than root's when -g names none.
Account ResolveAccount(const std::string& user, const std::string& group);

// Switches group, supplementary groups and user, for good; throws std::system_error
// naming the step that failed. Does nothing for an empty account.
void DropPrivileges(const Account& account);

}  // namespace exthost
