// The toolkit tests run on the real Win32 backend. A window made before any test is the
// program's main window; the tests' windows are never, so closing one never ends a loop.
#include <gtest/gtest.h>

#include "support.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  tk::Application::initialize(argc, argv);
  test::TestWindow mainWindow;
  return RUN_ALL_TESTS();
}
