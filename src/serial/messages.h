// Where the serial layer's messages to the user go ("Schnittstelle nicht zu öffnen !" and
// the others OpenComPort reports, captioned with the port's name). The serial layer knows
// no windows: the program installs a receiver at start-up that shows them, tests install
// one that records them. Until one is installed, the messages go nowhere.
#pragma once

#include <string>

namespace sio {

class Messages {
 public:
  virtual ~Messages() = default;
  virtual void tell(const std::string& text, const std::string& caption) = 0;
};

// Installs the receiver, which must outlive its use; null takes it away again.
void installMessages(Messages* messages);

// Hands a message to the installed receiver, if there is one.
void tell(const std::string& text, const std::string& caption);

}  // namespace sio
