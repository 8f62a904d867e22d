#include "analysis/units/spectral_units.h"

#include <cmath>
#include <limits>

#include "analysis/record/psd_estimator.h"

namespace analysis {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
constexpr double kSquareMetresPerSquareMicrometre = 1e-12;

// The unit's length and time part, as it appears inside "(...)^2/Hz".
std::string_view micrometreUnit(Quantity quantity) {
  switch (quantity) {
    case Quantity::Velocity:
      return "mum/s";
    case Quantity::Acceleration:
      return "mum/s^2";
    default:
      return "mum";
  }
}

std::string_view metreUnit(Quantity quantity) {
  switch (quantity) {
    case Quantity::Velocity:
      return "(m/s)^2";
    case Quantity::Acceleration:
      return "(m/s^2)^2";
    default:
      return "m^2";
  }
}

}  // namespace

double densityFactor(Quantity quantity, double frequencyHz) {
  const double w = kTwoPi * frequencyHz;
  switch (quantity) {
    case Quantity::Recorded:
      return 1;
    case Quantity::Displacement:
      return 0.5;
    case Quantity::Velocity:
      return 0.5 * w * w;
    case Quantity::Acceleration:
      return 0.5 * (w * w) * (w * w);
  }
  return 1;
}

double densityOf(Quantity quantity, double programPsd, double frequencyHz) {
  return programPsd * densityFactor(quantity, frequencyHz);
}

double decibelsOfDensity(double density) {
  if (!(density > 0)) return kNoValue;
  return 10 * std::log10(density * kSquareMetresPerSquareMicrometre);
}

double formOf(const SpectralUnits& units, double density) {
  if (units.recorded()) return density;
  if (units.db) return decibelsOfDensity(density);
  if (units.asd) return density >= 0 ? std::sqrt(density) : kNoValue;
  return density;
}

double shownValue(const SpectralUnits& units, double programPsd, double frequencyHz) {
  return formOf(units, densityOf(units.quantity, programPsd, frequencyHz));
}

double axisX(const SpectralUnits& units, double frequencyHz) {
  if (units.recorded() || !units.period) return frequencyHz;
  return frequencyHz > 0 ? 1 / frequencyHz : kNoValue;
}

std::string_view quantityName(Quantity quantity) {
  switch (quantity) {
    case Quantity::Recorded:
      return "";
    case Quantity::Displacement:
      return "displacement";
    case Quantity::Velocity:
      return "velocity";
    case Quantity::Acceleration:
      return "acceleration";
  }
  return "";
}

std::string cellUnitText(Quantity quantity) {
  if (quantity == Quantity::Recorded) return "dB re 1 mum^2/Hz";
  return "dB re 1 " + std::string(metreUnit(quantity)) + "/Hz";
}

std::string unitText(const SpectralUnits& units) {
  if (units.recorded()) return "mum^2/Hz";
  if (units.db) return cellUnitText(units.quantity);
  const std::string_view base = micrometreUnit(units.quantity);
  if (units.asd) return std::string(base) + "/√Hz";
  if (units.quantity == Quantity::Displacement) return "mum^2/Hz";
  return "(" + std::string(base) + ")^2/Hz";
}

std::string valueAxisTitle(const SpectralUnits& units) {
  if (units.recorded()) return {};
  return std::string(quantityName(units.quantity)) + (units.asd ? " ASD, " : " PSD, ") +
         unitText(units) + ", one-sided";
}

std::string periodAxisTitle(const SpectralUnits& units) {
  if (units.recorded() || !units.period) return {};
  return "period, s";
}

std::string columnName(std::string_view name, const SpectralUnits& units) {
  return columnName(name, unitText(units), units);
}

std::string columnName(std::string_view name, std::string_view unit, const SpectralUnits& units) {
  std::string column(name);
  if (units.recorded()) return column;
  column += '[';
  column += unit;
  column += ']';
  return column;
}

}  // namespace analysis
