#include "platform/desktop/ui/FrmControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/desktop/ui/KeyBox.h"

namespace pelaryn {
namespace {

constexpr std::array<const char*, KeyActionCount> kActionCaptions{
    QT_TRANSLATE_NOOP("pelaryn::FrmControls", "左"),
    QT_TRANSLATE_NOOP("pelaryn::FrmControls", "右"),
    QT_TRANSLATE_NOOP("pelaryn::FrmControls", "上"),
    QT_TRANSLATE_NOOP("pelaryn::FrmControls", "下"),
    QT_TRANSLATE_NOOP("pelaryn::FrmControls", "ショット"),
    QT_TRANSLATE_NOOP("pelaryn::FrmControls", "拡散ショット")};
constexpr std::array<const char*, KeyActionCount> kActionObjects{"Left", "Right", "Up",
                                                                 "Down", "Shot",  "Spread"};
// Often enough that a quick tap of a button is not missed.
constexpr int kPadPollMs = 15;
constexpr int kPadCheckMs = 500;

QString Percent(int value) {
  return QStringLiteral("%1 %").arg(value);
}

QSlider* VolumeSlider(const QString& name, QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setObjectName(name);
  slider->setRange(0, 100);
  slider->setSingleStep(5);
  slider->setPageStep(10);
  slider->setMinimumWidth(180);
  return slider;
}

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

FrmControls::FrmControls(const Preferences& prefs, ControlsServices services, QWidget* owner)
    : QDialog(owner), original_(prefs), edited_(prefs), services_(std::move(services)) {
  setWindowTitle(tr("操作とサウンド"));
  setObjectName(QStringLiteral("frmControls"));

  auto* keys = new QGroupBox(tr("キー"), this);
  auto* keyGrid = new QGridLayout(keys);
  for (std::size_t a = 0; a < KeyActionCount; ++a) {
    keyGrid->addWidget(new QLabel(tr(kActionCaptions[a]), keys), static_cast<int>(a), 0);
    for (std::size_t s = 0; s < KeysPerAction; ++s) {
      auto* box = new KeyBox(tr("キーを押してください"), keys);
      box->setObjectName(
          QStringLiteral("key%1%2").arg(QLatin1String(kActionObjects[a])).arg(s + 1));
      const auto action = static_cast<KeyAction>(a);
      const int slot = static_cast<int>(s);
      connect(box, &KeyBox::KeyChosen, this, [this, action, slot](KeyCode key) {
        edited_.Keys.Bind(action, slot, key);
        Note({});
        Show();
      });
      connect(box, &KeyBox::Cleared, this, [this, action, slot] {
        edited_.Keys.Clear(action, slot);
        Note({});
        Show();
      });
      connect(box, &KeyBox::Refused, this, [this](KeyCode key) {
        Note(tr("%1 はメニューのキーなので割り当てられません").arg(KeyDisplayName(key)));
      });
      keyGrid->addWidget(box, static_cast<int>(a), static_cast<int>(s) + 1);
      keyBoxes_[a][s] = box;
    }
  }
  keyGrid->setRowStretch(KeyActionCount, 1);

  auto* pad = new QGroupBox(tr("パッド"), this);
  auto* padGrid = new QGridLayout(pad);
  padShot_ = new KeyBox(tr("ボタンを押してください"), pad);
  padSpread_ = new KeyBox(tr("ボタンを押してください"), pad);
  padShot_->setObjectName(QStringLiteral("padShot"));
  padSpread_->setObjectName(QStringLiteral("padSpread"));
  padState_ = new QLabel(pad);
  padState_->setObjectName(QStringLiteral("lblPad"));
  padGrid->addWidget(new QLabel(tr("ショット"), pad), 0, 0);
  padGrid->addWidget(padShot_, 0, 1);
  padGrid->addWidget(new QLabel(tr("拡散ショット"), pad), 1, 0);
  padGrid->addWidget(padSpread_, 1, 1);
  padGrid->addWidget(padState_, 2, 0, 1, 2);
  for (KeyBox* box : {padShot_, padSpread_}) {
    connect(box, &KeyBox::ListeningChanged, this, [this](bool listening) {
      if (listening && services_.HeldButtons) services_.HeldButtons(heldBefore_);
      padTimer_->setInterval(listening ? kPadPollMs : kPadCheckMs);
    });
    connect(box, &KeyBox::Cleared, this, [this, box] {
      (box == padShot_ ? edited_.Pad.Shot : edited_.Pad.Spread).clear();
      Show();
    });
    connect(box, &KeyBox::Refused, this, [this] { Show(); });
    connect(box, &KeyBox::KeyChosen, this, [this] { Show(); });
  }

  auto* sound = new QGroupBox(tr("サウンド"), this);
  auto* soundGrid = new QGridLayout(sound);
  music_ = VolumeSlider(QStringLiteral("sldMusic"), sound);
  effects_ = VolumeSlider(QStringLiteral("sldEffects"), sound);
  musicValue_ = new QLabel(sound);
  effectsValue_ = new QLabel(sound);
  musicValue_->setMinimumWidth(44);
  musicValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  effectsValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  muted_ = new QCheckBox(tr("ミュート (M)"), sound);
  muted_->setObjectName(QStringLiteral("chkMuted"));
  soundGrid->addWidget(new QLabel(tr("ミュージック"), sound), 0, 0);
  soundGrid->addWidget(music_, 0, 1);
  soundGrid->addWidget(musicValue_, 0, 2);
  soundGrid->addWidget(new QLabel(tr("効果音"), sound), 1, 0);
  soundGrid->addWidget(effects_, 1, 1);
  soundGrid->addWidget(effectsValue_, 1, 2);
  soundGrid->addWidget(muted_, 2, 0, 1, 3);
  soundFont_ = new QLabel(sound);
  soundFont_->setObjectName(QStringLiteral("lblSoundFont"));
  auto* cmdSoundFont = new QPushButton(tr("参照…"), sound);
  cmdSoundFont->setObjectName(QStringLiteral("cmdSoundFont"));
  cmdSoundFont->setAutoDefault(false);
  auto* cmdGameSoundFont = new QPushButton(tr("標準に戻す"), sound);
  cmdGameSoundFont->setObjectName(QStringLiteral("cmdGameSoundFont"));
  cmdGameSoundFont->setAutoDefault(false);
  auto* soundFontButtons = new QHBoxLayout;
  soundFontButtons->addWidget(cmdSoundFont);
  soundFontButtons->addWidget(cmdGameSoundFont);
  soundFontButtons->addStretch(1);
  soundGrid->addWidget(new QLabel(tr("サウンドフォント"), sound), 3, 0);
  soundGrid->addWidget(soundFont_, 3, 1, 1, 2);
  soundGrid->addLayout(soundFontButtons, 4, 1, 1, 2);
  connect(cmdSoundFont, &QPushButton::clicked, this, &FrmControls::PickSoundFont);
  connect(cmdGameSoundFont, &QPushButton::clicked, this, [this] {
    edited_.SoundFont.clear();
    Note({});
    Show();
  });
  connect(music_, &QSlider::valueChanged, this, [this](int value) {
    edited_.MusicVolume = value;
    musicValue_->setText(Percent(value));
    Preview();
  });
  connect(effects_, &QSlider::valueChanged, this, [this](int value) {
    edited_.EffectVolume = value;
    effectsValue_->setText(Percent(value));
    Preview();
    // A drag is heard once, when it is let go; a key or a click on the track at once.
    if (!effects_->isSliderDown() && services_.PlaySampleEffect) services_.PlaySampleEffect();
  });
  connect(effects_, &QSlider::sliderReleased, this, [this] {
    if (services_.PlaySampleEffect) services_.PlaySampleEffect();
  });
  connect(muted_, &QCheckBox::toggled, this, [this](bool on) {
    edited_.Muted = on;
    Preview();
  });

  auto* window = new QGroupBox(tr("ウィンドウ"), this);
  auto* windowBox = new QVBoxLayout(window);
  pauseOnFocusLoss_ = new QCheckBox(tr("フォーカスを失ったら一時停止"), window);
  pauseOnFocusLoss_->setObjectName(QStringLiteral("chkPauseOnFocusLoss"));
  gentleFlash_ = new QCheckBox(tr("画面のフラッシュを弱める"), window);
  gentleFlash_->setObjectName(QStringLiteral("chkGentleFlash"));
  windowBox->addWidget(pauseOnFocusLoss_);
  windowBox->addWidget(gentleFlash_);
  // Each language named in itself, so that a player who cannot read the other finds their own.
  language_ = new QComboBox(window);
  language_->setObjectName(QStringLiteral("cboLanguage"));
  language_->addItem(tr("システムに従う"), static_cast<int>(LanguageChoice::System));
  language_->addItem(QStringLiteral("日本語"), static_cast<int>(LanguageChoice::Japanese));
  language_->addItem(QStringLiteral("English"), static_cast<int>(LanguageChoice::English));
  auto* languageLine = new QHBoxLayout;
  languageLine->addWidget(new QLabel(tr("言語"), window));
  languageLine->addWidget(language_, 1);
  windowBox->addLayout(languageLine);
  connect(language_, &QComboBox::currentIndexChanged, this, [this](int index) {
    edited_.Language = static_cast<LanguageChoice>(language_->itemData(index).toInt());
  });
  connect(pauseOnFocusLoss_, &QCheckBox::toggled, this,
          [this](bool on) { edited_.PauseOnFocusLoss = on; });
  connect(gentleFlash_, &QCheckBox::toggled, this, [this](bool on) { edited_.GentleFlash = on; });

  auto* online = new QGroupBox(tr("オンライン"), this);
  auto* onlineGrid = new QGridLayout(online);
  server_ = new QLineEdit(online);
  server_->setObjectName(QStringLiteral("txtServer"));
  server_->setPlaceholderText(QStringLiteral("http://127.0.0.1:8080"));
  onlineName_ = new QLineEdit(online);
  onlineName_->setObjectName(QStringLiteral("txtOnlineName"));
  onlineName_->setMaxLength(kOnlineNameLength);
  submit_ = new QCheckBox(tr("ゲームオーバーのたびに送信する"), online);
  submit_->setObjectName(QStringLiteral("chkSubmit"));
  // Said before the first run goes, since a replay tells more than a score.
  auto* whatIsSent = new QLabel(
      tr("送信されるのはゲームのリプレイです。リプレイには入力のすべて、設定 (自分で選んだ背景"
         "画像と音楽のファイルのパスを含む)、ローカルのランキングの名前とスコアが入っています。"
         "送ったリプレイはだれでもダウンロードできます。"),
      this);
  whatIsSent->setObjectName(QStringLiteral("lblWhatIsSent"));
  whatIsSent->setWordWrap(true);
  onlineGrid->addWidget(new QLabel(tr("サーバー"), online), 0, 0);
  onlineGrid->addWidget(server_, 0, 1);
  onlineGrid->addWidget(new QLabel(tr("名前"), online), 1, 0);
  onlineGrid->addWidget(onlineName_, 1, 1);
  onlineGrid->addWidget(submit_, 2, 0, 1, 2);
  connect(server_, &QLineEdit::textEdited, this, [this](const QString& text) {
    edited_.OnlineServer = text.trimmed();
    Note({});
  });
  connect(onlineName_, &QLineEdit::textEdited, this,
          [this](const QString& text) { edited_.OnlineName = text.trimmed(); });
  connect(submit_, &QCheckBox::toggled, this, [this](bool on) { edited_.OnlineSubmit = on; });

  auto* hint = new QLabel(
      tr("枠をクリックしてキーかボタンを押します。Esc: そのまま　Backspace: 解除"), this);
  hint->setWordWrap(true);
  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("lblNote"));
  // Notes quote what the player typed or chose: shown as it is, never as markup.
  note_->setTextFormat(Qt::PlainText);
  note_->setStyleSheet(QStringLiteral("color: #b00000"));

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* cmdDefaults = buttons->addButton(tr("初期値に戻す"), QDialogButtonBox::ResetRole);
  QPushButton* cmdOk = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  QPushButton* cmdCancel = buttons->addButton(tr("キャンセル"), QDialogButtonBox::RejectRole);
  cmdDefaults->setObjectName(QStringLiteral("cmdDefaults"));
  cmdOk->setObjectName(QStringLiteral("cmdOK"));
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  // Enter is OK, except in a listening box, which takes it as a key to bind; a focused button
  // does not take Enter over.
  cmdOk->setDefault(true);
  cmdCancel->setAutoDefault(false);
  cmdDefaults->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &FrmControls::reject);
  connect(cmdDefaults, &QPushButton::clicked, this, &FrmControls::ResetToDefaults);

  auto* columns = new QHBoxLayout;
  auto* right = new QVBoxLayout;
  right->addWidget(pad);
  right->addWidget(sound);
  right->addWidget(window);
  right->addWidget(online);
  right->addStretch(1);
  columns->addWidget(keys);
  columns->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  // Across the whole window, where it is read whole at any width.
  layout->addWidget(whatIsSent);
  layout->addWidget(hint);
  layout->addWidget(note_);
  layout->addWidget(buttons);

  padTimer_ = new QTimer(this);
  padTimer_->setInterval(kPadCheckMs);
  connect(padTimer_, &QTimer::timeout, this, &FrmControls::WatchPad);
  padTimer_->start();
  Show();
  ShowPad();
  keyBoxes_[0][0]->setFocus();
}

void FrmControls::Show() {
  for (std::size_t a = 0; a < KeyActionCount; ++a) {
    for (std::size_t s = 0; s < KeysPerAction; ++s) {
      keyBoxes_[a][s]->SetCaption(KeyDisplayName(edited_.Keys.Keys[a][s]));
    }
  }
  padShot_->SetCaption(Text(PadButtonDisplayName(edited_.Pad.Shot)));
  padSpread_->SetCaption(Text(PadButtonDisplayName(edited_.Pad.Spread)));
  const QSignalBlocker quietMusic(music_);
  const QSignalBlocker quietEffects(effects_);
  const QSignalBlocker quietMute(muted_);
  music_->setValue(edited_.MusicVolume);
  effects_->setValue(edited_.EffectVolume);
  musicValue_->setText(Percent(edited_.MusicVolume));
  effectsValue_->setText(Percent(edited_.EffectVolume));
  muted_->setChecked(edited_.Muted);
  // The file's name is what a player recognises; the whole path is a hover away.
  soundFont_->setText(edited_.SoundFont.isEmpty() ? tr("標準 (TimGM6mb)")
                                                  : QFileInfo(edited_.SoundFont).fileName());
  soundFont_->setToolTip(edited_.SoundFont);
  pauseOnFocusLoss_->setChecked(edited_.PauseOnFocusLoss);
  gentleFlash_->setChecked(edited_.GentleFlash);
  const QSignalBlocker quietLanguage(language_);
  language_->setCurrentIndex(language_->findData(static_cast<int>(edited_.Language)));
  if (server_->text().trimmed() != edited_.OnlineServer) server_->setText(edited_.OnlineServer);
  if (onlineName_->text().trimmed() != edited_.OnlineName) onlineName_->setText(edited_.OnlineName);
  const QSignalBlocker quietSubmit(submit_);
  submit_->setChecked(edited_.OnlineSubmit);
}

void FrmControls::ShowPad() {
  const bool there = services_.PadConnected && services_.PadConnected();
  const QString text = !there ? tr("パッドが見つかりません")
                              : Text(services_.PadName ? services_.PadName() : std::string());
  if (padState_->text() != text) padState_->setText(text);
}

void FrmControls::WatchPad() {
  ShowPad();
  KeyBox* listening =
      padShot_->Listening() ? padShot_ : (padSpread_->Listening() ? padSpread_ : nullptr);
  if (!listening || !services_.HeldButtons) return;
  services_.HeldButtons(held_);
  for (const std::string& button : held_) {
    if (std::find(heldBefore_.begin(), heldBefore_.end(), button) != heldBefore_.end()) continue;
    if (listening == padShot_) {
      edited_.Pad.BindShot(button);
    } else {
      edited_.Pad.BindSpread(button);
    }
    listening->StopListening();
    Show();
    return;
  }
  // A button let go may be pressed again to bind it.
  heldBefore_.erase(std::remove_if(heldBefore_.begin(), heldBefore_.end(),
                                   [this](const std::string& b) {
                                     return std::find(held_.begin(), held_.end(), b) == held_.end();
                                   }),
                    heldBefore_.end());
}

void FrmControls::Note(const QString& text) {
  note_->setText(text);
}

void FrmControls::Preview() {
  if (services_.PreviewVolumes) {
    services_.PreviewVolumes(edited_.MusicVolume, edited_.EffectVolume, edited_.Muted);
  }
}

void FrmControls::ResetToDefaults() {
  Preferences defaults;
  defaults.WindowSize = edited_.WindowSize;
  defaults.FullScreen = edited_.FullScreen;
  edited_ = defaults;
  Note({});
  Show();
  Preview();
}

void FrmControls::PickSoundFont() {
  if (!services_.ChooseSoundFont) return;
  const std::string path = services_.ChooseSoundFont(*this);
  if (path.empty()) return;
  if (services_.IsSoundFont && !services_.IsSoundFont(path)) {
    Note(tr("%1 はサウンドフォントではありません").arg(QFileInfo(Text(path)).fileName()));
    return;
  }
  edited_.SoundFont = Text(path);
  Note({});
  Show();
}

void FrmControls::accept() {
  if (!edited_.OnlineServer.isEmpty() && !IsBoardAddress(edited_.OnlineServer)) {
    Note(tr("%1 はサーバーのアドレスではありません (例: http://127.0.0.1:8080)")
             .arg(edited_.OnlineServer));
    server_->setFocus();
    return;
  }
  QDialog::accept();
}

void FrmControls::reject() {
  edited_ = original_;
  Preview();
  QDialog::reject();
}

}  // namespace pelaryn
