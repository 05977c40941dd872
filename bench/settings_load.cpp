// Start-up with a huge settings file: the deferred start-up reading --megabytes of random
// bytes without a NUL (so that all of it is read and split into lines), beside reading the
// same file with one fread.
#include <unistd.h>

#include <cstdio>
#include <random>
#include <stdexcept>

#include "cases.h"
#include "port_guard.h"
#include "toolkit/headless/headless.h"
#include "windows/Main.h"
#include "windows/Setupunit.h"

namespace bench {
namespace {

void writeRandomText(const std::filesystem::path& path, std::size_t bytes) {
  std::mt19937_64 random(6);
  std::string text(bytes, '\0');
  for (char& byte : text) byte = static_cast<char>(1 + random() % 255);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

double freadSeconds(const std::filesystem::path& path, std::size_t bytes) {
  const auto start = Clock::now();
  std::string text(bytes, '\0');
  std::FILE* file = std::fopen(path.c_str(), "rb");
  const std::size_t got = std::fread(text.data(), 1, bytes, file);
  std::fclose(file);
  if (got != bytes) throw std::runtime_error("short read");
  return secondsSince(start);
}

}  // namespace

int runSettingsLoad(const Arguments& arguments) {
  const auto bytes = static_cast<std::size_t>(arguments.number("megabytes", 100) * 1e6);
  faults::allowOnlyLinkedCom1();  // random lines may name any port
  ScratchDir directory;
  std::filesystem::current_path(directory.path());
  ::symlink((directory.path() / "no-device").c_str(), (directory.path() / "COM1").c_str());
  writeRandomText(directory.path() / "Setup.txt", bytes);
  const double fread = freadSeconds(directory.path() / "Setup.txt", bytes);
  tk::headless::setProgramPath("/usr/local/bin/Querlan");
  fMain = new TfMain;
  fSetup = new TfSetup;
  const auto start = Clock::now();
  tk::headless::advance(1);
  print("startup_s", secondsSince(start));
  print("fread_s", fread);
  print("peak_rss", static_cast<double>(processUsage().peakRssBytes));
  print("messages", static_cast<double>(tk::headless::messages().size()));
  return 0;
}

}  // namespace bench
