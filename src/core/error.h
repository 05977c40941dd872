// The one error type of the program: it carries the text the user sees. Handlers raise it;
// the message loop catches it and shows it in the error box.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace core {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Replaces the first "%s" or "%d" in a message template with the given text.
std::string fillMessage(std::string_view messageTemplate, std::string_view value);

// The text of the error box: a full stop is added when the message is not empty and its
// last character's code lies above that of ".".
std::string errorBoxText(std::string_view message);

// The caption of the error box, made from the program file's path: the name without
// directory and without anything from the first "." on, every letter after the first in
// lower case.
std::string applicationTitle(std::string_view programPath);

}  // namespace core
