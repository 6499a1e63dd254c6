#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

struct RegValueData {
  uint32_t type = 0;
  std::string data;
};

// The limits of the registry: deeper keys and longer names are refused where a file
// has them. Lengths are counted in UTF-16 code units, as Windows counts them.
constexpr size_t kMaxRegKeyDepth = 512;
constexpr size_t kMaxRegKeyNameLength = 255;
constexpr size_t kMaxRegValueNameLength = 16383;

struct RegKeyData {
  // Values by lower-case name; "" is the default value ("@").
  std::map<std::string, RegValueData> values;
  // Subkey names as written, sorted without regard to case as Windows lists them.
  std::vector<std::string> subkeys;
  // The subkeys themselves, by lower-case name.
  std::map<std::string, std::unique_ptr<RegKeyData>> children;
};

// HKEY_LOCAL_MACHINE as a .reg file describes it. Keys are nested, so that a key costs
// its own name only, however deep it lies.
struct RegTree {
  RegKeyData root;

  // The key at `path` below the root, components joined by '\' in any case ("" is
  // the root); nullptr when there is none. Empty components are skipped.
  const RegKeyData* Find(std::string_view path) const;
};

// The .reg file that holds HKEY_LOCAL_MACHINE: $QUILLON_REGISTRY when it is set and
// not empty, else /etc/quillon/registry.reg. The registry and the service's
// configuration check both name the file through this.
struct RegistryFileName {
  std::string path;
  bool fromEnvironment = false;
};
RegistryFileName RegistryFile();

// Receives each malformed line: its 1-based number and what was wrong.
using RegProblemSink = std::function<void(int line, const std::string& problem)>;

// Parses the text of a .reg file (already decoded to 8-bit text, see DecodeTextFile).
// A malformed line is reported and skipped; the rest of the file still loads.
RegTree ParseRegFile(std::string_view text, const RegProblemSink& report);

// ASCII lower case: key and value names are compared without regard to case.
std::string LowerCase(std::string_view text);

// The length of a name of UTF-8 text as the registry counts it.
size_t RegNameLength(std::string_view name);

// Makes the key at `path` (relative to the root, as written) exist, with its
// ancestors, each listed among its parent's subkeys. Empty components are skipped.
RegKeyData& EnsureRegKey(RegTree& tree, std::string_view path);

// Removes the key at `path` with everything below it; "" empties the whole tree.
void DeleteRegKey(RegTree& tree, std::string_view path);

}  // namespace platform::posix
