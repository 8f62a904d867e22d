// What the cursor reads in each plot, written into the plot's tooltip.
#include "viewer/display/display.h"
#include "viewer/display/units/units_view.h"
#include "viewer/plots/readout_format.h"

namespace viewer {

void Display::ZEPL1_CursorMove(double x) {
  const double f = units->frequencyAt(x);  // x may be a period (units menu)
  ZEPL2->SetCursor(true, f, 0);
  const analysis::AnalysisState& s = *state_;
  const auto i = static_cast<std::size_t>(lineAtFrequency(f, s));
  QString text = "f: " + fixedPattern(f, 3) + "Hz,  K1: " + scientificPattern(s.psd1[i]) +
                 "  K2: " + scientificPattern(s.psd2[i]);
  if (s.refPsd1[i] > 0 || s.refPsd2[i] > 0) {
    text += "  R1: " + scientificPattern(s.refPsd1[i]) + "  R2: " + scientificPattern(s.refPsd2[i]);
  }
  // The components read the PSD plot at the frequency, whatever its axis shows.
  for (const auto& component : components_) text += component->readoutAt(ZEPL1, f);
  ZEPL1->setToolTipText(text);
}

void Display::ZEPL4_CursorMove(double x) {
  const analysis::AnalysisState& s = *state_;
  const auto i = static_cast<std::size_t>(lineAtFrequency(x, s));
  const auto nm = [](double mum) { return optionalDigitsPattern(mum * 1000); };
  QString text = "f: " + fixedPattern(x, 2) + "Hz,  K1: " + nm(s.rmsCut1[i]) +
                 "nm  K2: " + nm(s.rmsCut2[i]) + "nm";
  if (s.refRmsCut1[i] > 0 || s.refRmsCut2[i] > 0) {
    text += "  R1: " + nm(s.refRmsCut1[i]) + "nm  R2: " + nm(s.refRmsCut2[i]) + "nm";
  }
  for (const auto& component : components_) text += component->readoutAt(ZEPL4, x);
  ZEPL4->setToolTipText(text);
}

void Display::ZEPL3_CursorMove(double x) {
  ZEPL3->setToolTipText(fixedPattern(x, 3));
}

void Display::ZEPL5_CursorMove(double x) {
  ZEPL5->setToolTipText(fixedPattern(x, 3));
}

}  // namespace viewer
