#pragma once

// The music device: MIDI pieces rendered by one FluidSynth synthesiser with the General MIDI
// soundfont and fed to SDL2_mixer as its music, each piece kept in memory once heard.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/Platform.h"
#include "base/RegularFile.h"
#include "platform/desktop/PieceMemory.h"
#include "platform/desktop/PieceRenderer.h"
#include "platform/sound/RestartGate.h"

namespace pelaryn {

// The soundfont our pieces are balanced for, by its own path: the system's default General MIDI
// link may name another, whose instruments sit at other loudnesses.
inline constexpr std::string_view kGameSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
// The system's choice, heard only when ours is not installed.
inline constexpr std::string_view kSystemSoundFont = "/usr/share/sounds/sf3/default-GM.sf3";

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
// A helper thread of the lowest priority renders every piece the game may ask for ahead, once,
// into memory, with a synthesiser of its own that gives the very samples the live one would.
// Until a piece is there it plays live; from its next start on (and for the very first piece
// at once, from the sample the live synthesiser had reached) it plays from memory, reporting its
// end at the same sample, while the synthesiser rests. The loudness is applied to the samples as
// they are played, so a piece is kept at full loudness.
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
  // builds the synthesiser, hands it to the mixer and starts rendering ahead; empty on success,
  // else why the music is silent. The slow part runs without any lock.
  void Connect(int bufferFrames);
  void NoMixer() { noMixer_ = true; }
  std::string LoadSoundFont(const std::string& soundFont);
  // From the game's thread, once LoadSoundFont has returned: the music from now on with another
  // soundfont; empty on success, else why not, and the music goes on as it was. What was
  // rendered ahead with the old one is let go and rendered again, and the open piece starts
  // again from its beginning. The new soundfont loads on the caller's thread.
  std::string ChangeSoundFont(const std::string& soundFont);
  // The soundfont the music is made with now; empty before one has loaded.
  std::string SoundFont();

  // From the game's thread, at any time: the music at this share (0..100) of its loudness, from
  // the next mix buffer on.
  void SetVolume(int percent);

  // Without a mixer, for tests: the synthesiser at this rate and channel count, and the mixer's
  // call rendered by hand, with a clock of the test's own for the restart gate. The pieces are
  // rendered ahead only when RenderAheadNow asks, on the caller's thread.
  std::string LoadSoundFontAt(const std::string& soundFont, int rate, int channels,
                              std::size_t chunkFrames = 1024);
  void RenderInto(int16_t* out, int bytes);
  void SetClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }
  void RenderAheadNow();
  // Whether the open piece now plays from memory.
  bool FromMemory() {
    const std::lock_guard lock(lock_);
    return fromMemory_ != nullptr;
  }
  std::size_t MemoryBytes();

 private:
  static void Render(void* self, uint8_t* stream, int bytes);
  // With lock_ held: the open piece from its beginning, from memory when it is there.
  void StartPlayer();
  void DropPlayer();
  // With lock_ held: a piece playing live goes on from memory, once it is there.
  void CatchUpWithMemory();
  // The open piece first, then those named, in their order.
  void WantRendered(const std::vector<std::string>& named);
  void RenderAheadLoop(std::stop_token stop);
  // Renders the next piece wanted; false when none is left. `synth` is made when first needed.
  bool RenderNext(SynthHandle& synth, const std::stop_token& stop);

  FileWarnings warnings_{"pelaryn"};
  std::atomic<bool> noMixer_ = false;
  bool hooked_ = false;
  int rate_ = 44100;
  int channels_ = 2;
  std::size_t chunkFrames_ = 1024;  // what the mixer asks for at a time
  std::function<int64_t()> clock_;
  std::string soundFont_;

  // Held by the mixer's thread while it renders the music, and by the game's thread (or the
  // soundfont's loader) while it changes what plays: never for longer than a mix buffer.
  std::mutex lock_;
  SynthHandle synth_;
  _fluid_player_t* player_ = nullptr;
  std::vector<float> scratch_;  // the live synthesiser's output before it becomes 16-bit
  bool synthUsed_ = false;      // the live synthesiser has played a piece
  bool seamless_ = false;       // and this is its first: memory may take over at any sample
  int volume_ = 100;            // percent
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
  std::size_t position_ = 0;          // samples of the open piece played since its start
  std::vector<std::string> named_;    // what the game may ask for, as last told
  std::deque<std::string> toRender_;  // still to look at, the first first
  std::condition_variable_any wake_;  // the renderer, when toRender_ grows

  // Set by the mixer's thread once the piece has passed its end.
  std::atomic<bool> ended_ = false;

  // Last, so that it stops before anything it uses goes.
  std::jthread renderer_;
};

}  // namespace pelaryn
