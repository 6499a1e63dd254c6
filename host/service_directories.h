#pragma once

// The directories the service writes to (its state and its log), ready before it drops
// root: made when missing and, when it is to run as another user, given to that user.

#include <sys/types.h>

#include <string>

#include "host/privileges.h"

namespace exthost {

// Makes `directory` and its parents with `mode` when missing. Run as root for an
// account, hands the directory and what lies directly in it to the account's user and
// group (links are not followed), as systemd leaves them to root at every start. Returns
// what went wrong, empty when nothing did.
std::string PrepareServiceDirectory(const std::string& directory, mode_t mode,
                                    const Account& account);

// Drive c: stands for `directory` unless QUILLON_DRIVE_C names another one; true when it
// does, so that the directory is the service's own.
bool DefaultDriveC(const std::string& directory);

}  // namespace exthost
