#pragma once

// Music and sound effects through SDL2_mixer: MIDI rendered by one FluidSynth synthesiser with the
// General MIDI soundfont and fed to the mixer as its music, WAV effects on one mixer channel.
// Without a sound device the game runs silent.

#include <atomic>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/Platform.h"

// The libraries' own types, declared here so that this header pulls in neither.
struct Mix_Chunk;
struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

namespace pelaryn {

inline constexpr std::string_view kDefaultSoundFont = "/usr/share/sounds/sf3/default-GM.sf3";

// The mix. Our pieces are written to sit at about -28 LUFS at this synthesizer gain and our
// effects at about -16 LUFS each; the effect channel's volume (of SDL_mixer's 128) brings an
// effect down to a few dB above the music, where it is heard without drowning the tune, and
// leaves headroom so that an effect over the loudest bar never reaches full scale.
inline constexpr double kMusicGain = 0.3;
inline constexpr int kEffectVolume = 36;

struct FreeChunk {
  void operator()(Mix_Chunk* chunk) const;
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, FreeChunk>;

// True when `bytes` hold a Standard MIDI File whose every track reads to its end.
bool IsMidiFile(const std::vector<uint8_t>& bytes);

// The one music device. A piece is read into memory when it opens (a MIDI file is small) and
// played by a FluidSynth player on the synthesiser that the mixer's thread renders into the
// music stream, so no call here waits for anything slower than one mix buffer. The soundfont is
// loaded once, off the game's thread; a piece asked for before it is ready starts from its
// beginning as soon as it is.
//
// A piece counts as ended once its player has passed the last tick of the file, not when the
// synthesiser has let its last notes ring out (seconds later), so a piece loops without a gap.
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

  // Builds the synthesiser with `soundFont` and hands it to the mixer; empty on success, else why
  // the music is silent. Meant for a helper thread: the slow part runs without any lock.
  std::string LoadSoundFont(const std::string& soundFont);

 private:
  static void Render(void* self, uint8_t* stream, int bytes);
  // With lock_ held: a fresh player for the open piece, from its beginning.
  void StartPlayer();
  void DropPlayer();

  bool mixerOpen_;
  int rate_ = 44100;
  int channels_ = 2;

  // Held by the mixer's thread while it renders the music, and by the game's thread (or the
  // soundfont's loader) while it changes what plays: never for longer than a mix buffer.
  std::mutex lock_;
  _fluid_hashtable_t* settings_ = nullptr;
  _fluid_synth_t* synth_ = nullptr;
  _fluid_player_t* player_ = nullptr;
  bool open_ = false;
  bool playing_ = false;  // started or resumed, and not stopped since
  std::vector<uint8_t> piece_;

  // Set by the mixer's thread once the player has passed the end of the piece.
  std::atomic<bool> ended_ = false;
};

// One effect at a time on one mixer channel. The effects named at start-up are read on a helper
// thread; any other file is read on its first use. Every file is kept; one that cannot be read is
// remembered as such and stays silent. Relative names are files in `folder` (the program folder).
class SdlSoundPlayer final : public SoundPlayer {
 public:
  SdlSoundPlayer(bool mixerOpen, std::string folder)
      : mixerOpen_(mixerOpen), folder_(std::move(folder)) {}
  ~SdlSoundPlayer() override;
  SdlSoundPlayer(const SdlSoundPlayer&) = delete;
  SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

  void Play(std::string_view file, bool interrupt) override;

  using Chunks = std::map<std::string, ChunkPtr, std::less<>>;
  // Reads `files` from `folder`, on whichever thread calls it.
  static Chunks ReadAll(const std::string& folder, const std::vector<std::string>& files);
  // Effects being read on another thread; the first Play takes them over, waiting if need be.
  void ExpectPreloaded(std::future<Chunks> chunks) { preloaded_ = std::move(chunks); }

 private:
  Mix_Chunk* Load(std::string_view file);

  bool mixerOpen_;
  std::string folder_;
  Chunks chunks_;
  std::future<Chunks> preloaded_;
};

// Owns SDL's audio: opens the mixer (on the silent driver when no sound device can be opened) and
// holds the music device and the effect player. The soundfont and the effects are loaded on a
// helper thread, so that constructing this costs only the opening of the device. One at a time.
class SdlAudio {
 public:
  // Effects given by a relative name are read from `programFolder`; those in `preload` are read
  // at once, off the caller's thread.
  explicit SdlAudio(const std::string& soundFont = std::string(kDefaultSoundFont),
                    const std::string& programFolder = ".", std::vector<std::string> preload = {});
  ~SdlAudio();
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  MusicDevice& Music() { return *music_; }
  SoundPlayer& Sound() { return *sound_; }

  // Empty when music and effects can be heard; otherwise one line that says why not. A soundfont
  // that exists but cannot be loaded shows here only once FinishLoading has returned.
  const std::string& SilenceReason() const { return silenceReason_; }
  // Waits until the helper thread has loaded the soundfont and the effects.
  void FinishLoading();

 private:
  bool OpenMixer();
  void CloseMixer();
  // The helper thread's work: the effects first (they are small and the game may want one
  // soon), then the soundfont. Returns why the music is silent, or nothing.
  std::string Load();

  std::string programFolder_;
  std::vector<std::string> preload_;
  std::string soundFont_;  // empty when there is none to load
  std::promise<SdlSoundPlayer::Chunks> effects_;
  bool audioStarted_ = false;
  bool mixerOpen_ = false;
  std::string silenceReason_;
  std::unique_ptr<SdlMusicDevice> music_;
  std::unique_ptr<SdlSoundPlayer> sound_;
  std::future<std::string> loading_;
};

}  // namespace pelaryn
