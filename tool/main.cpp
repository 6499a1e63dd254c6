#include <cerrno>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "lib/debug_log.h"
#include "platform/program.h"
#include "tool/commands.h"

namespace {

int Fail(const std::string& message) {
  // The error output flushes the standard output first: a failure there now is
  // the one being reported.
  std::cout.exceptions(std::ios::goodbit);
  std::cerr << message << std::endl;
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Output that cannot be written (a full disk, a closed standard output) is a
  // failure of the run like any other, not a silent success.
  std::cout.exceptions(std::ios::badbit);
  try {
    const std::string program =
        ctrview::ProgramFileName(platform::ProgramPath(argc > 0 ? argv[0] : nullptr));
    ctrview::Run(program, std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc),
                 std::cout);
    std::cout.flush();
  } catch (const std::ios_base::failure&) {
    const int error = errno;
    return Fail(lib::EInOutError(static_cast<uint32_t>(error ? error : EIO)).what());
  } catch (const std::exception& failure) {
    // What was written before the failure stands in front of its description.
    return Fail(failure.what());
  }
  return 0;
}
