// The Debian package and the plain install: what they put where, with which owner and mode;
// the package installed for real (as root) answering a walk of its rows, its unit checked by
// systemd-analyze, and removed again without a trace.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "e2e_support.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = QUILLON_SOURCE_DIR;
const std::string kBase = "1.3.6.1.4.1.15";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

fs::path PackageFile() {
  for (const auto& entry : fs::directory_iterator(PACKAGE_DIR)) {
    if (entry.path().extension() == ".deb") return entry.path();
  }
  return {};
}

struct Entry {
  std::string mode;   // as ls writes it: -rw-r--r--, lrwxrwxrwx, drwxr-xr-x
  std::string owner;  // user/group
};

// The package's files by path (/etc/quillon/registry.reg), from dpkg-deb -c.
std::map<std::string, Entry> PackageContents(const fs::path& package) {
  const RunResult listing = RunProgram({"/usr/bin/dpkg-deb", "-c", package.string()});
  EXPECT_EQ(listing.exitCode, 0) << listing.err;
  std::map<std::string, Entry> contents;
  const std::regex line(R"(^(\S+) (\S+)\s+\d+ \S+ \S+ \.(/\S*?)/?( -> .*)?$)");
  for (const std::string& text : Lines(listing.out)) {
    std::smatch match;
    if (std::regex_match(text, match, line)) contents[match[3]] = {match[1], match[2]};
  }
  return contents;
}

std::string ControlFile(const fs::path& package, const std::string& name, const TempDir& dir) {
  RunProgram({"/usr/bin/dpkg-deb", "-e", package.string(), (dir / "control").string()});
  return ReadFile(dir / "control" / name);
}

// The rows of the examples' counters file, in file order.
std::vector<std::string> ExampleRows() {
  std::vector<std::string> rows;
  const std::regex section(R"(^\[([0-9.]+)\]\s*$)");
  for (const std::string& line : Lines(ReadFile(kSource / "examples" / "counters.ini"))) {
    std::smatch match;
    if (std::regex_match(line, match, section)) rows.push_back(match[1]);
  }
  return rows;
}

// Serves `agent` with `exthost` and the registry `registry` on a free loopback port and
// walks the base OID; the OIDs of the rows answered, with an INTEGER or a STRING each.
std::vector<std::string> WalkedRows(const std::string& exthost, const std::string& agent,
                                    const std::string& registry, const TempDir& dir) {
  const int port = FreeUdpPort();
  Process host({exthost, "-f", "-Le", "-a", agent, "udp:127.0.0.1:" + std::to_string(port)},
               dir.Path(), "host", {{"QUILLON_REGISTRY", registry}});
  const bool serving = WaitFor(
      [&] { return host.Err().find("serving") != std::string::npos || !host.Running(); }, 10s);
  EXPECT_TRUE(serving && host.Running()) << host.Err();
  const RunResult walk =
      Snmp("snmpwalk", {"-v2c", "-c", "public", "127.0.0.1:" + std::to_string(port), kBase});
  std::vector<std::string> rows;
  const std::regex typed(R"(^\.([0-9.]+) = (INTEGER: -?[0-9]+|STRING: ".*")$)");
  for (const std::string& line : WalkRows(walk.out)) {
    std::smatch match;
    if (std::regex_match(line, match, typed)) rows.push_back(match[1]);
  }
  EXPECT_EQ(host.Stop(SIGTERM), 0) << host.Err();
  return rows;
}

RunResult VerifyUnit(const fs::path& unit, bool manPages) {
  return RunProgram(
      {SYSTEMD_ANALYZE_PATH, "verify", manPages ? "--man=yes" : "--man=no", unit.string()}, {},
      60s);
}

std::string RegistryValue(const std::string& registry, const std::string& name) {
  const std::regex value("^\"" + name + "\"=\"([^\"]*)\"\\s*$");
  for (const std::string& line : Lines(registry)) {
    std::smatch match;
    if (std::regex_match(line, match, value)) return match[1];
  }
  return "<none>";
}

TEST(Package, HoldsProgramsManPagesUnitAndRootOwnedConfigurationAsConffiles) {
  const fs::path package = PackageFile();
  ASSERT_FALSE(package.empty()) << "no .deb in " << PACKAGE_DIR;
  const std::map<std::string, Entry> contents = PackageContents(package);
  for (const char* path :
       {"/usr/sbin/snmp-exthost", "/usr/bin/ctrview", "/usr/bin/ctrviewd.exe",
        "/usr/lib/quillon/libquillon.so", "/usr/lib/quillon/libsnmpapi.so",
        "/etc/quillon/registry.reg", "/etc/quillon/counters.ini", "/etc/quillon/traps.ini",
        "/etc/quillon/snmp-exthost.conf", "/lib/systemd/system/quillon.service",
        "/usr/share/man/man8/snmp-exthost.8.gz", "/usr/share/man/man1/ctrview.1.gz",
        "/usr/share/man/man5/quillon.5.gz", "/usr/share/quillon/examples/counters.ini",
        "/usr/share/quillon/examples/quillon.service.d/agentx.conf",
        "/usr/share/quillon/examples/snmpd.conf.d/quillon.conf"}) {
    EXPECT_TRUE(contents.contains(path)) << path;
  }
  std::set<std::string> underEtc;
  for (const auto& [path, entry] : contents) {
    EXPECT_EQ(entry.owner, "root/root") << path;
    // Nothing that group or others may write, links aside.
    if (entry.mode[0] != 'l') {
      EXPECT_EQ(entry.mode[5], '-') << path << " " << entry.mode;
      EXPECT_EQ(entry.mode[8], '-') << path << " " << entry.mode;
    }
    if (path.starts_with("/etc/") && entry.mode[0] == '-') underEtc.insert(path);
  }
  EXPECT_EQ(contents.at("/usr/bin/ctrviewd.exe").mode[0], 'l');
  EXPECT_EQ(contents.at("/etc/quillon/registry.reg").mode, "-rw-r--r--");

  TempDir dir;
  const std::vector<std::string> conffiles = Lines(ControlFile(package, "conffiles", dir));
  EXPECT_EQ(std::set<std::string>(conffiles.begin(), conffiles.end()), underEtc);
  const std::string control = ControlFile(package, "control", dir);
  EXPECT_NE(control.find("libsnmp"), std::string::npos) << control;
}

TEST(Package, ConfigurationHasDebugOffAndLinuxPathsAndTheUnitNamesTheInstalledPrograms) {
  const fs::path package = PackageFile();
  ASSERT_FALSE(package.empty()) << "no .deb in " << PACKAGE_DIR;
  TempDir dir;
  ASSERT_EQ(RunProgram({"/usr/bin/dpkg-deb", "-x", package.string(), dir.Path().string()}).exitCode,
            0);
  const std::string registry = ReadFile(dir / "etc/quillon/registry.reg");
  EXPECT_EQ(RegistryValue(registry, "debug"), "0");
  EXPECT_EQ(RegistryValue(registry, "counters"), "/etc/quillon/counters.ini");
  EXPECT_EQ(RegistryValue(registry, "traps"), "/etc/quillon/traps.ini");
  EXPECT_EQ(ReadFile(dir / "etc/quillon/counters.ini"),
            ReadFile(kSource / "examples" / "counters.ini"));

  const std::string unit = ReadFile(dir / "lib/systemd/system/quillon.service");
  EXPECT_NE(unit.find("\nExecStart=/usr/sbin/snmp-exthost -f -Le -a /usr/lib/quillon/libquillon.so "
                      "-c /etc/quillon/snmp-exthost.conf\n"),
            std::string::npos)
      << unit;
  EXPECT_NE(unit.find("\nEnvironment=QUILLON_REGISTRY=/etc/quillon/registry.reg\n"),
            std::string::npos)
      << unit;
  EXPECT_NE(unit.find("\nExecReload=/bin/kill -HUP $MAINPID\n"), std::string::npos) << unit;
}

// Unpacks nothing of its own: a prefix install holds the same layout below the prefix, and
// its configuration and unit name paths below it too.
TEST(PrefixInstall, KeepsEverythingBelowThePrefixServesTheRowsAndKeepsEditedConfiguration) {
  TempDir dir;
  const fs::path prefix = dir / "opt";
  auto install = [&] {
    return RunProgram({CMAKE_PATH, "--install", QUILLON_BINARY_DIR, "--prefix", prefix.string()},
                      {}, 120s);
  };
  const RunResult first = install();
  ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
  for (const char* path : {"sbin/snmp-exthost", "bin/ctrview", "lib/quillon/libquillon.so",
                           "etc/quillon/registry.reg", "etc/quillon/counters.ini",
                           "lib/systemd/system/quillon.service", "share/man/man5/quillon.5.gz"}) {
    EXPECT_TRUE(fs::exists(prefix / path)) << path;
  }
  const std::string registry = ReadFile(prefix / "etc/quillon/registry.reg");
  EXPECT_EQ(RegistryValue(registry, "counters"), (prefix / "etc/quillon/counters.ini").string());
  const fs::perms mode = fs::status(prefix / "etc/quillon/counters.ini").permissions();
  EXPECT_EQ(mode & (fs::perms::group_write | fs::perms::others_write), fs::perms::none);

  EXPECT_EQ(WalkedRows((prefix / "sbin/snmp-exthost").string(),
                       (prefix / "lib/quillon/libquillon.so").string(),
                       (prefix / "etc/quillon/registry.reg").string(), dir),
            ExampleRows());

  if (fs::exists(SYSTEMD_ANALYZE_PATH)) {
    // The AgentX drop-in next to the unit is verified with it.
    const fs::path unitDir = dir / "units";
    fs::create_directories(unitDir / "quillon.service.d");
    fs::copy_file(prefix / "lib/systemd/system/quillon.service", unitDir / "quillon.service");
    fs::copy_file(prefix / "share/quillon/examples/quillon.service.d/agentx.conf",
                  unitDir / "quillon.service.d/agentx.conf");
    const RunResult verify = VerifyUnit(unitDir / "quillon.service", false);
    EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
  }

  WriteFile(prefix / "etc/quillon/counters.ini",
            "[1.3.6.1.4.1.15.7.0]\ntype=string\ncounter=mine\n");
  const RunResult again = install();
  ASSERT_EQ(again.exitCode, 0) << again.out << again.err;
  EXPECT_EQ(ReadFile(prefix / "etc/quillon/counters.ini"),
            "[1.3.6.1.4.1.15.7.0]\ntype=string\ncounter=mine\n");
}

bool Installed(const std::string& package) {
  const RunResult status = RunProgram({"/usr/bin/dpkg-query", "-W", "-f=${Status}", package});
  return status.out.find("ok installed") != std::string::npos ||
         status.out.find("config-files") != std::string::npos;
}

// dpkg, waiting while another program (apt, another test run) holds its lock.
RunResult Dpkg(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {"/usr/bin/dpkg"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  RunResult result;
  for (int attempt = 0; attempt < 60; ++attempt) {
    result = RunProgram(argv, {{"DEBIAN_FRONTEND", "noninteractive"}}, 120s);
    if (result.exitCode == 0 || result.err.find("lock") == std::string::npos) break;
    std::this_thread::sleep_for(2s);
  }
  return result;
}

// Installs the package for the life of the object and purges it after, also when a test
// fails half way.
class InstalledPackage {
 public:
  explicit InstalledPackage(const fs::path& package) {
    installed_ = Dpkg({"-i", package.string()});
  }
  ~InstalledPackage() { Dpkg({"--purge", "quillon"}); }
  const RunResult& Result() const { return installed_; }

 private:
  RunResult installed_;
};

// One test run at a time installs the package on this machine.
class MachineLock {
 public:
  MachineLock() : fd_(open("/run/lock/quillon-package-test.lock", O_CREAT | O_RDWR, 0600)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~MachineLock() {
    if (fd_ >= 0) close(fd_);
  }

 private:
  int fd_;
};

TEST(InstalledPackage, AnswersAWalkOfItsRowsPassesSystemdVerifyAndPurgesClean) {
  if (geteuid() != 0) GTEST_SKIP() << "installing a package needs root";
  const fs::path package = PackageFile();
  ASSERT_FALSE(package.empty()) << "no .deb in " << PACKAGE_DIR;
  MachineLock lock;
  if (Installed("quillon") || fs::exists("/etc/quillon")) {
    GTEST_SKIP() << "quillon is installed on this machine (or /etc/quillon exists): left alone";
  }
  {
    InstalledPackage installed(package);
    ASSERT_EQ(installed.Result().exitCode, 0) << installed.Result().out << installed.Result().err;
    TempDir dir;
    EXPECT_EQ(WalkedRows("/usr/sbin/snmp-exthost", "/usr/lib/quillon/libquillon.so",
                         "/etc/quillon/registry.reg", dir),
              ExampleRows());
    if (fs::exists(SYSTEMD_ANALYZE_PATH)) {
      const RunResult verify = VerifyUnit("/lib/systemd/system/quillon.service", true);
      EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
    }
  }
  EXPECT_FALSE(Installed("quillon"));
  EXPECT_FALSE(fs::exists("/etc/quillon"));
  EXPECT_FALSE(fs::exists("/usr/sbin/snmp-exthost"));
  // The unit's enablement and the mask of a removed unit go with the purge.
  EXPECT_FALSE(fs::exists(fs::symlink_status("/etc/systemd/system/quillon.service")));
  EXPECT_FALSE(fs::exists(
      fs::symlink_status("/etc/systemd/system/multi-user.target.wants/quillon.service")));
}

}  // namespace
}  // namespace e2e
