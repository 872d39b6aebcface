#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/desktop/Preferences.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QTimer;

namespace pelaryn {

class KeyBox;

// What the window needs of the pad and the sound while it is open.
struct ControlsServices {
  std::function<bool()> PadConnected;
  std::function<std::string()> PadName;
  std::function<void(std::vector<std::string>&)> HeldButtons;
  // Music and effects at these percentages (and muted or not), at once, so the player hears
  // the sliders as they move.
  std::function<void(int music, int effects, bool muted)> PreviewVolumes;
  std::function<void()> PlaySampleEffect;
  // Asks the player for a soundfont file: its path, or "" when they cancelled.
  std::function<std::string(QWidget& owner)> ChooseSoundFont;
  // Whether a file is a soundfont at all, before the music tries it.
  std::function<bool(const std::string& path)> IsSoundFont;
};

// 操作とサウンド: the player's keys, pad buttons, loudness, window behaviour and score board. OK
// keeps the edits, キャンセル drops them all (the loudness heard returns to what it was),
// 初期値に戻す puts every choice of the window back to its default.
class FrmControls : public QDialog {
  Q_OBJECT

 public:
  FrmControls(const Preferences& prefs, ControlsServices services, QWidget* owner);

  // The choices as the window holds them now; what to keep once it closes with OK.
  const Preferences& Edited() const { return edited_; }

  // An address that is none keeps the window open, with a word why.
  void accept() override;
  void reject() override;

 private:
  void Show();
  void ShowPad();
  void WatchPad();
  void Note(const QString& text);
  void Preview();
  void ResetToDefaults();
  void PickSoundFont();

  const Preferences original_;
  Preferences edited_;
  ControlsServices services_;
  std::array<std::array<KeyBox*, KeysPerAction>, KeyActionCount> keyBoxes_{};
  KeyBox* padShot_ = nullptr;
  KeyBox* padSpread_ = nullptr;
  QLabel* padState_ = nullptr;
  QSlider* music_ = nullptr;
  QSlider* effects_ = nullptr;
  QLabel* musicValue_ = nullptr;
  QLabel* effectsValue_ = nullptr;
  QCheckBox* muted_ = nullptr;
  QLabel* soundFont_ = nullptr;
  QCheckBox* pauseOnFocusLoss_ = nullptr;
  QCheckBox* gentleFlash_ = nullptr;
  QComboBox* language_ = nullptr;
  QLineEdit* server_ = nullptr;
  QLineEdit* onlineName_ = nullptr;
  QCheckBox* submit_ = nullptr;
  QLabel* note_ = nullptr;
  QTimer* padTimer_ = nullptr;
  // The buttons already held when a pad box began to listen: only a new press binds.
  std::vector<std::string> heldBefore_;
  std::vector<std::string> held_;
};

}  // namespace pelaryn
