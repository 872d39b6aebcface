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
  }
  return {};
}

}  // namespace pelaryn
