// devsim's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devsim {

struct Options {
  std::string link;  // where the terminal is linked, e.g. COM1
  std::string pattern = "instrument";
  std::optional<std::uint64_t> bytes;  // payload length; the pattern's own when unset
  std::uint32_t rate = 0;              // bytes per second; 0: as fast as the line takes them
  bool raw = false;          // the terminal raw from the start instead of in the kernel's defaults
  std::uint32_t holdMs = 0;  // how long the line is held after the start; 0: never
  bool stream = false;
  bool once = false;
  bool unprompted = false;
  std::uint8_t request = 0x41;
  std::string reportFile;
  std::string readyFile;
  std::uint32_t timeoutSeconds = 0;  // 0: no time limit
  bool quiet = false;
  bool help = false;
};

struct ParseResult {
  Options options;
  std::string error;  // empty when the command line is valid
};

ParseResult parseOptions(const std::vector<std::string>& arguments);
const char* usage();

}  // namespace devsim
