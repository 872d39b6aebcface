#include "Effects.h"

#include <cmath>

// Each effect is shaped here at whatever level comes out; the generator levels all six to one
// loudness afterwards (Level in Synth.h).

namespace pelaryn {

Samples Damage() {
  Samples out = Silence(0.32);
  Oscillator low;
  Oscillator fifth;
  Oscillator edge;
  Noise noise(0xDA4A6E);
  LowPass grit;
  LowPass warm;
  LowPass warmer;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = TimeOf(i);
    const double pitch = Glide(96.0, 52.0, 0.3, t);
    // Triangles with a touch of square: a growl with a body, not a raw buzzer.
    const double buzz = 0.55 * low.Triangle(pitch) + 0.3 * fifth.Triangle(pitch * 1.498) +
                        0.15 * edge.Square(pitch * 2.0);
    // Crunch that falls from a bright crack to a dull rattle.
    const double crunch =
        grit.Next(noise.Next(), Glide(3500.0, 900.0, 0.2, t)) * (t < 0.07 ? 1.4 : 0.7);
    const double envelope = t < 0.17 ? 1.0 : 1.0 - (t - 0.17) / 0.15;
    const double driven = std::tanh(1.4 * (buzz + crunch));
    // Two poles at 4 kHz keep the hiss of the drive out of the top octaves.
    out[i] = warmer.Next(warm.Next(driven, 4000.0), 4000.0) * envelope;
  }
  FadeEdges(out, 0.001, 0.01);
  return out;
}

Samples Hit() {
  Samples out = Silence(0.15);
  Oscillator triangle;
  Oscillator square;
  Noise noise(0x417);
  LowPass soften;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = TimeOf(i);
    const double pitch = Glide(980.0, 170.0, 0.11, t);
    const double click = t < 0.006 ? noise.Next() * (1.0 - t / 0.006) : 0.0;
    // Each voice keeps its own phase: one shared oscillator would advance twice a sample.
    const double body = 0.7 * triangle.Triangle(pitch) + 0.3 * square.Square(pitch * 0.5);
    out[i] = soften.Next(body, 5000.0) * Decay(0.045, t) + 0.5 * click;
  }
  FadeEdges(out, 0.0005, 0.02);
  return out;
}

Samples GetItem() {
  Samples out = Silence(0.6);
  const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};  // C6 E6 G6 C7
  const double step = 0.07;
  for (int n = 0; n < 4; ++n) {
    Oscillator fundamental;
    Oscillator octave;
    Oscillator twelfth;
    const auto start = static_cast<size_t>(n * step * kSampleRate);
    for (size_t i = start; i < out.size(); ++i) {
      const double t = TimeOf(i - start);
      const double f = notes[n];
      const double bell = fundamental.Sine(f) + 0.35 * octave.Sine(2.0 * f) * Decay(0.06, t) +
                          0.12 * twelfth.Sine(3.0 * f) * Decay(0.03, t);
      const double attack = t < 0.003 ? t / 0.003 : 1.0;
      out[i] += 0.5 * bell * attack * Decay(n == 3 ? 0.16 : 0.09, t);
    }
  }
  FadeEdges(out, 0.0005, 0.06);
  return out;
}

Samples BombShot() {
  Samples out = Silence(0.45);
  Oscillator thump;
  Noise noise(0xB0B);
  BandPass rush;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = TimeOf(i);
    const double body = thump.Sine(Glide(150.0, 42.0, 0.18, t)) * Decay(0.09, t);
    const double centre =
        t < 0.12 ? Glide(350.0, 2400.0, 0.12, t) : Glide(2400.0, 500.0, 0.33, t - 0.12);
    const double swell = t < 0.1 ? t / 0.1 : Decay(0.12, t - 0.1);
    const double whoosh = rush.Next(noise.Next(), centre, 2.5) * swell;
    out[i] = 0.9 * body + 0.8 * whoosh;
  }
  FadeEdges(out, 0.0005, 0.04);
  return out;
}

Samples BossHit() {
  Samples out = Silence(0.06);
  // Partials out of harmonic step ring like struck metal rather than a tone.
  const double partials[][3] = {
      {1870.0, 1.0, 0.016}, {3120.0, 0.7, 0.011}, {4410.0, 0.5, 0.008}, {6230.0, 0.35, 0.006}};
  Noise noise(0xB055);
  for (const auto& partial : partials) {
    Oscillator ring;
    for (size_t i = 0; i < out.size(); ++i) {
      out[i] += partial[1] * ring.Sine(partial[0]) * Decay(partial[2], TimeOf(i));
    }
  }
  for (size_t i = 0; i < out.size() && TimeOf(i) < 0.002; ++i) out[i] += 0.8 * noise.Next();
  FadeEdges(out, 0.0002, 0.01);
  return out;
}

Samples Explode() {
  Samples out = Silence(1.1);
  Noise noise(0xB00A);
  Noise crackle(0xC4AC);
  LowPass roar;
  LowPass rumble;
  Oscillator boom;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = TimeOf(i);
    const double white = noise.Next();
    const double bright = roar.Next(white, Glide(4200.0, 160.0, 0.9, t));
    const double deep = rumble.Next(white, 90.0) * 6.0;
    const double low = boom.Sine(Glide(70.0, 28.0, 0.5, t)) * Decay(0.18, t);
    // Fewer, fainter crackles as the fire burns out: a late spark is no louder than the embers.
    const double spark = crackle.Next() > 1.0 - 0.02 * Decay(0.25, t) ? crackle.Next() : 0.0;
    const double fire = Decay(0.28, t);
    const double body = (1.2 * bright + deep + 0.6 * spark) * fire + 0.9 * low;
    out[i] = std::tanh(1.5 * body);
  }
  FadeEdges(out, 0.002, 0.25);
  return out;
}

}  // namespace pelaryn
