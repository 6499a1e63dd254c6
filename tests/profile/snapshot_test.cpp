// The agent's parsed snapshot of a file must answer exactly what the profile reader
// answers for it: the same section list, the same value for every key.
#include "agent/profile_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "tests/wine/under_wine.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class SnapshotTest : public testing::Test {
 protected:
  SnapshotTest() {
    const fs::path dir =
        fs::temp_directory_path() / ("quillon-snapshot-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    file_ = (dir / "file.ini").string();
  }
  ~SnapshotTest() override { fs::remove_all(fs::path(file_).parent_path()); }

  // What the profile reader lists, with a buffer large enough for everything.
  std::vector<std::string> ProfileList(const char* section) const {
    std::string buffer(1 << 22, '\0');
    const uint32_t length =
        platform::ProfileString(section, nullptr, nullptr, buffer.data(),
                                static_cast<uint32_t>(buffer.size()), file_.c_str());
    std::vector<std::string> names;
    for (size_t at = 0; at < length && buffer[at] != '\0'; at += names.back().size() + 1) {
      names.emplace_back(buffer.c_str() + at);
    }
    return names;
  }

  std::string ProfileValue(const std::string& section, const std::string& key) const {
    char buffer[2048];
    platform::ProfileString(section.c_str(), key.c_str(), "", buffer, sizeof buffer, file_.c_str());
    return buffer;
  }

  // Writes the file and compares the answers of the two readers: the section list, and
  // the keys of every step-th section.
  void ExpectSameAnswers(const std::string& content, size_t step = 1) {
    std::ofstream(file_, std::ios::binary | std::ios::trunc) << content;
    const quillon::ProfileSnapshot snapshot(platform::ProfileTextOf(content),
                                            platform::ConfigFile::kRead, "");
    const std::vector<std::string> sections = ProfileList(nullptr);
    ASSERT_EQ(
        std::vector<std::string>(snapshot.SectionNames().begin(), snapshot.SectionNames().end()),
        sections);
    for (size_t i = 0; i < sections.size(); ++i) {
      const size_t first = static_cast<size_t>(
          std::find(sections.begin(), sections.end(), sections[i]) - sections.begin());
      EXPECT_EQ(snapshot.FirstPosition(sections[i]), first) << sections[i];
      if (i % step != 0) continue;
      std::vector<std::string> keys = ProfileList(sections[i].c_str());
      keys.push_back("absent");
      for (const std::string& key : keys) {
        std::string shouted = key;
        for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (const std::string& asked : {key, shouted}) {
          EXPECT_EQ(snapshot.Value(sections[i], asked), ProfileValue(sections[i], asked))
              << "[" << sections[i] << "] " << asked;
        }
      }
    }
    EXPECT_FALSE(snapshot.FirstPosition("absent section"));
  }

  std::string file_;
};

TEST_F(SnapshotTest, LinesNamesAndQuotesAsTheProfileReaderTakesThem) {
  ExpectSameAnswers(
      "orphan=before any section\r\n"
      "; comment\r\n"
      "  [ 1.3.6.1.4.1.15.1 ]  trailing words\r\n"
      "  Counter =  Processor\\% Processor Time\\_Total  \r\n"
      "\ttype\t=\t\" spaced \"\t\n"
      "flag='single'\n"
      "odd=\"mismatched'\n"
      "empty=\n"
      "=no key\n"
      "no equals sign\n"
      ";counter=commented\n"
      "[]\nk=in a nameless section\n"
      "[a=b]\nk=section with an equals sign\n"
      "\f[form feed]\r\nk=1\r");
}

TEST_F(SnapshotTest, AnUnclosedSectionLineAndAZeroByteInASectionName) {
  if (quillon_test::UnderWine()) {
    GTEST_SKIP() << "Wine's GetPrivateProfileStringA drops a section line without its closing "
                    "bracket and ends a section name at a zero byte";
  }
  ExpectSameAnswers("[unclosed\nk=v\n[a=b]\nk=1\n");
  ExpectSameAnswers("[s]\nk=1\n[a\0b]\nk=v\n"s);
}

TEST_F(SnapshotTest, RepeatedSectionsAndKeysAnswerFromTheFirst) {
  ExpectSameAnswers(
      "[1.3.6.1.4.1.15.2]\nk=first\nk=second\n"
      "[1.3.6.1.4.1.15.1]\nk=other\n"
      "[1.3.6.1.4.1.15.2]\nk=third\nonly=later\n"
      "[SECTION]\nk=upper\n[section]\nk=lower\n");
}

TEST_F(SnapshotTest, LongValuesZeroBytesAndEncodings) {
  const std::string longValue(3000, 'x');
  ExpectSameAnswers("[s]\nk=" + longValue + "\nq=\"" + longValue + "\"\n" + "z=before\0after\n"s);
  ExpectSameAnswers("\xEF\xBB\xBF[bom]\nk=v\n");
  std::string wide = "\xFF\xFE";
  for (char c : std::string("[wide]\r\nk=v\r\n")) {
    wide += c;
    wide += '\0';
  }
  ExpectSameAnswers(wide);
}

TEST_F(SnapshotTest, EverySectionOfALargeFileIsListed) {
  std::string content;
  for (int i = 1; i <= 5000; ++i) {
    content += "[1.3.6.1.4.1.15." + std::to_string(i) + ".0]\ncounter=value " + std::to_string(i) +
               "\ntype=string\n";
  }
  ExpectSameAnswers(content, 499);
}

}  // namespace
