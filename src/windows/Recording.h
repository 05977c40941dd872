// The state of the recording, used on the main thread only.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "core/bytelines.h"

// The lines of the current recording, or of the last one until the next start; created by
// the start-up and never freed.
extern core::ByteLines* CaptureLines;
// 1 while a recording runs.
extern int Capturing;
// Bytes taken from the receive queue since the last start of a recording.
extern std::int32_t CaptureCount;
// Bytes taken from the receive queue since the program started; moves the indicator.
extern std::int32_t TotalCount;
// The run clock at the last start of a recording.
extern std::uint32_t CaptureStartMs;
// The calendar time of the last start of a recording, which names its fallback file.
extern std::time_t CaptureStartTime;
// True while a finished recording is held that no place has taken: the next start saves it
// first, and the close asks before it lets it go.
extern bool CaptureUnsaved;

// Sent to the device at the start of every recording: the letter A.
constexpr int RequestByte = 0x41;

// The activity indicator's text after a given number of received bytes.
std::string activityText(std::int32_t totalCount);

// Where a recording goes that its destination did not take, in the order to try: the
// destination's file name (or "log.txt" where it has none) with the local date and time of
// `started` before its extension, first in the destination's folder, then in `startFolder`
// (given with its trailing separator) unless that is the same folder.
std::vector<std::string> fallbackPaths(const std::string& destination,
                                       const std::string& startFolder, std::time_t started);
