#include "analysis/transform/inverse_transform.h"

#include <fftw3.h>

#include <cstddef>

#include "datafiles/lazy_zero.h"

namespace analysis {

namespace {
// The transform's buffers take huge pages when large: a long record's first transform then
// costs a few page faults instead of hundreds.
std::size_t spectrumBytes(int n) {
  return static_cast<std::size_t>(n / 2 + 1) * sizeof(fftw_complex);
}
std::size_t traceBytes(int n) {
  return static_cast<std::size_t>(n) * sizeof(double);
}
}  // namespace

struct InverseTransform::Plan {
  explicit Plan(int n)
      : size(n),
        spectrum(static_cast<fftw_complex*>(datafiles::allocateZeroPages(spectrumBytes(n)))),
        trace(static_cast<double*>(datafiles::allocateZeroPages(traceBytes(n)))),
        plan(fftw_plan_dft_c2r_1d(n, spectrum, trace, FFTW_ESTIMATE)) {}
  ~Plan() {
    fftw_destroy_plan(plan);
    datafiles::releaseZeroPages(spectrum, spectrumBytes(size));
    datafiles::releaseZeroPages(trace, traceBytes(size));
  }
  int size;
  fftw_complex* spectrum;
  double* trace;
  fftw_plan plan;
};

InverseTransform::InverseTransform() = default;
InverseTransform::~InverseTransform() = default;

InverseTransform::Plan& InverseTransform::planFor(int n) {
  auto& plan = plans_[n];
  if (!plan) plan = std::make_unique<Plan>(n);
  return *plan;
}

void InverseTransform::run(std::span<const float> packed, std::span<double> out) {
  const int n = static_cast<int>(packed.size());
  if (n < 2 || out.size() < packed.size() + 1) return;
  Plan& p = planFor(n);
  const std::size_t half = static_cast<std::size_t>(n / 2);
  for (std::size_t k = 0; k < half; ++k) {
    p.spectrum[k][0] = packed[k];
    p.spectrum[k][1] = packed[half + k];
  }
  // The Nyquist slot (even N) or the last line (odd N) stays empty.
  p.spectrum[half][0] = 0;
  p.spectrum[half][1] = 0;
  fftw_execute(p.plan);  // c2r: X_0 + 2 Re sum X_k e^(+2 pi i k n / N), the unnormalised inverse
  out[0] = 0;
  for (std::size_t i = 0; i < packed.size(); ++i) out[i + 1] = p.trace[i];
}

}  // namespace analysis
