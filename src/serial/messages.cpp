#include "serial/messages.h"

namespace sio {
namespace {

// Only the main thread opens ports, so the receiver needs no lock.
Messages* receiver = nullptr;

}  // namespace

void installMessages(Messages* messages) {
  receiver = messages;
}

void tell(const std::string& text, const std::string& caption) {
  if (receiver != nullptr) receiver->tell(text, caption);
}

}  // namespace sio
