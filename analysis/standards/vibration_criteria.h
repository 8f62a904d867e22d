// Vibration criteria for building floors and vibration-sensitive equipment: limits of the rms
// velocity in one-third-octave bands (mum/s), held as data (vibration_criteria.cpp).
//
// A criterion is a level V (mum/s) and a shape over a frequency range. A shape is a list of
// segments f_low <= f <= f_high (Hz), each a power law in acceleration or velocity,
//     q(f) = value x f^exponent      (acceleration in mm/s^2, velocity in mum/s)
// with velocity = acceleration / (kTwoPi f) (x 1000 for mm -> mum); at a frequency where two
// segments meet the upper one holds. A criterion's limit is
//     limit(f) = v_shape(f) x V / reference level of the shape
// so the building criteria are multiples of the base curve (reference level 100 mum/s, its
// plateau) and the VC curves are relative shapes (reference level 1).
//
// Which bands count for a criterion: a band counts when its nominal centre lies in the
// criterion's frequency range (both ends included), so the 4 Hz band (3.98 Hz exactly) counts
// for a range starting at 4 Hz. A band's limit is the criterion at that nominal centre.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/standards/third_octave.h"

namespace analysis {

enum class ShapeQuantity { Acceleration, Velocity };

struct ShapeSegment {
  double lowHz, highHz;
  ShapeQuantity quantity;
  double value;  // mm/s^2 or mum/s at 1 Hz (or relative, for relative shapes)
  double exponent;
};

struct CriterionShape {
  std::span<const ShapeSegment> segments;  // in rising frequency, adjoining
  double referenceLevel;                   // mum/s (1 for relative shapes)
};

struct VibrationCriterion {
  std::string_view name;
  double level;  // V, mum/s
  const CriterionShape* shape;
};

// The criteria from the loosest (workshop) to the strictest (VC-G).
std::span<const VibrationCriterion> vibrationCriteria();
// Indices into vibrationCriteria() of the criteria shown by default: VC-A .. VC-E.
std::vector<std::size_t> defaultShownCriteria();

struct CriterionRange {
  double lowHz, highHz;
};
CriterionRange criterionRange(const VibrationCriterion& criterion);

// The limit (mum/s) at frequency f (Hz); nothing outside the criterion's range.
std::optional<double> criterionLimit(const VibrationCriterion& criterion, double frequencyHz);

// Whether the band counts for the criterion (its nominal centre in the criterion's range).
bool bandCountsFor(const VibrationCriterion& criterion, const ThirdOctaveBand& band);

// The limit (mum/s) in a band: the criterion at the band's nominal centre, when the band counts.
std::optional<double> bandLimit(const VibrationCriterion& criterion, const ThirdOctaveBand& band);

// The indices m of every band that counts for the criterion, rising.
std::vector<int> bandsCountingFor(const VibrationCriterion& criterion);

// Points (f in Hz, limit in mum/s) that draw the criterion exactly on log-log axes: both ends
// of every segment (each segment is a straight line there).
std::vector<std::pair<double, double>> criterionCurve(const VibrationCriterion& criterion);

}  // namespace analysis
