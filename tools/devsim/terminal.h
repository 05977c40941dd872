// The pseudo-terminal devsim talks through, and the link that makes it look like a port.
#pragma once

#include <string>

namespace devsim {

// The master side, non-blocking, plus one descriptor of the slave side that devsim keeps
// open itself, so that the master never sees a hang-up while no program has the port open.
// The slave starts raw (no echo, no flow control, no translation): a port configured for a
// binary device.
class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool open(std::string& error);
  // A real port forgets its exclusive-use flag (TIOCEXCL) when its last user closes it; a
  // pseudo-terminal keeps it while the master is open, which would lock a program out of
  // its second run. devsim clears the flag as it goes; the program's flock still keeps a
  // second program out while the first has the port.
  void allowReopen() const;
  int master() const { return master_; }
  const std::string& slaveName() const { return slaveName_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slaveName_;
};

// Points `link` at `target`, replacing a symbolic link that is already there (a left-over
// from an earlier run), never anything else.
bool createLink(const std::string& target, const std::string& link, std::string& error);
// Removes `link` if it still points at `target`.
void removeLink(const std::string& target, const std::string& link);

}  // namespace devsim
