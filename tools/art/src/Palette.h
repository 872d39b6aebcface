// The one palette every picture of the game is painted from.
//
// Each material is a ramp of five tones: an ink for the lines inside a figure, a shadow, a
// base, a light and a highlight. Silhouettes get the common near-black ink so that every
// figure, big or small, wears the same outline.
#pragma once

#include <QColor>
#include <array>

namespace art {

struct Ramp {
  std::array<QRgb, 5> tone;  // 0 ink, 1 shadow, 2 base, 3 light, 4 highlight
  QRgb operator[](int i) const { return tone[static_cast<size_t>(i)]; }
};

constexpr QRgb rgb(int r, int g, int b) {
  return 0xff000000u | (r << 16) | (g << 8) | b;
}

// Sprite sheets use pure white for "nothing here"; painted whites stop one step short.
constexpr QRgb kSheetWhite = rgb(255, 255, 255);
constexpr QRgb kPaperWhite = rgb(254, 254, 254);
constexpr QRgb kBlack = rgb(0, 0, 0);
constexpr QRgb kInk = rgb(26, 14, 38);

namespace ramp {
constexpr Ramp kYellow{
    {rgb(112, 56, 8), rgb(208, 128, 16), rgb(244, 196, 32), rgb(252, 232, 96), rgb(254, 252, 206)}};
constexpr Ramp kOrange{
    {rgb(120, 36, 8), rgb(200, 76, 12), rgb(240, 128, 24), rgb(252, 184, 64), rgb(254, 234, 150)}};
constexpr Ramp kRed{
    {rgb(88, 6, 24), rgb(160, 16, 32), rgb(220, 40, 48), rgb(250, 100, 84), rgb(254, 196, 176)}};
constexpr Ramp kBlue{
    {rgb(14, 20, 84), rgb(28, 56, 168), rgb(48, 108, 232), rgb(110, 172, 252), rgb(206, 236, 254)}};
constexpr Ramp kCyan{
    {rgb(8, 60, 96), rgb(16, 132, 176), rgb(40, 196, 232), rgb(132, 236, 254), rgb(222, 254, 254)}};
constexpr Ramp kGreen{
    {rgb(8, 56, 24), rgb(24, 120, 40), rgb(60, 184, 56), rgb(140, 228, 84), rgb(222, 254, 170)}};
constexpr Ramp kMoss{
    {rgb(16, 52, 28), rgb(52, 108, 40), rgb(104, 160, 52), rgb(168, 208, 88), rgb(226, 244, 170)}};
constexpr Ramp kMagenta{
    {rgb(84, 8, 72), rgb(168, 24, 144), rgb(228, 64, 204), rgb(250, 142, 236), rgb(254, 214, 250)}};
constexpr Ramp kPurple{
    {rgb(40, 12, 80), rgb(84, 36, 150), rgb(132, 76, 212), rgb(184, 140, 246), rgb(236, 216, 254)}};
constexpr Ramp kBrown{
    {rgb(56, 26, 12), rgb(104, 56, 24), rgb(156, 96, 44), rgb(204, 148, 84), rgb(240, 206, 150)}};
constexpr Ramp kSkin{{rgb(120, 64, 40), rgb(216, 140, 96), rgb(244, 184, 136), rgb(252, 216, 176),
                      rgb(254, 240, 218)}};
constexpr Ramp kSteel{{rgb(36, 36, 56), rgb(84, 88, 116), rgb(140, 146, 172), rgb(196, 202, 222),
                       rgb(246, 248, 252)}};
constexpr Ramp kWhite{
    {rgb(72, 76, 104), rgb(160, 168, 196), rgb(214, 220, 236), rgb(240, 244, 250), kPaperWhite}};
}  // namespace ramp

}  // namespace art
