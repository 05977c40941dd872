// The pseudo-terminal devsim talks through, and the link that makes it look like a port.
#pragma once

#include <string>
#include <utility>

namespace devsim {

// The master side, non-blocking, plus one descriptor of the slave side that devsim keeps
// open itself, so that the master never sees a hang-up while no program has the port open.
// The slave starts in the kernel's default settings (software flow control, canonical mode
// and echo on), as a freshly plugged USB adapter does, so a program has to make it
// byte-transparent itself; `raw` starts it raw instead, a port already set up for a binary
// device.
//
// Unlike a real port, which forgets a program's exclusive-use flag (TIOCEXCL) when the last
// descriptor closes, the terminal keeps it as long as the master is open: once a program
// has set it, only root can open the port again until the next replug.
class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal() { close(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool open(bool raw, std::string& error);
  // Closes both sides, which hangs up every descriptor of the slave a program still holds.
  void close();
  bool isOpen() const { return master_ >= 0; }
  // Stops or restarts what the slave side sends toward the master, as a device that drops
  // its handshake line does: a program's write cannot go out, whatever flow control the
  // program sets on its own descriptor.
  void holdOutput(bool held) const;
  // Whether a program has set the terminal up for binary data (canonical mode off).
  bool setUpByProgram() const;
  int master() const { return master_; }
  const std::string& slaveName() const { return slaveName_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slaveName_;
};

// The terminal under its link, as an adapter under its name: plugging in opens a new
// terminal and points the link at it; unplugging closes the terminal and removes the link,
// as udev removes the names of an adapter that was pulled out.
class LinkedTerminal {
 public:
  LinkedTerminal(std::string link, bool raw) : link_(std::move(link)), raw_(raw) {}
  ~LinkedTerminal() { unplug(); }
  LinkedTerminal(const LinkedTerminal&) = delete;
  LinkedTerminal& operator=(const LinkedTerminal&) = delete;

  bool plugIn(std::string& error);
  void unplug();
  bool pluggedIn() const { return terminal_.isOpen(); }
  const PseudoTerminal& terminal() const { return terminal_; }
  const std::string& link() const { return link_; }

 private:
  std::string link_;
  bool raw_;
  PseudoTerminal terminal_;
};

// Points `link` at `target`, replacing a symbolic link that is already there (a left-over
// from an earlier run), never anything else.
bool createLink(const std::string& target, const std::string& link, std::string& error);
// Removes `link` if it still points at `target`.
void removeLink(const std::string& target, const std::string& link);

}  // namespace devsim
