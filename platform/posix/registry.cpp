#include "platform/registry.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/posix/pdh/perflib.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/utf16.h"

namespace platform {

namespace {

using posix::LowerCase;
using posix::RegKeyData;
using posix::RegTree;

constexpr const char* kDefaultRegistryFile = "/etc/quillon/registry.reg";
constexpr std::string_view kPerflibPath =
    "software\\microsoft\\windows nt\\currentversion\\perflib";
constexpr std::string_view kPerflibParent = "Software\\Microsoft\\Windows NT\\CurrentVersion";
// Everything in an access mask that asks to change the registry.
constexpr uint32_t kWriteAccess = 0x0002 | 0x0004 | 0x0020 | 0x00010000 | 0x00040000 | 0x00080000;

// What a file looked like when it was read, to notice that it changed.
struct FileIdentity {
  std::string path;
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const FileIdentity& other) const {
    return path == other.path && exists == other.exists && device == other.device &&
           inode == other.inode && size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
  }
};

struct OpenedKey {
  std::shared_ptr<const RegTree> tree;
  std::string path;  // lower case, below HKEY_LOCAL_MACHINE
};

// The loaded file and the open handles. Destroyed when the library that holds it
// is unloaded: the agent reads its configuration at load and nothing after unload.
struct RegistryState {
  std::mutex mutex;
  FileIdentity loaded;
  bool everLoaded = false;
  std::shared_ptr<const RegTree> tree;
  std::unordered_map<RegKey, OpenedKey> handles;
  RegKey nextHandle = 0x100;
};

RegistryState& State() {
  static RegistryState state;
  return state;
}

std::string RegistryFilePath(bool& explicitlySet) {
  const char* path = std::getenv("QUILLON_REGISTRY");
  explicitlySet = path != nullptr && *path != '\0';
  return explicitlySet ? path : kDefaultRegistryFile;
}

FileIdentity Identify(const std::string& path) {
  FileIdentity identity;
  identity.path = path;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    identity.exists = true;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    identity.size = info.st_size;
    identity.modified = info.st_mtim;
  }
  return identity;
}

bool IsPerflibPath(std::string_view path) {
  return path == kPerflibPath ||
         (path.starts_with(kPerflibPath) && path.size() > kPerflibPath.size() &&
          path[kPerflibPath.size()] == '\\');
}

// The counter provider serves the Perflib subtree: whatever the file says there is
// dropped, and the key is made to exist.
void AnchorPerflib(RegTree& tree) {
  std::erase_if(tree.keys, [](const auto& entry) { return IsPerflibPath(entry.first); });
  RegKeyData& parent = posix::EnsureRegKey(tree, kPerflibParent);
  std::erase_if(parent.subkeys,
                [](const std::string& name) { return LowerCase(name) == "perflib"; });
  posix::EnsureRegKey(tree, std::string(kPerflibParent) + "\\Perflib");
}

std::shared_ptr<const RegTree> ReadRegistryFile(const FileIdentity& identity, bool explicitlySet) {
  RegTree tree;
  if (identity.exists) {
    std::ifstream file(identity.path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string& name = identity.path;
    if (!file.good() && !file.eof()) {
      std::cerr << name << ": cannot read the registry file\n";
    } else if (posix::IsUtf16BigEndian(content)) {
      std::cerr << name << ":1: UTF-16 big-endian is not supported; save the file as UTF-16LE\n";
    } else {
      tree = posix::ParseRegFile(posix::DecodeTextFile(std::move(content)),
                                 [&](int line, const std::string& problem) {
                                   std::cerr << name << ':' << line << ": " << problem << '\n';
                                 });
    }
  } else if (explicitlySet) {
    std::cerr << identity.path << ": registry file not found\n";
  }
  AnchorPerflib(tree);
  return std::make_shared<const RegTree>(std::move(tree));
}

// The tree of the file as it is now, read again when it changed. Caller holds the lock.
std::shared_ptr<const RegTree> CurrentTree(RegistryState& state) {
  bool explicitlySet = false;
  FileIdentity identity = Identify(RegistryFilePath(explicitlySet));
  if (!state.everLoaded || !(identity == state.loaded)) {
    state.tree = ReadRegistryFile(identity, explicitlySet);
    state.loaded = std::move(identity);
    state.everLoaded = true;
  }
  return state.tree;
}

// The key behind a handle; false for a handle that is not open. The counter
// provider is asked outside the lock, so only this step holds it.
bool Resolve(RegKey key, OpenedKey& out) {
  RegistryState& state = State();
  std::lock_guard lock(state.mutex);
  if (key == kHKeyLocalMachine) {
    out = OpenedKey{CurrentTree(state), ""};
    return true;
  }
  auto it = state.handles.find(key);
  if (it == state.handles.end()) return false;
  out = it->second;
  return true;
}

// The Perflib subkey that a path below Perflib names, in the provider's spelling;
// empty for Perflib itself or a path that does not exist.
std::string PerflibSubkeyOf(std::string_view path) {
  if (path.size() <= kPerflibPath.size()) return {};
  const std::string_view tail = path.substr(kPerflibPath.size() + 1);
  for (const std::string& name : posix::PerflibSubkeys()) {
    if (LowerCase(name) == tail) return name;
  }
  return {};
}

bool KeyExists(const OpenedKey& key) {
  if (IsPerflibPath(key.path))
    return key.path == kPerflibPath || !PerflibSubkeyOf(key.path).empty();
  return key.tree->keys.contains(key.path);
}

std::vector<std::string> Subkeys(const OpenedKey& key) {
  if (key.path == kPerflibPath) return posix::PerflibSubkeys();
  if (IsPerflibPath(key.path)) return {};
  auto it = key.tree->keys.find(key.path);
  return it == key.tree->keys.end() ? std::vector<std::string>{} : it->second.subkeys;
}

bool FindValue(const OpenedKey& key, const std::string& valueName, posix::RegValueData& value) {
  if (IsPerflibPath(key.path)) {
    const std::string subkey = PerflibSubkeyOf(key.path);
    return !subkey.empty() && posix::PerflibValue(subkey, valueName, value.type, value.data);
  }
  auto keyIt = key.tree->keys.find(key.path);
  if (keyIt == key.tree->keys.end()) return false;
  auto valueIt = keyIt->second.values.find(LowerCase(valueName));
  if (valueIt == keyIt->second.values.end()) return false;
  value = valueIt->second;
  return true;
}

}  // namespace

int32_t OpenRegKey(RegKey key, const std::string& subKey, uint32_t access, RegKey* opened) {
  if (opened == nullptr) return kErrorInvalidParameter;
  *opened = 0;
  OpenedKey child;
  if (!Resolve(key, child)) return kErrorInvalidHandle;
  std::string_view rest = subKey;
  while (!rest.empty()) {
    const size_t end = std::min(rest.find('\\'), rest.size());
    if (end > 0) {
      if (!child.path.empty()) child.path += '\\';
      child.path += LowerCase(rest.substr(0, end));
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  if (!KeyExists(child)) return kErrorFileNotFound;
  if ((access & kWriteAccess) != 0) return kErrorAccessDenied;
  RegistryState& state = State();
  std::lock_guard lock(state.mutex);
  *opened = state.nextHandle;
  state.nextHandle += 4;
  state.handles.emplace(*opened, std::move(child));
  return kErrorSuccess;
}

int32_t QueryRegValue(RegKey key, const std::string& valueName, uint32_t* type, uint8_t* data,
                      uint32_t* size) {
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  OpenedKey opened;
  if (!Resolve(key, opened)) return kErrorInvalidHandle;
  posix::RegValueData value;
  if (!FindValue(opened, valueName, value)) return kErrorFileNotFound;
  if (type != nullptr) *type = value.type;
  const auto needed = static_cast<uint32_t>(value.data.size());
  if (data == nullptr) {
    if (size != nullptr) *size = needed;
    return kErrorSuccess;
  }
  const uint32_t room = *size;
  *size = needed;
  if (room < needed) return kErrorMoreData;
  std::memcpy(data, value.data.data(), needed);
  return kErrorSuccess;
}

int32_t EnumRegKey(RegKey key, uint32_t index, char* name, uint32_t* nameSize) {
  if (name == nullptr || nameSize == nullptr) return kErrorInvalidParameter;
  OpenedKey opened;
  if (!Resolve(key, opened)) return kErrorInvalidHandle;
  const std::vector<std::string> subkeys = Subkeys(opened);
  if (index >= subkeys.size()) return kErrorNoMoreItems;
  const std::string& subkey = subkeys[index];
  if (subkey.size() + 1 > *nameSize) return kErrorMoreData;
  std::memcpy(name, subkey.c_str(), subkey.size() + 1);
  *nameSize = static_cast<uint32_t>(subkey.size());
  return kErrorSuccess;
}

int32_t QueryRegKeyInfo(RegKey key, uint32_t* subKeyCount, uint32_t* maxSubKeyLength) {
  OpenedKey opened;
  if (!Resolve(key, opened)) return kErrorInvalidHandle;
  const std::vector<std::string> subkeys = Subkeys(opened);
  if (subKeyCount != nullptr) *subKeyCount = static_cast<uint32_t>(subkeys.size());
  if (maxSubKeyLength != nullptr) {
    size_t longest = 0;
    for (const std::string& name : subkeys) longest = std::max(longest, name.size());
    *maxSubKeyLength = static_cast<uint32_t>(longest);
  }
  return kErrorSuccess;
}

int32_t CloseRegKey(RegKey key) {
  if (key == kHKeyLocalMachine) return kErrorSuccess;
  RegistryState& state = State();
  std::lock_guard lock(state.mutex);
  return state.handles.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace platform
