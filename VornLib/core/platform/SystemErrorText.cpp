#include "VornLib/core/platform/SystemErrorText.h"

#include "VornLib/core/Format.h"
#include "VornLib/core/Win32.h"

namespace vorn {

String SystemErrorText(uint32_t systemError) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, systemError, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    String said = length ? String(Units(text), length) : String();
    LocalFree(text);
    // The system's text ends with a line break.
    while (!said.isEmpty() && (said[said.length() - 1] == u'\n' ||
                               said[said.length() - 1] == u'\r' || said[said.length() - 1] == u' '))
        said = said.left(said.length() - 1);
    if (said.isEmpty())
        return Format(u"error {0}", {systemError});
    return Format(u"error {0} ({1})", {systemError, said});
}

} // namespace vorn
