#include "Applications/VornDemo/DemoWindow.h"

#include "VornLib/app/AppRuntime.h"
#include "VornLib/core/Format.h"
#include "VornLib/gui/Font.h"
#include "VornLib/gui/WindowName.h"

namespace vorndemo {

using namespace vorn;

Result TextPanel::readAttributes(const XmlNode& element) {
    String text;
    if (element.getAttribute(u"TextColor", &text) == kResultOk)
        (void)SystemColour::Parse(text.data(), &textColour_);
    return kResultOk;
}

void TextPanel::paint(HDC dc, const RECT&) {
    RECT area = {};
    GetClientRect(handle(), &area);
    // Text keeps a little air from the panel's edges: 4 dialog units.
    const int32_t inset = DialogUnitsToPixels(4, horizontalBase(), 4);
    InflateRect(&area, -inset, 0);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(textColour_.resolved().red, textColour_.resolved().green,
                         textColour_.resolved().blue));
    HGDIOBJ previous =
        SelectObject(dc, font() ? font()->handle() : GetStockObject(DEFAULT_GUI_FONT));
    // A band of one line centres its text; a larger panel reads from the top.
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const bool band = area.bottom - area.top < 3 * metrics.tmHeight;
    const UINT format = DT_LEFT | DT_NOPREFIX | (band ? DT_VCENTER | DT_SINGLELINE : DT_WORDBREAK);
    DrawTextW(dc, Wide(title().data()), -1, &area, format);
    SelectObject(dc, previous);
}

std::unique_ptr<MainWindow> DemoWindow::Create() {
    auto window = std::make_unique<DemoWindow>();
    const ApplicationDescription& description = AppRuntime::instance().description();
    window->setTitle(Format(u"{0} {1}", {description.name, description.version}));
    return window;
}

void DemoWindow::RegisterKinds() {
    (void)RegisterWindowKind({u"TextPanel", TextPanel::Create});
}

namespace {

// The answer of a check, posted by its thread.
constexpr UINT kUpdateAnswer = WM_APP + 0x55;

} // namespace

void DemoWindow::started() {
    checkAsked_ = false;
    // An installation without an update feed has no update program to ask.
    Window* button = child(u"CheckForUpdates");
    if (UpdateProgramPath().isEmpty()) {
        if (button && button->handle())
            ShowWindow(button->handle(), SW_HIDE);
        return;
    }
    (void)updates_.start(handle(), kUpdateAnswer, false);
}

bool DemoWindow::handleMessage(UINT message, WPARAM w, LPARAM l, LRESULT* result) {
    if (message == WM_COMMAND && LOWORD(w) == WindowNameId(u"CheckForUpdates")) {
        checkAsked_ = updates_.start(handle(), kUpdateAnswer, true);
        *result = 0;
        return true;
    }
    if (message == kUpdateAnswer) {
        AnswerUpdateOffer(updates_.take(), checkAsked_, AppRuntime::instance().description().name,
                          handle());
        checkAsked_ = false;
        *result = 0;
        return true;
    }
    return MainWindow::handleMessage(message, w, l, result);
}

void DemoWindow::openDocuments(const std::vector<String>& documents) {
    for (const String& document : documents)
        documents_ += (documents_.isEmpty() ? u"Opened: " : u", ") + document;
    if (Window* status = child(u"Status")) {
        status->setTitle(String(u"Installed and running.\n\n") + documents_);
        if (status->handle())
            InvalidateRect(status->handle(), nullptr, TRUE);
    }
}

} // namespace vorndemo
