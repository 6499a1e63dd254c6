#include <algorithm>
#include <string>

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
  for (const auto& [path, key] : tree.keys) {
    for (const std::string& subkey : key.subkeys) {
      const std::string child =
          (path.empty() ? "" : path + '\\') + platform::posix::LowerCase(subkey);
      Require(tree.keys.contains(child), "every listed subkey exists");
    }
  }
}

}  // namespace quillon::fuzz
