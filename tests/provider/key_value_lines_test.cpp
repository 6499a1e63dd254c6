#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string_view>

#include "provider/sources/key_value_file.h"

namespace provider {
namespace {

using Values = std::array<std::optional<int64_t>, 3>;

Values Find(std::string_view text) {
  constexpr std::array<std::string_view, 3> names = {"MemFree", "pgfault", "Cached"};
  Values values;
  values.fill(7);  // whatever the caller had: every name is answered afresh
  FindKeyValues(text, names, values);
  return values;
}

TEST(KeyValueLines, FirstNumberedLineOfEachNameCounts) {
  const Values values = Find(
      "MemTotal:  100 kB\n"
      "MemFree:\n"  // no number: a later line of the name may still give it
      "  MemFree:   \t42 kB\r\n"
      "MemFree: 43 kB\n"
      "SwapCached: 5 kB\n"
      "pgfault 9\n");
  EXPECT_EQ(values[0], 42);
  EXPECT_EQ(values[1], 9);
  EXPECT_EQ(values[2], std::nullopt);  // only a longer name starts like it
}

TEST(KeyValueLines, NumbersBeyondInt64OrMalformedAreNoValue) {
  const Values values = Find(
      "MemFree: 9223372036854775808 kB\n"
      "Cached: 12x kB\n"
      "pgfault 9223372036854775807");
  EXPECT_EQ(values[0], std::nullopt);
  EXPECT_EQ(values[1], INT64_MAX);
  EXPECT_EQ(values[2], std::nullopt);
}

}  // namespace
}  // namespace provider
