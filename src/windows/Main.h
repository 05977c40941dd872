// The main window: the port and baud rate in use, the activity indicator, the recording
// time or progress, the destination file, and the buttons that drive a recording.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/toolkit.h"

class TfMain : public tk::Window {
 public:
  TfMain();
  // A recording still running when the window goes ends unsaved.
  ~TfMain() override;

  // Members in their declared order.
  tk::LabeledEdit eDest{*this};
  tk::Button bDest{*this, "D&urchsuchen"};
  tk::Button bHolen{*this, "&Daten holen"};
  tk::Button bSetup{*this, "&Setup"};
  tk::Timer tStart{*this, 1};
  tk::Label lBaudRateUsed{*this, "lBaudRateUsed"};
  tk::Label lComPortUsed{*this, "lComPortUsed"};
  tk::Label lTime{*this, "lTime"};
  tk::Timer tDatenEnd{*this, 240000};
  tk::OpenDialog odDest{*this};
  tk::Timer tDatenCont{*this, 10};
  tk::Button bAbbrechen{*this, "&Abbrechen"};
  tk::Button bBeenden{*this, "&Beenden"};
  tk::Label lSchnittAct{*this, "lSchnittAct"};
  std::int32_t BaudRate = 0;
  std::int32_t ComPort = 0;
  std::int32_t RecTime = 0;

  void ShowPortAndBaud();
  void ShowRecTime(std::int32_t n);

  // Event handlers, in their declared order.
  void bSetupClick();
  void tStartTimer();
  void bDestClick();
  void bHolenClick();
  void tDatenEndTimer();
  void tDatenContTimer();
  void bBeendenClick();
  void FormClose();
  void FormResize();

 private:
  void applyLayout();
  void bindEvents();
  // The start-up's steps after the settings file has been applied.
  void startWithSettings();
  // Takes every byte waiting in the receive queue: counted, and kept while recording.
  void takeReceived();
  // Saves the finished recording to the destination, or else under a fallback name; true
  // when some place took it. Otherwise it stays unsaved, and the user has been told.
  bool saveRecording();
  // At the close: whether a finished recording that nothing has taken yet may go.
  bool mayDropUnsavedRecording();
};

extern TfMain* fMain;

// The full path of the settings file, fixed when the main window is built.
extern std::string SetupFileName;

// The interval of the recording timer for a recording time in seconds: the 32-bit product,
// wrapping instead of overflowing (a negative result never ticks).
std::int32_t recordingIntervalMs(std::int32_t seconds);

// " - Version 1.1" for the version number 110.
std::string versionText(unsigned version);
