// Entry points of the artwork generator: one function per picture of the game.
#pragma once

#include <QImage>

namespace art {

QImage paintSheet();                        // picChr: 128 x 240, pure white where transparent
QImage maskFromSheet(const QImage& sheet);  // picMask: black where the sheet is painted
QImage paintEnglishLabels();                // status labels in English: 58 x 56, as the sheet
QImage paintTitle();                        // picTitle: 388 x 261
QImage paintLogo();                         // picLogo: 130 x 65
QImage paintRankLogo();                     // ranking window title: 250 x 26, 16 colours
QImage paintRankLogoEnglish();              // the same heading in English: 250 x 26, 16 colours
QImage paintAbout();                        // about box: 65 x 65
QImage paintIcon(int size);                 // program icon, transparent background
QImage paintBackground();                   // default background tile, seamless both ways
}  // namespace art
