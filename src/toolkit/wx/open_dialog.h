// The file-open dialog of the wxWidgets backend.
#pragma once

#include <string>

namespace tk::wx {

// A Windows filter ("Name|*.txt;*.*|...") as GTK should match it: there "*.*" would only match
// names with a dot, while on Windows it matches every file.
std::string gtkWildcard(const std::string& filter);

}  // namespace tk::wx
