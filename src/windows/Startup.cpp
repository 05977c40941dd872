// The settings file: read once by the deferred start-up, written when the main window
// closes. Twelve lines, their meaning given by position.
#include <filesystem>

#include "core/decimal.h"
#include "core/intparse.h"
#include "core/stringlist.h"
#include "serial/sio.h"
#include "windows/Main.h"
#include "windows/Recording.h"
#include "windows/Setupunit.h"

namespace {

constexpr int missingFileLines = 50;

bool isFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::u8path(path), error);
}

class SettingsReader {
 public:
  explicit SettingsReader(const core::StringList& lines) : lines_(lines) {}
  std::int32_t number(std::int32_t fallback) { return core::parseIntOr(text(), fallback); }
  std::string text() { return std::string(lines_.at(next_++)); }

 private:
  const core::StringList& lines_;
  int next_ = 0;
};

// Applies a window's four lines. A place that no screen shows any more (a monitor removed,
// a lower resolution) is then brought back into view, also when the file ends among them.
void applyBounds(tk::Window& window, SettingsReader& line) {
  try {
    window.setLeft(line.number(0));
    window.setTop(line.number(0));
    window.setWidth(line.number(500));
    window.setHeight(line.number(300));
  } catch (...) {
    window.keepOnScreen();
    throw;
  }
  window.keepOnScreen();
}

}  // namespace

void TfMain::tStartTimer() {
  tStart.setEnabled(false);
  core::StringList settings;
  if (isFile(SetupFileName)) {
    settings.loadFromFile(SetupFileName);
  } else {
    for (int i = 0; i < missingFileLines; ++i) settings.add("log.txt");
  }
  // Each line is applied before the next is read, so a short file applies what it has.
  SettingsReader line(settings);
  applyBounds(*this, line);
  applyBounds(*fSetup, line);
  ComPort = line.number(0);
  BaudRate = line.number(9600);
  RecTime = line.number(240);
  eDest.setText(line.text());
  startWithSettings();
}

void TfMain::startWithSettings() {
  fSetup->cbComPort.setItemIndex(ComPort);
  ShowPortAndBaud();
  ShowRecTime(RecTime);
  fSetup->cbBaudRate.setText(core::decimalText(BaudRate));
  tDatenEnd.setInterval(recordingIntervalMs(RecTime));
  fSetup->udRecTime.setPosition(RecTime);
  CaptureLines = new core::ByteLines;
  SioThread = new TSio(false);
  OpenComPort(ComPort, BaudRate);
  Capturing = 0;
  tDatenCont.setEnabled(true);
}

void TfMain::FormClose() {
  core::StringList settings;
  for (const std::int32_t value : {left(), top(), width(), height(), fSetup->left(), fSetup->top(),
                                   fSetup->width(), fSetup->height(), ComPort, BaudRate, RecTime}) {
    settings.add(core::decimalText(value));
  }
  settings.add(eDest.text());
  settings.saveToFile(SetupFileName);
}
