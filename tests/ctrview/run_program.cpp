#include "run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::string ReadAndRemove(const std::string& path) {
  std::string text;
  {
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::filesystem::remove(path);
  return text;
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& environment,
                      StandardOutput output) {
  std::string pattern = (std::filesystem::temp_directory_path() / "ctrview-out-XXXXXX").string();
  const int outFd = mkstemp(pattern.data());
  const std::string outPath = pattern;
  pattern = (std::filesystem::temp_directory_path() / "ctrview-err-XXXXXX").string();
  const int errFd = mkstemp(pattern.data());
  const std::string errPath = pattern;
  if (outFd < 0 || errFd < 0) throw std::runtime_error("cannot create output files");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  switch (output) {
    case StandardOutput::kCaptured:
      posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
      break;
    case StandardOutput::kFullDevice:
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/full", O_WRONLY, 0);
      break;
    case StandardOutput::kClosed:
      posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
      break;
  }
  posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);

  std::vector<std::string> argvText{program};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvText) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText;
  for (const auto& [name, value] : environment) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : envText) envp.push_back(entry.data());
  envp.push_back(nullptr);

  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(outFd);
  ::close(errFd);
  ProgramRun run;
  if (spawned == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  run.out = ReadAndRemove(outPath);
  run.err = ReadAndRemove(errPath);
  return run;
}
