#pragma once

// The music device: MIDI pieces rendered by one FluidSynth synthesiser with the General MIDI
// soundfont and fed to SDL2_mixer as its music, each piece kept in memory once heard.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/Platform.h"
#include "base/RegularFile.h"
#include "platform/desktop/PieceMemory.h"
#include "platform/sound/RestartGate.h"

// The library's own types, declared here so that this header does not pull it in.
struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

namespace pelaryn {

inline constexpr std::string_view kDefaultSoundFont = "/usr/share/sounds/sf3/default-GM.sf3";

// Our pieces are written to sit at about -28 LUFS at this synthesizer gain.
inline constexpr double kMusicGain = 0.3;

// The one music device. A piece is read into memory when it opens (a MIDI file is small) and
// played by a FluidSynth player on the synthesiser that the mixer's thread renders into the
// music stream, so no call here waits for anything slower than one mix buffer. The mixer and the
// soundfont come later, from a helper thread: a piece asked for before they are ready counts as
// playing and starts from its beginning as soon as it can sound.
//
// A piece counts as ended once its player has passed the last tick of the file, not when the
// synthesiser has let its last notes ring out (seconds later), so a piece loops without a gap.
// A piece is checked before the player sees it, and starts again at most once a second.
//
// The first pass of a piece is rendered live and kept as rendered, up to its next start; every
// later start plays it from memory, reporting its end at the same sample, while the synthesiser
// rests. The loudness is applied to the rendered samples, so a piece is kept at full loudness.
class SdlMusicDevice final : public MusicDevice {
 public:
  explicit SdlMusicDevice(std::size_t memoryBudget = PieceMemory::DefaultBudgetBytes)
      : memory_(memoryBudget) {}
  ~SdlMusicDevice() override;
  SdlMusicDevice(const SdlMusicDevice&) = delete;
  SdlMusicDevice& operator=(const SdlMusicDevice&) = delete;

  bool Open(const std::string& path) override;
  void Play() override;
  void PlayFromStart() override;
  void Stop() override;
  void Close() override;
  std::string_view Mode() override;
  void KeepOnly(const std::vector<std::string>& paths) override;

  // For the helper thread, in this order. Connect: the mixer is open and renders the music from
  // now on; NoMixer: there is none, and from now on every piece fails to open. LoadSoundFont
  // builds the synthesiser and hands it to the mixer; empty on success, else why the music is
  // silent. The slow part runs without any lock.
  void Connect();
  void NoMixer() { noMixer_ = true; }
  std::string LoadSoundFont(const std::string& soundFont);

  // From the game's thread, at any time: the music at this share (0..100) of its loudness, from
  // the next mix buffer on.
  void SetVolume(int percent);

  // Without a mixer, for tests: the synthesiser at this rate and channel count, and the mixer's
  // call rendered by hand, with a clock of the test's own for the restart gate.
  std::string LoadSoundFontAt(const std::string& soundFont, int rate, int channels);
  void RenderInto(int16_t* out, int bytes);
  void SetClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }
  // Whether the open piece now plays from memory.
  bool FromMemory() const { return fromMemory_ != nullptr; }
  std::size_t MemoryBytes();

 private:
  static void Render(void* self, uint8_t* stream, int bytes);
  // With lock_ held: the open piece from its beginning, from memory when it was heard before.
  void StartPlayer();
  void DropPlayer();
  // Keeps blocks ready ahead of a recording and frees the ones let go; the game's thread only.
  void TopUpMemory();

  FileWarnings warnings_{"pelaryn"};
  std::atomic<bool> noMixer_ = false;
  bool hooked_ = false;
  int rate_ = 44100;
  int channels_ = 2;
  std::function<int64_t()> clock_;

  // Held by the mixer's thread while it renders the music, and by the game's thread (or the
  // soundfont's loader) while it changes what plays: never for longer than a mix buffer.
  std::mutex lock_;
  _fluid_hashtable_t* settings_ = nullptr;
  _fluid_synth_t* synth_ = nullptr;
  _fluid_player_t* player_ = nullptr;
  int volume_ = 100;  // percent
  bool open_ = false;
  bool playing_ = false;  // started or resumed, and not stopped since
  std::string path_;
  std::vector<uint8_t> piece_;
  // The open piece's length in ticks, once its player has read it: FluidSynth counts it by
  // walking every event, too slow to ask for at every mix buffer.
  int totalTicks_ = 0;
  RestartGate restarts_;  // the game's thread only
  PieceMemory memory_;
  const PieceMemory::Piece* fromMemory_ = nullptr;
  std::size_t position_ = 0;  // samples of fromMemory_ played

  // Set by the mixer's thread once the piece has passed its end.
  std::atomic<bool> ended_ = false;
};

}  // namespace pelaryn
