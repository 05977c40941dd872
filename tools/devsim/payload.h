// What devsim answers: one cycle of bytes, repeated as long as the answer is.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace devsim {

class Payload {
 public:
  // instrument, count, zero, ff or hex:BYTES; nothing for an unknown name or bad hex.
  static std::optional<Payload> named(std::string_view name);

  std::uint8_t at(std::uint64_t index) const { return cycle_[index % cycle_.size()]; }
  std::uint64_t cycleLength() const { return cycle_.size(); }

 private:
  explicit Payload(std::vector<std::uint8_t> cycle) : cycle_(std::move(cycle)) {}
  std::vector<std::uint8_t> cycle_;  // never empty
};

}  // namespace devsim
