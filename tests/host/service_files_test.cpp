// The agent's files as the running service meets them: a file its user cannot read yet,
// the one warning per file and reason, and relative paths.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "e2e_support.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const std::string kRow = "1.3.6.1.4.1.15.1.0";

// A registry naming a counters file and a trap file by the paths given, as written.
class ServiceFilesTest : public ::testing::Test {
 protected:
  ServiceFilesTest() {
    fs::create_directories(dir / "quillon");
    WriteFile(counters, "[" + kRow + "]\ncounter=one\ntype=string\n");
    WriteFile(traps, "[1.3.6.1.4.1.15.9.1.0]\nscript=echo 7\n");
  }
  void WriteRegistry(const std::string& countersPath, const std::string& trapsPath,
                     const std::string& debug = "0") {
    WriteFile(dir / "quillon.reg",
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]\n"
              "\"debug\"=\"" +
                  debug + "\"\n\"counters\"=\"" + countersPath + "\"\n\"traps\"=\"" + trapsPath +
                  "\"\n\"trap_delay\"=dword:0000012c\n");
  }
  Environment AgentEnvironment() const {
    return {{"QUILLON_DRIVE_C", dir.Path().string()},
            {"QUILLON_REGISTRY", (dir / "quillon.reg").string()}};
  }
  RunResult Get(const std::string& target) {
    return Snmp("snmpget", {"-v2c", "-c", "public", target, kRow});
  }

  TempDir dir;
  const fs::path counters = dir / "quillon" / "counters.ini";
  const fs::path traps = dir / "quillon" / "traps.ini";
};

// Whether a file exists is a matter of the load; whether the service's user can read it
// is each request's.
TEST_F(ServiceFilesTest, FilesTheUserCannotReadYetAreServedAndSentOnceItCan) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to switch users";
  fs::permissions(dir.Path(), fs::perms(0755));
  fs::permissions(dir / "quillon", fs::perms(0755));
  fs::permissions(counters, fs::perms(0600));
  fs::permissions(traps, fs::perms(0600));
  WriteFile(dir / "log.txt", "");
  fs::permissions(dir / "log.txt", fs::perms(0666));
  WriteRegistry(counters.string(), traps.string(), "1");

  const RunResult check = RunProgram(
      {EXTHOST_PATH, "--check", "-a", QUILLON_AGENT_PATH, "-u", "nobody"}, AgentEnvironment(), 30s);
  EXPECT_EQ(check.exitCode, 1) << check.out << check.err;
  EXPECT_NE(check.out.find("\"counters\" = \"" + counters.string() +
                           "\": cannot be read by the service's user (cannot be opened: "
                           "Permission denied)"),
            std::string::npos)
      << check.out;

  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment(), {"-u", "nobody"});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult refused = Get(host.Target());
  EXPECT_NE(refused.err.find("(badValue)"), std::string::npos) << refused.out << refused.err;
  EXPECT_NE(ReadFile(dir / "log.txt").find("thread started to send traps"), std::string::npos);

  fs::permissions(counters, fs::perms(0644));
  fs::permissions(traps, fs::perms(0644));
  const RunResult served = Get(host.Target());
  EXPECT_NE(served.out.find("STRING: \"one\""), std::string::npos) << served.out << served.err;
  EXPECT_TRUE(WaitFor(
      [&] { return ReadFile(dir / "log.txt").find("Sending trap") != std::string::npos; }, 10s))
      << "the trap timer runs since the load";
  EXPECT_EQ(CountOf(host.Program().Err(),
                    "warning: " + counters.string() +
                        ": cannot be opened: Permission denied; the file is treated as missing"),
            1)
      << host.Program().Err();
}

// The service's own report and every agent it loads share one memory of warnings.
TEST_F(ServiceFilesTest, AnUnsafeFileIsWarnedOnceAcrossTheCheckRequestsAndReloads) {
  fs::permissions(traps, fs::perms(0666));
  WriteRegistry(counters.string(), traps.string());
  const std::string warning = "warning: " + traps.string() + ": writable by group or others";

  const RunResult check =
      RunProgram({EXTHOST_PATH, "--check", "-a", QUILLON_AGENT_PATH}, AgentEnvironment(), 30s);
  EXPECT_EQ(CountOf(check.err, warning), 1) << check.err;

  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  for (int reload = 1; reload <= 2; ++reload) {
    EXPECT_NE(Get(host.Target()).out.find("STRING: \"one\""), std::string::npos);
    kill(host.Program().Pid(), SIGHUP);
    EXPECT_TRUE(WaitFor(
        [&] { return CountOf(host.Program().Err(), "snmp-exthost: serving") == reload + 1; }, 15s))
        << host.Program().Err();
  }
  EXPECT_NE(Get(host.Target()).out.find("STRING: \"one\""), std::string::npos);
  EXPECT_EQ(CountOf(host.Program().Err(), warning), 1) << host.Program().Err();
}

// A relative path means the same wherever the service was started: it is taken from /.
TEST_F(ServiceFilesTest, RelativePathsAreTakenFromTheRootWhereverTheServiceStarts) {
  const std::string fromRoot = counters.string().substr(1);
  WriteRegistry(fromRoot, "traps.ini");
  const std::string port = std::to_string(FreeUdpPort());
  Process host({"/usr/bin/env", "-C", (dir / "quillon").string(), EXTHOST_PATH, "-f", "-Le", "-a",
                QUILLON_AGENT_PATH, "--state-dir", (dir / "net-snmp-state").string(),
                "udp:127.0.0.1:" + port},
               dir.Path(), "host", AgentEnvironment());
  ASSERT_TRUE(
      WaitFor([&] { return host.Err().find("snmp-exthost: serving") != std::string::npos; }, 10s))
      << host.Err();
  EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(host.Pid()) + "/cwd"), fs::path("/"));
  EXPECT_NE(Get("127.0.0.1:" + port).out.find("STRING: \"one\""), std::string::npos);
  EXPECT_EQ(host.Stop(SIGTERM), 0);

  const RunResult check = RunProgram({"/usr/bin/env", "-C", (dir / "quillon").string(),
                                      EXTHOST_PATH, "--check", "-a", QUILLON_AGENT_PATH},
                                     AgentEnvironment(), 30s);
  EXPECT_NE(check.out.find("\"counters\" = \"" + fromRoot + "\" -> " + counters.string() +
                           " (a relative path is taken from /): readable"),
            std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("\"traps\" = \"traps.ini\" -> /traps.ini (a relative path is taken "
                           "from /): not found"),
            std::string::npos)
      << "not the traps.ini of the directory it was started in\n"
      << check.out;
}

}  // namespace
}  // namespace e2e
