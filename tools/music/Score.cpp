#include "Score.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

namespace pelaryn {
namespace {

// A little unevenness so that repeated notes do not sound like a machine gun; the same tick
// always gets the same nudge, so the files never change between builds.
int Humanize(uint32_t tick, int velocity) {
  const uint32_t hash = (tick / 10 + 17) * 2654435761u;
  return std::clamp(velocity + static_cast<int>((hash >> 28) % 7) - 3, 1, 127);
}

// "C" .. "B" with any number of '#' or 'b' after it; advances `text` past what it read.
int ParsePitchClass(std::string_view& text) {
  static constexpr int kNatural[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (text.empty() || text[0] < 'A' || text[0] > 'G') {
    throw std::invalid_argument("expected a note name");
  }
  int pitchClass = kNatural[text[0] - 'A'];
  text.remove_prefix(1);
  while (!text.empty() && (text[0] == '#' || text[0] == 'b')) {
    pitchClass += text[0] == '#' ? 1 : -1;
    text.remove_prefix(1);
  }
  return (pitchClass + 12) % 12;
}

int ParseNumber(std::string_view& text) {
  int value = 0;
  bool any = false;
  while (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0]))) {
    value = value * 10 + (text[0] - '0');
    text.remove_prefix(1);
    any = true;
  }
  if (!any) throw std::invalid_argument("expected a number");
  return value;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// The chord's tones as keys, closely stacked from the first tone at or above `low`.
std::vector<int> Voicing(const Chord& chord, int low) {
  const int root = KeyAtOrAbove(chord.root, low);
  std::vector<int> keys;
  for (int interval : chord.intervals) {
    // Tones that fit an octave lower and still above `low` go there: a close voicing. A major
    // seventh or a minor ninth stays above the root rather than grinding against it.
    const bool rubs = interval == 11 || interval == 13;
    keys.push_back(root + interval - (!rubs && root + interval - 12 >= low ? 12 : 0));
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

uint32_t Detached(uint32_t length, double legato) {
  return std::max<uint32_t>(1, static_cast<uint32_t>(std::lround(length * legato)));
}

}  // namespace

Chord ParseChord(std::string_view name) {
  std::string_view text = name;
  Chord chord;
  chord.root = ParsePitchClass(text);
  const size_t slash = text.find('/');
  std::string_view quality = text.substr(0, slash);
  struct Quality {
    std::string_view name;
    std::vector<int> intervals;
  };
  static const Quality kQualities[] = {
      {"", {0, 4, 7}},         {"m", {0, 3, 7}},        {"7", {0, 4, 7, 10}},
      {"m7", {0, 3, 7, 10}},   {"maj7", {0, 4, 7, 11}}, {"m(maj7)", {0, 3, 7, 11}},
      {"m7b5", {0, 3, 6, 10}}, {"dim", {0, 3, 6}},      {"dim7", {0, 3, 6, 9}},
      {"sus4", {0, 5, 7}},     {"5", {0, 7}},           {"7b9", {0, 4, 7, 10, 13}},
      {"aug", {0, 4, 8}},      {"m6", {0, 3, 7, 9}},    {"add9", {0, 4, 7, 14}},
  };
  const auto found = std::find_if(std::begin(kQualities), std::end(kQualities),
                                  [&](const Quality& q) { return q.name == quality; });
  if (found == std::end(kQualities)) {
    throw std::invalid_argument("unknown chord " + std::string(name));
  }
  chord.intervals = found->intervals;
  chord.bass = chord.root;
  if (slash != std::string_view::npos) {
    std::string_view bass = text.substr(slash + 1);
    chord.bass = ParsePitchClass(bass);
  }
  return chord;
}

std::vector<Chord> ParseChords(std::string_view names) {
  std::vector<Chord> chords;
  for (std::string_view word : Words(names)) chords.push_back(ParseChord(word));
  return chords;
}

int KeyAtOrAbove(int pitchClass, int low) {
  return low + ((pitchClass - low) % 12 + 12) % 12;
}

void Part::Note(uint32_t tick, uint32_t length, int key, int velocity) {
  track_.NoteOn(tick, channel_, key, velocity);
  track_.NoteOff(tick + length, channel_, key);
}

void Part::Notes(uint32_t tick, uint32_t length, const std::vector<int>& keys, int velocity) {
  for (int key : keys) Note(tick, length, key, velocity);
}

uint32_t Part::Line(uint32_t tick, uint32_t unit, std::string_view notes, int velocity,
                    double legato, int transpose) {
  int units = 1;
  for (std::string_view word : Words(notes)) {
    std::string_view text = word;
    int key = -1;
    if (text.front() == 'r') {
      text.remove_prefix(1);
    } else {
      const int pitchClass = ParsePitchClass(text);
      key = 12 * (ParseNumber(text) + 1) + pitchClass + transpose;
    }
    if (!text.empty()) {
      if (text.front() != ':') throw std::invalid_argument("bad note " + std::string(word));
      text.remove_prefix(1);
      units = ParseNumber(text);
    }
    const uint32_t length = unit * static_cast<uint32_t>(units);
    if (key >= 0) Note(tick, Detached(length, legato), key, Humanize(tick, velocity));
    tick += length;
  }
  return tick;
}

void Part::Bars(uint32_t tick, uint32_t unit, uint32_t barTicks,
                std::initializer_list<std::string_view> bars, int velocity, double legato,
                int transpose) {
  for (std::string_view bar : bars) {
    const uint32_t end = Line(tick, unit, bar, velocity, legato, transpose);
    if (end - tick != barTicks) {
      throw std::logic_error("melody bar does not fill its bar: " + std::string(bar));
    }
    tick = end;
  }
}

void Part::Pattern(uint32_t tick, uint32_t unit, int key, std::string_view steps, int velocity) {
  for (size_t i = 0; i < steps.size(); ++i) {
    const uint32_t at = tick + static_cast<uint32_t>(i) * unit;
    const char step = steps[i];
    if (step == '.') continue;
    const int level = step == 'X' ? velocity + 20 : step == 'o' ? velocity - 30 : velocity;
    Note(at, std::max<uint32_t>(unit / 2, 30), key, Humanize(at, level));
  }
}

void Part::ScaleRelease(double scale) {
  constexpr int kReleaseGenerator = 38;  // the volume envelope's release, in timecents
  // Data entry 8192 is no change; each step either side is two timecents (1200 per doubling).
  const long steps = std::lround(600.0 * std::log2(scale));
  if (scale <= 0.0 || steps < -8192 || steps > 8191) {
    throw std::invalid_argument("release scale out of range");
  }
  const int data = static_cast<int>(8192 + steps);
  track_.Controller(0, channel_, 99, 120);
  track_.Controller(0, channel_, 98, kReleaseGenerator);
  // FluidSynth acts on the data entry's high byte, with whatever low byte came before it.
  track_.Controller(0, channel_, 38, data & 0x7F);
  track_.Controller(0, channel_, 6, data >> 7);
  // Closed again, so that no later data entry could reach the release by accident.
  track_.Controller(0, channel_, 99, 127);
  track_.Controller(0, channel_, 98, 127);
}

Song::Song(std::string title, double quartersPerMinute, int numerator, int denominator,
           double level)
    : quartersPerMinute_(quartersPerMinute),
      level_(level),
      barTicks_(static_cast<uint32_t>(numerator * 4 * kTicksPerQuarter / denominator)) {
  tracks_.reserve(17);  // parts keep references to their tracks: one per channel, no regrowth
  MidiTrack& conductor = tracks_.emplace_back(std::move(title));
  conductor.TimeSignature(0, numerator, denominator);
  conductor.Tempo(0, quartersPerMinute);
}

Part Song::AddPart(std::string name, int channel, int program, int volume, int pan, int reverb) {
  if (tracks_.size() == tracks_.capacity()) throw std::logic_error("too many parts");
  MidiTrack& track = tracks_.emplace_back(std::move(name));
  track.Program(0, channel, program);
  track.Controller(0, channel, 7,
                   std::clamp(static_cast<int>(std::lround(volume * level_)), 0, 127));
  track.Controller(0, channel, 10, pan);
  track.Controller(0, channel, 91, reverb);
  track.Controller(0, channel, 93, 0);
  return Part(track, channel);
}

Part Song::AddDrums(int volume, int reverb) {
  return AddPart("Drums", kDrumChannel, 0, volume, 64, reverb);
}

double Song::Seconds() const {
  return Bar(bars_) / double{kTicksPerQuarter} * 60.0 / quartersPerMinute_;
}

std::vector<uint8_t> Song::Encode() const {
  if (bars_ <= 0) throw std::logic_error("the song has no length");
  return EncodeMidiFile(kTicksPerQuarter, tracks_, Bar(bars_));
}

void Pad(Part& part, uint32_t tick, uint32_t length, const Chord& chord, int low, int velocity) {
  // A breath between chords lets the next attack speak, and ends every note inside its bar.
  part.Notes(tick, length - std::min<uint32_t>(length / 16, 40), Voicing(chord, low), velocity);
}

void Arpeggio(Part& part, uint32_t tick, uint32_t length, uint32_t unit, const Chord& chord,
              int low, std::string_view order, int velocity) {
  const std::vector<int> keys = Voicing(chord, low);
  const int count = static_cast<int>(keys.size());
  for (uint32_t at = tick, i = 0; at + unit <= tick + length; at += unit, ++i) {
    const int index = order[i % order.size()] - '0';
    const int key = keys[index % count] + 12 * (index / count);
    part.Note(at, Detached(unit, 0.85), key, Humanize(at, velocity));
  }
}

void BassFigure(Part& part, uint32_t tick, uint32_t unit, const Chord& chord, int low,
                std::string_view steps, int velocity) {
  const int bass = KeyAtOrAbove(chord.bass, low);
  const int root = KeyAtOrAbove(chord.root, low);
  auto tone = [&](char step) {
    switch (step) {
      case 'R':
        return bass;
      case 'O':
        return bass + 12;
      case '5':
        return root + 7;
      default:
        throw std::invalid_argument("bad bass step");
    }
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i] == '.' || steps[i] == '-') continue;
    size_t held = 1;
    while (i + held < steps.size() && steps[i + held] == '-') ++held;
    const uint32_t at = tick + static_cast<uint32_t>(i) * unit;
    const int level = i == 0 ? velocity + 10 : velocity;
    part.Note(at, Detached(unit * static_cast<uint32_t>(held), 0.8), tone(steps[i]),
              Humanize(at, level));
  }
}

void Stabs(Part& part, uint32_t tick, uint32_t unit, const Chord& chord, int low,
           std::string_view steps, int velocity) {
  const std::vector<int> keys = Voicing(chord, low);
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i] != 'x') continue;
    size_t held = 1;
    while (i + held < steps.size() && steps[i + held] == '-') ++held;
    const uint32_t at = tick + static_cast<uint32_t>(i) * unit;
    part.Notes(at, Detached(unit * static_cast<uint32_t>(held), 0.75), keys,
               Humanize(at, velocity));
  }
}

void PowerChords(Part& part, uint32_t tick, uint32_t unit, const Chord& chord, int low,
                 std::string_view steps, int velocity) {
  const int root = KeyAtOrAbove(chord.root, low);
  for (size_t i = 0; i < steps.size(); ++i) {
    const char step = steps[i];
    if (step != 'x' && step != 'o') continue;
    size_t held = 1;
    while (i + held < steps.size() && steps[i + held] == '-') ++held;
    const uint32_t at = tick + static_cast<uint32_t>(i) * unit;
    if (step == 'x') {
      part.Notes(at, Detached(unit * static_cast<uint32_t>(held), 0.9), {root, root + 7, root + 12},
                 Humanize(at, velocity));
    } else {
      part.Notes(at, Detached(unit, 0.5), {root, root + 7}, Humanize(at, velocity - 25));
    }
  }
}

void WalkingBar(Part& part, uint32_t tick, uint32_t beat, const Chord& chord, const Chord& next,
                int low, int velocity) {
  const int bass = KeyAtOrAbove(chord.bass, low);
  const int root = KeyAtOrAbove(chord.root, low);
  const int target = KeyAtOrAbove(next.bass, low);
  // Approach the next bass note from a semitone on the side we are coming from.
  const int approach = target > root + 6 ? target - 1 : target + 1;
  const int third = root + chord.intervals[1];
  const int fifth = root + chord.intervals[2];
  const int walk[4] = {bass, third, fifth, approach};
  for (int i = 0; i < 4; ++i) {
    const uint32_t at = tick + static_cast<uint32_t>(i) * beat;
    part.Note(at, Detached(beat, 0.9), walk[i], Humanize(at, i == 0 ? velocity + 8 : velocity));
  }
}

}  // namespace pelaryn
