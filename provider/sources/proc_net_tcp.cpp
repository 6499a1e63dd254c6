#include "provider/sources/proc_net_tcp.h"

#include <charconv>

#include "provider/text_util.h"

namespace provider {
namespace {

// An address of tcp6 is four 32-bit words in hex, each in the machine's byte
// order; the third word of ::ffff:a.b.c.d is 0x0000FFFF.
bool IsIPv4Mapped(std::string_view address) {
  if (address.size() < 32) return false;
  std::string_view third = address.substr(16, 8);
  return address.substr(0, 16) == "0000000000000000" &&
         (third == "FFFF0000" || third == "0000FFFF");
}

}  // namespace

TcpSockets ParseTcpTable(std::string_view text) {
  TcpSockets sockets;
  for (std::string_view line : SplitLines(text)) {
    // "sl local_address rem_address st ..."; the header line has "st" there.
    auto fields = SplitFields(line);
    if (fields.size() < 4 || fields[3].size() != 2) continue;
    uint8_t state = 0;
    const char* end = fields[3].data() + fields[3].size();
    auto [stop, error] = std::from_chars(fields[3].data(), end, state, 16);
    if (error != std::errc() || stop != end) continue;
    ++sockets.byState[state];
    if (IsIPv4Mapped(fields[1].substr(0, fields[1].find(':')))) ++sockets.ipv4MappedByState[state];
  }
  return sockets;
}

}  // namespace provider
