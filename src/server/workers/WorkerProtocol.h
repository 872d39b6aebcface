#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "server/verify/Submission.h"

namespace pelaryn {

// What goes between the service and a verification worker over a pair of pipes: length-prefixed
// frames (four bytes, little-endian, then the bytes). A request is two frames, the name sent
// beside the replay (a first byte 0 for none, 1 and the name) and the replay; an answer is one
// frame, the verdict as JSON.

enum class PipeStatus { Done, Closed, TimedOut, Failed, TooLong };

// Writes one frame whole; Closed when the other end has gone.
PipeStatus WriteFrame(int fd, std::string_view bytes);
// Reads one frame of at most `maxBytes`, waiting at most until `deadline`.
PipeStatus ReadFrame(int fd, std::string& bytes, std::size_t maxBytes,
                     std::chrono::steady_clock::time_point deadline);

std::string EncodeSentName(std::optional<std::string_view> name);
std::optional<std::string> DecodeSentName(std::string_view frame, bool& wellFormed);

std::string EncodeVerdict(const SubmissionVerdict& verdict);
// None when the frame is not a verdict this program writes.
std::optional<SubmissionVerdict> DecodeVerdict(std::string_view frame);

// The largest answer a worker writes: a verdict is a few hundred bytes.
inline constexpr std::size_t MaxVerdictBytes = 64 * 1024;

}  // namespace pelaryn
