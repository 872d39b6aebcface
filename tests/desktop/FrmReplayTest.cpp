// The replay window: its rows as the player reads them, 削除 only once confirmed, 再生 and a
// damaged file from ファイルを開く….

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>
#include <fstream>

#include "../ScratchPath.h"
#include "Modal.h"
#include "platform/desktop/ui/FrmReplay.h"
#include "replay/ReplayVerdict.h"

namespace pelaryn {
namespace {

namespace fs = std::filesystem;

std::shared_ptr<const Replay> Game(const std::string& name, ReplayEnding ending, uint32_t frames) {
  auto replay = std::make_shared<Replay>();
  replay->GameVersion = std::string(GameVersion());
  replay->Name = name;
  replay->Result = {ending, frames, 1234, 7, 56, 0};
  replay->Start.FramePeriod = 45;
  return replay;
}

TEST(FrmReplay, ListsPlacesAndRecentGamesDeletesOnConfirmationAndPlaysTheChosen) {
  const fs::path folder = testing::ScratchPath("frm-replay");
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::vector<ReplayFolder::Entry> entries = {
      {(folder / "a.pelrpy").string(), Game("ACE", ReplayEnding::GameOver, 1334), 0},
      {(folder / "b.pelrpy").string(), Game("", ReplayEnding::Reset, 80000), -1},
  };
  // Files cut short after the first bytes of a replay.
  for (const auto& entry : entries) std::ofstream(entry.Path) << "PELRPY";
  auto list = [&] {
    std::vector<ReplayFolder::Entry> present;
    for (const auto& entry : entries) {
      if (fs::exists(entry.Path)) present.push_back(entry);
    }
    return present;
  };
  std::string asked;
  FrmReplay window(
      list, [&](QWidget&) { return asked; }, nullptr);
  auto& table = testing::Child<QTableWidget>(window, "tblReplays");
  auto row = [&](int r) {
    QStringList cells;
    for (int c = 0; c < table.columnCount(); ++c) cells << table.item(r, c)->text();
    cells.removeLast();  // the date, in the machine's own zone
    return cells.join('|').toStdString();
  };
  ASSERT_EQ(table.rowCount(), 2);
  EXPECT_EQ(row(0), "1位|ACE|1234|7|56%|1:00");
  EXPECT_EQ(row(1), "最近||1234|7|—|60:00");  // no game over, no ratio

  // 削除 asks first: キャンセル keeps the file, OK removes it.
  table.selectRow(1);
  for (const auto answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
    testing::OnNextModal<QMessageBox>([answer](QMessageBox& box) { box.button(answer)->click(); });
    testing::Click(window, "cmdDelete");
  }
  EXPECT_FALSE(fs::exists(entries[1].Path));
  EXPECT_TRUE(fs::exists(entries[0].Path));
  ASSERT_EQ(table.rowCount(), 1);

  // A file that is no replay is named with its reason, and nothing is chosen.
  asked = (folder / "a.pelrpy").string();
  std::string shown;
  testing::OnNextModal<QMessageBox>([&](QMessageBox& box) {
    shown = box.text().toStdString();
    box.accept();
  });
  testing::Click(window, "cmdOpen");
  EXPECT_NE(shown.find("a.pelrpy"), std::string::npos);
  EXPECT_NE(shown.find(ReplayFaultText(ReplayFault::CutShort)), std::string::npos) << shown;
  EXPECT_EQ(window.Chosen(), nullptr);
  // A whole replay of another version of the game is refused with that reason.
  Replay other = *entries[0].Game;
  other.GameVersion = "0.1";
  other.BackgroundWidth = 320;
  other.BackgroundHeight = 480;
  uint32_t last = 0;
  ReplayEvent end;
  end.Frame = other.Result.Frames;
  AppendEvent(other.Input, last, end);
  other.Checkpoints.assign(other.Result.Frames / CheckpointEvery + 1, 0);
  std::ofstream(asked, std::ios::binary | std::ios::trunc) << EncodeReplay(other);
  testing::OnNextModal<QMessageBox>([&](QMessageBox& box) {
    shown = box.text().toStdString();
    box.accept();
  });
  testing::Click(window, "cmdOpen");
  EXPECT_NE(shown.find(OtherVersionText()), std::string::npos) << shown;
  EXPECT_EQ(window.Chosen(), nullptr);

  table.selectRow(0);
  testing::Click(window, "cmdPlay");
  EXPECT_EQ(window.Chosen(), entries[0].Game);
  EXPECT_EQ(window.result(), QDialog::Accepted);
  fs::remove_all(folder);
}

TEST(FrmReplay, SendIsOfferedOnlyWithABoardAndOnlyForAGameOver) {
  const std::vector<ReplayFolder::Entry> entries = {
      {"a.pelrpy", Game("ACE", ReplayEnding::GameOver, 1334), 0},
      {"b.pelrpy", Game("", ReplayEnding::Reset, 800), -1},
      {"c.pelrpy", Game("", ReplayEnding::Exit, 800), -1},
  };
  struct Case {
    bool board;
    int row;
    bool enabled;
  };
  const Case cases[] = {{false, 0, false}, {true, 0, true}, {true, 1, false}, {true, 2, false}};
  for (const Case& c : cases) {
    std::vector<const Replay*> sent;
    FrmReplay window([&] { return entries; }, [](QWidget&) { return std::string(); }, nullptr);
    if (c.board) window.SetSend([&](const Replay& replay) { sent.push_back(&replay); });
    testing::Child<QTableWidget>(window, "tblReplays").selectRow(c.row);
    auto& send = testing::Child<QPushButton>(window, "cmdSend");
    EXPECT_EQ(send.isEnabled(), c.enabled) << c.board << " " << c.row;
    if (!c.enabled) continue;
    testing::Click(window, "cmdSend");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], entries[static_cast<std::size_t>(c.row)].Game.get());
    // Sending leaves the window open to send or play another.
    EXPECT_EQ(window.result(), 0);
  }
}

}  // namespace
}  // namespace pelaryn
