#include <windows.h>

#include "tests/wine/service_library.h"

namespace wine_test {

namespace {

class Win32Library : public ServiceLibrary {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  ~Win32Library() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  void* Export(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }
  bool Unload() override {
    const bool freed = FreeLibrary(module_) != 0;
    module_ = nullptr;
    return freed;
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<ServiceLibrary> LoadServiceLibrary(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32Library>(module);
}

bool WaitForTrapEvent(HANDLE event, uint32_t timeoutMs) {
  return WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace wine_test
