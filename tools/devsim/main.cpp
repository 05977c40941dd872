// devsim: a measuring device on a pseudo-terminal, for tests, benchmarks and the demo.
// See usage() in options.cpp for the command line.
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "device.h"
#include "terminal.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) {
  stopRequested = 1;
}

// SIGTERM and SIGINT stay blocked except inside ppoll, so none slips in between the look at
// the flag and the wait. Returns the mask that ppoll waits with.
sigset_t catchStopSignals() {
  struct sigaction action {};
  action.sa_handler = requestStop;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  sigset_t previous;
  ::sigprocmask(SIG_BLOCK, &stops, &previous);
  sigdelset(&previous, SIGTERM);
  sigdelset(&previous, SIGINT);
  return previous;
}

// A test that dies must not leave its device running.
void endWithParent() {
  const pid_t parent = ::getppid();
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (::getppid() != parent) stopRequested = 1;
}

int fail(const std::string& message, int status) {
  std::fprintf(stderr, "devsim: %s\n", message.c_str());
  return status;
}

int simulate(const devsim::Options& options, devsim::Payload payload) {
  const sigset_t waitMask = catchStopSignals();
  endWithParent();
  devsim::PseudoTerminal terminal;
  std::string error;
  if (!terminal.open(error) || !devsim::createLink(terminal.slaveName(), options.link, error)) {
    return fail(error, 1);
  }
  if (!options.readyFile.empty()) std::ofstream(options.readyFile) << "ready\n";
  std::printf("ready %s %s\n", options.link.c_str(), terminal.slaveName().c_str());
  std::fflush(stdout);

  devsim::Device device(options, std::move(payload), terminal);
  device.run(stopRequested, waitMask);
  devsim::removeLink(terminal.slaveName(), options.link);
  const devsim::Counts& counts = device.counts();
  std::printf("done received=%llu requests=%llu sent=%llu\n",
              static_cast<unsigned long long>(counts.received),
              static_cast<unsigned long long>(counts.requests),
              static_cast<unsigned long long>(counts.sent));
  device.writeReport();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const devsim::ParseResult parsed = devsim::parseOptions({argv + 1, argv + argc});
  if (!parsed.error.empty()) return fail(parsed.error + " (devsim --help shows the usage)", 2);
  if (parsed.options.help) {
    std::fputs(devsim::usage(), stdout);
    return 0;
  }
  auto payload = devsim::Payload::named(parsed.options.pattern);
  if (!payload) return fail("unknown pattern: " + parsed.options.pattern, 2);
  return simulate(parsed.options, std::move(*payload));
}
