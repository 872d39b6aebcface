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

// Far above any effect of ours; a larger file is not worth the memory.
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
    music_->Connect(kMixSamples);
  } else {
    music_->NoMixer();
  }
  SdlSoundPlayer::Problems problems;
  SdlSoundPlayer::Chunks chunks;
  if (mixerOpen_) chunks = SdlSoundPlayer::ReadAll(programFolder_, preload_, problems);
  started_.set_value({mixerOpen_, std::move(chunks), std::move(problems)});

  const char* driver = mixerOpen_ ? SDL_GetCurrentAudioDriver() : nullptr;
  // Without a mixer the reason says so already.
  musicHeard_ = driver != nullptr && std::string_view(driver) != "dummy";
  if (musicHeard_) {
    const std::string problem =
        LoadFirstSoundFont([this](const std::string& font) { return music_->LoadSoundFont(font); });
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

bool SdlAudio::LoadingDone() const {
  return !loading_.valid() ||
         loading_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

std::string SdlAudio::LoadFirstSoundFont(
    const std::function<std::string(const std::string&)>& load) {
  std::string problem;
  for (const std::string& font : SoundFontsToTry(soundFont_)) {
    std::error_code error;
    std::string why = std::filesystem::is_regular_file(font, error)
                          ? load(font)
                          : "soundfont " + font + " not found";
    if (why.empty()) break;
    if (font == soundFont_) {
      chosenFailed_ = true;
      std::fprintf(stderr, "pelaryn: %s; the music falls back to the game's own\n", why.c_str());
    }
    if (problem.empty()) problem = std::move(why);
  }
  return music_->SoundFont().empty() ? problem : std::string();
}

bool SdlAudio::UseSoundFont(const std::string& soundFont) {
  // The same choice again, as every change of the preferences applies them all: whether it
  // loaded was said when it was made.
  if (soundFont == soundFont_) return true;
  FinishLoading();
  soundFont_ = soundFont;
  chosenFailed_ = false;
  if (!musicHeard_) return true;
  LoadFirstSoundFont([this](const std::string& font) {
    return font == music_->SoundFont() ? std::string() : music_->ChangeSoundFont(font);
  });
  return !chosenFailed_;
}

std::vector<std::string> SoundFontsToTry(const std::string& chosen) {
  std::vector<std::string> fonts;
  if (!chosen.empty()) fonts.push_back(chosen);
  for (const std::string_view font : {kGameSoundFont, kSystemSoundFont}) {
    if (std::find(fonts.begin(), fonts.end(), font) == fonts.end()) fonts.emplace_back(font);
  }
  return fonts;
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
