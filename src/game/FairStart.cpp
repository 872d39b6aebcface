#include "game/FairStart.h"

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "audio/Music.h"
#include "game/Game.h"
#include "game/QuietPlatform.h"
#include "persist/SettingsTable.h"
#include "render/Pictures.h"
#include "replay/ByteStream.h"
#include "replay/StateCodec.h"

namespace pelaryn {
namespace {

// A field by the game's own name ("Life", "Enemies[3].X", "Menu.mnuPause.Checked"), put
// together only when a check reports it.
struct FieldName {
  FieldName(std::string_view table, int index = -1, std::string_view member = {},
            std::string_view part = {})
      : Table(table), Index(index), Member(member), Part(part) {}

  std::string_view Table;
  int Index;
  std::string_view Member;
  std::string_view Part;

  std::string Text() const {
    std::string text(Table);
    if (Index >= 0) text += "[" + std::to_string(Index) + "]";
    for (const std::string_view more : {Member, Part}) {
      if (!more.empty()) text += "." + std::string(more);
    }
    return text;
  }
};

// Every field of the state, walked over several states at once, so that a comparison, a copy
// and the making of a stranger all see the same list. StateCodec walks the same fields for the
// bytes of a replay; CheckFairStart holds the two lists together by comparing those bytes too.
template <typename Visit, typename... State>
void VisitFields(Visit& v, State&... s) {
  auto entity = [&](std::string_view table, int index, auto&... e) {
    v(FieldName{table, index, "X"}, e.X...), v(FieldName{table, index, "Y"}, e.Y...);
    v(FieldName{table, index, "State"}, e.State...), v(FieldName{table, index, "Kind"}, e.Kind...);
    v(FieldName{table, index, "W"}, e.W...), v(FieldName{table, index, "H"}, e.H...);
    v(FieldName{table, index, "DX"}, e.DX...), v(FieldName{table, index, "DY"}, e.DY...);
    v(FieldName{table, index, "SrcX"}, e.SrcX...), v(FieldName{table, index, "SrcY"}, e.SrcY...);
    v(FieldName{table, index, "Extra"}, e.Extra...);
  };
  // A table named as the game names it, walked entry by entry.
  auto table = [&](std::string_view name, auto member, auto visitEntry) {
    using Table = std::remove_cvref_t<decltype(std::declval<GameState&>().*member)>;
    for (std::size_t i = 0; i < std::tuple_size_v<Table>; ++i) {
      visitEntry(name, static_cast<int>(i), (s.*member)[i]...);
    }
  };
  auto number = [&](std::string_view name, int index, auto&... value) {
    v(FieldName{name, index}, value...);
  };
  entity("Player", -1, s.Player...);
  table("PlayerShots", &GameState::PlayerShots, entity);
  table("Enemies", &GameState::Enemies, entity);
  entity("Boss", -1, s.Boss...);
  table("BossBombs", &GameState::BossBombs, entity);
  table("BossBullets", &GameState::BossBullets, entity);
  table("BossRain", &GameState::BossRain, entity);
  entity("Item", -1, s.Item...);
  table("EnemyShotX", &GameState::EnemyShotX, number);
  table("EnemyShotY", &GameState::EnemyShotY, number);
  table("EnemyShotState", &GameState::EnemyShotState, number);
  table("EnemyShotDX", &GameState::EnemyShotDX, number);
  table("EnemyShotDY", &GameState::EnemyShotDY, number);
  table("EnemyShotSpeed", &GameState::EnemyShotSpeed, number);
  table("EnemyShotAimX", &GameState::EnemyShotAimX, number);
  table("EnemyShotAimY", &GameState::EnemyShotAimY, number);
#define PELARYN_FIELD(name) v(FieldName{#name}, s.name...)
  PELARYN_FIELD(Score), PELARYN_FIELD(HiScore), PELARYN_FIELD(Life), PELARYN_FIELD(Level);
  PELARYN_FIELD(Combo), PELARYN_FIELD(MaxCombo), PELARYN_FIELD(ComboTimer);
  PELARYN_FIELD(EnemiesAppeared), PELARYN_FIELD(EnemiesShotDown), PELARYN_FIELD(ShotRatio);
  PELARYN_FIELD(FramePeriod), PELARYN_FIELD(Running), PELARYN_FIELD(PhaseFrames);
  PELARYN_FIELD(BossActive), PELARYN_FIELD(BossInterval), PELARYN_FIELD(BlinkPhase);
  PELARYN_FIELD(BlinkStep), PELARYN_FIELD(BlinkFrame), PELARYN_FIELD(HitFlash);
  PELARYN_FIELD(InvincibleFrames), PELARYN_FIELD(BackSplitX), PELARYN_FIELD(BackSplitY);
  PELARYN_FIELD(BgmIndex), PELARYN_FIELD(BossBulletMax), PELARYN_FIELD(BossBombMax);
  PELARYN_FIELD(BossRainMax), PELARYN_FIELD(EnemyShotW), PELARYN_FIELD(EnemyShotH);
  PELARYN_FIELD(EnemyShotBaseSpeed);
  PELARYN_FIELD(BackSetting.OffsetX), PELARYN_FIELD(BackSetting.OffsetY);
  PELARYN_FIELD(JoyCaps.XMax), PELARYN_FIELD(JoyCaps.YMax);
  PELARYN_FIELD(JoyCenterX), PELARYN_FIELD(JoyCenterY);
  PELARYN_FIELD(JoyState.Info.XPos), PELARYN_FIELD(JoyState.Info.YPos);
  PELARYN_FIELD(JoyState.Info.ZPos), PELARYN_FIELD(JoyState.Info.Buttons);
  PELARYN_FIELD(JoyState.X), PELARYN_FIELD(JoyState.Y);
  PELARYN_FIELD(ComboPopupTimer), PELARYN_FIELD(ComboPopupDigits), PELARYN_FIELD(ComboPopupValue);
#undef PELARYN_FIELD
  // The stored settings under the names `--set` and the settings file know them by.
  for (const SettingInfo& setting : Settings) {
    const FieldName name{setting.Name};
    switch (setting.Type) {
      case SettingType::Bool:
        v(name, *std::get<bool*>(setting.Ref(s))...);
        break;
      case SettingType::Int16:
        v(name, *std::get<int16_t*>(setting.Ref(s))...);
        break;
      case SettingType::Text:
        v(name, *std::get<std::string*>(setting.Ref(s))...);
        break;
    }
  }
  for (int i = 0; i < RankingCount; ++i) {
    v(FieldName{"Ranking", i, "Name"}, s.Ranking[i].Name...);
    v(FieldName{"Ranking", i, "Score"}, s.Ranking[i].Score...);
    v(FieldName{"Ranking", i, "ShotRatio"}, s.Ranking[i].ShotRatio...);
    v(FieldName{"Ranking", i, "MaxCombo"}, s.Ranking[i].MaxCombo...);
  }
  for (const MenuItemInfo& item : MenuItems) {
    v(FieldName{"Menu", -1, item.Name, "Checked"}, s.Menu.At(item.Id).Checked...);
    v(FieldName{"Menu", -1, item.Name, "Enabled"}, s.Menu.At(item.Id).Enabled...);
  }
}

std::string ValueText(bool value) {
  return value ? "true" : "false";
}
std::string ValueText(const std::string& value) {
  return "\"" + value + "\"";
}
template <typename T>
std::string ValueText(T value) {
  return std::to_string(+value);
}

// Every field a different value, as if a game played before had left them so: the fields a
// start sets come out the same from it as from a fresh state, the others show what a game
// leaves behind.
struct Stranger {
  int step = 0;
  void operator()(const FieldName&, bool& value) { value = !value; }
  void operator()(const FieldName&, std::string& value) { value += "?"; }
  template <typename T>
  void operator()(const FieldName&, T& value) {
    value = static_cast<T>(value + 1 + step++ % 97);
  }
};

// Compares the start the replay holds with the one the title makes, field by field; the first
// that differs ends the walk. A field the start does not set (`made` and `fromStranger` differ)
// is held to the values a game can leave in it instead.
class StartComparer {
 public:
  explicit StartComparer(const Replay& replay) : replay_(replay) {}

  template <typename T>
  void operator()(const FieldName& name, const T& made, const T& fromStranger, const T& recorded) {
    if (!verdict_.Verified()) return;
    if (made == fromStranger) {
      if (recorded != made) Refuse(name, ValueText(recorded), ValueText(made));
      return;
    }
    if constexpr (std::is_arithmetic_v<T>) {
      if (const std::optional<Range> range = LeftRange(name); range) {
        if (recorded < range->Low || recorded > range->High) {
          Refuse(name, ValueText(recorded), RangeText(*range));
        }
      }
    }
  }
  // The same walk over the expected state: what a game left is taken as the replay holds it.
  template <typename T>
  void Take(const T& made, const T& fromStranger, const T& recorded, T& expected) {
    if (made != fromStranger) expected = recorded;
  }

  const ReplayVerdict& Verdict() const { return verdict_; }

 private:
  struct Range {
    int64_t Low, High;
  };
  static std::string RangeText(const Range& range) {
    if (range.High == INT64_MAX) return std::to_string(range.Low) + " or more";
    if (range.Low == INT64_MIN) return std::to_string(range.High) + " or less";
    return std::to_string(range.Low) + " to " + std::to_string(range.High);
  }
  // Of a field a game leaves behind, the values it can leave; none for any value. The scroll
  // wraps at the picture's size; the joystick's axes are read as 16-bit values; the music is one
  // of two pieces. A boss still exploding or a heart still on the field would carry the game
  // before's bonus or life into this one, so they are not taken even though a reset in that
  // moment leaves them so. The combo's countdown only counts down to 0 (a chain still running
  // at a game over makes the next game's first kill a chain's, as it would have in the sitting);
  // the animation clock steps by one either way; the hit ratio is a percentage; the combo
  // popup runs 50 frames and shows a 16-bit count.
  std::optional<Range> LeftRange(const FieldName& name) const {
    const std::string text = name.Text();
    if (text == "BackSetting.OffsetX") return Range{0, replay_.BackgroundWidth};
    if (text == "BackSetting.OffsetY") return Range{0, replay_.BackgroundHeight};
    if (text == "JoyState.X" || text == "JoyState.Y") return Range{0, 0xFFFF};
    if (text == "BgmIndex") return Range{0, 1};
    if (text == "Boss.State") return Range{0, INT64_MAX};
    if (text == "Item.State") return Range{INT64_MIN, 0};
    if (text == "ComboTimer") return Range{0, INT16_MAX};
    if (text == "BlinkStep") return Range{-1, 1};
    if (text == "ShotRatio") return Range{0, 100};
    if (text == "ComboPopupTimer") return Range{0, 50};
    if (text == "ComboPopupDigits") return Range{0, 6};
    if (text == "ComboPopupValue") return Range{0, INT16_MAX};
    return std::nullopt;
  }
  void Refuse(const FieldName& name, std::string value, std::string allowed) {
    verdict_.Check = ReplayCheck::StartState;
    verdict_.Field = name.Text();
    verdict_.Value = std::move(value);
    verdict_.Allowed = std::move(allowed);
  }

  const Replay& replay_;
  ReplayVerdict verdict_;
};

ReplayVerdict Refusal(ReplayCheck check, std::string field, std::string value,
                      std::string allowed) {
  ReplayVerdict verdict = VerdictAt(check);
  verdict.Field = std::move(field);
  verdict.Value = std::move(value);
  verdict.Allowed = std::move(allowed);
  return verdict;
}

// Every stored setting within the range the settings window allows.
ReplayVerdict CheckSettings(const GameState& s) {
  for (const SettingInfo& setting : Settings) {
    if (setting.Type != SettingType::Int16) continue;
    const int16_t value = *std::get<const int16_t*>(setting.Get(s));
    if (value < setting.Min || value > setting.Max) {
      return Refusal(ReplayCheck::StartSetting, std::string(setting.Name), std::to_string(value),
                     std::to_string(setting.Min) + " to " + std::to_string(setting.Max));
    }
  }
  return {};
}

// The source as the fixed seed leaves it after the recorded draws; the one before the last
// draw in `beforeLast`, for the draw the start itself makes.
ReplayVerdict CheckRandom(const Replay& replay, Random& beforeLast) {
  const uint64_t draws = replay.RandomDraws;
  if (draws > MaxStartDraws) {
    return Refusal(ReplayCheck::StartRandom, "RandomDraws", std::to_string(draws),
                   "0 to " + std::to_string(MaxStartDraws));
  }
  Random random;
  for (uint64_t i = 0; i + 1 < draws; ++i) random.NextRaw();
  beforeLast = random;
  if (draws > 0) random.NextRaw();
  if (random.StateWords() != replay.RandomWords) {
    return Refusal(ReplayCheck::StartRandom, "RandomWords", "other words",
                   "the seed's after " + std::to_string(draws) + " draws");
  }
  return {};
}

}  // namespace

GameState TitleStartState(const GameState& recorded, const GameState& before) {
  QuietPlatform platform(recorded.JoyCaps);
  const Pictures pictures;  // Start is chosen before the title draws a thing
  Game game(platform, pictures);
  game.State() = before;
  // Where start-up reads the files, the recorded settings and ranking take their place.
  game.OnSettingsLoaded = [&](GameState& s) {
    for (const SettingInfo& setting : Settings) {
      std::visit(
          [&](auto* to) {
            using Value = std::remove_pointer_t<decltype(to)>;
            *to = *std::get<const Value*>(setting.Get(recorded));
          },
          setting.Ref(s));
    }
    s.Ranking = recorded.Ranking;
  };
  game.OnTitleStart = [&] { game.MenuCommand(MenuId::Start); };
  game.FormLoad();
  game.EnterMainLoop();
  return game.State();
}

ReplayVerdict CheckFairStart(const Replay& replay) {
  const GameState& recorded = replay.Start;
  if (ReplayVerdict verdict = CheckSettings(recorded); !verdict.Verified()) return verdict;
  Random beforeLast;
  if (ReplayVerdict verdict = CheckRandom(replay, beforeLast); !verdict.Verified()) return verdict;
  // With both pieces of music on, the start draws one of them.
  if (recorded.Bgm[0].Enabled && recorded.Bgm[1].Enabled && replay.RandomDraws == 0) {
    return Refusal(ReplayCheck::StartRandom, "RandomDraws", "0", "1 or more");
  }

  GameState made = TitleStartState(recorded);
  // A game before this one, as it ends: it clears the field, up to the last slot any
  // difficulty uses.
  GameState stranger;
  Stranger poison;
  VisitFields(poison, stranger);
  stranger.BossBombMax = BossBombCount;
  stranger.BossBulletMax = BossBulletCount;
  QuietPlatform quiet(recorded.JoyCaps);
  Random unused;
  CoreContext ending{stranger, unused, quiet};
  StopMusicAndClearField(ending);
  GameState fromStranger = TitleStartState(recorded, stranger);
  // The piece the start chose, with the draw the recorded source made for it.
  for (GameState* s : {&made, &fromStranger}) {
    Random draw = beforeLast;
    CoreContext start{*s, draw, quiet};
    StartPlayMusic(start);
  }

  GameState expected = made;
  StartComparer comparer(replay);
  GameState copy = recorded;
  VisitFields(comparer, made, fromStranger, copy);
  if (!comparer.Verdict().Verified()) return comparer.Verdict();
  // Whatever the walk above does not name is still compared, as the replay stores it.
  auto take = [&](const FieldName&, auto& m, auto& f, auto& r, auto& e) {
    comparer.Take(m, f, r, e);
  };
  VisitFields(take, made, fromStranger, copy, expected);
  std::vector<uint8_t> want, have;
  ByteWriter wantWriter(want), haveWriter(have);
  WriteState(wantWriter, expected);
  WriteState(haveWriter, recorded);
  if (want != have) {
    return Refusal(ReplayCheck::StartState, "state", "unlike the title's", "the title's state");
  }
  return {};
}

ReplayVerdict CheckGameOverEnding(const Replay& replay) {
  if (replay.Result.Ending == ReplayEnding::GameOver) return {};
  ReplayVerdict verdict = VerdictAt(ReplayCheck::BoardEnding, replay.Result.Frames);
  verdict.Claimed = static_cast<int64_t>(replay.Result.Ending);
  verdict.Made = static_cast<int64_t>(ReplayEnding::GameOver);
  return verdict;
}

}  // namespace pelaryn
