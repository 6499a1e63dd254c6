#include "provider/counter_path.h"

#include <unistd.h>

#include "platform/ascii_case.h"
#include "provider/text_util.h"

namespace provider {
namespace {

constexpr uint32_t kNoInstanceIndex = 0xFFFFFFFF;

// "name#3" names the fourth instance called "name".
void SplitInstanceIndex(CounterPath& path) {
  size_t hash = path.instance.rfind('#');
  if (hash == std::string::npos) return;
  auto index = ParseUnsigned(std::string_view(path.instance).substr(hash + 1));
  if (!index || *index > UINT32_MAX) return;
  path.instanceIndex = static_cast<uint32_t>(*index);
  path.instance.resize(hash);
}

}  // namespace

std::optional<CounterPath> ParseCounterPath(std::string_view text) {
  CounterPath path;
  if (text.starts_with("\\\\")) {
    size_t end = text.find('\\', 2);
    if (end == std::string_view::npos) return std::nullopt;
    path.machine = text.substr(2, end - 2);
    text.remove_prefix(end);
  }
  if (!text.starts_with("\\")) return std::nullopt;
  text.remove_prefix(1);
  size_t separator = text.find('\\');
  size_t paren = text.find('(');
  if (paren != std::string_view::npos && paren < separator) {
    // The instance runs to the last ")\" so that it may hold either character.
    size_t close = text.rfind(")\\");
    if (close == std::string_view::npos || close < paren) return std::nullopt;
    path.object = text.substr(0, paren);
    path.instance = text.substr(paren + 1, close - paren - 1);
    path.hasInstance = true;
    path.counter = text.substr(close + 2);
    SplitInstanceIndex(path);
  } else {
    if (separator == std::string_view::npos) return std::nullopt;
    path.object = text.substr(0, separator);
    path.counter = text.substr(separator + 1);
  }
  if (path.object.empty() || path.counter.empty()) return std::nullopt;
  return path;
}

std::string ComposeCounterPath(const PdhCounterPathElements& elements) {
  std::string path;
  if (elements.machineName && *elements.machineName) {
    std::string_view machine = elements.machineName;
    if (!machine.starts_with("\\\\")) path += "\\\\";
    path += machine;
  }
  path += '\\';
  path += elements.objectName;
  if (elements.instanceName && *elements.instanceName) {
    path += '(';
    if (elements.parentInstance && *elements.parentInstance) {
      path += elements.parentInstance;
      path += '/';
    }
    path += elements.instanceName;
    if (elements.instanceIndex != 0 && elements.instanceIndex != kNoInstanceIndex) {
      path += '#' + std::to_string(elements.instanceIndex);
    }
    path += ')';
  }
  path += '\\';
  path += elements.counterName;
  return path;
}

bool IsLocalMachine(const char* machine) {
  if (!machine) return true;
  std::string_view name = machine;
  if (name.starts_with("\\\\")) name.remove_prefix(2);
  if (name.empty() || name == "." || platform::EqualsIgnoringAsciiCase(name, "localhost"))
    return true;
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return false;
  return platform::EqualsIgnoringAsciiCase(name, host);
}

}  // namespace provider
