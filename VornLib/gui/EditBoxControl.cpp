#include "VornLib/gui/EditBoxControl.h"

#include "VornLib/gui/StyleWords.h"

namespace vorn {

EditBoxControl::EditBoxControl() : EditControl(L"Edit") {
    setStyle((style() & ~uint32_t(WS_CLIPSIBLINGS)) | WS_TABSTOP | ES_AUTOHSCROLL);
    setExtendedStyle(extendedStyle() | WS_EX_CLIENTEDGE);
}

Result EditBoxControl::readAttributes(const XmlNode& element) {
    uint32_t lines = style();
    ApplyStyleFlag(element, u"MultiLine", ES_MULTILINE | ES_AUTOVSCROLL, &lines);
    setStyle(lines);
    const Result result = readEditAttributes(element);
    if (result != kResultOk)
        return result;
    if (style() & ES_MULTILINE)
        setStyle(style() & ~uint32_t(ES_AUTOHSCROLL));
    readTextContent(element);
    setDefaultHeight(0, kEditBoxHeight);
    return kResultOk;
}

String EditBoxControl::text() const {
    return handle() ? WindowText(handle()) : title();
}

void EditBoxControl::setText(const String& text) {
    setTitle(text);
}

} // namespace vorn
