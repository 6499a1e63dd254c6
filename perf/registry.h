#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace perf {

// The registry accessor's own failure (a value of the wrong type, an unreadable value).
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A small registry accessor: an access mask, a root key and at most one open current
// key, closed on destruction.
class Registry {
 public:
  explicit Registry(uint32_t access);
  virtual ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  void SetRootKey(platform::RegKey root);
  // Makes the named subkey of the root the current key; false (and no current key)
  // when it cannot be opened.
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();

  bool ValueExists(const std::string& name);
  // REG_SZ or REG_EXPAND_SZ (taken as stored); ERegistryException otherwise.
  std::string ReadString(const std::string& name);
  // REG_DWORD; ERegistryException otherwise.
  int32_t ReadInteger(const std::string& name);
  // Clears names and fills it with the current key's subkey names.
  void GetKeyNames(std::vector<std::string>& names);

 protected:
  platform::RegKey CurrentKey() const { return currentKey_; }

 private:
  uint32_t access_;
  platform::RegKey rootKey_ = platform::kHKeyLocalMachine;
  platform::RegKey currentKey_ = 0;
};

}  // namespace perf
