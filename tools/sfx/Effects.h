#pragma once

#include "Synth.h"

namespace pelaryn {

Samples Damage();    // the ship is hit: a crunching, falling buzz
Samples Hit();       // an enemy is destroyed: a quick downward pop
Samples GetItem();   // the heart is picked up: a rising four-note chime
Samples BombShot();  // the boss launches a fireball: a thump with a rushing whoosh
Samples BossHit();   // a shot strikes the boss: a tiny metallic tick
Samples Explode();   // the boss blows up: a roaring noise burst that rumbles away

}  // namespace pelaryn
