#pragma once

// The game's five pieces of music, each a loop that ends on a bar line.

#include "Score.h"

namespace pelaryn {

Song TitleTheme();    // title.mid: a heraldic theme in D major
Song PlayTrackOne();  // 1.mid: driving minor-key rock
Song PlayTrackTwo();  // 2.mid: bright major-key synth funk
Song SunBoss();       // boss1.mid: the sun, hot and urgent
Song MoonBoss();      // boss2.mid: the moon, an eerie minor shuffle

}  // namespace pelaryn
