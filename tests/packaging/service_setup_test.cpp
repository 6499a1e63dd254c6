// The service set up as its manual page says, read with the real snmpd and net-snmp's tools:
// an AgentX subagent of an snmpd configured in the style of Debian's stock snmpd.conf, with
// the shipped drop-in's command line and snmpd snippet; and SNMPv3 with authentication and
// privacy.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "e2e_support.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = QUILLON_SOURCE_DIR;
const std::string kRow = "1.3.6.1.4.1.15.3.1.0";
const std::string kRowValue = "STRING: \"Example rows of the quillon SNMP agent\"";

void WriteConfiguration(const fs::path& path, const std::string& text) {
  WriteFile(path, text);
  // The agent refuses configuration that others may write, whatever the umask.
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The shipped configuration with Linux paths into `dir`, as the package installs it into
// /etc/quillon: the example rows, the service's net-snmp file, the registry naming them.
class ServiceSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteConfiguration(dir / "counters.ini", ReadFile(kSource / "examples" / "counters.ini"));
    WriteConfiguration(dir / "snmp-exthost.conf",
                       ReadFile(kSource / "packaging" / "snmp-exthost.conf"));
    WriteConfiguration(dir / "registry.reg",
                       Replaced(ReadFile(kSource / "packaging" / "registry.reg.in"),
                                "@QUILLON_CONF_DIR@", dir.Path().string()));
  }
  Environment AgentEnvironment() const {
    return {{"QUILLON_REGISTRY", (dir / "registry.reg").string()},
            {"QUILLON_DRIVE_C", dir.Path().string()}};
  }
  // The command line of the AgentX drop-in, with this build's programs and `socket` in place
  // of snmpd's default /var/agentx/master.
  std::vector<std::string> AgentxDropInCommand(const std::string& socket) const {
    std::string line;
    std::istringstream dropIn(ReadFile(kSource / "packaging" / "agentx.conf.in"));
    for (std::string each; std::getline(dropIn, each);) {
      if (each.starts_with("ExecStart=") && each.size() > 10) line = each.substr(10);
    }
    line = Replaced(line, "@QUILLON_EXTHOST@", EXTHOST_PATH);
    line = Replaced(line, "@QUILLON_AGENT@", QUILLON_AGENT_PATH);
    line = Replaced(line, "@QUILLON_CONF_DIR@", dir.Path().string());
    line = Replaced(line, "/var/agentx/master", socket);
    // The package's user quillon need not exist here; the pid file goes into `dir`.
    line = Replaced(line, "@QUILLON_USER_SWITCHES@", "");
    line = Replaced(line, "/run/quillon/", dir.Path().string() + "/");
    std::vector<std::string> words;
    std::istringstream split(line);
    for (std::string word; split >> word;) words.push_back(word);
    return words;
  }

  TempDir dir;
};

TEST_F(ServiceSetupTest, AgentxRowsShowThroughDebianStyleSnmpdWithTheShippedSnippet) {
  const std::string socket = (dir / "master").string();
  fs::create_directories(dir / "snmpd.conf.d");
  fs::copy_file(kSource / "packaging" / "snmpd.conf.d" / "quillon.conf",
                dir / "snmpd.conf.d" / "quillon.conf");
  // The access lines of Debian's stock snmpd.conf: the community sees the view "systemonly"
  // alone, and further configuration comes from its include directory.
  WriteFile(dir / "snmpd.conf",
            "sysLocation    Sitting on the Dock of the Bay\n"
            "master  agentx\n"
            "agentXSocket " +
                socket +
                "\n"
                "view   systemonly  included   .1.3.6.1.2.1.1\n"
                "view   systemonly  included   .1.3.6.1.2.1.25.1\n"
                "rocommunity  public default -V systemonly\n"
                "includeDir " +
                (dir / "snmpd.conf.d").string() + "\n");
  const int snmpdPort = FreeUdpPort();
  Process snmpd({SNMPD_PATH, "-f", "-C", "-c", (dir / "snmpd.conf").string(), "-Lo", "-p",
                 (dir / "snmpd.pid").string(), "udp:127.0.0.1:" + std::to_string(snmpdPort)},
                dir.Path(), "snmpd",
                {{"MIBS", ""}, {"SNMP_PERSISTENT_DIR", (dir / "persistent").string()}});
  ASSERT_TRUE(WaitFor([&] { return fs::exists(socket); }, 10s)) << snmpd.Out() << snmpd.Err();

  Process host(AgentxDropInCommand(socket), dir.Path(), "host", AgentEnvironment());
  const std::string target = "127.0.0.1:" + std::to_string(snmpdPort);
  RunResult walk;
  const bool rowsShown = WaitFor(
      [&] {
        walk = Snmp("snmpwalk", {"-v2c", "-c", "public", target, "1.3.6.1.4.1.15"});
        return walk.out.find(kRow) != std::string::npos;
      },
      20s);
  ASSERT_TRUE(rowsShown) << walk.out << walk.err << host.Err() << snmpd.Out();
  EXPECT_NE(walk.out.find(kRow + " = " + kRowValue), std::string::npos) << walk.out;
  // snmpd's own rows are still those of the stock view.
  const RunResult sysDescr = Snmp("snmpget", {"-v2c", "-c", "public", target, "1.3.6.1.2.1.1.1.0"});
  EXPECT_NE(sysDescr.out.find("STRING:"), std::string::npos) << sysDescr.out << sysDescr.err;
  // The shipped snmp-exthost.conf, written for the standalone role, starts the subagent
  // without a warning.
  EXPECT_EQ(host.Err().find("Unknown token"), std::string::npos) << host.Err();
  EXPECT_EQ(host.Stop(SIGTERM), 0) << host.Err();
}

TEST_F(ServiceSetupTest, SnmpV3UserReadsARowWithAuthPrivAndNothingLess) {
  WriteConfiguration(dir / "v3.conf",
                     "createUser quillon SHA \"authentication passphrase\" AES "
                     "\"privacy passphrase\"\n"
                     "rouser quillon authpriv\n");
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment(), {"-c", (dir / "v3.conf").string()});
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  const std::vector<std::string> user = {
      "-v3", "-u", "quillon", "-a", "SHA", "-A", "authentication passphrase"};
  auto get = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), user.begin(), user.end());
    arguments.push_back(host.Target());
    arguments.push_back(kRow);
    return Snmp("snmpget", arguments);
  };

  const RunResult authPriv = get({"-l", "authPriv", "-x", "AES", "-X", "privacy passphrase"});
  EXPECT_EQ(authPriv.exitCode, 0) << authPriv.err;
  EXPECT_NE(authPriv.out.find(kRow + " = " + kRowValue), std::string::npos) << authPriv.out;

  const RunResult authNoPriv = get({"-l", "authNoPriv"});
  EXPECT_EQ(authNoPriv.out.find(kRowValue), std::string::npos) << authNoPriv.out;
  const RunResult wrongPrivacy = get({"-l", "authPriv", "-x", "AES", "-X", "not the passphrase"});
  EXPECT_EQ(wrongPrivacy.out.find(kRowValue), std::string::npos) << wrongPrivacy.out;
  // A -c file replaces the default community.
  const RunResult community = Snmp("snmpget", {"-v2c", "-c", "public", host.Target(), kRow});
  EXPECT_EQ(community.out.find(kRowValue), std::string::npos) << community.out;
}

}  // namespace
}  // namespace e2e
