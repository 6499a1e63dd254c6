#include "provider/sources/proc_meminfo.h"

#include <array>

#include "provider/sources/key_value_file.h"

namespace provider {
namespace {

struct Line {
  std::string_view name;
  MeminfoLine field;
};

constexpr Line kLines[] = {
    {"MemTotal", &Meminfo::memTotal},         {"MemFree", &Meminfo::memFree},
    {"MemAvailable", &Meminfo::memAvailable}, {"Cached", &Meminfo::cached},
    {"Active(file)", &Meminfo::activeFile},   {"Inactive(file)", &Meminfo::inactiveFile},
    {"SwapTotal", &Meminfo::swapTotal},       {"SReclaimable", &Meminfo::slabReclaimable},
    {"Committed_AS", &Meminfo::committedAs},
};
constexpr size_t kLineCount = std::size(kLines);

}  // namespace

Meminfo ParseMeminfo(std::string_view text, std::initializer_list<MeminfoLine> wanted) {
  std::array<std::string_view, kLineCount> names;
  std::array<MeminfoLine, kLineCount> fields{};
  size_t count = 0;
  for (const Line& line : kLines) {
    for (MeminfoLine field : wanted) {
      if (field != line.field) continue;
      names[count] = line.name;
      fields[count++] = field;
      break;
    }
  }
  std::array<std::optional<int64_t>, kLineCount> values;
  FindKeyValues(text, std::span(names).first(count), std::span(values).first(count));
  Meminfo meminfo;
  for (size_t i = 0; i < count; ++i) meminfo.*fields[i] = values[i];
  return meminfo;
}

}  // namespace provider
