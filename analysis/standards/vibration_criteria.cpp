#include "analysis/standards/vibration_criteria.h"

#include <cmath>

#include "analysis/record/psd_estimator.h"

namespace analysis {
namespace {

constexpr double kMillimetresInMicrometres = 1000;

// The vertical base curve of building vibration (ISO 2631-2, as usually published): rms
// acceleration 10 mm/s^2 x f^-0.5 from 1 to 4 Hz, 5 mm/s^2 from 4 to 8 Hz, then rms velocity
// 100 mum/s from 8 to 80 Hz. Editions differ on the break frequencies: they are data here.
constexpr ShapeSegment kBaseCurveSegments[] = {
    {1, 4, ShapeQuantity::Acceleration, 10, -0.5},
    {4, 8, ShapeQuantity::Acceleration, 5, 0},
    {8, 80, ShapeQuantity::Velocity, 100, 0},
};
constexpr CriterionShape kBaseCurve{kBaseCurveSegments, 100};

// Generic vibration criteria for sensitive equipment (VC curves, the edition in which VC-A and
// VC-B keep constant acceleration from 4 to 8 Hz and VC-C .. VC-G are flat from 1 to 80 Hz),
// relative to the level V: V x 8 / f from 4 to 8 Hz, then V up to 80 Hz.
constexpr ShapeSegment kVcAbSegments[] = {
    {4, 8, ShapeQuantity::Velocity, 8, -1},
    {8, 80, ShapeQuantity::Velocity, 1, 0},
};
constexpr CriterionShape kVcAb{kVcAbSegments, 1};

constexpr ShapeSegment kVcFlatSegments[] = {{1, 80, ShapeQuantity::Velocity, 1, 0}};
constexpr CriterionShape kVcFlat{kVcFlatSegments, 1};

// Levels (mum/s): the building criteria as multiples of the base curve (workshop 8x, office 4x,
// residential 2x, operating theatre 1x), the VC criteria halving from VC-A to VC-G.
constexpr VibrationCriterion kCriteria[] = {
    {"workshop", 800, &kBaseCurve},
    {"office", 400, &kBaseCurve},
    {"residential", 200, &kBaseCurve},
    {"operating theatre", 100, &kBaseCurve},
    {"VC-A", 50, &kVcAb},
    {"VC-B", 25, &kVcAb},
    {"VC-C", 12.5, &kVcFlat},
    {"VC-D", 6.25, &kVcFlat},
    {"VC-E", 3.12, &kVcFlat},
    {"VC-F", 1.56, &kVcFlat},
    {"VC-G", 0.78, &kVcFlat},
};
constexpr std::size_t kFirstDefault = 4, kLastDefault = 8;  // VC-A .. VC-E

double segmentVelocity(const ShapeSegment& segment, double frequencyHz) {
  const double q = segment.value * std::pow(frequencyHz, segment.exponent);
  if (segment.quantity == ShapeQuantity::Velocity) return q;
  return q * kMillimetresInMicrometres / (kTwoPi * frequencyHz);
}

}  // namespace

std::span<const VibrationCriterion> vibrationCriteria() {
  return kCriteria;
}

std::vector<std::size_t> defaultShownCriteria() {
  std::vector<std::size_t> shown;
  for (std::size_t i = kFirstDefault; i <= kLastDefault; ++i) shown.push_back(i);
  return shown;
}

CriterionRange criterionRange(const VibrationCriterion& criterion) {
  const auto segments = criterion.shape->segments;
  return {segments.front().lowHz, segments.back().highHz};
}

std::optional<double> criterionLimit(const VibrationCriterion& criterion, double frequencyHz) {
  const CriterionRange range = criterionRange(criterion);
  if (!(frequencyHz >= range.lowHz && frequencyHz <= range.highHz)) return std::nullopt;
  const ShapeSegment* holding = &criterion.shape->segments.front();
  for (const ShapeSegment& segment : criterion.shape->segments) {
    if (frequencyHz >= segment.lowHz) holding = &segment;
  }
  return segmentVelocity(*holding, frequencyHz) * criterion.level / criterion.shape->referenceLevel;
}

bool bandCountsFor(const VibrationCriterion& criterion, const ThirdOctaveBand& band) {
  const CriterionRange range = criterionRange(criterion);
  return band.nominalCentre >= range.lowHz && band.nominalCentre <= range.highHz;
}

std::optional<double> bandLimit(const VibrationCriterion& criterion, const ThirdOctaveBand& band) {
  if (!bandCountsFor(criterion, band)) return std::nullopt;
  return criterionLimit(criterion, band.nominalCentre);
}

std::vector<int> bandsCountingFor(const VibrationCriterion& criterion) {
  const CriterionRange range = criterionRange(criterion);
  std::vector<int> indices;
  // Nominal and exact centres differ by less than a band: look one band beyond either end.
  for (int m = thirdOctaveBandOf(range.lowHz) - 1; m <= thirdOctaveBandOf(range.highHz) + 1; ++m) {
    if (bandCountsFor(criterion, thirdOctaveBand(m))) indices.push_back(m);
  }
  return indices;
}

std::vector<std::pair<double, double>> criterionCurve(const VibrationCriterion& criterion) {
  std::vector<std::pair<double, double>> points;
  const double scale = criterion.level / criterion.shape->referenceLevel;
  for (const ShapeSegment& segment : criterion.shape->segments) {
    for (double f : {segment.lowHz, segment.highHz}) {
      points.emplace_back(f, segmentVelocity(segment, f) * scale);
    }
  }
  return points;
}

}  // namespace analysis
