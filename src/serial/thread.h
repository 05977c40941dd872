// A thread object whose body is the virtual Execute, in the manner of a framework thread
// class: created not suspended, it runs Execute on a new thread at once.
//
// C++ builds a derived object after its base and destroys it before, so the thread can
// neither start in TThread's own constructor nor be waited for in its own destructor
// (Execute would run on a half-built or half-destroyed object). Every final class therefore
// calls AfterConstruction() as the last step of its constructor and WaitFor() as the first
// step of its destructor. A thread created suspended is started later with Start().
#pragma once

#include <thread>

class TThread {
 public:
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts a thread that was created suspended; does nothing if it runs already.
  // Raises core::Error "Fehler beim Erzeugen des Thread: %s" when the system has no thread.
  void Start();
  // Waits until Execute (and DoTerminate) have returned; at once if the thread never ran.
  void WaitFor();

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
