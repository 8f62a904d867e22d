// A direct computation of a campaign's numbers, written apart from the program's code: its own
// parse of the spectrum text, its own record-length rules, bins found by scanning the edges
// 2^(k/B), percentiles by the textbook formula and densities counted in a map. The campaign
// tests compare the program against it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace campaign_reference {

struct Spectrum {
  std::vector<double> freq, psd1, psd2;  // per line from 0
  bool twoChannels = false;
  int samples = 0;
  double seconds = 0;
  std::size_t lastUsedLine = 0;
};

// Parses a spectrum file as written by tools/sample_synthesis or the tests: a header line,
// then one comma-separated record per line. Channel 1 goes through single precision, as the
// program keeps it.
inline Spectrum spectrumOf(const std::string& text, int stemLength) {
  Spectrum s;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  s.twoChannels = line.find("ft2") != std::string::npos;
  std::vector<std::vector<double>> records;
  while (std::getline(in, line)) {
    std::vector<double> fields;
    const char* p = line.c_str();
    char* end = nullptr;
    for (double v = std::strtod(p, &end); end != p; v = std::strtod(p, &end)) {
      fields.push_back(v);
      p = end;
      while (*p == ',' || *p == '\r' || *p == ' ') ++p;
    }
    if (!fields.empty()) records.push_back(fields);
  }
  const int n = static_cast<int>(records.size()) * 2 - 2;  // standard lengths: N/2 + 1 records
  s.samples = n;
  s.seconds = stemLength == 10 ? 6.0 : n > 20000 ? 655.36 : 60.0;
  const double drawn = stemLength == 8 ? 0.8 * n / 2 : n / 2.0;
  s.lastUsedLine = static_cast<std::size_t>(std::nearbyint(drawn)) - 1;
  for (const auto& r : records) {
    const double f = r[0];
    const double w2 = (f * 6.28318) * (f * 6.28318);
    const double re1 = static_cast<float>(r[1]), im1 = static_cast<float>(r[2]);
    const double re2 = s.twoChannels ? r[3] : 0, im2 = s.twoChannels ? r[4] : 0;
    s.freq.push_back(f);
    s.psd1.push_back(w2 == 0 ? 0 : (re1 * re1 + im1 * im1) / w2 * s.seconds);
    s.psd2.push_back(w2 == 0 ? 0 : (re2 * re2 + im2 * im2) / w2 * s.seconds);
  }
  return s;
}

inline double edge(int k, int perOctave) {
  return std::pow(2.0, static_cast<double>(k) / perOctave);
}

// Bin -> mean PSD of the used lines in it, per channel.
using Binned = std::map<int, double>;

inline std::pair<Binned, Binned> binnedOf(const Spectrum& s, int perOctave) {
  std::map<int, std::pair<double, int>> sums1, sums2;
  for (std::size_t q = 1; q <= s.lastUsedLine; ++q) {
    const double f = s.freq[q];
    if (f <= 0) continue;
    int k = static_cast<int>(std::floor(perOctave * std::log2(f))) - 2;
    while (edge(k + 1, perOctave) <= f) ++k;
    sums1[k].first += s.psd1[q];
    ++sums1[k].second;
    sums2[k].first += s.psd2[q];
    ++sums2[k].second;
  }
  Binned b1, b2;
  for (const auto& [k, sum] : sums1) b1[k] = sum.first / sum.second;
  if (s.twoChannels) {
    for (const auto& [k, sum] : sums2) b2[k] = sum.first / sum.second;
  }
  return {b1, b2};
}

// Band rms per channel; nothing when no used line lies in the band.
inline std::optional<std::pair<double, double>> bandRmsOf(const Spectrum& s, double fLow,
                                                          double fHigh) {
  double sum1 = 0, sum2 = 0;
  int lines = 0;
  for (std::size_t q = 1; q <= s.lastUsedLine; ++q) {
    if (s.freq[q] < fLow || s.freq[q] > fHigh) continue;
    sum1 += s.psd1[q];
    sum2 += s.psd2[q];
    ++lines;
  }
  if (lines == 0) return std::nullopt;
  return std::pair{std::sqrt(sum1 / s.seconds / 2), std::sqrt(sum2 / s.seconds / 2)};
}

// The p-quantile (0 <= p <= 1) with linear interpolation between closest ranks.
inline double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const double position = p * static_cast<double>(values.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(position));
  const auto above = static_cast<std::size_t>(std::ceil(position));
  return values[below] + (position - static_cast<double>(below)) * (values[above] - values[below]);
}

// 1 dB cell -> fraction of `values`; values <= 0 count in the total only.
inline std::map<int, double> densityOf(const std::vector<double>& values) {
  std::map<int, double> cells;
  for (double v : values) {
    if (v > 0) cells[static_cast<int>(std::floor(10 * std::log10(v)))] += 1;
  }
  for (auto& [db, count] : cells) count /= static_cast<double>(values.size());
  return cells;
}

}  // namespace campaign_reference
