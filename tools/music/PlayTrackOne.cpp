// First play track: E minor rock at a gallop. Intro riff, a saw-lead tune and its answer, a
// lift over held chords, a half-time breakdown with a square-lead solo, and the tune again.

#include "Pieces.h"

namespace pelaryn {

Song PlayTrackOne() {
  Song song("Play 1", 152, 4, 4, 0.86);
  const uint32_t bar = song.BarTicks();
  const uint32_t eighth = bar / 8;
  const uint32_t sixteenth = bar / 16;

  // The saw lead cuts through at a lower volume than the band: held at the band's level it
  // towers over the riff, and the loop falls into a hole when the intro comes round again.
  Part lead = song.AddPart("Lead", 0, gm::SawLead, 66, 70, 40);
  Part guitar = song.AddPart("Guitar", 1, gm::DistortionGuitar, 92, 40, 30);
  Part bass = song.AddPart("Bass", 2, gm::PickedBass, 108, 64, 10);
  Part pad = song.AddPart("Strings", 3, gm::SynthStrings, 76, 90, 70);
  Part solo = song.AddPart("Solo", 4, gm::SquareLead, 84, 56, 50);
  Part piano = song.AddPart("Piano", 5, gm::ElectricPiano, 72, 100, 60);
  Part drums = song.AddDrums(100);

  enum Section { kIntro, kTune, kLift, kBreak };
  struct Span {
    Section section;
    int first;
  };
  const Span spans[] = {{kIntro, 0}, {kTune, 4},   {kTune, 12},
                        {kLift, 20}, {kBreak, 28}, {kTune, 36}};
  const std::vector<Chord> chords = ParseChords(
      "Em C D B "
      "Em C D Em Em C Am B7 "
      "Em C D Em Em C Am B7 "
      "C D Bm Em C D B B "
      "Am D G C Am D B B7 "
      "Em C D Em Em C Am B7");
  song.SetBars(static_cast<int>(chords.size()));

  const std::initializer_list<std::string_view> tune = {
      "E5:6 D5:2 E5:4 G5:4", "E5:6 D5:2 C5:4 D5:4", "D5:6 E5:2 F#5:4 A5:4", "G5:12 F#5:2 E5:2",
      "E5:6 D5:2 E5:4 G5:4", "A5:6 G5:2 E5:4 C5:4", "C6:4 B5:4 A5:4 G5:4",  "F#5:8 D#5:4 B4:4"};
  lead.Bars(song.Bar(4), sixteenth, bar, tune, 100);
  lead.Bars(song.Bar(12), sixteenth, bar,
            {"B5:6 A5:2 G5:4 E5:4", "G5:6 E5:2 C5:4 E5:4", "F#5:6 E5:2 D5:4 A5:4",
             "G5:4 F#5:4 E5:8", "E5:2 F#5:2 G5:2 A5:2 B5:4 E6:4", "E6:6 D6:2 C6:4 G5:4",
             "A5:4 C6:4 E6:4 C6:4", "B5:8 A5:2 G5:2 F#5:4"},
            100);
  lead.Bars(song.Bar(20), sixteenth, bar,
            {"G5:8 E5:8", "F#5:8 A5:8", "B5:12 A5:4", "G5:8 E5:8", "G5:8 C6:8", "B5:8 A5:8",
             "B5:16", "B5:8 r:8"},
            104, 0.97);
  solo.Bars(song.Bar(28), sixteenth, bar,
            {"A5:4 E5:4 C5:4 E5:4", "F#5:8 D5:8", "G5:4 B5:4 D6:8", "C6:8 B5:4 G5:4",
             "A5:4 C6:4 E6:8", "D6:4 C6:4 A5:8", "B5:8 F#5:8", "A5:4 F#5:4 D#5:4 B4:4"},
            96);
  lead.Bars(song.Bar(36), sixteenth, bar, tune, 104);

  for (const Span& span : spans) {
    for (int i = span.first; i < span.first + (span.section == kIntro ? 4 : 8); ++i) {
      const uint32_t at = song.Bar(i);
      const Chord& chord = chords[i];
      const bool sectionStart = i == span.first;
      const bool sectionEnd = i == span.first + (span.section == kIntro ? 3 : 7);
      switch (span.section) {
        case kIntro:
        case kTune:
          PowerChords(guitar, at, sixteenth, chord, 40, "x-oox-oox-oox-oo", 92);
          BassFigure(bass, at, eighth, chord, 28, "RRORRROR", 96);
          drums.Pattern(at, sixteenth, drum::Kick, "X.....x.X.x.....", 96);
          drums.Pattern(at, sixteenth, drum::ClosedHat, "xoxoxoxoxoxoxoxo", 76);
          // Strings fill the space the tune leaves in the intro, so the loop point keeps its level.
          if (span.section == kIntro) Pad(pad, at, bar, chord, 60, 76);
          break;
        case kLift:
          PowerChords(guitar, at, sixteenth, chord, 40, "x-------x-----o-", 92);
          BassFigure(bass, at, eighth, chord, 28, "RRRRRRRR", 96);
          Pad(pad, at, bar, chord, 60, 84);
          drums.Pattern(at, sixteenth, drum::Kick, "X.......X.x.....", 100);
          drums.Pattern(at, eighth, drum::Ride, "xxxxxxxx", 78);
          break;
        case kBreak:
          PowerChords(guitar, at, eighth, chord, 40, "o.o.o.o.", 92);
          BassFigure(bass, at, eighth, chord, 28, "R--.R-5-", 92);
          Pad(pad, at, bar, chord, 60, 70);
          Arpeggio(piano, at, bar, sixteenth, chord, 57, "0123", 70);
          drums.Pattern(at, sixteenth, drum::Kick, "X.........x.....", 90);
          drums.Pattern(at, eighth, drum::ClosedHat, "x.x.x.x.", 66);
          break;
      }
      const bool halfTime = span.section == kBreak;
      if (sectionEnd) {
        drums.Pattern(at, sixteenth, drum::Snare, "....X.......xxXX", 92);
        drums.Pattern(at, sixteenth, drum::HighTom, "........xx......", 92);
        drums.Pattern(at, sixteenth, drum::MidTom, "..........xx....", 92);
      } else {
        drums.Pattern(at, sixteenth, drum::Snare,
                      halfTime ? "........X......." : "....X.......X...", 92);
      }
      if (sectionStart || (span.section == kLift && i % 2 == 0)) {
        drums.Pattern(at, eighth, drum::Crash, "X.......", 92);
      }
    }
  }
  return song;
}

}  // namespace pelaryn
