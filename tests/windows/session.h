// A started program on the headless toolkit: the windows, a settings file if the test
// wants one, and a real pseudo-terminal linked as COM1 that the real worker polls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fixture.h"
#include "pty_device.h"

class SessionTest : public WindowsTest {
 protected:
  void SetUp() override;

  // Settings lines joined with CR LF after each, as the program writes them.
  static std::string settingsText(const std::vector<std::string>& lines);
  static std::string settingsText(int recTime, const std::string& destination, int port = 0);
  void writeSettings(const std::string& bytes) { writeFile(startDirectory / "Setup.txt", bytes); }
  std::string savedSettings() const { return readFile(startDirectory / "Setup.txt"); }
  // Runs the deferred start-up: the first tick of the start timer.
  void startUp() { tk::headless::advance(1); }
  // Lets the poll timer run until `count` bytes in all have been taken from the port.
  void pollUntilReceived(int count);
  // Presses "Daten holen" and checks that the request byte reaches the device.
  void startRecording();

  std::unique_ptr<PtyDevice> device;
};
