#include "platform/profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/profile/ini_samples.h"
#include "tests/wine/under_wine.h"

namespace {

class ProfileTest : public testing::Test {
 protected:
  ProfileTest() {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("quillon-profile-" + std::string(test->name()) + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  ~ProfileTest() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string Write(const std::string& content) {
    const auto path = dir_ / "file.ini";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    return path.string();
  }

  std::string Get(const char* section, const char* key, const char* def = "",
                  uint32_t size = 2048) {
    std::string buffer(size, '\x7f');
    const uint32_t length =
        platform::ProfileString(section, key, def, buffer.data(), size, file_.c_str());
    EXPECT_EQ(buffer[length], '\0');
    return buffer.substr(0, length);
  }

  // The names of a list, and what the call returned.
  std::vector<std::string> List(const char* section, uint32_t size, uint32_t* returned = nullptr) {
    std::string buffer(size, '\x7f');
    const uint32_t length =
        platform::ProfileString(section, nullptr, nullptr, buffer.data(), size, file_.c_str());
    if (returned != nullptr) *returned = length;
    EXPECT_LE(length + 1, size);
    EXPECT_EQ(buffer[length], '\0');
    std::vector<std::string> names;
    for (size_t at = 0; at < length && buffer[at] != '\0'; at += names.back().size() + 1) {
      names.emplace_back(buffer.c_str() + at);
    }
    return names;
  }

  std::filesystem::path dir_;
  std::string file_;
};

TEST_F(ProfileTest, NamesIgnoreCaseAndBlanksAndQuotesAreDropped) {
  file_ = Write(quillon_test::kBlanksCommentsAndQuotes);
  EXPECT_EQ(Get("1.3.6.1.4.1.15.1", "COUNTER"), "Processor\\% Processor Time\\_Total");
  EXPECT_EQ(Get("  1.3.6.1.4.1.15.1 ", " counter "), "Processor\\% Processor Time\\_Total");
  EXPECT_EQ(Get("1.3.6.1.4.1.15.1", "type"), " spaced ");
  EXPECT_EQ(Get("1.3.6.1.4.1.15.1", "flag"), "single");
  EXPECT_EQ(Get("1.3.6.1.4.1.15.1", "odd"), "\"mismatched'");
  EXPECT_EQ(Get("other", "Counter"), "second section");
  EXPECT_EQ(List("1.3.6.1.4.1.15.1", 100),
            (std::vector<std::string>{"Counter", "type", "flag", "odd"}));
}

// A file saved with CR line ends, or with a CR left inside a line, has its lines as the
// system reads them.
TEST_F(ProfileTest, ACarriageReturnEndsALineAsALineFeedDoes) {
  file_ = Write("[cr]\rk=v\rother=w\r[second]\rk=x\r");
  EXPECT_EQ(List(nullptr, 100), (std::vector<std::string>{"cr", "second"}));
  EXPECT_EQ(List("cr", 100), (std::vector<std::string>{"k", "other"}));
  EXPECT_EQ(Get("second", "k"), "x");
  file_ = Write("[s]\r\nk=a\rb=c\r\n[t]\rk=after a section\n");
  EXPECT_EQ(Get("s", "k"), "a");
  EXPECT_EQ(Get("s", "b"), "c");
  EXPECT_EQ(Get("t", "k"), "after a section");
}

TEST_F(ProfileTest, AbsentKeysSectionsAndFilesGiveTheDefault) {
  file_ = Write("[s]\nk=v\n");
  EXPECT_EQ(Get("s", "missing", "fallback  "), "fallback");
  EXPECT_EQ(Get("missing", "k", "  lead"), "  lead");
  EXPECT_EQ(Get("s", "k", nullptr), "v");
  EXPECT_EQ(Get("s", "missing", nullptr), "");
  EXPECT_EQ(Get("s", ";k", "d"), "d");
  EXPECT_TRUE(List("missing", 100).empty());
  file_ = (dir_ / "absent.ini").string();
  EXPECT_EQ(Get("s", "k", "d"), "d");
  uint32_t returned = 1;
  EXPECT_TRUE(List(nullptr, 100, &returned).empty());
  EXPECT_EQ(returned, 0u);
}

// Windows reports a repeated section each time, but looks keys up in its first
// occurrence only; a repeated key is listed each time and read from its first line.
TEST_F(ProfileTest, RepeatedSectionsAndKeysBehaveAsOnWindows) {
  file_ = Write("[a]\nk=first\nk=second\n[b]\n[A]\nk=third\nonly=later\n");
  EXPECT_EQ(List(nullptr, 100), (std::vector<std::string>{"a", "b", "A"}));
  EXPECT_EQ(Get("a", "k"), "first");
  EXPECT_EQ(Get("a", "only", "absent"), "absent");
  EXPECT_EQ(List("a", 100), (std::vector<std::string>{"k", "k"}));
}

TEST_F(ProfileTest, ValuesAreCutToTheBuffer) {
  const std::string longValue(3000, 'x');
  file_ = Write("[s]\nk=" + longValue + "\nq=\"" + longValue + "\"\n");
  EXPECT_EQ(Get("s", "k"), std::string(2047, 'x'));
  EXPECT_EQ(Get("s", "q"), std::string(2047, 'x'));
  EXPECT_EQ(Get("s", "k", "", 5), "xxxx");
  EXPECT_EQ(Get("s", "missing", "default", 4), "def");
}

TEST_F(ProfileTest, ListsThatDoNotFitAreCutAndStillEndInTwoZeros) {
  std::string content;
  if (quillon_test::UnderWine()) {
    GTEST_SKIP() << "Wine's GetPrivateProfileStringA cuts a section list one byte short of "
                    "what Windows returns";
  }
  std::vector<std::string> all;
  for (int i = 1; i <= 3000; ++i) {
    all.push_back("1.3.6.1.4.1.15." + std::to_string(i));
    content += "[" + all.back() + "]\r\ncounter=Memory\\Available Bytes\r\n";
  }
  file_ = Write(content);
  uint32_t returned = 0;
  std::string buffer(32768, '\x7f');
  returned =
      platform::ProfileString(nullptr, nullptr, nullptr, buffer.data(), 32768, file_.c_str());
  EXPECT_EQ(returned, 32768u - 2);
  EXPECT_EQ(buffer[32766], '\0');
  EXPECT_EQ(buffer[32767], '\0');
  const std::vector<std::string> names = List(nullptr, 32768);
  ASSERT_GT(names.size(), 1000u);
  for (size_t i = 0; i + 1 < names.size(); ++i) ASSERT_EQ(names[i], all[i]);
  EXPECT_TRUE(all[names.size() - 1].starts_with(names.back()));

  file_ = Write("[ab]\n[cd]\n");
  EXPECT_EQ(List(nullptr, 7, &returned), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(returned, 6u);
  EXPECT_EQ(List(nullptr, 6, &returned), (std::vector<std::string>{"ab", "c"}));
  EXPECT_EQ(returned, 4u);
  EXPECT_EQ(List(nullptr, 4, &returned), (std::vector<std::string>{"ab"}));
  EXPECT_EQ(returned, 2u);
  EXPECT_TRUE(List(nullptr, 1, &returned).empty());
  EXPECT_EQ(returned, 0u);
}

TEST_F(ProfileTest, EditsShowAtTheNextCall) {
  file_ = Write("[s]\nk=1\n");
  EXPECT_EQ(Get("s", "k"), "1");
  file_ = Write("[s]\nk=2\n");
  EXPECT_EQ(Get("s", "k"), "2");
}

TEST_F(ProfileTest, ReadsUtf16LittleEndianFiles) {
  const std::string text = "[s]\r\nk=v\r\n";
  std::string wide = "\xFF\xFE";
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  file_ = Write(wide);
  EXPECT_EQ(Get("S", "K"), "v");
}

}  // namespace
