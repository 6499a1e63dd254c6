#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "provider/pdh_types.h"

namespace provider {

// The pieces of a full counter path
// "[\\machine]\object[(instance[#index])]\counter".
struct CounterPath {
  std::string machine;  // without the leading backslashes; empty for none
  std::string object;
  std::string instance;  // without the index suffix
  bool hasInstance = false;
  uint32_t instanceIndex = 0;
  std::string counter;
};

// nullopt when the text is not a full counter path.
std::optional<CounterPath> ParseCounterPath(std::string_view path);

// The path that PdhMakeCounterPath composes: "\\machine" only when a machine
// is named, "(parent/instance#index)" only when an instance is named, the
// index only when it is neither 0 nor 0xFFFFFFFF.
std::string ComposeCounterPath(const PdhCounterPathElements& elements);

// True for no machine, ".", and this machine's own name, with or without the
// leading backslashes.
bool IsLocalMachine(const char* machine);

}  // namespace provider
