// The conformance rules on one backend: the toolkit starts once, as it does in the program.
#include <gtest/gtest.h>

#include "driver.h"
#include "toolkit/toolkit.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  tk::Application::initialize(argc, argv);
  conformance::prepare();
  return RUN_ALL_TESTS();
}
