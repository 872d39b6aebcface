#include "platform/desktop/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>
#include <vector>

#include "base/Paths.h"

namespace pelaryn {
namespace {

constexpr int kEffectChannel = 0;

// Reads big-endian numbers from a byte range; reading past its end yields zeros and marks the
// cursor broken instead of leaving the range.
struct Cursor {
  const uint8_t* at;
  const uint8_t* end;
  bool broken = false;

  size_t Left() const { return static_cast<size_t>(end - at); }
  uint8_t Byte() {
    if (at == end) {
      broken = true;
      return 0;
    }
    return *at++;
  }
  uint32_t Big(int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | Byte();
    return value;
  }
  uint32_t Variable() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const uint8_t byte = Byte();
      value = value << 7 | (byte & 0x7F);
      if ((byte & 0x80) == 0) break;
    }
    return value;
  }
  void Skip(size_t bytes) {
    if (bytes > Left()) broken = true;
    at += std::min(bytes, Left());
  }
};

// How long a Standard MIDI File plays, in seconds: up to the last End of Track, through the
// file's tempo changes. Negative for anything that is not such a file.
double MidiSeconds(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> data{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
  Cursor file{data.data(), data.data() + data.size()};
  if (file.Big(4) != 0x4D546864 /* MThd */) return -1.0;
  const uint32_t headerLength = file.Big(4);
  file.Big(2);  // format
  const uint32_t trackCount = file.Big(2);
  const uint32_t division = file.Big(2);
  file.Skip(headerLength < 6 ? 0 : headerLength - 6);
  if (file.broken || headerLength < 6 || division == 0) return -1.0;

  std::vector<std::pair<uint64_t, uint32_t>> tempos;  // tick, microseconds per quarter
  uint64_t endTick = 0;
  for (uint32_t i = 0; i < trackCount && file.Left() >= 8; ++i) {
    const uint32_t tag = file.Big(4);
    const uint32_t length = file.Big(4);
    if (length > file.Left()) return -1.0;
    Cursor track{file.at, file.at + length};
    file.Skip(length);
    if (tag != 0x4D54726B /* MTrk */) continue;
    uint64_t tick = 0;
    uint8_t status = 0;
    while (track.Left() > 0 && !track.broken) {
      tick += track.Variable();
      if (track.Left() > 0 && (*track.at & 0x80) != 0) status = track.Byte();
      if (status == 0xFF) {
        const uint8_t type = track.Byte();
        const uint32_t size = track.Variable();
        if (type == 0x2F) break;
        if (type == 0x51 && size == 3) {
          tempos.emplace_back(tick, track.Big(3));
        } else {
          track.Skip(size);
        }
      } else if (status == 0xF0 || status == 0xF7) {
        track.Skip(track.Variable());
      } else if (status != 0) {
        const uint8_t kind = status & 0xF0;
        track.Skip(kind == 0xC0 || kind == 0xD0 ? 1 : 2);
      } else {
        return -1.0;  // data before any status byte
      }
    }
    endTick = std::max(endTick, tick);
  }

  if ((division & 0x8000) != 0) {  // SMPTE frames and ticks per frame
    const int framesPerSecond = 256 - static_cast<int>(division >> 8);
    const uint32_t ticksPerFrame = division & 0xFF;
    if (ticksPerFrame == 0) return -1.0;
    return static_cast<double>(endTick) / (framesPerSecond * ticksPerFrame);
  }
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  double seconds = 0.0;
  uint64_t tick = 0;
  uint32_t micros = 500000;
  for (const auto& [at, tempo] : tempos) {
    if (at >= endTick) break;
    seconds += static_cast<double>(at - tick) * micros / (1e6 * division);
    tick = at;
    micros = tempo;
  }
  return seconds + static_cast<double>(endTick - tick) * micros / (1e6 * division);
}

// Empty when MIDI music can play with this soundfont; otherwise why it may not.
std::string UseSoundFont(const std::string& soundFont) {
  if ((Mix_Init(0) & MIX_INIT_MID) == 0) return "this SDL_mixer cannot play MIDI";
  std::error_code error;
  if (!std::filesystem::exists(soundFont, error)) return "soundfont " + soundFont + " not found";
  if (Mix_SetSoundFonts(soundFont.c_str()) == 0) {
    return "cannot use soundfont " + soundFont + ": " + Mix_GetError();
  }
  return "";
}

// Frees the piece that has finished and loads a fresh copy, off the game's thread.
MusicPtr LoadPiece(std::string path, MusicPtr retired) {
  retired.reset();
  MusicPtr music(Mix_LoadMUS(path.c_str()));
  SDL_TLSCleanup();  // SDL keeps per-thread state (its error text) that would outlive the thread
  return music;
}

}  // namespace

void FreeMusic::operator()(_Mix_Music* music) const {
  Mix_FreeMusic(music);
}
void FreeChunk::operator()(Mix_Chunk* chunk) const {
  Mix_FreeChunk(chunk);
}

// ---- Music ----

SdlMusicDevice::SdlMusicDevice(bool mixerOpen) : mixerOpen_(mixerOpen) {
  if (!mixerOpen_) return;
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
  if (Mix_QuerySpec(&frequency, &format, &channels) != 0) {
    framesPerSecond_ = frequency;
    bytesPerFrame_ = static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8) * channels;
  }
  Mix_SetPostMix(&SdlMusicDevice::CountPlayedFrames, this);
}

SdlMusicDevice::~SdlMusicDevice() {
  Close();
  if (mixerOpen_) Mix_SetPostMix(nullptr, nullptr);
}

void SdlMusicDevice::CountPlayedFrames(void* self, uint8_t* /*stream*/, int bytes) {
  auto* device = static_cast<SdlMusicDevice*>(self);
  if (device->counting_.load(std::memory_order_relaxed)) {
    device->playedFrames_.fetch_add(bytes / device->bytesPerFrame_, std::memory_order_relaxed);
  }
}

bool SdlMusicDevice::Open(const std::string& path) {
  if (!mixerOpen_ || open_) return false;
  MusicPtr music(Mix_LoadMUS(path.c_str()));
  if (!music) return false;
  // SDL_mixer takes anything named .mid for MIDI and "plays" it even when it is not a MIDI file;
  // such a file does not open.
  const double seconds = MidiSeconds(path);
  if (Mix_GetMusicType(music.get()) == MUS_MID && seconds < 0.0) return false;
  current_ = std::move(music);
  path_ = path;
  open_ = true;
  started_ = false;
  playing_ = false;
  spareFailed_ = false;
  playedFrames_ = 0;
  endFrame_ = seconds > 0.0 ? static_cast<int64_t>(seconds * framesPerSecond_) : -1;
  LoadSpare(nullptr);
  return true;
}

void SdlMusicDevice::Play() {
  if (!open_ || playing_) return;
  if (started_) {
    Mix_ResumeMusic();
  } else {
    Mix_PlayMusic(current_.get(), 0);
    started_ = true;
  }
  playing_ = true;
  counting_ = true;
}

void SdlMusicDevice::PlayFromStart() {
  if (!open_) return;
  if (!started_) {  // the open copy has not moved from its beginning yet
    playing_ = false;
    Play();
    return;
  }
  MusicPtr fresh = TakeSpare();
  if (!fresh) {
    // The file has gone since it was opened: the piece stays where it is.
    spareFailed_ = true;
    return;
  }
  counting_ = false;
  Mix_HaltMusic();
  MusicPtr retired = std::exchange(current_, std::move(fresh));
  playedFrames_ = 0;
  Mix_PlayMusic(current_.get(), 0);
  playing_ = true;
  counting_ = true;
  LoadSpare(std::move(retired));
}

void SdlMusicDevice::Stop() {
  if (!open_ || !playing_) return;
  counting_ = false;
  Mix_PauseMusic();
  playing_ = false;
}

void SdlMusicDevice::Close() {
  if (!open_) return;
  counting_ = false;
  Mix_HaltMusic();
  current_.reset();
  if (spare_.valid()) spare_.get().reset();
  open_ = false;
  started_ = false;
  playing_ = false;
  playedFrames_ = 0;
  endFrame_ = -1;
}

std::string_view SdlMusicDevice::Mode() {
  if (!open_) return "";
  return playing_ && !Ended() ? "playing" : "stopped";
}

bool SdlMusicDevice::Ended() const {
  if (endFrame_ >= 0 && playedFrames_.load(std::memory_order_relaxed) >= endFrame_) return true;
  return Mix_PlayingMusic() == 0;
}

void SdlMusicDevice::LoadSpare(MusicPtr retired) {
  if (spareFailed_) return;
  try {
    spare_ = std::async(std::launch::async, LoadPiece, path_, std::move(retired));
  } catch (const std::system_error&) {
    // No helper thread to be had: TakeSpare loads on the spot instead.
  }
}

MusicPtr SdlMusicDevice::TakeSpare() {
  if (spare_.valid()) return spare_.get();  // waits only if the helper is still loading
  if (spareFailed_) return nullptr;
  return MusicPtr(Mix_LoadMUS(path_.c_str()));
}

// ---- Effects ----

SdlSoundPlayer::~SdlSoundPlayer() {
  if (mixerOpen_) Mix_HaltChannel(kEffectChannel);
}

void SdlSoundPlayer::Play(std::string_view file, bool interrupt) {
  if (!mixerOpen_) return;
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
  ChunkPtr chunk(Mix_LoadWAV(path.c_str()));
  return chunks_.emplace(std::string(file), std::move(chunk)).first->second.get();
}

// ---- Owner ----

SdlAudio::SdlAudio(const std::string& soundFont, const std::string& programFolder) {
  // Without this SDL takes over SIGINT and SIGTERM, and the game no longer ends on them.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (!OpenMixer()) {
    silenceReason_ = std::string("no sound: ") + SDL_GetError();
    CloseMixer();
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (!OpenMixer()) {
      silenceReason_ += std::string(" (and the silent driver failed: ") + SDL_GetError() + ")";
      CloseMixer();
    }
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  }
  if (mixerOpen_) {
    Mix_AllocateChannels(1);
    // SDL_mixer hands its music volume on to FluidSynth as a gain of volume * 1.2 / 128.
    Mix_VolumeMusic(static_cast<int>(std::lround(kMusicGain / 1.2 * MIX_MAX_VOLUME)));
    Mix_Volume(kEffectChannel, kEffectVolume);
    const std::string musicProblem = UseSoundFont(soundFont);
    if (silenceReason_.empty() && !musicProblem.empty()) {
      silenceReason_ = "music may be silent: " + musicProblem;
    }
  }
  music_ = std::make_unique<SdlMusicDevice>(mixerOpen_);
  sound_ = std::make_unique<SdlSoundPlayer>(mixerOpen_, programFolder);
}

SdlAudio::~SdlAudio() {
  music_.reset();
  sound_.reset();
  CloseMixer();
}

bool SdlAudio::OpenMixer() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  audioStarted_ = true;
  Mix_Init(MIX_INIT_MID);
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) return false;
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
