#include "tool/readout.h"

#include <exception>

#include "lib/counter_value.h"
#include "lib/debug_log.h"
#include "lib/value_text.h"
#include "perf/perf.h"

namespace ctrview {

namespace {
constexpr int32_t kSampleDelayMs = 1000;
}

std::string Readout(const std::string& path, ReadMode mode, std::ostream& out) {
  if (path.empty()) return {};
  try {
    if (!perf::init()) {
      out << "perf.init=false\n";
      return {};
    }
  } catch (const std::exception& failure) {
    out << "perf.init:" << failure.what() << '\n';
  }

  std::string result;
  const std::string localPath = perf::EnglishPath2LocalPDHPath(path);
  if (localPath.empty()) {
    out << "could not translate path.\n";
  } else {
    lib::CounterValue value;
    try {
      value = mode == ReadMode::Raw ? perf::GetRawValue(localPath, true, kSampleDelayMs)
                                    : perf::GetFormattedValue(localPath, true, kSampleDelayMs,
                                                              platform::kPdhFmtDouble);
    } catch (const std::exception& failure) {
      out << "getvalue:" << failure.what() << '\n';
    }
    lib::DebugLog(std::string("Vartype: ") + lib::KindName(value), perf::DebugFlag);
    result = lib::IsNull(value) ? "null" : lib::ValueToText(value);
  }

  try {
    perf::close();
  } catch (const std::exception& failure) {
    out << "perf.close:" << failure.what() << '\n';
  }
  return result;
}

}  // namespace ctrview
