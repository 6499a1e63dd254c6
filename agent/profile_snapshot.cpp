#include "agent/profile_snapshot.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

#include "agent/row_order.h"

namespace quillon {

namespace {

// The longest value that a 2048-byte buffer holds with its terminating zero.
constexpr size_t kValueLimit = 2047;

uint64_t NextSerial() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

}  // namespace

ProfileSnapshot::ProfileSnapshot(std::string text, platform::ConfigFile::Status status,
                                 std::string refusal)
    : status_(status), refusal_(std::move(refusal)), serial_(NextSerial()), text_(std::move(text)) {
  // A name with a zero byte in it reads as the names on either side of the zero, as in
  // the profile reader's list of zero-terminated names; an empty name is not listed.
  for (const platform::IniText::Section& section : text_.Sections()) {
    std::string_view rest = section.name;
    while (!rest.empty()) {
      const std::string_view name = rest.substr(0, rest.find('\0'));
      if (!name.empty()) {
        firstPosition_.emplace(name, names_.size());
        names_.push_back(name);
      }
      rest.remove_prefix(std::min(name.size() + 1, rest.size()));
    }
  }
}

std::optional<size_t> ProfileSnapshot::FirstPosition(std::string_view name) const {
  const auto found = firstPosition_.find(name);
  if (found == firstPosition_.end()) return std::nullopt;
  return found->second;
}

const std::vector<ProfileSnapshot::NamedOid>& ProfileSnapshot::InOidOrder() const {
  std::call_once(ordered_, [this] {
    std::vector<uint32_t> ids;
    for (size_t position = 0; position < names_.size(); ++position) {
      if (ParsePlainOid(names_[position], ids)) inOidOrder_.push_back({ids, position});
    }
    std::stable_sort(inOidOrder_.begin(), inOidOrder_.end(),
                     [](const NamedOid& a, const NamedOid& b) { return a.ids < b.ids; });
  });
  return inOidOrder_;
}

std::string ProfileSnapshot::Value(std::string_view section, std::string_view key) const {
  return RowNamed(section).Value(key);
}

std::string ProfileSnapshot::Row::Value(std::string_view key) const {
  const std::string_view value =
      platform::IniText::Value(section_, key).value_or("").substr(0, kValueLimit);
  return std::string(value.substr(0, value.find('\0')));
}

std::shared_ptr<const ProfileSnapshot> ReadProfileSnapshot(const std::string& path) {
  platform::ConfigFile file;
  if (!path.empty()) file = platform::ReadConfigFile(path);
  return std::make_shared<const ProfileSnapshot>(platform::ProfileTextOf(std::move(file.bytes)),
                                                 file.status, std::move(file.refusal));
}

}  // namespace quillon
