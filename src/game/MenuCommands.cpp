#include <array>

#include "game/Game.h"

namespace pelaryn {

struct Game::MenuHandler {
  MenuId Id;
  void (Game::*Handler)();
};

void Game::MenuCommand(MenuId id) {
  // Items without a handler here are not connected yet.
  static constexpr std::array<MenuHandler, 4> handlers{{
      {MenuId::Start, &Game::MnuStartClick},
      {MenuId::Exit, &Game::MnuExitClick},
      {MenuId::Se, &Game::MnuSeClick},
      {MenuId::Autoshot, &Game::MnuAutoshotClick},
  }};
  if (!state_.Menu.Enabled(id)) return;
  for (const MenuHandler& entry : handlers) {
    if (entry.Id == id) return (this->*entry.Handler)();
  }
}

void Game::MnuStartClick() {
  state_.Running = 1;
  state_.Menu.At(MenuId::Pause).Checked = false;
  state_.Level = state_.InitialDifficulty;
}

void Game::MnuExitClick() {
  request_ = Request::Exit;
}

void Game::MnuSeClick() {
  MenuModel::ItemState& item = state_.Menu.At(MenuId::Se);
  item.Checked = !item.Checked;
  state_.SoundEffectsOn = item.Checked;
}

void Game::MnuAutoshotClick() {
  MenuModel::ItemState& item = state_.Menu.At(MenuId::Autoshot);
  item.Checked = !item.Checked;
  state_.AutoShot = item.Checked;
}

}  // namespace pelaryn
