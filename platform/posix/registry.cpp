#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/ascii_case.h"
#include "platform/file_system.h"
#include "platform/posix/perflib.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/utf16.h"

namespace platform {

namespace {

using posix::LowerCase;
using posix::RegKeyData;
using posix::RegTree;

constexpr std::string_view kPerflibPath =
    "software\\microsoft\\windows nt\\currentversion\\perflib";
constexpr std::string_view kPerflibParent = "Software\\Microsoft\\Windows NT\\CurrentVersion";
// Everything in an access mask that asks to change the registry.
constexpr uint32_t kWriteAccess = 0x0002 | 0x0004 | 0x0020 | 0x00010000 | 0x00040000 | 0x00080000;

// What the registry was read from, to notice that the file changed.
struct LoadedFile {
  std::string path;
  ConfigFile file;
};

struct OpenedKey {
  // Null below Perflib: the file is read only for keys that it holds.
  std::shared_ptr<const RegTree> tree;
  std::string path;  // lower case, below HKEY_LOCAL_MACHINE
};

// The loaded file and the open handles. Destroyed when the library that holds it
// is unloaded: the agent reads its configuration at load and nothing after unload.
struct RegistryState {
  std::mutex mutex;
  LoadedFile loaded;
  std::shared_ptr<const RegTree> tree;
  std::unordered_map<RegKey, OpenedKey> handles;
  RegKey nextHandle = 0x100;
};

RegistryState& State() {
  static RegistryState state;
  return state;
}

bool IsPerflibPath(std::string_view path) {
  return path == kPerflibPath ||
         (path.starts_with(kPerflibPath) && path.size() > kPerflibPath.size() &&
          path[kPerflibPath.size()] == '\\');
}

// The counter provider serves the Perflib subtree: whatever the file says there is
// dropped, and the key is made to exist.
void AnchorPerflib(RegTree& tree) {
  posix::DeleteRegKey(tree, kPerflibPath);
  posix::EnsureRegKey(tree, std::string(kPerflibParent) + "\\Perflib");
}

// The tree a file gives; a file that is not there gives only the Perflib key. Its
// problems go to the standard error, where the service stand-in shows them.
std::shared_ptr<const RegTree> ParseRegistryFile(const std::string& path, bool explicitlySet,
                                                 const ConfigFile& file) {
  RegTree tree;
  if (file.status == ConfigFile::kRead) {
    if (posix::IsUtf16BigEndian(file.bytes)) {
      std::cerr << path << ":1: UTF-16 big-endian is not supported; save the file as UTF-16LE\n";
    } else {
      tree = posix::ParseRegFile(posix::DecodeTextFile(file.bytes),
                                 [&](int line, const std::string& problem) {
                                   std::cerr << path << ':' << line << ": " << problem << '\n';
                                 });
    }
  } else if (file.status == ConfigFile::kMissing && explicitlySet) {
    std::cerr << path << ": registry file not found\n";
  }
  AnchorPerflib(tree);
  return std::make_shared<const RegTree>(std::move(tree));
}

// True while what was read is still what the file holds: one stat. A refused or failed
// read says nothing that lasts: its cause may be gone without the file changing.
bool StillCurrent(const LoadedFile& loaded, const std::string& path) {
  const ConfigFile::Status status = loaded.file.status;
  if (status != ConfigFile::kRead && status != ConfigFile::kMissing) return false;
  if (!loaded.file.settled || loaded.path != path) return false;
  FileIdentity now;
  const bool there = IdentifyFile(path, now);
  return there == (loaded.file.status != ConfigFile::kMissing) &&
         (!there || now == loaded.file.identity);
}

// The tree of the file as it is now. A file read again with the same contents (it
// changed too recently to trust its identity) keeps its tree, and its problems are
// not reported twice. Caller holds the lock.
std::shared_ptr<const RegTree> CurrentTree(RegistryState& state) {
  const posix::RegistryFileName registry = posix::RegistryFile();
  const std::string& path = registry.path;
  if (state.tree != nullptr && StillCurrent(state.loaded, path)) return state.tree;
  ConfigFile file = ReadConfigFile(path);
  const bool same = state.tree != nullptr && state.loaded.path == path &&
                    state.loaded.file.status == file.status &&
                    state.loaded.file.bytes == file.bytes;
  if (!same) state.tree = ParseRegistryFile(path, registry.fromEnvironment, file);
  state.loaded = LoadedFile{path, std::move(file)};
  return state.tree;
}

std::shared_ptr<const RegTree> LoadedTree() {
  RegistryState& state = State();
  std::lock_guard lock(state.mutex);
  return CurrentTree(state);
}

// The key behind a handle; false for a handle that is not open. The counter
// provider is asked outside the lock, so only this step holds it. The root's tree
// is read when a key outside Perflib needs it (WithTree).
bool Resolve(RegKey key, OpenedKey& out) {
  RegistryState& state = State();
  std::lock_guard lock(state.mutex);
  if (key == kHKeyLocalMachine) {
    out = OpenedKey{nullptr, ""};
    return true;
  }
  auto it = state.handles.find(key);
  if (it == state.handles.end()) return false;
  out = it->second;
  return true;
}

// The Perflib subkey that a path below Perflib names, in the provider's spelling;
// empty for Perflib itself or a path that does not exist.
std::string_view PerflibSubkeyOf(std::string_view path) {
  if (path.size() <= kPerflibPath.size()) return {};
  const std::string_view tail = path.substr(kPerflibPath.size() + 1);
  for (const std::string& name : posix::PerflibSubkeys()) {
    if (EqualsIgnoringAsciiCase(name, tail)) return name;
  }
  return {};
}

// A key outside Perflib gets the file's tree as it is now.
void WithTree(OpenedKey& key) {
  if (key.tree == nullptr && !IsPerflibPath(key.path)) key.tree = LoadedTree();
}

bool KeyExists(const OpenedKey& key) {
  if (IsPerflibPath(key.path))
    return key.path == kPerflibPath || !PerflibSubkeyOf(key.path).empty();
  return key.tree->Find(key.path) != nullptr;
}

// Kept by the provider or by the key's tree, which the caller holds.
const std::vector<std::string>& Subkeys(const OpenedKey& key) {
  static const std::vector<std::string> none;
  if (key.path == kPerflibPath) return posix::PerflibSubkeys();
  if (IsPerflibPath(key.path)) return none;
  const RegKeyData* found = key.tree->Find(key.path);
  return found == nullptr ? none : found->subkeys;
}

// A value's type and bytes, where the tree or the provider keeps them: the key's
// tree outlives the call that reads them.
struct FoundValue {
  uint32_t type = 0;
  std::string_view data;
};

bool FindValue(const OpenedKey& key, const std::string& valueName, FoundValue& value) {
  if (IsPerflibPath(key.path)) {
    const std::string* table = posix::PerflibMultiSz(PerflibSubkeyOf(key.path), valueName);
    if (table == nullptr) return false;
    value = {kRegMultiSz, *table};
    return true;
  }
  const RegKeyData* found = key.tree->Find(key.path);
  if (found == nullptr) return false;
  auto valueIt = found->values.find(LowerCase(valueName));
  if (valueIt == found->values.end()) return false;
  value = {valueIt->second.type, valueIt->second.data};
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
  WithTree(child);
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
  WithTree(opened);
  FoundValue value;
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
  WithTree(opened);
  const std::vector<std::string>& subkeys = Subkeys(opened);
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
  WithTree(opened);
  const std::vector<std::string>& subkeys = Subkeys(opened);
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
