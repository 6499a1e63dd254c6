#include "perf/registry.h"

#include <algorithm>

namespace perf {

namespace {

[[noreturn]] void InvalidType(const std::string& name) {
  throw ERegistryException("Invalid data type for '" + name + "'");
}

}  // namespace

Registry::Registry(uint32_t access) : access_(access) {}

Registry::~Registry() { CloseKey(); }

void Registry::SetRootKey(platform::RegKey root) {
  CloseKey();
  rootKey_ = root;
}

bool Registry::OpenKeyReadOnly(const std::string& key) {
  CloseKey();
  platform::RegKey opened = 0;
  if (platform::OpenRegKey(rootKey_, key, platform::kKeyRead, &opened) != platform::kErrorSuccess) {
    return false;
  }
  currentKey_ = opened;
  return true;
}

void Registry::CloseKey() {
  if (currentKey_ == 0) return;
  platform::CloseRegKey(currentKey_);
  currentKey_ = 0;
}

bool Registry::ValueExists(const std::string& name) {
  uint32_t type = 0;
  uint32_t size = 0;
  return platform::QueryRegValue(currentKey_, name, &type, nullptr, &size) ==
         platform::kErrorSuccess;
}

std::string Registry::ReadString(const std::string& name) {
  uint32_t type = 0;
  uint32_t size = 0;
  if (platform::QueryRegValue(currentKey_, name, &type, nullptr, &size) !=
      platform::kErrorSuccess) {
    throw ERegistryException("Unable to read value '" + name + "'");
  }
  if (type != platform::kRegSz && type != platform::kRegExpandSz) InvalidType(name);
  std::string text(size, '\0');
  if (size > 0 &&
      platform::QueryRegValue(currentKey_, name, &type, reinterpret_cast<uint8_t*>(text.data()),
                              &size) != platform::kErrorSuccess) {
    throw ERegistryException("Unable to read value '" + name + "'");
  }
  text.resize(std::min<size_t>(size, text.find('\0')));
  return text;
}

int32_t Registry::ReadInteger(const std::string& name) {
  uint32_t type = 0;
  uint32_t value = 0;
  uint32_t size = sizeof value;
  const int32_t status =
      platform::QueryRegValue(currentKey_, name, &type, reinterpret_cast<uint8_t*>(&value), &size);
  if (status == platform::kErrorSuccess && type == platform::kRegDword && size == sizeof value) {
    return static_cast<int32_t>(value);
  }
  if (status == platform::kErrorFileNotFound || status == platform::kErrorInvalidHandle) {
    throw ERegistryException("Unable to read value '" + name + "'");
  }
  InvalidType(name);
}

void Registry::GetKeyNames(std::vector<std::string>& names) {
  names.clear();
  uint32_t count = 0;
  uint32_t longest = 0;
  if (currentKey_ == 0 ||
      platform::QueryRegKeyInfo(currentKey_, &count, &longest) != platform::kErrorSuccess) {
    return;
  }
  std::string name(longest + 1, '\0');
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t length = longest + 1;
    if (platform::EnumRegKey(currentKey_, i, name.data(), &length) != platform::kErrorSuccess) {
      continue;
    }
    names.emplace_back(name.data(), length);
  }
}

}  // namespace perf
