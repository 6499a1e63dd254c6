#pragma once

namespace quillon {

// The library's load and unload, called by the platform's load hook.
void OnLoad();
void OnUnload();

// "linux" or "win32": the platform word of the start-up log, defined by the load hook.
extern const char* const kPlatformName;

}  // namespace quillon
