// The program on the headless toolkit with its real worker, as a test fixture: a start
// directory of its own (which a test may first put on a small tmpfs), a settings file if
// the test wants one, and COM1 there linked to a pseudo-terminal whose far end the test
// plays (or ends, as a device that is unplugged). The port lives as long as the process,
// so each test that opens it runs in a process of its own (ctest gives it one).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files.h"
#include "pty_device.h"
#include "tmpfs.h"
#include "toolkit/headless/headless.h"

namespace testsupport {

// Settings lines joined with CR LF after each, as the program writes them.
std::string settingsText(const std::vector<std::string>& lines);
// Twelve settings lines: the default window places, COMn (n = port + 1) at 9600 baud.
std::string settingsText(int recTime, const std::string& destination, int port = 0);

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The start directory on a tmpfs of `bytes`; false when mounting is not possible here.
  // Comes before the windows are built, which take their directory for good.
  bool putStartDirectoryOnDisk(std::size_t bytes);
  // A new device linked as COM1 in the start directory.
  void linkDevice();
  void writeSettings(const std::string& bytes) const;
  std::string savedSettings() const;

  // Makes the start directory current and builds the two windows there.
  void buildWindows();
  // Runs the deferred start-up: the first tick of the start timer.
  void startUp() { tk::headless::advance(1); }
  void start() {
    buildWindows();
    startUp();
  }
  // Presses "Daten holen" and checks that the request byte reaches the device.
  void startRecording();
  // Lets the poll timer run until `count` bytes in all have been taken from the port.
  void pollUntilReceived(int count);
  // Waits, without a tick of the poll, until the worker has put everything the device sent
  // into the receive queue: the port's input is empty, and a byte queued after that has
  // gone out, which the worker does only on a pass after the one that read.
  void waitUntilQueued();

  // The message boxes with the stop icon; the last message box, or an empty record.
  static std::vector<tk::headless::MessageRecord> errorBoxes();
  static tk::headless::MessageRecord lastMessage();

  // In this order, so that they go in reverse: the current directory back first, then the
  // device, the disk on the start directory, and the start directory with all it holds.
  TempDir startDir;
  const std::filesystem::path startDirectory = startDir.path();
  std::unique_ptr<Tmpfs> disk;
  std::unique_ptr<PtyDevice> device;

 private:
  std::optional<CurrentDir> current_;
};

}  // namespace testsupport
