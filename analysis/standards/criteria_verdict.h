// The verdict of one channel's one-third-octave velocities against the vibration criteria.
//
// A criterion is met when every band that counts for it (nominal centre in its range; see
// vibration_criteria.h) and was computed (wholly inside the lines used; see third_octave.h)
// has an rms velocity at or below the criterion's limit in that band. Bands outside the lines
// used do not count; a criterion with some of its bands missing is "partly covered", one with
// none of them cannot be judged and is not met. A velocity that is not a number never meets.
//
// The criteria form a ladder from the loosest to the strictest (the order of
// vibrationCriteria()): the verdict is the strictest criterion met below the first judged one
// that is not met (criteria that cannot be judged are passed over), with its limiting band: the
// counting band with the largest ratio of velocity to limit (the lowest such band on a tie).
// So a channel that exceeds the workshop curve anywhere in its range is "none", with the worst
// band of the workshop curve (or of the loosest judged criterion). A channel whose bands are
// all 0 has "no signal".
#pragma once

#include <span>
#include <string>

#include "analysis/standards/third_octave.h"
#include "analysis/standards/vibration_criteria.h"

namespace analysis {

struct ChannelVerdict {
  enum class Outcome { Met, None, NoSignal, NotJudged };
  Outcome outcome = Outcome::NotJudged;
  const VibrationCriterion* criterion = nullptr;  // Met: the one met; None: the one exceeded
  ThirdOctaveBand limitingBand;
  double velocity = 0;  // mum/s in the limiting band
  double limit = 0;     // mum/s, the criterion's limit in that band
  bool partlyCovered = false;
};

ChannelVerdict judgeChannel(const BandVelocities& channel,
                            std::span<const VibrationCriterion> criteria);

// "channel 1: VC-C (limit 12.5 Hz: 9.81 of 12.5 mum/s)", with ", partly covered" before the
// closing parenthesis when the criterion's range is only partly covered;
// "channel 1: none (workshop exceeded at 2 Hz: 1.5e4 ...)", "channel 2: no signal",
// "channel 1: not judged (no band within a criterion's range)".
std::string verdictText(int channelNumber, const ChannelVerdict& verdict);

// Both channels, as psd-analyze prints them: the two texts three blanks apart.
std::string verdictLine(const ChannelVerdict& channel1, const ChannelVerdict& channel2);

// A velocity or frequency with three significant digits, plain decimal, no trailing zeros
// after the point (9.8123 -> "9.81", 12.5 -> "12.5", 80 -> "80", 0.78 -> "0.78", 12732 ->
// "12732": never fewer digits than the whole part has); 0 -> "0".
std::string threeDigits(double value);

}  // namespace analysis
