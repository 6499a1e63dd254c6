#include "host/install_layout.h"

#include <filesystem>

namespace exthost {

InstallLayout LayoutForProgram(const std::string& programDirectory) {
  namespace fs = std::filesystem;
  fs::path prefix = (fs::path(programDirectory) / QUILLON_PREFIX_FROM_PROGRAM).lexically_normal();
  if (!prefix.has_filename()) prefix = prefix.parent_path();  // "/usr/" after the ".."
  const fs::path root = prefix == "/usr" ? fs::path("/") : prefix;
  return {(root / "var/lib/quillon").string(), (root / "var/log/quillon").string()};
}

}  // namespace exthost
