#pragma once

#include <cstdint>

namespace platform {

// Locale items, with the numbers of the Windows locale-information constants.
constexpr uint32_t kLocaleDecimalSeparator = 14;  // LOCALE_SDECIMAL
constexpr uint32_t kLocaleTimeSeparator = 30;     // LOCALE_STIME

// One item of the user's default locale, with the size-probe protocol of
// GetLocaleInfoA: with size 0 it returns the length the text needs, terminating
// zero included; otherwise it copies the text and its zero into data and returns
// that length. Returns 0 on failure (unknown item, buffer too small).
int LocaleInfo(uint32_t item, char* data, int size);

}  // namespace platform
