// A recording: the request byte goes out, every byte that arrives is kept as one decimal
// line, and at the end the lines are saved to the destination file. From start to end the
// computer does not go to sleep.
#include "windows/Recording.h"

#include "core/decimal.h"
#include "serial/queues.h"
#include "windows/Main.h"

core::ByteLines* CaptureLines = nullptr;
int Capturing = 0;
std::int32_t CaptureCount = 0;
std::int32_t TotalCount = 0;
std::uint32_t CaptureStartMs = 0;

namespace {

// Counters wrap instead of overflowing; nothing depends on them beyond 2^31 bytes.
void countUp(std::int32_t& counter) {
  counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + 1u);
}

std::string progressText(std::uint32_t elapsedSeconds, std::int32_t recTime, std::int32_t count) {
  return "Verstrichen:\t" + core::decimalText(elapsedSeconds) + " von " +
         core::decimalText(recTime) + " s\n\t\t" + core::decimalText(count) +
         " Zeichen wurden empfangen";
}

}  // namespace

std::string activityText(std::int32_t totalCount) {
  static constexpr char indicator[] = ":-)";
  const int k = (totalCount % 3 + 3) % 3;
  return "COM-In:\t" + std::string(static_cast<std::size_t>(k), ' ') + indicator[k];
}

void TfMain::bHolenClick() {
  // Without the capture list the start-up stopped early: there is nothing to record with.
  if (CaptureLines == nullptr) return;
  // The last recording goes nowhere until some place has taken it.
  if (CaptureUnsaved && !saveRecording()) return;
  // What arrived before the request is no answer to it.
  takeReceived();
  CaptureLines->clear();
  TxPut(RequestByte);
  CaptureStartMs = RunClockMs();
  CaptureStartTime = std::time(nullptr);
  tDatenEnd.setEnabled(true);
  Capturing = 1;
  tk::keepAwake(true);
  CaptureCount = 0;
  bHolen.setVisible(false);
  bAbbrechen.setVisible(true);
}

void TfMain::takeReceived() {
  for (int value = RxGet(); value != -1; value = RxGet()) {
    countUp(CaptureCount);
    countUp(TotalCount);
    if (Capturing == 1) CaptureLines->add(static_cast<std::uint8_t>(value));
  }
  lSchnittAct.setText(activityText(TotalCount));
}

void TfMain::tDatenContTimer() {
  // Disabled by a stop's save; input queued meanwhile has met it disabled.
  if (!bHolen.enabled()) bHolen.setEnabled(true);
  takeReceived();
  if (Capturing == 1) {
    lTime.setText(progressText((RunClockMs() - CaptureStartMs) / 1000, RecTime, CaptureCount));
  } else {
    ShowRecTime(RecTime);
  }
}

void TfMain::tDatenEndTimer() {
  // Everything received up to the stop belongs to the recording, and the count shown is the
  // count saved.
  if (Capturing == 1) tDatenContTimer();
  tDatenEnd.setEnabled(false);
  Capturing = 0;
  // Released before the save, so that a save that fails releases it too.
  tk::keepAwake(false);
  // A click or Enter that the system queues during a long save must not start a recording
  // at once: the button takes input again from the next tick of the poll.
  bHolen.setEnabled(false);
  bHolen.setVisible(true);
  bAbbrechen.setVisible(false);
  if (CaptureLines != nullptr) saveRecording();
}

TfMain::~TfMain() {
  tk::keepAwake(false);
}

void TfMain::bDestClick() {
  if (odDest.execute()) eDest.setText(odDest.fileName());
}
