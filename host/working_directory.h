#pragma once

// The service works in /, as daemons do: it holds no other directory busy, and a
// relative path in the agent's configuration means the same wherever it was started.

#include "host/options.h"

namespace exthost {

// Makes the paths of the command line absolute (they are the caller's, taken from where
// it was started) and changes to /. Throws UsageError when the start directory is gone.
void WorkFromRoot(Options& options);

}  // namespace exthost
