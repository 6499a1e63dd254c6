#pragma once

#include <string>

namespace wine_test {

// The test program doubles as the child process that the runner's cases start:
// "<program> --child MODE ARGUMENTS..." does one small thing and exits.
//   echo WORDS...       prints its arguments joined by blanks
//   write-bytes N       writes N bytes to standard output
//   stderr TEXT         writes TEXT to standard error only
//   sleep MS            sleeps
//   probe-handle VALUE  prints "inherited" when VALUE is a signalled handle in this process
// Returns the exit status, or -1 when the arguments name no child mode.
int RunChildMode(int argc, char** argv);

// The command line that starts this program in a child mode.
std::string ChildCommand(const std::string& modeAndArguments);

}  // namespace wine_test
