#include <set>

#include "platform/posix/perflib.h"
#include "platform/registry.h"
#include "tests/provider/provider_test_support.h"

// Name tables, display language, counter paths and enumeration.
namespace provider_test {
namespace {

using namespace platform;

const std::string kPerflibKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\";

// The table as the registry serves it to a reader of Perflib.
std::vector<std::string> TableOf(const std::string& subkey) {
  RegKey key = 0;
  EXPECT_EQ(OpenRegKey(kHKeyLocalMachine, kPerflibKey + subkey, kKeyRead, &key), kErrorSuccess);
  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(QueryRegValue(key, "Counter", &type, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegMultiSz);
  std::vector<char> data(size);
  QueryRegValue(key, "Counter", &type, reinterpret_cast<uint8_t*>(data.data()), &size);
  CloseRegKey(key);
  return SplitMultiString(data);
}

std::string Lookup(uint32_t index) {
  char name[255] = {};
  uint32_t size = sizeof name;
  EXPECT_EQ(SystemPdh().LookupPerfNameByIndex(nullptr, index, name, &size), kPdhOk);
  return name;
}

class Names : public FixtureTest {};

TEST_F(Names, EnglishTableAlternatesUniqueEvenIndicesAndNames) {
  std::vector<std::string> table = TableOf("009");
  ASSERT_EQ(table.size() % 2, 0u);
  std::set<std::string> names;
  for (size_t i = 0; i < table.size(); i += 2) {
    EXPECT_EQ(std::stoul(table[i]) % 2, 0u) << table[i];
    EXPECT_TRUE(names.insert(table[i + 1]).second) << table[i + 1];
  }
  EXPECT_EQ(table[0], "2");
  EXPECT_EQ(table[1], "System");
  EXPECT_TRUE(names.count("% Processor Time"));
  // As on a current Windows: translation runs on an English machine too.
  EXPECT_EQ(posix::PerflibSubkeys(), (std::vector<std::string>{"009", "CurrentLanguage"}));
  EXPECT_EQ(TableOf("CurrentLanguage"), table);
  EXPECT_EQ(posix::PerflibMultiSz("007", "Counter"), nullptr);
  EXPECT_EQ(posix::PerflibMultiSz("009", "Help"), nullptr);
}

TEST_F(Names, GermanDisplayLanguageFollowsTheFirstNonEmptyLocaleVariable) {
  ScopedEnv lcAll("LC_ALL", "");
  ScopedEnv lcMessages("LC_MESSAGES", "de_DE.UTF-8");
  ScopedEnv lang("LANG", "en_US.UTF-8");
  EXPECT_EQ(posix::PerflibSubkeys(), (std::vector<std::string>{"007", "009", "CurrentLanguage"}));
  EXPECT_EQ(Lookup(238), "Prozessor");
  EXPECT_EQ(Lookup(6), "Prozessorzeit (%)");
  EXPECT_EQ(Lookup(4), "Arbeitsspeicher");
  EXPECT_EQ(TableOf("009")[1], "System");
  EXPECT_EQ(TableOf("007")[3], "Arbeitsspeicher");
  EXPECT_EQ(TableOf("CurrentLanguage"), TableOf("007"));
  EXPECT_EQ(OneCounter("\\Prozessor(_Total)\\Prozessorzeit (%)").addStatus(), kPdhOk);
  EXPECT_EQ(OneCounter("\\Processor(_Total)\\% Processor Time").addStatus(), kPdhCStatusNoObject);
  ScopedEnv latin1("LC_MESSAGES", "de_DE");
  EXPECT_EQ(Lookup(24), "Verf\xFCgbare Bytes");
}

TEST_F(Names, LookupProbesAndUnknownIndices) {
  EXPECT_EQ(Lookup(238), "Processor");
  uint32_t size = 0;
  EXPECT_EQ(SystemPdh().LookupPerfNameByIndex(nullptr, 238, nullptr, &size), kPdhMoreData);
  EXPECT_EQ(size, 10u);
  char name[255];
  size = sizeof name;
  EXPECT_EQ(SystemPdh().LookupPerfNameByIndex(nullptr, 3, name, &size), kPdhInvalidArgument);
}

TEST_F(Names, MakeCounterPathComposesWithoutMachineOrIndexAndProbesInCharacters) {
  PdhCounterPathElements elements{nullptr, "Processor", "_Total",
                                  nullptr, 0xFFFFFFFF,  "% Processor Time"};
  uint32_t size = 0;
  ASSERT_EQ(SystemPdh().MakeCounterPath(&elements, nullptr, &size, 0), kPdhMoreData);
  std::string expected = "\\Processor(_Total)\\% Processor Time";
  ASSERT_EQ(size, expected.size() + 1);
  std::vector<char> buffer(size);
  ASSERT_EQ(SystemPdh().MakeCounterPath(&elements, buffer.data(), &size, 0), kPdhOk);
  EXPECT_EQ(std::string(buffer.data()), expected);

  PdhCounterPathElements plain{nullptr, "Memory", nullptr, nullptr, 0, "Available Bytes"};
  size = 0;
  SystemPdh().MakeCounterPath(&plain, nullptr, &size, 0);
  buffer.assign(size, 'x');
  ASSERT_EQ(SystemPdh().MakeCounterPath(&plain, buffer.data(), &size, 0), kPdhOk);
  EXPECT_EQ(std::string(buffer.data()), "\\Memory\\Available Bytes");

  PdhCounterPathElements numbered{nullptr, "Process", "bash", nullptr, 1, "ID Process"};
  size = 64;
  buffer.assign(size, 0);
  ASSERT_EQ(SystemPdh().MakeCounterPath(&numbered, buffer.data(), &size, 0), kPdhOk);
  EXPECT_EQ(std::string(buffer.data()), "\\Process(bash#1)\\ID Process");
}

TEST_F(Names, EnumerationListsObjectsCountersAndInstancesInStableOrder) {
  uint32_t size = 0;
  ASSERT_EQ(pdh.EnumObjects(nullptr, nullptr, nullptr, &size, kPerfDetailWizard, 0xFFFFFFFF),
            kPdhMoreData);
  std::vector<char> objects(size);
  ASSERT_EQ(pdh.EnumObjects(nullptr, nullptr, objects.data(), &size, kPerfDetailWizard, 0), kPdhOk);
  EXPECT_EQ(SplitMultiString(objects),
            (std::vector<std::string>{"Processor", "Memory", "System", "Network Interface",
                                      "PhysicalDisk", "LogicalDisk", "Process", "Paging File",
                                      "Processor Information", "IPv4", "IPv6", "TCPv4", "TCPv6",
                                      "UDPv4", "UDPv6"}));

  uint32_t counterSize = 0, instanceSize = 0;
  ASSERT_EQ(pdh.EnumObjectItems(nullptr, nullptr, "Process", nullptr, &counterSize, nullptr,
                                &instanceSize, kPerfDetailWizard, 0),
            kPdhMoreData);
  std::vector<char> counters(counterSize), instances(instanceSize);
  ASSERT_EQ(pdh.EnumObjectItems(nullptr, nullptr, "process", counters.data(), &counterSize,
                                instances.data(), &instanceSize, kPerfDetailWizard, 0),
            kPdhOk);
  EXPECT_EQ(SplitMultiString(counters).front(), "% Processor Time");
  EXPECT_EQ(SplitMultiString(counters).size(), 10u);
  EXPECT_EQ(SplitMultiString(instances),
            (std::vector<std::string>{"init", "bash", "bash", "bigproc", "_Total"}));
}

TEST_F(Names, ObjectWithoutInstancesHasNoInstanceListAndUnknownObjectIsRefused) {
  uint32_t counterSize = 0, instanceSize = 0;
  ASSERT_EQ(pdh.EnumObjectItems(nullptr, nullptr, "Memory", nullptr, &counterSize, nullptr,
                                &instanceSize, kPerfDetailWizard, 0),
            kPdhMoreData);
  EXPECT_EQ(instanceSize, 0u);
  std::vector<char> counters(counterSize);
  ASSERT_EQ(pdh.EnumObjectItems(nullptr, nullptr, "Memory", counters.data(), &counterSize, nullptr,
                                &instanceSize, kPerfDetailWizard, 0),
            kPdhOk);
  EXPECT_EQ(SplitMultiString(counters)[0], "Available Bytes");
  EXPECT_EQ(pdh.EnumObjectItems(nullptr, nullptr, "Nonsense", nullptr, &counterSize, nullptr,
                                &instanceSize, kPerfDetailWizard, 0),
            kPdhCStatusNoObject);
}

TEST_F(Names, ObjectWhoseInstancesAreAllGoneHasTheEmptyList) {
  ScopedEnv procRoot("QUILLON_PROC_ROOT", FixturePath("sys-a").c_str());
  uint32_t counterSize = 0, instanceSize = 0;
  pdh.EnumObjectItems(nullptr, nullptr, "Network Interface", nullptr, &counterSize, nullptr,
                      &instanceSize, kPerfDetailWizard, 0);
  EXPECT_EQ(instanceSize, 2u);
}

}  // namespace
}  // namespace provider_test
