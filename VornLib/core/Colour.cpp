#include "VornLib/core/Colour.h"

#include "VornLib/core/String.h"
#include "VornLib/core/TextParse.h"

namespace vorn {
namespace {

struct NamedColour {
    const char16_t* name;
    Colour colour;
};

constexpr NamedColour kNamedColours[] = {
    {u"Black", {0, 0, 0, 255}},
    {u"Blue", {0, 0, 255, 255}},
    {u"Gray", {128, 128, 128, 255}},
    {u"Green", {0, 255, 0, 255}},
    {u"Orange", {255, 128, 0, 255}},
    {u"Fuchsia", {255, 0, 255, 255}},
    {u"Red", {255, 0, 0, 255}},
    {u"Transparent", {0, 0, 0, 0}},
    {u"White", {255, 255, 255, 255}},
    {u"Yellow", {255, 255, 0, 255}},
    {u"LightGray", {192, 192, 192, 255}},
    {u"LightOrange", {255, 217, 76, 255}},
    {u"LightYellow", {255, 255, 128, 255}},
    {u"DarkBlue", {0, 0, 128, 255}},
};

struct NamedSystemColour {
    const char16_t* name;
    int32_t index;
};

constexpr NamedSystemColour kSystemColours[] = {
    {u"DesktopBackground", 1},
    {u"DialogBoxBackground", 15},
    {u"GUIHighlight", 20},
    {u"GUIFace", 15},
    {u"GUIShadow", 16},
    {u"GUIDarkShadow", 21},
    {u"Hyperlink", 26},
    {u"SelectedItemBackground", 13},
    {u"SelectedItemForeground", 14},
    {u"ToolbarBackground", 15},
    {u"TooltipText", 23},
    {u"TooltipBackground", 24},
    {u"WindowActiveTitleBackgroundLeft", 2},
    {u"WindowActiveTitleBackgroundRight", 27},
    {u"WindowActiveTitleText", 9},
    {u"WindowBackground", 5},
    {u"WindowInactiveTitleBackgroundLeft", 3},
    {u"WindowInactiveTitleBackgroundRight", 28},
    {u"WindowInactiveTitleText", 19},
    {u"WindowGrayText", 17},
    {u"WindowText", 8},
};

// Reads exactly `digits` hexadecimal digits; false when one is missing.
bool ReadHexField(const char16_t* text, uint32_t digits, uint32_t& value) {
    uint32_t read = 0;
    value = ReadHexDigits(text, digits, &read);
    return read == digits;
}

Result ParseHexColour(const char16_t* text, Colour& colour) {
    const uint32_t length = TextLength(text);
    uint32_t channel[4] = {0, 0, 0, 255};
    if (length == 4) {
        for (int i = 0; i < 3; ++i) {
            if (!ReadHexField(text + 1 + i, 1, channel[i]))
                return kResultMalformed;
            channel[i] *= 0x11;
        }
    } else if (length == 7 || length == 9) {
        for (uint32_t i = 0; i < (length - 1) / 2; ++i) {
            if (!ReadHexField(text + 1 + 2 * i, 2, channel[i]))
                return kResultMalformed;
        }
    } else {
        return kResultMalformed;
    }
    colour = {uint8_t(channel[0]), uint8_t(channel[1]), uint8_t(channel[2]), uint8_t(channel[3])};
    return kResultOk;
}

} // namespace

Result Colour::Parse(const char16_t* text, Colour* out) {
    if (!out)
        return kResultNullOutput;
    *out = Colour();
    if (!text)
        return kResultNullInput;
    if (text[0] == u'#') {
        Colour colour;
        const Result result = ParseHexColour(text, colour);
        if (result == kResultOk)
            *out = colour;
        return result;
    }
    for (const NamedColour& named : kNamedColours) {
        if (CompareText(named.name, text) == 0) {
            *out = named.colour;
            return kResultOk;
        }
    }
    return kResultMalformed;
}

Colour SystemColour::resolved() const {
    return systemIndex < 0 ? colour : PlatformSystemColour(systemIndex);
}

Result SystemColour::Parse(const char16_t* text, SystemColour* out) {
    if (!out)
        return kResultNullOutput;
    *out = SystemColour();
    if (text) {
        for (const NamedSystemColour& named : kSystemColours) {
            if (CompareText(named.name, text) == 0) {
                out->colour = Colour{0, 0, 0, 0};
                out->systemIndex = named.index;
                return kResultOk;
            }
        }
    }
    return Colour::Parse(text, &out->colour);
}

bool operator==(const SystemColour& a, const SystemColour& b) {
    if (a.systemIndex >= 0 && b.systemIndex >= 0)
        return a.systemIndex == b.systemIndex;
    return a.resolved() == b.resolved();
}

const char16_t* ColourName(uint32_t index) {
    constexpr uint32_t kPlain = sizeof kNamedColours / sizeof kNamedColours[0];
    constexpr uint32_t kSystem = sizeof kSystemColours / sizeof kSystemColours[0];
    if (index < kPlain)
        return kNamedColours[index].name;
    return index < kPlain + kSystem ? kSystemColours[index - kPlain].name : nullptr;
}

} // namespace vorn
