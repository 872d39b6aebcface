#include "platform/desktop/DesktopMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include "audio/SoundEffects.h"
#include "game/Game.h"
#include "platform/desktop/DesktopPlatform.h"
#include "platform/desktop/MainWindow.h"
#include "platform/desktop/PieceRenderer.h"
#include "platform/desktop/PlayField.h"
#include "platform/desktop/Preferences.h"
#include "platform/desktop/ReplayFolder.h"
#include "platform/desktop/SdlAudio.h"
#include "platform/desktop/SdlJoystick.h"
#include "platform/desktop/online/BoardClient.h"
#include "platform/desktop/online/OwnRuns.h"
#include "platform/desktop/ui/DesktopDialogs.h"
#include "platform/desktop/ui/FileDialog.h"
#include "platform/desktop/ui/FrmControls.h"
#include "platform/desktop/ui/FrmReplay.h"
#include "platform/desktop/ui/OpenReplay.h"
#include "render/Pictures.h"

namespace pelaryn {

namespace {

std::string ReplaysIn(const std::string& folder) {
  return folder.empty() ? std::string() : folder + "/replays";
}

QString OutboxIn(const std::string& folder) {
  return folder.empty() ? QString() : QString::fromStdString(ReplaysIn(folder) + "/outbox");
}

// The replay named on the command line (`pelaryn FILE`), if any: the first argument that is
// not an option.
QString ReplayArgument() {
  const QStringList args = QCoreApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (!args[i].startsWith(QLatin1Char('-'))) return args[i];
  }
  return {};
}

// A replay chosen while a game is under way ends that game only if the player agrees.
bool AskToEndGame(MainWindow& window) {
  return QMessageBox::question(
             &window, QCoreApplication::translate("DesktopMain", "リプレイ"),
             QCoreApplication::translate("DesktopMain", "ゲームを終了してリプレイを再生しますか？"),
             QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Ok;
}

// Every game is recorded; each kept beside the settings and ranking until it is neither among
// the latest games nor behind a ranking row. The replay window plays them.
void ConnectReplays(Game& game, MainWindow& window, DesktopPlatform& platform, ReplayFolder& folder,
                    BoardClient& board) {
  game.OnReplayRecorded = [&game, &window, &platform, &folder, &board](const Replay& replay) {
    std::string error;
    if (!folder.Keep(replay, game.State().Ranking, error)) {
      platform.DesktopWindows().ReportError(
          QCoreApplication::translate("DesktopMain", "リプレイを保存できませんでした: %1")
              .arg(QString::fromStdString(error)));
    }
    // Only a game over is ranked; a reset or a closed window would only be refused.
    if (window.Prefs().OnlineSubmit && replay.Result.Ending == ReplayEnding::GameOver) {
      const std::string bytes = EncodeReplay(replay);
      board.Submit(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
  };
  platform.DesktopWindows().AfterRanking = [&folder](const GameState& state) {
    folder.Prune(state.Ranking);
  };
  platform.DesktopWindows().OnlineSetup = [&window] {
    OnlineRankingSetup setup;
    setup.Server = window.Prefs().OnlineServer;
    for (const qint64 id : ReadOwnRuns(PreferencesPath())) setup.OwnRuns.insert(id);
    return setup;
  };
  // A board's run plays as a replay the player opened.
  platform.DesktopWindows().PlayOnline = [&game, &window](std::shared_ptr<const Replay> replay,
                                                          const QString& caption) {
    if (game.Playing()) return;
    if (!game.InTitle() && game.CurrentFrame() > 0 && !AskToEndGame(window)) return;
    window.SetPlaybackCaption(replay, caption);
    game.PlayReplay(std::move(replay));
  };
  window.OnReplayWindow = [&game, &window, &folder, &board] {
    if (game.Playing()) return;
    FrmReplay frm([&] { return folder.List(game.State().Ranking); },
                  [](QWidget& owner) {
                    return ShowOpenFileDialog(
                        owner,
                        QCoreApplication::translate("DesktopMain", "リプレイを開く").toStdString(),
                        QCoreApplication::translate(
                            "DesktopMain", "リプレイ (*.pelrpy)|*.pelrpy|すべてのファイル|*")
                            .toStdString(),
                        "");
                  },
                  &window);
    // The board's answer shows in the title, as after a game over.
    if (!window.Prefs().OnlineServer.isEmpty()) {
      frm.SetSend([&board](const Replay& replay) {
        const std::string bytes = EncodeReplay(replay);
        board.Submit(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
      });
    }
    frm.exec();
    const std::shared_ptr<const Replay> chosen = frm.Chosen();
    if (!chosen) return;
    if (!game.InTitle() && game.CurrentFrame() > 0 && !AskToEndGame(window)) return;
    game.PlayReplay(chosen);
  };
}

void WarnSoundFontFailed(MainWindow& window, const QString& soundFont) {
  QMessageBox::warning(
      &window, QCoreApplication::translate("DesktopMain", "サウンドフォント"),
      QCoreApplication::translate(
          "DesktopMain",
          "サウンドフォント %1 を読み込めませんでした。標準のサウンドフォントで再生します。")
          .arg(soundFont));
}

// The soundfont loads while the title is up; a player's soundfont that did not is said once it
// is known, without holding the start-up for it.
void WatchSoundFontLoading(MainWindow& window, DesktopPlatform& platform) {
  auto* watch = new QTimer(&window);
  QObject::connect(watch, &QTimer::timeout, &window, [watch, &window, &platform] {
    if (!platform.Audio().LoadingDone()) return;
    watch->deleteLater();
    platform.Audio().FinishLoading();
    if (platform.Audio().ChosenSoundFontFailed()) {
      WarnSoundFontFailed(window, window.Prefs().SoundFont);
    }
  });
  watch->start(200);
}

// The player's own choices reach the sound, the pad and the picture here; the keys the window
// applies itself. The controls-and-sound window edits them.
void ConnectPreferences(Game& game, MainWindow& window, DesktopPlatform& platform,
                        BoardClient& board) {
  window.OnPreferencesApplied = [&game, &window, &platform, &board](const Preferences& prefs) {
    board.SetServer(prefs.OnlineServer, prefs.OnlineName);
    platform.Audio().SetVolumes(prefs.Muted ? 0 : prefs.MusicVolume,
                                prefs.Muted ? 0 : prefs.EffectVolume);
    if (!platform.Audio().UseSoundFont(prefs.SoundFont.toStdString())) {
      WarnSoundFontFailed(window, prefs.SoundFont);
    }
    platform.Joystick().SetBindings(prefs.Pad);
    game.SetGentleFlash(prefs.GentleFlash);
    game.SetEnglishLabels(window.WindowLanguage() == Language::English);
    platform.DesktopWindows().SetEnglishPictures(window.WindowLanguage() == Language::English);
  };
  window.OnControlsWindow = [&window, &platform] {
    ControlsServices services;
    services.PadConnected = [&platform] { return platform.Joystick().Connected(); };
    services.PadName = [&platform] { return platform.Joystick().Name(); };
    services.HeldButtons = [&platform](std::vector<std::string>& out) {
      platform.Joystick().HeldButtons(out);
    };
    services.PreviewVolumes = [&platform](int music, int effects, bool muted) {
      platform.Audio().SetVolumes(muted ? 0 : music, muted ? 0 : effects);
    };
    services.PlaySampleEffect = [&platform] {
      platform.Audio().Sound().Play(sound::GetItem, true);
    };
    services.ChooseSoundFont = [](QWidget& owner) {
      return ShowOpenFileDialog(
          owner, QCoreApplication::translate("DesktopMain", "サウンドフォントを開く").toStdString(),
          QCoreApplication::translate(
              "DesktopMain", "サウンドフォント (*.sf2;*.sf3)|*.sf2;*.sf3|すべてのファイル|*")
              .toStdString(),
          "/usr/share/sounds");
    };
    services.IsSoundFont = [](const std::string& path) { return IsSoundFontFile(path); };
    FrmControls frm(window.Prefs(), std::move(services), &window);
    window.Field().ReleaseAllKeys();
    if (frm.exec() == QDialog::Accepted) window.SetPrefs(frm.Edited());
  };
}

}  // namespace

int RunDesktopGame(int argc, char** argv, const std::function<void(Game&)>& prepare) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("pelaryn"));
  // No display name: the platform would append it to every window's title, after the main
  // window's own "ヴェルガード — 一時停止中" and the manual's "ヴェルガード 説明書" alike. Each
  // window names the game itself where it should.

  // Until the preferences name another language, the game's own.
  QApplication::setFont(WindowFont(Language::Japanese));

  Pictures pictures;
  if (!LoadEmbeddedPictures(pictures)) return 1;

  MainWindow window;
  // The soundfont starts loading with the platform, before the window reads the rest.
  const QString soundFont = ReadPreferences(PreferencesPath(), QSize(), QSize()).SoundFont;
  DesktopPlatform platform(window, pictures, soundFont.toStdString());
  Game game(platform, pictures);
  const ProgramLayout& layout = platform.Layout();
  ReplayFolder replays(ReplaysIn(layout.SaveFolder), ReplaysIn(layout.SaveFallback));
  // Runs on their way to the score board wait beside the replays, in the folder that takes them.
  BoardClient board(Outbox({OutboxIn(layout.SaveFolder), OutboxIn(layout.SaveFallback)}));
  QObject::connect(&board, &BoardClient::Settled, &window, [&window](const SubmitOutcome& outcome) {
    window.ShowNote(OutcomeNote(outcome));
    // The board's id of the player's own run, so that its ranking can mark it.
    if (outcome.What == SubmitOutcome::Kind::Ranked ||
        outcome.What == SubmitOutcome::Kind::Duplicate) {
      RememberOwnRun(PreferencesPath(), outcome.Id);
    }
  });
  ConnectReplays(game, window, platform, replays, board);
  ConnectPreferences(game, window, platform, board);
  if (prepare) prepare(game);
  window.Attach(game);
  window.ShowAsPreferred(PreferencesPath());
  window.activateWindow();
  window.Field().setFocus();
  // A picture painted before the window system has put the window on screen waits for the next
  // turn of events, a whole frame later; so the first frame is drawn once the window is there.
  // The timer wakes the wait should the window never be shown (a minimised start).
  QTimer wake;
  wake.start(10);
  QElapsedTimer waited;
  waited.start();
  while (!window.windowHandle()->isExposed() && waited.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
  }
  wake.stop();
  window.ApplyPreferredFullScreen();
  WatchSoundFontLoading(window, platform);
  // What could not be sent last time goes now, in the background.
  board.SendOutbox();
  if (const QString file = ReplayArgument(); !file.isEmpty()) {
    std::string why;
    if (std::shared_ptr<const Replay> replay = ReadReplay(file.toStdString(), why)) {
      game.PlayReplay(std::move(replay));
    } else {
      QMessageBox::warning(&window, QCoreApplication::translate("DesktopMain", "リプレイ"),
                           QCoreApplication::translate("DesktopMain", "%1 は再生できません。\n%2")
                               .arg(file, QString::fromStdString(why)));
    }
  }
  const int code = game.Run();
  window.SavePreferences();
  return code;
}

}  // namespace pelaryn
