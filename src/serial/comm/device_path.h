// Where a device name such as "COM1:" lives on a POSIX system.
#pragma once

#include <string>
#include <string_view>

namespace comm {

// "COMn:" (n from 1) maps to the entry "COMn" in the current directory when there is one
// (usually a symbolic link to /dev/ttyUSB0 or the like; a dangling link counts, so that it
// fails rather than falls through), otherwise to /dev/ttyS<n-1>. Any other name, such as
// "COM ??? :", maps to the empty string: there is nothing to open.
std::string devicePath(std::string_view deviceName);

}  // namespace comm
