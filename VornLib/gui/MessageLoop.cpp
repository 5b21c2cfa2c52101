#include "VornLib/gui/MessageLoop.h"

#include <commctrl.h>

#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/gui/Window.h"

namespace vorn {

bool InitializeCommonControls() {
    using Function = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initialize =
        SystemFunction<Function>(SystemLibraryId::Comctl32, "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_USEREX_CLASSES |
                                                          ICC_COOL_CLASSES | ICC_STANDARD_CLASSES};
    return initialize && initialize(&controls);
}

void DispatchToWindows(MSG* message) {
    for (HWND step = message->hwnd; step; step = GetParent(step)) {
        Window* window = Window::FromHandle(step);
        if (window && window->preTranslate(message))
            return;
    }
    TranslateMessage(message);
    DispatchMessageW(message);
}

} // namespace vorn
