#include "e2e_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace e2e {
namespace {

std::vector<std::string> MergedEnvironment(const Environment& additions) {
  Environment merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : additions) merged[name] = value;
  std::vector<std::string> result;
  for (const auto& [name, value] : merged) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Forks a child in a process group of its own, with the given descriptors as 1 and 2.
pid_t Spawn(const std::vector<std::string>& argv, const Environment& environment, int out,
            int err) {
  std::vector<std::string> arguments = argv;
  std::vector<std::string> variables = MergedEnvironment(environment);
  std::vector<char*> argPointers = Pointers(arguments);
  std::vector<char*> envPointers = Pointers(variables);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    setpgid(0, 0);
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    execve(argPointers[0], argPointers.data(), envPointers.data());
    _exit(127);
  }
  setpgid(pid, pid);
  return pid;
}

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "exthost-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

int FreeUdpPort() {
  const int sock = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
  close(sock);
  return ntohs(address.sin_port);
}

bool PortIsFree(int udpPort) {
  const int sock = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(udpPort));
  const bool free = bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(sock);
  return free;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

int CountOf(const std::string& text, const std::string& word) {
  int count = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
  return count;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(20ms);
  }
  return condition();
}

RunResult RunProgram(const std::vector<std::string>& argv, const Environment& environment,
                     std::chrono::milliseconds timeout) {
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  const pid_t pid = Spawn(argv, environment, outPipe[1], errPipe[1]);
  close(outPipe[1]);
  close(errPipe[1]);
  RunResult result;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int open = 2;
  bool killed = false;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(-pid, SIGKILL);
      killed = true;
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = killed ? -1 : ExitCodeOf(status);
  return result;
}

Process::Process(const std::vector<std::string>& argv, const std::filesystem::path& logDir,
                 const std::string& name, const Environment& environment)
    : outPath_(logDir / (name + ".out")), errPath_(logDir / (name + ".err")) {
  const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  pid_ = Spawn(argv, environment, out, err);
  close(out);
  close(err);
}

Process::~Process() {
  if (pid_ > 0) {
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool Process::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    status_ = ExitCodeOf(status);
    pid_ = -1;
    return false;
  }
  return true;
}

int Process::Stop(int signal, std::chrono::milliseconds timeout) {
  if (!Running()) return status_;
  kill(pid_, signal);
  WaitFor([this] { return !Running(); }, timeout);
  if (Running()) return -1;
  return status_;
}

}  // namespace e2e

namespace e2e {
namespace {

// Each host keeps net-snmp's state in its test's directory, unless the test names another.
std::vector<std::string> HostCommand(const std::string& agent, const TempDir& dir, int port,
                                     std::vector<std::string> extra) {
  std::vector<std::string> argv = {
      EXTHOST_PATH, "-f", "-Le", "-a", agent, "--state-dir", (dir / "net-snmp-state").string()};
  argv.insert(argv.end(), extra.begin(), extra.end());
  argv.push_back("udp:127.0.0.1:" + std::to_string(port));
  return argv;
}

}  // namespace

namespace {

std::string WrittenMasterConfiguration(const TempDir& dir, const std::string& socket) {
  WriteFile(dir / "snmpd.conf",
            "master agentx\nagentXSocket " + socket + "\nrocommunity public 127.0.0.1\n");
  return (dir / "snmpd.conf").string();
}

}  // namespace

AgentxMaster::AgentxMaster(const std::string& snmpd, const TempDir& dir)
    : socket_((dir / "agentx").string()),
      port_(FreeUdpPort()),
      process_({snmpd, "-f", "-C", "-c", WrittenMasterConfiguration(dir, socket_), "-Lo", "-p",
                (dir / "snmpd.pid").string(), "udp:127.0.0.1:" + std::to_string(port_)},
               dir.Path(), "snmpd", {{"MIBS", ""}}) {}

bool AgentxMaster::Ready() {
  return WaitFor([this] { return std::filesystem::exists(socket_); }, std::chrono::seconds(10));
}

Host::Host(const std::string& agent, const TempDir& dir, const Environment& environment,
           std::vector<std::string> extraArguments, int port)
    : port_(port != 0 ? port : FreeUdpPort()),
      process_(HostCommand(agent, dir, port_, std::move(extraArguments)), dir.Path(), "host",
               environment) {
  started_ = WaitFor(
                 [this] {
                   return process_.Err().find("snmp-exthost: serving") != std::string::npos ||
                          !process_.Running();
                 },
                 10s) &&
             process_.Running();
}

std::vector<std::string> WalkRows(const std::string& output) {
  std::vector<std::string> rows;
  size_t start = 0;
  for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = output.substr(start, end - start);
    if (line == "End of MIB" || line.find("= No more variables left") != std::string::npos) {
      continue;
    }
    rows.push_back(line);
  }
  return rows;
}

std::vector<std::string> RowsAnswered(const std::vector<std::string>& oids,
                                      const std::vector<std::string>& sections) {
  std::vector<std::string> rows;
  for (const std::string& oid : oids) {
    std::string row = oid;
    for (const std::string& section : sections) {
      if (oid.starts_with(section + ".")) row = section;
    }
    if (rows.empty() || rows.back() != row) rows.push_back(row);
  }
  return rows;
}

RunResult Snmp(const std::string& tool, const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {"/usr/bin/" + tool, "-On", "-t", "2", "-r", "1"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunProgram(argv, {{"MIBS", ""}, {"MIBDIRS", ""}}, 20s);
}

}  // namespace e2e
