#pragma once

// Processes for the end-to-end tests: every one started here is ended (with its process
// group) when its owner goes, also when a test fails half way.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace e2e {

using Environment = std::map<std::string, std::string>;
using namespace std::chrono_literals;

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

int FreeUdpPort();
bool PortIsFree(int udpPort);
std::string ReadFile(const std::filesystem::path& path);
// How often word stands in text, overlapping occurrences counted.
int CountOf(const std::string& text, const std::string& word);
void WriteFile(const std::filesystem::path& path, const std::string& text);
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

struct RunResult {
  int exitCode = -1;  // -1 when killed at the time limit
  std::string out;
  std::string err;
};

// Runs a program to its end, killed after `timeout`.
RunResult RunProgram(const std::vector<std::string>& argv, const Environment& environment = {},
                     std::chrono::milliseconds timeout = 15s);

// A program running in the background; its output goes to files in `logDir`.
class Process {
 public:
  Process(const std::vector<std::string>& argv, const std::filesystem::path& logDir,
          const std::string& name, const Environment& environment = {});
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  std::string Err() const { return ReadFile(errPath_); }
  std::string Out() const { return ReadFile(outPath_); }
  bool Running();
  pid_t Pid() const { return pid_; }
  // Sends `signal` and waits for the exit status (-1 when it did not end in time).
  int Stop(int signal, std::chrono::milliseconds timeout = 10s);

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  std::filesystem::path outPath_;
  std::filesystem::path errPath_;
};

}  // namespace e2e

namespace e2e {

// snmp-exthost on a loopback port (a free one unless given), serving `agent`, stopped by
// its destructor.
class Host {
 public:
  Host(const std::string& agent, const TempDir& dir, const Environment& environment = {},
       std::vector<std::string> extraArguments = {}, int port = 0);
  int Port() const { return port_; }
  std::string Target() const { return "127.0.0.1:" + std::to_string(port_); }
  bool Started() const { return started_; }
  Process& Program() { return process_; }

 private:
  int port_;
  Process process_;
  bool started_ = false;
};

// net-snmp's snmpd (the program at `snmpd`) as an AgentX master on a free loopback port,
// with its socket and its configuration in `dir`; stopped by its destructor.
class AgentxMaster {
 public:
  AgentxMaster(const std::string& snmpd, const TempDir& dir);
  const std::string& Socket() const { return socket_; }
  int Port() const { return port_; }
  // Waits until the master listens on its socket.
  bool Ready();
  Process& Program() { return process_; }

 private:
  std::string socket_;
  int port_;
  Process process_;
};

// The variable lines of a walk, without the tools' closing remarks ("End of MIB", the
// endOfMibView after the last row).
std::vector<std::string> WalkRows(const std::string& output);

// The rows of a counters file (by their sections) that a walk's OIDs answered, in walk
// order: the cells under a table row count as that row, once.
std::vector<std::string> RowsAnswered(const std::vector<std::string>& oids,
                                      const std::vector<std::string>& sections);

// One of net-snmp's tools, with numeric output, short timeouts and no MIB files.
RunResult Snmp(const std::string& tool, const std::vector<std::string>& arguments);

}  // namespace e2e
