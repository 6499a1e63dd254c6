#include "tests/provider/provider_test_support.h"

// IPv4, IPv6, TCPv4, TCPv6, UDPv4 and UDPv6 over the fixture snapshots: rates
// are the growth of <proc>/net/snmp and snmp6 from proc-a to proc-b over 10 s.
namespace provider_test {
namespace {

using platform::kPdhOk;

class ProtocolObjects : public FixtureTest {};

TEST_F(ProtocolObjects, IpDatagramRatesAndDiscardsPerFamily) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv4\\Datagrams/sec", 2), 300.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv4\\Datagrams Received/sec", 2), 200.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv4\\Datagrams Sent/sec", 2), 100.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv4\\Datagrams Forwarded/sec", 2), 10.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv4\\Datagrams Received Discarded", 1), 7.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv4\\Datagrams Outbound Discarded", 1), 3.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv6\\Datagrams/sec", 2), 150.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv6\\Datagrams Received/sec", 2), 100.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv6\\Datagrams Sent/sec", 2), 50.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv6\\Datagrams Forwarded/sec", 2), 2.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv6\\Datagrams Received Discarded", 1), 4.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv6\\Datagrams Outbound Discarded", 1), 1.0);
}

TEST_F(ProtocolObjects, UdpRatesAndErrorsPerFamily) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\UDPv4\\Datagrams/sec", 2), 80.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\UDPv4\\Datagrams Received/sec", 2), 50.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\UDPv4\\Datagrams Sent/sec", 2), 30.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\UDPv4\\Datagrams No Port/sec", 2), 2.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\UDPv4\\Datagrams Received Errors", 1), 2.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\UDPv6\\Datagrams/sec", 2), 30.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\UDPv6\\Datagrams No Port/sec", 2), 0.5);
  EXPECT_DOUBLE_EQ(ValueAfter("\\UDPv6\\Datagrams Received Errors", 1), 1.0);
}

// proc-a's InSegs is 1000 below 2^32 and proc-b's 2000 above it: the 32-bit
// counter wraps between the samples, as a Windows one does, and the rate stays right.
TEST_F(ProtocolObjects, TcpTotalsGoToTCPv4AcrossThe32BitWrap) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Segments Received/sec", 2), 300.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Segments Sent/sec", 2), 200.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Segments/sec", 2), 500.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Segments Retransmitted/sec", 2), 5.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Connections Active", 1), 300.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Connections Passive", 1), 200.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Connection Failures", 1), 10.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Connections Reset", 1), 20.0);
  for (const char* counter : {"Segments/sec", "Segments Received/sec", "Segments Sent/sec",
                              "Segments Retransmitted/sec"}) {
    EXPECT_DOUBLE_EQ(ValueAfter(std::string("\\TCPv6\\") + counter, 2), 0.0) << counter;
  }
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv6\\Connections Reset", 1), 0.0);
}

// tcp has two ESTABLISHED sockets, one CLOSE-WAIT, one LISTEN and one
// TIME-WAIT; tcp6 one IPv4-mapped and one native IPv6 connection.
TEST_F(ProtocolObjects, EstablishedConnectionsAreSplitByTheSocketsFamily) {
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Connections Established", 1), 4.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv6\\Connections Established", 1), 1.0);
}

// sys-a has none of the statistics files, proc-no-ipv6 only net/snmp and
// net/tcp, as a machine without IPv6. The objects stay; what has no source has
// no value rather than zeros, and what has one still reads.
TEST_F(ProtocolObjects, MissingStatisticsGiveNoValueInsteadOfZeros) {
  const auto noValue = std::make_pair(platform::kPdhInvalidData, platform::kPdhCStatusNoObject);
  const char* ipv6Rates[] = {"\\IPv6\\Datagrams/sec", "\\TCPv6\\Segments/sec",
                             "\\UDPv6\\Datagrams/sec"};
  const char* ipv6Counts[] = {"\\IPv6\\Datagrams Received Discarded",
                              "\\TCPv6\\Connections Established", "\\TCPv6\\Connections Reset",
                              "\\UDPv6\\Datagrams Received Errors"};
  {
    ScopedEnv procRoot("QUILLON_PROC_ROOT", FixturePath("sys-a").c_str());
    for (const char* path : {"\\IPv4\\Datagrams/sec", "\\TCPv4\\Segments/sec",
                             "\\TCPv4\\Segments Retransmitted/sec", "\\UDPv4\\Datagrams/sec"}) {
      EXPECT_EQ(StatusAfter(path, 2), noValue) << path;
    }
    for (const char* path :
         {"\\IPv4\\Datagrams Outbound Discarded", "\\TCPv4\\Connections Established",
          "\\TCPv4\\Connections Active", "\\UDPv4\\Datagrams Received Errors"}) {
      EXPECT_EQ(StatusAfter(path, 1), noValue) << path;
    }
    for (const char* path : ipv6Rates) EXPECT_EQ(StatusAfter(path, 2), noValue) << path;
    for (const char* path : ipv6Counts) EXPECT_EQ(StatusAfter(path, 1), noValue) << path;
  }
  ScopedEnv procRoot("QUILLON_PROC_ROOT", FixturePath("proc-no-ipv6").c_str());
  EXPECT_DOUBLE_EQ(ValueAfter("\\IPv4\\Datagrams Received Discarded", 1), 7.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Connections Active", 1), 300.0);
  EXPECT_DOUBLE_EQ(ValueAfter("\\UDPv4\\Datagrams Received Errors", 1), 2.0);
  // Without tcp6 no IPv4-mapped socket: the two ESTABLISHED ones and the CLOSE-WAIT one.
  EXPECT_DOUBLE_EQ(ValueAfter("\\TCPv4\\Connections Established", 1), 3.0);
  for (const char* path : ipv6Rates) EXPECT_EQ(StatusAfter(path, 2), noValue) << path;
  for (const char* path : ipv6Counts) EXPECT_EQ(StatusAfter(path, 1), noValue) << path;
}

TEST_F(ProtocolObjects, CountersOfBothFamiliesShareTheirNamesAndTypes) {
  OneCounter v4("\\TCPv4\\Segments/sec");
  OneCounter v6("\\TCPv6\\Segments/sec");
  ASSERT_EQ(v4.Collect(), kPdhOk);
  ASSERT_EQ(v6.Collect(), kPdhOk);
  uint32_t typeV4 = 0, typeV6 = 0;
  platform::PdhRawCounter raw{};
  ASSERT_EQ(pdh.GetRawCounterValue(v4.counter(), &typeV4, &raw), kPdhOk);
  ASSERT_EQ(pdh.GetRawCounterValue(v6.counter(), &typeV6, &raw), kPdhOk);
  EXPECT_EQ(typeV4, 0x10410400u);  // PERF_COUNTER_COUNTER
  EXPECT_EQ(typeV6, typeV4);
  // A 32-bit count delivers its low 32 bits: 4294966296 + 40000 - 2^32.
  EXPECT_EQ(v4.Raw().FirstValue, 39000);
}

}  // namespace
}  // namespace provider_test
