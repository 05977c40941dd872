// querlan_bench CASE [--name value ...]: runs one benchmark case and prints its figures.
// bench/run.sh runs them all and sets each beside its baseline.
#include <cstdio>
#include <exception>
#include <map>
#include <string>

#include "cases.h"

int main(int argc, char** argv) {
  using Case = int (*)(const bench::Arguments&);
  const std::map<std::string, Case> cases = {
      {"capture", bench::runCapture}, {"baseline", bench::runBaseline},
      {"idle", bench::runIdle},       {"idle-baseline", bench::runIdleBaseline},
      {"profile", bench::runProfile}, {"settings-load", bench::runSettingsLoad},
      {"save", bench::runSave}};
  const auto found = argc > 1 ? cases.find(argv[1]) : cases.end();
  if (found == cases.end()) {
    std::fprintf(stderr, "usage: querlan_bench CASE [--name value ...]; cases:");
    for (const auto& [name, run] : cases) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
  }
  try {
    return found->second(bench::Arguments(argc, argv));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "querlan_bench %s: %s\n", argv[1], error.what());
    return 1;
  }
}
