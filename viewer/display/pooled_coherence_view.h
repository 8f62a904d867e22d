// The coherence plot's fourth item, "magnitude-squared, pooled": the magnitude-squared coherence
// pooled over the averaged records (analysis/two_sensor/pooled_coherence.h), its 95 % chance
// level, and its cursor readout on ZEPL2.
//
// The item only changes what the plot shows. While it is checked the per-file coherence is still
// computed, with the component checked before it, so that the averaged coherence and a saved
// average stay what the other items make them.
#pragma once

#include <QObject>

#include "analysis/record/analysis_state.h"
#include "viewer/display/display_component.h"

class QAction;

namespace viewer {

class Display;

class PooledCoherenceView : public QObject, public DisplayComponent {
 public:
  explicit PooledCoherenceView(Display& display);

  // While checked the coherence plot shows the pooled coherence and the other three items are
  // unchecked; unchecking it returns to the item checked before.
  void mcohmsc_Click();
  // The plot's readout; it reads only while the pooled coherence is shown.
  void ZEPL2_CursorMove(double x);

  // The coherence component a run computes: the checked item, or while the pooled coherence is
  // shown the item checked before it.
  analysis::CoherenceItems computedItems() const;
  bool shown() const;

  void onRunFinished(const analysis::RunResult& result) override;
  void onChannelsChanged() override;
  void onAverageRestarted() override;
  void onCoherenceItemChosen() override;
  void onScalesChanged() override;

  QAction* mcohmsc;

 private:
  void draw(bool withCurves);
  void drawWithBothChannels();

  Display& display_;
  QAction* itemBeforePooled_ = nullptr;  // returned to when the pooled item is left
  int axisTypeOutside_ = 0;              // ZEPL2's axis type outside the pooled view
};

}  // namespace viewer
