#include "platform/program.h"

#include <windows.h>

namespace platform {

std::string ProgramPath(const char* argv0) {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return argv0 != nullptr ? argv0 : "";
  return std::string(path, length);
}

}  // namespace platform
