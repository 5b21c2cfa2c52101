// TimeRemainingEstimator: a phrase for the time a transfer still needs,
// changing only when the phrase or its minute count changes.
#pragma once

#include "VornLib/core/String.h"

namespace vornsetup {

class TimeRemainingEstimator {
public:
    // The six phrases, already localized; the first takes the minutes as {0}.
    struct Phrases {
        vorn::String aboutXMinutes;
        vorn::String aboutAMinute;
        vorn::String lessThanMinute;
        vorn::String about10Seconds;
        vorn::String about5Seconds;
        vorn::String zeroSeconds;
    };

    explicit TimeRemainingEstimator(const Phrases& phrases) : phrases_(phrases) {}

    void reset(uint64_t total, double now);
    // Returns true when the text changed.
    bool update(uint64_t done, double now);
    // The phrase for a remaining time (1-6) and, for phrase 1, the minutes.
    static uint32_t Phrase(double remainingSeconds, uint32_t* minutes);

    const vorn::String& text() const { return text_; }

private:
    Phrases phrases_;
    vorn::String text_ = u"?";
    double start_ = 0;
    uint64_t total_ = 0;
    uint32_t lastPhrase_ = 0;
    uint32_t lastMinutes_ = 0;
};

} // namespace vornsetup
