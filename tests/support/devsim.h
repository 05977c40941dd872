// The device simulator (tools/devsim) as a child process of the test, in the current
// directory, its standard output in a pipe that the test reads line by line. devsim links
// its own pseudo-terminal as the COMn entry it is given, never a real port.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class Devsim {
 public:
  explicit Devsim(const std::vector<std::string>& arguments);
  ~Devsim();  // stops it if it still runs
  Devsim(const Devsim&) = delete;
  Devsim& operator=(const Devsim&) = delete;

  // Reads standard output until a line starting with `prefix` arrives; returns that line,
  // or nothing once the output ends or patience runs out.
  std::optional<std::string> waitForLine(const std::string& prefix);
  void signal(int number) const;  // SIGUSR1 unplugs it, SIGUSR2 plugs it in again
  // Sends SIGTERM and waits for the exit; returns the exit status (-1 if killed).
  int stop();
  // Waits for an exit that comes by itself.
  int wait();

 private:
  std::optional<std::string> nextLine();

  pid_t pid_ = -1;
  int output_ = -1;
  std::string pending_;
};

}  // namespace testsupport
