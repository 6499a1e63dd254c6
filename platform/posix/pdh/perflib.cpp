#include "platform/posix/pdh/perflib.h"

#include "platform/posix/pdh/display_language.h"
#include "platform/posix/pdh/perf_names.h"
#include "platform/posix/pdh/text_util.h"
#include "platform/registry.h"

namespace platform::posix {
namespace {

constexpr const char* kEnglishSubkey = "009";
constexpr const char* kGermanSubkey = "007";

std::string NameTable(bool german) {
  std::string table;
  for (const pdh::PerfName& name : pdh::PerfNames()) {
    table += std::to_string(name.index);
    table += '\0';
    table += german ? pdh::ToDisplayEncoding(name.german) : name.english;
    table += '\0';
  }
  table += '\0';
  return table;
}

}  // namespace

std::vector<std::string> PerflibSubkeys() {
  if (pdh::GermanDisplay()) return {kGermanSubkey, kEnglishSubkey};
  return {kEnglishSubkey};
}

bool PerflibValue(const std::string& subkey, const std::string& valueName, uint32_t& type,
                  std::string& data) {
  if (!pdh::EqualsIgnoringAsciiCase(valueName, "Counter")) return false;
  for (const std::string& existing : PerflibSubkeys()) {
    if (existing == subkey) {
      type = kRegMultiSz;
      data = NameTable(subkey == kGermanSubkey);
      return true;
    }
  }
  return false;
}

}  // namespace platform::posix
