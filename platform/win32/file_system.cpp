#include "platform/file_system.h"

#include <windows.h>

#include <string>
#include <utility>

#include "platform/path.h"

namespace platform {

namespace {

// Longer than any file system's timestamp tick (FAT's two seconds included), in the
// 100-nanosecond units of a FILETIME.
constexpr int64_t kTimestampTick = 20'000'000;

int64_t Ticks(const FILETIME& time) {
  return static_cast<int64_t>(static_cast<uint64_t>(time.dwHighDateTime) << 32 |
                              time.dwLowDateTime);
}

uint64_t Size(DWORD high, DWORD low) { return static_cast<uint64_t>(high) << 32 | low; }

bool Settled(const FileIdentity& identity) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return Ticks(now) - identity.modified > kTimestampTick;
}

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME;
}

// Closes the handle however the read ends.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The checks and the read. The identity is that of the opened file: a file that could
// not be opened (a sharing violation, a denied access) has none, so nothing of the
// failed attempt can be taken for the file's state later.
void ReadChecked(const std::string& path, ConfigFile& file) {
  FileIdentity examined;
  if (!IdentifyFile(path, examined)) return;  // nothing there, or a directory
  FileHandle handle(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (!IsMissing(error)) file.Fail("cannot be opened: error " + std::to_string(error));
    return;
  }
  if (GetFileType(handle.get()) != FILE_TYPE_DISK) return file.Refuse("not a regular file");
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.get(), &info)) {
    return file.Fail("cannot be examined: error " + std::to_string(GetLastError()));
  }
  file.identity.size = Size(info.nFileSizeHigh, info.nFileSizeLow);
  file.identity.modified = Ticks(info.ftLastWriteTime);
  file.identity.changed = Ticks(info.ftCreationTime);
  if (file.identity.size > kConfigFileLimit) return file.Refuse("larger than 64 MiB");
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(handle.get(), chunk, sizeof chunk, &got, nullptr)) {
      return file.Fail("cannot be read: error " + std::to_string(GetLastError()));
    }
    if (got == 0) break;
    if (file.bytes.size() + got > kConfigFileLimit) return file.Refuse("larger than 64 MiB");
    file.bytes.append(chunk, got);
  }
  file.status = ConfigFile::kRead;
}

}  // namespace

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

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(LocalPath(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  identity = FileIdentity{};
  identity.size = Size(data.nFileSizeHigh, data.nFileSizeLow);
  identity.modified = Ticks(data.ftLastWriteTime);
  identity.changed = Ticks(data.ftCreationTime);
  return true;
}

// Windows leaves who may write to the file to its access control lists.
ConfigFile ReadConfigFile(const std::string& path) {
  ConfigFile file;
  ReadChecked(LocalPath(path), file);
  if (!file.refusal.empty()) file.bytes.clear();
  file.settled = Settled(file.identity);
  return file;
}

// As GetPrivateProfileStringA reads: a UTF-8 mark is dropped, a UTF-16LE file with its mark
// is read in the ANSI code page, anything else is taken as it stands.
std::string ProfileTextOf(std::string bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return bytes.substr(3);
  if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return bytes;
  const auto* wide = reinterpret_cast<const wchar_t*>(bytes.data() + 2);
  const int units = static_cast<int>((bytes.size() - 2) / 2);
  if (units == 0) return {};
  const int needed = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, units, text.data(), needed, nullptr, nullptr);
  return text;
}

}  // namespace platform
