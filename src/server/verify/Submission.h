#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "replay/ReplayFile.h"
#include "server/storage/BoardStore.h"

namespace pelaryn {

// The largest body a submission may have: a replay of hours of play is a small part of it.
inline constexpr std::size_t MaxSubmissionBytes = std::size_t{1} << 20;
// The longest game a board plays through: twelve and a half hours at the game's 45 ms a frame,
// some 25 seconds of a worker's time. A replay's length is what it claims, and a claim has to be
// bounded before anyone plays it: the playback's time is what a submitter could otherwise ask
// of the service at will.
inline constexpr uint32_t MaxBoardFrames = 1'000'000;

enum class SubmissionOutcome : uint8_t {
  Accepted,   // verified: `Run` is what goes onto the board
  Malformed,  // the bytes are not a whole replay
  Refused,    // a whole replay, but not a fair game, or not the game its bytes claim
};

// Which check decided, as the service names it in its answers and counts it in its metrics.
enum class SubmissionCheck : uint8_t {
  Verified,
  Format,      // not a replay, cut short, damaged, or of a file format this program cannot read
  Version,     // recorded by a version of the game whose rules this one does not play
  Length,      // longer than a board plays through
  Start,       // a start the title does not make
  Ending,      // not a game over
  Difficulty,  // the difficulty changed during the game
  Name,        // the typed name holds what a name may not
  Play,        // the playback left the recording
  Claims,      // the head claims figures the game did not make
  Worker,      // the verification itself failed (the service sets this, never VerifySubmission)
};
std::string_view SubmissionCheckName(SubmissionCheck check);

struct SubmissionVerdict {
  SubmissionOutcome Outcome = SubmissionOutcome::Refused;
  SubmissionCheck Check = SubmissionCheck::Verified;
  // One sentence a person can read; for a playback that left the recording, with its frame.
  std::string Reason;
  uint32_t Frame = 0;
  // When Accepted: every field but the replay's bytes and the time it was submitted, its
  // figures from this playback, never from the file's head.
  NewRun Run;
};

// The key of a run: the same start and the same input give the same key, whatever name and time
// the file holds.
std::string StartInputKey(const Replay& replay);

// Everything a board asks of a replay before ranking it, from the bytes as sent to a verdict:
// the reader, the version, the length, a start the title makes, a game over at the end, the
// difficulty held, the name, and the game played to its end headless with every fingerprint
// holding. `sentName` is the name sent beside the replay, used when the game asked for none.
// Reads nothing but the bytes and writes nothing.
SubmissionVerdict VerifySubmission(std::string_view bytes,
                                   std::optional<std::string_view> sentName = std::nullopt);

}  // namespace pelaryn
