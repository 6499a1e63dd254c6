#include "platform/path.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform {

namespace {

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

std::string DriveDirectory(char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  const std::string variable = std::string("QUILLON_DRIVE_") + upper;
  const char* configured = std::getenv(variable.c_str());
  if (configured != nullptr && *configured != '\0') return configured;
  if (upper == 'C') return "/";
  return std::string("/mnt/") + static_cast<char>(std::tolower(static_cast<unsigned char>(upper)));
}

}  // namespace

std::string LocalPath(std::string_view path) {
  if (!HasDriveLetter(path)) return std::string(path);
  std::string rest(path.substr(2));
  std::replace(rest.begin(), rest.end(), '\\', '/');
  rest.erase(0, rest.find_first_not_of('/'));
  std::string local = DriveDirectory(path[0]);
  if (rest.empty()) return local;
  if (local.back() != '/') local += '/';
  return local + rest;
}

}  // namespace platform
