#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <cstdint>

#include "tests/wine/service_library.h"

namespace wine_test {

namespace {

class PosixLibrary : public ServiceLibrary {
 public:
  explicit PosixLibrary(void* handle) : handle_(handle) {}
  ~PosixLibrary() override {
    if (handle_ != nullptr) dlclose(handle_);
  }
  void* Export(const char* name) override { return dlsym(handle_, name); }
  bool Unload() override {
    const bool closed = dlclose(handle_) == 0;
    handle_ = nullptr;
    return closed;
  }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<ServiceLibrary> LoadServiceLibrary(const std::string& path, std::string& error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = dlerror();
    return nullptr;
  }
  return std::make_unique<PosixLibrary>(handle);
}

// The trap event is an eventfd; reading it resets it.
bool WaitForTrapEvent(HANDLE event, uint32_t timeoutMs) {
  const int descriptor = static_cast<int>(reinterpret_cast<std::intptr_t>(event));
  pollfd waiting{descriptor, POLLIN, 0};
  if (poll(&waiting, 1, static_cast<int>(timeoutMs)) != 1) return false;
  uint64_t signals = 0;
  return read(descriptor, &signals, sizeof signals) == static_cast<ssize_t>(sizeof signals);
}

}  // namespace wine_test
