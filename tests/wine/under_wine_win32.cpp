#include <windows.h>

#include "tests/wine/under_wine.h"

namespace quillon_test {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace quillon_test
