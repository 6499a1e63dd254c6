#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/program.h"
#include "tool/commands.h"

int main(int argc, char** argv) {
  try {
    const std::string program =
        ctrview::ProgramFileName(platform::ProgramPath(argc > 0 ? argv[0] : nullptr));
    ctrview::Run(program, std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc),
                 std::cout);
  } catch (const std::exception& failure) {
    std::cout.flush();
    std::cerr << failure.what() << std::endl;
    return 1;
  }
  return 0;
}
