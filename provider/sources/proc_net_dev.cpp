#include "provider/sources/proc_net_dev.h"

#include "provider/text_util.h"

namespace provider {
namespace {

// Columns after the interface name.
enum Column : size_t {
  kRxBytes = 0,
  kRxPackets = 1,
  kRxErrors = 2,
  kTxBytes = 8,
  kTxPackets = 9,
  kTxErrors = 10,
  kColumnCount = 16
};

}  // namespace

std::vector<NetDevice> ParseNetDev(std::string_view text) {
  std::vector<NetDevice> devices;
  for (std::string_view line : SplitLines(text)) {
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    auto names = SplitFields(line.substr(0, colon));
    auto columns = SplitFields(line.substr(colon + 1));
    if (names.size() != 1 || columns.size() < kColumnCount) continue;
    auto column = [&columns](Column c) { return CountOrZero(columns[c]); };
    devices.push_back({names[0], column(kRxBytes), column(kRxPackets), column(kRxErrors),
                       column(kTxBytes), column(kTxPackets), column(kTxErrors)});
  }
  return devices;
}

}  // namespace provider
