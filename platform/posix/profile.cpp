// INI files read the way GetPrivateProfileStringA reads them on Windows:
// - a section header is "[name]" after optional blanks; the name ends at the first
//   ']' (or at the line end when there is none) and blanks inside the brackets are
//   dropped; an entry is "key=value" with blanks around key and value dropped; a
//   line that starts with ';' is a comment, and a line without '=' is no entry;
// - names are compared without regard to case; spaces around the caller's section
//   and key names are ignored;
// - a repeated section is listed each time it appears, but only its first
//   occurrence is searched for keys; a repeated key is listed each time, and its
//   first occurrence gives the value;
// - a value in matching single or double quotes loses them;
// - a UTF-16LE file with its byte-order mark is read as text; a UTF-8 byte-order
//   mark, which Windows would take as part of the first line, is dropped.
// The file is read anew on every call: edits take effect at the next request.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/path.h"
#include "platform/posix/utf16.h"
#include "platform/profile.h"

namespace platform {

namespace {

constexpr std::string_view kLineBlanks = " \t\v\f\r";
constexpr std::string_view kNameBlanks = " \t\v";

std::string_view TrimSet(std::string_view text, std::string_view set) {
  const size_t first = text.find_first_not_of(set);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(set) - first + 1);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

struct IniLine {
  enum Kind { kSection, kEntry, kOther } kind = kOther;
  std::string_view name;
  std::string_view value;
};

IniLine Classify(std::string_view raw) {
  const std::string_view line = TrimSet(raw, kLineBlanks);
  if (line.starts_with('[')) {
    const std::string_view inside = line.substr(1, line.find(']') - 1);
    return {IniLine::kSection, TrimSet(inside, kNameBlanks), {}};
  }
  if (line.starts_with(';')) return {};
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {};
  return {IniLine::kEntry, TrimSet(line.substr(0, equals), kNameBlanks),
          TrimSet(line.substr(equals + 1), kNameBlanks)};
}

// Calls visit(IniLine) for each line until it returns false.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (!visit(Classify(text.substr(start, end - start)))) return;
    start = end + 1;
  }
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

uint32_t ListSections(std::string_view text, char* buffer, uint32_t size) {
  NameList list(buffer, size);
  ForEachLine(text, [&](const IniLine& line) {
    return line.kind != IniLine::kSection || list.Add(line.name);
  });
  return list.Finish();
}

// Calls visit(IniLine) for each entry of the first section of that name.
template <typename Visit>
void ForEachEntry(std::string_view text, std::string_view section, Visit visit) {
  bool inSection = false;
  ForEachLine(text, [&](const IniLine& line) {
    if (line.kind == IniLine::kSection) {
      if (inSection) return false;
      inSection = EqualIgnoringCase(line.name, section);
      return true;
    }
    return !inSection || line.kind != IniLine::kEntry || visit(line);
  });
}

uint32_t ListKeys(std::string_view text, std::string_view section, char* buffer, uint32_t size) {
  NameList list(buffer, size);
  ForEachEntry(text, section, [&](const IniLine& line) { return list.Add(line.name); });
  return list.Finish();
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

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
  std::string text;
  const bool readable = ReadWholeFile(fileName, text);
  if (section == nullptr) {
    if (!readable) return NameList(buffer, size).Finish();
    return ListSections(text, buffer, size);
  }
  const std::string_view sectionName = TrimSet(section, " ");
  if (key == nullptr) {
    if (!readable) return NameList(buffer, size).Finish();
    return ListKeys(text, sectionName, buffer, size);
  }
  const std::string_view keyName = TrimSet(key, " ");
  std::string_view result = DefaultText(defaultValue);
  if (readable && !keyName.empty() && !keyName.starts_with(';')) {
    ForEachEntry(text, sectionName, [&](const IniLine& line) {
      if (!EqualIgnoringCase(line.name, keyName)) return true;
      result = Unquoted(line.value);
      return false;
    });
  }
  return CopyCut(result, buffer, size);
}

}  // namespace platform
