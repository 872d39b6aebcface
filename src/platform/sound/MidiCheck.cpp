#include "platform/sound/MidiCheck.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/sound/ByteCursor.h"

namespace pelaryn {
namespace {

constexpr uint32_t kHeaderTag = 0x4D546864;  // MThd
constexpr uint32_t kTrackTag = 0x4D54726B;   // MTrk
constexpr uint32_t kDefaultTempo = 500'000;  // microseconds a quarter note, until told otherwise

// What an event asks of the synthesiser when its tick comes.
enum class Load : uint8_t { None, Event, NoteStart };

struct TimedEvent {
  uint64_t tick;
  Load load;
};

struct Piece {
  std::vector<TimedEvent> events;
  std::vector<std::pair<uint64_t, uint32_t>> tempos;  // tick, microseconds a quarter note
  bool hasNote = false;
};

bool IsChunkTag(uint32_t tag) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const uint32_t c = (tag >> shift) & 0xFF;
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// Reads one track's events into `piece`; empty when the track is sound, else what is wrong.
std::string ReadTrack(ByteCursor track, const MidiLimits& limits, Piece& piece) {
  uint64_t tick = 0;
  uint8_t running = 0;
  for (;;) {
    if (track.Left() == 0) return "has a track without its end";
    tick += track.Variable();
    uint8_t status = track.Peek();
    if ((status & 0x80) != 0) {
      track.Byte();
    } else if (running != 0) {
      status = running;
    } else {
      return "has data without a status byte";
    }
    bool end = false;
    Load load = Load::Event;
    if (status == 0xFF || status == 0xF0 || status == 0xF7) {
      running = 0;  // meta and system-exclusive events cancel running status
      const uint8_t type = status == 0xFF ? track.Byte() : 0;
      const uint32_t length = track.Variable();
      if (length > limits.DataBytes) return "has an oversized event";
      if (status == 0xFF && type == 0x51 && length == 3) {
        piece.tempos.emplace_back(tick, track.Big(3));
      } else {
        track.Skip(length);
      }
      end = status == 0xFF && type == 0x2F;
      if (status == 0xFF) load = Load::None;
    } else if (status >= 0xF0) {
      return "has a system message that does not belong in a file";
    } else {
      running = status;
      const uint8_t kind = status & 0xF0;
      const uint8_t first = track.Byte();
      const uint8_t second = kind == 0xC0 || kind == 0xD0 ? 0 : track.Byte();
      if (((first | second) & 0x80) != 0) return "has a damaged event";
      if (kind == 0x90 && second > 0) {
        piece.hasNote = true;
        load = Load::NoteStart;
      }
    }
    if (track.broken) return "ends inside an event";
    if (end) return "";
    if (piece.events.size() >= limits.Events) {
      return "has more than " + std::to_string(limits.Events) + " events";
    }
    piece.events.push_back({tick, load});
  }
}

// The most events and note starts that fall on one tick, and events within any one second.
std::string CheckEventRates(Piece& piece, uint32_t ticksPerQuarter, const MidiLimits& limits) {
  std::vector<TimedEvent>& events = piece.events;
  std::sort(events.begin(), events.end(),
            [](const TimedEvent& a, const TimedEvent& b) { return a.tick < b.tick; });
  std::stable_sort(piece.tempos.begin(), piece.tempos.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });

  std::size_t tempoAt = 0;
  uint64_t segmentTick = 0;
  double segmentMicros = 0;
  uint32_t tempo = kDefaultTempo;
  std::vector<double> micros(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    const uint64_t tick = events[i].tick;
    while (tempoAt < piece.tempos.size() && piece.tempos[tempoAt].first <= tick) {
      const uint64_t tempoTick = piece.tempos[tempoAt].first;
      segmentMicros += static_cast<double>(tempoTick - segmentTick) * tempo / ticksPerQuarter;
      segmentTick = tempoTick;

      tempo = piece.tempos[tempoAt].second;
      ++tempoAt;
    }
    micros[i] = segmentMicros + static_cast<double>(tick - segmentTick) * tempo / ticksPerQuarter;
  }

  std::size_t tickEvents = 0;
  std::size_t tickNotes = 0;
  std::size_t windowStart = 0;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (i > 0 && events[i].tick != events[i - 1].tick) tickEvents = tickNotes = 0;
    tickEvents += events[i].load != Load::None ? 1 : 0;
    tickNotes += events[i].load == Load::NoteStart ? 1 : 0;
    if (tickEvents > limits.EventsPerTick) {
      return "has more than " + std::to_string(limits.EventsPerTick) + " events at one moment";
    }
    if (tickNotes > limits.NotesPerTick) {
      return "has more than " + std::to_string(limits.NotesPerTick) + " notes at one moment";
    }
    while (micros[i] - micros[windowStart] >= 1e6) ++windowStart;
    if (i - windowStart + 1 > limits.EventsPerSecond) {
      return "has more than " + std::to_string(limits.EventsPerSecond) + " events in a second";
    }
  }
  return "";
}

}  // namespace

bool IsPlayableMidi(std::span<const uint8_t> bytes, std::string& why, const MidiLimits& limits) {
  ByteCursor file{bytes.data(), bytes.data() + bytes.size()};
  const uint32_t tag = file.Big(4);
  const uint32_t headerLength = file.Big(4);
  const uint32_t format = file.Big(2);
  const uint32_t trackCount = file.Big(2);
  const uint32_t division = file.Big(2);
  if (tag != kHeaderTag || headerLength < 6 || file.broken) {
    why = "is not a Standard MIDI File";
    return false;
  }
  file.Skip(headerLength - 6);
  if (file.broken) {
    why = "ends inside its header";
    return false;
  }
  if (format > 1) {
    why = "is a MIDI file of format " + std::to_string(format) + ", not 0 or 1";
    return false;
  }
  if ((division & 0x8000) != 0 || division == 0) {
    why = "does not count its time in ticks per quarter note";
    return false;
  }
  if (trackCount == 0 || trackCount > limits.Tracks) {
    why = "announces " + std::to_string(trackCount) + " tracks";
    return false;
  }

  Piece piece;
  for (uint32_t found = 0; found < trackCount;) {
    if (file.Left() < 8) {
      why = "ends before its last track";
      return false;
    }
    const uint32_t chunkTag = file.Big(4);
    const uint32_t length = file.Big(4);
    if (length > file.Left() || !IsChunkTag(chunkTag)) {
      why = "has a damaged chunk";
      return false;
    }
    const ByteCursor chunk{file.at, file.at + length};
    file.Skip(length);
    if (chunkTag != kTrackTag) continue;  // a chunk of some other kind: players pass over it
    ++found;
    why = ReadTrack(chunk, limits, piece);
    if (!why.empty()) return false;
  }
  if (!piece.hasNote) {
    why = "has no notes";
    return false;
  }
  why = CheckEventRates(piece, division, limits);
  return why.empty();
}

}  // namespace pelaryn
