#include "platform/posix/command_line.h"

namespace platform {

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

void SkipSeparators(std::string_view line, size_t& pos) {
  while (pos < line.size() && IsSeparator(line[pos])) ++pos;
}

std::string ProgramWord(std::string_view line, size_t& pos) {
  size_t end;
  std::string word;
  if (line[pos] == '"') {
    end = line.find('"', pos + 1);
    if (end == std::string_view::npos) end = line.size();
    word = line.substr(pos + 1, end - pos - 1);
    pos = end < line.size() ? end + 1 : end;
    return word;
  }
  end = pos;
  while (end < line.size() && !IsSeparator(line[end])) ++end;
  word = line.substr(pos, end - pos);
  pos = end;
  return word;
}

std::string ArgumentWord(std::string_view line, size_t& pos) {
  std::string word;
  bool quoted = false;
  while (pos < line.size() && (quoted || !IsSeparator(line[pos]))) {
    const char c = line[pos];
    if (c == '\\') {
      size_t backslashes = 0;
      while (pos < line.size() && line[pos] == '\\') {
        ++backslashes;
        ++pos;
      }
      if (pos < line.size() && line[pos] == '"') {
        word.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          word += '"';
          ++pos;
        }
      } else {
        word.append(backslashes, '\\');
      }
    } else if (c == '"') {
      if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
        word += '"';
        pos += 2;
      } else {
        quoted = !quoted;
        ++pos;
      }
    } else {
      word += c;
      ++pos;
    }
  }
  return word;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  size_t pos = 0;
  SkipSeparators(line, pos);
  if (pos == line.size()) return words;
  words.push_back(ProgramWord(line, pos));
  for (SkipSeparators(line, pos); pos < line.size(); SkipSeparators(line, pos)) {
    words.push_back(ArgumentWord(line, pos));
  }
  return words;
}

}  // namespace platform
