#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

const std::string kFixtures = QUILLON_SOURCE_DIR "/tests/fixtures";

// A c:\ of its own, removed afterwards.
class DriveC {
 public:
  DriveC() {
    std::string pattern = (fs::temp_directory_path() / "ctrview-c-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~DriveC() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }
  fs::path Log() const { return path_ / "log.txt"; }

 private:
  fs::path path_;
};

// The debug log's messages, without time stamps and line ends.
std::vector<std::string> LogMessages(const fs::path& log) {
  std::ifstream in(log, std::ios::binary);
  std::vector<std::string> messages;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    messages.push_back(line.substr(std::min<size_t>(15, line.size())));
  }
  return messages;
}

// ctrview over the fixture machine: two snapshots of /proc, one of /sys.
ProgramRun Ctrview(const Args& args, const std::string& lang, const fs::path& driveC,
                   const std::string& program = CTRVIEW_PROGRAM,
                   StandardOutput output = StandardOutput::kCaptured) {
  return RunProgram(program, args,
                    {{"QUILLON_DRIVE_C", driveC.string()},
                     {"QUILLON_REGISTRY", kFixtures + "/ctrview/registry.reg"},
                     {"QUILLON_PROC_ROOT", kFixtures + "/proc-a:" + kFixtures + "/proc-b"},
                     {"QUILLON_SYS_ROOT", kFixtures + "/sys-a"},
                     {"LANG", lang}},
                    output);
}

class CtrviewRun : public ::testing::Test {
 protected:
  ProgramRun English(const Args& args) { return Ctrview(args, "C", driveC.Path()); }
  ProgramRun German(const Args& args) { return Ctrview(args, "de_DE.UTF-8", driveC.Path()); }

  void ExpectOutput(const ProgramRun& run, const std::string& out) {
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitStatus, 0);
  }

  DriveC driveC;
};

TEST_F(CtrviewRun, NoArgumentsPrintTheUsageBlockAndBanner) {
  ExpectOutput(English({}),
               "Usage : ctrview \"Processor\\% Processor Time\\_Total\"\n"
               "Usage : ctrview \"Processor\\% Processor Time\\_Total\" /raw\n"
               "Usage : ctrview \"Processor\\% Processor Time\\_Total\" /pdh_path\n"
               "Usage : ctrview /enumobjects\n"
               "Usage : ctrview \"processor\" /enumobjectitems\n"
               "Usage : ctrview \"processor\" /enumobjectcounters\n"
               "Usage : ctrview \"processor\" /enumobjectinstances\n"
               "ctrview, part of quillon - contact: quillon maintainers <quillon@example.org>\n"
               "https://quillon.example.org\n");
}

TEST_F(CtrviewRun, ArgumentsThatChooseNoCommandPrintNothing) {
  for (const Args& args :
       {Args{"/raw"}, Args{"/ENUMOBJECTS"}, Args{"/pdh_path"},
        Args{"Processor\\% Processor Time", "/PDH_PATH"}, Args{"processor", "/enumobjects"},
        Args{"a", "b", "c"}, Args{"Processor\\% Processor Time", "/raw", "/raw"}}) {
    ExpectOutput(English(args), "");
  }
  EXPECT_FALSE(fs::exists(driveC.Log()));
}

TEST_F(CtrviewRun, PdhPathIsWrittenWithoutLineEnd) {
  ExpectOutput(English({"Processor\\% Processor Time\\_Total", "/pdh_path"}),
               "\\Processor(_Total)\\% Processor Time");
  // Perflib has more than one language, so an English machine translates too and
  // the path comes out in the machine's own spelling.
  ExpectOutput(English({"memory\\available bytes", "/pdh_path"}), "\\Memory\\Available Bytes");
  ExpectOutput(German({"Processor\\% Processor Time\\_Total", "/pdh_path"}),
               "\\Prozessor(_Total)\\Prozessorzeit (%)");
  ExpectOutput(German({"memory\\available bytes", "/pdh_path"}),
               "\\Arbeitsspeicher\\Verf\xC3\xBCgbare Bytes");
  ExpectOutput(English({"Processor\\", "/pdh_path"}), "");
}

TEST_F(CtrviewRun, ObjectListInBothLanguages) {
  ExpectOutput(English({"/enumobjects"}),
               "Processor\nMemory\nSystem\nNetwork Interface\nPhysicalDisk\nLogicalDisk\n"
               "Process\n"
               "Paging File\nProcessor Information\nIPv4\nIPv6\nTCPv4\nTCPv6\nUDPv4\nUDPv6\n");
  ExpectOutput(
      German({"/enumobjects"}),
      "Prozessor\nArbeitsspeicher\nSystem\nNetzwerkschnittstelle\n"
      "Physikalischer Datentr\xC3\xA4ger\nLogischer Datentr\xC3\xA4ger\nProzess\n"
      "Auslagerungsdatei\nProzessorinformationen\nIPv4\nIPv6\nTCPv4\nTCPv6\nUDPv4\nUDPv6\n");
}

TEST_F(CtrviewRun, ItemsAndPathsOfTheNewerObjects) {
  ExpectOutput(English({"paging file", "/enumobjectitems"}),
               "Paging File\\% Usage\\/dev/sda2\nPaging File\\% Usage Peak\\/dev/sda2\n"
               "Paging File\\% Usage\\/swap file\nPaging File\\% Usage Peak\\/swap file\n"
               "Paging File\\% Usage\\_Total\nPaging File\\% Usage Peak\\_Total\n");
  ExpectOutput(English({"processor information", "/enumobjectinstances"}),
               "0,0\n0,1\n0,_Total\n_Total\n");
  ExpectOutput(English({"udpv6", "/enumobjectitems"}),
               "UDPv6\\Datagrams/sec\nUDPv6\\Datagrams Received/sec\nUDPv6\\Datagrams Sent/sec\n"
               "UDPv6\\Datagrams No Port/sec\nUDPv6\\Datagrams Received Errors\n");
  ExpectOutput(English({"TCPv4", "/enumobjectcounters"}),
               "Segments/sec\nSegments Received/sec\nSegments Sent/sec\n"
               "Segments Retransmitted/sec\nConnections Established\nConnections Active\n"
               "Connections Passive\nConnection Failures\nConnections Reset\n");
  ExpectOutput(English({"Processor Information\\% Processor Time\\0,_Total", "/pdh_path"}),
               "\\Processor Information(0,_Total)\\% Processor Time");
  ExpectOutput(German({"Paging File\\% Usage Peak\\/swap file", "/pdh_path"}),
               "\\Auslagerungsdatei(/swap file)\\Belegungsspitze (%)");
}

TEST_F(CtrviewRun, ItemsOfAnObjectWithInstancesAreInstanceMajor) {
  std::string expected;
  for (const char* instance : {"0", "1", "_Total"}) {
    for (const char* counter : {"% Processor Time", "% User Time", "% Privileged Time",
                                "% Interrupt Time", "% Idle Time", "Interrupts/sec"}) {
      expected += std::string("Processor\\") + counter + "\\" + instance + "\n";
    }
  }
  ExpectOutput(English({"processor", "/enumobjectitems"}), expected);
  ExpectOutput(English({"PROCESSOR", "/enumobjectinstances"}), "0\n1\n_Total\n");
  ExpectOutput(German({"processor", "/enumobjectcounters"}),
               "Prozessorzeit (%)\nBenutzerzeit (%)\nPrivilegierte Zeit (%)\n"
               "Interruptzeit (%)\nLeerlaufzeit (%)\nInterrupts/s\n");
  const ProgramRun germanItems = German({"processor", "/enumobjectitems"});
  EXPECT_TRUE(germanItems.out.starts_with("Prozessor\\Prozessorzeit (%)\\0\n"));
}

TEST_F(CtrviewRun, ObjectWithoutInstances) {
  const std::string counters =
      "Available Bytes\nAvailable KBytes\nAvailable MBytes\nCommitted Bytes\nCommit Limit\n"
      "% Committed Bytes In Use\nCache Bytes\nPage Faults/sec\nPages/sec\n";
  ExpectOutput(English({"memory", "/enumobjectcounters"}), counters);
  ExpectOutput(English({"memory", "/enumobjectinstances"}), "");
  const ProgramRun items = English({"memory", "/enumobjectitems"});
  EXPECT_TRUE(items.out.starts_with("Memory\\Available Bytes\nMemory\\Available KBytes\n"));
  EXPECT_EQ(std::count(items.out.begin(), items.out.end(), '\n'), 9);
  // Outside a UTF-8 locale names come in the 8-bit Western code page, byte for byte.
  const ProgramRun latin1 = Ctrview({"memory", "/enumobjectcounters"}, "de_DE", driveC.Path());
  EXPECT_TRUE(latin1.out.starts_with("Verf\xFCgbare Bytes\n"));
}

TEST_F(CtrviewRun, ObjectMissingFromTheNameTableIsNotListed) {
  for (const char* command : {"/enumobjectitems", "/enumobjectcounters", "/enumobjectinstances"}) {
    ExpectOutput(English({"no such object", command}), "enumobjectItems failed\n");
  }
}

TEST_F(CtrviewRun, PathThatDoesNotTranslate) {
  ExpectOutput(English({"Processor\\"}), "could not translate path.\n");
  ExpectOutput(English({"Processor\\", "/raw"}), "could not translate path.\n");
}

std::string ManualPage(const std::string& name) {
  std::ifstream file(QUILLON_SOURCE_DIR "/man/" + name);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The manual page shows what the program prints for an unknown object or counter, and
// names the locale variables as the program reads them.
TEST_F(CtrviewRun, ManualPageShowsTheMessagesOfUnknownNamesAndTheLocaleRule) {
  const std::string page = ManualPage("ctrview.1");
  const std::string unknownObject = English({"No Such Object", "/enumobjectcounters"}).out;
  const std::string unknownCounter = English({"Processor\\No Such Counter\\_Total"}).out;
  EXPECT_EQ(unknownObject, "enumobjectItems failed\n");
  EXPECT_EQ(unknownCounter, "null");
  EXPECT_NE(
      page.find("For an unknown object the three listings print\n.BR \"enumobjectItems failed\""),
      std::string::npos);
  EXPECT_NE(page.find(".BR null ,\nand so does a path with an unknown object or counter"),
            std::string::npos);

  // An empty LC_ALL does not hide LANG.
  const ProgramRun german =
      RunProgram(CTRVIEW_PROGRAM, {"Processor\\% Processor Time\\_Total", "/pdh_path"},
                 {{"QUILLON_DRIVE_C", driveC.Path().string()},
                  {"QUILLON_REGISTRY", kFixtures + "/ctrview/registry.reg"},
                  {"QUILLON_PROC_ROOT", kFixtures + "/proc-a"},
                  {"QUILLON_SYS_ROOT", kFixtures + "/sys-a"},
                  {"LC_ALL", ""},
                  {"LANG", "de_DE.UTF-8"}});
  EXPECT_EQ(german.out, "\\Prozessor(_Total)\\Prozessorzeit (%)");
  for (const char* manual : {"ctrview.1", "quillon.5"}) {
    EXPECT_NE(ManualPage(manual).find(
                  ".BR LC_ALL \", \" LC_MESSAGES \", \" LANG\nThe first non-empty one:"),
              std::string::npos)
        << manual;
  }
}

// Readouts wait a second each, so they run side by side.
TEST(CtrviewReadout, ReadoutsAndTheirDebugLog) {
  struct Readout {
    Args args;
    std::string lang = "C";
    std::string program = CTRVIEW_PROGRAM;
    DriveC driveC;
    ProgramRun run;
  };
  const std::string total = "Processor\\% Processor Time\\_Total";
  Readout readouts[6];
  readouts[0].args = {total};
  readouts[1].args = {total, "/raw"};
  readouts[2].args = {total};
  readouts[2].lang = "de_DE";
  readouts[2].program = CTRVIEWD_PROGRAM;
  readouts[3].args = {"Processor\\% Processor Time\\7"};
  readouts[3].program = CTRVIEWD_PROGRAM;
  readouts[4].args = {"Processor\\% Processor Time\\7", "/raw"};
  readouts[5].args = {total};
  readouts[5].program = CTRVIEWD_PROGRAM;
  // The last one's c:\ cannot hold the log, so its "Vartype: " line fails.
  fs::remove_all(readouts[5].driveC.Path());
  std::vector<std::thread> threads;
  for (Readout& readout : readouts) {
    threads.emplace_back([&readout] {
      readout.run = Ctrview(readout.args, readout.lang, readout.driveC.Path(), readout.program);
    });
  }
  for (std::thread& thread : threads) thread.join();

  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(readouts[i].run.exitStatus, 0) << i;
    EXPECT_EQ(readouts[i].run.err, "") << i;
  }
  EXPECT_EQ(readouts[0].run.out, "40");
  EXPECT_EQ(readouts[1].run.out, "40");
  EXPECT_EQ(readouts[2].run.out, "40");
  EXPECT_EQ(readouts[3].run.out, "null");
  EXPECT_EQ(readouts[4].run.out, "null");
  EXPECT_FALSE(fs::exists(readouts[0].driveC.Log()));
  EXPECT_FALSE(fs::exists(readouts[4].driveC.Log()));
  EXPECT_EQ(LogMessages(readouts[2].driveC.Log()), Args{"Vartype: Double"});
  EXPECT_EQ(LogMessages(readouts[3].driveC.Log()),
            (Args{"PdhAddCounter: ret=800007D1", "Vartype: Null"}));

  EXPECT_EQ(readouts[5].run.exitStatus, 1);
  EXPECT_EQ(readouts[5].run.out, "");
  EXPECT_NE(readouts[5].run.err, "");
}

// Output that cannot be written is a failure: the I/O error on the error output
// and exit status 1, for the listings as for the readout.
TEST(CtrviewOutput, AFailedWriteEndsTheRunWithTheIoError) {
  DriveC driveC;
  for (StandardOutput output : {StandardOutput::kFullDevice, StandardOutput::kClosed}) {
    for (const Args& args :
         {Args{}, Args{"/enumobjects"}, Args{"processor", "/enumobjectitems"},
          Args{"Processor\\% Processor Time\\_Total", "/pdh_path"}, Args{"Processor\\", "/raw"}}) {
      const ProgramRun run = Ctrview(args, "C", driveC.Path(), CTRVIEW_PROGRAM, output);
      EXPECT_EQ(run.exitStatus, 1) << args.size();
      EXPECT_TRUE(run.err.starts_with("I/O error ")) << run.err;
    }
  }
  // Nothing to write is no failure.
  EXPECT_EQ(Ctrview({"/raw"}, "C", driveC.Path(), CTRVIEW_PROGRAM, StandardOutput::kFullDevice)
                .exitStatus,
            0);
}

TEST(CtrviewDebugName, OnlyTheExactNameSwitchesTheLogOn) {
  DriveC driveC;
  const ProgramRun debug =
      Ctrview({"Processor\\", "/pdh_path"}, "C", driveC.Path(), CTRVIEWD_PROGRAM);
  EXPECT_EQ(debug.out, "");
  EXPECT_EQ(LogMessages(driveC.Log()), Args{"English2Local: no match"});

  DriveC otherC;
  const fs::path upper = otherC.Path() / "CTRVIEWD.EXE";
  fs::create_symlink(CTRVIEW_PROGRAM, upper);
  Ctrview({"Processor\\", "/pdh_path"}, "C", otherC.Path(), upper.string());
  Ctrview({"Processor\\", "/pdh_path"}, "C", otherC.Path());
  EXPECT_FALSE(fs::exists(otherC.Log()));
}

}  // namespace
