#include <gtest/gtest.h>

#include "lib/numeric.h"
#include "perf/perf.h"
#include "perf_test_env.h"

namespace {

// A small English table and the German names a German machine gives its indices.
class TranslateTest : public PerfTest {
 protected:
  void SetUp() override {
    PerfTest::SetUp();
    perf::State.englishTable = {"2", "System", "238", "Processor", "6", "% Processor Time"};
    pdh.localNames = {{2, "System"}, {238, "Prozessor"}, {6, "Prozessorzeit (%)"}};
  }
};

TEST_F(TranslateTest, EnglishIndexIgnoresAsciiCaseOnly) {
  EXPECT_EQ(perf::EnglishIndex("processor"), 238);
  EXPECT_EQ(perf::EnglishIndex("% PROCESSOR TIME"), 6);  // the last pair
  EXPECT_EQ(perf::EnglishIndex("Processor "), 0);
  EXPECT_EQ(perf::EnglishIndex("238"), 0);  // index texts are not names
  perf::State.englishTable.push_back("7");  // a dangling index has no name
  EXPECT_EQ(perf::EnglishIndex("7"), 0);
}

TEST_F(TranslateTest, EnglishIndexRejectsAMalformedIndexText) {
  perf::State.englishTable = {"12a", "Processor"};
  try {
    perf::EnglishIndex("Processor");
    FAIL() << "no conversion error";
  } catch (const lib::EConvertError& failure) {
    EXPECT_STREQ(failure.what(), "'12a' is not a valid integer value");
  }
  EXPECT_THROW(perf::English2Local("Processor"), lib::EConvertError);
}

TEST_F(TranslateTest, English2LocalAsksThePlatformOnlyForKnownNames) {
  EXPECT_EQ(perf::English2Local("PROCESSOR"), "Prozessor");
  EXPECT_EQ(pdh.calls, std::vector<std::string>{"Lookup 238"});
  EXPECT_EQ(perf::English2Local("Prozessor"), "Prozessor");
  EXPECT_EQ(pdh.calls.size(), 1u);
  pdh.localNames.erase(238);
  EXPECT_EQ(perf::English2Local("Processor"), "");
  EXPECT_FALSE(DebugLogExists());
}

// Perflib has "009" and "CurrentLanguage" (and "007" on a German machine), as a
// current Windows has: no machine is a single-language one.
TEST_F(TranslateTest, EveryMachineHasMoreThanOneLanguage) {
  EXPECT_FALSE(perf::IsSingleLanguage());
  UseGermanNames();
  EXPECT_FALSE(perf::IsSingleLanguage());
}

TEST_F(TranslateTest, EnglishMachineTranslatesToTheCanonicalNames) {
  pdh.localNames = {{238, "Processor"}, {6, "% Processor Time"}};
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("processor\\% processor time\\_Total"),
            "\\Processor(_Total)\\% Processor Time");
  EXPECT_EQ(pdh.Count("Lookup"), 2);
}

TEST_F(TranslateTest, GermanMachineTranslatesObjectAndCounterButNotTheInstance) {
  UseGermanNames();
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\% Processor Time\\_Total"),
            "\\Prozessor(_Total)\\Prozessorzeit (%)");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\% Processor Time"),
            "\\Prozessor\\Prozessorzeit (%)");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\% processor time\\Processor"),
            "\\Prozessor(Processor)\\Prozessorzeit (%)");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("System\\C\\D\\E"), "\\System(D\\E)\\C");
  // Two adjacent backslashes make a counter that begins with one.
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\\\B"), "\\Prozessor\\\\B");
  EXPECT_FALSE(DebugLogExists());
}

TEST_F(TranslateTest, PathsThatDoNotSplitComeBackUnchanged) {
  UseGermanNames();
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("\\Processor\\% Processor Time"),
            "\\Processor\\% Processor Time");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor"), "Processor");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\"), "");
  EXPECT_EQ(DebugLines(), std::vector<std::string>(3, "English2Local: no match"));
  EXPECT_EQ(pdh.Count("MakePath"), 0);
}

TEST_F(TranslateTest, NameWithoutLocalNameFailsTheTranslation) {
  UseGermanNames();
  pdh.localNames.erase(6);
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\% Processor Time\\_Total"), "");
  EXPECT_EQ(DebugLines(), std::vector<std::string>{"English2Local: no match"});
}

TEST_F(TranslateTest, ConversionFailureIsLoggedAndTheNameStaysEnglish) {
  UseGermanNames();
  perf::State.englishTable = {"238", "Processor", "6x", "% Processor Time"};
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\% Processor Time"),
            "\\Prozessor\\% Processor Time");
  EXPECT_EQ(DebugLines(),
            std::vector<std::string>{"English2Local:'6x' is not a valid integer value"});
}

TEST_F(TranslateTest, MakePathFailuresAreLogged) {
  pdh.makePathProbeSize = 0;
  EXPECT_EQ(perf::makepathA("Processor", "% Processor Time", "_Total"), "");
  EXPECT_EQ(pdh.Count("MakePath"), 0);

  pdh.makePathProbeSize = UINT32_MAX;
  pdh.makePathStatus = platform::kPdhInvalidArgument;
  EXPECT_EQ(perf::makepathA("Processor", "% Processor Time", ""), "");
  EXPECT_EQ(perf::makepathA("A", "B", "C\\D"), "");
  EXPECT_EQ(DebugLines(),
            (std::vector<std::string>{"makepathA: failed to get buffer size",
                                      "Processor\\% Processor Time\\", "makepathA : C0000BBD",
                                      "A\\B\\C\\D", "makepathA : C0000BBD"}));
}

// What the platform is handed besides handles: the local machine in real time, the
// path elements of the composed path, a 255-byte name buffer, and no extras.
TEST_F(TranslateTest, PlatformCallsGetTheLocalMachineAndNoExtras) {
  UseGermanNames();
  const perf::EnglishTable table = perf::State.englishTable;
  ASSERT_TRUE(perf::init());
  perf::State.englishTable = table;
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\% Processor Time"),
            "\\Prozessor\\Prozessorzeit (%)");
  EXPECT_EQ(pdh.lastElements, "-|Prozessor|-|-|0|Prozessorzeit (%)");
  EXPECT_EQ(pdh.lookupBufferSize, 255u);
  const std::string path = perf::EnglishPath2LocalPDHPath("Processor\\% Processor Time\\_Total");
  EXPECT_EQ(pdh.lastElements, "-|Prozessor|_Total|-|FFFFFFFF|Prozessorzeit (%)");
  perf::GetRawValue(path, true, 0);
  perf::close();

  pdh.objectList = MultiString({"Prozessor"});
  pdh.counterList = MultiString({"Interrupts/s"});
  std::vector<std::string> objects, counters, instances;
  EXPECT_TRUE(perf::enumobjects(objects, false));
  EXPECT_TRUE(perf::enumobjectItems("Prozessor", counters, instances));
  EXPECT_EQ(pdh.Count("CounterInfo"), 1);
  EXPECT_EQ(pdh.unusualArguments, std::vector<std::string>{});
}

}  // namespace

namespace {

// The worked cases of an English machine, on the provider's own names.
TEST_F(PerfTest, ProviderTranslatesEnglishPathsToItsCanonicalNames) {
  perf::UsePdh(platform::SystemPdh());
  ASSERT_TRUE(perf::init());
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\% Processor Time\\_Total"),
            "\\Processor(_Total)\\% Processor Time");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("processor\\% processor time\\_Total"),
            "\\Processor(_Total)\\% Processor Time");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\% Processor Time"),
            "\\Processor\\% Processor Time");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("memory\\available bytes"), "\\Memory\\Available Bytes");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("\\Processor\\% Processor Time"),
            "\\Processor\\% Processor Time");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor"), "Processor");
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\"), "");
  EXPECT_TRUE(perf::close());
  EXPECT_EQ(DebugLines(), std::vector<std::string>(3, "English2Local: no match"));
}

TEST_F(PerfTest, ProviderTranslatesToGermanDisplayNames) {
  perf::UsePdh(platform::SystemPdh());
  UseGermanNames();
  ASSERT_TRUE(perf::init());
  EXPECT_EQ(perf::EnglishPath2LocalPDHPath("Processor\\% Processor Time\\_Total"),
            "\\Prozessor(_Total)\\Prozessorzeit (%)");
  EXPECT_EQ(perf::English2Local("memory"), "Arbeitsspeicher");
  EXPECT_TRUE(perf::close());
  EXPECT_FALSE(DebugLogExists());
}

}  // namespace
