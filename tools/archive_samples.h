// make-samples --mseed DIR --days N [--rate R]: an SDS archive of two stations for tests and
// for trying the program, written with libmseed (Steim-2, 4096-byte records), N days from
// 2026-04-10T00:00:00Z at R samples/s (default 100):
//   XX.ST1..HHZ  a 4.5 Hz geophone, damping 0.7, 2.88e8 counts per m/s;
//   XX.ST2..HHZ  a 120 s broadband sensor, damping 0.707, 1.5e9 counts per m/s.
// Beside the tree: response.xml (StationXML of both channels, poles and zeros in rad/s,
// normalised at 20 Hz, stage gains multiplying to the sensitivity) and XX.ST1..HHZ.pz,
// XX.ST2..HHZ.pz (SAC pole-zero files of the displacement response, as data centres write them).
//
// Ground velocity, the same at both stations: a 0.2 Hz microseism of 1 mum/s, a 7.3 Hz machine
// of 0.1 mum/s, and at each station its own white noise of 0.02 mum/s rms. Each sensor's
// counts are that velocity through its response, realised as the bilinear transform of its two
// poles and two zeros at the origin (exact well below the Nyquist frequency), times S A0,
// rounded. The traces run on without a break from day to day.
#pragma once

#include <filesystem>

namespace tools {

// Returns the exit status, after reporting any problem on standard error.
int writeArchiveSamples(const std::filesystem::path& dir, int days, double rate);

}  // namespace tools
