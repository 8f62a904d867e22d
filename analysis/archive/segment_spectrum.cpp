#include "analysis/archive/segment_spectrum.h"

#include <fftw3.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <numbers>

#include "analysis/record/vector_clones.h"

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

// Steps 1 and 2: the counts less their least-squares line, times the window, into `trace`.
// centredSquares = sum (n - m)^2 over n = 0 .. N - 1, m = (N - 1) / 2. Integer counts are
// converted to double exactly, so both forms give the same trace.
template <typename Count>
[[gnu::always_inline]] inline void detrendAndWindowCounts(std::span<const Count> counts,
                                                          const double* window,
                                                          double centredSquares, double* trace) {
  const std::size_t n = counts.size();
  // Least-squares line over n = 0 .. N - 1 with m = (N - 1) / 2: its slope is
  // sum (n - m)(x - mean) / sum (n - m)^2, and sum (n - m)(x - mean) = sum (n - m) x since the
  // centred indices sum to 0, so both sums come from one pass over the counts (the pass that
  // brings them from memory; a second pass cost as much again). Each runs in four interleaved
  // partial sums, added pairwise at the end, so no addition waits for the one before. The
  // centred indices are counted up by 4 from -m (halves or whole numbers: exact).
  const double meanIndex = 0.5 * static_cast<double>(n - 1);
  const std::size_t whole = n - n % 4;
  // Lanes j = 0 .. 3 of the partial sums as one vector of the compiler's, which it keeps in
  // registers and adds four (or two and two) at a time, each lane the same additions as a scalar
  // sum would do.
  using Lanes = double __attribute__((vector_size(32)));
  Lanes sum = {0, 0, 0, 0}, moment = {0, 0, 0, 0};
  Lanes centred = {-meanIndex, 1 - meanIndex, 2 - meanIndex, 3 - meanIndex};
  const Lanes four = {4, 4, 4, 4};
  for (std::size_t i = 0; i < whole; i += 4) {
    const Lanes x = {static_cast<double>(counts[i]), static_cast<double>(counts[i + 1]),
                     static_cast<double>(counts[i + 2]), static_cast<double>(counts[i + 3])};
    sum += x;
    moment += centred * x;
    centred += four;
  }
  double lanes[4] = {sum[0], sum[1], sum[2], sum[3]};
  double momentLanes[4] = {moment[0], moment[1], moment[2], moment[3]};
  for (std::size_t i = whole; i < n; ++i) {
    const auto x = static_cast<double>(counts[i]);
    lanes[i % 4] += x;
    momentLanes[i % 4] += (static_cast<double>(i) - meanIndex) * x;
  }
  const double mean = ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) / static_cast<double>(n);
  const double sxy = (momentLanes[0] + momentLanes[1]) + (momentLanes[2] + momentLanes[3]);
  const double sxx = centredSquares;
  const double slope = sxx > 0 ? sxy / sxx : 0;
  // The index through a 32-bit integer (n <= 131072), which the compiler converts two at a time.
  for (std::size_t i = 0; i < n; ++i) {
    const double c = static_cast<double>(static_cast<std::int32_t>(i)) - meanIndex;
    trace[i] = (static_cast<double>(counts[i]) - (mean + slope * c)) * window[i];
  }
}
PSD_VECTOR_CLONES void detrendAndWindow(std::span<const double> counts, const double* window,
                                        double centredSquares, double* trace) {
  detrendAndWindowCounts(counts, window, centredSquares, trace);
}
PSD_VECTOR_CLONES void detrendAndWindow(std::span<const std::int32_t> counts, const double* window,
                                        double centredSquares, double* trace) {
  detrendAndWindowCounts(counts, window, centredSquares, trace);
}

// Step 5 on each line: the product V_k x factor_k written out (std::complex's operator* checks
// every product for NaN parts, which cost a quarter of the time here; the transform of finite
// samples has none), rounded to the record's precision.
template <typename Part>
inline void multiplyLines(const fftw_complex* spectrum, const std::complex<double>* factors,
                          std::size_t lines, Part* re, Part* im) {
  for (std::size_t k = 0; k < lines; ++k) {
    const double vr = spectrum[k][0], vi = spectrum[k][1];
    const double fr = factors[k].real(), fi = factors[k].imag();
    re[k] = static_cast<Part>(vr * fr - vi * fi);
    im[k] = static_cast<Part>(vr * fi + vi * fr);
  }
}
PSD_VECTOR_CLONES void multiplyLinesInto(const fftw_complex* spectrum,
                                         const std::complex<double>* factors, std::size_t lines,
                                         float* re, float* im) {
  multiplyLines(spectrum, factors, lines, re, im);
}
PSD_VECTOR_CLONES void multiplyLinesInto(const fftw_complex* spectrum,
                                         const std::complex<double>* factors, std::size_t lines,
                                         double* re, double* im) {
  multiplyLines(spectrum, factors, lines, re, im);
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

template <typename Count>
SegmentSpectrum::Plan& SegmentSpectrum::transform(std::span<const Count> counts) {
  Plan& plan = planFor(counts.size());
  detrendAndWindow(counts, plan.window.data(), plan.centredSquares, plan.trace);
  fftw_execute(plan.plan);
  return plan;
}

template <typename Count, typename Part>
void SegmentSpectrum::write(std::span<const Count> counts, double rate,
                            const InstrumentResponse& response, std::span<Part> re,
                            std::span<Part> im) {
  const std::size_t n = counts.size();
  const Plan& plan = transform(counts);
  const auto& factors = factorsFor(response, n, rate);
  multiplyLinesInto(plan.spectrum, factors.data(), n / 2 + 1, re.data(), im.data());
}

void SegmentSpectrum::coefficients(std::span<const double> counts, double rate,
                                   const InstrumentResponse& response, std::span<double> re,
                                   std::span<double> im) {
  write(counts, rate, response, re, im);
}

void SegmentSpectrum::coefficients(std::span<const double> counts, double rate,
                                   const InstrumentResponse& response, std::span<float> re,
                                   std::span<float> im) {
  write(counts, rate, response, re, im);
}

void SegmentSpectrum::coefficients(std::span<const std::int32_t> counts, double rate,
                                   const InstrumentResponse& response, std::span<double> re,
                                   std::span<double> im) {
  write(counts, rate, response, re, im);
}

void SegmentSpectrum::coefficients(std::span<const std::int32_t> counts, double rate,
                                   const InstrumentResponse& response, std::span<float> re,
                                   std::span<float> im) {
  write(counts, rate, response, re, im);
}

}  // namespace analysis::archive
