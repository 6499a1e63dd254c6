#include "lib/value_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "platform/locale_info.h"
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include "temp_dir.h"

namespace {

using lib::CounterValue;
using lib::ValueToText;

std::string DoubleText(double value) { return ValueToText(CounterValue(value)); }

TEST(ValueToText, IntegerKindsInDecimal) {
  EXPECT_EQ(ValueToText(CounterValue()), "");
  EXPECT_EQ(ValueToText(CounterValue(int32_t{-2147483647 - 1})), "-2147483648");
  EXPECT_EQ(ValueToText(CounterValue(uint32_t{4294967295u})), "4294967295");
  EXPECT_EQ(ValueToText(CounterValue(int64_t{-5})), "-5");
  EXPECT_EQ(ValueToText(CounterValue(std::numeric_limits<int64_t>::min())), "-9223372036854775808");
}

TEST(ValueToText, DoublesPositionalWithPointAndNoTrailingZeros) {
  EXPECT_EQ(DoubleText(12.5), "12.5");
  EXPECT_EQ(DoubleText(0.1), "0.1");
  EXPECT_EQ(DoubleText(1000000.0), "1000000");
  EXPECT_EQ(DoubleText(100.0), "100");
  EXPECT_EQ(DoubleText(12.345), "12.345");
  EXPECT_EQ(DoubleText(-0.5), "-0.5");
  EXPECT_EQ(DoubleText(0.001), "0.001");
  EXPECT_EQ(DoubleText(0.0001), "0.0001");
  EXPECT_EQ(DoubleText(0.00012345), "0.00012345");
  EXPECT_EQ(DoubleText(999999999999999.0), "999999999999999");
  EXPECT_EQ(DoubleText(123456789012345.6), "123456789012346");
}

TEST(ValueToText, DoublesScientificOutsideThePositionalRange) {
  EXPECT_EQ(DoubleText(0.00001), "1E-5");
  EXPECT_EQ(DoubleText(-0.000025), "-2.5E-5");
  EXPECT_EQ(DoubleText(1e15), "1E15");
  EXPECT_EQ(DoubleText(1.5e20), "1.5E20");
  EXPECT_EQ(DoubleText(-1.5e20), "-1.5E20");
  EXPECT_EQ(DoubleText(1.25e-300), "1.25E-300");
  EXPECT_EQ(DoubleText(std::numeric_limits<double>::denorm_min()), "4.94065645841247E-324");
  EXPECT_EQ(DoubleText(std::numeric_limits<double>::max()), "1.79769313486232E308");
}

TEST(ValueToText, RoundsToFifteenSignificantDigits) {
  EXPECT_EQ(DoubleText(0.1 + 0.2), "0.3");
  EXPECT_EQ(DoubleText(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(DoubleText(2.0 / 3.0), "0.666666666666667");
  // Rounding carries into a new digit and across the positional limit.
  EXPECT_EQ(DoubleText(999999999999999.9), "1E15");
  EXPECT_EQ(DoubleText(0.000099999999999999999), "0.0001");
  EXPECT_EQ(DoubleText(9.9999999999999999e-5), "0.0001");
  EXPECT_EQ(DoubleText(9.99999999999994e-5), "9.99999999999994E-5");
}

TEST(ValueToText, SpecialDoubles) {
  EXPECT_EQ(DoubleText(std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(DoubleText(-std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(DoubleText(std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(DoubleText(0.0), "0");
  EXPECT_EQ(DoubleText(-0.0), "0");
}

// A German locale built into a private directory, so the test does not depend on
// the locales the machine has installed.
class GermanLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string command = "localedef -i de_DE -f UTF-8 '" +
                                (dir_.Path() / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) == -1 ||
        !std::filesystem::exists(dir_.Path() / "de_DE.UTF-8" / "LC_NUMERIC")) {
      GTEST_SKIP() << "localedef or the de_DE locale source is not available";
    }
    setenv("LOCPATH", dir_.Path().c_str(), 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
  }
  void TearDown() override {
    unsetenv("LC_ALL");
    unsetenv("LOCPATH");
  }

 private:
  TempDir dir_;
};

// glibc's newlocale() does not free its copy of LOCPATH, which only this test sets.
std::string DecimalSeparatorFromLocpath() {
#if defined(__SANITIZE_ADDRESS__)
  __lsan::ScopedDisabler glibcLeak;
#endif
  return lib::GetLocaleText(platform::kLocaleDecimalSeparator);
}

TEST_F(GermanLocale, CommaSeparatorYetPointInValues) {
  EXPECT_EQ(DecimalSeparatorFromLocpath(), ",");
  EXPECT_EQ(DoubleText(12.5), "12.5");
  EXPECT_EQ(DoubleText(1.5e20), "1.5E20");
  EXPECT_EQ(DoubleText(-0.000025), "-2.5E-5");
}

TEST(GetLocaleText, SizeProbeThenText) {
  EXPECT_EQ(platform::LocaleInfo(platform::kLocaleTimeSeparator, nullptr, 0), 2);
  char tooSmall[1];
  EXPECT_EQ(platform::LocaleInfo(platform::kLocaleTimeSeparator, tooSmall, 1), 0);
  EXPECT_EQ(lib::GetLocaleText(platform::kLocaleTimeSeparator), ":");
  EXPECT_EQ(lib::GetLocaleText(0xFFFF), "");
}

TEST(GetLocaleText, DecimalSeparatorOfTheUsersLocale) {
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(lib::GetLocaleText(platform::kLocaleDecimalSeparator), ".");
  // A locale that is not installed falls back to the point.
  setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
  EXPECT_EQ(lib::GetLocaleText(platform::kLocaleDecimalSeparator), ".");
  unsetenv("LC_ALL");
}

}  // namespace
