// The service around the agent: what managers read besides the rows (the system, snmp and
// SNMPv3 engine groups), the engine's identity across restarts, the directories it writes
// to, and why it cannot listen.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "e2e_support.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const std::string kBase = "1.3.6.1.4.1.15";
const std::string kSysDescr = "1.3.6.1.2.1.1.1.0";
const std::string kSysObjectId = "1.3.6.1.2.1.1.2.0";
const std::string kSysUpTime = "1.3.6.1.2.1.1.3.0";
const std::string kEngineId = "1.3.6.1.6.3.10.2.1.1.0";
const std::string kEngineBoots = "1.3.6.1.6.3.10.2.1.2.0";

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir / "counters.ini",
              "[1.3.6.1.4.1.15.1.0]\ntype=string\ncounter=first\n"
              "[1.3.6.1.4.1.15.2.0]\ntype=string\ncounter=second\n");
    WriteFile(dir / "quillon.reg",
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]\n"
              "\"counters\"=\"" +
                  (dir / "counters.ini").string() + "\"\n");
  }
  Environment AgentEnvironment() const {
    return {{"QUILLON_DRIVE_C", dir.Path().string()},
            {"QUILLON_REGISTRY", (dir / "quillon.reg").string()}};
  }
  // One value as snmpget prints it after "OID = ".
  static std::string Value(const Host& host, const std::string& oid) {
    const RunResult get = Snmp("snmpget", {"-v2c", "-c", "public", host.Target(), oid});
    const size_t equals = get.out.find(" = ");
    return equals == std::string::npos ? get.out + get.err : get.out.substr(equals + 3);
  }

  TempDir dir;
};

TEST_F(ServiceTest, AWalkOfEverythingFindsTheSystemGroupFirstThenEngineAndStatisticsThenRows) {
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult walk = Snmp("snmpwalk", {"-v2c", "-c", "public", host.Target(), ".1"});
  EXPECT_EQ(walk.exitCode, 0) << walk.err;
  const std::vector<std::string> rows = WalkRows(walk.out);
  ASSERT_GT(rows.size(), 4u) << walk.out;
  EXPECT_TRUE(rows.front().starts_with("." + kSysDescr + " = STRING: \"Linux ")) << walk.out;
  // Without a sysObjectID line it names the agent's region, as a device's own OID.
  EXPECT_NE(walk.out.find("." + kSysObjectId + " = OID: ." + kBase + "\n"), std::string::npos)
      << walk.out;
  for (const std::string& oid :
       std::vector<std::string>{kSysUpTime + " = Timeticks: ", "1.3.6.1.2.1.1.5.0 = STRING: ",
                                "1.3.6.1.2.1.11.1.0 = Counter32: ", kEngineId + " = Hex-STRING: ",
                                kEngineBoots + " = INTEGER: ", "1.3.6.1.6.3.15.1.1.1.0 = "}) {
    EXPECT_NE(walk.out.find("\n." + oid), std::string::npos) << oid << "\n" << walk.out;
  }
  // The agent's rows follow the system and snmp groups (1.3.6.1.2), in their order, before
  // the engine's (1.3.6.1.6).
  const auto first = std::find(rows.begin(), rows.end(), "." + kBase + ".1.0 = STRING: \"first\"");
  ASSERT_NE(first, rows.end()) << walk.out;
  ASSERT_NE(first + 1, rows.end());
  EXPECT_EQ(first[1], "." + kBase + ".2.0 = STRING: \"second\"");
  EXPECT_TRUE(first[-1].starts_with(".1.3.6.1.2.1.")) << first[-1];
  EXPECT_TRUE(first[2].starts_with(".1.3.6.1.6.3.")) << first[2];

  // sysUpTime counts from the service's start, not the machine's.
  const std::string uptime = Value(host, kSysUpTime);
  std::smatch ticks;
  ASSERT_TRUE(std::regex_search(uptime, ticks, std::regex(R"(Timeticks: \((\d+)\))"))) << uptime;
  EXPECT_LT(std::stoul(ticks[1].str()), 6000u);
}

TEST_F(ServiceTest, SystemDirectivesOfTheConfigurationSetTheGroup) {
  WriteFile(dir / "host.conf",
            "rocommunity public 127.0.0.1\nsysObjectID .1.3.6.1.4.1.99.7\n"
            "sysLocation rack 4\nsysContact ops <ops@example.org>\nsysName probe\n"
            "sysServices 72\nsysDescr measuring station\n");
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment(), {"-c", (dir / "host.conf").string()});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  EXPECT_EQ(Value(host, kSysObjectId), "OID: .1.3.6.1.4.1.99.7\n");
  EXPECT_EQ(Value(host, "1.3.6.1.2.1.1.6.0"), "STRING: \"rack 4\"\n");
  EXPECT_EQ(Value(host, "1.3.6.1.2.1.1.4.0"), "STRING: \"ops <ops@example.org>\"\n");
  EXPECT_EQ(Value(host, "1.3.6.1.2.1.1.5.0"), "STRING: \"probe\"\n");
  EXPECT_EQ(Value(host, "1.3.6.1.2.1.1.7.0"), "INTEGER: 72\n");
  EXPECT_EQ(Value(host, kSysDescr), "STRING: \"measuring station\"\n");

  // A reload without the line goes back to the agent's region.
  WriteFile(dir / "host.conf", "rocommunity public 127.0.0.1\n");
  const std::string before = host.Program().Err();
  kill(host.Program().Pid(), SIGHUP);
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::string err = host.Program().Err();
        return err.size() > before.size() && err.rfind("serving") > before.size();
      },
      10s))
      << host.Program().Err();
  EXPECT_EQ(Value(host, kSysObjectId), "OID: ." + kBase + "\n");
}

TEST_F(ServiceTest, EngineIdSurvivesARestartAndEngineBootsGrows) {
  const fs::path state = dir / "state" / "below";  // made when missing, parents too
  auto start = [&] {
    auto host = std::make_unique<Host>(QUILLON_AGENT_PATH, dir, AgentEnvironment(),
                                       std::vector<std::string>{"--state-dir", state.string()});
    EXPECT_TRUE(host->Started()) << host->Program().Err();
    const std::pair<std::string, std::string> identity = {Value(*host, kEngineId),
                                                          Value(*host, kEngineBoots)};
    EXPECT_EQ(host->Program().Stop(SIGTERM), 0) << host->Program().Err();
    return identity;
  };
  const auto first = start();
  const auto second = start();
  EXPECT_TRUE(first.first.starts_with("Hex-STRING: 80 00 1F 88")) << first.first;
  EXPECT_EQ(first.first, second.first);
  EXPECT_EQ(first.second, "INTEGER: 1\n");
  EXPECT_EQ(second.second, "INTEGER: 2\n");
  struct stat info {};
  ASSERT_EQ(stat(state.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);  // it holds SNMPv3 keys
}

TEST_F(ServiceTest, RunAsAnotherUserItsStateDirectoryIsHandedToThatUser) {
  if (geteuid() != 0) GTEST_SKIP() << "switching users needs root";
  const passwd* nobody = getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  fs::permissions(dir.Path(),
                  fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::permissions(dir / "counters.ini", fs::perms::owner_read | fs::perms::owner_write |
                                            fs::perms::group_read | fs::perms::others_read);
  const fs::path state = dir / "state";
  auto serve = [&](std::vector<std::string> switches) {
    switches.insert(switches.end(), {"--state-dir", state.string()});
    Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment(), switches);
    EXPECT_TRUE(host.Started()) << host.Program().Err();
    const std::string boots = Value(host, kEngineBoots);
    EXPECT_EQ(host.Program().Stop(SIGTERM), 0) << host.Program().Err();
    return boots;
  };
  EXPECT_EQ(serve({}), "INTEGER: 1\n");  // as root: root's files
  EXPECT_EQ(serve({"-u", "nobody"}), "INTEGER: 2\n");
  struct stat info {};
  for (const fs::path& path : {state, state / "snmp-exthost.conf"}) {
    ASSERT_EQ(stat(path.c_str(), &info), 0) << path;
    EXPECT_EQ(info.st_uid, nobody->pw_uid) << path;
  }
  // Saved at the end, as nobody: the next start counts on.
  EXPECT_NE(ReadFile(state / "snmp-exthost.conf").find("engineBoots 2"), std::string::npos);
}

TEST_F(ServiceTest, AnAddressInUseIsNamedWithTheSystemsReason) {
  const int port = FreeUdpPort();
  const int taken = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment(), {}, port);
  EXPECT_FALSE(host.Started());
  EXPECT_EQ(host.Program().Stop(SIGTERM), 1);
  EXPECT_NE(host.Program().Err().find("snmp-exthost: cannot listen on udp:127.0.0.1:" +
                                      std::to_string(port) + ": Address already in use\n"),
            std::string::npos)
      << host.Program().Err();
  close(taken);
}

// Without QUILLON_DRIVE_C, drive c: is the install's log directory (for this build tree,
// build/var/log/quillon), never the file system's root.
TEST_F(ServiceTest, CheckWritesTheAgentsLogToTheInstallsLogDirectory) {
  WriteFile(dir / "quillon.reg",
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]\n"
            "\"debug\"=\"1\"\n\"counters\"=\"" +
                (dir / "counters.ini").string() + "\"\n");
  const fs::path logDirectory =
      (fs::path(EXTHOST_PATH).parent_path() / ".." / "var/log/quillon").lexically_normal();
  fs::remove(logDirectory / "log.txt");
  struct stat rootLog {};
  const bool rootLogBefore = stat("/log.txt", &rootLog) == 0;
  const auto rootLogTime = rootLog.st_mtim;
  const RunResult check = RunProgram({EXTHOST_PATH, "--check", "-a", QUILLON_AGENT_PATH},
                                     {{"QUILLON_REGISTRY", (dir / "quillon.reg").string()}}, 60s);
  EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  EXPECT_FALSE(ReadFile(logDirectory / "log.txt").empty()) << logDirectory;
  struct stat after {};
  if (!rootLogBefore) {
    EXPECT_NE(stat("/log.txt", &after), 0) << "the check wrote /log.txt";
  } else {
    ASSERT_EQ(stat("/log.txt", &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, rootLogTime.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, rootLogTime.tv_nsec);
  }
}

}  // namespace
}  // namespace e2e
