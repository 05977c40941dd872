// The state of the recording, used on the main thread only.
#pragma once

#include <cstdint>
#include <string>

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

// Sent to the device at the start of every recording: the letter A.
constexpr int RequestByte = 0x41;

// The activity indicator's text after a given number of received bytes.
std::string activityText(std::int32_t totalCount);
