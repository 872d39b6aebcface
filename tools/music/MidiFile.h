#pragma once

// Standard MIDI File output: format 1, one conductor track and one track per instrument.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pelaryn {

struct MidiEvent {
  uint32_t tick = 0;
  // Order among events of the same tick: set-up first, then note-offs, then note-ons, so that a
  // note repeated on the same key is released before it strikes again.
  int rank = 0;
  std::vector<uint8_t> bytes;  // status byte and data, or FF type length data for meta events
};

inline constexpr int kRankSetup = 0;
inline constexpr int kRankNoteOff = 1;
inline constexpr int kRankNoteOn = 2;

class MidiTrack {
 public:
  explicit MidiTrack(std::string name) : name_(std::move(name)) {}

  void Add(uint32_t tick, int rank, std::vector<uint8_t> bytes);
  void Tempo(uint32_t tick, double quartersPerMinute);
  void TimeSignature(uint32_t tick, int numerator, int denominator);
  void Program(uint32_t tick, int channel, int program);
  void Controller(uint32_t tick, int channel, int controller, int value);
  void NoteOn(uint32_t tick, int channel, int key, int velocity);
  void NoteOff(uint32_t tick, int channel, int key);

  const std::string& Name() const { return name_; }
  const std::vector<MidiEvent>& Events() const { return events_; }

 private:
  std::string name_;
  std::vector<MidiEvent> events_;
};

// The bytes of a whole file. Every track ends at endTick, which is where the piece loops; an
// event after it is a composing mistake and throws std::logic_error.
std::vector<uint8_t> EncodeMidiFile(uint16_t ticksPerQuarter, const std::vector<MidiTrack>& tracks,
                                    uint32_t endTick);

}  // namespace pelaryn
