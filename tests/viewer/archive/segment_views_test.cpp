// The views of a station archive's segment shown in the main window, against the segment's
// own spectra cut again here: the back transformation of a band into time traces, and the
// two-sensor quantities (relative motion, transfer function, self-noise).
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "tests/viewer/archive/archive_fixture.h"
#include "viewer/display/two_sensor_view.h"
#include "viewer/plots/readout_format.h"

namespace viewer {
namespace {

namespace archive = analysis::archive;
using Complex = std::complex<double>;

// The program's angular frequency: w = 6.28318 f (not 2 pi f).
double omega(double f) {
  return 6.28318 * f;
}

Complex channel1(const archive::SegmentRecord& r, std::size_t k) {
  return {r.spectrum.re1[k], r.spectrum.im1[k]};
}
Complex channel2(const archive::SegmentRecord& r, std::size_t k) {
  return {r.spectrum.re2[k], r.spectrum.im2[k]};
}

// The number after `label` in `text`, or NaN.
double numberAfter(const QString& text, const QString& label) {
  const QRegularExpression pattern(QRegularExpression::escape(label) + R"(\s*([-+0-9.eE]+))");
  const QRegularExpressionMatch match = pattern.match(text);
  return match.hasMatch() ? match.captured(1).toDouble() : std::nan("");
}

using SegmentViewsTest = archive_testing::SegmentShowing;

// The band 0.05 .. 0.5 Hz of a segment turned back into traces: N points over T = N / rate,
// sample n at (n + 1) T / N, each the band's inverse DFT computed here,
//     trace(n) = Re sum_{0.05 < f_k < 0.5} c'_k exp(2 pi i k n / N),
// c' = c (velocity) or c / (i w) (displacement); and the displacement title's rms in nm,
// by Parseval 1000 sqrt(sum |c'_k|^2 / 2).
TEST_F(SegmentViewsTest, TheBackTransformationOfASegmentSpansItsRecord) {
  ASSERT_NO_FATAL_FAILURE(openArchive());
  ASSERT_NO_FATAL_FAILURE(pick(7));
  const archive::SegmentRecord segment = records(7, 1).at(0);
  const int n = segment.samples;
  const double seconds = static_cast<double>(n) / segment.rate;
  ASSERT_EQ(segment.seconds, seconds);
  ASSERT_TRUE(display->crück->isEnabled());
  display->mrawoffset->setChecked(false);  // the traces as transformed
  display->tf1->setText("0.05");
  display->tf2->setText("0.5");

  for (const bool displacement : {true, false}) {
    SCOPED_TRACE(displacement ? "displacement" : "velocity");
    display->orück[displacement ? 1 : 0]->setChecked(true);
    display->crück_Click();
    ASSERT_EQ(display->ZEPL5->CurveCount(), 2);

    for (int channel = 1; channel <= 2; ++channel) {
      SCOPED_TRACE(channel);
      std::vector<std::size_t> lines;
      std::vector<Complex> kept;
      double energy = 0;  // sum |c'_k|^2
      for (std::size_t k = 1; k < static_cast<std::size_t>(n / 2); ++k) {
        const double f = segment.spectrum.freq[k];
        if (!(f > 0.05 && f < 0.5)) continue;
        Complex c = channel == 1 ? channel1(segment, k) : channel2(segment, k);
        if (displacement) c /= Complex(0, omega(f));
        lines.push_back(k);
        kept.push_back(c);
        energy += std::norm(c);
      }
      ASSERT_GT(lines.size(), 200u);

      const ZEPLLib::ZEPL::Curve curve = display->ZEPL5->CurveAt(channel - 1);
      ASSERT_EQ(curve.y.size(), n);
      EXPECT_NEAR(curve.x.back(), seconds, 1e-9 * seconds);
      double largest = 0;
      std::vector<double> trace(static_cast<std::size_t>(n));
      for (int t = 0; t < n; ++t) {
        double sum = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
          const double phase = 2 * std::numbers::pi * static_cast<double>(lines[i]) * t / n;
          sum += (kept[i] * Complex(std::cos(phase), std::sin(phase))).real();
        }
        trace[static_cast<std::size_t>(t)] = sum;
        largest = std::max(largest, std::abs(sum));
      }
      for (int t = 0; t < n; ++t) {
        const auto i = static_cast<qsizetype>(t);
        ASSERT_NEAR(curve.x[i], (t + 1) * seconds / n, 1e-9 * seconds) << t;
        ASSERT_NEAR(curve.y[i], trace[static_cast<std::size_t>(t)], 1e-5 * largest) << t;
      }
      if (displacement) {
        const double rmsNm = 1000 * std::sqrt(energy / 2);
        const QString label = channel == 1 ? "rms1:" : "rms2:";
        EXPECT_NEAR(numberAfter(display->ZEPL5->Caption(), label), rmsNm, 1.0)
            << display->ZEPL5->Caption().toStdString();
      }
    }
  }
}

// Relative motion, transfer function and self-noise of two-channel segments, from the
// segments' coefficients summed here: over the segment shown alone (n = 1), and over the
// running average of two segments (n = 2). Per line q, w = 6.28318 f, T = N / rate:
//     S11 = sum |c1|^2, S22 = sum |c2|^2, S12 = sum c1 conj(c2)
//     P_rel = (S11 + S22 - 2 Re S12) / n T / w^2        R = 2 (S11 + S22 - 2 Re S12) / (S11 + S22)
//     H(1 -> 2) = conj(S12) / S11                       N1 = (S11 - |S12|) / n T / w^2
// and the PSD plot's title: the relative rms above tf1 = 0.1 Hz, from line round(0.1 T),
//     sqrt(sum_{q >= that line} P_rel(q) / T / 2)   [mum, the title in nm].
TEST_F(SegmentViewsTest, TheTwoSensorViewsOfSegmentsFollowTheirSpectra) {
  ASSERT_NO_FATAL_FAILURE(openArchive());
  ASSERT_NO_FATAL_FAILURE(pick(7));
  const std::vector<archive::SegmentRecord> segments = records(7, 2);
  ASSERT_EQ(segments.size(), 2u);
  ASSERT_TRUE(segments[0].spectrum.twoChannels);
  TwoSensorView& view = *display->twoSensor;
  view.mrelative_Click();
  view.mtransfer_Click();

  for (const int records : {1, 2}) {
    SCOPED_TRACE(records);
    if (records == 2) {
      display->chav->setChecked(true);
      display->chav_Click();  // the average starts from segment 7
      ASSERT_NO_FATAL_FAILURE(pick(8));
      view.mselfnoise_Click();
      ASSERT_EQ(display->analysisState().pooledCount, 2);
    }
    const analysis::RelativeMotion& relative = view.relativeMotion();
    const analysis::TransferFunction& transfer = view.transferFunction();
    const analysis::SelfNoise& noise = view.selfNoise();
    const std::size_t h = static_cast<std::size_t>(segments[0].samples / 2);
    const double seconds = segments[0].seconds;
    ASSERT_EQ(relative.records, records);
    ASSERT_EQ(relative.lastLine, h);
    ASSERT_EQ(transfer.records, records);
    ASSERT_GT(transfer.magnitude.size(), 100u);
    if (records == 2) {
      ASSERT_TRUE(noise.available);
    }

    std::vector<double> psdRel(h + 1, 0.0);
    for (std::size_t q = 1; q <= h; ++q) {
      double s11 = 0, s22 = 0;
      Complex s12;
      for (int i = 0; i < records; ++i) {
        const Complex c1 = channel1(segments[static_cast<std::size_t>(i)], q);
        const Complex c2 = channel2(segments[static_cast<std::size_t>(i)], q);
        s11 += std::norm(c1);
        s22 += std::norm(c2);
        s12 += c1 * std::conj(c2);
      }
      const double w = omega(segments[0].spectrum.freq[q]);
      const double scale = seconds / records / (w * w);
      const double relativeSum = s11 + s22 - 2 * s12.real();
      psdRel[q] = relativeSum * scale;
      ASSERT_NEAR(relative.psdRel[q], psdRel[q], 1e-9 * (s11 + s22) * scale) << q;
      ASSERT_NEAR(relative.ratio[q], 2 * relativeSum / (s11 + s22), 1e-9) << q;
      if (q < transfer.magnitude.size() && s11 == 0) {  // channel 1 without estimate there
        ASSERT_TRUE(std::isnan(transfer.magnitude[q])) << q;
      } else if (q < transfer.magnitude.size()) {
        const Complex h12 = std::conj(s12) / s11;
        ASSERT_NEAR(transfer.magnitude[q], std::abs(h12), 1e-9 * std::abs(h12)) << q;
        const double degrees = std::arg(h12) * 180 / std::numbers::pi;
        const double apart = std::remainder(transfer.phaseDegrees[q] - degrees, 360.0);
        ASSERT_NEAR(apart, 0, 1e-7) << q;
      }
      if (records == 2) {
        ASSERT_NEAR(noise.n1[q], (s11 - std::abs(s12)) * scale, 1e-9 * s11 * scale) << q;
        ASSERT_NEAR(noise.n2[q], (s22 - std::abs(s12)) * scale, 1e-9 * s22 * scale) << q;
      }
    }

    // The title's relative rms above tf1 (0.1 Hz), nm to three digits.
    const auto from = static_cast<std::size_t>(std::lround(0.1 * seconds));
    double sum = 0;
    for (std::size_t q = from; q <= h; ++q) sum += psdRel[q] / seconds / 2;
    const double expectedNm = 1000 * std::sqrt(sum);
    const QString caption = display->ZEPL1->Caption();
    EXPECT_NEAR(numberAfter(caption, "relative rms above 0.1 Hz:"), expectedNm, 5e-3 * expectedNm)
        << caption.toStdString();
  }
}

// The cursor readouts of a segment's PSD and rms plots read the line at the cursor's
// frequency f: f T rounded, T = N / rate.
TEST_F(SegmentViewsTest, TheReadoutsReadTheSegmentsLineAtTheCursor) {
  ASSERT_NO_FATAL_FAILURE(openArchive());
  ASSERT_NO_FATAL_FAILURE(pick(7));
  const analysis::AnalysisState& s = display->analysisState();
  const double seconds = static_cast<double>(s.nSamples) / 5;  // the archive's 5 samples/s
  for (const double f : {0.1, 0.52, 1.3}) {
    SCOPED_TRACE(f);
    const auto line = static_cast<std::size_t>(std::lround(f * seconds));
    ASSERT_NEAR(s.freq[line], f, 0.5 / seconds);
    display->ZEPL1_CursorMove(f);
    const QString psd = display->ZEPL1->ToolTipText();
    EXPECT_TRUE(psd.contains("K1: " + scientificPattern(s.psd1[line]) +
                             "  K2: " + scientificPattern(s.psd2[line])))
        << psd.toStdString();
    display->ZEPL4_CursorMove(f);
    const QString rms = display->ZEPL4->ToolTipText();
    EXPECT_TRUE(rms.contains("K1: " + optionalDigitsPattern(s.rmsCut1[line] * 1000) + "nm"))
        << rms.toStdString();
  }
}

}  // namespace
}  // namespace viewer
