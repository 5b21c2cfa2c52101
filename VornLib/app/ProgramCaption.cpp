#include "VornLib/app/Entry.h"

namespace vorn {

String CaptionFromFileName(const String& fileName) {
    const int32_t slash = fileName.findLast(u'\\');
    String caption = fileName.mid(uint32_t(slash + 1));
    const int32_t dot = caption.find(u'.');
    if (dot >= 0)
        caption = caption.left(uint32_t(dot));
    caption.toLowerCase();
    caption.capitalizeWords();
    return caption;
}

} // namespace vorn
