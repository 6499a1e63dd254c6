#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// An INI file's text parsed the way GetPrivateProfileStringA reads it on Windows:
// - a line ends at LF or at CR, so a file saved with CR line ends has its lines too;
// - a section header is "[name]" after optional blanks; the name ends at the first
//   ']' (or at the line end when there is none) and blanks inside the brackets are
//   dropped; an entry is "key=value" with blanks around key and value dropped; a
//   line that starts with ';' is a comment, and a line without '=' is no entry;
// - names are compared without regard to case (ASCII letters);
// - a repeated section is listed each time it appears, but only its first
//   occurrence is searched for keys; a repeated key is listed each time, and its
//   first occurrence gives the value;
// - a value in matching single or double quotes loses them.
// The text is decoded before (ProfileTextOf). Platform-independent: the Linux profile
// reader is built on it, and the agent reads its files through it on both platforms.
class IniText {
 public:
  struct Entry {
    std::string_view key;
    std::string_view value;  // unquoted
  };
  struct Section {
    std::string_view name;
    std::vector<Entry> entries;
  };

  explicit IniText(std::string text);
  // The parts point into the text, which therefore never moves.
  IniText(const IniText&) = delete;
  IniText& operator=(const IniText&) = delete;

  const std::string& Text() const { return text_; }
  // Every section header in file order, repeats and empty names included.
  const std::vector<Section>& Sections() const { return sections_; }
  // The first section of that name; null when there is none.
  const Section* Find(std::string_view name) const;
  // The value of the first entry of that key in the first section of that name.
  std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
  // The value of the first entry of that key in a section found already (may be null).
  static std::optional<std::string_view> Value(const Section* section, std::string_view key);

 private:
  struct CaseInsensitiveHash {
    size_t operator()(std::string_view text) const;
  };
  struct CaseInsensitiveEqual {
    bool operator()(std::string_view a, std::string_view b) const;
  };

  std::string text_;
  std::vector<Section> sections_;
  std::unordered_map<std::string_view, size_t, CaseInsensitiveHash, CaseInsensitiveEqual> first_;
};

}  // namespace platform
