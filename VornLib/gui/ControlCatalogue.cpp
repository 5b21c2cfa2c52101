#include "VornLib/gui/ControlCatalogue.h"

#include "VornLib/gui/ButtonControl.h"
#include "VornLib/gui/ComboBoxControl.h"
#include "VornLib/gui/ControlBarControl.h"
#include "VornLib/gui/DockWindow.h"
#include "VornLib/gui/EditBoxControl.h"
#include "VornLib/gui/HintControl.h"
#include "VornLib/gui/ListControl.h"
#include "VornLib/gui/PictureControl.h"
#include "VornLib/gui/ProgressBarControl.h"
#include "VornLib/gui/PropertySheetWindow.h"
#include "VornLib/gui/RichEditControl.h"
#include "VornLib/gui/SeparatorControl.h"
#include "VornLib/gui/SliderControl.h"
#include "VornLib/gui/StaticControl.h"
#include "VornLib/gui/StatusBarControl.h"
#include "VornLib/gui/TabCtrlControl.h"
#include "VornLib/gui/ToolBarControl.h"
#include "VornLib/gui/UrlControl.h"
#include "VornLib/gui/Window.h"

#include <memory>

namespace vorn {
namespace {

template <typename Kind> std::unique_ptr<Window> Make() {
    return std::make_unique<Kind>();
}

std::unique_ptr<Window> MakeContainer() {
    auto window = std::make_unique<Window>();
    window->setBehaviour(kForwardsCommands, true);
    return window;
}

// The framework's own kinds, one row each.
const WindowKind kStandardKinds[] = {
    {u"Window", MakeContainer},
    {u"List", Make<ListControl>},
    {u"RichEdit", Make<RichEditControl>},
    {u"ToolBar", Make<ToolBarControl>},
    {u"StatusBar", Make<StatusBarControl>},
    {u"ControlBar", Make<ControlBarControl>},
    {u"DockWindow", Make<DockWindow>},
    {u"URL", Make<UrlControl>},
    {u"HintCtrl", Make<HintControl>},
    {u"Separator", Make<SeparatorControl>},
    {u"PropertySheet", Make<PropertySheetWindow>},
    {u"Static", Make<StaticControl>},
    {u"Picture", Make<PictureControl>},
    {u"Slider", Make<SliderControl>},
    {u"Button", Make<ButtonControl>},
    {u"CheckBox", Make<CheckBoxControl>},
    {u"RadioButton", Make<RadioButtonControl>},
    {u"GroupBox", Make<GroupBoxControl>},
    {u"EditBox", Make<EditBoxControl>},
    {u"ProgressBar", Make<ProgressBarControl>},
    {u"TabCtrl", Make<TabCtrlControl>},
    {u"ComboBox", Make<ComboBoxControl>},
};

constexpr uint32_t kMaxProgramKinds = 32;
struct ProgramKinds {
    WindowKind kinds[kMaxProgramKinds];
    uint32_t count;
};
ProgramKinds& Programs() {
    static ProgramKinds table = {};
    return table;
}

} // namespace

std::unique_ptr<Window> CreateWindowOfKind(const String& element) {
    const ProgramKinds& programs = Programs();
    for (uint32_t index = 0; index < programs.count; ++index) {
        if (element == programs.kinds[index].element)
            return programs.kinds[index].create();
    }
    for (const WindowKind& kind : kStandardKinds) {
        if (element == kind.element)
            return kind.create();
    }
    return nullptr;
}

Result RegisterWindowKind(const WindowKind& kind) {
    if (!kind.element || !kind.create)
        return kResultNullInput;
    ProgramKinds& programs = Programs();
    for (uint32_t index = 0; index < programs.count; ++index) {
        if (String(kind.element) == programs.kinds[index].element) {
            programs.kinds[index] = kind;
            return kResultOk;
        }
    }
    if (programs.count == kMaxProgramKinds)
        return kResultCapacityExceeded;
    programs.kinds[programs.count++] = kind;
    return kResultOk;
}

} // namespace vorn
