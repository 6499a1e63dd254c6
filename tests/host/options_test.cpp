#include "host/options.h"

#include "host/install_layout.h"

#include <gtest/gtest.h>

namespace exthost {
namespace {

TEST(ParseOptions, TakesSwitchesWithSeparateOrAttachedArgumentsAndAddresses) {
  const Options options =
      ParseOptions({"-f", "-a", "/x/agent.so", "-c", "one.conf", "-ctwo.conf", "-Le", "-Lf",
                    "/tmp/log", "udp:127.0.0.1:2000", "tcp:127.0.0.1:2001"});
  EXPECT_TRUE(options.foreground);
  EXPECT_EQ(options.agentPath, "/x/agent.so");
  EXPECT_EQ(options.configFiles, (std::vector<std::string>{"one.conf", "two.conf"}));
  EXPECT_EQ(options.logTargets, (std::vector<std::string>{"e", "f/tmp/log"}));
  EXPECT_EQ(options.addresses,
            (std::vector<std::string>{"udp:127.0.0.1:2000", "tcp:127.0.0.1:2001"}));
  EXPECT_TRUE(options.agentxSocket.empty());
}

TEST(ParseOptions, DefaultsToBackgroundWithNoAddressAndTheInstalledAgent) {
  const Options options = ParseOptions({});
  EXPECT_FALSE(options.foreground);
  EXPECT_TRUE(options.agentPath.empty());
  EXPECT_TRUE(options.addresses.empty());
  const std::string agent = DefaultAgentPath("/opt/q/sbin");
  EXPECT_EQ(agent.rfind("/opt/q/sbin/../", 0), 0u) << agent;
  EXPECT_TRUE(agent.ends_with("/quillon/libquillon.so")) << agent;
}

TEST(ParseOptions, RejectsWhatItCannotServe) {
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"-a"},
                                              {"-c"},
                                              {"-q"},
                                              {"-fx"},
                                              {"-Lf"},
                                              {"-x", "/tmp/agentx", "udp:127.0.0.1:161"}}) {
    EXPECT_THROW(ParseOptions(bad), UsageError) << bad.front();
  }
}

TEST(ParseOptions, TakesNetSnmpsShortAndLongSwitchesOfTheAdministrator) {
  const Options options =
      ParseOptions({"-u", "snmp", "-gsnmpgroup", "-p", "/run/x.pid", "--check", "-v"});
  EXPECT_EQ(options.user, "snmp");
  EXPECT_EQ(options.group, "snmpgroup");
  EXPECT_EQ(options.pidFile, "/run/x.pid");
  EXPECT_TRUE(options.check);
  EXPECT_FALSE(options.traps);
  EXPECT_TRUE(options.version);
  EXPECT_TRUE(ParseOptions({"--check", "--traps"}).traps);
  EXPECT_THROW(ParseOptions({"--traps"}), UsageError) << "only a check waits for a trap";
  EXPECT_TRUE(ParseOptions({"--help"}).help);
  EXPECT_TRUE(ParseOptions({"--version"}).version);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"-u"}, {"-g"}, {"--checks"}, {"--user=snmp"}, {"-vx"}}) {
    EXPECT_THROW(ParseOptions(bad), UsageError) << bad.front();
  }
}

TEST(ParseOptions, StateDirectoryIsTheInstallsUnlessTheSwitchNamesOne) {
  EXPECT_EQ(ParseOptions({"--state-dir", "/srv/state", "-f"}).stateDirectory, "/srv/state");
  EXPECT_TRUE(ParseOptions({}).stateDirectory.empty());
  EXPECT_THROW(ParseOptions({"--state-dir"}), UsageError);
  EXPECT_NE(UsageText().find("--state-dir DIR"), std::string::npos);

  // The package's /usr keeps them in the system's /var, never in snmpd's /var/lib/snmp;
  // any other prefix below itself.
  const InstallLayout system = LayoutForProgram("/usr/sbin");
  EXPECT_EQ(system.stateDirectory, "/var/lib/quillon");
  EXPECT_EQ(system.logDirectory, "/var/log/quillon");
  const InstallLayout opt = LayoutForProgram("/opt/quillon/sbin");
  EXPECT_EQ(opt.stateDirectory, "/opt/quillon/var/lib/quillon");
  EXPECT_EQ(opt.logDirectory, "/opt/quillon/var/log/quillon");
  EXPECT_EQ(LayoutForProgram("/usr/local/sbin").logDirectory, "/usr/local/var/log/quillon");
}

TEST(ParseOptions, AgentxSocketMakesASubagent) {
  EXPECT_EQ(ParseOptions({"-x", "/run/agentx/master"}).agentxSocket, "/run/agentx/master");
}

}  // namespace
}  // namespace exthost
