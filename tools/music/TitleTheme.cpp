// The title theme: a short fanfare, a horn tune over a descending bass, and a trumpet answer that
// climbs back to the fanfare.

#include "Pieces.h"

namespace pelaryn {

Song TitleTheme() {
  Song song("Title", 112, 4, 4, 0.59);
  const uint32_t bar = song.BarTicks();
  const uint32_t eighth = bar / 8;
  const uint32_t sixteenth = bar / 16;

  Part horn = song.AddPart("Horn", 0, gm::FrenchHorn, 110, 52);
  Part trumpet = song.AddPart("Trumpet", 1, gm::Trumpet, 100, 76);
  Part flute = song.AddPart("Flute", 2, gm::Flute, 70, 84);
  Part strings = song.AddPart("Strings", 3, gm::Strings, 84, 40, 64);
  Part harp = song.AddPart("Harp", 4, gm::Harp, 78, 96, 56);
  Part bass = song.AddPart("Contrabass", 5, gm::Contrabass, 100, 58);
  Part timpani = song.AddPart("Timpani", 6, gm::Timpani, 100, 64);
  Part drums = song.AddDrums(92);
  // The harp's sixteenths would ring on for seconds under the held strings, which cover them: at
  // half the release the figure holds half as many voices and no octave of the mix moves by more
  // than a tenth of a decibel on average. The strings keep their own release, which carries one
  // chord into the next.
  harp.ScaleRelease(0.5);

  // Fanfare (bars 0-1), A (bars 2-9), B (bars 10-17).
  const std::vector<Chord> chords = ParseChords(
      "D A "
      "D A/C# Bm G D A G A "
      "Bm G D A Bm G Em7 A7");
  song.SetBars(static_cast<int>(chords.size()));

  trumpet.Bars(song.Bar(0), eighth, bar, {"D5:3 D5:1 D5:2 A5:2", "F#5:2 E5:1 D5:1 E5:4"}, 100);
  horn.Bars(song.Bar(0), eighth, bar, {"A4:3 A4:1 A4:2 F#4:2", "A4:2 G4:1 F#4:1 C#4:4"}, 90);
  horn.Bars(song.Bar(2), eighth, bar,
            {"A4:4 D5:2 E5:2", "F#5:3 E5:1 E5:2 C#5:2", "D5:4 B4:2 F#4:2", "G4:6 A4:2",
             "A4:4 D5:2 E5:2", "F#5:3 G5:1 A5:2 E5:2", "G5:3 F#5:1 E5:2 D5:2", "E5:6 r:2"},
            100);
  const std::initializer_list<std::string_view> answer = {
      "F#5:2 D5:2 B4:2 D5:2", "G5:4 F#5:2 E5:2",      "F#5:2 A5:2 D5:2 F#5:2", "E5:6 C#5:2",
      "D5:2 F#5:2 B5:3 A5:1", "G5:2 F#5:2 E5:2 D5:2", "E5:2 G5:2 B5:2 A5:2",   "A5:4 G5:2 E5:2"};
  trumpet.Bars(song.Bar(10), eighth, bar, answer, 104);
  flute.Bars(song.Bar(10), eighth, bar, answer, 80, 0.92, 12);

  for (int i = 0; i < song.Bars(); ++i) {
    const uint32_t at = song.Bar(i);
    const Chord& chord = chords[i];
    const bool answerSection = i >= 10;
    Pad(strings, at, bar, chord, 62, answerSection ? 84 : 72);
    if (i >= 2) {
      Arpeggio(harp, at, bar, sixteenth, chord, 55, "01234321", answerSection ? 70 : 62);
    }
    BassFigure(bass, at, eighth, chord, 33, answerSection ? "R-R-5-O-" : "R---5---", 92);
  }

  // Timpani: a roll into the tune, then a stroke at the head of each phrase.
  timpani.Pattern(song.Bar(1), sixteenth, 45, "oooooooxxxxxxxxX", 80);
  for (int i : {2, 6, 10, 14}) timpani.Note(song.Bar(i), eighth * 2, i == 10 ? 47 : 38, 112);

  drums.Pattern(song.Bar(0), eighth, drum::Crash, "X.......", 90);
  drums.Pattern(song.Bar(1), sixteenth, drum::Snare, "........oooxxxXX", 70);
  for (int i = 2; i < song.Bars(); ++i) {
    const uint32_t at = song.Bar(i);
    if (i == 2 || i == 10) drums.Pattern(at, eighth, drum::Crash, "X.......", 88);
    if (i < 10) {
      drums.Pattern(at, sixteenth, drum::Kick, "X.......x.......", 80);
      drums.Pattern(at, eighth, drum::Ride, "x.x.x.x.", 56);
    } else {
      drums.Pattern(at, sixteenth, drum::Kick, "X.....x.x.......", 88);
      drums.Pattern(at, eighth, drum::ClosedHat, "xoxoxoxo", 70);
      const bool lastBar = i == song.Bars() - 1;
      drums.Pattern(at, sixteenth, drum::Snare, lastBar ? "....x...x.xxXXXX" : "....x.......x..o",
                    84);
    }
  }
  return song;
}

}  // namespace pelaryn
