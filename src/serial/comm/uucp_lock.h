// UUCP lock files: the convention by which Linux terminal programs keep each other off a
// serial device they use. A program that holds /dev/ttyUSB0 writes its process ID into
// /run/lock/LCK..ttyUSB0; the lock holds while that process lives. flock and TIOCEXCL do
// not keep such programs (or root) out, so Querlan honours their locks and writes its own.
#pragma once

#include <string>

namespace comm {

inline constexpr const char* uucpLockDirectory = "/run/lock";

// The lock file that names the device at `path`, with symbolic links followed (a link to
// /dev/serial/by-id/... names the lock of the ttyUSB0 it points to). Empty when there is no
// such device.
std::string lockFileFor(const std::string& path,
                        const std::string& lockDirectory = uucpLockDirectory);

// Whether a live process other than this one holds `lockFile`. Reading it never blocks
// and never follows a link; a lock file that cannot be judged (no regular file, no process
// ID in either form) holds nothing, nor does one whose process has ended.
bool heldByAnotherProgram(const std::string& lockFile);

enum class LockClaim { taken, heldByAnother, noLock };

// Writes this process's lock file, created so that of two programs only one can win; a
// lock that holds nothing is replaced. `noLock`: the folder takes no file (the user may
// not write there), which the caller lets pass, since flock and TIOCEXCL still hold the
// port; or this process has the lock already, and whoever took it releases it. Locks
// still taken when the process ends normally are removed then.
LockClaim claimLock(const std::string& lockFile);

// Removes `lockFile` if it still names this process.
void releaseLock(const std::string& lockFile);

}  // namespace comm
