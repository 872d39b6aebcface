#include "platform/desktop/ui/OnlineRanking.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <nlohmann/json.hpp>

#include "platform/desktop/online/BoardAnswer.h"
#include "platform/desktop/ui/CoreTexts.h"

namespace pelaryn {
namespace {

// A page of a hundred rows is some tens of kilobytes; the board takes replays up to 1 MB.
constexpr qint64 kMaxListBytes = 1 << 20;
constexpr qint64 kMaxReplayBytes = 2 << 20;
constexpr int kTransferTimeoutMs = 30 * 1000;
constexpr int kFrameMs = 45;

enum Column { Mine, Place, Name, Score, Combo, Ratio, Level, Length, Played, ColumnCount };

const char* const kHeaders[ColumnCount] = {
    "",
    QT_TRANSLATE_NOOP("pelaryn::OnlineRanking", "順位"),
    QT_TRANSLATE_NOOP("pelaryn::OnlineRanking", "名前"),
    QT_TRANSLATE_NOOP("pelaryn::OnlineRanking", "得点"),
    QT_TRANSLATE_NOOP("pelaryn::OnlineRanking", "コンボ"),
    QT_TRANSLATE_NOOP("pelaryn::OnlineRanking", "％"),
    QT_TRANSLATE_NOOP("pelaryn::OnlineRanking", "レベル"),
    QT_TRANSLATE_NOOP("pelaryn::OnlineRanking", "時間"),
    QT_TRANSLATE_NOOP("pelaryn::OnlineRanking", "日付"),
};

long long Integer(const nlohmann::json& row, const char* key) {
  const auto it = row.find(key);
  return it != row.end() && it->is_number_integer() ? it->get<long long>() : 0;
}

QString Text(const nlohmann::json& row, const char* key) {
  const auto it = row.find(key);
  return it != row.end() && it->is_string() ? QString::fromStdString(it->get<std::string>())
                                            : QString();
}

QString GameLength(long long frames) {
  const long long seconds = std::max(0LL, frames) * kFrameMs / 1000;
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QTableWidgetItem* Cell(const QString& text, Qt::Alignment align) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(align | Qt::AlignVCenter);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}

}  // namespace

OnlineRanking::OnlineRanking(OnlineRankingSetup setup, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)), network_(new QNetworkAccessManager(this)) {
  boards_ = new QComboBox(this);
  boards_->setObjectName(QStringLiteral("cboBoard"));
  table_ = new QTableWidget(0, ColumnCount, this);
  table_->setObjectName(QStringLiteral("tblOnline"));
  QStringList headers;
  for (const char* header : kHeaders) headers << tr(header);
  table_->setHorizontalHeaderLabels(headers);
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Rows are chosen whole: Tab leaves the table for 再生 rather than walking its cells.
  table_->setTabKeyNavigation(false);
  // The name takes what the figures leave; the figures are as wide as they need to be.
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::ResizeToContents);
  header->setSectionResizeMode(Name, QHeaderView::Stretch);
  table_->setMinimumSize(560, 300);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("lblOnlineStatus"));
  // The reason for a failure may quote the server's words: never markup.
  status_->setTextFormat(Qt::PlainText);
  status_->setWordWrap(true);
  busy_ = new QProgressBar(this);
  busy_->setObjectName(QStringLiteral("prgOnline"));
  busy_->setRange(0, 0);
  busy_->setTextVisible(false);
  busy_->setMaximumWidth(120);
  busy_->hide();
  previous_ = new QPushButton(tr("前へ"), this);
  previous_->setObjectName(QStringLiteral("cmdPrevious"));
  next_ = new QPushButton(tr("次へ"), this);
  next_->setObjectName(QStringLiteral("cmdNext"));
  reload_ = new QPushButton(tr("更新"), this);
  reload_->setObjectName(QStringLiteral("cmdReload"));
  play_ = new QPushButton(tr("再生"), this);
  play_->setObjectName(QStringLiteral("cmdPlay"));
  for (QPushButton* b : {previous_, next_, reload_, play_}) b->setAutoDefault(false);

  auto* top = new QHBoxLayout;
  top->addWidget(boards_, 1);
  top->addWidget(busy_);
  top->addWidget(reload_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(previous_);
  bottom->addWidget(next_);
  bottom->addStretch();
  bottom->addWidget(play_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(table_, 1);
  layout->addWidget(status_);
  layout->addLayout(bottom);

  connect(reload_, &QPushButton::clicked, this, [this] { Reload(); });
  connect(previous_, &QPushButton::clicked, this, [this] { LoadPage(page_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { LoadPage(page_ + 1); });
  connect(play_, &QPushButton::clicked, this, [this] { PlaySelected(); });
  connect(boards_, &QComboBox::activated, this, [this] { LoadPage(0); });
  connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { SyncButtons(); });
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { PlaySelected(); });
  SyncButtons();
}

void OnlineRanking::Reload() {
  if (setup_.Server.isEmpty()) {
    status_->setText(
        tr("ボードのアドレスが設定されていません（設定 → 操作とサウンド… → オンライン）。"));
    SyncButtons();
    return;
  }
  Request(QStringLiteral("/api/v1/boards"), Asked::Boards);
}

void OnlineRanking::LoadPage(int page) {
  if (boards_->currentIndex() < 0 || page < 0) return;
  page_ = page;
  const QString board =
      QString::fromLatin1(QUrl::toPercentEncoding(boards_->currentData().toString()));
  Request(QStringLiteral("/api/v1/boards/%1?offset=%2&limit=%3")
              .arg(board)
              .arg(static_cast<long long>(page) * PageRows)
              .arg(PageRows),
          Asked::Page);
}

void OnlineRanking::PlaySelected() {
  const QList<QTableWidgetItem*> chosen = table_->selectedItems();
  if (chosen.isEmpty() || Busy()) return;
  const int row = chosen.front()->row();
  const qint64 id = table_->item(row, Place)->data(Qt::UserRole).toLongLong();
  playCaption_ = tr("オンライン %1位 %2")
                     .arg(table_->item(row, Place)->text(), table_->item(row, Name)->text());
  Request(QStringLiteral("/api/v1/runs/%1/replay").arg(id), Asked::Replay);
}

void OnlineRanking::Request(const QString& path, Asked what) {
  // A newer question makes the older one's answer worthless.
  if (QNetworkReply* old = pending_) {
    pending_ = nullptr;
    old->abort();
  }
  const qsizetype query = path.indexOf(QLatin1Char('?'));
  QUrl url = BoardUrl(setup_.Server, query < 0 ? path : path.left(query));
  if (query >= 0) url.setQuery(path.mid(query + 1));
  QNetworkRequest request(url);
  request.setTransferTimeout(kTransferTimeoutMs);
  QNetworkReply* reply = network_->get(request);
  pending_ = reply;
  const qint64 limit = what == Asked::Replay ? kMaxReplayBytes : kMaxListBytes;
  connect(reply, &QNetworkReply::downloadProgress, reply, [reply, limit](qint64 received, qint64) {
    if (received > limit) reply->abort();
  });
  connect(reply, &QNetworkReply::finished, this, [this, reply, what] { Finished(reply, what); });
  status_->setText(tr("読み込み中…"));
  busy_->show();
  SyncButtons();
}

void OnlineRanking::Finished(QNetworkReply* reply, Asked what) {
  reply->deleteLater();
  if (reply != pending_) return;
  pending_ = nullptr;
  busy_->hide();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QByteArray body = reply->read(what == Asked::Replay ? kMaxReplayBytes : kMaxListBytes);
  if (reply->error() == QNetworkReply::OperationCanceledError) {
    Fail(tr("ボードの答えが大きすぎます。"));
  } else if (status == 0) {
    Fail(tr("ボードに届きませんでした: %1").arg(reply->errorString()));
  } else if (status != 200) {
    const nlohmann::json json = nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
    QString reason = json.is_object() ? Text(json, "error") : QString();
    if (reason.isEmpty()) reason = QStringLiteral("HTTP %1").arg(status);
    Fail(tr("ボードが断りました: %1").arg(reason));
  } else if (what == Asked::Boards) {
    ShowBoards(body);
  } else if (what == Asked::Page) {
    ShowPage(body);
  } else {
    ShowReplay(body);
  }
  SyncButtons();
  emit Answered();
}

void OnlineRanking::ShowBoards(const QByteArray& body) {
  const nlohmann::json json = nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
  if (!json.is_object() || !json.contains("boards") || !json["boards"].is_array()) {
    Fail(tr("ボードの答えを読めませんでした。"));
    return;
  }
  const QString before = boards_->currentData().toString();
  boards_->clear();
  for (const nlohmann::json& board : json["boards"]) {
    if (!board.is_object()) continue;
    const QString name = Text(board, "board");
    if (name.isEmpty()) continue;
    boards_->addItem(tr("%1（%2件）").arg(name).arg(Integer(board, "runs")), name);
  }
  if (boards_->count() == 0) {
    table_->setRowCount(0);
    status_->setText(tr("ボードにはまだ記録がありません。"));
    return;
  }
  // The board looked at before stays chosen; the server lists the standard board first.
  boards_->setCurrentIndex(std::max(0, boards_->findData(before)));
  LoadPage(boards_->findData(before) >= 0 ? page_ : 0);
}

void OnlineRanking::ShowPage(const QByteArray& body) {
  const nlohmann::json json = nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
  if (!json.is_object() || !json.contains("rows") || !json["rows"].is_array()) {
    Fail(tr("ボードの答えを読めませんでした。"));
    return;
  }
  total_ = Integer(json, "total");
  const nlohmann::json& rows = json["rows"];
  table_->clearContents();
  table_->setRowCount(static_cast<int>(std::min<std::size_t>(rows.size(), PageRows)));
  for (int r = 0; r < table_->rowCount(); ++r) {
    const nlohmann::json& row = rows[static_cast<std::size_t>(r)];
    if (!row.is_object()) continue;
    const qint64 id = Integer(row, "id");
    const bool mine = setup_.OwnRuns.contains(id);
    const QDateTime played = QDateTime::fromSecsSinceEpoch(Integer(row, "played"));
    QTableWidgetItem* cells[ColumnCount] = {
        Cell(mine ? QStringLiteral("★") : QString(), Qt::AlignHCenter),
        Cell(QString::number(Integer(row, "rank")), Qt::AlignRight),
        Cell(Text(row, "name"), Qt::AlignLeft),
        Cell(QString::number(Integer(row, "score")), Qt::AlignRight),
        Cell(QString::number(Integer(row, "combo")), Qt::AlignRight),
        Cell(QString::number(Integer(row, "ratio")), Qt::AlignRight),
        Cell(QString::number(Integer(row, "level")), Qt::AlignRight),
        Cell(GameLength(Integer(row, "frames")), Qt::AlignRight),
        Cell(played.toString(QStringLiteral("yyyy-MM-dd HH:mm")), Qt::AlignLeft),
    };
    cells[Place]->setData(Qt::UserRole, id);
    for (int c = 0; c < ColumnCount; ++c) {
      if (mine) {
        QFont font = cells[c]->font();
        font.setBold(true);
        cells[c]->setFont(font);
      }
      table_->setItem(r, c, cells[c]);
    }
  }
  const long long first = static_cast<long long>(page_) * PageRows;
  status_->setText(
      total_ == 0
          ? tr("ボードにはまだ記録がありません。")
          : tr("%1–%2位 / %3件").arg(first + 1).arg(first + table_->rowCount()).arg(total_));
}

void OnlineRanking::ShowReplay(const QByteArray& body) {
  // The board's copy is read as any replay file is, and the game checks its version again.
  ReplayFault fault = ReplayFault::None;
  std::optional<Replay> replay = DecodeReplay(
      std::string_view(body.constData(), static_cast<std::size_t>(body.size())), fault);
  if (!replay) {
    Fail(tr("このリプレイは再生できません: %1").arg(ReplayFaultWords(fault)));
    return;
  }
  status_->clear();
  emit Chosen(std::make_shared<const Replay>(std::move(*replay)), playCaption_);
}

void OnlineRanking::Fail(const QString& reason) {
  status_->setText(reason);
}

void OnlineRanking::SyncButtons() {
  const bool idle = !Busy() && !setup_.Server.isEmpty();
  const bool listed = idle && boards_->currentIndex() >= 0;
  reload_->setEnabled(idle);
  boards_->setEnabled(listed);
  previous_->setEnabled(listed && page_ > 0);
  next_->setEnabled(listed && static_cast<long long>(page_ + 1) * PageRows < total_);
  play_->setEnabled(idle && !table_->selectedItems().isEmpty());
}

}  // namespace pelaryn
