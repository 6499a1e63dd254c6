#include "platform/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/path.h"
#include "platform/posix/command_line.h"

extern char** environ;

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueFd() { Reset(-1); }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release() { return std::exchange(fd_, -1); }
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// Keeps a descriptor off 0, 1 and 2, so that a host started with those closed does
// not get its pipe ends mixed up with the child's standard handles.
UniqueFd AboveStandardHandles(int fd) {
  UniqueFd owned(fd);
  if (fd > STDERR_FILENO) return owned;
  return UniqueFd(fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
}

struct Pipe {
  UniqueFd readEnd;
  UniqueFd writeEnd;
};

bool MakePipe(Pipe& pipe) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  pipe.readEnd = AboveStandardHandles(fds[0]);
  pipe.writeEnd = AboveStandardHandles(fds[1]);
  return pipe.readEnd.Valid() && pipe.writeEnd.Valid();
}

class PosixPipeReadEnd : public PipeReadEnd {
 public:
  PosixPipeReadEnd(UniqueFd pipe, UniqueFd wake) : pipe_(std::move(pipe)), wake_(std::move(wake)) {}

  size_t Read(char* buffer, size_t size) override {
    pollfd fds[2] = {{pipe_.Get(), POLLIN, 0}, {wake_.Get(), POLLIN, 0}};
    for (;;) {
      if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return 0;
      }
      if (fds[1].revents != 0) return 0;
      const ssize_t count = read(pipe_.Get(), buffer, size);
      if (count < 0 && errno == EINTR) continue;
      return count > 0 ? static_cast<size_t>(count) : 0;
    }
  }

  void Interrupt() override {
    const uint64_t one = 1;
    while (write(wake_.Get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
  }

 private:
  UniqueFd pipe_;
  UniqueFd wake_;  // an eventfd that Interrupt() makes readable
};

class PosixChildProcess : public ChildProcess {
 public:
  explicit PosixChildProcess(pid_t pid)
      : pid_(pid), exitFd_(static_cast<int>(syscall(SYS_pidfd_open, pid, 0))) {}

  ~PosixChildProcess() override {
    if (!reaped_) TryReap();
  }

  bool WaitForExit(uint32_t timeoutMs) override {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // Without a pidfd (older kernels) the wait polls, backing off to 50 ms.
    std::chrono::milliseconds backoff(1);
    while (!TryReap()) {
      const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (remaining.count() <= 0) return false;
      if (exitFd_.Valid()) {
        pollfd exit{exitFd_.Get(), POLLIN, 0};
        poll(&exit, 1, static_cast<int>(std::min<int64_t>(remaining.count(), INT_MAX)));
      } else {
        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(remaining, backoff));
        backoff = std::min(backoff * 2, std::chrono::milliseconds(50));
      }
    }
    return true;
  }

  void Terminate() override {
    if (reaped_) return;
    // The child leads its own process group: whatever it started goes with it.
    kill(-pid_, SIGKILL);
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    killed_ = true;
  }

  bool Killed() const override { return killed_; }

 private:
  // True once the process has ended and is reaped. A host that ignores SIGCHLD has
  // its children reaped by the kernel; waitpid then reports ECHILD.
  bool TryReap() {
    int status = 0;
    const pid_t result = waitpid(pid_, &status, WNOHANG);
    if (result == pid_ || (result < 0 && errno == ECHILD)) reaped_ = true;
    // Without a status (ECHILD) nothing says that it was killed.
    if (result == pid_) killed_ = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    return reaped_;
  }

  pid_t pid_;
  UniqueFd exitFd_;  // a pidfd, readable once the process has ended
  bool reaped_ = false;
  bool killed_ = false;
};

class SpawnSetup {
 public:
  SpawnSetup(int outputFd, int errorFd) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions_, outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions_, errorFd, STDERR_FILENO);
    // Nothing else of the host: a listening socket or pipe kept by a daemon the command
    // leaves behind would hold the service's port after the service ends.
    posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1);
    posix_spawnattr_init(&attributes_);
    posix_spawnattr_setflags(
        &attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes_, 0);
    // The host's blocked and ignored signals (SIGPIPE above all) are not the child's.
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes_, &signals);
    sigfillset(&signals);
    posix_spawnattr_setsigdefault(&attributes_, &signals);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  ~SpawnSetup() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
  }

  const posix_spawn_file_actions_t* Actions() const { return &actions_; }
  const posix_spawnattr_t* Attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

UniqueFd MakeWakeFd() { return UniqueFd(eventfd(0, EFD_CLOEXEC)); }

// The parent and the process group of a process, from /proc/PID/stat; false when it is gone.
bool ReadParentAndGroup(pid_t pid, pid_t& parent, pid_t& group) {
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  char line[1024];
  const bool read = std::fgets(line, sizeof line, file) != nullptr;
  std::fclose(file);
  if (!read) return false;
  // The command name in parentheses may hold blanks and parentheses of its own.
  const char* afterName = std::strrchr(line, ')');
  char state = 0;
  int parentId = 0;
  int groupId = 0;
  if (afterName == nullptr ||
      std::sscanf(afterName + 1, " %c %d %d", &state, &parentId, &groupId) != 3) {
    return false;
  }
  parent = parentId;
  group = groupId;
  return true;
}

}  // namespace

StartResult StartCapturedProcess(const std::string& commandLine, CapturedProcess& started) {
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty() || words[0].empty()) return StartResult::kStartFailed;
  words[0] = LocalPath(words[0]);

  Pipe output;
  Pipe error;
  UniqueFd outputWake = MakeWakeFd();
  UniqueFd errorWake = MakeWakeFd();
  if (!MakePipe(output) || !MakePipe(error) || !outputWake.Valid() || !errorWake.Valid()) {
    return StartResult::kPipeFailed;
  }

  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  int spawnError;
  {
    SpawnSetup setup(output.writeEnd.Get(), error.writeEnd.Get());
    spawnError =
        posix_spawnp(&pid, argv[0], setup.Actions(), setup.Attributes(), argv.data(), environ);
  }
  // From here the pipes end when the child and whatever inherited them close them.
  output.writeEnd.Reset(-1);
  error.writeEnd.Reset(-1);
  if (spawnError != 0) return StartResult::kStartFailed;

  started.process = std::make_unique<PosixChildProcess>(pid);
  started.output =
      std::make_unique<PosixPipeReadEnd>(std::move(output.readEnd), std::move(outputWake));
  started.error =
      std::make_unique<PosixPipeReadEnd>(std::move(error.readEnd), std::move(errorWake));
  return StartResult::kStarted;
}

void EndRunningCommands() {
  // Every command leads a process group of its own and stays this process's child until
  // it is reaped, so the running ones are found among the children without any record
  // that a copy of this code elsewhere in the process (the host's, the agent's) would
  // not share.
  DIR* processes = opendir("/proc");
  if (processes == nullptr) return;
  const pid_t self = getpid();
  while (const dirent* entry = readdir(processes)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    pid_t parent = 0;
    pid_t group = 0;
    if (ReadParentAndGroup(static_cast<pid_t>(pid), parent, group) && parent == self &&
        group == pid) {
      kill(-group, SIGKILL);
    }
  }
  closedir(processes);
}

}  // namespace platform
