#pragma once

// A small vocabulary for writing music in code: a song made of parts, melodies written as note
// names with lengths, chords by name, and the usual accompaniment figures built from them.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "MidiFile.h"

namespace pelaryn {

inline constexpr uint16_t kTicksPerQuarter = 480;
inline constexpr int kDrumChannel = 9;  // channel 10 as musicians count

// General MIDI programs (0-based) and percussion keys the pieces use.
namespace gm {
inline constexpr int ElectricPiano = 4, Celesta = 8, Vibraphone = 11, TubularBells = 14;
inline constexpr int DistortionGuitar = 30, AcousticBass = 32, PickedBass = 34, SlapBass = 36;
inline constexpr int SynthBass = 38, Contrabass = 43, Pizzicato = 45, Harp = 46, Timpani = 47;
inline constexpr int Strings = 48, SynthStrings = 50, Choir = 52, OrchestraHit = 55;
inline constexpr int Trumpet = 56, FrenchHorn = 60, Brass = 61, SynthBrass = 62, Flute = 73;
inline constexpr int Whistle = 78, SquareLead = 80, SawLead = 81, WarmPad = 89;
}  // namespace gm

namespace drum {
inline constexpr int Kick = 36, Stick = 37, Snare = 38, Clap = 39, ClosedHat = 42, PedalHat = 44;
inline constexpr int OpenHat = 46, MidTom = 47, Crash = 49, HighTom = 50, Ride = 51;
inline constexpr int Tambourine = 54;
}  // namespace drum

// A chord by name: "Em", "A/C#", "Bm7b5", "Dmaj7", "A7", "Dm(maj7)", "Esus4", "E5", "Bdim".
struct Chord {
  int root = 0;                // pitch class, C = 0
  int bass = 0;                // pitch class of the lowest note (differs for slash chords)
  std::vector<int> intervals;  // above the root, ascending, starting with 0
};

Chord ParseChord(std::string_view name);
// Space-separated chord names, one per bar.
std::vector<Chord> ParseChords(std::string_view names);

// The lowest key at or above `low` with this pitch class.
int KeyAtOrAbove(int pitchClass, int low);

class Part {
 public:
  Part(MidiTrack& track, int channel) : track_(track), channel_(channel) {}

  void Note(uint32_t tick, uint32_t length, int key, int velocity);
  void Notes(uint32_t tick, uint32_t length, const std::vector<int>& keys, int velocity);

  // A melody: tokens "E5:4" (key and length in units), "F#4", "Bb3:2", "r:8" (rest); a length
  // left out repeats the previous one. Notes are played slightly detached (legato is the sounding
  // share of each length). Returns the tick after the last token.
  uint32_t Line(uint32_t tick, uint32_t unit, std::string_view notes, int velocity,
                double legato = 0.92, int transpose = 0);

  // One melody bar per string; each must fill exactly one bar, or this throws (a typing slip in
  // the score should stop the build, not put the tune out of step).
  void Bars(uint32_t tick, uint32_t unit, uint32_t barTicks,
            std::initializer_list<std::string_view> bars, int velocity, double legato = 0.92,
            int transpose = 0);

  // A percussion or repeated-note pattern over steps: 'X' accent, 'x' normal, 'o' soft, '.' none.
  void Pattern(uint32_t tick, uint32_t unit, int key, std::string_view steps, int velocity);

  // Scales how long each note rings on after it is let go, from the first note on (`scale` 0.25:
  // a quarter as long). The synthesiser keeps every ringing note as voices it renders, however
  // far below the mix they have fallen: a fast figure on a patch with a long release piles up
  // tails by the hundred. Said as the SoundFont's own message for its release (the NRPN for
  // generator 38), which FluidSynth honours; it takes no notice of the release controller, CC 72.
  void ScaleRelease(double scale);

 private:
  MidiTrack& track_;
  int channel_;
};

class Song {
 public:
  // `level` scales every part's channel volume, so each piece sits at the same loudness under
  // the sound effects whatever its orchestration.
  Song(std::string title, double quartersPerMinute, int numerator, int denominator, double level);
  Song(const Song&) = delete;
  Song& operator=(const Song&) = delete;
  Song(Song&&) = default;

  // A melodic part on its own channel and track with its instrument, volume, pan and reverb.
  Part AddPart(std::string name, int channel, int program, int volume, int pan, int reverb = 48);
  Part AddDrums(int volume, int reverb = 32);

  uint32_t BarTicks() const { return barTicks_; }
  uint32_t Bar(int index) const { return static_cast<uint32_t>(index) * barTicks_; }
  void SetBars(int bars) { bars_ = bars; }
  int Bars() const { return bars_; }
  double Seconds() const;

  std::vector<uint8_t> Encode() const;

 private:
  std::vector<MidiTrack> tracks_;
  double quartersPerMinute_;
  double level_;
  uint32_t barTicks_;
  int bars_ = 0;
};

// Accompaniment figures over one chord.

// The chord held as a close voicing above `low`.
void Pad(Part& part, uint32_t tick, uint32_t length, const Chord& chord, int low, int velocity);

// Chord tones in the order given by digits (0 = lowest tone above `low`; indices past the chord
// climb by octaves), one per unit, repeated to fill the length.
void Arpeggio(Part& part, uint32_t tick, uint32_t length, uint32_t unit, const Chord& chord,
              int low, std::string_view order, int velocity);

// A bass figure over steps: 'R' the bass note, 'O' its octave, '5' the fifth above the root;
// '-' holds the previous note, '.' rests. The first note of the figure leans on the beat.
void BassFigure(Part& part, uint32_t tick, uint32_t unit, const Chord& chord, int low,
                std::string_view steps, int velocity);

// Chord stabs: 'x' strikes the close voicing above `low`, '-' holds it, '.' rests.
void Stabs(Part& part, uint32_t tick, uint32_t unit, const Chord& chord, int low,
           std::string_view steps, int velocity);

// Guitar power chords (root, fifth, octave from the root at or above `low`): 'x' rings, 'o' is
// palm-muted (root and fifth, short and soft), '-' holds, '.' rests.
void PowerChords(Part& part, uint32_t tick, uint32_t unit, const Chord& chord, int low,
                 std::string_view steps, int velocity);

// A walking bass bar of four beats of `beat` ticks: the bass note, the third, the fifth, and a
// semitone approach to the next chord's bass note.
void WalkingBar(Part& part, uint32_t tick, uint32_t beat, const Chord& chord, const Chord& next,
                int low, int velocity);

}  // namespace pelaryn
