#include "analysis/archive/segment_spectrum.h"

#include <fftw3.h>

#include <cmath>
#include <mutex>
#include <numbers>

namespace analysis::archive {
namespace {

std::mutex& planningMutex() {
  static std::mutex mutex;
  return mutex;
}

double hann(std::size_t n, std::size_t count) {
  return 0.5 -
         0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(count));
}

}  // namespace

struct SegmentSpectrum::Plan {
  explicit Plan(std::size_t n)
      : size(n), trace(fftw_alloc_real(n)), spectrum(fftw_alloc_complex(n / 2 + 1)), window(n) {
    std::lock_guard lock(planningMutex());
    plan = fftw_plan_dft_r2c_1d(static_cast<int>(n), trace, spectrum, FFTW_ESTIMATE);
    for (std::size_t i = 0; i < n; ++i) {
      window[i] = hann(i, n);
      windowSquares += window[i] * window[i];
    }
    // The sum of squares of the centred indices, the same for every segment of this length.
    const double meanIndex = 0.5 * static_cast<double>(n - 1);
    for (std::size_t i = 0; i < n; ++i) {
      const double d = static_cast<double>(i) - meanIndex;
      centredSquares += d * d;
    }
  }
  ~Plan() {
    std::lock_guard lock(planningMutex());
    fftw_destroy_plan(plan);
    fftw_free(trace);
    fftw_free(spectrum);
  }
  std::size_t size;
  double* trace;
  fftw_complex* spectrum;
  fftw_plan plan;
  std::vector<double> window;
  double windowSquares = 0;
  double centredSquares = 0;
};

SegmentSpectrum::SegmentSpectrum() = default;
SegmentSpectrum::~SegmentSpectrum() = default;

SegmentSpectrum::Plan& SegmentSpectrum::planFor(std::size_t n) {
  auto& plan = plans_[n];
  if (!plan) plan = std::make_unique<Plan>(n);
  return *plan;
}

const std::vector<std::complex<double>>& SegmentSpectrum::factorsFor(
    const InstrumentResponse& response, std::size_t n, double rate) {
  auto& factors = factors_[{&response, n, rate}];
  if (!factors.empty()) return factors;
  const Plan& plan = planFor(n);
  const double scale = 2e6 / std::sqrt(static_cast<double>(n) * plan.windowSquares);
  const double seconds = static_cast<double>(n) / rate;
  factors.assign(n / 2 + 1, 0.0);
  for (std::size_t k = 1; k <= n / 2; ++k) {
    if (n % 2 == 0 && k == n / 2) break;  // the Nyquist line
    const double f = static_cast<double>(k) / seconds;
    const std::complex<double> h = response.velocityResponse(f);
    if (response.passes(f) && std::abs(h) > 0) factors[k] = scale / h;
  }
  return factors;
}

void SegmentSpectrum::coefficients(std::span<const double> counts, double rate,
                                   const InstrumentResponse& response,
                                   std::span<std::complex<double>> out) {
  const std::size_t n = counts.size();
  Plan& plan = planFor(n);
  // Least-squares line over n = 0 .. N - 1: slope from the centred sums. Each sum runs in four
  // interleaved partial sums, added pairwise at the end: one running sum waited on every
  // addition's latency, a fifth of a month's processor time, and the pairwise sums are no less
  // exact. The index is a double counted up (exact: n < 2^53) rather than converted in each step.
  const double meanIndex = 0.5 * static_cast<double>(n - 1);
  const std::size_t whole = n - n % 4;
  double part[4] = {0, 0, 0, 0};
  for (std::size_t i = 0; i < whole; i += 4) {
    for (std::size_t j = 0; j < 4; ++j) part[j] += counts[i + j];
  }
  for (std::size_t i = whole; i < n; ++i) part[i % 4] += counts[i];
  const double mean = ((part[0] + part[1]) + (part[2] + part[3])) / static_cast<double>(n);
  double index[4] = {-meanIndex, 1 - meanIndex, 2 - meanIndex, 3 - meanIndex};
  for (double& p : part) p = 0;
  for (std::size_t i = 0; i < whole; i += 4) {
    for (std::size_t j = 0; j < 4; ++j) {
      part[j] += index[j] * (counts[i + j] - mean);
      index[j] += 4;
    }
  }
  for (std::size_t i = whole; i < n; ++i) {
    part[i % 4] += (static_cast<double>(i) - meanIndex) * (counts[i] - mean);
  }
  const double sxy = (part[0] + part[1]) + (part[2] + part[3]);
  const double sxx = plan.centredSquares;
  const double slope = sxx > 0 ? sxy / sxx : 0;
  double centred = -meanIndex;
  for (std::size_t i = 0; i < n; ++i, centred += 1) {
    const double line = mean + slope * centred;
    plan.trace[i] = (counts[i] - line) * plan.window[i];
  }
  fftw_execute(plan.plan);
  const auto& factors = factorsFor(response, n, rate);
  // The product written out: std::complex's operator* checks every product for NaN parts,
  // which cost a quarter of this function; the transform of finite samples has none.
  for (std::size_t k = 0; k <= n / 2; ++k) {
    const double re = plan.spectrum[k][0], im = plan.spectrum[k][1];
    const double fr = factors[k].real(), fi = factors[k].imag();
    out[k] = {re * fr - im * fi, re * fi + im * fr};
  }
}

}  // namespace analysis::archive
