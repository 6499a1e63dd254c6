#include "tests/wine/child_modes.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace wine_test {

int RunChildMode(int argc, char** argv) {
  if (argc < 3 || std::string(argv[1]) != "--child") return -1;
  const std::string mode = argv[2];
  if (mode == "echo") {
    for (int i = 3; i < argc; ++i) std::printf(i > 3 ? " %s" : "%s", argv[i]);
    return 0;
  }
  if (argc < 4) return -1;
  if (mode == "write-bytes") {
    const std::string block(4096, 'x');
    for (long left = std::atol(argv[3]); left > 0; left -= static_cast<long>(block.size())) {
      std::fwrite(block.data(), 1, left < 4096 ? left : 4096, stdout);
    }
    return 0;
  }
  if (mode == "stderr") {
    std::fputs(argv[3], stderr);
    return 0;
  }
  if (mode == "sleep") {
    Sleep(static_cast<DWORD>(std::atol(argv[3])));
    return 0;
  }
  if (mode == "probe-handle") {
    const auto handle = reinterpret_cast<HANDLE>(std::strtoull(argv[3], nullptr, 10));
    std::fputs(WaitForSingleObject(handle, 0) == WAIT_OBJECT_0 ? "inherited" : "not inherited",
               stdout);
    return 0;
  }
  return -1;
}

std::string ChildCommand(const std::string& modeAndArguments) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string command = "\"";
  command += path;
  command += "\" --child ";
  command += modeAndArguments;
  return command;
}

}  // namespace wine_test
