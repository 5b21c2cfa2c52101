#include "VornLib/gui/WindowPlacement.h"

#include "VornLib/gui/WindowSystem.h"

namespace vorn {
namespace {

// Placement values kept under a "Position" path, in loading order.
struct PlacementValue {
    const char16_t* name;
    Edge edge;
};
constexpr PlacementValue kPlacementValues[] = {
    {u"Top", Edge::Top},       {u"Left", Edge::Left},
    {u"Width", Edge::Width},   {u"ClientWidth", Edge::ClientWidth},
    {u"Height", Edge::Height}, {u"ClientHeight", Edge::ClientHeight},
};

} // namespace

void WindowPlacement::load(WindowRecord& window) {
    PreferencesStore* store = WindowSystem::Instance().preferences();
    if (path_.isEmpty() || !store)
        return;
    bool maximized = false;
    if (store->getBoolean((path_ + u"/Maximized").data(), &maximized) == kResultOk)
        wasMaximized_ = maximized;
    for (const PlacementValue& value : kPlacementValues) {
        int32_t stored = 0;
        const String path = path_ + u"/" + value.name;
        if (store->exists(path.data()) && store->getInt32(path.data(), &stored) == kResultOk)
            window.setComputed(value.edge, stored);
    }
}

void WindowPlacement::record(int32_t left, int32_t top, int32_t width, int32_t height) {
    restoredLeft_ = left;
    restoredTop_ = top;
    restoredWidth_ = width;
    restoredHeight_ = height;
    recorded_ = true;
}

void WindowPlacement::save(HWND window, bool hasMaximizeBox) {
    WindowSystem& system = WindowSystem::Instance();
    PreferencesStore* store = system.preferences();
    if (path_.isEmpty() || !store || !window)
        return;
    if (hasMaximizeBox && !system.quiet()) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(window, &placement);
        const bool zoomed =
            IsZoomed(window) || (IsIconic(window) && (placement.flags & WPF_RESTORETOMAXIMIZED));
        (void)store->setBoolean((path_ + u"/Maximized").data(), zoomed);
    }
    if (recorded_) {
        (void)store->setInt32((path_ + u"/Top").data(), restoredTop_);
        (void)store->setInt32((path_ + u"/Left").data(), restoredLeft_);
        (void)store->setInt32((path_ + u"/Width").data(), restoredWidth_);
        (void)store->setInt32((path_ + u"/Height").data(), restoredHeight_);
    }
}

void KeepWindowOnScreen(HWND window, bool perMonitor) {
    if (!window)
        return;
    RECT area = {};
    if (perMonitor) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
        area = monitor.rcWork;
    } else {
        area.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        area.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        area.right = area.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
        area.bottom = area.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
        if (area.right <= area.left)
            GetWindowRect(GetDesktopWindow(), &area);
    }
    RECT placed = {};
    GetWindowRect(window, &placed);
    LONG top = placed.top;
    LONG left = placed.left;
    if (placed.bottom > area.bottom)
        top -= placed.bottom - area.bottom;
    if (placed.right > area.right)
        left -= placed.right - area.right;
    if (top < area.top)
        top = area.top;
    if (left < area.left)
        left = area.left;
    if (top > area.bottom - 32)
        top = area.bottom - 32;
    if (left > area.right - 32)
        left = area.right - 32;
    if (top != placed.top || left != placed.left)
        SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreWindow(HWND window) {
    if (!window)
        return;
    RECT own = {};
    GetWindowRect(window, &own);
    RECT around = {};
    HWND parent = GetParent(window);
    const bool isChild = GetWindowLongW(window, GWL_STYLE) & WS_CHILD;
    if (isChild && parent) {
        GetClientRect(parent, &around);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&own), 2);
    } else if (HWND owner = GetWindow(window, GW_OWNER)) {
        GetWindowRect(owner, &around);
    } else {
        GetWindowRect(GetDesktopWindow(), &around);
    }
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    const LONG left = around.left + (around.right - around.left - width) / 2;
    const LONG top = around.top + (around.bottom - around.top - height) / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace vorn
