#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace provider {

// What a line of <proc>/self/mountinfo says of one mount.
struct Mount {
  std::string_view device;  // "major:minor" of the file system
  std::string mountPoint;   // the kernel's escapes turned back into characters
  std::string_view type;
  std::string_view source;
};

// The mounts in the order of the file; malformed lines are left out.
std::vector<Mount> ParseMountinfo(std::string_view text);

}  // namespace provider
