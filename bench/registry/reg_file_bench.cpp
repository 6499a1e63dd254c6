// What reading a .reg file costs as its key lines grow: one key line of N components of
// eight characters (9 bytes each with the backslash), or K lines of that depth, parsed
// as the registry stand-in parses them. Prints the time and the peak resident size;
// run one size per process (`/usr/bin/time -v` gives the same peak).
//
//   reg_file_bench COMPONENTS [LINES]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/registry_file.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reg_file_bench COMPONENTS [LINES]\n");
    return 2;
  }
  const long components = std::atol(argv[1]);
  const long lines = argc > 2 ? std::atol(argv[2]) : 1;
  std::string text = "Windows Registry Editor Version 5.00\n\n";
  for (long line = 0; line < lines; ++line) {
    text += "[HKEY_LOCAL_MACHINE";
    char name[32];
    for (long i = 0; i < components; ++i) {
      // The first component differs per line, so no line shares a key with another.
      std::snprintf(name, sizeof name, "\\k%07ld", i == 0 ? line : i);
      text += name;
    }
    text += "]\n\"v\"=\"x\"\n";
  }
  int problems = 0;
  const auto start = std::chrono::steady_clock::now();
  const platform::posix::RegTree tree =
      platform::posix::ParseRegFile(text, [&](int line, const std::string& problem) {
        if (problems++ == 0) std::printf("line %d: %s\n", line, problem.c_str());
      });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%ld line(s) of %ld components, %zu bytes: %.3f s, peak %ld MB, %d problem(s)\n",
              lines, components, text.size(), seconds, usage.ru_maxrss / 1024, problems);
  return 0;
}
