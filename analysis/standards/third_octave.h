// One-third-octave bands (base 10) and the rms velocity in them, computed exactly from the
// program's displacement PSD.
//
// Band m (any integer; m = 0 is the 1 Hz band) has
//     exact centre  f_m = 10^(m/10) Hz
//     edges         f_low = 10^((2m - 1)/20) = f_m x 10^(-1/20),
//                   f_high = 10^((2m + 1)/20) = f_m x 10^(+1/20) = the next band's f_low
//     nominal centre the preferred number of IEC 61260 / ISO 266: 1, 1.25, 1.6, 2, 2.5, 3.15, 4,
//                   5, 6.3, 8 times a power of ten (the 3.98 Hz band is the "4 Hz" band).
// Line k belongs to band m when f_low <= freq[k] < f_high: every line to exactly one band.
//
// rms velocity of band m, from the displacement PSD psd (mum^2/Hz) of a record of T seconds:
//     V_m^2 = sum over the lines k of band m of  psd[k] x (kTwoPi freq[k])^2 / T / 2   [(mum/s)^2]
// kTwoPi being the program's 2 pi. For a single record psd = |c|^2 T / (kTwoPi f)^2, so that
// V_m^2 = sum |c_k|^2 / 2, the mean square velocity of the band's lines (c_k = 2 X_k / N).
//
// Only bands that lie wholly inside the frequencies of the lines used (lowest <= f_low and
// f_high <= highest frequency among them) and hold at least one line are computed: a band
// partly outside would read low, and one narrower than the line spacing may hold no line at
// all. Lines at 0 Hz or below, or with a frequency that is not a finite number, are skipped.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "analysis/record/analysis_state.h"

namespace analysis {

struct ThirdOctaveBand {
  int index = 0;             // m
  double centre = 0;         // Hz, exact 10^(m/10)
  double low = 0, high = 0;  // Hz, the edges
  double nominalCentre = 0;  // Hz, the preferred number that names the band
};

ThirdOctaveBand thirdOctaveBand(int index);
// The band holding frequency f (Hz; f > 0 and finite).
int thirdOctaveBandOf(double frequencyHz);

// Bands in rising order with their rms velocity (mum/s), rms[i] belonging to bands[i].
struct BandVelocities {
  std::vector<ThirdOctaveBand> bands;
  std::vector<double> rms;
};

// The bands over lines firstLine .. lastLine (both included, clipped to the arrays) of `freq`
// (Hz) and `psd` (mum^2/Hz), for a record of recordSeconds; empty unless recordSeconds > 0.
BandVelocities thirdOctaveVelocity(std::span<const double> freq, std::span<const double> psd,
                                   double recordSeconds, std::size_t firstLine,
                                   std::size_t lastLine);

// The sums behind thirdOctaveVelocity, taken a stretch of lines at a time, for a caller that
// passes over the lines in stretches for other sums too (a stretch's lines stay in the cache):
// the bands wholly within lowest .. highest (the extremes of the usable line frequencies), each
// stretch added in the lines' order, give what thirdOctaveVelocity gives, to the bit.
// A second PSD on the same lines (a record's other channel) may be summed alongside, an object
// taking one PSD or two throughout: the second's running sum is independent of the first's, so
// the two take little more time than one.
class ThirdOctaveSums {
 public:
  ThirdOctaveSums(double lowest, double highest);
  void add(std::span<const double> freq, std::span<const double> psd);
  void add(std::span<const double> freq, std::span<const double> psd,
           std::span<const double> secondPsd);
  // Of the PSD added first (series 0) or second (1).
  BandVelocities velocities(double recordSeconds, std::size_t series = 0) const;

  // For a caller that knows each line's band beforehand (a table of a grid's lines) and sums
  // the lines itself, in their order, with the same operations as add(): the slot a line at f
  // is summed into (nothing where add() skips it), and a slot's running sums of both series
  // and its count of lines, to be continued from and kept again.
  std::optional<std::size_t> slotOf(double f) const;
  struct Running {
    double sum[2] = {0, 0};
    std::size_t lines = 0;
  };
  Running running(std::size_t slot) const {
    return {{sums_[0][slot], sums_[1][slot]}, members_[slot]};
  }
  void keep(std::size_t slot, const Running& running) {
    sums_[0][slot] = running.sum[0];
    sums_[1][slot] = running.sum[1];
    members_[slot] = running.lines;
  }

 private:
  template <std::size_t Series>
  void addSeries(std::span<const double> freq, const std::array<const double*, Series>& psd);

  int first_ = 0;
  std::vector<double> edges_;  // of the bands first_ .., empty when there is none
  std::array<std::vector<double>, 2> sums_;
  std::vector<std::size_t> members_;
  std::size_t slot_ = 0;  // the band of the line before: the first guess for the next
};

// What the window shows, over the lines 1 .. nPlot - 1 drawn on the spectrum plots: both
// channels on `freq` with the record length of the record shown (as the PSD was computed),
// both references on `refFreq` with the record length of their own line spacing
// (1 / (refFreq[2] - refFreq[1]); none while that is not positive).
struct ShownBandVelocities {
  BandVelocities channel1, channel2, reference1, reference2;
};
ShownBandVelocities shownBandVelocities(const AnalysisState& state);

}  // namespace analysis
