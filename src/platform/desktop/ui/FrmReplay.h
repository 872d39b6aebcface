#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop/ReplayFolder.h"

class QPushButton;
class QTableWidget;

namespace pelaryn {

// The replay window: the ranked replays by place, then the recent games, newest first. 再生
// closes it with the chosen replay; 削除 removes one after asking; ファイルを開く… plays any
// replay file; 送信 sends a game over's replay to the score board, when there is one.
class FrmReplay : public QDialog {
  Q_OBJECT

 public:
  // `list` gives the rows afresh (after a removal); `chooseFile` asks for a file to open ("" when
  // cancelled).
  FrmReplay(std::function<std::vector<ReplayFolder::Entry>()> list,
            std::function<std::string(QWidget&)> chooseFile, QWidget* owner);

  // What 送信 does with the chosen replay; without it (no board address) the button stays off.
  void SetSend(std::function<void(const Replay&)> send);

  // The replay to play once the window has closed; null when none was chosen.
  std::shared_ptr<const Replay> Chosen() const { return chosen_; }

 private:
  void Fill();
  void CmdPlayClick();
  void CmdDeleteClick();
  void CmdOpenClick();
  void CmdSendClick();
  // Only a game over can be ranked, so only its row may be sent.
  void ShowSendable();
  // False, after saying why, for a replay this version of the game does not play.
  bool Playable(const std::string& path, const Replay& replay);

  std::function<std::vector<ReplayFolder::Entry>()> list_;
  std::function<std::string(QWidget&)> chooseFile_;
  std::vector<ReplayFolder::Entry> entries_;
  QTableWidget* table_ = nullptr;
  QPushButton* cmdPlay_ = nullptr;
  QPushButton* cmdDelete_ = nullptr;
  QPushButton* cmdSend_ = nullptr;
  std::function<void(const Replay&)> send_;
  std::shared_ptr<const Replay> chosen_;
};

}  // namespace pelaryn
