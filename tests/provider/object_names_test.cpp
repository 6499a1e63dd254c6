#include <set>

#include "provider/objects/object_model.h"
#include "provider/perf_names.h"
#include "tests/provider/provider_test_support.h"

// The name table against the objects that use it.
namespace provider_test {
namespace {

class ObjectNames : public FixtureTest {};

TEST_F(ObjectNames, TableIsSortedByIndexWithoutDuplicates) {
  // Lookups search the table by halving it.
  const auto& names = provider::PerfNames();
  for (size_t i = 1; i < names.size(); ++i) {
    EXPECT_LT(names[i - 1].index, names[i].index) << names[i].english;
  }
  std::set<std::string> english, german;
  for (const provider::PerfName& name : names) {
    EXPECT_TRUE(english.insert(name.english).second) << name.english;
    EXPECT_TRUE(german.insert(name.german).second) << name.german;
  }
}

TEST_F(ObjectNames, EveryObjectAndCounterHasAnEnglishAndAGermanName) {
  for (const provider::ObjectSpec* object : provider::Objects()) {
    const provider::PerfName* name = provider::FindPerfName(object->nameIndex);
    ASSERT_NE(name, nullptr) << object->nameIndex;
    std::set<uint32_t> counters;
    for (const provider::CounterSpec& counter : object->counters) {
      EXPECT_NE(provider::FindPerfName(counter.nameIndex), nullptr)
          << name->english << " " << counter.nameIndex;
      EXPECT_TRUE(counters.insert(counter.nameIndex).second)
          << name->english << " " << counter.nameIndex;
    }
  }
}

// Each counter table names its counters in English beside their indices: a name
// that drifts from the name table fails here.
TEST_F(ObjectNames, EachCounterEntryCarriesTheEnglishNameOfItsIndex) {
  for (const provider::ObjectSpec* object : provider::Objects()) {
    for (const provider::CounterSpec& counter : object->counters) {
      const provider::PerfName* name = provider::FindPerfName(counter.nameIndex);
      ASSERT_NE(name, nullptr) << counter.english;
      EXPECT_STREQ(counter.english, name->english) << counter.nameIndex;
    }
  }
}

// Processor Information shows the Processor object's own samples of the times: the
// counters must compute them the same way.
TEST_F(ObjectNames, ProcessorInformationTimesAreTheProcessorCounters) {
  const auto& processor = provider::ProcessorObject().counters;
  size_t shared = 0;
  for (const provider::CounterSpec& counter : provider::ProcessorInformationObject().counters) {
    for (const provider::CounterSpec& own : processor) {
      if (own.nameIndex != counter.nameIndex) continue;
      EXPECT_EQ(own.type, counter.type) << counter.english;
      EXPECT_EQ(own.defaultScale, counter.defaultScale) << counter.english;
      ++shared;
    }
  }
  EXPECT_EQ(shared, 4u);
}

TEST_F(ObjectNames, GermanPathsReachTheNewObjects) {
  ScopedEnv lcAll("LC_ALL", "de_DE.UTF-8");
  EXPECT_EQ(OneCounter("\\Prozessorinformationen(0,_Total)\\Prozessorzeit (%)").addStatus(),
            platform::kPdhOk);
  EXPECT_EQ(OneCounter("\\Prozessorinformationen(_Total)\\Prozessorfrequenz").addStatus(),
            platform::kPdhOk);
  EXPECT_EQ(OneCounter("\\Auslagerungsdatei(_Total)\\Belegungsspitze (%)").addStatus(),
            platform::kPdhOk);
  EXPECT_EQ(OneCounter("\\TCPv4\\Gesendete Segmente/s").addStatus(), platform::kPdhOk);
  EXPECT_EQ(OneCounter("\\UDPv6\\Empfangene Datagramme/s").addStatus(), platform::kPdhOk);
  EXPECT_EQ(OneCounter("\\Paging File(_Total)\\% Usage").addStatus(),
            platform::kPdhCStatusNoObject);
}

}  // namespace
}  // namespace provider_test
