// SliderControl: the platform's trackbar, of the static family. The
// range (0 to 100 unless the description says otherwise), the keyboard steps
// and the tick frequency are kept with the control and sent to the platform
// window whenever it exists.
#pragma once

#include "VornLib/gui/SystemControl.h"

namespace vorn {

class SliderControl : public SystemControl {
public:
    SliderControl();

    void setRange(int64_t minimum, int64_t maximum);

    // The thumb's position (the default value until the window exists).
    int64_t value() const;
    void setValue(int64_t value);
    // Puts the thumb back on the described "DefaultValue".
    void returnToDefault() { setValue(defaultValue_); }

protected:
    // 5 for a word the slider does not know.
    Result readAttributes(const XmlNode& element) override;
    void created() override;

private:
    Result readTicks(const String& text);
    void sendRange();

    int64_t minimum_ = 0;
    int64_t maximum_ = 100;
    int64_t lineSize_ = 0; // 0: the platform's own step
    int64_t pageSize_ = 0;
    int64_t tickFrequency_ = 0;
    int64_t defaultValue_ = 0;
};

} // namespace vorn
