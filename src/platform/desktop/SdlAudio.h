#pragma once

// Music and sound effects through SDL2_mixer: MIDI rendered by one FluidSynth synthesiser with the
// General MIDI soundfont and fed to the mixer as its music, WAV effects on one mixer channel.
// Without a sound device the game runs silent.

#include <atomic>
#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Platform.h"
#include "base/RegularFile.h"
#include "platform/desktop/SdlMusic.h"

// The libraries' own types, declared here so that this header pulls in neither.
struct Mix_Chunk;

namespace pelaryn {

// The mix. Our pieces are written to sit at about -28 LUFS at the synthesizer's gain (kMusicGain)
// and our effects at about -16 LUFS each; the effect channel's volume (of SDL_mixer's 128) brings
// an effect down to a few dB above the music, where it is heard without drowning the tune, and
// leaves headroom so that an effect over the loudest bar never reaches full scale.
inline constexpr int kEffectVolume = 36;

struct FreeChunk {
  void operator()(Mix_Chunk* chunk) const;
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, FreeChunk>;

// One effect at a time on one mixer channel. The effects named at start-up are read on a helper
// thread once it has opened the mixer; until then effects are dropped. Any other file is read on
// its first use. Every file is kept; one that cannot be read is remembered as such and stays
// silent. Relative names are files in `folder` (the program folder).
class SdlSoundPlayer final : public SoundPlayer {
 public:
  explicit SdlSoundPlayer(std::string folder) : folder_(std::move(folder)) {}
  ~SdlSoundPlayer() override;
  SdlSoundPlayer(const SdlSoundPlayer&) = delete;
  SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

  void Play(std::string_view file, bool interrupt) override;

  using Chunks = std::map<std::string, ChunkPtr, std::less<>>;
  // Each file that could not be read, and why.
  using Problems = std::vector<std::pair<std::string, std::string>>;
  struct Start {
    bool mixerOpen = false;
    Chunks chunks;
    Problems problems;
  };
  // Reads `files` from `folder`, on whichever thread calls it.
  static Chunks ReadAll(const std::string& folder, const std::vector<std::string>& files,
                        Problems& problems);
  // Whether the mixer opened and the effects read ahead, from the helper thread.
  void Expect(std::future<Start> start) { start_ = std::move(start); }
  // The effect channel at this share (0..100) of kEffectVolume, for what sounds now and after; set
  // before the mixer is open, it waits for it.
  void SetVolume(int percent);

 private:
  bool Started();
  Mix_Chunk* Load(std::string_view file);

  std::string folder_;
  FileWarnings warnings_{"pelaryn"};
  std::future<Start> start_;
  bool started_ = false;
  bool mixerOpen_ = false;
  int volume_ = 100;  // percent
  Chunks chunks_;
};

// The soundfonts to make the music with, the first that loads: the player's choice (when there
// is one), then ours, then the system's General MIDI default.
std::vector<std::string> SoundFontsToTry(const std::string& chosen);

// Owns SDL's audio: opens the mixer (on the silent driver when no sound device can be opened) and
// holds the music device and the effect player. Opening the device (a tenth of a second when a
// sound server must first be asked and found missing), reading the effects and loading the
// soundfont all happen on a helper thread, so constructing this costs the game nothing. Why there
// is no sound is said once on stderr. On the silent driver the soundfont is not even loaded:
// nobody would hear the synthesiser work. One at a time.
class SdlAudio {
 public:
  // Effects given by a relative name are read from `programFolder`; those in `preload` are read
  // at once, off the caller's thread. The music is made with the player's `soundFont` or, when
  // that is empty or does not load, with ours.
  explicit SdlAudio(const std::string& soundFont = {}, const std::string& programFolder = ".",
                    std::vector<std::string> preload = {});
  ~SdlAudio();
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  MusicDevice& Music() { return *music_; }
  SoundPlayer& Sound() { return *sound_; }

  // Music and effects at these shares of their full loudness (0 silent … 100 as mixed), at once.
  // From the game's thread, also before the mixer or the soundfont is ready: they start at these.
  void SetVolumes(int musicPercent, int effectPercent);

  // Waits until the helper thread has opened the mixer and loaded the effects and the soundfont.
  void FinishLoading();
  // Whether FinishLoading would return at once.
  bool LoadingDone() const;
  // Once FinishLoading has returned: whether the player's soundfont could not be loaded, so that
  // the music is made with ours instead.
  bool ChosenSoundFontFailed() const { return chosenFailed_; }
  // The player's soundfont (empty: ours) from now on; waits for the loading first. False when it
  // does not load and the music is made with ours instead; the same choice again changes nothing
  // and answers true. Where no music is heard (no mixer, the silent driver) the choice is only
  // remembered.
  bool UseSoundFont(const std::string& soundFont);
  // Once FinishLoading has returned: empty when music and effects can be heard; otherwise one
  // line that says why not.
  const std::string& SilenceReason() const { return silenceReason_; }

  // FluidSynth's messages, said as ours: each once, and only the first few.
  class LibraryLog {
   public:
    void Say(const char* message);

   private:
    std::mutex lock_;
    std::set<std::string> said_;
  };

 private:
  bool OpenMixer(int samples);
  void CloseMixer();
  // The helper thread's work: the mixer, the effects (small, and the game may want one soon),
  // then the soundfont. Returns why there is no sound, or nothing.
  std::string Load();
  // Makes the music with the first of SoundFontsToTry that loads, through `load`; empty, or why
  // none did.
  std::string LoadFirstSoundFont(const std::function<std::string(const std::string&)>& load);

  LibraryLog fluidLog_;
  std::string soundFont_;  // the player's choice; empty for ours
  bool chosenFailed_ = false;
  bool musicHeard_ = false;  // a real mixer, so that a soundfont is loaded at all
  std::string programFolder_;
  std::vector<std::string> preload_;
  std::promise<SdlSoundPlayer::Start> started_;
  bool audioStarted_ = false;
  bool mixerOpen_ = false;
  std::string silenceReason_;
  std::unique_ptr<SdlMusicDevice> music_;
  std::unique_ptr<SdlSoundPlayer> sound_;
  std::future<std::string> loading_;
};

}  // namespace pelaryn
