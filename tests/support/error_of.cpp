#include "error_of.h"

#include "core/error.h"

namespace testsupport {

std::string errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const core::Error& error) {
    return error.what();
  }
  return "(no error)";
}

}  // namespace testsupport
