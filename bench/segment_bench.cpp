// The per-segment work of a station archive's campaign, a default segment (65536 samples at
// 100 Hz, 655.36 s) of two channels: the spectrum (line removed, Hann, FFTW, divided by a
// 4.5 Hz geophone's response) and the reduction of the record to a campaign's reading (bins
// with their ratios, band rms, one-third octaves). A month holds 8,174 such segments.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "analysis/archive/segment_campaign.h"
#include "analysis/archive/segment_spectrum.h"

namespace {

namespace archive = analysis::archive;

constexpr std::size_t kSamples = 65536;
constexpr double kRate = 100;

archive::InstrumentResponse geophone() {
  const double w0 = 2 * std::numbers::pi * 4.5, damping = 0.7;
  const std::complex<double> pole(-damping * w0, w0 * std::sqrt(1 - damping * damping));
  archive::InstrumentResponse response;
  response.sensitivity = 2.88e8;
  response.stage = archive::PolesZeros{{0, 0}, {pole, std::conj(pole)}, 1.0, false};
  return response;
}

std::vector<double> counts(unsigned seed) {
  std::vector<double> x(kSamples);
  unsigned state = seed;
  for (std::size_t i = 0; i < kSamples; ++i) {
    state = state * 1664525u + 1013904223u;
    const double t = static_cast<double>(i) / kRate;
    x[i] = std::round(20000 * std::sin(2 * std::numbers::pi * 7.3 * t) + 40 * t +
                      static_cast<double>(state >> 20) - 2048);
  }
  return x;
}

archive::SegmentRecord segment(archive::SegmentSpectrum& spectrum,
                               const archive::InstrumentResponse& response) {
  archive::SegmentRecord record;
  record.samples = static_cast<std::int32_t>(kSamples);
  record.rate = kRate;
  record.seconds = static_cast<double>(kSamples) / kRate;
  datafiles::SpectrumRecords& s = record.spectrum;
  s.twoChannels = true;
  s.count = kSamples / 2 + 1;
  for (std::size_t k = 0; k < s.count; ++k) s.freq[k] = static_cast<double>(k) / record.seconds;
  const auto c1 = counts(1), c2 = counts(2);
  spectrum.coefficients(c1, kRate, response, std::span(s.re1).first(s.count),
                        std::span(s.im1).first(s.count));
  spectrum.coefficients(c2, kRate, response, std::span(s.re2).first(s.count),
                        std::span(s.im2).first(s.count));
  return record;
}

void BM_SegmentSpectrum(benchmark::State& state) {
  const auto response = geophone();
  archive::SegmentSpectrum spectrum;
  const auto c1 = counts(1), c2 = counts(2);
  std::vector<float> re1(kSamples / 2 + 1), im1(kSamples / 2 + 1);
  std::vector<double> re2(kSamples / 2 + 1), im2(kSamples / 2 + 1);
  for (auto _ : state) {
    spectrum.coefficients(c1, kRate, response, std::span(re1), std::span(im1));
    spectrum.coefficients(c2, kRate, response, std::span(re2), std::span(im2));
    benchmark::DoNotOptimize(re1.data());
    benchmark::DoNotOptimize(re2.data());
  }
}
BENCHMARK(BM_SegmentSpectrum)->Unit(benchmark::kMicrosecond);

void BM_SegmentReduction(benchmark::State& state) {
  const auto response = geophone();
  archive::SegmentSpectrum spectrum;
  const archive::SegmentRecord record = segment(spectrum, response);
  const analysis::FrequencyBins bins;
  const analysis::RmsBand band;
  for (auto _ : state) {
    benchmark::DoNotOptimize(archive::segmentCampaignFile(record, bins, band));
  }
}
BENCHMARK(BM_SegmentReduction)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
