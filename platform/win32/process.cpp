#include "platform/process.h"

#include <windows.h>

#include <atomic>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The exit code that marks a process ended for running past its time limit
// (ERROR_CANCELLED).
constexpr UINT kTerminatedExitCode = 1223;

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  HANDLE* Put() {
    Reset();
    return &handle_;
  }
  void Reset() {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

class Win32PipeReadEnd : public PipeReadEnd {
 public:
  explicit Win32PipeReadEnd(UniqueHandle pipe) : pipe_(std::move(pipe)) {}

  size_t Read(char* buffer, size_t size) override {
    // Announce the read before looking at the flag: Interrupt() either sees the read
    // and cancels it, or the read sees the flag.
    reading_ = true;
    DWORD count = 0;
    const bool ok =
        !interrupted_ && ReadFile(pipe_.Get(), buffer, static_cast<DWORD>(size), &count, nullptr);
    reading_ = false;
    return ok ? count : 0;
  }

  void Interrupt() override {
    interrupted_ = true;
    // A read that has not reached the kernel yet cannot be cancelled; try until the
    // reader has left ReadFile.
    while (reading_) {
      CancelIoEx(pipe_.Get(), nullptr);
      Sleep(1);
    }
  }

 private:
  UniqueHandle pipe_;
  std::atomic<bool> reading_{false};
  std::atomic<bool> interrupted_{false};
};

class Win32ChildProcess : public ChildProcess {
 public:
  explicit Win32ChildProcess(const PROCESS_INFORMATION& info)
      : process_(info.hProcess), thread_(info.hThread) {}

  bool WaitForExit(uint32_t timeoutMs) override {
    return WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
  }

  void Terminate() override { TerminateProcess(process_.Get(), kTerminatedExitCode); }

  bool Killed() const override { return false; }

 private:
  UniqueHandle process_;
  UniqueHandle thread_;
};

struct Pipe {
  UniqueHandle readEnd;
  UniqueHandle writeEnd;
};

// Both ends are created inheritable; the read end is then kept from the child, which
// must hold nothing but the write end for the pipe to end when it exits.
bool MakePipe(Pipe& pipe) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  if (!CreatePipe(pipe.readEnd.Put(), pipe.writeEnd.Put(), &inheritable, 0)) return false;
  return SetHandleInformation(pipe.readEnd.Get(), HANDLE_FLAG_INHERIT, 0) != 0;
}

// The attribute list of a process creation that passes down exactly the given
// handles: everything else this process has made inheritable, its own or another
// thread's, stays here.
class InheritedHandleList {
 public:
  InheritedHandleList(HANDLE first, HANDLE second) : handles_{first, second} {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
    list_ = list;
    ready_ = UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_,
                                       sizeof handles_, nullptr, nullptr) != 0;
  }
  ~InheritedHandleList() {
    if (list_ != nullptr) DeleteProcThreadAttributeList(list_);
  }
  InheritedHandleList(const InheritedHandleList&) = delete;
  InheritedHandleList& operator=(const InheritedHandleList&) = delete;

  // Null when the system could not build the list.
  LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return ready_ ? list_ : nullptr; }

 private:
  HANDLE handles_[2];
  std::vector<unsigned char> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
  bool ready_ = false;
};

}  // namespace

StartResult StartCapturedProcess(const std::string& commandLine, CapturedProcess& started) {
  Pipe output;
  Pipe error;
  if (!MakePipe(output) || !MakePipe(error)) return StartResult::kPipeFailed;

  STARTUPINFOEXA startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.StartupInfo.wShowWindow = SW_HIDE;
  startup.StartupInfo.hStdInput = nullptr;
  startup.StartupInfo.hStdOutput = output.writeEnd.Get();
  startup.StartupInfo.hStdError = error.writeEnd.Get();
  const InheritedHandleList inherited(output.writeEnd.Get(), error.writeEnd.Get());
  startup.lpAttributeList = inherited.Get();
  if (startup.lpAttributeList == nullptr) return StartResult::kStartFailed;
  PROCESS_INFORMATION info{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  const BOOL created = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NEW_CONSOLE | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                      nullptr, &startup.StartupInfo, &info);
  output.writeEnd.Reset();
  error.writeEnd.Reset();
  if (!created) return StartResult::kStartFailed;

  started.process = std::make_unique<Win32ChildProcess>(info);
  started.output = std::make_unique<Win32PipeReadEnd>(std::move(output.readEnd));
  started.error = std::make_unique<Win32PipeReadEnd>(std::move(error.readEnd));
  return StartResult::kStarted;
}

}  // namespace platform
