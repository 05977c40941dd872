// The benchmark cases, one per command of querlan_bench. Each runs in a process of its own
// (the port and the worker live as long as the process) and prints its figures.
#pragma once

#include "support.h"

namespace bench {

int runCapture(const Arguments& arguments);
int runBaseline(const Arguments& arguments);
int runIdle(const Arguments& arguments);
int runIdleBaseline(const Arguments& arguments);
int runProfile(const Arguments& arguments);
int runSettingsLoad(const Arguments& arguments);
int runSave(const Arguments& arguments);

}  // namespace bench
