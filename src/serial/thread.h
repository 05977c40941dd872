// A thread object whose body is the virtual Execute, in the manner of a framework thread
// class: created not suspended, it runs Execute on a new thread at once.
//
// C++ builds a derived object after its base, so the thread cannot start in TThread's own
// constructor (Execute would run on a half-built object). Every final class therefore calls
// AfterConstruction() as the last step of its constructor; a thread created suspended is
// started later with Start().
#pragma once

#include <thread>

class TThread {
 public:
  virtual ~TThread();  // waits for Execute to return
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts a thread that was created suspended; does nothing if it runs already.
  // Raises core::Error "Fehler beim Erzeugen des Thread: %s" when the system has no thread.
  void Start();

 protected:
  explicit TThread(bool createSuspended);
  void AfterConstruction();

  // The termination notification, run on the thread after Execute has returned.
  virtual void DoTerminate() {}
  virtual void Execute() = 0;

 private:
  void run();

  bool createSuspended_;
  std::thread thread_;
};
