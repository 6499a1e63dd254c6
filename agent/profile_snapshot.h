#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"
#include "platform/ini_text.h"

namespace quillon {

// One version of the counters file or the trap file, parsed once and never changed
// afterwards. It answers what the profile reader answers for that version.
class ProfileSnapshot {
 public:
  // text: the decoded file, empty unless it was read.
  ProfileSnapshot(std::string text, platform::ConfigFile::Status status, std::string refusal);

  platform::ConfigFile::Status Status() const { return status_; }
  bool Present() const { return status_ == platform::ConfigFile::kRead; }
  // A file is there: read, or there but not readable now (which each request finds
  // again). A file refused for what it is counts as missing.
  bool Exists() const { return Present() || status_ == platform::ConfigFile::kFailed; }
  // Why a file that is there is treated as missing; empty otherwise.
  const std::string& Refusal() const { return refusal_; }
  // Tells this version from every other one the process has parsed.
  uint64_t Serial() const { return serial_; }

  // Every section name in file order, however many there are; repeats included, and
  // a name as the profile reader's list of zero-terminated names shows it.
  const std::vector<std::string_view>& SectionNames() const { return names_; }
  // The decoded text it was parsed from.
  const std::string& Text() const { return text_.Text(); }
  // Where the first name equal to this one (byte for byte) stands in SectionNames.
  std::optional<size_t> FirstPosition(std::string_view name) const;

  // A name of SectionNames read as an OID, and where it stands there.
  struct NamedOid {
    std::vector<uint32_t> ids;
    size_t position;
  };
  // The names in plain dotted decimal (as ParsePlainOid reads them) in OID order, equal
  // OIDs in file order: sorted once, when first asked for, so that a walk that starts
  // between rows finds its next row without reading every name again.
  const std::vector<NamedOid>& InOidOrder() const;
  // A key of the first section of that name (names compared without regard to case),
  // as the profile reader hands it to a 2048-byte buffer: empty when absent, cut to
  // 2047 characters and at a zero byte.
  std::string Value(std::string_view section, std::string_view key) const;

  // The first section of a name, found once for reading several of its keys.
  class Row {
   public:
    explicit Row(const platform::IniText::Section* section) : section_(section) {}
    // As ProfileSnapshot::Value gives it.
    std::string Value(std::string_view key) const;

   private:
    const platform::IniText::Section* section_;
  };
  Row RowNamed(std::string_view section) const { return Row(text_.Find(section)); }

 private:
  platform::ConfigFile::Status status_;
  std::string refusal_;
  uint64_t serial_;
  platform::IniText text_;
  std::vector<std::string_view> names_;
  std::unordered_map<std::string_view, size_t> firstPosition_;
  mutable std::once_flag ordered_;
  mutable std::vector<NamedOid> inOidOrder_;
};

// The file at path (drive letters mapped) read and parsed once, as the agent reads it.
std::shared_ptr<const ProfileSnapshot> ReadProfileSnapshot(const std::string& path);

}  // namespace quillon
