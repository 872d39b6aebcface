#include "base/Messages.h"

namespace pelaryn {

std::string_view MessageTitle(MessageId id) {
  switch (id) {
    case MessageId::GameOver:
    case MessageId::SaveFailed:
      return "pelaryn";
    case MessageId::RankingEntry:
      return "NAME ENTRY";
    case MessageId::ReplayDiffers:
    case MessageId::ReplayOtherVersion:
    case MessageId::ReplayEndingClaimed:
    case MessageId::ReplayScoreClaimed:
    case MessageId::ReplayComboClaimed:
    case MessageId::ReplayRatioClaimed:
    case MessageId::ReplayLevelClaimed:
      return "ヴェルガード";
  }
  return "pelaryn";
}

std::string MessageText(const Message& message) {
  const std::string number = std::to_string(message.Number);
  switch (message.Id) {
    case MessageId::GameOver:
      return "おしまい\r\n撃墜率 : " + number + "%";
    case MessageId::RankingEntry:
      return number +
             "位にランクインです！\r\n名前を入力してください\r\n"
             "（半角なら６文字程度、全角なら４文字以内にしてください）";
    case MessageId::SaveFailed:
      return "保存できませんでした: " + message.Text;
    case MessageId::ReplayDiffers:
      return "このリプレイは " + number + " フレーム目で記録と食い違いました（記録したバージョン " +
             message.Text + "）";
    case MessageId::ReplayOtherVersion:
      return "このリプレイは別のバージョン（" + message.Text + "）で記録されたため再生できません";
    case MessageId::ReplayEndingClaimed:
      return "このリプレイに記録された終わり方は、再生したゲームの終わり方と違います";
    case MessageId::ReplayScoreClaimed:
      return "このリプレイはスコア " + number + " と記録していますが、再生したゲームのスコアは " +
             message.Text + " でした";
    case MessageId::ReplayComboClaimed:
      return "このリプレイは最大コンボ " + number + " と記録していますが、再生したゲームでは " +
             message.Text + " でした";
    case MessageId::ReplayRatioClaimed:
      return "このリプレイは撃墜率 " + number + "% と記録していますが、再生したゲームでは " +
             message.Text + "% でした";
    case MessageId::ReplayLevelClaimed:
      return "このリプレイはレベル " + number + " と記録していますが、再生したゲームでは " +
             message.Text + " でした";
  }
  return {};
}

}  // namespace pelaryn
