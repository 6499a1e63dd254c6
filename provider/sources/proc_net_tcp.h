#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The socket tables <proc>/net/tcp and <proc>/net/tcp6.
namespace provider {

// Socket states as the kernel numbers them (the "st" column, in hex).
constexpr uint8_t kTcpEstablished = 0x01;
constexpr uint8_t kTcpCloseWait = 0x08;

// The sockets of a table counted by state, and of them those whose local address
// is an IPv4 address mapped into IPv6 (::ffff:a.b.c.d, only in tcp6): such a
// socket carries IPv4 traffic.
struct TcpSockets {
  std::array<int64_t, 256> byState{};
  std::array<int64_t, 256> ipv4MappedByState{};
};

TcpSockets ParseTcpTable(std::string_view text);

}  // namespace provider
