#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/GameState.h"
#include "base/Random.h"
#include "replay/ForwardingPlatform.h"
#include "replay/ReplayFile.h"
#include "replay/ReplayVerdict.h"

namespace pelaryn {

// What a playback drives besides the platform's answers: the game that plays the replay.
class ReplayTarget {
 public:
  virtual ~ReplayTarget() = default;
  virtual void RecordedMenuCommand(MenuId id) = 0;
  virtual void RecordedSettings(const ReplayEvent& event) = 0;
  virtual void RecordedRankingReset() = 0;
  // The playback is over: at the recorded end, verified or not, or at the first frame that
  // differs from the recording. The game stops playing.
  virtual void PlaybackEnded(const ReplayVerdict& verdict) = 0;
};

// Answers the game's keys and pad from a replay and hands it the recorded menu commands and
// settings in the yields they came in; checks the game against the checkpoints, and at the end
// the figures the replay's head claims against the game's own. Drawing, sound and music go
// through to the real platform; the game's boxes, windows and files do not: a game watched asks
// for nothing and saves nothing.
class PlaybackPlatform : public ForwardingPlatform {
 public:
  PlaybackPlatform(Platform& inner, const uint64_t& frame);

  // Plays `replay` into `target`, whose state and random source are checked.
  void Begin(const Replay& replay, ReplayTarget& target, const GameState& state,
             const Random& random);
  // Back to passing everything through.
  void Stop();
  bool Active() const { return replay_ != nullptr; }
  // True once the end was reached or a difference found.
  bool Ended() const { return ended_; }
  // What the playback found; Unfinished until its end.
  const ReplayVerdict& Verdict() const { return verdict_; }

  // The watcher ended the playback (F4, Exit): nothing more is played or checked.
  void Abandon() {
    if (!ended_) verdict_ = VerdictAt(ReplayCheck::Unfinished, Frame());
    ended_ = abandoned_ = true;
    paused_ = false;
  }
  bool Abandoned() const { return abandoned_; }

  // The watcher's own controls.
  void TogglePause() { paused_ = !paused_; }
  bool Paused() const { return paused_; }
  void ToggleFast() { fast_ = !fast_; }
  bool Fast() const { return fast_; }

  // Where the game over's sequence begins: the recording must end here too.
  void GameOverReached();

  void WaitUntil(uint32_t start, uint32_t micros) override;
  void ProcessEvents() override;
  void WaitEvents() override;
  bool KeyDown(int virtualKey) override;
  int JoyGetPos(JoyInfo& info) override;
  Dialogs& Windows() override;
  FileStore& Files() override;

 private:
  // Boxes answered at once, as the recording's player answered them where it matters: the
  // name entry gets the recorded name.
  class QuietDialogs : public Dialogs {
   public:
    void MessageBox(const Message&) override {}
    std::string InputBox(const Message&) override { return name; }
    void ShowRanking(GameState&) override {}
    void ShowSettings(SettingsHost&) override {}
    void ShowAbout() override {}
    void ShowManual(const std::string&) override {}
    void ReportError(const Message&) override {}
    std::string name;
  };
  class NoFiles : public FileStore {
   public:
    std::optional<std::string> Read(std::string_view) override { return std::nullopt; }
    bool Write(std::string_view, std::string_view, std::string&) override { return true; }
  };

  uint32_t Frame() const { return static_cast<uint32_t>(frame_); }
  bool HasEventNow() const { return hasNext_ && next_.Frame <= Frame(); }
  void Advance();
  // Applies the key and pad changes the current frame read.
  void TakeInput();
  // Handles the next event of the current frame.
  void DeliverOne();
  void CheckPeriodic();
  void End(const ReplayVerdict& verdict);
  // The game left the recording at the current frame.
  void Differs() { End(VerdictAt(ReplayCheck::Play, Frame())); }

  const uint64_t& frame_;
  const Replay* replay_ = nullptr;
  ReplayTarget* target_ = nullptr;
  const GameState* state_ = nullptr;
  const Random* random_ = nullptr;
  std::optional<ReplayEventReader> events_;
  ReplayEvent next_;
  bool hasNext_ = false;
  uint16_t keys_ = 0;
  ReplayJoy joy_;
  bool ended_ = false;
  bool abandoned_ = false;
  bool atGameOver_ = false;
  ReplayVerdict verdict_;
  bool paused_ = false;
  bool fast_ = false;
  QuietDialogs dialogs_;
  NoFiles files_;
};

}  // namespace pelaryn
