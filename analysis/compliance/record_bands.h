// One record's one-third-octave rms velocities, as a campaign keeps them per file.
//
// The values are exactly those of the third-octave view for that record (third_octave.h,
// psd-analyze --third-octave-csv): thirdOctaveVelocity over the lines the campaign uses (q = 1 ..
// min(nPlot, lines) - 1, the lines the PSD plot draws; campaign_file.h) with the record's
// displacement PSD in mum^2/Hz and its length T, so only bands wholly inside those lines and
// holding a line are present:
//     V_m = sqrt( sum over the lines k of band m of psd[k] (kTwoPi f_k)^2 / T / 2 )   [mum/s]
// Stored densely from the lowest band present: channel1[i] belongs to band firstBand + i, NaN
// where that band is absent. One-channel records have no channel-2 values (empty).
#pragma once

#include <optional>
#include <vector>

#include "analysis/standards/third_octave.h"

namespace analysis {

struct RecordBands {
  int firstBand = 0;                       // m of the first value
  std::vector<double> channel1, channel2;  // mum/s; NaN: band not computed

  const std::vector<double>& values(int channel) const {
    return channel == 1 ? channel1 : channel2;
  }
  bool empty() const { return channel1.empty() && channel2.empty(); }
  // The velocity of band m of channel 1 or 2; nothing where the record has none.
  std::optional<double> value(int channel, int band) const;
  // The bands of a channel as thirdOctaveVelocity gave them (rising, present bands only).
  BandVelocities velocities(int channel) const;
};

// Packs one or two channels' bands (`channel2` empty for one-channel records).
RecordBands recordBandsOf(const BandVelocities& channel1, const BandVelocities& channel2);

}  // namespace analysis
