#include "devsim.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "eventually.h"

extern char** environ;

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what, int error) {
  throw std::runtime_error(what + ": " + std::strerror(error));
}

std::vector<char*> argvOf(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

Devsim::Devsim(const std::vector<std::string>& arguments) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) fail("pipe", errno);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  std::vector<std::string> words = {DEVSIM_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  const int error =
      ::posix_spawn(&pid_, DEVSIM_PATH, &actions, nullptr, argvOf(words).data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  output_ = pipeEnds[0];
  if (error != 0) {
    ::close(output_);
    fail("spawn devsim", error);
  }
}

Devsim::~Devsim() {
  if (pid_ > 0) stop();
  ::close(output_);
}

std::optional<std::string> Devsim::nextLine() {
  const auto deadline = Clock::now() + patience;
  for (;;) {
    const auto end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd watch{output_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0) {
      return std::nullopt;
    }
    char buffer[512];
    const ssize_t got = ::read(output_, buffer, sizeof buffer);
    if (got <= 0) return std::nullopt;
    pending_.append(buffer, static_cast<std::size_t>(got));
  }
}

std::optional<std::string> Devsim::waitForLine(const std::string& prefix) {
  while (auto line = nextLine()) {
    if (line->starts_with(prefix)) return line;
  }
  return std::nullopt;
}

void Devsim::signal(int number) const {
  if (pid_ > 0) ::kill(pid_, number);
}

int Devsim::stop() {
  if (pid_ > 0) ::kill(pid_, SIGTERM);
  return wait();
}

int Devsim::wait() {
  int status = 0;
  if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_) return -1;
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace testsupport
