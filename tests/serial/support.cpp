#include "support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "serial/messages.h"
#include "serial/queues.h"
#include "serial/sio.h"

extern char** environ;

namespace serial_test {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Waits for `fd` to become readable; false once `deadline` has passed.
bool waitReadable(int fd, Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return false;
  pollfd watch{fd, POLLIN, 0};
  return ::poll(&watch, 1, static_cast<int>(left.count())) > 0;
}

}  // namespace

std::vector<std::uint8_t> counting(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

bool eventually(const std::function<bool()>& done) {
  const auto deadline = Clock::now() + patience;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::vector<PortMessage>& portMessages() {
  struct Recorder final : sio::Messages {
    void tell(const std::string& text, const std::string& caption) override {
      recorded.push_back({text, caption});
    }
    std::vector<PortMessage> recorded;
  };
  static Recorder recorder;
  sio::installMessages(&recorder);
  return recorder.recorded;
}

void FreshProcess::SetUp() {
  const char* advice = "a port was used before in this process; run each test on its own";
  ASSERT_EQ(ComPortState.handle.load(), comm::invalidHandle) << advice;
  ASSERT_EQ(SioStop.load(), 0) << advice;
}

TempDirectory::TempDirectory() : previous_(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "querlan-serial-XXXXXX");
  if (!::mkdtemp(pattern.data())) fail("mkdtemp");
  path_ = pattern;
  std::filesystem::current_path(path_);
}

TempDirectory::~TempDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

Terminal::Terminal() {
  plugIn();
}

Terminal::~Terminal() {
  unplug();
}

void Terminal::plugIn() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) fail("posix_openpt");
  slaveName_ = ::ptsname(master_);
  slave_ = ::open(slaveName_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0) fail("open " + slaveName_);
}

void Terminal::unplug() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = master_ = -1;
}

void Terminal::replugAs(const std::string& entry) {
  unplug();
  plugIn();
  std::filesystem::remove(entry);
  linkAs(entry);
}

void Terminal::hold(bool held) const {
  if (::tcflow(slave_, held ? TCOOFF : TCOON) != 0) fail("tcflow");
}

void Terminal::linkAs(const std::string& entry) const {
  if (::symlink(slaveName_.c_str(), entry.c_str()) != 0) fail("symlink " + entry);
}

termios Terminal::settings() const {
  termios settings{};
  if (::tcgetattr(slave_, &settings) != 0) fail("tcgetattr");
  return settings;
}

void Terminal::setSettings(const termios& settings) const {
  if (::tcsetattr(slave_, TCSANOW, &settings) != 0) fail("tcsetattr");
}

void Terminal::send(const std::vector<std::uint8_t>& bytes) const {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t put = ::write(master_, bytes.data() + sent, bytes.size() - sent);
    if (put > 0) {
      sent += static_cast<std::size_t>(put);
    } else if (errno == EAGAIN) {
      pollfd watch{master_, POLLOUT, 0};
      ::poll(&watch, 1, 100);
    } else {
      fail("write to the terminal");
    }
  }
}

std::vector<std::uint8_t> Terminal::receive(std::size_t count) const {
  std::vector<std::uint8_t> bytes;
  const auto deadline = Clock::now() + patience;
  while (bytes.size() < count && waitReadable(master_, deadline)) {
    std::uint8_t buffer[4096];
    const ssize_t got = ::read(master_, buffer, sizeof buffer);
    if (got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return bytes;
}

std::vector<std::uint8_t> collectRx(std::size_t count) {
  std::vector<std::uint8_t> bytes;
  eventually([&] {
    for (int value; bytes.size() < count && (value = RxGet()) >= 0;) {
      bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes.size() >= count;
  });
  return bytes;
}

void putTx(const std::vector<std::uint8_t>& bytes) {
  for (const std::uint8_t byte : bytes) TxPut(byte);
}

Devsim::Devsim(const std::vector<std::string>& arguments) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) fail("pipe");
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  std::vector<std::string> words = {DEVSIM_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int error = ::posix_spawn(&pid_, DEVSIM_PATH, &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  output_ = pipeEnds[0];
  if (error != 0) {
    errno = error;
    fail("spawn devsim");
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
    char buffer[512];
    if (!waitReadable(output_, deadline)) return std::nullopt;
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

}  // namespace serial_test
