#include <gtest/gtest.h>

#include <stdlib.h>

#include <sstream>

#include "fake_pdh.h"
#include "perf/perf.h"
#include "provider/display_language.h"
#include "tool/commands.h"

namespace {

using Args = std::vector<std::string>;

// The tool's commands over a fake PDH, for the failures the provider never has.
class CtrviewCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QUILLON_REGISTRY", QUILLON_SOURCE_DIR "/tests/fixtures/ctrview/registry.reg", 1);
    setenv("LANG", "C", 1);
    provider::RereadDisplayLanguage();
    perf::UsePdh(pdh);
  }
  void TearDown() override { perf::UsePdh(platform::SystemPdh()); }

  std::string Run(const Args& args) {
    std::ostringstream out;
    ctrview::Run("ctrview", args, out);
    return out.str();
  }

  FakePdh pdh;
};

TEST_F(CtrviewCommands, ProgramFileNameTakesTheLastComponent) {
  EXPECT_EQ(ctrview::ProgramFileName("/usr/bin/ctrviewd.exe"), "ctrviewd.exe");
  EXPECT_EQ(ctrview::ProgramFileName("C:\\tools\\ctrviewd.exe"), "ctrviewd.exe");
  EXPECT_EQ(ctrview::ProgramFileName("ctrview"), "ctrview");
}

TEST_F(CtrviewCommands, FailedInitEndsTheReadoutWithoutClose) {
  pdh.openStatus = platform::kPdhInvalidArgument;
  EXPECT_EQ(Run({"Processor\\% Processor Time\\_Total"}), "perf.init=false\n");
  EXPECT_EQ(pdh.calls, Args{"OpenQuery"});
}

TEST_F(CtrviewCommands, ReadThatRunsOutOfMemoryReportsAndPrintsNull) {
  pdh.addRunsOutOfMemory = true;
  pdh.localNames = {{238, "Processor"}, {6, "% Processor Time"}};
  EXPECT_EQ(Run({"Processor\\% Processor Time\\_Total", "/raw"}), "getvalue:std::bad_alloc\nnull");
  EXPECT_EQ(pdh.Count("CloseQuery"), 1);
}

TEST_F(CtrviewCommands, ObjectWithoutLocalNameIsUnknown) {
  for (const char* command : {"/enumobjectitems", "/enumobjectcounters", "/enumobjectinstances"}) {
    pdh.calls.clear();
    EXPECT_EQ(Run({"processor", command}), "unknown object\n");
    EXPECT_EQ(pdh.Count("EnumObjectItemsProbe"), 0);
    // The translation ran inside a session that was closed before the listing.
    EXPECT_EQ(pdh.Count("CloseQuery"), 1);
  }
}

TEST_F(CtrviewCommands, FailedObjectListing) {
  EXPECT_EQ(Run({"/enumobjects"}), "enumobjects failed\n");
  pdh.objectList = MultiString({"A"});
  pdh.enumObjectsStatus = platform::kPdhInvalidArgument;
  EXPECT_EQ(Run({"/enumobjects"}), "enumobjects failed\n");
  EXPECT_EQ(pdh.Count("OpenQuery"), 0);
}

TEST_F(CtrviewCommands, ObjectListingPrintsEveryEntry) {
  Args many;
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    many.push_back("Object " + std::to_string(i));
    expected += many.back() + "\n";
  }
  pdh.objectList = MultiString(many);
  EXPECT_EQ(Run({"/enumobjects"}), expected);
}

}  // namespace
