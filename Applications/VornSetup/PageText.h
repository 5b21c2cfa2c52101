// The texts and visibility of a setup page's controls, as every page sets
// them: a localized text with its value, a title, shown or hidden.
#pragma once

#include "VornLib/core/Format.h"
#include "VornLib/data/ResourceCache.h"
#include "VornLib/gui/Window.h"

namespace vornsetup {

inline vorn::String Formatted(const char16_t* key, const vorn::FormatArgument& argument) {
    return vorn::Format(vorn::Localized(key).data(), {argument});
}

inline void SetText(vorn::Window* control, const vorn::String& text) {
    if (control)
        control->setTitle(text);
}

inline void ShowControl(vorn::Window* control, bool show) {
    if (control && control->handle())
        ShowWindow(control->handle(), show ? SW_SHOWNA : SW_HIDE);
}

} // namespace vornsetup
