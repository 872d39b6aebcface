#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "base/GameState.h"
#include "platform/desktop/ui/OnlineRanking.h"

class QLabel;
class QTimer;

namespace pelaryn {

class Surface;

// The ten-place ranking with its blinking logo. 初期化 resets the ranking in memory, after the
// player confirms; the file follows at the next save. Controls carry their names as object names
// ("lblRankScore(3)", "Timer1", …). A second tab shows the score board's ranking, asked for only
// once the tab is opened; a run chosen there to be played closes the window.
class FrmRanking : public QDialog {
  Q_OBJECT

 public:
  FrmRanking(GameState& state, const Surface& logo, QWidget* owner, OnlineRankingSetup online = {});

  void done(int result) override;
  // The board's run chosen to be played, and whose run at which place it is.
  const std::shared_ptr<const Replay>& Chosen() const { return chosen_; }
  const QString& ChosenCaption() const { return chosenCaption_; }

 private:
  void FormLoad();
  void FillRow(int i);
  void Timer1Timer();
  void CmdClearClick();

  GameState& state_;
  QLabel* picRankLogo_ = nullptr;
  QTimer* timer1_ = nullptr;
  // Per row: name, score, combo, ratio.
  std::array<std::array<QLabel*, 4>, RankingCount> cells_{};
  std::shared_ptr<const Replay> chosen_;
  QString chosenCaption_;
};

}  // namespace pelaryn
