#include "replay/ReplayVerdict.h"

namespace pelaryn {
namespace {

std::string_view EndingName(int64_t ending) {
  switch (static_cast<ReplayEnding>(ending)) {
    case ReplayEnding::GameOver:
      return "game over";
    case ReplayEnding::Reset:
      return "reset";
    case ReplayEnding::Exit:
      return "exit";
  }
  return "?";
}

std::string_view EndingArticle(int64_t ending) {
  return static_cast<ReplayEnding>(ending) == ReplayEnding::Exit ? "an exit" : "a reset";
}

std::string_view FigureName(ReplayCheck check) {
  switch (check) {
    case ReplayCheck::Ending:
      return "the ending";
    case ReplayCheck::Score:
      return "the score";
    case ReplayCheck::MaxCombo:
      return "the best combo";
    case ReplayCheck::ShotRatio:
      return "the shoot-down ratio";
    case ReplayCheck::Level:
      return "the level";
    default:
      return "";
  }
}

}  // namespace

ReplayVerdict CheckGameVersion(const Replay& replay) {
  if (replay.GameVersion == GameVersion()) return {};
  ReplayVerdict verdict;
  verdict.Check = ReplayCheck::GameVersion;
  verdict.Version = replay.GameVersion;
  return verdict;
}

ReplayVerdict CheckClaims(const ReplayResult& claimed, const ReplayResult& made) {
  // A reset and an exit are both the player's doing, which a playback cannot tell apart.
  const bool endsAlike =
      (claimed.Ending == ReplayEnding::GameOver) == (made.Ending == ReplayEnding::GameOver);
  struct Figure {
    ReplayCheck Check;
    int64_t Claimed, Made;
  };
  const Figure figures[] = {
      {ReplayCheck::Ending, static_cast<int64_t>(claimed.Ending),
       static_cast<int64_t>(endsAlike ? claimed.Ending : made.Ending)},
      {ReplayCheck::Score, claimed.Score, made.Score},
      {ReplayCheck::MaxCombo, claimed.MaxCombo, made.MaxCombo},
      {ReplayCheck::ShotRatio, claimed.ShotRatio, made.ShotRatio},
      {ReplayCheck::Level, claimed.Level, made.Level},
  };
  ReplayVerdict verdict = VerdictAt(ReplayCheck::Verified, made.Frames);
  for (const Figure& figure : figures) {
    if (figure.Claimed == figure.Made) continue;
    verdict.Check = figure.Check;
    verdict.Claimed = figure.Claimed;
    verdict.Made = figure.Made;
    break;
  }
  return verdict;
}

std::string DescribeVerdict(const ReplayVerdict& verdict) {
  switch (verdict.Check) {
    case ReplayCheck::Verified:
      return "verified";
    case ReplayCheck::Unfinished:
      return "cut short at frame " + std::to_string(verdict.Frame);
    case ReplayCheck::GameVersion:
      return "refused: recorded by version " + verdict.Version + ", this is " +
             std::string(GameVersion());
    case ReplayCheck::Play:
      return "differs at frame " + std::to_string(verdict.Frame);
    case ReplayCheck::Ending:
      return "differs: " + std::string(FigureName(verdict.Check)) + " claimed " +
             std::string(EndingName(verdict.Claimed)) + ", made " +
             std::string(EndingName(verdict.Made));
    case ReplayCheck::Score:
    case ReplayCheck::MaxCombo:
    case ReplayCheck::ShotRatio:
    case ReplayCheck::Level:
      return "differs: " + std::string(FigureName(verdict.Check)) + " claimed " +
             std::to_string(verdict.Claimed) + ", made " + std::to_string(verdict.Made);
    case ReplayCheck::StartSetting:
      return "refused: the setting " + verdict.Field + " is " + verdict.Value +
             ", the settings window allows " + verdict.Allowed;
    case ReplayCheck::StartRandom:
      return "refused: the random source's " + verdict.Field + " is " + verdict.Value +
             ", a start holds " + verdict.Allowed;
    case ReplayCheck::StartState:
      return "refused: the start's " + verdict.Field + " is " + verdict.Value + ", a start holds " +
             verdict.Allowed;
    case ReplayCheck::BoardEnding:
      return "refused: the game ended with " + std::string(EndingArticle(verdict.Claimed)) +
             ", a board ranks only a game over";
  }
  return "";
}

Message VerdictMessage(const ReplayVerdict& verdict, std::string_view version) {
  const std::string made = std::to_string(verdict.Made);
  switch (verdict.Check) {
    case ReplayCheck::GameVersion:
      return {MessageId::ReplayOtherVersion, 0, verdict.Version};
    case ReplayCheck::Ending:
      return {MessageId::ReplayEndingClaimed, 0, {}};
    case ReplayCheck::Score:
      return {MessageId::ReplayScoreClaimed, verdict.Claimed, made};
    case ReplayCheck::MaxCombo:
      return {MessageId::ReplayComboClaimed, verdict.Claimed, made};
    case ReplayCheck::ShotRatio:
      return {MessageId::ReplayRatioClaimed, verdict.Claimed, made};
    case ReplayCheck::Level:
      return {MessageId::ReplayLevelClaimed, verdict.Claimed, made};
    case ReplayCheck::Verified:
    case ReplayCheck::Unfinished:
    case ReplayCheck::Play:
    // The game plays any start it recorded itself; these checks are the board's, never shown
    // in a box.
    case ReplayCheck::StartSetting:
    case ReplayCheck::StartRandom:
    case ReplayCheck::StartState:
    case ReplayCheck::BoardEnding:
      break;
  }
  return {MessageId::ReplayDiffers, verdict.Frame, std::string(version)};
}

std::string_view OtherVersionText() {
  return "別のバージョンのゲームで記録されたリプレイです";
}

}  // namespace pelaryn
