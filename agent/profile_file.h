#pragma once

#include <memory>
#include <string>

#include "agent/profile_snapshot.h"
#include "platform/file_system.h"

namespace quillon {

// The snapshot of one file, renewed when the file's identity changes, so that an edit
// is seen by the next request while a request costs one stat. Only a file read or
// found missing is kept; a refused or failed one is read again on every request.
class ProfileFile {
 public:
  // label names the file in debug lines ("counters file").
  explicit ProfileFile(const char* label) : label_(label) {}

  // The file at path as it is now. A file treated as missing writes a debug line on
  // every call.
  std::shared_ptr<const ProfileSnapshot> Current(const std::string& path);

 private:
  bool StillCurrent(const std::string& path) const;
  void Renew(const std::string& path);

  const char* label_;
  std::string path_;
  platform::FileIdentity identity_;
  bool reusable_ = false;
  std::shared_ptr<const ProfileSnapshot> snapshot_;
};

// The agent's two files as they are now.
std::shared_ptr<const ProfileSnapshot> CountersFile();
std::shared_ptr<const ProfileSnapshot> TrapFile();

}  // namespace quillon
