// The sun boss: A phrygian dominant at a sprint. Brass over racing strings and a galloping
// guitar; the middle section drops back to half the motion and builds into a triumphant F-G-A
// climb before the heat returns.

#include "Pieces.h"

namespace pelaryn {

Song SunBoss() {
  Song song("Sun", 176, 4, 4, 0.69);
  const uint32_t bar = song.BarTicks();
  const uint32_t eighth = bar / 8;
  const uint32_t sixteenth = bar / 16;

  Part brass = song.AddPart("Brass", 0, gm::Brass, 108, 60, 50);
  Part trumpet = song.AddPart("Trumpet", 1, gm::Trumpet, 88, 80, 50);
  // The racing strings let go of each note four times as fast as the patch would: at its own
  // release every sixteenth would ring on for about three seconds, a hundred-odd voices (five a
  // note) holding a wash of the same three tones under the figure. Short, the figure pulses at the
  // sixteenth nearly twice as strongly on under a third of the voices; played louder, the strings
  // keep their share of the mix (alone as loud as at the long release, every octave of the mix
  // within half a decibel on average).
  Part strings = song.AddPart("Strings", 2, gm::Strings, 104, 36, 50);
  strings.ScaleRelease(0.25);
  Part guitar = song.AddPart("Guitar", 3, gm::DistortionGuitar, 74, 96, 20);
  Part bass = song.AddPart("Bass", 4, gm::SynthBass, 100, 64, 10);
  Part timpani = song.AddPart("Timpani", 5, gm::Timpani, 104, 64, 40);
  Part hits = song.AddPart("Orchestra hit", 6, gm::OrchestraHit, 84, 64, 50);
  Part drums = song.AddDrums(100);

  // Intro (bars 0-1), A (2-9), B (10-17), A again (18-25).
  const std::vector<Chord> chords = ParseChords(
      "A Bb "
      "A Bb A Bb Dm C Bb A "
      "F G A A F G Bb A "
      "A Bb A Bb Dm C Bb A");
  song.SetBars(static_cast<int>(chords.size()));

  const std::initializer_list<std::string_view> heat = {
      "E5:4 A5:4 C#6:6 A5:2", "D6:4 C#6:2 D6:2 Bb5:8",
      "C#6:4 A5:4 E5:6 F5:2", "G5:4 F5:4 D5:4 E5:4",
      "F5:6 A5:2 D6:8",       "E6:6 D6:2 C6:4 G5:4",
      "F5:4 G5:4 Bb5:4 D6:4", "C#6:12 r:4"};
  const std::initializer_list<std::string_view> climb = {
      "A4:6 G4:2 F4:4 C5:4", "B4:6 A4:2 G4:4 D5:4", "C#5:4 E5:4 A5:8",      "G5:4 F5:2 E5:2 C#5:8",
      "A4:6 G4:2 F4:4 C5:4", "D5:6 C5:2 B4:4 G4:4", "F5:4 D5:4 Bb4:4 F4:4", "E4:4 A4:4 C#5:8"};
  brass.Bars(song.Bar(2), sixteenth, bar, heat, 104);
  brass.Bars(song.Bar(10), sixteenth, bar, climb, 108);
  trumpet.Bars(song.Bar(10), sixteenth, bar, climb, 100, 0.92, 12);
  brass.Bars(song.Bar(18), sixteenth, bar, heat, 108);
  trumpet.Bars(song.Bar(18), sixteenth, bar, heat, 96);

  for (int i = 0; i < song.Bars(); ++i) {
    const uint32_t at = song.Bar(i);
    const Chord& chord = chords[i];
    const bool climbing = i >= 10 && i < 18;
    // The first half of the climb breathes: eighth-note motion and hats, so the full drive has
    // somewhere to come back to.
    const bool calm = i >= 10 && i < 14;
    const bool phraseStart = i == 0 || i == 2 || i == 10 || i == 18;
    const bool phraseEnd = i == 1 || i == 9 || i == 17 || i == song.Bars() - 1;
    Arpeggio(strings, at, bar, calm ? eighth : sixteenth, chord, 64, climbing ? "0121" : "0102",
             78);
    PowerChords(guitar, at, sixteenth, chord, 45,
                calm       ? "x-------x---x---"
                : climbing ? "x-x-x-x-x-x-x-x-"
                           : "x-oox-oox-oox-oo",
                96);
    BassFigure(bass, at, eighth, chord, 33, "RORORORO", 96);
    if (i != 1) timpani.Note(at, eighth, KeyAtOrAbove(chord.root, 40), 110);
    if (phraseStart || (climbing && !calm)) {
      hits.Notes(at, eighth, {KeyAtOrAbove(chord.root, 60)}, 96);
    }

    drums.Pattern(at, sixteenth, drum::Kick, calm ? "X.......X.x....." : "X.x.X.x.X.x.X.x.", 100);
    if (calm) {
      drums.Pattern(at, eighth, drum::ClosedHat, "xoxoxoxo", 70);
    } else {
      drums.Pattern(at, sixteenth, drum::ClosedHat, "xoxoxoxoxoxoxoxo", 66);
    }
    if (phraseEnd) {
      drums.Pattern(at, sixteenth, drum::Snare, "....X...xxxxXXXX", 96);
    } else {
      drums.Pattern(at, sixteenth, drum::Snare, "....X.......X..o", 96);
    }
    if (phraseStart) drums.Pattern(at, eighth, drum::Crash, "X.......", 96);
  }
  // The intro's timpani roll hands over to the tune.
  timpani.Pattern(song.Bar(1), sixteenth, 45, "oooooooooxxxxxxX", 96);
  return song;
}

}  // namespace pelaryn
