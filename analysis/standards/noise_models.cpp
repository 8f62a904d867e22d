#include "analysis/standards/noise_models.h"

#include <algorithm>
#include <cmath>

#include "analysis/record/psd_estimator.h"

namespace analysis {
namespace {

// USGS Open-File Report 93-322 (Peterson 1993), tables of the NLNM and NHNM: P_k (s), A, B.
constexpr NoiseModelSegment kLowNoiseModel[] = {
    {0.10, -162.36, 5.64},    {0.17, -166.70, 0.00},    {0.40, -170.00, -8.30},
    {0.80, -166.40, 28.90},   {1.24, -168.60, 52.48},   {2.40, -159.98, 29.81},
    {4.30, -141.10, 0.00},    {5.00, -71.36, -99.77},   {6.00, -97.26, -66.49},
    {10.00, -132.18, -31.57}, {12.00, -205.27, 36.16},  {15.60, -37.65, -104.33},
    {21.90, -114.37, -47.10}, {31.60, -160.58, -16.28}, {45.00, -187.50, 0.00},
    {70.00, -216.47, 15.70},  {101.00, -185.00, 0.00},  {154.00, -168.34, -7.61},
    {328.00, -217.43, 11.90}, {600.00, -258.28, 26.60}, {10000.00, -346.88, 48.75},
};

constexpr NoiseModelSegment kHighNoiseModel[] = {
    {0.10, -108.73, -17.23}, {0.22, -150.34, -80.50},  {0.32, -122.31, -23.87},
    {0.80, -116.85, 32.51},  {3.80, -108.48, 18.08},   {4.60, -74.66, -32.95},
    {6.30, 0.66, -127.18},   {7.90, -93.37, -22.42},   {15.40, 73.54, -162.98},
    {20.00, -151.52, 10.01}, {354.80, -206.66, 31.63},
};

constexpr double kLongestPeriod = 1 / kNoiseModelLowestHz;
constexpr double kShortestPeriod = 1 / kNoiseModelHighestHz;
constexpr double kSquareMetresInSquareMicrometres = 1e12;

}  // namespace

std::span<const NoiseModelSegment> noiseModelSegments(NoiseModel model) {
  if (model == NoiseModel::Low) return kLowNoiseModel;
  return kHighNoiseModel;
}

std::optional<double> noiseModelAccelerationDb(NoiseModel model, double periodSeconds) {
  if (!(periodSeconds >= kShortestPeriod && periodSeconds <= kLongestPeriod)) return std::nullopt;
  const auto segments = noiseModelSegments(model);
  const NoiseModelSegment* holding = &segments.front();
  for (const NoiseModelSegment& segment : segments) {
    if (periodSeconds >= segment.periodSeconds) holding = &segment;
  }
  return holding->a + holding->b * std::log10(periodSeconds);
}

std::optional<double> noiseModelPsd(NoiseModel model, double frequencyHz) {
  if (!(frequencyHz >= kNoiseModelLowestHz && frequencyHz <= kNoiseModelHighestHz)) {
    return std::nullopt;
  }
  // 1 / f may round just beyond the ends of the period range.
  const double period = std::clamp(1 / frequencyHz, kShortestPeriod, kLongestPeriod);
  const auto db = noiseModelAccelerationDb(model, period);
  if (!db) return std::nullopt;
  const double omega = kTwoPi * frequencyHz;
  const double textbook =
      std::pow(10.0, *db / 10) * kSquareMetresInSquareMicrometres / (omega * omega * omega * omega);
  return 2 * textbook;
}

}  // namespace analysis
