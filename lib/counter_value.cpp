#include "lib/counter_value.h"

namespace lib {

const char* KindName(const CounterValue& value) {
  static constexpr const char* kNames[] = {"Null", "Integer", "LongWord", "Int64", "Double"};
  return kNames[value.index()];
}

}  // namespace lib
