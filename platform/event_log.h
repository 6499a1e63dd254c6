#pragma once

#include <string>

namespace platform {

// Writes one informational event with a single text to the system's log under the
// given source name. Never fails visibly.
void ReportInformationEvent(const std::string& source, const std::string& message);

}  // namespace platform
