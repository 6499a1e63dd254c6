// The real agent served by the real host, read with net-snmp's tools: the examples'
// rows, the agent's refusals, its traps, its unloading, and the AgentX role.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "e2e_support.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const std::string kBase = "1.3.6.1.4.1.15";
const fs::path kExamples = fs::path(QUILLON_SOURCE_DIR) / "examples";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The examples' rows in file order, from the counters file itself.
std::vector<std::string> SectionNames(const fs::path& file) {
  std::vector<std::string> names;
  const std::regex section(R"(^\[([0-9.]+)\]\s*$)");
  for (const std::string& line : Lines(ReadFile(file))) {
    std::smatch match;
    if (std::regex_match(line, match, section)) names.push_back(match[1]);
  }
  return names;
}

// A drive c: holding the examples (or other counters and trap files) and a registry
// that names them, with the debug log on.
class QuillonTest : public ::testing::Test {
 protected:
  void Configure(const fs::path& counters, const fs::path& traps, int trapDelayMs) {
    fs::create_directories(dir / "quillon");
    fs::copy_file(counters, dir / "quillon" / "counters.ini");
    fs::copy_file(traps, dir / "quillon" / "traps.ini");
    char delay[16];
    std::snprintf(delay, sizeof delay, "%08x", trapDelayMs);
    WriteFile(dir / "quillon.reg",
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]\n"
              "\"debug\"=\"1\"\n"
              "\"counters\"=\"c:\\\\quillon\\\\counters.ini\"\n"
              "\"traps\"=\"c:\\\\quillon\\\\traps.ini\"\n"
              "\"trap_delay\"=dword:" +
                  std::string(delay) + "\n\"collect_delay\"=dword:00000064\n");
  }
  void ConfigureExamples(int trapDelayMs = 600000) {
    Configure(kExamples / "counters.ini", kExamples / "traps.ini", trapDelayMs);
  }
  Environment AgentEnvironment() const {
    return {{"QUILLON_DRIVE_C", dir.Path().string()},
            {"QUILLON_REGISTRY", (dir / "quillon.reg").string()}};
  }
  std::string DebugLog() const { return ReadFile(dir / "log.txt"); }

  TempDir dir;
};

// Every row in file order, each INTEGER or STRING as the agent chose; rows of other
// regions in the walk are passed over.
void ExpectExampleRows(const std::string& walk) {
  const std::vector<std::string> rows = SectionNames(kExamples / "counters.ini");
  const std::regex typed(R"(^\.([0-9.]+) = (INTEGER: -?[0-9]+|STRING: ".*")$)");
  std::vector<std::string> oids;
  for (const std::string& line : WalkRows(walk)) {
    if (!line.starts_with("." + kBase + ".")) continue;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, typed)) << line;
    oids.push_back(match[1]);
  }
  EXPECT_EQ(RowsAnswered(oids, rows), rows) << walk;
  // The table of every processor: a name and a value for each.
  const auto cells = std::count_if(oids.begin(), oids.end(), [](const std::string& oid) {
    return oid.starts_with(kBase + ".1.7.");
  });
  EXPECT_TRUE(cells >= 2 && cells % 2 == 0) << walk;
  EXPECT_NE(walk.find(kBase + ".3.2.0 = INTEGER: 42"), std::string::npos) << walk;
  EXPECT_NE(walk.find(kBase + ".3.1.0 = STRING: \"Example rows"), std::string::npos) << walk;
}

TEST_F(QuillonTest, ExamplesWalkInFileOrderWithV1V2cAndBulk) {
  ConfigureExamples();
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  for (const std::string tool : {"snmpwalk -v1", "snmpwalk -v2c", "snmpbulkwalk -v2c"}) {
    const std::string program = tool.substr(0, tool.find(' '));
    const RunResult walk =
        Snmp(program, {tool.substr(tool.find(' ') + 1), "-c", "public", host.Target(), kBase});
    EXPECT_EQ(walk.exitCode, 0) << tool << walk.err;
    ExpectExampleRows(walk.out);
    // A walk enters the region through its first row, as in the standalone service.
    EXPECT_EQ(walk.out.find("." + kBase + " = "), std::string::npos) << walk.out;
  }
  EXPECT_EQ(host.Program().Err().find("Cannot find module"), std::string::npos);
}

TEST_F(QuillonTest, SubtreeWalksListTheRowsUnderTheirOid) {
  ConfigureExamples();
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  for (const std::string tool : {"snmpwalk", "snmpbulkwalk"}) {
    const RunResult walk = Snmp(tool, {"-v2c", "-c", "public", host.Target(), kBase + ".2"});
    EXPECT_EQ(walk.exitCode, 0) << tool << walk.err;
    const std::vector<std::string> rows = WalkRows(walk.out);
    ASSERT_EQ(rows.size(), 2u) << tool << walk.out;
    EXPECT_TRUE(rows[0].starts_with("." + kBase + ".2.1.0 = STRING: ")) << rows[0];
    EXPECT_TRUE(rows[1].starts_with("." + kBase + ".2.2.0 = STRING: ")) << rows[1];
  }
  const RunResult constants =
      Snmp("snmpwalk", {"-v2c", "-c", "public", host.Target(), kBase + ".3"});
  EXPECT_EQ(WalkRows(constants.out),
            (std::vector<std::string>{
                "." + kBase + ".3.1.0 = STRING: \"Example rows of the quillon SNMP agent\"",
                "." + kBase + ".3.2.0 = INTEGER: 42"}));
  const RunResult past = Snmp("snmpwalk", {"-v2c", "-c", "public", host.Target(), kBase + ".4"});
  EXPECT_TRUE(WalkRows(past.out).empty()) << past.out;
}

TEST_F(QuillonTest, ATableRowBetweenTwoRowsWalksAndReadsAsATableAndItsCellsAreChecked) {
  const fs::path counters = dir / "table.ini";
  WriteFile(counters, "[" + kBase + ".1.0]\ncounter=before\ntype=string\n\n[" + kBase +
                          ".2]\ncounter=Processor\\% Processor Time\\*\nflag=round\n\n[" + kBase +
                          ".3.0]\ncounter=after\ntype=string\n");
  Configure(counters, kExamples / "traps.ini", 600000);
  const fs::path fixtures = fs::path(QUILLON_SOURCE_DIR) / "tests" / "fixtures";
  Environment environment = AgentEnvironment();
  environment.emplace("QUILLON_PROC_ROOT",
                      (fixtures / "proc-a").string() + ":" + (fixtures / "proc-b").string());
  const std::string name = "." + kBase + ".2.1.";
  const std::string value = "." + kBase + ".2.2.";
  {
    Host host(QUILLON_AGENT_PATH, dir, environment);
    ASSERT_TRUE(host.Started()) << host.Program().Err();
    for (const std::string tool : {"snmpwalk", "snmpbulkwalk"}) {
      const RunResult walk = Snmp(tool, {"-v2c", "-c", "public", host.Target(), kBase});
      EXPECT_EQ(walk.exitCode, 0) << tool << walk.err;
      EXPECT_EQ(
          WalkRows(walk.out),
          (std::vector<std::string>{"." + kBase + ".1.0 = STRING: \"before\"",
                                    name + "1.48 = STRING: \"0\"", name + "1.49 = STRING: \"1\"",
                                    name + "6.95.84.111.116.97.108 = STRING: \"_Total\"",
                                    value + "1.48 = INTEGER: 60", value + "1.49 = INTEGER: 20",
                                    value + "6.95.84.111.116.97.108 = INTEGER: 40",
                                    "." + kBase + ".3.0 = STRING: \"after\""}))
          << tool;
    }
    // As a table reader reads it: one GETNEXT for both columns, row after row.
    const RunResult rows = Snmp(
        "snmpgetnext", {"-v2c", "-c", "public", host.Target(), kBase + ".2.1", kBase + ".2.2"});
    EXPECT_EQ(WalkRows(rows.out), (std::vector<std::string>{name + "1.48 = STRING: \"0\"",
                                                            value + "1.48 = INTEGER: 60"}));
    const RunResult last = Snmp("snmpgetnext", {"-v2c", "-c", "public", host.Target(),
                                                kBase + ".2.1.1.49", kBase + ".2.2.1.49"});
    EXPECT_EQ(WalkRows(last.out),
              (std::vector<std::string>{name + "6.95.84.111.116.97.108 = STRING: \"_Total\"",
                                        value + "6.95.84.111.116.97.108 = INTEGER: 40"}));
  }
  const RunResult check =
      RunProgram({EXTHOST_PATH, "--check", "-a", QUILLON_AGENT_PATH}, environment, 30s);
  EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  for (const std::string cell : {"1.48 = STRING: \"0\"", "1.49 = STRING: \"1\"",
                                 "6.95.84.111.116.97.108 = STRING: \"_Total\""}) {
    EXPECT_NE(check.out.find("\n  " + kBase + ".2.1." + cell + "\n"), std::string::npos)
        << cell << check.out;
  }
  EXPECT_NE(check.out.find("\n  " + kBase + ".2.2.1.49 = INTEGER: 20\n"), std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("check: 8 answered, 0 failed"), std::string::npos) << check.out;
}

TEST_F(QuillonTest, BaseOidAnswersTheIdentificationAndAMissingRowIsBadValueAtItsIndex) {
  ConfigureExamples();
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult base = Snmp("snmpget", {"-v2c", "-c", "public", host.Target(), kBase});
  EXPECT_NE(base.out.find("." + kBase + " = STRING: \"quillon"), std::string::npos) << base.out;

  const RunResult missing = Snmp("snmpget", {"-v1", "-c", "public", host.Target(), kBase + ".3.1.0",
                                             kBase + ".8.0", kBase + ".3.2.0"});
  EXPECT_NE(missing.err.find("(badValue)"), std::string::npos) << missing.err;
  EXPECT_NE(missing.err.find("Failed object: ." + kBase + ".8.0"), std::string::npos)
      << missing.err;
}

TEST_F(QuillonTest, CountersFileOutOfOidOrderEndsTheWalkWithoutALoop) {
  Configure(fs::path(QUILLON_FIXTURES) / "host" / "unordered.ini", kExamples / "traps.ini", 600000);
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult walk = Snmp("snmpwalk", {"-v2c", "-c", "public", host.Target(), kBase});
  EXPECT_EQ(walk.exitCode, 0) << walk.err;
  EXPECT_EQ(WalkRows(walk.out), (std::vector<std::string>{"." + kBase + ".5.0 = STRING: \"five\"",
                                                          "." + kBase + ".6.0 = STRING: \"six\""}));
  EXPECT_NE(host.Program().Err().find("answered " + kBase + ".2.0"), std::string::npos)
      << host.Program().Err();
}

TEST_F(QuillonTest, SetIsRefused) {
  ConfigureExamples();
  WriteFile(dir / "host.conf", "rwcommunity private 127.0.0.1\n");
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment(), {"-c", (dir / "host.conf").string()});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult set =
      Snmp("snmpset", {"-v2c", "-c", "private", host.Target(), kBase + ".3.2.0", "i", "7"});
  EXPECT_NE(set.exitCode, 0);
  EXPECT_NE(set.err.find("(genError)"), std::string::npos) << set.err;
  const RunResult after =
      Snmp("snmpget", {"-v2c", "-c", "private", host.Target(), kBase + ".3.2.0"});
  EXPECT_NE(after.out.find("INTEGER: 42"), std::string::npos) << after.out;
}

TEST_F(QuillonTest, TrapArrivesWithinTwoPeriodsAndSigtermUnloadsTheAgent) {
  constexpr int kTrapDelayMs = 2000;
  ConfigureExamples(kTrapDelayMs);
  const int trapPort = FreeUdpPort();
  Process trapd({SNMPTRAPD_PATH, "-f", "-C", "-Lo", "-On", "--disableAuthorization=yes",
                 "udp:127.0.0.1:" + std::to_string(trapPort)},
                dir.Path(), "trapd", {{"MIBS", ""}});
  ASSERT_TRUE(
      WaitFor([&] { return trapd.Out().find("NET-SNMP version") != std::string::npos; }, 10s));
  WriteFile(dir / "host.conf", "rocommunity public 127.0.0.1\ntrapsink 127.0.0.1:" +
                                   std::to_string(trapPort) + " public\n");
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment(), {"-c", (dir / "host.conf").string()});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const bool received =
      WaitFor([&] { return trapd.Out().find("Enterprise Specific Trap (1)") != std::string::npos; },
              std::chrono::milliseconds(2 * kTrapDelayMs));
  ASSERT_TRUE(received) << trapd.Out() << host.Program().Err();
  const std::string trap = trapd.Out();
  EXPECT_NE(trap.find("." + kBase + ".0"), std::string::npos) << trap;
  EXPECT_TRUE(std::regex_search(
      trap, std::regex("\\." + std::regex_replace(kBase, std::regex("\\."), "\\.") +
                       R"(\.9\.1\.0 = STRING: "[^"]+")")))
      << trap;
  EXPECT_TRUE(
      std::regex_search(trap, std::regex(R"(\.1\.3\.6\.1\.4\.1\.15\.9\.2\.0 = INTEGER: [0-9]+)")))
      << trap;

  EXPECT_EQ(host.Program().Stop(SIGTERM), 0);
  const std::string log = DebugLog();
  const size_t detach = log.find("DLL_PROCESS_DETACH");
  ASSERT_NE(detach, std::string::npos) << log;
  EXPECT_NE(log.find("clean", detach), std::string::npos) << log;
}

// The out-of-the-box service: no -f, no address, no configuration file.
TEST_F(QuillonTest, WithoutArgumentsGoesToTheBackgroundOnLoopbackPort1161WithCommunityPublic) {
  if (!PortIsFree(1161)) GTEST_SKIP() << "udp:127.0.0.1:1161 is taken";
  ConfigureExamples();
  const fs::path pidFile = dir / "host.pid";
  const RunResult start =
      RunProgram({EXTHOST_PATH, "-a", QUILLON_AGENT_PATH, "-p", pidFile.string(), "--state-dir",
                  (dir / "net-snmp-state").string()},
                 AgentEnvironment(), 10s);
  ASSERT_EQ(start.exitCode, 0) << start.err;
  const pid_t daemon = static_cast<pid_t>(std::stol(ReadFile(pidFile)));
  struct Reaper {  // it left our process group: end it here whatever happens below
    pid_t pid;
    ~Reaper() { kill(pid, SIGKILL); }
  } reaper{daemon};
  const RunResult get =
      Snmp("snmpget", {"-v2c", "-c", "public", "127.0.0.1:1161", kBase + ".3.2.0"});
  EXPECT_NE(get.out.find("INTEGER: 42"), std::string::npos) << get.out << get.err;
  kill(daemon, SIGTERM);
  EXPECT_TRUE(WaitFor([&] { return kill(daemon, 0) != 0; }, 5s));
}

TEST_F(QuillonTest, AgentxSubagentServesTheRowsThroughSnmpd) {
  ConfigureExamples();
  AgentxMaster master(SNMPD_PATH, dir);
  ASSERT_TRUE(master.Ready()) << master.Program().Out() << master.Program().Err();
  const std::string& socket = master.Socket();
  const int snmpdPort = master.Port();

  // The package's configuration, as its AgentX drop-in passes it: what only a standalone
  // service reads (rocommunity, sysServices, ...) is taken without a warning.
  Process host({EXTHOST_PATH, "-f", "-Le", "-a", QUILLON_AGENT_PATH, "-c",
                (fs::path(QUILLON_SOURCE_DIR) / "packaging" / "snmp-exthost.conf").string(),
                "--state-dir", (dir / "state").string(), "-x", socket},
               dir.Path(), "host", AgentEnvironment());
  const std::string target = "127.0.0.1:" + std::to_string(snmpdPort);
  RunResult walk;
  WaitFor(
      [&] {
        walk = Snmp("snmpwalk", {"-v2c", "-c", "public", target, "1.3.6.1.4.1"});
        return walk.out.find(kBase + ".3.2.0") != std::string::npos;
      },
      15s);
  ExpectExampleRows(walk.out);
  // A walk enters the region through its first row, as in the standalone service.
  EXPECT_EQ(walk.out.find("." + kBase + " = "), std::string::npos) << walk.out;
  EXPECT_EQ(host.Err().find("Unknown token"), std::string::npos) << host.Err();
  // The system group is the master's own, not the subagent's.
  const RunResult objectId = Snmp("snmpget", {"-v2c", "-c", "public", target, "1.3.6.1.2.1.1.2.0"});
  EXPECT_EQ(objectId.out.find("OID: ." + kBase + "\n"), std::string::npos) << objectId.out;
  EXPECT_NE(objectId.out.find("OID: ."), std::string::npos) << objectId.out << objectId.err;
  EXPECT_EQ(host.Stop(SIGTERM), 0) << host.Err();
}

}  // namespace
}  // namespace e2e
