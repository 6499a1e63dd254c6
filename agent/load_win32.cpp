// The library's load and unload hooks on Windows.
#include <windows.h>

#include "agent/lifecycle.h"

namespace quillon {

const char* const kPlatformName = "win32";

}  // namespace quillon

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      quillon::OnLoad();
      break;
    case DLL_PROCESS_DETACH:
      quillon::OnUnload();
      break;
    default:
      break;
  }
  return TRUE;
}
