#include "server/verify/Submission.h"

#include <memory>
#include <utility>

#include "game/FairStart.h"
#include "game/Game.h"
#include "game/QuietPlatform.h"
#include "render/Pictures.h"
#include "replay/StateCodec.h"
#include "server/storage/ContentHash.h"
#include "server/verify/BoardRules.h"

namespace pelaryn {
namespace {

SubmissionVerdict Verdict(SubmissionOutcome outcome, SubmissionCheck check, std::string reason,
                          uint32_t frame = 0) {
  SubmissionVerdict verdict;
  verdict.Outcome = outcome;
  verdict.Check = check;
  verdict.Reason = std::move(reason);
  verdict.Frame = frame;
  return verdict;
}

SubmissionVerdict Refusal(SubmissionCheck check, std::string reason, uint32_t frame = 0) {
  return Verdict(SubmissionOutcome::Refused, check, std::move(reason), frame);
}

// The check of a verdict from the game's own replay checks.
SubmissionCheck CheckOf(const ReplayVerdict& verdict) {
  switch (verdict.Check) {
    case ReplayCheck::GameVersion:
      return SubmissionCheck::Version;
    case ReplayCheck::StartSetting:
    case ReplayCheck::StartRandom:
    case ReplayCheck::StartState:
      return SubmissionCheck::Start;
    case ReplayCheck::BoardEnding:
      return SubmissionCheck::Ending;
    case ReplayCheck::Verified:
    case ReplayCheck::Unfinished:
    case ReplayCheck::Play:
      return SubmissionCheck::Play;
    case ReplayCheck::Ending:
    case ReplayCheck::Score:
    case ReplayCheck::MaxCombo:
    case ReplayCheck::ShotRatio:
    case ReplayCheck::Level:
      return SubmissionCheck::Claims;
  }
  return SubmissionCheck::Play;
}

// The game played from the replay on a machine with nothing on it, as fast as it goes; what it
// found, and the state and random source it ended in.
struct Playback {
  ReplayVerdict Verdict = VerdictAt(ReplayCheck::Unfinished);
  GameState End;
  uint64_t Fingerprint = 0;
  uint32_t Frames = 0;
};

Playback PlayHeadless(std::shared_ptr<const Replay> replay) {
  QuietPlatform platform(replay->Start.JoyCaps);
  const Pictures pictures;  // what is drawn is nobody's concern here
  Game game(platform, pictures);
  Playback result;
  game.SetPlaybackHold(0);
  game.OnTitleStart = [&] { game.RequestStop(); };
  game.OnPlaybackEnded = [&](const ReplayVerdict& verdict) {
    result.Verdict = verdict;
    result.End = game.State();
    result.Fingerprint = StateFingerprint(game.State(), game.RandomSource());
    result.Frames = static_cast<uint32_t>(game.CurrentFrame());
  };
  game.PlayReplay(std::move(replay));
  game.Run();
  return result;
}

}  // namespace

std::string StartInputKey(const Replay& replay) {
  Replay identity = replay;
  identity.PlayedAt = 0;
  identity.Name.clear();
  // Where the recording machine keeps its picture is no part of the game (its size is): a copy
  // of the file with another path in it is the same run.
  identity.BackgroundPath.clear();
  return ContentHash(EncodeReplay(identity));
}

std::string_view SubmissionCheckName(SubmissionCheck check) {
  switch (check) {
    case SubmissionCheck::Verified:
      return "verified";
    case SubmissionCheck::Format:
      return "format";
    case SubmissionCheck::Version:
      return "version";
    case SubmissionCheck::Length:
      return "length";
    case SubmissionCheck::Start:
      return "start";
    case SubmissionCheck::Ending:
      return "ending";
    case SubmissionCheck::Difficulty:
      return "difficulty";
    case SubmissionCheck::Name:
      return "name";
    case SubmissionCheck::Play:
      return "play";
    case SubmissionCheck::Claims:
      return "claims";
    case SubmissionCheck::Worker:
      return "worker";
  }
  return "";
}

SubmissionVerdict VerifySubmission(std::string_view bytes,
                                   std::optional<std::string_view> sentName) {
  ReplayFault fault = ReplayFault::None;
  std::optional<Replay> read = DecodeReplay(bytes, fault);
  if (!read) {
    // A whole file of a format this program does not know is a replay all the same.
    const auto outcome = fault == ReplayFault::OtherFormat ? SubmissionOutcome::Refused
                                                           : SubmissionOutcome::Malformed;
    return Verdict(outcome, SubmissionCheck::Format, std::string(ReplayFaultName(fault)));
  }
  const auto replay = std::make_shared<const Replay>(std::move(*read));
  // Another version's start is another version's business: that refusal comes first.
  if (ReplayVerdict verdict = CheckGameVersion(*replay); !verdict.Verified()) {
    return Refusal(SubmissionCheck::Version, DescribeVerdict(verdict));
  }
  if (replay->Result.Frames > MaxBoardFrames) {
    return Refusal(SubmissionCheck::Length,
                   "the game claims " + std::to_string(replay->Result.Frames) +
                       " frames; a board plays at most " + std::to_string(MaxBoardFrames));
  }
  for (auto check : {CheckFairStart, CheckGameOverEnding}) {
    if (ReplayVerdict verdict = check(*replay); !verdict.Verified()) {
      return Refusal(CheckOf(verdict), DescribeVerdict(verdict));
    }
  }
  if (std::optional<std::string> changed = DifficultyChangedInGame(*replay)) {
    return Refusal(SubmissionCheck::Difficulty,
                   "refused: " + *changed + " was changed during the game");
  }
  std::string why;
  std::optional<std::string> name = RunName(replay->Name, sentName, why);
  if (!name) return Refusal(SubmissionCheck::Name, "refused: " + why);

  const Playback played = PlayHeadless(replay);
  if (!played.Verdict.Verified()) {
    return Refusal(CheckOf(played.Verdict), DescribeVerdict(played.Verdict), played.Verdict.Frame);
  }
  SubmissionVerdict accepted =
      Verdict(SubmissionOutcome::Accepted, SubmissionCheck::Verified, "verified");
  NewRun& run = accepted.Run;
  run.Board = BoardOf(replay->Start);
  run.Name = std::move(*name);
  run.Score = played.End.Score;
  run.Combo = played.End.MaxCombo;
  run.Ratio = played.End.ShotRatio;
  run.Level = played.End.Level;
  run.Frames = played.Frames;
  run.PlayedAt = replay->PlayedAt;
  run.StartInputKey = StartInputKey(*replay);
  run.Fingerprint = played.Fingerprint;
  return accepted;
}

}  // namespace pelaryn
