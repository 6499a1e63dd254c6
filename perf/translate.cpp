#include <algorithm>
#include <exception>
#include <vector>

#include "lib/numeric.h"
#include "perf/ex_registry.h"
#include "perf/internal.h"
#include "perf/perf.h"
#include "platform/ascii_case.h"
#include "platform/registry.h"

namespace perf {

using internal::ActivePdh;
using internal::Debug;

namespace {

constexpr const char* kPerflibKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib";
constexpr uint32_t kLocalNameBufferSize = 255;

struct ShortPath {
  bool split = false;
  std::string object;
  std::string counter;
  std::string instance;
};

// object\counter\instance; the instance keeps any further backslashes.
ShortPath SplitShortPath(const std::string& path) {
  ShortPath parts;
  const std::size_t first = path.find('\\');
  if (first == std::string::npos || first == 0) return parts;
  parts.split = true;
  parts.object = path.substr(0, first);
  const std::string rest = path.substr(first + 1);
  const std::size_t second = rest.find('\\');
  if (second == std::string::npos || second == 0) {
    parts.counter = rest;
  } else {
    parts.counter = rest.substr(0, second);
    parts.instance = rest.substr(second + 1);
  }
  return parts;
}

}  // namespace

int32_t EnglishIndex(const std::string& name) {
  const EnglishTable& table = State.englishTable;
  for (std::size_t i = 1; i < table.size(); i += 2) {
    if (platform::EqualsIgnoringAsciiCase(table[i], name)) return lib::StrToInt(table[i - 1]);
  }
  return 0;
}

std::string English2Local(const std::string& name) {
  const int32_t index = EnglishIndex(name);
  if (index == 0) return name;
  char buffer[kLocalNameBufferSize + 1] = {};
  uint32_t size = kLocalNameBufferSize;
  if (ActivePdh().LookupPerfNameByIndex(nullptr, static_cast<uint32_t>(index), buffer, &size) !=
      platform::kPdhOk) {
    return {};
  }
  return buffer;
}

bool IsSingleLanguage() {
  std::vector<std::string> languages;
  TExRegistry registry(platform::kKeyRead);
  registry.SetRootKey(platform::kHKeyLocalMachine);
  registry.OpenKeyReadOnly(kPerflibKey);
  registry.GetKeyNames(languages);
  return languages.size() == 1;
}

std::string makepathA(const std::string& object, const std::string& counter,
                      const std::string& instance) {
  platform::PdhCounterPathElements elements{};
  elements.objectName = object.c_str();
  elements.instanceName = instance.empty() ? nullptr : instance.c_str();
  elements.instanceIndex = instance.empty() ? 0 : 0xFFFFFFFF;
  elements.counterName = counter.c_str();

  platform::Pdh& pdh = ActivePdh();
  uint32_t size = 0;
  pdh.MakeCounterPath(&elements, nullptr, &size, 0);
  if (size == 0) {
    Debug("makepathA: failed to get buffer size");
    return {};
  }
  // One byte more than asked for, so that the text ends even if the platform's does not.
  std::vector<char> buffer(size + 1, '\0');
  const platform::PdhStatus status = pdh.MakeCounterPath(&elements, buffer.data(), &size, 0);
  if (status != platform::kPdhOk) {
    Debug(object + "\\" + counter + "\\" + instance);
    Debug("makepathA : " + internal::StatusHex(status));
    return {};
  }
  return buffer.data();
}

std::string EnglishPath2LocalPDHPath(const std::string& path) {
  ShortPath parts = SplitShortPath(path);
  if (!IsSingleLanguage()) {
    try {
      parts.object = English2Local(parts.object);
      parts.counter = English2Local(parts.counter);
    } catch (const std::exception& failure) {
      Debug(std::string("English2Local:") + failure.what());
    }
  }
  if (!parts.object.empty() && !parts.counter.empty()) {
    return makepathA(parts.object, parts.counter, parts.instance);
  }
  Debug("English2Local: no match");
  return parts.split ? std::string() : path;
}

}  // namespace perf
