#include "platform/desktop/ui/FrmReplay.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/desktop/ui/CoreTexts.h"
#include "platform/desktop/ui/OpenReplay.h"
#include "replay/ReplayShelf.h"
#include "replay/ReplayVerdict.h"

namespace pelaryn {

namespace {

QString Text(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

FrmReplay::FrmReplay(std::function<std::vector<ReplayFolder::Entry>()> list,
                     std::function<std::string(QWidget&)> chooseFile, QWidget* owner)
    : QDialog(owner), list_(std::move(list)), chooseFile_(std::move(chooseFile)) {
  setWindowTitle(tr("リプレイ"));
  setObjectName(QStringLiteral("frmReplay"));
  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("tblReplays"));
  table_->setColumnCount(7);
  table_->setHorizontalHeaderLabels(
      {tr("順位"), tr("名前"), tr("スコア"), tr("コンボ"), tr("撃墜率"), tr("長さ"), tr("日時")});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  connect(table_, &QTableWidget::cellDoubleClicked, this, &FrmReplay::CmdPlayClick);

  auto* buttons = new QDialogButtonBox(this);
  cmdPlay_ = buttons->addButton(tr("再生"), QDialogButtonBox::AcceptRole);
  cmdDelete_ = buttons->addButton(tr("削除"), QDialogButtonBox::ActionRole);
  cmdSend_ = buttons->addButton(tr("送信"), QDialogButtonBox::ActionRole);
  cmdSend_->setObjectName(QStringLiteral("cmdSend"));
  cmdSend_->setEnabled(false);
  QPushButton* cmdOpen = buttons->addButton(tr("ファイルを開く…"), QDialogButtonBox::ActionRole);
  QPushButton* cmdClose = buttons->addButton(tr("閉じる"), QDialogButtonBox::RejectRole);
  cmdPlay_->setObjectName(QStringLiteral("cmdPlay"));
  cmdDelete_->setObjectName(QStringLiteral("cmdDelete"));
  cmdOpen->setObjectName(QStringLiteral("cmdOpen"));
  cmdClose->setObjectName(QStringLiteral("cmdClose"));
  // The buttons do their own work; the box must not close the window on its roles.
  disconnect(buttons, nullptr, this, nullptr);
  connect(cmdPlay_, &QPushButton::clicked, this, &FrmReplay::CmdPlayClick);
  connect(cmdDelete_, &QPushButton::clicked, this, &FrmReplay::CmdDeleteClick);
  connect(cmdOpen, &QPushButton::clicked, this, &FrmReplay::CmdOpenClick);
  connect(cmdSend_, &QPushButton::clicked, this, &FrmReplay::CmdSendClick);
  connect(table_, &QTableWidget::currentCellChanged, this, &FrmReplay::ShowSendable);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  resize(620, 420);
  Fill();
}

void FrmReplay::Fill() {
  entries_ = list_();
  table_->setRowCount(static_cast<int>(entries_.size()));
  for (int row = 0; row < static_cast<int>(entries_.size()); ++row) {
    const ReplayFolder::Entry& entry = entries_[static_cast<std::size_t>(row)];
    const Replay& r = *entry.Game;
    const QString played =
        QDateTime::fromSecsSinceEpoch(r.PlayedAt).toLocalTime().toString("yyyy-MM-dd HH:mm");
    const QString cells[] = {
        entry.Place >= 0 ? tr("%1位").arg(entry.Place + 1) : tr("最近"), Text(r.Name),
        QString::number(r.Result.Score), QString::number(r.Result.MaxCombo),
        // Only a game over works out the ratio.
        r.Result.Ending == ReplayEnding::GameOver ? QStringLiteral("%1%").arg(r.Result.ShotRatio)
                                                  : QStringLiteral("—"),
        Text(PlayLength(r.Result.Frames, r.Start.FramePeriod)), played};
    for (int column = 0; column < 7; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      if (column >= 2 && column <= 5) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(row, column, item);
    }
  }
  table_->resizeColumnsToContents();
  if (!entries_.empty()) table_->selectRow(0);
  cmdPlay_->setEnabled(!entries_.empty());
  cmdDelete_->setEnabled(!entries_.empty());
  ShowSendable();
}

void FrmReplay::SetSend(std::function<void(const Replay&)> send) {
  send_ = std::move(send);
  ShowSendable();
}

void FrmReplay::ShowSendable() {
  const int row = table_->currentRow();
  cmdSend_->setEnabled(send_ && row >= 0 && row < static_cast<int>(entries_.size()) &&
                       entries_[static_cast<std::size_t>(row)].Game->Result.Ending ==
                           ReplayEnding::GameOver);
}

void FrmReplay::CmdSendClick() {
  const int row = table_->currentRow();
  if (!send_ || row < 0 || row >= static_cast<int>(entries_.size())) return;
  send_(*entries_[static_cast<std::size_t>(row)].Game);
}

void FrmReplay::CmdPlayClick() {
  const int row = table_->currentRow();
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  const ReplayFolder::Entry& entry = entries_[static_cast<std::size_t>(row)];
  if (!Playable(entry.Path, *entry.Game)) return;
  chosen_ = entry.Game;
  accept();
}

bool FrmReplay::Playable(const std::string& path, const Replay& replay) {
  if (!CheckGameVersion(replay).Refused()) return true;
  QMessageBox::warning(this, tr("リプレイ"),
                       tr("%1 は再生できません。\n%2").arg(Text(path), OtherVersionWords()));
  return false;
}

void FrmReplay::CmdDeleteClick() {
  const int row = table_->currentRow();
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  const auto answer =
      QMessageBox::question(this, tr("リプレイ"), tr("このリプレイを削除しますか？"),
                            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
  if (answer != QMessageBox::Ok) return;
  ReplayFolder::Remove(entries_[static_cast<std::size_t>(row)].Path);
  Fill();
}

void FrmReplay::CmdOpenClick() {
  const std::string path = chooseFile_(*this);
  if (path.empty()) return;
  std::string why;
  std::shared_ptr<const Replay> read = ReadReplay(path, why);
  if (!read) {
    QMessageBox::warning(this, tr("リプレイ"),
                         tr("%1 は再生できません。\n%2").arg(Text(path), Text(why)));
    return;
  }
  if (!Playable(path, *read)) return;
  chosen_ = std::move(read);
  accept();
}

}  // namespace pelaryn
