#pragma once

// The services the game core asks of the machine it runs on. The desktop front end implements
// them with Qt and SDL, the headless one with scripts and a virtual clock. Nothing below this
// header includes a toolkit.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Messages.h"

namespace pelaryn {

class Surface;
struct GameState;

// The one music device. Only one piece is open at a time; opening while one is open fails and
// leaves the open one alone.
class MusicDevice {
 public:
  virtual ~MusicDevice() = default;
  // Loads the piece; false when a piece is already open or the file cannot be played.
  virtual bool Open(const std::string& path) = 0;
  // Starts or resumes the open piece; nothing when none is open.
  virtual void Play() = 0;
  // Plays the open piece again from its beginning; nothing when none is open.
  virtual void PlayFromStart() = 0;
  virtual void Stop() = 0;
  virtual void Close() = 0;
  // "playing" while the open piece sounds, "stopped" once it has ended or was stopped, and ""
  // when no piece is open (a query that fails).
  virtual std::string_view Mode() = 0;
  // The pieces the game may play from now on, as Open would be given them, the likeliest first:
  // a device may prepare them ahead, and lets go of any other it holds.
  virtual void KeepOnly(const std::vector<std::string>& paths) { (void)paths; }
};

// WAV effects, one at a time. An interrupting request cuts the effect that is playing; a
// non-interrupting one is dropped while another still plays. A missing file plays nothing. The
// game names its effects relative to the program folder ("sound/hit.wav").
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void Play(std::string_view file, bool interrupt) = 0;
};

// Where the settings and ranking files are kept. Whole files are read and written at once.
class FileStore {
 public:
  virtual ~FileStore() = default;
  // The file's bytes; none when it is missing or cannot be read.
  virtual std::optional<std::string> Read(std::string_view name) = 0;
  // Replaces the file as one step: after a crash either the old or the new file is there,
  // never a part of one. False, with the reason in `error`, when it could not be written.
  virtual bool Write(std::string_view name, std::string_view bytes, std::string& error) = 0;
};

// What the settings window may change besides the stored settings themselves.
class SettingsHost {
 public:
  virtual ~SettingsHost() = default;
  virtual GameState& Settings() = 0;
  // Starts the background again from its top-left corner with the picture the settings now
  // name (none when the path is empty or unreadable), enlarged to cover the play field.
  virtual void ReloadBackground() = 0;
};

// The game's windows and boxes. Every one but the manual is modal: the call returns when the
// player has closed it, and the game stands still meanwhile. Texts are UTF-8.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A box with one OK button.
  virtual void MessageBox(const Message& message) = 0;
  // A one-line text box with an empty field under the message; the typed text, or "" when
  // cancelled.
  virtual std::string InputBox(const Message& prompt) = 0;
  // The ranking window. Its 初期化 button, once confirmed, resets the ranking in `state`
  // (ResetRanking) and shows the new rows.
  virtual void ShowRanking(GameState& state) = 0;
  // The settings window, built afresh from the current settings at each opening.
  virtual void ShowSettings(SettingsHost& host) = 0;
  // The about box; it beeps once as it opens.
  virtual void ShowAbout() = 0;
  // The player's manual (an HTML file), in a window the game does not wait for; a second call
  // raises the open window.
  virtual void ShowManual(const std::string& path) = 0;
  // A failure the player must hear of (a file that could not be saved), once per call.
  virtual void ReportError(const Message& message) = 0;
};

// Virtual-key codes of the keys the game polls.
namespace vk {
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int X = 0x58;
inline constexpr int Z = 0x5A;
inline constexpr int Numpad2 = 0x62;
inline constexpr int Numpad4 = 0x64;
inline constexpr int Numpad6 = 0x66;
inline constexpr int Numpad8 = 0x68;
}  // namespace vk

// Joystick 1 as the game reads it: each axis 0..65535, centre 32768.
struct JoyCapsRecord {
  uint32_t XMax = 0;
  uint32_t YMax = 0;
};

struct JoyInfo {
  uint32_t XPos = 0;
  uint32_t YPos = 0;
  uint32_t ZPos = 0;
  uint32_t Buttons = 0;  // bit 0 = button 1 ... bit 3 = button 4
  bool operator==(const JoyInfo&) const = default;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Millisecond counter; wraps at 2^32.
  virtual uint32_t TimeGetTime() = 0;
  virtual void Sleep(uint32_t ms) = 0;

  // The clock frames are paced by, in microseconds. It wraps at 2^32 (about 71 minutes), so only
  // the difference of two nearby readings means anything. The default is the millisecond counter,
  // whose wrap at 2^32 ms keeps such differences exact.
  virtual uint32_t MicroTime() { return TimeGetTime() * 1000u; }
  // Returns once `micros` microseconds have passed since the MicroTime() reading `start`; at once
  // when they already have. The default reads the counter after every 1 ms sleep; a platform
  // with a finer clock sleeps to the deadline in one go.
  virtual void WaitUntil(uint32_t start, uint32_t micros) {
    while (MicroTime() - start < micros) Sleep(1);
  }

  // The yield: deliver pending window events (menu commands run in here).
  virtual void ProcessEvents() = 0;
  // Like ProcessEvents, but blocks until at least one event arrived (the pause wait).
  virtual void WaitEvents() = 0;
  // Shows the finished play field; returns the MicroTime() reading at which it was handed to
  // the window, the moment frames are paced by.
  virtual uint32_t Present(const Surface& field) = 0;

  // True while the key with this virtual-key code is held.
  virtual bool KeyDown(int virtualKey) = 0;

  // 0 on success, as the platform's joystick calls answer.
  virtual int JoyGetDevCaps(JoyCapsRecord& caps) = 0;
  virtual int JoyGetPos(JoyInfo& info) = 0;

  // Decodes a picture file (BMP, JPEG, GIF) into a new surface; false when it cannot. The game
  // passes full paths (it resolves relative ones against the program folder itself).
  virtual bool LoadPicture(const std::string& path, Surface& out) = 0;

  // The folder that holds the game's own files (back.bmp, sound/, the manual), without a trailing
  // separator: the program's own folder, or the data folder of an installed game.
  virtual std::string ProgramFolder() = 0;

  virtual MusicDevice& Music() = 0;
  virtual SoundPlayer& Sound() = 0;
  virtual Dialogs& Windows() = 0;
  virtual FileStore& Files() = 0;
};

}  // namespace pelaryn
