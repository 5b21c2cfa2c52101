// The portable core's few needs of the platform, on Windows.
#include "VornLib/core/Colour.h"
#include "VornLib/core/Language.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32.h"

namespace vorn {

int CompareTextIgnoringCase(const char16_t* a, const char16_t* b) {
    const int result = CompareStringOrdinal(Wide(a ? a : u""), -1, Wide(b ? b : u""), -1, TRUE);
    return result == CSTR_LESS_THAN ? -1 : (result == CSTR_GREATER_THAN ? 1 : 0);
}

Colour PlatformSystemColour(int32_t index) {
    const COLORREF value = GetSysColor(index);
    return Colour{GetRValue(value), GetGValue(value), GetBValue(value), 255};
}

uint32_t SystemLanguage() {
    return LanguageFromLocale(GetUserDefaultLCID());
}

} // namespace vorn
