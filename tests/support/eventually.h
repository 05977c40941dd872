// Waiting for something another thread or process does, with a fail-safe deadline.
#pragma once

#include <chrono>
#include <functional>

namespace testsupport {

// How long a wait goes on before it gives up: a fail-safe against a stuck worker or
// device, never a claim about speed.
inline constexpr std::chrono::seconds patience{20};

// Calls `done` about once a millisecond until it holds or `wait` has passed; false if it
// never held.
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds wait = patience);

}  // namespace testsupport
