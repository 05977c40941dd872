// The far end of a real pseudo-terminal, linked as a port entry ("COM1") in a start
// directory, so that the program's worker opens and polls a real terminal.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

class PtyDevice {
 public:
  PtyDevice(const std::filesystem::path& directory, const std::string& entry);
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  void send(const std::string& bytes);
  // Waits until the program has opened the port and made it transparent; false after
  // `wait` without that.
  bool waitUntilConfigured(std::chrono::milliseconds wait = std::chrono::seconds(5)) const;
  // Reads what the program wrote until `count` bytes have come or the wait is over.
  std::string receive(std::size_t count, std::chrono::milliseconds wait = std::chrono::seconds(5));

 private:
  int master_ = -1;
};
