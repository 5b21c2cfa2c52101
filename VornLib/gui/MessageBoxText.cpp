// The portable half of message boxes: reading descriptions, button sets, texts.
#include "VornLib/gui/MessageBox.h"
#include "VornLib/gui/StyleWords.h"

namespace vorn {
namespace {

const char16_t* const kButtonNames[kButtonCount] = {u"Yes",   u"No",    u"OK",    u"Cancel",
                                                    u"Retry", u"Abort", u"Ignore"};

struct ButtonSet {
    uint32_t buttons[3];
    uint32_t count;
    bool allowsCancel;
};

constexpr ButtonSet kButtonSets[] = {
    {{kButtonYes, kButtonNo}, 2, false},
    {{kButtonOK}, 1, true},
    {{kButtonYes, kButtonNo, kButtonCancel}, 3, true},
    {{kButtonOK, kButtonCancel}, 2, true},
    {{kButtonRetry, kButtonCancel}, 2, true},
    {{kButtonAbort, kButtonRetry, kButtonIgnore}, 3, false},
};
constexpr int32_t kSetCount = int32_t(sizeof kButtonSets / sizeof kButtonSets[0]);

constexpr DescriptionWord<MessageIcon> kIcons[] = {{u"Simple", MessageIcon::None},
                                                   {u"Information", MessageIcon::Information},
                                                   {u"Warning", MessageIcon::Warning},
                                                   {u"Error", MessageIcon::Error}};

bool IconFromName(const String& name, bool allowSimple, MessageIcon* icon) {
    const MessageIcon* found = FindWord(kIcons, name);
    if (!found || (!allowSimple && *found == MessageIcon::None))
        return false;
    *icon = *found;
    return true;
}

constexpr char16_t kSeparator = u'\u00A4';

} // namespace

int32_t ButtonSetOf(const bool present[kButtonCount]) {
    for (int32_t set = 0; set < kSetCount; ++set) {
        bool same = true;
        for (uint32_t button = 0; button < kButtonCount && same; ++button) {
            bool inSet = false;
            for (uint32_t i = 0; i < kButtonSets[set].count; ++i)
                inSet |= kButtonSets[set].buttons[i] == button;
            same = inSet == present[button];
        }
        if (same)
            return set;
    }
    return -1;
}

uint32_t ButtonsOfSet(int32_t set, uint32_t buttons[3]) {
    if (set < 0 || set >= kSetCount)
        return 0;
    for (uint32_t i = 0; i < kButtonSets[set].count; ++i)
        buttons[i] = kButtonSets[set].buttons[i];
    return kButtonSets[set].count;
}

bool SetAllowsCancel(int32_t set) {
    return set >= 0 && set < kSetCount && kButtonSets[set].allowsCancel;
}

uint32_t DefaultButtonOf(const MessageBoxContent& content) {
    if (content.defaultButton >= 0)
        return uint32_t(content.defaultButton);
    uint32_t buttons[3];
    return ButtonsOfSet(ButtonSetOf(content.present), buttons) ? buttons[0] : kButtonOK;
}

namespace {

// One format call fills "{0}" in every part of `joined` (header, body,
// details and footer, between separators).
void FillParts(const String& joined, const FormatArgument& argument, MessageBoxContent* content) {
    const FormatArgument* arguments[] = {&argument};
    const String formatted = Format(joined.data(), 1, arguments);
    String* targets[] = {&content->header, &content->body, &content->details, &content->footer};
    uint32_t start = 0;
    for (uint32_t part = 0; part < 4; ++part) {
        uint32_t end = start;
        while (end < formatted.length() && (part == 3 || formatted[end] != kSeparator))
            ++end;
        *targets[part] = formatted.mid(start, end - start);
        start = end + 1;
    }
}

} // namespace

Result ReadMessageBox(const XmlNode& description, LocalizedElementSource& strings,
                      const FormatArgument& argument, const String& windowTitle,
                      MessageBoxContent* out) {
    if (!out)
        return kResultNullOutput;
    *out = MessageBoxContent();
    MessageBoxContent content;
    String type;
    (void)description.getAttribute(u"Type", &type, u"");
    if (!IconFromName(type, true, &content.icon))
        return kResultInvalidArgument;
    (void)description.getAttributeBoolean(u"CommandLinks", &content.commandLinks, false);
    content.title = windowTitle;
    String title;
    if (description.getAttribute(u"Title", &title) == kResultOk) {
        String resolved;
        (void)ResolveLocalizedText(strings, title.data(), &resolved);
        content.title += u" - " + resolved;
    }

    String parts[4]; // header, body, details, footer
    String message;
    bool hasMessage = false;
    for (const XmlNode* child = description.firstChild(); child; child = child->nextSibling()) {
        String raw;
        (void)child->getText(&raw);
        String text;
        if (ResolveLocalizedText(strings, raw.data(), &text) == kResultPlatformFailure)
            return kResultInvalidArgument;
        const String& name = child->name();
        if (name == u"Header") {
            parts[0] = text;
        } else if (name == u"Body") {
            parts[1] = text;
        } else if (name == u"Details") {
            parts[2] = text;
        } else if (name == u"Footer") {
            parts[3] = text;
            String icon;
            if (child->getAttribute(u"Icon", &icon) == kResultOk)
                IconFromName(icon, false, &content.footerIcon);
        } else if (name == u"Message") {
            message = text;
            hasMessage = true;
            String icon;
            if (child->getAttribute(u"FooterIcon", &icon) == kResultOk)
                IconFromName(icon, false, &content.footerIcon);
        } else {
            for (uint32_t button = 0; button < kButtonCount; ++button) {
                if (name != kButtonNames[button])
                    continue;
                content.present[button] = true;
                content.captions[button] = text;
                bool isDefault = false;
                (void)child->getAttributeBoolean(u"DefaultButton", &isDefault, false);
                if (isDefault)
                    content.defaultButton = int32_t(button);
            }
        }
    }
    if (ButtonSetOf(content.present) < 0)
        return kResultInvalidArgument;

    const String joined = hasMessage ? message
                                     : parts[0] + kSeparator + parts[1] + kSeparator + parts[2] +
                                           kSeparator + parts[3];
    FillParts(joined, argument, &content);
    *out = content;
    return kResultOk;
}

String FallbackText(const MessageBoxContent& content) {
    String text;
    for (const String* part : {&content.header, &content.body, &content.details, &content.footer}) {
        if (part->isEmpty())
            continue;
        if (!text.isEmpty())
            text += u"\n\n";
        text += *part;
    }
    // <a href="target">label</a> becomes target.
    String result;
    uint32_t at = 0;
    while (at < text.length()) {
        const String rest = text.mid(at);
        const int32_t open = rest.find(u"<a href=\"");
        if (open < 0) {
            result += rest;
            break;
        }
        result += rest.left(uint32_t(open));
        const String afterOpen = rest.mid(uint32_t(open) + 9);
        const int32_t targetEnd = afterOpen.find(u"\">");
        const int32_t close = afterOpen.find(u"</a>");
        if (targetEnd < 0 || close < targetEnd) {
            result += rest.mid(uint32_t(open));
            break;
        }
        result += afterOpen.left(uint32_t(targetEnd));
        at += uint32_t(open) + 9 + uint32_t(close) + 4;
    }
    return result;
}

} // namespace vorn
