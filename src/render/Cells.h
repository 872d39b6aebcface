#pragma once

// Where each picture lies on the 128 × 240 sprite sheet and on the English label sheet. The
// game's drawing, the artwork generator and the artwork tests all read these names, so a cell
// moves in one place only.
// No dependencies: the generator includes this header on its own.

namespace pelaryn {

struct CellRect {
  int X, Y, W, H;
};

namespace Cell {

inline constexpr int SheetWidth = 128;
inline constexpr int SheetHeight = 240;

inline constexpr CellRect Ship{0, 0, 16, 32};
inline constexpr CellRect OrangeOrb{16, 0, 16, 16};
inline constexpr CellRect PlayerShot{64, 0, 8, 16};
// The enemy's long shot and the moon's needle: one beam segment, drawn twice as tall for a shot.
inline constexpr CellRect Beam{72, 0, 8, 16};
// Ten one-colour columns of the combo and boss gauges, blue to red.
inline constexpr CellRect GaugeStrip{80, 0, 40, 12};
inline constexpr int GaugeColours = 10;
inline constexpr CellRect Heart{32, 16, 16, 16};
inline constexpr CellRect GlassSphere{48, 16, 16, 16};  // the moon's bomb
inline constexpr CellRect Bullet{64, 16, 8, 8};
inline constexpr CellRect MaxLabel{80, 13, 36, 15};
inline constexpr CellRect ComboBar{93, 108, 35, 13};
inline constexpr CellRect Moon{0, 176, 64, 64};
inline constexpr CellRect ScoreLabel{64, 176, 58, 20};
inline constexpr CellRect HighScoreLabel{64, 196, 64, 20};
inline constexpr CellRect ComboLabel{64, 216, 38, 16};

// The sun's fireball in its two animation frames (upright, lying).
constexpr CellRect Fireball(int frame) {
  return {32 + 16 * frame, 0, 16, 16};
}
// One column of the gauge strip, colour 0 (blue) to 9 (red).
constexpr CellRect GaugeColumn(int colour) {
  return {GaugeStrip.X + 4 * colour, GaugeStrip.Y, 4, GaugeStrip.H};
}
// Blast 0 is the red explosion ring, 1 the flare; higher numbers lie beyond the sheet's right
// edge and draw nothing, which the hit effect's quiet frames rely on.
constexpr CellRect Blast(int n) {
  return {64 + 32 * n, 32, 32, 32};
}
// The enemies of kind 1 (blob), 2 (goggler) and 3 (beetle) in two animation frames.
constexpr CellRect Enemy(int kind, int frame) {
  return {32 * frame, 32 * kind, 32, 32};
}
constexpr CellRect Sun(int frame) {
  return {64 * frame, 128, 64, 48};
}
constexpr CellRect Digit(int n) {
  return {65 + 13 * (n % 4), 65 + 20 * (n / 4), 13, 20};
}

// The status labels in English, on a sheet of their own (labels-en.png and its mask) that leaves
// the sprite sheet's layout alone. Each stands where its Japanese label does and is no wider, so
// the digits beside it stay clear; MAX reads the same in both and is drawn from the sprite sheet.
namespace English {
inline constexpr int SheetWidth = 58;
inline constexpr int SheetHeight = 56;
inline constexpr CellRect ScoreLabel{0, 0, 54, 20};
inline constexpr CellRect HighScoreLabel{0, 20, 58, 20};
inline constexpr CellRect ComboLabel{0, 40, 38, 16};
}  // namespace English

}  // namespace Cell
}  // namespace pelaryn
