#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Platform.h"

namespace pelaryn {

// A machine with nothing on it: no files, pictures, music, pad or windows, and a clock that
// never moves. Starting a game on it gives the start the title makes, untouched by anything of
// the player's; a replay played on it touches nothing outside the process.
class QuietPlatform final : public Platform, MusicDevice, SoundPlayer, Dialogs, FileStore {
 public:
  explicit QuietPlatform(const JoyCapsRecord& caps) : caps_(caps) {}

  uint32_t TimeGetTime() override { return 0; }
  void Sleep(uint32_t) override {}
  void WaitUntil(uint32_t, uint32_t) override {}
  void ProcessEvents() override {}
  void WaitEvents() override {}
  uint32_t Present(const Surface&) override { return 0; }
  bool KeyDown(int) override { return false; }
  // The recording machine's pad: the game works out its centre from what the pad answers.
  int JoyGetDevCaps(JoyCapsRecord& caps) override {
    caps = caps_;
    return 0;
  }
  int JoyGetPos(JoyInfo&) override { return 1; }
  bool LoadPicture(const std::string&, Surface&) override { return false; }
  std::string ProgramFolder() override { return {}; }
  MusicDevice& Music() override { return *this; }
  SoundPlayer& Sound() override { return *this; }
  Dialogs& Windows() override { return *this; }
  FileStore& Files() override { return *this; }

  bool Open(const std::string&) override { return false; }
  void Play() override {}
  void PlayFromStart() override {}
  void Stop() override {}
  void Close() override {}
  std::string_view Mode() override { return {}; }

  void Play(std::string_view, bool) override {}

  void MessageBox(const Message&) override {}
  std::string InputBox(const Message&) override { return {}; }
  void ShowRanking(GameState&) override {}
  void ShowSettings(SettingsHost&) override {}
  void ShowAbout() override {}
  void ShowManual(const std::string&) override {}
  void ReportError(const Message&) override {}

  std::optional<std::string> Read(std::string_view) override { return std::nullopt; }
  bool Write(std::string_view, std::string_view, std::string&) override { return true; }

 private:
  JoyCapsRecord caps_;
};

}  // namespace pelaryn
