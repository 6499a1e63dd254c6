#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/posix/perflib.h"
#include "platform/posix/registry_file.h"
#include "platform/registry.h"
#include "registry_env.h"

namespace {

using namespace platform;

constexpr const char* kPerflib = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib";

RegKey Open(const std::string& path, int32_t expected = kErrorSuccess) {
  RegKey key = 0;
  EXPECT_EQ(OpenRegKey(kHKeyLocalMachine, path, kKeyRead, &key), expected) << path;
  return key;
}

std::string Query(RegKey key, const std::string& name) {
  uint32_t type = 0;
  uint32_t size = 0;
  if (QueryRegValue(key, name, &type, nullptr, &size) != kErrorSuccess) return "<missing>";
  std::string data(size, '\0');
  EXPECT_EQ(QueryRegValue(key, name, &type, reinterpret_cast<uint8_t*>(data.data()), &size),
            kErrorSuccess);
  return data;
}

std::vector<std::string> Subkeys(RegKey key) {
  std::vector<std::string> names;
  char name[256];
  for (uint32_t i = 0;; ++i) {
    uint32_t size = sizeof name;
    const int32_t status = EnumRegKey(key, i, name, &size);
    if (status == kErrorNoMoreItems) break;
    EXPECT_EQ(status, kErrorSuccess);
    names.emplace_back(name, size);
  }
  return names;
}

TEST(RegistryStandIn, QueriesFollowTheSizeProbeProtocol) {
  RegistryFileScope scope(Fixture("value_types.reg"));
  const RegKey key = Open("SOFTWARE\\TYPES");
  uint32_t type = 0;
  uint32_t size = 0;
  ASSERT_EQ(QueryRegValue(key, "Multi", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegMultiSz);
  EXPECT_EQ(size, 15u);
  uint8_t small[4] = {};
  size = sizeof small;
  EXPECT_EQ(QueryRegValue(key, "multi", &type, small, &size), kErrorMoreData);
  EXPECT_EQ(size, 15u);
  EXPECT_EQ(Query(key, "MULTI"), std::string("one\0two\0three\0\0", 15));
  EXPECT_EQ(Query(key, ""), std::string("default text\0", 13));
  EXPECT_EQ(QueryRegValue(key, "absent", &type, nullptr, &size), kErrorFileNotFound);
  EXPECT_EQ(CloseRegKey(key), kErrorSuccess);
}

TEST(RegistryStandIn, BadHandlesMissingKeysAndWriteAccessGiveWindowsCodes) {
  RegistryFileScope scope(Fixture("value_types.reg"));
  uint32_t size = 0;
  EXPECT_EQ(QueryRegValue(0, "x", nullptr, nullptr, &size), kErrorInvalidHandle);
  Open("Software\\Nowhere", kErrorFileNotFound);
  RegKey key = 0;
  EXPECT_EQ(OpenRegKey(kHKeyLocalMachine, "Software\\Types", 0x20006, &key), kErrorAccessDenied);
  key = Open("Software\\Types");
  ASSERT_EQ(CloseRegKey(key), kErrorSuccess);
  EXPECT_EQ(CloseRegKey(key), kErrorInvalidHandle);
  EXPECT_EQ(QueryRegValue(key, "Number", nullptr, nullptr, &size), kErrorInvalidHandle);
  RegKey child = 0;
  EXPECT_EQ(OpenRegKey(key, "x", kKeyRead, &child), kErrorInvalidHandle);
}

TEST(RegistryStandIn, SubkeysAreEnumeratedAndCounted) {
  RegistryFileScope scope(Fixture("value_types.reg"));
  const RegKey key = Open("Software\\Types");
  EXPECT_EQ(Subkeys(key), (std::vector<std::string>{"child a", "Child B"}));
  uint32_t count = 0;
  uint32_t longest = 0;
  ASSERT_EQ(QueryRegKeyInfo(key, &count, &longest), kErrorSuccess);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(longest, 7u);
  char name[7];
  uint32_t size = sizeof name;
  EXPECT_EQ(EnumRegKey(key, 0, name, &size), kErrorMoreData);
  RegKey child = 0;
  ASSERT_EQ(OpenRegKey(key, "CHILD B", kKeyRead, &child), kErrorSuccess);
  EXPECT_TRUE(Subkeys(child).empty());
  CloseRegKey(child);
  CloseRegKey(key);
  const RegKey deep = Open("software\\deep\\er\\key");
  EXPECT_EQ(Query(deep, "X"), std::string("y\0", 2));
  CloseRegKey(deep);
}

TEST(RegistryStandIn, AChangedFileIsReadAgainWhileOpenKeysKeepWhatTheyOpened) {
  ScratchDir dir;
  const auto file = dir.Write("r.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"old\"\n");
  RegistryFileScope scope(file);
  const RegKey before = Open("A");
  dir.Write("r.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"newer\"\n");
  const RegKey after = Open("A");
  EXPECT_EQ(Query(before, "v"), std::string("old\0", 4));
  EXPECT_EQ(Query(after, "v"), std::string("newer\0", 6));
  CloseRegKey(before);
  CloseRegKey(after);
}

TEST(RegistryStandIn, ThreadsOpenAndQueryWhileTheFileChanges) {
  ScratchDir dir;
  RegistryFileScope scope(dir.Write("r.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"0\"\n"));
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([] {
      for (int i = 0; i < 300; ++i) {
        RegKey key = 0;
        if (OpenRegKey(kHKeyLocalMachine, "A", kKeyRead, &key) != kErrorSuccess) continue;
        EXPECT_NE(Query(key, "v"), "<missing>");
        EXPECT_EQ(CloseRegKey(key), kErrorSuccess);
      }
    });
  }
  // Replaced whole, as an editor saves it, so that readers never see half a file.
  for (int i = 1; i <= 30; ++i) {
    const auto next = dir.Write(
        "next.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"" + std::string(i, 'x') + "\"\n");
    std::filesystem::rename(next, next.parent_path() / "r.reg");
  }
  for (auto& reader : readers) reader.join();
}

TEST(RegistryStandIn, MalformedLinesAreReportedOnceWithFileAndLine) {
  RegistryFileScope scope(Fixture("malformed.reg"));
  // Another file first, so that this one is surely read anew.
  {
    RegistryFileScope other(Fixture("value_types.reg"));
    CloseRegKey(Open("Software"));
  }
  testing::internal::CaptureStderr();
  const RegKey key = Open("Software\\Broken");
  const std::string first = testing::internal::GetCapturedStderr();
  EXPECT_NE(first.find(Fixture("malformed.reg").string() + ":5: expected \"name\"=value\n"),
            std::string::npos)
      << first;
  EXPECT_NE(first.find("malformed.reg:19: "), std::string::npos);
  EXPECT_EQ(Query(key, "good2"), std::string("\2\0\0\0", 4));
  CloseRegKey(key);
  testing::internal::CaptureStderr();
  CloseRegKey(Open("Software\\Broken"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(RegistryStandIn, ReadsUtf16LittleEndianFiles) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wide]\r\n"
      "\"Name\"=\"caf\xc3\xa9\"\r\n";
  std::string wide = "\xFF\xFE";
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0xC3) {  // the one two-byte sequence above: U+00E9
      wide += '\xE9';
      wide += '\0';
      ++i;
      continue;
    }
    wide += static_cast<char>(c);
    wide += '\0';
  }
  ScratchDir dir;
  RegistryFileScope scope(dir.Write("wide.reg", wide));
  const RegKey key = Open("Software\\Wide");
  EXPECT_EQ(Query(key, "name"), std::string("caf\xc3\xa9\0", 6));
  CloseRegKey(key);
}

// The registry and snmp-exthost --check name the file the same way.
TEST(RegistryStandIn, TheFileIsQuillonRegistryWhenSetAndNotEmptyElseTheDefault) {
  {
    RegistryFileScope scope("/srv/q.reg");
    const posix::RegistryFileName file = posix::RegistryFile();
    EXPECT_EQ(file.path, "/srv/q.reg");
    EXPECT_TRUE(file.fromEnvironment);
  }
  RegistryFileScope scope("");
  const posix::RegistryFileName file = posix::RegistryFile();
  EXPECT_EQ(file.path, "/etc/quillon/registry.reg");
  EXPECT_FALSE(file.fromEnvironment);
}

TEST(RegistryStandIn, PerflibComesFromTheCounterProviderNotTheFile) {
  ScratchDir dir;
  RegistryFileScope scope(dir.Write("p.reg",
                                    "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows "
                                    "NT\\CurrentVersion\\Perflib\\042]\n\"Counter\"=\"x\"\n"));
  const RegKey perflib = Open("SOFTWARE\\microsoft\\windows nt\\currentversion\\PERFLIB");
  EXPECT_EQ(Subkeys(perflib), posix::PerflibSubkeys());
  CloseRegKey(perflib);
  Open(std::string(kPerflib) + "\\042", kErrorFileNotFound);

  const std::string english = posix::PerflibSubkeys().front();
  const RegKey table = Open(std::string(kPerflib) + "\\" + english);
  const std::string* served = posix::PerflibMultiSz(english, "Counter");
  EXPECT_EQ(Query(table, "Counter"), served ? *served : "<missing>");
  CloseRegKey(table);

  const RegKey parent = Open("Software\\Microsoft\\Windows NT\\CurrentVersion");
  EXPECT_EQ(Subkeys(parent), std::vector<std::string>{"Perflib"});
  CloseRegKey(parent);
}

// A key line of thousands of levels once cost time and memory growing with the square of
// its depth; the registry holds 512 levels, and the file is read in one pass.
TEST(RegistryStandIn, AKeyDeeperThanTheRegistryHoldsIsRefusedWithItsFileAndLine) {
  std::string deep;
  for (int i = 0; i < 513; ++i) deep += "\\K";
  ScratchDir dir;
  const auto file = dir.Write("deep.reg",
                              "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Shallow]\n\"v\"=\"x\"\n"
                              "[HKEY_LOCAL_MACHINE" +
                                  deep + "]\n\"v\"=\"y\"\n");
  RegistryFileScope scope(file);
  testing::internal::CaptureStderr();
  Open(deep.substr(1), kErrorFileNotFound);
  EXPECT_EQ(
      testing::internal::GetCapturedStderr(),
      file.string() + ":4: key 513 levels deep, deeper than the registry's 512; key skipped\n");
  const RegKey root = Open("");
  EXPECT_EQ(Subkeys(root), (std::vector<std::string>{"Shallow", "Software"}));
  CloseRegKey(root);
}

TEST(RegistryStandIn, AMissingFileLeavesOnlyPerflib) {
  ScratchDir dir;
  RegistryFileScope scope(dir.Write("unused", "").parent_path() / "absent.reg");
  testing::internal::CaptureStderr();
  Open("Software\\quillon\\currentversion", kErrorFileNotFound);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("absent.reg: registry file not found"),
            std::string::npos);
  CloseRegKey(Open(kPerflib));
}

}  // namespace
