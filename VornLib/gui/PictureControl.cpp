#include "VornLib/gui/PictureControl.h"

#include "VornLib/core/platform/DynamicLibrary.h"

namespace vorn {
namespace {

using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                         BLENDFUNCTION);

// msimg32 is not a known system library of every system, so it is loaded
// from the system folder when the first picture with alpha is drawn.
AlphaBlendFunction AlphaBlendOfSystem() {
    static DynamicLibrary library(L"msimg32.dll");
    static const auto function =
        reinterpret_cast<AlphaBlendFunction>(library.procAddress("AlphaBlend"));
    return function;
}

} // namespace

PictureControl::PictureControl() {
    SystemColour transparent;
    transparent.colour = {0, 0, 0, 0};
    setBackground(transparent);
}

Result PictureControl::readAttributes(const XmlNode& element) {
    const Result result = StaticControl::readAttributes(element);
    if (result != kResultOk)
        return result;
    String name;
    if (element.getAttribute(u"Name", &name) != kResultOk || name.isEmpty())
        return kResultBadPath;
    return setPicture(name.data());
}

void PictureControl::dpiChanged() {
    if (!name_.isEmpty())
        (void)setPicture(String(name_).data());
}

Result PictureControl::setPicture(const char16_t* name) {
    PictureBitmap loaded;
    Result result = loaded.loadForDpi(name, dpi());
    if (result != kResultOk)
        return result;
    PictureBitmap premultiplied;
    if (loaded.hasAlpha) {
        result = premultiplied.copyPixels(loaded);
        if (result != kResultOk)
            return result;
        PremultiplyAlpha(static_cast<uint8_t*>(premultiplied.bits),
                         uint32_t(premultiplied.width) * uint32_t(premultiplied.height));
        // The parent paints beneath the picture's see-through pixels.
        if (Window* parent = parentWindow())
            parent->stopClippingChildren();
    }
    name_ = name;
    picture_ = std::move(loaded);
    premultiplied_ = std::move(premultiplied);
    setEdge(Edge::Width, picture_.width);
    setEdge(Edge::Height, picture_.height);
    if (handle()) {
        layout();
        InvalidateRect(handle(), nullptr, TRUE);
    }
    return kResultOk;
}

void PictureControl::paintParentBackground(HDC dc, int32_t width, int32_t height) {
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_3DFACE));
    HWND parent = GetParent(handle());
    if (!parent)
        return;
    // The parent erases into our rectangle of its client area.
    POINT origin = {0, 0};
    MapWindowPoints(handle(), parent, &origin, 1);
    POINT previous;
    SetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
    SendMessageW(parent, WM_ERASEBKGND, WPARAM(dc), 0);
    SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

void PictureControl::draw(HDC dc) {
    if (!picture_.bitmap)
        return;
    RECT client = {};
    GetClientRect(handle(), &client);
    const int32_t width = client.right;
    const int32_t height = client.bottom;
    if (width <= 0 || height <= 0)
        return;
    // Composed off screen, so the picture never flickers over its background.
    HDC memory = CreateCompatibleDC(dc);
    GdiObject buffer(CreateCompatibleBitmap(dc, width, height));
    HGDIOBJ previousBuffer = SelectObject(memory, buffer.get());
    paintParentBackground(memory, width, height);
    HDC source = CreateCompatibleDC(dc);
    const AlphaBlendFunction blend = picture_.hasAlpha ? AlphaBlendOfSystem() : nullptr;
    if (blend) {
        HGDIOBJ previous = SelectObject(source, premultiplied_.bitmap.get());
        BLENDFUNCTION function = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        blend(memory, 0, 0, picture_.width, picture_.height, source, 0, 0, picture_.width,
              picture_.height, function);
        SelectObject(source, previous);
    } else {
        HGDIOBJ previous = SelectObject(source, picture_.bitmap.get());
        BitBlt(memory, 0, 0, picture_.width, picture_.height, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
    }
    DeleteDC(source);
    BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previousBuffer);
    DeleteDC(memory);
}

} // namespace vorn
