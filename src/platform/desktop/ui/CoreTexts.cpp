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

QString OtherVersionWords() {
  return QCoreApplication::translate("ReplayFault",
                                     "別のバージョンのゲームで記録されたリプレイです");
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
    case MessageId::ReplayOtherVersion:
    case MessageId::ReplayEndingClaimed:
    case MessageId::ReplayScoreClaimed:
    case MessageId::ReplayComboClaimed:
    case MessageId::ReplayRatioClaimed:
    case MessageId::ReplayLevelClaimed:
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
    // The version is the second argument, where the page words the text.
    case MessageId::ReplayOtherVersion:
      return QCoreApplication::translate(
                 "Messages", "このリプレイは別のバージョン（%2）で記録されたため再生できません")
          .arg(text);
    case MessageId::ReplayEndingClaimed:
      return QCoreApplication::translate(
          "Messages", "このリプレイに記録された終わり方は、再生したゲームの終わり方と違います");
    case MessageId::ReplayScoreClaimed:
      return QCoreApplication::translate(
                 "Messages",
                 "このリプレイはスコア %1 と記録していますが、再生したゲームのスコアは %2 でした")
          .arg(number, text);
    case MessageId::ReplayComboClaimed:
      return QCoreApplication::translate(
                 "Messages",
                 "このリプレイは最大コンボ %1 と記録していますが、再生したゲームでは %2 でした")
          .arg(number, text);
    case MessageId::ReplayRatioClaimed:
      return QCoreApplication::translate(
                 "Messages",
                 "このリプレイは撃墜率 %1% と記録していますが、再生したゲームでは %2% でした")
          .arg(number, text);
    case MessageId::ReplayLevelClaimed:
      return QCoreApplication::translate(
                 "Messages",
                 "このリプレイはレベル %1 と記録していますが、再生したゲームでは %2 でした")
          .arg(number, text);
  }
  return {};
}

}  // namespace pelaryn
