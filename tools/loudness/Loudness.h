#pragma once

// Loudness as listeners hear it: K-weighted, gated programme loudness (ITU-R BS.1770-4) in LUFS,
// and sample peaks in dBFS. The effect generator levels its sounds with it, and the tests judge
// the music and the game's mix with the same meter.

#include <cstddef>
#include <vector>

namespace pelaryn {

// Planar audio: one buffer of samples in [-1, 1] per channel, all the same length.
struct Audio {
  int rate = 44100;
  std::vector<std::vector<double>> channels;

  std::size_t Frames() const { return channels.empty() ? 0 : channels.front().size(); }
};

// The audio filtered by the K-weighting curve (a high shelf near 1.7 kHz and a high pass near
// 38 Hz), designed for the audio's own rate.
Audio KWeighted(const Audio& audio);

// Gated loudness of frames [from, to) of audio that is already K-weighted, in LUFS: 400 ms blocks
// every 100 ms, an absolute gate at -70 LUFS and a relative gate 10 LU under the ungated level.
// A stretch shorter than one block counts as one block of its own length, so that a short
// effect has a loudness too. Silence is -infinity.
double GatedLoudness(const Audio& weighted, std::size_t from, std::size_t to);

// The whole audio's integrated loudness in LUFS.
double IntegratedLoudness(const Audio& audio);

// The largest sample magnitude in dBFS (full scale is 1.0); silence is -infinity.
double PeakDbfs(const Audio& audio);

// Decibels to a gain factor and back.
double FromDb(double db);
double ToDb(double gain);

}  // namespace pelaryn
