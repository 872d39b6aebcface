#include "platform/desktop/ui/CoreTexts.h"

#include <QCoreApplication>
#include <array>

namespace pelaryn {
namespace {

// The game's menu table, marked for the translation tools, which cannot read the core.
constexpr std::array<const char*, MenuItemCount> kMenuCaptions{
    QT_TRANSLATE_NOOP("Menu", "ゲーム"),           QT_TRANSLATE_NOOP("Menu", "スタート"),
    QT_TRANSLATE_NOOP("Menu", "ポーズ"),           QT_TRANSLATE_NOOP("Menu", "リセット"),
    QT_TRANSLATE_NOOP("Menu", "終了(&X)"),         QT_TRANSLATE_NOOP("Menu", "設定"),
    QT_TRANSLATE_NOOP("Menu", "効果音"),           QT_TRANSLATE_NOOP("Menu", "オートショット"),
    QT_TRANSLATE_NOOP("Menu", "スコアランキング"), QT_TRANSLATE_NOOP("Menu", "オプション"),
    QT_TRANSLATE_NOOP("Menu", "ヘルプ"),           QT_TRANSLATE_NOOP("Menu", "説明書"),
    QT_TRANSLATE_NOOP("Menu", "バージョン情報"),
};

}  // namespace

QString ReplayFaultWords(ReplayFault fault) {
  switch (fault) {
    case ReplayFault::None:
      return {};
    case ReplayFault::NotReplay:
      return QCoreApplication::translate("ReplayFault", "リプレイファイルではありません");
    case ReplayFault::OtherFormat:
      return QCoreApplication::translate("ReplayFault", "この版では読めない形式のリプレイです");
    case ReplayFault::CutShort:
      return QCoreApplication::translate("ReplayFault", "ファイルが途中で切れています");
    case ReplayFault::Damaged:
      return QCoreApplication::translate("ReplayFault", "ファイルが壊れています");
  }
  return {};
}

const char* const* MenuCaptionSources() {
  return kMenuCaptions.data();
}

QString MenuCaption(MenuId id) {
  for (std::size_t i = 0; i < MenuItems.size(); ++i) {
    if (MenuItems[i].Id == id) return QCoreApplication::translate("Menu", kMenuCaptions[i]);
  }
  return {};
}

QString MessageTitleText(MessageId id) {
  switch (id) {
    case MessageId::GameOver:
    case MessageId::SaveFailed:
      return QStringLiteral("pelaryn");
    case MessageId::RankingEntry:
      return QCoreApplication::translate("Messages", "NAME ENTRY");
    case MessageId::ReplayDiffers:
      return QCoreApplication::translate("Messages", "ヴェルガード");
  }
  return QStringLiteral("pelaryn");
}

QString MessageBodyText(const Message& message) {
  const QString number = QString::number(message.Number);
  const QString text = QString::fromStdString(message.Text);
  switch (message.Id) {
    case MessageId::GameOver:
      return QCoreApplication::translate("Messages", "おしまい\r\n撃墜率 : %1%").arg(number);
    case MessageId::RankingEntry:
      return QCoreApplication::translate("Messages",
                                         "%1位にランクインです！\r\n名前を入力してください\r\n"
                                         "（半角なら６文字程度、全角なら４文字以内にしてください）")
          .arg(number);
    case MessageId::SaveFailed:
      return QCoreApplication::translate("Messages", "保存できませんでした: %1").arg(text);
    case MessageId::ReplayDiffers:
      return QCoreApplication::translate(
                 "Messages",
                 "このリプレイは %1 フレーム目で記録と食い違いました（記録したバージョン %2）")
          .arg(number, text);
  }
  return {};
}

}  // namespace pelaryn
