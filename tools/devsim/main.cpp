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

devsim::SignalRequests requests;

void requestStop(int) {
  requests.stop = 1;
}

void requestUnplug(int) {
  requests.unplug = 1;
}

void requestReplug(int) {
  requests.replug = 1;
}

// The caught signals stay blocked except inside ppoll, so none slips in between the look at
// the flags and the wait. Returns the mask that ppoll waits with.
sigset_t catchSignals() {
  const struct {
    int number;
    void (*handler)(int);
  } catches[] = {{SIGTERM, requestStop},
                 {SIGINT, requestStop},
                 {SIGUSR1, requestUnplug},
                 {SIGUSR2, requestReplug}};
  sigset_t caught;
  sigemptyset(&caught);
  for (const auto& c : catches) {
    struct sigaction action {};
    action.sa_handler = c.handler;
    ::sigaction(c.number, &action, nullptr);
    sigaddset(&caught, c.number);
  }
  sigset_t previous;
  ::sigprocmask(SIG_BLOCK, &caught, &previous);
  for (const auto& c : catches) sigdelset(&previous, c.number);
  return previous;
}

// A test that dies must not leave its device running.
void endWithParent() {
  const pid_t parent = ::getppid();
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (::getppid() != parent) requests.stop = 1;
}

int fail(const std::string& message, int status) {
  std::fprintf(stderr, "devsim: %s\n", message.c_str());
  return status;
}

void announceReady(const devsim::Options& options, const devsim::LinkedTerminal& port) {
  if (!options.readyFile.empty()) std::ofstream(options.readyFile) << "ready\n";
  std::printf("ready %s %s\n", options.link.c_str(), port.terminal().slaveName().c_str());
  std::fflush(stdout);
}

int simulate(const devsim::Options& options, devsim::Payload payload) {
  const sigset_t waitMask = catchSignals();
  endWithParent();
  devsim::LinkedTerminal port(options.link, options.raw);
  std::string error;
  if (!port.plugIn(error)) return fail(error, 1);
  devsim::Device device(options, std::move(payload), port);
  announceReady(options, port);
  device.run(requests, waitMask);
  port.unplug();
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
