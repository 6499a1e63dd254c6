#include "platform/posix/registry_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
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

const platform::posix::RegValueData& Value(const RegTree& tree, const std::string& key,
                                           const std::string& name) {
  return tree.keys.at(key).values.at(name);
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
  EXPECT_EQ(parsed.tree.keys.at("software\\types").subkeys,
            (std::vector<std::string>{"child a", "Child B"}));
  EXPECT_EQ(parsed.tree.keys.at("software\\deep").subkeys, std::vector<std::string>{"Er"});
  EXPECT_EQ(parsed.tree.keys.at("").subkeys, std::vector<std::string>{"Software"});
}

TEST(RegFile, ReportsEachMalformedLineWithItsNumberAndLoadsTheRest) {
  const Parsed parsed = ParseFixture("malformed.reg");
  std::vector<int> lines;
  for (const auto& [line, what] : parsed.problems) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<int>{5, 6, 7, 9, 12, 14, 18, 19}));
  EXPECT_EQ(parsed.problems[0].second, "expected \"name\"=value");
  EXPECT_NE(parsed.problems[5].second.find("HKEY_LOCAL_MACHINE"), std::string::npos);

  const auto& broken = parsed.tree.keys.at("software\\broken").values;
  EXPECT_EQ(broken.at("good1").data, std::string("one\0", 4));
  EXPECT_EQ(broken.at("good2").data, std::string("\2\0\0\0", 4));
  EXPECT_EQ(broken.at("good3").data, "\x01\x02");
  EXPECT_EQ(broken.size(), 3u);
  EXPECT_EQ(parsed.tree.keys.at("software\\broken\\after").values.at("good4").data,
            std::string("four\0", 5));
  EXPECT_FALSE(parsed.tree.keys.contains("software\\unclosed"));
}

TEST(RegFile, ATypeWithoutColonIsReportedAndTheRestLoads) {
  const Parsed parsed = Parse(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Other]\n\"a\"=dword\n\"b\"=hex\n\"c\"=hex(2)\n"
      "[HKEY_LOCAL_MACHINE\\Wanted]\n\"v\"=dword:7\n");
  std::vector<int> lines;
  for (const auto& [line, what] : parsed.problems) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<int>{3, 4, 5}));
  EXPECT_TRUE(parsed.tree.keys.at("other").values.empty());
  EXPECT_EQ(Value(parsed.tree, "wanted", "v").data, std::string("\7\0\0\0", 4));
}

TEST(RegFile, AFileWithoutHeaderIsRejectedAsAWhole) {
  const Parsed parsed = Parse("; exported\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"x\"\n");
  ASSERT_EQ(parsed.problems.size(), 1u);
  EXPECT_EQ(parsed.problems[0].first, 2);
  EXPECT_TRUE(parsed.tree.keys.empty());
}

TEST(RegFile, DeletionEntriesRemoveWhatCameBefore) {
  const Parsed parsed = Parse(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"v\"=\"x\"\n\"w\"=\"y\"\n\"w\"=-\n"
      "[HKEY_LOCAL_MACHINE\\C\\D]\n[-HKEY_LOCAL_MACHINE\\C]\n");
  EXPECT_TRUE(parsed.problems.empty());
  EXPECT_EQ(parsed.tree.keys.at("a\\b").values.size(), 1u);
  EXPECT_FALSE(parsed.tree.keys.contains("c"));
  EXPECT_FALSE(parsed.tree.keys.contains("c\\d"));
  EXPECT_EQ(parsed.tree.keys.at("").subkeys, std::vector<std::string>{"A"});
}

TEST(RegFile, HexDataRunningOffTheEndIsReported) {
  const Parsed parsed = Parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\\\n");
  ASSERT_EQ(parsed.problems.size(), 1u);
  EXPECT_EQ(parsed.problems[0].first, 3);
  EXPECT_TRUE(parsed.tree.keys.at("a").values.empty());
}

}  // namespace
