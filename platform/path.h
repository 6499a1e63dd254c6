#pragma once

#include <string>
#include <string_view>

namespace platform {

// Maps a system path as the configuration writes it to a path of this machine.
// On Windows a bare file name ("counters.ini": no directory, no drive) lies in the
// Windows directory, where GetPrivateProfileStringA looks for it; any other path is
// returned unchanged. On Linux a path that begins with a drive letter ("c:\log.txt")
// is placed under the directory that stands for that drive ($QUILLON_DRIVE_C for c:,
// and so on) with backslashes turned into slashes; any other path is returned
// unchanged. Every path that enters the seam goes through here.
std::string LocalPath(std::string_view path);

}  // namespace platform
