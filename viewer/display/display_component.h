// A capability of the window beyond its own controls and handlers: the pooled coherence, the band
// cursor, the reference curves, the campaign window, the live directory, and what comes after.
//
// A component owns its menu items, its drawing and its state. It is given the window at
// construction (the analysis state, the plots it draws on, the controls it reads) and hears of
// the window's events only through the calls below, which the window makes on every component in
// the order they were made. Each call has a default that does nothing.
#pragma once

#include <QString>

#include "analysis/record/file_analysis.h"

namespace ZEPLLib {
class ZEPL;
}

namespace viewer {

class DisplayComponent {
 public:
  virtual ~DisplayComponent() = default;

  // A file was analysed and the plots drawn from the analysis state (the file's spectra or the
  // running average).
  virtual void onRunFinished(const analysis::RunResult& result) { (void)result; }
  // The channel boxes changed what the plots show; the plots were drawn again.
  virtual void onChannelsChanged() {}
  // The running average started again (the loop's start, "with averaging" ticked).
  virtual void onAverageRestarted() {}
  // "real", "imaginary" or "abs" was chosen in the coherence menu.
  virtual void onCoherenceItemChosen() {}
  // The scale rule set the plots' axis types anew.
  virtual void onScalesChanged() {}
  // "PSD" or "integral view" was chosen for the main plot area.
  virtual void onMainViewChosen() {}
  // "coherence", "raw data" or "back FFT result" was chosen for the upper plot area.
  virtual void onUpperViewChosen() {}
  // The main plots were given a new size in pixels.
  virtual void onPlotsResized(int width, int height) {
    (void)width;
    (void)height;
  }
  // What the component adds to the cursor readout of `plot` at x (axis units; on the PSD plot
  // the frequency in Hz, also when the units menu shows periods); empty for none.
  virtual QString readoutAt(const ZEPLLib::ZEPL* plot, double x) const {
    (void)plot;
    (void)x;
    return {};
  }
};

}  // namespace viewer
