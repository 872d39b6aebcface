#pragma once

#include <string_view>

#include "base/CoreContext.h"

namespace pelaryn {

namespace sound {
inline constexpr std::string_view Damage = "sound/damage.wav";
inline constexpr std::string_view Hit = "sound/hit.wav";
inline constexpr std::string_view GetItem = "sound/getitem.wav";
inline constexpr std::string_view BombShot = "sound/bomshot.wav";
inline constexpr std::string_view BossHit = "sound/bosshit.wav";
inline constexpr std::string_view Explode = "sound/explode.wav";
}  // namespace sound

// Plays one effect when the sound-effect switch is on; an interrupting effect cuts the one that
// plays, a non-interrupting one is dropped while another still sounds.
inline void PlaySoundEffect(CoreContext& g, std::string_view file, bool interrupt) {
  if (g.s.SoundEffectsOn) g.platform.Sound().Play(file, interrupt);
}

}  // namespace pelaryn
