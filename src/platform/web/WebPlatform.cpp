#include "platform/web/WebPlatform.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <span>

#include <nlohmann/json.hpp>

#include "audio/SoundEffects.h"
#include "base/Messages.h"
#include "base/RegularFile.h"
#include "game/Game.h"
#include "platform/picture/PictureData.h"
#include "platform/picture/PictureFile.h"
#include "platform/sound/MidiCheck.h"
#include "platform/sound/WavCheck.h"
#include "platform/web/Browser.h"
#include "platform/web/SurfaceRgba.h"
#include "render/Surface.h"
#include "replay/ReplayFile.h"

namespace pelaryn {
namespace {

// Far above any piece of ours, as on the desktop.
constexpr std::size_t MaxMidiFileSize = std::size_t{4} << 20;
// Larger than any effect MaxEffectSeconds long can be.
constexpr std::size_t MaxEffectFileSize = std::size_t{4} << 20;
// The page's storage keeps each file under this prefix, beside whatever else the site keeps.
constexpr std::string_view kStoragePrefix = "pelaryn/";
// What the page puts in its key queue for a click on a menu item ("Menu:mnuStart"), and for one
// that opens a window of the page's own ("Window:controls").
constexpr std::string_view kMenuClick = "Menu:";
constexpr std::string_view kWindowClick = "Window:";
// How long the pause's wait rests before it looks at the pad again.
constexpr double kPadPollMs = 50;

std::string StorageName(std::string_view name) {
  return std::string(kStoragePrefix) + std::string(name);
}

// A picture's format as its contents tell it, by the names the completeness check knows.
std::string PictureFormat(const std::string& bytes) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return "bmp";
  if (IsPng(bytes)) return "png";
  if (GifPictureEnd(bytes) > 0) return "gif";
  if (JpegPictureEnd(bytes) > 0) return "jpeg";
  return "";
}

// The pictures and pieces the player picked in the settings window are kept in the page's
// storage, and named by this folder in the settings.
constexpr std::string_view kPlayerFiles = "/player-files/";

// A file the game names: the player's own from the page's storage, any other from the page's
// data. None, with the reason, when it is missing or larger than `limit`.
std::optional<std::string> ReadGameFile(const std::string& path, std::size_t limit,
                                        std::string& why) {
  if (!path.starts_with(kPlayerFiles)) return ReadRegularFile(path, limit, why);
  std::optional<std::string> bytes =
      browser::ReadStored(StorageName(path.substr(1, path.size() - 1)));
  if (!bytes) {
    why = "the page keeps no such file";
  } else if (bytes->size() > limit) {
    why = "the file is too large";
    bytes.reset();
  }
  return bytes;
}

uint32_t Axis(double value) {
  return static_cast<uint32_t>(std::lround((std::clamp(value, -1.0, 1.0) + 1.0) * 32767.5));
}

}  // namespace

bool PageMusic::Open(const std::string& path) {
  if (open_ || path.empty()) return false;
  std::string why;
  const std::optional<std::string> bytes = ReadGameFile(path, MaxMidiFileSize, why);
  if (!bytes ||
      !IsPlayableMidi(std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()),
                      why)) {
    return false;
  }
  browser::OpenMusic(*bytes);
  open_ = true;
  playing_ = false;
  restarts_.Started(static_cast<int64_t>(browser::NowMs() * 1000.0));
  return true;
}

void PageMusic::Play() {
  if (!open_ || playing_) return;
  playing_ = true;
  browser::MusicCommand("play");
}

void PageMusic::PlayFromStart() {
  if (!open_) return;
  const auto now = static_cast<int64_t>(browser::NowMs() * 1000.0);
  if (browser::MusicEnded() && !restarts_.MayRestart(now)) return;
  restarts_.Started(now);
  playing_ = true;
  browser::MusicCommand("start");
}

void PageMusic::Stop() {
  if (!open_ || !playing_) return;
  playing_ = false;
  browser::MusicCommand("stop");
}

void PageMusic::Close() {
  if (!open_) return;
  open_ = false;
  playing_ = false;
  browser::MusicCommand("close");
}

std::string_view PageMusic::Mode() {
  if (!open_) return "";
  return playing_ && !browser::MusicEnded() ? "playing" : "stopped";
}

void PageSound::Load(const std::string& folder, const std::vector<std::string_view>& files) {
  for (const std::string_view file : files) {
    std::string why;
    const std::string path = folder + "/" + std::string(file);
    const std::optional<std::string> bytes = ReadRegularFile(path, MaxEffectFileSize, why);
    if (bytes && IsWavEffect(*bytes, why)) browser::LoadEffect(std::string(file), *bytes);
  }
}

void PageSound::Play(std::string_view file, bool interrupt) {
  browser::PlayEffect(tally_.Note(file), interrupt);
}

std::optional<std::string> PageFiles::Read(std::string_view name) {
  return browser::ReadStored(StorageName(name));
}

bool PageFiles::Write(std::string_view name, std::string_view bytes, std::string& error) {
  return browser::Store(StorageName(name), std::string(bytes), error);
}

WebPlatform::WebPlatform(const Pictures& pictures)
    : startMs_(browser::NowMs()), dialogs_(pictures, [this] { return programFolder_; }) {}

void WebPlatform::SetGame(Game& game) {
  game_ = &game;
  nlohmann::json items = nlohmann::json::array();
  for (const MenuItemInfo& item : MenuItems) {
    items.push_back({{"name", item.Name},
                     {"caption", item.Caption},
                     {"parent", MenuItems[static_cast<std::size_t>(item.Parent)].Name},
                     {"key", item.FunctionKey},
                     {"checkable", item.Checkable}});
  }
  browser::BuildMenu(items.dump());
  ApplyLooks(browser::PageLooks());
  SyncMenu();
  game.OnReplayRecorded = [this](const Replay& replay) {
    std::string error;
    if (!replays_.Keep(replay, game_->State().Ranking, error)) {
      dialogs_.ReportError(Message{MessageId::SaveFailed, 0, error});
    }
    // Only a game over can be ranked on a score board; the page decides whether to send it.
    if (replay.Result.Ending == ReplayEnding::GameOver) browser::GameOver(EncodeReplay(replay));
  };
  dialogs_.AfterRanking = [this](const GameState& state) { replays_.Prune(state.Ranking); };
}

void WebPlatform::ApplyLooks(const std::string& answer) {
  const nlohmann::json looks = nlohmann::json::parse(answer, nullptr, false);
  if (game_ == nullptr || !looks.is_object()) return;
  if (looks.contains("gentleFlash") && looks["gentleFlash"].is_boolean()) {
    game_->SetGentleFlash(looks["gentleFlash"].get<bool>());
  }
  if (looks.contains("english") && looks["english"].is_boolean()) {
    game_->SetEnglishLabels(looks["english"].get<bool>());
  }
  // A pad button the page's mapping has no button for stays unbound.
  for (const auto& [name, bound] :
       {std::pair{"padShot", &pad_.Shot}, std::pair{"padSpread", &pad_.Spread}}) {
    if (!looks.contains(name) || !looks[name].is_string()) continue;
    const std::string chosen = looks[name].get<std::string>();
    *bound = chosen.empty() || StandardPadButton(chosen) >= 0 ? chosen : std::string();
  }
}

void WebPlatform::RunPageWindow(const std::string& kind) {
  keys_.ReleaseAll();
  if (kind == "replays" || kind == "opened-replay") {
    if (game_ != nullptr) replays_.ShowWindow(*game_, kind == "opened-replay");
    return;
  }
  AskOnce({{"kind", kind}});
  // The player's own choices may have changed there.
  ApplyLooks(browser::PageLooks());
}

void WebPlatform::SyncTitle() {
  const Replay* replay = game_->Playing();
  const TitleState now{replay ? game_->Playback().Paused()
                              : !game_->InTitle() && game_->State().Menu.Checked(MenuId::Pause),
                       replay, replay && game_->Playback().Fast(),
                       replay && game_->PlaybackBackgroundMissing()};
  if (shownTitle_ == now) return;
  shownTitle_ = now;
  nlohmann::json state{{"paused", now.Paused}};
  if (replay) {
    state["replay"] = {{"name", replay->Name},
                       {"score", replay->Result.Score},
                       {"fast", now.Fast},
                       {"black", now.Black}};
  }
  browser::ShowTitle(state.dump());
}

void WebPlatform::SyncMenu() {
  if (game_ == nullptr) return;
  uint32_t enabled = 0;
  uint32_t checked = 0;
  const MenuModel& menu = game_->State().Menu;
  const bool watching = game_->Playing() != nullptr;
  for (const MenuItemInfo& item : MenuItems) {
    const uint32_t bit = 1u << static_cast<unsigned>(item.Id);
    if (menu.Enabled(item.Id) && (!watching || WatcherMayUse(item.Id))) enabled |= bit;
    if (menu.Checked(item.Id)) checked |= bit;
  }
  SyncTitle();
  if (menuShown_ && enabled == shownEnabled_ && checked == shownChecked_) return;
  menuShown_ = true;
  shownEnabled_ = enabled;
  shownChecked_ = checked;
  browser::SyncMenu(enabled, checked);
}

void WebPlatform::LoadEffects() {
  sound_.Load(programFolder_, {sound::Damage, sound::Hit, sound::GetItem, sound::BombShot,
                               sound::BossHit, sound::Explode});
}

uint32_t WebPlatform::TimeGetTime() {
  return static_cast<uint32_t>(static_cast<uint64_t>(browser::NowMs() - startMs_));
}

void WebPlatform::Sleep(uint32_t ms) {
  browser::SleepUntil(browser::NowMs() + ms);
}

uint32_t WebPlatform::MicroTime() {
  return static_cast<uint32_t>(static_cast<uint64_t>((browser::NowMs() - startMs_) * 1000.0));
}

void WebPlatform::WaitUntil(uint32_t start, uint32_t micros) {
  const uint32_t passed = MicroTime() - start;
  if (passed >= micros) return;
  browser::SleepUntil(browser::NowMs() + (micros - passed) / 1000.0);
}

void WebPlatform::TakeInput() {
  while (const std::optional<browser::KeyEvent> event = browser::TakeKeyEvent()) {
    if (event->Code == "Blur" || event->Code == "BlurPause") {
      keys_.ReleaseAll();
      // Another window took the keyboard: a game in play waits for the player's return.
      if (event->Code == "BlurPause" && game_ != nullptr && !game_->InTitle() &&
          !game_->State().Menu.Checked(MenuId::Pause)) {
        commands_.push_back(MenuId::Pause);
      }
    } else if (event->Code == "Looks") {
      ApplyLooks(browser::PageLooks());
    } else if (event->Code == "Fast") {
      if (game_ != nullptr && game_->Playing()) game_->Playback().ToggleFast();
    } else if (!event->Down) {
      keys_.Release(event->Code);
    } else if (event->Code.starts_with(kMenuClick)) {
      const std::string_view name = std::string_view(event->Code).substr(kMenuClick.size());
      for (const MenuItemInfo& item : MenuItems) {
        if (name == item.Name) commands_.push_back(item.Id);
      }
    } else if (event->Code.starts_with(kWindowClick)) {
      pageWindows_.push_back(event->Code.substr(kWindowClick.size()));
    } else if (!keys_.Press(event->Code)) {
      if (const std::optional<MenuId> item = MenuItemForCode(event->Code)) {
        commands_.push_back(*item);
      }
    }
  }
}

void WebPlatform::ProcessEvents() {
  TakeInput();
  if (OnYield) OnYield();
  if (game_ == nullptr) return;
  // A command may open a box or end the game; it runs here, at the yield, as on the desktop.
  std::vector<MenuId> now;
  now.swap(commands_);
  for (const MenuId id : now) {
    if (game_->State().Menu.Enabled(id) && (!game_->Playing() || WatcherMayUse(id))) {
      game_->MenuCommand(id);
    }
  }
  std::vector<std::string> windows;
  windows.swap(pageWindows_);
  for (const std::string& kind : windows) RunPageWindow(kind);
  SyncMenu();
}

void WebPlatform::WaitEvents() {
  browser::WaitForInput(kPadPollMs);
  ProcessEvents();
}

uint32_t WebPlatform::Present(const Surface& field) {
  // The frame's time is when the game hands it over: the next frame is paced from there, so the
  // copying below does not lengthen every period by what it takes.
  const double now = browser::NowMs();
  SurfaceToRgba(field, rgba_);
  browser::ShowField(rgba_.data(), field.Width(), field.Height(), now);
  // Read only: the page steers by touch towards a target, and needs to know where the ship got
  // to, not guess it by counting steps (walls stop it, and not every frame reads the keys).
  if (game_ != nullptr && !game_->InTitle() && game_->Playing() == nullptr) {
    const Entity& ship = game_->State().Player;
    browser::ShowShip(ship.X, ship.Y, ship.W, ship.H, ship.StepX(), ship.StepY());
  } else {
    browser::ShowShip(0, 0, 0, 0, 0, 0);
  }
  return static_cast<uint32_t>(static_cast<uint64_t>((now - startMs_) * 1000.0));
}

bool WebPlatform::KeyDown(int virtualKey) {
  if (keyScript_) return keyScript_->Down(frame_(), virtualKey);
  return keys_.Down(virtualKey);
}

bool WebPlatform::SetProgramFolder(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path link(folder);
  std::filesystem::create_directories(link.parent_path(), error);
  std::filesystem::create_directory_symlink(programFolder_, link, error);
  if (error) return false;
  programFolder_ = folder;
  return true;
}

void WebPlatform::SetKeyScript(KeyScript keys, std::function<uint64_t()> frame) {
  keyScript_ = std::move(keys);
  frame_ = std::move(frame);
}

int WebPlatform::JoyGetDevCaps(JoyCapsRecord& caps) {
  browser::PadState pad;
  if (keyScript_ || !browser::ReadPad(pad)) return 1;
  caps = JoyCapsRecord{65535, 65535};
  return 0;
}

int WebPlatform::JoyGetPos(JoyInfo& info) {
  browser::PadState pad;
  if (keyScript_ || !browser::ReadPad(pad)) return 1;
  // The standard mapping's D-pad (buttons 12 to 15) moves as the stick does.
  double x = pad.X;
  double y = pad.Y;
  if (pad.Buttons & (1u << 14)) x = -1;
  if (pad.Buttons & (1u << 15)) x = 1;
  if (pad.Buttons & (1u << 12)) y = -1;
  if (pad.Buttons & (1u << 13)) y = 1;
  // The bound buttons fire straight and spread; X and Y, unbound, hold the fire, as on the
  // desktop.
  info = JoyInfo{Axis(x), Axis(y), 32768, PadGameButtons(pad_, pad.Buttons)};
  return 0;
}

bool WebPlatform::LoadPicture(const std::string& path, Surface& out) {
  if (path.empty()) return false;
  std::string why;
  const std::optional<std::string> bytes = ReadGameFile(path, MaxPictureFileSize, why);
  if (!bytes) return false;
  // Our own checks first, as on the desktop; then the browser, whose decoders are built for
  // pictures from anywhere.
  const std::string format = PictureFormat(*bytes);
  if (format.empty() || (format == "bmp" && KnownBitmapHeader(*bytes) == 0) ||
      !PictureDataComplete(format, *bytes)) {
    return false;
  }
  int width = 0;
  int height = 0;
  std::string rgba;
  if (!browser::DecodePicture(*bytes, width, height, rgba) || width <= 0 || height <= 0 ||
      width > MaxPictureFileSide || height > MaxPictureFileSide ||
      int64_t{width} * height > MaxPicturePixels) {
    return false;
  }
  out.Resize(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
      out.SetPixel(x, y,
                   Rgb(static_cast<uint8_t>(rgba[at]), static_cast<uint8_t>(rgba[at + 1]),
                       static_cast<uint8_t>(rgba[at + 2])));
    }
  }
  return true;
}

}  // namespace pelaryn
