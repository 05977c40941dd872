#include "windows/Main.h"

#include <filesystem>

#include "core/decimal.h"
#include "serial/messages.h"
#include "windows/Setupunit.h"

TfMain* fMain = nullptr;
std::string SetupFileName;

namespace {

constexpr unsigned programVersion = 110;

// The current directory as UTF-8, without a trailing separator.
std::string currentDirectory() {
  const std::u8string path = std::filesystem::current_path().u8string();
  std::string directory(path.begin(), path.end());
  while (directory.size() > 1 && (directory.back() == '/' || directory.back() == '\\')) {
    directory.pop_back();
  }
  return directory;
}

// The serial layer's messages, shown as message boxes captioned with the port's name.
class MessageBoxes final : public sio::Messages {
 public:
  void tell(const std::string& text, const std::string& caption) override {
    tk::showMessage(text, caption);
  }
};

}  // namespace

std::int32_t recordingIntervalMs(std::int32_t seconds) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds) * 1000u);
}

std::string versionText(unsigned version) {
  if (version % 10 == 0) version /= 10;
  return " - Version " + std::to_string(version / 10) + "." + std::to_string(version % 10);
}

TfMain::TfMain()
    : tk::Window({"QUERLAN - Speichert die Daten einer RS232",
                  {192, 107, 696, 480},
                  {"MS Sans Serif", -14}}) {
  static MessageBoxes messageBoxes;
  sio::installMessages(&messageBoxes);
  applyLayout();
  bindEvents();
  const char separator = std::filesystem::path::preferred_separator;
  SetupFileName = currentDirectory() + separator + "Setup.txt";
  setCaption(caption() + versionText(programVersion));
  tStart.setEnabled(true);
}

void TfMain::bindEvents() {
  bSetup.onClick = [this] { bSetupClick(); };
  tStart.onTimer = [this] { tStartTimer(); };
  bDest.onClick = [this] { bDestClick(); };
  bHolen.onClick = [this] { bHolenClick(); };
  tDatenEnd.onTimer = [this] { tDatenEndTimer(); };
  bAbbrechen.onClick = [this] { tDatenEndTimer(); };
  tDatenCont.onTimer = [this] { tDatenContTimer(); };
  bBeenden.onClick = [this] { bBeendenClick(); };
  onCloseQuery = [this] { return mayDropUnsavedRecording(); };
  onClose = [this] { FormClose(); };
  onResize = [this] { FormResize(); };
}

void TfMain::ShowPortAndBaud() {
  lComPortUsed.setText("Schnittstelle:\tCOM" + core::decimalText(std::int64_t{ComPort} + 1));
  lBaudRateUsed.setText("Baudrate:\t" + core::decimalText(BaudRate) + " Bits pro Sek.");
}

void TfMain::ShowRecTime(std::int32_t n) {
  lTime.setText("Aufzeichnung:\t" + core::decimalText(n) + " s");
}

void TfMain::bSetupClick() {
  fSetup->LoadFromMain();
  fSetup->showModal();
}

void TfMain::bBeendenClick() {
  close();
}
