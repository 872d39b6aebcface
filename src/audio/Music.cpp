#include "audio/Music.h"

#include <vector>

#include "base/Paths.h"

namespace pelaryn {

void PlayMusic(Platform& platform, const std::string& path) {
  MusicDevice& music = platform.Music();
  music.Open(ResolveInProgramFolder(platform.ProgramFolder(), path));
  music.Play();
}

void KeepNamedMusic(Platform& platform, const GameState& s) {
  std::vector<std::string> paths;
  // The title first: it is the first asked for, and the one heard longest.
  for (const BgmEntry* entry : {&s.TitleBgm, &s.Bgm[0], &s.Bgm[1], &s.BossBgm[0], &s.BossBgm[1]}) {
    if (entry->Enabled)
      paths.push_back(ResolveInProgramFolder(platform.ProgramFolder(), entry->Path));
  }
  platform.Music().KeepOnly(paths);
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

void StartPlayMusic(CoreContext& g) {
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

void StopMusicAndClearField(CoreContext& g) {
  GameState& s = g.s;
  StopMusic(g.platform);
  s.InvincibleFrames = 0;
  for (Entity& shot : s.PlayerShots) shot.Active() = 0;
  for (Entity& enemy : s.Enemies) {
    enemy.Life() = 0;
    enemy.DX = 0;
  }
  for (int16_t& shotState : s.EnemyShotState) shotState = 0;
  // The highest slot in use comes from the difficulty and may lie beyond the table.
  for (int i = 0; i <= LastSlot(s.BossBombMax, BossBombCount); ++i) s.BossBombs[i].State = 0;
  for (int i = 0; i <= LastSlot(s.BossBulletMax, BossBulletCount); ++i) {
    s.BossBullets[i].State = 0;
  }
}

}  // namespace pelaryn
