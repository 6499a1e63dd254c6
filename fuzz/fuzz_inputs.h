#pragma once

#include <string_view>
#include <vector>

// The fuzz targets. Each takes any bytes and must neither crash, hang nor leak;
// where a reader promises more (a result that fits its buffer, the same number
// from two parsers), a broken promise aborts. libFuzzer drives them (one program
// each, see scripts/fuzz.sh) and tests/fuzz_regressions replays the inputs that
// once failed.
namespace quillon::fuzz {

struct FuzzInput {
  std::string_view name;
  void (*run)(std::string_view data);
};

const std::vector<FuzzInput>& FuzzInputs();
// nullptr for a name no target has.
const FuzzInput* FindFuzzInput(std::string_view name);

// Aborts with a message when a promise does not hold.
void Require(bool holds, const char* promise);

void RunRegFile(std::string_view data);
void RunIniFile(std::string_view data);
void RunOidText(std::string_view data);
void RunIntegerText(std::string_view data);
void RunCounterPath(std::string_view data);
void RunProviderSources(std::string_view data);
void RunValueText(std::string_view data);

}  // namespace quillon::fuzz
