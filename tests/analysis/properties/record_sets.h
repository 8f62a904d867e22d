// Generated sets of records for the property tests, the files they are written to, and each
// record's own spectrum computed here from what was written, independently of the program.
//
// A set mixes what the features meet in practice: 3000 to 131072 samples, 8- and 10-character
// names, vetoed names, average files, one- and two-channel records, records whose lines lie
// another distance apart than their name implies, and a path given twice. Each of the last
// four seams is a dimension that can be switched off (PSD_PROPERTIES_WITHOUT, below), so that a
// counterexample can be traced to the rule it breaks.
#pragma once

#include <rapidcheck.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/record/psd_estimator.h"
#include "datafiles/number_format.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace properties {

// The seams a set may cross. Each one off generates no set that crosses it.
struct Dimensions {
  bool otherLengths = true;  // records of the average's line spacing but another line count
  bool oneChannel = true;    // one-channel records
  bool pathTwice = true;     // a path selected or listed a second time
  bool otherSpacing = true;  // 10-character names whose lines are 1/60 Hz (not 1/6 Hz) apart
};

// All dimensions, less those named in PSD_PROPERTIES_WITHOUT (a comma-separated list of
// "lengths", "one-channel", "twice", "spacing").
inline Dimensions dimensions() {
  const char* env = std::getenv("PSD_PROPERTIES_WITHOUT");
  const std::string without = env ? env : "";
  const auto on = [&without](const char* name) { return without.find(name) == std::string::npos; };
  return {on("lengths"), on("one-channel"), on("twice"), on("spacing")};
}

struct Record {
  std::string name;
  bool average = false;  // an average file of `weight` spectra; else a measurement
  int samples = 3000;    // N: the file has N/2 + 1 lines (an average file N/2 rows)
  double seconds = 60;   // T: its lines are 1/T Hz apart
  int stemLength = 8;
  bool twoChannels = true;
  bool vetoed = false;
  int seed = 0;  // chooses the coefficients (or an average file's values)
  int weight = 1;

  // Lines 1 .. lastLine() carry a spectrum.
  std::size_t lastLine() const { return static_cast<std::size_t>(samples / 2); }
  double freq(std::size_t q) const { return static_cast<double>(q) / seconds; }
  // Velocity coefficients of line q, mum/s: small multiples of 1/8, exact in single precision.
  std::array<std::complex<double>, 2> coefficients(std::size_t q) const {
    const auto m = [&](int a, int b, int mod) {
      return static_cast<double>((seed * a + static_cast<int>(q % 9973) * b) % mod) - mod / 2;
    };
    return {std::complex<double>(m(3, 7, 17) / 4, m(5, 3, 11) / 8),
            twoChannels ? std::complex<double>(m(7, 5, 13) / 4, m(1, 11, 7) / 8) : 0.0};
  }
  // The displacement PSD of channel c (0, 1), mum^2/Hz: |c|^2 T / (2 pi f)^2 with the
  // program's 6.28318; an average file's stored values.
  double psd(int c, std::size_t q) const {
    if (average) return (1 + (seed + c + static_cast<int>(q)) % 5) / 4.0;
    const double w = analysis::kTwoPi * freq(q);
    return std::norm(coefficients(q)[static_cast<std::size_t>(c)]) * seconds / (w * w);
  }
  // The real coherence component, the window's default: Re(c1 conj(c2)) / (|c1| |c2|).
  double coherence(std::size_t q) const {
    if (average) return ((seed + 2 * static_cast<int>(q)) % 9 - 4) / 8.0;
    const auto c = coefficients(q);
    const double d = std::abs(c[0]) * std::abs(c[1]);
    return d > 0 ? (c[0] * std::conj(c[1])).real() / d : 0;
  }

  std::string text() const {
    if (!average) {
      return analysis_testing::spectrumText(
          samples / 2 + 1, seconds,
          [this](int k) {
            const auto c = coefficients(static_cast<std::size_t>(k));
            return analysis_testing::Coefficients{c[0].real(), c[0].imag(), c[1].real(),
                                                  c[1].imag()};
          },
          twoChannels);
    }
    std::string t = std::to_string(weight) + ",\"average\"\r\n\"f\",\"psd1\",\"psd2\",\"coh\"\r\n";
    for (std::size_t q = 1; q <= lastLine(); ++q) {
      for (double v : {freq(q), psd(0, q), psd(1, q), coherence(q)}) {
        datafiles::appendDouble(t, v);
        t += ',';
      }
      t.back() = '\r';
      t += '\n';
    }
    return t;
  }
};

// The records, and the order in which they are selected (or listed): indices into `records`,
// each record once, some perhaps again later. The first selected is never vetoed: it starts
// the running average whatever its name says.
struct RecordSet {
  std::vector<Record> records;
  std::vector<std::size_t> order;
};

inline void showValue(const RecordSet& set, std::ostream& os) {
  for (const Record& r : set.records) {
    os << "\n  " << r.name << ": " << r.samples << " samples, lines 1/" << r.seconds
       << " Hz apart, " << (r.average ? "average of " + std::to_string(r.weight) : "measurement")
       << (r.twoChannels ? "" : ", one channel") << ", seed " << r.seed;
  }
  os << "\n  selected in order:";
  for (std::size_t i : set.order) os << ' ' << set.records[i].name;
}

// Most sets hold a few 3000- and 12000-sample records (lines 1/60 Hz apart, or 1/6 Hz for
// 10-character names); a rare one holds a record of 32768 or 131072 samples (1/655.36 Hz).
// Without otherLengths every record of one line spacing has the same number of lines.
inline rc::Gen<RecordSet> recordSets(Dimensions dims) {
  return rc::gen::exec([dims] {
    enum Spacing { Minute, LongRecord, ShortName };
    const std::array<std::array<int, 2>, 3> sizes = {
        {{3000, 12000}, {32768, 131072}, {3000, 12000}}};
    const std::array<int, 3> setSize = {*rc::gen::inRange(0, 2), *rc::gen::inRange(0, 2),
                                        *rc::gen::inRange(0, 2)};
    RecordSet set;
    const int count = *rc::gen::inRange(1, 7);
    for (int i = 0; i < count; ++i) {
      Record r;
      const auto spacing =
          *rc::gen::weightedElement<Spacing>({{12, Minute}, {5, ShortName}, {1, LongRecord}});
      r.average = spacing == Minute && *rc::gen::weightedElement<bool>({{1, true}, {6, false}});
      const int choice = dims.otherLengths ? *rc::gen::inRange(0, 2) : setSize[spacing];
      r.samples = sizes[spacing][static_cast<std::size_t>(choice)];
      r.seconds = spacing == ShortName    ? analysis::kShortRecordSeconds
                  : spacing == LongRecord ? analysis::kLongRecordSeconds
                                          : analysis::kDefaultRecordSeconds;
      r.stemLength = spacing == ShortName ? 10 : 8;
      if (dims.otherSpacing && !r.average && spacing != ShortName) {
        r.stemLength = *rc::gen::element(8, 10);  // the file's spacing, not the name's, holds
      }
      r.twoChannels = !dims.oneChannel || r.average || *rc::gen::inRange(0, 4) > 0;
      r.vetoed = i > 0 && !r.average && *rc::gen::inRange(0, 5) == 0;
      r.seed = *rc::gen::inRange(0, 60);
      r.weight = *rc::gen::inRange(1, 5);
      char stem[16];
      std::snprintf(stem, sizeof stem, r.stemLength == 10 ? "26120901%02d" : "050100%02d", i);
      r.name = r.average ? "av" + std::to_string(i) + ".csv"
                         : std::string(stem) + (r.vetoed ? "xxx" : "") + ".csvz";
      set.records.push_back(r);
      set.order.push_back(static_cast<std::size_t>(i));
    }
    const int again = dims.pathTwice ? *rc::gen::inRange(0, 3) : 0;
    for (int k = 0; k < again; ++k) {
      const auto i = static_cast<std::size_t>(*rc::gen::inRange(0, count));
      const auto first = std::find(set.order.begin(), set.order.end(), i) - set.order.begin();
      const auto at = *rc::gen::inRange<std::ptrdiff_t>(first + 1, std::ssize(set.order) + 1);
      set.order.insert(set.order.begin() + at, i);
    }
    return set;
  });
}

// A set generated with the dimensions in force, its records written into `dir`.
inline RecordSet writtenSet(const testing_support::TempDir& dir) {
  const RecordSet set = *recordSets(dimensions());
  for (const Record& r : set.records) dir.write(r.name, r.text());
  return set;
}

// Collects the first differences of program and model, to be logged with the failing case.
struct Differences {
  std::string text;
  int count = 0;
  // |program - model| within 1e-9 of `scale` (the magnitude the value is computed from).
  void near(std::string_view what, long at, double program, double model, double scale) {
    if (std::abs(program - model) <= 1e-9 * scale || (std::isnan(program) && std::isnan(model)))
      return;
    if (++count <= 5) {
      text += std::string(what) + ' ' + std::to_string(at) + ": " +
              datafiles::formatDouble(program) + ", model " + datafiles::formatDouble(model) + "\n";
    }
  }
};

}  // namespace properties
