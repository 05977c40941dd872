// The program on the headless toolkit with its real worker, started in a start directory of
// its own, which a test may first put on a small tmpfs. COM1 there links to a pseudo-
// terminal whose far end the test plays (or a test ends it, as a device that is unplugged).
// Each test runs in a process of its own (ctest), as the port lives as long as the process.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mounts.h"
#include "pty_device.h"
#include "toolkit/headless/headless.h"

namespace faults {

// Twelve settings lines as the program writes them, port COM1 at 9600 baud.
std::string settingsText(int recTime, const std::string& destination);

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The start directory on a tmpfs of `bytes`; false when mounting is not possible here.
  bool putStartDirectoryOnDisk(std::size_t bytes);
  void linkDevice() { device = std::make_unique<PtyDevice>(startDirectory, "COM1"); }
  void writeSettings(const std::string& bytes) const;
  // Builds the windows and runs the deferred start-up.
  void start();
  void startRecording();
  // Lets the poll timer run until `count` bytes in all have been taken from the port.
  void pollUntilReceived(int count);

  static std::string readFile(const std::filesystem::path& path);
  static std::vector<std::string> namesIn(const std::filesystem::path& folder);
  static std::vector<tk::headless::MessageRecord> errorBoxes();

  std::filesystem::path startDirectory;
  std::unique_ptr<Tmpfs> disk;
  std::unique_ptr<PtyDevice> device;

 private:
  std::filesystem::path previousDirectory_;
};

}  // namespace faults
