#include "VornLib/gui/EditBoxControl.h"

namespace vorn {

EditBoxControl::EditBoxControl() : EditControl(L"Edit") {
    setStyle((style() & ~uint32_t(WS_CLIPSIBLINGS)) | WS_TABSTOP | ES_AUTOHSCROLL);
    setExtendedStyle(extendedStyle() | WS_EX_CLIENTEDGE);
}

Result EditBoxControl::readAttributes(const XmlNode& element) {
    bool multiLine = false;
    if (element.getAttributeBoolean(u"MultiLine", &multiLine) == kResultOk)
        setStyle(multiLine ? style() | ES_MULTILINE | ES_AUTOVSCROLL
                           : style() & ~uint32_t(ES_MULTILINE | ES_AUTOVSCROLL));
    const Result result = readEditAttributes(element);
    if (result != kResultOk)
        return result;
    if (style() & ES_MULTILINE)
        setStyle(style() & ~uint32_t(ES_AUTOHSCROLL));
    readTextContent(element);
    setDefaultHeight(0, 14);
    return kResultOk;
}

String EditBoxControl::text() const {
    return handle() ? WindowText(handle()) : title();
}

void EditBoxControl::setText(const String& text) {
    setTitle(text);
}

} // namespace vorn
