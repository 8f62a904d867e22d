// The campaign's spectrogram: a colour map of every file's binned spectrum (mum^2/Hz, colours
// on a logarithmic scale with a colour bar), y = frequency on a logarithmic axis, one row per bin
// of the common grid (analysis/frequency_bins.h), for one channel at a time. x is either the
// file's position in the campaign (1 = first file, one column per file) or, on the time axis,
// time on the regular grid of analysis/campaign/time_grid.h (date and time ticks): a column no
// record starts in stays empty, so gaps in the recording show as gaps; two records in one
// column show the later in the list. Used and vetoed files have a column; cells without a value
// (skipped, refused or pending files, bins a file does not reach, a channel it lacks) stay
// transparent. More than 2048 columns are drawn in groups, each cell the mean of its columns'
// values (spectrogram_cells.h). Columns of records outside the time selection are veiled
// (faded, a translucent white map of one row over them). A click selects the record of the
// column under it, grouped or not.
//
// A campaign of kFilledOffThreadFrom files or more has its cells computed off the GUI thread
// (a station-year's took it some 30 ms at each fill), the map swapped in on the GUI thread
// when they are done: the same cells, a moment later.
#pragma once

#include <thread>

#include "viewer/campaign/campaign_plot.h"

class QCPColorMap;

namespace viewer {

struct SpectrogramImage;

class SpectrogramPlot : public ChannelMapPlot {
  Q_OBJECT

 public:
  explicit SpectrogramPlot(QWidget* parent = nullptr);
  ~SpectrogramPlot() override;

  static constexpr std::size_t kFilledOffThreadFrom = 4096;
  // Campaigns of `files` files or more are filled off the GUI thread (for tests).
  void setFilledOffThreadFrom(std::size_t files) { offThreadFrom_ = files; }
  // Whether cells are being computed off the GUI thread.
  bool filling() const { return filling_; }

  // True: on the time grid (when the time view has any time); false: positions.
  void setTimeAxis(bool time);
  bool timeAxisShown() const;
  // The file of the column at x (an axis coordinate), or empty.
  QString fileAtKey(double key) const;

  // Every file's binned spectrum, both channels: name,f_centre,psd1,psd2 (one row per file and
  // bin with a value).
  QString dataAsCsv() const override;

 signals:
  void fileClicked(const QString& name);

 private:
  void draw() override;
  void veilUnselected(int columns);
  // What the colour map was last filled for: a change of selection alone only moves the veils.
  struct Drawn {
    SharedSnapshot snapshot;  // held, so that no other snapshot can take its address
    int channel = 0;
    bool time = false;
    analysis::TimeGrid grid;
    analysis::SpectralUnits units;  // of the colours and the frequency axis
    bool operator==(const Drawn&) const = default;
  };
  Drawn drawn_;
  // Sets the map to `image`, computed for `now`.
  void fill(Drawn now, const SpectrogramImage& image);
  Drawn pending_;  // what filler_ computes the cells of
  bool filling_ = false;
  unsigned generation_ = 0;  // of the last fill asked for: an older one is dropped
  std::size_t offThreadFrom_ = kFilledOffThreadFrom;

  bool timeAxis_ = false;
  std::vector<int> fileOfColumn_;  // per column of the map drawn, -1 for none
  QCPColorMap* veil_;    // over the columns the selection leaves out, one row, translucent
  std::jthread filler_;  // last: ends before the members it uses
};

}  // namespace viewer
