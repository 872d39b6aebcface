#include "platform/desktop/SdlJoystick.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace pelaryn {
namespace {

constexpr int NoDevice = 167;  // the answer for "no joystick connected"

uint32_t AxisPosition(int16_t value) {
  return static_cast<uint32_t>(value + 32768);
}

// A joystick's first four buttons stand for A, B, X and Y; the others go by their number.
constexpr std::string_view kFirstFour[] = {"a", "b", "x", "y"};

// The joystick button a name stands for, or -1.
int JoystickButtonOf(std::string_view name) {
  for (int i = 0; i < 4; ++i) {
    if (name == kFirstFour[i]) return i;
  }
  if (name.substr(0, 6) == "button" && IsPadButtonName(name)) {
    return std::stoi(std::string(name.substr(6))) - 1;
  }
  return -1;
}

std::string JoystickButtonName(int index) {
  return index < 4 ? std::string(kFirstFour[index]) : "button" + std::to_string(index + 1);
}

bool IsDpad(SDL_GameControllerButton button) {
  return button == SDL_CONTROLLER_BUTTON_DPAD_UP || button == SDL_CONTROLLER_BUTTON_DPAD_DOWN ||
         button == SDL_CONTROLLER_BUTTON_DPAD_LEFT || button == SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
}

}  // namespace

SdlJoystick::SdlJoystick() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  ready_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) == 0;
  const char* padPath = std::getenv("PELARYN_PAD_FILE");
  if (!ready_ || padPath == nullptr || *padPath == '\0') return;
  std::ifstream in(padPath);
  std::string error = "cannot be read";
  if (in) padFile_ = PadFile::Parse(in, error);
  if (!padFile_) {
    std::fprintf(stderr, "pelaryn: the pad file %s: %s\n", padPath, error.c_str());
    return;
  }
  // Two axes and four buttons: read as any joystick is, by its first axes and buttons.
  virtualPad_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
  padStart_ = std::chrono::steady_clock::now();
}

void SdlJoystick::PlayPadFile() {
  if (!padFile_ || !joystick_) return;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - padStart_)
                      .count();
  const PadFile::Reading now = padFile_->At(static_cast<uint64_t>(ms));
  SDL_JoystickSetVirtualAxis(joystick_, 0, static_cast<int16_t>(now.X - 32768));
  SDL_JoystickSetVirtualAxis(joystick_, 1, static_cast<int16_t>(now.Y - 32768));
  for (int i = 0; i < 4; ++i) {
    SDL_JoystickSetVirtualButton(joystick_, i, static_cast<Uint8>((now.Buttons >> i) & 1));
  }
  SDL_JoystickUpdate();
}

SdlJoystick::~SdlJoystick() {
  Detach();
  if (ready_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
}

void SdlJoystick::Detach() {
  if (controller_)
    SDL_GameControllerClose(controller_);
  else if (joystick_)
    SDL_JoystickClose(joystick_);
  controller_ = nullptr;
  joystick_ = nullptr;
}

bool SdlJoystick::Attach() {
  if (!ready_) return false;
  // Refreshes device states and notices devices that came or went.
  SDL_GameControllerUpdate();
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
  }
  if (joystick_ && !SDL_JoystickGetAttached(joystick_)) Detach();
  if (joystick_) {
    PlayPadFile();
    return true;
  }
  if (SDL_NumJoysticks() < 1) return false;
  if (SDL_IsGameController(0)) {
    controller_ = SDL_GameControllerOpen(0);
    joystick_ = controller_ ? SDL_GameControllerGetJoystick(controller_) : nullptr;
  } else {
    joystick_ = SDL_JoystickOpen(0);
  }
  PlayPadFile();
  return joystick_ != nullptr;
}

int SdlJoystick::GetDevCaps(JoyCapsRecord& caps) {
  if (!Attach()) return NoDevice;
  caps.XMax = 65535;
  caps.YMax = 65535;
  return 0;
}

int SdlJoystick::GetPos(JoyInfo& info) {
  if (!Attach()) return NoDevice;
  info = JoyInfo{};
  if (controller_) {
    SDL_GameController* c = controller_;
    info.XPos = AxisPosition(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX));
    info.YPos = AxisPosition(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
    if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) info.XPos = 0;
    if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) info.XPos = 65535;
    if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP)) info.YPos = 0;
    if (SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) info.YPos = 65535;
  } else {
    SDL_Joystick* j = joystick_;
    if (SDL_JoystickNumAxes(j) > 0) info.XPos = AxisPosition(SDL_JoystickGetAxis(j, 0));
    if (SDL_JoystickNumAxes(j) > 1) info.YPos = AxisPosition(SDL_JoystickGetAxis(j, 1));
  }
  info.Buttons = GameButtons(bindings_, [this](std::string_view name) { return ButtonDown(name); });
  return 0;
}

bool SdlJoystick::ButtonDown(std::string_view name) {
  if (controller_) {
    // SDL wants a terminated string; every name we keep is short.
    char text[24] = {};
    name.copy(text, sizeof text - 1);
    const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(text);
    if (button != SDL_CONTROLLER_BUTTON_INVALID && !IsDpad(button)) {
      return SDL_GameControllerGetButton(controller_, button) != 0;
    }
    if (name.substr(0, 6) != "button") return false;
  }
  const int index = JoystickButtonOf(name);
  return index >= 0 && index < SDL_JoystickNumButtons(joystick_) &&
         SDL_JoystickGetButton(joystick_, index) != 0;
}

bool SdlJoystick::Connected() {
  return Attach();
}

std::string SdlJoystick::Name() {
  if (!Attach()) return {};
  const char* name =
      controller_ ? SDL_GameControllerName(controller_) : SDL_JoystickName(joystick_);
  return name ? name : "";
}

void SdlJoystick::HeldButtons(std::vector<std::string>& out) {
  out.clear();
  if (!Attach()) return;
  if (controller_) {
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
      const auto button = static_cast<SDL_GameControllerButton>(b);
      if (IsDpad(button) || !SDL_GameControllerGetButton(controller_, button)) continue;
      if (const char* name = SDL_GameControllerGetStringForButton(button)) out.emplace_back(name);
    }
    return;
  }
  for (int i = 0; i < SDL_JoystickNumButtons(joystick_) && i < 99; ++i) {
    if (SDL_JoystickGetButton(joystick_, i)) out.push_back(JoystickButtonName(i));
  }
}

}  // namespace pelaryn
