// The moon boss: a D minor shuffle in 12/8 over a chromatic lament bass. Vibraphone tune, walking
// bass, pizzicato on the swung off-beats, a distant choir, and a whistle like a theremin when the
// tune comes round again.

#include "Pieces.h"

namespace pelaryn {

Song MoonBoss() {
  Song song("Moon", 150, 12, 8, 0.92);  // 100 dotted quarters a minute
  const uint32_t bar = song.BarTicks();
  const uint32_t unit = bar / 12;  // one triplet eighth
  const uint32_t beat = 3 * unit;

  // Distance comes from the soft levels more than from reverb: much more than this and the
  // sustained voices wash into one another.
  Part vibes = song.AddPart("Vibraphone", 0, gm::Vibraphone, 108, 60, 60);
  Part whistle = song.AddPart("Whistle", 1, gm::Whistle, 64, 84, 60);
  Part choir = song.AddPart("Choir", 2, gm::Choir, 62, 40, 64);
  Part pizzicato = song.AddPart("Pizzicato", 3, gm::Pizzicato, 84, 92, 56);
  Part bass = song.AddPart("Bass", 4, gm::AcousticBass, 110, 64, 30);
  Part celesta = song.AddPart("Celesta", 5, gm::Celesta, 76, 30, 60);
  Part bells = song.AddPart("Bells", 6, gm::TubularBells, 76, 70, 60);
  Part drums = song.AddDrums(90, 50);
  // A plucked note has died away long before the patch's release lets its voices go: cut short,
  // the off-beats hold fewer than half the voices and the part alone is not 0.1 LU quieter. The
  // ride is left to ring: its tails are the shimmer at the top of the mix, and even at 0.7 of its
  // release that octave would lose half a decibel.
  pizzicato.ScaleRelease(0.35);

  // Intro (bars 0-1), A (2-9), B (10-17), A again (18-25).
  const std::vector<Chord> chords = ParseChords(
      "Dm A7 "
      "Dm Dm(maj7)/C# Dm7/C Bm7b5 Bbmaj7 A7 Dm A7 "
      "Gm Gm(maj7)/F# Gm7/F C7 Fmaj7 Bb7 Em7b5 A7 "
      "Dm Dm(maj7)/C# Dm7/C Bm7b5 Bbmaj7 A7 Dm A7b9");
  song.SetBars(static_cast<int>(chords.size()));

  const std::initializer_list<std::string_view> lament = {
      "A4:3 D5:2 F5:1 A5:6",           "A5:2 G#5:1 A5:3 E5:6",
      "F5:3 E5:2 D5:1 C5:6",           "D5:2 F5:1 B5:3 A5:6",
      "A5:3 F5:2 E5:1 D5:6",           "C#5:2 E5:1 G5:3 Bb5:6",
      "A5:3 F5:2 D5:1 E5:2 F5:1 D5:3", "C#5:9 r:3"};
  vibes.Bars(song.Bar(2), unit, bar, lament, 100);
  vibes.Bars(song.Bar(10), unit, bar,
             {"D5:3 G5:2 Bb5:1 D6:6", "D6:2 C6:1 Bb5:3 F#5:6", "F5:3 G5:2 Bb5:1 D6:3 C6:3",
              "Bb5:6 G5:3 E5:3", "A5:3 C6:2 A5:1 E5:6", "F5:2 Ab5:1 D6:3 C6:2 Bb5:1 Ab5:3",
              "G5:3 Bb5:2 G5:1 E5:6", "C#5:3 E5:2 G5:1 Bb5:3 A5:3"},
             100);
  vibes.Bars(song.Bar(18), unit, bar, lament, 96);
  whistle.Bars(song.Bar(18), unit, bar, lament, 84, 0.98, 12);

  for (int i = 0; i < song.Bars(); ++i) {
    const uint32_t at = song.Bar(i);
    const Chord& chord = chords[i];
    const Chord& next = chords[(i + 1) % chords.size()];
    const bool phraseEnd = i == 1 || i == 9 || i == 17 || i == song.Bars() - 1;
    WalkingBar(bass, at, beat, chord, next, 28, 96);
    // The choir hums under the intro too, so the loop point does not fall into a hole.
    Pad(choir, at, bar, chord, 57, i < 2 ? 80 : 70);
    if (i >= 2) Stabs(pizzicato, at, unit, chord, 57, "..x..x..x..x", 80);
    if (i < 2 || (i >= 10 && i < 18)) {
      Arpeggio(celesta, at, bar, unit, chord, 69, "012321", i < 2 ? 84 : 60);
    }
    if (i == 0 || i == 2 || i == 10 || i == 18) bells.Note(at, beat * 2, 62, 90);

    drums.Pattern(at, unit, drum::Ride, "x..x.xx..x.x", 76);
    drums.Pattern(at, unit, drum::PedalHat, "...x.....x..", 70);
    drums.Pattern(at, unit, drum::Kick, "x.....x.....", 70);
    drums.Pattern(at, unit, drum::Stick, phraseEnd ? "...x........" : "...x.....x..", 70);
    if (phraseEnd) drums.Pattern(at, unit, drum::Snare, "......ooxxxX", 80);
  }
  return song;
}

}  // namespace pelaryn
