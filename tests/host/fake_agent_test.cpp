// The host's side of the contract, driven through a fake agent that can do what the real
// one never does.

#include <gtest/gtest.h>
#include <signal.h>

#include "e2e_support.h"

namespace e2e {
namespace {

const std::string kRegion = "1.3.6.1.4.1.99999";
const std::string kRow1 = kRegion + ".1.0";
const std::string kRow2 = kRegion + ".2.0";
const std::string kRow3 = kRegion + ".3.0";
const std::string kMissing = kRegion + ".9.0";

class FakeAgentTest : public ::testing::Test {
 protected:
  Environment AgentEnvironment(Environment more = {}) {
    more["FAKE_AGENT_LOG"] = (dir / "calls.log").string();
    return more;
  }
  std::string Calls() { return ReadFile(dir / "calls.log"); }

  TempDir dir;
};

TEST_F(FakeAgentTest, AgentThatCannotServeEndsTheProgramWithAMessage) {
  struct Case {
    std::string agent;
    Environment environment;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"/nonexistent/libagent.so", {}, "cannot load /nonexistent/libagent.so"},
      {SNMPAPI_PATH, {}, "does not export SnmpExtensionInit"},
      {FAKE_AGENT_PATH, {{"FAKE_AGENT_INIT", "false"}}, "SnmpExtensionInit of"},
  };
  for (const Case& c : cases) {
    const RunResult result = RunProgram(
        {EXTHOST_PATH, "-f", "-a", c.agent, "udp:127.0.0.1:" + std::to_string(FreeUdpPort())},
        c.environment, 10s);
    EXPECT_NE(result.exitCode, 0) << c.agent;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

TEST_F(FakeAgentTest, BindingsOfOneRequestGoToTheAgentInOneCall) {
  Host host(FAKE_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult get =
      Snmp("snmpget", {"-v2c", "-c", "public", host.Target(), kRow1, kRow2, kRow3});
  EXPECT_EQ(get.exitCode, 0) << get.err;
  EXPECT_NE(get.out.find(kRow1 + " = INTEGER: 7"), std::string::npos) << get.out;
  EXPECT_NE(get.out.find(kRow3 + " = STRING: \"three\""), std::string::npos) << get.out;
  EXPECT_NE(Calls().find("QueryEx 160 3"), std::string::npos) << Calls();
  EXPECT_EQ(host.Program().Err().find("Cannot find module"), std::string::npos);
}

TEST_F(FakeAgentTest, NoSuchNameOfAGetIsNoSuchObjectForV2cAndNoSuchNameForV1) {
  Host host(FAKE_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult v2 = Snmp("snmpget", {"-v2c", "-c", "public", host.Target(), kRow1, kMissing});
  EXPECT_NE(v2.out.find(kMissing + " = No Such Object"), std::string::npos) << v2.out;
  EXPECT_NE(v2.out.find(kRow1 + " = INTEGER: 7"), std::string::npos) << v2.out;

  const RunResult v1 =
      Snmp("snmpget", {"-v1", "-c", "public", host.Target(), kRow1, kMissing, kRow3});
  EXPECT_NE(v1.err.find("(noSuchName)"), std::string::npos) << v1.err;
  EXPECT_NE(v1.err.find("Failed object: ." + kMissing), std::string::npos) << v1.err;
}

TEST_F(FakeAgentTest, GetNextAnswersOutsideTheRegionOrBackwardsEndTheWalkAndAreLoggedOnce) {
  for (const std::string mode : {"escape", "backwards"}) {
    TempDir own;
    Host host(FAKE_AGENT_PATH, own, {{"FAKE_AGENT_GETNEXT", mode}});
    ASSERT_TRUE(host.Started()) << host.Program().Err();
    for (const std::string version : {"-v1", "-v2c"}) {
      const RunResult walk = Snmp("snmpwalk", {version, "-c", "public", host.Target(), kRegion});
      EXPECT_EQ(walk.exitCode, 0) << mode << walk.err;
      EXPECT_EQ(WalkRows(walk.out).size(), mode == "escape" ? 3u : 2u) << mode << walk.out;
      EXPECT_EQ(walk.out.find("escaped"), std::string::npos) << walk.out;
    }
    EXPECT_EQ(CountOf(host.Program().Err(), "taken as the end of the region"), 1)
        << host.Program().Err();
  }
}

TEST_F(FakeAgentTest, BulkWalkCrossesTheWholeRegionAndStopsAtItsEnd) {
  Host host(FAKE_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult walk =
      Snmp("snmpbulkwalk", {"-v2c", "-c", "public", "-Cr2", host.Target(), kRegion});
  EXPECT_EQ(walk.exitCode, 0) << walk.err;
  EXPECT_EQ(WalkRows(walk.out), (std::vector<std::string>{"." + kRow1 + " = INTEGER: 7",
                                                          "." + kRow2 + " = STRING: \"two\"",
                                                          "." + kRow3 + " = STRING: \"three\""}));
}

TEST_F(FakeAgentTest, SetPhasesReachQueryExAndItsRefusalReachesTheManager) {
  WriteFile(dir / "host.conf", "rwcommunity private 127.0.0.1\n");
  Host host(FAKE_AGENT_PATH, dir, AgentEnvironment(), {"-c", (dir / "host.conf").string()});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult set = Snmp("snmpset", {"-v2c", "-c", "private", host.Target(), kRow2, "s", "x"});
  EXPECT_NE(set.exitCode, 0);
  EXPECT_NE(set.err.find("(genError)"), std::string::npos) << set.err;
  EXPECT_NE(Calls().find("QueryEx 224 1"), std::string::npos) << Calls();  // SET_TEST
  EXPECT_NE(Calls().find("QueryEx 226 1"), std::string::npos) << Calls();  // SET_CLEANUP
}

TEST_F(FakeAgentTest, AgentWithoutQueryExIsServedThroughQuery) {
  WriteFile(dir / "host.conf", "rwcommunity private 127.0.0.1\n");
  Host host(FAKE_AGENT_NOEX_PATH, dir, AgentEnvironment(), {"-c", (dir / "host.conf").string()});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const RunResult walk = Snmp("snmpwalk", {"-v2c", "-c", "private", host.Target(), kRegion});
  EXPECT_EQ(WalkRows(walk.out).size(), 3u) << walk.out;
  const RunResult set = Snmp("snmpset", {"-v1", "-c", "private", host.Target(), kRow2, "s", "x"});
  EXPECT_NE(set.err.find("(readOnly)"), std::string::npos) << set.err;
  EXPECT_NE(Calls().find("Query 161 1"), std::string::npos) << Calls();
  EXPECT_NE(Calls().find("Query 163 1"), std::string::npos) << Calls();
  EXPECT_EQ(Calls().find("QueryEx"), std::string::npos) << Calls();
}

TEST_F(FakeAgentTest, EveryTrapTheAgentHasIsSentAndSigtermUnloadsTheAgent) {
  const int trapPort = FreeUdpPort();
  Process trapd({SNMPTRAPD_PATH, "-f", "-C", "-Lo", "-On", "--disableAuthorization=yes",
                 "udp:127.0.0.1:" + std::to_string(trapPort)},
                dir.Path(), "trapd", {{"MIBS", ""}});
  ASSERT_TRUE(
      WaitFor([&] { return trapd.Out().find("NET-SNMP version") != std::string::npos; }, 10s))
      << trapd.Out() << trapd.Err();
  WriteFile(dir / "host.conf", "rocommunity public 127.0.0.1\ntrapsink 127.0.0.1:" +
                                   std::to_string(trapPort) + " public\n");
  Host host(FAKE_AGENT_PATH, dir, AgentEnvironment({{"FAKE_AGENT_TRAPS", "2"}}),
            {"-c", (dir / "host.conf").string()});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  ASSERT_TRUE(
      WaitFor([&] { return CountOf(trapd.Out(), "Enterprise Specific Trap (3)") == 2; }, 10s))
      << trapd.Out();
  const std::string received = trapd.Out();
  EXPECT_NE(received.find(".1.3.6.1.4.1.99999.0"), std::string::npos) << received;
  EXPECT_NE(received.find("." + kRow1 + " = INTEGER: 7"), std::string::npos) << received;
  EXPECT_NE(received.find("." + kRow2 + " = STRING: \"two\""), std::string::npos) << received;

  EXPECT_EQ(host.Program().Stop(SIGTERM), 0);
  EXPECT_EQ(Calls().substr(Calls().rfind("trap")), "trap\nunloaded\n");
}

}  // namespace
}  // namespace e2e
