// The campaign's spectrogram: a colour map of every file's binned spectrum (mum^2/Hz, colours
// on a logarithmic scale with a colour bar), x = the file's position in the campaign (1 = first
// file), y = frequency on a logarithmic axis, one row per bin of the common grid
// (analysis/frequency_bins.h), for one channel at a time. Used and vetoed files have a column;
// cells without a value (skipped, refused or pending files, bins a file does not reach, a
// channel it lacks) stay transparent.
#pragma once

#include "viewer/campaign/campaign_plot.h"

namespace viewer {

class SpectrogramPlot : public ChannelMapPlot {
 public:
  explicit SpectrogramPlot(QWidget* parent = nullptr);

  // Every file's binned spectrum, both channels: name,f_centre,psd1,psd2 (one row per file and
  // bin with a value).
  QString dataAsCsv() const override;

 private:
  void draw() override;
};

}  // namespace viewer
