#pragma once

#include <chrono>
#include <cstdlib>
#include <memory>

#include "base/Platform.h"
#include "base/ProgramLayout.h"
#include "base/RegularFile.h"
#include "platform/desktop/Clock.h"

namespace pelaryn {

class MainWindow;
class SdlAudio;
class SdlJoystick;
class DesktopDialogs;
struct Pictures;

// The platform of the desktop game: Qt for the window, events and pictures, a monotonic clock,
// SDL for the joystick and the audio.
class DesktopPlatform : public Platform {
 public:
  // The dialogs show some of `pictures` (the ranking logo, the about picture). The music is made
  // with the player's `soundFont`, or ours when that is empty.
  DesktopPlatform(MainWindow& window, const Pictures& pictures, const std::string& soundFont = {});
  ~DesktopPlatform() override;

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
  // Beside the program, or the installed data folder (see FindProgramLayout).
  std::string ProgramFolder() override;
  MusicDevice& Music() override;
  SoundPlayer& Sound() override;
  Dialogs& Windows() override;
  FileStore& Files() override;

  // Where the game's files live, and the desktop's own windows.
  const ProgramLayout& Layout() const { return layout_; }
  DesktopDialogs& DesktopWindows() { return *dialogs_; }
  // For the player's preferences: loudness, pad buttons.
  SdlAudio& Audio() { return *audio_; }
  SdlJoystick& Joystick() { return *joystick_; }

 private:
  MainWindow& window_;
  const ProgramLayout layout_;
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::unique_ptr<SdlJoystick> joystick_;
  std::unique_ptr<SdlAudio> audio_;
  std::unique_ptr<DesktopDialogs> dialogs_;
  std::unique_ptr<FileStore> files_;
  FrameLog frameLog_{std::getenv("PELARYN_FRAMELOG")};
  FileWarnings warnings_{"pelaryn"};
};

}  // namespace pelaryn
