// The wx backend tests: wx starts once for the whole run, as it does in the program.
#include <gtest/gtest.h>

#include "toolkit/toolkit.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  tk::Application::initialize(argc, argv);
  return RUN_ALL_TESTS();
}
