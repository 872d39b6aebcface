#include "platform/web/PageWindows.h"

#include <nlohmann/json.hpp>

#include "base/GameState.h"
#include "base/Messages.h"
#include "persist/Ranking.h"
#include "platform/web/Browser.h"
#include "platform/web/SettingsForm.h"
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

nlohmann::json Answer(const std::string& text) {
  return nlohmann::json::parse(text, nullptr, false);
}

std::string Action(const nlohmann::json& answer) {
  return answer.is_object() && answer.contains("action") && answer["action"].is_string()
             ? answer["action"].get<std::string>()
             : std::string();
}

void Keep(const std::string& name, const Surface& picture) {
  std::string rgba(static_cast<std::size_t>(picture.Width()) * picture.Height() * 4, '\0');
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const uint32_t pixel = picture.Pixel(x, y);
      const std::size_t at = (static_cast<std::size_t>(y) * picture.Width() + x) * 4;
      rgba[at] = static_cast<char>(pixel >> 16);
      rgba[at + 1] = static_cast<char>(pixel >> 8);
      rgba[at + 2] = static_cast<char>(pixel);
      rgba[at + 3] = static_cast<char>(0xFF);
    }
  }
  browser::KeepPicture(name, reinterpret_cast<const uint8_t*>(rgba.data()), picture.Width(),
                       picture.Height());
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

PageDialogs::PageDialogs(const Pictures& pictures, std::function<std::string()> programFolder)
    : pictures_(pictures), programFolder_(std::move(programFolder)) {}

void PageDialogs::KeepPictures() {
  if (picturesKept_) return;
  Keep("RankLogo", pictures_.RankLogo);
  Keep("About", pictures_.About);
  picturesKept_ = true;
}

void PageDialogs::MessageBox(const Message& message) {
  shown_.push_back({"Message", std::string(MessageTitle(message.Id)), MessageText(message)});
  browser::OpenWindow(nlohmann::json{{"kind", "message"}, {"message", Described(message)}}.dump());
  browser::CloseWindow();
}

std::string PageDialogs::InputBox(const Message& prompt) {
  shown_.push_back({"Input", std::string(MessageTitle(prompt.Id)), MessageText(prompt)});
  const nlohmann::json answer = Answer(browser::OpenWindow(
      nlohmann::json{{"kind", "input"}, {"message", Described(prompt)}}.dump()));
  browser::CloseWindow();
  if (Action(answer) != "ok" || !answer.contains("text") || !answer["text"].is_string()) return "";
  return answer["text"].get<std::string>();
}

void PageDialogs::ShowRanking(GameState& state) {
  shown_.push_back({"Ranking", "ヴェルガード", ""});
  KeepPictures();
  nlohmann::json answer = Answer(browser::OpenWindow(
      nlohmann::json{{"kind", "ranking"}, {"rows", RankingRows(state)}}.dump()));
  // 初期化, once the player has confirmed it in the window.
  while (Action(answer) == "reset") {
    ResetRanking(state);
    answer = Answer(browser::OpenWindow(
        nlohmann::json{{"kind", "ranking"}, {"rows", RankingRows(state)}}.dump()));
  }
  browser::CloseWindow();
  if (AfterRanking) AfterRanking(state);
}

void PageDialogs::ShowSettings(SettingsHost& host) {
  const std::string folder = programFolder_();
  nlohmann::json answer = Answer(browser::OpenWindow(nlohmann::json{
      {"kind", "settings"},
      {"settings",
       SettingsDescription(host.Settings(), folder)}}.dump()));
  // 更新 applies and leaves the window up; OK applies and closes it.
  for (;;) {
    const std::string action = Action(answer);
    if (action != "apply" && action != "ok") break;
    std::string why;
    if (answer.contains("values") && ApplySettingValues(host.Settings(), answer["values"], why)) {
      host.ReloadBackground();
    }
    if (action == "ok") break;
    answer = Answer(browser::NextAnswer());
  }
  browser::CloseWindow();
}

void PageDialogs::ShowAbout() {
  KeepPictures();
  browser::OpenWindow(nlohmann::json{{"kind", "about"}, {"version", VersionLine()}}.dump());
  browser::CloseWindow();
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
  browser::OpenWindow(
      nlohmann::json{{"kind", "message"}, {"warning", true}, {"message", Described(message)}}
          .dump());
  browser::CloseWindow();
}

}  // namespace pelaryn
