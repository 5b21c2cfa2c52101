#include "VornLib/gui/SliderControl.h"

#include <commctrl.h>

#include "VornLib/core/TextParse.h"
#include "VornLib/gui/ControlWords.h"

namespace vorn {
namespace {

// The platform keeps 32-bit positions.
LPARAM Clamped(int64_t value) {
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return LPARAM(value);
}

} // namespace

SliderControl::SliderControl() : SystemControl(L"msctls_trackbar32") {
    setStyle((style() & ~uint32_t(WS_CLIPSIBLINGS)) | WS_TABSTOP);
}

Result SliderControl::readAttributes(const XmlNode& element) {
    Result result = readTextColour(element);
    if (result != kResultOk)
        return result;
    uint32_t style = this->style();
    ApplyStyleFlag(element, u"SelectionRange", TBS_ENABLESELRANGE, &style);
    result = ApplyStyleWords(element, &style, u"Arrow", kSliderArrows, u"Orientation",
                             kSliderOrientations);
    if (result != kResultOk)
        return result;
    setStyle(style);
    String text;
    if (element.getAttribute(u"Ticks", &text) == kResultOk) {
        result = readTicks(text);
        if (result != kResultOk)
            return result;
    }
    int64_t number = 0;
    if (element.getAttributeInt64(u"LineSize", &number) == kResultOk)
        lineSize_ = number;
    if (element.getAttributeInt64(u"PageSize", &number) == kResultOk)
        pageSize_ = number;
    int64_t minimum = minimum_;
    int64_t maximum = maximum_;
    if (element.getAttributeInt64(u"Min", &number) == kResultOk)
        minimum = number;
    if (element.getAttributeInt64(u"Max", &number) == kResultOk)
        maximum = number;
    setRange(minimum, maximum);
    if (element.getAttributeInt64(u"DefaultValue", &number) == kResultOk)
        defaultValue_ = number;
    setDefaultHeight(0, 10);
    return kResultOk;
}

Result SliderControl::readTicks(const String& text) {
    if (const StyleBits* bits = FindWord(kSliderTicks, text)) {
        setStyle(bits->applied(style()));
        return kResultOk;
    }
    // A step instead of a word: ticks at every multiple of it.
    const int64_t step = ReadInt64(text.data());
    if (step <= 0)
        return kResultInvalidArgument;
    setStyle((style() & ~uint32_t(TBS_BOTH | TBS_NOTICKS)) | TBS_AUTOTICKS | TBS_TOP);
    tickFrequency_ = step;
    return kResultOk;
}

void SliderControl::setRange(int64_t minimum, int64_t maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    sendRange();
}

void SliderControl::sendRange() {
    if (!handle())
        return;
    SendMessageW(handle(), TBM_SETRANGEMIN, FALSE, Clamped(minimum_));
    SendMessageW(handle(), TBM_SETRANGEMAX, TRUE, Clamped(maximum_));
}

int64_t SliderControl::value() const {
    if (!handle())
        return defaultValue_;
    return int64_t(int32_t(SendMessageW(handle(), TBM_GETPOS, 0, 0)));
}

void SliderControl::setValue(int64_t value) {
    if (handle())
        SendMessageW(handle(), TBM_SETPOS, TRUE, Clamped(value));
}

void SliderControl::created() {
    sendRange();
    if (lineSize_ > 0)
        SendMessageW(handle(), TBM_SETLINESIZE, 0, Clamped(lineSize_));
    if (pageSize_ > 0)
        SendMessageW(handle(), TBM_SETPAGESIZE, 0, Clamped(pageSize_));
    if (tickFrequency_ > 0)
        SendMessageW(handle(), TBM_SETTICFREQ, WPARAM(Clamped(tickFrequency_)), 0);
    setValue(defaultValue_);
}

} // namespace vorn
