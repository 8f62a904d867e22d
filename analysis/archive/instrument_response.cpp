#include "analysis/archive/instrument_response.h"

#include <algorithm>
#include <cctype>
#include <numbers>

namespace analysis::archive {

std::optional<InputUnit> inputUnitNamed(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
  if (name == "M") return InputUnit::Displacement;
  if (name == "M/S") return InputUnit::Velocity;
  if (name == "M/S**2" || name == "M/S2" || name == "M/S^2") return InputUnit::Acceleration;
  return std::nullopt;
}

std::complex<double> InstrumentResponse::inputResponse(double f) const {
  std::complex<double> h = sensitivity;
  if (!stage) return h;
  const std::complex<double> s(0, stage->hertz ? f : 2 * std::numbers::pi * f);
  h *= stage->a0;
  for (const auto& z : stage->zeros) h *= s - z;
  for (const auto& p : stage->poles) h /= s - p;
  return h;
}

std::complex<double> InstrumentResponse::velocityResponse(double f) const {
  const std::complex<double> iOmega(0, 2 * std::numbers::pi * f);
  switch (input) {
    case InputUnit::Acceleration:
      return inputResponse(f) * iOmega;
    case InputUnit::Displacement:
      return inputResponse(f) / iOmega;
    case InputUnit::Velocity:
      break;
  }
  return inputResponse(f);
}

bool InstrumentResponse::passes(double f) const {
  return std::abs(inputResponse(f)) >= sensitivity / 1000;
}

}  // namespace analysis::archive
