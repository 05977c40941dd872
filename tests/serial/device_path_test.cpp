// Where "COMn:" leads on Linux. Only names are computed here; nothing is opened.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "files.h"
#include "serial/comm/device_path.h"

namespace {

TEST(DevicePath, MapsPortNamesToTheSerialDevices) {
  testsupport::StartDir directory;
  const struct {
    const char* name;
    const char* path;
  } cases[] = {{"COM1:", "/dev/ttyS0"},
               {"COM8:", "/dev/ttyS7"},
               {"COM12:", "/dev/ttyS11"},
               {"COM2147483648:", "/dev/ttyS2147483647"},
               {"COM ??? :", ""},
               {"COM0:", ""},
               {"COM:", ""},
               {"COM1", ""},
               {"com1:", ""},
               {"COM+1:", ""},
               {"COM 1:", ""},
               {"COM1:x", ""},
               {"COM1x:", ""},
               {"COM99999999999999999999999:", ""},
               {"/dev/ttyS0", ""},
               {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(comm::devicePath(c.name), c.path) << c.name;
}

TEST(DevicePath, PrefersAnEntryInTheStartDirectory) {
  testsupport::StartDir directory;
  std::ofstream("COM3") << "";
  ASSERT_EQ(::symlink("/nonexistent/querlan-device", "COM4"), 0);
  std::filesystem::create_directory("COM5");
  EXPECT_EQ(comm::devicePath("COM3:"), "COM3");
  EXPECT_EQ(comm::devicePath("COM4:"), "COM4") << "a dangling link must not fall through";
  EXPECT_EQ(comm::devicePath("COM5:"), "COM5");
  EXPECT_EQ(comm::devicePath("COM6:"), "/dev/ttyS5");
}

}  // namespace
