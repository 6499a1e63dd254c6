// On Windows the agent reads the counters and trap files through its own parser (the
// snapshot), where the system's agents read them with GetPrivateProfileStringA, which
// decides delimiting, trimming, comments and repeated names. For a corpus of INI syntax
// both must list the same sections and keys and give the same value for every key; and
// a file named without a directory must be the one the profile functions read.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "agent/profile_snapshot.h"
#include "platform/file_system.h"
#include "platform/ini_text.h"
#include "tests/profile/ini_samples.h"
#include "tests/wine/under_wine.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct Case {
  const char* name;
  std::string text;
  // Where Wine's GetPrivateProfileStringA is known to answer otherwise than Windows'.
  const char* wineDiffers = nullptr;
};

std::string Repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

std::string Utf16Le(const std::string& text) {
  std::string wide = "\xFF\xFE";
  for (const char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

void PrintTo(const Case& corpus, std::ostream* out) { *out << corpus.name; }

std::vector<Case> Corpus() {
  const std::string longValue(3000, 'x');
  return {
      {"blanks_comments_and_quotes", quillon_test::kBlanksCommentsAndQuotes},
      {"lines_outside_and_odd_names",
       "orphan=before any section\r\n"
       "  [ 1.3.6.1.4.1.15.1 ]  trailing words\r\n"
       "empty=\n"
       "=no key\n"
       "[]\nk=in a nameless section\n"
       "[a=b]\nk=section with an equals sign\n"
       "\f[form feed]\r\nk=1\r\n"},
      {"utf8_byte_order_mark", "\xEF\xBB\xBF[bom]\r\nk=v\r\n[second]\r\nk=w\r\n"},
      {"utf8_byte_order_mark_before_a_key", "\xEF\xBB\xBFk=before\r\n[s]\r\nk=v\r\n"},
      {"utf16_little_endian", Utf16Le("[wide]\r\nk=v\r\n[Other]\r\nk=w\r\n")},
      {"unclosed_header", "[unclosed\nk=v\n[a=b]\nk=1\n",
       "Wine drops a section line without its closing bracket, where Windows ends the name "
       "at the line end"},
      {"tabs",
       "\t[\ttabbed\t]\t\r\n"
       "\tkey\t=\tvalue\twith\ttabs\t\r\n"
       "q\t=\t\"\tquoted tab\t\"\t\r\n"
       "[s\tt]\r\nk\tk=inner tab\r\n"},
      {"quotes",
       "[q]\r\n"
       "double=\"double\"\r\n"
       "single='single'\r\n"
       "mixed=\"mixed'\r\n"
       "empty=\"\"\r\n"
       "lone=\"\r\n"
       "inner=\"with \"inner\" quotes\"\r\n"
       "spaced=  \"spaced\"  \r\n"
       "opened=\"only opened\r\n"
       "\"quoted key\"=value\r\n"},
      {"semicolons_inside_values",
       "[s;1]\r\n"
       "k=value ; not a comment\r\n"
       "k2=a;b\r\n"
       ";whole=comment\r\n"
       "  ;indented=comment\r\n"
       "k3=\";quoted\"\r\n"
       "k;4=semicolon in the key\r\n"},
      {"repeated_sections_and_keys",
       "[1.3.6.1.4.1.15.2]\r\nk=first\r\nk=second\r\n"
       "[1.3.6.1.4.1.15.1]\r\nk=other\r\n"
       "[1.3.6.1.4.1.15.2]\r\nk=third\r\nonly=later\r\n"
       "[SECTION]\r\nk=upper\r\n[section]\r\nk=lower\r\nK=again\r\n"},
      {"long_lines", "[s]\r\nk=" + longValue + "\r\nq=\"" + longValue + "\"\r\n" +
                         std::string(1500, 'K') + "=long key\r\n[" + std::string(1500, 'S') +
                         "]\r\nk=long section\r\n" + "[after]\r\nk=" + std::string(100000, 'y') +
                         "\r\nnext=after a very long line\r\n"},
      {"zero_byte_in_a_value", "[s]\r\nz=before\0after\r\nnext=v\r\n"s},
      {"cr_only_line_ends", "[cr]\rk=v\rother=w\r[second]\rk=x\r"},
      {"cr_line_ends_after_the_last_lf", "[a]\r\nk=crlf\r\n[b]\rk=v\r[c]\rk=w"},
      {"cr_inside_a_line", "[s]\r\nk=a\rb=c\r\n[t]\rk=after a section\n"},
      {"mixed_line_ends", "[a]\r\nk=crlf\n[b]\nk=lf\r\n[c]\r\r\nk=cr cr lf\r\n[d]\rk=cr\n"},
      {"many_sections",
       [] {
         std::string text;
         for (int i = 1; i <= 300; ++i) {
           text += "[1.3.6.1.4.1.15." + std::to_string(i) + ".0]\r\ncounter=value " +
                   std::to_string(i) + "\r\ntype=string\r\n";
         }
         return text;
       }()},
      {"blank_and_comment_lines_only", Repeated("\r\n; nothing\r\n   \r\n", 50)},
  };
}

// A zero-separated list as the profile functions return it.
std::vector<std::string> SplitList(const std::string& buffer, DWORD length) {
  std::vector<std::string> names;
  for (size_t at = 0; at < length && buffer[at] != '\0'; at += names.back().size() + 1) {
    names.emplace_back(buffer.c_str() + at);
  }
  return names;
}

class ProfileCorpus : public testing::TestWithParam<Case> {
 protected:
  ProfileCorpus() {
    dir_ = fs::temp_directory_path() /
           ("quillon-corpus-" + std::to_string(GetCurrentProcessId()) + "-" + GetParam().name);
    fs::create_directories(dir_);
    // A file of its own per case: the profile functions keep recently read files.
    file_ = (dir_ / (std::string(GetParam().name) + ".ini")).string();
  }
  ~ProfileCorpus() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::vector<std::string> SystemList(const char* section) const {
    std::string buffer(1 << 22, '\0');
    const DWORD length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file_.c_str());
    return SplitList(buffer, length);
  }
  std::string SystemValue(const std::string& section, const std::string& key) const {
    char buffer[2048];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer,
                             file_.c_str());
    return buffer;
  }

  fs::path dir_;
  std::string file_;
};

TEST_P(ProfileCorpus, SectionsKeysAndValuesAreTheSystemsOwn) {
  const Case& corpus = GetParam();
  if (corpus.wineDiffers != nullptr && quillon_test::UnderWine()) {
    GTEST_SKIP() << "Wine's GetPrivateProfileStringA differs from Windows here: "
                 << corpus.wineDiffers;
  }
  std::ofstream(file_, std::ios::binary | std::ios::trunc) << corpus.text;
  const platform::ConfigFile read = platform::ReadConfigFile(file_);
  ASSERT_EQ(read.status, platform::ConfigFile::kRead);
  const std::string text = platform::ProfileTextOf(read.bytes);
  const quillon::ProfileSnapshot snapshot(text, read.status, "");
  const platform::IniText parsed(text);

  const std::vector<std::string> sections = SystemList(nullptr);
  ASSERT_EQ(
      std::vector<std::string>(snapshot.SectionNames().begin(), snapshot.SectionNames().end()),
      sections);
  for (const std::string& section : sections) {
    const std::vector<std::string> keys = SystemList(section.c_str());
    // As a list of zero-terminated names has them: an empty name would end the list.
    std::vector<std::string> ownKeys;
    if (const auto* found = parsed.Find(section)) {
      for (const auto& entry : found->entries) {
        if (!entry.key.empty()) ownKeys.emplace_back(entry.key);
      }
    }
    EXPECT_EQ(ownKeys, keys) << "[" << section << "]";
    std::vector<std::string> asked = keys;
    asked.push_back("absent");
    for (const std::string& key : keys) {
      std::string shouted = key;
      for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      asked.push_back(shouted);
    }
    for (const std::string& key : asked) {
      EXPECT_EQ(snapshot.Value(section, key), SystemValue(section, key))
          << "[" << section << "] " << key;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Syntax, ProfileCorpus, testing::ValuesIn(Corpus()),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

// GetPrivateProfileStringA takes a file name without a directory from the Windows
// directory; the agent's own reads of the same name must find the same file, not one
// in the current directory.
TEST(ProfileFileName, ABareNameIsTheFileInTheWindowsDirectory) {
  char windows[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::string name = "quillon-bare-" + std::to_string(GetCurrentProcessId()) + ".ini";
  const fs::path inWindows = fs::path(std::string(windows, length)) / name;
  const fs::path inCurrent = fs::current_path() / name;
  const std::string windowsText = "[where]\r\nk=the Windows directory\r\n";
  std::ofstream(inWindows, std::ios::binary) << windowsText;
  std::ofstream(inCurrent, std::ios::binary) << "[where]\r\nk=here\r\n";

  char value[64];
  GetPrivateProfileStringA("where", "k", "", value, sizeof value, name.c_str());
  EXPECT_STREQ(value, "the Windows directory");
  const platform::ConfigFile read = platform::ReadConfigFile(name);
  EXPECT_EQ(read.status, platform::ConfigFile::kRead);
  EXPECT_EQ(read.bytes, windowsText);
  platform::FileIdentity identity;
  EXPECT_TRUE(platform::IdentifyFile(name, identity));
  EXPECT_EQ(identity.size, windowsText.size());

  fs::remove(inWindows);
  fs::remove(inCurrent);
}

}  // namespace
