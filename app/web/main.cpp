// pelaryn in the browser: the same game, on the page's canvas. Opened with ?test, the page plays
// the key script it is given instead of the keyboard and reports the game's fingerprints as the
// headless runner writes them (pelaryn-sim --hashes), so that a test can compare the two; and it
// reports whether a replay it played gave the recorded game.

#include <emscripten.h>

#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/Fingerprint.h"
#include "game/Game.h"
#include "platform/script/Scripts.h"
#include "platform/script/Settings.h"
#include "platform/script/StateJson.h"
#include "platform/web/Browser.h"
#include "platform/web/WebPlatform.h"
#include "render/Pictures.h"

namespace {

// The runner's bookkeeping for a run of keys and settings alone: Start as the title begins, the
// settings applied where the runner applies them, a fingerprint of the whole state every hundred
// frames and at the end; the run ends at the first game over.
void HookTest(pelaryn::WebPlatform& platform, pelaryn::Game& game) {
  const std::string folder = pelaryn::browser::TestValue("ProgramFolder");
  if (!folder.empty() && !platform.SetProgramFolder(folder)) {
    pelaryn::browser::TestReport("error cannot show the files under " + folder);
  }
  // A replay played to its end says whether it gave the recorded game, as pelaryn-sim does.
  game.OnPlaybackEnded = [&game](const pelaryn::ReplayVerdict& verdict) {
    pelaryn::browser::TestReport(
        verdict.Verified() ? "replay verified: " + std::to_string(game.Playing()->Result.Frames) +
                                 " frames, score " + std::to_string(game.Playing()->Result.Score)
                           : "replay " + pelaryn::DescribeVerdict(verdict));
  };
  const std::string script = pelaryn::browser::TestValue("Keys");
  if (script.empty()) return;
  std::string error;
  std::istringstream text(script);
  std::optional<pelaryn::KeyScript> keys = pelaryn::KeyScript::Parse(text, error);
  if (!keys) {
    pelaryn::browser::TestReport("error " + error);
    return;
  }
  platform.SetKeyScript(std::move(*keys), [&game] { return game.CurrentFrame(); });
  struct Run {
    uint64_t Frames = 0;
    bool GameOver = false;
    bool FirstStartUp = true;
    std::vector<std::pair<std::string, std::string>> Settings;
  };
  static Run run;
  std::istringstream settings(pelaryn::browser::TestValue("Settings"));
  for (std::string line; std::getline(settings, line);) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    run.Settings.emplace_back(line.substr(0, equals), line.substr(equals + 1));
  }
  auto apply = [](pelaryn::GameState& s, bool atGameStart) {
    for (const auto& [name, value] : run.Settings) {
      std::string why;
      if (pelaryn::IsGameStartValue(name) != atGameStart) continue;
      if (!pelaryn::ApplySetting(s, name, value, why)) pelaryn::browser::TestReport("error " + why);
    }
  };
  game.OnSettingsLoaded = [apply](pelaryn::GameState& s) {
    if (run.FirstStartUp) apply(s, false);
    run.FirstStartUp = false;
  };
  game.OnGameStarted = [apply](pelaryn::GameState& s) {
    run.GameOver = false;
    apply(s, true);
  };
  auto snapshot = [&platform, &game] {
    pelaryn::DumpExtras extras;
    extras.Frame = game.CurrentFrame();
    extras.RandomDraws = game.RandomSource().Draws();
    extras.GameOver = run.GameOver;
    extras.SoundRequests = &platform.CountedEffects().Requests();
    extras.Dialogs = &platform.NotedDialogs().Shown();
    return pelaryn::StateToJson(game.State(), extras);
  };
  auto endOfFrame = [snapshot] {
    if (++run.Frames % 100 != 0) return;
    const std::string json = snapshot();
    pelaryn::browser::TestReport(
        "state " + std::to_string(run.Frames) + ' ' +
        pelaryn::FingerprintHex(pelaryn::Fingerprint(json.data(), json.size())));
  };
  game.OnTitleStart = [&game] { game.MenuCommand(pelaryn::MenuId::Start); };
  platform.OnYield = [&game, endOfFrame] {
    if (!game.InTitle()) endOfFrame();
  };
  // The frame that ends in game over has no yield; it is counted here.
  game.OnGameOver = [&game, endOfFrame, snapshot] {
    run.GameOver = true;
    endOfFrame();
    const std::string json = snapshot();
    pelaryn::browser::TestReport(
        "final " + std::to_string(run.Frames) + ' ' +
        pelaryn::FingerprintHex(pelaryn::Fingerprint(json.data(), json.size())));
    game.RequestStop();
  };
}

// The page calls this as it is hidden or closed: a tab can go without notice, so the files are
// written then, as the desktop writes them when the program ends. It runs while the game waits,
// so it must not wait itself: a failure goes to the console, not to a window.
std::function<void()> savePageFiles;

// The page calls this once it has put the effects' files where the game reads them: they come
// after the title, which does not need them. It runs while the game waits, as the one above.
std::function<void()> loadEffects;

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void pelaryn_page_hidden() {
  if (savePageFiles) savePageFiles();
}

extern "C" EMSCRIPTEN_KEEPALIVE void pelaryn_effects_arrived() {
  if (loadEffects) loadEffects();
}

int main() {
  pelaryn::Pictures pictures;
  if (!pelaryn::LoadEmbeddedPictures(pictures)) return 1;
  pelaryn::WebPlatform platform(pictures);
  pelaryn::Game game(platform, pictures);
  platform.SetGame(game);
  savePageFiles = [&platform, &game] {
    platform.PageWindows().HoldWindows(true);
    game.SaveFiles();
    platform.PageWindows().HoldWindows(false);
  };
  if (pelaryn::browser::TestMode()) HookTest(platform, game);
  loadEffects = [&platform] { platform.LoadEffects(); };
  const int code = game.Run();
  savePageFiles = nullptr;
  loadEffects = nullptr;
  pelaryn::browser::Ended();
  return code;
}
