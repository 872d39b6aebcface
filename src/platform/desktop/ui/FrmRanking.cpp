#include "platform/desktop/ui/FrmRanking.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "persist/Ranking.h"
#include "platform/desktop/ui/SurfaceImage.h"

namespace pelaryn {
namespace {

constexpr int RowHeight = 24;
constexpr int NameWidth = 130;

enum Column { Place, Name, Score, Combo, Ratio, ColumnCount };

struct ColumnStyle {
  const char* Header;  // object name of the header, or null
  const char* Caption;
  const char* Cell;
  QColor Colour;
  Qt::Alignment Align;
};

const std::array<ColumnStyle, ColumnCount>& Columns() {
  static const std::array<ColumnStyle, ColumnCount> columns{{
      {nullptr, "", "lblRankNum", QColor(0, 255, 255), Qt::AlignRight},
      {"lblName", QT_TRANSLATE_NOOP("pelaryn::FrmRanking", "名前"), "lblRankName",
       QColor(0, 255, 0), Qt::AlignLeft},
      {"lblScore", QT_TRANSLATE_NOOP("pelaryn::FrmRanking", "得点"), "lblRankScore",
       QColor(255, 255, 0), Qt::AlignRight},
      {"lblCombo", QT_TRANSLATE_NOOP("pelaryn::FrmRanking", "コンボ"), "lblRankCombo",
       QColor(255, 128, 0), Qt::AlignRight},
      {"lblSRatio", QT_TRANSLATE_NOOP("pelaryn::FrmRanking", "％"), "lblRankSRatio",
       QColor(255, 0, 0), Qt::AlignRight},
  }};
  return columns;
}

QLabel* NewCell(QWidget* parent, const QString& name, const QString& text, const ColumnStyle& style,
                const QFont& font) {
  auto* label = new QLabel(text, parent);
  // A name is whatever the player typed, "<b>" included: never markup.
  label->setTextFormat(Qt::PlainText);
  label->setObjectName(name);
  label->setFont(font);
  label->setFixedHeight(RowHeight);
  label->setAlignment(style.Align | Qt::AlignVCenter);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, style.Colour);
  label->setPalette(palette);
  return label;
}

}  // namespace

FrmRanking::FrmRanking(GameState& state, const Surface& logo, QWidget* owner,
                       OnlineRankingSetup online)
    : QDialog(owner), state_(state) {
  setObjectName(QStringLiteral("frmRanking"));
  setWindowTitle(tr("ヴェルガード"));
  setModal(true);

  auto* picture1 = new QFrame(this);
  picture1->setObjectName(QStringLiteral("Picture1"));
  picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  picture1->setAutoFillBackground(true);
  QPalette black = picture1->palette();
  black.setColor(QPalette::Window, Qt::black);
  picture1->setPalette(black);

  picRankLogo_ = new QLabel(picture1);
  picRankLogo_->setObjectName(QStringLiteral("picRankLogo"));
  picRankLogo_->setPixmap(ToPixmap(logo));
  picRankLogo_->setFixedSize(logo.Width(), logo.Height());
  // Blinking must not move the rows below.
  QSizePolicy keep = picRankLogo_->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  picRankLogo_->setSizePolicy(keep);

  QFont font(QStringLiteral("IPAPGothic"));
  font.setPointSize(11);
  font.setBold(true);

  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(0);
  grid->setHorizontalSpacing(12);
  for (int c = 0; c < ColumnCount; ++c) {
    const ColumnStyle& style = Columns()[c];
    if (style.Header) {
      grid->addWidget(
          NewCell(picture1, QString::fromLatin1(style.Header), tr(style.Caption), style, font), 0,
          c);
    }
    for (int i = 0; i < RankingCount; ++i) {
      const QString name = QStringLiteral("%1(%2)").arg(QString::fromLatin1(style.Cell)).arg(i);
      QLabel* cell =
          NewCell(picture1, name, c == Place ? QString::number(i + 1) : QString(), style, font);
      if (c == Name) cell->setFixedWidth(NameWidth);
      grid->addWidget(cell, i + 1, c);
      if (c != Place) cells_[i][c - 1] = cell;
    }
  }
  auto* panel = new QVBoxLayout(picture1);
  panel->setContentsMargins(12, 8, 12, 8);
  panel->addWidget(picRankLogo_, 0, Qt::AlignHCenter);
  panel->addSpacing(6);
  panel->addLayout(grid);

  auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  auto* cmdClear = new QPushButton(tr("初期化"), this);
  cmdClear->setObjectName(QStringLiteral("cmdClear"));
  cmdClear->setAutoDefault(false);
  for (QPushButton* b : {cmdOK, cmdClear}) b->setMinimumWidth(80);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(cmdClear, &QPushButton::clicked, this, [this] { CmdClearClick(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdClear);

  auto* tabs = new QTabWidget(this);
  tabs->setObjectName(QStringLiteral("tabRanking"));
  tabs->addTab(picture1, tr("ローカル"));
  auto* onlineTab = new OnlineRanking(std::move(online), tabs);
  onlineTab->setObjectName(QStringLiteral("tabOnline"));
  tabs->addTab(onlineTab, tr("オンライン"));
  connect(tabs, &QTabWidget::currentChanged, this,
          [tabs, onlineTab, cmdClear, asked = false]() mutable {
            // 初期化 is the local ranking's alone.
            cmdClear->setVisible(tabs->currentWidget() != onlineTab);
            if (asked || tabs->currentWidget() != onlineTab) return;
            asked = true;
            onlineTab->Reload();
          });
  connect(onlineTab, &OnlineRanking::Chosen, this,
          [this](std::shared_ptr<const Replay> replay, const QString& caption) {
            chosen_ = std::move(replay);
            chosenCaption_ = caption;
            accept();
          });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  connect(timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
  FormLoad();
}

void FrmRanking::FormLoad() {
  for (int i = 0; i < RankingCount; ++i) FillRow(i);
  timer1_->start(500);
}

void FrmRanking::FillRow(int i) {
  const RankEntry& entry = state_.Ranking[static_cast<std::size_t>(i)];
  std::array<QLabel*, 4>& row = cells_[static_cast<std::size_t>(i)];
  // Names have no length limit; a long one is cut short here rather than widening the window.
  const QString name = QString::fromStdString(entry.Name);
  row[0]->setText(row[0]->fontMetrics().elidedText(name, Qt::ElideRight, NameWidth));
  row[0]->setToolTip(name);
  row[1]->setText(QString::number(entry.Score));
  row[2]->setText(QString::number(entry.MaxCombo));
  row[3]->setText(QString::number(entry.ShotRatio));
}

void FrmRanking::Timer1Timer() {
  picRankLogo_->setHidden(!picRankLogo_->isHidden());
}

void FrmRanking::CmdClearClick() {
  QMessageBox box(QMessageBox::NoIcon, tr("ランキング初期化"),
                  tr("ランキングを初期化します。\nよろしいですか？"),
                  QMessageBox::Ok | QMessageBox::Cancel, this);
  if (box.exec() != QMessageBox::Ok) return;
  ResetRanking(state_);
  for (int i = 0; i < RankingCount; ++i) FillRow(i);
}

void FrmRanking::done(int result) {
  timer1_->stop();
  QDialog::done(result);
}

}  // namespace pelaryn
