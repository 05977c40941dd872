#include "core/error.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

namespace tk {

bool dispatch(const Handler& handler) {
  try {
    handler();
    return true;
  } catch (const core::Error& error) {
    showErrorBox(error.what());
  } catch (...) {
    // Anything that is not one of our errors has no text the user could act on.
    showErrorBox("");
  }
  return false;
}

void showErrorBox(const std::string& message) {
  backend::showMessage(core::errorBoxText(message), Application::title(), Icon::stop);
}

void showMessage(const std::string& text, const std::string& caption, Icon icon) {
  backend::showMessage(text, caption, icon);
}

bool askYesNo(const std::string& text, const std::string& caption) {
  return backend::askYesNo(text, caption);
}

// The backend sees the program's name alone: GTK would act on options such as --display or
// --g-fatal-warnings, and a file dropped on the program's icon is no concern of it.
void Application::initialize(int argc, char** argv) {
  static char* programOnly[] = {nullptr, nullptr};
  programOnly[0] = argc > 0 ? argv[0] : nullptr;
  backend::initialize(programOnly[0] != nullptr ? 1 : 0, programOnly);
}

std::string Application::programPath() {
  return backend::programPath();
}

std::string Application::title() {
  return core::applicationTitle(programPath());
}

}  // namespace tk
