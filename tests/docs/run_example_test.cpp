// The README's first command and the examples it serves: the script says when its port is
// taken before announcing anything, serves the rows, and keeps the debug log once stopped;
// the examples keep their types from poll to poll and ship with the debug log off.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "e2e_support.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = QUILLON_SOURCE_DIR;
const std::string kScript = (kSource / "scripts" / "run-example.sh").string();

Environment ScriptEnvironment(int port) {
  return {{"EXTHOST_PORT", std::to_string(port)}, {"QUILLON_BUILD_DIR", QUILLON_BINARY_DIR}};
}

// A UDP socket on 127.0.0.1 that holds a port for the life of the object.
class HeldPort {
 public:
  HeldPort() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~HeldPort() { close(fd_); }
  int Port() const { return port_; }

 private:
  int fd_;
  int port_ = 0;
};

TEST(RunExample, SaysThatThePortIsTakenAndServesNothing) {
  HeldPort held;
  const RunResult run = RunProgram({"/bin/bash", kScript}, ScriptEnvironment(held.Port()), 600s);
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_NE(run.err.find("udp:127.0.0.1:" + std::to_string(held.Port()) + " is taken"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out.find("Serving the examples"), std::string::npos) << run.out;
}

TEST(RunExample, ServesTheExamplesAndKeepsTheDebugLogWhenStopped) {
  TempDir dir;
  const int port = FreeUdpPort();
  const fs::path log = fs::path(QUILLON_BINARY_DIR) / "example" / "log.txt";
  std::error_code ignored;
  fs::remove(log, ignored);
  Process script({"/bin/bash", kScript, "--debug"}, dir.Path(), "run-example",
                 ScriptEnvironment(port));
  ASSERT_TRUE(WaitFor(
      [&] {
        return script.Err().find("snmp-exthost: serving") != std::string::npos || !script.Running();
      },
      600s))
      << script.Out() << script.Err();
  ASSERT_TRUE(script.Running()) << script.Out() << script.Err();
  EXPECT_NE(script.Out().find("snmpwalk -v2c -c public -t 3 -On 127.0.0.1:" + std::to_string(port)),
            std::string::npos)
      << script.Out();

  const RunResult walk = Snmp(
      "snmpwalk", {"-v2c", "-c", "public", "127.0.0.1:" + std::to_string(port), "1.3.6.1.4.1.15"});
  EXPECT_NE(walk.out.find("1.3.6.1.4.1.15.3.2.0 = INTEGER: 42"), std::string::npos) << walk.out;
  EXPECT_TRUE(fs::exists(fs::path(QUILLON_BINARY_DIR) / "tool" / "ctrview"));

  EXPECT_EQ(script.Stop(SIGINT, 30s), 0) << script.Err();
  EXPECT_NE(script.Out().find("debug log is kept: " + log.string()), std::string::npos)
      << script.Out();
  EXPECT_NE(ReadFile(log).find("SnmpExtensionInit"), std::string::npos);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST(Examples, RateRowsAreRoundedAndTheRegistryHasDebugOff) {
  // A rate's formatted value is a fraction most of the time and a whole number now and then:
  // without round its type would change between two polls.
  std::string section;
  std::string counter;
  bool rounded = false;
  auto checkRow = [&] {
    const bool rate =
        counter.find("/sec") != std::string::npos || counter.find("% ") != std::string::npos;
    EXPECT_TRUE(!rate || rounded) << section << " reads the rate " << counter << " without round";
  };
  for (const std::string& line : Lines(ReadFile(kSource / "examples" / "counters.ini"))) {
    if (line.starts_with('[')) {
      checkRow();
      section = line;
      counter.clear();
      rounded = false;
    } else if (line.starts_with("counter=")) {
      counter = line.substr(8);
    } else if (line.starts_with("flag=")) {
      rounded = line.find("round") != std::string::npos;
    } else if (line.starts_with("type=")) {
      counter.clear();  // commands and texts are not counters
    }
  }
  checkRow();

  const std::string registry = ReadFile(kSource / "examples" / "quillon.reg");
  EXPECT_TRUE(std::regex_search(registry, std::regex("\n\"debug\"=\"0\"\r?\n"))) << registry;
}

}  // namespace
}  // namespace e2e
