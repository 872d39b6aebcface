// What the score board does with the bytes anyone may post: from the bytes to a verdict, and
// the verdict through the pipe between a worker and the service. Whatever the bytes, the
// verdict is one of the three, says why, and what it would put on a board is well formed: a
// board's name, a name a board may show, a key of the run. The length and fingerprint of the
// file are made to fit in a second pass, as a forger would make them.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "base/Fingerprint.h"
#include "replay/ReplayFile.h"
#include "server/verify/BoardRules.h"
#include "server/verify/Submission.h"
#include "server/workers/WorkerProtocol.h"

using pelaryn::fuzz::Check;

namespace pelaryn {
namespace {

std::string Sealed(std::string bytes) {
  constexpr std::size_t lengthAt = ReplayMagic.size() + 2;
  if (bytes.size() < lengthAt + 16) return bytes;
  for (std::size_t i = 0; i < 8; ++i)
    bytes[lengthAt + i] = static_cast<char>(bytes.size() >> (8 * i));
  const uint64_t hash = Fingerprint(bytes.data(), bytes.size() - 8);
  for (std::size_t i = 0; i < 8; ++i)
    bytes[bytes.size() - 8 + i] = static_cast<char>(hash >> (8 * i));
  return bytes;
}

bool IsKey(std::string_view key) {
  if (key.size() != 64) return false;
  for (const char c : key) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

void CheckSubmission(std::string_view bytes) {
  const SubmissionVerdict verdict = VerifySubmission(bytes);
  Check(!verdict.Reason.empty(), "a verdict says why");
  switch (verdict.Outcome) {
    case SubmissionOutcome::Accepted: {
      const NewRun& run = verdict.Run;
      std::string why;
      Check(verdict.Check == SubmissionCheck::Verified, "an accepted run was verified");
      Check(IsBoardName(run.Board), "an accepted run goes onto a board by a board's name");
      Check(CleanRunName(run.Name, why) == run.Name && !run.Name.empty(),
            "an accepted run's name is one a board may show");
      Check(IsKey(run.StartInputKey), "an accepted run has the key of its start and input");
      Check(run.Frames >= 1 && run.Frames <= MaxBoardFrames, "an accepted run's length is bounded");
      break;
    }
    case SubmissionOutcome::Malformed:
      Check(verdict.Check == SubmissionCheck::Format, "bytes that are no replay fail its format");
      break;
    case SubmissionOutcome::Refused:
      Check(verdict.Check != SubmissionCheck::Verified && verdict.Check != SubmissionCheck::Worker,
            "a refusal names the check that failed");
      break;
  }
  const std::optional<SubmissionVerdict> piped = DecodeVerdict(EncodeVerdict(verdict));
  Check(piped.has_value(), "a verdict crosses the pipe");
  Check(piped->Outcome == verdict.Outcome && piped->Check == verdict.Check &&
            piped->Run.Score == verdict.Run.Score && piped->Run.Name == verdict.Run.Name &&
            piped->Run.Fingerprint == verdict.Run.Fingerprint,
        "a verdict crosses the pipe unchanged");
}

}  // namespace
}  // namespace pelaryn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace pelaryn;
  // Nothing longer reaches a worker.
  if (size > MaxSubmissionBytes) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckSubmission(bytes);
  const std::string sealed = Sealed(bytes);
  if (sealed != bytes) CheckSubmission(sealed);
  return 0;
}
