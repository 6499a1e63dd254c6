#pragma once

#include <fstream>
#include <sstream>
#include <string>

// The project's README.md as it stands in the source tree.
inline std::string ReadReadme() {
  std::ifstream file(std::string(QUILLON_SOURCE_DIR) + "/README.md", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}
