#include "enemies/Combo.h"

#include "render/StatusDisplay.h"

namespace pelaryn {

void StartComboPopup(GameState& s) {
  if (s.ComboTimer <= 0) return;
  --s.ComboTimer;
  if (s.ComboTimer == 0 && s.Combo >= 10) {
    s.ComboPopupTimer = 50;
    s.ComboPopupDigits = static_cast<int16_t>(NumberPlaces(s.Combo));
    s.ComboPopupValue = s.Combo;
  }
}

void ComboPopup(GameContext& g) {
  DrawComboPopup(g);
  --g.s.ComboPopupTimer;
}

}  // namespace pelaryn
