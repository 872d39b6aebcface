#pragma once

#include <QDialog>
#include <array>

#include "base/GameState.h"

class QLabel;
class QTimer;

namespace pelaryn {

class Surface;

// The ten-place ranking with its blinking logo. 初期化 resets the ranking in memory, after the
// player confirms; the file follows at the next save. Controls carry their names as object names
// ("lblRankScore(3)", "Timer1", …).
class FrmRanking : public QDialog {
  Q_OBJECT

 public:
  FrmRanking(GameState& state, const Surface& logo, QWidget* owner);

  void done(int result) override;

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
};

}  // namespace pelaryn
