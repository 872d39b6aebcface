#pragma once

// The game's windows in the page, drawn in HTML by the page's script from what is described
// here in JSON. Each holds the game until closed, as on the desktop.

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/Platform.h"
#include "platform/script/StateJson.h"

namespace pelaryn {

struct Pictures;

// What the player did in one of the page's windows ("ok", "apply", "play", …), and the whole
// answer it came with (an empty object when the page's answer does not read).
struct WindowAnswer {
  std::string Action;
  nlohmann::json Body;
  // A text the answer carries under `name`, or "" when it carries none.
  std::string Text(const char* name) const;
};
// Puts up the window `request` describes (in place of the one up, if any) and waits for the
// player's answer; the game stands still meanwhile.
WindowAnswer AskWindow(const nlohmann::json& request);
// The next answer of the window still up (更新 leaves it up).
WindowAnswer NextWindowAnswer();
// A window that closes with its first answer.
WindowAnswer AskOnce(const nlohmann::json& request);

class PageDialogs final : public Dialogs {
 public:
  PageDialogs(const Pictures& pictures, std::function<std::string()> programFolder);

  void MessageBox(const Message& message) override;
  std::string InputBox(const Message& prompt) override;
  void ShowRanking(GameState& state) override;
  void ShowSettings(SettingsHost& host) override;
  void ShowAbout() override;
  void ShowManual(const std::string& path) override;
  void ReportError(const Message& message) override;

  // Every box as the headless runner notes it, so that a test can compare the two.
  const std::vector<DialogRecord>& Shown() const { return shown_; }
  // While held, no window opens: a failure the player must hear of goes to the browser's console
  // instead. For work done while the page is being closed, which cannot wait for an answer.
  void HoldWindows(bool held) { held_ = held; }
  // After the ranking window has closed, with the ranking as it left it (after 初期化, say).
  std::function<void(const GameState&)> AfterRanking;

 private:
  // The windows' pictures into the page, the first time one is needed.
  void KeepPictures();

  const Pictures& pictures_;
  std::function<std::string()> programFolder_;
  bool picturesKept_ = false;
  bool held_ = false;
  std::vector<DialogRecord> shown_;
};

}  // namespace pelaryn
