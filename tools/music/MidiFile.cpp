#include "MidiFile.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace pelaryn {
namespace {

void PutVariableLength(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (count > 1) out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
  out.push_back(groups[0]);
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}

uint8_t DataByte(int value) {
  if (value < 0 || value > 127) throw std::logic_error("MIDI data byte out of range");
  return static_cast<uint8_t>(value);
}

uint8_t Status(int kind, int channel) {
  if (channel < 0 || channel > 15) throw std::logic_error("MIDI channel out of range");
  return static_cast<uint8_t>(kind | channel);
}

std::vector<uint8_t> EncodeTrack(const MidiTrack& track, uint32_t endTick) {
  std::vector<MidiEvent> events = track.Events();
  std::stable_sort(events.begin(), events.end(), [](const MidiEvent& a, const MidiEvent& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.rank < b.rank;
  });
  std::vector<uint8_t> body;
  uint32_t now = 0;
  auto put = [&](uint32_t tick, const std::vector<uint8_t>& bytes) {
    PutVariableLength(body, tick - now);
    body.insert(body.end(), bytes.begin(), bytes.end());
    now = tick;
  };
  std::vector<uint8_t> name = {0xFF, 0x03, DataByte(static_cast<int>(track.Name().size()))};
  name.insert(name.end(), track.Name().begin(), track.Name().end());
  put(0, name);
  for (const MidiEvent& event : events) {
    if (event.tick > endTick) {
      throw std::logic_error("event after the end of the piece in track " + track.Name());
    }
    put(event.tick, event.bytes);
  }
  put(endTick, {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> chunk = {'M', 'T', 'r', 'k'};
  PutBigEndian(chunk, static_cast<uint32_t>(body.size()), 4);
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}

}  // namespace

void MidiTrack::Add(uint32_t tick, int rank, std::vector<uint8_t> bytes) {
  events_.push_back({tick, rank, std::move(bytes)});
}

void MidiTrack::Tempo(uint32_t tick, double quartersPerMinute) {
  const auto micros = static_cast<uint32_t>(std::lround(60'000'000.0 / quartersPerMinute));
  std::vector<uint8_t> bytes = {0xFF, 0x51, 0x03};
  PutBigEndian(bytes, micros, 3);
  Add(tick, kRankSetup, bytes);
}

void MidiTrack::TimeSignature(uint32_t tick, int numerator, int denominator) {
  int power = 0;
  while ((1 << power) < denominator) ++power;
  // 24 clocks per metronome click of a quarter; a dotted quarter in compound time.
  const int clocks = numerator % 3 == 0 && denominator == 8 ? 36 : 24;
  Add(tick, kRankSetup,
      {0xFF, 0x58, 0x04, DataByte(numerator), DataByte(power), DataByte(clocks), 8});
}

void MidiTrack::Program(uint32_t tick, int channel, int program) {
  Add(tick, kRankSetup, {Status(0xC0, channel), DataByte(program)});
}

void MidiTrack::Controller(uint32_t tick, int channel, int controller, int value) {
  Add(tick, kRankSetup, {Status(0xB0, channel), DataByte(controller), DataByte(value)});
}

void MidiTrack::NoteOn(uint32_t tick, int channel, int key, int velocity) {
  Add(tick, kRankNoteOn,
      {Status(0x90, channel), DataByte(key), DataByte(std::clamp(velocity, 1, 127))});
}

void MidiTrack::NoteOff(uint32_t tick, int channel, int key) {
  Add(tick, kRankNoteOff, {Status(0x80, channel), DataByte(key), 64});
}

std::vector<uint8_t> EncodeMidiFile(uint16_t ticksPerQuarter, const std::vector<MidiTrack>& tracks,
                                    uint32_t endTick) {
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd'};
  PutBigEndian(file, 6, 4);
  PutBigEndian(file, 1, 2);
  PutBigEndian(file, static_cast<uint32_t>(tracks.size()), 2);
  PutBigEndian(file, ticksPerQuarter, 2);
  for (const MidiTrack& track : tracks) {
    std::vector<uint8_t> chunk = EncodeTrack(track, endTick);
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}

}  // namespace pelaryn
