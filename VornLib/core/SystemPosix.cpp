// The portable core's few needs of the platform, on the host build.
#include <cwctype>

#include <cstdlib>

#include "VornLib/core/Colour.h"
#include "VornLib/core/Language.h"
#include "VornLib/core/String.h"

namespace vorn {

int CompareTextIgnoringCase(const char16_t* a, const char16_t* b) {
    static const char16_t kEmpty = 0;
    a = a ? a : &kEmpty;
    b = b ? b : &kEmpty;
    for (;; ++a, ++b) {
        const wint_t left = std::towupper(wint_t(*a));
        const wint_t right = std::towupper(wint_t(*b));
        if (left != right)
            return left < right ? -1 : 1;
        if (!*a)
            return 0;
    }
}

// There is no system palette off Windows: system colours resolve to black.
Colour PlatformSystemColour(int32_t) {
    return Colour();
}

// The host build reads the locale from the environment ("de_CH.UTF-8" is German).
uint32_t SystemLanguage() {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (!value || !*value)
            continue;
        char16_t code[3] = {char16_t(value[0]), char16_t(value[0] ? value[1] : 0), 0};
        return LanguageIndex(code);
    }
    return 0;
}

} // namespace vorn
