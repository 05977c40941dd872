// The two windows on the headless toolkit, built in a fresh start directory of their own
// and not yet started up; SessionTest adds a device on COM1 there that the real worker polls.
#pragma once

#include "program.h"
#include "windows/Main.h"
#include "windows/Setupunit.h"

class WindowsTest : public testsupport::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    buildWindows();
  }
};

class SessionTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    linkDevice();
  }
};
