// The fault tests' entry. Mounts made by a test (a read-only or a full tmpfs) must stay
// inside this process, so the process takes a private mount namespace first, while it has
// one thread only: later the program's worker thread makes that impossible. Some tests
// start the program with settings they do not control, so only a linked COM1 ever opens.
#include <gtest/gtest.h>

#include "port_guard.h"
#include "tmpfs.h"

int main(int argc, char** argv) {
  testsupport::takePrivateMounts();  // without it the tests that mount skip
  faults::allowOnlyLinkedCom1();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
