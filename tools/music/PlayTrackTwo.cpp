// Second play track: D major synth funk on a four-on-the-floor beat. Arpeggio intro, a syncopated
// synth-brass tune, a higher chorus, the tune again with a flute above it, a vibraphone interlude
// and a brass tag that hands back to the intro.

#include "Pieces.h"

namespace pelaryn {

Song PlayTrackTwo() {
  Song song("Play 2", 138, 4, 4, 0.92);
  const uint32_t bar = song.BarTicks();
  const uint32_t eighth = bar / 8;
  const uint32_t sixteenth = bar / 16;

  // The brass sits in the band rather than on top of it, and the arpeggio carries the intro and
  // the interlude, so the level holds across the loop point and through the quiet middle.
  Part brass = song.AddPart("Synth brass", 0, gm::SynthBrass, 80, 64, 50);
  Part flute = song.AddPart("Flute", 1, gm::Flute, 70, 90, 60);
  Part vibes = song.AddPart("Vibraphone", 2, gm::Vibraphone, 100, 50, 70);
  Part bass = song.AddPart("Slap bass", 3, gm::SlapBass, 104, 64, 10);
  Part piano = song.AddPart("Electric piano", 4, gm::ElectricPiano, 84, 36, 50);
  Part arp = song.AddPart("Arpeggio", 5, gm::SquareLead, 76, 100, 60);
  Part pad = song.AddPart("Pad", 6, gm::WarmPad, 72, 28, 80);
  Part drums = song.AddDrums(98);

  enum Section { kIntro, kTune, kChorus, kInterlude, kTag };
  struct Span {
    Section section;
    int first;
    int bars;
  };
  const Span spans[] = {{kIntro, 0, 4}, {kTune, 4, 8},       {kChorus, 12, 8},
                        {kTune, 20, 8}, {kInterlude, 28, 8}, {kTag, 36, 4}};
  // Where the tune leans on G, the chord under it is a plain triad: a major seventh in the pad
  // would grind a semitone under the melody.
  const std::vector<Chord> chords = ParseChords(
      "Dmaj7 G Dmaj7 A "
      "Dmaj7 Bm7 Gmaj7 A Dmaj7 Bm7 Em7 A7 "
      "G A F#m7 Bm7 G A Bm7 A7 "
      "Dmaj7 Bm7 Gmaj7 A Dmaj7 Bm7 Em7 A7 "
      "Em7 F#m7 Gmaj7 A Em7 F#m7 G A "
      "G A Bm A");
  song.SetBars(static_cast<int>(chords.size()));

  const std::initializer_list<std::string_view> tune = {
      "F#5:3 A5:3 F#5:2 E5:2 D5:2 E5:4", "D5:3 B4:3 D5:2 r:4 F#5:4",
      "G5:3 F#5:3 E5:2 D5:4 B4:4",       "C#5:6 D5:2 E5:8",
      "F#5:3 A5:3 F#5:2 E5:2 D5:2 A5:4", "B5:6 A5:2 F#5:4 D5:4",
      "E5:3 G5:3 B5:2 A5:4 G5:4",        "E5:8 C#5:4 A4:4"};
  brass.Bars(song.Bar(4), sixteenth, bar, tune, 100);
  brass.Bars(song.Bar(12), sixteenth, bar,
             {"B5:6 A5:2 G5:4 F#5:4", "E5:6 F#5:2 A5:8", "C#6:6 B5:2 A5:4 F#5:4", "D6:8 B5:4 A5:4",
              "B5:6 A5:2 G5:4 B5:4", "C#6:6 B5:2 A5:4 E5:4", "F#5:4 A5:4 B5:4 D6:4",
              "C#6:8 r:4 E5:2 G5:2"},
             104);
  brass.Bars(song.Bar(20), sixteenth, bar, tune, 100);
  flute.Bars(song.Bar(20), sixteenth, bar, tune, 84, 0.92, 12);
  vibes.Bars(song.Bar(28), sixteenth, bar,
             {"E5:4 G5:4 B5:8", "A5:4 F#5:4 C#5:8", "D5:4 F#5:4 B5:8", "A5:8 E5:8",
              "G5:4 B5:4 D6:8", "C#6:4 A5:4 F#5:8", "G5:4 B5:4 D6:4 B5:4", "C#6:8 A5:4 E5:4"},
             104, 1.0);
  brass.Bars(song.Bar(36), sixteenth, bar,
             {"D6:4 B5:4 G5:8", "E5:4 F#5:4 A5:8", "B5:6 A5:2 F#5:4 D5:4", "E5:8 r:8"}, 104);

  for (const Span& span : spans) {
    for (int i = span.first; i < span.first + span.bars; ++i) {
      const uint32_t at = song.Bar(i);
      const Chord& chord = chords[i];
      const bool last = i == span.first + span.bars - 1;
      const bool quiet = span.section == kInterlude;
      BassFigure(bass, at, sixteenth, chord, 28, quiet ? "R---..R.R---.O.." : "R.RO..R.R.RO.5O.",
                 100);
      if (span.section == kIntro || quiet) {
        Arpeggio(arp, at, bar, sixteenth, chord, 62, "0123", 80);
      } else {
        Stabs(piano, at, sixteenth, chord, 60, "..x...x-..x..x..", 84);
      }
      if (span.section == kChorus || quiet) Pad(pad, at, bar, chord, 60, 80);
      if (span.section == kTag) Stabs(brass, at, sixteenth, chord, 62, "............x-x.", 92);

      drums.Pattern(at, sixteenth, drum::Kick, quiet ? "X.......X......." : "X...X...X...X...",
                    100);
      if (span.section == kIntro && i < 2) {
        drums.Pattern(at, sixteenth, drum::ClosedHat, "x.x.x.x.x.x.x.x.", 70);
      } else {
        drums.Pattern(at, sixteenth, drum::ClosedHat, "xo.oxo.oxo.oxo.o", 70);
        if (!quiet) drums.Pattern(at, sixteenth, drum::OpenHat, "..x...x...x...x.", 66);
        drums.Pattern(at, sixteenth, drum::Clap, last ? "....X.......XxXX" : "....X.......X...",
                      90);
      }
      if (span.section == kChorus) drums.Pattern(at, eighth, drum::Tambourine, ".x.x.x.x", 70);
      if (i == span.first) drums.Pattern(at, eighth, drum::Crash, "X.......", 96);
    }
  }
  return song;
}

}  // namespace pelaryn
