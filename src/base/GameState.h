#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "base/Entity.h"
#include "base/Menu.h"
#include "base/Platform.h"

namespace pelaryn {

struct BgmEntry {
  std::string Path;
  bool Enabled = false;
};

struct RankEntry {
  std::string Name;
  int32_t Score = 0;
  uint8_t ShotRatio = 0;
  int16_t MaxCombo = 0;
  bool operator==(const RankEntry&) const = default;
};

struct BackSettingRecord {
  std::string BackImagePath;
  int16_t OffsetX = 0;
  int16_t OffsetY = 0;
  int16_t ScrollYoko = 0;
  int16_t ScrollTate = 0;
  bool Guriguri = false;
  bool Kansei = false;
};

// The last joystick reading: the platform's record, then X and Y as unsigned 16-bit values.
struct JoyStateRecord {
  JoyInfo Info;
  int32_t X = 0;
  int32_t Y = 0;
};

inline constexpr int PlayerShotCount = 11;
inline constexpr int EnemyCount = 11;
inline constexpr int BossBombCount = 16;
inline constexpr int BossBulletCount = 101;
inline constexpr int BossRainCount = 101;
inline constexpr int RankingCount = 10;

// The highest slot of a boss table that is in use: the difficulty sets it and may set it beyond
// the table, so every loop over a boss table stops at the table's end; none when negative.
constexpr int LastSlot(int16_t highest, int tableSize) {
  return std::clamp<int>(highest, -1, tableSize - 1);
}

// Everything the game knows, under the game's own names and widths. It lives for the whole run;
// start-up sets the defaults again for every game.
struct GameState {
  // Entity tables.
  Entity Player;
  std::array<Entity, PlayerShotCount> PlayerShots{};
  std::array<Entity, EnemyCount> Enemies{};
  Entity Boss;
  std::array<Entity, BossBombCount> BossBombs{};
  std::array<Entity, BossBulletCount> BossBullets{};
  std::array<Entity, BossRainCount> BossRain{};
  Entity Item;

  // One enemy shot per enemy slot.
  std::array<int16_t, EnemyCount> EnemyShotX{};
  std::array<int16_t, EnemyCount> EnemyShotY{};
  std::array<int16_t, EnemyCount> EnemyShotState{};
  std::array<int16_t, EnemyCount> EnemyShotDX{};
  std::array<int16_t, EnemyCount> EnemyShotDY{};
  std::array<int16_t, EnemyCount> EnemyShotSpeed{};
  std::array<int16_t, EnemyCount> EnemyShotAimX{};
  std::array<int16_t, EnemyCount> EnemyShotAimY{};

  // Scalars.
  int32_t Score = 0;
  int32_t HiScore = 0;
  int16_t Life = 0;
  int16_t Level = 0;
  int16_t Combo = 0;
  int16_t MaxCombo = 0;
  int16_t ComboTimer = 0;
  int32_t EnemiesAppeared = 0;
  int32_t EnemiesShotDown = 0;
  uint8_t ShotRatio = 0;
  int16_t FramePeriod = 0;
  int16_t Running = 0;
  int32_t PhaseFrames = 0;
  bool BossActive = false;
  int32_t BossInterval = 0;
  int16_t BlinkPhase = 0;
  int16_t BlinkStep = 0;
  int16_t BlinkFrame = 0;
  int16_t HitFlash = 0;
  int16_t InvincibleFrames = 0;
  int16_t BackSplitX = 0;
  int16_t BackSplitY = 0;
  int16_t BgmIndex = 0;
  int16_t BossBulletMax = 0;
  int16_t BossBombMax = 0;
  int16_t BossRainMax = 0;
  int16_t EnemyShotW = 0;
  int16_t EnemyShotH = 0;
  int16_t EnemyShotBaseSpeed = 0;

  // Settings.
  bool SoundEffectsOn = false;
  bool AutoShot = false;
  bool TitleAnimation = false;
  int16_t InitialDifficulty = 0;
  int16_t DifficultySkip = 0;
  bool UseJoystick = false;
  int16_t JoySensitivity = 0;
  BackSettingRecord BackSetting;
  BgmEntry TitleBgm;
  std::array<BgmEntry, 2> Bgm{};
  std::array<BgmEntry, 2> BossBgm{};

  std::array<RankEntry, RankingCount> Ranking{};

  // Joystick.
  JoyCapsRecord JoyCaps;
  int32_t JoyCenterX = 0;
  int32_t JoyCenterY = 0;
  JoyStateRecord JoyState;

  // The main window's own values for the combo popup.
  int16_t ComboPopupTimer = 0;
  int16_t ComboPopupDigits = 0;
  int16_t ComboPopupValue = 0;

  // Check marks and enabled states of the menu bar.
  MenuModel Menu;
};

}  // namespace pelaryn
