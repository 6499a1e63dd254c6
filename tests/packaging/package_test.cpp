// The Debian package and the plain install: what they put where, with which owner and mode;
// the package installed for real (as root) answering a walk of its rows, its unit checked by
// systemd-analyze, and removed again without a trace.

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
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
// walks the base OID; the example rows answered, with an INTEGER or a STRING each (the
// cells of a table row count as the row).
std::vector<std::string> WalkedRows(const std::string& exthost, const std::string& agent,
                                    const std::string& registry, const TempDir& dir,
                                    const std::vector<std::string>& switches = {}) {
  const int port = FreeUdpPort();
  std::vector<std::string> argv = {exthost, "-f", "-Le", "-a", agent};
  argv.insert(argv.end(), switches.begin(), switches.end());
  argv.push_back("udp:127.0.0.1:" + std::to_string(port));
  Process host(argv, dir.Path(), "host", {{"QUILLON_REGISTRY", registry}});
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
  return RowsAnswered(rows, ExampleRows());
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
        "/usr/share/quillon/examples/snmpd.conf.d/quillon.conf", "/etc/logrotate.d/quillon",
        "/usr/share/doc/quillon/copyright"}) {
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
  EXPECT_NE(control.find("passwd"), std::string::npos) << control;
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

  // Started as root, it drops to quillon once listening; systemd makes its directories.
  const std::string unit = ReadFile(dir / "lib/systemd/system/quillon.service");
  EXPECT_NE(unit.find("\nExecStart=/usr/sbin/snmp-exthost -f -Le -a /usr/lib/quillon/libquillon.so "
                      "-c /etc/quillon/snmp-exthost.conf -u quillon -g quillon "
                      "-p /run/quillon/snmp-exthost.pid\n"),
            std::string::npos)
      << unit;
  for (const char* line : {"\nStateDirectory=quillon\n", "\nLogsDirectory=quillon\n",
                           "\nRuntimeDirectory=quillon\n"}) {
    EXPECT_NE(unit.find(line), std::string::npos) << line << unit;
  }
  EXPECT_EQ(unit.find("\nUser="), std::string::npos) << unit;
  // The program's own default for c: is the unit's log directory.
  EXPECT_EQ(unit.find("QUILLON_DRIVE_C"), std::string::npos) << unit;
  const std::string agentx =
      ReadFile(dir / "usr/share/quillon/examples/quillon.service.d/agentx.conf");
  EXPECT_NE(agentx.find(" -u quillon -g quillon -p /run/quillon/snmp-exthost.pid -x "
                        "/var/agentx/master\n"),
            std::string::npos)
      << agentx;
  const std::string logrotate = ReadFile(dir / "etc/logrotate.d/quillon");
  for (const char* line :
       {"/var/log/quillon/log.txt {", "\tcopytruncate\n", "\tsu quillon quillon\n"}) {
    EXPECT_NE(logrotate.find(line), std::string::npos) << line << logrotate;
  }
  EXPECT_NE(ReadFile(dir / "usr/share/doc/quillon/copyright").find("License: MIT"),
            std::string::npos);
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
  // No service user below a prefix: it runs as root and keeps log and state below it.
  const std::string unit = ReadFile(prefix / "lib/systemd/system/quillon.service");
  EXPECT_EQ(unit.find(" -u quillon"), std::string::npos) << unit;
  EXPECT_EQ(unit.find("StateDirectory="), std::string::npos) << unit;
  EXPECT_NE(ReadFile(prefix / "etc/logrotate.d/quillon")
                .find((prefix / "var/log/quillon/log.txt {").string()),
            std::string::npos);
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

constexpr const char* kLockFile = "/run/lock/quillon-package-test.lock";

// One test run at a time installs the package on this machine; the lock file goes with the
// lock. A run that waited on a file removed meanwhile takes the new one.
class MachineLock {
 public:
  MachineLock() {
    for (;;) {
      fd_ = open(kLockFile, O_CREAT | O_RDWR | O_CLOEXEC, 0600);
      if (fd_ < 0 || flock(fd_, LOCK_EX) != 0) return;
      struct stat held {
      }, named{};
      if (fstat(fd_, &held) == 0 && stat(kLockFile, &named) == 0 && held.st_ino == named.st_ino &&
          held.st_dev == named.st_dev) {
        return;
      }
      close(fd_);
    }
  }
  ~MachineLock() {
    if (fd_ < 0) return;
    unlink(kLockFile);
    close(fd_);
  }

 private:
  int fd_ = -1;
};

bool SystemTestsAsked() {
  const char* asked = std::getenv("QUILLON_SYSTEM_TESTS");
  return asked != nullptr && std::string(asked) == "1";
}

struct Account {
  bool exists = false;
  std::string home, shell;
  uid_t user = 0;
  gid_t group = 0;
};

Account SystemAccount(const std::string& name) {
  Account account;
  if (const passwd* entry = getpwnam(name.c_str())) {
    account = {true, entry->pw_dir, entry->pw_shell, entry->pw_uid, entry->pw_gid};
  }
  return account;
}

// The engine's identity as the state directory keeps it ("oldEngineID 0x...").
std::string StoredEngineId(const fs::path& stateDirectory) {
  const std::regex line(R"(^oldEngineID (\S+)$)");
  for (const std::string& text : Lines(ReadFile(stateDirectory / "snmp-exthost.conf"))) {
    std::smatch match;
    if (std::regex_match(text, match, line)) return match[1];
  }
  return {};
}

TEST(InstalledPackage, AnswersAWalkOfItsRowsPassesSystemdVerifyAndPurgesClean) {
  if (!SystemTestsAsked()) {
    GTEST_SKIP() << "installs and purges the real package: QUILLON_SYSTEM_TESTS=1 runs it";
  }
  ASSERT_EQ(geteuid(), 0u) << "QUILLON_SYSTEM_TESTS=1: installing the package needs root";
  const fs::path package = PackageFile();
  ASSERT_FALSE(package.empty()) << "no .deb in " << PACKAGE_DIR;
  std::optional<MachineLock> lock(std::in_place);
  if (Installed("quillon") || fs::exists("/etc/quillon")) {
    GTEST_SKIP() << "quillon is installed on this machine (or /etc/quillon exists): left alone";
  }
  {
    InstalledPackage installed(package);
    ASSERT_EQ(installed.Result().exitCode, 0) << installed.Result().out << installed.Result().err;
    // The system user of the service, without login or home, and its directories.
    const Account quillon = SystemAccount("quillon");
    ASSERT_TRUE(quillon.exists);
    EXPECT_LT(quillon.user, 1000u);
    EXPECT_EQ(quillon.home, "/nonexistent");
    EXPECT_EQ(quillon.shell, "/usr/sbin/nologin");
    ASSERT_NE(getgrnam("quillon"), nullptr);
    EXPECT_EQ(quillon.group, getgrnam("quillon")->gr_gid);
    for (const char* directory : {"/var/lib/quillon", "/var/log/quillon"}) {
      struct stat info {};
      ASSERT_EQ(stat(directory, &info), 0) << directory;
      EXPECT_EQ(info.st_uid, quillon.user) << directory;
      EXPECT_EQ(info.st_gid, quillon.group) << directory;
    }
    // Served as the unit serves it: dropped to quillon, which keeps the engine's identity
    // in the state directory.
    TempDir dir;
    EXPECT_EQ(WalkedRows("/usr/sbin/snmp-exthost", "/usr/lib/quillon/libquillon.so",
                         "/etc/quillon/registry.reg", dir, {"-u", "quillon", "-g", "quillon"}),
              ExampleRows());
    EXPECT_FALSE(StoredEngineId("/var/lib/quillon").empty());
    struct stat state {};
    ASSERT_EQ(stat("/var/lib/quillon/snmp-exthost.conf", &state), 0);
    EXPECT_EQ(state.st_uid, quillon.user);
    if (fs::exists(SYSTEMD_ANALYZE_PATH)) {
      const RunResult verify = VerifyUnit("/lib/systemd/system/quillon.service", true);
      EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
    }
  }
  EXPECT_FALSE(Installed("quillon"));
  EXPECT_FALSE(fs::exists("/etc/quillon"));
  EXPECT_FALSE(fs::exists("/etc/logrotate.d/quillon"));
  EXPECT_FALSE(fs::exists("/var/lib/quillon"));
  EXPECT_FALSE(fs::exists("/var/log/quillon"));
  // A purge leaves the system user, as Debian's packages do.
  EXPECT_TRUE(SystemAccount("quillon").exists);
  EXPECT_FALSE(fs::exists("/usr/sbin/snmp-exthost"));
  // The unit's enablement and the mask of a removed unit go with the purge.
  EXPECT_FALSE(fs::exists(fs::symlink_status("/etc/systemd/system/quillon.service")));
  EXPECT_FALSE(fs::exists(
      fs::symlink_status("/etc/systemd/system/multi-user.target.wants/quillon.service")));
  lock.reset();
  EXPECT_FALSE(fs::exists(kLockFile));
}

}  // namespace
}  // namespace e2e
