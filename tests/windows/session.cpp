#include "session.h"

#include <chrono>
#include <thread>

#include "windows/Recording.h"

namespace headless = tk::headless;

void SessionTest::SetUp() {
  WindowsTest::SetUp();
  device = std::make_unique<PtyDevice>(startDirectory, "COM1");
}

std::string SessionTest::settingsText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string SessionTest::settingsText(int recTime, const std::string& destination, int port) {
  return settingsText({"0", "0", "500", "300", "0", "0", "500", "300", std::to_string(port), "9600",
                       std::to_string(recTime), destination});
}

void SessionTest::pollUntilReceived(int count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (TotalCount < count && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    headless::advance(10);
  }
  ASSERT_EQ(TotalCount, count) << "bytes taken from the port";
}

void SessionTest::startRecording() {
  fMain->bHolen.click();
  ASSERT_EQ(device->receive(1), "A") << "the request byte";
}
