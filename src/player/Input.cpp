#include "player/Input.h"

#include "base/Arith.h"
#include "player/Movement.h"
#include "player/Shots.h"

namespace pelaryn {

void ReadKeyboard(GameContext& g) {
  Platform& p = g.platform;
  if (p.KeyDown(vk::Numpad4) || p.KeyDown(vk::Left)) MoveLeft(g);
  if (p.KeyDown(vk::Numpad6) || p.KeyDown(vk::Right)) MoveRight(g);
  if (p.KeyDown(vk::Numpad8) || p.KeyDown(vk::Up)) MoveUp(g);
  if (p.KeyDown(vk::Numpad2) || p.KeyDown(vk::Down)) MoveDown(g);
  if (p.KeyDown(vk::Z)) FireStraight(g);
  if (p.KeyDown(vk::X)) FireSpread(g);
}

int16_t QueryJoystickCaps(GameContext& g) {
  GameState& s = g.s;
  const int result = g.platform.JoyGetDevCaps(s.JoyCaps);
  if (result != 0) return Sat16(result);
  s.JoyCenterX = Sat32(Round((s.JoyCaps.XMax & 0xFFFF) / 2.0));
  s.JoyCenterY = Sat32(Round((s.JoyCaps.YMax & 0xFFFF) / 2.0));
  return 0;
}

int16_t GetJoystickState(GameContext& g, int16_t& joystick, JoyStateRecord& state,
                         int16_t& buttonCode) {
  (void)joystick;  // the platform offers joystick 1 only
  buttonCode = 0;
  const int result = g.platform.JoyGetPos(state.Info);
  if (result != 0) return Sat16(result);
  state.X = static_cast<int32_t>(state.Info.XPos & 0xFFFF);
  state.Y = static_cast<int32_t>(state.Info.YPos & 0xFFFF);
  buttonCode = static_cast<int16_t>(2 * (state.Info.Buttons & 0xF));
  return 0;
}

void ReadJoystick(GameContext& g) {
  GameState& s = g.s;
  int16_t joystick = 0;
  int16_t buttons = 0;
  if (GetJoystickState(g, joystick, s.JoyState, buttons) == 0) {
    const int64_t x = s.JoyState.X, y = s.JoyState.Y, dead = s.JoySensitivity;
    if (x < s.JoyCenterX - dead) {
      MoveLeft(g);
    } else if (x > s.JoyCenterX + dead) {
      MoveRight(g);
    }
    if (y < s.JoyCenterY - dead) {
      MoveUp(g);
    } else if (y > s.JoyCenterY + dead) {
      MoveDown(g);
    }
  }
  if (buttons == 2) {
    FireStraight(g);
  } else if (buttons == 4 || buttons == 6) {
    FireSpread(g);
  }
}

}  // namespace pelaryn
