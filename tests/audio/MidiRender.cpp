#include "MidiRender.h"

#include <fluidsynth.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace pelaryn::test {
namespace {

template <auto Free>
struct Deleter {
  template <typename T>
  void operator()(T* p) const {
    Free(p);
  }
};

}  // namespace

Rendering RenderMidi(const std::string& midiPath, const std::string& soundFont, double gain,
                     double maxSeconds) {
  constexpr int kRate = 44100;
  constexpr int kChunk = 512;
  fluid_set_log_function(FLUID_WARN, nullptr, nullptr);  // keep the test log quiet
  std::unique_ptr<fluid_settings_t, Deleter<delete_fluid_settings>> settings(new_fluid_settings());
  fluid_settings_setnum(settings.get(), "synth.sample-rate", kRate);
  fluid_settings_setnum(settings.get(), "synth.gain", gain);
  // Events follow the samples written, not the wall clock: offline and exactly repeatable.
  fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
  fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
  std::unique_ptr<fluid_synth_t, Deleter<delete_fluid_synth>> synth(
      new_fluid_synth(settings.get()));
  if (!synth || fluid_synth_sfload(synth.get(), soundFont.c_str(), 1) == FLUID_FAILED) return {};
  std::unique_ptr<fluid_player_t, Deleter<delete_fluid_player>> player(
      new_fluid_player(synth.get()));
  if (!player || fluid_player_add(player.get(), midiPath.c_str()) != FLUID_OK ||
      fluid_player_play(player.get()) != FLUID_OK) {
    return {};
  }

  Rendering rendering{Audio{kRate, {{}, {}}}};
  Audio& audio = rendering.audio;
  double voiceBlocks = 0.0;
  std::vector<float> left(kChunk);
  std::vector<float> right(kChunk);
  const auto limit = static_cast<size_t>(maxSeconds * kRate);
  // The player reports itself done only once the last notes have rung out; the game starts the
  // piece again as soon as its last tick has passed, so that is where the rendering stops.
  auto playing = [&] {
    const int total = fluid_player_get_total_ticks(player.get());
    return fluid_player_get_status(player.get()) == FLUID_PLAYER_PLAYING &&
           (total <= 0 || fluid_player_get_current_tick(player.get()) < total);
  };
  while (playing() && audio.Frames() < limit) {
    fluid_synth_write_float(synth.get(), kChunk, left.data(), 0, 1, right.data(), 0, 1);
    audio.channels[0].insert(audio.channels[0].end(), left.begin(), left.end());
    audio.channels[1].insert(audio.channels[1].end(), right.begin(), right.end());
    const int voices = fluid_synth_get_active_voice_count(synth.get());
    rendering.peakVoices = std::max(rendering.peakVoices, voices);
    voiceBlocks += voices;
  }
  fluid_player_stop(player.get());
  const size_t blocks = audio.Frames() / kChunk;
  if (blocks > 0) rendering.meanVoices = voiceBlocks / static_cast<double>(blocks);
  return rendering;
}

}  // namespace pelaryn::test
