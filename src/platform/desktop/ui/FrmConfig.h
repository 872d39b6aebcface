#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>

#include "platform/desktop/ui/FileDialog.h"

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace pelaryn {

class SettingsHost;

// The settings window. It is built from the current settings each time it opens; edits live in
// its controls until 更新 or OK copies them into the game. Controls carry their names as object
// names ("hscYoko", "chkKansei", …).
class FrmConfig : public QDialog {
  Q_OBJECT

 public:
  FrmConfig(SettingsHost& host, std::string programFolder, FileChooser chooser, QWidget* owner);

 private:
  // A slider and the number it stands for. A number from a hand-edited file outside the slider's
  // range puts the thumb at the nearest end but is itself kept, and shown, until the player moves
  // that slider or a reset button sets it.
  struct ValueBar {
    QScrollBar* Bar = nullptr;
    QLabel* Label = nullptr;
    std::optional<int> Held;
    void Load(int value);
    void Set(int value);
    int Value() const;
    void Show();
  };
  struct MusicRow {
    QLineEdit* Text = nullptr;
    QCheckBox* Check = nullptr;
  };

  QGroupBox* BuildBack();
  QGroupBox* BuildMusic();
  QGroupBox* BuildDiff();
  QGroupBox* BuildEtc();
  QScrollBar* NewBar(const char* name, std::string_view setting, int largeStep);
  QLabel* NewValueLabel(const char* name);
  struct RowNames {
    const char* Label;
    const char* Caption;
    const char* Text;
    const char* Check;
    const char* Browse;
    const char* Title;
  };
  MusicRow NewMusicRow(QGridLayout& grid, int line, const RowNames& names);

  void FormLoad();
  void CmdRenewClick();
  void CmdOKClick();
  void CmdCancelClick();
  void CmdDefoClick();
  void CmdNullClick();
  void CmdDiffResetClick();
  void CmdBGMResetClick();
  void ChkKanseiClick();
  void ChkGuririClick();
  void ChkJoyClick();
  void Browse(QLineEdit& text, std::string_view filter, const char* title);
  void Edited();

  SettingsHost& host_;
  std::string programFolder_;
  FileChooser chooser_;

  QLineEdit* txtBack_ = nullptr;
  QCheckBox* chkKansei_ = nullptr;
  QCheckBox* chkGuriguri_ = nullptr;
  ValueBar yoko_;
  ValueBar tate_;
  MusicRow title_;
  std::array<MusicRow, 2> bgm_{};
  std::array<MusicRow, 2> bgmBoss_{};
  ValueBar bossNumInt_;
  ValueBar bossSkip_;
  QCheckBox* chkTitleAnim_ = nullptr;
  QCheckBox* chkJoy_ = nullptr;
  ValueBar joySence_;
  QPushButton* cmdRenew_ = nullptr;
};

}  // namespace pelaryn
