// The text of the error an action raises, so that a test compares messages, not catch blocks.
#pragma once

#include <functional>
#include <string>

namespace testsupport {

// The message of the core::Error that `action` raises, or "(no error)".
std::string errorOf(const std::function<void()>& action);

}  // namespace testsupport
