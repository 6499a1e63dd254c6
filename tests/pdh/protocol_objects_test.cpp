#include "tests/pdh/pdh_test_support.h"

// IPv4, IPv6, TCPv4, TCPv6, UDPv4 and UDPv6 over the fixture snapshots: rates
// are the growth of <proc>/net/snmp and snmp6 from proc-a to proc-b over 10 s.
namespace pdh_test {
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

TEST_F(ProtocolObjects, MissingStatisticsGiveNoValueInsteadOfZeros) {
  // sys-a has neither net/snmp nor net/snmp6: a machine without the source.
  ScopedEnv procRoot("QUILLON_PROC_ROOT", FixturePath("sys-a").c_str());
  for (const char* path :
       {"\\IPv4\\Datagrams/sec", "\\IPv6\\Datagrams/sec", "\\TCPv4\\Segments/sec",
        "\\TCPv6\\Connections Established", "\\UDPv4\\Datagrams/sec", "\\UDPv6\\Datagrams/sec"}) {
    EXPECT_EQ(OneCounter(path).addStatus(), platform::kPdhCStatusNoInstance) << path;
  }
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
}  // namespace pdh_test
