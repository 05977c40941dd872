// The fault tests' entry. Mounts made by a test (a read-only or a full tmpfs) must stay
// inside this process, so the process takes a private mount namespace first, while it has
// one thread only: later the program's worker thread makes that impossible.
#include <gtest/gtest.h>

#include "mounts.h"

int main(int argc, char** argv) {
  faults::takePrivateMounts();  // without it the tests that mount skip
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
