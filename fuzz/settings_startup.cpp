// The deferred start-up on a settings file of arbitrary bytes, with the real windows on the
// headless toolkit. The start directory is private and its COM1 is a dangling link; the
// port guard refuses every other port the bytes may name, so no real port is ever opened.
//
// Beside not crashing: the only error a settings file may cause is the index error of a
// short file, and what the close writes must start the program again in the very same
// state (windows, port, baud rate, recording time, destination), without an error.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "check.h"
#include "port_guard.h"
#include "serial/sio.h"
#include "toolkit/headless/headless.h"
#include "windows/Main.h"
#include "windows/Recording.h"
#include "windows/Setupunit.h"

namespace {

namespace headless = tk::headless;

struct ProgramState {
  tk::Rect main;
  tk::Rect setup;
  std::int32_t comPort = 0;
  std::int32_t baudRate = 0;
  std::int32_t recTime = 0;
  std::string destination;
  friend bool operator==(const ProgramState&, const ProgramState&) = default;
};

ProgramState currentState() {
  return {{fMain->left(), fMain->top(), fMain->width(), fMain->height()},
          {fSetup->left(), fSetup->top(), fSetup->width(), fSetup->height()},
          fMain->ComPort,
          fMain->BaudRate,
          fMain->RecTime,
          fMain->eDest.text()};
}

std::filesystem::path privateDirectory() {
  const std::string base = std::filesystem::exists("/dev/shm")
                               ? std::string("/dev/shm")
                               : std::filesystem::temp_directory_path().string();
  std::string pattern = base + "/querlan-fuzz-XXXXXX";
  fuzz::check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp");
  return pattern;
}

void startProgram() {
  fMain = new TfMain;
  fSetup = new TfSetup;
  headless::advance(1);
}

// Ends what a start-up created, which the program itself never does: the worker is told to
// stop and waited for, so that every input starts from the same state.
void endProgram() {
  SioStop = 1;
  delete SioThread;
  SioThread = nullptr;
  SioStop = 0;
  delete CaptureLines;
  CaptureLines = nullptr;
  delete fSetup;
  fSetup = nullptr;
  delete fMain;
  fMain = nullptr;
  headless::clearMessages();
}

int errorBoxes(bool indexErrorsToo) {
  int count = 0;
  for (const auto& box : headless::messages()) {
    const bool indexError = box.text.starts_with("Listenindex überschreitet das Maximum (");
    count += box.icon == tk::Icon::stop && (indexErrorsToo || !indexError);
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static const std::filesystem::path directory = privateDirectory();
  std::filesystem::current_path(directory);
  std::filesystem::create_symlink(directory / "no-device", directory / "COM1");
  std::atexit([] { std::filesystem::remove_all(directory); });
  faults::allowOnlyLinkedCom1();
  headless::setProgramPath("/usr/local/bin/Querlan");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::ofstream("Setup.txt", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  startProgram();
  fuzz::check(errorBoxes(false) == 0, "no error but the index error of a short file");
  const ProgramState first = currentState();
  const int boxesBeforeClose = errorBoxes(true);
  fMain->bBeenden.click();
  fuzz::check(errorBoxes(true) == boxesBeforeClose, "the close writes the settings");
  endProgram();

  startProgram();
  fuzz::check(errorBoxes(true) == 0, "the settings the program wrote start it without error");
  fuzz::check(currentState() == first, "the settings the program wrote give the same state");
  endProgram();
  return 0;
}
