// The setup dialog: serial port, baud rate and recording time. A new recording time takes
// effect at once; a new port or baud rate at the next start.
#pragma once

#include <cstdint>

#include "toolkit/toolkit.h"

class TfSetup : public tk::Window {
 public:
  TfSetup();

  // Members in their declared order.
  tk::ComboBox cbComPort{*this, tk::ComboStyle::dropDownList};
  tk::UpDown udRecTime{*this};
  tk::LabeledEdit leRecTime{*this};
  tk::Button bOk{*this, "OK"};
  tk::Button bAbbrechen{*this, "Abbrechen"};
  tk::ComboBox cbBaudRate{*this, tk::ComboStyle::dropDown};
  tk::Label lComPort{*this, "COM-Port"};
  tk::Label lBaudRate{*this, "Baud-Rate"};

  // Fills the dialog from the main window before it is shown.
  void LoadFromMain();

  // Event handlers, in their declared order.
  void FormResize();
  void bAbbrechenClick();
  void bOkClick();

 private:
  void applyLayout();
};

extern TfSetup* fSetup;

// The port index and baud rate the dialog was filled with when it was last opened.
extern std::int32_t SetupOldPort;
extern std::int32_t SetupOldBaud;
