#include "tests/wine/under_wine.h"

namespace quillon_test {

bool UnderWine() { return false; }

}  // namespace quillon_test
