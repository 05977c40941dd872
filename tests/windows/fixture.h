// The two windows on the headless toolkit, built in a fresh start directory of their own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "toolkit/headless/headless.h"
#include "windows/Main.h"
#include "windows/Setupunit.h"

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Sets the main window's (or dialog's) client area, as the user dragging its frame.
  static void setClientSize(tk::Window& window, int width, int height);
  static std::string readFile(const std::filesystem::path& path);
  static void writeFile(const std::filesystem::path& path, const std::string& bytes);
  // The last message box, or an empty record.
  static tk::headless::MessageRecord lastMessage();

  std::filesystem::path startDirectory;

 private:
  std::filesystem::path previousDirectory;
};
