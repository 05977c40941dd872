// UUCP lock files: the convention by which Linux terminal programs keep each other off a
// serial device they use. A program that holds /dev/ttyUSB0 writes its process ID into
// /run/lock/LCK..ttyUSB0; the lock holds while that process lives. flock and TIOCEXCL
// do not keep such programs out, so the port opening looks for their locks too.
#pragma once

#include <string>

namespace comm {

inline constexpr const char* uucpLockDirectory = "/run/lock";

// Whether a live process other than this one holds a lock file for the device at `path`
// (symbolic links followed, so a link to /dev/serial/by-id/... finds the lock of the
// ttyUSB0 it names). A lock whose process has ended is stale and holds nothing.
bool lockedByAnotherProgram(const std::string& path,
                            const std::string& lockDirectory = uucpLockDirectory);

}  // namespace comm
