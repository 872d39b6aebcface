#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Platform.h"
#include "base/RegularFile.h"
#include "platform/script/Scripts.h"
#include "platform/script/StateJson.h"

namespace pelaryn {

// Music device that plays nothing but keeps the device's rules and remembers what it was asked.
class RecordingMusicDevice : public MusicDevice {
 public:
  bool Open(const std::string& path) override;
  void Play() override;
  void PlayFromStart() override;
  void Stop() override;
  void Close() override;
  std::string_view Mode() override;

  // Makes the open piece end, as a real one does after its last note.
  void FinishPiece();

  const std::string& OpenPath() const { return path_; }
  bool IsOpen() const { return open_; }
  bool IsPlaying() const { return playing_; }
  // Every command in order: "open PATH", "play", "play from 0", "stop", "close".
  const std::vector<std::string>& Log() const { return log_; }

 private:
  bool open_ = false;
  bool playing_ = false;
  std::string path_;
  std::vector<std::string> log_;
};

// Counts the effects asked for, by file name.
class RecordingSoundPlayer : public SoundPlayer {
 public:
  void Play(std::string_view file, bool) override { tally_.Note(file); }
  const std::map<std::string, int, std::less<>>& Requests() const { return tally_.Requests(); }
  int Count(std::string_view file) const { return tally_.Count(file); }

 private:
  SoundTally tally_;
};

// Answers the game's boxes at once: OK to every message, the given name (or a cancel) to every
// input box; windows close as soon as they open. Boxes are recorded in order.
class RecordingDialogs : public Dialogs {
 public:
  // Recorded in the game's own words.
  void MessageBox(const Message& message) override;
  std::string InputBox(const Message& prompt) override;
  void ShowRanking(GameState& state) override;
  void ShowSettings(SettingsHost& host) override {
    if (OnSettings) OnSettings(host);
  }
  void ShowAbout() override {}
  void ShowManual(const std::string&) override {}
  void ReportError(const Message& message) override;

  // The text typed into every input box; none means the box is cancelled.
  void SetName(std::optional<std::string> name) { name_ = std::move(name); }
  const std::vector<DialogRecord>& Shown() const { return shown_; }
  // What a test's player does in the settings and ranking windows.
  std::function<void(SettingsHost&)> OnSettings;
  std::function<void(GameState&)> OnRanking;
  const std::vector<std::string>& Errors() const { return errors_; }

 private:
  std::optional<std::string> name_;
  std::vector<DialogRecord> shown_;
  std::vector<std::string> errors_;
};

// The two files kept in memory, so that a run touches no disk unless asked to.
class MemoryFileStore : public FileStore {
 public:
  std::optional<std::string> Read(std::string_view name) override;
  bool Write(std::string_view name, std::string_view bytes, std::string& error) override;

 private:
  std::map<std::string, std::string, std::less<>> files_;
};

// The platform without a window: a virtual clock that only sleeping advances, scripted keys and
// joystick, pictures read as the desktop reads them, recorded sound and music.
class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(std::string programFolder, uint32_t clockStart = 0);

  uint32_t TimeGetTime() override { return clock_; }
  void Sleep(uint32_t ms) override { clock_ += ms; }
  void ProcessEvents() override;
  // The pause's wait: no frame passes, so only OnWait runs, and it must resume or end the game.
  void WaitEvents() override {
    if (OnWait) OnWait();
  }
  uint32_t Present(const Surface& field) override;
  bool KeyDown(int virtualKey) override;
  int JoyGetDevCaps(JoyCapsRecord& caps) override;
  int JoyGetPos(JoyInfo& info) override;
  bool LoadPicture(const std::string& path, Surface& out) override;
  std::string ProgramFolder() override { return programFolder_; }
  MusicDevice& Music() override { return music_; }
  SoundPlayer& Sound() override { return sound_; }
  Dialogs& Windows() override { return dialogs_; }
  FileStore& Files() override { return files_ ? *files_ : memoryFiles_; }
  // Keeps the files in this store instead of in memory.
  void SetFileStore(std::unique_ptr<FileStore> files) { files_ = std::move(files); }

  // The frame the scripts are read at; the runner points it at the game's frame counter.
  void SetFrameSource(std::function<uint64_t()> frame) { frame_ = std::move(frame); }
  void SetKeys(KeyScript keys) { keys_ = std::move(keys); }
  void SetJoystick(JoyScript joy) { joy_ = std::move(joy); }
  // Called at every yield and every present, for the runner's own bookkeeping.
  std::function<void()> OnYield;
  std::function<void()> OnWait;
  std::function<void(const Surface&)> OnPresent;

  // Simulated time passing inside a frame (drawing that is slow, say).
  void Advance(uint32_t ms) { clock_ += ms; }

  RecordingMusicDevice& RecordedMusic() { return music_; }
  RecordingSoundPlayer& RecordedSound() { return sound_; }
  RecordingDialogs& RecordedDialogs() { return dialogs_; }

 private:
  uint64_t Frame() const { return frame_ ? frame_() : 0; }

  std::string programFolder_;
  uint32_t clock_;
  std::function<uint64_t()> frame_;
  KeyScript keys_;
  std::optional<JoyScript> joy_;
  RecordingMusicDevice music_;
  RecordingSoundPlayer sound_;
  RecordingDialogs dialogs_;
  FileWarnings warnings_{"pelaryn-sim"};
  MemoryFileStore memoryFiles_;
  std::unique_ptr<FileStore> files_;
};

}  // namespace pelaryn
