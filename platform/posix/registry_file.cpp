#include "platform/posix/registry_file.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/posix/utf16.h"
#include "platform/registry.h"

namespace platform::posix {

namespace {

constexpr const char* kDefaultRegistryFile = "/etc/quillon/registry.reg";

constexpr std::string_view kRootName = "hkey_local_machine";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kBlanks = " \t\v\f\r";

std::string_view TrimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return LowerCase(a) < LowerCase(b);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<uint32_t> ParseHex(std::string_view digits, size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

// Splits a path on '\', skipping empty components.
std::vector<std::string_view> PathComponents(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// The key `count` components below `key`, or nullptr.
template <typename Key>
Key* Descend(Key* key, const std::vector<std::string_view>& parts, size_t count) {
  for (size_t i = 0; i < count && key != nullptr; ++i) {
    const auto it = key->children.find(LowerCase(parts[i]));
    key = it == key->children.end() ? nullptr : it->second.get();
  }
  return key;
}

// One file being read: the lines, where we are, and the key that values go to.
class RegFileParser {
 public:
  RegFileParser(std::string_view text, const RegProblemSink& report) : report_(report) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      lines_.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }

  RegTree Parse() {
    for (index_ = 0; index_ < lines_.size(); ++index_) {
      const std::string_view line = TrimBlanks(lines_[index_]);
      if (line.empty() || line.front() == ';') continue;
      if (!headerSeen_) {
        if (!ReadHeader(line)) return {};
        continue;
      }
      if (line.front() == '[') {
        ReadKeyLine(line);
      } else {
        ReadValueLine(line);
      }
    }
    return std::move(tree_);
  }

 private:
  void Report(const std::string& problem) { report_(lineNumber_, problem); }

  bool ReadHeader(std::string_view line) {
    lineNumber_ = static_cast<int>(index_) + 1;
    if (line == kHeader4 || line == kHeader5) {
      unicodeStrings_ = line == kHeader5;
      headerSeen_ = true;
      return true;
    }
    Report("expected \"" + std::string(kHeader5) + "\" or \"" + std::string(kHeader4) +
           "\" as the first line");
    return false;
  }

  void ReadKeyLine(std::string_view line) {
    lineNumber_ = static_cast<int>(index_) + 1;
    currentKey_ = nullptr;
    keyIgnored_ = true;
    if (line.back() != ']') {
      Report("expected ']' at the end of the key name");
      return;
    }
    std::string_view path = line.substr(1, line.size() - 2);
    const bool deleting = path.starts_with('-');
    if (deleting) path.remove_prefix(1);
    const size_t rootEnd = path.find('\\');
    if (LowerCase(path.substr(0, rootEnd)) != kRootName) {
      Report("only keys of HKEY_LOCAL_MACHINE can be read; key skipped");
      return;
    }
    const std::string_view below = rootEnd == std::string_view::npos ? "" : path.substr(rootEnd);
    if (!WithinLimits(below)) return;
    if (deleting) {
      DeleteRegKey(tree_, below);
      return;
    }
    currentKey_ = &EnsureRegKey(tree_, below);
    keyIgnored_ = false;
  }

  bool WithinLimits(std::string_view path) {
    const std::vector<std::string_view> parts = PathComponents(path);
    if (parts.size() > kMaxRegKeyDepth) {
      Report("key " + std::to_string(parts.size()) + " levels deep, deeper than the registry's " +
             std::to_string(kMaxRegKeyDepth) + "; key skipped");
      return false;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
      const size_t length = RegNameLength(parts[i]);
      if (length > kMaxRegKeyNameLength) {
        Report("key name at level " + std::to_string(i + 1) + " is " + std::to_string(length) +
               " characters long, longer than the registry's " +
               std::to_string(kMaxRegKeyNameLength) + "; key skipped");
        return false;
      }
    }
    return true;
  }

  // "name" with \" and \\ escapes; on success `text` is left after the closing quote.
  std::optional<std::string> ReadQuoted(std::string_view& text) {
    std::string out;
    for (size_t i = 1; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '"') {
        text.remove_prefix(i + 1);
        return out;
      }
      if (c == '\\') {
        if (i + 1 == text.size()) break;
        const char next = text[++i];
        if (next != '"' && next != '\\') {
          Report(std::string("unknown escape \"\\") + next +
                 "\" in a quoted string (write \\\\ for a backslash)");
          return std::nullopt;
        }
        out += next;
        continue;
      }
      out += c;
    }
    Report("missing closing '\"'");
    return std::nullopt;
  }

  void ReadValueLine(std::string_view line) {
    lineNumber_ = static_cast<int>(index_) + 1;
    std::string name;
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (rest.front() == '"') {
      auto quoted = ReadQuoted(rest);
      if (!quoted) {
        SkipContinuation(line);
        return;
      }
      name = std::move(*quoted);
      if (const size_t length = RegNameLength(name); length > kMaxRegValueNameLength) {
        Report("value name " + std::to_string(length) + " characters long, longer than the " +
               "registry's " + std::to_string(kMaxRegValueNameLength) + "; value skipped");
        SkipContinuation(rest);
        return;
      }
    } else {
      Report("expected \"name\"=value");
      SkipContinuation(line);
      return;
    }
    rest = TrimBlanks(rest);
    if (!rest.starts_with('=')) {
      Report("expected \"name\"=value");
      SkipContinuation(line);
      return;
    }
    rest = TrimBlanks(rest.substr(1));
    std::optional<RegValueData> value;
    bool deleteValue = false;
    if (rest == "-") {
      deleteValue = true;
    } else {
      value = ReadData(rest);
      if (!value) return;
    }
    if (currentKey_ == nullptr) {
      // The values of a key that was reported already are skipped without a word.
      if (!keyIgnored_) Report("value outside a key");
      return;
    }
    if (deleteValue) {
      currentKey_->values.erase(LowerCase(name));
    } else {
      currentKey_->values.insert_or_assign(LowerCase(name), std::move(*value));
    }
  }

  std::optional<RegValueData> ReadData(std::string_view rest) {
    if (rest.starts_with('"')) {
      auto text = ReadQuoted(rest);
      if (!text) return std::nullopt;
      if (!TrimBlanks(rest).empty()) {
        Report("unexpected text after the closing '\"'");
        return std::nullopt;
      }
      return RegValueData{kRegSz, *text + '\0'};
    }
    const size_t colon = rest.find(':');
    if (colon == std::string_view::npos) {
      Report("expected \"text\" or a type and ':' (dword:, hex:, hex(2): or hex(7):)");
      SkipContinuation(rest);
      return std::nullopt;
    }
    const std::string lower = LowerCase(rest.substr(0, colon));
    const std::string_view data = rest.substr(colon + 1);
    if (lower == "dword") {
      const auto number = ParseHex(TrimBlanks(data), 8);
      if (!number) {
        Report("expected dword: and 1 to 8 hexadecimal digits");
        return std::nullopt;
      }
      std::string data(4, '\0');
      for (int i = 0; i < 4; ++i) data[i] = static_cast<char>(*number >> (8 * i) & 0xFF);
      return RegValueData{kRegDword, std::move(data)};
    }
    uint32_t type = kRegBinary;
    if (lower.starts_with("hex(") && lower.ends_with(")")) {
      const auto number = ParseHex(std::string_view(lower).substr(4, lower.size() - 5), 8);
      if (!number) {
        Report("expected hex(type): with a hexadecimal type number");
        SkipContinuation(rest);
        return std::nullopt;
      }
      type = *number;
    } else if (lower != "hex") {
      Report("unknown value type \"" + std::string(rest.substr(0, colon)) +
             "\" (expected \"text\", dword:, hex:, hex(2): or hex(7):)");
      SkipContinuation(rest);
      return std::nullopt;
    }
    auto bytes = ReadHexBytes(data);
    if (!bytes) return std::nullopt;
    const bool isString = type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
    if (isString && unicodeStrings_) bytes = Utf16LeToUtf8(*bytes);
    return RegValueData{type, std::move(*bytes)};
  }

  // The comma-separated bytes of a hex value, joining the lines that a trailing
  // backslash continues.
  std::optional<std::string> ReadHexBytes(std::string_view first) {
    std::string text(TrimBlanks(first));
    while (!text.empty() && text.back() == '\\') {
      text.pop_back();
      if (++index_ == lines_.size()) {
        Report("hex data continues past the end of the file");
        return std::nullopt;
      }
      text += TrimBlanks(lines_[index_]);
    }
    std::string bytes;
    if (TrimBlanks(text).empty()) return bytes;
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find(',', start);
      if (end == std::string::npos) end = text.size();
      const auto byte = ParseHex(TrimBlanks(std::string_view(text).substr(start, end - start)), 2);
      if (!byte) {
        Report("expected hexadecimal bytes separated by commas");
        return std::nullopt;
      }
      bytes += static_cast<char>(*byte);
      start = end + 1;
    }
    return bytes;
  }

  // After a value that could not be read, its continuation lines are skipped too,
  // so that they are not taken for lines of their own.
  void SkipContinuation(std::string_view rest) {
    bool continued = TrimBlanks(rest).ends_with('\\');
    while (continued && index_ + 1 < lines_.size()) {
      continued = TrimBlanks(lines_[++index_]).ends_with('\\');
    }
  }

  const RegProblemSink& report_;
  std::vector<std::string_view> lines_;
  size_t index_ = 0;
  int lineNumber_ = 0;
  bool headerSeen_ = false;
  bool unicodeStrings_ = false;
  bool keyIgnored_ = false;
  RegKeyData* currentKey_ = nullptr;
  RegTree tree_;
};

}  // namespace

RegistryFileName RegistryFile() {
  const char* named = std::getenv("QUILLON_REGISTRY");
  if (named != nullptr && *named != '\0') return {named, true};
  return {kDefaultRegistryFile, false};
}

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

size_t RegNameLength(std::string_view name) {
  size_t units = 0;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++units;  // not a continuation byte
    if ((byte & 0xF8) == 0xF0) ++units;  // four bytes: a surrogate pair
  }
  return units;
}

const RegKeyData* RegTree::Find(std::string_view path) const {
  const std::vector<std::string_view> parts = PathComponents(path);
  return Descend(&root, parts, parts.size());
}

RegKeyData& EnsureRegKey(RegTree& tree, std::string_view path) {
  RegKeyData* key = &tree.root;
  for (std::string_view part : PathComponents(path)) {
    auto [it, inserted] = key->children.try_emplace(LowerCase(part));
    if (inserted) {
      it->second = std::make_unique<RegKeyData>();
      const std::string name(part);
      auto& names = key->subkeys;
      names.insert(std::upper_bound(names.begin(), names.end(), name, LessIgnoringCase), name);
    }
    key = it->second.get();
  }
  return *key;
}

void DeleteRegKey(RegTree& tree, std::string_view path) {
  const std::vector<std::string_view> parts = PathComponents(path);
  if (parts.empty()) {
    tree.root = RegKeyData{};
    return;
  }
  RegKeyData* parent = Descend(&tree.root, parts, parts.size() - 1);
  const std::string name = LowerCase(parts.back());
  if (parent == nullptr || parent->children.erase(name) == 0) return;
  std::erase_if(parent->subkeys, [&](const std::string& s) { return LowerCase(s) == name; });
}

RegTree ParseRegFile(std::string_view text, const RegProblemSink& report) {
  return RegFileParser(text, report).Parse();
}

}  // namespace platform::posix
