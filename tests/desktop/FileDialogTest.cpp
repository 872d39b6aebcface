// The pieces behind the browse buttons: the starting folder, the filter in Qt's form, and the
// real chooser with its title, filter, folder and must-exist rule.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <fstream>

#include "Modal.h"
#include "platform/desktop/ui/FileDialog.h"

namespace pelaryn {
namespace {

TEST(FileDialog, DirectoryOfTakesTheFolderPart) {
  EXPECT_EQ(DirectoryOf("C:\\GAME\\sound\\1.mid"), "C:\\GAME\\sound");
  EXPECT_EQ(DirectoryOf("C:\\1.mid"), "C:");
  EXPECT_EQ(DirectoryOf("D:1.mid"), "D:\\");
  EXPECT_EQ(DirectoryOf("a\\1.mid"), "a\\");
  EXPECT_EQ(DirectoryOf("1.mid"), "");
  EXPECT_EQ(DirectoryOf(""), "");

  EXPECT_EQ(DirectoryOf("/home/pat/music/1.mid"), "/home/pat/music");
  EXPECT_EQ(DirectoryOf("sound/1.mid"), "sound");
  EXPECT_EQ(DirectoryOf("a/1.mid"), "a/");
  EXPECT_EQ(DirectoryOf("/1.mid"), "/");
  EXPECT_EQ(DirectoryOf("/music/"), "/music");
  EXPECT_EQ(DirectoryOf("C:\\x/y\\z.mid"), "C:\\x/y");  // the last separator of either kind
  EXPECT_EQ(DirectoryOf("/ab:c/d.mid"), "/ab:c");       // a colon inside a folder name
}

TEST(FileDialog, TrimAtNullStopsAtTheFirstNul) {
  using namespace std::string_literals;
  EXPECT_EQ(TrimAtNull("/a/b.mid\0\0\0junk"s), "/a/b.mid");
  EXPECT_EQ(TrimAtNull("/a/b.mid"), "/a/b.mid");
  EXPECT_EQ(TrimAtNull("\0x"s), "");
}

TEST(FileDialog, FiltersBecomeQtNameFilters) {
  EXPECT_EQ(NameFilters("画像ファイル(*.bmp,*.jpg,*.gif)|*.bmp;*.jpg;*.gif"),
            std::vector<std::string>{"画像ファイル(*.bmp,*.jpg,*.gif) (*.bmp *.jpg *.gif)"});
  EXPECT_EQ(NameFilters("MIDIファイル(*.mid)|*.mid"),
            std::vector<std::string>{"MIDIファイル(*.mid) (*.mid)"});
  EXPECT_EQ(NameFilters("A|*.a|B|*.b;*.c"), (std::vector<std::string>{"A (*.a)", "B (*.b *.c)"}));
  EXPECT_EQ(NameFilters("A|*.a|dangling"), std::vector<std::string>{"A (*.a)"});
  EXPECT_TRUE(NameFilters("").empty());
}

class Chooser : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QWidget owner;
  std::string folder = dir.path().toStdString();
  void SetUp() override {
    std::ofstream(folder + "/tune.mid") << "MThd";
    std::ofstream(folder + "/picture.bmp") << "BM";
  }
};

TEST_F(Chooser, OpensWithTitleFilterAndFolderAndCancelGivesNothing) {
  testing::OnNextModal<QFileDialog>([this](QFileDialog& d) {
    EXPECT_EQ(d.windowTitle().toStdString(), "BGMのオープン");
    EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(d.nameFilters(), QStringList{QStringLiteral("MIDIファイル(*.mid) (*.mid)")});
    EXPECT_EQ(QDir(d.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    d.reject();
  });
  EXPECT_EQ(ShowOpenFileDialog(owner, "BGMのオープン", "MIDIファイル(*.mid)|*.mid", folder), "");
}

TEST_F(Chooser, ReturnsTheChosenExistingFile) {
  testing::OnNextModal<QFileDialog>([](QFileDialog& d) {
    d.selectFile(QStringLiteral("tune.mid"));
    static_cast<QDialog&>(d).accept();  // through the public slot, as the Open button does
  });
  const std::string chosen =
      ShowOpenFileDialog(owner, "BGMのオープン", "MIDIファイル(*.mid)|*.mid", folder);
  EXPECT_EQ(QFileInfo(QString::fromStdString(chosen)).canonicalFilePath(),
            QFileInfo(QString::fromStdString(folder + "/tune.mid")).canonicalFilePath());

  // A name that does not exist is not accepted: the dialog stays open until cancelled.
  testing::OnNextModal<QFileDialog>([](QFileDialog& d) {
    d.selectFile(QStringLiteral("missing.mid"));
    testing::OnNextModal<QMessageBox>([](QMessageBox& warning) { warning.accept(); });
    static_cast<QDialog&>(d).accept();  // through the public slot, as the Open button does
    EXPECT_TRUE(d.isVisible());
    d.reject();
  });
  EXPECT_EQ(ShowOpenFileDialog(owner, "t", "MIDIファイル(*.mid)|*.mid", folder), "");
}

}  // namespace
}  // namespace pelaryn
