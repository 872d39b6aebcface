// The player's keys and pad buttons: the binding rules in the controls-and-sound window, what the
// play field tells the game, the pad's button mask, and screenshots.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "base/Platform.h"
#include "platform/desktop/PlayField.h"
#include "platform/desktop/Screenshot.h"
#include "platform/desktop/ui/FrmControls.h"
#include "platform/desktop/ui/KeyBox.h"

namespace pelaryn {
namespace {

constexpr int kKeypad = Qt::KeypadModifier;

// Lets the window's timers run until `done` holds, for at most a few seconds of a busy machine.
template <typename Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 100 && !done(); ++i) QTest::qWait(30);
  return done();
}

KeyBox* Box(FrmControls& frm, const char* name) {
  auto* box = frm.findChild<KeyBox*>(QString::fromUtf8(name));
  EXPECT_NE(box, nullptr) << name;
  return box;
}

// Clicks the box and presses `key` in it.
void Press(FrmControls& frm, const char* box, Qt::Key key,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  KeyBox* target = Box(frm, box);
  target->setFocus();
  QTest::mouseClick(target, Qt::LeftButton);
  ASSERT_TRUE(target->Listening()) << box;
  QTest::keyClick(target, key, modifiers);
}

TEST(Controls, KeysBindSwapClearRefuseTheMenusKeysAndResetWhileCancelDropsEveryEdit) {
  Preferences prefs;
  prefs.MusicVolume = 80;
  std::vector<std::tuple<int, int, bool>> heard;
  int samples = 0;
  ControlsServices services;
  services.PreviewVolumes = [&](int music, int effects, bool muted) {
    heard.emplace_back(music, effects, muted);
  };
  services.PlaySampleEffect = [&] { ++samples; };
  std::string chosenFont;
  services.ChooseSoundFont = [&](QWidget&) { return chosenFont; };
  services.IsSoundFont = [](const std::string& path) { return path.ends_with(".sf2"); };
  FrmControls frm(prefs, services, nullptr);
  frm.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
  EXPECT_EQ(Box(frm, "keyShot1")->text(), QStringLiteral("Z"));
  // While it listens, the box's prompt is read whole.
  KeyBox* listening = Box(frm, "keyShot1");
  QTest::mouseClick(listening, Qt::LeftButton);
  EXPECT_GE(listening->width(), listening->fontMetrics().horizontalAdvance(listening->text()) + 8)
      << listening->text().toStdString();
  QTest::keyClick(listening, Qt::Key_Escape);
  EXPECT_EQ(Box(frm, "keyLeft2")->text(), QStringLiteral("テンキー 4"));

  // Bind: Space fires.
  Press(frm, "keyShot1", Qt::Key_Space);
  EXPECT_EQ(frm.Edited().Keys.At(KeyAction::Shot, 0), Qt::Key_Space);
  EXPECT_EQ(Box(frm, "keyShot1")->text(), QStringLiteral("スペース"));
  // Swap: the left arrow taken by 右 leaves 左 with 右's old key.
  Press(frm, "keyRight1", Qt::Key_Left);
  EXPECT_EQ(frm.Edited().Keys.At(KeyAction::Right, 0), Qt::Key_Left);
  EXPECT_EQ(frm.Edited().Keys.At(KeyAction::Left, 0), Qt::Key_Right);
  EXPECT_EQ(Box(frm, "keyLeft1")->text(), QStringLiteral("→"));
  // The keypad's 8 with NumLock off is the same key as with it on.
  Press(frm, "keyShot2", Qt::Key_Up, Qt::KeypadModifier);
  EXPECT_EQ(frm.Edited().Keys.At(KeyAction::Shot, 1), Qt::Key_8 | kKeypad);
  EXPECT_EQ(frm.Edited().Keys.At(KeyAction::Up, 1), 0);
  // Clear, and Esc leaves the box as it was.
  Press(frm, "keySpread1", Qt::Key_Backspace);
  EXPECT_EQ(frm.Edited().Keys.At(KeyAction::Spread, 0), 0);
  Press(frm, "keyDown1", Qt::Key_Escape);
  EXPECT_EQ(frm.Edited().Keys.At(KeyAction::Down, 0), Qt::Key_Down);
  EXPECT_FALSE(Box(frm, "keyDown1")->Listening());
  // The menu's keys are refused, with a word why.
  for (const Qt::Key key : {Qt::Key_F1, Qt::Key_F3, Qt::Key_F12, Qt::Key_M}) {
    Press(frm, "keyDown1", key);
    EXPECT_EQ(frm.Edited().Keys.At(KeyAction::Down, 0), Qt::Key_Down) << key;
    EXPECT_FALSE(frm.findChild<QLabel*>(QStringLiteral("lblNote"))->text().isEmpty());
  }
  // Enter in a listening box is a key, not OK.
  Press(frm, "keyDown1", Qt::Key_Return);
  EXPECT_TRUE(frm.isVisible());
  EXPECT_EQ(frm.Edited().Keys.At(KeyAction::Down, 0), Qt::Key_Return);

  // The sliders are heard at once; the effects slider plays an effect.
  frm.findChild<QSlider*>(QStringLiteral("sldEffects"))->setValue(50);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.back(), std::make_tuple(80, 50, false));
  EXPECT_EQ(samples, 1);
  EXPECT_EQ(frm.findChild<QLabel*>(QStringLiteral("lblPad"))->text(),
            QStringLiteral("パッドが見つかりません"));

  // A soundfont: cancelled, not one at all (said why, nothing changes), then one.
  auto* soundFont = frm.findChild<QLabel*>(QStringLiteral("lblSoundFont"));
  const QString ours = soundFont->text();
  auto* browse = frm.findChild<QPushButton*>(QStringLiteral("cmdSoundFont"));
  for (const char* path : {"", "/fonts/song.mid", "/fonts/mine.sf2"}) {
    chosenFont = path;
    QTest::mouseClick(browse, Qt::LeftButton);
  }
  EXPECT_EQ(frm.Edited().SoundFont, QStringLiteral("/fonts/mine.sf2"));
  EXPECT_EQ(soundFont->text(), QStringLiteral("mine.sf2"));
  chosenFont = "/fonts/song.mid";
  QTest::mouseClick(browse, Qt::LeftButton);
  EXPECT_EQ(frm.Edited().SoundFont, QStringLiteral("/fonts/mine.sf2"));
  EXPECT_TRUE(frm.findChild<QLabel*>(QStringLiteral("lblNote"))->text().contains("song.mid"));

  // 初期値に戻す: every choice of the window back to its default.
  frm.findChild<QCheckBox*>(QStringLiteral("chkGentleFlash"))->setChecked(true);
  QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("cmdDefaults")), Qt::LeftButton);
  EXPECT_EQ(frm.Edited(), Preferences());
  EXPECT_EQ(soundFont->text(), ours);
  EXPECT_EQ(heard.back(), std::make_tuple(100, 100, false));
  EXPECT_EQ(Box(frm, "keyShot1")->text(), QStringLiteral("Z"));

  // キャンセル: the loudness heard returns to what it was, and nothing is kept.
  Press(frm, "keyShot1", Qt::Key_A);
  QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
  EXPECT_EQ(frm.result(), QDialog::Rejected);
  EXPECT_EQ(frm.Edited(), prefs);
  EXPECT_EQ(heard.back(), std::make_tuple(80, 100, false));
}

TEST(Controls, APadButtonBindsOnANewPressAndTheTwoShotsSwap) {
  std::vector<std::string> held = {"x"};  // held before the box listens: not a choice
  bool connected = true;
  ControlsServices services;
  services.PadConnected = [&] { return connected; };
  services.PadName = [] { return std::string("Test Pad"); };
  services.HeldButtons = [&](std::vector<std::string>& out) { out = held; };
  FrmControls frm(Preferences(), services, nullptr);
  frm.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
  EXPECT_EQ(frm.findChild<QLabel*>(QStringLiteral("lblPad"))->text(), QStringLiteral("Test Pad"));
  QTest::mouseClick(Box(frm, "padShot"), Qt::LeftButton);
  QTest::qWait(60);
  EXPECT_TRUE(Box(frm, "padShot")->Listening());
  EXPECT_EQ(frm.Edited().Pad.Shot, "a");
  held = {"x", "b"};
  EXPECT_TRUE(WaitFor([&] { return !Box(frm, "padShot")->Listening(); }));
  EXPECT_EQ(frm.Edited().Pad.Shot, "b");
  EXPECT_EQ(frm.Edited().Pad.Spread, "a");
  EXPECT_EQ(Box(frm, "padSpread")->text(), QStringLiteral("A"));
  // Cleared with Backspace; a pad that goes away keeps its bindings.
  Box(frm, "padSpread")->setFocus();
  QTest::mouseClick(Box(frm, "padSpread"), Qt::LeftButton);
  QTest::keyClick(Box(frm, "padSpread"), Qt::Key_Backspace);
  EXPECT_EQ(frm.Edited().Pad.Spread, "");
  connected = false;
  EXPECT_TRUE(WaitFor([&] {
    return frm.findChild<QLabel*>(QStringLiteral("lblPad"))->text() ==
           QStringLiteral("パッドが見つかりません");
  }));
  EXPECT_EQ(frm.Edited().Pad.Shot, "b");
}

TEST(Controls, TheGameSeesItsOwnKeysForThePlayersKeysAndItsButtonsForThePlayersButtons) {
  PlayField field;
  KeyBindings keys = KeyBindings::Defaults();
  keys.Bind(KeyAction::Shot, 1, Qt::Key_Space);
  keys.Bind(KeyAction::Spread, 0, Qt::Key_Tab);
  field.SetKeyBindings(keys);
  field.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
  struct Step {
    bool press;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::vector<int> down;  // every virtual key held afterwards
  };
  const Step steps[] = {
      {true, Qt::Key_Z, Qt::NoModifier, {vk::Z}},
      {true, Qt::Key_Z, Qt::NoModifier, {vk::Z}},  // a press seen twice is still one key
      {true, Qt::Key_Space, Qt::NoModifier, {vk::Z}},
      {false, Qt::Key_Z, Qt::NoModifier, {vk::Z}},  // Space still holds the shot
      {false, Qt::Key_Space, Qt::NoModifier, {}},
      {true, Qt::Key_Tab, Qt::NoModifier, {vk::X}},
      {false, Qt::Key_Tab, Qt::NoModifier, {}},
      {true, Qt::Key_Left, Qt::KeypadModifier, {vk::Numpad4}},
      {false, Qt::Key_Left, Qt::KeypadModifier, {}},
      {true, Qt::Key_4, Qt::KeypadModifier, {vk::Numpad4}},
      {true, Qt::Key_Left, Qt::NoModifier, {vk::Numpad4, vk::Left}},
      {false, Qt::Key_4, Qt::KeypadModifier, {vk::Left}},
      {false, Qt::Key_Left, Qt::NoModifier, {}},
      {true, Qt::Key_X, Qt::NoModifier, {}},  // X gave up its place to Tab
      {true, Qt::Key_4, Qt::NoModifier, {}},  // the main row's 4 is no keypad key
  };
  const int all[] = {vk::Left, vk::Up,      vk::Right,   vk::Down,    vk::Z,
                     vk::X,    vk::Numpad2, vk::Numpad4, vk::Numpad6, vk::Numpad8};
  int n = 0;
  for (const Step& step : steps) {
    if (step.press) {
      QTest::keyPress(&field, step.key, step.modifiers);
    } else {
      QTest::keyRelease(&field, step.key, step.modifiers);
    }
    for (const int key : all) {
      const bool expected = std::find(step.down.begin(), step.down.end(), key) != step.down.end();
      EXPECT_EQ(field.KeyDown(key), expected) << "step " << n << " key " << key;
    }
    ++n;
  }
  // New bindings let go of every key held.
  QTest::keyPress(&field, Qt::Key_Z);
  field.SetKeyBindings(KeyBindings::Defaults());
  EXPECT_FALSE(field.KeyDown(vk::Z));

  // The pad: the chosen buttons fire; X and Y, bound to neither, hold the fire as ever.
  struct Pad {
    PadBindings bindings;
    std::vector<std::string> held;
    uint32_t buttons;
  };
  const Pad pads[] = {
      {{}, {"a"}, 1},
      {{}, {"b"}, 2},
      {{}, {"x", "y"}, 12},
      {{"rightshoulder", "a"}, {"a", "rightshoulder"}, 3},
      {{"rightshoulder", "a"}, {"b"}, 0},
      {{"x", "b"}, {"x"}, 1},
      {{"x", "y"}, {"x", "y"}, 3},
      {{"", ""}, {"a", "b"}, 0},
  };
  for (const Pad& pad : pads) {
    const uint32_t buttons = GameButtons(pad.bindings, [&](std::string_view name) {
      return std::find(pad.held.begin(), pad.held.end(), name) != pad.held.end();
    });
    EXPECT_EQ(buttons, pad.buttons) << pad.bindings.Shot << "/" << pad.bindings.Spread;
  }
  PadBindings swap;
  swap.BindSpread("a");
  EXPECT_EQ(swap, (PadBindings{"b", "a"}));
  EXPECT_TRUE(IsPadButtonName("button12"));
  EXPECT_FALSE(IsPadButtonName("button3"));
}

// Types `text` into a line as an input method commits it (kana too, which key clicks cannot).
void Type(QLineEdit* line, const QString& text) {
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QApplication::sendEvent(line, &commit);
}

TEST(Controls, TheOnlineChoicesAreKeptOnlyWithAnAddressThatIsOne) {
  struct Case {
    const char* address;
    bool kept;
  };
  const Case cases[] = {
      {"", true},
      {"http://127.0.0.1:8080", true},
      {"  https://board.example.org/pelaryn  ", true},
      {"127.0.0.1:8080", false},
      {"file:///etc/passwd", false},
      {"http://board.example.org/?x=<b>1</b>", false},
  };
  for (const Case& c : cases) {
    FrmControls frm(Preferences(), {}, nullptr);
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    // Nothing is sent and no board is named until the player says so.
    EXPECT_TRUE(frm.findChild<QLineEdit*>(QStringLiteral("txtServer"))->text().isEmpty());
    EXPECT_FALSE(frm.findChild<QCheckBox*>(QStringLiteral("chkSubmit"))->isChecked());
    Type(frm.findChild<QLineEdit*>(QStringLiteral("txtServer")), QString::fromUtf8(c.address));
    Type(frm.findChild<QLineEdit*>(QStringLiteral("txtOnlineName")), QStringLiteral(" 星の子 "));
    frm.findChild<QCheckBox*>(QStringLiteral("chkSubmit"))->setChecked(true);
    QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    auto* note = frm.findChild<QLabel*>(QStringLiteral("lblNote"));
    EXPECT_EQ(frm.result() == QDialog::Accepted, c.kept) << c.address;
    EXPECT_EQ(note->text().isEmpty(), c.kept) << c.address;
    // What the player typed is quoted as text.
    EXPECT_EQ(note->textFormat(), Qt::PlainText);
    if (!c.kept) continue;
    EXPECT_EQ(frm.Edited().OnlineServer, QString::fromUtf8(c.address).trimmed());
    EXPECT_EQ(frm.Edited().OnlineName, QStringLiteral("星の子"));
    EXPECT_TRUE(frm.Edited().OnlineSubmit);
  }
  // 初期値に戻す takes the board away too; the sentence on what is sent is always there.
  Preferences online;
  online.OnlineServer = QStringLiteral("http://127.0.0.1:8080");
  online.OnlineName = QStringLiteral("me");
  online.OnlineSubmit = true;
  FrmControls frm(online, {}, nullptr);
  EXPECT_EQ(frm.findChild<QLineEdit*>(QStringLiteral("txtServer"))->text(), online.OnlineServer);
  EXPECT_TRUE(frm.findChild<QCheckBox*>(QStringLiteral("chkSubmit"))->isChecked());
  EXPECT_FALSE(frm.findChild<QLabel*>(QStringLiteral("lblWhatIsSent"))->text().isEmpty());
  QTest::mouseClick(frm.findChild<QPushButton*>(QStringLiteral("cmdDefaults")), Qt::LeftButton);
  EXPECT_EQ(frm.Edited(), Preferences());
  EXPECT_TRUE(frm.findChild<QLineEdit*>(QStringLiteral("txtServer"))->text().isEmpty());
  EXPECT_FALSE(frm.findChild<QCheckBox*>(QStringLiteral("chkSubmit"))->isChecked());
}

TEST(Controls, AScreenshotIsTheFieldAtOneTimesAndAtTheWindowsScale) {
  QTemporaryDir folder;
  QImage field(300, 400, QImage::Format_RGB32);
  field.fill(Qt::black);
  field.setPixel(1, 2, qRgb(255, 0, 0));
  const QDateTime when(QDate(2026, 12, 8), QTime(12, 53, 0));
  const QString shots = folder.path() + QStringLiteral("/pelaryn");
  QString why;
  QStringList files = SaveScreenshot(field, 3, shots, when, why);
  ASSERT_EQ(files.size(), 2) << why.toStdString();
  EXPECT_EQ(files[0], shots + QStringLiteral("/pelaryn-2026-12-08-125300.png"));
  EXPECT_EQ(files[1], shots + QStringLiteral("/pelaryn-2026-12-08-125300-3x.png"));
  const QImage small(files[0]);
  const QImage big(files[1]);
  EXPECT_EQ(small.size(), QSize(300, 400));
  EXPECT_EQ(big.size(), QSize(900, 1200));
  EXPECT_EQ(small.pixel(1, 2), qRgb(255, 0, 0));
  for (const QPoint p : {QPoint(3, 6), QPoint(5, 8), QPoint(2, 6), QPoint(6, 6)}) {
    EXPECT_EQ(big.pixel(p), p.x() / 3 == 1 && p.y() / 3 == 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
  }
  // The same second again: a name of its own. At 1× there is one picture.
  files = SaveScreenshot(field, 1, shots, when, why);
  ASSERT_EQ(files.size(), 1);
  EXPECT_EQ(files[0], shots + QStringLiteral("/pelaryn-2026-12-08-125300-2.png"));
  // A file where the folder should be: nothing written, and why.
  QFile(folder.path() + QStringLiteral("/blocked")).open(QIODevice::WriteOnly);
  files = SaveScreenshot(field, 2, folder.path() + QStringLiteral("/blocked"), when, why);
  EXPECT_TRUE(files.isEmpty());
  EXPECT_FALSE(why.isEmpty());
  EXPECT_TRUE(SaveScreenshot(QImage(), 2, shots, when, why).isEmpty());
}

}  // namespace
}  // namespace pelaryn
