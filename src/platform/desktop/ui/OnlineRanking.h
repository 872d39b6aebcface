#pragma once

#include <QSet>
#include <QString>
#include <QWidget>
#include <memory>

#include "replay/ReplayFile.h"

class QComboBox;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace pelaryn {

// What the online tab needs to know of the player.
struct OnlineRankingSetup {
  // The board's address; empty: the tab says so and never asks anything.
  QString Server;
  // The board's ids of this player's own runs, marked in the list.
  QSet<qint64> OwnRuns;
};

// The score board's ranking, a page of rows at a time. Every request is left to the event loop
// and answers by signal; only one is on its way at a time, and an answer that a newer request
// has overtaken is dropped. Names from the board go into table items as plain text.
class OnlineRanking : public QWidget {
  Q_OBJECT

 public:
  static constexpr int PageRows = 100;

  OnlineRanking(OnlineRankingSetup setup, QWidget* parent);

  // Asks for the list of boards, then the first page of the first one.
  void Reload();
  bool Busy() const { return pending_ != nullptr; }

 signals:
  // A request has been answered or has failed; the tab shows what came.
  void Answered();
  // A run's replay came and reads as one; `caption` names whose run and which place.
  void Chosen(std::shared_ptr<const pelaryn::Replay> replay, const QString& caption);

 private:
  enum class Asked { Boards, Page, Replay };

  void Request(const QString& path, Asked what);
  void Finished(QNetworkReply* reply, Asked what);
  void ShowBoards(const QByteArray& body);
  void ShowPage(const QByteArray& body);
  void ShowReplay(const QByteArray& body);
  void LoadPage(int page);
  void PlaySelected();
  void Fail(const QString& reason);
  void SyncButtons();

  OnlineRankingSetup setup_;
  QNetworkAccessManager* network_ = nullptr;
  // The request on its way, or null.
  QNetworkReply* pending_ = nullptr;
  QComboBox* boards_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* busy_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* reload_ = nullptr;
  QPushButton* play_ = nullptr;
  int page_ = 0;
  long long total_ = 0;
  // The row whose replay is on its way: its place and name make the playback's caption.
  QString playCaption_;
};

}  // namespace pelaryn
