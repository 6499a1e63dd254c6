// The seam tests' program: GoogleTest, unless started as a child of its own cases.
#include <gtest/gtest.h>

#include "tests/wine/child_modes.h"

int main(int argc, char** argv) {
  const int childStatus = wine_test::RunChildMode(argc, argv);
  if (childStatus >= 0) return childStatus;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
