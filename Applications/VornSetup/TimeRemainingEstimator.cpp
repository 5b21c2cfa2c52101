#include "Applications/VornSetup/TimeRemainingEstimator.h"

#include <cmath>

#include "VornLib/core/Format.h"

namespace vornsetup {

void TimeRemainingEstimator::reset(uint64_t total, double now) {
    text_ = u"?";
    start_ = now;
    total_ = total;
    lastPhrase_ = 0;
    lastMinutes_ = 0;
}

uint32_t TimeRemainingEstimator::Phrase(double remaining, uint32_t* minutes) {
    *minutes = 0;
    if (remaining <= 0)
        return 6;
    if (remaining < 6)
        return 5;
    if (remaining < 13)
        return 4;
    if (remaining < 60)
        return 3;
    if (remaining < 90)
        return 2;
    *minutes = uint32_t(std::ceil((remaining - 10) / 60));
    return 1;
}

bool TimeRemainingEstimator::update(uint64_t done, double now) {
    const double elapsed = now - start_;
    if (elapsed <= 0 || done == 0)
        return false;
    const double remaining = double(total_) * elapsed / double(done) - elapsed;
    uint32_t minutes = 0;
    const uint32_t phrase = Phrase(remaining, &minutes);
    if (phrase == lastPhrase_ && minutes == lastMinutes_)
        return false;
    lastPhrase_ = phrase;
    lastMinutes_ = minutes;
    switch (phrase) {
    case 1:
        text_ = vorn::Format(phrases_.aboutXMinutes.data(), {minutes});
        break;
    case 2:
        text_ = phrases_.aboutAMinute;
        break;
    case 3:
        text_ = phrases_.lessThanMinute;
        break;
    case 4:
        text_ = phrases_.about10Seconds;
        break;
    case 5:
        text_ = phrases_.about5Seconds;
        break;
    default:
        text_ = phrases_.zeroSeconds;
        break;
    }
    return true;
}

} // namespace vornsetup
