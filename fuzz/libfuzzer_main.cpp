// The libFuzzer entry of one target, chosen by QUILLON_FUZZ_INPUT at build time.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const quillon::fuzz::FuzzInput* const input =
      quillon::fuzz::FindFuzzInput(QUILLON_FUZZ_INPUT);
  input->run(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
