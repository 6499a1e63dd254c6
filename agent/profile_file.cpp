#include "agent/profile_file.h"

#include <utility>

#include "agent/log.h"
#include "agent/state.h"

namespace quillon {

bool ProfileFile::StillCurrent(const std::string& path) const {
  if (!snapshot_ || !reusable_ || path != path_) return false;
  if (path.empty()) return true;
  platform::FileIdentity now;
  const bool there = platform::IdentifyFile(path, now);
  const bool wasThere = snapshot_->Status() != platform::ConfigFile::kMissing;
  return there == wasThere && (!there || now == identity_);
}

void ProfileFile::Renew(const std::string& path) {
  platform::ConfigFile file;
  if (!path.empty()) file = platform::ReadConfigFile(path);
  std::string text = platform::ProfileTextOf(std::move(file.bytes));
  // A file read again only because its last change was too recent to trust its
  // identity mostly still says the same: its parse is kept then.
  const bool same = snapshot_ && path == path_ && snapshot_->Status() == file.status &&
                    snapshot_->Refusal() == file.refusal && snapshot_->Text() == text;
  if (!same) {
    snapshot_ = std::make_shared<const ProfileSnapshot>(std::move(text), file.status, file.refusal);
  }
  path_ = path;
  identity_ = file.identity;
  // A refused or failed read is not kept: what caused it (a directory's mode, the
  // descriptor limit, a permission) can go without the file's identity changing.
  const bool lasting =
      file.status == platform::ConfigFile::kRead || file.status == platform::ConfigFile::kMissing;
  reusable_ = path.empty() || (lasting && file.settled);
}

std::shared_ptr<const ProfileSnapshot> ProfileFile::Current(const std::string& path) {
  if (!StillCurrent(path)) Renew(path);
  if (!snapshot_->Refusal().empty()) {
    Log(std::string(label_) + " " + path + ": " + snapshot_->Refusal() + "; treated as missing");
  }
  return snapshot_;
}

std::shared_ptr<const ProfileSnapshot> CountersFile() {
  AgentState& state = State();
  return state.countersFile.Current(state.settings.counters);
}

std::shared_ptr<const ProfileSnapshot> TrapFile() {
  AgentState& state = State();
  return state.trapFile.Current(state.settings.traps);
}

}  // namespace quillon
