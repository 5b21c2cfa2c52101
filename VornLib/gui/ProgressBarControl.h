// ProgressBarControl: the platform's smooth progress bar, of the static
// family, on a fixed range of 0 to 16384. Progress is told in steps:
// completed steps of a total, each `unit` long, plus the value reached within
// the current step; a bar narrower than tall when created runs vertically.
#pragma once

#include "VornLib/gui/SystemControl.h"

namespace vorn {

class ProgressBarControl : public SystemControl {
public:
    static constexpr int32_t kRange = 16384;

    ProgressBarControl();

    // round(16384 x (completed x unit + value) / (total x unit)) within the
    // range; 0 for a total of 0 (or a unit of 0); a negative value counts as 0.
    static int32_t PositionOf(double completed, double total, double unit, double value);
    void setProgress(double completed, double total, double unit = 1.0, double value = 0.0);
    // The position last set (kept also while there is no platform window).
    int32_t position() const { return position_; }

protected:
    Result readAttributes(const XmlNode& element) override;
    void created() override;

private:
    int32_t position_ = 0;
};

} // namespace vorn
