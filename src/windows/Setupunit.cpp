#include "windows/Setupunit.h"

#include "core/decimal.h"
#include "core/intparse.h"
#include "windows/Main.h"

TfSetup* fSetup = nullptr;
std::int32_t SetupOldPort = 0;
std::int32_t SetupOldBaud = 0;

namespace {

constexpr int portCount = 8;
constexpr std::int32_t fallbackBaudRate = 9600;

}  // namespace

TfSetup::TfSetup() : tk::Window({"Setup", {298, 223, 491, 239}, {"MS Sans Serif", -11}}) {
  applyLayout();
  onResize = [this] { FormResize(); };
  bOk.onClick = [this] { bOkClick(); };
  bAbbrechen.onClick = [this] { bAbbrechenClick(); };
  cbComPort.clearItems();
  for (int i = 0; i < portCount; ++i) cbComPort.addItem("COM" + core::decimalText(i + 1));
}

void TfSetup::LoadFromMain() {
  cbComPort.setItemIndex(fMain->ComPort);
  SetupOldPort = fMain->ComPort;
  cbBaudRate.setText(core::decimalText(fMain->BaudRate));
  SetupOldBaud = fMain->BaudRate;
}

void TfSetup::bAbbrechenClick() {
  close();
}

void TfSetup::bOkClick() {
  fMain->BaudRate = core::parseIntOr(cbBaudRate.text(), fallbackBaudRate);
  fMain->ComPort = cbComPort.itemIndex();
  fMain->RecTime = udRecTime.position();
  fMain->tDatenEnd.setInterval(recordingIntervalMs(fMain->RecTime));
  fMain->ShowRecTime(fMain->RecTime);
  if (fMain->BaudRate != SetupOldBaud || fMain->ComPort != SetupOldPort) {
    tk::showMessage(
        "Damit die Änderungen der Schnittstelle übernommen werden,\n"
        "muss das Programm neu gestartet werden.",
        "Information");
  }
  close();
}
