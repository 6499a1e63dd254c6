#include "host/working_directory.h"

#include <unistd.h>

#include <climits>
#include <string>

namespace exthost {
namespace {

void MakeAbsolute(std::string& path, const std::string& from) {
  if (!path.empty() && path.front() != '/') path = from + "/" + path;
}

}  // namespace

void WorkFromRoot(Options& options) {
  char start[PATH_MAX];
  if (getcwd(start, sizeof start) == nullptr) {
    throw UsageError("the directory it was started in is gone");
  }
  MakeAbsolute(options.agentPath, start);
  MakeAbsolute(options.pidFile, start);
  MakeAbsolute(options.stateDirectory, start);
  for (std::string& file : options.configFiles) MakeAbsolute(file, start);
  if (chdir("/") != 0) throw UsageError("cannot change to /");
}

}  // namespace exthost
