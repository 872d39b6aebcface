#include "platform/desktop/SdlMusic.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

#include "platform/sound/MidiCheck.h"

namespace pelaryn {
namespace {

// Far above any piece of ours; a larger file is not worth the memory.
constexpr std::size_t MaxMidiFileSize = std::size_t{4} << 20;
// What a piece rings on after its end is kept up to its next start, which the game asks for
// within a frame; a piece nobody starts again keeps no more than this.
constexpr int kTailSeconds = 4;

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

}  // namespace

void SdlMusicDevice::Connect() {
  int rate = 0;
  Uint16 format = 0;
  int channels = 0;
  // The mixer was asked for 16-bit samples, and that is all we render.
  if (Mix_QuerySpec(&rate, &format, &channels) == 0 || format != AUDIO_S16SYS) return;
  {
    const std::lock_guard lock(lock_);
    rate_ = rate;
    channels_ = channels;
  }
  Mix_HookMusic(&SdlMusicDevice::Render, this);
  hooked_ = true;
}

SdlMusicDevice::~SdlMusicDevice() {
  if (hooked_) Mix_HookMusic(nullptr, nullptr);  // returns once no mix is in progress
  DropPlayer();
  if (synth_ != nullptr) delete_fluid_synth(synth_);
  if (settings_ != nullptr) delete_fluid_settings(settings_);
}

std::string SdlMusicDevice::LoadSoundFont(const std::string& soundFont) {
  if (!hooked_) return "";
  return LoadSoundFontAt(soundFont, rate_, channels_);
}

std::string SdlMusicDevice::LoadSoundFontAt(const std::string& soundFont, int rate, int channels) {
  // A piece asked for meanwhile starts recording here, on this thread: its blocks come first.
  std::vector<PieceMemory::Block> fresh;
  std::vector<PieceMemory::Block> stale;
  for (std::size_t i = 0; i < PieceMemory::LeadBlocks; ++i) {
    fresh.push_back(std::make_unique_for_overwrite<int16_t[]>(PieceMemory::BlockSamples));
  }
  fluid_settings_t* settings = new_fluid_settings();
  if (settings == nullptr) return "cannot start the synthesizer";
  fluid_settings_setnum(settings, "synth.sample-rate", rate);
  fluid_settings_setnum(settings, "synth.gain", kMusicGain);
  // The player keeps time by the samples rendered: no timer thread, and a piece stands still
  // exactly while the music is stopped.
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_settings_setint(settings, "synth.lock-memory", 0);
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (synth == nullptr || fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED) {
    if (synth != nullptr) delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return "cannot load soundfont " + soundFont;
  }
  const std::lock_guard lock(lock_);
  rate_ = rate;
  channels_ = channels;
  settings_ = settings;
  synth_ = synth;
  memory_.Exchange(fresh, stale);
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
  const int channels = channels_;
  const auto count = static_cast<std::size_t>(bytes) / sizeof(int16_t);
  if (fromMemory_ != nullptr) {
    const PieceMemory::Piece& piece = *fromMemory_;
    for (std::size_t i = 0; i < count && position_ + i < piece.Samples; ++i) {
      const std::size_t at = position_ + i;
      out[i] = piece.Blocks[at / PieceMemory::BlockSamples][at % PieceMemory::BlockSamples];
    }
    position_ += count;
    if (position_ >= piece.EndSample) ended_.store(true, std::memory_order_relaxed);
    ApplyVolume(out, count, volume_);
    return;
  }
  if (player_ == nullptr) return;
  fluid_synth_write_s16(synth_, bytes / (2 * channels), out, 0, channels, out, channels > 1 ? 1 : 0,
                        channels);
  const bool endedBefore = ended_.load(std::memory_order_relaxed);
  if (!endedBefore) {
    if (totalTicks_ <= 0) totalTicks_ = fluid_player_get_total_ticks(player_);
    if (fluid_player_get_status(player_) != FLUID_PLAYER_PLAYING ||
        (totalTicks_ > 0 && fluid_player_get_current_tick(player_) >= totalTicks_)) {
      ended_.store(true, std::memory_order_relaxed);
    }
  }
  // Kept as rendered, at full loudness, up to a few seconds past the end.
  const auto tail = static_cast<std::size_t>(kTailSeconds * rate_ * channels);
  if (memory_.Recording() && memory_.SamplesPastEnd() <= tail && memory_.Append(out, count) &&
      !endedBefore && ended_.load(std::memory_order_relaxed)) {
    memory_.MarkEnd();
  }
  ApplyVolume(out, count, volume_);
}

void SdlMusicDevice::StartPlayer() {
  DropPlayer();
  // What was rendered since the last start is the whole piece, if it was heard to its end.
  memory_.FinishRecording();
  ended_ = false;
  totalTicks_ = 0;
  fromMemory_ = memory_.Find(path_, piece_);
  position_ = 0;
  if (synth_ == nullptr) return;  // the soundfont's loader starts it
  // A fresh start: no notes, controllers or echoes left over from what played before.
  fluid_synth_system_reset(synth_);
  if (fromMemory_ != nullptr) return;
  player_ = new_fluid_player(synth_);
  if (player_ == nullptr ||
      fluid_player_add_mem(player_, piece_.data(), piece_.size()) != FLUID_OK ||
      fluid_player_play(player_) != FLUID_OK) {
    DropPlayer();
    ended_ = true;
    return;
  }
  if (!memory_.TooLarge(path_, piece_)) memory_.BeginRecording(path_, piece_);
}

void SdlMusicDevice::DropPlayer() {
  if (player_ == nullptr) return;
  fluid_player_stop(player_);
  delete_fluid_player(player_);
  player_ = nullptr;
}

void SdlMusicDevice::TopUpMemory() {
  std::size_t wanted = 0;
  {
    const std::lock_guard lock(lock_);
    if (memory_.Idle()) return;
    wanted = memory_.BlocksWanted();
  }
  // Allocated and freed here, outside the lock, never by the mixer's thread.
  std::vector<PieceMemory::Block> fresh;
  std::vector<PieceMemory::Block> stale;
  fresh.reserve(wanted);
  for (std::size_t i = 0; i < wanted; ++i) {
    fresh.push_back(std::make_unique_for_overwrite<int16_t[]>(PieceMemory::BlockSamples));
  }
  const std::lock_guard lock(lock_);
  memory_.Exchange(fresh, stale);
}

bool SdlMusicDevice::Open(const std::string& path) {
  if (noMixer_ || open_ || path.empty()) return false;
  TopUpMemory();
  std::string why;
  const std::optional<std::string> bytes = ReadRegularFile(path, MaxMidiFileSize, why);
  if (!bytes) {
    warnings_.Warn("the music", path, why);
    return false;
  }
  std::vector<uint8_t> piece(bytes->begin(), bytes->end());
  if (!IsPlayableMidi(piece, why)) {
    warnings_.Warn("the music", path, why);
    return false;
  }
  {
    const std::lock_guard lock(lock_);
    path_ = path;
    piece_ = std::move(piece);
    open_ = true;
    playing_ = false;
    restarts_.Started(clock_ ? clock_() : NowMicros());
    StartPlayer();
  }
  TopUpMemory();
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
  TopUpMemory();
  {
    const std::lock_guard lock(lock_);
    StartPlayer();
    playing_ = true;
  }
  TopUpMemory();
}

void SdlMusicDevice::Stop() {
  if (!open_ || !playing_) return;
  const std::lock_guard lock(lock_);
  playing_ = false;
}

void SdlMusicDevice::Close() {
  if (!open_) return;
  {
    const std::lock_guard lock(lock_);
    DropPlayer();
    memory_.FinishRecording();
    fromMemory_ = nullptr;
    open_ = false;
    playing_ = false;
    ended_ = false;
    piece_.clear();
    path_.clear();
  }
  TopUpMemory();
}

std::string_view SdlMusicDevice::Mode() {
  if (!open_) return "";
  TopUpMemory();
  return playing_ && !ended_.load(std::memory_order_relaxed) ? "playing" : "stopped";
}

void SdlMusicDevice::KeepOnly(const std::vector<std::string>& paths) {
  {
    const std::lock_guard lock(lock_);
    std::vector<std::string> kept = paths;
    // The piece playing now stays until it closes, named or not.
    if (open_) kept.push_back(path_);
    memory_.KeepOnly(kept);
  }
  TopUpMemory();
}

std::size_t SdlMusicDevice::MemoryBytes() {
  const std::lock_guard lock(lock_);
  return memory_.BytesHeld();
}

}  // namespace pelaryn
