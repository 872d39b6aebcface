#include "player/ShipDestruction.h"

#include "audio/SoundEffects.h"
#include "render/Explosions.h"

namespace pelaryn {

bool PlayDestroyedShip(GameContext& g) {
  Entity& p = g.s.Player;
  if (p.State < -15) {
    DrawExplosions(g, 3, p.X, p.Y, 50);
    PlaySoundEffect(g, sound::Damage, false);
  } else if (p.State >= 0) {
    return false;
  }
  ++p.State;
  return true;
}

}  // namespace pelaryn
