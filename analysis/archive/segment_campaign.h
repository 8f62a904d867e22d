// A segment reduced to what a campaign keeps of a record, exactly as a measurement file is
// (analysis/campaign/campaign_file.h): PSD per line displacementPsd(f, c, T) with T = N / rate
// the segment's length, used lines q = 1 .. min(plotPointCount(N, 8), N/2 + 1) - 1, the
// binned spectrum the mean PSD of the used lines in each bin, the band rms
// sqrt(sum psd / T / 2) over the used lines in the band, rmsRel likewise of c1 - c2.
// Lines without an estimate (coefficient 0: below the instrument's passband, see
// segment_spectrum.h) count in neither: a bin of only such lines has no value, never 0.
// The one-third-octave velocities (record_bands.h) are thirdOctaveVelocity's over the used lines,
// less every band holding a line without an estimate, whose velocity would read low.
// The name is the segment's; the directory and path are empty, the status used.
#pragma once

#include "analysis/archive/segment_record.h"
#include "analysis/campaign/campaign_file.h"

namespace analysis::archive {

CampaignFile segmentCampaignFile(const SegmentRecord& record, const FrequencyBins& bins,
                                 const RmsBand& band);

}  // namespace analysis::archive
