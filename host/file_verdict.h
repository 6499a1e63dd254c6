#pragma once

// What the agent will make of one of the files it reads (registry, counters, trap
// file), as far as the host can tell from outside: the agent treats a file it refuses
// as missing, and says why only in its debug log.

#include <string>

namespace exthost {

struct FileVerdict {
  enum class Kind { Readable, Missing, Refused, Unreadable };
  Kind kind = Kind::Missing;
  std::string reason;  // why, for all but Readable

  bool Usable() const { return kind == Kind::Readable; }
  // "readable", "not found", "refused: writable by group or others", ...
  std::string Text() const;
};

// The rule the agent's file readers apply on Linux, as sshd's StrictModes: not a
// regular file, larger than 64 MiB, writable by group or others, owned by another user
// than root or the service's, or in a directory that others may write without the
// sticky bit. `path` is a Linux path (after drive-letter mapping).
FileVerdict JudgeServiceFile(const std::string& path);

}  // namespace exthost
