// INI files read the way GetPrivateProfileStringA reads them on Windows (the rules are
// IniText's); spaces around the caller's section and key names are ignored, and a
// UTF-16LE file with its byte-order mark is read as text while a UTF-8 byte-order mark,
// which Windows would take as part of the first line, is dropped. The file is read
// anew on every call: edits take effect at the next request.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/ini_text.h"
#include "platform/path.h"
#include "platform/posix/utf16.h"
#include "platform/profile.h"

namespace platform {

namespace {

std::string_view TrimSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool ReadWholeFile(const char* fileName, std::string& content) {
  if (fileName == nullptr || *fileName == '\0') return false;
  FILE* file = std::fopen(LocalPath(fileName).c_str(), "rb");
  if (file == nullptr) return false;
  char chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  if (ok) content = posix::DecodeTextFile(std::move(content));
  return ok;
}

// Copies text cut to size - 1 bytes and a zero byte; returns the bytes copied.
uint32_t CopyCut(std::string_view text, char* buffer, uint32_t size) {
  if (size == 0) return 0;
  const auto length = static_cast<uint32_t>(std::min<size_t>(text.size(), size - 1));
  if (length > 0) std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

// Zero-terminated names one after another and a final zero byte. A name that does
// not fit is cut so that the buffer still ends in two zero bytes, and the result is
// then size - 2.
class NameList {
 public:
  NameList(char* buffer, uint32_t size) : buffer_(buffer), size_(size) {}

  // False once the buffer is full.
  bool Add(std::string_view name) {
    if (name.empty()) return true;
    if (used_ + name.size() + 2 > size_) {
      const uint32_t room = used_ + 2 <= size_ ? size_ - 2 - used_ : 0;
      std::memcpy(buffer_ + used_, name.data(), room);
      buffer_[size_ - 2] = '\0';
      buffer_[size_ - 1] = '\0';
      used_ = size_ - 2;
      full_ = true;
      return false;
    }
    std::memcpy(buffer_ + used_, name.data(), name.size());
    used_ += static_cast<uint32_t>(name.size());
    buffer_[used_++] = '\0';
    return true;
  }

  uint32_t Finish() {
    if (!full_) {
      buffer_[used_] = '\0';
      if (used_ + 1 < size_) buffer_[used_ + 1] = '\0';
    }
    return used_;
  }

 private:
  char* buffer_;
  uint32_t size_;
  uint32_t used_ = 0;
  bool full_ = false;
};

// The default loses its trailing spaces, as Windows returns it.
std::string_view DefaultText(const char* defaultValue) {
  std::string_view text = defaultValue == nullptr ? "" : defaultValue;
  while (text.ends_with(' ')) text.remove_suffix(1);
  return text;
}

}  // namespace

uint32_t ProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                       uint32_t size, const char* fileName) {
  if (buffer == nullptr || size == 0) return 0;
  const bool isList = section == nullptr || key == nullptr;
  if (isList && size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::string content;
  const bool readable = ReadWholeFile(fileName, content);
  const IniText text(readable ? std::move(content) : std::string());
  if (section == nullptr) {
    NameList list(buffer, size);
    for (const IniText::Section& each : text.Sections()) {
      if (!list.Add(each.name)) break;
    }
    return list.Finish();
  }
  const std::string_view sectionName = TrimSpaces(section);
  if (key == nullptr) {
    NameList list(buffer, size);
    if (const IniText::Section* found = text.Find(sectionName)) {
      for (const IniText::Entry& entry : found->entries) {
        if (!list.Add(entry.key)) break;
      }
    }
    return list.Finish();
  }
  const std::string_view keyName = TrimSpaces(key);
  std::string_view result = DefaultText(defaultValue);
  if (!keyName.empty() && !keyName.starts_with(';')) {
    result = text.Value(sectionName, keyName).value_or(result);
  }
  return CopyCut(result, buffer, size);
}

}  // namespace platform
