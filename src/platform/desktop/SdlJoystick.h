#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/Platform.h"
#include "platform/desktop/PadFile.h"
#include "platform/pad/PadBindings.h"

struct _SDL_GameController;
struct _SDL_Joystick;

namespace pelaryn {

// Joystick 1 over SDL, reported in the game's joystick record: each axis 0..65535
// (centre 32768), buttons 1-4 as a bit mask. A pad that SDL knows is read through its
// game-controller mapping (left stick or D-pad; A, B, X, Y as buttons 1-4), any other device by
// its first two axes and first four buttons. Which buttons fire is the player's choice
// (PadBindings). A device plugged in later is found on the next read.
//
// With PELARYN_PAD_FILE naming a pad file, a virtual pad of SDL's plays that file instead, read
// through the same calls.
class SdlJoystick {
 public:
  SdlJoystick();
  ~SdlJoystick();
  SdlJoystick(const SdlJoystick&) = delete;
  SdlJoystick& operator=(const SdlJoystick&) = delete;

  int GetDevCaps(JoyCapsRecord& caps);
  int GetPos(JoyInfo& info);

  void SetBindings(const PadBindings& bindings) { bindings_ = bindings; }
  // For the window that binds buttons: whether a pad is there, its name, and the buttons held
  // now (the D-pad, which always moves, left out).
  bool Connected();
  std::string Name();
  void HeldButtons(std::vector<std::string>& out);

 private:
  bool Attach();
  void Detach();

  void PlayPadFile();
  bool ButtonDown(std::string_view name);

  bool ready_ = false;
  PadBindings bindings_;
  std::optional<PadFile> padFile_;
  int virtualPad_ = -1;
  std::chrono::steady_clock::time_point padStart_;
  _SDL_GameController* controller_ = nullptr;
  _SDL_Joystick* joystick_ = nullptr;
};

}  // namespace pelaryn
