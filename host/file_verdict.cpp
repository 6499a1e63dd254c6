#include "host/file_verdict.h"

#include "platform/file_system.h"

namespace exthost {

std::string FileVerdict::Text() const {
  switch (kind) {
    case Kind::Readable:
      return "readable";
    case Kind::Missing:
      return reason;
    case Kind::Refused:
      return "refused: " + reason;
    case Kind::Unreadable:
      return "cannot be read by the service's user (" + reason + ")";
  }
  return reason;
}

// The agent's own reader decides, so the report cannot disagree with what the agent does.
FileVerdict JudgeServiceFile(const std::string& path) {
  const platform::ConfigFile file = platform::ReadConfigFile(path);
  switch (file.status) {
    case platform::ConfigFile::kRead:
      return {FileVerdict::Kind::Readable, ""};
    case platform::ConfigFile::kRefused:
      return {FileVerdict::Kind::Refused, file.refusal};
    case platform::ConfigFile::kFailed:
      return {FileVerdict::Kind::Unreadable, file.refusal};
    case platform::ConfigFile::kMissing:
      break;
  }
  return {FileVerdict::Kind::Missing, "not found"};
}

}  // namespace exthost
