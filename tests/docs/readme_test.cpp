// The README as a reader sees it: its two commands stand as they are typed, in code blocks,
// and its headings are headings.

#include <gtest/gtest.h>

#include <algorithm>

#include "markdown_check.h"
#include "tests/readme_text.h"

namespace docs {
namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool HasCommand(const std::string& markdown, const std::string& command) {
  const std::vector<std::string> code = CodeBlockLines(markdown);
  return std::any_of(code.begin(), code.end(),
                     [&](const std::string& line) { return Trimmed(line) == command; });
}

TEST(Readme, ShowsTheTwoCommandsInCodeBlocksAndOnlySpacedHeadings) {
  const std::string readme = ReadReadme();
  ASSERT_FALSE(readme.empty()) << "README.md not found in " << QUILLON_SOURCE_DIR;
  EXPECT_TRUE(HasCommand(readme, "./scripts/run-example.sh"));
  EXPECT_TRUE(HasCommand(readme, "./scripts/test.sh"));
  EXPECT_EQ(HeadingsWithoutSpace(readme), std::vector<std::string>{});
}

TEST(MarkdownCheck, RejectsTheTextACodeFormatterLeaves) {
  const std::string mangled =
      "#quillon\n\n##The two commands\n\nRun the agent :\n\n    ./ scripts / run - example.sh\n"
      "\n      ##ctrview\n";
  EXPECT_EQ(HeadingsWithoutSpace(mangled),
            (std::vector<std::string>{"#quillon", "##The two commands", "##ctrview"}));
  EXPECT_FALSE(HasCommand(mangled, "./scripts/run-example.sh"));
}

TEST(MarkdownCheck, FindsCommandsInFencedAndIndentedBlocksButNotInProse) {
  const std::string fenced = "Run:\n\n```sh\n./scripts/test.sh\n```\n";
  EXPECT_TRUE(HasCommand(fenced, "./scripts/test.sh"));
  const std::string tilde = "~~~~\n  ./scripts/test.sh\n~~~~\n";
  EXPECT_TRUE(HasCommand(tilde, "./scripts/test.sh"));
  const std::string indented = "Run:\n\n    ./scripts/test.sh\n\nThen more.\n";
  EXPECT_TRUE(HasCommand(indented, "./scripts/test.sh"));
  const std::string tab = "Run:\n\n\t./scripts/test.sh\n";
  EXPECT_TRUE(HasCommand(tab, "./scripts/test.sh"));

  EXPECT_FALSE(HasCommand("Run `./scripts/test.sh` to test.\n", "./scripts/test.sh"));
  // Indented without a blank line before it, a line goes on with the paragraph.
  EXPECT_FALSE(HasCommand("Run this:\n    ./scripts/test.sh\n", "./scripts/test.sh"));
  // After its fence closes, the block is over.
  EXPECT_FALSE(HasCommand("```\necho\n```\n./scripts/test.sh\n", "./scripts/test.sh"));
}

TEST(MarkdownCheck, TakesHashesInCodeBlocksAndLongerRunsForWhatTheyAre) {
  EXPECT_TRUE(
      HeadingsWithoutSpace("```cpp\n#include <x>\n##x\n```\n\n    #define X\n    #!/bin/sh\n")
          .empty());
  EXPECT_TRUE(HeadingsWithoutSpace("# Title\n\n## Part\n\n#\n\n####### seven\n").empty());
  // A fence of four backticks is not closed by three.
  EXPECT_EQ(HeadingsWithoutSpace("````\n```\n#inside\n````\n#outside\n"),
            std::vector<std::string>{"#outside"});
}

}  // namespace
}  // namespace docs
