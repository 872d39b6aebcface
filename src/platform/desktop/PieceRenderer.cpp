#include "platform/desktop/PieceRenderer.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

namespace pelaryn {

SynthHandle& SynthHandle::operator=(SynthHandle&& other) noexcept {
  if (this != &other) {
    Reset();
    settings_ = std::exchange(other.settings_, nullptr);
    synth_ = std::exchange(other.synth_, nullptr);
  }
  return *this;
}

bool IsSoundFontFile(const std::string& path) {
  // The library opens whatever it is given; a FIFO or a device under the name would hang it.
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && fluid_is_soundfont(path.c_str()) != 0;
}

std::string SynthHandle::Make(const std::string& soundFont, int rate) {
  Reset();
  settings_ = new_fluid_settings();
  if (settings_ == nullptr) return "cannot start the synthesizer";
  fluid_settings_setnum(settings_, "synth.sample-rate", rate);
  fluid_settings_setnum(settings_, "synth.gain", kMusicGain);
  // The player keeps time by the samples rendered: no timer thread, and a piece stands still
  // exactly while the music is stopped.
  fluid_settings_setstr(settings_, "player.timing-source", "sample");
  fluid_settings_setint(settings_, "synth.lock-memory", 0);
  synth_ = new_fluid_synth(settings_);
  if (synth_ == nullptr || fluid_synth_sfload(synth_, soundFont.c_str(), 1) == FLUID_FAILED) {
    Reset();
    return "cannot load soundfont " + soundFont;
  }
  return "";
}

void SynthHandle::Reset() {
  if (synth_ != nullptr) delete_fluid_synth(synth_);
  if (settings_ != nullptr) delete_fluid_settings(settings_);
  synth_ = nullptr;
  settings_ = nullptr;
}

void WriteSamples(fluid_synth_t* synth, int16_t* out, std::size_t frames, int channels,
                  std::span<float> scratch) {
  const std::size_t step = scratch.size() / 2;
  while (frames > 0) {
    const std::size_t now = std::min(frames, step);
    float* lr = scratch.data();
    fluid_synth_write_float(synth, static_cast<int>(now), lr, 0, 2, lr, 1, 2);
    for (std::size_t i = 0; i < now; ++i) {
      const auto sample = [](float v) {
        return static_cast<int16_t>(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
      };
      if (channels > 1) {
        out[2 * i] = sample(lr[2 * i]);
        out[2 * i + 1] = sample(lr[2 * i + 1]);
      } else {
        out[i] = sample((lr[2 * i] + lr[2 * i + 1]) / 2);
      }
    }
    out += now * static_cast<std::size_t>(std::max(channels, 1));
    frames -= now;
  }
}

bool PassedEnd(fluid_player_t* player, int& totalTicks) {
  if (totalTicks <= 0) totalTicks = fluid_player_get_total_ticks(player);
  return fluid_player_get_status(player) != FLUID_PLAYER_PLAYING ||
         (totalTicks > 0 && fluid_player_get_current_tick(player) >= totalTicks);
}

RenderOutcome RenderPiece(fluid_synth_t* synth, const RenderLayout& layout, std::size_t roomBytes,
                          const std::stop_token& stop, PieceMemory::Piece& piece) {
  fluid_synth_system_reset(synth);
  fluid_player_t* player = new_fluid_player(synth);
  if (player == nullptr) return RenderOutcome::Unplayable;
  const auto finish = [&](RenderOutcome outcome) {
    fluid_player_stop(player);
    delete_fluid_player(player);
    return outcome;
  };
  if (fluid_player_add_mem(player, piece.File.data(), piece.File.size()) != FLUID_OK ||
      fluid_player_play(player) != FLUID_OK) {
    return finish(RenderOutcome::Unplayable);
  }
  const auto channels = static_cast<std::size_t>(layout.Channels);
  const std::size_t chunkSamples = layout.ChunkFrames * channels;
  const std::size_t roomSamples = roomBytes / sizeof(int16_t);
  const std::size_t tailSamples = static_cast<std::size_t>(kTailSeconds) * layout.Rate * channels;
  std::vector<float> scratch(2 * layout.ChunkFrames);
  std::vector<int16_t> chunk(chunkSamples);
  piece.Blocks.clear();
  piece.Samples = 0;
  piece.EndSample = 0;
  int totalTicks = 0;
  bool ended = false;
  while (!ended || piece.Samples < piece.EndSample + tailSamples) {
    if (stop.stop_requested()) return finish(RenderOutcome::Stopped);
    if (piece.Samples + chunkSamples > roomSamples) {
      piece.Blocks.clear();
      return finish(RenderOutcome::TooLarge);
    }
    WriteSamples(synth, chunk.data(), layout.ChunkFrames, layout.Channels, scratch);
    piece.Append(chunk.data(), chunk.size());
    if (!ended && PassedEnd(player, totalTicks)) {
      ended = true;
      piece.EndSample = piece.Samples;
    }
  }
  return finish(RenderOutcome::Rendered);
}

}  // namespace pelaryn
