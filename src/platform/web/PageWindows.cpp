#include "platform/web/PageWindows.h"

#include <nlohmann/json.hpp>

#include "base/GameState.h"
#include "base/Messages.h"
#include "persist/Ranking.h"
#include "platform/web/Browser.h"
#include "platform/web/SettingsForm.h"
#include "platform/web/SurfaceRgba.h"
#include "render/Pictures.h"
#include "replay/ReplayFile.h"

namespace pelaryn {
namespace {

const char* MessageName(MessageId id) {
  switch (id) {
    case MessageId::GameOver:
      return "GameOver";
    case MessageId::RankingEntry:
      return "RankingEntry";
    case MessageId::SaveFailed:
      return "SaveFailed";
    case MessageId::ReplayDiffers:
      return "ReplayDiffers";
    case MessageId::ReplayOtherVersion:
      return "ReplayOtherVersion";
    case MessageId::ReplayEndingClaimed:
      return "ReplayEndingClaimed";
    case MessageId::ReplayScoreClaimed:
      return "ReplayScoreClaimed";
    case MessageId::ReplayComboClaimed:
      return "ReplayComboClaimed";
    case MessageId::ReplayRatioClaimed:
      return "ReplayRatioClaimed";
    case MessageId::ReplayLevelClaimed:
      return "ReplayLevelClaimed";
  }
  return "";
}

// A message as the page words it: by name with its number and text, for the player's language,
// and in the game's own words, which the page shows in Japanese.
nlohmann::json Described(const Message& message) {
  return {{"id", MessageName(message.Id)},
          {"number", message.Number},
          {"text", message.Text},
          {"title", MessageTitle(message.Id)},
          {"words", MessageText(message)}};
}

WindowAnswer Parsed(const std::string& text) {
  nlohmann::json body = nlohmann::json::parse(text, nullptr, false);
  if (!body.is_object()) return {"", nlohmann::json::object()};
  const auto action = body.find("action");
  return {action != body.end() && action->is_string() ? action->get<std::string>() : "",
          std::move(body)};
}

void Keep(const std::string& name, const Surface& picture) {
  std::vector<uint8_t> rgba;
  SurfaceToRgba(picture, rgba);
  browser::KeepPicture(name, rgba.data(), picture.Width(), picture.Height());
}

nlohmann::json RankingRows(const GameState& state) {
  nlohmann::json rows = nlohmann::json::array();
  for (const RankEntry& row : state.Ranking) {
    rows.push_back({{"name", row.Name},
                    {"score", row.Score},
                    {"combo", row.MaxCombo},
                    {"ratio", row.ShotRatio}});
  }
  return rows;
}

// "version 0.99" from the build's "0.99.0", as the desktop's about box words it.
std::string VersionLine() {
  const std::string_view version = GameVersion();
  const std::size_t major = version.find('.');
  const std::size_t minor = major == std::string_view::npos ? major : version.find('.', major + 1);
  return "version " + std::string(version.substr(0, minor));
}

}  // namespace

std::string WindowAnswer::Text(const char* name) const {
  const auto text = Body.find(name);
  return text != Body.end() && text->is_string() ? text->get<std::string>() : "";
}

WindowAnswer AskWindow(const nlohmann::json& request) {
  return Parsed(browser::OpenWindow(request.dump()));
}

WindowAnswer NextWindowAnswer() {
  return Parsed(browser::NextAnswer());
}

WindowAnswer AskOnce(const nlohmann::json& request) {
  WindowAnswer answer = AskWindow(request);
  browser::CloseWindow();
  return answer;
}

PageDialogs::PageDialogs(const Pictures& pictures, std::function<std::string()> programFolder)
    : pictures_(pictures), programFolder_(std::move(programFolder)) {}

void PageDialogs::KeepPictures() {
  if (picturesKept_) return;
  Keep("RankLogo", pictures_.RankLogo);
  Keep("EnglishRankLogo", pictures_.EnglishRankLogo);
  Keep("About", pictures_.About);
  picturesKept_ = true;
}

void PageDialogs::MessageBox(const Message& message) {
  shown_.push_back({"Message", std::string(MessageTitle(message.Id)), MessageText(message)});
  AskOnce({{"kind", "message"}, {"message", Described(message)}});
}

std::string PageDialogs::InputBox(const Message& prompt) {
  shown_.push_back({"Input", std::string(MessageTitle(prompt.Id)), MessageText(prompt)});
  const WindowAnswer answer = AskOnce({{"kind", "input"}, {"message", Described(prompt)}});
  return answer.Action == "ok" ? answer.Text("text") : "";
}

void PageDialogs::ShowRanking(GameState& state) {
  shown_.push_back({"Ranking", "ヴェルガード", ""});
  KeepPictures();
  // 初期化, once the player has confirmed it in the window, shows the new rows.
  while (AskWindow({{"kind", "ranking"}, {"rows", RankingRows(state)}}).Action == "reset") {
    ResetRanking(state);
  }
  browser::CloseWindow();
  if (AfterRanking) AfterRanking(state);
}

void PageDialogs::ShowSettings(SettingsHost& host) {
  WindowAnswer answer = AskWindow(
      {{"kind", "settings"}, {"settings", SettingsDescription(host.Settings(), programFolder_())}});
  // 更新 applies and leaves the window up; OK applies and closes it.
  while (answer.Action == "apply" || answer.Action == "ok") {
    std::string why;
    if (answer.Body.contains("values") &&
        ApplySettingValues(host.Settings(), answer.Body["values"], why)) {
      host.ReloadBackground();
    }
    if (answer.Action == "ok") break;
    answer = NextWindowAnswer();
  }
  browser::CloseWindow();
}

void PageDialogs::ShowAbout() {
  KeepPictures();
  AskOnce({{"kind", "about"}, {"version", VersionLine()}});
}

void PageDialogs::ShowManual(const std::string& path) {
  // The manual lies beside the page, under the name the game gives it in its folder; the page
  // opens the one in the player's language.
  const std::size_t slash = path.find_last_of('/');
  browser::OpenPage(slash == std::string::npos ? path : path.substr(slash + 1));
}

void PageDialogs::ReportError(const Message& message) {
  if (held_) {
    browser::Warn(MessageText(message));
    return;
  }
  AskOnce({{"kind", "message"}, {"warning", true}, {"message", Described(message)}});
}

}  // namespace pelaryn
