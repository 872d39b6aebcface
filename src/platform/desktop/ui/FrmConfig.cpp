#include "platform/desktop/ui/FrmConfig.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <initializer_list>
#include <tuple>

#include "base/GameState.h"
#include "base/Paths.h"
#include "base/Platform.h"
#include "persist/SettingsTable.h"

namespace pelaryn {
namespace {

constexpr std::string_view PictureFilter =
    QT_TRANSLATE_NOOP("FrmConfig", "画像ファイル(*.bmp,*.jpg,*.gif)|*.bmp;*.jpg;*.gif;*.png");
constexpr std::string_view MidiFilter = QT_TRANSLATE_NOOP("FrmConfig", "MIDIファイル(*.mid)|*.mid");

const SettingInfo& Setting(std::string_view name) {
  return *FindSetting(name);
}

std::string DefaultPath(std::string_view name, const std::string& folder) {
  return DefaultSettingPath(Setting(name), folder);
}

// Any state but unticked counts as ticked.
bool Ticked(const QCheckBox* box) {
  return box->checkState() != Qt::Unchecked;
}

// Every caption of the window is marked where it is written and worded here, in the language
// the windows speak.
QString Text(const char* utf8) {
  return QCoreApplication::translate("FrmConfig", utf8);
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* caption) {
  auto* label = new QLabel(Text(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(Text(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

QPushButton* NewBrowseButton(QWidget* parent, const char* name) {
  QPushButton* button = NewButton(parent, name, "..");
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 12);
  return button;
}

QCheckBox* NewCheck(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(Text(caption), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

QLineEdit* NewPath(QWidget* parent, const char* name) {
  auto* text = new QLineEdit(parent);
  text->setObjectName(QString::fromLatin1(name));
  text->setMinimumWidth(text->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 18);
  return text;
}

void AddRight(QGridLayout* grid, int row, int columns, std::initializer_list<QWidget*> widgets) {
  auto* line = new QHBoxLayout;
  line->addStretch();
  for (QWidget* w : widgets) line->addWidget(w);
  grid->addLayout(line, row, 0, 1, columns);
}

}  // namespace

void FrmConfig::ValueBar::Load(int value) {
  Bar->setValue(value);
  Held.reset();
  if (Bar->value() != value) Held = value;
  Show();
}

void FrmConfig::ValueBar::Set(int value) {
  Held.reset();
  Bar->setValue(value);
  Show();
}

int FrmConfig::ValueBar::Value() const {
  return Held ? *Held : Bar->value();
}

void FrmConfig::ValueBar::Show() {
  if (Label) Label->setText(QString::number(Value()));
}

FrmConfig::FrmConfig(SettingsHost& host, std::string programFolder, FileChooser chooser,
                     QWidget* owner)
    : QDialog(owner),
      host_(host),
      programFolder_(std::move(programFolder)),
      chooser_(std::move(chooser)) {
  setObjectName(QStringLiteral("frmConfig"));
  setWindowTitle(Text(QT_TRANSLATE_NOOP("FrmConfig", "設定")));
  setModal(true);

  auto* frames = new QGridLayout;
  frames->addWidget(BuildBack(), 0, 0);
  frames->addWidget(BuildMusic(), 0, 1);
  frames->addWidget(BuildDiff(), 1, 0);
  frames->addWidget(BuildEtc(), 1, 1);

  QPushButton* cmdOK = NewButton(this, "cmdOK", "OK");
  cmdRenew_ = NewButton(this, "cmdRenew", QT_TRANSLATE_NOOP("FrmConfig", "更新"));
  QPushButton* cmdCancel = NewButton(this, "cmdCancel", QT_TRANSLATE_NOOP("FrmConfig", "取り消し"));
  for (QPushButton* b : {cmdOK, cmdRenew_, cmdCancel}) b->setMinimumWidth(80);
  connect(cmdOK, &QPushButton::clicked, this, [this] { CmdOKClick(); });
  connect(cmdRenew_, &QPushButton::clicked, this, [this] { CmdRenewClick(); });
  connect(cmdCancel, &QPushButton::clicked, this, [this] { CmdCancelClick(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdRenew_);
  buttons->addWidget(cmdCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(frames);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  FormLoad();
}

QScrollBar* FrmConfig::NewBar(const char* name, std::string_view setting, int largeStep) {
  auto* bar = new QScrollBar(Qt::Horizontal, this);
  bar->setObjectName(QString::fromLatin1(name));
  const SettingInfo& info = Setting(setting);
  bar->setRange(info.Min, info.Max);
  bar->setPageStep(largeStep);
  bar->setMinimumWidth(140);
  return bar;
}

QLabel* FrmConfig::NewValueLabel(const char* name) {
  QLabel* label = NewLabel(this, name, "0");
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-00000")));
  return label;
}

QGroupBox* FrmConfig::BuildBack() {
  auto* frame = new QGroupBox(Text(QT_TRANSLATE_NOOP("FrmConfig", "背景の設定")), this);
  frame->setObjectName(QStringLiteral("fraBack"));
  auto* grid = new QGridLayout(frame);
  txtBack_ = NewPath(frame, "txtBack");
  QPushButton* cmdOpen = NewBrowseButton(frame, "cmdOpen");
  grid->addWidget(NewLabel(frame, "Label1", QT_TRANSLATE_NOOP("FrmConfig", "背景画像")), 0, 0);
  grid->addWidget(txtBack_, 0, 1, 1, 2);
  grid->addWidget(cmdOpen, 0, 3);

  chkKansei_ = NewCheck(frame, "chkKansei", QT_TRANSLATE_NOOP("FrmConfig", "慣性"));
  chkGuriguri_ = NewCheck(frame, "chkGuriguri", QT_TRANSLATE_NOOP("FrmConfig", "ぐりぐり"));
  auto* options = new QHBoxLayout;
  options->addWidget(chkKansei_);
  options->addWidget(chkGuriguri_);
  options->addStretch();
  grid->addWidget(NewLabel(frame, "Label4", QT_TRANSLATE_NOOP("FrmConfig", "スクロール速度")), 1,
                  0);
  grid->addLayout(options, 1, 1, 1, 3);

  // The speeds change their numbers only once the thumb is let go.
  yoko_ = {NewBar("hscYoko", "BackSetting.ScrollYoko", 5), NewValueLabel("lblYoko"), {}};
  tate_ = {NewBar("hscTate", "BackSetting.ScrollTate", 5), NewValueLabel("lblTate"), {}};
  int row = 2;
  for (auto [bar, caption, name] :
       {std::tuple{&yoko_, QT_TRANSLATE_NOOP("FrmConfig", "横"), "Label3"},
        std::tuple{&tate_, QT_TRANSLATE_NOOP("FrmConfig", "縦"), "Label2"}}) {
    bar->Bar->setTracking(false);
    grid->addWidget(NewLabel(frame, name, caption), row, 0, Qt::AlignRight);
    grid->addWidget(bar->Bar, row, 1, 1, 2);
    grid->addWidget(bar->Label, row, 3);
    connect(bar->Bar, &QScrollBar::valueChanged, this, [this, bar] {
      bar->Held.reset();
      bar->Show();
      Edited();
    });
    ++row;
  }
  QPushButton* cmdNull = NewButton(frame, "cmdNull", QT_TRANSLATE_NOOP("FrmConfig", "背景なし"));
  QPushButton* cmdDefo = NewButton(frame, "cmdDefo", QT_TRANSLATE_NOOP("FrmConfig", "リセット"));
  AddRight(grid, row, 4, {cmdNull, cmdDefo});

  connect(txtBack_, &QLineEdit::textEdited, this, [this] { Edited(); });
  connect(cmdOpen, &QPushButton::clicked, this, [this] {
    Browse(*txtBack_, PictureFilter, QT_TRANSLATE_NOOP("FrmConfig", "背景のオープン"));
  });
  connect(chkKansei_, &QCheckBox::toggled, this, [this] { ChkKanseiClick(); });
  connect(chkGuriguri_, &QCheckBox::toggled, this, [this] { ChkGuririClick(); });
  connect(cmdNull, &QPushButton::clicked, this, [this] { CmdNullClick(); });
  connect(cmdDefo, &QPushButton::clicked, this, [this] { CmdDefoClick(); });
  return frame;
}

FrmConfig::MusicRow FrmConfig::NewMusicRow(QGridLayout& grid, int line, const RowNames& names) {
  QWidget* frame = grid.parentWidget();
  MusicRow row{NewPath(frame, names.Text), NewCheck(frame, names.Check, "")};
  QPushButton* browse = NewBrowseButton(frame, names.Browse);
  grid.addWidget(NewLabel(frame, names.Label, names.Caption), line, 0);
  grid.addWidget(row.Text, line, 1);
  grid.addWidget(row.Check, line, 2);
  grid.addWidget(browse, line, 3);
  connect(row.Text, &QLineEdit::textEdited, this, [this] { Edited(); });
  connect(row.Check, &QCheckBox::toggled, this, [this, row] {
    row.Text->setEnabled(Ticked(row.Check));
    Edited();
  });
  connect(browse, &QPushButton::clicked, this,
          [this, row, title = names.Title] { Browse(*row.Text, MidiFilter, title); });
  return row;
}

QGroupBox* FrmConfig::BuildMusic() {
  auto* frame = new QGroupBox(Text(QT_TRANSLATE_NOOP("FrmConfig", "BGMの設定")), this);
  frame->setObjectName(QStringLiteral("fraMusic"));
  auto* grid = new QGridLayout(frame);
  title_ = NewMusicRow(
      *grid, 0,
      {"Label5", QT_TRANSLATE_NOOP("FrmConfig", "タイトル"), "txtBGMTitle", "chkBGMTitle",
       "cmdBGM_T", QT_TRANSLATE_NOOP("FrmConfig", "タイトルBGMのオープン")});
  bgm_[0] =
      NewMusicRow(*grid, 1,
                  {"Label6", QT_TRANSLATE_NOOP("FrmConfig", "BGM1"), "txtBGM(0)", "chkBGM1(0)",
                   "cmdBGM(0)", QT_TRANSLATE_NOOP("FrmConfig", "BGMのオープン")});
  bgm_[1] =
      NewMusicRow(*grid, 2,
                  {"Label7", QT_TRANSLATE_NOOP("FrmConfig", "BGM2"), "txtBGM(1)", "chkBGM1(1)",
                   "cmdBGM(1)", QT_TRANSLATE_NOOP("FrmConfig", "BGMのオープン")});
  bgmBoss_[0] = NewMusicRow(
      *grid, 3,
      {"Label8(0)", QT_TRANSLATE_NOOP("FrmConfig", "ボス(太陽)"), "txtBGMBoss(0)", "chkBGMBoss(0)",
       "cmdBGMBoss(0)", QT_TRANSLATE_NOOP("FrmConfig", "ボス戦BGMのオープン")});
  bgmBoss_[1] = NewMusicRow(
      *grid, 4,
      {"Label8(1)", QT_TRANSLATE_NOOP("FrmConfig", "ボス(月)"), "txtBGMBoss(1)", "chkBGMBoss(1)",
       "cmdBGMBoss(1)", QT_TRANSLATE_NOOP("FrmConfig", "ボス戦BGMのオープン")});
  QPushButton* reset = NewButton(frame, "cmdBGMReset", QT_TRANSLATE_NOOP("FrmConfig", "リセット"));
  AddRight(grid, 5, 4, {reset});
  connect(reset, &QPushButton::clicked, this, [this] { CmdBGMResetClick(); });
  return frame;
}

QGroupBox* FrmConfig::BuildDiff() {
  auto* frame = new QGroupBox(Text(QT_TRANSLATE_NOOP("FrmConfig", "難易度設定")), this);
  frame->setObjectName(QStringLiteral("fraDiff"));
  auto* grid = new QGridLayout(frame);
  // These numbers follow the thumb while it is dragged.
  bossNumInt_ = {
      NewBar("hscBossNumInt", "InitialDifficulty", 10), NewValueLabel("lblBossNumInt"), {}};
  bossSkip_ = {NewBar("hscBossSkip", "DifficultySkip", 2), NewValueLabel("lblBossSkip"), {}};
  int row = 0;
  for (auto [bar, caption, name] :
       {std::tuple{&bossNumInt_, QT_TRANSLATE_NOOP("FrmConfig", "初期難易度"), "Label10"},
        std::tuple{&bossSkip_, QT_TRANSLATE_NOOP("FrmConfig", "難易度スキップ"), "Label9"}}) {
    grid->addWidget(NewLabel(frame, name, caption), row, 0);
    grid->addWidget(bar->Bar, row, 1);
    grid->addWidget(bar->Label, row, 2);
    connect(bar->Bar, &QScrollBar::valueChanged, this, [this, bar] {
      bar->Held.reset();
      bar->Show();
      Edited();
    });
    ++row;
  }
  QPushButton* reset = NewButton(frame, "cmdDiffReset", QT_TRANSLATE_NOOP("FrmConfig", "リセット"));
  AddRight(grid, row, 3, {reset});
  grid->setRowStretch(row + 1, 1);
  connect(reset, &QPushButton::clicked, this, [this] { CmdDiffResetClick(); });
  return frame;
}

QGroupBox* FrmConfig::BuildEtc() {
  auto* frame = new QGroupBox(Text(QT_TRANSLATE_NOOP("FrmConfig", "その他")), this);
  frame->setObjectName(QStringLiteral("fraETC"));
  auto* grid = new QGridLayout(frame);
  chkTitleAnim_ = NewCheck(frame, "chkTitleAnim", QT_TRANSLATE_NOOP("FrmConfig", "タイトルアニメ"));
  chkJoy_ = NewCheck(frame, "chkJoy", QT_TRANSLATE_NOOP("FrmConfig", "ジョイスティックを使う"));
  joySence_ = {NewBar("hscJoySence", "JoySensitivity", 2000), nullptr, {}};
  joySence_.Bar->setSingleStep(500);
  grid->addWidget(chkTitleAnim_, 0, 0, 1, 4);
  grid->addWidget(chkJoy_, 1, 0, 1, 4);
  grid->addWidget(NewLabel(frame, "Label11", QT_TRANSLATE_NOOP("FrmConfig", "感度")), 2, 0);
  grid->addWidget(NewLabel(frame, "Label12", QT_TRANSLATE_NOOP("FrmConfig", "高")), 2, 1);
  grid->addWidget(joySence_.Bar, 2, 2);
  grid->addWidget(NewLabel(frame, "Label13", QT_TRANSLATE_NOOP("FrmConfig", "低")), 2, 3);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(3, 1);
  connect(chkTitleAnim_, &QCheckBox::toggled, this, [this] { Edited(); });
  connect(chkJoy_, &QCheckBox::toggled, this, [this] { ChkJoyClick(); });
  connect(joySence_.Bar, &QScrollBar::valueChanged, this, [this] {
    joySence_.Held.reset();
    Edited();
  });
  return frame;
}

void FrmConfig::FormLoad() {
  const GameState& s = host_.Settings();
  txtBack_->setText(QString::fromStdString(s.BackSetting.BackImagePath));
  yoko_.Load(s.BackSetting.ScrollYoko);
  tate_.Load(s.BackSetting.ScrollTate);
  if (s.BackSetting.Guriguri) chkGuriguri_->setChecked(true);
  if (s.BackSetting.Kansei) chkKansei_->setChecked(true);
  const auto load = [](MusicRow& row, const BgmEntry& entry) {
    row.Text->setText(QString::fromStdString(entry.Path));
    row.Text->setEnabled(entry.Enabled);
    row.Check->setChecked(entry.Enabled);
  };
  for (std::size_t i = 0; i < 2; ++i) {
    load(bgm_[i], s.Bgm[i]);
    load(bgmBoss_[i], s.BossBgm[i]);
  }
  load(title_, s.TitleBgm);
  bossNumInt_.Load(s.InitialDifficulty);
  bossSkip_.Load(s.DifficultySkip);
  chkJoy_->setChecked(s.UseJoystick);
  ChkJoyClick();
  joySence_.Load(s.JoySensitivity);
  chkTitleAnim_->setChecked(s.TitleAnimation);
  cmdRenew_->setEnabled(false);
}

void FrmConfig::Edited() {
  cmdRenew_->setEnabled(true);
}

void FrmConfig::ChkKanseiClick() {
  const bool ticked = Ticked(chkKansei_);
  if (ticked) chkGuriguri_->setChecked(false);
  yoko_.Bar->setEnabled(!ticked);
  tate_.Bar->setEnabled(!ticked);
  Edited();
}

// Both options drive the scroll speeds themselves, so they exclude each other and lock the
// sliders while either is on.
void FrmConfig::ChkGuririClick() {
  const bool ticked = Ticked(chkGuriguri_);
  if (ticked) chkKansei_->setChecked(false);
  yoko_.Bar->setEnabled(!ticked);
  tate_.Bar->setEnabled(!ticked);
  Edited();
}

void FrmConfig::ChkJoyClick() {
  joySence_.Bar->setEnabled(Ticked(chkJoy_));
  Edited();
}

void FrmConfig::CmdDefoClick() {
  yoko_.Set(Setting("BackSetting.ScrollYoko").DefaultNumber);
  tate_.Set(Setting("BackSetting.ScrollTate").DefaultNumber);
  txtBack_->setText(
      QString::fromStdString(DefaultPath("BackSetting.BackImagePath", programFolder_)));
  chkGuriguri_->setChecked(false);
  chkKansei_->setChecked(false);
  Edited();
}

void FrmConfig::CmdNullClick() {
  txtBack_->clear();
  chkGuriguri_->setChecked(false);
  Edited();
}

void FrmConfig::CmdDiffResetClick() {
  bossNumInt_.Set(Setting("InitialDifficulty").DefaultNumber);
  bossSkip_.Set(Setting("DifficultySkip").DefaultNumber);
  Edited();
}

void FrmConfig::CmdBGMResetClick() {
  const auto reset = [this](MusicRow& row, std::string_view setting) {
    row.Text->setText(QString::fromStdString(DefaultPath(setting, programFolder_)));
    row.Check->setChecked(true);
  };
  reset(bgm_[0], "Bgm(0).Path");
  reset(bgm_[1], "Bgm(1).Path");
  reset(bgmBoss_[0], "BossBgm(0).Path");
  reset(bgmBoss_[1], "BossBgm(1).Path");
  reset(title_, "TitleBgm.Path");
  Edited();
}

void FrmConfig::CmdRenewClick() {
  cmdRenew_->setEnabled(false);
  GameState& s = host_.Settings();
  s.BackSetting.BackImagePath = txtBack_->text().toStdString();
  s.BackSetting.ScrollTate = static_cast<int16_t>(tate_.Value());
  s.BackSetting.ScrollYoko = static_cast<int16_t>(yoko_.Value());
  s.BackSetting.Guriguri = Ticked(chkGuriguri_);
  s.BackSetting.Kansei = Ticked(chkKansei_);
  // Offsets back to the corner, the picture reloaded and enlarged to the field, at once.
  host_.ReloadBackground();
  const auto store = [](const MusicRow& row, BgmEntry& entry) {
    entry.Path = row.Text->text().toStdString();
    entry.Enabled = Ticked(row.Check);
  };
  for (std::size_t i = 0; i < 2; ++i) {
    store(bgm_[i], s.Bgm[i]);
    store(bgmBoss_[i], s.BossBgm[i]);
  }
  store(title_, s.TitleBgm);
  s.InitialDifficulty = static_cast<int16_t>(bossNumInt_.Value());
  s.DifficultySkip = static_cast<int16_t>(bossSkip_.Value());
  s.UseJoystick = Ticked(chkJoy_);
  s.JoySensitivity = static_cast<int16_t>(joySence_.Value());
  s.TitleAnimation = Ticked(chkTitleAnim_);
}

void FrmConfig::CmdOKClick() {
  CmdRenewClick();
  CmdCancelClick();
}

// Qt's chooser leaves the working directory alone (and the game never depends on it), so closing
// has nothing to restore.
void FrmConfig::CmdCancelClick() {
  reject();
}

void FrmConfig::Browse(QLineEdit& text, std::string_view filter, const char* title) {
  const std::string initialDir =
      ResolveInProgramFolder(programFolder_, DirectoryOf(text.text().toStdString()));
  const std::string chosen = chooser_(*this, Text(title).toStdString(),
                                      Text(std::string(filter).c_str()).toStdString(), initialDir);
  if (chosen.empty()) return;
  text.setText(QString::fromStdString(chosen));
  Edited();
}

}  // namespace pelaryn
