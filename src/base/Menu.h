#pragma once

#include <array>
#include <cstddef>

namespace pelaryn {

enum class MenuId {
  Game,
  Start,
  Pause,
  Reset,
  Exit,
  Config,
  Se,
  Autoshot,
  Ranking,
  Option,
  Help,
  Manual,
  Version,
};

inline constexpr std::size_t MenuItemCount = 13;

// How an item looks in the menu bar; a front end builds its menus from this table.
struct MenuItemInfo {
  MenuId Id;
  const char* Name;
  const char* Caption;
  MenuId Parent;    // the item itself for the three menus of the bar
  int FunctionKey;  // 1..12, or 0 for none
  bool DesignChecked;
  bool Checkable;  // the game puts a check mark on it at some point
};

inline constexpr std::array<MenuItemInfo, MenuItemCount> MenuItems{{
    {MenuId::Game, "mnuGame", "ゲーム", MenuId::Game, 0, false, false},
    {MenuId::Start, "mnuStart", "スタート", MenuId::Game, 2, false, false},
    {MenuId::Pause, "mnuPause", "ポーズ", MenuId::Game, 3, false, true},
    {MenuId::Reset, "mnuReset", "リセット", MenuId::Game, 4, false, false},
    {MenuId::Exit, "mnuExit", "終了(&X)", MenuId::Game, 9, false, false},
    {MenuId::Config, "mnuConfig", "設定", MenuId::Config, 0, false, false},
    {MenuId::Se, "mnuSe", "効果音", MenuId::Config, 5, true, true},
    {MenuId::Autoshot, "mnuAutoshot", "オートショット", MenuId::Config, 6, false, true},
    {MenuId::Ranking, "mnuRanking", "スコアランキング", MenuId::Config, 0, false, false},
    {MenuId::Option, "mnuOption", "オプション", MenuId::Config, 0, false, false},
    {MenuId::Help, "mnuHelp", "ヘルプ", MenuId::Help, 0, false, false},
    {MenuId::Manual, "mnuManual", "説明書", MenuId::Help, 1, false, false},
    {MenuId::Version, "mnuVersion", "バージョン情報", MenuId::Help, 0, false, false},
}};

// While a replay plays, the menu shows the recorded game's check marks, and only what the
// watcher may do is enabled: pause, back to the title, quit, the manual and the about box.
constexpr bool WatcherMayUse(MenuId id) {
  return id == MenuId::Pause || id == MenuId::Reset || id == MenuId::Exit || id == MenuId::Manual ||
         id == MenuId::Version || id == MenuId::Game || id == MenuId::Config || id == MenuId::Help;
}

// Check marks and enabled states: the game reads and sets them, the window mirrors them.
class MenuModel {
 public:
  struct ItemState {
    bool Checked = false;
    bool Enabled = true;
  };

  MenuModel() {
    for (const MenuItemInfo& info : MenuItems) At(info.Id).Checked = info.DesignChecked;
  }

  ItemState& At(MenuId id) { return items_[static_cast<std::size_t>(id)]; }
  const ItemState& At(MenuId id) const { return items_[static_cast<std::size_t>(id)]; }
  bool Checked(MenuId id) const { return At(id).Checked; }
  bool Enabled(MenuId id) const { return At(id).Enabled; }

 private:
  std::array<ItemState, MenuItemCount> items_{};
};

}  // namespace pelaryn
