#include <string>

#include "platform/registry.h"

namespace platform {

namespace {

thread_local int32_t lastError = 0;

}  // namespace

void SetThreadLastError(int32_t code) { lastError = code; }

int32_t ThreadLastError() { return lastError; }

// The texts of the codes that the registry stand-in returns, as the system words
// them.
std::string SystemErrorText(int32_t code) {
  switch (code) {
    case kErrorSuccess:
      return "The operation completed successfully.\r\n";
    case kErrorFileNotFound:
      return "The system cannot find the file specified.\r\n";
    case kErrorAccessDenied:
      return "Access is denied.\r\n";
    case kErrorInvalidHandle:
      return "The handle is invalid.\r\n";
    case kErrorInvalidParameter:
      return "The parameter is incorrect.\r\n";
    case kErrorMoreData:
      return "More data is available.\r\n";
    case kErrorNoMoreItems:
      return "No more data is available.\r\n";
    default:
      return {};
  }
}

}  // namespace platform
