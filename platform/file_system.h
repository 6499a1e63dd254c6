#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// Paths go through LocalPath().

// Appends text to a file: opens it for appending, creates it when that fails, writes,
// closes. Returns 0, or the platform's error code of the step that failed.
uint32_t AppendToFile(const std::string& path, std::string_view text);

// What tells one version of a file from another without reading it, in the platform's
// own units: on Linux device, inode, size, modification and status-change times in
// nanoseconds, permission bits and owner (so that a chmod or chown is noticed too); on
// Windows size, last-write and creation time. Equal identities mean the same contents
// as far as the file system can tell.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modified = 0;
  int64_t changed = 0;
  uint32_t mode = 0;
  uint32_t owner = 0;

  bool operator==(const FileIdentity&) const = default;
};

// The identity of what is at the path now, links followed: one stat. False when there
// is nothing, or a directory.
bool IdentifyFile(const std::string& path, FileIdentity& identity);

// Files larger than this are not read.
constexpr uint64_t kConfigFileLimit = 64ull << 20;

// A file that names commands the service runs: the counters file, the trap file, the
// registry file. Read whole, or treated as missing.
struct ConfigFile {
  // kRefused: there, but treated as missing for what it is (its kind, size, owner or
  // who may change it). kFailed: there, but not readable now (permissions, the
  // descriptor limit, an I/O error). Only kRead and kMissing say anything that lasts.
  enum Status { kMissing, kRead, kRefused, kFailed };
  Status status = kMissing;
  // Of what was read (or refused); meaningless when missing.
  FileIdentity identity;
  // The last change lies far enough back that any later one must change the identity:
  // a file rewritten within one tick of the file system's clock keeps its times, so a
  // file changed that recently must be read again even when its identity is the same.
  bool settled = false;
  std::string bytes;
  // Why a file that is there is not read ("not a regular file", "cannot be opened:
  // Permission denied", ...).
  std::string refusal;

  void Refuse(std::string why) {
    status = kRefused;
    refusal = std::move(why);
  }
  void Fail(std::string why) {
    status = kFailed;
    refusal = std::move(why);
  }
};

// Reads a file without ever blocking: nothing, or a directory, is missing; a FIFO, a
// device or a file larger than kConfigFileLimit is refused. On Linux a file is also
// refused, as sshd's StrictModes does, when group or others may write to it or it
// belongs to neither root nor the service's user, and when a directory or a link on
// its way (as written, and where the opened file really lies) belongs to neither, or
// lets group or others write without the sticky bit: these files name commands that
// the service runs as its own user. What is judged is the file that was opened, so a
// link repointed meanwhile cannot slip another file in. Each refusal and failure is
// printed once per file and reason on the standard error (on Linux, where the service
// stand-in shows it to the operator), however many readers in the process meet it.
ConfigFile ReadConfigFile(const std::string& path);

// A file's bytes as the platform's profile reader takes them: a UTF-16LE file with its
// byte-order mark becomes 8-bit text.
std::string ProfileTextOf(std::string bytes);

}  // namespace platform
