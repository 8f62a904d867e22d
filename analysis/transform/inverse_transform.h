// The inverse Fourier transform of the back transformation, on FFTW.
#pragma once

#include <map>
#include <memory>
#include <span>

namespace analysis {

// Turns a packed one-sided spectrum back into a time series.
//
// Input: N single-precision values, packed[j] for positions j + 1 = 1 .. N: the real parts of
// lines 0 .. N/2 - 1 at positions 1 .. N/2 and their imaginary parts at N/2 + 1 .. N.
// Output: out[0] = 0 and, for n = 0 .. N - 1,
//     out[n + 1] = Re c_0 + 2 Re sum_{k=1}^{N/2-1} c_k exp(+2 pi i k n / N),
// N times the inverse real transform with the Nyquist line empty. For coefficients in the
// amplitude convention c_k = 2 X_k / N, half of out is the physical trace, and its rms over
// positions 1 .. N is the rms of the N samples. Any N >= 2 works; plans are made once per N.
class InverseTransform {
 public:
  InverseTransform();
  ~InverseTransform();
  InverseTransform(const InverseTransform&) = delete;
  InverseTransform& operator=(const InverseTransform&) = delete;

  // `out` must hold at least N + 1 values; positions beyond N are left alone.
  void run(std::span<const float> packed, std::span<double> out);

 private:
  struct Plan;
  Plan& planFor(int n);
  std::map<int, std::unique_ptr<Plan>> plans_;
};

}  // namespace analysis
