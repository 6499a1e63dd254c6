#include "markdown_check.h"

#include <regex>

namespace docs {
namespace {

struct Line {
  std::string text;
  bool code = false;    // inside a code block, fences included
  bool fenced = false;  // inside a fenced code block
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool IsBlank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

// The fence a line opens or closes ("```", "~~~~", ...), or empty.
std::string FenceOf(const std::string& line) {
  static const std::regex fence(R"(^ {0,3}(`{3,}|~{3,}).*$)");
  std::smatch match;
  return std::regex_match(line, match, fence) ? match[1].str() : std::string();
}

std::string WithoutIndentation(const std::string& line) {
  if (line.starts_with('\t')) return line.substr(1);
  return line.substr(4);
}

bool IsIndentedCode(const std::string& line) {
  return line.starts_with("    ") || line.starts_with('\t');
}

std::vector<Line> Classify(const std::string& markdown) {
  std::vector<Line> lines;
  std::string openFence;
  bool previousBlank = true;
  bool inIndented = false;
  for (const std::string& text : SplitLines(markdown)) {
    Line line{text, false, false};
    const std::string fence = FenceOf(text);
    if (!openFence.empty()) {
      line.code = true;
      line.fenced = true;
      line.text = text;
      if (!fence.empty() && fence[0] == openFence[0] && fence.size() >= openFence.size() &&
          IsBlank(text.substr(text.find(fence) + fence.size()))) {
        openFence.clear();
        line.text.clear();
      }
    } else if (!fence.empty()) {
      openFence = fence;
      line.code = true;
      line.fenced = true;
      line.text.clear();
    } else if (IsIndentedCode(text) && !IsBlank(text) && (previousBlank || inIndented)) {
      // An indented line starts a code block only after a blank line: otherwise it goes on
      // with the paragraph above it.
      inIndented = true;
      line.code = true;
      line.text = WithoutIndentation(text);
    } else if (!IsBlank(text)) {
      inIndented = false;
    }
    previousBlank = IsBlank(text);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::vector<std::string> CodeBlockLines(const std::string& markdown) {
  std::vector<std::string> code;
  for (const Line& line : Classify(markdown)) {
    if (line.code && !line.text.empty()) code.push_back(line.text);
  }
  return code;
}

std::vector<std::string> HeadingsWithoutSpace(const std::string& markdown) {
  static const std::regex glued(R"(^ {0,3}#{1,6}[^ \t#].*$)");
  // Indented, a heading becomes a code line; "##Word" is nobody's code (a C directive or a
  // shell comment has one # or a blank), so there it is a heading a formatter moved.
  static const std::regex indentedGlued(R"(^\s*#{2,6}[^ \t#].*$)");
  std::vector<std::string> headings;
  for (const Line& line : Classify(markdown)) {
    if (line.fenced) continue;
    if (line.code ? std::regex_match(line.text, indentedGlued)
                  : std::regex_match(line.text, glued)) {
      headings.push_back(line.text.substr(line.text.find('#')));
    }
  }
  return headings;
}

}  // namespace docs
