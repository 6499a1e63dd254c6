// What the host reckons an answer takes in a message, against net-snmp's own encoder, and
// the memory of recent answers that retransmissions are served from.

#include <gtest/gtest.h>

// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
// clang-format on

#include <cstdlib>
#include <limits>

#include "host/encoded_size.h"
#include "host/retransmit_cache.h"

namespace exthost {
namespace {

// The bytes net-snmp's encoder writes for the binding, the way it builds a response.
size_t NetSnmpSize(const Binding& binding) {
  std::vector<oid> name(binding.name.begin(), binding.name.end());
  size_t nameLength = name.size();
  long integer = static_cast<int32_t>(binding.value.number);
  u_long unsignedInteger = static_cast<uint32_t>(binding.value.number);
  counter64 wide{static_cast<uint64_t>(binding.value.number) >> 32,
                 static_cast<uint64_t>(binding.value.number) & 0xFFFFFFFFu};
  std::vector<oid> objectId(binding.value.oid.begin(), binding.value.oid.end());
  const void* value = nullptr;
  size_t length = 0;
  switch (binding.value.syntax) {
    case Syntax::Integer:
      value = &integer;
      length = sizeof integer;
      break;
    case Syntax::Counter32:
    case Syntax::Gauge32:
    case Syntax::TimeTicks:
      value = &unsignedInteger;
      length = sizeof unsignedInteger;
      break;
    case Syntax::Counter64:
      value = &wide;
      length = sizeof wide;
      break;
    case Syntax::ObjectId:
      value = objectId.data();
      length = objectId.size() * sizeof(oid);
      break;
    default:
      value = binding.value.bytes.data();
      length = binding.value.bytes.size();
  }
  size_t bufferLength = 256;
  auto* buffer = static_cast<u_char*>(std::malloc(bufferLength));
  size_t offset = 0;
  const int built =
      snmp_realloc_rbuild_var_op(&buffer, &bufferLength, &offset, 1, name.data(), &nameLength,
                                 static_cast<u_char>(binding.value.syntax),
                                 static_cast<u_char*>(const_cast<void*>(value)), length);
  std::free(buffer);
  return built ? offset : 0;
}

Binding Make(Oid name, Syntax syntax, int64_t number = 0, std::string bytes = {}, Oid oid = {}) {
  return {std::move(name), {syntax, number, std::move(bytes), std::move(oid)}};
}

TEST(EncodedSize, MatchesNetSnmpsEncoderAtEveryLengthBoundary) {
  const Oid row = {1, 3, 6, 1, 4, 1, 15, 1, 0};
  const Oid wide = {1, 3, 6, 1, 4, 1, 4294967295u, 200, 16384, 0};
  std::vector<Binding> bindings = {Make(row, Syntax::Null), Make(wide, Syntax::Null)};
  for (int64_t number : {0LL, 127LL, 128LL, -128LL, -129LL, 32767LL, 65535LL, 8388608LL,
                         2147483647LL, -2147483648LL}) {
    bindings.push_back(Make(row, Syntax::Integer, number));
  }
  for (int64_t number : {0LL, 127LL, 128LL, 255LL, 65535LL, 16777216LL, 4294967295LL}) {
    bindings.push_back(Make(row, Syntax::Gauge32, number));
    bindings.push_back(Make(row, Syntax::TimeTicks, number));
  }
  for (int64_t number :
       {int64_t{0}, int64_t{255}, std::numeric_limits<int64_t>::max(), int64_t{-1}}) {
    bindings.push_back(Make(row, Syntax::Counter64, number));
  }
  for (size_t length : {0, 1, 127, 128, 255, 256, 60000, 65535, 65536, 70000}) {
    bindings.push_back(Make(row, Syntax::OctetString, 0, std::string(length, 'v')));
  }
  bindings.push_back(Make(row, Syntax::IpAddress, 0, "\x7f\x00\x00\x01"));
  bindings.push_back(Make(row, Syntax::ObjectId, 0, {}, wide));
  for (const Binding& binding : bindings) {
    EXPECT_EQ(EncodedSize(binding), NetSnmpSize(binding))
        << "syntax " << static_cast<int>(binding.value.syntax) << " number " << binding.value.number
        << " bytes " << binding.value.bytes.size();
  }
}

using Clock = RetransmitCache::Clock;

CachedAnswer AnswerOf(std::string text) {
  CachedAnswer answer;
  answer.bindings.push_back(Make({1, 3, 6, 1, 4, 1, 15, 1, 0}, Syntax::OctetString, 0, text));
  return answer;
}

// What a command row or a counter sample costs; a constant row takes microseconds.
constexpr std::chrono::milliseconds kExpensive{50};
constexpr std::chrono::microseconds kCheap{300};

TEST(RetransmitCache, GivesTheSameAnswerToTheSameKeyForFiveSeconds) {
  RetransmitCache cache;
  const Clock::time_point start = Clock::now();
  cache.Store("source|id 7|message", AnswerOf("first"), start, kExpensive);
  ASSERT_TRUE(cache.Find("source|id 7|message", start + std::chrono::milliseconds(4900)));
  EXPECT_EQ(cache.Find("source|id 7|message", start)->bindings[0].value.bytes, "first");
  EXPECT_FALSE(cache.Find("source|id 8|message", start));
  EXPECT_FALSE(cache.Find("source|id 7|message", start + RetransmitCache::kLifetime));
  EXPECT_EQ(cache.Bytes(), 0u);
}

TEST(RetransmitCache, ForwardedRequestsMatchOnlyForAMoment) {
  RetransmitCache cache(RetransmitCache::kForwardedLifetime);
  const Clock::time_point start = Clock::now();
  cache.Store("get|row", AnswerOf("first"), start, kExpensive);
  EXPECT_TRUE(cache.Find(
      "get|row", start + RetransmitCache::kForwardedLifetime - std::chrono::milliseconds(100)));
  EXPECT_FALSE(cache.Find("get|row", start + RetransmitCache::kForwardedLifetime));
}

TEST(RetransmitCache, KeepsOnlyExpensiveAnswersSoAFloodOfCheapOnesCannotPushThemOut) {
  RetransmitCache cache;
  const Clock::time_point start = Clock::now();
  cache.Store("constant row", AnswerOf("cheap"), start, kCheap);
  EXPECT_FALSE(cache.Find("constant row", start));
  cache.Store("command row", AnswerOf("expensive"), start, kExpensive);
  // Four managers at full speed for the whole lifetime: thousands of other requests.
  for (int i = 0; i < 40000; ++i) {
    const Clock::time_point now = start + std::chrono::microseconds(100 * i);
    cache.Store("cheap " + std::to_string(i), AnswerOf("cheap"), now, kCheap);
  }
  ASSERT_TRUE(cache.Find("command row", start + std::chrono::seconds(4)));
  EXPECT_EQ(cache.Find("command row", start)->bindings[0].value.bytes, "expensive");
}

TEST(RetransmitCache, StaysWithinItsBoundsDroppingTheOldestFirst) {
  RetransmitCache cache;
  const Clock::time_point now = Clock::now();
  for (size_t i = 0; i < RetransmitCache::kMaxEntries + 10; ++i) {
    cache.Store("key " + std::to_string(i), AnswerOf("small"), now, kExpensive);
  }
  EXPECT_FALSE(cache.Find("key 9", now));
  EXPECT_TRUE(cache.Find("key 10", now));

  const std::string large(RetransmitCache::kMaxBytes / 3, 'x');
  for (int i = 0; i < 5; ++i) {
    cache.Store("large " + std::to_string(i), AnswerOf(large), now, kExpensive);
  }
  EXPECT_LE(cache.Bytes(), RetransmitCache::kMaxBytes);
  EXPECT_TRUE(cache.Find("large 4", now));
  EXPECT_FALSE(cache.Find("large 1", now));

  cache.Store("too large", AnswerOf(std::string(RetransmitCache::kMaxBytes, 'x')), now, kExpensive);
  EXPECT_FALSE(cache.Find("too large", now));
  EXPECT_TRUE(cache.Find("large 4", now));
}

}  // namespace
}  // namespace exthost
