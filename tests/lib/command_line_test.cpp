#include "platform/posix/command_line.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;
using platform::SplitCommandLine;

TEST(SplitCommandLine, BlanksAndTabsSeparateWords) {
  EXPECT_EQ(SplitCommandLine("prog a b"), (Words{"prog", "a", "b"}));
  EXPECT_EQ(SplitCommandLine(" \tprog  \t a   "), (Words{"prog", "a"}));
  EXPECT_EQ(SplitCommandLine(""), Words{});
  EXPECT_EQ(SplitCommandLine("  \t "), Words{});
}

TEST(SplitCommandLine, QuotesGroupAndDisappear) {
  EXPECT_EQ(SplitCommandLine(R"(prog "a b" c)"), (Words{"prog", "a b", "c"}));
  EXPECT_EQ(SplitCommandLine(R"(prog a"b c"d)"), (Words{"prog", "ab cd"}));
  EXPECT_EQ(SplitCommandLine(R"(prog "" x)"), (Words{"prog", "", "x"}));
  EXPECT_EQ(SplitCommandLine(R"(prog "a""b")"), (Words{"prog", "a\"b"}));
  EXPECT_EQ(SplitCommandLine(R"(prog "open end)"), (Words{"prog", "open end"}));
}

TEST(SplitCommandLine, BackslashesCountOnlyBeforeAQuote) {
  EXPECT_EQ(SplitCommandLine(R"(prog c:\dir\file)"), (Words{"prog", R"(c:\dir\file)"}));
  EXPECT_EQ(SplitCommandLine(R"(prog a\"b)"), (Words{"prog", "a\"b"}));
  EXPECT_EQ(SplitCommandLine(R"(prog a\\"b c")"), (Words{"prog", R"(a\b c)"}));
  EXPECT_EQ(SplitCommandLine(R"(prog a\\\"b)"), (Words{"prog", R"(a\"b)"}));
  EXPECT_EQ(SplitCommandLine(R"(prog "c:\dir\\" next)"), (Words{"prog", R"(c:\dir\)", "next"}));
}

TEST(SplitCommandLine, ProgramWordIsTakenLiterally) {
  EXPECT_EQ(SplitCommandLine(R"("c:\Program Files\tool.exe" -x)"),
            (Words{R"(c:\Program Files\tool.exe)", "-x"}));
  EXPECT_EQ(SplitCommandLine(R"(c:\bin\tool\ "a")"), (Words{R"(c:\bin\tool\)", "a"}));
}

TEST(SplitCommandLine, InterpreterSyntaxIsJustText) {
  EXPECT_EQ(SplitCommandLine("prog > out | more & $HOME *"),
            (Words{"prog", ">", "out", "|", "more", "&", "$HOME", "*"}));
}

}  // namespace
