#pragma once

// Music and sound effects through SDL2_mixer: MIDI through FluidSynth with the General MIDI
// soundfont, WAV effects on one mixer channel. Without a sound device the game runs silent.

#include <atomic>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "base/Platform.h"

// SDL_mixer's own types, declared here so that this header does not pull in SDL.
struct _Mix_Music;
struct Mix_Chunk;

namespace pelaryn {

inline constexpr std::string_view kDefaultSoundFont = "/usr/share/sounds/sf3/default-GM.sf3";

// The mix. Our pieces are written to sit at about -28 LUFS at this synthesizer gain and our
// effects at about -16 LUFS each; the effect channel's volume (of SDL_mixer's 128) brings an
// effect down to a few dB above the music, where it is heard without drowning the tune, and
// leaves headroom so that an effect over the loudest bar never reaches full scale.
inline constexpr double kMusicGain = 0.3;
inline constexpr int kEffectVolume = 36;

struct FreeMusic {
  void operator()(_Mix_Music* music) const;
};
struct FreeChunk {
  void operator()(Mix_Chunk* chunk) const;
};
using MusicPtr = std::unique_ptr<_Mix_Music, FreeMusic>;
using ChunkPtr = std::unique_ptr<Mix_Chunk, FreeChunk>;

// The one music device. "Play from the beginning" needs a freshly loaded piece (a MIDI piece
// cannot be rewound), and loading one costs tens of milliseconds: too much for a frame. So a
// second copy of the open piece is always being loaded, or lies ready, on a helper thread, and
// a restart only swaps the copies.
//
// A piece counts as ended when the mixer has played it as long as the file lasts, not when the
// synthesizer has let its last notes ring out (seconds later), so a piece loops without a gap.
class SdlMusicDevice final : public MusicDevice {
 public:
  // With `mixerOpen` false there is no mixer at all, and every piece fails to open.
  explicit SdlMusicDevice(bool mixerOpen);
  ~SdlMusicDevice() override;
  SdlMusicDevice(const SdlMusicDevice&) = delete;
  SdlMusicDevice& operator=(const SdlMusicDevice&) = delete;

  bool Open(const std::string& path) override;
  void Play() override;
  void PlayFromStart() override;
  void Stop() override;
  void Close() override;
  std::string_view Mode() override;

 private:
  static void CountPlayedFrames(void* self, uint8_t* stream, int bytes);
  void LoadSpare(MusicPtr retired);
  MusicPtr TakeSpare();
  bool Ended() const;

  bool mixerOpen_;
  int bytesPerFrame_ = 4;
  int framesPerSecond_ = 44100;

  bool open_ = false;
  bool started_ = false;  // the open copy has been handed to the mixer
  bool playing_ = false;  // started or resumed, and not stopped since
  std::string path_;
  MusicPtr current_;
  std::future<MusicPtr> spare_;
  bool spareFailed_ = false;
  int64_t endFrame_ = -1;  // length of the piece in output frames; -1 when unknown

  // Written by the mixer's thread while the music is being mixed.
  std::atomic<bool> counting_ = false;
  std::atomic<int64_t> playedFrames_ = 0;
};

// One effect at a time on one mixer channel. Each file is read once, on its first use, and kept;
// a file that cannot be read is remembered as such and stays silent. Relative names are files in
// `folder` (the program folder).
class SdlSoundPlayer final : public SoundPlayer {
 public:
  SdlSoundPlayer(bool mixerOpen, std::string folder)
      : mixerOpen_(mixerOpen), folder_(std::move(folder)) {}
  ~SdlSoundPlayer() override;
  SdlSoundPlayer(const SdlSoundPlayer&) = delete;
  SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

  void Play(std::string_view file, bool interrupt) override;

 private:
  Mix_Chunk* Load(std::string_view file);

  bool mixerOpen_;
  std::string folder_;
  std::map<std::string, ChunkPtr, std::less<>> chunks_;
};

// Owns SDL's audio: opens the mixer (on the silent driver when no sound device can be opened),
// sets the soundfont, and holds the music device and the effect player. One at a time.
class SdlAudio {
 public:
  // Effects given by a relative name are read from `programFolder`.
  explicit SdlAudio(const std::string& soundFont = std::string(kDefaultSoundFont),
                    const std::string& programFolder = ".");
  ~SdlAudio();
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  MusicDevice& Music() { return *music_; }
  SoundPlayer& Sound() { return *sound_; }

  // Empty when music and effects can be heard; otherwise one line that says why not.
  const std::string& SilenceReason() const { return silenceReason_; }

 private:
  bool OpenMixer();
  void CloseMixer();

  bool audioStarted_ = false;
  bool mixerOpen_ = false;
  std::string silenceReason_;
  std::unique_ptr<SdlMusicDevice> music_;
  std::unique_ptr<SdlSoundPlayer> sound_;
};

}  // namespace pelaryn
