// The back transformation of a band of the current record into time traces.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "analysis/record/rounding.h"
#include "analysis/transform/back_transformation.h"
#include "datafiles/back_transformation_file.h"
#include "datafiles/leading_value.h"
#include "viewer/display/display.h"
#include "viewer/display/temp_directory.h"

namespace viewer {

void Display::crück_Click() {
  analysis::AnalysisState& s = *state_;
  const int n = s.nSamples;
  if (n < 2) {
    report("back transformation: no record is loaded");
    return;
  }
  crück->setEnabled(false);
  const bool writeFile = showsTempDirectory(directory_);
  const analysis::Band band{datafiles::leadingValue(tf1->text().toStdString()),
                            datafiles::leadingValue(tf2->text().toStdString()),
                            orück[1]->isChecked()};
  std::vector<float> packed1, packed2;
  if (auto refusal = analysis::packBand(s, band, packed1, packed2)) {
    // Nothing is transformed, drawn or written: the last result stays as it was.
    const QString& name = segmentShown_.isEmpty() ? proposalFor_ : segmentShown_;
    report("back transformation: " + name + ": " + QString::fromStdString(*refusal) +
           "; nothing written");
    crück->setEnabled(true);
    return;
  }

  ZEPL5->setYMin(-5);
  ZEPL5->setYMax(5);
  ZEPL5->ClearCurves();
  ZEPL5->setTransformMode(7);
  ZEPL5->AddCurve(packed1);
  ZEPL5->ReadTransform(s.backTrans1.span(), 0, 0);
  ZEPL5->ClearCurves();
  ZEPL5->AddCurve(packed2);
  ZEPL5->ReadTransform(s.backTrans2.span(), 0, 0);
  const analysis::TraceMeasures m = analysis::halveAndMeasure(s, n);
  if (writeFile) {
    const QString path = QDir(tempDirectory()).filePath("backtransformation.csv");
    if (auto failure = datafiles::writeBackTransformationFile(
            path.toStdString(), s.backTrans1.span(), s.backTrans2.span(),
            static_cast<std::size_t>(n))) {
      report("back transformation: " + path + " " + QString::fromStdString(*failure));
    } else {
      report("back transformation: " + path + " written");
    }
  }
  ZEPL5->setCaption(QString::fromStdString(analysis::backTransformTitle(band.displacement, m)));
  ZEPL5->ClearCurves();
  ZEPL5->setTransformMode(0);

  double traceMax = m.traceMax, traceMin = m.traceMin;
  if (mrawoffset->isChecked()) {
    const analysis::TraceExtremes e = analysis::removeTraceOffset(s, n, m);
    traceMax = e.max;
    traceMin = e.min;
  }
  if (mrawauto->isChecked()) {
    // Limits beyond a bar's range are still applied to the plot; the bar keeps its value.
    ZEPL5->setYMin(analysis::roundHalfEven(traceMin));
    setBarValue(vscrohmin[1], analysis::roundHalfEven(-traceMin));
    ZEPL5->setYMax(analysis::roundHalfEven(traceMax));
    setBarValue(vscrohmax[1], analysis::roundHalfEven(-traceMax));
  }
  drawTraces(ZEPL5, s.backTrans1, s.backTrans2);
  crück->setEnabled(true);
  mdispdisp->setEnabled(true);
}

void Display::orück_Click(int index) {
  // The title describes the traces on the plot, which stay those of the last run.
  ZEPL5->setCaption(index == 1 ? "velocity data (mum/s) versus time(s)"
                               : "displacement data (mum) versus time(s)");
}

}  // namespace viewer
