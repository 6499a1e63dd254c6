#pragma once

#include <ostream>
#include <string>

namespace ctrview {

enum class ReadMode { Formatted, Raw };

// One query session around one read of an English counter path. Returns the value
// as text ("null" when the read gives none, empty when nothing was read); the
// session's own messages go to out as lines before the caller prints the result.
std::string Readout(const std::string& path, ReadMode mode, std::ostream& out);

}  // namespace ctrview
