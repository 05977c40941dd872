// The headless message loop, message boxes, dialogs and text metrics.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <utility>

#include "core/saturate.h"
#include "toolkit/headless/internal.h"

namespace tk::headless {
namespace {

std::vector<MessageRecord> recorded;
std::deque<ModalScript> scripts;
int modalDepth = 0;
bool quitFlag = false;
std::string programFile;
std::vector<Rect> screens;

using core::saturate;

int cellHeight(const Font& font) {
  if (font.height < 0) return saturate(-std::int64_t{font.height});
  return font.height > 0 ? font.height : 13;
}

}  // namespace

void runModalScript(ModalEvent& event) {
  ++modalDepth;
  if (!scripts.empty()) {
    ModalScript script = std::move(scripts.front());
    scripts.pop_front();
    script(event);
  }
  --modalDepth;
}

const std::vector<MessageRecord>& messages() {
  return recorded;
}
void clearMessages() {
  recorded.clear();
}
void scriptModal(ModalScript script) {
  scripts.push_back(std::move(script));
}
std::size_t pendingScripts() {
  return scripts.size();
}
bool otherWindowsDisabled() {
  return modalDepth > 0;
}
bool quitRequested() {
  return quitFlag;
}
void setProgramPath(const std::string& path) {
  programFile = path;
}
void setScreens(std::vector<Rect> workAreas) {
  screens = std::move(workAreas);
}

}  // namespace tk::headless

namespace tk::backend {

using namespace tk::headless;

int lineHeight(const Font& font) {
  return cellHeight(font);
}
int averageCharWidth(const Font& font) {
  return saturate((std::int64_t{cellHeight(font)} + 1) / 2);
}

int textWidth(const Font& font, const std::string& text) {
  std::int64_t codePoints = 0;
  for (const char c : text) codePoints += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return saturate(codePoints * averageCharWidth(font));
}

int editHeight(const Font& font) {
  return saturate(std::int64_t{cellHeight(font)} + 8);
}
int comboHeight(const Font& font) {
  return saturate(std::int64_t{cellHeight(font)} + 8);
}

void initialize(int, char**) {}
void runLoop() {
  runRealTime(INT_MAX);
}
void quit() {
  quitFlag = true;
}

std::string programPath() {
  if (programFile.empty()) {
    std::error_code error;
    programFile = std::filesystem::read_symlink("/proc/self/exe", error).string();
  }
  return programFile;
}

std::vector<Rect> workAreas() {
  return screens;
}

void showMessage(const std::string& text, const std::string& caption, Icon icon) {
  recorded.push_back({text, caption, icon});
  ModalEvent event;
  event.kind = ModalKind::message;
  event.message = recorded.back();
  runModalScript(event);
}

bool askYesNo(const std::string& text, const std::string& caption) {
  recorded.push_back({text, caption, Icon::question});
  ModalEvent event;
  event.kind = ModalKind::question;
  event.message = recorded.back();
  runModalScript(event);
  return event.answerYes;
}

std::optional<std::string> runOpenDialog(WindowPeer&, const std::string& fileName,
                                         const std::string&) {
  ModalEvent event;
  event.kind = ModalKind::openDialog;
  event.fileName = fileName;
  runModalScript(event);
  return event.chosenFile;
}

}  // namespace tk::backend
