#include "platform/desktop/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <cstdarg>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <system_error>
#include <utility>

#include "base/Paths.h"
#include "base/RegularFile.h"
#include "platform/sound/MidiCheck.h"
#include "platform/sound/WavCheck.h"

namespace pelaryn {
namespace {

constexpr int kEffectChannel = 0;
// Samples per mix: about 23 ms at 44.1 kHz, short enough that an effect starts with its event.
constexpr int kMixSamples = 1024;
// Nobody hears the silent driver, so it mixes rarely: its thread wakes five times a second, not
// forty-three.
constexpr int kSilentMixSamples = 8192;

// Far above any piece or effect of ours; a larger file is not worth the memory.
constexpr std::size_t MaxMidiFileSize = std::size_t{4} << 20;
constexpr std::size_t MaxWavFileSize = std::size_t{32} << 20;
// Distinct library messages said before the rest are kept quiet.
constexpr std::size_t MaxLibraryMessages = 8;

// The effect at `path`, read as a regular file first: SDL would wait for ever on a FIFO.
ChunkPtr ReadWav(const std::string& path, std::string& why) {
  const std::optional<std::string> bytes = ReadRegularFile(path, MaxWavFileSize, why);
  if (!bytes || !IsWavEffect(*bytes, why)) return nullptr;
  ChunkPtr chunk(
      Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size())), 1));
  if (!chunk) why = std::string("is not a WAV effect: ") + Mix_GetError();
  return chunk;
}

int64_t NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Linear in amplitude, so half the percentage is 6 dB down; 100 is the mix exactly as written.
float MusicGain(int percent) {
  return static_cast<float>(kMusicGain * (percent / 100.0));
}

// Rounded to SDL's steps of a 128th: the nearest step, exactly kEffectVolume at 100. Only 0 is
// silent: the lowest setting of a slider must still be heard, or it would be a second mute.
int EffectChannelVolume(int percent) {
  if (percent <= 0) return 0;
  return std::max(1, (kEffectVolume * percent + 50) / 100);
}

void FluidLog(int, const char* message, void* log) {
  static_cast<SdlAudio::LibraryLog*>(log)->Say(message);
}

// ALSA speaks for itself when it probes devices that are not there; the reason the game is
// silent is said once, by us.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void FreeChunk::operator()(Mix_Chunk* chunk) const {
  Mix_FreeChunk(chunk);
}

// ---- Music ----

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
  fluid_settings_t* settings = new_fluid_settings();
  if (settings == nullptr) return "cannot start the synthesizer";
  fluid_settings_setnum(settings, "synth.sample-rate", rate_);
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
  settings_ = settings;
  synth_ = synth;
  ApplyVolume();
  if (open_) StartPlayer();
  return "";
}

void SdlMusicDevice::SetVolume(int percent) {
  const std::lock_guard lock(lock_);
  volume_ = percent;
  ApplyVolume();
}

void SdlMusicDevice::ApplyVolume() {
  // FluidSynth scales the notes already sounding too, so a change is heard at the next buffer. It
  // also ends every note that its gain puts below the noise floor, for good: at gain 0 a held
  // note would not come back when the music is turned up again. Silence keeps the last gain and
  // is made when rendering.
  if (synth_ != nullptr && volume_ > 0) fluid_synth_set_gain(synth_, MusicGain(volume_));
}

void SdlMusicDevice::Render(void* self, uint8_t* stream, int bytes) {
  // The mixer has filled the stream with silence; the music goes in first, the effects on top.
  auto* device = static_cast<SdlMusicDevice*>(self);
  const std::lock_guard lock(device->lock_);
  if (device->player_ == nullptr || !device->playing_) return;
  const int channels = device->channels_;
  auto* out = reinterpret_cast<int16_t*>(stream);
  fluid_synth_write_s16(device->synth_, bytes / (2 * channels), out, 0, channels, out,
                        channels > 1 ? 1 : 0, channels);
  // Silenced music runs on at its last gain (the piece keeps its time, ends when it would, and its
  // held notes are there when it is turned up again), but is not heard.
  if (device->volume_ == 0) std::memset(stream, 0, static_cast<size_t>(bytes));
  if (device->ended_.load(std::memory_order_relaxed)) return;
  if (device->totalTicks_ <= 0) {
    device->totalTicks_ = fluid_player_get_total_ticks(device->player_);
  }
  const int total = device->totalTicks_;
  if (fluid_player_get_status(device->player_) != FLUID_PLAYER_PLAYING ||
      (total > 0 && fluid_player_get_current_tick(device->player_) >= total)) {
    device->ended_.store(true, std::memory_order_relaxed);
  }
}

void SdlMusicDevice::StartPlayer() {
  DropPlayer();
  ended_ = false;
  totalTicks_ = 0;
  if (synth_ == nullptr) return;  // the soundfont's loader starts it
  // A fresh start: no notes, controllers or echoes left over from what played before.
  fluid_synth_system_reset(synth_);
  player_ = new_fluid_player(synth_);
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

bool SdlMusicDevice::Open(const std::string& path) {
  if (noMixer_ || open_ || path.empty()) return false;
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
  const std::lock_guard lock(lock_);
  piece_ = std::move(piece);
  open_ = true;
  playing_ = false;
  restarts_.Started(NowMicros());
  StartPlayer();
  return true;
}

void SdlMusicDevice::Play() {
  if (!open_ || playing_) return;
  const std::lock_guard lock(lock_);
  playing_ = true;
}

void SdlMusicDevice::PlayFromStart() {
  if (!open_) return;
  const int64_t now = NowMicros();
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
  open_ = false;
  playing_ = false;
  ended_ = false;
  piece_.clear();
}

std::string_view SdlMusicDevice::Mode() {
  if (!open_) return "";
  return playing_ && !ended_.load(std::memory_order_relaxed) ? "playing" : "stopped";
}

// ---- Effects ----

SdlSoundPlayer::~SdlSoundPlayer() {
  if (started_ && mixerOpen_) Mix_HaltChannel(kEffectChannel);
}

SdlSoundPlayer::Chunks SdlSoundPlayer::ReadAll(const std::string& folder,
                                               const std::vector<std::string>& files,
                                               Problems& problems) {
  Chunks chunks;
  for (const std::string& file : files) {
    const std::string path = ResolveInProgramFolder(folder, file);
    std::string why;
    ChunkPtr chunk = ReadWav(path, why);
    if (!chunk) problems.emplace_back(path, why);
    chunks.emplace(file, std::move(chunk));
  }
  return chunks;
}

bool SdlSoundPlayer::Started() {
  if (started_) return true;
  if (!start_.valid() || start_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    return false;
  }
  Start start = start_.get();
  mixerOpen_ = start.mixerOpen;
  chunks_ = std::move(start.chunks);
  for (const auto& [path, why] : start.problems) warnings_.Warn("the effect", path, why);
  // A volume chosen while the mixer was opening holds from the first effect on.
  if (mixerOpen_) Mix_Volume(kEffectChannel, EffectChannelVolume(volume_));
  started_ = true;
  return true;
}

void SdlSoundPlayer::SetVolume(int percent) {
  volume_ = percent;
  if (Started() && mixerOpen_) Mix_Volume(kEffectChannel, EffectChannelVolume(volume_));
}

void SdlSoundPlayer::Play(std::string_view file, bool interrupt) {
  if (!Started() || !mixerOpen_) return;
  if (!interrupt && Mix_Playing(kEffectChannel)) return;
  Mix_Chunk* chunk = Load(file);
  if (chunk == nullptr) return;
  Mix_HaltChannel(kEffectChannel);
  Mix_PlayChannel(kEffectChannel, chunk, 0);
}

Mix_Chunk* SdlSoundPlayer::Load(std::string_view file) {
  const auto found = chunks_.find(file);
  if (found != chunks_.end()) return found->second.get();
  const std::string path = ResolveInProgramFolder(folder_, std::string(file));
  std::string why;
  ChunkPtr chunk = ReadWav(path, why);
  if (!chunk) warnings_.Warn("the effect", path, why);
  return chunks_.emplace(std::string(file), std::move(chunk)).first->second.get();
}

// ---- Owner ----

SdlAudio::SdlAudio(const std::string& soundFont, const std::string& programFolder,
                   std::vector<std::string> preload)
    : soundFont_(soundFont), programFolder_(programFolder), preload_(std::move(preload)) {
  snd_lib_error_set_handler(QuietAlsa);
  for (const int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN}) {
    fluid_set_log_function(level, FluidLog, &fluidLog_);
  }
  for (const int level : {FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
  music_ = std::make_unique<SdlMusicDevice>();
  sound_ = std::make_unique<SdlSoundPlayer>(programFolder_);
  sound_->Expect(started_.get_future());
  try {
    loading_ = std::async(std::launch::async, &SdlAudio::Load, this);
  } catch (const std::system_error&) {
    // No helper thread to be had: the start-up is slower, the game the same.
    std::promise<std::string> done;
    done.set_value(Load());
    loading_ = done.get_future();
  }
}

std::string SdlAudio::Load() {
  // Without this SDL takes over SIGINT and SIGTERM, and the game no longer ends on them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  std::string reason;
  if (!OpenMixer(kMixSamples)) {
    reason = std::string("no sound: ") + SDL_GetError();
    CloseMixer();
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (!OpenMixer(kSilentMixSamples)) {
      reason += std::string(" (and the silent driver failed: ") + SDL_GetError() + ")";
      CloseMixer();
    }
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  }
  if (mixerOpen_) {
    Mix_AllocateChannels(1);
    Mix_Volume(kEffectChannel, kEffectVolume);
    music_->Connect();
  } else {
    music_->NoMixer();
  }
  SdlSoundPlayer::Problems problems;
  SdlSoundPlayer::Chunks chunks;
  if (mixerOpen_) chunks = SdlSoundPlayer::ReadAll(programFolder_, preload_, problems);
  started_.set_value({mixerOpen_, std::move(chunks), std::move(problems)});

  std::error_code error;
  const char* driver = mixerOpen_ ? SDL_GetCurrentAudioDriver() : nullptr;
  if (driver == nullptr) {
    // No mixer: the reason says so already.
  } else if (!std::filesystem::exists(soundFont_, error)) {
    if (reason.empty()) reason = "music may be silent: soundfont " + soundFont_ + " not found";
  } else if (std::string_view(driver) != "dummy") {
    const std::string problem = music_->LoadSoundFont(soundFont_);
    if (!problem.empty() && reason.empty()) reason = "music may be silent: " + problem;
  }
  SDL_TLSCleanup();  // SDL keeps per-thread state (its error text) that would outlive the thread
  if (!reason.empty()) std::fprintf(stderr, "pelaryn: %s\n", reason.c_str());
  return reason;
}

SdlAudio::~SdlAudio() {
  FinishLoading();
  music_.reset();
  sound_.reset();
  CloseMixer();
  // The messages' owner goes; FluidSynth and ALSA speak for themselves again.
  for (const int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
    fluid_set_log_function(level, fluid_default_log_function, nullptr);
  }
  snd_lib_error_set_handler(nullptr);
}

void SdlAudio::LibraryLog::Say(const char* message) {
  const std::lock_guard lock(lock_);
  if (said_.size() >= MaxLibraryMessages || !said_.insert(message).second) return;
  std::fprintf(stderr, "pelaryn: music: %s\n", message);
}

void SdlAudio::SetVolumes(int musicPercent, int effectPercent) {
  music_->SetVolume(std::clamp(musicPercent, 0, 100));
  sound_->SetVolume(std::clamp(effectPercent, 0, 100));
}

void SdlAudio::FinishLoading() {
  if (loading_.valid()) silenceReason_ = loading_.get();
}

bool SdlAudio::OpenMixer(int samples) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  audioStarted_ = true;
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, samples) != 0) return false;
  mixerOpen_ = true;
  return true;
}

void SdlAudio::CloseMixer() {
  if (mixerOpen_) Mix_CloseAudio();
  mixerOpen_ = false;
  if (audioStarted_) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  audioStarted_ = false;
}

}  // namespace pelaryn
