// snmp-exthost as an administrator runs it: why an agent does not start, the --check of
// a configuration, the command line, SIGHUP, -u and -g, the pid file and the AgentX role when
// the master comes late or goes away.

#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "e2e_support.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const std::string kBase = "1.3.6.1.4.1.15";
const fs::path kExamples = fs::path(QUILLON_SOURCE_DIR) / "examples";

// A drive c: under a temporary directory, a registry naming c:\quillon\counters.ini and
// c:\quillon\traps.ini, and whatever counters and trap files a test writes there.
class OperationsTest : public ::testing::Test {
 protected:
  OperationsTest() { fs::create_directories(dir / "quillon"); }

  void WriteRegistry(const std::string& debug = "1", int trapDelayMs = 600000,
                     const std::string& counters = "counters.ini") {
    char delay[16];
    std::snprintf(delay, sizeof delay, "%08x", trapDelayMs);
    WriteFile(dir / "quillon.reg",
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]\n"
              "\"debug\"=\"" +
                  debug +
                  "\"\n"
                  "\"counters\"=\"c:\\\\quillon\\\\" +
                  counters +
                  "\"\n"
                  "\"traps\"=\"c:\\\\quillon\\\\traps.ini\"\n"
                  "\"trap_delay\"=dword:" +
                  std::string(delay) + "\n");
  }
  void UseExamples(int trapDelayMs = 600000) {
    fs::copy_file(kExamples / "counters.ini", dir / "quillon" / "counters.ini");
    fs::copy_file(kExamples / "traps.ini", dir / "quillon" / "traps.ini");
    WriteRegistry("1", trapDelayMs);
  }
  Environment AgentEnvironment() const {
    return {{"QUILLON_DRIVE_C", dir.Path().string()},
            {"QUILLON_REGISTRY", (dir / "quillon.reg").string()}};
  }
  RunResult Get(const std::string& target, const std::string& community, const std::string& row) {
    return Snmp("snmpget", {"-v2c", "-c", community, target, row});
  }

  TempDir dir;
};

TEST_F(OperationsTest, FailedInitNamesTheRegistryFileTheKeyAndWhatEachFileIs) {
  WriteRegistry();
  WriteFile(dir / "quillon" / "traps.ini", "[1.3.6.1.4.1.15.9.1.0]\nscript=id\n");
  fs::permissions(dir / "quillon" / "traps.ini", fs::perms::others_write, fs::perm_options::add);
  const std::vector<std::string> command = {EXTHOST_PATH, "-f", "-a", QUILLON_AGENT_PATH,
                                            "udp:127.0.0.1:" + std::to_string(FreeUdpPort())};
  const RunResult noCounters = RunProgram(command, AgentEnvironment(), 10s);
  EXPECT_EQ(noCounters.exitCode, 1);
  const std::string& report = noCounters.err;
  EXPECT_NE(report.find("returned FALSE"), std::string::npos) << report;
  EXPECT_NE(report.find("registry file " + (dir / "quillon.reg").string() +
                        " (QUILLON_REGISTRY): readable"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("key HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion:"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("\"counters\" = \"c:\\quillon\\counters.ini\" -> " +
                        (dir / "quillon" / "counters.ini").string() + ": not found"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("traps.ini: refused: writable by group or others"), std::string::npos)
      << report;

  Environment missingRegistry = AgentEnvironment();
  missingRegistry["QUILLON_REGISTRY"] = (dir / "absent.reg").string();
  const RunResult noRegistry = RunProgram(command, missingRegistry, 10s);
  EXPECT_EQ(noRegistry.exitCode, 1);
  EXPECT_NE(noRegistry.err.find("absent.reg (QUILLON_REGISTRY): not found"), std::string::npos)
      << noRegistry.err;
}

TEST_F(OperationsTest, CheckReadsEveryRowAndTrapBindingAndShowsTheDebugLinesOfThoseThatFail) {
  WriteRegistry("1", 300);
  WriteFile(dir / "quillon" / "counters.ini",
            "[1.3.6.1.4.1.15.1.0]\ncounter=one\ntype=string\n\n"
            "[1.3.6.1.4.1.15.2.0]\ncounter=Nothing\\Such Counter\n\n"
            "[1.3.6.1.4.1.15.3.0]\ncounter=false\ntype=exec\n\n"
            "[1.3.6.1.4.1.15.4.0]\ncounter=echo 4\ntype=exec\n");
  WriteFile(dir / "quillon" / "traps.ini",
            "[1.3.6.1.4.1.15.9.1.0]\nscript=/nonexistent/script\n\n"
            "[1.3.6.1.4.1.15.9.2.0]\nscript=echo 7\n");
  const RunResult check = RunProgram({EXTHOST_PATH, "--check", "--traps", "-a", QUILLON_AGENT_PATH},
                                     AgentEnvironment(), 30s);
  EXPECT_EQ(check.exitCode, 1) << check.out << check.err;
  const std::string& out = check.out;
  EXPECT_NE(out.find("  " + kBase + ".1.0 = STRING: \"one\"\n"), std::string::npos) << out;
  EXPECT_NE(out.find("FAIL " + kBase + ".2.0: genErr\n"), std::string::npos) << out;
  EXPECT_NE(out.find("| "), std::string::npos) << out;
  EXPECT_NE(out.find("PdhAddCounter: ret="), std::string::npos) << out;
  EXPECT_NE(out.find("FAIL " + kBase + ".3.0: genErr\n"), std::string::npos) << out;
  // The walk goes on past the failing rows, where a manager's walk stops.
  EXPECT_NE(out.find("  " + kBase + ".4.0 = INTEGER: 4\n"), std::string::npos) << out;
  EXPECT_NE(out.find("FAIL " + kBase + ".9.1.0: no value from script /nonexistent/script"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(", executing /nonexistent/script"), std::string::npos) << out;
  EXPECT_NE(out.find("  " + kBase + ".9.2.0 = INTEGER: 7\n"), std::string::npos) << out;
  EXPECT_NE(out.find("check: 3 answered, 3 failed"), std::string::npos) << out;
}

TEST_F(OperationsTest, CheckListsTheTrapBindingsWithTheirScriptsWithoutWaitingForTheTrap) {
  UseExamples(600000);
  WriteFile(dir / "quillon" / "traps.ini",
            "[1.3.6.1.4.1.15.9.1.0]\nscript=hostname\n\n[1.3.6.1.4.1.15.9.2.0]\nscript=\n");
  const auto started = std::chrono::steady_clock::now();
  const RunResult check =
      RunProgram({EXTHOST_PATH, "--check", "-a", QUILLON_AGENT_PATH}, AgentEnvironment(), 30s);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 20s) << "a trap timer of 10 minutes";
  EXPECT_EQ(check.exitCode, 1) << check.out << check.err;
  const std::string& out = check.out;
  EXPECT_NE(out.find(kBase + ".3.2.0 = INTEGER: 42"), std::string::npos) << out;
  EXPECT_NE(out.find("  " + kBase + ".9.1.0: script hostname\n"), std::string::npos) << out;
  EXPECT_NE(out.find("FAIL " + kBase + ".9.2.0: no script\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("waiting"), std::string::npos) << out;
  // The script is listed, not run: the trap line of the agent's log does not appear.
  EXPECT_EQ(ReadFile(dir / "log.txt").find("executing hostname"), std::string::npos);
}

TEST_F(OperationsTest, CheckListsTheRowsAsTheAgentDoesAndGoesOnPastANameThatIsNoOid) {
  WriteRegistry("1");
  WriteFile(dir / "quillon" / "counters.ini",
            "[1.3.6.1.4.1.15.1.0]\ncounter=one\ntype=string\n\n"
            "[general]\ncounter=word\ntype=string\n\n"
            "[1.3.6.1.4.1.15.2.0" +
                std::string(2, '\0') +
                "1.3.6.1.4.1.15.9.0]\ncounter=shared\ntype=string\n\n"
                "[1.3.6.1.4.1.15.10.0]\ncounter=ten\ntype=string\n");
  WriteFile(dir / "quillon" / "traps.ini", "[1.3.6.1.4.1.15.9.1.0]\nscript=hostname\n");
  const RunResult check =
      RunProgram({EXTHOST_PATH, "--check", "-a", QUILLON_AGENT_PATH}, AgentEnvironment(), 30s);
  EXPECT_EQ(check.exitCode, 1) << check.out << check.err;
  const std::string& out = check.out;
  // Each name of the listing in file order, with the agent's answer or its failure.
  const std::vector<std::string> rows = {kBase + ".1.0", "general", kBase + ".2.0", kBase + ".9.0",
                                         kBase + ".10.0"};
  size_t at = 0;
  for (const std::string& row : rows) {
    const size_t answered = out.find("\n  " + row + " = ", at);
    const size_t failed = out.find("\n  FAIL " + row + ": ", at);
    at = std::min(answered, failed);
    ASSERT_NE(at, std::string::npos) << row << "\n" << out;
  }
  EXPECT_NE(out.find("  FAIL general: the section name is not an OID in dotted decimal, so no "
                     "manager can read this row\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("  " + kBase + ".10.0 = STRING: \"ten\"\n"), std::string::npos) << out;
}

TEST_F(OperationsTest, CheckOfTheExamplesAnswersEveryRow) {
  UseExamples(300);
  const RunResult check =
      RunProgram({EXTHOST_PATH, "--check", "-a", QUILLON_AGENT_PATH}, AgentEnvironment(), 30s);
  EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  EXPECT_NE(check.out.find(kBase + ".3.2.0 = INTEGER: 42"), std::string::npos) << check.out;
  EXPECT_EQ(check.out.find("FAIL"), std::string::npos) << check.out;
}

TEST_F(OperationsTest, HelpAndVersionAnswerWithoutStartingAnything) {
  for (const std::string word : {"-h", "--help"}) {
    const RunResult help = RunProgram({EXTHOST_PATH, word});
    EXPECT_EQ(help.exitCode, 0) << word;
    for (const std::string option : {"-u USER", "-g GROUP", "--check", "--version", "-p PIDFILE"}) {
      EXPECT_NE(help.out.find(option), std::string::npos) << word << ": " << option;
    }
  }
  for (const std::string word : {"-v", "--version"}) {
    const RunResult version = RunProgram({EXTHOST_PATH, word});
    EXPECT_EQ(version.exitCode, 0) << word;
    EXPECT_EQ(version.out, "snmp-exthost (quillon) 1.0.0.0\n") << word;
  }
}

TEST_F(OperationsTest, SighupRereadsTheConfigurationAndReloadsTheAgentAndThePidFileGoesAtExit) {
  UseExamples();
  const std::string second = "udp:127.0.0.1:" + std::to_string(FreeUdpPort());
  WriteFile(dir / "host.conf", "agentaddress " + second + "\nrocommunity public 127.0.0.1\n");
  const fs::path pidFile = dir / "host.pid";
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment(),
            {"-c", (dir / "host.conf").string(), "-p", pidFile.string()});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  EXPECT_EQ(ReadFile(pidFile), std::to_string(host.Program().Pid()) + "\n");
  EXPECT_NE(Get(host.Target(), "public", kBase + ".3.2.0").out.find("INTEGER: 42"),
            std::string::npos);

  // A new community and a new counters file, which the agent reads only at load.
  WriteFile(dir / "host.conf", "agentaddress " + second + "\nrocommunity other 127.0.0.1\n");
  WriteFile(dir / "quillon" / "reloaded.ini", "[1.3.6.1.4.1.15.3.2.0]\ncounter=43\ntype=string\n");
  WriteRegistry("1", 600000, "reloaded.ini");
  kill(host.Program().Pid(), SIGHUP);
  RunResult after;
  EXPECT_TRUE(WaitFor(
      [&] {
        after = Get(host.Target(), "other", kBase + ".3.2.0");
        return after.out.find("INTEGER: 43") != std::string::npos;
      },
      15s))
      << after.out << after.err << host.Program().Err();
  EXPECT_TRUE(host.Program().Running());
  EXPECT_NE(Get(host.Target(), "public", kBase + ".3.2.0").exitCode, 0);
  const std::string log = ReadFile(dir / "log.txt");
  const size_t detach = log.find("DLL_PROCESS_DETACH");
  ASSERT_NE(detach, std::string::npos) << log;
  EXPECT_NE(log.find("SnmpExtensionInit", detach), std::string::npos) << log;

  // Each reload names the listening addresses as they are: once each.
  kill(host.Program().Pid(), SIGHUP);
  const std::string serving =
      "snmp-exthost: serving " + std::string(QUILLON_AGENT_PATH) + " (region " + kBase +
      ") on udp:127.0.0.1:" + std::to_string(host.Port()) + "," + second + "\n";
  const auto servingLines = [&] {
    const std::string err = host.Program().Err();
    size_t count = 0;
    for (size_t at = err.find(serving); at != std::string::npos; at = err.find(serving, at + 1)) {
      ++count;
    }
    return count;
  };
  EXPECT_TRUE(WaitFor([&] { return servingLines() == 3; }, 15s)) << host.Program().Err();

  // An agent that no longer starts ends the service, with the reason, and not as a success.
  WriteRegistry("1", 600000, "absent.ini");
  kill(host.Program().Pid(), SIGHUP);
  EXPECT_TRUE(WaitFor([&] { return !host.Program().Running(); }, 15s)) << host.Program().Err();
  EXPECT_EQ(host.Program().Stop(SIGTERM), 1) << host.Program().Err();
  EXPECT_NE(host.Program().Err().find("absent.ini: not found"), std::string::npos)
      << host.Program().Err();
  EXPECT_NE(host.Program().Err().find("snmp-exthost: no agent after SIGHUP; stopping"),
            std::string::npos)
      << host.Program().Err();
  EXPECT_FALSE(fs::exists(pidFile));
}

TEST_F(OperationsTest, TheServiceLogsAFailingRowOncePerRowAndStatusWithTheDebugLogOff) {
  WriteRegistry("0");
  WriteFile(dir / "quillon" / "counters.ini",
            "[1.3.6.1.4.1.15.1.0]\ncounter=one\ntype=string\n\n"
            "[1.3.6.1.4.1.15.2.0]\ncounter=Processor\\No Such Counter\\_Total\nflag=norefresh\n\n"
            "[1.3.6.1.4.1.15.3.0]\ncounter=false\ntype=exec\n");
  WriteFile(dir / "quillon" / "traps.ini", "");
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  for (int walk = 0; walk < 2; ++walk) {
    const RunResult result = Snmp("snmpwalk", {"-v2c", "-c", "public", host.Target(), kBase});
    EXPECT_NE(result.err.find("genErr"), std::string::npos) << result.out << result.err;
  }
  EXPECT_NE(Get(host.Target(), "public", kBase + ".3.0").err.find("badValue"), std::string::npos);
  const std::string counterRow =
      "snmp-exthost: row " + kBase +
      ".2.0 failed: genErr; its counter path Processor\\No Such Counter\\_Total names no counter "
      "here (\\Processor(_Total)\\No Such Counter): list the object's counters with ctrview "
      "\"Processor\" /enumobjectcounters\n";
  const std::string commandRow = "snmp-exthost: row " + kBase + ".3.0 failed: badValue\n";
  EXPECT_TRUE(
      WaitFor([&] { return host.Program().Err().find(commandRow) != std::string::npos; }, 10s))
      << host.Program().Err();
  const std::string err = host.Program().Err();
  EXPECT_NE(err.find(counterRow), std::string::npos) << err;
  EXPECT_EQ(err.find(counterRow), err.rfind(counterRow)) << "once a minute: " << err;
  EXPECT_EQ(err.find("row " + kBase + ".1.0"), std::string::npos) << err;
}

TEST_F(OperationsTest, UserOptionDropsPrivilegesAfterTheListenerOpensAndCommandsRunAsTheUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to switch users";
  // The user must reach the files: the temporary directory is private to root.
  fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  WriteRegistry("0");
  WriteFile(dir / "quillon" / "counters.ini", "[1.3.6.1.4.1.15.1.0]\ncounter=id -un\ntype=exec\n");
  WriteFile(dir / "quillon" / "traps.ini", "");
  const fs::path pidFile = dir / "host.pid";
  // A privileged port: only root can open it, so it was opened before the switch.
  const int port = 999;
  if (!PortIsFree(port)) GTEST_SKIP() << "udp:127.0.0.1:999 is taken";
  Process host({EXTHOST_PATH, "--state-dir", (dir / "net-snmp-state").string(), "-f", "-Le", "-a",
                QUILLON_AGENT_PATH, "-u", "nobody", "-p", pidFile.string(),
                "udp:127.0.0.1:" + std::to_string(port)},
               dir.Path(), "host", AgentEnvironment());
  ASSERT_TRUE(
      WaitFor([&] { return host.Err().find("snmp-exthost: serving") != std::string::npos; }, 10s))
      << host.Err();
  const RunResult row = Get("127.0.0.1:" + std::to_string(port), "public", kBase + ".1.0");
  EXPECT_NE(row.out.find("STRING: \"nobody\""), std::string::npos) << row.out << row.err;
  EXPECT_EQ(host.Stop(SIGTERM), 0) << host.Err();
  // /tmp's directory is root's: the user can no longer remove the file, only empty it.
  EXPECT_TRUE(!fs::exists(pidFile) || ReadFile(pidFile).empty());
}

// Started with root's group and more supplementary ones, as a shell of an administrator may
// start it: none of them may stay with the service or its commands after -u.
TEST_F(OperationsTest, UserOptionLeavesNoneOfTheGroupsTheServiceStartedWith) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to switch users";
  fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  WriteRegistry("0");
  const fs::path secret = dir / "root-group-only";
  WriteFile(secret, "readable by root's group\n");
  fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFile(dir / "quillon" / "counters.ini",
            "[1.3.6.1.4.1.15.1.0]\ncounter=id -G\ntype=exec\n\n"
            "[1.3.6.1.4.1.15.2.0]\ncounter=cat " +
                secret.string() + "\ntype=exec\n");
  WriteFile(dir / "quillon" / "traps.ini", "");
  const auto command = [&](const std::vector<std::string>& account, int port) {
    std::vector<std::string> argv = {"/usr/bin/setpriv",
                                     "--groups",
                                     "0,4,6,42",
                                     "--",
                                     EXTHOST_PATH,
                                     "-f",
                                     "-Le",
                                     "-a",
                                     QUILLON_AGENT_PATH,
                                     "--state-dir",
                                     (dir / "net-snmp-state").string()};
    argv.insert(argv.end(), account.begin(), account.end());
    argv.push_back("udp:127.0.0.1:" + std::to_string(port));
    return argv;
  };
  // Answers of the two rows under `account`, which must be "id -G" alone.
  const auto rowsAs = [&](const std::vector<std::string>& account) {
    const int port = FreeUdpPort();
    Process host(command(account, port), dir.Path(), "host", AgentEnvironment());
    EXPECT_TRUE(
        WaitFor([&] { return host.Err().find("snmp-exthost: serving") != std::string::npos; }, 10s))
        << host.Err();
    const std::string target = "127.0.0.1:" + std::to_string(port);
    const std::string rows =
        Get(target, "public", kBase + ".1.0").out + Get(target, "public", kBase + ".2.0").out;
    EXPECT_EQ(host.Stop(SIGTERM), 0) << host.Err();
    return rows;
  };

  // A user number without a passwd entry has no group to take: it is refused, not run
  // with root's group.
  const RunResult bareNumber =
      RunProgram(command({"-u", "12345"}, FreeUdpPort()), AgentEnvironment(), 10s);
  EXPECT_EQ(bareNumber.exitCode, 1) << bareNumber.err;
  EXPECT_NE(bareNumber.err.find("user 12345 has no passwd entry"), std::string::npos)
      << bareNumber.err;
  EXPECT_NE(bareNumber.err.find("-g"), std::string::npos) << bareNumber.err;

  const std::string numbered = rowsAs({"-u", "12345", "-g", "12345"});
  EXPECT_NE(numbered.find(kBase + ".1.0 = INTEGER: 12345\n"), std::string::npos) << numbered;
  EXPECT_EQ(numbered.find("readable by root's group"), std::string::npos) << numbered;

  const passwd* nobody = getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  const std::string named = rowsAs({"-u", "nobody"});
  EXPECT_NE(named.find(kBase + ".1.0 = INTEGER: " + std::to_string(nobody->pw_gid) + "\n"),
            std::string::npos)
      << named;
  EXPECT_EQ(named.find("readable by root's group"), std::string::npos) << named;

  // Root's group stays only when asked for.
  const std::string asked = rowsAs({"-u", "12345", "-g", "0"});
  EXPECT_NE(asked.find("readable by root's group"), std::string::npos) << asked;
}

TEST_F(OperationsTest, SubagentWaitsForALateMasterReconnectsAndStopsWithItCleanly) {
  UseExamples();
  const std::string socket = (dir / "agentx").string();
  const int snmpdPort = FreeUdpPort();
  WriteFile(dir / "snmpd.conf",
            "master agentx\nagentXSocket " + socket + "\nrocommunity public 127.0.0.1\n");
  const std::vector<std::string> snmpd = {SNMPD_PATH,
                                          "-f",
                                          "-C",
                                          "-c",
                                          (dir / "snmpd.conf").string(),
                                          "-Lo",
                                          "udp:127.0.0.1:" + std::to_string(snmpdPort)};
  // net-snmp itself loses the master's socket address (110 bytes) when the master vanishes
  // while the subagent closes its session; the sanitizer build is told so.
  WriteFile(dir / "lsan.supp", "leak:libnetsnmp.so\n");
  Environment environment = AgentEnvironment();
  environment["LSAN_OPTIONS"] = "suppressions=" + (dir / "lsan.supp").string();
  Process host({EXTHOST_PATH, "--state-dir", (dir / "net-snmp-state").string(), "-f", "-Le", "-a",
                QUILLON_AGENT_PATH, "-x", socket},
               dir.Path(), "host", environment);
  ASSERT_TRUE(WaitFor(
      [&] {
        return host.Err().find("snmp-exthost: waiting for the AgentX master at " + socket +
                               " (trying every 5 s)") != std::string::npos;
      },
      10s))
      << host.Err();
  EXPECT_EQ(host.Err().find("snmp-exthost: serving"), std::string::npos) << host.Err();

  const std::string target = "127.0.0.1:" + std::to_string(snmpdPort);
  const auto rowAnswers = [&] {
    return Get(target, "public", kBase + ".3.2.0").out.find("INTEGER: 42") != std::string::npos;
  };
  {
    Process master(snmpd, dir.Path(), "snmpd1", {{"MIBS", ""}});
    EXPECT_TRUE(WaitFor(rowAnswers, 20s)) << host.Err();
    EXPECT_NE(host.Err().find("snmp-exthost: serving"), std::string::npos) << host.Err();
    EXPECT_EQ(master.Stop(SIGTERM), 0);
  }
  EXPECT_TRUE(WaitFor(
      [&] {
        return host.Err().find("AgentX master disconnected us, reconnecting in 5") !=
               std::string::npos;
      },
      10s))
      << host.Err();

  Process master(snmpd, dir.Path(), "snmpd2", {{"MIBS", ""}});
  EXPECT_TRUE(WaitFor(rowAnswers, 20s)) << host.Err();
  // Both stop at once: the master is gone while the subagent closes its session.
  kill(master.Pid(), SIGSTOP);
  kill(host.Pid(), SIGTERM);
  std::this_thread::sleep_for(300ms);
  kill(master.Pid(), SIGKILL);
  EXPECT_EQ(host.Stop(SIGTERM), 0) << host.Err();
  EXPECT_EQ(host.Err().find("netsnmp_assert"), std::string::npos) << host.Err();
}

// systemd and people send a stop more than once; the service that is already stopping
// must still end as it does on one: its state saved, its pid file gone, success.
// A reload asked for while the service stops is moot, and must not end the stop either.
TEST_F(OperationsTest, RepeatedStopSignalsWhileStoppingEndTheServiceCleanly) {
  UseExamples();
  const fs::path pidFile = dir / "host.pid";
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment(), {"-p", pidFile.string()});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const pid_t pid = host.Program().Pid();
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (host.Program().Running() && std::chrono::steady_clock::now() < deadline) {
    kill(pid, SIGTERM);
    kill(pid, SIGINT);
    kill(pid, SIGHUP);
    std::this_thread::sleep_for(200us);
  }
  EXPECT_EQ(host.Program().Stop(SIGKILL), 0) << host.Program().Err();
  EXPECT_FALSE(fs::exists(pidFile));
}

}  // namespace
}  // namespace e2e
