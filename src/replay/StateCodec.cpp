#include "replay/StateCodec.h"

#include <string>
#include <type_traits>

#include "base/Fingerprint.h"

namespace pelaryn {
namespace {

template <typename Visit, typename State>
void VisitWindowSettings(Visit& v, State& s) {
  v(s.TitleAnimation), v(s.InitialDifficulty), v(s.DifficultySkip), v(s.UseJoystick);
  v(s.JoySensitivity);
  v(s.BackSetting.BackImagePath), v(s.BackSetting.ScrollYoko), v(s.BackSetting.ScrollTate);
  v(s.BackSetting.Guriguri), v(s.BackSetting.Kansei);
  for (auto* entry : {&s.TitleBgm, &s.Bgm[0], &s.Bgm[1], &s.BossBgm[0], &s.BossBgm[1]}) {
    v(entry->Path), v(entry->Enabled);
  }
}

// One list of the fields, walked by a writer, a reader and a hasher alike, so the three can
// never disagree on what a state is.
template <typename Visit, typename State>
void VisitState(Visit& v, State& s) {
  auto entity = [&](auto& e) {
    for (auto* field :
         {&e.X, &e.Y, &e.State, &e.Kind, &e.W, &e.H, &e.DX, &e.DY, &e.SrcX, &e.SrcY, &e.Extra}) {
      v(*field);
    }
  };
  entity(s.Player);
  for (auto& e : s.PlayerShots) entity(e);
  for (auto& e : s.Enemies) entity(e);
  entity(s.Boss);
  for (auto& e : s.BossBombs) entity(e);
  for (auto& e : s.BossBullets) entity(e);
  for (auto& e : s.BossRain) entity(e);
  entity(s.Item);
  for (auto* table : {&s.EnemyShotX, &s.EnemyShotY, &s.EnemyShotState, &s.EnemyShotDX,
                      &s.EnemyShotDY, &s.EnemyShotSpeed, &s.EnemyShotAimX, &s.EnemyShotAimY}) {
    for (auto& value : *table) v(value);
  }
  v(s.Score), v(s.HiScore), v(s.Life), v(s.Level), v(s.Combo), v(s.MaxCombo), v(s.ComboTimer);
  v(s.EnemiesAppeared), v(s.EnemiesShotDown), v(s.ShotRatio), v(s.FramePeriod), v(s.Running);
  v(s.PhaseFrames), v(s.BossActive), v(s.BossInterval), v(s.BlinkPhase), v(s.BlinkStep);
  v(s.BlinkFrame), v(s.HitFlash), v(s.InvincibleFrames), v(s.BackSplitX), v(s.BackSplitY);
  v(s.BgmIndex), v(s.BossBulletMax), v(s.BossBombMax), v(s.BossRainMax), v(s.EnemyShotW);
  v(s.EnemyShotH), v(s.EnemyShotBaseSpeed);
  v(s.SoundEffectsOn), v(s.AutoShot);
  v(s.BackSetting.OffsetX), v(s.BackSetting.OffsetY);
  VisitWindowSettings(v, s);
  for (auto& row : s.Ranking) v(row.Name), v(row.Score), v(row.ShotRatio), v(row.MaxCombo);
  v(s.JoyCaps.XMax), v(s.JoyCaps.YMax), v(s.JoyCenterX), v(s.JoyCenterY);
  v(s.JoyState.Info.XPos), v(s.JoyState.Info.YPos), v(s.JoyState.Info.ZPos);
  v(s.JoyState.Info.Buttons), v(s.JoyState.X), v(s.JoyState.Y);
  v(s.ComboPopupTimer), v(s.ComboPopupDigits), v(s.ComboPopupValue);
  for (const MenuItemInfo& item : MenuItems) {
    auto& state = s.Menu.At(item.Id);
    v(state.Checked), v(state.Enabled);
  }
}

struct Writer {
  ByteWriter& out;
  void operator()(const std::string& text) { out.Text(text); }
  void operator()(bool value) { out.U8(value ? 1 : 0); }
  template <typename T>
  void operator()(T value) {
    out.Fixed(static_cast<std::make_unsigned_t<T>>(value), sizeof(T));
  }
};

struct Reader {
  ByteReader& in;
  void operator()(std::string& text) { text = in.Text(MaxReplayText); }
  void operator()(bool& value) {
    const uint8_t byte = in.U8();
    if (byte > 1) in.Fail();
    value = byte == 1;
  }
  template <typename T>
  void operator()(T& value) {
    value = static_cast<T>(in.Fixed(sizeof(T)));
  }
};

class Hasher {
 public:
  void Byte(uint8_t b) { hash_ = FingerprintByte(hash_, b); }
  void operator()(const std::string& text) {
    Varint(text.size());
    for (const char c : text) Byte(static_cast<uint8_t>(c));
  }
  void operator()(bool value) { Byte(value ? 1 : 0); }
  template <typename T>
  void operator()(T value) {
    const auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) Byte(static_cast<uint8_t>(bits >> (8 * i)));
  }
  uint64_t Hash() const { return hash_; }

 private:
  void Varint(uint64_t v) {
    while (v >= 0x80) {
      Byte(static_cast<uint8_t>(v | 0x80));
      v >>= 7;
    }
    Byte(static_cast<uint8_t>(v));
  }
  uint64_t hash_ = FingerprintStart;
};

}  // namespace

void WriteState(ByteWriter& out, const GameState& s) {
  Writer w{out};
  VisitState(w, s);
}

bool ReadState(ByteReader& in, GameState& s) {
  Reader r{in};
  VisitState(r, s);
  return in.Ok();
}

void WriteWindowSettings(ByteWriter& out, const GameState& s) {
  Writer w{out};
  VisitWindowSettings(w, s);
}

bool ReadWindowSettings(ByteReader& in, GameState& s) {
  Reader r{in};
  VisitWindowSettings(r, s);
  return in.Ok();
}

uint64_t StateFingerprint(const GameState& s, const Random& random) {
  Hasher h;
  VisitState(h, s);
  for (const uint64_t word : random.StateWords()) h(word);
  h(random.Draws());
  return h.Hash();
}

}  // namespace pelaryn
