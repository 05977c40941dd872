// The program's icon (src/icon/querlan.png, embedded at build time so the program stays one
// file).
#pragma once

#include <wx/icon.h>

namespace tk::wx {

const wxIcon& programIcon();

}  // namespace tk::wx
