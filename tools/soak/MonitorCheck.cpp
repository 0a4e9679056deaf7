#include "MonitorCheck.h"

#include <algorithm>
#include <cmath>

namespace lullwood {

void MonitorCheck::Count(uint64_t MonitorFigures::*field, uint64_t n) {
  period_.*field += n;
  total_.*field += n;
}

void MonitorCheck::Add(const float* samples, size_t frames) {
  for (size_t i = 0; i < frames; ++i) {
    const float left = samples[2 * i], right = samples[2 * i + 1];
    const bool silent = left == 0.0f && right == 0.0f;
    if (silent) {
      ++zeroRun_;
      Count(&MonitorFigures::silentFrames);
    } else {
      // A run of silence that sound both preceded and ends is a gap; silence at the
      // start, before anything played, is not.
      if (zeroRun_ >= kGapFrames && heardSound_) Count(&MonitorFigures::gaps);
      zeroRun_ = 0;
      heardSound_ = true;
    }
    const float value[2] = {left, right};
    for (int c = 0; c < 2; ++c) {
      if (seen_ >= 2) {
        const float bend = std::fabs(value[c] - 2 * previous_[c] + beforePrevious_[c]);
        period_.largestBend = std::max(period_.largestBend, bend);
        total_.largestBend = std::max(total_.largestBend, bend);
        if (bend > stepLimit_) Count(&MonitorFigures::steps);
      }
      beforePrevious_[c] = previous_[c];
      previous_[c] = value[c];
    }
    ++seen_;
    Count(&MonitorFigures::frames);
  }
}

MonitorFigures MonitorCheck::TakePeriod() {
  const MonitorFigures figures = period_;
  period_ = MonitorFigures{};
  return figures;
}

}  // namespace lullwood
