// Program entry: the main window first, then the hidden setup dialog, then the message
// loop. The command line is not used. The windows live until the process ends.
#include "windows/Main.h"
#include "toolkit/toolkit.h"
#include "windows/Setupunit.h"

int main(int argc, char** argv) {
  tk::dispatch([&] {
    tk::Application::initialize(argc, argv);
    fMain = new TfMain;
    fSetup = new TfSetup;
    tk::Application::run();
  });
  return 0;
}
