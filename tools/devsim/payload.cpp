#include "payload.h"

#include <cstdio>
#include <numeric>
#include <string>

namespace devsim {

namespace {

// Forty readings of a voltmeter, one per line: "0001;+1.2480;V" and CR LF.
std::vector<std::uint8_t> instrumentLines() {
  std::vector<std::uint8_t> bytes;
  for (unsigned line = 1; line <= 40; ++line) {
    const double volts = 1.25 + 0.0001 * static_cast<int>((line * 37) % 101) - 0.005;
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04u;%+.4f;V\r\n", line, volts);
    bytes.insert(bytes.end(), text, text + length);
  }
  return bytes;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::vector<std::uint8_t>> hexBytes(std::string_view digits) {
  if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const int high = hexDigit(digits[i]);
    const int low = hexDigit(digits[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}

}  // namespace

std::optional<Payload> Payload::named(std::string_view name) {
  if (name == "instrument") return Payload(instrumentLines());
  if (name == "zero") return Payload(std::vector<std::uint8_t>(256, 0x00));
  if (name == "ff") return Payload(std::vector<std::uint8_t>(256, 0xFF));
  if (name == "count") {
    std::vector<std::uint8_t> bytes(256);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return Payload(std::move(bytes));
  }
  constexpr std::string_view hexPrefix = "hex:";
  if (name.starts_with(hexPrefix)) {
    if (auto bytes = hexBytes(name.substr(hexPrefix.size()))) return Payload(std::move(*bytes));
  }
  return std::nullopt;
}

}  // namespace devsim
