#pragma once

// What the agent will make of one of the files it reads (registry, counters, trap
// file), as far as the host can tell from outside: the agent treats a file it refuses
// as missing, and says why only in its debug log.

#include <string>

namespace exthost {

struct FileVerdict {
  // Unreadable: there, but the service's user cannot read it now; each request tries again.
  enum class Kind { Readable, Missing, Refused, Unreadable };
  Kind kind = Kind::Missing;
  std::string reason;  // why, for all but Readable

  bool Usable() const { return kind == Kind::Readable; }
  // "readable", "not found", "refused: writable by group or others", "cannot be read by
  // the service's user (cannot be opened: Permission denied)", ...
  std::string Text() const;
};

// What the agent's file reader makes of the file (see platform::ReadConfigFile): read,
// missing, or refused and why. `path` is a Linux path (after drive-letter mapping).
FileVerdict JudgeServiceFile(const std::string& path);

}  // namespace exthost
