// Saving a finished recording. A recording is never thrown away: where its destination
// takes nothing (a file a spreadsheet holds open, a folder removed, a full disk), it is saved
// under a fallback name that a message names, and where no place takes it, it is kept until
// the next start or the close.
#include <array>
#include <filesystem>

#include "core/atomicfile.h"
#include "core/error.h"
#include "core/os/file.h"
#include "windows/Main.h"
#include "windows/Recording.h"

std::time_t CaptureStartTime = 0;
bool CaptureUnsaved = false;

namespace {

constexpr std::string_view kSavedInsteadText =
    "Die Aufzeichnung wurde stattdessen unter %s gespeichert.";
constexpr char kKeptText[] =
    "Die Aufzeichnung konnte nirgends gespeichert werden. Sie bleibt erhalten und wird vor "
    "der nächsten Aufzeichnung gespeichert.";
constexpr char kDropQuestion[] =
    "Die letzte Aufzeichnung ist nicht gespeichert. Trotzdem beenden und die Aufzeichnung "
    "verwerfen?";
constexpr char kInformation[] = "Information";
constexpr char kDefaultName[] = "log.txt";

// "_2026-12-09_14-03-27" for that local time; the seconds since 1970 where the system
// knows no local time for it.
std::string timeStamp(std::time_t time) {
  std::array<char, 32> text{};
  const std::tm* local = std::localtime(&time);
  if (local != nullptr &&
      std::strftime(text.data(), text.size(), "_%Y-%m-%d_%H-%M-%S", local) > 0) {
    return text.data();
  }
  std::string seconds = std::to_string(time);
  seconds.insert(seconds.begin(), '_');
  return seconds;
}

std::string utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// The folder of a destination as a full path, so that the message names a file the user can
// find: a name without a folder lands in the current directory.
std::string fullFolder(const std::string& folder) {
  std::error_code error;
  const auto path = folder.empty()
                        ? std::filesystem::current_path(error)
                        : std::filesystem::absolute(std::filesystem::u8path(folder), error);
  if (error) return folder;
  std::string full = utf8(path);
  if (folder.empty()) full += std::filesystem::path::preferred_separator;
  return full;
}

// Both folders exist and are one.
bool sameFolder(const std::string& first, const std::string& second) {
  std::error_code error;
  return std::filesystem::equivalent(std::filesystem::u8path(first),
                                     std::filesystem::u8path(second), error);
}

std::string startFolder() {
  return SetupFileName.substr(0, core::os::nameStart(SetupFileName));
}

// Tries the fallback places in turn; the name taken, or nothing.
std::string saveInstead(const std::string& destination) {
  for (const std::string& path : fallbackPaths(destination, startFolder(), CaptureStartTime)) {
    try {
      return CaptureLines->saveAsNewFile(path);
    } catch (const core::Error&) {
      // This place takes nothing either; the next may.
    }
  }
  return {};
}

// The destination first; after its error box, the fallback places, and a message names the
// one that took the recording. False when none did: the recording stays held.
bool saveSomewhere(const std::string& destination) {
  // Marked first, so that whatever goes wrong below leaves the recording held.
  CaptureUnsaved = true;
  if (tk::dispatch([&] { CaptureLines->saveToFile(destination); })) {
    CaptureUnsaved = false;
    return true;
  }
  const std::string saved = saveInstead(destination);
  if (saved.empty()) return false;
  CaptureUnsaved = false;
  tk::showMessage(core::fillMessage(kSavedInsteadText, saved), kInformation);
  return true;
}

}  // namespace

std::vector<std::string> fallbackPaths(const std::string& destination,
                                       const std::string& startFolder, std::time_t started) {
  const std::size_t nameAt = core::os::nameStart(destination);
  const std::string folder = fullFolder(destination.substr(0, nameAt));
  const std::string name = nameAt < destination.size() ? destination.substr(nameAt) : kDefaultName;
  const std::string stamped = core::insertBeforeExtension(name, timeStamp(started));
  std::vector<std::string> paths{folder + stamped};
  if (!sameFolder(folder, startFolder)) paths.push_back(startFolder + stamped);
  return paths;
}

bool TfMain::saveRecording() {
  if (saveSomewhere(eDest.text())) return true;
  tk::showMessage(kKeptText, kInformation);
  return false;
}

bool TfMain::mayDropUnsavedRecording() {
  if (!CaptureUnsaved || CaptureLines == nullptr || saveSomewhere(eDest.text())) return true;
  return tk::askYesNo(kDropQuestion, tk::Application::title());
}
