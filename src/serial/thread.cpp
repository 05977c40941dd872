#include "serial/thread.h"

#include <system_error>

#include "core/error.h"

TThread::TThread(bool createSuspended) : createSuspended_(createSuspended) {}

TThread::~TThread() {
  WaitFor();
}

void TThread::WaitFor() {
  if (thread_.joinable()) thread_.join();
}

void TThread::AfterConstruction() {
  if (!createSuspended_) Start();
}

void TThread::Start() {
  if (thread_.joinable()) return;
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error& failure) {
    throw core::Error(
        core::fillMessage("Fehler beim Erzeugen des Thread: %s", failure.code().message()));
  }
}

void TThread::run() {
  Execute();
  DoTerminate();
}
