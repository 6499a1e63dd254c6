#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_inputs.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/utf16.h"

namespace quillon::fuzz {

// The registry file as the stand-in reads it: decoded, then parsed; every problem
// must name a line of the text.
void RunRegFile(std::string_view data) {
  const std::string text = platform::posix::DecodeTextFile(std::string(data));
  const auto lineCount = static_cast<int>(std::count(text.begin(), text.end(), '\n') + 1);
  const platform::posix::RegTree tree =
      platform::posix::ParseRegFile(text, [&](int line, const std::string& problem) {
        Require(line >= 1 && line <= lineCount, "a problem names a line of the file");
        Require(!problem.empty(), "a problem says what is wrong");
      });
  using platform::posix::RegKeyData;
  std::vector<std::pair<const RegKeyData*, size_t>> pending = {{&tree.root, 0}};
  while (!pending.empty()) {
    const auto [key, depth] = pending.back();
    pending.pop_back();
    Require(depth <= platform::posix::kMaxRegKeyDepth, "no key is deeper than the registry allows");
    Require(key->subkeys.size() == key->children.size(), "every subkey is listed once");
    for (const std::string& subkey : key->subkeys) {
      Require(platform::posix::RegNameLength(subkey) <= platform::posix::kMaxRegKeyNameLength,
              "no key name is longer than the registry allows");
      const auto child = key->children.find(platform::posix::LowerCase(subkey));
      Require(child != key->children.end(), "every listed subkey exists");
      pending.emplace_back(child->second.get(), depth + 1);
    }
    for (const auto& [name, value] : key->values) {
      Require(platform::posix::RegNameLength(name) <= platform::posix::kMaxRegValueNameLength,
              "no value name is longer than the registry allows");
    }
  }
}

}  // namespace quillon::fuzz
