#include "platform/path.h"

#include <windows.h>

namespace platform {

namespace {

// No directory and no drive: "counters.ini", not ".\counters.ini" or "c:counters.ini".
bool IsBareName(std::string_view path) {
  return !path.empty() && path.find_first_of("\\/") == std::string_view::npos &&
         !(path.size() >= 2 && path[1] == ':');
}

}  // namespace

// GetPrivateProfileStringA looks for a bare file name in the Windows directory, not in
// the current one: every check and read of such a file is of the file it reads.
std::string LocalPath(std::string_view path) {
  if (!IsBareName(path)) return std::string(path);
  char directory[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string(path);
  return std::string(directory, length) + "\\" + std::string(path);
}

}  // namespace platform
