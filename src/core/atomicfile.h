// Saving a file as a whole. The content goes to a fresh temporary file beside the target,
// opened for this process alone, is flushed to the disk and only then renamed over the
// target: a reader never sees half a file, and a save that fails keeps the earlier file as
// it was and leaves no temporary file behind.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace core {

inline constexpr std::string_view kCannotCreateMessage = "Datei %s kann nicht erstellt werden";
inline constexpr std::string_view kStreamWriteMessage = "Stream-Schreibfehler";

// Creates the file `path`, or replaces an existing one, holding exactly the `pieces`, one
// after another.
// A symbolic link as `path` is followed: the link stays, the file it names is replaced.
// A device or FIFO cannot be replaced and is written in place.
// Raises core::Error "Datei %s kann nicht erstellt werden" (with `path` unchanged) when the
// file cannot be created or replaced: an empty name, a directory, a missing folder, no right
// to write, a file that another program holds open for exclusive access. Raises
// "Stream-Schreibfehler" when the content cannot be written completely (a full disk).
void replaceFile(const std::string& path, std::span<const std::string_view> pieces);

// Takes one piece of the content; false when it could not be written completely.
using PieceWriter = std::function<bool(std::string_view)>;
// Hands the content to the writer piece by piece, as it is made; false as soon as a piece
// could not be written.
using ContentSource = std::function<bool(const PieceWriter&)>;

// The same with content that is made while it is written, so that it never has to be held
// whole in memory.
void replaceFile(const std::string& path, const ContentSource& content);

// The same with the content in one piece.
void replaceFile(const std::string& path, std::string_view content);

// Saves the content as a new file, written and flushed as replaceFile does, but never in the
// place of a file: under `path`, or where that name is taken, with "-2", "-3" and so on
// before its extension. Returns the name it took. Raises the errors of replaceFile, with
// `path`.
std::string createNewFile(const std::string& path, const ContentSource& content);

// `path` with `insert` before the extension of its file name: "d/log.txt" and "-2" give
// "d/log-2.txt"; a name without an extension ("log", ".profile") gets it at its end.
std::string insertBeforeExtension(const std::string& path, std::string_view insert);

}  // namespace core
