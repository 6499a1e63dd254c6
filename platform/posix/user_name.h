#pragma once

// User ids as messages show them: the number with the name the system knows for it.

#include <sys/types.h>

#include <string>

namespace platform::posix {

// "65534 (nobody)", or the bare number for an id without an account.
std::string UserWithName(uid_t user);

}  // namespace platform::posix
