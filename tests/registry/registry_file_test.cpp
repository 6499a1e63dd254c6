#include "platform/posix/registry_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "registry_env.h"

namespace {

using platform::posix::ParseRegFile;
using platform::posix::RegTree;

struct Parsed {
  RegTree tree;
  std::vector<std::pair<int, std::string>> problems;
};

Parsed Parse(const std::string& text) {
  Parsed parsed;
  parsed.tree = ParseRegFile(
      text, [&](int line, const std::string& what) { parsed.problems.emplace_back(line, what); });
  return parsed;
}

Parsed ParseFixture(const std::string& name) {
  std::ifstream file(Fixture(name), std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return Parse(content.str());
}

// The key at a lower-case path; throws, failing the test, for one that is not there.
const platform::posix::RegKeyData& Key(const RegTree& tree, const std::string& path) {
  const platform::posix::RegKeyData* key = tree.Find(path);
  if (key == nullptr) throw std::out_of_range("no key " + path);
  return *key;
}

const platform::posix::RegValueData& Value(const RegTree& tree, const std::string& key,
                                           const std::string& name) {
  return Key(tree, key).values.at(name);
}

TEST(RegFile, ReadsEveryValueTypeOfAVersion5File) {
  const Parsed parsed = ParseFixture("value_types.reg");
  EXPECT_TRUE(parsed.problems.empty());
  const RegTree& tree = parsed.tree;
  const std::string key = "software\\types";
  EXPECT_EQ(Value(tree, key, "").data, std::string("default text\0", 13));
  EXPECT_EQ(Value(tree, key, "quoted").data, std::string("say \"hi\" to c:\\temp\\\0", 21));
  EXPECT_EQ(Value(tree, key, "number").type, platform::kRegDword);
  EXPECT_EQ(Value(tree, key, "number").data, std::string("\x0a\0\0\0", 4));
  // Version 5 stores strings as UTF-16LE; the A functions see them as 8-bit text.
  EXPECT_EQ(Value(tree, key, "expand").type, platform::kRegExpandSz);
  EXPECT_EQ(Value(tree, key, "expand").data, std::string("%PATH%\0", 7));
  EXPECT_EQ(Value(tree, key, "multi").type, platform::kRegMultiSz);
  EXPECT_EQ(Value(tree, key, "multi").data, std::string("one\0two\0three\0\0", 15));
  EXPECT_EQ(Value(tree, key, "umlaut").data, std::string("\xc3\xa4\0\0", 4));
  EXPECT_EQ(Value(tree, key, "binary").type, platform::kRegBinary);
  EXPECT_EQ(Value(tree, key, "binary").data, "\xde\xad\xbe\xef");
  EXPECT_EQ(Value(tree, key, "qword").type, 11u);
  EXPECT_EQ(Value(tree, key, "qword").data.size(), 8u);
}

TEST(RegFile, Regedit4StoresStringBytesAsTheyAre) {
  const Parsed parsed =
      Parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"m\"=hex(7):61,00,62,00,00\n\"s\"=\"x\"\n");
  EXPECT_TRUE(parsed.problems.empty());
  EXPECT_EQ(Value(parsed.tree, "a", "m").data, std::string("a\0b\0\0", 5));
  EXPECT_EQ(Value(parsed.tree, "a", "s").data, std::string("x\0", 2));
}

TEST(RegFile, KeysAndTheirAncestorsAreListedSortedWithoutRegardToCase) {
  const Parsed parsed = ParseFixture("value_types.reg");
  EXPECT_EQ(Key(parsed.tree, "software\\types").subkeys,
            (std::vector<std::string>{"child a", "Child B"}));
  EXPECT_EQ(Key(parsed.tree, "software\\deep").subkeys, std::vector<std::string>{"Er"});
  EXPECT_EQ(Key(parsed.tree, "").subkeys, std::vector<std::string>{"Software"});
}

TEST(RegFile, ReportsEachMalformedLineWithItsNumberAndLoadsTheRest) {
  const Parsed parsed = ParseFixture("malformed.reg");
  std::vector<int> lines;
  for (const auto& [line, what] : parsed.problems) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<int>{5, 6, 7, 9, 12, 14, 18, 19}));
  EXPECT_EQ(parsed.problems[0].second, "expected \"name\"=value");
  EXPECT_NE(parsed.problems[5].second.find("HKEY_LOCAL_MACHINE"), std::string::npos);

  const auto& broken = Key(parsed.tree, "software\\broken").values;
  EXPECT_EQ(broken.at("good1").data, std::string("one\0", 4));
  EXPECT_EQ(broken.at("good2").data, std::string("\2\0\0\0", 4));
  EXPECT_EQ(broken.at("good3").data, "\x01\x02");
  EXPECT_EQ(broken.size(), 3u);
  EXPECT_EQ(Key(parsed.tree, "software\\broken\\after").values.at("good4").data,
            std::string("four\0", 5));
  EXPECT_EQ(parsed.tree.Find("software\\unclosed"), nullptr);
}

TEST(RegFile, ATypeWithoutColonIsReportedAndTheRestLoads) {
  const Parsed parsed = Parse(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Other]\n\"a\"=dword\n\"b\"=hex\n\"c\"=hex(2)\n"
      "[HKEY_LOCAL_MACHINE\\Wanted]\n\"v\"=dword:7\n");
  std::vector<int> lines;
  for (const auto& [line, what] : parsed.problems) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<int>{3, 4, 5}));
  EXPECT_TRUE(Key(parsed.tree, "other").values.empty());
  EXPECT_EQ(Value(parsed.tree, "wanted", "v").data, std::string("\7\0\0\0", 4));
}

TEST(RegFile, AFileWithoutHeaderIsRejectedAsAWhole) {
  const Parsed parsed = Parse("; exported\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\"\n");
  ASSERT_EQ(parsed.problems.size(), 1u);
  EXPECT_EQ(parsed.problems[0].first, 2);
  EXPECT_TRUE(parsed.tree.root.subkeys.empty());
  EXPECT_TRUE(parsed.tree.root.values.empty());
}

TEST(RegFile, DeletionEntriesRemoveWhatCameBefore) {
  const Parsed parsed = Parse(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"v\"=\"x\"\n\"w\"=\"y\"\n\"w\"=-\n"
      "[HKEY_LOCAL_MACHINE\\C\\D]\n[-HKEY_LOCAL_MACHINE\\C]\n");
  EXPECT_TRUE(parsed.problems.empty());
  EXPECT_EQ(Key(parsed.tree, "a\\b").values.size(), 1u);
  EXPECT_EQ(parsed.tree.Find("c"), nullptr);
  EXPECT_EQ(parsed.tree.Find("c\\d"), nullptr);
  EXPECT_EQ(Key(parsed.tree, "").subkeys, std::vector<std::string>{"A"});
}

// The registry holds keys 512 levels deep, key names of 255 characters and value names
// of 16383 (UTF-16 units): a file that goes beyond is refused there, line by line.
TEST(RegFile, KeysDeeperAndNamesLongerThanTheRegistryAllowsAreRefusedOnTheirLine) {
  std::string level512 = "HKEY_LOCAL_MACHINE";
  for (int i = 0; i < 512; ++i) level512 += "\\K";
  std::string accentedName;
  for (int i = 0; i < 128; ++i) accentedName += "\xc3\xa9";  // 2 bytes, one character
  accentedName += std::string(127, 'n');
  const std::string text = "REGEDIT4\n[" + level512 + "]\n\"v\"=\"512\"\n[" + level512 +
                           "\\K]\n\"v\"=\"513\"\n[HKEY_LOCAL_MACHINE\\Names\\" + accentedName +
                           "]\n[HKEY_LOCAL_MACHINE\\Names\\" + std::string(256, 'n') +
                           "\\below]\n\"v\"=\"skipped\"\n" + "[HKEY_LOCAL_MACHINE\\Names]\n\"" +
                           std::string(16383, 'v') + "\"=\"longest\"\n\"" +
                           std::string(16384, 'v') + "\"=hex:01,\\\n  02\n\"after\"=\"read\"\n";
  const Parsed parsed = Parse(text);
  std::vector<int> lines;
  for (const auto& [line, what] : parsed.problems) lines.push_back(line);
  ASSERT_EQ(lines, (std::vector<int>{4, 7, 11}));
  EXPECT_NE(parsed.problems[0].second.find("513 levels deep"), std::string::npos);
  EXPECT_NE(parsed.problems[1].second.find("256 characters"), std::string::npos);
  EXPECT_NE(parsed.problems[2].second.find("16384 characters"), std::string::npos);

  std::string path512;
  for (int i = 0; i < 512; ++i) path512 += i == 0 ? "k" : "\\k";
  EXPECT_EQ(Value(parsed.tree, path512, "v").data, std::string("512\0", 4));
  EXPECT_TRUE(Key(parsed.tree, path512).subkeys.empty());
  const auto& names = Key(parsed.tree, "names");
  EXPECT_EQ(names.subkeys, std::vector<std::string>{accentedName});
  EXPECT_EQ(names.values.at(std::string(16383, 'v')).data, std::string("longest\0", 8));
  EXPECT_EQ(names.values.size(), 2u);
  EXPECT_EQ(names.values.at("after").data, std::string("read\0", 5));
}

TEST(RegFile, HexDataRunningOffTheEndIsReported) {
  const Parsed parsed = Parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\\\n");
  ASSERT_EQ(parsed.problems.size(), 1u);
  EXPECT_EQ(parsed.problems[0].first, 3);
  EXPECT_TRUE(Key(parsed.tree, "a").values.empty());
}

}  // namespace
