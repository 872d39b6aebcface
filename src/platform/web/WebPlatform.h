#pragma once

// The browser: the play field on a canvas, the keyboard and pads through the page, the page's
// clock, its storage for the two files. The game's loops stay as they are: every wait gives the
// browser its turn (Asyncify) and comes back.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Platform.h"
#include "platform/pad/PadBindings.h"
#include "platform/script/Scripts.h"
#include "platform/script/StateJson.h"
#include "platform/sound/RestartGate.h"
#include "platform/web/PageReplays.h"
#include "platform/web/PageWindows.h"
#include "platform/web/WebKeys.h"

namespace pelaryn {

class Game;
struct Pictures;

// The music through FluidSynth in the page's audio worklet, with the desktop's soundfont. The
// device's rules are kept here, the playing is the page's: a piece asked for before the page may
// sound (its first key or click) counts as playing and starts from its beginning then. A piece
// is checked before the page sees it, and starts again at most once a second.
class PageMusic final : public MusicDevice {
 public:
  bool Open(const std::string& path) override;
  void Play() override;
  void PlayFromStart() override;
  void Stop() override;
  void Close() override;
  std::string_view Mode() override;

 private:
  bool open_ = false;
  bool playing_ = false;
  RestartGate restarts_;
};

// The effects through the page's Web Audio, one at a time as on the desktop; each asked for is
// counted by file, as a test reads them.
class PageSound final : public SoundPlayer {
 public:
  // Reads each effect from `folder`, checks it as the desktop's mixer does, and hands it to the
  // page to decode; one that fails its check stays silent.
  void Load(const std::string& folder, const std::vector<std::string_view>& files);
  void Play(std::string_view file, bool interrupt) override;
  const std::map<std::string, int, std::less<>>& Requests() const { return tally_.Requests(); }

 private:
  SoundTally tally_;
};

// pelaryn.cfg and pelaryn.sco in the page's storage, as the exact bytes the desktop writes.
class PageFiles final : public FileStore {
 public:
  std::optional<std::string> Read(std::string_view name) override;
  bool Write(std::string_view name, std::string_view bytes, std::string& error) override;
};

class WebPlatform final : public Platform {
 public:
  explicit WebPlatform(const Pictures& pictures);

  // The game the page's menu bar and keys command; the menu bar is built then, the looks the
  // player chose (the gentler flash, English labels) are applied, and every game it plays is
  // recorded and kept.
  void SetGame(Game& game);

  uint32_t TimeGetTime() override;
  void Sleep(uint32_t ms) override;
  uint32_t MicroTime() override;
  void WaitUntil(uint32_t start, uint32_t micros) override;
  void ProcessEvents() override;
  void WaitEvents() override;
  uint32_t Present(const Surface& field) override;
  bool KeyDown(int virtualKey) override;
  int JoyGetDevCaps(JoyCapsRecord& caps) override;
  int JoyGetPos(JoyInfo& info) override;
  bool LoadPicture(const std::string& path, Surface& out) override;
  std::string ProgramFolder() override { return programFolder_; }
  MusicDevice& Music() override { return music_; }
  SoundPlayer& Sound() override { return sound_; }
  Dialogs& Windows() override { return dialogs_; }
  FileStore& Files() override { return files_; }

  // Test hook: the game's files seen under another name of their folder, as another front end
  // sees them, since the state holds the paths.
  bool SetProgramFolder(const std::string& folder);
  // Test hook: keys from a script, read at the frame `frame` gives, instead of the keyboard;
  // and a call at every yield, as the headless runner has.
  void SetKeyScript(KeyScript keys, std::function<uint64_t()> frame);
  std::function<void()> OnYield;
  const PageSound& CountedEffects() const { return sound_; }
  // Reads the effects the game names into the page.
  void LoadEffects();
  const PageDialogs& NotedDialogs() const { return dialogs_; }
  PageDialogs& PageWindows() { return dialogs_; }

 private:
  // Takes in the keys the page has seen, and the menu bar's clicks; notes the menu commands they
  // stand for, to run at the yield.
  void TakeInput();
  // The menu bar's check marks and enabled states, and the page's title (paused, a replay
  // playing), sent to the page when they change.
  void SyncMenu();
  void SyncTitle();
  // A window of the page's own (controls and sound, files), held open as a modal one: the game
  // stands still until the player closes it. What it changed of the picture is applied then.
  void RunPageWindow(const std::string& kind);
  void ApplyLooks(const std::string& answer);

  Game* game_ = nullptr;
  std::string programFolder_ = "/pelaryn";  // where the page's data file is unpacked
  double startMs_ = 0;
  HeldKeys keys_;
  std::vector<MenuId> commands_;          // asked for by a key or a click, run at the yield
  std::vector<std::string> pageWindows_;  // asked for by a click, opened at the yield
  uint32_t shownEnabled_ = 0;
  uint32_t shownChecked_ = 0;
  bool menuShown_ = false;
  // What the page's title told last: paused, and the replay playing (with fast and black), or
  // none.
  struct TitleState {
    bool Paused = false;
    const void* Replay = nullptr;
    bool Fast = false;
    bool Black = false;
    bool operator==(const TitleState&) const = default;
  };
  std::optional<TitleState> shownTitle_;
  std::optional<KeyScript> keyScript_;
  std::function<uint64_t()> frame_;
  std::vector<uint8_t> rgba_;  // the field as the canvas takes it
  PageMusic music_;
  PageSound sound_;
  PageDialogs dialogs_;
  PageFiles files_;
  PageReplays replays_;
  PadBindings pad_;  // as the player bound them in the page
};

}  // namespace pelaryn
