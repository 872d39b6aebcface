#include "audio/Music.h"

namespace pelaryn {

void PlayMusic(Platform& platform, const std::string& path) {
  MusicDevice& music = platform.Music();
  music.Open(path);
  music.Play();
}

void StopMusic(Platform& platform) {
  MusicDevice& music = platform.Music();
  music.Stop();
  music.Close();
}

void KeepMusicLooping(Platform& platform) {
  MusicDevice& music = platform.Music();
  if (music.Mode().substr(0, 7) == "stopped") music.PlayFromStart();
}

void StartPlayMusic(GameContext& g) {
  GameState& s = g.s;
  if (s.Bgm[0].Enabled && s.Bgm[1].Enabled) {
    s.BgmIndex = static_cast<int16_t>(2.0 * g.random.Next());
  } else if (s.Bgm[0].Enabled) {
    s.BgmIndex = 0;
  } else if (s.Bgm[1].Enabled) {
    s.BgmIndex = 1;
  } else {
    return;
  }
  PlayMusic(g.platform, s.Bgm[s.BgmIndex].Path);
}

void StopMusicAndClearField(GameContext& g) {
  GameState& s = g.s;
  StopMusic(g.platform);
  s.InvincibleFrames = 0;
  for (int i = 0; i < PlayerShotCount; ++i) {
    s.PlayerShots[i].Active() = 0;
    s.Enemies[i].Life() = 0;
    s.Enemies[i].DX = 0;
    s.EnemyShotState[i] = 0;
  }
  for (int i = 0; i <= s.BossBombMax && i < BossBombCount; ++i) s.BossBombs[i].State = 0;
  for (int i = 0; i <= s.BossBulletMax && i < BossBulletCount; ++i) s.BossBullets[i].State = 0;
}

}  // namespace pelaryn
