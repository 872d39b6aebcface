#include "platform/desktop/SdlMusic.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

#include "platform/sound/MidiCheck.h"

namespace pelaryn {
namespace {

// Far above any piece of ours; a larger file is not worth the memory.
constexpr std::size_t MaxMidiFileSize = std::size_t{4} << 20;

int64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Linear in amplitude, so half the percentage is 6 dB down; 100 leaves the samples as rendered.
void ApplyVolume(int16_t* samples, std::size_t count, int percent) {
  if (percent >= 100) return;
  if (percent <= 0) {
    std::memset(samples, 0, count * sizeof(int16_t));
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    samples[i] = static_cast<int16_t>(samples[i] * percent / 100);
  }
}

std::optional<std::vector<uint8_t>> ReadPiece(const std::string& path, std::string& why) {
  const std::optional<std::string> bytes = ReadRegularFile(path, MaxMidiFileSize, why);
  if (!bytes) return std::nullopt;
  std::vector<uint8_t> piece(bytes->begin(), bytes->end());
  if (!IsPlayableMidi(piece, why)) return std::nullopt;
  return piece;
}

}  // namespace

void SdlMusicDevice::Connect(int bufferFrames) {
  int rate = 0;
  Uint16 format = 0;
  int channels = 0;
  // The mixer was asked for 16-bit samples, and that is all we render.
  if (Mix_QuerySpec(&rate, &format, &channels) == 0 || format != AUDIO_S16SYS) return;
  {
    const std::lock_guard lock(lock_);
    rate_ = rate;
    channels_ = channels;
    chunkFrames_ = static_cast<std::size_t>(std::max(bufferFrames, 1));
  }
  Mix_HookMusic(&SdlMusicDevice::Render, this);
  hooked_ = true;
}

SdlMusicDevice::~SdlMusicDevice() {
  renderer_.request_stop();
  if (renderer_.joinable()) renderer_.join();
  if (hooked_) Mix_HookMusic(nullptr, nullptr);  // returns once no mix is in progress
  DropPlayer();
}

std::string SdlMusicDevice::LoadSoundFont(const std::string& soundFont) {
  if (!hooked_) return "";
  std::string problem = LoadSoundFontAt(soundFont, rate_, channels_, chunkFrames_);
  // The rendering ahead fills memory in a piece's first seconds, at the lowest priority.
  if (problem.empty()) {
    renderer_ = std::jthread([this](std::stop_token stop) { RenderAheadLoop(stop); });
  }
  return problem;
}

std::string SdlMusicDevice::ChangeSoundFont(const std::string& soundFont) {
  SynthHandle synth;
  if (std::string problem = synth.Make(soundFont, rate_); !problem.empty()) return problem;
  renderer_.request_stop();
  if (renderer_.joinable()) renderer_.join();
  // Freed after the lock, as they are declared before it: a soundfont takes a while to let go.
  SynthHandle old;
  std::vector<PieceMemory::Piece> letGo;
  {
    const std::lock_guard lock(lock_);
    memory_.KeepOnly({}, letGo);
    fromMemory_ = nullptr;
    old = std::move(synth_);
    synth_ = std::move(synth);
    synthUsed_ = false;
    soundFont_ = soundFont;
    if (open_) StartPlayer();
    WantRendered(named_);
  }
  // Without a mixer (a test) the pieces are rendered ahead when RenderAheadNow asks.
  if (hooked_) renderer_ = std::jthread([this](std::stop_token stop) { RenderAheadLoop(stop); });
  return "";
}

std::string SdlMusicDevice::SoundFont() {
  const std::lock_guard lock(lock_);
  return soundFont_;
}

std::string SdlMusicDevice::LoadSoundFontAt(const std::string& soundFont, int rate, int channels,
                                            std::size_t chunkFrames) {
  SynthHandle synth;
  if (std::string problem = synth.Make(soundFont, rate); !problem.empty()) return problem;
  std::vector<float> scratch(2 * chunkFrames);
  const std::lock_guard lock(lock_);
  rate_ = rate;
  channels_ = channels;
  chunkFrames_ = chunkFrames;
  soundFont_ = soundFont;
  synth_ = std::move(synth);
  synthUsed_ = false;
  scratch_ = std::move(scratch);
  if (open_) StartPlayer();
  return "";
}

void SdlMusicDevice::SetVolume(int percent) {
  const std::lock_guard lock(lock_);
  volume_ = std::clamp(percent, 0, 100);
}

void SdlMusicDevice::Render(void* self, uint8_t* stream, int bytes) {
  static_cast<SdlMusicDevice*>(self)->RenderInto(reinterpret_cast<int16_t*>(stream), bytes);
}

void SdlMusicDevice::RenderInto(int16_t* out, int bytes) {
  // The mixer has filled the stream with silence; the music goes in first, the effects on top.
  const std::lock_guard lock(lock_);
  if (!playing_ || bytes <= 0) return;
  const auto count = static_cast<std::size_t>(bytes) / sizeof(int16_t);
  if (fromMemory_ != nullptr) {
    fromMemory_->Read(position_, out, count);
    position_ += count;
    if (position_ >= fromMemory_->EndSample) ended_.store(true, std::memory_order_relaxed);
  } else if (player_ != nullptr) {
    const std::size_t frames = count / channels_;
    // Split otherwise than the rendering ahead, the synthesiser gives other samples from here.
    if (frames != chunkFrames_) seamless_ = false;
    WriteSamples(synth_.Get(), out, frames, channels_, scratch_);
    position_ += count;
    if (!ended_.load(std::memory_order_relaxed) && PassedEnd(player_, totalTicks_)) {
      ended_.store(true, std::memory_order_relaxed);
    }
  }
  ApplyVolume(out, count, volume_);
}

void SdlMusicDevice::StartPlayer() {
  DropPlayer();
  ended_ = false;
  totalTicks_ = 0;
  position_ = 0;
  fromMemory_ = memory_.Find(path_, piece_);
  if (!synth_) return;  // the soundfont's loader starts it
  // A fresh start: no notes, controllers or echoes left over from what played before.
  fluid_synth_system_reset(synth_.Get());
  if (fromMemory_ != nullptr) return;
  // The memory holds what a fresh synthesiser renders, sample for sample. This one gives the
  // same only while it has played nothing else and is asked for the same frames at a time:
  // after another piece it differs a little all through, so such a pass stays live to its end
  // rather than jump.
  seamless_ = !synthUsed_;
  synthUsed_ = true;
  player_ = new_fluid_player(synth_.Get());
  if (player_ == nullptr ||
      fluid_player_add_mem(player_, piece_.data(), piece_.size()) != FLUID_OK ||
      fluid_player_play(player_) != FLUID_OK) {
    DropPlayer();
    ended_ = true;
  }
}

void SdlMusicDevice::DropPlayer() {
  if (player_ == nullptr) return;
  fluid_player_stop(player_);
  delete_fluid_player(player_);
  player_ = nullptr;
}

void SdlMusicDevice::CatchUpWithMemory() {
  if (fromMemory_ != nullptr || player_ == nullptr || !seamless_) return;
  const PieceMemory::Piece* piece = memory_.Find(path_, piece_);
  if (piece == nullptr) return;
  DropPlayer();
  fromMemory_ = piece;
}

bool SdlMusicDevice::Open(const std::string& path) {
  if (noMixer_ || open_ || path.empty()) return false;
  std::string why;
  std::optional<std::vector<uint8_t>> piece = ReadPiece(path, why);
  if (!piece) {
    warnings_.Warn("the music", path, why);
    return false;
  }
  const std::lock_guard lock(lock_);
  path_ = path;
  piece_ = std::move(*piece);
  open_ = true;
  playing_ = false;
  restarts_.Started(clock_ ? clock_() : NowMicros());
  StartPlayer();
  if (fromMemory_ == nullptr && !memory_.Settled(path_, piece_)) {
    toRender_.push_front(path_);
    wake_.notify_one();
  }
  return true;
}

void SdlMusicDevice::Play() {
  if (!open_ || playing_) return;
  const std::lock_guard lock(lock_);
  playing_ = true;
}

void SdlMusicDevice::PlayFromStart() {
  if (!open_) return;
  const int64_t now = clock_ ? clock_() : NowMicros();
  if (ended_.load(std::memory_order_relaxed) && !restarts_.MayRestart(now)) return;
  restarts_.Started(now);
  const std::lock_guard lock(lock_);
  StartPlayer();
  playing_ = true;
}

void SdlMusicDevice::Stop() {
  if (!open_ || !playing_) return;
  const std::lock_guard lock(lock_);
  playing_ = false;
}

void SdlMusicDevice::Close() {
  if (!open_) return;
  const std::lock_guard lock(lock_);
  DropPlayer();
  fromMemory_ = nullptr;
  open_ = false;
  playing_ = false;
  ended_ = false;
  piece_.clear();
  path_.clear();
}

std::string_view SdlMusicDevice::Mode() {
  if (!open_) return "";
  {
    const std::lock_guard lock(lock_);
    CatchUpWithMemory();
  }
  return playing_ && !ended_.load(std::memory_order_relaxed) ? "playing" : "stopped";
}

void SdlMusicDevice::KeepOnly(const std::vector<std::string>& paths) {
  std::vector<PieceMemory::Piece> letGo;
  const std::lock_guard lock(lock_);
  std::vector<std::string> kept = paths;
  // The piece playing now stays until it closes, named or not.
  if (open_) kept.push_back(path_);
  memory_.KeepOnly(kept, letGo);
  named_ = paths;
  WantRendered(paths);
  // letGo's samples are freed after the lock, as it is declared before it.
}

void SdlMusicDevice::WantRendered(const std::vector<std::string>& named) {
  toRender_.clear();
  if (open_) toRender_.push_back(path_);
  for (const std::string& path : named) {
    if (!path.empty() && std::find(toRender_.begin(), toRender_.end(), path) == toRender_.end()) {
      toRender_.push_back(path);
    }
  }
  wake_.notify_one();
}

void SdlMusicDevice::RenderAheadNow() {
  SynthHandle synth;
  while (RenderNext(synth, std::stop_token())) {
  }
}

void SdlMusicDevice::RenderAheadLoop(std::stop_token stop) {
  // Behind everything else in the process: it only ever saves work later.
  const sched_param lowest{};
  pthread_setschedparam(pthread_self(), SCHED_IDLE, &lowest);
  SynthHandle synth;
  while (!stop.stop_requested()) {
    if (RenderNext(synth, stop)) continue;
    // Nothing left: the soundfont's second copy goes until there is work again.
    synth.Reset();
    std::unique_lock lock(lock_);
    wake_.wait(lock, stop, [this] { return !toRender_.empty(); });
  }
}

bool SdlMusicDevice::RenderNext(SynthHandle& synth, const std::stop_token& stop) {
  std::string path;
  std::optional<std::vector<uint8_t>> file;
  std::string soundFont;
  RenderLayout layout;
  std::size_t room = 0;
  {
    const std::lock_guard lock(lock_);
    if (toRender_.empty() || soundFont_.empty()) return false;
    path = toRender_.front();
    toRender_.pop_front();
    // The open piece as it was read then; any other as the file holds it now.
    if (open_ && path == path_) file = piece_;
    soundFont = soundFont_;
    layout = RenderLayout{rate_, channels_, chunkFrames_};
    room = memory_.Room();
  }
  std::string why;
  if (!file) file = ReadPiece(path, why);
  if (!file) return true;  // the game says why, if it ever opens it
  {
    const std::lock_guard lock(lock_);
    if (memory_.Settled(path, *file)) return true;
  }
  if (!synth && !synth.Make(soundFont, layout.Rate).empty()) return true;
  PieceMemory::Piece piece;
  piece.File = std::move(*file);
  const RenderOutcome outcome = RenderPiece(synth.Get(), layout, room, stop, piece);
  std::vector<PieceMemory::Piece> letGo;
  const std::lock_guard lock(lock_);
  // Named no more, or no longer open, while it was rendered: not kept.
  const bool wanted =
      (open_ && path == path_) || std::find(named_.begin(), named_.end(), path) != named_.end();
  if (outcome == RenderOutcome::Rendered && wanted) {
    memory_.Keep(path, std::move(piece), letGo);
  } else if (outcome == RenderOutcome::TooLarge && wanted) {
    memory_.MarkTooLarge(path, std::move(piece.File), letGo);
  }
  return true;
}

std::size_t SdlMusicDevice::MemoryBytes() {
  const std::lock_guard lock(lock_);
  return memory_.BytesHeld();
}

}  // namespace pelaryn
