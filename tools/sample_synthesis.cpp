#include "tools/sample_synthesis.h"

#include <fftw3.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <numbers>
#include <random>
#include <stdexcept>

namespace samples {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// Displacement PSD of the ground motion common to both sensors, mum^2/Hz.
double groundPsd(double f) {
  const double microseism = 3.0 * std::exp(-std::pow(std::log(f / 0.2), 2) / (2 * 0.25 * 0.25));
  const double background = 1e-4 / (f * f + f * f * f * f);
  return microseism + background;
}

// Displacement PSD of each sensor's own noise (flat in velocity), mum^2/Hz.
double sensorNoisePsd(double f) {
  return 1e-6 / (f * f);
}

// Narrow technical lines: frequency (Hz) and displacement amplitude (mum).
struct TechnicalLine {
  double frequency, amplitude;
};
constexpr TechnicalLine kTechnicalLines[] = {{3.2, 2e-3},  {12.5, 6e-4},  {24.1, 2e-4},
                                             {49.9, 1e-4}, {100.0, 3e-5}, {148.3, 1e-5}};

std::complex<double> gaussianComplex(std::mt19937_64& random) {
  std::normal_distribution<double> normal(0.0, std::sqrt(0.5));
  const double re = normal(random);
  return {re, normal(random)};
}

std::vector<double> inverseToTrace(std::vector<std::complex<double>>& spectrumX, int n) {
  std::vector<double> trace(static_cast<std::size_t>(n));
  fftw_plan plan = fftw_plan_dft_c2r_1d(n, reinterpret_cast<fftw_complex*>(spectrumX.data()),
                                        trace.data(), FFTW_ESTIMATE);
  fftw_execute(plan);
  fftw_destroy_plan(plan);
  for (double& x : trace) x /= n;  // x_n = (1/N) sum_k X_k e^(2 pi i k n / N)
  return trace;
}

void appendNumber(std::string& out, double value) {
  char buffer[40];
  const auto r =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
  out.append(buffer, r.ptr);
}

}  // namespace

double culturalPsd(double f) {
  const double f8 = std::pow(f, 8);
  return 1e-4 / (f * f * f) * f8 / (1 + f8);
}

double sensorPairCoherence(double f) {
  const double common = groundPsd(f);
  const double ratio = common / (common + sensorNoisePsd(f));
  return ratio * ratio;
}

SensorPair synthesizeVelocity(const Record& record, std::uint64_t seed) {
  const int n = record.nSamples;
  const std::size_t lines = static_cast<std::size_t>(n / 2 + 1);
  std::mt19937_64 random(seed);
  std::vector<std::complex<double>> x1(lines), x2(lines);
  const double t = record.seconds;
  for (std::size_t k = 1; k + 1 < lines; ++k) {
    const double f = static_cast<double>(k) / t;
    const double w = kTwoPi * f;
    // Expected |c_k|^2 = psd * w^2 / T; X_k = c_k * N / 2.
    const double scale = n / 2.0 * w / std::sqrt(t);
    const double ground =
        record.cultural > 0 ? groundPsd(f) + record.cultural * culturalPsd(f) : groundPsd(f);
    const std::complex<double> common = std::sqrt(ground) * gaussianComplex(random);
    const double noise = std::sqrt(sensorNoisePsd(f));
    x1[k] = scale * (common + noise * gaussianComplex(random));
    x2[k] = scale * (common + noise * gaussianComplex(random));
  }
  std::uniform_real_distribution<double> phase(0.0, kTwoPi);
  for (const TechnicalLine& line : kTechnicalLines) {
    const auto k = static_cast<std::size_t>(std::lround(line.frequency * t));
    if (k == 0 || k + 1 >= lines) continue;
    // Velocity amplitude w * a; X_k = N/2 * c_k. Sensor 2 sees it slightly weaker.
    const std::complex<double> c =
        std::polar(kTwoPi * line.frequency * line.amplitude, phase(random));
    x1[k] += n / 2.0 * c;
    x2[k] += n / 2.0 * 0.8 * c;
  }
  return {inverseToTrace(x1, n), inverseToTrace(x2, n)};
}

std::vector<long long> toCounts(std::span<const double> trace, double gain) {
  std::vector<long long> counts(trace.size());
  for (std::size_t i = 0; i < trace.size(); ++i) counts[i] = std::llround(trace[i] / gain);
  return counts;
}

std::vector<double> fromCounts(std::span<const long long> counts, double gain) {
  std::vector<double> trace(counts.size());
  for (std::size_t i = 0; i < counts.size(); ++i) trace[i] = static_cast<double>(counts[i]) * gain;
  return trace;
}

std::vector<std::complex<double>> amplitudeSpectrum(std::span<const double> trace) {
  const int n = static_cast<int>(trace.size());
  std::vector<double> input(trace.begin(), trace.end());
  std::vector<std::complex<double>> x(static_cast<std::size_t>(n / 2 + 1));
  fftw_plan plan = fftw_plan_dft_r2c_1d(n, input.data(), reinterpret_cast<fftw_complex*>(x.data()),
                                        FFTW_ESTIMATE);
  fftw_execute(plan);
  fftw_destroy_plan(plan);
  for (auto& c : x) c *= 2.0 / n;
  return x;
}

std::string formatSpectrumFile(const Record& record, std::span<const std::complex<double>> channel1,
                               std::span<const std::complex<double>> channel2) {
  const bool two = !channel2.empty();
  std::string out =
      two ? R"x("f(Hz)","ft1re","ft1im","ft2re","ft2im")x" : R"x("f(Hz)","ft1re","ft1im")x";
  out += "\r\n";
  out.reserve(channel1.size() * (two ? 110 : 70));
  for (std::size_t k = 0; k < channel1.size(); ++k) {
    appendNumber(out, static_cast<double>(k) / record.seconds);
    const auto appendCoefficient = [&out](std::complex<double> c) {
      out += ',';
      appendNumber(out, c.real());
      out += ',';
      appendNumber(out, c.imag());
    };
    appendCoefficient(channel1[k]);
    if (two) appendCoefficient(channel2[k]);
    out += "\r\n";
  }
  return out;
}

std::string formatRawDataFile(const Record& record, const ComponentCounts& c) {
  std::string out =
      "sample time(s) status z1 n1 e1 temp(C) pressure(hPa) supply(V) reserved z2 n2 e2 gps\r\n";
  const double dt = record.seconds / record.nSamples;
  char line[256];
  for (std::size_t i = 0; i < c.z1.size(); ++i) {
    const int length = std::snprintf(
        line, sizeof line, "%zu %.4f 0 %lld %lld %lld 21.4 1013.2 12.1 0 %lld %lld %lld 1\r\n",
        i + 1, static_cast<double>(i + 1) * dt, c.z1[i], c.n1[i], c.e1[i], c.z2[i], c.n2[i],
        c.e2[i]);
    out.append(line, static_cast<std::size_t>(length));
  }
  return out;
}

void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace samples
