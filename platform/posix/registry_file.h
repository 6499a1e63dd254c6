#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::posix {

struct RegValueData {
  uint32_t type = 0;
  std::string data;
};

struct RegKeyData {
  // Values by lower-case name; "" is the default value ("@").
  std::map<std::string, RegValueData> values;
  // Subkey names as written, sorted without regard to case as Windows lists them.
  std::vector<std::string> subkeys;
};

// HKEY_LOCAL_MACHINE as a .reg file describes it: keys by lower-case path below the
// root, components joined by '\' ("software\quillon\currentversion"); the root is "".
struct RegTree {
  std::unordered_map<std::string, RegKeyData> keys;
};

// Receives each malformed line: its 1-based number and what was wrong.
using RegProblemSink = std::function<void(int line, const std::string& problem)>;

// Parses the text of a .reg file (already decoded to 8-bit text, see DecodeTextFile).
// A malformed line is reported and skipped; the rest of the file still loads.
RegTree ParseRegFile(std::string_view text, const RegProblemSink& report);

// ASCII lower case: key and value names are compared without regard to case.
std::string LowerCase(std::string_view text);

// Makes the key at `path` (relative to the root, as written) exist, with its
// ancestors, each listed among its parent's subkeys. Empty components are skipped.
RegKeyData& EnsureRegKey(RegTree& tree, std::string_view path);

}  // namespace platform::posix
