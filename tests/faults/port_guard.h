// A safety net for tests, fuzzing and benchmarks that start the program with settings they
// do not control (random bytes, fuzz input): whatever port index a settings file names,
// only "COM1:" is opened, and only when the current directory holds a COM1 link (to a
// pseudo-terminal, or dangling). Any other name fails as a missing port does, so that no
// real /dev/ttyS* (which can be the console) is ever touched.
#pragma once

namespace faults {

void allowOnlyLinkedCom1();

}  // namespace faults
