// The library's load and unload hooks on Linux.
#include "agent/lifecycle.h"

namespace quillon {

const char* const kPlatformName = "linux";

namespace {

__attribute__((constructor)) void LibraryLoaded() { OnLoad(); }

__attribute__((destructor)) void LibraryUnloaded() { OnUnload(); }

}  // namespace

}  // namespace quillon
