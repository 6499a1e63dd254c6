#include "perf/ex_registry.h"

#include <algorithm>
#include <string>

namespace perf {

namespace {

std::string WithErrorText(int32_t code, const std::string& message) {
  const std::string text = ErrorCodeText(code);
  std::string prefix = "Error " + std::to_string(code);
  if (!text.empty()) prefix += " : " + text;
  return prefix + ":" + message;
}

}  // namespace

EExRegistryException::EExRegistryException(const std::string& message)
    : EExRegistryException(platform::ThreadLastError(), message) {}

EExRegistryException::EExRegistryException(int32_t code, const std::string& message)
    : ERegistryException(WithErrorText(code, message)), ErrorCode(code) {}

void TExRegistry::ReadMultiSz(const std::string& name, std::vector<std::string>& list) {
  list.clear();
  SplitMultiSz(ReadMultiSzData(name), list);
}

std::string TExRegistry::ReadMultiSzData(const std::string& name) {
  uint32_t type = 0;
  uint32_t size = 0;
  const int32_t status = platform::QueryRegValue(CurrentKey(), name, &type, nullptr, &size);
  platform::SetThreadLastError(status);
  if (status != platform::kErrorSuccess) throw EExRegistryException("Unable read MULTI_SZ value");
  if (type != platform::kRegMultiSz) throw ERegistryException("String list expected");
  std::string data(size, '\0');
  if (size > 0) {
    platform::QueryRegValue(CurrentKey(), name, &type, reinterpret_cast<uint8_t*>(data.data()),
                            &size);
  }
  return data;
}

void SplitMultiSz(const std::string& data, std::vector<std::string>& list) {
  size_t position = 0;
  while (position < data.size()) {
    const size_t end = std::min(data.find('\0', position), data.size());
    if (end == position) break;
    list.push_back(data.substr(position, end - position));
    position = end + 1;
  }
}

std::string ErrorCodeText(int32_t code) { return platform::SystemErrorText(code); }

}  // namespace perf
