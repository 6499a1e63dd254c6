#include "platform/file_system.h"

#include <windows.h>

#include "platform/path.h"

namespace platform {

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(LocalPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

uint32_t AppendToFile(const std::string& path, std::string_view text) {
  const std::string local = LocalPath(path);
  HANDLE file = CreateFileA(local.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  // Creating never truncates: a file that appeared meanwhile keeps its lines.
  if (file == INVALID_HANDLE_VALUE) {
    file = CreateFileA(local.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  uint32_t result = 0;
  while (!text.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
      result = GetLastError();
      break;
    }
    if (written == 0) {
      result = ERROR_WRITE_FAULT;
      break;
    }
    text.remove_prefix(written);
  }
  CloseHandle(file);
  return result;
}

}  // namespace platform
