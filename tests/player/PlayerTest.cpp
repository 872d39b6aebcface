// The ship: movement with the wall clamps and the scroll push, shots, and the two input readers.

#include <gtest/gtest.h>

#include "../TestGame.h"
#include "player/Input.h"
#include "player/Movement.h"
#include "player/Shots.h"

namespace pelaryn {

using testing::TestGame;

namespace {

using Ship = testing::Scene;

KeyScript Hold(std::initializer_list<int> keys, uint64_t first = 1, uint64_t last = 1000000) {
  KeyScript script;
  for (const int k : keys) script.Hold(first, last, k);
  return script;
}

std::vector<int16_t> ShotDX(const GameState& s) {
  std::vector<int16_t> dx;
  for (const Entity& shot : s.PlayerShots) dx.push_back(shot.Active() ? shot.DX : 99);
  return dx;
}

}  // namespace

TEST(Player, WallsClampTheShipAndInertiaPushesTheScrollEvenAtTheWall) {
  Ship t;
  t.s.BackSetting.Kansei = true;
  t.s.BackSetting.ScrollYoko = 0;
  t.s.Player.X = 2;
  MoveLeft(t.g);
  EXPECT_EQ(t.s.Player.X, 0);
  MoveLeft(t.g);
  EXPECT_EQ(t.s.Player.X, 0);
  EXPECT_EQ(t.s.BackSetting.ScrollYoko, 2);
  t.s.Player.X = 280;
  MoveRight(t.g);
  EXPECT_EQ(t.s.Player.X, 284);
  EXPECT_EQ(t.s.BackSetting.ScrollYoko, 1);
  t.s.Player.Y = 365;
  MoveDown(t.g);
  EXPECT_EQ(t.s.Player.Y, 368);
  t.s.Player.Y = 4;
  t.s.BackSetting.ScrollTate = 20;
  MoveUp(t.g);
  EXPECT_EQ(t.s.Player.Y, 0);
  EXPECT_EQ(t.s.BackSetting.ScrollTate, 20);  // the push stops at 20
  t.s.BackSetting.Kansei = false;
  MoveRight(t.g);
  EXPECT_EQ(t.s.BackSetting.ScrollYoko, 1);
}

TEST(Player, OppositeKeysBothActAndHoldingUpWithInertiaClimbsToTwenty) {
  Ship t;
  t.Keys(Hold({vk::Left, vk::Numpad6}));
  t.s.Player.X = 3;
  t.Frames(1);
  EXPECT_EQ(t.s.Player.X, 6);  // left stopped at 0, then right by 6

  Ship up;
  up.Keys(Hold({vk::Up}, 1, 60));
  up.s.BackSetting.Kansei = true;
  up.s.BackSetting.ScrollTate = 0;
  int previous = 0;
  for (int frame = 1; frame <= 60; ++frame) {
    up.Frames(1);
    const int speed = up.s.BackSetting.ScrollTate;
    EXPECT_LE(speed, 20);
    EXPECT_GE(speed, previous - 1);
    previous = speed;
  }
  EXPECT_EQ(up.s.BackSetting.ScrollTate, 20);
  EXPECT_EQ(up.s.Player.Y, 0);
  up.Frames(100);  // released: one step down every fifth frame
  EXPECT_EQ(up.s.BackSetting.ScrollTate, 0);
}

TEST(Player, StraightShotsFillTheSlotsAndRetireOnTheirTwentySecondMove) {
  Ship t;
  FireStraight(t.g);
  EXPECT_EQ(t.s.PlayerShots[0].X, 155);
  EXPECT_EQ(t.s.PlayerShots[0].Y, 320);
  for (int move = 1; move <= 21; ++move) {
    MoveShots(t.g);
    ASSERT_EQ(t.s.PlayerShots[0].Active(), 1) << move;
  }
  MoveShots(t.g);
  EXPECT_EQ(t.s.PlayerShots[0].Active(), 0);
  EXPECT_EQ(t.s.PlayerShots[0].Y, -32);

  t.s.Player.Y = 0;
  FireStraight(t.g);
  MoveShots(t.g);
  EXPECT_EQ(t.s.PlayerShots[0].Y, -16);
  EXPECT_EQ(t.s.PlayerShots[0].Active(), 1);
  MoveShots(t.g);
  EXPECT_EQ(t.s.PlayerShots[0].Active(), 0);

  // Z held from the start position: eleven shots within eleven frames, then new ones only
  // as old ones leave.
  Ship held;
  held.Keys(Hold({vk::Z}));
  held.Frames(11);
  int flying = 0;
  for (const Entity& shot : held.s.PlayerShots) flying += shot.Active();
  EXPECT_EQ(flying, 11);
}

TEST(Player, SpreadShotsFanOutBySlotAndBothFireKeysTakeTwoSlots) {
  Ship t;
  for (int i = 0; i < 12; ++i) FireSpread(t.g);
  EXPECT_EQ(ShotDX(t.s), (std::vector<int16_t>{6, 2, -2, -6, 6, 2, -2, -6, 6, 2, -2}));
  EXPECT_EQ(t.s.PlayerShots[4].X, 158);

  Ship both;
  both.Keys(Hold({vk::Z, vk::X}, 1, 1));
  both.Frames(1);
  EXPECT_EQ(both.s.PlayerShots[0].DX, 0);
  EXPECT_EQ(both.s.PlayerShots[0].DY, 16);
  EXPECT_EQ(both.s.PlayerShots[1].DX, 2);
  EXPECT_EQ(both.s.PlayerShots[1].DY, 12);
  EXPECT_EQ(both.s.PlayerShots[2].Active(), 0);

  Ship edge;  // slot 3 flies left 6 a frame and is gone once past -8
  edge.s.Player.X = -8;
  for (int i = 0; i < 4; ++i) FireSpread(edge.g);
  EXPECT_EQ(edge.s.PlayerShots[3].X, 0);
  MoveShots(edge.g);
  EXPECT_EQ(edge.s.PlayerShots[3].X, -6);
  EXPECT_EQ(edge.s.PlayerShots[3].Active(), 1);
  MoveShots(edge.g);
  EXPECT_EQ(edge.s.PlayerShots[3].Active(), 0);
}

TEST(Player, TheJoystickHasADeadZoneAndFiresOneKindOfShotAtMost) {
  Ship t;
  JoyScript joy;
  joy.Add(1, 1, {32868, 32768, 0, 0});       // exactly centre + sensitivity: no move
  joy.Add(2, 2, {32869, 32667, 0, 0});       // one further right; up beyond the zone
  joy.Add(3, 3, {32768, 32768, 0, 0b0101});  // buttons 1 and 3: nothing
  joy.Add(4, 4, {32768, 32768, 0, 0b0011});  // buttons 1 and 2: spread
  joy.Add(5, 5, {32768, 32768, 0, 0b0001});  // button 1: straight
  t.Joystick(std::move(joy));
  t.s.JoySensitivity = 100;
  EXPECT_EQ(QueryJoystickCaps(t.g), 0);
  EXPECT_EQ(t.s.JoyCenterX, 32768);
  t.Frames(1);
  EXPECT_EQ(t.s.Player.X, 150);
  t.Frames(1);
  EXPECT_EQ(t.s.Player.X, 156);
  EXPECT_EQ(t.s.Player.Y, 314);
  t.Frames(1);
  EXPECT_EQ(t.s.PlayerShots[0].Active(), 0);
  t.Frames(1);
  EXPECT_EQ(t.s.PlayerShots[0].DY, 12);
  t.Frames(1);
  EXPECT_EQ(t.s.PlayerShots[1].DY, 16);
  t.Frames(1);  // the device is gone: nothing happens
  EXPECT_EQ(t.s.Player.X, 156);
}

TEST(Player, WithoutASuccessfulQueryTheCentresStayZero) {
  Ship t;  // no device at start-up
  JoyScript joy;
  joy.Add(3, 10, {101, 101, 0, 0});
  t.Joystick(std::move(joy));
  t.s.JoyCenterX = 0;
  t.s.JoyCenterY = 0;
  t.s.JoySensitivity = 100;
  EXPECT_NE(QueryJoystickCaps(t.g), 0);
  EXPECT_EQ(t.s.JoyCenterX, 0);
  t.Frames(2);
  EXPECT_EQ(t.s.Player.X, 150);
  t.Frames(1);  // plugged in: every position above the dead zone moves right and down
  EXPECT_EQ(t.s.Player.X, 156);
  EXPECT_EQ(t.s.Player.Y, 326);
  int16_t joystick = 0, buttons = 7;
  JoyStateRecord state;
  t.s.UseJoystick = false;
  EXPECT_EQ(GetJoystickState(t.g, joystick, state, buttons), 0);
  EXPECT_EQ(state.X, 101);
  t.Frames(1);
  EXPECT_EQ(t.s.Player.X, 156);  // not read while switched off
}

TEST(Player, FiveAndSixToggleEffectsAndAutomaticFireFromTheNextFrame) {
  Ship t;
  t.game.MenuCommand(MenuId::Se);
  EXPECT_FALSE(t.s.SoundEffectsOn);
  EXPECT_FALSE(t.s.Menu.Checked(MenuId::Se));
  t.game.MenuCommand(MenuId::Se);
  EXPECT_TRUE(t.s.SoundEffectsOn);
  t.game.MenuCommand(MenuId::Autoshot);
  EXPECT_TRUE(t.s.AutoShot);
  EXPECT_TRUE(t.s.Menu.Checked(MenuId::Autoshot));
  t.Keys(Hold({vk::Z}));
  t.Frames(1);  // Z and auto-fire: two straight shots in one frame
  EXPECT_EQ(t.s.PlayerShots[0].DY, 16);
  EXPECT_EQ(t.s.PlayerShots[1].DY, 16);
  // The loop reads the check mark itself, not the setting.
  t.s.AutoShot = false;
  t.Keys(KeyScript{});
  t.Frames(1);
  EXPECT_EQ(t.s.PlayerShots[2].Active(), 1);
  t.game.MenuCommand(MenuId::Autoshot);
  t.Frames(1);
  EXPECT_EQ(t.s.PlayerShots[3].Active(), 0);
}

}  // namespace pelaryn
