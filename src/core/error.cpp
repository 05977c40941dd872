#include "core/error.h"

#include <cctype>

namespace core {

std::string fillMessage(std::string_view messageTemplate, std::string_view value) {
  std::string text(messageTemplate);
  for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
    if (at + 1 < text.size() && (text[at + 1] == 's' || text[at + 1] == 'd')) {
      return text.replace(at, 2, value);
    }
  }
  return text;
}

std::string errorBoxText(std::string_view message) {
  std::string text(message);
  // Compared as unsigned: a German letter at the end (UTF-8 or ANSI) lies above "." too.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

std::string applicationTitle(std::string_view programPath) {
  const auto slash = programPath.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
  name = name.substr(0, name.find('.'));
  std::string title(name);
  for (std::size_t i = 1; i < title.size(); ++i) {
    title[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(title[i])));
  }
  return title;
}

}  // namespace core
