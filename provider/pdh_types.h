#pragma once

#include "platform/pdh.h"

// The provider answers in the seam's own PDH records, statuses and format flags.
namespace provider {

using namespace platform;

}  // namespace provider
