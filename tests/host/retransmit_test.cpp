// Managers that retransmit while others flood the service, standalone and through an AgentX
// master: a retransmission is answered from memory, its command does not run again.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "e2e_support.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

const std::string kBase = "1.3.6.1.4.1.15";

// One BER element: tag, length, contents.
std::string Element(unsigned char tag, const std::string& contents) {
  std::string element(1, static_cast<char>(tag));
  if (contents.size() < 0x80) {
    element += static_cast<char>(contents.size());
  } else {
    element += static_cast<char>(0x82);
    element += static_cast<char>(contents.size() >> 8);
    element += static_cast<char>(contents.size() & 0xFF);
  }
  return element + contents;
}

// An SNMPv2c GET of one row of the agent's region (sub-identifiers below 128).
std::string GetMessage(int32_t requestId, const std::vector<unsigned char>& row) {
  std::string name = "\x2b\x06\x01\x04\x01\x0f";  // 1.3.6.1.4.1.15
  for (unsigned char id : row) name += static_cast<char>(id);
  std::string id(4, '\0');
  for (int i = 0; i < 4; ++i) id[i] = static_cast<char>((requestId >> (24 - 8 * i)) & 0xFF);
  const std::string binding = Element(0x30, Element(0x06, name) + Element(0x05, ""));
  const std::string pdu = Element(0x02, id) + Element(0x02, std::string(1, '\0')) +
                          Element(0x02, std::string(1, '\0')) + Element(0x30, binding);
  return Element(
      0x30, Element(0x02, std::string(1, '\x01')) + Element(0x04, "public") + Element(0xA0, pdu));
}

// A manager on a UDP socket of its own, which sends the bytes it is given.
class RawManager {
 public:
  explicit RawManager(int port) : socket_(::socket(AF_INET, SOCK_DGRAM, 0)) {
    if (socket_ < 0) throw std::runtime_error("socket failed");
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<uint16_t>(port));
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket_, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
      throw std::runtime_error("connect failed");
    }
  }
  ~RawManager() { close(socket_); }
  RawManager(const RawManager&) = delete;
  RawManager& operator=(const RawManager&) = delete;

  void Send(const std::string& message) {
    if (send(socket_, message.data(), message.size(), 0) < 0) ADD_FAILURE() << "send failed";
  }
  // The next datagram that arrives within the time, or nothing.
  std::string Receive(std::chrono::milliseconds timeout) {
    pollfd ready{socket_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(timeout.count())) <= 0) return "";
    char buffer[65536];
    const ssize_t count = recv(socket_, buffer, sizeof buffer, 0);
    return count > 0 ? std::string(buffer, static_cast<size_t>(count)) : "";
  }

 private:
  int socket_;
};

// A second manager asking for a constant row as fast as the service answers, a few
// requests in flight, each with a request-id of its own.
class Flood {
 public:
  explicit Flood(int port) : manager_(port), thread_([this] { Run(); }) {}
  ~Flood() {
    stop_ = true;
    thread_.join();
  }
  Flood(const Flood&) = delete;
  Flood& operator=(const Flood&) = delete;

  long Answered() const { return answered_; }

 private:
  void Run() {
    int32_t requestId = 0x20000000;
    for (int i = 0; i < 8; ++i) manager_.Send(GetMessage(++requestId, {2, 0}));
    while (!stop_) {
      if (!manager_.Receive(200ms).empty()) ++answered_;
      manager_.Send(GetMessage(++requestId, {2, 0}));
    }
  }

  RawManager manager_;
  std::atomic<bool> stop_{false};
  std::atomic<long> answered_{0};
  std::thread thread_;
};

class RetransmitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A command that takes a while (expensive) and a constant (cheap).
    fs::create_directories(dir / "quillon");
    WriteFile(dir / "quillon" / "counters.ini",
              "[" + kBase + ".1.0]\ncounter=sh -c \"echo run >> " + In("runs") +
                  "; sleep 0.05; echo done\"\ntype=exec\n[" + kBase +
                  ".2.0]\ncounter=constant\ntype=string\n");
    WriteFile(dir / "quillon.reg",
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\quillon\\currentversion]\n"
              "\"counters\"=\"c:\\\\quillon\\\\counters.ini\"\n");
  }
  Environment AgentEnvironment() const {
    return {{"QUILLON_DRIVE_C", dir.Path().string()},
            {"QUILLON_REGISTRY", (dir / "quillon.reg").string()}};
  }
  std::string In(const std::string& name) const { return (dir / name).string(); }
  int Runs() const { return CountOf(ReadFile(dir / "runs"), "run\n"); }

  // Asks for the command row and, `gap` after its answer, sends the same message again:
  // both answers carry the command's output.
  void AskTwice(RawManager& manager, int32_t requestId, const std::function<void()>& gap) {
    const std::string request = GetMessage(requestId, {1, 0});
    manager.Send(request);
    const std::string first = manager.Receive(10s);
    EXPECT_NE(first.find("done"), std::string::npos) << "no answer to request " << requestId;
    gap();
    manager.Send(request);
    const std::string again = manager.Receive(10s);
    EXPECT_NE(again.find("done"), std::string::npos) << "no answer to its retransmission";
  }

  TempDir dir;
};

TEST_F(RetransmitTest, UnderAFloodOfCheapRequestsARetransmissionRunsNoCommand) {
  Host host(QUILLON_AGENT_PATH, dir, AgentEnvironment());
  ASSERT_TRUE(host.Started()) << host.Program().Err();
  Flood flood(host.Port());
  ASSERT_TRUE(WaitFor([&] { return flood.Answered() > 100; }, 10s)) << "the flood got no answers";
  RawManager manager(host.Port());
  constexpr int kPairs = 3;
  constexpr long kFloodBetween = 1000;  // well past the few hundred answers once kept
  long least = kFloodBetween;
  for (int pair = 0; pair < kPairs; ++pair) {
    AskTwice(manager, 0x10000000 + pair, [&] {
      const long before = flood.Answered();
      WaitFor([&] { return flood.Answered() - before >= kFloodBetween; }, 4s);
      least = std::min(least, flood.Answered() - before);
    });
  }
  std::cout << kPairs << " request+retransmission pairs, at least " << least
            << " flood answers between the two of each, ran the command " << Runs() << " time(s)\n";
  ASSERT_GE(least, 300) << "the flood was too slow to show anything";
  EXPECT_EQ(Runs(), kPairs);
}

TEST_F(RetransmitTest, ThroughAnAgentxMasterARetransmissionRunsNoCommand) {
  AgentxMaster master(SNMPD_PATH, dir);
  ASSERT_TRUE(master.Ready()) << master.Program().Err();
  const std::string& socket = master.Socket();
  const int snmpdPort = master.Port();
  Process host({EXTHOST_PATH, "-f", "-Le", "-a", QUILLON_AGENT_PATH, "-x", socket}, dir.Path(),
               "host", AgentEnvironment());
  RawManager manager(snmpdPort);
  ASSERT_TRUE(WaitFor(
      [&] {
        manager.Send(GetMessage(0x30000000, {2, 0}));
        return manager.Receive(500ms).find("constant") != std::string::npos;
      },
      15s))
      << host.Err();
  while (!manager.Receive(500ms).empty()) {
  }
  constexpr int kPairs = 3;
  for (int pair = 0; pair < kPairs; ++pair) {
    AskTwice(manager, 0x10000000 + pair, [] { std::this_thread::sleep_for(300ms); });
    // The next pair is a new request, not one more retransmission of this one.
    std::this_thread::sleep_for(2500ms);
  }
  std::cout << kPairs << " request+retransmission pairs through an AgentX master ran the command "
            << Runs() << " time(s)\n";
  EXPECT_EQ(Runs(), kPairs);
  EXPECT_EQ(host.Stop(SIGTERM), 0) << host.Err();
}

}  // namespace
}  // namespace e2e
